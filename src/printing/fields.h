#pragma once
// How the printed records read a field.

#include <QString>
#include <QVariant>

namespace tav::printing {

// Filled: not Null and, trimmed of blanks, not empty. A filled value is
// printed as stored, blanks included.
bool isFilled(const QVariant& value);

} // namespace tav::printing

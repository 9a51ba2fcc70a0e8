#pragma once
// The fill of the monthly specification: from the practice's row and the
// period's counts to the texts of the form's labels.

#include "db/database.h"

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace tav {
class Money;
}

namespace tav::statistics {

// A value spread over `boxes` one-character boxes: box 1 the first character,
// boxes 2 to n-1 the characters at their place (none past the end), box n the
// last character whatever the length. An empty value leaves every box empty.
QStringList boxCharacters(const QString& value, int boxes);

// An amount as the form prints it: "0" for nothing, else "####.##".
QString specificationAmount(const Money& amount, const QLocale& locale);

// Every label the fill writes, by name, with its text. `practice` is the
// MedicUnit row (an empty Row when there is none: every box and cell of the
// practice stays empty), `counts` the TempSpec row (a missing count is 0).
QHash<QString, QString> specificationCaptions(const db::Row& practice, const db::Row& counts, const QString& start,
                                              const QString& stop, const QLocale& locale);

} // namespace tav::statistics

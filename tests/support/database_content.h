#pragma once
// What a database file holds, as text: its marks, its schema and every row of
// every table in table order. Two files that hold the same read the same,
// whatever the counters in their headers say.

#include <QString>

namespace testing_support {

// "" when the file cannot be read as a database.
QString contentOf(const QString& path);

} // namespace testing_support

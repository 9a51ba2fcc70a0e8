#pragma once
// The check that a database file is whole: everything the engine's
// integrity check verifies, in parts that run side by side, so that a
// practice of some hundred megabytes is checked in about a second instead of
// five. The engine's quick check looks at every page, record and constraint;
// for each index, a sum of hashes over its entries read from the index alone
// must equal the sum over the table's rows, and so must their counts; a
// unique index must hold no key twice. A table whose indexes cannot be read
// that way (an expression, a partial index) gets the engine's integrity check
// of that table instead.

#include <QString>

namespace tav::db {

// "" when the file is whole; otherwise the first problem found, in the
// engine's words. The file is opened read-only by each part; while the
// check runs, nobody may write it.
QString wholeFileProblem(const QString& path);

} // namespace tav::db

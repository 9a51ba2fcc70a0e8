#pragma once
// Database files as the first version of the program made them: every text
// column declared with the program's own collation, user_version 1, and the
// 28 post codes of the district centres.

#include "db/schema.h"

#include <QString>

namespace testing_support {

// Creates the file (replacing it) with the first version's schema and
// delivered content.
void makeVersion1Database(const QString& path, tav::db::DatabaseKind kind);

// Both files of the program folder, as the first version left them.
void makeVersion1Folder();

// The schema objects of a file (type, name and text with blanks collapsed),
// sorted, for comparing two files.
QStringList schemaOf(const QString& path);

} // namespace testing_support

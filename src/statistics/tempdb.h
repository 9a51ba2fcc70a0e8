#pragma once
// The work table of one period report at a time, in this copy's own work
// database (TempDatabasePath, in the copy's work folder): a report item makes
// the database anew holding its table alone; the report's closing empties
// it; the main window's closing removes the work folder. The fund's export
// in the program folder is never touched here.

#include <QString>
#include <QStringList>

namespace tav::statistics {

// "TempWork", "TempMater", "TempZOKC", "TempSpec".
QStringList tempTableNames();

// The work database and its journal are removed and made again, readable by
// the user alone, holding only `name`, empty; the work folder is made first
// when there is none. An unknown name (compared exactly) is a db::DbError and
// leaves the database as it was.
void CreateTempTable(const QString& name);

// Deletes every row of `name`; a table or file that is gone does nothing.
void ClearTempTable(const QString& name);

// Removes this copy's work folder with the work database.
void RemoveTempDatabase();

} // namespace tav::statistics

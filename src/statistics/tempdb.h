#pragma once
// temp.mdb: the work table of one period report at a time. A report item
// re-creates the file holding its table alone; the report's closing empties
// it; the main window's closing removes the file.

#include <QString>
#include <QStringList>

namespace tav::statistics {

// "TempWork", "TempMater", "TempZOKC", "TempSpec".
QStringList tempTableNames();

// temp.mdb (any case of the name) and its journal are removed and made
// again holding only `name`, empty. An unknown name (compared exactly) is a
// db::DbError and leaves the folder as it was.
void CreateTempTable(const QString& name);

// Deletes every row of `name`; a table or file that is gone does nothing.
void ClearTempTable(const QString& name);

// Removes temp.mdb, whatever the case of its name, with its journal.
void RemoveTempDatabase();

} // namespace tav::statistics

#pragma once
// Where the program's files live. Set once at start-up from the program folder.

#include <QString>

namespace tav {

inline QString ProgramFolder;
inline QString DatabasePath;            // tavlinora.mdb
inline QString ReferenceDatabasePath;   // data.mdb
// This copy's own report work database: temp.mdb in its work folder
// (openWorkFolder), empty until that is made. Two copies on one program
// folder never share their work tables.
inline QString TempDatabasePath;
// The fund's patient export as the user places it: temp.mdb in the program
// folder. Only the import reads it; no report touches it.
inline QString FundExportPath;
inline QString ConnectionString;
inline QString TempConnectionString;

// The reference database's password. SQLite has no file password; kept for
// the record of what the delivered file was protected with.
inline const QString DatabasePassword = QStringLiteral("Tura5064");

inline const QString kMainFileName = QStringLiteral("tavlinora.mdb");
inline const QString kReferenceFileName = QStringLiteral("data.mdb");
inline const QString kTempFileName = QStringLiteral("temp.mdb");
inline const QString kReportFileName = QStringLiteral("Report.xml");
inline const QString kReportUtf8FileName = QStringLiteral("Report_UTF8.xml");
inline const QString kHelpFileName = QStringLiteral("tavlinora_help.html");
// A copy's work folder in the program folder: ".work.tavlinora-tmp-XXXXXX",
// holding the work database and its journal alone.
inline const QString kWorkFolderName = QStringLiteral("work");

// Fills the paths and connection strings for a program folder. A work
// folder made for another program folder is removed.
void setProgramFolder(const QString& folder);
// The folder named by --folder, else the user's application data folder.
QString defaultProgramFolder();

// Makes this copy's work folder in the program folder, open to the user
// alone and held while the copy runs, unless it is made already; sets
// TempDatabasePath and TempConnectionString. Throws db::DbError.
void openWorkFolder();
// Removes the work folder with the work database; the paths are empty again.
// The end of the program removes it too.
void closeWorkFolder();

// The import calls this once it has stored the export at `path`.
void markExportImported(const QString& path);
// Removes the export this copy imported, when that file is still there
// unchanged; an export this copy did not import, or one placed since, stays.
void removeImportedExport();

} // namespace tav

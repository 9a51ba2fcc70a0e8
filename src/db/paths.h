#pragma once
// Where the program's files live. Set once at start-up from the program folder.

#include <QString>

namespace tav {

inline QString ProgramFolder;
inline QString DatabasePath;            // tavlinora.mdb
inline QString ReferenceDatabasePath;   // data.mdb
inline QString TempDatabasePath;        // temp.mdb
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

// Fills the paths and connection strings for a program folder.
void setProgramFolder(const QString& folder);
// The folder named by --folder, else the user's application data folder.
QString defaultProgramFolder();

} // namespace tav

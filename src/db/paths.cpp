#include "db/paths.h"

#include <QDir>
#include <QStandardPaths>

namespace tav {

void setProgramFolder(const QString& folder)
{
    const QDir dir(folder);
    ProgramFolder = dir.absolutePath();
    DatabasePath = dir.absoluteFilePath(kMainFileName);
    ReferenceDatabasePath = dir.absoluteFilePath(kReferenceFileName);
    TempDatabasePath = dir.absoluteFilePath(kTempFileName);
    ConnectionString = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=") + DatabasePath + QLatin1Char(';');
    TempConnectionString = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=") + TempDatabasePath + QLatin1Char(';');
}

QString defaultProgramFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace tav

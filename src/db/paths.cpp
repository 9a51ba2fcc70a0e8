#include "db/paths.h"

#include "db/tempcopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tav {

namespace {

// Destroyed at the end of the program, which removes the folder also when
// the program ends without the main window's closing.
std::unique_ptr<db::HeldFolder> g_workFolder;

// The export this copy imported, as it was then.
struct FileMark {
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
};
std::optional<FileMark> g_imported;

std::optional<FileMark> markOf(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileMark{path, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

void setWorkPaths()
{
    TempDatabasePath = g_workFolder ? QDir(g_workFolder->path()).filePath(kTempFileName) : QString();
    TempConnectionString = TempDatabasePath.isEmpty()
        ? QString()
        : QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=") + TempDatabasePath + QLatin1Char(';');
}

} // namespace

void setProgramFolder(const QString& folder)
{
    const QDir dir(folder);
    if (dir.absolutePath() != ProgramFolder) {
        g_workFolder.reset();
        g_imported.reset();
    }
    ProgramFolder = dir.absolutePath();
    DatabasePath = dir.absoluteFilePath(kMainFileName);
    ReferenceDatabasePath = dir.absoluteFilePath(kReferenceFileName);
    FundExportPath = dir.absoluteFilePath(kTempFileName);
    ConnectionString = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=") + DatabasePath + QLatin1Char(';');
    setWorkPaths();
}

QString defaultProgramFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void openWorkFolder()
{
    if (!g_workFolder || g_workFolder->parent() != ProgramFolder || !QFileInfo::exists(g_workFolder->path())) {
        g_workFolder.reset();
        g_workFolder = std::make_unique<db::HeldFolder>(ProgramFolder, kWorkFolderName);
    }
    setWorkPaths();
}

void closeWorkFolder()
{
    g_workFolder.reset();
    setWorkPaths();
}

void markExportImported(const QString& path)
{
    g_imported = markOf(QFileInfo(path).absoluteFilePath());
}

void removeImportedExport()
{
    if (!g_imported)
        return;
    const std::optional<FileMark> now = markOf(g_imported->path);
    const FileMark& then = *g_imported;
    if (now && now->device == then.device && now->inode == then.inode && now->size == then.size
        && now->modified.tv_sec == then.modified.tv_sec && now->modified.tv_nsec == then.modified.tv_nsec)
        QFile::remove(then.path);
    g_imported.reset();
}

} // namespace tav

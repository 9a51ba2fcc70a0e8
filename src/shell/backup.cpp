#include "shell/backup.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"
#include "db/values.h"
#include "db/upgrade.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <filesystem>
#include <unistd.h>

namespace tav::backup {

namespace {

FileChooser g_chooser;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString sameFileKey(const QString& path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

using Validator = std::function<void(const QString& copy)>;

// Copies `from` into a temporary file beside `to`, checks it, then renames it
// over `to`. Until the rename nothing of `to` has changed.
void copyReplacing(const QString& from, const QString& to, const QString& failure, const Validator& validate)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw db::DbError(failure, native(from) + QStringLiteral(": ") + in.errorString());
    const QFileInfo target(to);
    if (target.isDir())
        throw db::DbError(failure, native(to) + QStringLiteral(": това е папка, а не файл"));
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw db::DbError(failure, native(folder) + QStringLiteral(": папката не съществува"));

    QTemporaryFile tmp(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!tmp.open())
        throw db::DbError(failure, native(folder) + QStringLiteral(": ") + tmp.errorString());
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            throw db::DbError(failure, native(from) + QStringLiteral(": ") + in.errorString());
        if (tmp.write(chunk) != chunk.size())
            throw db::DbError(failure, native(to) + QStringLiteral(": ") + tmp.errorString());
    }
    if (!tmp.flush() || ::fsync(tmp.handle()) != 0)
        throw db::DbError(failure, native(to) + QStringLiteral(": ") + tmp.errorString());
    if (tmp.size() != in.size())
        throw db::DbError(failure, native(from) + QStringLiteral(": копието е непълно"));
    const QString copy = tmp.fileName();
    tmp.close();
    in.close();
    if (validate)
        validate(copy);

    QFile::setPermissions(copy, target.exists()
        ? QFile::permissions(to)
        : (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(copy).toStdString(), QFile::encodeName(to).toStdString(), ec);
    if (ec)
        throw db::DbError(failure, native(to) + QStringLiteral(": ") + QString::fromStdString(ec.message()));
    tmp.setAutoRemove(false);
}

const QString kNotOurs = QStringLiteral("Избраният файл не е архив на данните на програмата. Данните не са заредени");

// The restored file must be a whole main database of ours.
void checkRestoredCopy(const QString& copy, const QString& source)
{
    bool ok = false;
    try {
        db::Connection c(copy, db::OpenMode::ReadOnly);
        ok = c.scalar(QStringLiteral("PRAGMA quick_check")).toString() == QLatin1String("ok")
            && c.scalar(QStringLiteral("PRAGMA application_id")).toLongLong() == db::applicationId(db::DatabaseKind::Main)
            && c.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Medic'")).toInt() == 1;
    } catch (const db::DbError&) {
        ok = false;
    }
    if (!ok)
        throw db::DbError(kNotOurs, native(source) + QStringLiteral(": файлът е повреден или непълен"));
}

} // namespace

QString startFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

FileRequest backupRequest()
{
    FileRequest r;
    r.title = QStringLiteral("Съхранение на данни");
    r.filter = QStringLiteral("Архивни файлове (*.arh);;Всички файлове (*.*)");
    r.folder = startFolder();
    // Dated, so that one day's backup does not replace another's.
    r.fileName = QStringLiteral("tavlinora-%1.arh").arg(Clock::today().toString(Qt::ISODate));
    r.save = true;
    return r;
}

FileRequest restoreRequest()
{
    FileRequest r = backupRequest();
    r.title = QStringLiteral("Зареждане на данни");
    r.fileName.clear();
    r.save = false;
    return r;
}

QString chooseFile(QWidget* owner, const FileRequest& request)
{
    if (g_chooser)
        return g_chooser(owner, request);
    QFileDialog dlg(owner, request.title, request.folder, request.filter);
    dlg.setObjectName(QStringLiteral("dlgCommonDialog"));
    dlg.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.selectNameFilter(request.filter.section(QStringLiteral(";;"), 0, 0));
    if (!request.fileName.isEmpty())
        dlg.selectFile(request.fileName);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.selectedFiles().value(0);
}

void setFileChooser(FileChooser chooser)
{
    g_chooser = std::move(chooser);
}

bool isOpenInProcess(const QString& path)
{
    const QString key = sameFileKey(path);
    const QStringList names = QSqlDatabase::connectionNames();
    for (const QString& name : names) {
        const QSqlDatabase d = QSqlDatabase::database(name, false);
        if (!d.isOpen())
            continue;
        const QString dbName = d.databaseName();
        const QString file = dbName.startsWith(QLatin1String("file:"))
            ? QUrl(dbName).adjusted(QUrl::RemoveQuery).toLocalFile()
            : dbName;
        if (sameFileKey(file) == key)
            return true;
    }
    return false;
}

void backupDatabase(const QString& target)
{
    const QString failure = QStringLiteral("Архивът не е записан; базата данни и файлът на архива са непроменени");
    if (!QFileInfo(DatabasePath).isFile())
        throw db::DbError(QStringLiteral("Липсва файлът на базата данни"), native(DatabasePath));
    if (isOpenInProcess(DatabasePath))
        throw db::DbError(failure, QStringLiteral("базата данни се използва в момента"));
    copyReplacing(DatabasePath, target, failure, {});
}

void checkRestoreSource(const QString& source)
{
    if (!QFileInfo(source).isFile())
        throw db::DbError(QStringLiteral("Файлът за зареждане не е намерен"), native(source));
    if (!db::isProgramDatabase(source, db::DatabaseKind::Main))
        throw db::DbError(kNotOurs, native(source));
    // An older one is taken: it is upgraded when it is next opened.
    const int version = db::fileVersion(source);
    if (version > db::currentVersion(db::DatabaseKind::Main))
        throw db::DbError(QStringLiteral("Архивът е записан от по-нова версия на програмата и тази версия"
                                         " не може да работи с него. Данните не са заредени"),
                          QStringLiteral("%1: версия на архива %2, тази програма познава до версия %3")
                              .arg(native(source)).arg(version).arg(db::currentVersion(db::DatabaseKind::Main)));
}

void restoreDatabase(const QString& source)
{
    const QString failure = QStringLiteral("Данните не са заредени; базата данни е непроменена");
    checkRestoreSource(source);
    if (isOpenInProcess(DatabasePath))
        throw db::DbError(failure, QStringLiteral("базата данни се използва в момента"));
    copyReplacing(source, DatabasePath, failure,
                  [&](const QString& copy) { checkRestoredCopy(copy, source); });
    // A journal left by an interrupted write belongs to the replaced file.
    QFile::remove(DatabasePath + QStringLiteral("-journal"));
}

} // namespace tav::backup

#include "shell/backup.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"
#include "db/tempcopy.h"
#include "db/values.h"
#include "db/upgrade.h"
#include "db/wholecheck.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QUrl>
#include <functional>
#include <future>
#include <optional>
#include <sqlite3.h>

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

// A failure told with its cause: the kind of the engine's fault (in use,
// disk full, damaged) and its own words.
db::DbError failed(const QString& failure, const db::DbError& cause)
{
    const QString why = cause.engineText().isEmpty() ? cause.message()
                                                     : cause.message() + QStringLiteral(": ") + cause.engineText();
    db::DbError e(failure, why, cause.code());
    e.aboutFile(cause.file());
    return e;
}

// Copies every page of `from` into `into` through the engine's online
// backup: the source is read under its read lock from the first page to the
// last, so the copy is one commit's state; the destination is written under
// its write lock and journal, so another copy that writes to it is waited
// for, never cut off, and a failure leaves it as it was. `beforeLast`, when
// given, runs once all but the last page are written, nothing committed yet:
// when it throws, the destination is left as it was.
void copyPages(db::Connection& from, db::Connection& into, const std::function<void()>& beforeLast = {})
{
    sqlite3* dest = into.handle();
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", from.handle(), "main");
    if (!b)
        throw db::engineError(QStringLiteral("Копирането не може да започне"), QString::fromUtf8(sqlite3_errmsg(dest)),
                              sqlite3_extended_errcode(dest), into.path());
    const auto fail = [&](int rc) {
        sqlite3_backup_finish(b);   // rolls the destination back
        const bool busy = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
        const int code = busy ? rc : sqlite3_extended_errcode(dest);
        // The file the fault is in: a damaged page is read from the source;
        // the lock another copy holds is the practice's, whichever way the
        // copy goes; anything else comes of writing the destination.
        const bool damaged = (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
        const QString file = damaged ? from.path()
            : busy && QFileInfo(from.path()) == QFileInfo(DatabasePath) ? from.path()
                                                                         : into.path();
        return db::engineError(QStringLiteral("Грешка при копиране на базата данни"),
                               QString::fromUtf8(busy ? sqlite3_errstr(rc) : sqlite3_errmsg(dest)), code, file);
    };
    if (beforeLast) {
        const int pages = from.scalar(QStringLiteral("PRAGMA page_count")).toInt();
        if (pages > 1) {
            const int rc = sqlite3_backup_step(b, pages - 1);
            if (rc != SQLITE_OK)
                throw fail(rc);
        }
        try {
            beforeLast();
        } catch (...) {
            sqlite3_backup_finish(b);
            throw;
        }
    }
    const int rc = sqlite3_backup_step(b, -1);
    if (rc != SQLITE_DONE)
        throw fail(rc);
    sqlite3_backup_finish(b);
}

const QString kNotOurs = QStringLiteral("Избраният файл не е архив на данните на програмата. Данните не са заредени");

// A main database of ours, judged by its marks.
bool isMainDatabase(db::Connection& c)
{
    try {
        return c.scalar(QStringLiteral("PRAGMA application_id")).toLongLong() == db::applicationId(db::DatabaseKind::Main)
            && c.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Medic'")).toInt() == 1;
    } catch (const db::DbError&) {
        return false;
    }
}

// How long a backup or restore waits for another copy's write to end.
constexpr int kWaitForOtherCopyMs = 10000;

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
    // A link named as the archive is followed: its target gets the copy.
    QFileInfo place(target);
    if (place.isSymLink()) {
        if (!place.exists())
            throw db::DbError(failure, native(target) + QStringLiteral(": връзката сочи към файл, който не съществува"));
        place = QFileInfo(place.canonicalFilePath());
    }
    if (place.isDir())
        throw db::DbError(failure, native(target) + QStringLiteral(": това е папка, а не файл"));
    if (!QFileInfo(place.absolutePath()).isDir())
        throw db::DbError(failure, native(place.absolutePath()) + QStringLiteral(": папката не съществува"));
    if (sameFileKey(place.absoluteFilePath()) == sameFileKey(DatabasePath))
        throw db::DbError(failure, native(target) + QStringLiteral(": това е самата база данни"));
    try {
        // What a killed backup left there, unless another copy is making it.
        db::removeStaleTempFiles(place.absolutePath());
        db::TempCopy copy(place.absoluteFilePath());
        {
            // Writable only so that the engine can roll back a write another
            // copy left unfinished; nothing is written through it.
            db::Connection from(DatabasePath, db::OpenMode::ReadWrite, kWaitForOtherCopyMs);
            db::Connection into(copy.path(), db::OpenMode::Create);
            // A copy nobody else uses until it is whole and checked.
            into.exec(QStringLiteral("PRAGMA journal_mode = OFF"));
            into.exec(QStringLiteral("PRAGMA synchronous = OFF"));
            copyPages(from, into);
        }
        // Every page, record and index of the copy, not only its structure.
        if (const QString problem = db::wholeFileProblem(copy.path()); !problem.isEmpty())
            throw db::DbError(failure, native(DatabasePath) + QStringLiteral(": копието не е цяло: ") + problem);
        copy.sync();
        copy.replace(place.absoluteFilePath());
    } catch (const db::DbError& e) {
        if (e.message() == failure)
            throw;
        throw failed(failure, e);
    }
}

void checkRestoreSource(const QString& source)
{
    if (!QFileInfo(source).isFile())
        throw db::DbError(QStringLiteral("Файлът за зареждане не е намерен"), native(source));
    // A file the user may not read is not judged by its content.
    if (QFile f(source); !f.open(QIODevice::ReadOnly))
        throw db::DbError(QStringLiteral("Избраният файл не може да бъде прочетен. Данните не са заредени"),
                          native(source) + QStringLiteral(": ") + f.errorString());
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
    if (sameFileKey(source) == sameFileKey(DatabasePath))
        throw db::DbError(failure, native(source) + QStringLiteral(": това е самата база данни"));
    if (isOpenInProcess(DatabasePath))
        throw db::DbError(failure, QStringLiteral("базата данни се използва в момента"))
            .aboutFile(DatabasePath);
    std::optional<db::Connection> from;
    try {
        from.emplace(source, db::OpenMode::ReadOnly);
        // Held from the check to the last page copied: what was checked is
        // what is copied.
        from->exec(QStringLiteral("BEGIN"));
    } catch (const db::DbError&) {
        from.reset();
    }
    if (!from || !isMainDatabase(*from))
        throw db::DbError(kNotOurs, native(source) + QStringLiteral(": файлът е повреден или непълен"));
    // The archive is checked whole, every page, record and index (a copy
    // torn between two commits fails here), while its pages go into the
    // live file; the last one, which commits them, only when it passed.
    std::future<QString> problem = std::async(std::launch::async, [source] { return db::wholeFileProblem(source); });
    const auto refuseTorn = [&] {
        if (const QString p = problem.get(); !p.isEmpty())
            throw db::DbError(kNotOurs, native(source) + QStringLiteral(": файлът е повреден или непълен: ") + p);
    };
    try {
        // Into the live file, through a link to it as well, under the
        // engine's locks: a write of another copy ends before, or the restore
        // is refused; a journal of an interrupted write is the engine's to
        // roll back.
        db::Connection into(DatabasePath, db::OpenMode::ReadWrite, kWaitForOtherCopyMs);
        copyPages(*from, into, refuseTorn);
    } catch (const db::DbError& e) {
        if (problem.valid())
            refuseTorn();
        if (e.message() == kNotOurs)
            throw;
        throw failed(failure, e);
    }
}

} // namespace tav::backup

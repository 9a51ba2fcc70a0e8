#include "db/renewal.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

namespace tav::db {

namespace {

bool damagedCode(const DbError& e)
{
    const int primary = e.code().toInt() & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// The engine's words on what is wrong with the file; nullopt when it is
// sound or cannot be judged (in use, unreadable, another program's file).
std::optional<QString> damage(const QString& path)
{
    try {
        Connection c(path, OpenMode::ReadOnly);
        if (c.scalar(QStringLiteral("PRAGMA application_id")).toLongLong() != applicationId(DatabaseKind::Reference))
            return std::nullopt;
        const QString check = c.scalar(QStringLiteral("PRAGMA quick_check(1)")).toString();
        if (check == QLatin1String("ok"))
            return std::nullopt;
        return check;
    } catch (const DbError& e) {
        if (damagedCode(e))
            return e.engineText();
        return std::nullopt;
    }
}

// A name beside `path` that no entry has yet.
QString keptName(const QString& path)
{
    const QString base = path + kDamagedSuffix + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

const QString kWhat = QStringLiteral("Файлът на справочните данни (пощенски кодове, материали и разходни норми) %1 е повреден");

} // namespace

QString renewDamagedReference()
{
    const QString path = ReferenceDatabasePath;
    if (!QFileInfo(path).isFile())
        return {};   // missing: made as delivered; anything else: the usual error follows
    // Copies starting together renew it once: each looks at the file under a
    // hold of the folder (not of the file: closing a file of the engine's
    // would drop this process's locks on it), so the later ones find the new
    // file sound.
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0)
        ::flock(folder, LOCK_EX);
    QString message;
    if (const std::optional<QString> problem = damage(path)) {
        const QString what = kWhat.arg(QDir::toNativeSeparators(path));
        const QString kept = keptName(path);
        if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(kept).constData()) != 0) {
            message = what + QStringLiteral(" и не може да бъде създаден наново: ")
                + QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char('\r') + *problem;
        } else {
            // A journal left beside it belongs to the damaged file, never to the new one.
            QFile::rename(path + QStringLiteral("-journal"), kept + QStringLiteral("-journal"));
            try {
                createDatabase(path, DatabaseKind::Reference);
                message = what + QStringLiteral(" и е създаден наново с доставеното съдържание.\r"
                                                "Повреденият файл е запазен до него като %1.\r"
                                                "Данните на практиката (%2) не са променени.")
                                     .arg(QFileInfo(kept).fileName(), kMainFileName);
            } catch (const DbError& e) {
                message = what + QStringLiteral(" и е преместен като %1, но нов не може да бъде създаден.\r")
                                     .arg(QFileInfo(kept).fileName())
                    + e.userText();
            }
        }
    }
    if (folder >= 0)
        ::close(folder);
    return message;
}

} // namespace tav::db

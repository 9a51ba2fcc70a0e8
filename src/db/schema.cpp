#include "db/schema.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"
#include "db/upgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tav::db {

qint32 applicationId(DatabaseKind kind)
{
    // "TAVM" and "TAVR"
    return kind == DatabaseKind::Main ? 0x5441564D : 0x54415652;
}

namespace {
QString resourceText(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Липсва описанието на базата данни"), name);
    return QString::fromUtf8(f.readAll());
}
}

DeliveredRows readDeliveredRows(const QString& resource)
{
    const QString text = resourceText(resource);
    DeliveredRows out;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        QVariantList row;
        row.reserve(out.fields.size());
        for (const QStringView value : line.split(QLatin1Char(',')))
            row << (value.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(value.toString()));
        if (out.fields.isEmpty()) {
            for (const QVariant& name : row)
                out.fields << name.toString();
            continue;
        }
        if (row.size() != out.fields.size())
            throw DbError(QStringLiteral("Повреден ред в доставените данни"), resource + QStringLiteral(": ") + line.toString());
        out.rows << row;
    }
    return out;
}

DeliveredRows deliveredPostCodes()
{
    return readDeliveredRows(QStringLiteral(":/db/postcodes.csv"));
}

namespace {
// Builds a new file of the kind under a temporary name and moves it into
// place unless another copy of the program made one meanwhile; that one is
// then used.
void createUnlessPresent(const QString& path, DatabaseKind kind)
{
    TempCopy tmp(path);
    {
        Connection c(tmp.path(), OpenMode::Create);
        c.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        // Nobody uses the file before its move, and it is made durable once,
        // just before: no flush of each write on the way.
        c.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        Transaction t(c);
        if (kind == DatabaseKind::Main) {
            c.execScript(resourceText(QStringLiteral(":/db/main.sql")));
            c.execScript(resourceText(QStringLiteral(":/db/main_content.sql")));
        } else {
            c.execScript(resourceText(QStringLiteral(":/db/reference.sql")));
            c.execScript(resourceText(QStringLiteral(":/db/reference_content.sql")));
            const DeliveredRows postCodes = deliveredPostCodes();
            c.insertMany(QStringLiteral("PostCode"), postCodes.fields, postCodes.rows);
        }
        c.exec(QStringLiteral("PRAGMA application_id = %1").arg(applicationId(kind)));
        c.exec(QStringLiteral("PRAGMA user_version = %1").arg(currentVersion(kind)));
        t.commit();
    }
    tmp.sync();
    tmp.placeIfAbsent(path);
}

// Why a file cannot be reached, in the user's words where they are common.
QString reasonOf(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("такъв файл няма");
    case EACCES:
    case EPERM:
        return QStringLiteral("няма права за достъп до него");
    case ELOOP:
        return QStringLiteral("връзките сочат една към друга в кръг");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// An entry of the file's name that exists but cannot be used as a file is an
// error with its reason, never a reason to make a new practice in its place.
bool entryExists(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const QString shown = QDir::toNativeSeparators(path);
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0) {
        if (errno == ENOENT)
            return false;
        throw DbError(kMsgCannotOpen, shown + QStringLiteral(": ") + reasonOf(errno));
    }
    struct stat file {};
    if (::stat(name.constData(), &file) != 0) {
        const int error = errno;
        if (S_ISLNK(link.st_mode))
            throw DbError(kMsgCannotOpen, QStringLiteral("%1 е връзка към %2, но %3")
                                              .arg(shown, QDir::toNativeSeparators(QFileInfo(path).symLinkTarget()),
                                                   reasonOf(error)));
        throw DbError(kMsgCannotOpen, shown + QStringLiteral(": ") + reasonOf(error));
    }
    if (S_ISDIR(file.st_mode))
        throw DbError(kMsgCannotOpen, shown + QStringLiteral(": това е папка, а не файл"));
    return true;
}
} // namespace

void createDatabase(const QString& path, DatabaseKind kind)
{
    if (!entryExists(path))
        createUnlessPresent(path, kind);
}

void ensureDatabases()
{
    const std::pair<const QString&, DatabaseKind> files[] = {
        {DatabasePath, DatabaseKind::Main}, {ReferenceDatabasePath, DatabaseKind::Reference}};
    for (const auto& [path, kind] : files) {
        if (!entryExists(path))
            createUnlessPresent(path, kind);
        if (fileVersion(path) != currentVersion(kind))   // the header says; the upgrade checks
            upgradeDatabase(path, kind);
    }
}

bool upgradeNeeded()
{
    const std::pair<const QString&, DatabaseKind> files[] = {
        {DatabasePath, DatabaseKind::Main}, {ReferenceDatabasePath, DatabaseKind::Reference}};
    for (const auto& [path, kind] : files) {
        const int version = fileVersion(path);
        if (version >= 0 && version < currentVersion(kind))
            return true;
    }
    return false;
}

bool isProgramDatabase(const QString& path, DatabaseKind kind)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return false;
    const auto* b = reinterpret_cast<const unsigned char*>(h.constData() + 68);
    const quint32 id = (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3];
    return qint32(id) == applicationId(kind);
}

} // namespace tav::db

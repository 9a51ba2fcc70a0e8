#include "db/schema.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/upgrade.h"

#include <QFile>
#include <QFileInfo>

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

void createDatabase(const QString& path, DatabaseKind kind)
{
    const QString tmp = path + QStringLiteral(".new");
    QFile::remove(tmp);
    {
        Connection c(tmp, OpenMode::Create);
        c.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        Transaction t(c);
        if (kind == DatabaseKind::Main) {
            c.execScript(resourceText(QStringLiteral(":/db/main.sql")));
            c.execScript(resourceText(QStringLiteral(":/db/main_content.sql")));
        } else {
            c.execScript(resourceText(QStringLiteral(":/db/reference.sql")));
            c.execScript(resourceText(QStringLiteral(":/db/reference_content.sql")));
        }
        c.exec(QStringLiteral("PRAGMA application_id = %1").arg(applicationId(kind)));
        c.exec(QStringLiteral("PRAGMA user_version = %1").arg(currentVersion(kind)));
        t.commit();
    }
    QFile::remove(path);
    if (!QFile::rename(tmp, path)) {
        QFile::remove(tmp);
        throw DbError(QStringLiteral("Базата данни не може да бъде създадена"), path);
    }
}

void ensureDatabases()
{
    const std::pair<const QString&, DatabaseKind> files[] = {
        {DatabasePath, DatabaseKind::Main}, {ReferenceDatabasePath, DatabaseKind::Reference}};
    for (const auto& [path, kind] : files) {
        if (!QFileInfo::exists(path))
            createDatabase(path, kind);
        else if (fileVersion(path) != currentVersion(kind))   // the header says; the upgrade checks
            upgradeDatabase(path, kind);
    }
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

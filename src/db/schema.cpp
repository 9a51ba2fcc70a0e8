#include "db/schema.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/upgrade.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

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

void createDatabase(const QString& path, DatabaseKind kind)
{
    const QString tmp = path + QStringLiteral(".new");
    QFile::remove(tmp);
    {
        Connection c(tmp, OpenMode::Create);
        c.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        // Nobody uses the file before its rename, and it is made durable once,
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
    QFile made(tmp);
    if (!made.open(QIODevice::ReadWrite) || ::fsync(made.handle()) != 0)
        throw DbError(QStringLiteral("Базата данни не може да бъде създадена"), path + QStringLiteral(": ") + made.errorString());
    made.close();
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

#include "previous_version.h"

#include "db/database.h"
#include "db/paths.h"

#include <QFile>
#include <QRegularExpression>

namespace testing_support {

namespace {
QString fixture(const QString& name)
{
    QFile f(QStringLiteral(":/version1/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw tav::db::DbError(QStringLiteral("missing fixture"), name);
    return QString::fromUtf8(f.readAll());
}
}

void makeVersion1Database(const QString& path, tav::db::DatabaseKind kind)
{
    using namespace tav::db;
    QFile::remove(path);
    Connection c(path, OpenMode::Create);
    c.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    Transaction t(c);
    const QString base = kind == DatabaseKind::Main ? QStringLiteral("main") : QStringLiteral("reference");
    c.execScript(fixture(base + QStringLiteral(".sql")));
    c.execScript(fixture(base + QStringLiteral("_content.sql")));
    c.exec(QStringLiteral("PRAGMA application_id = %1").arg(applicationId(kind)));
    c.exec(QStringLiteral("PRAGMA user_version = 1"));
    t.commit();
}

void makeVersion1Folder()
{
    makeVersion1Database(tav::DatabasePath, tav::db::DatabaseKind::Main);
    makeVersion1Database(tav::ReferenceDatabasePath, tav::db::DatabaseKind::Reference);
}

QStringList schemaOf(const QString& path)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    tav::db::Connection c(path, tav::db::OpenMode::ReadOnly);
    QStringList out;
    for (const tav::db::Row& r : c.query(QStringLiteral("SELECT type, name, sql FROM sqlite_master")))
        out << r.text("type") + QLatin1Char(' ') + r.text("name") + QLatin1Char(' ')
                   + r.text("sql").replace(blanks, QStringLiteral(" "));
    out.sort();
    return out;
}

} // namespace testing_support

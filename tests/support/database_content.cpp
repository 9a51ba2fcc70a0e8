#include "database_content.h"

#include "db/database.h"

#include <QStringList>

namespace testing_support {

QString contentOf(const QString& path)
{
    try {
        tav::db::Connection c(path, tav::db::OpenMode::ReadOnly);
        QStringList out;
        out << QStringLiteral("application_id %1").arg(c.scalar("PRAGMA application_id").toLongLong())
            << QStringLiteral("user_version %1").arg(c.scalar("PRAGMA user_version").toInt());
        const tav::db::Rows objects = c.query("SELECT type, name, sql FROM sqlite_master ORDER BY type, name");
        for (const tav::db::Row& o : objects) {
            out << o.text("type") + QLatin1Char(' ') + o.text("name") + QLatin1Char(' ') + o.text("sql");
            if (o.text("type") != QLatin1String("table") || o.text("name").startsWith(QLatin1String("sqlite_")))
                continue;
            for (const tav::db::Row& r : c.query("SELECT * FROM " + tav::db::quoteName(o.text("name")) + " ORDER BY rowid")) {
                QStringList values;
                for (const QVariant& v : r.values())
                    values << (v.isNull() ? QStringLiteral("NULL") : v.toString());
                out << values.join(QLatin1Char('|'));
            }
        }
        return out.join(QLatin1Char('\n'));
    } catch (const tav::db::DbError&) {
        return {};
    }
}

} // namespace testing_support

#include "db/upgrade.h"

#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace tav::db {

namespace {

constexpr int kUpgradeWaitMs = 60000;

// Version 1 declared the program's own text collation on every text column,
// so no standard SQLite tool could read or check the file. Rebuilds every
// table whose declaration names it: a new table of the same text without
// the collation, every row copied with its RecID, the old one dropped, the
// new one renamed, its indexes made again. CHECKs, STRICT and UNIQUE stay
// as they are, being part of the same text.
void dropDeclaredCollation(Connection& c)
{
    static const QRegularExpression collation(
        QStringLiteral(R"(\s+COLLATE\s+(?:UNOCASE|"UNOCASE"|'UNOCASE'|\[UNOCASE\]))"),
        QRegularExpression::CaseInsensitiveOption);
    const Rows tables = c.query(QStringLiteral(
        "SELECT name, sql FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY rowid"));
    for (const Row& t : tables) {
        const QString name = t.text(QStringLiteral("name"));
        const QString sql = t.text(QStringLiteral("sql"));
        const Rows indexes = c.query(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index'"
                                                    " AND tbl_name = ? AND sql IS NOT NULL ORDER BY rowid"),
                                     {name});
        bool declared = sql.contains(collation);
        for (const Row& i : indexes)
            declared = declared || i.text(QStringLiteral("sql")).contains(collation);
        if (!declared)
            continue;
        const qsizetype columns = sql.indexOf(QLatin1Char('('));
        if (columns < 0)
            throw DbError(QStringLiteral("Неочаквано описание на таблица"), name);
        const QString rebuilt = name + QStringLiteral("_upgrade");
        QString create = QStringLiteral("CREATE TABLE ") + quoteName(rebuilt) + QLatin1Char(' ') + sql.mid(columns);
        c.exec(create.remove(collation));
        c.exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(quoteName(rebuilt), quoteName(name)));
        c.exec(QStringLiteral("DROP TABLE %1").arg(quoteName(name)));
        c.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(rebuilt), quoteName(name)));
        for (const Row& i : indexes)
            c.exec(i.text(QStringLiteral("sql")).remove(collation));
    }
}

// The first versions delivered the 28 district centres, each with a health
// region of "01"; the whole country's list takes their place. Rows a practice
// added are kept where they are, so for their codes they still come first.
void deliverAllPostCodes(Connection& c)
{
    const DeliveredRows old = readDeliveredRows(QStringLiteral(":/db/postcodes_v1.csv"));
    QStringList same;
    for (const QString& f : old.fields)
        same << quoteName(f) + QStringLiteral(" IS ?");
    const QString remove = QStringLiteral("DELETE FROM PostCode WHERE RecID ="
                                          " (SELECT min(RecID) FROM PostCode WHERE %1)").arg(same.join(QStringLiteral(" AND ")));
    for (const QVariantList& row : old.rows)
        c.exec(remove, row);
    const DeliveredRows all = deliveredPostCodes();
    c.insertMany(QStringLiteral("PostCode"), all.fields, all.rows);
}

std::function<void(Connection&)> script(const QString& sql)
{
    return [sql](Connection& c) { c.execScript(sql); };
}

std::function<void(DatabaseKind, int)> g_hook;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

// The upgrade steps of each database, oldest first. To change a stored
// schema, append a step to its list with `to` one above the last, and make
// the same change in schema/*.sql, from which new files are created (a test
// checks that an upgraded file and a new one hold the same schema).
const std::vector<UpgradeStep>& upgradeSteps(DatabaseKind kind)
{
    static const std::vector<UpgradeStep> main{
        {2, QStringLiteral("таблици без собствено сравнение на текста"), dropDeclaredCollation},
        // The next sheet number and the day's minutes of a doctor read the
        // index alone; it serves every query the (KodMedic, Data) one did.
        {3, QStringLiteral("индекс за номера на амбулаторния лист"),
         script(QStringLiteral("CREATE INDEX \"Help_KodMedic_Data_ListID\" ON \"Help\" (\"KodMedic\", \"Data\", \"ListID\");\n"
                               "DROP INDEX \"Help_KodMedic_Data\";\n"))},
    };
    static const std::vector<UpgradeStep> reference{
        {2, QStringLiteral("таблици без собствено сравнение на текста"), dropDeclaredCollation},
        {3, QStringLiteral("пощенските кодове на цялата страна"), deliverAllPostCodes},
    };
    return kind == DatabaseKind::Main ? main : reference;
}

int currentVersion(DatabaseKind kind)
{
    const auto& steps = upgradeSteps(kind);
    return steps.empty() ? 1 : steps.back().to;
}

int fileVersion(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return -1;
    const auto* b = reinterpret_cast<const unsigned char*>(h.constData() + 60);
    return int((quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3]);
}

DbError newerVersionError(const QString& path, int version, DatabaseKind kind)
{
    return DbError(QStringLiteral("Файлът на базата данни е записан от по-нова версия на програмата;"
                                  " тази версия не може да работи с него. Файлът е оставен непроменен"),
                   QStringLiteral("%1: версия на файла %2, тази програма познава до версия %3")
                       .arg(native(path)).arg(version).arg(currentVersion(kind)));
}

void setUpgradeStepHook(std::function<void(DatabaseKind, int)> hook)
{
    g_hook = std::move(hook);
}

void upgradeDatabase(const QString& path, DatabaseKind kind)
{
    const int target = currentVersion(kind);
    // Another copy starting on the same folder may be upgrading the file:
    // its upgrade takes seconds on a large practice, and this one waits for it.
    Connection c(path, OpenMode::ReadWrite, kUpgradeWaitMs);
    if (c.scalar(QStringLiteral("PRAGMA application_id")).toLongLong() != applicationId(kind))
        throw DbError(QStringLiteral("Файлът не е база данни на програмата"), native(path));
    int version = c.scalar(QStringLiteral("PRAGMA user_version")).toInt();
    if (version == target)
        return;
    if (version > target)
        throw newerVersionError(path, version, kind);

    // Every failure names the version it was going to and leaves the file as it was.
    const auto failure = [&](int to, const QString& what, const DbError& e) {
        return DbError(QStringLiteral("Базата данни не може да бъде обновена до версия %1%2;"
                                      " файлът е оставен непроменен")
                           .arg(to).arg(what.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(what)),
                       native(path) + QStringLiteral(": ") + (e.engineText().isEmpty() ? e.message() : e.engineText()),
                       e.code());
    };
    // The write lock first, then the version again: nobody else upgrades meanwhile.
    try {
        c.exec(QStringLiteral("BEGIN IMMEDIATE"));
    } catch (const DbError& e) {
        throw failure(target, {}, e);
    }
    try {
        version = c.scalar(QStringLiteral("PRAGMA user_version")).toInt();
        for (const UpgradeStep& step : upgradeSteps(kind)) {
            if (step.to <= version)
                continue;
            try {
                step.run(c);
                if (g_hook)
                    g_hook(kind, step.to);
            } catch (const DbError& e) {
                throw failure(step.to, step.what, e);
            }
        }
        try {
            c.exec(QStringLiteral("PRAGMA user_version = %1").arg(target));
            c.exec(QStringLiteral("COMMIT"));
        } catch (const DbError& e) {
            throw failure(target, {}, e);
        }
    } catch (...) {
        try {
            c.exec(QStringLiteral("ROLLBACK"));
        } catch (const DbError&) {
            // A failed COMMIT may have ended the transaction already.
        }
        throw;
    }
}

} // namespace tav::db

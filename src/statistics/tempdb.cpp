#include "statistics/tempdb.h"

#include "db/database.h"
#include "db/paths.h"
#include "services/hourglass.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::statistics {

namespace {

struct TempTable {
    const char* name;
    const char* columns;
};

// Fields in their report's order; no index, no key, no defaults. STRICT:
// a value its field cannot hold is refused, as the engine refused it.
const TempTable kTables[] = {
    {"TempWork", "Data TEXT, Name1 TEXT, EGN TEXT, Godini TEXT, KodHelp TEXT, Time INTEGER"},
    {"TempMater", "Kod TEXT, Name TEXT, Kol REAL, Ed TEXT"},
    {"TempZOKC", "Godini TEXT, Kod_101 INTEGER, Kod_103 INTEGER, Kod_301 INTEGER, Kod_332 INTEGER,"
                 " Kod_333 INTEGER, Kod_508 INTEGER, Kod_509 INTEGER"},
    {"TempSpec", "F10112 INTEGER, F10312 INTEGER, F30112 INTEGER, F50912 INTEGER, F10111 INTEGER,"
                 " F10311 INTEGER, F30111 INTEGER, F33211 INTEGER, F33311 INTEGER, F50811 INTEGER,"
                 " F50911 INTEGER"},
};

const TempTable* findTable(const QString& name)
{
    for (const TempTable& t : kTables)
        if (name == QLatin1String(t.name))
            return &t;
    return nullptr;
}

// The work database and its journal, whatever a run cut off left of them.
void removeWorkDatabase()
{
    for (const QString& file : {TempDatabasePath, TempDatabasePath + QStringLiteral("-journal")}) {
        QFile f(file);
        if (QFileInfo(file).exists() || QFileInfo(file).isSymLink()) {
            if (!f.remove())
                throw db::DbError(QStringLiteral("Временната база данни не може да бъде изтрита"),
                                  QDir::toNativeSeparators(file) + QStringLiteral(": ") + f.errorString());
        }
    }
}

// An empty file of the user's alone, which the engine then fills: its
// journal takes the same modes.
void createOwnerOnly(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        throw db::DbError(QStringLiteral("Временната база данни не може да бъде създадена"),
                          QDir::toNativeSeparators(path) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
}

} // namespace

QStringList tempTableNames()
{
    QStringList names;
    for (const TempTable& t : kTables)
        names << QLatin1String(t.name);
    return names;
}

void RemoveTempDatabase()
{
    closeWorkFolder();
}

void CreateTempTable(const QString& name)
{
    const TempTable* table = findTable(name);
    if (!table)
        throw db::DbError(QStringLiteral("Няма такава временна таблица"), name);
    Hourglass hourglass;
    openWorkFolder();
    removeWorkDatabase();
    createOwnerOnly(TempDatabasePath);
    db::Connection c(TempDatabasePath, db::OpenMode::Create);
    c.exec(QStringLiteral("CREATE TABLE %1 (%2) STRICT")
               .arg(db::quoteName(name), QLatin1String(table->columns)));
}

void ClearTempTable(const QString& name)
{
    if (TempDatabasePath.isEmpty() || !QFileInfo::exists(TempDatabasePath))
        return;
    db::Connection c(TempDatabasePath, db::OpenMode::ReadWrite);
    const bool present = c.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"
                                                 " WHERE type = 'table' AND name = ?"),
                                  {name})
                             .toInt()
        > 0;
    if (!present)
        return;
    Hourglass hourglass;
    c.exec(QStringLiteral("DELETE FROM %1").arg(db::quoteName(name)));
}

} // namespace tav::statistics

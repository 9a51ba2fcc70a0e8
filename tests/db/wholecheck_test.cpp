#include "db/database.h"
#include "db/paths.h"
#include "db/wholecheck.h"
#include "support/previous_version.h"
#include "support/program_folder.h"

#include <QFile>
#include <sqlite3.h>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace tav;
using namespace tav::db;
using testing_support::TestFolder;

namespace {

QString engineCheck(const QString& path)
{
    try {
        Connection c(path, OpenMode::ReadOnly);
        return c.scalar("PRAGMA integrity_check").toString();
    } catch (const DbError& e) {
        return e.userText();
    }
}

void fill()
{
    Connection c = Connection::main();
    Transaction t(c);
    for (int i = 0; i < 300; ++i) {
        const QString egn = QStringLiteral("75%1").arg(i, 8, 10, QLatin1Char('0'));
        c.insert("Pacients", {"EGN", "Names"}, {egn, QStringLiteral("Пациент %1").arg(i)});
        c.insert("Help", {"EGN", "Data", "KodHelp", "KodMedic", "Cena"},
                 {egn, "2024-03-05", "101", QStringLiteral("MED%1").arg(i % 7, 4, 10, QLatin1Char('0')), 6.5 + i});
    }
    t.commit();
}

// Replaces the n-th occurrence (0 first, -1 last) of a text in the file.
void overwrite(const QString& path, const QByteArray& from, const QByteArray& to, int n)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    qsizetype at = n < 0 ? bytes.lastIndexOf(from) : bytes.indexOf(from);
    for (int i = 0; i < n && at >= 0; ++i)
        at = bytes.indexOf(from, at + 1);
    ASSERT_GE(at, 0) << from.toStdString();
    bytes.replace(at, to.size(), to);
    f.seek(0);
    f.write(bytes);
}

} // namespace

// The check in parts finds what the engine's integrity check finds, also
// where the engine's quick check finds nothing.
TEST(WholeCheck, FindsWhatTheEnginesIntegrityCheckFinds)
{
    struct Case {
        const char* what;
        std::function<void(const QString&)> damage;
    };
    const std::vector<Case> cases = {
        {"nothing", [](const QString&) {}},
        {"a patient's EGN in one place", [](const QString& p) { overwrite(p, "7500000123", "7500000321", 0); }},
        {"a patient's EGN in the other place", [](const QString& p) { overwrite(p, "7500000123", "7500000321", -1); }},
        {"a doctor's code of a treatment", [](const QString& p) { overwrite(p, "MED0003", "MED0009", 0); }},
        {"a page of zeros", [](const QString& p) {
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.seek(f.size() / 2 / 4096 * 4096);
             f.write(QByteArray(4096, '\0'));
         }},
        {"a key twice in a unique index", [](const QString& p) {
             Connection c(p, OpenMode::ReadWrite);
             c.exec("CREATE TABLE Twice (Code TEXT)");
             c.exec("CREATE INDEX Twice_Code ON Twice (Code)");
             c.exec("INSERT INTO Twice VALUES ('A'), ('A')");
             c.exec("PRAGMA writable_schema = ON");
             c.exec("UPDATE sqlite_master SET sql = 'CREATE UNIQUE INDEX Twice_Code ON Twice (Code)' WHERE name = 'Twice_Code'");
         }},
    };
    for (const Case& k : cases) {
        TestFolder folder;
        fill();
        const QString copy = folder.file("copy.mdb");
        ASSERT_TRUE(QFile::copy(DatabasePath, copy));
        k.damage(copy);
        const bool whole = engineCheck(copy) == QLatin1String("ok");
        const QString problem = wholeFileProblem(copy);
        EXPECT_EQ(problem.isEmpty(), whole) << k.what << ": " << problem.toStdString() << " / "
                                            << engineCheck(copy).toStdString();
        EXPECT_EQ(whole, std::string(k.what) == "nothing") << k.what;
    }
}

TEST(WholeCheck, TablesWhoseIndexesCannotBeReadAloneAreCheckedByTheEngine)
{
    TestFolder folder;
    {
        Connection c = Connection::main();
        c.exec("CREATE TABLE Spoken (Word TEXT)");
        c.exec("CREATE INDEX Spoken_Lower ON Spoken (lower(Word))");
        c.exec("CREATE INDEX Spoken_Some ON Spoken (Word) WHERE Word > 'm'");
        c.exec("INSERT INTO Spoken VALUES ('Ябълка'), ('круша'), ('zebra')");
    }
    EXPECT_EQ(wholeFileProblem(DatabasePath), QString());
    // A file of the first version, whose columns name the program's collation.
    testing_support::makeVersion1Database(DatabasePath, DatabaseKind::Main);
    {
        Connection c(DatabasePath, OpenMode::ReadWrite);
        c.insert("Pacients", {"EGN", "Names"}, {"7501020018", "Иван Петров"});
    }
    EXPECT_EQ(wholeFileProblem(DatabasePath), QString());
    EXPECT_FALSE(wholeFileProblem(folder.file("none.mdb")).isEmpty());
}

// A file the check cannot open is named as such, and the engine's handle for
// it is given back: nothing of the engine's memory stays behind.
TEST(WholeCheck, AFileThatCannotBeOpenedIsAProblemAndLeavesNothingOpen)
{
    TestFolder folder;
    const QString paths[] = {folder.file("missing.mdb"), folder.file("no folder/data.mdb")};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_NE(wholeFileProblem(path), QString());   // the engine's first allocations
        const sqlite3_int64 before = sqlite3_memory_used();
        for (int i = 0; i < 20; ++i)
            EXPECT_FALSE(wholeFileProblem(path).isEmpty());
        EXPECT_EQ(sqlite3_memory_used(), before);
    }
}

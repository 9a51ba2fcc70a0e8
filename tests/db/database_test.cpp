#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <sqlite3.h>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace tav;
using namespace tav::db;
using testing_support::TestFolder;

TEST(Database, MissingFileIsAnErrorNotANewDatabase)
{
    TestFolder folder(false);
    EXPECT_THROW(Connection::main(), DbError);
    EXPECT_FALSE(QFile::exists(DatabasePath));
}

TEST(Database, ForeignFilesAreRefused)
{
    TestFolder folder(false);
    {
        QFile f(DatabasePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Standard Jet DB - this is not SQLite at all, just some bytes to fill the header");
    }
    EXPECT_THROW(Connection::main(), DbError);
    QFile::remove(DatabasePath);
    {   // an SQLite file, but not one of ours
        Connection other(DatabasePath, OpenMode::Create);
        other.exec("CREATE TABLE x (a)");
    }
    try {
        Connection::main();
        FAIL() << "foreign database opened";
    } catch (const DbError& e) {
        EXPECT_EQ(e.message(), QString("Файлът не е база данни на програмата"));
    }
    EXPECT_FALSE(isProgramDatabase(DatabasePath, DatabaseKind::Main));
}

TEST(Database, DeliveredDatabasesHaveTheirTablesAndContent)
{
    TestFolder folder;
    EXPECT_TRUE(isProgramDatabase(DatabasePath, DatabaseKind::Main));
    EXPECT_TRUE(isProgramDatabase(ReferenceDatabasePath, DatabaseKind::Reference));
    Connection c = Connection::main();
    for (const char* t : {"Medic", "MedicUnit", "Pacients", "Dental", "Help", "CenyZK", "TempKarton",
                          "Path", "Invest", "Spec", "Grafic", "Ceny"})
        EXPECT_NO_THROW(c.query(QStringLiteral("SELECT * FROM %1").arg(quoteName(t)))) << t;
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM MedicUnit").toInt(), 1);
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Medic").toInt(), 0);
    const Row r = c.first("SELECT * FROM CenyZK WHERE Kod = ?", {"301"});
    EXPECT_EQ(r.toInt("Times"), 26);
    EXPECT_DOUBLE_EQ(r.value("CenaDo").toDouble(), 25.13);
    EXPECT_EQ(c.query("SELECT * FROM Dental").isEmpty(), true);
    EXPECT_EQ(c.first("SELECT * FROM Dental").names().size(), 0);

    Connection ref = Connection::reference();
    EXPECT_GE(ref.scalar("SELECT COUNT(*) FROM PostCode").toInt(), 28);
    EXPECT_EQ(ref.first("SELECT * FROM PostCode WHERE PKod = ?", {"4000"}).text("Tawn"), QString("Пловдив"));
    const int mater = ref.scalar("SELECT COUNT(*) FROM Mater").toInt();
    EXPECT_GT(mater, 0);
    // one norm column per material position
    const Row norm = ref.first("SELECT * FROM RazhNorm WHERE KodHelp = ?", {"301А"});
    for (int i = 1; i <= mater; ++i)
        EXPECT_TRUE(norm.contains(QStringLiteral("%1M").arg(i))) << i;
    EXPECT_THROW(ref.exec("DELETE FROM PostCode"), DbError);   // read only
}

TEST(Database, TextComparesWithoutRegardToCaseCyrillicIncluded)
{
    TestFolder folder;
    Connection c = Connection::main();
    c.insert("Medic", {"Names", "KodMedic"}, {"Иван Петров", "1"});
    c.insert("Medic", {"Names", "KodMedic"}, {"анна", "2"});
    c.insert("Medic", {"Names", "KodMedic"}, {"Борис", "3"});
    // named in the query; the stored columns compare plainly
    EXPECT_EQ(c.query("SELECT * FROM Medic WHERE Names = ? COLLATE UNOCASE", {"ИВАН ПЕТРОВ"}).size(), 1);
    EXPECT_EQ(c.query("SELECT * FROM Medic WHERE Names = ? COLLATE UNOCASE", {"иван петров"}).size(), 1);
    EXPECT_EQ(c.query("SELECT * FROM Medic WHERE Names = ?", {"иван петров"}).size(), 0);
    const Rows sorted = c.query("SELECT Names FROM Medic ORDER BY Names COLLATE UNOCASE, RecID");
    ASSERT_EQ(sorted.size(), 3);
    EXPECT_EQ(sorted[0].text("Names"), QString("анна"));
    EXPECT_EQ(sorted[1].text("Names"), QString("Борис"));
    EXPECT_EQ(sorted[2].text("Names"), QString("Иван Петров"));
    EXPECT_LT(compareNoCase("abc", "ABD"), 0);
    EXPECT_EQ(compareNoCase("Ъгъл", "ЪГЪЛ"), 0);
    EXPECT_LT(compareNoCase("a", "я"), 0);   // ASCII before Cyrillic either way
    EXPECT_GT(compareNoCase("Я", "a"), 0);
}

TEST(Database, FailedTransactionLeavesNothing)
{
    TestFolder folder;
    {
        Connection c = Connection::main();
        try {
            Transaction t(c);
            c.insert("Pacients", {"EGN", "Names"}, {"7501020018", "Първи"});
            c.insert("Pacients", {"EGN", "Names"}, {"7501020018", "Дубликат"});   // unique EGN
            t.commit();
            FAIL() << "duplicate EGN accepted";
        } catch (const DbError& e) {
            EXPECT_FALSE(e.engineText().isEmpty());
        }
    }
    Connection c = Connection::main();
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Pacients").toInt(), 0);
}

TEST(Database, TableOrderIsInsertionOrderAndValuesAreBound)
{
    TestFolder folder;
    Connection c = Connection::main();
    const QString evil = "O'Brien'); DROP TABLE Medic; --";
    for (const QString& n : {QString("Яна"), QString("Ана"), evil})
        c.insert("Medic", {"Names", "KodMedic"}, {n, "1"});
    const Rows rows = c.query("SELECT Names FROM Medic ORDER BY RecID");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].text("names"), QString("Яна"));
    EXPECT_EQ(rows[2].text("NAMES"), evil);
    EXPECT_EQ(c.query("SELECT * FROM Medic WHERE Names = ?", {evil}).size(), 1);
}

TEST(Database, NullYesNoAndDateRules)
{
    TestFolder folder;
    Connection c = Connection::main();
    c.insert("Help", {"EGN", "Data", "KodHelp", "Help"}, {"7501020018", QDate(2026, 3, 31), "301", QVariant()});
    const Row r = c.first("SELECT * FROM Help");
    EXPECT_EQ(r.value("Data").toString(), QString("2026-03-31"));
    EXPECT_FALSE(r.yes("ZK"));
    EXPECT_FALSE(r.yes("Schet"));
    EXPECT_TRUE(r.value("Help").isNull());
    EXPECT_EQ(r.text("Help"), QString());
    EXPECT_EQ(c.query("SELECT * FROM Help WHERE Data BETWEEN ? AND ?", {QDate(2026, 3, 1), QDate(2026, 3, 31)}).size(), 1);
    for (const char* bad : {"2026-02-30", "31.03.2026", "2026-03-31T00:00:00"})
        EXPECT_THROW(c.insert("Help", {"Data"}, {QString(bad)}), DbError) << bad;
}

TEST(Database, DayFirstDateTextsReadAsIsoDates)
{
    TestFolder folder;
    Connection c = Connection::main();
    const struct {
        QVariant text;
        QVariant iso;   // null: no date
    } cases[] = {
        {"05.03.2009", "2009-03-05"},
        {"5.3.2009", "2009-03-05"},
        {"5/3/2009", "2009-03-05"},
        {"31/12/1999", "1999-12-31"},
        {"  05.03.2009 ", "2009-03-05"},
        {"29.02.2000", "2000-02-29"},
        {"29.02.2004", "2004-02-29"},
        {"29.02.1900", QVariant()},
        {"29.02.2005", QVariant()},
        {"31.04.2010", QVariant()},
        {"00.03.2010", QVariant()},
        {"01.00.2010", QVariant()},
        {"01.13.2010", QVariant()},
        {"1.3.10", QVariant()},
        {"2009-03-05", QVariant()},
        {"05-03-2009", QVariant()},
        {"005.03.2009", QVariant()},
        {"05.03.20091", QVariant()},
        {"05.03.2009x", QVariant()},
        {"ab.cd.efgh", QVariant()},
        {"", QVariant()},
        {"          ", QVariant()},
        {QVariant(QMetaType::fromType<QString>()), QVariant()},
        {20090305, QVariant()},
    };
    for (const auto& k : cases) {
        const QVariant got = c.scalar(QStringLiteral("SELECT %1(?)").arg(kDayFirstDate), {k.text});
        EXPECT_EQ(got.isNull(), k.iso.isNull()) << k.text.toString().toStdString();
        if (!k.iso.isNull()) {
            EXPECT_EQ(got.toString(), k.iso.toString()) << k.text.toString().toStdString();
        }
    }
}

TEST(Database, KeyFieldsKeepTheirIndexes)
{
    TestFolder folder;
    struct Case {
        const char* file;   // "main" or "reference"
        const char* sql;
        const char* plan;   // a part of the plan
        bool sorted = true; // no sort of its own
    };
    const Case cases[] = {
        {"main", "SELECT * FROM Pacients WHERE EGN = ? ORDER BY RecID", "INDEX sqlite_autoindex_Pacients_1"},
        {"main", "SELECT Names, EGN FROM Pacients WHERE LKod = ? ORDER BY RecID", "INDEX Pacients_LKod"},
        {"main", "SELECT * FROM Dental WHERE EGN = ? ORDER BY RecID", "INDEX sqlite_autoindex_Dental_1"},
        {"main", "SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID", "INDEX Help_EGN_Data_KodHelp"},
        {"main", "SELECT * FROM CenyZK WHERE Kod = ?", "INDEX sqlite_autoindex_CenyZK_1"},
        {"reference", "SELECT * FROM PostCode WHERE PKod = ? ORDER BY RecID", "INDEX PostCode_PKod"},
        // the next sheet number and a doctor's day read the index alone
        {"main", "SELECT DISTINCT ListID FROM Help WHERE Data BETWEEN ? AND ? AND KodMedic = ? ORDER BY ListID DESC",
         "COVERING INDEX Help_KodMedic_Data_ListID (KodMedic=? AND Data>? AND Data<?)", false},
        {"main", "SELECT max(ListID) FROM Help WHERE Data BETWEEN ? AND ? AND KodMedic = ?",
         "COVERING INDEX Help_KodMedic_Data_ListID (KodMedic=? AND Data>? AND Data<?)"},
        {"main", "SELECT Times FROM Help WHERE KodMedic = ? AND Data = ?", "INDEX Help_KodMedic_Data_ListID (KodMedic=? AND Data=?)"},
        {"main", "SELECT * FROM Help WHERE Data = ?", "INDEX Help_Data (Data=?)"},
    };
    for (const Case& k : cases) {
        Connection c = QString(k.file) == "main" ? Connection::main() : Connection::reference();
        QStringList plan;
        const QVariantList params(QString(k.sql).count('?'), QString("1"));
        for (const Row& r : c.query(QStringLiteral("EXPLAIN QUERY PLAN ") + k.sql, params))
            plan << r.text("detail");
        const QString p = plan.join(" / ");
        EXPECT_TRUE(p.contains(k.plan)) << k.sql << ": " << p.toStdString();
        if (k.sorted) {
            EXPECT_FALSE(p.contains("TEMP B-TREE")) << k.sql << ": " << p.toStdString();
        }
    }
}

// What the user reads of an engine's fault: the kind of fault in Bulgarian
// and the engine's words, never the statement that met it.
TEST(Database, EngineFaultsAreToldByTheirKindWithoutTheStatement)
{
    TestFolder folder;
    Connection c = Connection::main();
    c.insert("Pacients", {"EGN", "Names"}, {"7501020018", "Иван Петров"});
    struct Case {
        const char* what;
        std::function<void()> run;
        QString message;
        const char* engineWords;
        const char* statement;
    };
    const std::vector<Case> cases = {
        {"a field that is not there", [&] { c.query("SELECT Nonesuch FROM Medic WHERE KodMedic = ?", {"1"}); },
         "Грешка в заявка към базата данни", "Nonesuch", "FROM Medic WHERE"},
        {"a second patient of one EGN", [&] { c.insert("Pacients", {"EGN", "Names"}, {"7501020018", "Друг"}); },
         "Грешка при работа с базата данни", "UNIQUE", "INSERT INTO"},
        {"a file that has no room left",
         [&] {
             c.exec("PRAGMA max_page_count = " + c.scalar("PRAGMA page_count").toString());
             c.exec("UPDATE Pacients SET Osob = ? WHERE EGN = ?", {QString(20000, QChar('x')), "7501020018"});
         },
         kMsgDiskFull, "full", "UPDATE Pacients"},
    };
    for (const Case& k : cases) {
        try {
            k.run();
            ADD_FAILURE() << k.what << ": no error";
        } catch (const DbError& e) {
            EXPECT_EQ(e.message(), k.message) << k.what;
            EXPECT_TRUE(e.userText().contains(QString::fromUtf8(k.engineWords))) << k.what << ": " << e.what();
            EXPECT_FALSE(e.userText().contains(QString::fromUtf8(k.statement))) << k.what << ": " << e.what();
            EXPECT_FALSE(e.isBusy()) << k.what;
        }
    }
}

// "Damaged", "not a database" and "in use" name the file they are about, at
// the open and at any statement after it alike, so that the practice's own
// file is never taken for the reference data or an archive.
TEST(Database, DamagedNotADatabaseAndInUseNameTheirFile)
{
    TestFolder folder;
    const auto native = [](const QString& p) { return QDir::toNativeSeparators(p); };
    const QString practice = "Файл: " + native(DatabasePath) + " (данните на практиката)";
    const QString reference = "Файл: " + native(ReferenceDatabasePath) + " (справочните данни)";
    const QString archive = folder.file("copy.arh");
    const auto zeroTail = [](const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        f.seek(size - 20 * 4096);
        f.write(QByteArray(20 * 4096, '\0'));
    };
    {
        Connection c = Connection::main();
        Transaction t(c);
        for (int i = 0; i < 2000; ++i)
            c.insert("Pacients", {"EGN", "Names"}, {QStringLiteral("75%1").arg(i, 8, 10, QLatin1Char('0')),
                                                    QString(100, QChar(0x0416))});
        t.commit();
    }
    QFile::copy(DatabasePath, archive);
    sqlite3* other = nullptr;
    struct Case {
        const char* what;
        std::function<void()> run;
        QString message, file;
    };
    std::optional<Connection> open;
    const std::vector<Case> cases = {
        {"the reference data damaged", [&] {
             zeroTail(ReferenceDatabasePath);
             Connection::reference().query("SELECT * FROM PostCode");
         }, kMsgDamaged, reference},
        {"the practice damaged", [&] {
             zeroTail(DatabasePath);
             Connection::main().query("SELECT * FROM Pacients");
         }, kMsgDamaged, practice},
        {"an archive that is no database", [&] {
             QFile f(archive);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.write(QByteArray(100, 'x'));
             f.close();
             Connection(archive, OpenMode::ReadOnly);
         }, kMsgNotADatabase, "Файл: " + native(archive)},
        {"the reference data in use at the open", [&] {
             QFile::remove(ReferenceDatabasePath);
             createDatabase(ReferenceDatabasePath, DatabaseKind::Reference);
             ASSERT_EQ(sqlite3_open(QFile::encodeName(ReferenceDatabasePath).constData(), &other), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
             Connection(ReferenceDatabasePath, OpenMode::ReadOnly, 0);
         }, kMsgInUse, reference},
        {"the reference data in use at a statement", [&] {
             sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
             open.emplace(ReferenceDatabasePath, OpenMode::ReadOnly, 0);
             ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
             open->query("SELECT * FROM Mater");
         }, kMsgInUse, reference},
    };
    for (const Case& k : cases) {
        try {
            k.run();
            ADD_FAILURE() << k.what << ": no error";
        } catch (const DbError& e) {
            EXPECT_EQ(e.message(), k.message) << k.what << ": " << e.what();
            const QStringList lines = e.userText().split('\r');
            EXPECT_EQ(lines.value(0).toStdString(), k.message.toStdString()) << k.what;
            EXPECT_EQ(lines.value(1).toStdString(), k.file.toStdString()) << k.what;
            EXPECT_EQ(e.userText().count(native(ProgramFolder)), k.file.count(native(ProgramFolder))) << k.what;
        }
    }
    open.reset();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

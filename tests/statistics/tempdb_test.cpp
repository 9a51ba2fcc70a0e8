#include "db/database.h"
#include "db/paths.h"
#include "statistics/tempdb.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;
using testing_support::TestFolder;

namespace {
QStringList tablesOfTemp()
{
    db::Connection c = db::Connection::temp();
    QStringList names;
    for (const db::Row& r : c.query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
        names << r.text("name");
    return names;
}
QStringList columnsOf(const QString& table)
{
    db::Connection c = db::Connection::temp();
    QStringList names;
    for (const db::Row& r : c.query("SELECT name FROM pragma_table_info(?) ORDER BY cid", {table}))
        names << r.text("name");
    return names;
}
} // namespace

TEST(TempDb, EachReportTableIsCreatedAloneWithItsFieldsInOrder)
{
    TestFolder folder;
    const QMap<QString, QStringList> expected{
        {"TempWork", {"Data", "Name1", "EGN", "Godini", "KodHelp", "Time"}},
        {"TempMater", {"Kod", "Name", "Kol", "Ed"}},
        {"TempZOKC", {"Godini", "Kod_101", "Kod_103", "Kod_301", "Kod_332", "Kod_333", "Kod_508", "Kod_509"}},
        {"TempSpec", {"F10112", "F10312", "F30112", "F50912", "F10111", "F10311", "F30111", "F33211",
                      "F33311", "F50811", "F50911"}},
    };
    EXPECT_FALSE(QFile::exists(TempDatabasePath));   // the first report after start finds none
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        CreateTempTable(it.key());
        EXPECT_EQ(tablesOfTemp(), QStringList{it.key()});
        EXPECT_EQ(columnsOf(it.key()), it.value());
    }
}

TEST(TempDb, ANewTableReplacesTheFileWhateverItHeldAndWhateverTheCaseOfItsName)
{
    TestFolder folder;
    // The patient export placed by the user under another case of the name.
    const QString upper = QDir(ProgramFolder).filePath("TEMP.MDB");
    {
        db::Connection c(upper, db::OpenMode::Create);
        c.exec("CREATE TABLE patients (IDNUMBER TEXT)");
    }
    QFile journal(TempDatabasePath + "-journal");
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write("stale");
    journal.close();

    CreateTempTable("TempZOKC");
    EXPECT_FALSE(QFile::exists(upper));
    EXPECT_FALSE(QFile::exists(TempDatabasePath + "-journal"));
    EXPECT_EQ(tablesOfTemp(), QStringList{"TempZOKC"});
}

TEST(TempDb, AnUnknownNameIsAnErrorAndLeavesTheFileAlone)
{
    TestFolder folder;
    CreateTempTable("TempWork");
    for (const char* name : {"tempwork", "TempKarton", "", "TempWork; DROP TABLE x"})
        EXPECT_THROW(CreateTempTable(name), db::DbError) << name;
    EXPECT_EQ(tablesOfTemp(), QStringList{"TempWork"});
}

TEST(TempDb, ClearingEmptiesTheTableAndKeepsFileAndTable)
{
    TestFolder folder;
    ClearTempTable("TempWork");   // no file: nothing happens
    EXPECT_FALSE(QFile::exists(TempDatabasePath));

    CreateTempTable("TempWork");
    {
        db::Connection c = db::Connection::temp();
        c.exec("INSERT INTO TempWork (EGN, Time) VALUES ('7501010010', 15), ('8001010010', 26)");
    }
    ClearTempTable("TempWork");
    ClearTempTable("TempWork");    // already empty
    ClearTempTable("TempMater");   // a table the file does not hold
    EXPECT_EQ(tablesOfTemp(), QStringList{"TempWork"});
    db::Connection c = db::Connection::temp();
    EXPECT_EQ(c.scalar("SELECT count(*) FROM TempWork").toInt(), 0);
}

TEST(TempDb, FieldsKeepTheirTypeAsTheEngineKeptIt)
{
    TestFolder folder;
    // A value the field's type cannot hold is refused, not stored as text.
    const struct {
        const char* table;
        const char* field;
        QVariant fits, refused;
    } cases[] = {
        {"TempWork", "Time", 15, "15 мин"},
        {"TempMater", "Kol", 1.5, "много"},
        {"TempZOKC", "Kod_101", 3, "три"},
        {"TempSpec", "F50911", 7, "x"},
    };
    for (const auto& c : cases) {
        CreateTempTable(c.table);
        db::Connection t = db::Connection::temp();
        const QString insert = QString("INSERT INTO %1 (%2) VALUES (?)").arg(c.table, c.field);
        EXPECT_NO_THROW(t.exec(insert, {c.fits})) << c.table << "." << c.field;
        EXPECT_THROW(t.exec(insert, {c.refused}), db::DbError) << c.table << "." << c.field;
        const QVariant stored = t.scalar(QString("SELECT %1 FROM %2").arg(c.field, c.table));
        EXPECT_EQ(stored.toString(), c.fits.toString()) << c.table << "." << c.field;
    }
}

#include "db/database.h"
#include "db/paths.h"
#include "statistics/preparation.h"
#include "statistics/tempdb.h"
#include "fixtures.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tav;
using namespace tav::statistics;
using testing_support::SecondCopy;
using testing_support::TestFolder;
using testing_support::modeOf;

namespace {
QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}
QStringList egnsOfWorkList()
{
    QStringList egns;
    for (const db::Row& r : statistics_test::tempRows("TempWork"))
        egns << r.text("EGN");
    return egns;
}
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

TEST(TempDb, ANewTableReplacesTheWorkDatabaseAndLeavesTheFundsExportAlone)
{
    TestFolder folder;
    // The patient export placed by the user, under either case of its name.
    QMap<QString, QByteArray> exports;
    for (const char* name : {"temp.mdb", "TEMP.MDB"}) {
        const QString path = QDir(ProgramFolder).filePath(name);
        {
            db::Connection c(path, db::OpenMode::Create);
            c.exec("CREATE TABLE patients (IDNUMBER TEXT)");
        }
        exports.insert(path, bytesOf(path));
    }
    CreateTempTable("TempWork");
    // What a run cut off in the middle of a write left.
    QFile journal(TempDatabasePath + "-journal");
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write("stale");
    journal.close();

    CreateTempTable("TempZOKC");
    EXPECT_FALSE(QFile::exists(TempDatabasePath + "-journal"));
    EXPECT_EQ(tablesOfTemp(), QStringList{"TempZOKC"});
    for (auto it = exports.begin(); it != exports.end(); ++it)
        EXPECT_EQ(bytesOf(it.key()), it.value()) << it.key().toStdString();
    RemoveTempDatabase();
    for (auto it = exports.begin(); it != exports.end(); ++it)
        EXPECT_EQ(bytesOf(it.key()), it.value()) << it.key().toStdString();
}

TEST(TempDb, TheWorkDatabaseIsTheUsersAloneInAFolderOfItsOwnThatGoesWithIt)
{
    TestFolder folder;
    const mode_t umask = ::umask(022);
    CreateTempTable("TempWork");
    ::umask(umask);
    const QString workFolder = QFileInfo(TempDatabasePath).absolutePath();
    EXPECT_NE(workFolder, ProgramFolder);
    EXPECT_EQ(QFileInfo(workFolder).absolutePath(), ProgramFolder);
    EXPECT_EQ(modeOf(workFolder), 0700);
    EXPECT_EQ(modeOf(TempDatabasePath), 0600);
    {
        // The journal of a write under way takes the database's modes.
        db::Connection c = db::Connection::temp();
        db::Transaction t(c);
        c.exec("INSERT INTO TempWork (EGN) VALUES ('7501010010')");
        EXPECT_EQ(modeOf(TempDatabasePath + "-journal"), 0600);
    }
    RemoveTempDatabase();
    EXPECT_FALSE(QFileInfo::exists(workFolder));
    EXPECT_EQ(QDir(ProgramFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"data.mdb", "tavlinora.mdb"}));
}

// prepare FOLDER DOCTOR: another copy on the folder, preparing the work list
// of its doctor step by step as told: "create", "fill", "read".
const testing_support::RegisterHelper kPrepare("prepare", [](const QStringList& args) {
    setProgramFolder(args.value(0));
    testing_support::say("ready");
    for (QString command = testing_support::readCommand(); !command.isEmpty(); command = testing_support::readCommand()) {
        try {
            if (command == "create")
                CreateTempTable("TempWork");
            else if (command == "fill")
                FillTempWork(QDate(2010, 3, 1), QDate(2010, 3, 31), args.value(1));
            else if (command == "read")
                testing_support::say("rows " + egnsOfWorkList().join(' '));
            testing_support::say("done " + command);
        } catch (const db::DbError& e) {
            testing_support::say("failed " + e.userText().replace('\r', ' '));
        }
    }
    return 0;
});

TEST(TempDb, TwoCopiesPreparingAtOnceOnOneFolderEachGetTheirOwnRows)
{
    TestFolder folder;
    using statistics_test::addTreatment;
    const QString mine1 = statistics_test::egnFor(QDate(1975, 1, 1), 11);
    const QString mine2 = statistics_test::egnFor(QDate(1980, 2, 2), 22);
    const QString theirs = statistics_test::egnFor(QDate(1990, 3, 3), 33);
    for (const QString& egn : {mine1, mine2, theirs})
        statistics_test::addPatient(egn, "Пациент " + egn);
    addTreatment(mine1, QDate(2010, 3, 2), "101", "D1");
    addTreatment(mine2, QDate(2010, 3, 3), "301", "D1");
    addTreatment(theirs, QDate(2010, 3, 4), "508", "D2");

    SecondCopy other("prepare", {folder.path(), "D2"});
    ASSERT_FALSE(other.waitFor("ready").isEmpty()) << other.errorOutput().toStdString();
    const auto step = [&](const QString& command) {
        other.send(command);
        return other.waitFor("done " + command);
    };
    // Each step of one copy falls between two steps of the other.
    CreateTempTable("TempWork");
    ASSERT_FALSE(step("create").isEmpty()) << other.lines().join('\n').toStdString();
    FillTempWork(QDate(2010, 3, 1), QDate(2010, 3, 31), "D1");
    ASSERT_FALSE(step("fill").isEmpty()) << other.lines().join('\n').toStdString();
    EXPECT_EQ(egnsOfWorkList(), QStringList({mine1, mine2}));
    other.send("read");
    EXPECT_EQ(other.waitFor("rows").toStdString(), ("rows " + theirs).toStdString());
    EXPECT_EQ(other.finish(), 0);
    // Its work folder went with it; this copy's stays until its own end.
    EXPECT_EQ(egnsOfWorkList(), QStringList({mine1, mine2}));
    const QStringList folders = QDir(ProgramFolder).entryList({".*-??????"}, QDir::Dirs | QDir::Hidden);
    EXPECT_EQ(folders, QStringList{QFileInfo(QFileInfo(TempDatabasePath).absolutePath()).fileName()});
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

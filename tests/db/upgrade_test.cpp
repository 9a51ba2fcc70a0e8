#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"
#include "db/upgrade.h"
#include "support/previous_version.h"
#include "support/program_folder.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::db;
using testing_support::makeVersion1Folder;
using testing_support::schemaOf;
using testing_support::TestFolder;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a standard program; its output and errors together.
QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return QStringLiteral("cannot start %1").arg(program);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAll()).trimmed();
}

QString sqliteShellCheck(const QString& path)
{
    return run(QStringLiteral("sqlite3"), {path, QStringLiteral("PRAGMA integrity_check")});
}

// Python's own sqlite3 module: "table count" for every table of the file.
QString pythonCounts(const QString& path)
{
    static const QString script = QStringLiteral(
        "import sqlite3, sys\n"
        "c = sqlite3.connect('file:' + sys.argv[1] + '?mode=ro', uri=True)\n"
        "for (t,) in c.execute(\"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name\"):\n"
        "    print(t, c.execute('SELECT count(*) FROM \"%s\"' % t).fetchone()[0])\n");
    return run(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
}

QStringList tablesOf(Connection& c)
{
    QStringList t;
    for (const Row& r : c.query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
        t << r.text("name");
    return t;
}

// Every row of every table, RecID included, in RecID order.
QStringList contentOf(const QString& path)
{
    Connection c(path, OpenMode::ReadOnly);
    QStringList out;
    for (const QString& t : tablesOf(c))
        for (const Row& r : c.query(QStringLiteral("SELECT * FROM %1 ORDER BY RecID").arg(quoteName(t)))) {
            QStringList v;
            for (const QVariant& x : r.values())
                v << (x.isNull() ? QStringLiteral("NULL") : x.toString());
            out << t + QLatin1Char(':') + v.join(QLatin1Char('|'));
        }
    return out;
}

// A practice's data in a main file: RecIDs with a gap, names in mixed case.
void addPracticeRows(const QString& path)
{
    Connection c(path, OpenMode::ReadWrite);
    Transaction t(c);
    c.insert("Medic", {"Names", "EGN", "KodMedic", "Password"}, {"Мария Иванова", "0000000001", "2200001", "kod111"});
    c.insert("Pacients", {"EGN", "Names", "LKod", "PKod", "Tawn"}, {"7501020018", "Иван Петров", "2200001", "4000", "Пловдив"});
    c.insert("Pacients", {"EGN", "Names", "LKod"}, {"8001010011", "временен", "2200001"});
    c.insert("Pacients", {"EGN", "Names", "LKod"}, {"6503030030", "ЕЛЕНА ДИМОВА", "2200001"});
    c.exec("DELETE FROM Pacients WHERE EGN = ?", {"8001010011"});
    c.insert("Dental", {"EGN", "Z21", "Z36"}, {"7501020018", "K", "C"});
    c.insert("Dental", {"EGN"}, {"6503030030"});
    for (int i = 0; i < 3; ++i)
        c.insert("Help", {"EGN", "Data", "KodHelp", "TextHelp", "ZK", "ListID", "Cena", "Times", "KodMedic"},
                 {"7501020018", QDate(2025, 3, 10 + i), "301", "Обт.амалгама", 1, "000012", 21.13, 26, "2200001"});
    c.insert("Path", {"EGN", "ListID", "Data", "Nomer"}, {"7501020018", "000012", QDate(2025, 3, 10), "1"});
    t.commit();
}

void expectStandardToolsRead(const QString& path, const QStringList& counts)
{
    EXPECT_EQ(sqliteShellCheck(path), QString("ok")) << path.toStdString();
    const QString python = pythonCounts(path);
    for (const QString& c : counts)
        EXPECT_TRUE(python.split('\n').contains(c)) << c.toStdString() << "\n" << python.toStdString();
}

class UpgradeTest : public ::testing::Test {
protected:
    void TearDown() override { setUpgradeStepHook({}); }
};

} // namespace

TEST_F(UpgradeTest, StandardToolsOpenCheckAndReadTheProgramsFiles)
{
    TestFolder folder;
    addPracticeRows(DatabasePath);
    expectStandardToolsRead(DatabasePath, {"Pacients 2", "Dental 2", "Help 3", "CenyZK 6", "MedicUnit 1", "Medic 1"});
    Connection ref = Connection::reference();
    const QString postCodes = QStringLiteral("PostCode %1").arg(ref.scalar("SELECT count(*) FROM PostCode").toInt());
    expectStandardToolsRead(ReferenceDatabasePath, {postCodes, "Mater 8", "RazhNorm 9"});
    for (const QString& path : {DatabasePath, ReferenceDatabasePath})
        EXPECT_FALSE(bytesOf(path).contains("UNOCASE")) << path.toStdString();
}

TEST_F(UpgradeTest, AFileOfTheFirstVersionIsUpgradedKeepingEveryRowAndRecID)
{
    TestFolder fresh;   // the schema a new file gets
    const QStringList freshMain = schemaOf(DatabasePath);
    const QStringList freshReference = schemaOf(ReferenceDatabasePath);

    TestFolder folder(false);
    makeVersion1Folder();
    addPracticeRows(DatabasePath);
    // the fault being mended: the standard shell cannot check such a file
    EXPECT_NE(sqliteShellCheck(DatabasePath), QString("ok"));
    const QStringList before = contentOf(DatabasePath);
    ASSERT_EQ(before.filter(QRegularExpression("^Pacients:3\\|6503030030\\|ЕЛЕНА ДИМОВА\\|")).size(), 1)
        << before.join('\n').toStdString();

    ensureDatabases();   // start-up

    EXPECT_EQ(fileVersion(DatabasePath), currentVersion(DatabaseKind::Main));
    EXPECT_EQ(fileVersion(ReferenceDatabasePath), currentVersion(DatabaseKind::Reference));
    EXPECT_EQ(contentOf(DatabasePath), before);
    EXPECT_EQ(schemaOf(DatabasePath), freshMain);
    EXPECT_EQ(schemaOf(ReferenceDatabasePath), freshReference);
    expectStandardToolsRead(DatabasePath, {"Pacients 2", "Dental 2", "Help 3", "Path 1", "CenyZK 6"});
    expectStandardToolsRead(ReferenceDatabasePath, {"Mater 8", "RazhNorm 9"});

    // The rebuilt tables keep their rules: unique EGN, date CHECK, STRICT.
    Connection c = Connection::main();
    EXPECT_THROW(c.insert("Pacients", {"EGN"}, {"7501020018"}), DbError);
    EXPECT_THROW(c.insert("Help", {"Data"}, {"31.03.2026"}), DbError);
    EXPECT_THROW(c.insert("Help", {"Times"}, {"много"}), DbError);
    // A new row follows the kept ones.
    EXPECT_EQ(c.insert("Pacients", {"EGN"}, {"8001010011"}), 4);
}

TEST_F(UpgradeTest, AFileOfANewerVersionIsRefusedUntouched)
{
    const DatabaseKind kinds[] = {DatabaseKind::Main, DatabaseKind::Reference};
    for (const DatabaseKind kind : kinds) {
        TestFolder folder;
        const QString path = kind == DatabaseKind::Main ? DatabasePath : ReferenceDatabasePath;
        {
            Connection raw(path, OpenMode::ReadWrite);
            raw.exec(QStringLiteral("PRAGMA user_version = %1").arg(currentVersion(kind) + 1));
        }
        const QByteArray before = bytesOf(path);
        try {
            ensureDatabases();
            ADD_FAILURE() << "a newer file was accepted";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.userText().contains("по-нова версия на програмата")) << e.what();
            EXPECT_TRUE(e.userText().contains(QStringLiteral("версия на файла %1").arg(currentVersion(kind) + 1)))
                << e.what();
        }
        EXPECT_THROW(kind == DatabaseKind::Main ? Connection::main() : Connection::reference(), DbError);
        EXPECT_EQ(bytesOf(path), before);
    }
}

TEST_F(UpgradeTest, AFailingStepLeavesTheFileByteIdentical)
{
    struct Case {
        DatabaseKind kind;
        int failingVersion;
    };
    const Case cases[] = {
        {DatabaseKind::Main, 2},
        {DatabaseKind::Main, currentVersion(DatabaseKind::Main)},   // after every other step ran
        {DatabaseKind::Reference, currentVersion(DatabaseKind::Reference)},
    };
    for (const Case& k : cases) {
        TestFolder folder(false);
        makeVersion1Folder();
        addPracticeRows(DatabasePath);
        const QString path = k.kind == DatabaseKind::Main ? DatabasePath : ReferenceDatabasePath;
        const QByteArray before = bytesOf(path);
        setUpgradeStepHook([&](DatabaseKind kind, int version) {
            if (kind == k.kind && version == k.failingVersion)
                throw DbError("injected", "disk I/O error");
        });
        try {
            ensureDatabases();
            ADD_FAILURE() << "a failed upgrade was not reported";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("не може да бъде обновена до версия %1").arg(k.failingVersion)))
                << e.what();
            EXPECT_TRUE(e.message().contains("файлът е оставен непроменен")) << e.what();
            EXPECT_TRUE(e.engineText().contains("disk I/O error")) << e.what();
        }
        EXPECT_EQ(bytesOf(path), before) << int(k.kind) << " " << k.failingVersion;
        EXPECT_FALSE(QFile::exists(path + "-journal"));
        EXPECT_EQ(fileVersion(path), 1);

        setUpgradeStepHook({});
        ensureDatabases();
        EXPECT_EQ(fileVersion(path), currentVersion(k.kind));
    }
}

TEST_F(UpgradeTest, AnOlderFileReplacedWhileTheProgramRunsIsUpgradedAtItsNextOpen)
{
    TestFolder folder;
    testing_support::makeVersion1Database(DatabasePath, DatabaseKind::Main);
    addPracticeRows(DatabasePath);
    Connection c = Connection::main();
    EXPECT_EQ(c.scalar("PRAGMA user_version").toInt(), currentVersion(DatabaseKind::Main));
    EXPECT_EQ(c.scalar("SELECT count(*) FROM Pacients").toInt(), 2);
    EXPECT_FALSE(c.scalar("SELECT sql FROM sqlite_master WHERE name = 'Pacients'").toString().contains("UNOCASE"));
}

TEST_F(UpgradeTest, AFileOfAnotherKindIsNotUpgraded)
{
    TestFolder folder(false);
    makeVersion1Folder();
    QFile::remove(DatabasePath);
    QFile::copy(ReferenceDatabasePath, DatabasePath);
    const QByteArray before = bytesOf(DatabasePath);
    EXPECT_THROW(upgradeDatabase(DatabasePath, DatabaseKind::Main), DbError);
    EXPECT_EQ(bytesOf(DatabasePath), before);
}

TEST_F(UpgradeTest, TheReferenceDataGetsTheWholeCountrysPostCodesKeepingAPracticesOwnRows)
{
    TestFolder fresh;
    const QStringList delivered = contentOf(ReferenceDatabasePath);
    ASSERT_EQ(delivered.filter(QRegularExpression("^PostCode:")).size(), 5304);
    EXPECT_EQ(delivered.filter(QRegularExpression("^PostCode:")).first(), QString("PostCode:1|1000|София|Столична|София-град|22|NULL"));

    // untouched since the first version: afterwards the same as a new file
    {
        TestFolder folder(false);
        makeVersion1Folder();
        ensureDatabases();
        EXPECT_EQ(contentOf(ReferenceDatabasePath), delivered);
    }

    // a practice's own rows are kept, in their place
    TestFolder folder(false);
    makeVersion1Folder();
    {
        Connection raw(ReferenceDatabasePath, OpenMode::ReadWrite);
        raw.insert("PostCode", {"PKod", "Tawn", "Obsh", "Obl", "ZK", "ZdRn"},
                   {"4003", "Пловдив", "Пловдив", "Пловдив", "16", "22"});
        // a delivered row the practice corrected is theirs now
        raw.exec("UPDATE PostCode SET ZdRn = ? WHERE PKod = ?", {"05", "5300"});
    }
    ensureDatabases();
    Connection c = Connection::reference();
    EXPECT_EQ(c.scalar("SELECT count(*) FROM PostCode").toInt(), 5304 + 2);
    const Rows own = c.query("SELECT RecID, ZdRn FROM PostCode WHERE PKod = ? ORDER BY RecID", {"4003"});
    ASSERT_EQ(own.size(), 1);
    EXPECT_EQ(own[0].toInt("RecID"), 29);
    const Rows gabrovo = c.query("SELECT RecID, Tawn, ZdRn FROM PostCode WHERE PKod = ? ORDER BY RecID", {"5300"});
    ASSERT_GE(gabrovo.size(), 2);
    EXPECT_EQ(gabrovo[0].toInt("RecID"), 7);
    // the old district-centre rows are gone: no "01" region left for them
    EXPECT_EQ(c.scalar("SELECT ZdRn FROM PostCode WHERE PKod = ? ORDER BY RecID", {"4000"}).toString(), QString("22"));
    EXPECT_EQ(c.scalar("SELECT count(*) FROM PostCode WHERE PKod = ? AND Tawn = ?", {"2700", "Благоевград"}).toInt(), 1);
    EXPECT_EQ(c.scalar("SELECT ZdRn FROM PostCode WHERE PKod = ? AND Tawn = ?", {"2700", "Благоевград"}).toString(), QString("03"));
    EXPECT_TRUE(c.scalar("SELECT ZdRn FROM PostCode WHERE PKod = ? ORDER BY RecID", {"1000"}).isNull());
}

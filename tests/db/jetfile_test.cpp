#include "db/database.h"
#include "db/jetfile.h"
#include "support/test_data.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tav::db;
using testing_support::testDataFile;

namespace {

QStringList column(const JetTable& t, int field)
{
    QStringList values;
    for (const QStringList& row : t.rows)
        values << row.value(field);
    return values;
}

} // namespace

// A file the engine itself wrote keeps its rows where the engine put them:
// table order is page and slot order, not the order of the key.
TEST(JetFile, ReadsAnEngineWrittenFileInStoredOrderWithNamesInAnyCase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("testodbc.mdb");
    ASSERT_TRUE(testing_support::unpackEngineWrittenJet(path)) << testing_support::kEngineWrittenJetMissing;
    ASSERT_TRUE(isJetFile(path));
    JetFile jet(path);
    EXPECT_EQ(jet.tableNames(), QStringList{"FPdev"});
    EXPECT_EQ(jet.findTable("fpdev"), QString("FPdev"));
    EXPECT_EQ(jet.fieldNames("FPDEV"), (QStringList{"id", "UserName", "InstEmail"}));

    const JetTable t = jet.read("fpDev", {"ID", "username"});
    EXPECT_EQ(t.name, QString("FPdev"));
    EXPECT_EQ(t.fields, (QStringList{"id", "UserName"}));
    EXPECT_EQ(column(t, 0), (QStringList{"1", "2", "3", "4", "5", "7", "8", "6"}));
    EXPECT_EQ(t.rows[0][1], QString("Michael Van Canneyt"));
    EXPECT_EQ(t.rows[7][1], QString("Jonas Maebe"));
}

// The engine-written file is found under whichever compiler version its
// package holds, so the next version of the package keeps the tests running.
TEST(JetFile, TheEngineWrittenFileIsFoundUnderAnyVersionOfItsPackage)
{
    const struct {
        QStringList files;   // under the doc root
        QString found;
    } cases[] = {
        {{"fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz"}, "fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz"},
        {{"fp-units-db/3.2.4/examples/odbc/testodbc.mdb.gz", "fp-units-db/copyright"},
         "fp-units-db/3.2.4/examples/odbc/testodbc.mdb.gz"},
        {{"fp-units-db-3.3.1/3.3.1/examples/odbc/testodbc.mdb.gz", "fp-units-db/copyright"},
         "fp-units-db-3.3.1/3.3.1/examples/odbc/testodbc.mdb.gz"},
        {{"fp-units-db/3.2.2/examples/odbc/testodbc.pp", "fp-units-base/3.2.2/examples/odbc/testodbc.mdb.gz"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files.join(", ").toStdString());
        QTemporaryDir root;
        for (const QString& f : c.files) {
            ASSERT_TRUE(QDir(root.path()).mkpath(QFileInfo(root.filePath(f)).path()));
            QFile file(root.filePath(f));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(testing_support::engineWrittenJetPacked(root.path()), c.found.isEmpty() ? "" : root.filePath(c.found));
    }
}

// The fixture writer's file: Cyrillic in code page 1251, dates, numbers and
// Nulls, also a Null right after a value in the same column.
TEST(JetFile, ReadsTheFundExportFixture)
{
    const QString path = testDataFile("fund_export.mdb");
    ASSERT_TRUE(isJetFile(path));
    JetFile jet(path);
    EXPECT_EQ(jet.tableNames(), (QStringList{"Patients", "address", "eknm", "s_code", "st_code"}));

    const JetTable p = jet.read("patients", {"idnumber", "NAME1", "NAME2", "POL", "BIRTHDATE", "DATEREG", "RECBOOK"});
    ASSERT_EQ(p.rows.size(), 11);
    EXPECT_EQ(p.rows[0], (QStringList{"8503051241", "Иван", "Петров", "0", "1985-03-05", "2009-03-05", " 0012 "}));
    EXPECT_TRUE(p.rows[1][2].isNull());              // Null after "Петров"
    EXPECT_EQ(p.rows[2][2], QString("  "));
    EXPECT_TRUE(p.rows[2][3].isNull());              // POL Null
    EXPECT_TRUE(p.rows[4][0].isNull());              // IDNUMBER Null
    EXPECT_EQ(p.rows[6][4], QString());              // no date
    EXPECT_EQ(p.rows[7][5], QString());
    EXPECT_EQ(column(p, 0).last(), QString("8503051241"));

    // An empty text is no Null, in a variable column and after one.
    const JetTable a = jet.read("address", {"STREET2", "NOMBLOK", "VHOD"});
    EXPECT_FALSE(a.rows[0][0].isNull());
    EXPECT_EQ(a.rows[0][0], QString(""));
    EXPECT_TRUE(a.rows[0][1].isNull());
    EXPECT_EQ(a.rows[0][2], QString(" "));
    EXPECT_EQ(a.rows[1][0], QString("ж.к. Младост 1"));
    EXPECT_TRUE(a.rows[2][0].isNull());

    const JetTable e = jet.read("EKNM", {"townvillag", "KIND", "TOWNVILLA2"});
    EXPECT_EQ(e.fields, (QStringList{"TOWNVILLAG", "Kind", "TOWNVILLA2"}));
    EXPECT_EQ(e.rows[2], (QStringList{"V0001", "с.", "Бистрица"}));
}

TEST(JetFile, ColumnsComeWithTheirKinds)
{
    JetFile jet(testDataFile("fund_export.mdb"));
    QStringList got;
    for (const JetColumn& c : jet.columns("PATIENTS"))
        got << c.name + ":" + jetTypeName(c.type);
    EXPECT_EQ(got, (QStringList{"ID:число", "IDNUMBER:текст", "NAME1:текст", "NAME2:текст", "NAME3:текст", "POL:число",
                                "BIRTHDATE:дата и час", "DATEREG:дата и час", "HIMNUMBER:текст", "RECBOOK:текст"}));
    EXPECT_THROW(jet.columns("patient"), DbError);
}

// The layout check knows the files that are sound: the fixture writer's and
// the engine's own (its variable columns keep a fixed offset, its index
// descriptors come before the columns'), and their code pages.
TEST(JetFile, SoundFilesHaveNoFaultyDefinitionAndTellTheirCodePage)
{
    QTemporaryDir dir;
    const QString engine = dir.filePath("testodbc.mdb");
    ASSERT_TRUE(testing_support::unpackEngineWrittenJet(engine)) << testing_support::kEngineWrittenJetMissing;
    const struct {
        QString path;
        int codePage;
        int tables;
    } files[] = {{testDataFile("fund_export.mdb"), 1251, 5}, {engine, 1252, 1}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.path.toStdString());
        JetFile jet(f.path);
        EXPECT_EQ(jet.codePage(), f.codePage);
        EXPECT_FALSE(jet.unicodeText());
        ASSERT_EQ(jet.tableNames().size(), f.tables);
        for (const QString& table : jet.tableNames())
            for (const JetColumn& c : jet.columns(table))
                EXPECT_EQ(c.fault, QString()) << c.name.toStdString();
    }
}

TEST(JetFile, MissingTablesFieldsAndForeignFilesAreNamed)
{
    JetFile jet(testDataFile("fund_export.mdb"));
    EXPECT_EQ(jet.findTable("patient"), QString());
    try {
        jet.read("st_codes", {"TYPE"});
        FAIL() << "a missing table was read";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("st_codes")) << e.message().toStdString();
    }
    try {
        jet.read("st_code", {"TYPE", "NAME2"});
        FAIL() << "a missing field was read";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("NAME2")) << e.message().toStdString();
    }

    QTemporaryDir dir;
    const QString sqlite = dir.filePath("x.mdb");
    {
        Connection c(sqlite, OpenMode::Create);
        c.exec("CREATE TABLE patients (IDNUMBER TEXT)");
    }
    EXPECT_FALSE(isJetFile(sqlite));
    EXPECT_THROW(JetFile{sqlite}, DbError);
    EXPECT_THROW(JetFile{dir.filePath("none.mdb")}, DbError);
}

// A file cut short, as by an interrupted copy or a full disk, loses whole
// pages: a table whose rows are not all there is refused, not read in part.
TEST(JetFile, ATableCutShortIsRefused)
{
    QFile f(testDataFile("fund_export.mdb"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    QTemporaryDir dir;
    const struct {
        int cut;            // bytes missing at the end
        bool stCodeWhole;   // the last table's rows all readable
    } cases[] = {{0, true}, {2048, false}, {4096, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cut);
        const QString path = dir.filePath(QStringLiteral("cut%1.mdb").arg(c.cut));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(whole.left(whole.size() - c.cut));
        out.close();
        JetFile jet(path);
        EXPECT_EQ(jet.read("patients", {"IDNUMBER"}).rows.size(), 11);
        if (c.stCodeWhole) {
            EXPECT_EQ(jet.read("st_code", {"TYPE"}).rows.size(), 4);
            continue;
        }
        try {
            const JetTable t = jet.read("st_code", {"TYPE"});
            FAIL() << "read " << t.rows.size() << " rows of a table cut short";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.message().contains("st_code")) << e.message().toStdString();
        }
    }
}

// A copy cut inside a page loses rows that libmdb would read as Nulls; the
// engine's own files are whole pages and at most one byte more.
TEST(JetFile, AFileCutInsideAPageIsRefusedByItsLength)
{
    QFile f(testDataFile("fund_export.mdb"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    ASSERT_EQ(whole.size() % 2048, 0);
    QByteArray jet4 = whole;
    jet4[0x14] = 1;   // pages of 4096 bytes
    const struct {
        const char* name;
        QByteArray bytes;
        bool opens;
    } cases[] = {
        {"whole", whole, true},
        {"one byte more", whole + QByteArray(1, '\0'), true},
        {"two bytes more", whole + QByteArray(2, '\0'), false},
        {"one byte less", whole.left(whole.size() - 1), false},
        {"half a page less", whole.left(whole.size() - 1024), false},
        {"a page less", whole.left(whole.size() - 2048), true},
        {"a page less but one byte", whole.left(whole.size() - 2047), true},
        {"Jet 4 in half a page more", jet4 + QByteArray(2048, '\0'), false},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("x.mdb");
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        try {
            JetFile jet(path);
            EXPECT_TRUE(c.opens);
        } catch (const DbError& e) {
            EXPECT_FALSE(c.opens) << e.userText().toStdString();
            EXPECT_TRUE(e.message().startsWith("Файлът е непълен")) << e.message().toStdString();
        }
    }

    // The engine's own file: 40 pages and one byte.
    const QString engine = dir.filePath("testodbc.mdb");
    ASSERT_TRUE(testing_support::unpackEngineWrittenJet(engine)) << testing_support::kEngineWrittenJetMissing;
    EXPECT_EQ(QFileInfo(engine).size(), 40 * 2048 + 1);
    EXPECT_NO_THROW(JetFile{engine});
}

// A FIFO in the file's place would block the first open for good.
TEST(JetFile, AFifoIsNoJetFileAndIsNotOpened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("temp.mdb");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(isJetFile(fifo));
    EXPECT_THROW(JetFile{fifo}, DbError);
}

// The committed Jet fixture is what the writer makes of the committed script:
// an edit of one without the other shows here.
TEST(JetFile, TheFixtureIsTheWritersOutputOfItsScript)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("fund_export.mdb");
    QProcess tool;
    tool.start("python3", {QStringLiteral(TAV_TEST_DATA "/../tools/make_jet3.py"), testDataFile("fund_export.sql"), out});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QFile made(out), committed(testDataFile("fund_export.mdb"));
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    ASSERT_TRUE(committed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(made.readAll() == committed.readAll())
        << "tests/data/fund_export.mdb is out of date: run tests/tools/make_jet3.py tests/data/fund_export.sql tests/data/fund_export.mdb";
}

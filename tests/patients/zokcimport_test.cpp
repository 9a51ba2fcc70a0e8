#include "fixtures.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/prompts.h"
#include "patients/zokcimport.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "support/test_data.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <cstdio>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tav;
using namespace tav::patients;
using testing_support::TestFolder;
using testing_support::testDataFile;

namespace {

const char* kNull = "<Null>";

QString stored(const db::Row& r, const char* field)
{
    const QVariant v = r.value(QString::fromLatin1(field));
    return v.isNull() ? QString::fromLatin1(kNull) : v.toString();
}

QString fileText(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Where the user puts the export: the program folder itself.
QString exportFile()
{
    return QDir(ProgramFolder).filePath(kTempFileName);
}

// The reader programs this test program started and that have not ended
// (a zombie not yet reaped counts).
int readersLeft()
{
    int left = 0;
    const QString parent = QString::number(getpid());
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString dir = it.next();
        bool isPid = false;
        it.fileName().toInt(&isPid);
        if (!isPid)
            continue;
        const QString stat = QString::fromUtf8(fileBytes(dir + QStringLiteral("/stat")));
        // pid (comm) state ppid ...: the name may hold blanks, so read from its end.
        const qsizetype close = stat.lastIndexOf(QLatin1Char(')'));
        if (close < 0)
            continue;
        const QString comm = stat.mid(stat.indexOf(QLatin1Char('(')) + 1, close - stat.indexOf(QLatin1Char('(')) - 1);
        const QStringList rest = stat.mid(close + 2).split(QLatin1Char(' '));
        if (rest.size() > 1 && rest[1] == parent && kZokcReaderName.startsWith(comm))
            ++left;
    }
    return left;
}

// The Debian engine-written Jet file, cut to `length` bytes; `whole` pads
// it back with zeros to whole pages, so that libmdb itself meets the cut.
QByteArray engineFileCut(int length, bool whole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("testodbc.mdb");
    if (!testing_support::unpackEngineWrittenJet(path))
        return {};
    QByteArray bytes = fileBytes(path).left(length);
    if (whole)
        bytes += QByteArray((2048 - bytes.size() % 2048) % 2048, '\0');
    return bytes;
}

// Pages of the fund export fixture: 2048 bytes each, the catalogue's
// definition on page 2, one definition page per table after it.
constexpr int kPage = 2048;

QByteArray fixtureBytes()
{
    return fileBytes(testDataFile("fund_export.mdb"));
}

// The used-pages map pointer (offset 35 of a table definition page) of every
// export table named as row 127 of the map page, a row that does not exist.
QByteArray usageMapPointerToAMissingRow()
{
    QByteArray bytes = fixtureBytes();
    for (int page = 3; page < bytes.size() / kPage; ++page)
        if (bytes[page * kPage] == 0x02)
            qToLittleEndian<quint32>((1u << 8) | 0x7F, bytes.data() + page * kPage + 35);
    return bytes;
}

// The fixture with one column of the patients table declared of another
// kind: the type byte of its descriptor on the definition page (page 4).
QByteArray patientsColumnOfKind(int column, char type)
{
    QByteArray bytes = fixtureBytes();
    const int at = 4 * kPage;
    EXPECT_EQ(bytes[at], char(0x02));
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + at + 12), 11u);   // the 11 patients
    bytes[at + 43 + 18 * column] = type;
    return bytes;
}

// The definition pages of the fixture's tables, and the fields of a column's
// descriptor there (18 bytes from offset 43, the fixture has no indexes).
enum FixturePage { kPatientsPage = 4, kAddressPage = 6, kEknmPage = 8, kSCodePage = 10, kStCodePage = 12 };
enum Descriptor { kKind = 0, kNumber = 1, kVariableIndex = 3, kFlags = 13, kFixedOffset = 14, kSize = 16 };

// The fixture with a field of one column's descriptor set to `value`: one
// byte for the kind and the flags, two little-endian ones for the rest.
QByteArray withColumnDefinition(int page, int column, Descriptor field, int value)
{
    QByteArray bytes = fixtureBytes();
    const int at = page * kPage + 43 + 18 * column + field;
    EXPECT_EQ(bytes[page * kPage], char(0x02));
    if (field == kKind || field == kFlags)
        bytes[at] = char(value);
    else
        qToLittleEndian<quint16>(quint16(value), bytes.data() + at);
    return bytes;
}

// The fixture with its header's code page (offset 0x3C, masked by a stream
// cipher, so a changed bit of the file is that bit of the value) set.
QByteArray withCodePage(quint16 codePage)
{
    QByteArray bytes = fixtureBytes();
    const quint16 change = codePage ^ 1251;
    bytes[0x3C] = char(bytes[0x3C] ^ char(change & 0xff));
    bytes[0x3D] = char(bytes[0x3D] ^ char(change >> 8));
    return bytes;
}

// The export as an SQLite temp.mdb, built from the same script as the Jet
// fixture; `edit` runs on it afterwards.
void writeSqliteExport(const QString& path, const QString& edit = {})
{
    QFile::remove(path);
    db::Connection c(path, db::OpenMode::Create);
    c.execScript(fileText(testDataFile("fund_export.sql")));
    if (!edit.isEmpty())
        c.execScript(edit);
}

db::Rows pacients()
{
    db::Connection c = db::Connection::main();
    return c.query("SELECT * FROM Pacients ORDER BY RecID");
}

int rowsOf(const QString& table)
{
    db::Connection c = db::Connection::main();
    return c.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt();
}

class ZokcImport : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = "220001";
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        placeExport();
    }
    void TearDown() override
    {
        prompts() = {};
        zokcReader() = {};
    }

    bool jet() const { return QString::fromLatin1(GetParam()) == "jet"; }

    // The fixture as temp.mdb, spelt as the user may have spelt it.
    void placeExport(const QString& name = kTempFileName)
    {
        exportPath = QDir(folder.path()).filePath(name);
        if (jet())
            ASSERT_TRUE(QFile::copy(testDataFile("fund_export.mdb"), exportPath));
        else
            writeSqliteExport(exportPath);
    }

    TestFolder folder;
    QString exportPath;
    QStringList messages;
};

struct Expected {
    const char* egn;
    const char* names;
    const char* dataB;
    const char* pol;
    const char* dataR;
    const char* zbook;
    const char* rbook;
    const char* pkod;
    const char* tawn;
    const char* adres;
    const char* dtel;
    const char* stel;
    const char* obsh;
    const char* obl;
    const char* rzok;
    const char* zr;
};

// Export order; the rows without EGN, first name or dates, and the second
// row of an EGN, are not among them.
const Expected kNewPatients[] = {
    {"8503051241", "Иван Петров Иванов", "05.03.1985", "М", "5/3/2009", "12345678", " 0012 ", "1000", "гр.София",
     "Витоша №12, ет.3", "02 9876543", "02 9876544", "Столична", "София-град", "22", "01"},
    // only NAME1; STREET2 in front; " ,ап."; blank KIND; blank municipality name
    {"9001010036", "Мария", "01.01.1990", "Ж", "20/11/2010", kNull, kNull, "4000", "Пловдив",
     "ж.к. Младост 1 ул. Иван Вазов бл.25, вх.А ,ап.7", kNull, kNull, kNull, "Пловдив", "16", "04"},
    // blank NAME2; POL Null; settlement and municipality keys in another case; blank district name
    {"7606153315", "Елена Георгиева", "15.06.1976", "Ж", "1/2/2011", kNull, "Р-77", "1444", "с.Бистрица",
     "ул. Шипка 5", kNull, kNull, "Столична", kNull, "23", "02"},
    {"6712240180", "Георги Димитров", "24.12.1967", "М", "10/1/2008", kNull, kNull, "1000", "гр.София",
     "ул. Раковски №1", kNull, kNull, "Столична", "София-град", "22", "01"},
    // no address row
    {"8008088800", "Стоян Колев", "08.08.1980", "М", "31/12/2012", kNull, kNull, kNull, kNull, kNull, kNull, kNull,
     kNull, kNull, kNull, kNull},
    // no settlement row
    {"5504121121", "Петко Славов", "12.04.1955", "М", "1/7/2013", kNull, kNull, "2700", kNull, "ул. Рила 3",
     "073 12345", kNull, kNull, kNull, kNull, kNull},
};

TEST_P(ZokcImport, AddsTheNewPatientsWithChartAndExaminationNumberedFromOne)
{
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString("Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"));

    const db::Rows rows = pacients();
    ASSERT_EQ(rows.size(), int(std::size(kNewPatients)));
    for (int i = 0; i < rows.size(); ++i) {
        const db::Row& r = rows[i];
        const Expected& e = kNewPatients[i];
        SCOPED_TRACE(e.egn);
        const QStringList got{stored(r, "EGN"), stored(r, "Names"), stored(r, "DataB"), stored(r, "Pol"),
                              stored(r, "DataR"), stored(r, "ZBook"), stored(r, "RBook"), stored(r, "PKod"),
                              stored(r, "Tawn"), stored(r, "Adres"), stored(r, "DTel"), stored(r, "STel"),
                              stored(r, "Obsh"), stored(r, "Obl"), stored(r, "RZOK"), stored(r, "ZR")};
        const QStringList want{e.egn, e.names, e.dataB, e.pol, e.dataR, e.zbook, e.rbook, e.pkod, e.tawn,
                               e.adres, e.dtel, e.stel, e.obsh, e.obl, e.rzok, e.zr};
        EXPECT_EQ(got, want);
        EXPECT_EQ(stored(r, "LKod"), QString("220001"));
        EXPECT_EQ(r.toInt("IDName"), i + 1);
        for (const char* untouched : {"KV", "UL", "BL", "MTel", "Prof", "Nep", "TKod", "Fax"})
            EXPECT_EQ(stored(r, untouched), QString(kNull)) << untouched;
        EXPECT_EQ(patients_test::count("Dental", e.egn), 1);
    }

    db::Connection c = db::Connection::main();
    const db::Rows help = c.query("SELECT * FROM Help ORDER BY RecID");
    ASSERT_EQ(help.size(), rows.size());
    EXPECT_EQ(stored(help[0], "EGN"), QString("8503051241"));
    EXPECT_EQ(stored(help[0], "Data"), QString("2009-03-05"));
    for (const db::Row& h : help) {
        EXPECT_EQ(stored(h, "KodHelp"), QString("101"));
        EXPECT_EQ(stored(h, "Help"), QString("Преглед"));
        EXPECT_TRUE(h.yes("ZK"));
        EXPECT_FALSE(h.yes("Schet"));
        EXPECT_EQ(stored(h, "KodMedic"), QString("220001"));
        EXPECT_EQ(stored(h, "ListID"), QString(kNull));
    }
    const db::Row chart = c.first("SELECT * FROM Dental WHERE EGN = ?", {"9001010036"});
    for (int z = 1; z <= 52; ++z)
        EXPECT_TRUE(chart.value(QStringLiteral("Z%1").arg(z)).isNull());
}

TEST_P(ZokcImport, AnExistingPatientKeepsItsRowAndGetsOnlyWhatItLacks)
{
    // One patient without chart and treatments, one with both; numbers go on
    // from the largest stored one, past the 16 bits of old.
    {
        db::Connection c = db::Connection::main();
        c.insert("Pacients", {"EGN", "Names", "LKod", "IDName"}, {"6712240180", "Георги Стоянов", "220002", 32767});
        c.insert("Pacients", {"EGN", "Names", "LKod", "IDName"}, {"8503051241", "Иван Иванов", "220002", 7});
        c.insert("Dental", {"EGN", "Z21"}, {"8503051241", "C"});
        c.insert("Help", {"EGN", "Data", "KodHelp", "KodMedic"}, {"8503051241", QDate(2020, 1, 2), "301", "220002"});
    }
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString("Завърших обработката на данните!\rНови пациенти: 4\rПропуснати редове: 4"));

    const db::Rows rows = pacients();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(stored(rows[0], "Names"), QString("Георги Стоянов"));
    EXPECT_EQ(rows[0].toInt("IDName"), 32767);
    EXPECT_EQ(stored(rows[0], "LKod"), QString("220002"));
    EXPECT_EQ(stored(rows[1], "Names"), QString("Иван Иванов"));
    QList<int> numbers;
    for (int i = 2; i < rows.size(); ++i)
        numbers << rows[i].toInt("IDName");
    EXPECT_EQ(numbers, (QList<int>{32768, 32769, 32770, 32771}));

    EXPECT_EQ(patients_test::count("Dental", "6712240180"), 1);
    EXPECT_EQ(patients_test::count("Help", "6712240180"), 1);
    EXPECT_EQ(patients_test::count("Dental", "8503051241"), 1);
    EXPECT_EQ(patients_test::count("Help", "8503051241"), 1);
    db::Connection c = db::Connection::main();
    EXPECT_EQ(c.scalar("SELECT Data FROM Help WHERE EGN = ?", {"6712240180"}).toString(), QString("2008-01-10"));
    EXPECT_EQ(c.scalar("SELECT Z21 FROM Dental WHERE EGN = ?", {"8503051241"}).toString(), QString("C"));
}

TEST_P(ZokcImport, ASecondRunAddsNothingAndTheExportStaysAsItWas)
{
    const QByteArray before = fileHash(exportPath);
    ImportZOKCPatients();
    const int patients = rowsOf("Pacients"), charts = rowsOf("Dental"), treatments = rowsOf("Help");
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], QString("Завърших обработката на данните!\rНови пациенти: 0\rПропуснати редове: 4"));
    EXPECT_EQ(rowsOf("Pacients"), patients);
    EXPECT_EQ(rowsOf("Dental"), charts);
    EXPECT_EQ(rowsOf("Help"), treatments);
    EXPECT_EQ(fileHash(exportPath), before);
}

TEST_P(ZokcImport, TheExportIsFoundWhateverTheCaseOfItsName)
{
    QFile::remove(exportPath);
    placeExport("TEMP.MDB");
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Завърших обработката на данните!"));
    EXPECT_EQ(rowsOf("Pacients"), 6);
}

// The report work file may live elsewhere: the export is the one the user
// put in the program folder.
TEST_P(ZokcImport, TheExportIsTakenFromTheProgramFolderWhereverTheReportWorkFileIs)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("copy"));
    TempDatabasePath = QDir(folder.path()).filePath("copy/temp.mdb");
    {
        db::Connection c(TempDatabasePath, db::OpenMode::Create);
        c.exec("CREATE TABLE TempWork (EGN TEXT)");
    }
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Завърших обработката на данните!")) << messages[0].toStdString();
    EXPECT_EQ(rowsOf("Pacients"), 6);
}

TEST_P(ZokcImport, AnEngineFailureUndoesTheWholeRunAndIsReported)
{
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE INSERT ON Help WHEN NEW.EGN = '5504121121'"
               " BEGIN SELECT RAISE(ABORT, 'отказан ред'); END");
    }
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("отказан ред")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith("Нищо не е добавено.")) << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains("Завърших"));
    EXPECT_EQ(rowsOf("Pacients"), 0);
    EXPECT_EQ(rowsOf("Dental"), 0);
    EXPECT_EQ(rowsOf("Help"), 0);
}

INSTANTIATE_TEST_SUITE_P(Sources, ZokcImport, ::testing::Values("sqlite", "jet"),
                         [](const auto& info) { return std::string(info.param); });

// The refusals: what is missing is named, and nothing is written.
class ZokcRefusal : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = "220001";
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
    }
    void TearDown() override
    {
        prompts() = {};
        zokcReader() = {};
    }

    QString runOnce()
    {
        messages.clear();
        ImportZOKCPatients();
        EXPECT_EQ(messages.size(), 1);
        EXPECT_EQ(rowsOf("Pacients"), 0);
        EXPECT_EQ(rowsOf("Dental"), 0);
        EXPECT_EQ(rowsOf("Help"), 0);
        return messages.value(0);
    }

    TestFolder folder;
    QStringList messages;
};

// What the user is told to do when the export is not in place: the same
// words in every refusal of the file.
QString placement()
{
    return QStringLiteral("Запишете файла с пациентите, получен от ЗОКС, с името temp.mdb в папката на програмата:\r")
        + QDir::toNativeSeparators(ProgramFolder);
}

TEST_F(ZokcRefusal, MissingFileTablesFieldsAndRowsAreNamed)
{
    EXPECT_EQ(runOnce(), "Няма файл temp.mdb в папката на програмата\r" + placement() + "\rНищо не е добавено.");

    // What a report run of an older version left as temp.mdb.
    {
        db::Connection c(exportFile(), db::OpenMode::Create);
        c.exec("CREATE TABLE TempWork (EGN TEXT, KodHelp TEXT)");
    }
    const QString work = runOnce();
    EXPECT_TRUE(work.startsWith("Файлът temp.mdb не съдържа данните от ЗОКС\rЛипсва: таблица patients")) << work.toStdString();
    EXPECT_TRUE(work.endsWith("\r" + placement() + "\rНищо не е добавено.")) << work.toStdString();

    const struct {
        const char* edit;
        QStringList named;
    } cases[] = {
        {"DROP TABLE st_code", {"таблица st_code"}},
        {"DROP TABLE eknm;\nDROP TABLE s_code", {"таблица eknm", "таблица s_code"}},
        {"ALTER TABLE address DROP COLUMN FAX", {"поле FAX в таблица address"}},
        {"ALTER TABLE Patients RENAME COLUMN IDNUMBER TO EGN", {"поле IDNUMBER в таблица Patients"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        writeSqliteExport(exportFile(), QString::fromLatin1(c.edit));
        const QString text = runOnce();
        EXPECT_TRUE(text.startsWith("Файлът temp.mdb не съдържа данните от ЗОКС")) << text.toStdString();
        for (const QString& n : c.named)
            EXPECT_TRUE(text.contains(n)) << text.toStdString();
        EXPECT_TRUE(text.endsWith("Нищо не е добавено."));
    }

    writeSqliteExport(exportFile(), "DELETE FROM Patients");
    EXPECT_EQ(runOnce(), QString("Във файла temp.mdb няма нито един пациент (таблица Patients е празна).\r"
                                 "Нищо не е добавено."));

    // A Jet file of another program: none of the five tables.
    QFile::remove(exportFile());
    ASSERT_TRUE(testing_support::unpackEngineWrittenJet(exportFile())) << testing_support::kEngineWrittenJetMissing;
    const QString other = runOnce();
    for (const char* t : {"patients", "address", "eknm", "s_code", "st_code"})
        EXPECT_TRUE(other.contains(QStringLiteral("таблица %1").arg(t))) << other.toStdString();

    QFile::remove(exportFile());
    {
        QFile f(exportFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("IDNUMBER;NAME1\n8503051241;Иван\n");
    }
    EXPECT_TRUE(runOnce().startsWith("Файлът temp.mdb не е база данни на Jet или SQLite"));
}

// The help's topic of the import tells what to put where in the words of
// the refusals.
TEST(ZokcHelp, TheImportHasATopicInTheWordsOfItsMessages)
{
    const QString html = fileText(QStringLiteral(TAV_TEST_DATA "/../../src/shell/help/tavlinora_help.html")).simplified();
    const qsizetype at = html.indexOf("<h3><a name=\"topic47\"></a>Добавяне от ЗОКС (меню „Пациенти“)</h3>");
    ASSERT_GE(at, 0);
    const QString topic = html.mid(at, html.indexOf("<h3>", at + 4) - at);
    EXPECT_TRUE(topic.contains("Запишете файла с пациентите, получен от ЗОКС, с името <b>temp.mdb</b> в папката на програмата"))
        << topic.toStdString();
    EXPECT_TRUE(topic.contains("„Файлът temp.mdb е повреден или непълен“")) << topic.toStdString();
    EXPECT_TRUE(html.contains("<a href=\"#topic47\">Добавяне от ЗОКС</a>"));
}

const QString kDamaged = QStringLiteral("Файлът temp.mdb е повреден или непълен");

// A damaged export ends in one refusal that names the file and its folder;
// the reader has ended and the practice is as it was, byte for byte.
class ZokcDamagedExport : public ZokcRefusal {
protected:
    QString refusalOf(const QByteArray& exportBytes)
    {
        writeBytes(exportFile(), exportBytes);
        const QByteArray practice = fileBytes(DatabasePath);
        const QString text = runOnce();
        EXPECT_TRUE(text.startsWith(kDamaged)) << text.toStdString();
        EXPECT_TRUE(text.endsWith("\r" + placement() + "\rНищо не е добавено.")) << text.toStdString();
        EXPECT_EQ(readersLeft(), 0);
        EXPECT_TRUE(fileBytes(DatabasePath) == practice);
        return text;
    }
};

// libmdb crashes on the first, and loops on the others (the second without
// end and without memory, the third eating memory): each in the reader,
// which is ended by its signal, its wall clock or its memory limit.
TEST_F(ZokcDamagedExport, AJetFileThatCrashesOrLoopsTheReaderIsRefused)
{
    ASSERT_FALSE(engineFileCut(42733, true).isEmpty()) << testing_support::kEngineWrittenJetMissing;
    const struct {
        const char* name;
        QByteArray bytes;
        int wallClockMs;
        qint64 memoryBytes;
        int atLeastMs, atMostMs;
    } cases[] = {
        {"used-pages map pointer to a missing row", usageMapPointerToAMissingRow(), 10000, qint64(1) << 30, 0, 5000},
        {"engine file cut to 42733 bytes, then whole pages", engineFileCut(42733, true), 1500, qint64(1) << 30, 1500, 8000},
        {"engine file cut to 42781 bytes, then whole pages", engineFileCut(42781, true), 1500, qint64(1) << 30, 1500, 8000},
        {"engine file cut to 42760 bytes, then whole pages", engineFileCut(42760, true), 60000, qint64(256) << 20, 0, 30000},
        {"engine file cut to 42733 bytes", engineFileCut(42733, false), 10000, qint64(1) << 30, 0, 5000},
        {"engine file cut to 42781 bytes", engineFileCut(42781, false), 10000, qint64(1) << 30, 0, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zokcReader().wallClockMs = c.wallClockMs;
        zokcReader().memoryBytes = c.memoryBytes;
        QElapsedTimer clock;
        clock.start();
        refusalOf(c.bytes);
        EXPECT_GE(clock.elapsed(), c.atLeastMs);
        EXPECT_LE(clock.elapsed(), c.atMostMs);
    }
    // The program goes on: the sound export imports.
    zokcReader() = {};
    writeBytes(exportFile(), fixtureBytes());
    messages.clear();
    ImportZOKCPatients();
    EXPECT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
}

// The rows of a page libmdb cannot reach read as Nulls, under a row count
// that agrees: such a file is refused, not imported without them.
TEST_F(ZokcDamagedExport, AJetFileMissingPartOfAPageIsRefused)
{
    const QByteArray whole = fixtureBytes();
    QByteArray zeroedTail = whole;
    zeroedTail.replace(whole.size() - 30, 30, QByteArray(30, '\0'));   // st_code's last rows
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"one byte short", whole.left(whole.size() - 1)},
        {"half a page short", whole.left(whole.size() - 1000)},
        {"last rows zeroed", zeroedTail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        refusalOf(c.bytes);
    }

    // One byte past the last page, as the engine's own files end.
    writeBytes(exportFile(), whole + QByteArray(1, '\0'));
    messages.clear();
    ImportZOKCPatients();
    EXPECT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
}

// A damaged column definition would read a GUID, a number or a date's bits
// as the EGN, the names or the dates.
TEST_F(ZokcDamagedExport, JetColumnsOfAnotherKindAreRefusedBeforeTheRowsAreRead)
{
    const struct {
        int column;
        char type;
        const char* named;
    } cases[] = {
        {1, 0x0f, "Полето IDNUMBER в таблица Patients е от вида „GUID“ вместо текст"},
        {1, 0x08, "Полето IDNUMBER в таблица Patients е от вида „дата и час“ вместо текст"},
        {2, 0x04, "Полето NAME1 в таблица Patients е от вида „число“ вместо текст"},
        {4, 0x0b, "Полето NAME3 в таблица Patients е от вида „OLE обект“ вместо текст"},
        {6, 0x07, "Полето BIRTHDATE в таблица Patients е от вида „число“ вместо дата или текст"},
        {7, 0x01, "Полето DATEREG в таблица Patients е от вида „да/не“ вместо дата или текст"},
        {7, 0x0c, "Полето DATEREG в таблица Patients е от вида „мемо“ вместо дата или текст"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const QString text = refusalOf(patientsColumnOfKind(c.column, c.type));
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.named))) << text.toStdString();
    }
}

// A definition damaged in a byte other than its kind reads another column's
// value, another place of the row or another column's Null: the EGN as
// " 0012 ", every birth date 30.12.1899, the sex inverted. Each field read
// must agree with its table's layout (Patients: ID, POL, BIRTHDATE, DATEREG
// fixed in bytes 0-19; IDNUMBER, NAME1-3, HIMNUMBER, RECBOOK variable 0-5).
TEST_F(ZokcDamagedExport, JetColumnDefinitionsAgainstTheirTablesLayoutAreRefused)
{
    const struct {
        FixturePage page;
        int column;
        Descriptor field;
        int value;
        const char* named;
    } cases[] = {
        {kPatientsPage, 2, kVariableIndex, 5,
         "Описанието на полето NAME1 в таблица Patients е повредено: номерът му сред полетата с променлива дължина е и на полето RECBOOK"},
        {kAddressPage, 9, kVariableIndex, 12,
         "Описанието на полето TOWNVILLAG в таблица address е повредено: номерът му сред полетата с променлива дължина е 12, а те са 12"},
        {kPatientsPage, 6, kFixedOffset, 5,
         "Описанието на полето BIRTHDATE в таблица Patients е повредено: мястото му в реда (байтове 5–12) застъпва полето DATEREG"},
        {kPatientsPage, 7, kFixedOffset, 13,
         "Описанието на полето DATEREG в таблица Patients е повредено: мястото му в реда (байтове 13–20) е извън постоянната част от 20 байта"},
        {kPatientsPage, 5, kSize, 0,
         "Описанието на полето POL в таблица Patients е повредено: размер 0 байта, а полето от вида „число“ заема 2"},
        {kPatientsPage, 1, kSize, 256,
         "Описанието на полето IDNUMBER в таблица Patients е повредено: размер 256 байта, а текстът е от 1 до 255 байта"},
        {kPatientsPage, 2, kKind, 0x0c,
         "Описанието на полето NAME1 в таблица Patients е повредено: размер 255 байта, а полето от вида „мемо“ е без размер"},
        {kPatientsPage, 4, kFlags, 0x03,
         "Описанието на полето NAME3 в таблица Patients е повредено: поле от вида „текст“ е отбелязано като поле с постоянна дължина"},
        {kPatientsPage, 7, kFlags, 0x02,
         "Описанието на полето DATEREG в таблица Patients е повредено: поле от вида „дата и час“ е отбелязано като поле с променлива дължина"},
        {kPatientsPage, 3, kNumber, 2,
         "Описанието на полето NAME2 в таблица Patients е повредено: номерът му 2 е и на полето NAME1"},
        {kStCodePage, 1, kNumber, 2,
         "Описанието на полето NAME в таблица st_code е повредено: номерът му 2 е извън полетата на таблицата (2)"},
        // The kinds the fund writes, in the tables besides Patients as well.
        {kEknmPage, 1, kKind, 0x04, "Полето DISTRICTCO в таблица eknm е от вида „число“ вместо текст"},
        {kSCodePage, 1, kKind, 0x0b, "Полето NAME в таблица s_code е от вида „OLE обект“ вместо текст"},
        {kPatientsPage, 5, kKind, 0x08, "Полето POL в таблица Patients е от вида „дата и час“ вместо число или текст"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const QString text = refusalOf(withColumnDefinition(c.page, c.column, c.field, c.value));
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.named))) << text.toStdString();
    }
}

// A Jet 3 file's text is read through the code page of its header: under
// Windows-1252 "Иван Петров" reads "Èâàí Ïåòðîâ".
TEST_F(ZokcDamagedExport, AJetFileInACodePageOtherThanTheFundsIsRefused)
{
    for (const quint16 codePage : {1252, 1250, 1253, 0, 1251 ^ 0x100}) {
        SCOPED_TRACE(codePage);
        const QString text = refusalOf(withCodePage(codePage));
        EXPECT_TRUE(text.contains(QStringLiteral("Файлът е в кодова таблица %1 вместо 1251 (кирилица)").arg(codePage)))
            << text.toStdString();
    }
}

// libmdb prints dumps and debugging lines on its standard output; the
// reader's answer goes on a stream of its own, so that they cannot spoil it.
TEST_F(ZokcDamagedExport, WhatLibmdbPrintsDoesNotSpoilTheReadersAnswer)
{
    // The column count of the catalogue's row of s_code damaged (page 3, the
    // row at 1932): libmdb dumps the row and finds no table.
    QByteArray catalogue = fixtureBytes();
    catalogue[3 * kPage + 1932] = char(catalogue[3 * kPage + 1932] ^ 0xff);
    writeBytes(exportFile(), catalogue);
    EXPECT_EQ(runOnce(), "Файлът temp.mdb не съдържа данните от ЗОКС\rЛипсва: таблица s_code\r" + placement()
                             + "\rНищо не е добавено.");

    // Its debugging, asked for in the environment, on the sound export.
    writeBytes(exportFile(), fixtureBytes());
    qputenv("MDBOPTS", "debug_row");
    messages.clear();
    ImportZOKCPatients();
    qunsetenv("MDBOPTS");
    EXPECT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
}

// libmdb takes a character set of the environment over the file's code
// page, and hands its text on in another one than UTF-8: the reader is
// started without them, so the checked code page is the one that decodes.
TEST_F(ZokcRefusal, TheReaderDecodesByTheFilesCodePageWhateverTheEnvironmentSays)
{
    writeBytes(exportFile(), fixtureBytes());
    qputenv("MDB_JET3_CHARSET", "CP1252");
    qputenv("MDBICONV", "CP1251");
    messages.clear();
    ImportZOKCPatients();
    qunsetenv("MDB_JET3_CHARSET");
    qunsetenv("MDBICONV");
    ASSERT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
    const db::Rows rows = pacients();
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(stored(rows[0], "Names"), QString("Иван Петров Иванов"));
}

// Dates kept as text "YYYY-MM-DD" are dates still; the export's other
// columns are not looked at.
TEST_F(ZokcRefusal, JetDatesKeptAsTextImportAsDates)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("export.sql");
    writeBytes(script, fileText(testDataFile("fund_export.sql"))
                           .replace("\"BIRTHDATE\" DATETIME", "\"BIRTHDATE\" TEXT")
                           .replace("\"DATEREG\"   DATETIME", "\"DATEREG\"   TEXT")
                           .replace("\"POL\"       SMALLINT", "\"POL\"       TEXT")
                           .toUtf8());
    QProcess tool;
    tool.start("python3", {QStringLiteral(TAV_TEST_DATA "/../tools/make_jet3.py"), script, exportFile()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    messages.clear();
    ImportZOKCPatients();
    ASSERT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
    const db::Rows rows = pacients();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(stored(rows[0], "DataB"), QString("05.03.1985"));
    EXPECT_EQ(stored(rows[0], "DataR"), QString("5/3/2009"));
    EXPECT_EQ(stored(rows[0], "Pol"), QString("М"));
}

// A FIFO would block the first open for good.
TEST_F(ZokcRefusal, AFifoInTheExportsPlaceIsRefusedAtOnce)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(exportFile()).constData(), 0600), 0);
    EXPECT_EQ(runOnce(), "temp.mdb в папката на програмата не е обикновен файл\r" + placement() + "\rНищо не е добавено.");
}

// An error while the export is read names the export; one of the practice's
// own database keeps its words.
TEST_F(ZokcRefusal, ADamagedSqliteExportIsNamedAsTheExportNotAsThePractice)
{
    writeSqliteExport(exportFile());
    QByteArray bytes = fileBytes(exportFile());
    const int page = qFromBigEndian<quint16>(bytes.constData() + 16);
    bytes.replace(page, bytes.size() - page, QByteArray(bytes.size() - page, '\x55'));
    writeBytes(exportFile(), bytes);
    const QString text = runOnce();
    EXPECT_TRUE(text.startsWith(kDamaged + "\r*** in database main ***\nPage ")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\r" + placement() + "\rНищо не е добавено.")) << text.toStdString();

    writeSqliteExport(exportFile());
    QByteArray practice = fileBytes(DatabasePath);
    const int mainPage = qFromBigEndian<quint16>(practice.constData() + 16);
    practice.replace(mainPage, practice.size() - mainPage, QByteArray(practice.size() - mainPage, '\x55'));
    writeBytes(DatabasePath, practice);
    messages.clear();
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(db::kMsgDamaged)) << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains("temp.mdb")) << messages[0].toStdString();
}

// An SQLite export is checked as an archive is before a restore: a copy cut
// inside its last page reads the cut values as zeros ("София-гра" and a
// replacement character), and a damaged page the import does not read is
// damage still.
TEST_F(ZokcDamagedExport, AnSqliteExportIsTakenOnlyWholeAndSound)
{
    writeSqliteExport(exportFile(), "CREATE INDEX ByEgn ON Patients (IDNUMBER)");
    const QByteArray whole = fileBytes(exportFile());
    const int page = qFromBigEndian<quint16>(whole.constData() + 16);
    ASSERT_EQ(whole.size() % page, 0);
    int indexPage = 0;
    {
        db::Connection c(exportFile(), db::OpenMode::ReadOnly);
        indexPage = c.scalar("SELECT rootpage FROM sqlite_master WHERE name = 'ByEgn'").toInt();
    }
    QByteArray badIndex = whole;
    badIndex[qsizetype(indexPage - 1) * page] = char(0x07);   // no kind of b-tree page
    const struct {
        const char* name;
        QByteArray bytes;
        const char* detail;
    } cases[] = {
        {"one byte short", whole.chopped(1), "Файлът е непълен: %1 байта не са цял брой страници по %2 байта"},
        {"a page short but one byte", whole.chopped(page - 1), "Файлът е непълен: %1 байта не са цял брой страници по %2 байта"},
        {"half a page short", whole.chopped(page / 2), "Файлът е непълен: %1 байта не са цял брой страници по %2 байта"},
        {"one byte more", whole + QByteArray(1, '\0'), "Файлът е непълен: %1 байта не са цял брой страници по %2 байта"},
        {"its index page damaged", badIndex, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = refusalOf(c.bytes);
        if (*c.detail)
            EXPECT_TRUE(text.startsWith(kDamaged + "\r" + QString::fromUtf8(c.detail).arg(c.bytes.size()).arg(page) + "\r"))
                << text.toStdString();
        else
            EXPECT_NE(text, kDamaged + "\r" + placement() + "\rНищо не е добавено.") << "no detail";
    }

    // The sound one, index and all.
    writeBytes(exportFile(), whole);
    messages.clear();
    ImportZOKCPatients();
    EXPECT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
}

// The reader's output is taken only whole: a last line with the counts that
// agree, and a reader that ended by itself without a fault.
TEST_F(ZokcDamagedExport, TheReadersOutputIsTakenOnlyWholeAndInTime)
{
    writeBytes(exportFile(), fixtureBytes());
    QProcess real;
    real.start(QDir(QCoreApplication::applicationDirPath()).filePath(kZokcReaderName), {exportFile()});
    ASSERT_TRUE(real.waitForFinished(20000));
    const QByteArray output = real.readAllStandardOutput();
    ASSERT_TRUE(output.endsWith("end\t11\t6\t5\t3\t4\n")) << output.right(40).toStdString();
    const qsizetype lastRow = output.lastIndexOf("\nr\t");

    const struct {
        const char* name;
        QByteArray output;
        const char* script;
    } cases[] = {
        {"last line gone", output.left(output.lastIndexOf("end\t")), "cat \"$1\""},
        {"cut inside a row", output.left(output.size() / 2), "cat \"$1\""},
        {"last newline gone", output.chopped(1), "cat \"$1\""},
        {"a row gone", output.left(lastRow + 1) + output.mid(output.indexOf('\n', lastRow + 1) + 1), "cat \"$1\""},
        {"a value too many", QByteArray(output).replace("\tИван\t", "\tИван\t\t"), "cat \"$1\""},
        {"an unknown escape", QByteArray(output).replace("\tИван\t", "\tИ\\ван\t"), "cat \"$1\""},
        {"a line after the last", output + "r\tx\n", "cat \"$1\""},
        {"another header", QByteArray(output).replace("tavlinora-jetread 1", "tavlinora-jetread 2"), "cat \"$1\""},
        {"nothing", QByteArray(), "cat \"$1\""},
        {"whole, but failed", output, "cat \"$1\"; exit 1"},
        {"whole, but killed", output, "cat \"$1\"; kill -9 $$"},
        {"past its time", output, "exec sleep 30"},
    };
    zokcReader().wallClockMs = 1000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString file = dir.filePath("output");
        writeBytes(file, c.output);
        zokcReader().program = "/bin/sh";
        zokcReader().arguments = QStringList{"-c", QString::fromLatin1(c.script), "sh", file};
        QElapsedTimer clock;
        clock.start();
        refusalOf(fixtureBytes());
        EXPECT_LT(clock.elapsed(), 8000);
    }

    // The reader's own refusal passes through as it said it; its whole
    // output is imported as read.
    QTemporaryDir dir;
    const QString file = dir.filePath("output");
    writeBytes(file, zokcReaderOutput("Във файла няма таблица patients", "подробности"));
    zokcReader().arguments = QStringList{"-c", "cat \"$1\"", "sh", file};
    EXPECT_EQ(runOnce(), "Във файла няма таблица patients\rподробности\rНищо не е добавено.");
    writeBytes(file, output);
    messages.clear();
    ImportZOKCPatients();
    EXPECT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
}

// A reader not installed beside the program is said so, not taken for a
// damaged file.
TEST_F(ZokcRefusal, AReaderThatCannotStartIsNamed)
{
    writeBytes(exportFile(), fixtureBytes());
    zokcReader().program = QDir(folder.path()).filePath(kZokcReaderName);
    const QString text = runOnce();
    EXPECT_TRUE(text.startsWith("Програмата tavlinora-jetread, която чете файловете на Jet, не може да бъде стартирана\r"
                                + QDir::toNativeSeparators(zokcReader().program)))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("Нищо не е добавено."));
}

// What the reader writes is what it read: Nulls apart from empty texts, and
// the characters that separate its values kept inside them.
TEST_F(ZokcRefusal, TheReaderGivesTheTablesAsReadInProcess)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("export.sql");
    writeBytes(script, (fileText(testDataFile("fund_export.sql"))
                        + "INSERT INTO \"Patients\" VALUES (12, '7001011234', 'а\tб', 'в\nг', 'д\r\nе', 1, '1970-01-01',"
                          " '2009-01-01', '\\N', 'ж\\tз\\');\n"
                          "INSERT INTO \"Patients\" VALUES (13, '7001011235', '', NULL, 'r\tend\t1', 1, '1970-01-01',"
                          " '2009-01-01', 'table\tx', '');\n")
                           .toUtf8());
    QProcess tool;
    tool.start("python3", {QStringLiteral(TAV_TEST_DATA "/../tools/make_jet3.py"), script, exportFile()});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    const ZokcExport here = readZokcJetExport(exportFile());
    const ZokcExport there = readZokcExport(exportFile());
    ASSERT_EQ(here.patients.rows.size(), 13);
    EXPECT_EQ(here.patients.rows[11][1], QString("а\tб"));
    EXPECT_EQ(here.patients.rows[11][7], QString("\\N"));
    EXPECT_TRUE(here.patients.rows[12][2].isNull());
    EXPECT_FALSE(here.patients.rows[12][1].isNull());
    const std::pair<const ExportTable*, const ExportTable*> tables[] = {
        {&here.patients, &there.patients}, {&here.address, &there.address}, {&here.eknm, &there.eknm},
        {&here.sCode, &there.sCode}, {&here.stCode, &there.stCode}};
    for (const auto& [a, b] : tables) {
        SCOPED_TRACE(a->name.toStdString());
        EXPECT_EQ(a->name, b->name);
        ASSERT_EQ(a->rows.size(), b->rows.size());
        for (int r = 0; r < a->rows.size(); ++r) {
            EXPECT_EQ(a->rows[r], b->rows[r]);
            for (int f = 0; f < a->rows[r].size() && f < b->rows[r].size(); ++f)
                EXPECT_EQ(a->rows[r][f].isNull(), b->rows[r][f].isNull()) << "row " << r << " field " << f;
        }
    }
}

// The export is read before the import's transaction begins: while the
// reader runs, another copy writes to the practice without waiting.
TEST_F(ZokcRefusal, ThePracticeIsFreeToOtherCopiesWhileTheExportIsRead)
{
    writeBytes(exportFile(), fixtureBytes());
    QProcess real;
    real.start(QDir(QCoreApplication::applicationDirPath()).filePath(kZokcReaderName), {exportFile()});
    ASSERT_TRUE(real.waitForFinished(20000));
    QTemporaryDir dir;
    const QString file = dir.filePath("output");
    writeBytes(file, real.readAllStandardOutput());
    const char* write = "import sqlite3, sys\n"
                        "c = sqlite3.connect(sys.argv[1], timeout=0, isolation_level=None)\n"
                        "c.execute('BEGIN IMMEDIATE')\n"
                        "c.execute('CREATE TABLE probe (x)')\n"
                        "c.execute('DROP TABLE probe')\n"
                        "c.execute('COMMIT')\n";
    zokcReader().program = "/bin/sh";
    zokcReader().arguments = QStringList{"-c", "python3 -c \"$3\" \"$2\" && cat \"$1\"", "sh", file, DatabasePath,
                                         QString::fromLatin1(write)};
    messages.clear();
    ImportZOKCPatients();
    EXPECT_EQ(messages, QStringList{"Завърших обработката на данните!\rНови пациенти: 6\rПропуснати редове: 4"});
}

struct DamagedExport {
    std::string kind;   // how it was damaged, for the counts
    std::string name;
    QByteArray bytes;
    bool fund;          // made from an export of the fund, else from the engine's file
    bool sqlite;        // the export as an SQLite file
    bool valueFlipped;  // a byte flipped in a data page: a stored value now
};

// What a page of a Jet file is, by its first byte and, for a data page, by
// the definition it belongs to (page 2 is the catalogue's).
enum class PageKind { Header, Catalogue, Definition, Data };

PageKind pageKind(const QByteArray& bytes, int page, int pageSize)
{
    if (page == 0)
        return PageKind::Header;
    const char* at = bytes.constData() + qsizetype(page) * pageSize;
    if (page == 2 || (at[0] == 0x01 && qFromLittleEndian<quint32>(at + 4) == 2))
        return PageKind::Catalogue;
    return at[0] == 0x02 ? PageKind::Definition : PageKind::Data;
}

// Cuts at every page boundary and inside pages, and single bytes flipped in
// the header, the catalogue, the definitions and the data pages: half of the
// flips on bytes in use (not zero), half anywhere in the page.
std::vector<DamagedExport> damagedExports(const QByteArray& fund, const QByteArray& engine)
{
    std::vector<DamagedExport> out;
    std::mt19937 rng(20261211);
    const struct {
        const char* name;
        const QByteArray& bytes;
        bool fund;
        int flipsPerKind;
    } sources[] = {{"fund", fund, true, 40}, {"engine", engine, false, 20}};
    for (const auto& src : sources) {
        const int pages = int(src.bytes.size() / kPage);
        std::vector<qsizetype> cuts;
        for (int p = 1; p < pages; ++p)
            cuts.push_back(qsizetype(p) * kPage);
        for (int p = 0; p < pages; ++p)
            for (int inside : src.fund ? std::vector<int>{1, 2, 700, 1500, 2047} : std::vector<int>{1, 1500})
                cuts.push_back(qsizetype(p) * kPage + inside);
        // Where libmdb loops on the engine's file.
        if (!src.fund)
            for (qsizetype length = 42733; length <= 42781; length += 8)
                cuts.push_back(length);
        for (qsizetype length : cuts)
            out.push_back({"Jet cut", std::string(src.name) + " cut at " + std::to_string(length), src.bytes.left(length),
                           src.fund, false, false});
        const char* kindNames[] = {"header", "catalogue", "definition", "data"};
        for (int kind = 0; kind < 4; ++kind) {
            std::vector<qsizetype> anywhere, used;
            for (int p = 0; p < pages; ++p) {
                if (int(pageKind(src.bytes, p, kPage)) != kind)
                    continue;
                // The header's settings are in its first bytes, the rest unused.
                const int span = kind == 0 ? 0x100 : kPage;
                for (int i = 0; i < span; ++i) {
                    const qsizetype at = qsizetype(p) * kPage + i;
                    anywhere.push_back(at);
                    if (src.bytes[at] != 0)
                        used.push_back(at);
                }
            }
            for (int n = 0; n < src.flipsPerKind && !anywhere.empty(); ++n) {
                const std::vector<qsizetype>& from = n % 2 == 0 && !used.empty() ? used : anywhere;
                const qsizetype at = from[rng() % from.size()];
                const char mask = char(1 + rng() % 255);
                QByteArray bytes = src.bytes;
                bytes[at] = char(bytes[at] ^ mask);
                out.push_back({std::string(kindNames[kind]) + " page",
                               std::string(src.name) + " " + kindNames[kind] + " byte " + std::to_string(at) + " ^ "
                                   + std::to_string(quint8(mask)),
                               bytes, src.fund, false, kind == 3});
            }
        }
    }
    return out;
}

// Every byte of the column descriptors of the five tables.
std::vector<DamagedExport> columnDefinitionFlips(const QByteArray& fund)
{
    std::vector<DamagedExport> out;
    std::mt19937 rng(20270114);
    for (const int page : {kPatientsPage, kAddressPage, kEknmPage, kSCodePage, kStCodePage}) {
        const int columns = qFromLittleEndian<quint16>(fund.constData() + page * kPage + 25);
        for (int i = 0; i < 18 * columns; ++i) {
            const qsizetype at = qsizetype(page) * kPage + 43 + i;
            const char mask = char(1 + rng() % 255);
            QByteArray bytes = fund;
            bytes[at] = char(bytes[at] ^ mask);
            out.push_back({"column definition",
                           "fund column definition byte " + std::to_string(at) + " ^ " + std::to_string(quint8(mask)), bytes,
                           true, false, false});
        }
    }
    return out;
}

// Each bit of the header's code page, and the SQLite export cut short by 1
// to 4095 bytes, at its pages and inside them.
std::vector<DamagedExport> codePageFlipsAndSqliteCuts(const QByteArray& fund, const QByteArray& sqlite)
{
    std::vector<DamagedExport> out;
    for (const int at : {0x3C, 0x3D})
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray bytes = fund;
            bytes[at] = char(bytes[at] ^ (1 << bit));
            out.push_back({"code page", "fund code page byte " + std::to_string(at) + " ^ " + std::to_string(1 << bit), bytes,
                           true, false, false});
        }
    const int page = qFromBigEndian<quint16>(sqlite.constData() + 16);
    std::vector<qsizetype> lengths;
    for (int less = 1; less < page; ++less)
        lengths.push_back(sqlite.size() - less);
    for (qsizetype at = page; at < sqlite.size(); at += page)
        for (const int inside : {0, 1, page / 2})
            lengths.push_back(at + inside);
    for (const qsizetype length : lengths)
        out.push_back({"SQLite cut", "sqlite cut at " + std::to_string(length), sqlite.left(length), true, true, false});
    return out;
}

// What the import stored, every field but the row numbers.
QStringList practiceRows()
{
    QStringList rows;
    db::Connection c = db::Connection::main();
    for (const char* table : {"Pacients", "Dental", "Help"})
        for (const db::Row& r : c.query(QStringLiteral("SELECT * FROM %1 ORDER BY RecID").arg(table))) {
            QStringList values;
            for (int i = 0; i < r.names().size(); ++i)
                if (r.names()[i] != QLatin1String("RecID"))
                    values << r.names()[i] + "=" + stored(r, qPrintable(r.names()[i]));
            rows << QString::fromLatin1(table) + ": " + values.join(QLatin1Char('|'));
        }
    return rows;
}

// Hundreds of damaged exports, each through the whole import: a correct
// import or one refusal with nothing stored, never a crash or a hang. A byte
// flipped inside a value or key of a data page is the file's own value now
// (Jet keeps no checksum): such imports are counted and shown, every other
// success must store what the sound file gives. The reader's wall clock is
// shortened to keep the run short; the limits are shown above. The column
// definitions alone take as long as all the rest: the two halves run side
// by side.
class ZokcDamagedSet : public ZokcRefusal, public ::testing::WithParamInterface<bool> {};

TEST_P(ZokcDamagedSet, EveryDamagedExportEndsInOneRefusalOrAnImportOfWhatItHolds)
{
    const QByteArray engine = engineFileCut(1 << 20, false);
    ASSERT_FALSE(engine.isEmpty()) << testing_support::kEngineWrittenJetMissing;
    const QByteArray pristine = fileBytes(DatabasePath);

    // What each sound export imports.
    struct Done {
        QString message;
        QStringList rows;
    } done[2];
    writeSqliteExport(exportFile());
    const QByteArray sqlite = fileBytes(exportFile());
    for (const bool isSqlite : {false, true}) {
        writeBytes(DatabasePath, pristine);
        writeBytes(exportFile(), isSqlite ? sqlite : fixtureBytes());
        messages.clear();
        ImportZOKCPatients();
        ASSERT_EQ(messages.size(), 1);
        ASSERT_TRUE(messages[0].startsWith("Завърших обработката на данните!")) << messages[0].toStdString();
        done[isSqlite] = {messages[0], practiceRows()};
    }

    zokcReader().wallClockMs = 3000;
    std::vector<DamagedExport> cases;
    if (GetParam()) {
        cases = columnDefinitionFlips(fixtureBytes());
    } else {
        cases = damagedExports(fixtureBytes(), engine);
        for (DamagedExport& c : codePageFlipsAndSqliteCuts(fixtureBytes(), sqlite))
            cases.push_back(std::move(c));
    }
    struct Count {
        int cases = 0, refused = 0, sound = 0, other = 0;
    };
    std::vector<std::pair<std::string, Count>> byKind;
    int stoppedByClock = 0;
    QMap<QString, int> refusals;
    QStringList changes;
    for (const DamagedExport& c : cases) {
        SCOPED_TRACE(c.name);
        auto kind = std::find_if(byKind.begin(), byKind.end(), [&c](const auto& k) { return k.first == c.kind; });
        if (kind == byKind.end())
            kind = byKind.insert(byKind.end(), {c.kind, Count{}});
        Count& count = kind->second;
        ++count.cases;
        writeBytes(DatabasePath, pristine);
        writeBytes(exportFile(), c.bytes);
        messages.clear();
        QElapsedTimer clock;
        clock.start();
        ImportZOKCPatients();
        const qint64 took = clock.elapsed();
        EXPECT_LT(took, 10000);
        if (took >= 3000)
            ++stoppedByClock;
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(readersLeft(), 0);
        const QString& text = messages[0];
        if (!text.startsWith("Завърших обработката на данните!")) {
            EXPECT_TRUE(text.endsWith("Нищо не е добавено.")) << text.toStdString();
            EXPECT_TRUE(fileBytes(DatabasePath) == pristine);
            ++count.refused;
            refusals[text.section(QLatin1Char('\r'), 0, 0)]++;
            continue;
        }
        EXPECT_TRUE(c.fund) << text.toStdString();
        const Done& sound = done[c.sqlite];
        const QStringList rows = practiceRows();
        QStringList differ;
        if (text != sound.message)
            differ << text.section(QLatin1Char('\r'), 1).replace('\r', ", ");
        for (qsizetype i = 0; i < std::max(rows.size(), sound.rows.size()); ++i) {
            const QStringList got = rows.value(i).split('|'), want = sound.rows.value(i).split('|');
            for (qsizetype f = 0; f < std::max(got.size(), want.size()); ++f)
                if (got.value(f) != want.value(f))
                    differ << got.value(f) + " for " + want.value(f);
        }
        if (differ.isEmpty()) {
            ++count.sound;
            continue;
        }
        EXPECT_TRUE(c.valueFlipped) << differ.join("; ").toStdString();
        ++count.other;
        changes << QString::fromStdString(c.name) + ": " + differ.mid(0, 3).join("; ");
    }
    std::printf("damaged exports: %d (%d stopped by the reader's wall clock)\n", int(cases.size()), stoppedByClock);
    std::printf("  %-18s %6s %8s %18s %18s\n", "kind", "cases", "refused", "as the sound file", "with other values");
    for (const auto& [kind, n] : byKind)
        std::printf("  %-18s %6d %8d %18d %18d\n", kind.c_str(), n.cases, n.refused, n.sound, n.other);
    for (auto it = refusals.cbegin(); it != refusals.cend(); ++it)
        std::printf("  %4d refused: %s\n", it.value(), qPrintable(it.key()));
    for (const QString& c : changes)
        std::printf("  %s\n", qPrintable(c));
    EXPECT_GE(cases.size(), 300u);
}

INSTANTIATE_TEST_SUITE_P(Halves, ZokcDamagedSet, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "ColumnDefinitions" : "PagesCodePageAndCuts"); });

// Keys with quotes in them are looked up as any other text.
TEST_F(ZokcRefusal, QuotesInKeysAreOrdinaryText)
{
    {
        db::Connection c(exportFile(), db::OpenMode::Create);
        c.execScript(fileText(testDataFile("fund_export.sql")));
        c.exec("DELETE FROM Patients");
        c.exec("DELETE FROM address");
        c.exec("INSERT INTO Patients (IDNUMBER, NAME1, POL, BIRTHDATE, DATEREG) VALUES (?, 'Иван', 0, '1985-03-05', '2009-03-05')",
               {"85030'1241"});
        c.exec("INSERT INTO address (IDNUMBER, STREET1, TOWNVILLAG) VALUES (?, 'Витоша', ?)", {"85030'1241", "O'68"});
        c.exec("INSERT INTO eknm (TOWNVILLAG, KIND, TOWNVILLA2, MUNICIPALI, DISTRICTCO) VALUES (?, 'гр.', 'Кавички', ?, ?)",
               {"o'68", "M'1", "D'1"});
        c.exec("INSERT INTO s_code VALUES (?, 'Община \"А\"')", {"M'1"});
        c.exec("INSERT INTO st_code VALUES (?, 'Област ''Б''')", {"d'1"});
    }
    messages.clear();
    ImportZOKCPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Завърших обработката на данните!"));
    const db::Rows rows = pacients();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(stored(rows[0], "EGN"), QString("85030'1241"));
    EXPECT_EQ(stored(rows[0], "Tawn"), QString("гр.Кавички"));
    EXPECT_EQ(stored(rows[0], "Obsh"), QString("Община \"А\""));
    EXPECT_EQ(stored(rows[0], "Obl"), QString("Област 'Б'"));
    EXPECT_EQ(stored(rows[0], "RZOK"), QString("D'1"));
}

} // namespace

#include "fixtures.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/prompts.h"
#include "patients/zokcimport.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "support/test_data.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

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
    void TearDown() override { prompts() = {}; }

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
    void TearDown() override { prompts() = {}; }

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

TEST_F(ZokcRefusal, MissingFileTablesFieldsAndRowsAreNamed)
{
    EXPECT_TRUE(runOnce().startsWith("Няма файл temp.mdb в папката на програмата"));

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
        writeSqliteExport(FundExportPath, QString::fromLatin1(c.edit));
        const QString text = runOnce();
        EXPECT_TRUE(text.startsWith("Файлът temp.mdb не съдържа данните от ЗОКС")) << text.toStdString();
        for (const QString& n : c.named)
            EXPECT_TRUE(text.contains(n)) << text.toStdString();
        EXPECT_TRUE(text.endsWith("Нищо не е добавено."));
    }

    writeSqliteExport(FundExportPath, "DELETE FROM Patients");
    EXPECT_EQ(runOnce(), QString("Във файла temp.mdb няма нито един пациент (таблица Patients е празна).\r"
                                 "Нищо не е добавено."));

    // A Jet file of another program: none of the five tables.
    QFile::remove(FundExportPath);
    ASSERT_TRUE(testing_support::unpackEngineWrittenJet(FundExportPath)) << testing_support::kEngineWrittenJetMissing;
    const QString other = runOnce();
    for (const char* t : {"patients", "address", "eknm", "s_code", "st_code"})
        EXPECT_TRUE(other.contains(QStringLiteral("таблица %1").arg(t))) << other.toStdString();

    QFile::remove(FundExportPath);
    {
        QFile f(FundExportPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("IDNUMBER;NAME1\n8503051241;Иван\n");
    }
    EXPECT_TRUE(runOnce().startsWith("Файлът temp.mdb не е база данни на Jet или SQLite"));
}

// Keys with quotes in them are looked up as any other text.
TEST_F(ZokcRefusal, QuotesInKeysAreOrdinaryText)
{
    {
        db::Connection c(FundExportPath, db::OpenMode::Create);
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

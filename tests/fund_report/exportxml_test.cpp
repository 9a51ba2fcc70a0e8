#include "fixtures.h"

#include "db/values.h"
#include "fund_report/exportxml.h"
#include "services/globals.h"
#include "support/program_folder.h"

#include <QLocale>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::fund_report;
using namespace fund_fixture;
using testing_support::TestFolder;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray golden(const char* name)
{
    const QByteArray bytes = readBytes(QStringLiteral(":/golden/") + QLatin1String(name));
    EXPECT_FALSE(bytes.isEmpty()) << name;
    return bytes;
}

class FundReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setToday(QDate(2010, 4, 5));
        CurrentDoctorCode = kDoctor;
        CurrentUserUIN.clear();
        // The program runs with the Bulgarian locale (decimal comma); what
        // the fund reads must not follow it.
        before_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    }
    // Whatever a case left as Report_UTF8.xml, an XML reader accepts.
    void TearDown() override
    {
        QLocale::setDefault(before_);
        if (QFileInfo(utf8Path()).isFile())
            expectWellFormed(utf8Path());
    }
    TestFolder folder_;
    QLocale before_;
};

} // namespace

TEST_F(FundReport, SmallPracticeGivesTheExpectedFilesByteForByte)
{
    fillSmallPractice();
    const ExportResult r = ExportReportXml("03/01/2010", "03/31/2010");
    EXPECT_EQ(r.entries, 3);
    EXPECT_TRUE(r.skipped.isEmpty());
    expectSameBytes(readBytes(reportPath()), golden("small_Report.xml"), "Report.xml");
    expectSameBytes(readBytes(utf8Path()), golden("small_Report_UTF8.xml"), "Report_UTF8.xml");
    expectWellFormed(utf8Path());
    expectWellFormed(reportPath(), true);
    EXPECT_EQ(CurrentUserUIN, "2300012345");
}

TEST_F(FundReport, EmptyPeriodIsFiveLines)
{
    fillSmallPractice();
    ExportReportXml("05/01/2010", "05/31/2010");
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<report medicalUnit=\"\xc4-\xf0 \xc8\xe2\xe0\xed\xee\xe2 &amp; \xd1\xe8\xed &quot;\xd3\xf1\xec\xe8\xe2\xea\xe0&quot; "
        "&lt;\xc5\xce\xce\xc4>\" bulstat=\"121212121\" RHCCode=\"1622334455\" contractNo=\"16/2010-007\" odpCode=\"00\" "
        "physPersonalProfCode=\"2300012345\" insuranceHouse=\"16\" reportingDate=\"2010-04-05\" startFrom=\"2010-05-01\" "
        "endTo=\"2010-05-31\" stomType=\"0\" xsi:schemaLocation=\"http://localhost ImportStomatologyReport.xsd\" "
        "xmlns=\"http://localhost\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r\n"
        "<dentalCareServices>\r\n"
        "</dentalCareServices>\r\n"
        "</report>\r\n";
    expectSameBytes(readBytes(reportPath()), expected, "Report.xml");
    expectWellFormed(utf8Path());
}

TEST_F(FundReport, WithoutPracticeRowThePracticeValuesAreEmptyAndTheUinStays)
{
    {
        db::Connection c = db::Connection::main();
        c.exec("DELETE FROM MedicUnit");
    }
    CurrentUserUIN = "1111111111";
    ExportReportXml("03/01/2010", "03/31/2010");
    expectSameBytes(readBytes(reportPath()), golden("nopractice_Report.xml"), "Report.xml");
    expectSameBytes(readBytes(utf8Path()), kBom + golden("nopractice_Report.xml"), "Report_UTF8.xml");
    expectWellFormed(utf8Path());
    EXPECT_EQ(CurrentUserUIN, "1111111111");
}

TEST_F(FundReport, OneDayPeriodTakesThatDayOnly)
{
    fillSmallPractice();
    const ExportResult r = ExportReportXml("03/31/2010", "03/31/2010");
    EXPECT_EQ(r.entries, 1);
    const QString text = QString::fromUtf8(readBytes(utf8Path()));
    EXPECT_TRUE(text.contains("ambulatorySheetNo=\"000012\""));
    EXPECT_FALSE(text.contains("ambulatorySheetNo=\"000011\""));
}

TEST_F(FundReport, ProgressRunsOverTheWrittenSheets)
{
    fillSmallPractice();
    QVector<QPair<int, int>> calls;
    const auto record = [&calls](int position, int count) { calls.push_back({position, count}); };
    ExportReportXml("03/01/2010", "03/31/2010", record);
    EXPECT_EQ(calls, (QVector<QPair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    calls.clear();
    ExportReportXml("03/31/2010", "03/31/2010", record);
    EXPECT_EQ(calls, (QVector<QPair<int, int>>{{1, 1}}));
    calls.clear();
    ExportReportXml("05/01/2010", "05/31/2010", record);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(FundReport, SheetsWithoutPatientOrNumberAreLeftOutAndNamed)
{
    fillSmallPractice();
    {
        db::Connection c = db::Connection::main();
        addService(c, "8001010000", "000014", QDate(2010, 3, 20), "101", "x", QVariant(), 6.44, 15);
        addService(c, kEgnA, QString(), QDate(2010, 3, 22), "101", "x", QVariant(), 6.44, 15);
        addService(c, kEgnA, QString(), QDate(2010, 3, 22), "301", "x", QVariant(), 6.44, 15);
        addService(c, kEgnB, "  ", QDate(2010, 3, 23), "101", "x", QVariant(), 6.44, 15);
    }
    const ExportResult r = ExportReportXml("03/01/2010", "03/31/2010");
    EXPECT_EQ(r.entries, 3);
    ASSERT_EQ(r.skipped.size(), 3);
    EXPECT_EQ(r.skipped[0].egn, "8001010000");
    EXPECT_EQ(r.skipped[0].listId, "000014");
    EXPECT_TRUE(r.skipped[0].noPatient);
    EXPECT_EQ(r.skipped[1].egn, kEgnA);   // two rows of one visit: named once
    EXPECT_EQ(r.skipped[1].date, QDate(2010, 3, 22));
    EXPECT_FALSE(r.skipped[1].noPatient);
    EXPECT_EQ(r.skipped[2].egn, kEgnB);
    // The written entries are those of the golden file.
    expectSameBytes(readBytes(reportPath()), golden("small_Report.xml"), "Report.xml");

    const QString message = skippedMessage(r.skipped);
    EXPECT_TRUE(message.contains("8001010000, лист 000014, 20.03.2010")) << message.toStdString();
    EXPECT_TRUE(message.contains(kEgnA + ", 22.03.2010")) << message.toStdString();
    EXPECT_EQ(message.count('\r'), 3);
}

// Older data may hold a patient row of an empty EGN: the report bills no
// row whose EGN is Null, empty or blank, and names each as the counts do.
TEST_F(FundReport, RowsWithoutAnEgnAreLeftOutWhateverThePatientsTableHolds)
{
    fillSmallPractice();
    {
        db::Connection c = db::Connection::main();
        c.exec("INSERT INTO Pacients (EGN, Names, DataB) VALUES ('', 'Без ЕГН', '01.01.1980'),"
               " ('  ', 'Без ЕГН', '01.01.1980')");
        addService(c, "-", "000020", QDate(2010, 3, 20), "101", "x", QVariant(), 6.44, 15);
        addService(c, "-", "000021", QDate(2010, 3, 21), "301", "x", "11", 6.44, 26);
        addService(c, "-", "000022", QDate(2010, 3, 22), "101", "x", QVariant(), 6.44, 15);
        addService(c, "-", "-", QDate(2010, 3, 23), "101", "x", QVariant(), 6.44, 15);
        c.exec("UPDATE Help SET EGN = CASE ListID WHEN '000020' THEN NULL WHEN '000021' THEN '' ELSE '  ' END"
               " WHERE EGN = '-'");
        c.exec("UPDATE Help SET ListID = NULL WHERE ListID = '-'");
    }
    const ExportResult r = ExportReportXml("03/01/2010", "03/31/2010");
    EXPECT_EQ(r.entries, 3);
    expectSameBytes(readBytes(reportPath()), golden("small_Report.xml"), "Report.xml");
    EXPECT_FALSE(readBytes(utf8Path()).contains("Без ЕГН"));
    ASSERT_EQ(r.skipped.size(), 4);
    const QStringList lines = skippedMessage(r.skipped).split('\r');
    EXPECT_EQ(lines.mid(1), (QStringList{"ЕГН (без ЕГН), лист 000020, 20.03.2010 - няма пациент с това ЕГН",
                                         "ЕГН (без ЕГН), лист 000021, 21.03.2010 - няма пациент с това ЕГН",
                                         "ЕГН (без ЕГН), лист 000022, 22.03.2010 - няма пациент с това ЕГН",
                                         "ЕГН (без ЕГН), 23.03.2010 - дейности без номер на амбулаторен лист"}));
}

TEST_F(FundReport, SheetNumbersInTextOrderAndOneNumberInEntryOrder)
{
    {
        db::Connection c = db::Connection::main();
        for (const QString& egn : {kEgnA, kEgnB})
            c.insert("Pacients", {"EGN", "Names"}, {egn, "X Y Z"});
        addService(c, kEgnB, "000002", QDate(2010, 3, 2), "101", "x", QVariant(), 1, 15);
        addService(c, kEgnA, "000001", QDate(2010, 3, 3), "101", "x", QVariant(), 1, 15);
        addService(c, kEgnB, "000001", QDate(2010, 3, 4), "101", "x", QVariant(), 1, 15);
        addService(c, kEgnA, "000001", QDate(2010, 3, 1), "301", "x", QVariant(), 1, 15);
    }
    ExportReportXml("03/01/2010", "03/31/2010");
    QStringList order;
    for (const QString& line : QString::fromUtf8(readBytes(utf8Path())).split("\r\n"))
        if (line.startsWith("<dentalCareService "))
            order << line.section("personIdentifier=\"", 1).left(10) + "/" + line.section("ambulatorySheetNo=\"", 1).left(6);
    EXPECT_EQ(order, (QStringList{kEgnA + "/000001", kEgnB + "/000001", kEgnB + "/000002"}));
}

TEST_F(FundReport, AFailedWriteLeavesTheFilesOfTheLastRunWhole)
{
    fillSmallPractice();
    ExportReportXml("03/01/2010", "03/31/2010");
    const QByteArray oldReport = readBytes(reportPath());
    const QByteArray oldUtf8 = readBytes(utf8Path());

    // Report.xml cannot be replaced: a folder stands in its place.
    QFile::remove(reportPath());
    ASSERT_TRUE(QDir(ProgramFolder).mkdir(kReportFileName));
    EXPECT_THROW(ExportReportXml("03/31/2010", "03/31/2010"), db::DbError);
    EXPECT_EQ(readBytes(utf8Path()), oldUtf8);
    ASSERT_TRUE(QDir(reportPath()).removeRecursively());

    // Report_UTF8.xml cannot be replaced: Report.xml keeps the last run too,
    // so the two files never tell different periods.
    writeBytes(reportPath(), oldReport);
    QFile::remove(utf8Path());
    ASSERT_TRUE(QDir(ProgramFolder).mkdir(kReportUtf8FileName));
    EXPECT_THROW(ExportReportXml("03/31/2010", "03/31/2010"), db::DbError);
    EXPECT_TRUE(QFileInfo(utf8Path()).isDir());
    EXPECT_EQ(readBytes(reportPath()), oldReport);
}

TEST_F(FundReport, ControlsAndCharactersOutsideTheCodePageBecomeQuestionMarks)
{
    struct Case {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {"Abc", "Abc"},
        {QStringLiteral("Дж"), "\xc4\xe6"},
        {QStringLiteral("ѝ"), "?"},
        {QStringLiteral("€№"), "\x88\xb9"},
        {QString("a\x01" "b\x1a" "c\x7f"), "a?b?c?"},
        {QString("\t\r\n"), "\t\r\n"},
        {QString::fromUtf8("\xF0\x9F\x98\x80") + "x", "?x"},   // one character outside the basic plane
        {QString(QChar(0x98)), "?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encodeWindows1251(c.text), c.bytes) << c.text.toStdString();
}

TEST_F(FundReport, ConversionIsByteOrderMarkAndTheSameTextInUtf8)
{
    const QString source = QDir(ProgramFolder).filePath("in.xml");
    const QString target = QDir(ProgramFolder).filePath("out.xml");
    writeBytes(source, "<a b=\"\xc4\xe6\"/>\r\n");
    writeBytes(target, "old contents that are longer than the new ones");
    ConvertFileToUtf8(source, target);
    EXPECT_EQ(readBytes(target), QByteArray("\xEF\xBB\xBF<a b=\"\xd0\x94\xd0\xb6\"/>\r\n"));
    EXPECT_THROW(ConvertFileToUtf8(QDir(ProgramFolder).filePath("none.xml"), target), db::DbError);
    EXPECT_EQ(readBytes(target), QByteArray("\xEF\xBB\xBF<a b=\"\xd0\x94\xd0\xb6\"/>\r\n"));
}

TEST_F(FundReport, AControlCharacterInAnyFieldStillGivesAWellFormedFile)
{
    {
        db::Connection c = db::Connection::main();
        c.exec("UPDATE MedicUnit SET UserName = ?", {QString("Практика\x02\x1b")});
        c.insert("Pacients", {"EGN", "Names", "ZBook"}, {kEgnA, QString("Иван\x0b Петров"), QString("\x0c")});
        addService(c, kEgnA, "000001", QDate(2010, 3, 2), "101", QString("a\x1f"), QVariant(), 1, 15);
    }
    ExportReportXml("03/01/2010", "03/31/2010");
    expectWellFormed(utf8Path());
    const QByteArray bytes = readBytes(reportPath());
    for (char ch : bytes)
        EXPECT_TRUE(uchar(ch) >= 0x20 || ch == '\r' || ch == '\n') << int(ch);
}

TEST_F(FundReport, QuotesInKeysAreDataAndSheetsAreNotCountedIn16Bits)
{
    const QString egn = "75'1011234";
    {
        db::Connection c = db::Connection::main();
        c.insert("Pacients", {"EGN", "Names"}, {egn, "O'Hara Ann Lee"});
        c.insert("Spec", {"EGN", "ListID", "Data", "SISP1"}, {egn, "'00001", QDate(2010, 3, 1), "64"});
        // 32,769 sheets of one patient, one service each.
        c.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 32768)"
               " INSERT INTO Help (EGN, ListID, Data, KodHelp, Cena, Times, KodMedic)"
               " SELECT ?, '''' || substr('00000' || i, -5), date('2010-03-01', '+' || (i % 31) || ' days'),"
               " '101', 1, 15, ? FROM n",
               {egn, kDoctor});
    }
    const ExportResult r = ExportReportXml("03/01/2010", "03/31/2010");
    EXPECT_EQ(r.entries, 32769);
    const QString text = QString::fromUtf8(readBytes(utf8Path()));
    EXPECT_TRUE(text.contains("ambulatorySheetNo=\"'32768\""));
    EXPECT_TRUE(text.contains("personIdentifier=\"75'1011234\""));
    EXPECT_EQ(text.count("<prescSpecialist SODPCode=\"64\" date=\"2010-03-01\"/>"), 1);
}

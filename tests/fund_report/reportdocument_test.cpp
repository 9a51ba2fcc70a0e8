#include "fund_report/reportdocument.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::fund_report;

namespace {

db::Row row(std::initializer_list<std::pair<const char*, QVariant>> fields)
{
    db::Row r;
    for (const auto& [name, value] : fields)
        r.set(QString::fromLatin1(name), value);
    return r;
}

ReportEntry minimalEntry()
{
    ReportEntry e;
    e.listId = " 000042 ";
    e.patient = row({{"EGN", "7501011234"}, {"Names", QVariant()}});
    e.services << row({{"Data", "2010-03-02"}, {"KodHelp", "101"}, {"Cena", 6.44}, {"Times", 15}});
    return e;
}

} // namespace

TEST(ReportDocument, ValuesEscapeTheThreeCharactersAndFlattenBreaks)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"a&b", "a&amp;b"},
        {"&lt;", "&amp;lt;"},   // "&" first: an entity in the data stays data
        {"<x>", "&lt;x>"},
        {"\"q\" 'a'", "&quot;q&quot; 'a'"},
        {"two\r\nlines", "two lines"},
        {"cr\rlf\nend", "cr lf end"},
        {"a\r\n\r\nb", "a  b"},
        {"tab\there", "tab here"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xmlValue(c.in), c.out) << c.in.toStdString();
}

TEST(ReportDocument, NamesSplitOnTheTrimmedText)
{
    const struct {
        QString names, first, middle, last;
    } cases[] = {
        {"Иван Петров Колев", "Иван", "Петров", "Колев"},
        {"Иван Петров Колев Стоянов", "Иван", "Петров", "Колев Стоянов"},
        {"Иван Колев", "Иван", "", "Колев"},
        {"Колев", "", "", "Колев"},
        {"Иван  Петров Колев", "Иван", "Петров", "Колев"},
        {" Иван Петров Колев", "Иван", "Петров", "Колев"},
        {"Иван Петров Колев  ", "Иван", "Петров", "Колев"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        const PersonNames n = splitNames(c.names);
        EXPECT_EQ(n.first, c.first) << c.names.toStdString();
        EXPECT_EQ(n.middle, c.middle) << c.names.toStdString();
        EXPECT_EQ(n.last, c.last) << c.names.toStdString();
    }
}

TEST(ReportDocument, PriceCutsAtTheSecondDecimal)
{
    const struct {
        QVariant price;
        QString text;
    } cases[] = {
        {21.13, "21.13"}, {6.44, "6.44"}, {12.05, "12.05"}, {15, "15.00"}, {0.5, "0.50"},
        {0.29, "0.29"}, {1.15, "1.15"}, {double(21.13f), "21.13"}, {12.059, "12.05"},
        {0.999, "0.99"}, {QVariant(), "0.00"}, {0, "0.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(priceText(c.price), c.text) << c.price.toString().toStdString();
}

// Stored as four characters, or as printed with its point: one code.
TEST(ReportDocument, InvestigationCodeGetsItsPoint)
{
    const struct {
        QString stored, name;
    } cases[] = {
        {"1001", "10.01"}, {" 1001 ", "10.01"}, {"10.01", "10.01"}, {" 10.01 ", "10.01"},
        {"101", "10.1"}, {"1", "1."}, {"", "."},
        // Any other text is cut by position as it stands.
        {"1.001", "1..00"}, {"100.1", "10.0."}, {"10.011", "10..0"}, {"10,01", "10.,0"}, {"10.0", "10..0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(investigationCode(c.stored), c.name) << c.stored.toStdString();
}

// A referral stored before the point was dropped: its codes as the fund has them.
TEST(ReportDocument, StoredInvestigationCodesWithAPointComeOutAsTheFundsCodes)
{
    ReportEntry e = minimalEntry();
    e.investigation = row({{"Data", QDate(2010, 3, 2)}, {"Nomer", "7"}, {"Kod1", "10.01"}, {"Kod2", " 1002 "}});
    const QStringList lines = entryLines(e);
    const int at = int(lines.indexOf("<codes>"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.mid(at, 4), (QStringList{"<codes>", "<code name=\"10.01\"/>", "<code name=\"10.02\"/>", "</codes>"}));
}

TEST(ReportDocument, ToothFieldsInChartOrder)
{
    QList<int> numbers;
    for (int f = 1; f <= 52; ++f)
        numbers << toothNumber(f);
    const QList<int> expected{55, 54, 53, 52, 51, 61, 62, 63, 64, 65, 85, 84, 83, 82, 81, 71, 72, 73,
                              74, 75, 18, 17, 16, 15, 14, 13, 12, 11, 21, 22, 23, 24, 25, 26, 27, 28,
                              48, 47, 46, 45, 44, 43, 42, 41, 31, 32, 33, 34, 35, 36, 37, 38};
    EXPECT_EQ(numbers, expected);
}

TEST(ReportDocument, EntryWithoutChartOrReferralsWritesTheEmptyForms)
{
    const QStringList lines = entryLines(minimalEntry());
    const QStringList expected{
        "<dentalCareService personType=\"\" personIdentifier=\"7501011234\" countryCode=\"\" RHIFCode=\"\" "
        "healthRegionCode=\"\" birthDate=\"\" personFirstName=\"\" personMiddleName=\"\" personLastName=\"\" "
        "specificationType=\"\" ambulatorySheetNo=\"000042\" HIRBNo=\"\" unfavorableCondition=\"0\">",
        "<allergies>", "<allergy allergyName=\"\"/>", "</allergies>",
        "<pastDiseases>", "<pastDisease name=\"\"/>", "</pastDiseases>",
        "<currentDiseases>", "<currentDisease name=\"\"/>", "</currentDiseases>",
        "<teeth>", "</teeth>",
        "<services>",
        "<service date=\"2010-03-02\" diagnosis=\"\" toothCode=\"\" activityCode=\"101\" repPrice=\"6.44\" numberOfMinutes=\"15\"/>",
        "</services>",
        "<prescMedicalPathways>", "<prescMedicalPathway pathwayNo=\"\" date=\"\" ODPCode=\"\" HSACode=\"\"/>",
        "</prescMedicalPathways>",
        "<prescMDAs>", "<prescMDA pathwayNo=\"\" date=\"\">", "<codes>", "<code name=\"\"/>", "</codes>",
        "</prescMDA>", "</prescMDAs>",
        "<prescSpecialists>", "<prescSpecialist SODPCode=\"\" date=\"\"/>", "</prescSpecialists>",
        "</dentalCareService>",
    };
    EXPECT_EQ(lines, expected);
}

TEST(ReportDocument, ChartTakesMilkStarsOutAndKeepsStatusAsStored)
{
    ReportEntry e = minimalEntry();
    e.chart = row({{"Z5", "*"}, {"Z6", " * "}, {"Z7", "R"}, {"Z20", QVariant()}, {"Z28", "*"}, {"Z29", "  "},
                   {"Z45", " C "}});
    const QStringList lines = entryLines(e);
    QStringList teeth;
    for (int i = lines.indexOf("<teeth>") + 1; lines[i] != "</teeth>"; ++i)
        teeth << lines[i];
    EXPECT_EQ(teeth, (QStringList{"<tooth toothCode=\"62\">", "<toothStatuses>", "<toothStatus toothStatusCode=\"R\"/>",
                                  "</toothStatuses>", "</tooth>",
                                  "<tooth toothCode=\"11\">", "<toothStatuses>", "<toothStatus toothStatusCode=\"*\"/>",
                                  "</toothStatuses>", "</tooth>",
                                  "<tooth toothCode=\"31\">", "<toothStatuses>", "<toothStatus toothStatusCode=\" C \"/>",
                                  "</toothStatuses>", "</tooth>"}));
}

TEST(ReportDocument, BirthDateFromTheDayFirstText)
{
    const struct {
        QVariant dataB;
        QString iso;
    } cases[] = {{"05.03.2009", "2009-03-05"}, {QVariant(), ""}, {"", ""}};
    for (const auto& c : cases) {
        ReportEntry e = minimalEntry();
        e.patient.set("DataB", c.dataB);
        EXPECT_TRUE(entryLines(e).first().contains("birthDate=\"" + c.iso + "\"")) << c.dataB.toString().toStdString();
    }
}

TEST(ReportDocument, DocumentOfAnEmptyPeriodIsFiveLines)
{
    ReportHeader h;
    h.periodStart = "03/01/2010";
    h.periodStop = "03/31/2010";
    h.today = QDate(2010, 3, 5);
    const QStringList lines = reportDocument(h, {});
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_TRUE(lines[1].contains(" odpCode=\"\" "));
    EXPECT_TRUE(lines[1].contains(" reportingDate=\"2010-03-05\" startFrom=\"2010-03-01\" endTo=\"2010-03-31\" "));
    EXPECT_EQ(lines.mid(2), (QStringList{"<dentalCareServices>", "</dentalCareServices>", "</report>"}));
}

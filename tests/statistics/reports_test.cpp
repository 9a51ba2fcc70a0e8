// The printed period reports: what each draws, where, and their end.

#include "fixtures.h"
#include "report/renderer.h"
#include "services/globals.h"
#include "statistics/period.h"
#include "statistics/periodreports.h"
#include "statistics/preparation.h"
#include "statistics/tempdb.h"
#include "support/program_folder.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::report;
using namespace tav::statistics;
using namespace statistics_test;
using testing_support::TestFolder;

namespace {

class PeriodReports : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        CurrentDoctorName = "Мария Иванова";
        CurrentDoctorCode = "D1";
        periodVars() = {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"};
        unloads_ = 0;
        periodDialogUnloader() = [this] { ++unloads_; };
    }
    void TearDown() override
    {
        periodDialogUnloader() = {};
        QLocale::setDefault(QLocale::system());
    }

    // The texts a control draws, line by line.
    static QStringList textsOf(Report& r, const QString& control)
    {
        QStringList out;
        for (const DrawItem& i : r.rendered().of(control))
            if (i.kind == ItemKind::Text)
                out << i.text;
        return out;
    }
    static DrawItem firstText(Report& r, const QString& control, int row = -1)
    {
        for (const DrawItem& i : r.rendered().of(control))
            if (i.kind == ItemKind::Text && (row < 0 || i.row == row))
                return i;
        ADD_FAILURE() << "no text of " << control.toStdString();
        return {};
    }
    // Keeps a PDF of the report for a look, when asked to.
    static void keep(Report& r, const QString& name)
    {
        if (qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR"))
            return;
        r.renderToPdf(QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath(name + ".pdf"));
    }

    TestFolder folder_;
    int unloads_ = 0;
};

} // namespace

TEST_F(PeriodReports, WorkListPrintsItsLinesTheirSumAndTheirCount)
{
    const QString a = egnFor(QDate(1999, 6, 20)), b = egnFor(QDate(1975, 3, 12)), c = egnFor(QDate(1960, 7, 7));
    addPatient(a, "Анна Петрова Колева");
    addPatient(b, "Борис Иванов Стоянов");
    addPatient(c, "Александра Константинова");
    QVector<Treatment> rows = {{a, QDate(2010, 3, 3), "101"}, {a, QDate(2010, 3, 10), "301А"},
                               {b, QDate(2010, 3, 5), "508"}};
    for (const char* code : {"101", "301А", "301Б", "302", "332", "333", "508", "509", "103"})
        rows.push_back({c, QDate(2010, 3, 8), code});
    addTreatments(rows);
    CreateTempTable("TempWork");
    FillTempWork(QDate(2010, 3, 1), QDate(2010, 3, 31), "D1");

    rprWork r;
    r.start();
    keep(r, "rprWork");
    EXPECT_EQ(r.caption(), "Отчет");
    EXPECT_EQ(r.pageCount(), 1);
    EXPECT_EQ(textsOf(r, "Label3"), QStringList{"Справка"});
    EXPECT_EQ(textsOf(r, "Label12"), QStringList{"от 01.03.2010 до 31.03.2010"});
    EXPECT_EQ(textsOf(r, "Label9"), QStringList{"от д-р Мария Иванова"});
    EXPECT_EQ(textsOf(r, "Function1"), QStringList{QString::number(41 + 17 + 15 + 26 * 3 + 39 + 141 + 17 + 22)});
    EXPECT_EQ(textsOf(r, "Label7"), QStringList{"Общ брой амбулаторни листи: 3"});

    // One line per patient below the headings, in the order of the table.
    const double firstTop = 720 + 1680 + 420;
    const DrawItem date = firstText(r, "Text1", 0);
    EXPECT_EQ(date.text, "03.03.2010");
    EXPECT_DOUBLE_EQ(date.rect.top(), firstTop + 45);
    EXPECT_DOUBLE_EQ(date.rect.left(), 940);
    EXPECT_EQ(firstText(r, "Text6", 0).text, "101,301А");
    EXPECT_EQ(firstText(r, "Text3", 0).text, "41");
    EXPECT_EQ(firstText(r, "Text5", 0).text, "11");
    EXPECT_EQ(firstText(r, "Text4", 1).text, b);
    EXPECT_DOUBLE_EQ(firstText(r, "Text4", 1).rect.top(), firstTop + 600 + 30);
    EXPECT_DOUBLE_EQ(firstText(r, "Text4", 1).rect.left(), 940 + 3885);
    // The right-aligned minutes end at the column's right edge.
    EXPECT_NEAR(firstText(r, "Text3", 1).rect.right(), 940 + 9135 + 885, 0.01);

    // Nine codes break after a comma into the cell's two lines; the long name
    // takes its two lines too.
    QStringList codeLines;
    for (const DrawItem& i : r.rendered().of("Text6"))
        if (i.row == 2)
            codeLines << i.text;
    ASSERT_EQ(codeLines.size(), 2);
    EXPECT_TRUE(codeLines[0].endsWith(','));
    EXPECT_EQ(codeLines.join(QString()), "101,103,301А,301Б,302,332,333,508,509");
    for (const DrawItem& i : r.rendered().items)
        if (i.kind == ItemKind::Text && (i.control == "Text6" || i.control == "Text2")) {
            EXPECT_FALSE(i.clipped()) << i.text.toStdString() << " " << i.rect.bottom() << " " << i.clip.bottom();
        }

    // Everything stays within the sheet's side margins.
    for (const DrawItem& i : r.rendered().items) {
        const QRectF box = i.kind == ItemKind::Text ? i.clip : i.rect;
        EXPECT_GE(box.left(), 940 - 1) << i.control.toStdString();
        EXPECT_LE(box.right(), 11906 - 940 + 1) << i.control.toStdString();
    }

    r.end();
    EXPECT_TRUE(tempRows("TempWork").isEmpty());
    EXPECT_EQ(unloads_, 1);
}

TEST_F(PeriodReports, WorkListShowsEveryCodeOfAVisitAndTheWholeName)
{
    // Fourteen codes overflow the cell's two lines at its size: drawn smaller,
    // every code shows, as "Време" counts them all.
    const QString egn = egnFor(QDate(1980, 5, 15));
    const QString name = "Екатерина Николаева Хаджиниколова";
    addPatient(egn, name);
    const QStringList codes = {"101", "103", "301", "301А", "301Б", "302В", "303A", "304B",
                               "332", "332", "333", "508", "508", "509"};
    QVector<Treatment> rows;
    for (const QString& code : codes)
        rows.push_back({egn, QDate(2010, 3, 8), code});
    addTreatments(rows);
    CreateTempTable("TempWork");
    FillTempWork(QDate(2010, 3, 1), QDate(2010, 3, 31), "D1");

    rprWork r;
    r.start();
    keep(r, "rprWork-long");
    QString shownCodes, shownName;
    for (const DrawItem& i : r.rendered().items) {
        if (i.kind != ItemKind::Text || i.row != 0)
            continue;
        if (i.control == "Text6" || i.control == "Text2") {
            (i.control == "Text6" ? shownCodes : shownName) += (i.control == "Text2" && !shownName.isEmpty() ? " " : "") + i.text;
            EXPECT_FALSE(i.clipped()) << i.text.toStdString();
            EXPECT_GE(i.pointSize, 12 * 0.7) << i.text.toStdString();
        }
    }
    EXPECT_EQ(shownCodes, codes.join(','));
    EXPECT_EQ(shownName, name);
    EXPECT_EQ(firstText(r, "Text3", 0).text, QString::number(15 + 26 * 6 + 39 * 2 + 141 + 17 * 2 + 22));
}

TEST_F(PeriodReports, AOneDayPeriodPrintsTheDayAloneAndAnEmptyListCountsZero)
{
    periodVars() = {"15.03.2010", "15.03.2010", "03/15/2010", "03/15/2010"};
    CreateTempTable("TempWork");
    rprWork r;
    r.start();
    EXPECT_EQ(textsOf(r, "Label12"), QStringList{"15.03.2010"});
    EXPECT_EQ(textsOf(r, "Label7"), QStringList{"Общ брой амбулаторни листи: 0"});
    EXPECT_EQ(textsOf(r, "Function1"), QStringList{"0"});
    EXPECT_TRUE(textsOf(r, "Text1").isEmpty());
    EXPECT_EQ(textsOf(r, "Label1"), QStringList{"Дата"});   // the headings stand

    CreateTempTable("TempZOKC");
    FillTempZOKC(QDate(2010, 3, 15), QDate(2010, 3, 15), "D1");
    rprZOKC z;
    z.start();
    EXPECT_EQ(textsOf(z, "Label12"), QStringList{"15.03.2010"});
}

TEST_F(PeriodReports, FundSummaryPrintsItsTwoRowsUnderTheClasses)
{
    const QString child = egnFor(QDate(2000, 5, 5)), adult = egnFor(QDate(1970, 5, 5));
    addTreatments({{child, QDate(2010, 3, 1), "101"}, {child, QDate(2010, 3, 1), "301"},
                   {adult, QDate(2010, 3, 2), "509"}, {adult, QDate(2010, 3, 2), "509"},
                   {adult, QDate(2010, 3, 2), "103"}});
    CreateTempTable("TempZOKC");
    FillTempZOKC(QDate(2010, 3, 1), QDate(2010, 3, 31), "D1");
    rprZOKC r;
    r.start();
    keep(r, "rprZOKC");
    EXPECT_EQ(r.pageCount(), 1);
    EXPECT_EQ(textsOf(r, "Label12"), QStringList{"от 01.03.2010 до 31.03.2010"});
    EXPECT_EQ(textsOf(r, "Label9"), QStringList{"от д-р Мария Иванова"});
    const QStringList heads = {"Label28", "Label29", "Label30", "Label31", "Label32", "Label33"};
    const QStringList codes = {"101", "301", "332", "333", "508", "509"};
    const QStringList cells = {"Text2", "Text3", "Text4", "Text5", "Text6", "Text7"};
    const QStringList under = {"1", "1", "0", "0", "0", "0"}, over = {"0", "0", "0", "0", "0", "2"};
    for (int i = 0; i < 6; ++i) {
        const DrawItem head = firstText(r, heads[i]);
        EXPECT_EQ(head.text, codes[i]);
        const DrawItem u = firstText(r, cells[i], 0), o = firstText(r, cells[i], 1);
        EXPECT_EQ(u.text, under[i]) << codes[i].toStdString();
        EXPECT_EQ(o.text, over[i]) << codes[i].toStdString();
        // Each count stands under its class, a row below the other.
        EXPECT_NEAR(u.rect.center().x(), head.rect.center().x(), 30) << codes[i].toStdString();
        EXPECT_DOUBLE_EQ(o.rect.top() - u.rect.top(), 1155);
    }
    EXPECT_EQ(textsOf(r, "Text1"), QStringList({"Под 18", "години", "Над 18", "години"}));
    EXPECT_DOUBLE_EQ(firstText(r, "Text2", 0).rect.top(), 720 + 2835 + 240);
    for (const DrawItem& i : r.rendered().items)
        if (i.kind == ItemKind::Text) {
            EXPECT_FALSE(i.clipped()) << i.control.toStdString() << " " << i.text.toStdString();
        }
    r.end();
    EXPECT_TRUE(tempRows("TempZOKC").isEmpty());
    EXPECT_EQ(unloads_, 1);
}

TEST_F(PeriodReports, MaterialsPrintTheQuantitiesAboveZeroWithOneDecimal)
{
    {
        db::Connection ref(ReferenceDatabasePath, db::OpenMode::ReadWrite);
        ref.exec("DELETE FROM Mater");
        const QList<QVariantList> mater = {{"001", "Амалгама", 1234.46, "гр"},
                                           {"002", "Композит", 0, "гр"},
                                           {"003", "Цимент", 0.55, "гр"},
                                           {"004", "Игла", 1234567, "бр"},
                                           {"005", "Паста", -2, "гр"},
                                           {"006", "Пълнило", QVariant(), "гр"}};
        for (const QVariantList& m : mater)
            ref.insert("Mater", {"Kod", "Name", "Kol", "Ed"}, m);
    }
    CreateTempTable("TempMater");
    FillTempMater();
    rprMat r;
    r.start();
    keep(r, "rprMat");
    EXPECT_EQ(textsOf(r, "Label3"), QStringList{"01.03.2010"});
    EXPECT_EQ(textsOf(r, "Label9"), QStringList{"31.03.2010"});
    EXPECT_EQ(textsOf(r, "Label6"), QStringList{"от д-р Мария Иванова"});
    EXPECT_EQ(textsOf(r, "Text2"), QStringList({"Амалгама", "Цимент", "Игла"}));
    const QString nbsp(QChar(0x00A0));
    EXPECT_EQ(textsOf(r, "Text1"), QStringList({"1" + nbsp + "234,5", "0,6", "1" + nbsp + "234" + nbsp + "567,0"}));
    EXPECT_EQ(textsOf(r, "Text3"), QStringList({"гр", "гр", "бр"}));
    EXPECT_NEAR(firstText(r, "Text1", 0).rect.right(), 940 + 6885 + 1935, 0.01);
    EXPECT_DOUBLE_EQ(firstText(r, "Text2", 1).rect.top(), 720 + 2085 + 285);
    r.end();
    EXPECT_TRUE(tempRows("TempMater").isEmpty());
    EXPECT_EQ(unloads_, 1);
}

TEST_F(PeriodReports, SpecificationFillsTheFormFromThePracticeAndTheCounts)
{
    {
        db::Connection c = db::Connection::main();
        c.exec("UPDATE MedicUnit SET UserID = ?, UserName = ?, UserUIN = ?, UserEGN = ?, UserBl = NULL, UserMOL = ?",
               {"1622123456", "АИППДП Д-р Иванова", "2300012345", "7503121234", "Мария Иванова"});
    }
    const QString adult = egnFor(QDate(1970, 5, 5)), child = egnFor(QDate(2005, 1, 1));
    addTreatments({{adult, QDate(2010, 3, 1), "101"}, {adult, QDate(2010, 3, 1), "101"}, {adult, QDate(2010, 3, 1), "101"},
                   {adult, QDate(2010, 3, 2), "103"}, {child, QDate(2010, 3, 3), "333"}});
    CreateTempTable("TempSpec");
    FillTempSpec(QDate(2010, 3, 1), QDate(2010, 3, 31), "D1");
    rptSpec r;
    r.start();
    keep(r, "rptSpec");
    EXPECT_EQ(r.caption(), "Спецификация");
    EXPECT_EQ(r.pageCount(), 1);
    const struct {
        const char* label;
        const char* text;
    } cells[] = {{"Label68", "4"},          {"Label69", "25.76"}, {"Label80", "1"},    {"Label146", "1"},
                 {"Label147", "68.93"},     {"Label99", "25.76"}, {"Label153", "68.93"}, {"Label159", "94.69"},
                 {"Label86", "0"},          {"Label87", "0"},     {"Label42", "01.03.2010 г."},
                 {"Label50", "31.03.2010 г."}, {"Label9", "АИППДП Д-р Иванова"}, {"Label45", "1"},
                 {"Label203", "6"},         {"Label52", "2"},     {"Label220", "4"},    {"LabelUIN10", "5"},
                 {"Label212", "4"},
                 {"Label54", "Мария Иванова"}};
    for (const auto& k : cells)
        EXPECT_EQ(textsOf(r, k.label), QStringList{QString::fromUtf8(k.text)}) << k.label;
    EXPECT_TRUE(textsOf(r, "Label8").isEmpty());
    // The amount stands centred in its cell of the detail, below the page header.
    const DrawItem amount = firstText(r, "Label69");
    EXPECT_NEAR(amount.rect.center().x(), 220 + 9630 + 1485 / 2.0, 0.01);
    EXPECT_GT(amount.rect.top(), 220 + 6330 + 300);
    EXPECT_LT(amount.rect.bottom(), 220 + 6330 + 765);
    r.end();
    EXPECT_TRUE(tempRows("TempSpec").isEmpty());
    EXPECT_EQ(unloads_, 1);
}

// The outpatient sheet: values in the boxes of the fund's form.

#include "fixtures.h"

#include "printing/outpatientsheet.h"
#include "printing/spacing.h"
#include "report/layoutfile.h"
#include "services/globals.h"
#include "support/program_folder.h"

#include <QDate>
#include <QSet>
#include <gtest/gtest.h>
#include <map>

using namespace tav;
using namespace tav::printing;
using namespace tav::report;
using namespace printing_test;

namespace {

constexpr int kTop = 1440;                // the engine's top margin
constexpr int kHeaderTop = kTop + 330;    // the page header under Section1 on the first page
const QString kEgn = "7503126540";

Layout sheetLayout()
{
    return loadLayout(":/report/layouts/rprKarton.json");
}

// Laid out from what was read, with the side margins the report sets.
Rendered renderSheet(const SheetInput& in, const db::Rows& lines = {})
{
    Layout l = sheetLayout();
    l.margins.left = l.margins.right = 0;
    fillOutpatientSheet(l, in);
    return render(l, lines);
}

SheetInput inputOf(const Fields& patient, const Fields& dental = {}, bool status = false)
{
    SheetInput in;
    in.printEgn = kEgn;
    in.dentalStatus = status;
    in.patient = rowOf(patient);
    if (!dental.isEmpty())
        in.dental = rowOf(dental);
    return in;
}

QString caption(const Layout& l, const QString& section, const QString& name)
{
    return l.section(section).control(name).caption;
}

} // namespace

TEST(SheetLayout, SectionsLabelsAndBoxesStandWhereTheFormHasThem)
{
    const Layout l = sheetLayout();
    EXPECT_EQ(l.name, "rprKarton");
    EXPECT_EQ(l.caption, "Амбулаторен лист");
    EXPECT_EQ(l.width, 11205);
    EXPECT_EQ(l.dataMember, "comKarton");
    EXPECT_EQ(l.font.family, "Arial");
    EXPECT_DOUBLE_EQ(l.font.pointSize, 8.25);
    EXPECT_EQ(l.margins.top, 1440);
    EXPECT_EQ(l.margins.bottom, 1440);

    const std::tuple<const char*, SectionKind, int> sections[] = {
        {"Section1", SectionKind::ReportHeader, 330}, {"PageHeader", SectionKind::PageHeader, 8265},
        {"comKarton", SectionKind::Detail, 495}, {"PageFooter", SectionKind::PageFooter, 2400},
        {"Section2", SectionKind::ReportFooter, 0}};
    ASSERT_EQ(l.count(), 5);
    for (int i = 0; i < 5; ++i) {
        const auto& [name, kind, height] = sections[i];
        EXPECT_EQ(l.section(i + 1).name, name);
        EXPECT_EQ(l.section(i + 1).kind, kind) << name;
        EXPECT_EQ(l.section(i + 1).height, height) << name;
    }
    EXPECT_EQ(l.section("Section1").count(), 2);
    EXPECT_EQ(l.section("PageHeader").count(), 14 + 32 + 40);
    EXPECT_TRUE(l.section("PageFooter").controls.isEmpty());

    struct Label {
        const char* name;
        const char* section;
        QRect rect;
        Align align;
        const char* family;
        double size;
        int charset;
    };
    const Label labels[] = {
        {"Label1", "Section1", {2715, 0, 2325, 330}, Align::Right, "Arial", 14.25, 0},
        {"Label6", "Section1", {8415, 0, 2790, 330}, Align::Right, "Arial", 14.25, 0},
        {"Label7", "PageHeader", {8700, 100, 2505, 330}, Align::Right, "Arial", 14.25, 0},
        {"Label4", "PageHeader", {1005, 615, 5790, 275}, Align::Left, "SwissCyr", 14.25, 204},
        {"Label50", "PageHeader", {2085, 915, 4710, 270}, Align::Left, "SwissCyr", 12, 204},
        {"Label8", "PageHeader", {6825, 1215, 4335, 390}, Align::Center, "SwissCyr", 14.25, 0},
        {"Label5", "PageHeader", {1440, 1250, 5350, 250}, Align::Left, "SwissCyr", 12, 204},
        {"Label13", "PageHeader", {1140, 1550, 3390, 250}, Align::Left, "SwissCyr", 12, 204},
        {"Label14", "PageHeader", {4545, 1550, 375, 250}, Align::Left, "Arial", 12, 204},
        {"Label15", "PageHeader", {4965, 1550, 405, 250}, Align::Left, "Arial", 12, 204},
        {"Label16", "PageHeader", {5415, 1550, 375, 250}, Align::Left, "Arial", 12, 204},
        {"Label17", "PageHeader", {5850, 1550, 390, 250}, Align::Left, "Arial", 12, 204},
        {"Label9", "PageHeader", {8835, 1935, 2355, 330}, Align::Right, "Arial", 14.25, 0},
        {"Label10", "PageHeader", {2340, 2505, 8790, 360}, Align::Left, "Arial", 14.25, 204},
        {"Label11", "PageHeader", {1065, 3285, 4725, 1305}, Align::Left, "Arial", 14.25, 204},
        {"Label12", "PageHeader", {6225, 3285, 4920, 1290}, Align::Left, "Arial", 14.25, 204},
    };
    for (const Label& k : labels) {
        const Control& c = l.section(k.section).control(k.name);
        EXPECT_EQ(c.kind, ControlKind::Label) << k.name;
        EXPECT_EQ(c.rect, k.rect) << k.name;
        EXPECT_EQ(c.align, k.align) << k.name;
        EXPECT_EQ(c.font.family, k.family) << k.name;
        EXPECT_DOUBLE_EQ(c.font.pointSize, k.size) << k.name;
        EXPECT_FALSE(c.font.bold) << k.name;
        EXPECT_EQ(c.font.charset, k.charset) << k.name;
        EXPECT_TRUE(c.caption.isEmpty()) << k.name;   // the form's own texts are printed already
    }

    const int lefts[] = {3285, 3750, 4245, 4740, 5190, 5685, 6195, 6675, 7200, 7680, 8235, 8775, 9285, 9795, 10260, 10755};
    for (int k = 18; k <= 49; ++k) {
        const Control& c = l.section("PageHeader").control(QString("Label%1").arg(k));
        EXPECT_EQ(c.rect, QRect(lefts[(k - 18) % 16], k < 34 ? 5685 : 6240, 450, 360)) << k;
        EXPECT_EQ(c.font.family, "Arial Narrow");
        EXPECT_DOUBLE_EQ(c.font.pointSize, 15.75);
        EXPECT_TRUE(c.font.bold);
        EXPECT_EQ(c.align, Align::Center);
        EXPECT_TRUE(c.caption.isEmpty());
    }

    // Outer circle of each milk tooth 1..20; the inner one 15 twips in.
    const QPoint outer[] = {
        {4755, 4650}, {5250, 4650}, {5745, 4650}, {6240, 4650}, {6735, 4650},
        {7275, 4650}, {7785, 4665}, {8310, 4665}, {8805, 4665}, {9300, 4665},
        {4755, 7200}, {5250, 7200}, {5745, 7200}, {6240, 7200}, {6735, 7200},
        {7260, 7200}, {7770, 7200}, {8265, 7200}, {8760, 7200}, {9255, 7200}};
    for (int m = 1; m <= 20; ++m) {
        const Control& o = l.section("PageHeader").control(QString("Shape%1").arg(m));
        const Control& i = l.section("PageHeader").control(QString("Shape%1").arg(m + 100));
        EXPECT_EQ(o.rect, QRect(outer[m - 1], QSize(375, 375))) << m;
        EXPECT_EQ(i.rect, QRect(outer[m - 1] + QPoint(15, 15), QSize(345, 345))) << m;
        for (const Control* c : {&o, &i}) {
            EXPECT_EQ(c->kind, ControlKind::Shape);
            EXPECT_EQ(c->shape, ShapeKind::Circle);
            EXPECT_FALSE(c->visible) << c->name.toStdString();
        }
    }

    struct Box {
        const char* name;
        const char* field;
        QRect rect;
        double size;
        bool bold;
    };
    const Box boxes[] = {
        {"Text1", "Data", {975, 15, 1425, 480}, 12.75, true},
        {"Text2", "Help", {2385, 0, 3480, 495}, 14.25, false},
        {"Text3", "KodZab", {5910, 0, 795, 495}, 14.25, true},
        {"Text5", "TextHelp", {6645, 0, 3420, 495}, 14.25, false},
        {"Text4", "KodHelp", {10200, 0, 1005, 495}, 14.25, true},
    };
    ASSERT_EQ(l.section("comKarton").count(), 5);
    for (const Box& b : boxes) {
        const Control& c = l.section("comKarton").control(b.name);
        EXPECT_EQ(c.kind, ControlKind::TextBox) << b.name;
        EXPECT_EQ(c.dataField, b.field) << b.name;
        EXPECT_EQ(c.rect, b.rect) << b.name;
        EXPECT_DOUBLE_EQ(c.font.pointSize, b.size) << b.name;
        EXPECT_EQ(c.font.bold, b.bold) << b.name;
        EXPECT_EQ(c.align, Align::Left) << b.name;
        EXPECT_EQ(c.font.charset, 204) << b.name;
    }
}

TEST(Sheet, PatientValuesPrintWhenFilledAndAsStored)
{
    struct Case {
        const char* field;
        QVariant value;
        const char* label;
        QString expected;   // empty: the label prints nothing
    };
    const Case cases[] = {
        {"Names", "Иван Петров Колев", "Label4", "Иван Петров Колев"},
        {"Names", QVariant(), "Label4", ""},
        {"Tawn", "Пловдив", "Label50", "Пловдив"},
        {"Tawn", "     ", "Label50", ""},
        {"Tawn", " Пловдив", "Label50", " Пловдив"},       // printed untrimmed
        {"Tawn", QVariant(), "Label50", ""},
        {"UL", "ул.Гладстон 12 ", "Label5", "ул.Гладстон 12 "},
        {"KV", "Тракия", "Label13", "Тракия"},
        {"BL", "45", "Label14", "45"},
        {"VX", "Б", "Label15", "Б"},
        {"ET", " ", "Label16", ""},
        {"AP", "12", "Label17", "12"},
        {"Nep", "Пеницилин", "Label10", "Пеницилин"},
        {"ZabOld", "Хепатит", "Label11", "Хепатит"},
        {"ZabNaw", "Диабет", "Label12", "Диабет"},
        {"ZBook", "12345678", "Label9", "1 2 3 4 5 6 7 8  "},
        {"ZBook", " 1234", "Label9", "  1 2 3 4     "},   // the untrimmed value is spread
        {"ZBook", "  ", "Label9", ""},
    };
    for (const Case& k : cases) {
        const Layout l = [&] {
            Layout x = sheetLayout();
            fillOutpatientSheet(x, inputOf({{"EGN", kEgn}, {k.field, k.value}}));
            return x;
        }();
        EXPECT_EQ(caption(l, "PageHeader", k.label), k.expected) << k.field << " " << k.value.toString().toStdString();
        // No value lands anywhere else.
        for (const Control& c : l.section("PageHeader").controls) {
            if (c.name != k.label && c.kind == ControlKind::Label) {
                EXPECT_TRUE(c.caption.isEmpty()) << k.field << " -> " << c.name.toStdString();
            }
        }
    }
}

TEST(Sheet, DigitBoxValuesEndAtTheirLabelsRightEdge)
{
    SheetInput in = inputOf({{"EGN", kEgn}, {"ZBook", "12345678"}});
    in.doctor = rowOf({{"Names", "Мария Иванова"}, {"EGN", "6001014321"}, {"KodMedic", "2200001"}});
    const Rendered r = renderSheet(in);
    struct Case {
        const char* label;
        QString text;
        int top, right;
    };
    const Case cases[] = {
        {"Label1", "7 5 0 3 1 2 6 5 4 0", kTop, 2715 + 2325},
        {"Label6", "2 2 0 0 0 0 1   ", kTop, 8415 + 2790},
        {"Label7", "6 0 0 1 0 1 4 3 2 1", kHeaderTop + 100, 8700 + 2505},
        {"Label9", "1 2 3 4 5 6 7 8  ", kHeaderTop + 1935, 8835 + 2355},   // two trailing blanks
    };
    for (const Case& k : cases) {
        const auto items = textItems(r, k.label);
        ASSERT_EQ(items.size(), 1) << k.label;
        EXPECT_EQ(items[0].text, k.text) << k.label;
        EXPECT_EQ(items[0].text.size(), k.text.size());
        EXPECT_NEAR(items[0].rect.right(), k.right, 0.01) << k.label;
        EXPECT_DOUBLE_EQ(items[0].rect.top(), k.top) << k.label;
        EXPECT_FALSE(items[0].clipped()) << k.label;
    }
    EXPECT_EQ(textItems(r, "Label1")[0].text.size(), 19);
    EXPECT_EQ(drawn(r, "Label8"), "д-р Мария Иванова");
    // Nothing else of the patient is printed.
    EXPECT_TRUE(textItems(r, "Label50").isEmpty());
    EXPECT_TRUE(textItems(r, "Label10").isEmpty());
}

TEST(Sheet, DentalStatusFollowsThePermanentToothThenTheMilkTooth)
{
    struct Case {
        const char* what;
        Fields chart;
        std::map<int, QString> boxes;   // status label -> caption; all others empty
        QSet<int> circles;              // milk teeth whose two circles show
    };
    const Case cases[] = {
        {"permanent status wins", {{"Z24", "C"}, {"Z1", "*"}}, {{21, "C"}}, {}},
        {"milk tooth present", {{"Z1", "*"}}, {{21, " "}}, {1}},
        {"milk tooth with a status", {{"Z1", "P"}}, {{21, "P"}}, {1}},
        {"blank permanent counts as empty", {{"Z24", "   "}, {"Z1", "P"}}, {{21, "P"}}, {1}},
        {"a leading blank prints", {{"Z24", " C"}}, {{21, " C"}}, {}},
        {"asterisk with blanks", {{"Z1", " * "}}, {{21, " "}}, {1}},
        {"Null milk field", {{"Z1", QVariant()}, {"Z24", QVariant()}}, {}, {}},
        {"only permanent teeth",
         {{"Z21", "C"}, {"Z24", "O"}, {"Z28", "P"}, {"Z36", "X"}, {"Z37", "E"}, {"Z44", "K"}, {"Z52", "III"}},
         {{18, "C"}, {21, "O"}, {25, "P"}, {33, "X"}, {34, "E"}, {41, "K"}, {49, "III"}}, {}},
        {"lower milk tooth 85 into the box of 45", {{"Z11", "C"}}, {{37, "C"}}, {11}},
        {"last milk teeth of each jaw", {{"Z10", "*"}, {"Z20", "R"}, {"Z49", "O"}}, {{30, " "}, {46, "O"}}, {10}},
        {"midline pairs", {{"Z5", "C"}, {"Z6", "G"}, {"Z15", "*"}, {"Z16", "*"}}, {{25, "C"}, {26, "G"}, {41, " "}, {42, " "}},
         {5, 6, 15, 16}},
    };
    for (const Case& k : cases) {
        Fields chart = k.chart;
        chart.prepend({"EGN", kEgn});
        const Rendered r = renderSheet(inputOf({{"EGN", kEgn}}, chart, true));
        for (int label = 18; label <= 49; ++label) {
            const auto it = k.boxes.find(label);
            EXPECT_EQ(drawn(r, QString("Label%1").arg(label)), it == k.boxes.end() ? QString() : it->second)
                << k.what << ": Label" << label;
        }
        for (int m = 1; m <= 20; ++m)
            for (int shape : {m, m + 100})
                EXPECT_EQ(r.of(QString("Shape%1").arg(shape)).size(), k.circles.contains(m) ? 1 : 0)
                    << k.what << ": Shape" << shape;
    }
}

TEST(Sheet, CirclesStandAboveTheUpperRowAndBelowTheLowerRow)
{
    const Fields chart = {{"EGN", kEgn}, {"Z1", "*"}, {"Z10", "*"}, {"Z11", "*"}, {"Z20", "C"}};
    const Rendered r = renderSheet(inputOf({{"EGN", kEgn}}, chart, true));
    struct Case {
        const char* shape;
        QRectF rect;
    };
    const Case cases[] = {
        {"Shape1", {4755, kHeaderTop + 4650, 375, 375}}, {"Shape101", {4770, kHeaderTop + 4665, 345, 345}},
        {"Shape10", {9300, kHeaderTop + 4665, 375, 375}}, {"Shape110", {9315, kHeaderTop + 4680, 345, 345}},
        {"Shape11", {4755, kHeaderTop + 7200, 375, 375}}, {"Shape111", {4770, kHeaderTop + 7215, 345, 345}},
        {"Shape20", {9255, kHeaderTop + 7200, 375, 375}}, {"Shape120", {9270, kHeaderTop + 7215, 345, 345}},
    };
    for (const Case& k : cases) {
        const auto items = r.of(k.shape);
        ASSERT_EQ(items.size(), 1) << k.shape;
        EXPECT_EQ(items[0].kind, ItemKind::Ellipse) << k.shape;
        EXPECT_EQ(items[0].rect, k.rect) << k.shape;
    }
    // The status of the lower milk tooth 75 stands in the box of 35.
    const auto box = textItems(r, "Label46");
    ASSERT_EQ(box.size(), 1);
    EXPECT_EQ(box[0].text, "C");
    EXPECT_DOUBLE_EQ(box[0].clip.top(), kHeaderTop + 6240);
}

TEST(Sheet, WithoutAnExaminationTheStatusBlockStaysEmpty)
{
    Fields chart = {{"EGN", kEgn}};
    for (int z = 1; z <= 52; ++z)
        chart << std::pair<QString, QVariant>(QString("Z%1").arg(z), z <= 20 ? "*" : "C");
    for (const bool status : {false, true}) {
        SheetInput in = inputOf({{"EGN", kEgn}}, chart, status);
        const Rendered r = renderSheet(in);
        int shown = 0, ellipses = 0;
        for (int label = 18; label <= 49; ++label)
            shown += textItems(r, QString("Label%1").arg(label)).size();
        for (const DrawItem& i : r.items)
            ellipses += i.kind == ItemKind::Ellipse;
        EXPECT_EQ(shown, status ? 32 : 0);
        EXPECT_EQ(ellipses, 0);   // every permanent tooth has a status, so no milk tooth shows
    }
    // No chart row at all.
    const Rendered none = renderSheet(inputOf({{"EGN", kEgn}}, {}, true));
    for (const DrawItem& i : none.items)
        EXPECT_TRUE(i.section != "PageHeader" || i.kind != ItemKind::Ellipse);
}

TEST(Sheet, FiveLinesOnTheFirstPageAndSixOnEachNext)
{
    QList<QVariantList> values;
    for (int i = 0; i < 12; ++i)
        values << QVariantList{QDate(2025, 2, 3).addDays(i).toString(Qt::ISODate), "Caries media", "3  0  1",
                               "Обт.амалгама", "3  6"};
    auto names = QSharedPointer<const QStringList>::create(QStringList{"Data", "Help", "KodHelp", "TextHelp", "KodZab"});
    db::Rows lines;
    for (const QVariantList& v : values)
        lines << db::Row(names, QVector<QVariant>(v.begin(), v.end()));

    const Rendered r = renderSheet(inputOf({{"EGN", kEgn}, {"Names", "Иван Петров"}}), lines);
    ASSERT_EQ(r.pageCount, 3);
    EXPECT_EQ(detailRows(r, 1), (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(detailRows(r, 2), (QList<int>{5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(detailRows(r, 3), (QList<int>{11}));
    // The report header only on the first page; the page header on each.
    EXPECT_FALSE(itemsOf(r, 1, "Section1").isEmpty());
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) {
            EXPECT_TRUE(itemsOf(r, page, "Section1").isEmpty()) << page;
        }
        bool names = false;
        for (const DrawItem& i : itemsOf(r, page, "PageHeader"))
            names = names || (i.control == "Label4" && i.text == "Иван Петров");
        EXPECT_TRUE(names) << page;
    }
    // The lines start under the page header, each 495 below the one before.
    const auto dates = textItems(r, "Text1");
    ASSERT_EQ(dates.size(), 12);
    EXPECT_EQ(dates[0].text, "03.02.2025");
    EXPECT_DOUBLE_EQ(dates[0].clip.top(), kHeaderTop + 8265 + 15);
    EXPECT_DOUBLE_EQ(dates[1].clip.top(), kHeaderTop + 8265 + 495 + 15);
    EXPECT_DOUBLE_EQ(dates[5].clip.top(), kTop + 8265 + 15);
    EXPECT_EQ(dates[5].page, 2);
    const auto codes = textItems(r, "Text4");
    EXPECT_EQ(codes[0].text, "3  0  1");
    EXPECT_DOUBLE_EQ(codes[0].rect.left(), 10200);
    EXPECT_EQ(textItems(r, "Text3")[0].text, "3  6");
}

// ---------------------------------------------------------------- read from the database

namespace {

class SheetPrint : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new testing_support::TestFolder;
        doctors_[0] = addDoctor("Мария Иванова Петрова", "6001014321", "2200001");
        doctors_[1] = addDoctor("Петър Стоянов Колев", "6502023456", "2200002");
        doctors_[2] = addDoctor("Елена Димитрова", "7003034567", "2200003 ");
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override
    {
        clearTable("TempKarton");
        PrintEGN = kEgn;
        PrintDentalStatus = false;
        loginVars().nRecID = doctors_[0];
        CurrentDoctorCode = "2200001";
    }
    void TearDown() override
    {
        PrintEGN.clear();
        PrintDentalStatus = false;
        loginVars() = {};
        CurrentDoctorCode.clear();
    }

    // The sheet as rprKarton prints it.
    static Rendered print(Margins* margins = nullptr)
    {
        rprKarton sheet;
        sheet.start();
        if (margins)
            *margins = sheet.layout().margins;
        Rendered r = sheet.rendered();
        sheet.end();
        return r;
    }

    static testing_support::TestFolder* folder_;
    static qint64 doctors_[3];
};

testing_support::TestFolder* SheetPrint::folder_ = nullptr;
qint64 SheetPrint::doctors_[3] = {};

} // namespace

TEST_F(SheetPrint, TheLoggedInDoctorOfThreeIsPrinted)
{
    addPatient(kEgn, {{"Names", "Иван Петров Колев"}});
    struct Case {
        int doctor;
        QString name, number, code;
    };
    const Case cases[] = {
        {0, "д-р Мария Иванова Петрова", "6 0 0 1 0 1 4 3 2 1", "2 2 0 0 0 0 1   "},
        {1, "д-р Петър Стоянов Колев", "6 5 0 2 0 2 3 4 5 6", "2 2 0 0 0 0 2   "},
        {2, "д-р Елена Димитрова", "7 0 0 3 0 3 4 5 6 7", "2 2 0 0 0 0 3    "},
    };
    for (const Case& k : cases) {
        loginVars().nRecID = doctors_[k.doctor];
        CurrentDoctorCode = QString("220000%1").arg(k.doctor + 1);
        const Rendered r = print();
        EXPECT_EQ(drawn(r, "Label8"), k.name) << k.doctor;
        EXPECT_EQ(drawn(r, "Label7"), k.number) << k.doctor;
        EXPECT_EQ(drawn(r, "Label6"), k.code) << k.doctor;
    }
    // Without the login's row, the row of the current doctor's code.
    loginVars().nRecID = 0;
    CurrentDoctorCode = "2200002";
    EXPECT_EQ(drawn(print(), "Label8"), "д-р Петър Стоянов Колев");
}

TEST_F(SheetPrint, SideMarginsAreZeroAndTheLinesComeFromTempKartonInTableOrder)
{
    const QString egn = egnOf("800101123");
    addPatient(egn, {{"Names", "Радка Маринова"}, {"Tawn", "Пловдив"}});
    PrintEGN = egn;
    addSheetLine(QDate(2025, 3, 4), "Caries media", "3  0  1", "Обт.хим.композ.", "3  6");
    addSheetLine(QDate(2025, 3, 1), "Status", "1  0  1", "Преглед", "");
    Margins m;
    const Rendered r = print(&m);
    EXPECT_EQ(m.left, 0);
    EXPECT_EQ(m.right, 0);
    EXPECT_EQ(m.top, 1440);
    EXPECT_EQ(m.bottom, 1440);
    EXPECT_EQ(drawn(r, "Text1"), "04.03.2025\n01.03.2025");
    EXPECT_EQ(drawn(r, "Text4"), "3  0  1\n1  0  1");
    EXPECT_EQ(drawn(r, "Text3"), "3  6");
    EXPECT_EQ(drawn(r, "Text5"), "Обт.хим.композ.\nПреглед");
    EXPECT_EQ(drawn(r, "Label4"), "Радка Маринова");
    EXPECT_DOUBLE_EQ(textItems(r, "Label4")[0].rect.left(), 1005);   // from the paper's edge
}

TEST_F(SheetPrint, AnEmptyTempKartonPrintsTheHeaderAlone)
{
    const QString egn = egnOf("800202234");
    addPatient(egn, {{"Names", "Георги Тодоров"}, {"ZBook", "1234567890"}});
    PrintEGN = egn;
    const Rendered r = print();
    EXPECT_EQ(r.pageCount, 1);
    EXPECT_TRUE(detailRows(r, 1).isEmpty());
    EXPECT_EQ(drawn(r, "Label4"), "Георги Тодоров");
    EXPECT_EQ(drawn(r, "Label9"), "1 2 3 4 5 6 7 8 9 0");
    EXPECT_EQ(drawn(r, "Label1"), SpreadTextNarrow(egn));
}

TEST_F(SheetPrint, TheChartIsReadOnlyForAnExamination)
{
    const QString egn = egnOf("800303345");
    addPatient(egn, {{"Names", "Елена Христова"}});
    addChart(egn, {{"Z1", "*"}, {"Z25", "C"}});
    PrintEGN = egn;
    PrintDentalStatus = false;
    Rendered r = print();
    EXPECT_TRUE(textItems(r, "Label22").isEmpty());
    EXPECT_TRUE(r.of("Shape1").isEmpty());
    PrintDentalStatus = true;
    r = print();
    EXPECT_EQ(drawn(r, "Label22"), "C");
    EXPECT_EQ(drawn(r, "Label21"), " ");
    EXPECT_EQ(r.of("Shape1").size(), 1);
    EXPECT_EQ(r.of("Shape101").size(), 1);
}

TEST_F(SheetPrint, AMissingPatientStillPrintsTheEgnAndTheDoctor)
{
    // Also an EGN that SQL glued from text would read as a condition true for every row.
    addPatient(egnOf("800404456"), {{"Names", "Петър Ангелов"}, {"Tawn", "Русе"}});
    addChart(egnOf("800404456"), {{"Z21", "C"}});
    for (const QString& egn : {egnOf("991231999"), QString("' OR ''='")}) {
        PrintEGN = egn;
        PrintDentalStatus = true;
        const Rendered r = print();
        EXPECT_EQ(drawn(r, "Label1"), SpreadTextNarrow(egn)) << egn.toStdString();
        EXPECT_EQ(drawn(r, "Label8"), "д-р Мария Иванова Петрова");
        for (const DrawItem& i : allTexts(r))
            EXPECT_TRUE(QStringList({"Label1", "Label6", "Label7", "Label8"}).contains(i.control))
                << egn.toStdString() << " " << i.control.toStdString();
    }
}

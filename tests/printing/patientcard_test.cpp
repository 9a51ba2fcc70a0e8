// The dental card of one patient (rprPacient).

#include "fixtures.h"

#include "printing/patientcard.h"
#include "report/dataenvironment.h"
#include "report/layoutfile.h"
#include "support/program_folder.h"

#include <QDate>
#include <QSet>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::printing;
using namespace tav::report;
using namespace printing_test;

namespace {

constexpr int kLeft = 720;
constexpr int kTop = 1440;
const QString kEgn = "7503126540";

Layout cardLayout()
{
    return loadLayout(":/report/layouts/rprPacient.json");
}

Rendered renderCard(const Fields& patient, const Fields& chart, const db::Rows& rows = {})
{
    Layout l = cardLayout();
    fillPatientCard(l, cardInputOf(patient, chart));
    return render(l, rows);
}

const int kMilkLefts[] = {3345, 3795, 4245, 4695, 5145, 5730, 6180, 6630, 7080, 7530};
const int kPermanentLefts[] = {645, 1095, 1545, 1995, 2445, 2895, 3345, 3795, 4380, 4830, 5280, 5730, 6180, 6630, 7080, 7530};

} // namespace

TEST(PatientCardLayout, HeaderControlsInTheirStoredOrder)
{
    const Layout l = cardLayout();
    EXPECT_EQ(l.name, "rprPacient");
    EXPECT_EQ(l.caption, "Tavlinora");
    EXPECT_EQ(l.width, 9675);
    EXPECT_EQ(l.dataMember, "comPac");
    EXPECT_EQ(l.margins.left, 720);
    EXPECT_EQ(l.margins.right, 720);
    ASSERT_EQ(l.count(), 3);
    EXPECT_EQ(l.section(1).name, "PageHeader");
    EXPECT_EQ(l.section(1).height, 7350);
    EXPECT_EQ(l.section(2).name, "Command1_Detail");
    EXPECT_EQ(l.section(2).height, 345);
    EXPECT_EQ(l.section(3).name, "PageFooter");
    EXPECT_TRUE(l.section(3).controls.isEmpty());

    const Section& h = l.section("PageHeader");
    ASSERT_EQ(h.count(), 153);
    struct Filled {
        int position;
        const char* name;
        QRect rect;
        const char* family;
        double size;
        int border;
    };
    const Filled filled[] = {
        {3, "Label2", {570, 420, 9090, 375}, "CourierCyr", 14.25, 0},
        {7, "Label19", {2565, 1410, 7095, 630}, "CourierCyr", 12, 0},
        {9, "Label22", {2565, 2040, 7095, 315}, "CourierCyr", 12, 0},
        {11, "Label24", {2565, 2355, 7095, 315}, "CourierCyr", 12, 0},
        {20, "Label25", {1155, 2745, 480, 315}, "CourierCyr", 12, 0},
        {21, "Label26", {2505, 2745, 435, 315}, "CourierCyr", 12, 0},
        {22, "Label27", {3405, 2745, 480, 315}, "CourierCyr", 12, 0},
        {23, "Label28", {5235, 825, 1650, 315}, "CourierCyr", 12, 0},
        {24, "Label29", {8010, 825, 1650, 315}, "CourierCyr", 12, 0},
        {25, "Label30", {2220, 6285, 7425, 600}, "CourierCyr", 12, 0},
        {26, "Label32", {2520, 840, 1545, 315}, "CourierCyr", 12, 0},
        {27, "Label33", {570, 795, 1965, 315}, "Times New Roman Cyr", 12, 0},
        {28, "Label31", {3975, 3000, 5685, 585}, "CourierCyr", 12, 1},
    };
    for (const Filled& k : filled) {
        const Control& c = h.control(k.position);
        EXPECT_EQ(c.name, k.name) << k.position;
        EXPECT_EQ(c.rect, k.rect) << k.name;
        EXPECT_EQ(c.font.family, k.family) << k.name;
        EXPECT_DOUBLE_EQ(c.font.pointSize, k.size) << k.name;
        EXPECT_TRUE(c.font.bold) << k.name;
        EXPECT_EQ(c.borderStyle, k.border) << k.name;
        EXPECT_TRUE(c.caption.isEmpty()) << k.name;
    }
    EXPECT_EQ(h.control(3).align, Align::Center);
    // The rest of the stored order, where it turns.
    const std::pair<int, const char*> order[] = {
        {1, "Label7"}, {2, "Label1"}, {4, "Line1"}, {6, "Label18"}, {13, "Line7"}, {19, "Label9"}, {29, "Line8"},
        {30, "Label52"}, {39, "Label61"}, {40, "Line9"}, {41, "Label37"}, {50, "Label46"}, {51, "Line10"},
        {55, "Line14"}, {56, "Label68"}, {71, "Label83"}, {72, "Line15"}, {73, "Label84"}, {88, "Label99"},
        {89, "Line16"}, {93, "Line20"}, {94, "Label34"}, {95, "Label35"}, {96, "Label50"}, {97, "Label51"},
        {98, "Label62"}, {99, "Label20"}, {100, "Label63"}, {101, "Label64"}, {102, "Label66"}, {103, "Label100"},
        {104, "Label101"}, {127, "Label124"}, {128, "Label125"}, {129, "Label65"}, {130, "Label67"},
        {131, "Label126"}, {132, "Label127"}, {147, "Label142"}, {148, "Label143"}, {149, "Label12"},
        {150, "Label13"}, {151, "Label14"}, {152, "Label10"}, {153, "Label11"}};
    for (const auto& [position, name] : order)
        EXPECT_EQ(h.control(position).name, name) << position;

    struct Static {
        const char* name;
        const char* caption;
        QRect rect;
    };
    const Static statics[] = {
        {"Label1", "Стоматологичен картон", {570, 0, 9090, 420}},
        {"Label7", "Внимание! Непоносимост към:", {3975, 2730, 5685, 285}},
        {"Label50", "Зъбен статус:", {585, 3720, 1905, 315}},
        {"Label34", "Легенда", {8250, 3660, 870, 225}},
        {"Label4", "Особености:", {585, 6285, 1635, 345}},
        {"Label12", "Дата", {570, 6990, 1305, 300}},
        {"Label10", "код дейност", {8310, 6990, 1335, 300}},
    };
    for (const Static& k : statics) {
        EXPECT_EQ(h.control(k.name).caption, k.caption) << k.name;
        EXPECT_EQ(h.control(k.name).rect, k.rect) << k.name;
    }
    EXPECT_EQ(h.control("Label7").backColor, QColor(0xE0, 0xE0, 0xE0));
    EXPECT_TRUE(h.control("Label7").opaque);
    EXPECT_EQ(h.control("Label1").foreColor, QColor(0, 0, 255));
    EXPECT_TRUE(h.control("Label1").font.italic);
    EXPECT_DOUBLE_EQ(h.control("Label1").font.pointSize, 18);

    // The four rows of cells and their number labels.
    struct Row {
        int firstField, cells;
        int top, numberTop;
        const int* lefts;
        QStringList numbers;   // number labels left to right
        QList<int> teeth;
    };
    const Row rows[] = {
        {1, 10, 4050, 3810, kMilkLefts,
         {"Label65", "Label126", "Label128", "Label130", "Label132", "Label134", "Label136", "Label138", "Label140", "Label142"},
         {55, 54, 53, 52, 51, 61, 62, 63, 64, 65}},
        {11, 10, 4380, 4620, kMilkLefts,
         {"Label67", "Label127", "Label129", "Label131", "Label133", "Label135", "Label137", "Label139", "Label141", "Label143"},
         {85, 84, 83, 82, 81, 71, 72, 73, 74, 75}},
        {21, 16, 5310, 5070, kPermanentLefts,
         {"Label51", "Label20", "Label64", "Label100", "Label102", "Label104", "Label106", "Label108", "Label110",
          "Label112", "Label114", "Label116", "Label118", "Label120", "Label122", "Label124"},
         {18, 17, 16, 15, 14, 13, 12, 11, 21, 22, 23, 24, 25, 26, 27, 28}},
        {37, 16, 5640, 5880, kPermanentLefts,
         {"Label62", "Label63", "Label66", "Label101", "Label103", "Label105", "Label107", "Label109", "Label111",
          "Label113", "Label115", "Label117", "Label119", "Label121", "Label123", "Label125"},
         {48, 47, 46, 45, 44, 43, 42, 41, 31, 32, 33, 34, 35, 36, 37, 38}},
    };
    for (const Row& row : rows) {
        for (int i = 0; i < row.cells; ++i) {
            const Control& cell = h.control(patientCardCell(row.firstField + i));
            EXPECT_EQ(cell.rect, QRect(row.lefts[i], row.top, 450, 240)) << cell.name.toStdString();
            EXPECT_EQ(cell.borderStyle, 1);
            EXPECT_EQ(cell.font.family, "CourierCyr");
            EXPECT_DOUBLE_EQ(cell.font.pointSize, 9.75);
            EXPECT_EQ(cell.align, Align::Center);
            EXPECT_TRUE(cell.caption.isEmpty());
            const Control& number = h.control(row.numbers[i]);
            EXPECT_EQ(number.rect, QRect(row.lefts[i], row.numberTop, 450, 240)) << number.name.toStdString();
            EXPECT_EQ(number.caption, QString::number(row.teeth[i])) << number.name.toStdString();
            EXPECT_EQ(number.font.family, "Arial");
            EXPECT_EQ(number.borderStyle, 0);
        }
    }
    EXPECT_EQ(patientCardCell(1), "Label52");
    EXPECT_EQ(patientCardCell(11), "Label37");
    EXPECT_EQ(patientCardCell(36), "Label83");
    EXPECT_EQ(patientCardCell(52), "Label99");

    const std::pair<const char*, QLineF> lines[] = {
        {"Line7", {570, 6945, 9660, 6945}}, {"Line9", {3285, 3720, 8055, 3720}}, {"Line13", {5670, 3735, 5670, 4935}},
        {"Line11", {8040, 3735, 8040, 4935}}, {"Line15", {585, 4995, 8040, 4995}}, {"Line19", {4320, 4995, 4320, 6195}},
        {"Line16", {585, 6195, 8040, 6195}}};
    for (const auto& [name, line] : lines)
        EXPECT_EQ(h.control(name).line, line) << name;

    const std::tuple<const char*, const char*, int, int> boxes[] = {
        {"Text1", "Data", 555, 1335}, {"Text2", "Help", 1920, 2805}, {"Text3", "TextHelp", 5670, 3060},
        {"Text4", "KodZab", 4740, 930}, {"Text5", "KodHelp", 8715, 930}};
    const Section& d = l.section(2);
    ASSERT_EQ(d.count(), 5);
    for (int i = 0; i < 5; ++i) {
        const auto& [name, field, left, width] = boxes[i];
        EXPECT_EQ(d.control(i + 1).name, name);
        EXPECT_EQ(d.control(i + 1).dataField, field);
        EXPECT_EQ(d.control(i + 1).rect, QRect(left, 0, width, 300)) << name;
        EXPECT_EQ(d.control(i + 1).font.family, "Arial Narrow");
    }
}

TEST(PatientCard, TheLegendPrintsWholeBesideTheChart)
{
    const Rendered r = renderCard({}, {});
    const Layout l = cardLayout();
    const Control& legend = l.section("PageHeader").control("Label35");
    const auto lines = textItems(r, "Label35");
    ASSERT_GT(lines.size(), 1);
    QString joined;
    for (const DrawItem& i : lines) {
        joined += i.text;
        EXPECT_GE(i.rect.left(), kLeft + 8100 - 0.01) << i.text.toStdString();
        EXPECT_LE(i.rect.right(), kLeft + 8100 + 1515 + 0.01) << i.text.toStdString();
        EXPECT_LE(i.baseline, kTop + 3885 + 2415) << i.text.toStdString();   // no line lost below the box
    }
    EXPECT_EQ(joined.remove(' '), QString(legend.caption).remove(' '));
    EXPECT_EQ(lines[0].text, "C-кариес");
    EXPECT_EQ(drawn(r, "Label34"), "Легенда");
}

TEST(PatientCard, ParticularsByPositionAndEveryToothInItsOwnCell)
{
    const Fields patient = {
        {"EGN", kEgn}, {"Names", "Иван Петров Колев"}, {"Pol", "М"}, {"DataR", "12.01.2016"}, {"ZBook", "12345678"},
        {"RBook", "7788"}, {"Tawn", "Пловдив"}, {"UL", "ул.Гладстон 12"}, {"MTel", "0888123456"}, {"Prof", "шлосер"},
        {"KrGr", "A"}, {"Ph", " +"}, {"Nep", "Пеницилин"}, {"Osob", "  "}};
    Fields chart = {{"EGN", kEgn}};
    for (int z = 1; z <= 52; ++z)
        chart << std::pair<QString, QVariant>(QString("Z%1").arg(z), z == 1 ? QVariant("*") : QVariant(QString("S%1").arg(z)));
    Layout l = cardLayout();
    CardInput in{rowOf(patient), rowOf(chart)};
    fillPatientCard(l, in);
    const Section& h = l.section("PageHeader");
    const std::pair<int, QString> expected[] = {
        {3, "на Иван Петров Колев    ЕГН 7503126540"}, {7, " Пловдив\rул.Гладстон 12"}, {9, "  моб.: 0888123456"},
        {11, "шлосер"}, {20, "М"}, {21, "A"}, {22, " +"}, {23, "12345678"}, {24, "7788"}, {25, ""},
        {26, "12.01.2016"}, {27, "Регистриран на:"}, {28, "Пеницилин"}};
    for (const auto& [position, text] : expected)
        EXPECT_EQ(h.control(position).caption, text) << position;
    for (int z = 1; z <= 52; ++z)
        EXPECT_EQ(h.control(patientCardCell(z)).caption, z == 1 ? QString("*") : QString("S%1").arg(z)) << z;

    // A milk tooth and the permanent tooth of its place both print, each in its row.
    const Rendered r = renderCard(patient, {{"EGN", kEgn}, {"Z1", "*"}, {"Z24", "C"}, {"Z11", " P"}, {"Z40", "  "}});
    const std::tuple<const char*, QString, int, int> cells[] = {
        {"Label52", "*", 3345, 4050}, {"Label71", "C", 1995, 5310}, {"Label37", " P", 3345, 4380}};
    for (const auto& [cell, text, left, top] : cells) {
        const auto items = textItems(r, cell);
        ASSERT_EQ(items.size(), 1) << cell;
        EXPECT_EQ(items[0].text, text) << cell;
        EXPECT_EQ(items[0].clip, QRectF(kLeft + left, kTop + top, 450, 240)) << cell;
    }
    EXPECT_TRUE(textItems(r, "Label87").isEmpty());   // Z40 of blanks
    // Its sex wording reads the first character as it stands: only a capital
    // Ж there gives the feminine, a blank before it does not.
    const std::tuple<QVariant, QString, QString> sexes[] = {
        {"Ж", "Ж", "Регистрирана на:"}, {"Ж ", "Ж ", "Регистрирана на:"}, {" Ж", " Ж", "Регистриран на:"},
        {"ж", "ж", "Регистриран на:"},  {"М", "М", "Регистриран на:"},    {QVariant(), "", "Регистриран на:"}};
    for (const auto& [pol, shown, wording] : sexes) {
        const Rendered s = renderCard({{"EGN", kEgn}, {"Pol", pol}}, {});
        EXPECT_EQ(drawn(s, "Label33"), wording) << pol.toString().toStdString();
        EXPECT_EQ(drawn(s, "Label25"), shown) << pol.toString().toStdString();
    }
}

// ---------------------------------------------------------------- read from the database

using PatientCardPrint = CardPrint<rprPacient>;

TEST_F(PatientCardPrint, SameDateRowsByCodeAndEveryPageWithTheWholeCard)
{
    const QString egn = egnOf("710101123");
    addPatient(egn, {{"Names", "Мария Маринова"}, {"Pol", "Ж"}});
    addChart(egn, {{"Z1", "*"}});
    addTreatment(egn, QDate(2024, 3, 5), "508", "Periodontitis", "46", "Екстракция");
    addTreatment(egn, QDate(2024, 3, 5), "101", "Status");
    addTreatment(egn, QDate(2024, 3, 5), "301", "Caries", "36", "Обт.амалгама");
    addTreatment(egn, QDate(2024, 3, 4), "509", "Caries", "47", "Обт.хим.композ.");
    Rendered r = print(egn);
    EXPECT_EQ(drawn(r, "Text5"), "509\n101\n301\n508");
    EXPECT_EQ(drawn(r, "Text1"), "04.03.2024\n05.03.2024\n05.03.2024\n05.03.2024");
    EXPECT_DOUBLE_EQ(textItems(r, "Text1")[1].clip.top(), kTop + 7350 + 345);
    EXPECT_EQ(drawn(r, "Label2"), "на Мария Маринова    ЕГН " + egn);
    EXPECT_EQ(drawn(r, "Label52"), "*");

    addFillings(egn, 36, QDate(2024, 4, 1));
    r = print(egn);
    ASSERT_EQ(r.pageCount, 3);
    EXPECT_EQ(detailRows(r, 1).size(), 19);   // (16838 - 2880 - 7350) / 345
    EXPECT_EQ(detailRows(r, 2).size(), 19);
    EXPECT_EQ(detailRows(r, 3).size(), 2);
    for (int page = 1; page <= 3; ++page) {
        QSet<QString> header;
        for (const DrawItem& i : itemsOf(r, page, "PageHeader"))
            header << i.control;
        for (const char* c : {"Label1", "Label2", "Label35", "Label52", "Label51", "Line15", "Label12", "Label10"})
            EXPECT_TRUE(header.contains(c)) << page << " " << c;
    }
}

TEST_F(PatientCardPrint, NoChartNoTreatmentsNoPatient)
{
    const QString egn = egnOf("710202234");
    addPatient(egn, {{"Names", "Георги Тодоров"}});
    Rendered r = print(egn);
    EXPECT_EQ(r.pageCount, 1);
    EXPECT_TRUE(detailRows(r, 1).isEmpty());
    for (int z = 1; z <= 52; ++z)
        EXPECT_TRUE(textItems(r, patientCardCell(z)).isEmpty()) << z;
    EXPECT_EQ(drawn(r, "Label51"), "18");
    EXPECT_EQ(drawn(r, "Label11"), "код зъб");

    // A patient removed after the search listed it, and an EGN that glued SQL would match to all.
    const QString gone = egnOf("710303345");
    addChart(gone, {{"Z52", "K"}});
    addTreatment(gone, QDate(2024, 6, 1), "101");
    for (const QString& e : {gone, QString("' OR ''='")}) {
        r = print(e);
        for (int position : {3, 7, 9, 11, 20, 21, 22, 23, 24, 25, 26, 27, 28})
            EXPECT_TRUE(textItems(r, cardLayout().section(1).control(position).name).isEmpty()) << position;
        EXPECT_EQ(drawn(r, "Label99"), e == gone ? "K" : "");
        EXPECT_EQ(detailRows(r, 1).size(), e == gone ? 1 : 0);
    }
}

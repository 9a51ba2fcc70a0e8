// The dental card with treatment list (rprHelpData).

#include "fixtures.h"

#include "printing/dentalcard.h"
#include "report/dataenvironment.h"
#include "report/layoutfile.h"
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

constexpr int kLeft = 720;
constexpr int kTop = 1440;
const QString kEgn = "7503126540";

Layout cardLayout()
{
    return loadLayout(":/report/layouts/rprHelpData.json");
}

Rendered renderCard(const Fields& patient, const Fields& chart, const db::Rows& rows = {})
{
    Layout l = cardLayout();
    fillDentalCard(l, cardInputOf(patient, chart));
    return render(l, rows);
}

const int kUpper[] = {18, 17, 16, 15, 14, 13, 12, 11, 21, 22, 23, 24, 25, 26, 27, 28};
const int kLower[] = {48, 47, 46, 45, 44, 43, 42, 41, 31, 32, 33, 34, 35, 36, 37, 38};
const int kColumns[] = {1905, 2355, 2805, 3255, 3705, 4155, 4605, 5055, 5640, 6090, 6540, 6990, 7440, 7890, 8340, 8790};

} // namespace

TEST(DentalCardLayout, TheCardAsDesigned)
{
    const Layout l = cardLayout();
    EXPECT_EQ(l.name, "rprHelpData");
    EXPECT_EQ(l.caption, "Tavlinora");
    EXPECT_EQ(l.width, 9675);
    EXPECT_EQ(l.dataMember, "comPac");
    // 9675 wide: on A4 (11906) only with side margins of 720.
    EXPECT_EQ(l.margins.left, 720);
    EXPECT_EQ(l.margins.right, 720);
    EXPECT_EQ(l.margins.top, 1440);
    EXPECT_EQ(l.margins.bottom, 1440);
    ASSERT_EQ(l.count(), 3);
    EXPECT_EQ(l.section(1).name, "PageHeader");
    EXPECT_EQ(l.section(1).height, 6105);
    EXPECT_EQ(l.section(2).name, "Command1_Detail");
    EXPECT_EQ(l.section(2).kind, SectionKind::Detail);
    EXPECT_EQ(l.section(2).height, 300);
    EXPECT_EQ(l.section(3).name, "PageFooter");
    EXPECT_TRUE(l.section(3).controls.isEmpty());

    struct Label {
        const char* name;
        const char* caption;
        QRect rect;
        const char* family;
        double size;
        int border;
    };
    const Label labels[] = {
        {"Label1", "Стоматологичен картон", {570, 0, 9090, 420}, "Times New Roman Cyr", 18, 0},
        {"Label8", "Здр.кн.№", {4140, 795, 1095, 315}, "Times New Roman Cyr", 12, 0},
        {"Label9", "Рец.кн.№", {6930, 795, 1095, 315}, "Times New Roman Cyr", 12, 0},
        {"Label18", "Местоживеене:", {570, 1380, 1995, 315}, "Times New Roman Cyr", 12, 0},
        {"Label21", "Телефони:", {585, 2010, 1410, 315}, "Times New Roman Cyr", 12, 0},
        {"Label23", "Месторабота:", {585, 2325, 1995, 315}, "Times New Roman Cyr", 12, 0},
        {"Label3", "Пол", {585, 2730, 585, 315}, "Times New Roman Cyr", 12, 0},
        {"Label5", "Кр.гр.", {1635, 2730, 825, 315}, "Times New Roman Cyr", 12, 0},
        {"Label6", "Ph", {2985, 2730, 420, 315}, "Times New Roman Cyr", 12, 0},
        {"Label7", "Внимание! Непоносимост към:", {3975, 2730, 5685, 285}, "Times New Roman Cyr", 12, 1},
        {"Label50", "Зъбен статус:", {585, 3705, 945, 630}, "Times New Roman Cyr", 12, 0},
        {"Label4", "Особености:", {585, 5100, 1635, 345}, "Times New Roman Cyr", 12, 0},
        {"Label12", "Дата", {570, 5805, 1305, 300}, "Times New Roman Cyr", 12, 1},
        {"Label13", "Диагноза", {1920, 5805, 2805, 300}, "Times New Roman Cyr", 12, 1},
        {"Label11", "код зъб", {4725, 5805, 840, 300}, "Times New Roman Cyr", 12, 1},
        {"Label14", "Дейност", {5670, 5805, 2640, 300}, "Times New Roman Cyr", 12, 1},
        {"Label10", "Код", {8430, 5805, 705, 300}, "Times New Roman Cyr", 12, 1},
        {"Label2", "Вид", {9165, 5805, 465, 300}, "Times New Roman Cyr", 12, 1},
        {"rNames", "", {570, 420, 9090, 375}, "CourierCyr", 14.25, 0},
        {"sReg", "", {570, 795, 1965, 315}, "Times New Roman Cyr", 12, 0},
        {"rDataR", "", {2520, 795, 1545, 315}, "CourierCyr", 12, 0},
        {"rZBook", "", {5235, 825, 1650, 315}, "CourierCyr", 12, 0},
        {"rRBook", "", {8010, 825, 1650, 315}, "CourierCyr", 12, 0},
        {"rAdres", "", {2565, 1380, 7095, 630}, "CourierCyr", 12, 0},
        {"rTel", "", {2565, 2040, 7095, 315}, "CourierCyr", 12, 0},
        {"rWork", "", {2565, 2355, 7095, 315}, "CourierCyr", 12, 0},
        {"rPol", "", {1155, 2745, 480, 315}, "CourierCyr", 12, 0},
        {"rKrGr", "", {2490, 2745, 435, 315}, "CourierCyr", 12, 0},
        {"rPh", "", {3405, 2745, 480, 315}, "CourierCyr", 12, 0},
        {"rNep", "", {3975, 3000, 5685, 585}, "CourierCyr", 12, 1},
        {"rOsob", "", {2220, 5100, 7425, 600}, "CourierCyr", 12, 0},
    };
    const Section& h = l.section("PageHeader");
    for (const Label& k : labels) {
        const Control& c = h.control(k.name);
        EXPECT_EQ(c.caption, k.caption) << k.name;
        EXPECT_EQ(c.rect, k.rect) << k.name;
        EXPECT_EQ(c.font.family, k.family) << k.name;
        EXPECT_DOUBLE_EQ(c.font.pointSize, k.size) << k.name;
        EXPECT_TRUE(c.font.bold) << k.name;
        EXPECT_EQ(c.font.italic, QString(k.name) == "Label1") << k.name;
        EXPECT_EQ(c.borderStyle, k.border) << k.name;
        EXPECT_EQ(c.font.charset, 204) << k.name;
    }
    EXPECT_EQ(h.control("Label1").foreColor, QColor(0, 0, 255));
    EXPECT_EQ(h.control("Label1").align, Align::Center);
    EXPECT_EQ(h.control("rNames").align, Align::Center);
    const Control& warning = h.control("Label7");
    EXPECT_EQ(warning.foreColor, QColor(0, 0, 255));
    EXPECT_TRUE(warning.opaque);
    EXPECT_EQ(warning.backColor, QColor(224, 224, 224));
    EXPECT_EQ(warning.align, Align::Center);

    const std::pair<const char*, QLineF> lines[] = {
        {"Line1", {585, 1260, 9675, 1260}}, {"Line2", {585, 1290, 9675, 1290}}, {"Line6", {585, 2685, 9675, 2685}},
        {"Line8", {585, 3660, 9675, 3660}}, {"Line7", {570, 5760, 9660, 5760}},
        {"Line15", {1845, 3735, 9300, 3735}}, {"Line18", {1845, 4335, 9300, 4335}}, {"Line16", {1845, 4935, 9300, 4935}},
        {"Line20", {1845, 3735, 1845, 4935}}, {"Line19", {5580, 3735, 5580, 4935}}, {"Line17", {9300, 3735, 9300, 4935}},
    };
    for (const auto& [name, line] : lines)
        EXPECT_EQ(h.control(name).line, line) << name;

    // The grid: number labels with their place, status labels empty.
    for (int i = 0; i < 16; ++i) {
        const std::tuple<const char*, int, int> rows[] = {
            {"z_", kUpper[i], 3810}, {"s_", kUpper[i], 4050}, {"s_", kLower[i], 4380}, {"z_", kLower[i], 4620}};
        for (const auto& [prefix, place, top] : rows) {
            const Control& c = h.control(QString("%1%2").arg(prefix).arg(place));
            const bool number = QString(prefix) == "z_";
            EXPECT_EQ(c.rect, QRect(kColumns[i], top, 450, 240)) << c.name.toStdString();
            EXPECT_EQ(c.caption, number ? QString::number(place) : QString()) << c.name.toStdString();
            EXPECT_EQ(c.font.family, number ? "Arial" : "CourierCyr");
            EXPECT_DOUBLE_EQ(c.font.pointSize, 9.75);
            EXPECT_TRUE(c.font.bold);
            EXPECT_EQ(c.align, Align::Center);
            EXPECT_EQ(c.borderStyle, 0);
        }
    }

    struct Box {
        const char* name;
        const char* field;
        int left, width;
        Align align;
    };
    const Box boxes[] = {
        {"Text1", "Data", 555, 1335, Align::Left}, {"Text2", "Help", 1920, 2805, Align::Left},
        {"Text4", "KodZab", 4740, 930, Align::Left}, {"Text3", "TextHelp", 5670, 2790, Align::Left},
        {"Text5", "KodHelp", 8475, 690, Align::Center}, {"Text6", "Vid", 9180, 450, Align::Center},
    };
    ASSERT_EQ(l.section(2).count(), 6);
    for (const Box& b : boxes) {
        const Control& c = l.section(2).control(b.name);
        EXPECT_EQ(c.dataField, b.field);
        EXPECT_EQ(c.rect, QRect(b.left, 0, b.width, 300)) << b.name;
        EXPECT_EQ(c.align, b.align) << b.name;
        EXPECT_EQ(c.font.family, "Arial Narrow");
        EXPECT_DOUBLE_EQ(c.font.pointSize, 12);
        EXPECT_FALSE(c.font.bold);
        EXPECT_EQ(c.wrap, Wrap::No);
    }
}

TEST(DentalCard, ParticularsGoToTheirLabels)
{
    const Fields patient = {
        {"EGN", kEgn}, {"Names", "Мария Иванова"}, {"Pol", "Ж"}, {"DataR", "12.01.2016"}, {"ZBook", "12345678"},
        {"RBook", " 77"}, {"Tawn", "Пловдив"}, {"UL", "ул.Гладстон 12"}, {"MTel", "0888123456"}, {"Work", "Завод"},
        {"KrGr", "   "}, {"Ph", QVariant()}, {"Nep", "Пеницилин"}, {"Osob", "Сърдечно болна"}};
    const std::map<QString, QString> expected = {
        {"rNames", "на Мария Иванова    ЕГН 7503126540"}, {"sReg", "Регистрирана на:"}, {"rDataR", "12.01.2016"},
        {"rZBook", "12345678"}, {"rRBook", " 77"}, {"rAdres", " Пловдив\nул.Гладстон 12"},
        {"rTel", "  моб.: 0888123456"}, {"rWork", " в Завод"}, {"rPol", "Ж"}, {"rKrGr", ""}, {"rPh", ""},
        {"rNep", "Пеницилин"}, {"rOsob", "Сърдечно болна"}};
    const Rendered r = renderCard(patient, {});
    for (const auto& [label, text] : expected)
        EXPECT_EQ(drawn(r, label), text) << label.toStdString();
    // The address: the town on the label's first line, the street on its second.
    const auto address = textItems(r, "rAdres");
    ASSERT_EQ(address.size(), 2);
    EXPECT_DOUBLE_EQ(address[0].rect.top(), kTop + 1380);
    EXPECT_DOUBLE_EQ(address[1].rect.top(), kTop + 1380 + address[0].rect.height());
    EXPECT_DOUBLE_EQ(address[1].rect.left(), kLeft + 2565);
    EXPECT_FALSE(address[1].clipped());

    // Whatever Pol holds, rPol shows it when filled; the wording reads its first character.
    const std::tuple<QVariant, QString, QString> sexes[] = {
        {"М", "М", "Регистриран на:"}, {" Ж", " Ж", "Регистриран на:"}, {"ж", "ж", "Регистриран на:"},
        {QVariant(), "", "Регистриран на:"}, {"  ", "", "Регистриран на:"}};
    for (const auto& [pol, shown, wording] : sexes) {
        const Rendered s = renderCard({{"EGN", kEgn}, {"Pol", pol}}, {});
        EXPECT_EQ(drawn(s, "rPol"), shown) << pol.toString().toStdString();
        EXPECT_EQ(drawn(s, "sReg"), wording) << pol.toString().toStdString();
    }
    // Every address field empty: two empty lines.
    const Rendered empty = renderCard({{"EGN", kEgn}}, {});
    EXPECT_TRUE(textItems(empty, "rAdres").isEmpty());
}

TEST(DentalCard, ToothFieldsAndTheirTeeth)
{
    const std::pair<int, int> cases[] = {
        {1, 55}, {5, 51}, {6, 61}, {10, 65}, {11, 85}, {15, 81}, {16, 71}, {20, 75},
        {21, 18}, {28, 11}, {29, 21}, {36, 28}, {37, 48}, {44, 41}, {45, 31}, {52, 38}};
    for (const auto& [field, tooth] : cases)
        EXPECT_EQ(toothNumber(field), tooth) << field;
}

TEST(DentalCard, GridShowsTheMilkNumberInABoxAndThePermanentStatusFirst)
{
    struct Place {
        int place;
        QString number;
        bool boxed;
        QString status;
    };
    struct Case {
        const char* what;
        Fields chart;
        QList<Place> places;   // every other place as designed: its number, no box, no status
    };
    const Case cases[] = {
        {"permanent only", {{"Z24", "C"}}, {{15, "15", false, "C"}}},
        {"milk only", {{"Z1", "C"}, {"Z24", "  "}}, {{15, "55", true, "C"}}},
        {"milk and permanent", {{"Z1", "C"}, {"Z24", "O"}}, {{15, "55", true, "O"}}},
        {"neither", {{"Z1", QVariant()}, {"Z24", QVariant()}}, {}},
        {"milk tooth present", {{"Z1", "*"}}, {{15, "55", true, "*"}}},
        {"a milk field of blanks", {{"Z1", "   "}}, {}},
        {"each milk run",
         {{"Z5", "C"}, {"Z6", "P"}, {"Z10", "R"}, {"Z11", "G"}, {"Z15", "*"}, {"Z16", "O"}, {"Z20", " C"}},
         {{11, "51", true, "C"}, {21, "61", true, "P"}, {25, "65", true, "R"}, {45, "85", true, "G"},
          {41, "81", true, "*"}, {31, "71", true, "O"}, {35, "75", true, " C"}}},
        {"each permanent run",
         {{"Z21", "X"}, {"Z28", "K"}, {"Z29", "E"}, {"Z36", "III"}, {"Z37", "Pa"}, {"Z44", "I"}, {"Z45", "OC"}, {"Z52", "Rr"}},
         {{18, "18", false, "X"}, {11, "11", false, "K"}, {21, "21", false, "E"}, {28, "28", false, "III"},
          {48, "48", false, "Pa"}, {41, "41", false, "I"}, {31, "31", false, "OC"}, {38, "38", false, "Rr"}}},
    };
    for (const Case& k : cases) {
        const Rendered r = renderCard({{"EGN", kEgn}}, k.chart + Fields{{"EGN", kEgn}});
        for (int place : QList<int>(std::begin(kUpper), std::end(kUpper)) + QList<int>(std::begin(kLower), std::end(kLower))) {
            Place want{place, QString::number(place), false, QString()};
            for (const Place& p : k.places)
                if (p.place == place)
                    want = p;
            const QString z = QString("z_%1").arg(place), s = QString("s_%1").arg(place);
            EXPECT_EQ(drawn(r, z), want.number) << k.what << " " << z.toStdString();
            int boxes = 0;
            for (const DrawItem& i : r.of(z))
                boxes += i.kind == ItemKind::Rectangle;
            EXPECT_EQ(boxes, want.boxed ? 1 : 0) << k.what << " " << z.toStdString();
            EXPECT_EQ(drawn(r, s), want.status) << k.what << " " << s.toStdString();
        }
    }
    // The boxed number frames its place's cell.
    const Rendered r = renderCard({{"EGN", kEgn}}, {{"EGN", kEgn}, {"Z11", "C"}});
    int frames = 0;
    for (const DrawItem& i : r.of("z_45")) {
        if (i.kind == ItemKind::Rectangle) {
            ++frames;
            EXPECT_EQ(i.rect, QRectF(kLeft + 3255, kTop + 4620, 450, 240));
        }
    }
    EXPECT_EQ(frames, 1);
}

// ---------------------------------------------------------------- read from the database

using DentalCardPrint = CardPrint<rprHelpData>;

TEST_F(DentalCardPrint, TreatmentsByDateThenCodeThroughComPacBoundToTheUntrimmedEgn)
{
    const QString egn = egnOf("700101123");
    addPatient(egn, {{"Names", "Иван Колев"}});
    addTreatment(egn, QDate(2024, 5, 2), "508", "Periodontitis", "46", "Екстракция", "И");
    addTreatment(egn, QDate(2024, 5, 1), "301", "Caries", "36", "Обт.амалгама");
    addTreatment(egn, QDate(2024, 5, 2), "101", "Status");
    addTreatment(egnOf("700101234"), QDate(2024, 5, 1), "333", "Другия пациент");
    addTreatment(egn, QDate(2024, 5, 1), "301", "Caries", "37", "Обт.хим.композ.");
    const Rendered r = print(egn);
    EXPECT_EQ(drawn(r, "Text1"), "01.05.2024\n01.05.2024\n02.05.2024\n02.05.2024");
    EXPECT_EQ(drawn(r, "Text5"), "301\n301\n101\n508");
    EXPECT_EQ(drawn(r, "Text4"), "36\n37\n46");   // same date and code: table order
    EXPECT_EQ(drawn(r, "Text6"), "И");
    const auto first = textItems(r, "Text1")[0];
    EXPECT_DOUBLE_EQ(first.clip.top(), kTop + 6105);
    EXPECT_DOUBLE_EQ(first.rect.left(), kLeft + 555);

    const DataEnvironment1::Command& c = DataEnvironment1::instance().command(2);
    EXPECT_EQ(c.name, "comPac");
    EXPECT_EQ(c.text, "SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID");
    print(egn + " ");
    EXPECT_EQ(DataEnvironment1::instance().command("comPac").params, QVariantList{egn + " "});
}

TEST_F(DentalCardPrint, NoTreatmentsNoChartNoPatient)
{
    const QString egn = egnOf("700202234");
    addPatient(egn, {{"Names", "Елена Попова"}, {"Pol", "Ж"}});
    Rendered r = print(egn);
    EXPECT_EQ(r.pageCount, 1);
    EXPECT_TRUE(detailRows(r, 1).isEmpty());
    for (const char* heading : {"Label12", "Label13", "Label11", "Label14", "Label10", "Label2"})
        EXPECT_EQ(textItems(r, heading).size(), 1) << heading;
    // No chart row: the grid as designed.
    for (int place : kUpper) {
        EXPECT_EQ(drawn(r, QString("z_%1").arg(place)), QString::number(place));
        EXPECT_TRUE(textItems(r, QString("s_%1").arg(place)).isEmpty());
    }
    EXPECT_EQ(drawn(r, "rNames"), "на Елена Попова    ЕГН " + egn);

    // No patient row: the particulars stay as designed, the chart and the rows still print.
    const QString gone = egnOf("700303345");
    addChart(gone, {{"Z1", "C"}});
    addTreatment(gone, QDate(2024, 6, 1), "101");
    r = print(gone);
    for (const char* label : {"rNames", "sReg", "rAdres", "rTel", "rWork", "rPol", "rDataR"})
        EXPECT_TRUE(textItems(r, label).isEmpty()) << label;
    EXPECT_EQ(drawn(r, "Label18"), "Местоживеене:");
    EXPECT_EQ(drawn(r, "z_15"), "55");
    EXPECT_EQ(drawn(r, "Text5"), "101");
}

TEST_F(DentalCardPrint, EveryPageRepeatsTheWholeHeader)
{
    const QString egn = egnOf("700404456");
    addPatient(egn, {{"Names", "Петър Ангелов"}});
    addChart(egn, {{"Z21", "C"}});
    addFillings(egn, 40, QDate(2023, 1, 2));
    const Rendered r = print(egn);
    ASSERT_EQ(r.pageCount, 2);
    EXPECT_EQ(detailRows(r, 1).size(), 26);   // (16838 - 2880 - 6105) / 300
    EXPECT_EQ(detailRows(r, 2).size(), 14);
    for (int page = 1; page <= 2; ++page) {
        QSet<QString> header;
        for (const DrawItem& i : itemsOf(r, page, "PageHeader"))
            if (i.kind == ItemKind::Text)
                header << i.control;
        for (const char* c : {"Label1", "rNames", "Label7", "z_18", "s_18", "z_38", "Label12", "Label2"})
            EXPECT_TRUE(header.contains(c)) << page << " " << c;
        EXPECT_DOUBLE_EQ(textItems(r, "Text1")[page == 1 ? 0 : 26].clip.top(), kTop + 6105);
    }
}

TEST_F(DentalCardPrint, TheEgnIsABoundValue)
{
    addPatient(egnOf("700505567"), {{"Names", "Радка Василева"}});
    addChart(egnOf("700505567"), {{"Z1", "C"}});
    addTreatment(egnOf("700505567"), QDate(2024, 6, 1), "101");
    const Rendered r = print("' OR ''='");
    EXPECT_TRUE(textItems(r, "rNames").isEmpty());
    EXPECT_EQ(drawn(r, "z_15"), "15");
    EXPECT_TRUE(detailRows(r, 1).isEmpty());
}

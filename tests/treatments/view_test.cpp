#include "db/database.h"
#include "treatments/patientview.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::treatments;

namespace {

db::Row rowOf(const QList<std::pair<QString, QVariant>>& values)
{
    db::Row r(QSharedPointer<const QStringList>::create(QStringList{}), {});
    for (const auto& [f, v] : values)
        r.set(f, v);
    return r;
}

const QVariant null = QVariant(QMetaType::fromType<QString>());

} // namespace

TEST(Header, CaptionAndComposedLines)
{
    struct Case {
        const char* what;
        QList<std::pair<QString, QVariant>> fields;
        QString caption, address, phones;
    };
    const QList<std::pair<QString, QVariant>> names = {{"Names", "Иван Петров Колев"}, {"EGN", "7503121234"}};
    const Case cases[] = {
        {"every field",
         {{"Names", "Иван Петров Колев"}, {"EGN", "7503121234"}, {"ZBook", "12345678"}, {"Tawn", "Пловдив"},
          {"KV", "кв. Тракия"}, {"UL", "ул. Гладстон 12"}, {"BL", "12"}, {"VX", "А"}, {"ET", "3"}, {"AP", "7"},
          {"TKod", "032"}, {"DTel", "123456"}, {"STel", "654321"}, {"MTel", "0888123456"}},
         "Картон на Иван Петров Колев с ЕГН 7503121234  ЗОК №12345678",
         "Пловдив, кв. Тракия, ул. Гладстон 12, бл.12, вх.А, ет.3, ап.7",
         "дом.032/123456, сл.032/654321, моб.0888123456"},
        {"nothing but the names", names, "Картон на Иван Петров Колев с ЕГН 7503121234  ЗОК №", "", ""},
        {"Null fields add nothing",
         {{"Names", null}, {"EGN", null}, {"ZBook", null}, {"Tawn", null}, {"KV", null}, {"DTel", null}},
         "Картон на  с ЕГН   ЗОК №", "", ""},
        {"no settlement but a quarter", {{"KV", "кв. Тракия"}, {"BL", "5"}}, "Картон на  с ЕГН   ЗОК №",
         ", кв. Тракия, бл.5", ""},
        {"values as stored, blanks and all", {{"Tawn", " Пловдив "}, {"UL", " ул. Х "}}, "Картон на  с ЕГН   ЗОК №",
         " Пловдив ,  ул. Х ", ""},
        {"an address field of blanks is left out", {{"Tawn", "Пловдив"}, {"BL", "   "}, {"AP", "7"}},
         "Картон на  с ЕГН   ЗОК №", "Пловдив, ап.7", ""},
        {"a work number without a home number", {{"TKod", "032"}, {"STel", "654321"}}, "Картон на  с ЕГН   ЗОК №", "",
         ", сл.032/654321"},
        {"an area code alone shows nothing", {{"TKod", "032"}}, "Картон на  с ЕГН   ЗОК №", "", ""},
        {"the mobile never gets the area code", {{"TKod", "032"}, {"MTel", "0888"}}, "Картон на  с ЕГН   ЗОК №", "",
         ", моб.0888"},
        {"a telephone of blanks is shown", {{"TKod", "032"}, {"DTel", "  "}}, "Картон на  с ЕГН   ЗОК №", "",
         "дом.032/  "},
        {"no area code: no slash", {{"DTel", "123"}, {"STel", "456"}}, "Картон на  с ЕГН   ЗОК №", "",
         "дом.123, сл.456"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const db::Row r = rowOf(k.fields);
        const HeaderText h = ComposeHeader(r);
        EXPECT_EQ(h.caption, k.caption);
        EXPECT_EQ(h.address, k.address);
        EXPECT_EQ(h.phones, k.phones);
        // Built afresh: the same row gives the same lines.
        const HeaderText again = ComposeHeader(r);
        EXPECT_EQ(again.address, h.address);
        EXPECT_EQ(again.phones, h.phones);
    }
}

TEST(Chart, PlacesAndMilkTeeth)
{
    // Permanent columns hold their own names, so a place shows which field it is bound to.
    QList<std::pair<QString, QVariant>> permanent;
    for (int z = 21; z <= 52; ++z)
        permanent.push_back({QStringLiteral("Z%1").arg(z), QStringLiteral("p%1").arg(z)});

    struct Case {
        const char* what;
        QList<std::pair<QString, QVariant>> milk;
        QList<std::pair<int, QString>> places;   // place -> text, checked beyond the permanent default
        QList<int> shownMilk;
    };
    const Case cases[] = {
        {"no milk teeth", {{"Z1", null}, {"Z6", ""}}, {}, {}},
        {"a milk tooth without status", {{"Z1", "*"}}, {{3, ""}}, {1}},
        {"the mark with blanks around it", {{"Z6", " * "}}, {{8, ""}}, {6}},
        {"a milk tooth with a code", {{"Z5", "C"}}, {{7, "C"}}, {5}},
        {"a code shown as stored", {{"Z20", " Pa "}}, {{28, " Pa "}}, {20}},
        {"blanks count as absent", {{"Z2", "   "}}, {}, {}},
        {"the lower teeth of one side alone",
         {{"Z11", "*"}, {"Z12", "R"}, {"Z13", "*"}, {"Z14", "G"}, {"Z15", "*"}},
         {{19, ""}, {20, "R"}, {21, ""}, {22, "G"}, {23, ""}},
         {11, 12, 13, 14, 15}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        QList<std::pair<QString, QVariant>> fields = permanent;
        fields += k.milk;
        const ChartView v = ComposeChart(rowOf(fields));
        for (int place = 0; place < kChartPlaces; ++place) {
            QString want = QStringLiteral("p%1").arg(place < 16 ? 21 + place : 37 + place - 16);
            for (const auto& [p, text] : k.places)
                if (p == place)
                    want = text;
            EXPECT_EQ(v.places[place], want) << "place " << place;
        }
        for (int column = 1; column <= 20; ++column)
            EXPECT_EQ(v.milkShown[column], k.shownMilk.contains(column)) << "Z" << column;
    }
}

TEST(Chart, TheFormsPlaceTable)
{
    // Position, the upper place's label, field and tooth; the lower place's.
    struct Row {
        int upperLabel, upperField, lowerLabel, lowerField;
    };
    const Row table[16] = {
        {76, 21, 60, 37}, {77, 22, 61, 38}, {83, 23, 67, 39}, {82, 24, 66, 40}, {81, 25, 65, 41}, {80, 26, 64, 42},
        {79, 27, 63, 43}, {78, 28, 62, 44}, {68, 29, 52, 45}, {69, 30, 53, 46}, {75, 31, 59, 47}, {74, 32, 58, 48},
        {73, 33, 57, 49}, {72, 34, 56, 50}, {71, 35, 55, 51}, {70, 36, 54, 52},
    };
    const ChartView empty = ComposeChart(db::Row());
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(placeLabelIndex(i), table[i].upperLabel);
        EXPECT_EQ(placeLabelIndex(16 + i), table[i].lowerLabel);
        EXPECT_EQ(empty.column[i], table[i].upperField);
        EXPECT_EQ(empty.column[16 + i], table[i].lowerField);
        EXPECT_TRUE(empty.places[i].isEmpty());
        EXPECT_TRUE(empty.places[16 + i].isEmpty());
    }
    // Milk field, its number label, the label of its place.
    const std::tuple<int, int, int> milk[] = {
        {1, 1, 82}, {2, 2, 81}, {3, 6, 80}, {4, 7, 79}, {5, 8, 78}, {6, 9, 68}, {7, 10, 69}, {8, 11, 75},
        {9, 12, 74}, {10, 13, 73}, {11, 14, 66}, {12, 15, 65}, {13, 17, 64}, {14, 16, 63}, {15, 18, 62},
        {16, 19, 52}, {17, 20, 53}, {18, 21, 59}, {19, 22, 58}, {20, 23, 57},
    };
    for (const auto& [column, number, place] : milk) {
        EXPECT_EQ(milkNumberLabelIndex(column), number) << column;
        EXPECT_EQ(placeLabelIndex(placeOfColumn(column)), place) << column;
    }
    // A permanent "*" is shown: only milk fields become an empty place.
    const ChartView star = ComposeChart(rowOf({{"Z24", "*"}}));
    EXPECT_EQ(star.places[3], QString("*"));
}

TEST(Chart, LegendColumnsPairLineByLine)
{
    const std::pair<QString, QStringList> cases[] = {
        {"С Р G  R  O", {"С", "Р", "G", "R", "O"}},
        {"- - - - -", {"-", "-", "-", "-", "-"}},
        {"кариес     пулпит гангрена корен обтулация", {"кариес", "пулпит", "гангрена", "корен", "обтулация"}},
        {"E K X Pa I,II, III", {"E", "K", "X", "Pa", "I,II, III"}},
        {"липсв.зъб коронка изк.зъб парадонтоза подвижност на зъбите",
         {"липсв.зъб", "коронка", "изк.зъб", "парадонтоза", "подвижност на зъбите"}},
    };
    for (const auto& [caption, lines] : cases)
        EXPECT_EQ(LegendLines(caption, 5), lines) << caption.toStdString();
}

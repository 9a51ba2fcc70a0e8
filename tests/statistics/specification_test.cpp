// The fill of the monthly specification's form.

#include "fixtures.h"
#include "db/values.h"
#include "statistics/specification.h"

#include <QSharedPointer>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;

namespace {

db::Row rowOf(const QList<std::pair<QString, QVariant>>& fields)
{
    QStringList names;
    QVector<QVariant> values;
    for (const auto& [n, v] : fields) {
        names << n;
        values << v;
    }
    return db::Row(QSharedPointer<const QStringList>::create(names), values);
}

const QStringList kCountFields = {"F10112", "F10312", "F30112", "F50912", "F10111", "F10311",
                                  "F30111", "F33211", "F33311", "F50811", "F50911"};

db::Row counts(const QMap<QString, int>& set)
{
    QList<std::pair<QString, QVariant>> fields;
    for (const QString& f : kCountFields)
        fields << std::pair<QString, QVariant>{f, set.value(f, 0)};
    return rowOf(fields);
}

QHash<QString, QString> fill(const QMap<QString, int>& set, const db::Row& practice = {})
{
    return specificationCaptions(practice, counts(set), "01.03.2010", "31.03.2010", QLocale::c());
}

// Count and amount cells of the nine priced rows, the of-which counts, the totals.
const QStringList kCells = {"Label68", "Label69", "Label80", "Label86", "Label87", "Label92", "Label93",
                            "Label110", "Label111", "Label116", "Label122", "Label123", "Label128", "Label129",
                            "Label134", "Label135", "Label140", "Label141", "Label146", "Label147",
                            "Label99", "Label153", "Label159"};

} // namespace

TEST(Specification, CountsAmountsAndTotals)
{
    const struct {
        const char* what;
        QMap<QString, int> counts;
        QMap<QString, QString> cells;   // the others read "0"
    } cases[] = {
        {"nothing", {}, {}},
        {"examinations with pregnant women", {{"F10112", 3}, {"F10312", 1}},
         {{"Label68", "4"}, {"Label69", "25.76"}, {"Label80", "1"}, {"Label99", "25.76"}, {"Label159", "25.76"}}},
        {"only additional examinations", {{"F10112", 0}, {"F10312", 2}},
         {{"Label68", "2"}, {"Label69", "12.88"}, {"Label80", "2"}, {"Label99", "12.88"}, {"Label159", "12.88"}}},
        {"fillings of group I", {{"F30112", 10}},
         {{"Label86", "10"}, {"Label87", "211.3"}, {"Label99", "211.3"}, {"Label159", "211.3"}}},
        {"fillings of group II", {{"F30111", 100}},
         {{"Label122", "100"}, {"Label123", "2513."}, {"Label153", "2513."}, {"Label159", "2513."}}},
        {"both groups", {{"F10112", 4}, {"F33311", 1}},
         {{"Label68", "4"}, {"Label69", "25.76"}, {"Label146", "1"}, {"Label147", "68.93"}, {"Label99", "25.76"},
          {"Label153", "68.93"}, {"Label159", "94.69"}}},
        {"a year of group II", {{"F10111", 0}, {"F30111", 265}, {"F50811", 1345}, {"F50911", 577}, {"F33211", 186},
                                {"F33311", 144}},
         {{"Label122", "265"}, {"Label123", "6659.45"}, {"Label128", "1345"}, {"Label129", "16113.1"},
          {"Label134", "577"}, {"Label135", "14500.01"}, {"Label140", "186"}, {"Label141", "4077.12"},
          {"Label146", "144"}, {"Label147", "9925.92"}, {"Label153", "51275.6"}, {"Label159", "51275.6"}}},
        {"every row", {{"F10112", 1}, {"F10312", 1}, {"F30112", 1}, {"F50912", 1}, {"F10111", 1}, {"F10311", 1},
                       {"F30111", 1}, {"F33211", 1}, {"F33311", 1}, {"F50811", 1}, {"F50911", 1}},
         {{"Label68", "2"}, {"Label69", "12.88"}, {"Label80", "1"}, {"Label86", "1"}, {"Label87", "21.13"},
          {"Label92", "1"}, {"Label93", "21.13"}, {"Label110", "2"}, {"Label111", "12.88"}, {"Label116", "1"},
          {"Label122", "1"}, {"Label123", "25.13"}, {"Label128", "1"}, {"Label129", "11.98"}, {"Label134", "1"},
          {"Label135", "25.13"}, {"Label140", "1"}, {"Label141", "21.92"}, {"Label146", "1"}, {"Label147", "68.93"},
          {"Label99", "55.14"}, {"Label153", "165.97"}, {"Label159", "221.11"}}},
    };
    for (const auto& k : cases) {
        const QHash<QString, QString> got = fill(k.counts);
        for (const QString& cell : kCells)
            EXPECT_EQ(got.value(cell, "missing"), k.cells.value(cell, "0")) << k.what << " " << cell.toStdString();
    }
}

TEST(Specification, AmountsFollowTheRegionalDecimalSeparator)
{
    const auto got = specificationCaptions({}, counts({{"F30112", 10}, {"F30111", 100}}), "", "",
                                           QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    EXPECT_EQ(got["Label87"], "211,3");
    EXPECT_EQ(got["Label123"], "2513,");
    EXPECT_EQ(got["Label159"], "2724,3");
}

TEST(Specification, DigitBoxesTakeTheLastCharacterInTheLastBox)
{
    const struct {
        const char* value;
        int boxes;
        QStringList chars;
    } cases[] = {
        {"8001011234", 10, {"8", "0", "0", "1", "0", "1", "1", "2", "3", "4"}},
        {"123456789", 9, {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"1234567890", 9, {"1", "2", "3", "4", "5", "6", "7", "8", "0"}},
        {"163", 10, {"1", "6", "3", "", "", "", "", "", "", "3"}},
        {"7", 3, {"7", "", "7"}},
        {"", 10, {"", "", "", "", "", "", "", "", "", ""}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(boxCharacters(k.value, k.boxes), k.chars) << k.value;
}

TEST(Specification, ThePracticeAsStoredAndThePeriod)
{
    const QVariant null = QVariant(QMetaType::fromType<QString>());
    const db::Row practice = rowOf({{"UserID", "1622"},        {"UserName", "АИППДП Д-р Петров  "},
                                    {"UserCap", "Пловдив"},    {"UserObMiniCap", "Пловдив"},
                                    {"UserCity", "Пловдив"},   {"UserUl", "Гладстон"},
                                    {"UserUlID", "12"},        {"UserKs", null},
                                    {"UserBl", null},          {"UserVx", "А"},
                                    {"UserEt", "3"},           {"UserAp", "7"},
                                    {"UserBank", "Банка"},     {"UserBIC", "BNBGBGSF"},
                                    {"UserIBAN", "BG80BNBG96611020345678"},
                                    {"UserBULSTAT", "115123456"}, {"UserEGN", "7503121234"},
                                    {"UserUIN", "1234567890"}, {"UserMOL", "Петър Петров"}});
    const auto got = fill({}, practice);
    EXPECT_EQ(got["Label9"], "АИППДП Д-р Петров  ");   // trailing blanks kept
    EXPECT_EQ(got["Label8"], "");                      // Null block
    EXPECT_EQ(got["Label10"], "");
    EXPECT_EQ(got["Label34"], "А");
    EXPECT_EQ(got["Label22"], "115123456");
    EXPECT_EQ(got["Label54"], "Петър Петров");
    EXPECT_EQ(got["Label42"], "01.03.2010 г.");
    EXPECT_EQ(got["Label50"], "31.03.2010 г.");
    // UserID over ten boxes, its last character again in the tenth.
    EXPECT_EQ(got["Label45"], "1");
    EXPECT_EQ(got["Label197"], "2");
    EXPECT_EQ(got["Label198"], "");
    EXPECT_EQ(got["Label203"], "2");
    EXPECT_EQ(got["Label7"], "7");
    EXPECT_EQ(got["Label212"], "4");
    // The UIN over ten boxes like the EGN: every digit of a ten-digit one;
    // a shorter one has its last character again in the tenth.
    const struct {
        const char* uin;
        QStringList boxes;
    } uins[] = {
        {"1234567890", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"}},
        {"2300012345", {"2", "3", "0", "0", "0", "1", "2", "3", "4", "5"}},
        {"123456789", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "9"}},
        {"2300", {"2", "3", "0", "0", "", "", "", "", "", "0"}},
    };
    const QStringList uinLabels = {"Label52", "Label213", "Label214", "Label215", "Label216",
                                   "Label217", "Label218", "Label219", "Label220", "LabelUIN10"};
    for (const auto& k : uins) {
        db::Row p = practice;
        p.set("UserUIN", k.uin);
        const auto boxes = fill({}, p);
        QStringList shown;
        for (const QString& label : uinLabels)
            shown << boxes.value(label, "missing");
        EXPECT_EQ(shown, k.boxes) << k.uin;
    }
    EXPECT_FALSE(got.contains("Label221"));

    // No practice row at all: every box and cell of the practice is empty.
    const auto none = fill({});
    for (const char* label : {"Label9", "Label45", "Label203", "Label7", "Label212", "Label52", "Label220", "LabelUIN10", "Label54"})
        EXPECT_EQ(none.value(label, "missing"), "") << label;
}

#include "fixtures.h"
#include "statistics/activities.h"

#include <gtest/gtest.h>

using namespace tav::statistics;
using statistics_test::egnFor;

TEST(Activities, MinutesOfEachCodeComparedWholeAndCaseSensitive)
{
    // The 24 codes of the filling group.
    QStringList fillings;
    for (const char* base : {"301", "302", "303", "304"})
        for (const char* suffix : {"", "А", "Б", "В", "A", "B"})
            fillings << QString::fromUtf8(base) + QString::fromUtf8(suffix);
    ASSERT_EQ(fillings.size(), 24);
    for (const QString& code : fillings) {
        EXPECT_EQ(ActivityMinutes(code), 26) << code.toStdString();
        EXPECT_TRUE(isFillingCode(code)) << code.toStdString();
        EXPECT_EQ(activityClass(code), ActivityClass::C301) << code.toStdString();
    }
    const struct {
        const char* code;
        int minutes;
        ActivityClass cls;
    } cases[] = {
        {"101", 15, ActivityClass::C101},  {"332", 39, ActivityClass::C332}, {"333", 141, ActivityClass::C333},
        {"508", 17, ActivityClass::C508},  {"509", 22, ActivityClass::C509}, {"103", 0, ActivityClass::C103},
        {"304b", 0, ActivityClass::None},  {"304Б ", 0, ActivityClass::None}, {" 301", 0, ActivityClass::None},
        {"305", 0, ActivityClass::None},   {"300", 0, ActivityClass::None},   {"301а", 0, ActivityClass::None},
        {"301Г", 0, ActivityClass::None},  {"301C", 0, ActivityClass::None},  {"301АБ", 0, ActivityClass::None},
        {"30", 0, ActivityClass::None},    {"", 0, ActivityClass::None},      {"101 ", 0, ActivityClass::None},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(ActivityMinutes(QString::fromUtf8(k.code)), k.minutes) << k.code;
        EXPECT_EQ(activityClass(QString::fromUtf8(k.code)), k.cls) << k.code;
    }
}

TEST(Activities, BirthDateFromTheEgnsFirstSixDigits)
{
    const struct {
        const char* egn;
        QDate birth;   // invalid: none
    } cases[] = {
        {"7503121234", QDate(1975, 3, 12)},
        {"0545121234", QDate(2005, 5, 12)},
        {"1541011234", QDate(2015, 1, 1)},    // a child born from 2010 on
        {"9952311234", QDate(2099, 12, 31)},
        {"9202291234", QDate(1992, 2, 29)},   // a leap day
        {"0042291234", QDate(2000, 2, 29)},
        {"9302291234", QDate()},
        {"0002291234", QDate()},              // 1900 had no 29 February
        {"7500121234", QDate()},              // month 00
        {"7513121234", QDate()},
        {"7540121234", QDate()},
        {"7553121234", QDate()},
        {"7504311234", QDate()},              // 31 April
        {"7503001234", QDate()},              // day 00
        {"75031", QDate()},                   // under six digits
        {"7503 21234", QDate()},
        {"75a3121234", QDate()},
        {"", QDate()},
        {"750312", QDate(1975, 3, 12)},
    };
    for (const auto& k : cases) {
        const auto got = BirthDateFromEGN(QString::fromUtf8(k.egn));
        EXPECT_EQ(got.has_value(), k.birth.isValid()) << k.egn;
        if (got && k.birth.isValid()) {
            EXPECT_EQ(*got, k.birth) << k.egn;
        }
    }
}

TEST(Activities, OverEighteenStrictlyAfterTheEighteenthBirthday)
{
    const QDate born(1992, 3, 15);
    const QDate leap(1992, 2, 29);
    const struct {
        QDate birth, visit;
        bool over;
    } cases[] = {
        {born, QDate(2010, 3, 15), false},   // the birthday itself
        {born, QDate(2010, 3, 16), true},
        {born, QDate(2010, 4, 1), true},
        {born, QDate(2010, 3, 14), false},
        {born, QDate(2009, 12, 31), false},
        {born, QDate(2011, 1, 1), true},
        {leap, QDate(2010, 2, 28), false},
        {leap, QDate(2010, 3, 1), true},
        {QDate(1993, 12, 31), QDate(2012, 1, 1), true},   // 1993 and 2012: over whatever the day
        {QDate(2000, 1, 1), QDate(2017, 12, 31), false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(IsOver18AtVisit(k.visit, k.birth), k.over)
            << k.birth.toString().toStdString() << " / " << k.visit.toString().toStdString();
        EXPECT_EQ(IsOver18ForCounts(egnFor(k.birth), k.visit), k.over)
            << k.birth.toString().toStdString() << " / " << k.visit.toString().toStdString();
    }
}

TEST(Activities, TheCountsRuleAgreesWithTheBirthDateForEveryValidEgnAndAnswersForTheOthers)
{
    // Births across both centuries, visits around the eighteenth birthday.
    for (QDate birth(1990, 1, 1); birth < QDate(1990, 12, 31); birth = birth.addDays(7))
        for (const QDate base : {birth.addYears(18), QDate(2008, 2, 28).addYears(int(birth.month() % 3))})
            for (int d = -40; d <= 40; d += 3) {
                const QDate visit = base.addDays(d);
                EXPECT_EQ(IsOver18ForCounts(egnFor(birth), visit), IsOver18AtVisit(visit, birth));
            }
    for (QDate birth(2000, 1, 1); birth < QDate(2009, 12, 31); birth = birth.addDays(37))
        for (int d = -3; d <= 3; ++d) {
            const QDate visit = birth.addYears(18).addDays(d);
            EXPECT_EQ(IsOver18ForCounts(egnFor(birth), visit), IsOver18AtVisit(visit, birth));
        }
    // No birth date, still a group: the fields against the visit.
    EXPECT_TRUE(IsOver18ForCounts("7513121234", QDate(2010, 3, 1)));    // month 13 of 1975
    EXPECT_FALSE(IsOver18ForCounts("9200151234", QDate(2009, 12, 31)));   // month 00 of 1992
    EXPECT_TRUE(IsOver18ForCounts("9200151234", QDate(2010, 1, 1)));
    EXPECT_TRUE(IsOver18ForCounts("", QDate(2010, 1, 1)));              // reads as 1900
}

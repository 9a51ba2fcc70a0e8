#include "patients/patientrecord.h"
#include "patients/patientsearch.h"
#include "patients/toothcodes.h"

#include <gtest/gtest.h>

using namespace tav::patients;

TEST(CardRules, QuarterPrefix)
{
    EXPECT_EQ(withQuarterPrefix("Изгрев"), QString("кв. Изгрев"));
    EXPECT_EQ(withQuarterPrefix("кв. Изгрев"), QString("кв. Изгрев"));
    EXPECT_EQ(withQuarterPrefix("к-с Младост"), QString("к-с Младост"));
    EXPECT_EQ(withQuarterPrefix("  к-с Младост"), QString("  к-с Младост"));
    EXPECT_EQ(withQuarterPrefix("Кв. Изгрев"), QString("кв. Кв. Изгрев"));   // case counts
    EXPECT_EQ(withQuarterPrefix(""), QString("кв. "));
    // leaving the box again changes nothing
    EXPECT_EQ(withQuarterPrefix(withQuarterPrefix("")), QString("кв. "));
    EXPECT_EQ(withQuarterPrefix(withQuarterPrefix("Изгрев")), QString("кв. Изгрев"));
}

TEST(CardRules, StreetPrefixAndNumberSign)
{
    EXPECT_EQ(withStreetPrefix("Гладстон 12"), QString("ул. Гладстон 12"));
    EXPECT_EQ(withStreetPrefix("Гладстон !12"), QString("ул. Гладстон №12"));
    EXPECT_EQ(withStreetPrefix(" Гладстон !12 !3 "), QString("ул. Гладстон №12 !3"));
    EXPECT_EQ(withStreetPrefix("бул. България 5"), QString("бул. България 5"));
    EXPECT_EQ(withStreetPrefix("ул. Гладстон 12"), QString("ул. Гладстон 12"));
    EXPECT_EQ(withStreetPrefix("Ул. Гладстон"), QString("ул. Ул. Гладстон"));
    EXPECT_EQ(withStreetPrefix(""), QString("ул. "));
    EXPECT_EQ(withStreetPrefix(withStreetPrefix("")), QString("ул. "));
}

TEST(CardRules, Warnings)
{
    EXPECT_TRUE(healthBookLooksWrong(""));
    EXPECT_TRUE(healthBookLooksWrong("1234567"));
    EXPECT_FALSE(healthBookLooksWrong(" 12345678  "));
    EXPECT_TRUE(healthBookLooksWrong("123456789"));
    EXPECT_TRUE(namesLackSecondWord(""));
    EXPECT_TRUE(namesLackSecondWord("  Иван  "));
    EXPECT_FALSE(namesLackSecondWord("Иван Петров"));
    EXPECT_FALSE(namesLackSecondWord("Иван Петров Колев"));
}

TEST(ToothCodes, ShortcutsBecomeStoredCodes)
{
    const std::pair<const char*, const char*> conv[] = {
        {"1", "C"}, {"8", "P"}, {"9", "G"}, {"4", "R"}, {"2", "O"}, {"3", "E"}, {"5", "K"},
        {"6", "X"}, {"0", "Pa"}, {"7", "F"}, {"01", "I"}, {"02", "II"}, {"03", "III"},
        {"12", "OC"}, {"44", "Rr"}, {"18", "OP"}, {"00", "*"}, {"*", "*"}};
    for (const auto& [typed, code] : conv) {
        ASSERT_TRUE(storedToothCode(typed).has_value()) << typed;
        EXPECT_EQ(*storedToothCode(typed), QString(code)) << typed;
        // a stored code is never a shortcut again, except the milk mark itself
        if (QString(code) != "*") {
            EXPECT_FALSE(storedToothCode(code).has_value()) << code;
        }
    }
    for (const char* other : {"", " 1", "1 ", "c", "C", "11", "000", "10", "5 ", "**"})
        EXPECT_FALSE(storedToothCode(other).has_value()) << other;
    // the codes are Latin letters
    EXPECT_EQ(storedToothCode("1")->at(0).unicode(), 0x43);
}

TEST(ToothCodes, ColumnsOfTheTeeth)
{
    EXPECT_EQ(columnOfTooth(55), 1);
    EXPECT_EQ(columnOfTooth(51), 5);
    EXPECT_EQ(columnOfTooth(61), 6);
    EXPECT_EQ(columnOfTooth(85), 11);
    EXPECT_EQ(columnOfTooth(75), 20);
    EXPECT_EQ(columnOfTooth(18), 21);
    EXPECT_EQ(columnOfTooth(11), 28);
    EXPECT_EQ(columnOfTooth(21), 29);
    EXPECT_EQ(columnOfTooth(48), 37);
    EXPECT_EQ(columnOfTooth(41), 44);
    EXPECT_EQ(columnOfTooth(31), 45);
    EXPECT_EQ(columnOfTooth(38), 52);
    EXPECT_EQ(columnOfTooth(19), 0);
    for (int z = 1; z <= 52; ++z)
        EXPECT_EQ(columnOfTooth(toothOfColumn(z)), z);
    // each milk tooth shares its place with the permanent tooth 40 lower
    for (int z = 1; z <= 20; ++z) {
        const int milk = toothOfColumn(z);
        EXPECT_EQ(columnOfTooth(milk - 40), z <= 10 ? z + 23 : z + 29) << milk;
    }
}

TEST(SearchRules, FirstWordKeyAndHandOver)
{
    EXPECT_EQ(firstWord("Иван Петров"), QString("Иван"));
    EXPECT_EQ(firstWord("Иван Петров Колев"), QString("Иван"));
    EXPECT_EQ(firstWord("  Иван  Петров "), QString("Иван"));
    EXPECT_EQ(firstWord("Мария"), QString("Мария"));
    EXPECT_EQ(firstWord(""), QString());
    EXPECT_EQ(firstWord("   "), QString());
    EXPECT_EQ(searchKey("  иван "), QString("Иван"));
    EXPECT_EQ(searchKey("иВАН"), QString("ИВАН"));
    EXPECT_EQ(searchKey(""), QString());
    const QString item = listItem("Мария", "7503126543");
    EXPECT_EQ(item.size(), 5 + 50 + 10);
    EXPECT_EQ(findNameOf(item), QString("Мария") + QString(10, ' '));
    // the entry's length less 50, whatever the EGN's length
    EXPECT_EQ(findNameOf(listItem("Мария", "900101001")), QString("Мария") + QString(9, ' '));
    EXPECT_EQ(findNameOf(listItem("", "7503126543")), QString(10, ' '));
}

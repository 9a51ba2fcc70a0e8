#include "db/values.h"

#include <gtest/gtest.h>

using namespace tav;

TEST(Values, TrimRemovesOnlyBlanks)
{
    EXPECT_EQ(trimBlanks("  ab c  "), QString("ab c"));
    EXPECT_EQ(trimBlanks("\tab\n"), QString("\tab\n"));
    EXPECT_EQ(trimBlanks("   "), QString());
    EXPECT_TRUE(nullIfEmpty("").isNull());
    EXPECT_EQ(textOf(QVariant()), QString());
}

TEST(Values, TypedDates)
{
    struct Case { const char* text; QDate want; } cases[] = {
        {"29.02.2024", QDate(2024, 2, 29)}, {" 01.12.2026 ", QDate(2026, 12, 1)},
        {"29.02.2023", {}}, {"31.04.2026", {}}, {"1.2.2026", QDate(2026, 2, 1)},
        {"01.13.2026", {}}, {"00.01.2026", {}}, {"01/02/2026", {}}, {"abc", {}}, {"", {}},
        {"01.02.26", {}},
    };
    for (const auto& c : cases) {
        const auto d = dateFromDDMMYYYY(c.text);
        EXPECT_EQ(d.value_or(QDate()), c.want) << c.text;
    }
    EXPECT_EQ(toDDMMYYYY(QDate(2026, 1, 5)), QString("05.01.2026"));
    EXPECT_EQ(toMMDDYYYY(QDate(2026, 1, 5)), QString("01/05/2026"));
    EXPECT_EQ(dateFromMMDDYYYY("01/05/2026").value_or(QDate()), QDate(2026, 1, 5));
}

TEST(Values, MoneyIsExact)
{
    Money sum;
    for (int i = 0; i < 1000; ++i)
        sum += Money::fromDouble(21.13);
    EXPECT_EQ(sum.format(2), QString("21130.00"));
    EXPECT_EQ(Money::fromDouble(0.1 + 0.2).format(2), QString("0.30"));
    EXPECT_EQ(Money::parse("12,5")->format(2), QString("12.50"));
    EXPECT_FALSE(Money::parse("12a").has_value());
    EXPECT_FALSE(Money::parse("").has_value());
    EXPECT_EQ(Money::fromDouble(2.675).truncated(2).format(3), QString("2.670"));
    EXPECT_EQ(Money::fromDouble(2.675).format(2), QString("2.68"));
    EXPECT_EQ(Money::fromVariant(QVariant()).units(), 0);
    EXPECT_EQ(Money::fromDouble(-1.005).format(2), QString("-1.01"));
}

TEST(Values, ClockCanBeFixed)
{
    Clock::setToday(QDate(2026, 12, 10));
    EXPECT_EQ(Clock::today(), QDate(2026, 12, 10));
    Clock::setToday(QDate());
    EXPECT_EQ(Clock::today(), QDate::currentDate());
}

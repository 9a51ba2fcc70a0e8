#include "printing/spacing.h"

#include <gtest/gtest.h>

using tav::SpreadTextNarrow;
using tav::SpreadTextWide;

TEST(Spacing, ValuesSpreadForTheBoxes)
{
    const QString b = " ";
    struct Case {
        QString in, wide, narrow;
    };
    const Case cases[] = {
        {"8001011234", "8  0  0  1  0  1  1  2  3  4", "8 0 0 1 0 1 1 2 3 4"},
        {"101", "1  0  1" + b.repeated(14), "1 0 1" + b.repeated(7)},
        {"05", "0  5" + b.repeated(16), "0 5" + b.repeated(8)},
        {"7", "7" + b.repeated(18), "7" + b.repeated(9)},
        {"", b.repeated(18), b.repeated(9)},
        {"123456789012", "1  2  3  4  5  6  7  8  9  0", "1 2 3 4 5 6 7 8 9 0"},   // the last two are lost
        {" 1 ", "   1" + b.repeated(17), "  1" + b.repeated(9)},        // blanks spread like any other character
        {"301А", "3  0  1  А" + b.repeated(12), "3 0 1 А" + b.repeated(6)},         // Cyrillic letters count as one
        {"ЕГН№абвгдежз", "Е  Г  Н  №  а  б  в  г  д  е", "Е Г Н № а б в г д е"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(SpreadTextWide(k.in), k.wide) << k.in.toStdString();
        EXPECT_EQ(SpreadTextNarrow(k.in), k.narrow) << k.in.toStdString();
        EXPECT_EQ(SpreadTextWide(k.in).size(), qMin<qsizetype>(k.in.size(), 10) + 18);
        EXPECT_EQ(SpreadTextNarrow(k.in).size(), qMin<qsizetype>(k.in.size(), 10) + 9);
    }
    const QString given = "101";
    SpreadTextWide(given);
    EXPECT_EQ(given, "101");
}

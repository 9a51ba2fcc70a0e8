#include "fixtures.h"
#include "report/format.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace tav::report;

TEST(ReportFormat, NumberFormatsAsTheLayoutsStoreThem)
{
    const QLocale c = QLocale::c();
    struct Case {
        double value;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {25.76, "####.##", "25.76"},     // 4 × 6.44 is 25.759999... in binary
        {211.3, "####.##", "211.3"},     // trailing zeros of optional decimals go
        {2513, "####.##", "2513."},      // the separator always stays
        {0.5, "####.##", ".5"},          // no whole part below 1
        {94.69, "####.##", "94.69"},
        {1.005, "0.00", "1.01"},         // half away from zero on the decimal form
        {2.675, "0.00", "2.68"},
        {0.125, "0.00", "0.13"},
        {-0.125, "0.00", "-0.13"},
        {-0.001, "0.00", "0.00"},        // no minus on a value that rounds to zero
        {9.999, "0.00", "10.00"},
        {999.996, "#,##0.00", "1,000.00"},
        {1234567.8, "#,##0.00", "1,234,567.80"},
        {7, "000", "007"},
        {12.5, "0", "13"},
        {21.13, "0.00 лв.", "21.13 лв."},
        {-5, "0.00;(0.00)", "(5.00)"},
        {0, "0.00;(0.00);\"нула\"", "нула"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(formatNumber(k.value, QString::fromUtf8(k.format), c), QString::fromUtf8(k.expected))
            << k.value << " " << k.format;
}

TEST(ReportFormat, NumbersUseTheRegionalSeparators)
{
    const QLocale bg(QLocale::Bulgarian, QLocale::Bulgaria);
    EXPECT_EQ(formatNumber(2513, "####.##", bg), QString("2513") + bg.decimalPoint());
    EXPECT_EQ(formatNumber(25.76, "####.##", bg), QString("25") + bg.decimalPoint() + "76");
    EXPECT_EQ(defaultText(QVariant(21.13), bg), QString("21") + bg.decimalPoint() + "13");
}

TEST(ReportFormat, DefaultTextFormOfFieldValues)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(defaultText(QVariant(), c), "");
    EXPECT_EQ(defaultText(QVariant(QMetaType::fromType<QString>()), c), "");   // NULL text
    EXPECT_EQ(defaultText(QString("  301  "), c), "  301  ");                  // blanks kept
    EXPECT_EQ(defaultText(qint64(26), c), "26");
    EXPECT_EQ(defaultText(21.13, c), "21.13");
    EXPECT_EQ(defaultText(25.0, c), "25");
    EXPECT_EQ(defaultText(0.1 + 0.2, c), "0.3");
    EXPECT_EQ(defaultText(QDate(2010, 3, 5), c), "05.03.2010");
}

TEST(ReportFormat, DatesFromStoredIsoText)
{
    EXPECT_EQ(formatValue(QString("2010-03-05"), "dd.mm.yyyy"), "05.03.2010");
    EXPECT_EQ(formatValue(QString("2010-03-05"), "d.m.yy"), "5.3.10");
    EXPECT_EQ(formatValue(QDate(2010, 12, 31), "dd.mm.yyyy"), "31.12.2010");
    // Not a date: printed as it stands rather than lost.
    EXPECT_EQ(formatValue(QString("05.03.2010"), "dd.mm.yyyy"), "05.03.2010");
    EXPECT_EQ(formatValue(QVariant(), "dd.mm.yyyy"), "");
    // A number format on text that is a number, and on text that is not.
    EXPECT_EQ(formatValue(QString("21.13"), "0.00", QLocale::c()), "21.13");
    EXPECT_EQ(formatValue(QString("абв"), "0.00", QLocale::c()), "абв");
}

TEST(ReportFormat, StoredIsoDateTextPrintsAsADate)
{
    // Dates are stored as ISO text and read back as text: with no format of
    // its own a box prints them as DD.MM.YYYY. Only exactly a real ISO date.
    const QLocale c = QLocale::c();
    struct Case {
        const char* stored;
        const char* printed;
    } cases[] = {
        {"2010-03-01", "01.03.2010"},
        {"2000-02-29", "29.02.2000"},
        {"2010-02-30", "2010-02-30"},    // no such day
        {"2010-3-1", "2010-3-1"},        // not the stored form
        {"2010-03-01 ", "2010-03-01 "},  // one blank more: text
        {" 2010-03-01", " 2010-03-01"},
        {"2010-03-01T10:00", "2010-03-01T10:00"},
        {"2010/03/01", "2010/03/01"},
        {"01.03.2010", "01.03.2010"},    // dates kept as text stay as typed
        {"20100301", "20100301"},
        {"+010-03-01", "+010-03-01"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(defaultText(QString(k.stored), c), QString(k.printed)) << k.stored;
        EXPECT_EQ(formatValue(QString(k.stored), QString(), c), QString(k.printed)) << k.stored;
    }
}

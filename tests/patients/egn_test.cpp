#include "db/values.h"
#include "patients/egn.h"
#include "patients/patientrecord.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;

namespace {

// Nine digits and the check digit they call for.
QString withCheck(const QString& nine)
{
    static const int w[9] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (nine[i].unicode() - '0') * w[i];
    return nine + QString::number(sum % 11 == 10 ? 0 : sum % 11);
}

struct EgnCase {
    const char* nine;   // digits 1-9; the check digit is added
    bool dateWrong;
    bool monthWrong;
    const char* note;
};

} // namespace

TEST(EgnRules, DateAndMonthOfRealShapedNumbers)
{
    const EgnCase cases[] = {
        {"750312654", false, false, "12.03.1975"},
        {"991231123", false, false, "31.12.1999"},
        {"100101123", false, false, "01.01.1910"},
        // leap days
        {"880229123", false, false, "29.02.1988 leap"},
        {"850229123", true, false, "29.02.1985 not leap"},
        {"850228123", false, false, "28.02.1985"},
        {"044229123", false, false, "29.02.2004 leap"},
        {"054229123", true, false, "29.02.2005 not leap"},
        {"004229123", false, false, "29.02.2000 leap"},
        {"124229123", false, false, "29.02.2012 leap"},
        {"134229123", true, false, "29.02.2013 not leap"},
        {"850230123", true, false, "30.02"},
        // day 31 in the short months, in both centuries and from 2010
        {"900431123", true, false, "31.04.1990"},
        {"900430123", false, false, "30.04.1990"},
        {"910631123", true, false, "31.06.1991"},
        {"920931123", true, false, "31.09.1992"},
        {"931131123", true, false, "31.11.1993"},
        {"054631123", true, false, "31.06.2005"},
        {"124931123", true, false, "31.09.2012"},
        {"124930123", false, false, "30.09.2012"},
        {"235131123", true, false, "31.11.2023"},
        {"235231123", false, false, "31.12.2023"},
        {"850132123", true, false, "32.01"},
        // children born from 2010 on
        {"154512123", false, false, "12.05.2015"},
        {"244101123", false, false, "01.01.2024"},
        {"095231123", false, false, "31.12.2009"},
        // month fields that no century has
        {"850012123", false, true, "month 00"},
        {"851312123", false, true, "month 13"},
        {"854012123", false, true, "month 40"},
        {"855312123", false, true, "month 53"},
        {"059912123", false, true, "month 99"},
        // 1900-1909 (first digit 0 with month 01-12) stays refused
        {"050512123", false, true, "05.05.1905"},
        // the 1800s: the month is refused and names the fault; no day check
        {"852215123", false, true, "15.02.1885"},
        {"852231123", false, true, "31.02.1885"},
        {"873212123", false, true, "12.12.1887"},
        {"050231123", false, true, "31.02.1905"},
        // day 00
        {"850300123", true, false, "day 00"},
        {"154500123", true, false, "day 00 in 2015"},
    };
    for (const EgnCase& c : cases) {
        const QString egn = withCheck(QString::fromLatin1(c.nine));
        EXPECT_EQ(IsEGNDateWrong(egn), c.dateWrong) << c.note << " " << qPrintable(egn);
        EXPECT_EQ(IsEGNMonthWrong(egn), c.monthWrong) << c.note << " " << qPrintable(egn);
        EXPECT_FALSE(IsEGNChecksumWrong(egn)) << c.note;
    }
}

TEST(EgnRules, CheckDigit)
{
    // weighted sum 2*8+4*5+8*0+5*3+10*1+9*2+7*0+3*0+6*5 = 109, 109 mod 11 = 10: check digit 0
    EXPECT_FALSE(IsEGNChecksumWrong("8503120050"));
    EXPECT_TRUE(IsEGNChecksumWrong("8503120051"));
    EXPECT_FALSE(IsEGNChecksumWrong("0442290140"));
    EXPECT_FALSE(IsEGNChecksumWrong("7545120020"));
    const QString good = withCheck("750312654");
    for (int d = 0; d <= 9; ++d) {
        QString other = good;
        other[9] = QChar('0' + d);
        EXPECT_EQ(IsEGNChecksumWrong(other), other != good) << qPrintable(other);
    }
    // one digit changed anywhere is caught
    for (int i = 0; i < 9; ++i) {
        QString other = good;
        other[i] = QChar(other[i] == QLatin1Char('9') ? '0' : other[i].unicode() + 1);
        EXPECT_TRUE(IsEGNChecksumWrong(other)) << qPrintable(other);
    }
}

TEST(EgnRules, JunkTextAndBlanks)
{
    const char* junk[] = {"", " ", "abc", "85031", "850312123", "85031212345", "ЕГН", "85-03-12-1",
                          "          ", "850312123a"};
    for (const char* j : junk) {
        const QString t = QString::fromUtf8(j);
        EXPECT_FALSE(IsTenDigits(trimBlanks(t))) << j;
        // no check raises, and a text without a tenth digit never passes the check digit
        (void)IsEGNDateWrong(t);
        (void)IsEGNMonthWrong(t);
        (void)IsOver18ByEGN(t, QDate(2024, 1, 1));
        EXPECT_TRUE(IsEGNChecksumWrong(t)) << j;
    }
    EXPECT_TRUE(IsEGNMonthWrong(""));
    EXPECT_FALSE(IsEGNDateWrong(""));   // no month to check the day against
    // blanks around: trimmed first, then ten digits
    const QString egn = withCheck("750312654");
    EXPECT_FALSE(IsTenDigits(" " + egn));
    EXPECT_TRUE(IsTenDigits(trimBlanks("  " + egn + " ")));
    EXPECT_FALSE(IsTenDigits(trimBlanks(egn + "\t")));   // only blanks are trimmed
    EXPECT_FALSE(IsTenDigits(trimBlanks(egn.left(5) + " " + egn.mid(5))));
    // fields read as numbers: blanks skipped, stop at a non-digit
    EXPECT_EQ(egnField("8 503", 1, 3), 85);
    EXPECT_EQ(egnField("8a5", 1, 3), 8);
    EXPECT_EQ(egnField("x85", 1, 3), 0);
    EXPECT_EQ(egnField("85", 3, 2), 0);
}

TEST(EgnRules, MessagesInTheirOrder)
{
    const QString month1800 = withCheck("852231123");   // the month names the fault, not the day
    EXPECT_EQ(EGNFaultMessage(month1800), QString("Грешен месец в ЕГН: \r   ") + month1800);
    // 31.09.2015 with a wrong check digit: the date comes first
    const QString good = withCheck("154931123");
    const QString dateAndSum = good.left(9) + QString::number((good.at(9).digitValue() + 1) % 10);
    EXPECT_EQ(EGNFaultMessage(dateAndSum), QString("Грешна дата в ЕГН: \r   ") + dateAndSum);
    const QString month = withCheck("851312123");
    EXPECT_EQ(EGNFaultMessage(month), QString("Грешен месец в ЕГН: \r   ") + month);
    EXPECT_EQ(EGNFaultMessage("7503126540"), QString("Грешна контролна сума в ЕГН: \r   7503126540"))
        << "check digit of 750312654 is not 0";
    EXPECT_TRUE(EGNFaultMessage(withCheck("124931123")).startsWith("Грешна дата"));
    EXPECT_EQ(EGNFaultMessage(withCheck("154512123")), QString());
}

TEST(EgnRules, Over18AroundTheBirthday)
{
    struct Case {
        const char* nine;
        QDate onDay;
        bool over;
    };
    const Case cases[] = {
        // 15.02.2005
        {"054215123", QDate(2023, 2, 14), false},
        {"054215123", QDate(2023, 2, 15), false},   // the 18th birthday itself
        {"054215123", QDate(2023, 2, 16), true},
        {"054215123", QDate(2023, 1, 31), false},
        {"054215123", QDate(2023, 3, 1), true},
        {"054215123", QDate(2022, 12, 31), false},
        {"054215123", QDate(2024, 1, 1), true},
        // 12.03.1975
        {"750312654", QDate(1993, 3, 12), false},
        {"750312654", QDate(1993, 3, 13), true},
        {"750312654", QDate(1993, 3, 11), false},
        // 29.02.2004: over 18 from 1 March 2022
        {"044229123", QDate(2022, 2, 28), false},
        {"044229123", QDate(2022, 3, 1), true},
        // from 2010: 12.05.2015
        {"154512123", QDate(2033, 5, 12), false},
        {"154512123", QDate(2033, 5, 13), true},
        {"154512123", QDate(2025, 6, 1), false},
        // month field below 41: the 1900s whatever the first digit
        {"050512123", QDate(1923, 5, 13), true},
        {"050512123", QDate(1923, 5, 12), false},
    };
    for (const Case& c : cases) {
        const QString egn = withCheck(QString::fromLatin1(c.nine));
        EXPECT_EQ(IsOver18ByEGN(egn, c.onDay), c.over) << c.nine << " " << qPrintable(c.onDay.toString());
    }
    // today comes from the program's clock
    const QString egn = withCheck("054215123");
    Clock::setToday(QDate(2023, 2, 15));
    EXPECT_FALSE(IsOver18ByEGN(egn));
    Clock::setToday(QDate(2023, 2, 16));
    EXPECT_TRUE(IsOver18ByEGN(egn));
    Clock::setToday(QDate());
}

TEST(PatientRecordRules, BirthDateAndSexFromTheEgn)
{
    EXPECT_EQ(DataBFromEGN("7503126543"), QString("12.03.1975"));
    EXPECT_EQ(DataBFromEGN("0541071234"), QString("07.01.2005"));
    EXPECT_EQ(DataBFromEGN("1549301234"), QString("30.09.2015"));
    EXPECT_EQ(DataBFromEGN("2352311234"), QString("31.12.2023"));
    EXPECT_EQ(PolFromEGN("7503126503"), QString("М"));   // ninth digit 0
    EXPECT_EQ(PolFromEGN("7503126523"), QString("М"));
    EXPECT_EQ(PolFromEGN("7503126513"), QString("Ж"));
    EXPECT_EQ(PolFromEGN("7503126593"), QString("Ж"));
    EXPECT_EQ(PolFromEGN("75031265x3"), QString("М"));   // a non-digit counts as 0
}

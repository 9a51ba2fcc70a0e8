#include "patients/egn.h"

#include "db/values.h"

#include <algorithm>

namespace tav::patients {

int egnField(const QString& egn, int position, int length)
{
    int value = 0;
    const int end = std::min<int>(position - 1 + length, int(egn.size()));
    for (int i = position - 1; i < end; ++i) {
        const QChar c = egn.at(i);
        if (c == QLatin1Char(' '))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

namespace {

struct EncodedMonth {
    int century = 0;   // 0: no month of any century
    int month = 0;
};

// The month field of each century: 01-12 the 1900s, 21-32 the 1800s, 41-52
// the 2000s, whatever the year digits.
EncodedMonth encodedMonth(int mm)
{
    if (mm >= 1 && mm <= 12)
        return {1900, mm};
    if (mm >= 21 && mm <= 32)
        return {1800, mm - 20};
    if (mm >= 41 && mm <= 52)
        return {2000, mm - 40};
    return {};
}

bool firstDigitIsZero(const QString& egn)
{
    return egnField(egn, 1, 1) == 0;
}

} // namespace

bool IsEGNDateWrong(const QString& egn)
{
    const EncodedMonth m = encodedMonth(egnField(egn, 3, 2));
    // Months the month check rejects get no day check, so that check names
    // the fault: the 1800s, and 01-12 with a first digit 0.
    if (m.century == 0 || m.century == 1800 || (m.century == 1900 && firstDigitIsZero(egn)))
        return false;
    const int day = egnField(egn, 5, 2);
    if (day == 0)
        return true;
    const int year = m.century + egnField(egn, 1, 2);
    return day > QDate(year, m.month, 1).daysInMonth();
}

bool IsEGNMonthWrong(const QString& egn)
{
    const int mm = egnField(egn, 3, 2);
    if (mm >= 41 && mm <= 52)
        return false;
    if (mm >= 1 && mm <= 12 && !firstDigitIsZero(egn))
        return false;
    return true;
}

bool IsEGNChecksumWrong(const QString& egn)
{
    static const int weights[9] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += egnField(egn, i + 1, 1) * weights[i];
    int check = sum % 11;
    if (check == 10)
        check = 0;
    // Only a digit can match: an empty or short text is not a valid EGN.
    if (egn.size() < 10 || egn.at(9) < QLatin1Char('0') || egn.at(9) > QLatin1Char('9'))
        return true;
    return check != egn.at(9).unicode() - '0';
}

bool IsOver18ByEGN(const QString& egn)
{
    return IsOver18ByEGN(egn, Clock::today());
}

bool IsOver18ByEGN(const QString& egn, const QDate& onDay)
{
    const int mm = egnField(egn, 3, 2);
    const int yy = egnField(egn, 1, 2);
    const int day = egnField(egn, 5, 2);
    const int year = mm >= 41 ? 2000 + yy : 1900 + yy;
    const int month = mm >= 41 ? mm - 40 : mm;
    const int years = onDay.year() - year;
    if (years != 18)
        return years > 18;
    if (onDay.month() != month)
        return onDay.month() > month;
    return onDay.day() > day;
}

bool IsTenDigits(const QString& text)
{
    if (text.size() != 10)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString EGNFaultMessage(const QString& egn)
{
    QString message;
    if (IsEGNDateWrong(egn))
        message = kMsgEgnDateWrong;
    else if (IsEGNMonthWrong(egn))
        message = kMsgEgnMonthWrong;
    else if (IsEGNChecksumWrong(egn))
        message = kMsgEgnChecksumWrong;
    else
        return {};
    return message + QStringLiteral("\r   ") + egn;
}

} // namespace tav::patients

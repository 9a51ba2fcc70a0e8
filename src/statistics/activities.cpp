#include "statistics/activities.h"

#include "patients/egn.h"

namespace tav::statistics {

std::optional<QDate> BirthDateFromEGN(const QString& egn)
{
    if (egn.size() < 6)
        return std::nullopt;
    for (int i = 0; i < 6; ++i)
        if (egn[i] < QLatin1Char('0') || egn[i] > QLatin1Char('9'))
            return std::nullopt;
    const auto two = [&egn](int at) { return (egn[at].unicode() - '0') * 10 + (egn[at + 1].unicode() - '0'); };
    const int yy = two(0), mm = two(2), dd = two(4);
    const QDate d = mm < 41 ? QDate(1900 + yy, mm, dd) : QDate(2000 + yy, mm - 40, dd);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

bool isFillingCode(const QString& code)
{
    if (code.size() != 3 && code.size() != 4)
        return false;
    if (code[0] != QLatin1Char('3') || code[1] != QLatin1Char('0') || code[2] < QLatin1Char('1')
        || code[2] > QLatin1Char('4'))
        return false;
    if (code.size() == 3)
        return true;
    const char16_t letter = code[3].unicode();
    return letter == u'А' || letter == u'Б' || letter == u'В' || letter == u'A' || letter == u'B';
}

int ActivityMinutes(const QString& code)
{
    if (isFillingCode(code))
        return 26;
    if (code == QLatin1String("101"))
        return 15;
    if (code == QLatin1String("332"))
        return 39;
    if (code == QLatin1String("333"))
        return 141;
    if (code == QLatin1String("508"))
        return 17;
    if (code == QLatin1String("509"))
        return 22;
    return 0;
}

bool IsOver18AtVisit(const QDate& visit, const QDate& birth)
{
    const int years = visit.year() - birth.year();
    if (years != 18)
        return years > 18;
    if (visit.month() != birth.month())
        return visit.month() > birth.month();
    return visit.day() > birth.day();
}

bool IsOver18ForCounts(const QString& egn, const QDate& visit)
{
    return patients::IsOver18ByEGN(egn, visit);
}

ActivityClass activityClass(const QString& code)
{
    if (code == QLatin1String("101"))
        return ActivityClass::C101;
    if (code == QLatin1String("103"))
        return ActivityClass::C103;
    if (isFillingCode(code))
        return ActivityClass::C301;
    if (code == QLatin1String("332"))
        return ActivityClass::C332;
    if (code == QLatin1String("333"))
        return ActivityClass::C333;
    if (code == QLatin1String("508"))
        return ActivityClass::C508;
    if (code == QLatin1String("509"))
        return ActivityClass::C509;
    return ActivityClass::None;
}

} // namespace tav::statistics

#pragma once

#include <QDate>
#include <QString>

namespace testing_support {

// Nine digits and their check digit.
inline QString egnOf(const QString& nine)
{
    static const int w[9] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (nine[i].unicode() - '0') * w[i];
    return nine + QString::number(sum % 11 == 10 ? 0 : sum % 11);
}

// A valid EGN of someone born on that day (months + 40 from 2000 on).
inline QString egnBornOn(const QDate& birth, int serial = 123)
{
    const int month = birth.year() >= 2000 ? birth.month() + 40 : birth.month();
    return egnOf(QStringLiteral("%1%2%3%4")
                     .arg(birth.year() % 100, 2, 10, QLatin1Char('0'))
                     .arg(month, 2, 10, QLatin1Char('0'))
                     .arg(birth.day(), 2, 10, QLatin1Char('0'))
                     .arg(serial % 1000, 3, 10, QLatin1Char('0')));
}

} // namespace testing_support

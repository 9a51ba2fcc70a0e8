#include "db/values.h"

#include <algorithm>
#include <cmath>

namespace tav {

QString trimBlanks(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

QVariant nullIfEmpty(const QString& s)
{
    return s.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(s);
}

QString textOf(const QVariant& v)
{
    if (v.isNull())
        return QString();
    return v.toString();
}

namespace {
bool isDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Three parts of digits apart by `separator`, the year of four digits last;
// the day first or the month first.
std::optional<QDate> dateFromParts(const QString& text, QLatin1Char separator, bool dayFirst)
{
    const QStringList parts = trimBlanks(text).split(separator);
    if (parts.size() != 3 || parts[2].size() != 4)
        return std::nullopt;
    for (const QString& p : parts)
        if (!isDigits(p) || p.size() > 4)
            return std::nullopt;
    const QDate date(parts[2].toInt(), parts[dayFirst ? 1 : 0].toInt(), parts[dayFirst ? 0 : 1].toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}
} // namespace

std::optional<QDate> dateFromDDMMYYYY(const QString& text)
{
    return dateFromParts(text, QLatin1Char('.'), true);
}

QString toDDMMYYYY(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

std::optional<QDate> dateFromMMDDYYYY(const QString& text)
{
    return dateFromParts(text, QLatin1Char('/'), false);
}

QString toMMDDYYYY(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("MM/dd/yyyy")) : QString();
}

QString toIsoDate(const QDate& d)
{
    return d.isValid() ? d.toString(Qt::ISODate) : QString();
}

QDate dateFromIso(const QVariant& v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

namespace {
QDate g_today;
}

QDate Clock::today()
{
    return g_today.isValid() ? g_today : QDate::currentDate();
}

void Clock::setToday(const QDate& d)
{
    g_today = d;
}

Money Money::fromDouble(double v)
{
    return fromUnits(std::llround(v * 10000.0));
}

Money Money::fromVariant(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::QString) {
        auto m = parse(v.toString());
        return m ? *m : Money();
    }
    return fromDouble(v.toDouble());
}

std::optional<Money> Money::parse(const QString& text)
{
    QString t = trimBlanks(text);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty())
        return std::nullopt;
    bool neg = false;
    if (t.startsWith(QLatin1Char('-'))) {
        neg = true;
        t.remove(0, 1);
    }
    const QStringList parts = t.split(QLatin1Char('.'));
    if (parts.size() > 2 || (parts[0].isEmpty() && (parts.size() < 2 || parts[1].isEmpty())))
        return std::nullopt;
    std::int64_t whole = 0;
    for (QChar c : parts[0]) {
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
        whole = whole * 10 + (c.unicode() - '0');
        if (whole > 100'000'000'000LL)
            return std::nullopt;
    }
    std::int64_t frac = 0;
    int digits = 0;
    bool roundUp = false;
    if (parts.size() == 2) {
        for (QChar c : parts[1]) {
            if (c.unicode() < '0' || c.unicode() > '9')
                return std::nullopt;
            if (digits < 4) {
                frac = frac * 10 + (c.unicode() - '0');
                ++digits;
            } else if (digits == 4) {
                roundUp = c.unicode() >= '5';
                ++digits;
            }
        }
    }
    while (digits < 4) {
        frac *= 10;
        ++digits;
    }
    std::int64_t u = whole * 10000 + frac + (roundUp ? 1 : 0);
    return fromUnits(neg ? -u : u);
}

namespace {
std::int64_t pow10(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}
}

Money Money::truncated(int decimals) const
{
    const std::int64_t step = pow10(4 - std::clamp(decimals, 0, 4));
    return fromUnits(units_ / step * step);
}

Money Money::rounded(int decimals) const
{
    const std::int64_t step = pow10(4 - std::clamp(decimals, 0, 4));
    const std::int64_t half = step / 2;
    const std::int64_t a = units_ < 0 ? -units_ : units_;
    const std::int64_t r = (a + half) / step * step;
    return fromUnits(units_ < 0 ? -r : r);
}

QString Money::format(int decimals) const
{
    decimals = std::clamp(decimals, 0, 4);
    const Money r = rounded(decimals);
    std::int64_t a = r.units_ < 0 ? -r.units_ : r.units_;
    const std::int64_t whole = a / 10000;
    QString s = QString::number(whole);
    if (decimals > 0) {
        const std::int64_t frac = (a % 10000) / pow10(4 - decimals);
        s += QLatin1Char('.') + QString::number(frac).rightJustified(decimals, QLatin1Char('0'));
    }
    if (r.units_ < 0)
        s.prepend(QLatin1Char('-'));
    return s;
}

} // namespace tav

#include "report/format.h"

#include "db/values.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace tav::report {

QLocale reportLocale()
{
    return QLocale();
}

namespace {

// A non-negative value as decimal digits: value = 0.digits × 10^point,
// taken at 15 significant digits as the regional conversions do.
struct Decimal {
    QString digits;
    int point = 0;
};

Decimal toDecimal(double a)
{
    if (a == 0 || !std::isfinite(a))
        return {QStringLiteral("0"), 1};
    const QString e = QString::number(a, 'e', 14);
    const int ePos = e.indexOf(QLatin1Char('e'));
    QString mant = e.left(ePos);
    mant.remove(QLatin1Char('.'));
    return {mant, e.mid(ePos + 1).toInt() + 1};
}

// Rounded half away from zero at `decimals` places; returns the whole part
// (no leading zeros, empty for 0) and exactly `decimals` decimal digits.
std::pair<QString, QString> rounded(double a, int decimals)
{
    Decimal d = toDecimal(a);
    const int keep = d.point + decimals;
    if (keep < 0) {
        d.digits.clear();
    } else if (keep < d.digits.size()) {
        const bool up = d.digits[keep] >= QLatin1Char('5');
        d.digits.truncate(keep);
        if (up) {
            int i = d.digits.size() - 1;
            while (i >= 0 && d.digits[i] == QLatin1Char('9')) {
                d.digits[i] = QLatin1Char('0');
                --i;
            }
            if (i >= 0) {
                d.digits[i] = QChar(d.digits[i].unicode() + 1);
            } else {
                d.digits.prepend(QLatin1Char('1'));
                ++d.point;
            }
        }
    }
    QString whole, frac;
    if (d.point > 0) {
        whole = d.digits.left(d.point);
        while (whole.size() < d.point)
            whole += QLatin1Char('0');
        frac = d.digits.mid(d.point);
    } else {
        frac = QString(-d.point, QLatin1Char('0')) + d.digits;
    }
    frac = frac.left(decimals);
    while (frac.size() < decimals)
        frac += QLatin1Char('0');
    int z = 0;
    while (z < whole.size() && whole[z] == QLatin1Char('0'))
        ++z;
    whole = whole.mid(z);
    return {whole, frac};
}

bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('.') || c == QLatin1Char(',');
}

// Literal text of a format: quotes and backslash escapes removed.
QString literal(const QString& s)
{
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('\\') && i + 1 < s.size())
            out += s[++i];
        else if (s[i] != QLatin1Char('"'))
            out += s[i];
    }
    return out;
}

QString formatSection(double a, bool negative, const QString& fmt, const QLocale& locale)
{
    // The number is the run from the first placeholder to the last digit
    // placeholder (and a point right after it); the rest is literal text.
    int first = -1, last = -1;
    for (int i = 0; i < fmt.size(); ++i) {
        if (first < 0 && isPlaceholder(fmt[i]))
            first = i;
        if (fmt[i] == QLatin1Char('0') || fmt[i] == QLatin1Char('#'))
            last = i;
    }
    if (first < 0 || last < 0)
        return literal(fmt);
    if (last + 1 < fmt.size() && fmt[last + 1] == QLatin1Char('.'))
        ++last;
    const QString prefix = literal(fmt.left(first));
    const QString suffix = literal(fmt.mid(last + 1));
    QString body = fmt.mid(first, last - first + 1);
    if (fmt.contains(QLatin1Char('%')))
        a *= 100;

    const int dot = body.indexOf(QLatin1Char('.'));
    const QString intPart = dot < 0 ? body : body.left(dot);
    const QString fracPart = dot < 0 ? QString() : body.mid(dot + 1);
    const bool group = intPart.contains(QLatin1Char(','));
    const int minWhole = int(intPart.count(QLatin1Char('0')));
    const int fracZeros = int(fracPart.count(QLatin1Char('0')));
    const int fracMax = fracZeros + int(fracPart.count(QLatin1Char('#')));

    auto [whole, frac] = rounded(a, fracMax);
    while (whole.size() < minWhole)
        whole.prepend(QLatin1Char('0'));
    while (frac.size() > fracZeros && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (group && whole.size() > 3) {
        const QString sep = locale.groupSeparator();
        for (int i = int(whole.size()) - 3; i > 0; i -= 3)
            whole.insert(i, sep);
    }
    const bool zero = whole.count(QLatin1Char('0')) == whole.size() && frac.count(QLatin1Char('0')) == frac.size();
    QString out = prefix;
    if (negative && !zero)
        out += locale.negativeSign();
    out += whole;
    if (dot >= 0)
        out += locale.decimalPoint();
    out += frac;
    out += suffix;
    return out;
}

} // namespace

QString formatNumber(double value, const QString& format, const QLocale& locale)
{
    const QStringList sections = format.split(QLatin1Char(';'));
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return formatSection(-value, false, sections[1], locale);
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return formatSection(0, false, sections[2], locale);
    return formatSection(std::fabs(value), value < 0, sections[0], locale);
}

bool isDateFormat(const QString& format)
{
    const QString f = literal(format).toLower();
    return f.contains(QLatin1Char('d')) || f.contains(QLatin1Char('y'));
}

QString formatDate(const QDate& date, const QString& format)
{
    if (!date.isValid())
        return {};
    QString out;
    const QString f = format;
    for (int i = 0; i < f.size();) {
        const QChar c = f[i].toLower();
        int n = 1;
        while (i + n < f.size() && f[i + n].toLower() == c)
            ++n;
        if (c == QLatin1Char('d')) {
            out += n >= 2 ? QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0')) : QString::number(date.day());
        } else if (c == QLatin1Char('m')) {
            out += n >= 2 ? QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0')) : QString::number(date.month());
        } else if (c == QLatin1Char('y')) {
            out += n >= 3 ? QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))
                          : QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
        } else if (f[i] == QLatin1Char('\\') && i + 1 < f.size()) {
            out += f[i + 1];
            i += 2;
            continue;
        } else if (f[i] != QLatin1Char('"')) {
            out += QString(n, f[i]);
        }
        i += n;
    }
    return out;
}

QString defaultText(const QVariant& value, const QLocale& locale)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QString: {
        // Dates come back from the database as their stored ISO text.
        const QString t = value.toString();
        static const QRegularExpression iso(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
        if (t.size() == 10 && iso.match(t).hasMatch()) {
            const QDate d = QDate::fromString(t, Qt::ISODate);
            if (d.isValid())
                return toDDMMYYYY(d);
        }
        return t;
    }
    case QMetaType::QDate:
        return toDDMMYYYY(value.toDate());
    case QMetaType::QDateTime:
        return toDDMMYYYY(value.toDateTime().date());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        QString s = QString::number(d, 'g', 15);
        if (!s.contains(QLatin1Char('e')))
            s.replace(QLatin1Char('.'), locale.decimalPoint());
        return s;
    }
    default:
        return value.toString();
    }
}

QString formatValue(const QVariant& value, const QString& format, const QLocale& locale)
{
    if (format.isEmpty())
        return defaultText(value, locale);
    if (!value.isValid() || value.isNull())
        return {};
    if (isDateFormat(format)) {
        QDate d;
        if (value.typeId() == QMetaType::QDate)
            d = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else
            d = dateFromIso(value);
        return d.isValid() ? formatDate(d, format) : defaultText(value, locale);
    }
    bool ok = false;
    double d = 0;
    if (value.typeId() == QMetaType::QString) {
        QString t = value.toString().trimmed();
        d = t.toDouble(&ok);
        if (!ok)
            d = locale.toDouble(t, &ok);
    } else {
        d = value.toDouble(&ok);
    }
    return ok ? formatNumber(d, format, locale) : defaultText(value, locale);
}

} // namespace tav::report

#pragma once
// Text, Null, date and money rules shared by every module.

#include <QDate>
#include <QString>
#include <QVariant>
#include <compare>
#include <cstdint>
#include <optional>

namespace tav {

// Removes blanks (U+0020) at both ends; other white space stays.
QString trimBlanks(const QString& s);

// An empty text is stored as NULL; a NULL reads back as "".
QVariant nullIfEmpty(const QString& s);
QString textOf(const QVariant& v);

// "DD.MM.YYYY" as typed; nullopt when it is not a real date.
std::optional<QDate> dateFromDDMMYYYY(const QString& text);
QString toDDMMYYYY(const QDate& d);
// "MM/DD/YYYY", the form in which a period is handed between forms.
std::optional<QDate> dateFromMMDDYYYY(const QString& text);
QString toMMDDYYYY(const QDate& d);
// ISO "YYYY-MM-DD", the stored form of a date field.
QString toIsoDate(const QDate& d);
QDate dateFromIso(const QVariant& v);

// The one clock of the program; tests fix "today".
class Clock {
public:
    static QDate today();
    static void setToday(const QDate& d);   // an invalid date restores the system clock
};

// Fixed-point money of 1/10000 lev; every sum and format goes through it.
class Money {
public:
    constexpr Money() = default;
    static Money fromDouble(double v);      // rounded at the fourth decimal
    static Money fromVariant(const QVariant& v);  // NULL counts as 0
    static constexpr Money fromUnits(std::int64_t u) { Money m; m.units_ = u; return m; }
    static std::optional<Money> parse(const QString& text); // "12.50" or "12,50"

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return double(units_) / 10000.0; }
    // Cuts (does not round) below the given number of decimals.
    Money truncated(int decimals) const;
    Money rounded(int decimals) const;
    // Decimal point "."; exactly `decimals` digits after it, rounded.
    QString format(int decimals = 2) const;

    Money operator+(Money o) const { return fromUnits(units_ + o.units_); }
    Money operator-(Money o) const { return fromUnits(units_ - o.units_); }
    Money operator*(std::int64_t n) const { return fromUnits(units_ * n); }
    Money& operator+=(Money o) { units_ += o.units_; return *this; }
    Money& operator-=(Money o) { units_ -= o.units_; return *this; }
    auto operator<=>(const Money&) const = default;

private:
    std::int64_t units_ = 0;
};

} // namespace tav

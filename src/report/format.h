#pragma once
// How bound values become printed text.

#include <QLocale>
#include <QString>
#include <QVariant>

namespace tav::report {

// The regional settings the reports print numbers with (QLocale's default).
QLocale reportLocale();

// A field's default text form: text as stored (blanks kept), whole numbers in
// digits, other numbers with up to 15 significant digits and the regional
// decimal separator, dates (and text that is exactly a stored ISO date,
// "YYYY-MM-DD") as DD.MM.YYYY; NULL prints nothing.
QString defaultText(const QVariant& value, const QLocale& locale = reportLocale());

// A stored number format of the kind "####.##", "0.00", "#,##0.00": `0` a
// digit always printed, `#` a digit printed when significant, `.` the regional
// decimal separator (always printed when the format has one), `,` in the whole
// part groups thousands; other characters before and after are printed as they
// stand. Up to three sections "positive;negative;zero". Rounds half away from
// zero on the value's decimal form. So "####.##" prints 25.76 as "25.76",
// 211.3 as "211.3", 2513 as "2513." and 0.5 as ".5".
QString formatNumber(double value, const QString& format, const QLocale& locale = reportLocale());

// A date format of d, dd, m, mm, yy, yyyy and literal characters ("dd.mm.yyyy").
QString formatDate(const QDate& date, const QString& format);
bool isDateFormat(const QString& format);

// A value with a layout's format: a date format takes a date (or ISO date
// text), a number format a number (text that is no number prints as stored);
// an empty format gives the default text form.
QString formatValue(const QVariant& value, const QString& format, const QLocale& locale = reportLocale());

} // namespace tav::report

#pragma once
// The rules the period reports apply to one activity: its fixed minutes, its
// class in the fund's counts, and the patient's age at the visit.

#include <QDate>
#include <QString>
#include <optional>

namespace tav::statistics {

// The birth date in the EGN's first six digits: month field below 41 the
// 1900s, 41 and up the 2000s (month minus 40). Nothing when they are not six
// digits or give no real day (month 00, 13-40, above 52, a day the month lacks).
std::optional<QDate> BirthDateFromEGN(const QString& egn);

// The fund's minutes of an activity code, compared whole and case-sensitive:
// 101 15; 301-304, bare or with Cyrillic А Б В or Latin A B, 26; 332 39;
// 333 141; 508 17; 509 22; anything else 0.
int ActivityMinutes(const QString& code);

// Over 18 strictly after the 18th birthday: the birthday itself is under.
bool IsOver18AtVisit(const QDate& visit, const QDate& birth);

// The age group of one activity in the fund's counts: the EGN's fields against
// the visit date field by field, which gives IsOver18AtVisit of the birth date
// for every EGN that has one, and an answer for every other text as well.
bool IsOver18ForCounts(const QString& egn, const QDate& visit);

enum class ActivityClass { None, C101, C103, C301, C332, C333, C508, C509 };

// The class of a code in the fund's counts ("103" is a class of the
// specification only; the summary by age group leaves it out).
ActivityClass activityClass(const QString& code);

// The 24 codes of the filling group.
bool isFillingCode(const QString& code);

} // namespace tav::statistics

#pragma once
// Today's working-time budget: 360 minutes less the activities of every
// doctor dated today, by a fixed table of minutes per activity code.

#include <QDate>
#include <QString>

namespace tav {

inline constexpr int kWorkingDayMinutes = 360;

// Minutes the budget counts for an activity code, compared exactly; 0 for a
// code it does not know ("103" too).
int BudgetMinutes(const QString& kodHelp);
// 360 less the minutes of every row dated that day. Throws db::DbError.
int MinutesLeftOn(const QDate& day);
// Sets MinutesLeftToday for the program's today. Throws db::DbError.
void ComputeMinutesLeftToday();

} // namespace tav

#include "treatments/timebudget.h"

#include "db/database.h"
#include "db/values.h"
#include "services/globals.h"

namespace tav {

int BudgetMinutes(const QString& kodHelp)
{
    struct Entry {
        const char16_t* code;
        int minutes;
    };
    static const Entry table[] = {
        {u"101", 15}, {u"301", 26}, {u"301А", 26}, {u"301Б", 26},   // Cyrillic А and Б
        {u"332", 39}, {u"333", 141}, {u"508", 17}, {u"509", 22},
    };
    for (const Entry& e : table)
        if (kodHelp == QStringView(e.code))
            return e.minutes;
    return 0;
}

int MinutesLeftOn(const QDate& day)
{
    db::Connection c = db::Connection::main();
    int left = kWorkingDayMinutes;
    for (const db::Row& r : c.query(QStringLiteral("SELECT KodHelp, COUNT(*) AS n FROM Help WHERE Data = ? GROUP BY KodHelp COLLATE BINARY"),
                                    {day}))
        left -= BudgetMinutes(r.text(QStringLiteral("KodHelp"))) * r.toInt(QStringLiteral("n"));
    return left;
}

void ComputeMinutesLeftToday()
{
    MinutesLeftToday = MinutesLeftOn(Clock::today());
}

} // namespace tav

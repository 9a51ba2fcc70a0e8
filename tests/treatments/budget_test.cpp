#include "fixtures.h"

#include "db/values.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "treatments/timebudget.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace treatments_test;
using testing_support::TestFolder;

TEST(Budget, MinutesPerCodeExactly)
{
    const std::pair<QString, int> cases[] = {
        {"101", 15}, {"301", 26}, {"301А", 26}, {"301Б", 26}, {"332", 39}, {"333", 141}, {"508", 17}, {"509", 22},
        {"103", 0}, {"302", 0},
        {"301A", 0},    // Latin A
        {"301а", 0},    // Cyrillic lower case
        {" 101", 0}, {"", 0},
    };
    for (const auto& [code, minutes] : cases)
        EXPECT_EQ(BudgetMinutes(code), minutes) << code.toStdString();
}

TEST(Budget, TodaysRowsOfEveryDoctor)
{
    TestFolder folder;
    const QDate today(2026, 4, 20);
    Clock::setToday(today);
    const QString egn = egnOf("750312123");
    struct Case {
        const char* what;
        QList<std::tuple<QDate, QString, QString>> rows;   // date, code, doctor
        int left;
    };
    const Case cases[] = {
        {"no row today", {{today.addDays(-1), "333", "1"}, {QDate(), "333", "1"}}, 360},
        {"333, 301 and 301Б", {{today, "333", "1"}, {today, "301", "1"}, {today, "301Б", "1"}}, 167},
        {"103 and 302 take nothing", {{today, "103", "1"}, {today, "302", "1"}}, 360},
        {"another doctor's rows count", {{today, "101", "1"}, {today, "101", "2"}, {today, "509", "3"}}, 308},
        {"a code with its letter in both cases", {{today, "301Б", "1"}, {today, "301б", "1"}}, 334},
        {"a busy day goes below zero", {{today, "333", "1"}, {today, "333", "1"}, {today, "333", "1"}}, -63},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        db::Connection::main().exec("DELETE FROM Help");
        for (const auto& [d, code, doctor] : k.rows)
            addHelp({egn, d, code, doctor});
        EXPECT_EQ(MinutesLeftOn(today), k.left);
        MinutesLeftToday = 12345;
        ComputeMinutesLeftToday();
        EXPECT_EQ(MinutesLeftToday, k.left);
    }
}

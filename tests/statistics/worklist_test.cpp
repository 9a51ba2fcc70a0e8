// The work list's preparation: one line per patient of the doctor's period.

#include "fixtures.h"
#include "statistics/preparation.h"
#include "statistics/tempdb.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;
using namespace statistics_test;
using testing_support::TestFolder;

namespace {

struct Line {
    QString data, name, egn, age, codes;
    int time;
};

QVector<Line> workLines()
{
    QVector<Line> out;
    for (const db::Row& r : tempRows("TempWork"))
        out.push_back({r.text("Data"), r.text("Name1"), r.text("EGN"), r.text("Godini"), r.text("KodHelp"),
                       r.toInt("Time")});
    return out;
}

const QDate kFirst(2010, 3, 1), kLast(2010, 3, 31);

} // namespace

TEST(WorkList, OneLinePerPatientInTheOrderEachFirstComes)
{
    TestFolder folder;
    CreateTempTable("TempWork");
    const QString a = egnFor(QDate(1999, 6, 20)), b = egnFor(QDate(1975, 3, 12)), c = egnFor(QDate(2004, 1, 5));
    addPatient(a, "Анна Петрова Колева");
    addPatient(b, "Борис Иванов Стоянов");
    addPatient(c, "Цветан Николов Попов");
    // Entered out of date order: the list goes by date, then code, then entry.
    addTreatments({
        {a, QDate(2010, 3, 10), "301А"},
        {a, QDate(2010, 3, 3), "101"},
        {b, QDate(2010, 3, 5), "508"},
        {b, QDate(2010, 3, 5), "101"},
        {b, QDate(2010, 3, 5), "301"},
        {c, QDate(2010, 3, 31), "103"},    // the last day
        {c, QDate(2010, 3, 1), "304В"},    // the first day
        {c, QDate(2010, 3, 2), "304B"},
        {c, QDate(2010, 3, 2), "304"},
        {c, QDate(2010, 3, 20), "304b"},
        {c, QDate(2010, 3, 20), "304Б "},
        {c, QDate(2010, 3, 20), "305"},
        // Left out: another doctor, and days outside the period.
        {a, QDate(2010, 3, 4), "509", "D2"},
        {b, QDate(2010, 2, 28), "101"},
        {b, QDate(2010, 4, 1), "101"},
        {egnFor(QDate(1980, 1, 1)), QDate(2010, 3, 15), "101", "D2"},
    });

    int seen = 0, total = 0;
    const int rows = FillTempWork(kFirst, kLast, "D1", [&](int position, int n) {
        EXPECT_EQ(position, ++seen);
        total = n;
    });
    EXPECT_EQ(rows, 12);
    EXPECT_EQ(total, 12);
    EXPECT_EQ(seen, 12);

    const QVector<Line> lines = workLines();
    ASSERT_EQ(lines.size(), 3);
    // c's first day is the period's first; a's 3rd; b's 5th.
    EXPECT_EQ(lines[0].egn, c);
    EXPECT_EQ(lines[0].data, "2010-03-01");
    EXPECT_EQ(lines[0].name, "Цветан Николов Попов");
    EXPECT_EQ(lines[0].age, "6");
    EXPECT_EQ(lines[0].codes, "304В,304,304B,304b,304Б ,305,103");
    EXPECT_EQ(lines[0].time, 3 * 26);

    EXPECT_EQ(lines[1].egn, a);
    EXPECT_EQ(lines[1].data, "2010-03-03");
    EXPECT_EQ(lines[1].codes, "101,301А");
    EXPECT_EQ(lines[1].time, 41);
    EXPECT_EQ(lines[1].age, "11");   // 2010 - 1999, the birthday still to come

    EXPECT_EQ(lines[2].egn, b);
    EXPECT_EQ(lines[2].data, "2010-03-05");
    EXPECT_EQ(lines[2].codes, "101,301,508");
    EXPECT_EQ(lines[2].time, 15 + 26 + 17);
    EXPECT_EQ(lines[2].age, "35");
}

TEST(WorkList, TheCodesOfADayGoWithoutRegardToCase)
{
    // Latin letters before Cyrillic ones, a capital with its small letter;
    // a code that differs only in case keeps the order of entry.
    TestFolder folder;
    CreateTempTable("TempWork");
    const QString egn = egnFor(QDate(1970, 1, 1));
    QVector<Treatment> rows;
    for (const char* code : {"301в", "301Б", "301а", "301b", "301B", "301a"})
        rows.push_back({egn, QDate(2010, 3, 8), code});
    addTreatments(rows);
    FillTempWork(kFirst, kLast, "D1");
    const QVector<Line> lines = workLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].codes, "301a,301b,301B,301а,301Б,301в");
}

TEST(WorkList, LongListsAndNamesAreKeptWholeAndGapsLeaveCellsEmpty)
{
    TestFolder folder;
    CreateTempTable("TempWork");
    const QString many = egnFor(QDate(1960, 7, 7));
    const QString longName = "Александра-Магдалена Константинова Христова-Великова-Първанова";
    ASSERT_GT(longName.size(), 50);
    addPatient(many, longName);
    const QStringList codes = {"101", "301А", "301Б", "332", "333", "508", "509"};
    QVector<Treatment> rows;
    for (const QString& code : codes)
        rows.push_back({many, QDate(2010, 3, 8), code});
    const QString unknown = egnFor(QDate(1970, 1, 1));   // no Pacients row
    const QString noDate = "7513129999";                 // month 13: no birth date
    addPatient(noDate, "Без Дата");
    rows += QVector<Treatment>{
        {unknown, QDate(2010, 3, 9), "101"},
        {noDate, QDate(2010, 3, 10), "101"},
        {kNull, QDate(2010, 3, 11), "101"},   // no EGN: no line
        {"", QDate(2010, 3, 11), "101"},
        {unknown, QDate(2010, 3, 12), kNull},   // no code
    };
    addTreatments(rows);

    EXPECT_EQ(FillTempWork(kFirst, kLast, "D1"), 12);
    const QVector<Line> lines = workLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].codes, codes.join(','));
    EXPECT_GT(lines[0].codes.size(), 25);
    EXPECT_EQ(lines[0].name, longName);
    EXPECT_EQ(lines[0].time, 15 + 26 + 26 + 39 + 141 + 17 + 22);
    EXPECT_EQ(lines[1].egn, unknown);
    EXPECT_EQ(lines[1].name, "");
    EXPECT_EQ(lines[1].age, "40");
    EXPECT_EQ(lines[1].codes, "101");   // the row without a code adds nothing
    EXPECT_EQ(lines[1].time, 15);
    EXPECT_EQ(lines[2].egn, noDate);
    EXPECT_EQ(lines[2].age, "");
    EXPECT_EQ(lines[2].name, "Без Дата");
}

TEST(WorkList, AnEmptyPeriodLeavesTheTableEmptyAndARunReplacesWhatWasThere)
{
    TestFolder folder;
    CreateTempTable("TempWork");
    addTreatment(egnFor(QDate(1980, 1, 1)), QDate(2010, 3, 8), "101");
    int calls = 0;
    EXPECT_EQ(FillTempWork(QDate(2011, 1, 1), QDate(2011, 1, 31), "D1", [&](int, int) { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(workLines().isEmpty());
    // A start after the end finds nothing either.
    EXPECT_EQ(FillTempWork(kLast, kFirst, "D1"), 0);
    FillTempWork(kFirst, kLast, "D1");
    FillTempWork(kFirst, kLast, "D1");
    EXPECT_EQ(workLines().size(), 1);
    // Nothing written when the table is not there.
    CreateTempTable("TempSpec");
    EXPECT_THROW(FillTempWork(kFirst, kLast, "D1"), db::DbError);
}

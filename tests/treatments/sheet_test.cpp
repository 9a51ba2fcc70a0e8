#include "fixtures.h"

#include "db/values.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "treatments/sheetprep.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::treatments;
using namespace treatments_test;
using testing_support::TestFolder;

namespace {

class Sheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrintEGN.clear();
        PrintDentalStatus = false;
    }
    db::Rows tempKarton()
    {
        return db::Connection::main().query("SELECT * FROM TempKarton ORDER BY RecID");
    }
    TestFolder folder;
    const QString egn = egnOf("750312123");
    const QDate d1{2026, 3, 2}, d2{2026, 3, 9};
};

} // namespace

TEST_F(Sheet, CopiesTheDueRowsSpreadAndMarksThem)
{
    const qint64 exam = addHelp({egn, d1, "101", "1", "000001", true, "", "Преглед"});
    const qint64 fill = addHelp({egn, d1, "301", "1", "000001", true, "36", "Caries media", "Обт.амалгама"});
    const qint64 old = addHelp({egn, d1, "509", "1", "000001", false, "47", "R.gangr.", "Екстракция"});
    const qint64 other = addHelp({egnOf("800101123"), d1, "101", "1", "000002", true});
    db::Connection::main().exec("UPDATE Help SET Schet = 0");

    QStringList warnings;
    const SheetPlan plan = PrepareOutpatientSheet(egn, [&](const QString& m) { warnings << m; });
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(plan.printDentalStatus);
    EXPECT_TRUE(PrintDentalStatus);
    EXPECT_EQ(PrintEGN, egn);

    const db::Rows t = tempKarton();
    ASSERT_EQ(t.size(), 2);
    EXPECT_EQ(dateFromIso(t[0].value("Data")), d1);
    EXPECT_EQ(t[0].text("Help"), QString("Преглед"));
    EXPECT_EQ(t[0].text("KodHelp"), QString("1  0  1"));
    EXPECT_TRUE(t[0].value("KodZab").isNull());
    EXPECT_EQ(t[1].text("KodHelp"), QString("3  0  1"));
    EXPECT_EQ(t[1].text("KodZab"), QString("3  6"));
    EXPECT_EQ(t[1].text("TextHelp"), QString("Обт.амалгама"));

    for (qint64 id : {exam, fill}) {
        EXPECT_EQ(helpField(id, "ZK").toInt(), 0);
        EXPECT_EQ(helpField(id, "Schet").toInt(), 1);
    }
    EXPECT_EQ(helpField(old, "Schet").toInt(), 0);   // not due: left alone
    EXPECT_EQ(helpField(other, "ZK").toInt(), 1);    // another patient

    // A second preparation finds nothing due and empties the table.
    const SheetPlan again = PrepareOutpatientSheet(egn);
    EXPECT_TRUE(again.tempRows.isEmpty());
    EXPECT_FALSE(PrintDentalStatus);
    EXPECT_EQ(countRows("TempKarton"), 0);
}

TEST_F(Sheet, OrderAndSpreadingOfTheCodes)
{
    // Added out of order: the sheet follows date, then code.
    addHelp({egn, d2, "101", "1", "", true});
    addHelp({egn, d1, "509", "1", "", true, " 1 "});
    addHelp({egn, d1, "301А", "1", "", true, "123456789012"});
    addHelp({egn, d1, "", "1", "", true, "   "});
    addHelp({egn, d1, " 32", "1", "", true});
    QStringList warnings;
    PrepareOutpatientSheet(egn, [&](const QString& m) { warnings << m; });
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], QString("Кода е по-голям от 3 символа!\r Ще бъде съкратен при печата!"));
    EXPECT_TRUE(PrintDentalStatus);

    const db::Rows t = tempKarton();
    ASSERT_EQ(t.size(), 5);
    struct Want {
        QString kod;
        QVariant zab;
    };
    const Want want[] = {
        {"", QVariant()},                                      // empty code: stored empty, no message
        {"3  2", QVariant()},                                  // " 32": the code as the box shows it
        {"3  0  1", "1  2  3  4  5  6  7  8  9  0"},           // cut to three; ten tooth characters
        {"5  0  9", "1"},
        {"1  0  1", QVariant()},
    };
    for (int i = 0; i < t.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t[i].text("KodHelp"), want[i].kod);
        if (want[i].zab.isNull())
            EXPECT_TRUE(t[i].value("KodZab").isNull());
        else
            EXPECT_EQ(t[i].text("KodZab"), want[i].zab.toString());
    }
    EXPECT_EQ(dateFromIso(t[4].value("Data")), d2);
}

TEST_F(Sheet, NothingDueStillEmptiesTheTable)
{
    db::Connection::main().exec("INSERT INTO TempKarton (KodHelp) VALUES ('x'), ('y')");
    addHelp({egn, d1, "101", "1", "", false});
    const SheetPlan plan = PrepareOutpatientSheet(egn);
    EXPECT_TRUE(plan.tempRows.isEmpty());
    EXPECT_FALSE(PrintDentalStatus);
    EXPECT_EQ(PrintEGN, egn);
    EXPECT_EQ(countRows("TempKarton"), 0);
}

TEST_F(Sheet, AFailedWriteChangesNothing)
{
    db::Connection::main().exec("INSERT INTO TempKarton (KodHelp) VALUES ('old')");
    const qint64 a = addHelp({egn, d1, "101", "1", "", true});
    const qint64 b = addHelp({egn, d1, "301", "1", "", true});
    // The second row's mark is refused by the engine.
    db::Connection::main().exec(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE UPDATE ON Help WHEN OLD.RecID = %1 BEGIN SELECT RAISE(ABORT, 'refused'); END").arg(b));
    QStringList warnings;
    EXPECT_THROW(PrepareOutpatientSheet(egn, [&](const QString& m) { warnings << m; }), db::DbError);
    EXPECT_EQ(helpField(a, "ZK").toInt(), 1);
    EXPECT_EQ(helpField(a, "Schet").toInt(), 0);
    const db::Rows t = tempKarton();
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(t[0].text("KodHelp"), QString("old"));
}

TEST_F(Sheet, TheMessagesComeBeforeTheWrites)
{
    db::Connection::main().exec("INSERT INTO TempKarton (KodHelp) VALUES ('old')");
    const qint64 id = addHelp({egn, d1, "301Б", "1", "", true});
    int dueWhenWarned = -1;
    QString tempWhenWarned;
    PrepareOutpatientSheet(egn, [&](const QString&) {
        dueWhenWarned = helpField(id, "ZK").toInt();
        tempWhenWarned = db::Connection::main().scalar("SELECT group_concat(KodHelp) FROM TempKarton").toString();
    });
    EXPECT_EQ(dueWhenWarned, 1);
    EXPECT_EQ(tempWhenWarned, QString("old"));
    EXPECT_EQ(helpField(id, "ZK").toInt(), 0);
}

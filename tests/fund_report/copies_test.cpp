// The fund report beside another copy of the program that saves: the report
// only reads, so it neither waits for that copy's write nor keeps the copy
// from beginning one while the report is written.

#include "fixtures.h"

#include "db/values.h"
#include "fund_report/exportxml.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace tav;
using namespace tav::fund_report;
using namespace fund_fixture;
using testing_support::SecondCopy;
using testing_support::TestFolder;

TEST(FundReportBesideAnotherCopy, NeitherWaitsForAnotherCopysSaveNorHoldsOneBack)
{
    TestFolder folder;
    Clock::setToday(QDate(2010, 4, 5));
    CurrentDoctorCode = kDoctor;
    fillSmallPractice();

    // Another copy in the middle of a save, holding the write lock.
    {
        SecondCopy saving("hold", {DatabasePath, "immediate"});
        ASSERT_FALSE(saving.waitFor("holding").isEmpty()) << saving.errorOutput().toStdString();
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(ExportReportXml("03/01/2010", "03/31/2010").entries, 3);
        EXPECT_LT(t.elapsed(), db::kBusyTimeoutMs);
        saving.send("commit");
        EXPECT_FALSE(saving.waitFor("committed").isEmpty()) << saving.lines().join('\n').toStdString();
    }

    // Another copy beginning a save while the report is being written.
    std::unique_ptr<SecondCopy> saving;
    QString began;
    ExportReportXml("03/01/2010", "03/31/2010", [&](int position, int) {
        if (position != 1)
            return;
        saving = std::make_unique<SecondCopy>("hold", QStringList{DatabasePath, "immediate"});
        began = saving->waitFor("holding", 2 * db::kBusyTimeoutMs);
    });
    ASSERT_NE(saving, nullptr);
    EXPECT_FALSE(began.isEmpty()) << saving->lines().join('\n').toStdString();
    saving->send("commit");
    EXPECT_FALSE(saving->waitFor("committed").isEmpty()) << saving->lines().join('\n').toStdString();
    CurrentDoctorCode.clear();
}

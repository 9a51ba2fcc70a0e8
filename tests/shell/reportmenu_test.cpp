// The main window's period report items and the toolbar's "PrintZOK".

#include "support/program_folder.h"

#include "db/database.h"
#include "services/globals.h"
#include "shell/frmmain.h"
#include "statistics/period.h"
#include "statistics/periodreports.h"
#include "statistics/reportitems.h"
#include "statistics/seekdate.h"
#include "support/modal_script.h"

#include <QAction>
#include <gtest/gtest.h>

using testing_support::ModalScript;
using testing_support::TestFolder;

TEST(ReportMenu, EachItemPreparesItsTableAndShowsThePeriodDialog)
{
    TestFolder folder;
    tav::frmMain w;
    ASSERT_TRUE(w.load([](QWidget*) {
        tav::CurrentDoctorCode = "2200001";
        tav::CurrentDoctorName = "Мария Иванова";
        return true;
    }));
    QVector<QWidget*> shown;
    tav::statistics::periodDialogOpener() = [&](QWidget* owner) { shown << owner; };
    const auto table = [] {
        tav::db::Connection c = tav::db::Connection::temp();
        return c.scalar("SELECT name FROM sqlite_master WHERE type = 'table'").toString();
    };
    const struct {
        const char* item;
        const char* table;
        const char* kind;
    } cases[] = {
        {"mnuOtchetWork", "TempWork", "1"},
        {"mnuOtchetWorkGod", "TempZOKC", "3"},
        {"mnuOtMat", "TempMater", "2"},
        {"mnuOtSpecif", "TempSpec", "5"},
    };
    for (const auto& k : cases) {
        shown.clear();
        w.menuItem(k.item)->trigger();
        EXPECT_EQ(tav::ReportKind, k.kind) << k.item;
        EXPECT_EQ(table(), k.table) << k.item;
        EXPECT_EQ(shown, QVector<QWidget*>{&w}) << k.item;
    }
    shown.clear();
    w.ToolBar_ButtonClick("PrintZOK");
    EXPECT_EQ(tav::ReportKind, "1");
    EXPECT_EQ(table(), "TempWork");
    EXPECT_EQ(shown.size(), 1);
    // "Дати..." stays inactive.
    EXPECT_FALSE(w.menuItem("mnuOtDati")->isEnabled());

    // Every item that shows the period dialog closes an open period report first.
    tav::statistics::periodVars() = {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"};
    for (const char* item : {"mnuOtchetWork", "mnuOtchetExportXML", "mnuSlgSchet"}) {
        tav::statistics::startFundSummary(&w);
        {
            ModalScript script;
            script.click("InfDialog", "OKButton");
            ASSERT_TRUE(tav::statistics::runPeriodReport(3, nullptr));
        }
        ASSERT_NE(tav::statistics::rprZOKC::instance(), nullptr);
        w.menuItem(item)->trigger();
        EXPECT_EQ(tav::statistics::rprZOKC::instance(), nullptr) << item;
    }
    tav::statistics::SeekDate::unloadShared();
    tav::statistics::periodDialogOpener() = {};
}

// What "Търси" runs for a period report, and the main window's report items.

#include "fixtures.h"
#include "services/globals.h"
#include "services/progdialog.h"
#include "statistics/period.h"
#include "statistics/periodreports.h"
#include "statistics/preparation.h"
#include "statistics/reportitems.h"
#include "statistics/seekdate.h"
#include "statistics/tempdb.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;
using namespace statistics_test;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

const QString kDone = "Завърших обработката на данните!";

class PeriodRunner : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorName = "Мария Иванова";
        CurrentDoctorCode = "D1";
        periodVars() = {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"};
        unloads_ = 0;
        periodDialogUnloader() = [this] { ++unloads_; };
        opened_.clear();
        periodDialogOpener() = [this](QWidget* owner) { opened_ << owner; };
    }
    void TearDown() override
    {
        closePeriodReportPreview();
        periodDialogUnloader() = {};
        periodDialogOpener() = {};
        periodReportRunner() = {};
    }

    static QStringList tables()
    {
        db::Connection c = db::Connection::temp();
        QStringList names;
        for (const db::Row& r : c.query("SELECT name FROM sqlite_master WHERE type = 'table'"))
            names << r.text("name");
        return names;
    }
    static bool progressShown()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<ProgDialog*>(w) && w->isVisible())
                return true;
        return false;
    }
    static QString normal(QString text) { return text.replace('\n', '\r'); }

    TestFolder folder_;
    int unloads_ = 0;
    QVector<QWidget*> opened_;
};

} // namespace

TEST_F(PeriodRunner, PreparesWithItsMessageThenShowsThePreviewWhoseClosingEndsIt)
{
    addTreatments({{egnFor(QDate(1970, 1, 1)), QDate(2010, 3, 1), "101"},
                   {egnFor(QDate(1971, 1, 1)), QDate(2010, 3, 2), "301"}});
    CreateTempTable("TempWork");
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    EXPECT_TRUE(runPeriodReport(1, nullptr));
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpected().isEmpty());
    EXPECT_EQ(seen, kDone);
    EXPECT_FALSE(progressShown());

    rprWork* r = rprWork::instance();
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->preview(), nullptr);
    EXPECT_TRUE(r->preview()->isVisible());
    EXPECT_EQ(r->rows().size(), 2);
    EXPECT_EQ(tempRows("TempWork").size(), 2);

    closePeriodReportPreview();
    EXPECT_EQ(rprWork::instance(), nullptr);
    EXPECT_TRUE(tempRows("TempWork").isEmpty());
    EXPECT_EQ(unloads_, 1);
}

TEST_F(PeriodRunner, EachKindFillsItsTableAndShowsItsReport)
{
    addTreatment(egnFor(QDate(2001, 1, 1)), QDate(2010, 3, 1), "101");
    const struct {
        int kind;
        const char* table;
        std::function<bool()> shown;
        QStringList messages;
    } cases[] = {
        {3, "TempZOKC", [] { return rprZOKC::instance() != nullptr; }, {kDone}},
        {5, "TempSpec", [] { return rptSpec::instance() != nullptr; }, {kDone}},
        {2, "TempMater", [] { return rprMat::instance() != nullptr; }, {kDone}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.table);
        CreateTempTable(k.table);
        if (k.kind == 2)
            FillTempMater();
        QString seen;
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        EXPECT_TRUE(runPeriodReport(k.kind, nullptr));
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(seen, kDone);
        EXPECT_TRUE(k.shown());
        EXPECT_FALSE(tempRows(k.table).isEmpty());
        closePeriodReportPreview();
        EXPECT_FALSE(k.shown());
        EXPECT_TRUE(tempRows(k.table).isEmpty());
    }
    EXPECT_EQ(unloads_, 3);
}

TEST_F(PeriodRunner, TheCountsNameTheRowsWithoutAnEgnBeforeTheyAreDone)
{
    addTreatments({{egnFor(QDate(1970, 1, 1)), QDate(2010, 3, 1), "101"},
                   {kNull, QDate(2010, 3, 2), "101", "D1", {}, false, "000007"}});
    for (const int kind : {3, 5}) {
        SCOPED_TRACE(kind);
        CreateTempTable(kind == 3 ? "TempZOKC" : "TempSpec");
        QStringList seen;
        ModalScript script;
        script.then("InfDialog", [&](QWidget* w) {
                  seen << normal(ModalScript::textOf(w));
                  w->close();
              })
            .then("InfDialog", [&](QWidget* w) {
                seen << normal(ModalScript::textOf(w));
                w->close();
            });
        EXPECT_TRUE(runPeriodReport(kind, nullptr));
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(seen, QStringList({"Не са включени в отчета:\rЕГН (без ЕГН), лист 000007, 02.03.2010, код 101", kDone}));
        closePeriodReportPreview();
    }
}

TEST_F(PeriodRunner, MaterialsOfAnEmptyPeriodSayThereIsNothingThenThatTheyAreDone)
{
    CreateTempTable("TempMater");
    FillTempMater();
    QStringList seen;
    ModalScript script;
    script.then("InfDialog", [&](QWidget* w) {
              seen << normal(ModalScript::textOf(w));
              w->close();
          })
        .then("InfDialog", [&](QWidget* w) {
            seen << normal(ModalScript::textOf(w));
            w->close();
        });
    EXPECT_TRUE(runPeriodReport(2, nullptr));
    EXPECT_EQ(seen, QStringList({"Няма данни за обработка!", kDone}));
    EXPECT_NE(rprMat::instance(), nullptr);
}

TEST_F(PeriodRunner, APeriodThatIsNoDateOrAFailureShowsAMessageAndNoPreview)
{
    CreateTempTable("TempWork");
    periodVars().sDataStart = "02/31/2010";   // passed the dialog's two checks
    QString seen;
    {
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        EXPECT_FALSE(runPeriodReport(1, nullptr));
        EXPECT_TRUE(script.finished());
    }
    EXPECT_EQ(normal(seen), "Грешка в изписването на датата!\rФормата на датата е: ДД.ММ.ГГГГ");
    EXPECT_EQ(rprWork::instance(), nullptr);

    // The work table is not there: the engine's failure, never "done".
    periodVars().sDataStart = "03/01/2010";
    addTreatment(egnFor(QDate(1970, 1, 1)), QDate(2010, 3, 1), "101");
    CreateTempTable("TempSpec");
    QStringList messages;
    {
        ModalScript script;
        script.then("InfDialog", [&](QWidget* w) {
            messages << normal(ModalScript::textOf(w));
            w->close();
        });
        EXPECT_FALSE(runPeriodReport(1, nullptr));
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpected().isEmpty());
    }
    ASSERT_EQ(messages.size(), 1);
    EXPECT_NE(messages[0], kDone);
    EXPECT_TRUE(messages[0].contains("TempWork")) << messages[0].toStdString();
    EXPECT_FALSE(progressShown());
    EXPECT_EQ(rprWork::instance(), nullptr);

    // Kind 4 and others are not period reports of this runner.
    EXPECT_FALSE(runPeriodReport(4, nullptr));
    EXPECT_FALSE(runPeriodReport(0, nullptr));
}

TEST_F(PeriodRunner, TheStartUpMakesItTheDialogsRunner)
{
    periodReportRunner() = {};
    installPeriodReports();
    ASSERT_TRUE(bool(periodReportRunner()));
    CreateTempTable("TempZOKC");
    ModalScript script;
    script.click("InfDialog", "OKButton");
    EXPECT_TRUE(periodReportRunner()(3, nullptr));
    EXPECT_NE(rprZOKC::instance(), nullptr);
}

TEST_F(PeriodRunner, EachItemMakesItsTableSetsTheKindAndShowsTheDialog)
{
    QWidget owner;
    const struct {
        void (*start)(QWidget*);
        const char* table;
        const char* kind;
    } cases[] = {
        {&startWorkList, "TempWork", "1"},
        {&startFundSummary, "TempZOKC", "3"},
        {&startSpecification, "TempSpec", "5"},
        {&startMaterials, "TempMater", "2"},
    };
    for (const auto& k : cases) {
        opened_.clear();
        ReportKind.clear();
        k.start(&owner);
        EXPECT_EQ(tables(), QStringList{k.table});
        EXPECT_EQ(ReportKind, k.kind);
        EXPECT_EQ(opened_, QVector<QWidget*>{&owner});
    }
    // The materials item copied the catalogue.
    EXPECT_EQ(tempRows("TempMater").size(), 8);
}

TEST_F(PeriodRunner, TheMaterialsItemRecodesAndBooksBeforeTheDialog)
{
    const QString egn = egnFor(QDate(1970, 1, 1));
    addTreatments({{egn, QDate(2010, 3, 1), "301", "D1", "Обт.амалгама"},
                   {egn, QDate(2010, 3, 1), "509", "D2", "Екстракция"}});
    startMaterials(nullptr);
    db::Connection c = db::Connection::main();
    const db::Rows rows = c.query("SELECT KodHelp, Schet FROM Help ORDER BY RecID");
    EXPECT_EQ(rows[0].text("KodHelp"), "301А");
    EXPECT_TRUE(rows[0].yes("Schet"));
    EXPECT_EQ(rows[1].text("KodHelp"), "509");
    EXPECT_TRUE(rows[1].yes("Schet"));
}

TEST_F(PeriodRunner, AnItemChosenWhileAPreviewIsOpenClosesItFirst)
{
    CreateTempTable("TempSpec");
    {
        ModalScript script;
        script.click("InfDialog", "OKButton");
        ASSERT_TRUE(runPeriodReport(5, nullptr));
    }
    ASSERT_NE(rptSpec::instance(), nullptr);
    startWorkList(nullptr);
    EXPECT_EQ(rptSpec::instance(), nullptr);
    EXPECT_EQ(unloads_, 1);   // the preview's end unloaded the dialog
    EXPECT_EQ(tables(), QStringList{"TempWork"});
    EXPECT_EQ(opened_.size(), 1);
    // The next report of that kind is a new one.
    startSpecification(nullptr);
    {
        ModalScript script;
        script.click("InfDialog", "OKButton");
        ASSERT_TRUE(runPeriodReport(5, nullptr));
    }
    EXPECT_NE(rptSpec::instance(), nullptr);
    EXPECT_TRUE(rptSpec::instance()->preview()->isVisible());
}

TEST_F(PeriodRunner, FromTheItemThroughThePeriodDialogToThePreviewAndBack)
{
    addTreatments({{egnFor(QDate(1970, 1, 1)), QDate(2010, 3, 1), "101"}});
    installPeriodReports();
    startWorkList(nullptr);
    SeekDate* d = SeekDate::instance();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    d->Text1(0)->setText("01.03.2010");
    d->Text1(1)->setText("31.03.2010");
    {
        ModalScript script;
        script.click("InfDialog", "OKButton");
        d->OKButton_Click();
        EXPECT_TRUE(script.finished());
    }
    ASSERT_NE(rprWork::instance(), nullptr);
    EXPECT_EQ(periodVars().sStart, "01.03.2010");
    EXPECT_EQ(rprWork::instance()->rows().size(), 1);
    EXPECT_FALSE(d->OKButton()->isEnabled());   // no second run behind the preview

    // Another item: the preview closes, the dialog with it, and comes anew.
    QPointer<SeekDate> old = d;
    startFundSummary(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rprWork::instance(), nullptr);
    EXPECT_TRUE(tempRows("TempZOKC").isEmpty());
    ASSERT_NE(SeekDate::instance(), nullptr);
    EXPECT_TRUE(SeekDate::instance()->OKButton()->isEnabled());
    EXPECT_EQ(ReportKind, "3");
    SeekDate::unloadShared();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

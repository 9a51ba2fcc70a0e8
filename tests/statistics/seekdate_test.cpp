#include "fund_report/fixtures.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include "db/database.h"
#include "db/values.h"
#include "fund_report/exportxml.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "statistics/seekdate.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;
using testing_support::ModalScript;
using testing_support::RegisterHelper;
using testing_support::SecondCopy;
using testing_support::TestFolder;

namespace {

const QString kDone = QStringLiteral("Завърших обработката на данните!");

class PeriodDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setToday(QDate(2010, 4, 5));
        CurrentDoctorCode = fund_fixture::kDoctor;
        CurrentUserUIN.clear();
        periodVars() = {};
        periodReportRunner() = {};
        SeekDate::setSaveNameQuestion({});
    }
    void TearDown() override
    {
        SeekDate::setSaveNameQuestion({});
        periodReportRunner() = {};
        unload();
        if (QFileInfo(fund_fixture::utf8Path()).isFile())
            fund_fixture::expectWellFormed(fund_fixture::utf8Path());
    }

    SeekDate* open(const QString& kind)
    {
        ReportKind = kind;
        SeekDate* d = SeekDate::showShared();
        QApplication::processEvents();
        return d;
    }
    static void unload()
    {
        SeekDate::unloadShared();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static void type(SeekDate* d, const QString& start, const QString& stop)
    {
        d->Text1(0)->setText(start);
        d->Text1(1)->setText(stop);
    }
    // Presses "Търси" answering the given information messages in order;
    // returns the texts seen.
    static QStringList press(SeekDate* d, int messages)
    {
        QStringList seen;
        ModalScript script;
        for (int i = 0; i < messages; ++i)
            script.then("InfDialog", [&seen](QWidget* w) {
                // The label shows the message's lines one under the other.
                seen << ModalScript::textOf(w).replace('\n', '\r');
                w->findChild<QPushButton*>("OKButton")->click();
            });
        d->OKButton_Click();
        EXPECT_TRUE(script.finished()) << script.done() << " of " << messages;
        EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(", ").toStdString();
        return seen;
    }

    TestFolder folder_;
    QTemporaryDir saveDir_;
};

} // namespace

TEST_F(PeriodDialog, ControlsTabOrderAndFocusColour)
{
    SeekDate* d = open("1");
    EXPECT_EQ(d->windowTitle(), QString("Период..."));
    EXPECT_EQ(d->OKButton()->text(), QString("Търси"));
    EXPECT_EQ(d->OKButton()->toolTip(), QString("Стартира търсенето"));
    EXPECT_EQ(d->CancelButton()->text(), QString("Отказ"));
    EXPECT_EQ(d->CancelButton()->toolTip(), QString("затваря прозореца"));
    EXPECT_EQ(d->size(), QSize(235, 102));

    QWidget* chain[] = {d->Text1(0), d->Text1(1), d->OKButton(), d->CancelButton()};
    const auto nextStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(nextStop(chain[i]), chain[i + 1]) << i;

    d->activateWindow();
    EXPECT_EQ(d->Text1(1)->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    d->Text1(1)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(d->Text1(1)->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(d->OKButton()->isDefault());
}

TEST_F(PeriodDialog, ARefusedPeriodShowsItsMessageAndKeepsTheMembers)
{
    periodVars().sStart = "01.01.2009";
    SeekDate* d = open("4");
    type(d, "31.02.2010", "31.03.2010");
    EXPECT_EQ(press(d, 1), QStringList{"Грешка в изписването на датата!\rФормата на датата е: ДД.ММ.ГГГГ"});
    type(d, "15.00.2010", "31.03.2010");
    EXPECT_EQ(press(d, 1), QStringList{"Грешка в изписването на месеца!\rФормата на датата е: ДД.ММ.ГГГГ"});
    type(d, "", "31.03.2010");
    EXPECT_TRUE(press(d, 0).isEmpty());
    EXPECT_EQ(periodVars().sStart, QString("01.01.2009"));
    EXPECT_EQ(d->Text1(0)->text(), QString());
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(QFile::exists(fund_fixture::reportPath()));
}

TEST_F(PeriodDialog, CancelSaysNoPeriodAndUnloads)
{
    SeekDate* d = open("1");
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    d->CancelButton()->click();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(seen, QString("Няма избран период!"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SeekDate::instance(), nullptr);
}

TEST_F(PeriodDialog, PeriodReportRunsOnceWhileItsPreviewIsShown)
{
    QVector<int> kinds;
    bool previewShown = true;
    periodReportRunner() = [&](int kind, QWidget* dialog) {
        kinds << kind;
        EXPECT_EQ(dialog, SeekDate::instance());
        EXPECT_EQ(periodVars().sDataStart, QString("03/01/2010"));
        return previewShown;
    };
    for (const QString kind : {"1", "2", "3", "5"}) {
        SeekDate* d = open(kind);
        type(d, "01.03.2010", "31.03.2010");
        press(d, 0);
        EXPECT_FALSE(d->OKButton()->isEnabled()) << kind.toStdString();
        // The preview's closing unloads the dialog.
        unloadPeriodDialog();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(SeekDate::instance(), nullptr);
    }
    EXPECT_EQ(kinds, (QVector<int>{1, 2, 3, 5}));

    // No preview (the job failed): "Търси" stays.
    previewShown = false;
    SeekDate* d = open("1");
    type(d, "01.03.2010", "31.03.2010");
    press(d, 0);
    EXPECT_TRUE(d->OKButton()->isEnabled());
    EXPECT_EQ(periodVars().sStop, QString("31.03.2010"));
}

TEST_F(PeriodDialog, FundReportIsWrittenAndCopiedToTheChosenName)
{
    fund_fixture::fillSmallPractice();
    QVector<SaveRequest> asked;
    const QString target = saveDir_.filePath("2300012345-032010.xml");
    fund_fixture::writeBytes(target, "an older report of the same name");
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest& r) {
        asked << r;
        return target;
    });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].proposedName, QString("2300012345-032010.xml"));
    EXPECT_EQ(asked[0].folder, documentsFolder());
    EXPECT_EQ(fund_fixture::readBytes(target), fund_fixture::readBytes(fund_fixture::utf8Path()));
    fund_fixture::expectWellFormed(target);
    EXPECT_EQ(periodVars().sDataStart, QString("03/01/2010"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SeekDate::instance(), nullptr);
}

// A month typed with a leading blank reaches the report and the proposed
// name with two digits; a UIN with a "/" gives a name, not a path.
TEST_F(PeriodDialog, MonthWithABlankAndAUinWithASlashGiveAPlainFileName)
{
    fund_fixture::fillSmallPractice();
    db::Connection::main().exec("UPDATE MedicUnit SET UserUIN = '23/0012345'");
    QVector<SaveRequest> asked;
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest& r) {
        asked << r;
        return QString();
    });
    SeekDate* d = open("4");
    type(d, "01. 3.2010", "31. 3.2010");
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].proposedName, QString("23_0012345-032010.xml"));
    EXPECT_EQ(periodVars().sStart, QString("01.03.2010"));
    EXPECT_EQ(periodVars().sStop, QString("31.03.2010"));
    EXPECT_EQ(periodVars().sDataStart, QString("03/01/2010"));
    EXPECT_EQ(periodVars().sDataStop, QString("03/31/2010"));
    EXPECT_TRUE(fund_fixture::readBytes(fund_fixture::reportPath()).contains("2010-03-31"));
}

TEST_F(PeriodDialog, CancelledSaveKeepsTheDialogAndSearchRunsTheExportAgain)
{
    fund_fixture::fillSmallPractice();
    int asked = 0;
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest&) {
        ++asked;
        return QString();
    });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    EXPECT_TRUE(d->isVisible());
    QFile::remove(fund_fixture::utf8Path());
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(QFile::exists(fund_fixture::utf8Path()));
    EXPECT_TRUE(d->isVisible());
    fund_fixture::expectWellFormed(fund_fixture::utf8Path());
}

TEST_F(PeriodDialog, AFailedCopyIsReportedAndTheDialogStays)
{
    fund_fixture::fillSmallPractice();
    const QString occupied = saveDir_.filePath("taken.xml");   // a folder of that name
    ASSERT_TRUE(QDir(saveDir_.path()).mkdir("taken.xml"));
    fund_fixture::writeBytes(QDir(occupied).filePath("inside.txt"), "kept");
    QStringList targets{saveDir_.filePath("missing/report.xml"), occupied};
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest&) { return targets.takeFirst(); });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    for (int i = 0; i < 2; ++i) {
        const QStringList seen = press(d, 2);
        ASSERT_EQ(seen.size(), 2);
        EXPECT_EQ(seen[0], kDone);
        EXPECT_TRUE(seen[1].startsWith("XML-файлът не е записан")) << seen[1].toStdString();
        EXPECT_TRUE(d->isVisible());
    }
    EXPECT_FALSE(QFile::exists(saveDir_.filePath("missing/report.xml")));
    EXPECT_EQ(fund_fixture::readBytes(QDir(occupied).filePath("inside.txt")), QByteArray("kept"));
}

TEST_F(PeriodDialog, ChoosingTheUtf8FileItselfCopiesNothing)
{
    fund_fixture::fillSmallPractice();
    SeekDate::setSaveNameQuestion([](QWidget*, const SaveRequest&) { return fund_fixture::utf8Path(); });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    fund_fixture::expectWellFormed(fund_fixture::utf8Path());
    EXPECT_TRUE(fund_fixture::readBytes(fund_fixture::utf8Path()).startsWith("\xEF\xBB\xBF<?xml"));
}

// otherdoctor FOLDER: another copy, logged in as the other doctor, on the
// same program folder: "export" writes his report, "save PATH" saves the
// report that export wrote, as his save dialog does.
const RegisterHelper kOtherDoctor("otherdoctor", [](const QStringList& args) {
    setProgramFolder(args.value(0));
    openWorkFolder();
    Clock::setToday(QDate(2010, 4, 5));
    CurrentDoctorCode = fund_fixture::kOtherDoctor;
    fund_report::ExportResult exported;
    for (QString line = testing_support::readCommand(); !line.isEmpty(); line = testing_support::readCommand()) {
        try {
            if (line == "export") {
                exported = fund_report::ExportReportXml("03/01/2010", "03/31/2010");
                testing_support::say("exported");
            } else if (line.startsWith("save ")) {
                copyReportTo(exported.utf8, line.mid(5));
                testing_support::say("saved");
            }
        } catch (const db::DbError& e) {
            testing_support::say("failed " + e.userText().replace('\r', '|'));
        }
    }
    return 0;
});

// Two doctors export the same month on one program folder, each while the
// other's save dialog is open: each saved file holds its own doctor's
// sheets, whatever the folder's Report_UTF8.xml holds when it is saved.
TEST_F(PeriodDialog, EachCopySavesTheReportItWroteThoughAnotherExportsMeanwhile)
{
    fund_fixture::fillSmallPractice();
    SecondCopy other("otherdoctor", {ProgramFolder});
    const QString mine = saveDir_.filePath("mine.xml"), his = saveDir_.filePath("his.xml");
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest&) {
        // While this dialog is open the other doctor exports, and saves
        // after this copy has exported again.
        other.send("export");
        EXPECT_FALSE(other.waitFor("exported").isEmpty()) << other.lines().join('\n').toStdString();
        return mine;
    });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    // The folder's report is the other doctor's by now.
    EXPECT_TRUE(fund_fixture::readBytes(fund_fixture::utf8Path()).contains("2010-03-10"));

    d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest&) { return QString(); });
    EXPECT_EQ(press(d, 1), QStringList{kDone});
    other.send("save " + his);
    EXPECT_EQ(other.waitFor("saved"), QString("saved")) << other.lines().join('\n').toStdString();
    EXPECT_EQ(other.finish(), 0);

    const QByteArray myReport = fund_fixture::readBytes(mine), hisReport = fund_fixture::readBytes(his);
    for (const char* sheet : {"ambulatorySheetNo=\"000011\"", "ambulatorySheetNo=\"000012\"", "date=\"2010-03-01\""}) {
        EXPECT_TRUE(myReport.contains(sheet)) << sheet;
        EXPECT_FALSE(hisReport.contains(sheet)) << sheet;
    }
    EXPECT_FALSE(myReport.contains("date=\"2010-03-10\""));
    EXPECT_TRUE(hisReport.contains("date=\"2010-03-10\""));
    fund_fixture::expectWellFormed(mine);
    fund_fixture::expectWellFormed(his);
}

// Report.xml holds the Windows-1251 report: the UTF-8 copy saved over it
// would spoil the pair, and any copy's next export replaces it anyway.
TEST_F(PeriodDialog, TheProgramsOwnReportFilesAreNoPlaceForTheSavedCopy)
{
    fund_fixture::fillSmallPractice();
    SeekDate::setSaveNameQuestion([](QWidget*, const SaveRequest&) { return fund_fixture::reportPath(); });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    const QStringList seen = press(d, 2);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_TRUE(seen[1].startsWith("XML-файлът не е записан")) << seen[1].toStdString();
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(fund_fixture::readBytes(fund_fixture::reportPath()).startsWith("<?xml"));
}

TEST_F(PeriodDialog, AFailedExportShowsTheErrorAndNoSaveDialog)
{
    fund_fixture::fillSmallPractice();
    fund_fixture::writeBytes(fund_fixture::utf8Path(), "previous");
    ASSERT_TRUE(QDir(ProgramFolder).mkdir(kReportFileName));
    bool asked = false;
    SeekDate::setSaveNameQuestion([&](QWidget*, const SaveRequest&) {
        asked = true;
        return QString();
    });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    const QStringList seen = press(d, 1);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].startsWith("Файлът на отчета не може да бъде записан")) << seen[0].toStdString();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(fund_fixture::readBytes(fund_fixture::utf8Path()), QByteArray("previous"));
    QFile::remove(fund_fixture::utf8Path());   // not a report of ours
}

TEST_F(PeriodDialog, SheetsLeftOutAreNamedBeforeTheEndMessage)
{
    fund_fixture::fillSmallPractice();
    {
        db::Connection c = db::Connection::main();
        fund_fixture::addService(c, "8001010000", "000014", QDate(2010, 3, 20), "101", "x", QVariant(), 6.44, 15);
    }
    SeekDate::setSaveNameQuestion([](QWidget*, const SaveRequest&) { return QString(); });
    SeekDate* d = open("4");
    type(d, "01.03.2010", "31.03.2010");
    const QStringList seen = press(d, 2);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], QString("Не са включени в отчета:\rЕГН 8001010000, лист 000014, 20.03.2010 - няма пациент с това ЕГН"));
    EXPECT_EQ(seen[1], kDone);
}

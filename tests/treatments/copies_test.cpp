// The treatment form's saves and the other writes of the treatments while
// another copy of the program commits again and again on the same practice:
// each waits for the other's write to end, none is refused as "in use".

#include "fixtures.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "db/paths.h"
#include "db/values.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/globals.h"
#include "statistics/preparation.h"
#include "support/program_folder.h"
#include "support/second_copy.h"
#include "treatments/denhelp.h"
#include "treatments/sheetprep.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tav;
using namespace treatments_test;
using testing_support::CommittingCopy;
using testing_support::TestFolder;

namespace {

constexpr int kSaves = 200;
constexpr int kKodHelp = 5;   // the grid's "Код дейн."

// The shortcut typed into the new line's code cell, and Enter.
void enterOnNewLine(DenHelp* f, const QString& shortcut)
{
    DataGrid* grid = f->grid();
    grid->setCurrentIndex(grid->model()->index(grid->model()->rowCount() - 1, kKodHelp));
    ASSERT_TRUE(grid->editCell(kKodHelp));
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
        if (!e->isHidden())
            editor = e;
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, shortcut);
    QTest::keyClick(editor, Qt::Key_Return);
}

} // namespace

TEST(BesideAnotherCopy, NoSaveOfTheTreatmentsIsRefusedWhileAnotherCopyCommits)
{
    TestFolder folder;
    Clock::setToday(QDate(2026, 4, 20));
    CurrentDoctorCode = "220001";
    MinutesLeftToday = 360;
    const QString egn = egnOf("750312123");
    addPatient(egn, "Иван Петров Колев");
    QStringList messages;
    patients::prompts().info = [&](const QString& text, QWidget*) { messages << text; };
    DenHelp::vars() = {};
    SeekName::vars().sFindEGN = egn;
    SeekName::vars().sFindName = "Иван Петров Колев";
    DenHelp::vars().sVidDen = "Edit";
    DenHelp* form = DenHelp::showShared();
    form->show();
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));

    DataControl prices;
    prices.setDatabaseName(DatabasePath);
    prices.setRecordSource("Ceny");
    prices.refresh();

    const struct {
        const char* kind;
        std::function<void(int)> save;
    } kinds[] = {
        {"treatment save", [&](int) {
             // A refused save is said in a message, not thrown.
             const qsizetype said = messages.size();
             enterOnNewLine(form, "1");
             if (messages.size() > said)
                 throw db::DbError(messages.last());
         }},
        {"outpatient sheet", [&](int) { treatments::PrepareOutpatientSheet(egn); }},
        {"price list", [&](int i) {
             ASSERT_TRUE(prices.addNew());
             prices.setField("KodHelp", QString::number(1000 + i));
             prices.updateRecord();
         }},
        {"recoding of the fillings", [&](int) { statistics::RecodeFillingActivities(); }},
    };

    CommittingCopy other(DatabasePath);
    ASSERT_TRUE(other.ready()) << other.output().toStdString();
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        const QStringList refused = other.refusalsOf(kSaves, k.save);
        EXPECT_EQ(refused.size(), 0) << refused.value(0).toStdString();
    }
    const QString done = other.stop();
    EXPECT_TRUE(done.endsWith(" 0")) << other.output().toStdString();
    EXPECT_EQ(countRows("Help"), kSaves);
    EXPECT_EQ(countRows("Ceny"), kSaves);

    delete form;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    patients::prompts() = {};
}

// The referrals window: three grids on Path, Invest and Spec of one patient,
// rows written only by their frame's "Запиши", stamped with the patient and
// the treatment form's sheet number.

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "db/database.h"
#include "patients/koregn.h"
#include "support/egn_digits.h"
#include "support/modal_script.h"
#include "printing.h"
#include "support/program_folder.h"
#include "treatments/denhelp.h"
#include "treatments/pathway.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

const QString kEgn = "7501020018";
const QString kOther = "8001010013";

struct KindCase {
    PathWay::Kind kind;
    QString table;
    QStringList fields;   // the kind's own fields after Data, in column order
};

const KindCase kKinds[] = {
    {PathWay::KindPath, "Path", {"Nomer", "SIMP", "BCD"}},
    {PathWay::KindInvest, "Invest", {"Nomer", "Kod1", "Kod2"}},
    {PathWay::KindSpec, "Spec", {"SISP1", "SISP2"}},
};

class Referrals : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::Connection::main().insert("Pacients", {"EGN", "Names"}, {kEgn, "Иван Петров Колев"});
        DenHelp::vars().sEGN = kEgn;
        DenHelp::vars().sListID = "000042";
    }
    void TearDown() override
    {
        if (w)
            w->reject();
        w.reset();
        DenHelp::vars() = {};
    }

    static void insert(const QString& table, const QString& egn, const QString& listId, const QDate& d,
                       const QString& first)
    {
        const QString field = table == "Spec" ? "SISP1" : "Nomer";
        db::Connection::main().insert(table, {"EGN", "ListID", "Data", field}, {egn, listId, d, first});
    }

    static db::Rows stored(const QString& table)
    {
        return db::Connection::main().query("SELECT * FROM " + table + " ORDER BY RecID");
    }

    void open()
    {
        w = std::make_unique<PathWay>();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    void clickGrid(PathWay::Kind k, int row, int column = 1)
    {
        DataGrid* g = w->grid(k);
        const QModelIndex idx = g->model()->index(row, column);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
    }

    // Types a referral into the grid's empty last line.
    void typeNewRow(PathWay::Kind k, const QStringList& texts)
    {
        DataGrid* g = w->grid(k);
        clickGrid(k, g->model()->rowCount() - 1);
        for (int c = 0; c < texts.size(); ++c)
            g->setCellText(c, texts[c]);
    }

    QList<bool> buttonStates() const
    {
        QList<bool> s;
        for (int k = 0; k < 3; ++k)
            s << w->updateButton(PathWay::Kind(k))->isEnabled() << w->deleteButton(PathWay::Kind(k))->isEnabled();
        return s;
    }

    TestFolder folder;
    std::unique_ptr<PathWay> w;
};

} // namespace

TEST_F(Referrals, ShowsAllThePatientsReferralsOfEverySheetInDateOrder)
{
    insert("Path", kEgn, "000007", QDate(2026, 3, 9), "П-2");
    insert("Path", kOther, "000042", QDate(2026, 3, 1), "чужд");
    insert("Path", kEgn, "000003", QDate(2026, 1, 15), "П-1");
    insert("Invest", kEgn, "000003", QDate(2026, 1, 15), "И-1");
    open();
    EXPECT_EQ(w->windowTitle(), QString("Издадени направления"));
    ASSERT_EQ(w->Data1->recordCount(), 2);
    EXPECT_EQ(w->Data1->rows()[0].text("Nomer"), QString("П-1"));
    EXPECT_EQ(w->Data1->rows()[1].text("Nomer"), QString("П-2"));
    EXPECT_EQ(w->Data2->recordCount(), 1);
    EXPECT_EQ(w->Data3->recordCount(), 0);
    DataGrid* g = w->grid(PathWay::KindPath);
    EXPECT_EQ(g->model()->index(0, 0).data().toString(), QString("15.01.2026"));
    // the columns by caption; EGN and ListID are not shown
    QStringList captions;
    for (int c = 0; c < g->columnCount(); ++c)
        captions << g->columnCaption(c);
    EXPECT_EQ(captions, (QStringList{"Дата", "Номер", "СИМП", "ВСД"}));
    EXPECT_EQ(w->grid(PathWay::KindSpec)->columnCount(), 3);
    EXPECT_EQ(w->grid(PathWay::KindSpec)->columnField(2), QString("SISP2"));
    EXPECT_EQ(buttonStates(), QList<bool>(6, false));
}

TEST_F(Referrals, AClickInAGridEnablesItsOwnPairOnlyAndASaveTurnsItOff)
{
    insert("Invest", kEgn, "000003", QDate(2026, 1, 15), "И-1");
    open();
    clickGrid(PathWay::KindInvest, 0);
    EXPECT_EQ(buttonStates(), (QList<bool>{false, false, true, true, false, false}));
    clickGrid(PathWay::KindSpec, 0);   // the empty last line
    EXPECT_EQ(buttonStates(), (QList<bool>{false, false, false, false, true, true}));
    clickGrid(PathWay::KindInvest, 0);
    w->updateButton(PathWay::KindInvest)->click();
    EXPECT_EQ(buttonStates(), QList<bool>(6, false));
}

TEST_F(Referrals, ASaveStampsThePatientAndTheSheetTheFormHoldsNow)
{
    // An older referral of sheet 000003, saved while the form holds 000042,
    // goes over to the current sheet.
    insert("Path", kEgn, "000003", QDate(2026, 1, 15), "П-1");
    open();
    clickGrid(PathWay::KindPath, 0, 2);
    w->grid(PathWay::KindPath)->setCellText(2, "2201");
    w->cmdUpdate_Click(PathWay::KindPath);
    db::Rows rows = stored("Path");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text("ListID"), QString("000042"));
    EXPECT_EQ(rows[0].text("EGN"), kEgn);
    EXPECT_EQ(rows[0].text("SIMP"), QString("2201"));
    EXPECT_EQ(rows[0].text("Nomer"), QString("П-1"));

    // a new referral of each kind typed into the last line
    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.table.toStdString());
        QStringList typed{"20.03.2026"};
        for (const QString& f : c.fields)
            typed << f + "-1";
        typeNewRow(c.kind, typed);
        w->cmdUpdate_Click(c.kind);
        rows = db::Connection::main().query("SELECT * FROM " + c.table + " WHERE Data = ?", {QDate(2026, 3, 20)});
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].text("EGN"), kEgn);
        EXPECT_EQ(rows[0].text("ListID"), QString("000042"));
        for (const QString& f : c.fields)
            EXPECT_EQ(rows[0].text(f), f + "-1");
    }
}

TEST_F(Referrals, WhatIsTypedAndLeftUnsavedIsNotStored)
{
    insert("Path", kEgn, "000003", QDate(2026, 1, 15), "П-1");
    insert("Path", kEgn, "000003", QDate(2026, 1, 16), "П-2");
    open();
    // an edit of an existing row, then a move to another row
    clickGrid(PathWay::KindPath, 0, 1);
    w->grid(PathWay::KindPath)->setCellText(1, "променен");
    clickGrid(PathWay::KindPath, 1, 1);
    EXPECT_EQ(w->Data1->rows()[0].text("Nomer"), QString("П-1"));
    // a new row typed into another grid, then a save in a third one
    insert("Spec", kEgn, "000003", QDate(2026, 1, 15), "61");
    w->Data3->refresh();
    typeNewRow(PathWay::KindInvest, {"20.03.2026", "И-9"});
    clickGrid(PathWay::KindSpec, 0);
    w->cmdUpdate_Click(PathWay::KindSpec);
    EXPECT_TRUE(stored("Invest").isEmpty());
    // the row being typed stays on screen until the window closes
    EXPECT_TRUE(w->Data2->isNewRow());
    typeNewRow(PathWay::KindPath, {"21.03.2026", "П-3"});
    w->reject();
    w.reset();
    const db::Rows path = stored("Path");
    ASSERT_EQ(path.size(), 2);
    EXPECT_EQ(path[0].text("Nomer"), QString("П-1"));
    EXPECT_EQ(path[0].text("ListID"), QString("000003"));
    EXPECT_EQ(path[1].text("ListID"), QString("000003"));
    EXPECT_TRUE(stored("Invest").isEmpty());
    EXPECT_EQ(stored("Spec")[0].text("ListID"), QString("000042"));
}

// The patient's EGN corrected, or the card deleted, while the treatment
// form stayed open: a referral saved now would belong to no patient and
// fall out of the fund's report.
TEST_F(Referrals, ASaveUnderAnEgnNoPatientHasIsRefused)
{
    struct Case {
        const char* what;
        std::function<void()> meanwhile;
    };
    const Case cases[] = {
        {"EGN corrected",
         [] {
             const auto moved = patients::moveEgn(kEgn, testing_support::egnOf("750102002"));
             ASSERT_EQ(moved.outcome, patients::EgnMove::Outcome::Moved);
         }},
        {"card deleted", [] { db::Connection::main().exec("DELETE FROM Pacients WHERE EGN = ?", {kEgn}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        typeNewRow(PathWay::KindInvest, {"20.03.2026", "И-1", "10.01"});
        c.meanwhile();
        QString title, text;
        ModalScript script;
        script.then("QMessageBox", [&](QWidget* box) {
            title = box->windowTitle();
            text = ModalScript::textOf(box);
            box->close();
        });
        w->updateButton(PathWay::KindInvest)->click();
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(title, QString("Грешка при запис на данните!"));
        EXPECT_TRUE(text.contains(QString("Пациент с ЕГН %1 вече няма в регистъра").arg(kEgn))) << text.toStdString();
        EXPECT_TRUE(stored("Invest").isEmpty());
        EXPECT_TRUE(w->updateButton(PathWay::KindInvest)->isEnabled());   // kept, to be tried again
        EXPECT_EQ(w->Data2->text("Nomer"), QString("И-1"));
        w->reject();
        w.reset();
        db::Connection::main().exec("DELETE FROM Pacients");
        db::Connection::main().insert("Pacients", {"EGN", "Names"}, {kEgn, "Иван Петров Колев"});
    }
}

// "Изтрий" pressed with the mouse leaves the focus in its frame's grid:
// Enter after it deletes nothing more.
TEST_F(Referrals, ADeleteAndTwoEntersRemoveOneRow)
{
    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.table.toStdString());
        for (int day = 15; day <= 17; ++day)
            insert(c.table, kEgn, "000003", QDate(2026, 1, day), QString("%1").arg(day));
        open();
        clickGrid(c.kind, 0);
        QTest::mouseClick(w->deleteButton(c.kind), Qt::LeftButton);
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_NE(PathWay::instance(), nullptr);   // nor did Enter close the window
        EXPECT_EQ(stored(c.table).size(), 2);
        EXPECT_EQ(QApplication::focusWidget(), w->grid(c.kind));
        w->reject();
        w.reset();
    }
}

TEST_F(Referrals, ADateThatDoesNotExistIsSaidAndKeptInItsCell)
{
    open();
    DataGrid* g = w->grid(PathWay::KindPath);
    clickGrid(PathWay::KindPath, 0, 0);
    ASSERT_TRUE(g->editCell(0));
    auto* e = g->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(e, nullptr);
    e->setText("31.11.2026");
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    // as the view commits a cell it leaves
    Q_EMIT g->itemDelegate()->commitData(e);
    Q_EMIT g->itemDelegate()->closeEditor(e, QAbstractItemDelegate::EditNextItem);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(seen.startsWith("Невалидна дата")) << seen.toStdString();
    EXPECT_TRUE(g->isEditing());
    EXPECT_EQ(e->text(), QString("31.11.2026"));
    EXPECT_EQ(g->currentIndex().column(), 0);
    EXPECT_TRUE(stored("Path").isEmpty());
}

TEST_F(Referrals, DeleteStepsBackAtTheEndAndIsSilentWithNothingToDelete)
{
    insert("Path", kEgn, "000003", QDate(2026, 1, 15), "П-1");
    insert("Path", kEgn, "000003", QDate(2026, 1, 16), "П-2");
    insert("Path", kEgn, "000003", QDate(2026, 1, 17), "П-3");
    insert("Spec", kEgn, "000003", QDate(2026, 1, 15), "61");
    insert("Invest", kOther, "000003", QDate(2026, 1, 15), "чужд");
    open();
    ModalScript script;   // no step: any message would be unexpected

    // the last of several: the new last row becomes current
    clickGrid(PathWay::KindPath, 2);
    w->deleteButton(PathWay::KindPath)->click();
    EXPECT_EQ(w->Data1->recordCount(), 2);
    EXPECT_EQ(w->Data1->absolutePosition(), 1);
    EXPECT_EQ(w->Data1->text("Nomer"), QString("П-2"));
    EXPECT_FALSE(w->deleteButton(PathWay::KindPath)->isEnabled());

    // the only row: the grid is left empty
    clickGrid(PathWay::KindSpec, 0);
    w->deleteButton(PathWay::KindSpec)->click();
    EXPECT_EQ(w->Data3->recordCount(), 0);
    EXPECT_FALSE(w->Data3->hasCurrent());

    // none: nothing happens, nothing is said
    clickGrid(PathWay::KindSpec, 0);
    w->deleteButton(PathWay::KindSpec)->click();
    clickGrid(PathWay::KindInvest, 0);
    w->cmdDelete_Click(PathWay::KindInvest);
    QTest::qWait(20);
    EXPECT_TRUE(script.unexpected().isEmpty());
    EXPECT_EQ(script.done(), 0);

    EXPECT_EQ(stored("Path").size(), 2);
    EXPECT_TRUE(stored("Spec").isEmpty());
    EXPECT_EQ(stored("Invest").size(), 1);   // another patient's row is never touched
}

TEST_F(Referrals, FailuresShowTheTitledBoxAndKeepTheButtons)
{
    insert("Path", kEgn, "000003", QDate(2026, 1, 15), "П-1");
    insert("Spec", kEgn, "000003", QDate(2026, 1, 15), "61");
    open();
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    auto note = [](Seen* s) {
        return [s](QWidget* box) {
            s->title = box->windowTitle();
            s->text = ModalScript::textOf(box);
            s->icon = static_cast<QMessageBox*>(box)->icon();
            box->close();
        };
    };
    Seen save, del, noRow;
    ModalScript script;
    script.then("QMessageBox", note(&save)).then("QMessageBox", note(&del)).then("QMessageBox", note(&noRow));

    // the rows went from the database behind the window's back
    db::Connection::main().exec("DELETE FROM Path");
    db::Connection::main().exec("DELETE FROM Spec");
    clickGrid(PathWay::KindPath, 0, 1);
    w->grid(PathWay::KindPath)->setCellText(1, "П-5");
    w->updateButton(PathWay::KindPath)->click();
    EXPECT_EQ(save.title, QString("Грешка при запис на данните!"));
    EXPECT_TRUE(save.text.startsWith("0-Записът вече не съществува")) << save.text.toStdString();
    EXPECT_EQ(save.icon, QMessageBox::Critical);
    EXPECT_TRUE(w->updateButton(PathWay::KindPath)->isEnabled());
    EXPECT_EQ(w->Data1->text("Nomer"), QString("П-5"));   // kept as typed

    clickGrid(PathWay::KindSpec, 0);
    w->deleteButton(PathWay::KindSpec)->click();
    EXPECT_EQ(del.title, QString("Грешка при изтриване на данни!"));
    EXPECT_TRUE(del.text.startsWith("0-"));
    EXPECT_TRUE(w->deleteButton(PathWay::KindSpec)->isEnabled());
    EXPECT_EQ(w->Data3->recordCount(), 1);

    // "Запиши" on the empty last line has nothing to write
    clickGrid(PathWay::KindSpec, 1);
    w->updateButton(PathWay::KindSpec)->click();
    EXPECT_EQ(noRow.title, QString("Грешка при запис на данните!"));
    EXPECT_EQ(noRow.text, kNoReferralRow);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(stored("Spec").isEmpty());
}

TEST_F(Referrals, ShowSharedOpensOneModalWindowForTheFormsPatient)
{
    insert("Spec", kEgn, "000003", QDate(2026, 1, 15), "61");
    int rows = -1;
    ModalScript script;
    script.then("PathWay", [&](QWidget* dlg) {
        rows = static_cast<PathWay*>(dlg)->Data3->recordCount();
        PathWay::showShared(nullptr);   // the open one is only raised
        dlg->findChild<QPushButton*>("cmdClose")->click();
    });
    PathWay::showShared(nullptr);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(PathWay::instance(), nullptr);
}

// Fee booking: the period's rows of all doctors and the three sums, which
// follow the rows as stored through every save.

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "databind/datanavigator.h"
#include "db/database.h"
#include "db/values.h"
#include "printing.h"
#include "statistics/period.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "treatments/schet.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

QString lev(const char* text)
{
    return QString(text).replace('.', QLocale().decimalPoint()) + " лв.";
}

class FeeBooking : public ::testing::Test {
protected:
    void SetUp() override { setPeriod("03/01/2026", "03/31/2026"); }
    void TearDown() override
    {
        if (w)
            w->reject();
        w.reset();
        statistics::periodVars() = {};
        statistics::periodDialogUnloader() = nullptr;
    }

    static void setPeriod(const QString& start, const QString& stop)
    {
        statistics::periodVars().sDataStart = start;
        statistics::periodVars().sDataStop = stop;
    }

    static void addRow(const QDate& d, const QString& kod, const QVariant& price, int booked,
                       const QString& doctor = "2200001")
    {
        db::Connection::main().insert("Help", {"EGN", "Data", "KodHelp", "TextHelp", "Cena", "Schet", "KodMedic"},
                                      {"7501020018", d, kod, "Лечение " + kod, price, booked, doctor});
    }

    void open()
    {
        w = std::make_unique<Schet>();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    QStringList sums() const { return {w->Label1[3]->text(), w->Label1[4]->text(), w->Label1[5]->text()}; }

    TestFolder folder;
    std::unique_ptr<Schet> w;
};

} // namespace

TEST(FeeSumsRules, NullPricesCountAsNothingAndSumsShowTheirOwnDecimals)
{
    const db::Rows rows = [] {
        auto names = QSharedPointer<const QStringList>::create(QStringList{"Cena", "Schet"});
        db::Rows r;
        for (const auto& [price, booked] : QList<QPair<QVariant, int>>{{21.13, 1}, {QVariant(), 1}, {6.44, 0}, {0.1, 0}})
            r.push_back(db::Row(names, {price, booked}));
        return r;
    }();
    const FeeSums s = feeSums(rows);
    EXPECT_EQ(s.all, Money::fromUnits(276700));   // 27.67 exactly, no binary error
    EXPECT_EQ(s.booked, Money::fromUnits(211300));
    EXPECT_EQ(s.remaining(), Money::fromUnits(65400));
    const QList<QPair<Money, QString>> texts = {
        {Money(), "0 лв."}, {Money::fromUnits(211300), lev("21.13")}, {Money::fromUnits(425000), lev("42.5")},
        {Money::fromUnits(100000), "10 лв."}, {Money::fromUnits(-64400), lev("-6.44")},
    };
    for (const auto& [m, text] : texts)
        EXPECT_EQ(feeSumText(m), text);
}

TEST_F(FeeBooking, ListsThePeriodsRowsOfAllDoctorsWithTheirSums)
{
    addRow(QDate(2026, 3, 31), "301", 21.13, 1, "2200002");
    addRow(QDate(2026, 2, 28), "101", 6.44, 1);   // before the period
    addRow(QDate(2026, 3, 1), "101", 6.44, 0);
    addRow(QDate(2026, 4, 1), "509", 25.13, 0);   // after it
    addRow(QDate(2026, 3, 15), "101", QVariant(), 1);   // from the import: no price
    open();
    EXPECT_EQ(w->windowTitle(), QString("Осчетоводяване"));
    ASSERT_EQ(w->Data1->recordCount(), 3);
    EXPECT_EQ(w->Data1->rows()[0].text("Data"), QString("2026-03-01"));
    EXPECT_EQ(w->Data1->rows()[2].text("KodMedic"), QString("2200002"));
    EXPECT_EQ(sums(), (QStringList{lev("21.13"), lev("6.44"), lev("27.57")}));
    EXPECT_EQ(Schet::vars().nAll, Money::fromUnits(275700));
    EXPECT_EQ(Schet::vars().nZav, Money::fromUnits(211300));
    EXPECT_EQ(Schet::vars().nExit, 0);
    EXPECT_EQ(w->Label1[1]->text(), QString("101 Лечение 101"));
    EXPECT_EQ(w->Label1[0]->text(), QString("01.03.2026"));
    EXPECT_EQ(w->Data1->caption(), QString("Record: 1"));
    // the row number is on screen, under the list
    auto* nav = w->findChild<DataNavigator*>();
    ASSERT_TRUE(nav);
    EXPECT_TRUE(nav->isVisible());
    EXPECT_EQ(nav->caption(), QString("Record: 1"));
    nav->nextButton()->click();
    EXPECT_EQ(nav->caption(), QString("Record: 2"));
    EXPECT_EQ(w->Label1[1]->text(), QString("101 Лечение 101"));
    nav->firstButton()->click();
    QStringList captions;
    for (int c = 0; c < w->DBGrid1->columnCount(); ++c)
        captions << w->DBGrid1->columnCaption(c);
    EXPECT_EQ(captions, (QStringList{"Дата", "Код", "Услуга", "Цена", "Зав.", "ЕГН"}));
    EXPECT_TRUE(w->cmdUpdate->isEnabled());
}

TEST_F(FeeBooking, EveryRowBookedLeavesNothingRemaining)
{
    addRow(QDate(2026, 3, 2), "301", 21.13, 1);
    addRow(QDate(2026, 3, 3), "101", 6.44, 1);
    open();
    EXPECT_EQ(sums(), (QStringList{lev("27.57"), "0 лв.", lev("27.57")}));
}

TEST_F(FeeBooking, TheSumsFollowTheStoredRowsThroughEverySave)
{
    addRow(QDate(2026, 3, 2), "301", 21.13, 0);
    addRow(QDate(2026, 3, 3), "101", 6.44, 1);
    addRow(QDate(2026, 3, 4), "101", QVariant(), 1);
    open();
    struct Step {
        const char* what;
        int row;
        std::function<void(Schet*)> change;
        QStringList sums;   // booked, remaining, total
    };
    const Step steps[] = {
        {"tick an unbooked row", 0, [](Schet* s) { s->chkFields->click(); }, {lev("27.57"), "0 лв.", lev("27.57")}},
        {"save it again", 0, [](Schet*) {}, {lev("27.57"), "0 лв.", lev("27.57")}},
        {"untick it", 0, [](Schet* s) { s->chkFields->click(); }, {lev("6.44"), lev("21.13"), lev("27.57")}},
        {"save the unbooked row again", 0, [](Schet*) {}, {lev("6.44"), lev("21.13"), lev("27.57")}},
        {"a booked row's price edited", 1, [](Schet* s) { s->DBGrid1->setCellText(3, "10,00"); },
         {"10 лв.", lev("21.13"), lev("31.13")}},
        {"a price given to the row without one", 2, [](Schet* s) { s->DBGrid1->setCellText(3, "0.5"); },
         {lev("10.5"), lev("21.13"), lev("31.63")}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        w->Data1->moveTo(s.row);
        s.change(w.get());
        w->cmdUpdate->click();
        EXPECT_EQ(sums(), s.sums);
        const FeeSums stored = feeSums(db::Connection::main().query("SELECT * FROM Help"));
        EXPECT_EQ(Schet::vars().nZav, stored.booked);
        EXPECT_EQ(Schet::vars().nAll, stored.all);
    }
    // a tick written by a move to another row counts as well
    w->Data1->moveTo(0);
    w->chkFields->click();
    w->Data1->moveTo(1);
    EXPECT_EQ(sums(), (QStringList{lev("31.63"), "0 лв.", lev("31.63")}));
    // and so does one written as the window closes
    w->chkFields->click();
    w->reject();
    EXPECT_EQ(Schet::vars().nZav, Money::fromUnits(216300));
}

TEST_F(FeeBooking, AnEmptyPeriodIsSaidAndNothingCanBeSaved)
{
    addRow(QDate(2026, 4, 2), "301", 21.13, 0);
    const QList<QPair<QString, QString>> periods = {
        {"03/01/2026", "03/31/2026"},   // no rows in it
        {"", ""},                       // no period confirmed yet
    };
    for (const auto& [start, stop] : periods) {
        SCOPED_TRACE(start.toStdString());
        setPeriod(start, stop);
        Schet::vars().nExit = 0;
        QString seen;
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        open();
        EXPECT_EQ(seen, QString("Няма данни за осчетоводяване!"));
        EXPECT_FALSE(w->cmdUpdate->isEnabled());
        EXPECT_FALSE(w->chkFields->isEnabled());   // no row to tick
        EXPECT_EQ(Schet::vars().nExit, 1);
        EXPECT_EQ(sums(), (QStringList{"", "", ""}));
        w->reject();
        w.reset();
    }
}

TEST_F(FeeBooking, ClosingUnloadsThePeriodDialog)
{
    addRow(QDate(2026, 3, 2), "301", 21.13, 0);
    int unloads = 0;
    statistics::periodDialogUnloader() = [&] { ++unloads; };
    Schet::showShared(nullptr);
    Schet* s = Schet::instance();
    ASSERT_TRUE(s);
    Schet::showShared(nullptr);
    EXPECT_EQ(Schet::instance(), s);
    s->findChild<QPushButton*>("cmdClose")->click();
    EXPECT_EQ(unloads, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Schet::instance(), nullptr);
}

TEST_F(FeeBooking, AFailedWriteShowsOneMessageTheErrorEvents)
{
    struct Case {
        const char* what;
        std::function<void(Schet*)> write;
    };
    const Case cases[] = {
        {"Запиши", [](Schet* s) { QTest::mouseClick(s->cmdUpdate, Qt::LeftButton); }},
        {"Затвори", [](Schet* s) { QTest::mouseClick(s->findChild<QPushButton*>("cmdClose"), Qt::LeftButton); }},
        {"the next row", [](Schet* s) { s->findChild<DataNavigator*>()->nextButton()->click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder each;
        addRow(QDate(2026, 3, 2), "301", 21.13, 0);
        addRow(QDate(2026, 3, 3), "101", 6.44, 0);
        open();
        db::Connection::main().exec(
            "CREATE TRIGGER refuse BEFORE UPDATE ON Help BEGIN SELECT RAISE(ABORT, 'refused'); END");
        w->chkFields->click();
        QStringList seen;
        ModalScript script;
        script.then("QMessageBox", [&](QWidget* box) {
            seen << ModalScript::textOf(box);
            box->close();
        });
        c.write(w.get());
        QTest::qWait(50);
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(",").toStdString();
        ASSERT_EQ(seen.size(), 1);
        EXPECT_TRUE(seen[0].startsWith("Data error event hit err:")) << seen[0].toStdString();
        EXPECT_TRUE(seen[0].contains("refused")) << seen[0].toStdString();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->Data1->absolutePosition(), 0);
        EXPECT_TRUE(w->chkFields->isChecked());   // the tick stays to be saved again
        EXPECT_EQ(sums(), (QStringList{"0 лв.", lev("27.57"), lev("27.57")}));
        db::Connection::main().exec("DROP TRIGGER refuse");
        w->reject();
        w.reset();
    }
}

// The appointment book: the doctor's days in date order, the weekday, the
// buttons and the booking of the treatment form's patient into a slot.

#include "databind/datacontrol.h"
#include "databind/datanavigator.h"
#include "db/database.h"
#include "db/values.h"
#include "services/globals.h"
#include "support/modal_script.h"
#include "printing.h"
#include "support/program_folder.h"
#include "treatments/denhelp.h"
#include "treatments/grafic.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

const QString kDoctor = "2200001";
const QString kOtherDoctor = "2200002";

class Schedule : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = kDoctor;
        CurrentDoctorName = "Мария Иванова";
        Clock::setToday(QDate(2026, 3, 10));
    }
    void TearDown() override
    {
        if (w)
            w->reject();
        w.reset();
        DenHelp::vars() = {};
    }

    static void addDay(const QString& doctor, const QVariant& date, const QMap<int, QString>& names = {})
    {
        QStringList f{"KodMedic", "Data"};
        QVariantList v{doctor, date};
        for (auto it = names.begin(); it != names.end(); ++it) {
            f << QString("Ch%1").arg(it.key());
            v << it.value();
        }
        db::Connection::main().insert("Grafic", f, v);
    }

    static db::Rows stored()
    {
        return db::Connection::main().query("SELECT * FROM Grafic ORDER BY RecID");
    }

    void open(bool booking = false)
    {
        DenHelp::vars().sGraf = booking ? "1" : "0";
        w = std::make_unique<Grafic>();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    void clickSlot(int i) { QTest::mouseClick(w->Text1[i], Qt::LeftButton); }
    QPushButton* button(const char* name) const { return w->findChild<QPushButton*>(name); }

    TestFolder folder;
    std::unique_ptr<Grafic> w;
};

} // namespace

TEST(ScheduleRules, WeekdaysCountFromSundayAndSlotsEveryHalfHour)
{
    const QList<QPair<QDate, QString>> days = {
        {QDate(2010, 12, 26), "Неделя"}, {QDate(2010, 12, 27), "Понеделник"}, {QDate(2010, 12, 28), "Вторник"},
        {QDate(2010, 12, 29), "Сряда"},  {QDate(2010, 12, 30), "Четвъртък"},  {QDate(2010, 12, 31), "Петък"},
        {QDate(2011, 1, 1), "Събота"},   {QDate(), ""},
    };
    for (const auto& [day, name] : days)
        EXPECT_EQ(weekdayName(day), name) << day.toString(Qt::ISODate).toStdString();
    const QList<QPair<int, QString>> names = {{0, "7.30"}, {1, "8.00"}, {11, "13.00"}, {12, "13.30"},
                                              {13, "14.00"}, {24, "19.30"}, {25, "20.00"}};
    for (const auto& [slot, time] : names)
        EXPECT_EQ(slotTime(slot), time) << slot;
}

TEST_F(Schedule, OpensOnTheDoctorsFirstDayWithItsWeekdayAndSlots)
{
    addDay(kDoctor, QDate(2026, 3, 7), {{0, "Иван"}, {25, "Радка"}});
    addDay(kOtherDoctor, QDate(2026, 3, 2), {{0, "чужд"}});
    addDay(kDoctor, QDate(2026, 3, 1), {{12, "Петър"}});
    open();
    EXPECT_EQ(w->windowTitle(), QString("График за прегледите на д-р Мария Иванова"));
    EXPECT_EQ(w->Data1->recordCount(), 2);
    EXPECT_EQ(w->txtData->text(), QString("01.03.2026"));
    EXPECT_EQ(w->lblWeekday->text(), QString("Неделя"));
    EXPECT_EQ(w->Text1[12]->text(), QString("Петър"));
    EXPECT_EQ(w->Text1[0]->text(), QString());
    EXPECT_EQ(w->lblTime[0]->text(), QString("7.30"));
    EXPECT_EQ(w->lblTime[13]->text(), QString("14.00"));
    EXPECT_EQ(w->lblTime[25]->text(), QString("20.00"));
    auto* nav = w->findChild<DataNavigator*>();
    ASSERT_TRUE(nav);
    EXPECT_EQ(nav->caption(), QString("Придвижване по датите"));
    nav->nextButton()->click();
    EXPECT_EQ(w->txtData->text(), QString("07.03.2026"));
    EXPECT_EQ(w->lblWeekday->text(), QString("Събота"));
    EXPECT_EQ(w->Text1[25]->text(), QString("Радка"));
    EXPECT_FALSE(nav->nextButton()->isEnabled());
    // "Обнови" goes back to the first day
    button("cmdRefresh")->click();
    EXPECT_EQ(w->txtData->text(), QString("01.03.2026"));
}

TEST_F(Schedule, AnEmptyBookKeepsTheWeekdayUntilADayIsAddedTwiceOnOneDay)
{
    addDay(kOtherDoctor, QDate(2026, 3, 2));
    open();
    EXPECT_EQ(w->Data1->recordCount(), 0);
    EXPECT_EQ(w->lblWeekday->text(), QString("Понеделник"));
    button("cmdAdd")->click();
    button("cmdAdd")->click();
    EXPECT_EQ(w->Data1->recordCount(), 2);
    EXPECT_EQ(w->Data1->absolutePosition(), 1);
    EXPECT_EQ(w->txtData->text(), QString("10.03.2026"));
    EXPECT_EQ(w->lblWeekday->text(), QString("Вторник"));
    const db::Rows rows = db::Connection::main().query("SELECT * FROM Grafic WHERE KodMedic = ?", {kDoctor});
    ASSERT_EQ(rows.size(), 2);
    for (const db::Row& r : rows)
        EXPECT_EQ(r.text("Data"), QString("2026-03-10"));
    // both days are in the navigation
    w->Data1->moveFirst();
    EXPECT_EQ(w->txtData->text(), QString("10.03.2026"));
}

TEST_F(Schedule, DeletingTheLastDayLeavesNoCurrentDay)
{
    addDay(kDoctor, QDate(2026, 3, 1), {{0, "Иван"}});
    addDay(kDoctor, QDate(2026, 3, 7), {{0, "Радка"}});
    open();
    w->Data1->moveLast();
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    button("cmdDelete")->click();
    EXPECT_FALSE(w->Data1->hasCurrent());
    EXPECT_TRUE(w->Data1->eof());
    EXPECT_EQ(w->Text1[0]->text(), QString());
    EXPECT_EQ(w->lblWeekday->text(), QString("Събота"));   // not touched off the rows
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].text("Ch0"), QString("Иван"));
    // nothing left to delete is said, not done
    button("cmdDelete")->click();
    EXPECT_EQ(seen, kGraficNoDay);
    EXPECT_EQ(stored().size(), 1);
}

TEST_F(Schedule, BookingAnswers)
{
    enum Day { Current, EmptyBook, PastTheEnd };
    struct Case {
        const char* what;
        bool booking;
        Day day;
        QString name;         // sPacientName
        const char* answer;   // button of the question, or null when none is asked
        QString message;      // the information shown, if any
        QString slot;         // Ch3 of the day afterwards
    };
    const Case cases[] = {
        {"ДА writes the name as given", true, Current, "Иван ", "OKButton", "", "Иван "},
        {"ДА replaces an earlier name", true, Current, "Мария", "OKButton", "", "Мария"},
        {"НЕ leaves the slot", true, Current, "Иван ", "CancelButton", "", "Петър"},
        {"view mode asks nothing", false, Current, "Иван ", nullptr, "", "Петър"},
        {"an empty book", true, EmptyBook, "Иван ", nullptr, kGraficNoDay, "Петър"},
        {"past the end after a delete", true, PastTheEnd, "Иван ", nullptr, kGraficNoDay, "Петър"},
        {"an empty name", true, Current, "", nullptr, kGraficNoName, "Петър"},
        {"a blank name", true, Current, " ", nullptr, kGraficNoName, "Петър"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db::Connection::main().exec("DELETE FROM Grafic");
        addDay(c.day == EmptyBook ? kOtherDoctor : kDoctor, QDate(2026, 3, 7), {{3, "Петър"}});
        if (c.day == PastTheEnd)
            addDay(kDoctor, QDate(2026, 3, 8));
        open(c.booking);
        if (c.day == PastTheEnd) {
            w->Data1->moveLast();
            w->Data1->deleteCurrent(DataControl::AfterDelete::NoStepBack);
        }
        DenHelp::vars().sPacientName = c.name;
        QString question, message;
        ModalScript script;
        if (c.answer)
            script.click("QuesDialog", c.answer, &question);
        if (!c.message.isEmpty())
            script.click("InfDialog", "OKButton", &message);
        clickSlot(3);
        QTest::qWait(10);
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(",").toStdString();
        if (c.answer) {
            EXPECT_EQ(question, "Желаете ли да запиша този час за посещение от " + c.name + "?");
        }
        EXPECT_EQ(message, c.message);
        const db::Rows day = db::Connection::main().query("SELECT * FROM Grafic WHERE Data = ?", {QDate(2026, 3, 7)});
        ASSERT_EQ(day.size(), 1);
        EXPECT_EQ(day[0].value("Ch3").toString(), c.slot);
        w->reject();
        w.reset();
    }
}

TEST_F(Schedule, ADayWithoutADateShowsNoWeekday)
{
    addDay(kDoctor, QVariant(QMetaType::fromType<QDate>()));
    addDay(kDoctor, QDate(2026, 3, 7));
    open();
    EXPECT_EQ(w->txtData->text(), QString());
    EXPECT_EQ(w->lblWeekday->text(), QString());
    w->Data1->moveNext();
    EXPECT_EQ(w->lblWeekday->text(), QString("Събота"));
}

TEST_F(Schedule, ADeleteThatFailsIsReported)
{
    addDay(kDoctor, QDate(2026, 3, 7));
    open();
    db::Connection::main().exec("DELETE FROM Grafic");   // gone behind the window's back
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    button("cmdDelete")->click();
    EXPECT_TRUE(seen.startsWith("Записът вече не съществува")) << seen.toStdString();
    EXPECT_EQ(w->Data1->recordCount(), 1);
}

TEST_F(Schedule, FailedWritesAreReportedAndKeepWhatWasTyped)
{
    addDay(kDoctor, QDate(2026, 3, 1), {{0, "Иван"}});
    addDay(kDoctor, QDate(2026, 3, 7));
    open();
    QString onSave, onMove, onAdd;
    ModalScript script;
    script.click("InfDialog", "OKButton", &onSave)
        .then("QMessageBox", [&](QWidget* box) {
            onMove = ModalScript::textOf(box);
            box->close();
        })
        .then("QMessageBox", [&](QWidget* box) {
            onAdd = ModalScript::textOf(box);
            box->close();
        });
    w->txtData->setText("31.02.2026");
    w->Text1[1]->setText("Мария");
    button("cmdUpdate")->click();
    EXPECT_TRUE(onSave.startsWith("Невалидна дата")) << onSave.toStdString();
    EXPECT_EQ(w->txtData->text(), QString("31.02.2026"));
    // moving on is refused by the data control's error event
    w->findChild<DataNavigator*>()->nextButton()->click();
    EXPECT_TRUE(onMove.startsWith("Data error event hit err:Невалидна дата")) << onMove.toStdString();
    EXPECT_EQ(w->Data1->absolutePosition(), 0);
    // and so is adding a day
    button("cmdAdd")->click();
    EXPECT_TRUE(onAdd.startsWith("Data error event hit err:"));
    EXPECT_EQ(w->Data1->recordCount(), 2);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(stored()[0].text("Data"), QString("2026-03-01"));
    EXPECT_EQ(stored()[0].text("Ch1"), QString());
    EXPECT_EQ(w->Text1[1]->text(), QString("Мария"));

    // corrected, it is written by "Запиши", and the weekday follows
    w->txtData->setText("03.03.2026");
    button("cmdUpdate")->click();
    EXPECT_EQ(stored()[0].text("Data"), QString("2026-03-03"));
    EXPECT_EQ(stored()[0].text("Ch1"), QString("Мария"));
    EXPECT_EQ(w->lblWeekday->text(), QString("Вторник"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);   // no hourglass left behind
}

TEST_F(Schedule, ClosingWritesTheEditsOrStaysOpenWhenTheyCannotBeAndTheDentistKeepsThem)
{
    addDay(kDoctor, QDate(2026, 3, 1));
    open();
    w->Text1[4]->setText("Елена");
    w->txtData->setText("31.04.2026");
    QString seen, question;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen).click("QuesDialog", "CancelButton", &question);
    w->reject();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(seen.startsWith("Невалидна дата"));
    EXPECT_EQ(question, QString("Данните не са записани.\nЗатваряте ли без запис?"));
    EXPECT_TRUE(script.unexpected().isEmpty());
    w->txtData->setText("01.03.2026");
    button("cmdClose")->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(stored()[0].text("Ch4"), QString("Елена"));
}

TEST_F(Schedule, TheMainWindowsOpeningKeepsTheBookAndTheFormsBooks)
{
    addDay(kDoctor, QDate(2026, 3, 7));
    for (bool booking : {true, false}) {
        QString flag;
        ModalScript script;
        script.then("Grafic", [&](QWidget* dlg) {
            flag = DenHelp::vars().sGraf;
            static_cast<QDialog*>(dlg)->reject();
        });
        Grafic::showShared(nullptr, booking);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(flag, booking ? "1" : "0");
        EXPECT_EQ(Grafic::instance(), nullptr);
    }
}

TEST_F(Schedule, TheSlotsAreReadAndTypedDownEachColumn)
{
    const QString longName = "Петър Петров Георгиев-Костадинов";
    addDay(kDoctor, QDate(2026, 3, 1), {{5, longName}});
    open();
    // a name wider than its box is shown from its first letter
    EXPECT_EQ(w->Text1[5]->text(), longName);
    EXPECT_EQ(w->Text1[5]->cursorPosition(), 0);

    // Tab walks the day in time order: the date, 7.30 .. 13.30, 14.00 .. 20.00
    w->txtData->setFocus();
    QStringList order;
    for (int i = 0; i < 1 + kGraficSlots; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QStringList expected{"txtData"};
    for (int i = 0; i < kGraficSlots; ++i)
        expected << QString("Text1_%1").arg(i);
    EXPECT_EQ(order, expected);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QString("cmdAdd"));
}

TEST_F(Schedule, WithoutACurrentDayNothingCanBeTypedToBeLost)
{
    auto editable = [this] {
        QList<bool> e{!w->txtData->isReadOnly()};
        for (QLineEdit* box : w->Text1)
            e << !box->isReadOnly();
        return e;
    };
    const QList<bool> all(1 + kGraficSlots, true), none(1 + kGraficSlots, false);
    addDay(kDoctor, QDate(2026, 3, 1));
    open();
    EXPECT_EQ(editable(), all);
    // past the end after a delete
    button("cmdDelete")->click();
    ASSERT_FALSE(w->Data1->hasCurrent());
    EXPECT_EQ(editable(), none);
    // an added day is typed into at once
    button("cmdAdd")->click();
    EXPECT_EQ(editable(), all);
    w->Text1[2]->setText("Елена");
    button("cmdUpdate")->click();
    EXPECT_EQ(stored()[0].text("Ch2"), QString("Елена"));
    w->reject();
    w.reset();
    // an empty book
    db::Connection::main().exec("DELETE FROM Grafic");
    open();
    EXPECT_EQ(editable(), none);
}

TEST_F(Schedule, OneClickOnDeleteAndTwoEntersDeleteOneDay)
{
    for (int day : {1, 2, 3, 4})
        addDay(kDoctor, QDate(2026, 3, day));
    open();
    w->Data1->moveTo(1);
    QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
    // the focus is where the next day's entry begins, not on the button
    EXPECT_EQ(QApplication::focusWidget(), w->txtData);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QStringList days;
    for (const db::Row& r : stored())
        days << r.text("Data");
    EXPECT_EQ(days, (QStringList{"2026-03-01", "2026-03-03", "2026-03-04"}));
    EXPECT_EQ(w->txtData->text(), QString("03.03.2026"));
}

TEST_F(Schedule, AfterAddingADayDeleteRemovesTheDayEachNavigationButtonShows)
{
    enum Nav { First, Previous, Next, Last };
    struct Case {
        const char* what;
        QList<Nav> clicks;   // after "Добави", on the added day
        QString shown;       // the day they leave on screen
    };
    const Case cases[] = {
        {"first", {First}, "01.03.2026"},
        {"previous", {Previous}, "07.03.2026"},
        {"next", {First, Next}, "07.03.2026"},
        {"last", {First, Last}, "10.03.2026"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db::Connection::main().exec("DELETE FROM Grafic");
        addDay(kDoctor, QDate(2026, 3, 1));
        addDay(kDoctor, QDate(2026, 3, 7));
        open();
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);   // today, 10.03.2026, the last day
        ASSERT_EQ(w->txtData->text(), QString("10.03.2026"));
        auto* nav = w->findChild<DataNavigator*>();
        QToolButton* const buttons[] = {nav->firstButton(), nav->previousButton(), nav->nextButton(),
                                        nav->lastButton()};
        for (Nav n : c.clicks)
            QTest::mouseClick(buttons[n], Qt::LeftButton);
        ASSERT_EQ(w->txtData->text(), c.shown);
        QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
        QStringList left;
        for (const db::Row& r : stored())
            left << toDDMMYYYY(dateFromIso(r.value("Data")));
        EXPECT_EQ(left.size(), 2);
        EXPECT_FALSE(left.contains(c.shown)) << left.join(",").toStdString();
        w->reject();
        w.reset();
    }
}

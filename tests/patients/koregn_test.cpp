#include "fixtures.h"

#include "db/database.h"
#include "patients/koregn.h"
#include "patients/patientrecord.h"
#include "patients/prompts.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::TestFolder;

namespace {

const QStringList kTables{"Pacients", "Dental", "Help", "Path", "Invest", "Spec"};

// Every EGN of every table that carries one, in row order.
QStringList snapshot()
{
    db::Connection c = db::Connection::main();
    QStringList all;
    for (const QString& t : kTables)
        for (const db::Row& r : c.query(QStringLiteral("SELECT EGN FROM %1 ORDER BY RecID").arg(t)))
            all << t + ":" + r.text("EGN");
    return all;
}

class KorEgnTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        prompts().notice = [this](const QString& text, QWidget*) { notices << text; };
        // The wrong EGN of the patient fails the check digit: it is not checked.
        addPatient(oldEgn, "Иван Петров Иванов", "1");
        for (int i = 0; i < 5; ++i)
            addTreatment(oldEgn);
        addPatient(otherEgn, "Мария Петрова", "1");
        addTreatment(otherEgn);
        db::Connection c = db::Connection::main();
        c.insert("Path", {"EGN", "ListID"}, {oldEgn, "000001"});
        c.insert("Invest", {"EGN", "ListID"}, {oldEgn, "000001"});
        c.insert("Spec", {"EGN", "ListID"}, {oldEgn, "000002"});
        c.insert("Spec", {"EGN", "ListID"}, {otherEgn, "000002"});
    }
    void TearDown() override
    {
        delete KorEGN::instance();
        prompts() = {};
    }

    KorEGN* window()
    {
        KorEGN* w = KorEGN::showShared();
        return w;
    }
    QLineEdit* box(const char* name) { return KorEGN::instance()->findChild<QLineEdit*>(name); }
    static void leave(QWidget* w, Qt::FocusReason reason)
    {
        QFocusEvent e(QEvent::FocusOut, reason);
        QApplication::sendEvent(w, &e);
    }

    TestFolder folder;
    const QString oldEgn = "8503151239";
    const QString newEgn = egnOf("850315123");
    const QString otherEgn = egnOf("900101003");
    QStringList messages, notices;
};

TEST_F(KorEgnTest, MovesPatientChartTreatmentsAndReferralsAndSaysSo)
{
    ASSERT_NE(oldEgn, newEgn);
    KorEGN* w = window();
    box("Text1")->setText("  " + oldEgn + " ");
    box("Text2")->setText(" " + newEgn + "  ");
    w->OKButton_Click();

    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("ЕГН е сменено.\rСтаро ЕГН: %1\rНово ЕГН: %2\rПациент 1, картон 1, дейности 5, направления 3")
                               .arg(oldEgn, newEgn));
    const QList<int> moved{1, 1, 5, 1, 1, 1};
    for (int i = 0; i < kTables.size(); ++i) {
        EXPECT_EQ(count(kTables[i], oldEgn), 0) << kTables[i].toStdString();
        EXPECT_EQ(count(kTables[i], newEgn), moved[i]) << kTables[i].toStdString();
    }
    EXPECT_EQ(count("Help", otherEgn), 1);
    EXPECT_EQ(count("Spec", otherEgn), 1);
    // The window stays, with the boxes as typed.
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(box("Text1")->text(), "  " + oldEgn + " ");

    // Nothing is left under the old EGN now.
    messages.clear();
    const QStringList before = snapshot();
    w->OKButton_Click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Няма записи със старото ЕГН %1.\rНищо не е променено.").arg(oldEgn)});
    EXPECT_EQ(snapshot(), before);

    // An empty old EGN is named as such, not as an EGN of nothing.
    EXPECT_EQ(moveEgn("  ", newEgn).message, QStringLiteral("Не е въведено старото ЕГН.\rНищо не е променено."));
    EXPECT_EQ(snapshot(), before);
}

// The birth date and the sex follow the EGN, as on a new card: the fund's
// report sends both.
TEST_F(KorEgnTest, BirthDateAndSexAreTakenFromTheNewEgn)
{
    const struct {
        QString from, to, dataB, pol;
    } cases[] = {
        {egnOf("800515123"), egnOf("800516123"), "16.05.1980", "Ж"},   // one day off
        {egnOf("800515125"), egnOf("800515122"), "15.05.1980", "М"},   // the sex digit
        {egnOf("054507125"), egnOf("054507124"), "07.05.2005", "М"},   // born in 2005
        {egnOf("750312654"), egnOf("054508127"), "08.05.2005", "Ж"},   // another century
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to.toStdString());
        addPatient(c.from, "Пациент", "1");
        {
            db::Connection db = db::Connection::main();
            db.exec("UPDATE Pacients SET DataB = ?, Pol = ? WHERE EGN = ?",
                    {patients::DataBFromEGN(c.from), patients::PolFromEGN(c.from), c.from});
        }
        ASSERT_EQ(moveEgn(c.from, c.to).outcome, EgnMove::Outcome::Moved);
        db::Connection db = db::Connection::main();
        const db::Row p = db.first("SELECT * FROM Pacients WHERE EGN = ?", {c.to});
        EXPECT_EQ(p.text("DataB"), c.dataB);
        EXPECT_EQ(p.text("Pol"), c.pol);
    }
}

// Nothing of the move is stored when the birth date cannot be written.
TEST_F(KorEgnTest, TheBirthDateIsWrittenInTheMovesTransaction)
{
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE UPDATE OF DataB ON Pacients BEGIN SELECT RAISE(ABORT, 'дата заключена'); END");
    }
    const QStringList before = snapshot();
    EXPECT_THROW(moveEgn(oldEgn, newEgn), db::DbError);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(KorEgnTest, RefusalsChangeNothing)
{
    const QString chartOnly = egnOf("750101002");
    const QString treatmentOnly = egnOf("750101003");
    {
        db::Connection c = db::Connection::main();
        c.insert("Dental", {"EGN"}, {chartOnly});
        c.insert("Help", {"EGN", "KodHelp"}, {treatmentOnly, "101"});
    }
    const struct {
        QString newEgn;
        QString startsWith;
    } cases[] = {
        {"8503151230", "Грешна контролна сума в ЕГН: \r   8503151230"},
        {egnOf("850230123"), "Грешна дата в ЕГН: "},
        {"850315123", "Невалидно ЕГН!"},
        {"85031512a9", "Невалидно ЕГН!"},
        {oldEgn, "Грешна контролна сума в ЕГН: "},   // the old one, which fails the rules
        {otherEgn, "ЕГН " + otherEgn + " вече е на друг пациент!"},
        {chartOnly, "ЕГН " + chartOnly + " вече е на друг пациент!"},
        {treatmentOnly, "ЕГН " + treatmentOnly + " вече е на друг пациент!"},
    };
    const QStringList before = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newEgn.toStdString());
        const EgnMove m = moveEgn(oldEgn, c.newEgn);
        EXPECT_EQ(m.outcome, EgnMove::Outcome::Refused);
        EXPECT_TRUE(m.message.startsWith(c.startsWith)) << m.message.toStdString();
        EXPECT_TRUE(m.message.endsWith("\rЕГН не е сменено."));
        EXPECT_EQ(snapshot(), before);
    }
    // A sound EGN equal to the old one.
    const EgnMove same = moveEgn(" " + otherEgn, otherEgn + " ");
    EXPECT_EQ(same.outcome, EgnMove::Outcome::Refused);
    EXPECT_TRUE(same.message.startsWith("Новото ЕГН е същото като старото!"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(KorEgnTest, AFailedMoveChangesNothing)
{
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE UPDATE OF EGN ON Spec BEGIN SELECT RAISE(ABORT, 'направление заключено'); END");
    }
    const QStringList before = snapshot();
    KorEGN* w = window();
    box("Text1")->setText(oldEgn);
    box("Text2")->setText(newEgn);
    w->OKButton_Click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("направление заключено"));
    EXPECT_TRUE(messages[0].endsWith("ЕГН не е сменено."));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(KorEgnTest, WindowBoxesAndTheirLengthMessages)
{
    KorEGN* w = window();
    EXPECT_EQ(w->windowTitle(), QString("Корекция на ЕГН"));
    EXPECT_FALSE(w->isModal());
    EXPECT_TRUE(w->findChild<QPushButton*>("CancelButton")->isDefault());
    EXPECT_FALSE(w->findChild<QPushButton*>("OKButton")->isDefault());
    EXPECT_EQ(w->findChild<QPushButton*>("OKButton")->text(), QString("Смени"));
    EXPECT_EQ(box("Text2")->palette().color(QPalette::Base), QColor(Qt::yellow));
    EXPECT_EQ(box("Text1")->toolTip(), QString("Старо ЕГН на пациента "));
    EXPECT_EQ(KorEGN::showShared(), w);   // one instance

    box("Text1")->setText(" 850315123 ");
    leave(box("Text1"), Qt::ActiveWindowFocusReason);   // another window came up
    EXPECT_TRUE(notices.isEmpty());
    leave(box("Text1"), Qt::TabFocusReason);
    EXPECT_EQ(notices, QStringList{"Грешно ЕГН!\rМоля, проверете старото ЕГН!"});

    box("Text2")->setText("12345678901");
    leave(box("Text2"), Qt::MouseFocusReason);
    EXPECT_EQ(notices.last(), QString("Грешно ЕГН!\rМоля, проверете новото ЕГН!"));
    box("Text2")->setText(" " + newEgn + " ");
    leave(box("Text2"), Qt::TabFocusReason);
    EXPECT_EQ(notices.size(), 2);
    EXPECT_TRUE(messages.isEmpty());

    // A click into the new EGN's box empties it.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box("Text2"), &press);
    EXPECT_EQ(box("Text2")->text(), QString());

    // The length message does not stop the correction from being started.
    box("Text2")->setText(newEgn);
    w->OKButton_Click();
    EXPECT_EQ(messages, QStringList{"Няма записи със старото ЕГН 850315123.\rНищо не е променено."});

    w->findChild<QPushButton*>("CancelButton")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(KorEGN::instance(), nullptr);
}

// Enter presses the button that has the focus; from a box it presses the
// default "Отказ".
TEST_F(KorEgnTest, EnterPressesTheFocusedButtonElseCancel)
{
    const struct {
        const char* focus;
        bool moved;
        bool staysOpen;
    } cases[] = {
        {"Text2", false, false},
        {"CancelButton", false, false},
        {"OKButton", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        messages.clear();
        KorEGN* w = window();
        w->activateWindow();
        box("Text1")->setText(oldEgn);
        box("Text2")->setText(newEgn);
        QWidget* target = w->findChild<QWidget*>(c.focus);
        target->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key_Return);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(count("Pacients", newEgn), c.moved ? 1 : 0);
        EXPECT_EQ(messages.size(), c.moved ? 1 : 0);
        EXPECT_EQ(KorEGN::instance() != nullptr, c.staysOpen);
        delete KorEGN::instance();
    }
}

} // namespace

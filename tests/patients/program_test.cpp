// The register in the running program: the main window opens the card and
// the search; keys and clicks go to the windows as a user's would.

#include "fixtures.h"

#include "db/database.h"
#include "patients/kartonadd.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/frmmain.h"
#include "shell/password.h"
#include "shell/startup.h"
#include "support/program_folder.h"
#include "treatments/denhelp.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::TestFolder;

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Focus moved by a click, as the user moves it.
void clickInto(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, 4));
    settle();
}

// Key presses carrying the characters (Cyrillic included).
void keys(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void typeInto(QWidget* w, const QString& text)
{
    clickInto(w);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
    keys(w, text);
}

} // namespace

TEST(RegisterInTheProgram, RegisterCorrectAndFindAPatient)
{
    TestFolder folder;
    {
        db::Connection c = db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic", "Password"}, {"Елена Георгиева Попова", "2200001", "kod111"});
    }
    QStringList messages;
    prompts().info = [&](const QString& text, QWidget*) { messages << text; };
    StartupHooks hooks;
    hooks.splash = false;
    hooks.login = [](QWidget*) {
        Password::vars().nIDMedic = 2200001;
        return true;
    };
    std::unique_ptr<frmMain> main = loadProgram(folder.path(), hooks);
    ASSERT_TRUE(main);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    EXPECT_EQ(CurrentDoctorCode, QString("2200001"));

    // "Регистрация": a new card
    main->menuItem("mnuPacReg")->trigger();
    KartonAdd* card = KartonAdd::instance();
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
    const QString egn = egnOf("154512124");   // a boy born 12.05.2015
    clickInto(card->findChild<QLineEdit*>("Text3"));
    QLineEdit* entry = card->findChild<QLineEdit*>("Text11");
    ASSERT_TRUE(entry->hasFocus());
    QTest::keyClicks(entry, egn);
    QTest::keyClick(entry, Qt::Key_Tab);   // leaving the entry box
    settle();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_TRUE(entry->isHidden());
    EXPECT_EQ(card->txtFields(17)->text(), QString("М"));
    QLineEdit* names = card->findChild<QLineEdit*>("Text2");
    EXPECT_TRUE(names->hasFocus());
    keys(names, "Георги Николов Тодоров");
    typeInto(card->findChild<QLineEdit*>("Text6"), "4000");
    clickInto(card->findChild<QLineEdit*>("Text14"));   // leaving the post code looks it up
    EXPECT_EQ(card->findChild<QLineEdit*>("Text1")->text(), QString("Пловдив"));
    keys(card->findChild<QLineEdit*>("Text14"), "Гладстон !12");
    typeInto(card->txtFields(50), "00");   // tooth 17: no milk tooth, stays "*"
    typeInto(card->txtFields(66), "00");   // tooth 11: milk tooth 51 present
    typeInto(card->txtFields(45), "1");    // tooth 36
    clickInto(card->txtFields(19));
    EXPECT_EQ(card->findChild<QLineEdit*>("Text14")->text(), QString("ул. Гладстон №12"));
    EXPECT_EQ(card->txtFields(45)->text(), QString("C"));
    EXPECT_EQ(card->txtFields(50)->text(), QString("*"));
    EXPECT_TRUE(card->check(5)->isChecked());
    EXPECT_EQ(card->txtFields(28)->text(), QString("*"));
    EXPECT_TRUE(card->txtFields(66)->isHidden());

    // ticking the switch of 55 with the mouse, then leaving it: the crown goes with it
    typeInto(card->txtFields(65), "5");
    clickInto(card->check(1));
    EXPECT_TRUE(card->check(1)->isChecked());
    EXPECT_TRUE(card->txtFields(29)->isHidden());   // moves only when left
    clickInto(card->txtFields(19));
    EXPECT_FALSE(card->txtFields(29)->isHidden());
    EXPECT_TRUE(card->txtFields(65)->isHidden());
    EXPECT_EQ(card->txtFields(29)->text(), QString("K"));

    messages.clear();
    QTest::mouseClick(card->findChild<QPushButton*>("cmdUpdate"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_EQ(DenHelp::vars().sAddEGN, egn);
    QTest::mouseClick(card->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    settle();
    ASSERT_NE(DenHelp::instance(), nullptr);
    EXPECT_TRUE(DenHelp::instance()->isVisible());
    EXPECT_EQ(DenHelp::vars().sVidDen, QString("New"));
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    {
        db::Connection c = db::Connection::main();
        const db::Row p = c.first("SELECT * FROM Pacients WHERE EGN = ?", {egn});
        EXPECT_EQ(p.text("Names"), QString("Георги Николов Тодоров"));
        EXPECT_EQ(p.text("LKod"), QString("2200001"));
        EXPECT_EQ(p.toInt("IDName"), 2200001);
        EXPECT_EQ(p.text("DataB"), QString("12.05.2015"));
        EXPECT_EQ(p.text("Tawn"), QString("Пловдив"));
        const db::Row d = c.first("SELECT * FROM Dental WHERE EGN = ?", {egn});
        EXPECT_EQ(d.text("Z5"), QString("*"));
        EXPECT_EQ(d.text("Z28"), QString());
        EXPECT_EQ(d.text("Z22"), QString("*"));
        EXPECT_EQ(d.text("Z50"), QString("C"));
        EXPECT_EQ(d.text("Z1"), QString("K"));
        EXPECT_EQ(d.text("Z24"), QString());
    }

    // "Корекция": found by the first name typed in lower case, the card corrected
    main->menuItem("mnuPacKor")->trigger();
    SeekName* seek = SeekName::instance();
    ASSERT_NE(seek, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(seek));
    settle();   // the window's activation reaches it after the platform's
    EXPECT_EQ(seek->windowTitle(), QString("Корекция - Търсене по име"));
    keys(seek->findChild<QLineEdit*>("Text1"), "георги");
    QTest::keyClick(seek->findChild<QLineEdit*>("Text1"), Qt::Key_Return);   // "Търси" is the default
    settle();
    EXPECT_EQ(messages.takeLast(), QString("Завърших търсенето на имената!"));
    QComboBox* found = seek->findChild<QComboBox*>("Combo1");
    ASSERT_EQ(found->count(), 1);
    found->setCurrentIndex(0);
    emit found->activated(0);
    settle();
    card = KartonAdd::instance();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    EXPECT_TRUE(card->check(1)->isChecked());     // set up from the row
    EXPECT_TRUE(card->check(5)->isChecked());
    EXPECT_FALSE(card->findChild<QPushButton*>("cmdClose")->isEnabled());
    typeInto(card->txtFields(13), "0888123456");
    typeInto(card->txtFields(64), "5");            // tooth 14
    QTest::mouseClick(card->findChild<QPushButton*>("cmdUpdate"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(card->findChild<QPushButton*>("cmdClose")->isEnabled());
    QTest::mouseClick(card->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(SeekName::instance(), nullptr);   // the card took the search with it
    {
        db::Connection c = db::Connection::main();
        EXPECT_EQ(c.first("SELECT MTel FROM Pacients WHERE EGN = ?", {egn}).text("MTel"), QString("0888123456"));
        EXPECT_EQ(c.first("SELECT Z25 FROM Dental WHERE EGN = ?", {egn}).text("Z25"), QString("K"));
    }
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    prompts() = {};
    main.reset();
    settle();
}

TEST(RegisterInTheProgram, AnotherWindowDoesNotCountAsLeavingTheBox)
{
    TestFolder folder;
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "1", {{"Z24", "K"}});
    QStringList messages;
    prompts().info = [&](const QString& text, QWidget*) { messages << text; };
    CardMode = "Edit";
    SeekName::vars().sFindEGN = egn;
    KartonAdd* card = KartonAdd::showShared();
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    QWidget other;
    other.setWindowTitle("друг прозорец");
    other.resize(200, 100);
    const auto switchAwayAndBack = [&] {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        card->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    };

    typeInto(card->txtFields(44), "8");   // tooth 37; the focus stays in the box
    switchAwayAndBack();
    EXPECT_EQ(card->txtFields(44)->text(), QString("8"));
    EXPECT_TRUE(card->txtFields(44)->hasFocus());
    clickInto(card->txtFields(19));
    EXPECT_EQ(card->txtFields(44)->text(), QString("P"));

    clickInto(card->check(1));            // ticked; the focus stays on the switch
    switchAwayAndBack();
    EXPECT_EQ(card->txtFields(65)->text(), QString("K"));
    EXPECT_TRUE(card->check(1)->isChecked());
    EXPECT_TRUE(card->check(1)->hasFocus());
    clickInto(card->txtFields(19));       // now it is left
    EXPECT_EQ(card->txtFields(29)->text(), QString("K"));
    EXPECT_TRUE(card->txtFields(65)->isHidden());
    switchAwayAndBack();
    EXPECT_EQ(card->txtFields(29)->text(), QString("K"));
    EXPECT_TRUE(card->check(1)->isChecked());
    EXPECT_TRUE(messages.isEmpty());
    delete card;
    prompts() = {};
    CardMode.clear();
}

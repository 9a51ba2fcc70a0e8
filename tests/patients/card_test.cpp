#include "fixtures.h"

#include "databind/datacontrol.h"
#include "db/database.h"
#include "patients/kartonadd.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "patients/toothcodes.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/password.h"
#include "support/program_folder.h"
#include "support/shown_texts.h"
#include "treatments/denhelp.h"
#include "treatments/viewhelp.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::ShownTexts;
using testing_support::TestFolder;
using testing_support::shownTexts;

namespace {

// Whether the treatment form is on screen.
bool treatmentFormShown()
{
    return DenHelp::instance() && DenHelp::instance()->isVisible();
}

class Card : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = "220001";
        Password::vars().nIDMedic = 2201;
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        prompts().ask = [this](const QString& q, QWidget*, const QString& caption) {
            questions << caption + "|" + q;
            return answer;
        };
        DenHelp::vars() = {};
        KartonAdd::vars() = {};
        SeekName::vars() = {};
    }
    void TearDown() override
    {
        delete DenHelp::instance();
        delete ViewHelp::instance();
        delete KartonAdd::instance();
        prompts() = {};
        CardMode.clear();
    }

    KartonAdd* open(const QString& mode, const QString& egn = {})
    {
        CardMode = mode;
        if (!egn.isEmpty()) {
            SeekName::vars().sFindEGN = egn;
            SeekName::vars().sFindName = "x";
        }
        KartonAdd* card = KartonAdd::showShared();
        messages.clear();
        return card;
    }
    template <class W = QLineEdit>
    W* box(const char* name)
    {
        return KartonAdd::instance()->findChild<W*>(name);
    }
    QLineEdit* tooth(int fdi)
    {
        const int column = columnOfTooth(fdi);
        for (int i = 23; i <= 74; ++i)
            if (columnOfBox(i) == column)
                return KartonAdd::instance()->txtFields(i);
        return nullptr;
    }
    static void leave(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QFocusEvent e(QEvent::FocusOut, reason);
        QApplication::sendEvent(w, &e);
    }
    static void enter(QWidget* w, Qt::FocusReason reason = Qt::MouseFocusReason)
    {
        QFocusEvent e(QEvent::FocusIn, reason);
        QApplication::sendEvent(w, &e);
    }
    void typeEgn(const QString& text)
    {
        QLineEdit* text3 = box("Text3");
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), text3->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(text3, &press);
        box("Text11")->setText(text);
        leave(box("Text11"));
    }
    static void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString pacient(const QString& egn, const char* field)
    {
        db::Connection c = db::Connection::main();
        return c.first("SELECT * FROM Pacients WHERE EGN = ?", {egn}).text(field);
    }
    QString dental(const QString& egn, const char* field)
    {
        db::Connection c = db::Connection::main();
        return c.first("SELECT * FROM Dental WHERE EGN = ?", {egn}).text(field);
    }

    TestFolder folder;
    QStringList messages;
    QStringList questions;
    bool answer = false;
};

} // namespace

TEST_F(Card, BareNewCardBindsNothingAndWritesNothing)
{
    addPatient(egnOf("750312654"), "Иван Петров Колев", "220001", {{"Z21", "C"}});
    KartonAdd* card = open("New");
    EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
    EXPECT_FALSE(card->record().isBound());
    // the first patient's rows are not on the card
    EXPECT_EQ(box("Text2")->text(), QString());
    EXPECT_EQ(tooth(18)->text(), QString());
    EXPECT_FALSE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_FALSE(box<QPushButton>("cmdDelete")->isEnabled());
    EXPECT_FALSE(box<QPushButton>("cmdClose")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdAdd")->isEnabled());
    EXPECT_FALSE(box("Text2")->isEnabled());
    EXPECT_TRUE(box("Text11")->isHidden());
    card->cmdUpdate_Click();
    card->cmdDelete_Click();
    // "Добави" begins with the EGN
    card->cmdAdd_Click();
    EXPECT_FALSE(box("Text11")->isHidden());
    EXPECT_FALSE(card->record().isBound());
    card->cmdClose_Click();
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_FALSE(treatmentFormShown());
    db::Connection c = db::Connection::main();
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Pacients").toInt(), 1);
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Dental").toInt(), 1);
    EXPECT_EQ(pacient(egnOf("750312654"), "Names"), QString("Иван Петров Колев"));
}

TEST_F(Card, ANewCardTakesTheEgnTypedAtOnce)
{
    // Ctrl+N and the doctor types the EGN and Tab, without a click first;
    // the card is owned by the main window as in the program.
    QWidget main;
    setMainWindow(&main);
    main.show();
    KartonAdd* card = open("New");
    EXPECT_EQ(card->parentWidget(), &main);
    QApplication::setActiveWindow(card);
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    const QString egn = egnOf("750312654");
    QTest::keyClicks(QApplication::focusWidget(), egn);
    EXPECT_FALSE(box("Text11")->isHidden());
    EXPECT_EQ(box("Text11")->text(), egn);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(box("Text3")->text(), egn);
    EXPECT_TRUE(card->record().isBound());
    EXPECT_EQ(QApplication::focusWidget(), box("Text2"));   // on with the names
    // The bound EGN box itself takes no typing.
    box("Text3")->setFocus();
    QTest::keyClick(box("Text3"), Qt::Key_Backspace);
    EXPECT_EQ(box("Text3")->text(), egn);

    // Enter after the EGN leaves the entry as Tab does.
    delete card;
    card = open("New");
    QApplication::setActiveWindow(card);
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    const QString other = egnOf("800101123");
    QTest::keyClicks(QApplication::focusWidget(), other);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(box("Text3")->text(), other);
    EXPECT_TRUE(card->record().isBound());
    EXPECT_EQ(QApplication::focusWidget(), box("Text2"));
    delete card;
    setMainWindow(nullptr);
}

TEST_F(Card, EntryOfTheWrongLengthClosesTheCard)
{
    for (const char* typed : {"123456789", "12345678901", "", "75031265a4", "7503 12654"}) {
        open("New");
        typeEgn(typed);
        EXPECT_EQ(messages, QStringList{"Невалидно ЕГН!"}) << typed;
        settle();
        EXPECT_EQ(KartonAdd::instance(), nullptr) << typed;
    }
    // blanks around are trimmed before the length is counted
    open("New");
    const QString egn = egnOf("750312654");
    typeEgn("  " + egn + " ");
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(box("Text3")->text(), egn);
    EXPECT_TRUE(KartonAdd::instance()->record().isBound());
}

TEST_F(Card, AWrongEgnLeftByTheKeyboardTakesTheFocusBackForCorrection)
{
    KartonAdd* card = open("New");
    card->activateWindow();
    QApplication::setActiveWindow(card);
    QString sum = egnOf("750312654");
    sum[9] = QChar(sum[9] == '9' ? '0' : sum[9].unicode() + 1);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Tab}) {
        messages.clear();
        card->cmdAdd_Click();
        QLineEdit* entry = box("Text11");
        ASSERT_TRUE(entry->hasFocus());
        entry->setText(sum);
        QTest::keyClick(entry, key);
        QApplication::processEvents();
        EXPECT_EQ(messages, QStringList{"Грешна контролна сума в ЕГН: \r   " + sum});
        EXPECT_EQ(QApplication::focusWidget(), entry) << key;
        EXPECT_EQ(entry->selectedText(), sum);
    }
}

TEST_F(Card, FailedCheckKeepsTheEntryOpenAndAllowsNoSave)
{
    KartonAdd* card = open("New");
    const QString egn = egnOf("124931123");   // 31.09.2012
    typeEgn(egn);
    EXPECT_EQ(messages, QStringList{"Грешна дата в ЕГН: \r   " + egn});
    EXPECT_EQ(CardMode, QString(" "));
    EXPECT_FALSE(box("Text11")->isHidden());
    EXPECT_EQ(box("Text11")->text(), egn);
    EXPECT_FALSE(card->record().isBound());
    card->cmdUpdate_Click();
    card->cmdDelete_Click();
    messages.clear();
    const QString month = egnOf("751312123");
    box("Text11")->setText(month);
    leave(box("Text11"));
    EXPECT_EQ(messages, QStringList{"Грешен месец в ЕГН: \r   " + month});
    messages.clear();
    QString sum = egnOf("750312654");
    sum[9] = QChar(sum[9] == '9' ? '0' : sum[9].unicode() + 1);
    box("Text11")->setText(sum);
    leave(box("Text11"));
    EXPECT_EQ(messages, QStringList{"Грешна контролна сума в ЕГН: \r   " + sum});
    db::Connection c = db::Connection::main();
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Pacients").toInt(), 0);
    EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Dental").toInt(), 0);
    // corrected and left again: a child born after 2010 is registered
    messages.clear();
    const QString child = egnOf("154512123");
    box("Text11")->setText(child);
    leave(box("Text11"));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(CardMode, QString("New"));
    EXPECT_TRUE(card->record().isBound());
}

TEST_F(Card, NewPatientIsSavedAndHandedToTheTreatmentForm)
{
    KartonAdd* card = open("New");
    const QString egn = egnOf("054107124");   // 07.01.2005, ninth digit 4
    typeEgn(egn);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(CardMode, QString("New"));
    EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
    EXPECT_EQ(box("Text3")->text(), egn);
    EXPECT_TRUE(box("Text11")->isHidden());
    EXPECT_EQ(card->txtFields(17)->text(), QString("М"));
    EXPECT_FALSE(box<QPushButton>("cmdAdd")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdClose")->isEnabled());
    EXPECT_TRUE(box("Text2")->isEnabled());

    box("Text2")->setText("Мария Иванова Колева ");
    leave(box("Text2"));
    box("Text6")->setText("4000");
    leave(box("Text6"));
    EXPECT_EQ(box("Text1")->text(), QString("Пловдив"));
    EXPECT_FALSE(card->txtFields(6)->text().isEmpty());
    EXPECT_EQ(KartonAdd::vars().sFieldZK, card->txtFields(6)->text());
    box("Text14")->setText("Гладстон !12");
    leave(box("Text14"));
    EXPECT_EQ(box("Text14")->text(), QString("ул. Гладстон №12"));
    box("Text12")->setText("12345678");
    leave(box("Text12"));
    tooth(36)->setText("1");
    leave(tooth(36));
    EXPECT_EQ(tooth(36)->text(), QString("C"));
    box<QPlainTextEdit>("Text4")->setPlainText("пеницилин");
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));

    card->cmdUpdate_Click();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(pacient(egn, "Names"), QString("Мария Иванова Колева "));
    EXPECT_EQ(pacient(egn, "LKod"), QString("220001"));
    EXPECT_EQ(pacient(egn, "IDName"), QString("2201"));
    EXPECT_EQ(pacient(egn, "DataB"), QString("07.01.2005"));
    EXPECT_EQ(pacient(egn, "Pol"), QString("М"));
    EXPECT_EQ(pacient(egn, "UL"), QString("ул. Гладстон №12"));
    EXPECT_EQ(pacient(egn, "Nep"), QString("пеницилин"));
    EXPECT_EQ(pacient(egn, "RZOK"), card->txtFields(6)->text());
    EXPECT_EQ(dental(egn, "Z50"), QString("C"));
    EXPECT_EQ(DenHelp::vars().sAddEGN, egn);
    EXPECT_EQ(DenHelp::vars().sAddName, QString("Мария Иванова Колева"));
    EXPECT_EQ(CardMode, QString("New"));
    EXPECT_FALSE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_FALSE(treatmentFormShown());

    card->cmdClose_Click();
    EXPECT_TRUE(treatmentFormShown());
    EXPECT_EQ(DenHelp::vars().sVidDen, QString("New"));
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_EQ(count("Dental", egn), 1);
}

TEST_F(Card, ClosingATypedNewCardSavesItAndOnlyASavedOneOpensTheTreatmentForm)
{
    // "Затвори" on a typed new card saves it first, as "Запиши" would
    KartonAdd* card = open("New");
    const QString egn = egnOf("750312654");
    typeEgn(egn);
    box("Text2")->setText("Иван Петров Колев");
    card->cmdClose_Click();
    settle();
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_EQ(count("Dental", egn), 1);
    EXPECT_TRUE(treatmentFormShown());
    EXPECT_EQ(DenHelp::vars().sAddEGN, egn);
    EXPECT_EQ(DenHelp::vars().sAddName, QString("Иван Петров Колев"));

    // a save that fails opens nothing and keeps the card and what was typed
    delete DenHelp::instance();
    DenHelp::vars() = {};
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE INSERT ON Pacients BEGIN SELECT RAISE(ABORT, 'disk is full'); END");
    }
    const QString other = egnOf("750312655");
    card = open("New");
    typeEgn(other);
    box("Text2")->setText("Мария Петрова Колева");
    card->cmdUpdate_Click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("disk is full")) << qPrintable(messages[0]);
    EXPECT_TRUE(box<QPushButton>("cmdUpdate")->isEnabled());   // may be tried again
    EXPECT_EQ(box("Text2")->text(), QString("Мария Петрова Колева"));
    EXPECT_TRUE(DenHelp::vars().sAddEGN.isEmpty());
    EXPECT_EQ(count("Dental", other), 0);
    card->cmdClose_Click();
    settle();
    EXPECT_FALSE(treatmentFormShown());
    EXPECT_EQ(KartonAdd::instance(), card);

    // closing by the frame asks before giving the edits up
    answer = false;
    questions.clear();
    card->close();
    settle();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(KartonAdd::instance(), card);
    answer = true;
    card->close();
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(count("Pacients", other), 0);
    EXPECT_FALSE(treatmentFormShown());
}

TEST_F(Card, ClosingRightAfterTheEgnStoresNoNamelessPatient)
{
    // Closed by "Затвори" or by the frame, with only the EGN typed: the
    // checks of "Запиши" stop the save, and the doctor decides.
    struct Case {
        const char* how;
        bool byButton;
        bool giveUp;
    };
    const Case cases[] = {
        {"Затвори, kept", true, false},
        {"Затвори, given up", true, true},
        {"frame, kept", false, false},
        {"frame, given up", false, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString egn = egnOf(QStringLiteral("75031265%1").arg(n++));
        KartonAdd* card = open("New");
        typeEgn(egn);
        ASSERT_EQ(card->record().state(), PatientRecord::State::NewRow) << c.how;
        questions.clear();
        answer = c.giveUp;
        if (c.byButton)
            card->cmdClose_Click();
        else
            card->close();
        settle();
        EXPECT_EQ(messages, QStringList{kMsgThreeNames}) << c.how;
        EXPECT_EQ(questions, QStringList{"|Данните не са записани.\rЗатваряте ли картона без запис?"}) << c.how;
        EXPECT_EQ(count("Pacients", egn), 0) << c.how;
        EXPECT_EQ(count("Dental", egn), 0) << c.how;
        EXPECT_FALSE(treatmentFormShown()) << c.how;
        EXPECT_TRUE(DenHelp::vars().sAddEGN.isEmpty()) << c.how;
        if (c.giveUp) {
            EXPECT_EQ(KartonAdd::instance(), nullptr) << c.how;
            continue;
        }
        // Kept: the names typed now, "Затвори" stores the patient and hands it on.
        ASSERT_EQ(KartonAdd::instance(), card) << c.how;
        messages.clear();
        box("Text2")->setText("Иван");
        card->cmdClose_Click();
        settle();
        EXPECT_TRUE(messages.isEmpty()) << c.how << qPrintable(messages.join("; "));
        EXPECT_EQ(pacient(egn, "Names"), QString("Иван")) << c.how;
        EXPECT_EQ(KartonAdd::instance(), nullptr) << c.how;
        EXPECT_TRUE(treatmentFormShown()) << c.how;
        EXPECT_EQ(DenHelp::vars().sAddEGN, egn) << c.how;
        delete DenHelp::instance();
        DenHelp::vars() = {};
    }

    // "Запиши" refuses it the same way and keeps the card as it is.
    const QString egn = egnOf("750312649");
    KartonAdd* card = open("New");
    typeEgn(egn);
    box("Text2")->setText("   ");
    card->cmdUpdate_Click();
    EXPECT_EQ(messages, QStringList{kMsgThreeNames});
    EXPECT_EQ(count("Pacients", egn), 0);
    EXPECT_TRUE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
}

TEST_F(Card, AnEgnCorrectedOnAnUnsavedNewCardTakesWhatWasTyped)
{
    // The dentist typed a patient under a mistyped EGN and corrects it before
    // "Запиши": nothing is stored under the mistyped one, and what was typed
    // goes with the corrected one. A chart left under the corrected EGN
    // without its patient is not read over what was typed.
    const QString typo = egnOf("850315456"), right = egnOf("991231999");   // sexes М and Ж
    {
        db::Connection c = db::Connection::main();
        c.insert("Dental", {"EGN", "Z21", "Z6"}, {right, "K", "*"});
    }
    struct Case {
        const char* how;
        QStringList entries;   // the EGN entries after the typo, the last one right
    };
    const Case cases[] = {
        {"corrected at once", {right}},
        {"after a wrong checksum", {typo.left(9) + QChar(typo[9] == '0' ? '1' : '0'), right}},
        {"the same EGN again first", {typo, right}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.how);
        KartonAdd* card = open("New");
        typeEgn(typo);
        box("Text2")->setText("Петър Петров Петров");
        leave(box("Text2"));
        card->txtFields(11)->setText("032123456");
        tooth(36)->setText("1");
        leave(tooth(36));
        tooth(11)->setText("00");   // ticks the switch of milk tooth 51
        leave(tooth(11));
        ASSERT_TRUE(card->check(5)->isChecked());
        questions.clear();
        for (const QString& e : k.entries) {
            messages.clear();
            typeEgn(e);
        }
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
        EXPECT_TRUE(questions.isEmpty()) << qPrintable(questions.join("; "));
        EXPECT_EQ(CardMode, QString("New"));
        EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
        EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
        EXPECT_EQ(box("Text3")->text(), right);
        EXPECT_TRUE(box("Text11")->isHidden());
        EXPECT_EQ(box("Text2")->text(), QString("Петър Петров Петров"));
        EXPECT_EQ(card->txtFields(11)->text(), QString("032123456"));
        EXPECT_EQ(card->txtFields(17)->text(), QString("Ж"));
        EXPECT_EQ(tooth(36)->text(), QString("C"));
        EXPECT_TRUE(card->check(5)->isChecked());
        EXPECT_EQ(tooth(51)->text(), QString("*"));
        EXPECT_FALSE(tooth(51)->isHidden());
        EXPECT_TRUE(tooth(11)->isHidden());
        EXPECT_EQ(tooth(18)->text(), QString());
        EXPECT_FALSE(card->check(6)->isChecked());
        EXPECT_EQ(count("Pacients", typo), 0);
        EXPECT_EQ(count("Dental", typo), 0);
        EXPECT_EQ(count("Pacients", right), 0);
        delete card;
    }

    // Saved: the patient under the corrected EGN, its birth date and sex from it.
    KartonAdd* card = open("New");
    typeEgn(typo);
    box("Text2")->setText("Петър Петров Петров");
    tooth(36)->setText("1");
    leave(tooth(36));
    typeEgn(right);
    card->cmdUpdate_Click();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(pacient(right, "Names"), QString("Петър Петров Петров"));
    EXPECT_EQ(pacient(right, "DataB"), QString("31.12.1999"));
    EXPECT_EQ(pacient(right, "Pol"), QString("Ж"));
    EXPECT_EQ(dental(right, "Z50"), QString("C"));
    EXPECT_EQ(count("Dental", right), 1);
    EXPECT_EQ(count("Pacients", typo), 0);
    EXPECT_EQ(count("Dental", typo), 0);
}

TEST_F(Card, AnotherEgnOnANamelessNewCardGoesOnWithItsSex)
{
    const QString first = egnOf("750312654"), second = egnOf("880229123");
    KartonAdd* card = open("New");
    typeEgn(first);
    EXPECT_EQ(card->txtFields(17)->text(), QString("М"));
    typeEgn(second);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_TRUE(questions.isEmpty()) << qPrintable(questions.join("; "));
    EXPECT_EQ(box("Text3")->text(), second);
    EXPECT_EQ(card->txtFields(17)->text(), QString("Ж"));
    EXPECT_TRUE(box("Text11")->isHidden());
    EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
    EXPECT_EQ(count("Pacients", first), 0);
    EXPECT_EQ(count("Pacients", second), 0);
}

TEST_F(Card, AStoredPatientsEgnOnAnUnsavedNewCardAsksFirst)
{
    const QString typed = egnOf("850315456"), stored = egnOf("750312654");
    addPatient(stored, "Иван Петров Колев", "220001", {{"Z21", "K"}});
    KartonAdd* card = open("New");
    typeEgn(typed);
    box("Text2")->setText("Петър Петров Петров");
    card->txtFields(11)->setText("032123456");
    tooth(36)->setText("1");
    leave(tooth(36));

    // "НЕ": the entry stays with the EGN selected, the card as it was.
    QApplication::setActiveWindow(card);
    answer = false;
    questions.clear();
    card->cmdAdd_Click();
    QLineEdit* entry = box("Text11");
    ASSERT_TRUE(entry->hasFocus());
    entry->setText(stored);
    QTest::keyClick(entry, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(questions, QStringList{"|Данните не са записани.\rПродължавате ли без запис?"});
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_FALSE(entry->isHidden());
    EXPECT_EQ(entry->text(), stored);
    EXPECT_EQ(QApplication::focusWidget(), entry);
    EXPECT_EQ(entry->selectedText(), stored);
    EXPECT_EQ(CardMode, QString("New"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
    EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
    EXPECT_EQ(box("Text3")->text(), typed);
    EXPECT_EQ(box("Text2")->text(), QString("Петър Петров Петров"));
    EXPECT_EQ(card->txtFields(11)->text(), QString("032123456"));
    EXPECT_EQ(tooth(36)->text(), QString("C"));
    EXPECT_EQ(count("Pacients", typed), 0);
    EXPECT_EQ(count("Dental", typed), 0);

    // "ДА": the stored patient, as stored; still nothing under the typed EGN.
    questions.clear();
    answer = true;
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(questions, QStringList{"|Данните не са записани.\rПродължавате ли без запис?"});
    EXPECT_EQ(messages, QStringList{"Имате пациент с това ЕГН!\rЩе покажа данните."});
    EXPECT_EQ(CardMode, QString("Edit"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    EXPECT_TRUE(card->record().isStored());
    EXPECT_EQ(box("Text3")->text(), stored);
    EXPECT_EQ(box("Text2")->text(), QString("Иван Петров Колев"));
    EXPECT_EQ(tooth(18)->text(), QString("K"));
    EXPECT_EQ(tooth(36)->text(), QString());
    EXPECT_EQ(count("Pacients", typed), 0);
    EXPECT_EQ(count("Dental", typed), 0);
    EXPECT_EQ(pacient(stored, "Names"), QString("Иван Петров Колев"));
    EXPECT_EQ(pacient(stored, "DTel"), QString());
}

TEST_F(Card, AnEntryOfTheWrongLengthStoresNothingTyped)
{
    // The card closes as on any wrong length, but a new patient never stored
    // is given up only when the dentist says so; a stored patient's edits are
    // written as the card closes.
    const QString stored = egnOf("750312654");
    addPatient(stored, "Иван Петров Колев", "220001");
    struct Case {
        const char* how;
        bool newCard;
        bool giveUp;
        bool asked;
        bool closed;
    };
    const Case cases[] = {
        {"new card, kept", true, false, true, false},
        {"new card, given up", true, true, true, true},
        {"stored patient", false, false, false, true},
    };
    const QString typed = egnOf("850315456");
    for (const Case& k : cases) {
        SCOPED_TRACE(k.how);
        KartonAdd* card = k.newCard ? open("New") : open("Edit", stored);
        if (k.newCard) {
            typeEgn(typed);
            box("Text2")->setText("Петър Петров Петров");
        }
        card->txtFields(11)->setText("032123456");
        messages.clear();
        questions.clear();
        answer = k.giveUp;
        typeEgn("123456789");
        QApplication::processEvents();
        settle();
        EXPECT_EQ(messages, QStringList{"Невалидно ЕГН!"});
        EXPECT_EQ(questions, k.asked ? QStringList{"|Данните не са записани.\rЗатваряте ли картона без запис?"}
                                     : QStringList());
        EXPECT_EQ(count("Pacients", typed), 0);
        EXPECT_EQ(count("Dental", typed), 0);
        EXPECT_EQ(pacient(stored, "DTel"), QString(k.newCard ? "" : "032123456"));
        if (k.closed) {
            EXPECT_EQ(KartonAdd::instance(), nullptr);
            continue;
        }
        // Kept: the entry open with what was typed, selected for correction.
        ASSERT_EQ(KartonAdd::instance(), card);
        EXPECT_FALSE(box("Text11")->isHidden());
        EXPECT_EQ(box("Text11")->selectedText(), QString("123456789"));
        EXPECT_EQ(box("Text2")->text(), QString("Петър Петров Петров"));
        EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
        EXPECT_EQ(box("Text3")->text(), typed);
        delete card;
    }
}

TEST_F(Card, ClosingWhileARefusedEgnStandsInTheEntryStoresNothingUnderTheOldOne)
{
    // The EGN of a begun patient is being replaced; the one typed fails its
    // checks, and the card is closed: nothing goes under the EGN given up.
    const QString typed = egnOf("850315456");
    QString refused = egnOf("750312654");
    refused[9] = QChar(refused[9] == '9' ? '0' : refused[9].unicode() + 1);
    for (const bool giveUp : {false, true}) {
        SCOPED_TRACE(giveUp ? "given up" : "kept");
        KartonAdd* card = open("New");
        typeEgn(typed);
        box("Text2")->setText("Петър Петров Петров");
        typeEgn(refused);
        ASSERT_EQ(messages.size(), 1);
        questions.clear();
        answer = giveUp;
        card->cmdClose_Click();
        settle();
        EXPECT_EQ(questions, QStringList{"|Данните не са записани.\rЗатваряте ли картона без запис?"});
        EXPECT_EQ(count("Pacients", typed), 0);
        EXPECT_EQ(count("Dental", typed), 0);
        if (giveUp) {
            EXPECT_EQ(KartonAdd::instance(), nullptr);
            continue;
        }
        ASSERT_EQ(KartonAdd::instance(), card);
        EXPECT_EQ(box("Text2")->text(), QString("Петър Петров Петров"));
        EXPECT_EQ(box("Text11")->text(), refused);
        messages.clear();
        delete card;
    }
}

TEST_F(Card, EntryOfAKnownEgnJumpsToThatPatientWithItsMilkTeeth)
{
    const QString shown = egnOf("150503123"), found = egnOf("750312654");
    // the patient on the card first has milk tooth 61; the one found has 55
    addPatient(shown, "Петър Колев Иванов", "220001", {{"Z6", "*"}});
    addPatient(found, "Иван Петров Колев", "220001", {{"Z1", "K"}, {"Z21", "C"}});
    KartonAdd* card = open("Edit", shown);
    EXPECT_TRUE(card->check(6)->isChecked());
    EXPECT_FALSE(tooth(61)->isHidden());
    EXPECT_TRUE(tooth(21)->isHidden());
    box("Text2")->setText("Петър Колев Иванов-Шишков");   // an edit not yet saved

    typeEgn(found);
    EXPECT_EQ(messages, QStringList{"Имате пациент с това ЕГН!\rЩе покажа данните."});
    EXPECT_EQ(CardMode, QString("Edit"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    EXPECT_EQ(KartonAdd::vars().sKorEGN, found);
    EXPECT_EQ(KartonAdd::vars().sKorName, QString("Иван Петров Колев"));
    EXPECT_EQ(box("Text2")->text(), QString("Иван Петров Колев"));
    EXPECT_EQ(tooth(18)->text(), QString("C"));
    EXPECT_FALSE(card->check(6)->isChecked());
    EXPECT_TRUE(tooth(61)->isHidden());
    EXPECT_FALSE(tooth(21)->isHidden());
    EXPECT_TRUE(card->check(1)->isChecked());
    EXPECT_FALSE(tooth(55)->isHidden());
    EXPECT_EQ(tooth(55)->text(), QString("K"));
    EXPECT_TRUE(tooth(15)->isHidden());
    // the edit of the patient shown before was written when the card moved on
    EXPECT_EQ(pacient(shown, "Names"), QString("Петър Колев Иванов-Шишков"));

    // a new card after one with ticked switches shows every permanent box
    messages.clear();
    typeEgn(egnOf("880229123"));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(CardMode, QString("New"));
    for (int n = 1; n <= 20; ++n)
        EXPECT_FALSE(card->check(n)->isChecked()) << n;
    EXPECT_FALSE(tooth(15)->isHidden());
    EXPECT_TRUE(tooth(55)->isHidden());
    EXPECT_EQ(tooth(55)->text(), QString());
    EXPECT_EQ(tooth(18)->text(), QString());
}

TEST_F(Card, TheTreatmentListBesideTheCardFollowsTheEgnEntry)
{
    const QString first = egnOf("750312654"), second = egnOf("150503123");
    addPatient(first, "Иван Петров Колев", "220001");
    addPatient(second, "Мария Колева", "220001");
    addTreatment(first);
    addTreatment(second);
    addTreatment(second);
    open("Edit", first);
    ASSERT_NE(ViewHelp::instance(), nullptr);
    EXPECT_EQ(ViewHelp::instance()->data3()->recordCount(), 1);
    // another stored patient: the list shows that patient's treatments
    typeEgn(second);
    ASSERT_NE(ViewHelp::instance(), nullptr);
    EXPECT_EQ(ViewHelp::instance()->data3()->recordCount(), 2);
    // a new patient has none: the list of the one before goes
    typeEgn(egnOf("880229123"));
    settle();
    EXPECT_EQ(ViewHelp::instance(), nullptr);
}

TEST_F(Card, ANewPatientTakesAChartLeftWithoutItsPatient)
{
    // A Dental row whose patient row is missing: the card shows that chart
    // and the save completes the patient with it.
    const QString egn = egnOf("750312654");
    {
        db::Connection c = db::Connection::main();
        c.insert("Dental", {"EGN", "Z21", "Z1"}, {egn, "K", "*"});
    }
    KartonAdd* card = open("New");
    typeEgn(egn);
    EXPECT_EQ(CardMode, QString("New"));
    EXPECT_EQ(tooth(18)->text(), QString("K"));
    EXPECT_TRUE(card->check(1)->isChecked());
    EXPECT_EQ(tooth(55)->text(), QString("*"));
    box("Text2")->setText("Иван Петров Колев");
    tooth(17)->setText("1");
    leave(tooth(17));
    card->cmdUpdate_Click();
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_EQ(count("Dental", egn), 1);
    EXPECT_EQ(dental(egn, "Z21"), QString("K"));
    EXPECT_EQ(dental(egn, "Z22"), QString("C"));
    EXPECT_EQ(dental(egn, "Z1"), QString("*"));
}

TEST_F(Card, FoundFromANewCardEvenOnTheFirstPatient)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    KartonAdd* card = open("New");
    typeEgn(egn);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    EXPECT_TRUE(card->record().isStored());
    EXPECT_FALSE(box<QPushButton>("cmdDelete")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdUpdate")->isEnabled());
    box("Text2")->setText("Иван Петров Колев-Иванов");
    card->cmdUpdate_Click();
    EXPECT_EQ(pacient(egn, "Names"), QString("Иван Петров Колев-Иванов"));
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_TRUE(box<QPushButton>("cmdClose")->isEnabled());
    card->cmdClose_Click();
    settle();
    EXPECT_FALSE(treatmentFormShown());
}

TEST_F(Card, SavingFromTheKeyboardLeavesTheFocusOnClose)
{
    // "Запиши" goes grey under the focus: the next Enter must close the
    // card, not land on "Изтрий".
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    KartonAdd* card = open("Edit", egn);
    card->activateWindow();
    QApplication::setActiveWindow(card);
    auto* save = box<QPushButton>("cmdUpdate");
    save->setFocus();
    ASSERT_TRUE(save->hasFocus());
    QTest::keyClick(save, Qt::Key_Return);
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), box<QPushButton>("cmdClose"));
}

TEST_F(Card, CorrectionSavesClosesAndDeletes)
{
    const QString egn = egnOf("750312654"), other = egnOf("880229123");
    addPatient(egn, "Иван Петров Колев", "220001", {{"Z21", "C"}});
    addPatient(other, "Петър Колев", "220001", {{"Z21", "K"}});
    addTreatment(egn);
    addTreatment(other);
    KartonAdd* card = open("Edit", egn);
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    EXPECT_FALSE(box<QPushButton>("cmdAdd")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdDelete")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_FALSE(box<QPushButton>("cmdClose")->isEnabled());
    EXPECT_EQ(box("Text2")->text(), QString("Иван Петров Колев"));
    EXPECT_EQ(tooth(18)->text(), QString("C"));

    tooth(17)->setText("5");
    leave(tooth(17));
    card->cmdUpdate_Click();
    EXPECT_EQ(dental(egn, "Z22"), QString("K"));
    EXPECT_EQ(CardMode, QString("Edit"));
    EXPECT_FALSE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_TRUE(box<QPushButton>("cmdClose")->isEnabled());

    // "НЕ" keeps the patient
    answer = false;
    card->cmdDelete_Click();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QString("ВНИМАНИЕ!|Изтривате пациент от БД!\rДа продължа ли?"));
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_NE(KartonAdd::instance(), nullptr);

    answer = true;
    card->cmdDelete_Click();
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(count("Pacients", egn), 0);
    EXPECT_EQ(count("Dental", egn), 0);
    EXPECT_EQ(count("Help", egn), 0);
    EXPECT_EQ(count("Pacients", other), 1);
    EXPECT_EQ(count("Help", other), 1);
}

TEST_F(Card, AskedForAgainTheOpenCardTakesThePatientAskedFor)
{
    // The card is open on one patient when the search hands over another, or
    // the menu asks for a new card: the card shows what was asked for, once
    // what is on it is written.
    const QString first = egnOf("750312654"), second = egnOf("150503123");
    addPatient(first, "Иван Петров Колев", "220001", {{"Z1", "*"}, {"Z21", "C"}});
    addPatient(second, "Мария Колева", "220001", {{"Z6", "K"}});
    addTreatment(second);
    KartonAdd* card = open("Edit", first);
    box("txtFields_13")->setText("0888123456");   // not yet saved

    // the search: another patient for correction
    SeekName::vars().sFindEGN = second;
    SeekName::vars().sFindName = "Мария Колева" + QString(10, ' ');
    CardMode = "Edit";
    ASSERT_EQ(KartonAdd::showShared(), card);
    EXPECT_EQ(pacient(first, "MTel"), QString("0888123456"));
    EXPECT_EQ(KartonAdd::vars().sKorEGN, second);
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    EXPECT_EQ(box("Text3")->text(), second);
    EXPECT_EQ(box("Text2")->text(), QString("Мария Колева"));
    EXPECT_EQ(box("txtFields_13")->text(), QString());
    EXPECT_FALSE(card->check(1)->isChecked());
    EXPECT_TRUE(tooth(55)->isHidden());
    EXPECT_EQ(tooth(18)->text(), QString());
    EXPECT_TRUE(card->check(6)->isChecked());
    EXPECT_EQ(tooth(61)->text(), QString("K"));
    ASSERT_NE(ViewHelp::instance(), nullptr);
    // what "Изтрий" removes is the patient shown
    answer = true;
    card->cmdDelete_Click();
    settle();
    EXPECT_EQ(count("Pacients", second), 0);
    EXPECT_EQ(count("Help", second), 0);
    EXPECT_EQ(count("Pacients", first), 1);

    // the menu: a new card while a patient is on it
    card = open("Edit", first);
    box("txtFields_13")->setText("0888000000");
    CardMode = "New";
    ASSERT_EQ(KartonAdd::showShared(), card);
    EXPECT_EQ(pacient(first, "MTel"), QString("0888000000"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
    EXPECT_FALSE(card->record().isBound());
    EXPECT_EQ(box("Text2")->text(), QString());
    EXPECT_EQ(box("Text3")->text(), QString());
    EXPECT_FALSE(card->check(1)->isChecked());
    EXPECT_FALSE(tooth(15)->isHidden());
    EXPECT_TRUE(box<QPushButton>("cmdAdd")->isEnabled());
    EXPECT_FALSE(box<QPushButton>("cmdDelete")->isEnabled());
    settle();
    EXPECT_EQ(ViewHelp::instance(), nullptr);
    typeEgn(egnOf("880229123"));
    EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);

    // what cannot be written and is not given up keeps the card as it was
    messages.clear();
    questions.clear();
    answer = false;
    SeekName::vars().sFindEGN = first;
    CardMode = "Edit";
    ASSERT_EQ(KartonAdd::showShared(), card);
    EXPECT_EQ(messages, QStringList{kMsgThreeNames});
    EXPECT_EQ(questions, QStringList{"|Данните не са записани.\rПродължавате ли без запис?"});
    EXPECT_EQ(CardMode, QString("New"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
    EXPECT_EQ(box("Text3")->text(), egnOf("880229123"));
    EXPECT_EQ(card->record().state(), PatientRecord::State::NewRow);
}

TEST_F(Card, APatientNoLongerStoredIsNamedAndTheCardCanBeClosed)
{
    // Chosen from a list made before the patient was removed or given
    // another EGN.
    const QString egn = egnOf("750312654");
    CardMode = "Edit";
    SeekName::vars().sFindEGN = egn;
    KartonAdd* card = KartonAdd::showShared();
    EXPECT_EQ(messages, QStringList{"Пациентът вече не е в базата данни\r" + egn});
    EXPECT_FALSE(card->record().isBound());
    EXPECT_FALSE(box<QPushButton>("cmdUpdate")->isEnabled());
    EXPECT_FALSE(box<QPushButton>("cmdDelete")->isEnabled());
    ASSERT_TRUE(box<QPushButton>("cmdClose")->isEnabled());
    card->cmdClose_Click();
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(count("Pacients", egn), 0);
}

TEST_F(Card, EditsAreWrittenWhenTheCardCloses)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    KartonAdd* card = open("Edit", egn);
    box("txtFields_13")->setText("0888123456");
    card->close();
    settle();
    EXPECT_EQ(pacient(egn, "MTel"), QString("0888123456"));
}

TEST_F(Card, DeleteFromANewCardDoesNothing)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    addTreatment(egn);
    KartonAdd* card = open("New");
    typeEgn(egnOf("880229123"));
    answer = true;
    card->cmdDelete_Click();
    EXPECT_EQ(count("Pacients", egn), 1);
    EXPECT_EQ(count("Help", egn), 1);
    EXPECT_NE(KartonAdd::instance(), nullptr);
}

TEST_F(Card, WarningsPrefixesAndPostCode)
{
    open("New");
    typeEgn(egnOf("750312654"));
    box("Text2")->setText("Иван");
    leave(box("Text2"));
    box("Text12")->setText("");
    leave(box("Text12"));
    EXPECT_EQ(messages, (QStringList{"Въведете трите имена на пациента!", "Номера на здравната книжка е невалиден!"}));
    box("Text13")->setText("");
    leave(box("Text13"));
    EXPECT_EQ(box("Text13")->text(), QString("кв. "));
    box("Text14")->setText("бул. България 5");
    leave(box("Text14"));
    EXPECT_EQ(box("Text14")->text(), QString("бул. България 5"));

    messages.clear();
    box("Text1")->setText("Асеновград");
    box("Text6")->setText("99999");
    leave(box("Text6"));
    EXPECT_EQ(messages, QStringList{"Няма данни за населеното място \rили за пощенски код е сгрешен!"});
    EXPECT_EQ(box("Text1")->text(), QString("Асеновград"));
    EXPECT_TRUE(KartonAdd::vars().sFieldZK.isEmpty());
}

TEST_F(Card, PostCodeFillsTheSettlementAndRegionsEachTime)
{
    open("New");
    typeEgn(egnOf("750312654"));
    const auto shown = [this] {
        KartonAdd* card = KartonAdd::instance();
        return QStringList{box("Text1")->text(), box("Text7")->text(), box("Text8")->text(),
                           card->txtFields(6)->text(), card->txtFields(7)->text(),
                           KartonAdd::vars().sFieldZK, KartonAdd::vars().sFieldZdRn};
    };
    box("Text6")->setText("4000");
    leave(box("Text6"));
    EXPECT_EQ(shown(), QStringList({"Пловдив", "Пловдив", "Пловдив", "16", "22", "16", "22"}));
    // Sofia has no region of its own in the list: the box is emptied, not left at 22
    box("Text6")->setText("1000");
    leave(box("Text6"));
    EXPECT_EQ(shown(), QStringList({"София", "Столична", "София-град", "22", "", "22", ""}));
    box("Text6")->setText("6060");
    leave(box("Text6"));
    EXPECT_EQ(shown(), QStringList({"Дълбоки", "Стара Загора", "Стара Загора", "24", "31", "24", "31"}));
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    // an unknown code: the message, and everything stays
    box("Text6")->setText("1404");
    leave(box("Text6"));
    EXPECT_EQ(messages, QStringList{"Няма данни за населеното място \rили за пощенски код е сгрешен!"});
    EXPECT_EQ(shown(), QStringList({"Дълбоки", "Стара Загора", "Стара Загора", "24", "31", "24", "31"}));
}

TEST_F(Card, ChartConvertsOnlyWhenTheBoxIsReallyLeft)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001", {{"Z24", "K"}});
    KartonAdd* card = open("Edit", egn);
    tooth(36)->setText("1");
    leave(tooth(36), Qt::ActiveWindowFocusReason);   // another window came up
    leave(tooth(36), Qt::PopupFocusReason);          // its context menu opened
    leave(tooth(36), Qt::MenuBarFocusReason);
    EXPECT_EQ(tooth(36)->text(), QString("1"));
    leave(tooth(36), Qt::MouseFocusReason);
    EXPECT_EQ(tooth(36)->text(), QString("C"));
    leave(tooth(36), Qt::TabFocusReason);            // again: nothing more happens
    EXPECT_EQ(tooth(36)->text(), QString("C"));
    // leaving the sex box also converts and upper-cases it
    tooth(46)->setText("0");
    card->txtFields(17)->setText("ж");
    leave(card->txtFields(17));
    EXPECT_EQ(tooth(46)->text(), QString("Pa"));
    EXPECT_EQ(card->txtFields(17)->text(), QString("Ж"));

    // a switch ticked, then the window deactivated and activated again before it is left
    QCheckBox* check1 = card->check(1);
    enter(check1, Qt::MouseFocusReason);
    check1->setChecked(true);
    leave(check1, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(tooth(15)->text(), QString("K"));
    enter(check1, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(KartonAdd::vars().nChek, 0);
    leave(check1, Qt::TabFocusReason);
    EXPECT_EQ(tooth(55)->text(), QString("K"));
    EXPECT_FALSE(tooth(55)->isHidden());
    EXPECT_TRUE(tooth(15)->isHidden());
    EXPECT_EQ(tooth(15)->text(), QString());
    // left once more: nothing moves back
    leave(check1, Qt::TabFocusReason);
    EXPECT_EQ(tooth(55)->text(), QString("K"));

    // "00" in the box of tooth 11 works Check5
    tooth(11)->setText("00");
    leave(tooth(11));
    EXPECT_TRUE(card->check(5)->isChecked());
    EXPECT_EQ(tooth(51)->text(), QString("*"));
    EXPECT_FALSE(tooth(51)->isHidden());
    EXPECT_TRUE(tooth(11)->isHidden());

    // the EGN entry is not run by a window switch while typing
    messages.clear();
    card->Text3_Click();
    box("Text11")->setText("12");
    leave(box("Text11"), Qt::ActiveWindowFocusReason);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_NE(KartonAdd::instance(), nullptr);

    // activation sets the switches up from the boxes, and again changes nothing
    card->Form_Activate();
    card->Form_Activate();
    EXPECT_TRUE(card->check(1)->isChecked());
    EXPECT_TRUE(card->check(5)->isChecked());
    EXPECT_FALSE(card->check(2)->isChecked());

    box("Text11")->clear();
    box("Text11")->hide();
    card->cmdUpdate_Click();
    EXPECT_EQ(dental(egn, "Z1"), QString("K"));
    EXPECT_EQ(dental(egn, "Z24"), QString());
    EXPECT_EQ(dental(egn, "Z5"), QString("*"));
    EXPECT_EQ(dental(egn, "Z50"), QString("C"));
    EXPECT_EQ(dental(egn, "Z39"), QString("Pa"));
}

TEST_F(Card, EachChartBoxStandsAtItsPlace)
{
    // Places numbered left to right, the upper row above the lower; a milk
    // box lies exactly on the permanent box of its place, its switch in line
    // with it.
    KartonAdd* card = open("New");
    QRect previous[2];
    for (const ChartPlace& p : chartPlaces()) {
        const QLineEdit* permanent = card->txtFields(p.permanentBox);
        ASSERT_NE(permanent, nullptr) << p.permanentTooth;
        const QRect r = permanent->geometry();
        QRect& before = previous[p.upper ? 0 : 1];
        if (p.place > 1) {
            EXPECT_GT(r.left(), before.right()) << "tooth " << p.permanentTooth;
            EXPECT_EQ(r.top(), before.top()) << "tooth " << p.permanentTooth;
        }
        before = r;
        if (!p.upper) {
            const QRect above = card->txtFields(chartPlaces()[p.place - 1].permanentBox)->geometry();
            EXPECT_EQ(r.left(), above.left()) << "tooth " << p.permanentTooth;
            EXPECT_GT(r.top(), above.bottom()) << "tooth " << p.permanentTooth;
        }
        if (p.milkTooth == 0)
            continue;
        EXPECT_EQ(card->txtFields(p.milkBox)->geometry(), r) << "milk tooth " << p.milkTooth;
        const QCheckBox* sw = card->check(p.switchNo);
        const QPoint centre = sw->mapTo(card, sw->rect().center());
        const QPoint boxCentre = permanent->mapTo(card, permanent->rect().center());
        EXPECT_LE(std::abs(centre.x() - boxCentre.x()), r.width() / 2) << "switch " << p.switchNo;
        EXPECT_EQ(centre.y() < boxCentre.y(), p.upper) << "switch " << p.switchNo;
    }
}

TEST_F(Card, RendersAsACard)
{
    const QString egn = egnOf("150503124");
    addPatient(egn, "Мария Иванова Колева", "220001",
               {{"Z1", "*"}, {"Z6", "C"}, {"Z13", "*"}, {"Z21", "E"}, {"Z23", "K"}, {"Z29", "O"},
                {"Z36", "X"}, {"Z37", "R"}, {"Z39", "P"}, {"Z50", "III"}, {"Z52", "Pa"}});
    KartonAdd* card = open("Edit", egn);
    card->resize(card->sizeHint().expandedTo(card->size()));
    // The two rows of tooth numbers are painted at the places, not as label text.
    const QList<QWidget*> rows = {card->findChild<QWidget*>("Label1_0"), card->findChild<QWidget*>("Label1_1")};
    const ShownTexts seen = shownTexts(card, rows);
    EXPECT_TRUE(seen.faults.isEmpty()) << qPrintable(seen.faults.join("\n"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    QStringList expected = {"Лични данни", "Медицински данни", "Добави", "Изтрий", "Запиши", "Затвори",
                            "Имена", "ЕГН", "Пощ.код", "Нас.място", "Общ.", "Обл.", "Кв.", "Ул.", "бл.", "вх.",
                            "ет.", "ап.", "дом.тел:", "сл.тел:", "моб.тел:", "Дата рег.", "Здр.кн.", "Рец.кн.",
                            "ЗОК", "Здр.р-н", "проф.", "мест.", "Нац.", "Ст.", "Пол", "Кр.гр.", "Ph",
                            "Непоносимост", "Особености", "Настоящи забол.", "Минали забол.", "Легенда",
                            // the patient's rows
                            "Мария Иванова Колева", egn, "Пловдив",
                            // the chart: milk numbers and the findings of the places shown
                            "55", "65", "85", "75", "E", "K", "X", "R", "P", "III", "Pa"};
    for (const QString& text : expected)
        EXPECT_TRUE(seen.shows(text)) << qPrintable(text);
    // Milk teeth 55 and 83 show their mark, 61 its caries: three "*"/"C" boxes in red.
    EXPECT_EQ(seen.texts.count("*"), 2);
    EXPECT_TRUE(seen.shows("C"));
    EXPECT_FALSE(seen.shows("O"));   // tooth 21 is hidden behind milk tooth 61
    // The legend explains the shortcuts, the rows of tooth numbers are drawn.
    EXPECT_EQ(seen.texts.filter("кариес").size(), 1) << qPrintable(seen.texts.join(" | "));
    EXPECT_EQ(seen.texts.filter("фрактура").size(), 1) << qPrintable(seen.texts.join(" | "));
    const QImage img = card->grab().toImage();
    for (const char* numbers : {"Label1_0", "Label1_1"}) {
        QWidget* row = card->findChild<QWidget*>(numbers);
        ASSERT_NE(row, nullptr);
        const QRect r(row->mapTo(card, QPoint(0, 0)), row->size());
        QSet<QRgb> colours;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                colours.insert(img.pixel(x, y));
        EXPECT_GT(colours.size(), 1) << numbers << " draws no tooth numbers";
    }
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        img.save(QDir(dir).filePath("kartonadd.png"));
    delete card;

    // A new card shows its captions with nothing of any patient.
    card = open("New");
    const ShownTexts fresh = shownTexts(card, {card->findChild<QWidget*>("Label1_0"), card->findChild<QWidget*>("Label1_1")});
    EXPECT_TRUE(fresh.faults.isEmpty()) << qPrintable(fresh.faults.join("\n"));
    EXPECT_EQ(card->windowTitle(), QString("Картон - Нов"));
    for (const QString& text : {QString("Лични данни"), QString("ЕГН"), QString("Имена"), QString("Затвори")})
        EXPECT_TRUE(fresh.shows(text)) << qPrintable(text);
    EXPECT_FALSE(fresh.shows("Мария Иванова Колева"));
    if (!dir.isEmpty())
        card->grab().save(QDir(dir).filePath("kartonadd_new.png"));
}

TEST_F(Card, ANewCardAskedForWhileAnEgnIsTypedStartsAgainAndStaysOpen)
{
    // The half-typed entry is closed without being taken as a wrong EGN,
    // which would close the card.
    QWidget main;
    setMainWindow(&main);
    main.show();
    KartonAdd* card = open("New");
    QApplication::setActiveWindow(card);
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    QTest::keyClicks(QApplication::focusWidget(), "12345");
    ASSERT_EQ(QApplication::focusWidget(), box("Text11"));
    CardMode = "New";
    EXPECT_EQ(KartonAdd::showShared(), card);
    settle();
    EXPECT_EQ(KartonAdd::instance(), card);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_TRUE(box("Text11")->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), box("Text3"));
    QTest::keyClicks(QApplication::focusWidget(), egnOf("750312654"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(card->record().isBound());
    delete card;
    setMainWindow(nullptr);
}

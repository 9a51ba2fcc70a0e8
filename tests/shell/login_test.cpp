#include "db/database.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/changepassword.h"
#include "shell/login_logic.h"
#include "shell/password.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

qint64 addDoctor(const QString& names, const QVariant& code, const QString& kod)
{
    db::Connection c = db::Connection::main();
    return c.insert("Medic", {"Names", "EGN", "KodMedic", "Password"}, {names, "1234567890", kod, code});
}

QString storedCode(qint64 recId)
{
    return db::Connection::main().first("SELECT Password FROM Medic WHERE RecID = ?", {recId}).text("Password");
}

// Chooses the list entry and types the code, then presses "Вход".
ModalScript::Action logIn(int entry, const QString& typed)
{
    return [entry, typed](QWidget* w) {
        auto* dlg = qobject_cast<Password*>(w);
        ASSERT_NE(dlg, nullptr);
        if (entry >= 0) {
            dlg->combo()->setCurrentIndex(entry);
            dlg->chooseEntry(entry);
        }
        dlg->codeBox()->setText(typed);
        dlg->findChild<QPushButton*>("OKButton")->click();
    };
}

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::resetProgramEnd();
        Password::vars() = Password::Vars();
    }
    void TearDown() override { testing_support::resetProgramEnd(); }
    TestFolder folder;
};

} // namespace

TEST(LoginLogic, LeadingNumberOfTheCode)
{
    struct Case {
        const char* code;
        int id;
    };
    const Case cases[] = {
        {"0123abc", 123}, {"abc", 0}, {"abc123", 0}, {"", 0}, {"   ", 0}, {"  42  ", 42},
        {"007", 7}, {"12.7x", 12}, {"-3a", -3}, {"-1.5", -2}, {"32768", 32768},
        {"99999999999", INT_MAX}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
        {"-99999999999", INT_MIN}, {"000000000000000000001", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(login::leadingNumber(QString::fromUtf8(c.code)), c.id) << c.code;
}

TEST(LoginLogic, CodesCompareTrimmedAndCaseSensitive)
{
    EXPECT_TRUE(login::loginGranted(" секрет1 ", "секрет1"));
    EXPECT_TRUE(login::loginGranted("секрет1", "  секрет1 "));
    EXPECT_FALSE(login::loginGranted("Секрет1", "секрет1"));
    EXPECT_FALSE(login::loginGranted("", ""));
    EXPECT_FALSE(login::loginGranted("   ", "  "));
    EXPECT_TRUE(login::codeAccepted("", "  "));   // lets the window close, grants nothing
}

TEST_F(LoginTest, TheRightCodeLogsTheChosenDoctorIn)
{
    addDoctor("Мария Иванова", "мария1", "1111");
    const qint64 id = addDoctor(" Петър Стоянов ", " 0123абв ", " 2222 ");
    ModalScript script;
    script.then("Password", logIn(1, "  0123абв"));
    EXPECT_TRUE(Password::runLogin(nullptr));
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(programEnding());
    EXPECT_TRUE(Password::vars().lKod);
    EXPECT_EQ(CurrentDoctorCode, QString("2222"));
    EXPECT_EQ(CurrentDoctorName, QString("Петър Стоянов"));
    EXPECT_EQ(Password::vars().sPassWord, QString("0123абв"));
    EXPECT_EQ(Password::vars().sName, QString(" Петър Стоянов "));
    EXPECT_EQ(Password::vars().nIDMedic, 123);
    EXPECT_EQ(Password::vars().nRecID, id);
}

TEST_F(LoginTest, TheListShowsTheNamesAsStoredInTableOrder)
{
    addDoctor("Б Второ", "кодкод", "2");
    addDoctor(" А Първо ", "кодкод", "1");
    QStringList names;
    int shown = 0;
    ModalScript script;
    script.then("Password", [&](QWidget* w) {
        auto* dlg = qobject_cast<Password*>(w);
        for (int i = 0; i < dlg->combo()->count(); ++i)
            names << dlg->combo()->itemText(i);
        shown = dlg->combo()->currentIndex();
        dlg->findChild<QPushButton*>("CancelButton")->click();
    });
    EXPECT_FALSE(Password::runLogin(nullptr));
    EXPECT_EQ(names, QStringList({"Б Второ", " А Първо "}));
    EXPECT_EQ(shown, -1);   // nobody chosen until the user picks a name
    EXPECT_TRUE(programEnding());   // "Отказ" ends the program
}

TEST_F(LoginTest, AWrongCodeIsRefusedWithItsMessageAndEndsTheProgram)
{
    const char* wrong[] = {"Секрет1", "секрет", "секрет12", ""};
    for (const char* typed : wrong) {
        testing_support::resetProgramEnd();
        TestFolder fresh;
        addDoctor("Мария Иванова", "секрет1", "1111");
        QString message;
        ModalScript script;
        script.then("Password", logIn(0, QString::fromUtf8(typed))).click("InfDialog", "OKButton", &message);
        EXPECT_FALSE(Password::runLogin(nullptr)) << typed;
        EXPECT_TRUE(script.finished()) << typed;
        EXPECT_EQ(message, QString("Проверете кода за достъп.")) << typed;
        EXPECT_TRUE(programEnding()) << typed;
        EXPECT_TRUE(CurrentDoctorCode.isEmpty()) << typed;
        EXPECT_FALSE(Password::vars().lKod) << typed;
    }
}

TEST_F(LoginTest, ADoctorWithAnEmptyStoredCodeNeverLogsIn)
{
    addDoctor("Без Код", QVariant(), "3333");
    addDoctor("Празен Код", "   ", "4444");
    for (int entry : {0, 1}) {
        testing_support::resetProgramEnd();
        ModalScript script;
        script.then("Password", logIn(entry, ""));
        EXPECT_FALSE(Password::runLogin(nullptr)) << entry;
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpected().isEmpty());   // no message: the main window ends it
        EXPECT_FALSE(Password::vars().lKod);
    }
}

TEST_F(LoginTest, NoDoctorChosenAndNoCodeGrantsNothing)
{
    addDoctor("Мария Иванова", "секрет1", "1111");
    ModalScript script;
    script.then("Password", logIn(-1, ""));
    EXPECT_FALSE(Password::runLogin(nullptr));
    EXPECT_FALSE(programEnding());
}

TEST_F(LoginTest, EnterLogsInOnlyOnceACodeIsTyped)
{
    // The doctor picked from the keyboard and Enter pressed out of habit:
    // no code was typed yet, so that is no attempt at all.
    addDoctor("Мария Иванова", "sekret1", "1111");
    bool openAfterEnter = false;
    ModalScript script;
    script.then("Password", [&](QWidget* w) {
        auto* dlg = qobject_cast<Password*>(w);
        QTest::keyClick(dlg->combo(), Qt::Key_Down);
        QTest::keyClick(dlg->combo(), Qt::Key_Return);
        openAfterEnter = dlg->isVisible() && !programEnding();
        QTest::keyClicks(dlg->codeBox(), "sekret1");
        QTest::keyClick(dlg->codeBox(), Qt::Key_Return);
    });
    EXPECT_TRUE(Password::runLogin(nullptr));
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(",").toStdString();
    EXPECT_TRUE(openAfterEnter);
    EXPECT_FALSE(programEnding());
    EXPECT_EQ(CurrentDoctorCode, QString("1111"));
}

TEST_F(LoginTest, OfTwoDoctorsWithOneNameTheLaterRowWins)
{
    addDoctor("Иван Петров", "първикод", "1001");
    const qint64 later = addDoctor("Иван Петров ", "вторикод", "1002");
    {
        ModalScript script;
        script.then("Password", logIn(0, "вторикод"));
        EXPECT_TRUE(Password::runLogin(nullptr));
        EXPECT_EQ(CurrentDoctorCode, QString("1002"));
        EXPECT_EQ(Password::vars().nRecID, later);
    }
    testing_support::resetProgramEnd();
    {
        ModalScript script;
        script.then("Password", logIn(0, "първикод")).click("InfDialog", "OKButton");
        EXPECT_FALSE(Password::runLogin(nullptr));
        EXPECT_TRUE(programEnding());
    }
}

TEST_F(LoginTest, AnEmptyRegisterOpensTheDoctorsRegisterThenEnds)
{
    ModalScript script;
    script.closeFrame("MedicAdd");
    EXPECT_FALSE(Password::runLogin(nullptr));
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(programEnding());
}

// The change of access code.

namespace {

class ChangeTest : public LoginTest {
protected:
    void SetUp() override
    {
        LoginTest::SetUp();
        first = addDoctor("Иван Петров", "старкод1", "1001");
        mine = addDoctor("Иван Петров", "старкод2", "1002");
        Password::vars().nRecID = mine;   // as the login leaves it
        Password::vars().sPassWord = "старкод2";
    }
    login::ChangeOutcome change(const QString& oldBox, const QString& newBox, const QString& confirm)
    {
        db::Connection c = db::Connection::main();
        return login::changeAccessCode(c, mine, oldBox, newBox, confirm);
    }
    qint64 first = 0;
    qint64 mine = 0;
};

ModalScript::Action typeCodes(const QString& oldBox, const QString& newBox, const QString& confirm)
{
    return [=](QWidget* w) {
        w->findChild<QLineEdit*>("txtPasswordOld")->setText(oldBox);
        w->findChild<QLineEdit*>("txtPasswordNew")->setText(newBox);
        w->findChild<QLineEdit*>("txtConfurm")->setText(confirm);
        w->findChild<QPushButton*>("cmdChange")->click();
    };
}

} // namespace

TEST_F(ChangeTest, ChecksRefuseInOrderAndChangeNothing)
{
    struct Case {
        const char* oldBox;
        const char* newBox;
        const char* confirm;
        QString message;
    };
    const Case cases[] = {
        {"старкод1", "нов12345", "нов12345", login::kWrongOld},   // the other doctor's code
        {"Старкод2", "нов12345", "нов12345", login::kWrongOld},
        {"старкод2", "нов12345", "нов1234", login::kNotConfirmed},
        {"старкод2", "", "", login::kEmptyNew},
        {" старкод2 ", "   ", "", login::kEmptyNew},
        // One character more than the login box takes: never typed there again.
        {"старкод2", "12345678901", "12345678901", login::kTooLong},
        {"старкод2", " дълъгкод123", " дълъгкод123", login::kTooLong},
    };
    for (const Case& c : cases) {
        const login::ChangeOutcome out = change(QString::fromUtf8(c.oldBox), QString::fromUtf8(c.newBox),
                                                QString::fromUtf8(c.confirm));
        EXPECT_NE(out.result, login::ChangeResult::Changed) << c.oldBox << c.newBox;
        EXPECT_EQ(out.message, c.message) << c.oldBox << c.newBox;
        EXPECT_EQ(storedCode(mine), QString("старкод2"));
        EXPECT_EQ(storedCode(first), QString("старкод1"));
    }
}

TEST_F(ChangeTest, ACodeAsLongAsTheLoginBoxTakesIsStoredAndLogsIn)
{
    // Ten characters, blanks around them trimmed away.
    const login::ChangeOutcome out = change("старкод2", " 1234567890 ", " 1234567890");
    EXPECT_EQ(out.result, login::ChangeResult::Changed);
    EXPECT_EQ(storedCode(mine), QString("1234567890"));

    // The login box takes the whole code, and the change window's boxes
    // take no more than it does.
    Password login;
    EXPECT_EQ(login.codeBox()->maxLength(), login::kCodeMaxLength);
    QTest::keyClicks(login.codeBox(), "1234567890");
    EXPECT_TRUE(login::loginGranted(login.codeBox()->text(), storedCode(mine)));
    ChangePassword window;
    for (const char* name : {"txtPasswordOld", "txtPasswordNew", "txtConfurm"}) {
        QLineEdit* box = window.findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr) << name;
        QTest::keyClicks(box, "12345678901");
        EXPECT_EQ(box->text(), QString("1234567890")) << name;
    }
}

TEST_F(ChangeTest, TheWindowChangesOnlyTheLoggedInDoctor_sRowAndKeepsTheNewCode)
{
    QString message, title;
    {
        ModalScript script;
        script.then("ChangePassword", typeCodes(" старкод2", "нов12345 ", "нов12345"))
            .then("QMessageBox", [&](QWidget* w) {
                message = ModalScript::textOf(w);
                title = w->windowTitle();
                qobject_cast<QMessageBox*>(w)->buttons().value(0)->click();
            });
        ChangePassword::showModal(nullptr);
        EXPECT_TRUE(script.finished());
    }
    EXPECT_EQ(message, QString("Новата парола е въведена в действие!"));
    EXPECT_EQ(title, QString("Смяна на кода за достъп"));
    EXPECT_EQ(storedCode(mine), QString("нов12345"));
    EXPECT_EQ(storedCode(first), QString("старкод1"));
    EXPECT_EQ(Password::vars().sPassWord, QString("нов12345"));

    // Shown again in the same run: the old code is now the new one.
    ModalScript script;
    script.then("ChangePassword", typeCodes("старкод2", "трети123", "трети123"))
        .click("QMessageBox", "", &message)
        .again("ChangePassword", typeCodes("нов12345", "трети123", "трети123"))
        .click("QMessageBox", "");
    ChangePassword::showModal(nullptr);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(message, login::kWrongOld);
    EXPECT_EQ(storedCode(mine), QString("трети123"));
}

TEST_F(ChangeTest, AnEmptyNewCodeIsRefusedAndTheWindowStaysOpen)
{
    QString message;
    bool boxesKept = false;
    ModalScript script;
    script.then("ChangePassword", typeCodes("старкод2", "", ""))
        .click("QMessageBox", "", &message)
        .again("ChangePassword", [&](QWidget* w) {
            boxesKept = w->findChild<QLineEdit*>("txtPasswordOld")->text() == "старкод2";
            w->findChild<QPushButton*>("cmdCancel")->click();
        });
    ChangePassword::showModal(nullptr);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(message, login::kEmptyNew);
    EXPECT_TRUE(boxesKept);
    EXPECT_EQ(storedCode(mine), QString("старкод2"));
}

TEST_F(ChangeTest, AFailedWriteIsReportedNeverAsDone)
{
    db::Connection::main().exec(
        "CREATE TRIGGER no_change BEFORE UPDATE ON Medic BEGIN SELECT RAISE(ABORT, 'locked'); END");
    EXPECT_THROW(change("старкод2", "нов12345", "нов12345"), db::DbError);

    QString message;
    ModalScript script;
    script.then("ChangePassword", typeCodes("старкод2", "нов12345", "нов12345"))
        .click("QMessageBox", "", &message)
        .again("ChangePassword", [](QWidget* w) { w->findChild<QPushButton*>("cmdCancel")->click(); });
    ChangePassword::showModal(nullptr);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(message.startsWith(login::kNotWritten)) << message.toStdString();
    EXPECT_FALSE(message.contains(login::kChanged));
    EXPECT_EQ(storedCode(mine), QString("старкод2"));
    EXPECT_EQ(Password::vars().sPassWord, QString("старкод2"));
}

TEST_F(ChangeTest, ANameWithAnApostropheAndAVanishedRow)
{
    const qint64 quoted = addDoctor("Д'Артанян", "мускет1", "3003");
    db::Connection c = db::Connection::main();
    EXPECT_EQ(login::changeAccessCode(c, quoted, "мускет1", "мускет2", "мускет2").result,
              login::ChangeResult::Changed);
    EXPECT_EQ(storedCode(quoted), QString("мускет2"));
    c.exec("DELETE FROM Medic WHERE RecID = ?", {quoted});
    const login::ChangeOutcome gone = login::changeAccessCode(c, quoted, "мускет2", "мускет3", "мускет3");
    EXPECT_EQ(gone.result, login::ChangeResult::NoDoctor);
    EXPECT_EQ(login::changeAccessCode(c, 0, "", "x", "x").result, login::ChangeResult::NoDoctor);
}

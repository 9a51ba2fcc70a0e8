#include "db/values.h"
#include "services/choicedialog.h"
#include "services/dialogs.h"
#include "services/exitdialog.h"
#include "services/infdialog.h"
#include "services/progdialog.h"
#include "services/program.h"
#include "services/quesdialog.h"
#include "support/modal_script.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;

namespace {

void pressKey(QWidget* w, Qt::Key key)
{
    QWidget* target = w->focusWidget() ? w->focusWidget() : w;
    QTest::keyClick(target, key);
}

void typeAndChoose(QWidget* w, const QString& text)
{
    w->findChild<QLineEdit*>("Text1")->setText(text);
    w->findChild<QPushButton*>("OKButton")->click();
}

} // namespace

TEST(QuesDialog, AnswersYesOnlyThroughItsYesButton)
{
    struct Case {
        const char* what;
        std::function<void(QWidget*)> act;
        bool yes;
    };
    const Case cases[] = {
        {"ДА", [](QWidget* w) { w->findChild<QPushButton*>("OKButton")->click(); }, true},
        {"НЕ", [](QWidget* w) { w->findChild<QPushButton*>("CancelButton")->click(); }, false},
        {"Enter", [](QWidget* w) { pressKey(w, Qt::Key_Return); }, false},
        {"Escape", [](QWidget* w) { pressKey(w, Qt::Key_Escape); }, false},
        {"frame", [](QWidget* w) { w->close(); }, false},
    };
    for (const Case& c : cases) {
        // An earlier "ДА" must not leak into this answer.
        QuesDialog::vars().nCh = 1;
        ModalScript script;
        script.then("QuesDialog", c.act);
        EXPECT_EQ(YesNoQuestion("Да изтрия ли картона?"), c.yes) << c.what;
        EXPECT_EQ(QuesDialog::vars().nCh, c.yes ? 1 : 0) << c.what;
        EXPECT_TRUE(script.finished()) << c.what;
    }
}

TEST(QuesDialog, FrameCloseAfterAnEarlierYesAnswersNo)
{
    ModalScript script;
    script.click("QuesDialog", "OKButton").closeFrame("QuesDialog");
    EXPECT_TRUE(YesNoQuestion("Първи въпрос?"));
    EXPECT_FALSE(YesNoQuestion("Втори въпрос?"));
    EXPECT_EQ(QuesDialog::vars().nCh, 0);
}

TEST(QuesDialog, ShowsTheQuestionAndTheCaller_sCaption)
{
    QString title, text, defaultTitle;
    ModalScript script;
    script.then("QuesDialog", [&](QWidget* w) {
              title = w->windowTitle();
              text = ModalScript::textOf(w);
              w->close();
          })
        .then("QuesDialog", [&](QWidget* w) {
            defaultTitle = w->windowTitle();
            w->close();
        });
    YesNoQuestion("Изтривате ли пациента?", nullptr, "ВНИМАНИЕ!");
    YesNoQuestion("Продължавате ли?");
    EXPECT_EQ(title, QString("ВНИМАНИЕ!"));
    EXPECT_EQ(text, QString("Изтривате ли пациента?"));
    EXPECT_EQ(defaultTitle, QString("Въпрос"));
    QuesDialog dlg;
    EXPECT_EQ(dlg.findChild<QPushButton*>("OKButton")->text(), QString("ДА"));
    EXPECT_EQ(dlg.findChild<QPushButton*>("CancelButton")->text(), QString("НЕ"));
    EXPECT_TRUE(dlg.findChild<QPushButton*>("CancelButton")->isDefault());
}

TEST(InfDialog, ShowsEachLineOfTheMessage)
{
    QString title, text;
    ModalScript script;
    script.then("InfDialog", [&](QWidget* w) {
        title = w->windowTitle();
        text = ModalScript::textOf(w);
        w->findChild<QPushButton*>("OKButton")->click();
    });
    InfoMessage(QString("Завърших обработката на данните!") + QChar('\r') + "Обработени: 12");
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(title, QString("Информация"));
    EXPECT_EQ(text, QString("Завърших обработката на данните!\nОбработени: 12"));
    InfDialog dlg;
    EXPECT_EQ(dlg.findChild<QPushButton*>("OKButton")->text(), QString("Затвори"));
}

// A list of entries reads one entry a line; an endless line still wraps.
TEST(InfDialog, WidensToItsLongestLineWithinALimit)
{
    const QString entry = QStringLiteral("ЕГН 7503121234, лист 000041, 02.03.2026 - няма пациент с това ЕГН");
    InfDialog dlg;
    dlg.setMessage(QStringLiteral("Пропуснати листове:\r") + entry + QChar('\r') + entry);
    dlg.show();
    auto* label = dlg.findChild<QLabel*>("Label1");
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(entry));
    EXPECT_LE(label->height(), 4 * QFontMetrics(label->font()).lineSpacing());

    dlg.setMessage(QString(40, QChar(' ')).replace(QChar(' '), QStringLiteral("дума ")));
    EXPECT_LE(dlg.width(), 800);
}

TEST(ExitDialog, EnterAndNoGoOnYesEndsTheProgram)
{
    testing_support::resetProgramEnd();
    {
        ModalScript script;
        script.then("ExitDialog", [](QWidget* w) { pressKey(w, Qt::Key_Return); })
            .click("ExitDialog", "CancelButton")
            .closeFrame("ExitDialog");
        ExitConfirmation(nullptr);
        ExitConfirmation(nullptr);
        ExitConfirmation(nullptr);
        EXPECT_TRUE(script.finished());
        EXPECT_FALSE(programEnding());
    }
    {
        QString text;
        ModalScript script;
        script.click("ExitDialog", "OKButton", &text);
        ExitConfirmation(nullptr);
        EXPECT_EQ(text, QString("Излизате ли от програмата?"));
        EXPECT_TRUE(programEnding());
    }
    testing_support::resetProgramEnd();
}

class ChoiceDialogTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::setToday(QDate(2024, 3, 14)); }
    void TearDown() override { Clock::setToday(QDate()); }
};

TEST_F(ChoiceDialogTest, ADateTypedAsDDMMYYYYIsChosen)
{
    ModalScript script;
    script.then("ChoiceDialog", [](QWidget* w) { typeAndChoose(w, " 05.03.2024 "); });
    const auto d = DateChoice("Дата на графика");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(*d, QDate(2024, 3, 5));
    EXPECT_TRUE(ChoiceDialog::vars().lChoice);
}

TEST_F(ChoiceDialogTest, AnEmptyOrWrongDateKeepsTheWindowOpenWithItsMessage)
{
    struct Case {
        const char* typed;
        QString message;
    };
    const Case cases[] = {
        {"", kNoDateMessage},
        {"   ", kNoDateMessage},
        {"утре", kBadDateMessage},
        {"31.02.2024", kBadDateMessage},
        {"2024-03-05", kBadDateMessage},
        {"5.3", kBadDateMessage},
    };
    for (const Case& c : cases) {
        ChoiceDialog::vars().dData = QDate(2000, 1, 1);
        QString message;
        bool keptBack = false;
        ModalScript script;
        script.then("ChoiceDialog", [&](QWidget* w) { typeAndChoose(w, c.typed); })
            .click("InfDialog", "OKButton", &message)
            .again("ChoiceDialog", [&](QWidget* w) {
                // Still open after the message: a real date is then chosen.
                keptBack = !ChoiceDialog::vars().lChoice && ChoiceDialog::vars().dData == QDate(2000, 1, 1);
                typeAndChoose(w, "20.03.2024");
            });
        const auto d = DateChoice("Дата на графика");
        EXPECT_TRUE(script.finished()) << c.typed;
        EXPECT_EQ(message, c.message) << c.typed;
        EXPECT_TRUE(keptBack) << c.typed;
        EXPECT_EQ(d, std::optional<QDate>(QDate(2024, 3, 20))) << c.typed;
    }
}

TEST_F(ChoiceDialogTest, CancelShowsTheMessageAndLeavesTomorrow)
{
    ChoiceDialog::vars().lChoice = true;
    QString message;
    ModalScript script;
    script.click("ChoiceDialog", "CancelButton").click("InfDialog", "OKButton", &message);
    EXPECT_FALSE(DateChoice("Дата на графика").has_value());
    EXPECT_EQ(message, kNoDateMessage);
    EXPECT_FALSE(ChoiceDialog::vars().lChoice);
    EXPECT_EQ(ChoiceDialog::vars().dData, QDate(2024, 3, 15));
}

TEST_F(ChoiceDialogTest, FrameCloseAfterAnEarlierChoiceChoosesNothing)
{
    ModalScript script;
    script.then("ChoiceDialog", [](QWidget* w) { typeAndChoose(w, "01.04.2024"); })
        .closeFrame("ChoiceDialog");
    EXPECT_EQ(DateChoice("Дата"), std::optional<QDate>(QDate(2024, 4, 1)));
    EXPECT_FALSE(DateChoice("Дата").has_value());
    EXPECT_FALSE(ChoiceDialog::vars().lChoice);
    EXPECT_EQ(ChoiceDialog::vars().dData, QDate(2024, 4, 1));
}

TEST(ProgressWindow, ShowsTheRunWithItsButtonDisabledAndTidiesUp)
{
    QPointer<ProgDialog> shown;
    {
        ProgressWindow progress("Обработка на пациентите", 250);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<ProgDialog*>(w); p && p->isVisible())
                shown = p;
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->windowTitle(), QString("Обработка"));
        EXPECT_EQ(shown->label()->text(), QString("Обработка на пациентите"));
        EXPECT_FALSE(shown->button()->isEnabled());
        EXPECT_EQ(shown->bar()->minimum(), 1);
        EXPECT_EQ(shown->bar()->maximum(), 250);
        EXPECT_EQ(shown->bar()->value(), 1);
        EXPECT_FALSE(shown->isModal());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        for (int row = 1; row <= 250; ++row)
            progress.setValue(row);
        EXPECT_EQ(shown->bar()->value(), 250);
        EXPECT_EQ(ProgDialog::vars().nStop, 0);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!shown || !shown->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ProgressWindow, AnEmptyRunStillShowsAValidBar)
{
    ProgressWindow progress("Няма редове", 0);
    progress.setValue(1);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
}

#include "services/dialogs.h"
#include "services/enterkey.h"
#include "services/quesdialog.h"
#include "support/modal_script.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;

namespace {

struct Window {
    QDialog dialog;
    QLineEdit* box;
    QPushButton* save;
    QPushButton* cancel;
    int saved = 0;
    int cancelled = 0;

    Window()
    {
        auto* layout = new QHBoxLayout(&dialog);
        box = new QLineEdit(&dialog);
        save = new QPushButton(QStringLiteral("Запиши"), &dialog);
        cancel = new QPushButton(QStringLiteral("Отказ"), &dialog);
        for (QWidget* w : {static_cast<QWidget*>(box), static_cast<QWidget*>(save), static_cast<QWidget*>(cancel)})
            layout->addWidget(w);
        save->setAutoDefault(false);
        cancel->setAutoDefault(false);
        cancel->setDefault(true);
        QObject::connect(save, &QPushButton::clicked, [this] { ++saved; });
        QObject::connect(cancel, &QPushButton::clicked, [this] { ++cancelled; });
        dialog.show();
        QApplication::setActiveWindow(&dialog);
    }
};

} // namespace

TEST(EnterKey, PressesTheFocusedButtonElseTheDefault)
{
    struct Case {
        const char* what;
        bool saveEnabled;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool focusSave;
        int saved;
        int cancelled;
    };
    const Case cases[] = {
        {"Enter on the focused button", true, Qt::Key_Return, Qt::NoModifier, true, 1, 0},
        {"keypad Enter on the focused button", true, Qt::Key_Enter, Qt::KeypadModifier, true, 1, 0},
        {"Enter in the box goes to the default", true, Qt::Key_Return, Qt::NoModifier, false, 0, 1},
        {"Ctrl+Enter is not a press", true, Qt::Key_Return, Qt::ControlModifier, true, 0, 0},
        {"a disabled button is not pressed", false, Qt::Key_Return, Qt::NoModifier, true, 0, 0},
    };
    for (const Case& c : cases) {
        Window w;
        w.save->setEnabled(c.saveEnabled);
        QWidget* target = c.focusSave && c.saveEnabled ? static_cast<QWidget*>(w.save) : w.box;
        target->setFocus();
        if (c.focusSave && !c.saveEnabled)
            target = w.save;
        QTest::keyClick(target, c.key, c.modifiers);
        EXPECT_EQ(w.saved, c.saved) << c.what;
        // A Ctrl+Enter or a press on a disabled button may reach the dialog's
        // default; what matters is that "Запиши" was not pressed.
        if (c.saved == 1 || c.cancelled == 1) {
            EXPECT_EQ(w.cancelled, c.cancelled) << c.what;
        }
    }
}

TEST(EnterKey, OnTheQuestionsYesAnswersYes)
{
    struct Case {
        const char* what;
        bool tabToYes;
        bool yes;
    };
    const Case cases[] = {
        {"Enter as the window opens", false, false},
        {"Enter after Shift+Tab to ДА", true, true},
    };
    for (const Case& c : cases) {
        ModalScript script;
        script.then("QuesDialog", [&c](QWidget* w) {
            if (c.tabToYes)
                w->findChild<QPushButton*>("OKButton")->setFocus(Qt::BacktabFocusReason);
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Return);
        });
        EXPECT_EQ(YesNoQuestion("Да изтрия ли картона?"), c.yes) << c.what;
        EXPECT_TRUE(script.finished()) << c.what;
    }
}

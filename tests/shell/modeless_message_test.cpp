#include "services/dialogs.h"
#include "services/infdialog.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

using namespace tav;

// The modeless message returns at once and leaves its window up, owned by
// the caller's window, until its button closes and removes it.
TEST(InfoMessageModeless, ReturnsAtOnceAndGoesWithItsButton)
{
    QWidget owner;
    InfoMessageModeless("Грешно ЕГН!\rМоля, проверете старото ЕГН!", &owner);
    const QList<InfDialog*> shown = owner.findChildren<InfDialog*>();
    ASSERT_EQ(shown.size(), 1);
    QPointer<InfDialog> dlg = shown[0];
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(dlg->findChild<QLabel*>("Label1")->text(), QString("Грешно ЕГН!\nМоля, проверете старото ЕГН!"));
    EXPECT_EQ(dlg->windowTitle(), QString("Информация"));

    dlg->findChild<QPushButton*>("OKButton")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dlg.isNull());
}

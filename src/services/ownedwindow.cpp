#include "services/ownedwindow.h"

#include "services/program.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWindow>
#include <QWidget>

namespace tav {

namespace {

// Marks a window placed by its first showing; a window deleted on close
// comes back new and is placed again.
constexpr const char* kPlaced = "tavOwnedPlaced";

// The owner named, else the window's present parent, else the modal window
// in front, else the main window.
QWidget* ownerOf(QWidget* w, QWidget* owner)
{
    if (!owner && w)
        owner = w->parentWidget();
    if (!owner)
        owner = QApplication::activeModalWidget();
    if (!owner)
        owner = mainWindow();
    if (owner)
        owner = owner->window();
    return owner == w ? nullptr : owner;
}

} // namespace

void makeOwnedWindow(QWidget* w, QWidget* owner)
{
    owner = ownerOf(w, owner);
    if (!w || !owner)
        return;
    Qt::WindowFlags flags = w->windowFlags();
    if ((flags & Qt::WindowType_Mask) == Qt::Window || (flags & Qt::WindowType_Mask) == Qt::Widget) {
        flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
            | Qt::WindowCloseButtonHint;
    }
    if (w->parentWidget() != owner)
        w->setParent(owner, flags);
    else if (w->windowFlags() != flags)
        w->setWindowFlags(flags);
}

void centreOnOwner(QWidget* w, QWidget* owner)
{
    if (!w)
        return;
    owner = ownerOf(w, owner);
    // The size it will show with: its layout may still grow it to its minimum.
    w->ensurePolished();
    if (QLayout* l = w->layout())
        l->activate();
    if (!w->testAttribute(Qt::WA_Resized))
        w->adjustSize();
    QScreen* screen = owner ? owner->screen() : w->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect();
    const QRect around = owner && owner->isVisible() && !owner->isMinimized() ? owner->frameGeometry() : avail;
    if (around.isEmpty())
        return;
    QSize size = w->frameGeometry().size();
    // Before its first showing a window knows no frame yet: the owner's is
    // the best guess of what the window manager will add.
    if (size == w->size() && owner && owner->isVisible())
        size += owner->frameGeometry().size() - owner->size();
    QPoint topLeft(around.center().x() - size.width() / 2, around.center().y() - size.height() / 2);
    if (!avail.isEmpty()) {
        // Kept on the screen; a window larger than the screen shows its top-left corner.
        topLeft.setX(qMax(avail.left(), qMin(topLeft.x(), avail.right() + 1 - size.width())));
        topLeft.setY(qMax(avail.top(), qMin(topLeft.y(), avail.bottom() + 1 - size.height())));
    }
    w->move(topLeft);
}

void fitOnScreen(QWidget* w, QWidget* owner)
{
    if (!w)
        return;
    owner = ownerOf(w, owner);
    QScreen* screen = owner ? owner->screen() : w->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    // The frame it will get: its own once shown, else the owner's.
    QSize extra = w->frameGeometry().size() - w->size();
    if (extra.isEmpty() && owner && owner->isVisible())
        extra = owner->frameGeometry().size() - owner->size();
    if (extra.isEmpty()) {
        w->winId();   // a top-level window: its native window learns its frame
        if (const QWindow* h = w->windowHandle()) {
            const QMargins m = h->frameMargins();
            extra = QSize(m.left() + m.right(), m.top() + m.bottom());
        }
    }
    const QSize fitted = (avail.size() - extra).boundedTo(w->size()).expandedTo(w->minimumSize());
    if (fitted != w->size())
        w->resize(fitted);
}

void showOwnedWindow(QWidget* w, QWidget* owner)
{
    if (!w)
        return;
    if (!w->isVisible()) {
        makeOwnedWindow(w, owner);
        if (!w->property(kPlaced).toBool()) {
            centreOnOwner(w, owner);
            w->setProperty(kPlaced, true);
        }
    }
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

int execOwnedDialog(QDialog& dlg, QWidget* owner)
{
    makeOwnedWindow(&dlg, owner);
    if (!dlg.isVisible())
        centreOnOwner(&dlg, owner);
    return dlg.exec();
}

} // namespace tav

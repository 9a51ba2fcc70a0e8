#include "services/enterkey.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace tav {

bool enterPressesButton(QObject* target, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QPushButton*>(target);
    // An auto-default or default button already answers Enter itself.
    if (!button || button->autoDefault() || button->isDefault())
        return false;
    return button->hasFocus() && button->isEnabled() && button->isVisible();
}

namespace {

class EnterOnFocusedButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!enterPressesButton(watched, event))
            return false;
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

} // namespace

void installEnterOnFocusedButton()
{
    static EnterOnFocusedButton* filter = nullptr;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new EnterOnFocusedButton(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

} // namespace tav

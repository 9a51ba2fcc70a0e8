#pragma once

#include <QFocusEvent>

namespace tav {

// Qt also moves the focus out of a box when the window is deactivated or a
// pop-up or menu opens; the box has not been left then.
inline bool leavesTheBox(const QFocusEvent* e)
{
    switch (e->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return false;
    default:
        return true;
    }
}

} // namespace tav

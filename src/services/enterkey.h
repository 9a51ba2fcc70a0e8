#pragma once
// Enter on a focused push button presses that button, in every window, as
// the desktop has always done. Qt does it only for a dialog's auto-default
// buttons; ours are mostly not auto-default, so that a dialog gets no
// default button before the window names one.

class QObject;
class QEvent;

namespace tav {

// The decision, apart from the filter: true when `event` sent to `target`
// is an Enter that should press the focused button `target`.
bool enterPressesButton(QObject* target, QEvent* event);

// Installs the application-wide filter once.
void installEnterOnFocusedButton();

} // namespace tav

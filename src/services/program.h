#pragma once
// Ending the program from anywhere: the exit confirmation, a refused login.

#include <functional>

class QWidget;

namespace tav {

// Ends the program at once: no window's closing steps run. Before the event
// loop has started, the start-up sees programEnding() and does not enter it.
void endProgram(int code = 0);
bool programEnding();
int programExitCode();
// Tests reset it between cases.
void resetProgramEnding();

// The one main window, once it exists (parent of the modeless windows).
QWidget* mainWindow();
void setMainWindow(QWidget* w);

// Asks the open windows to close, so that they write their pending edits;
// false when one stays open. The main window sets how; without it, true.
void setOpenWindowsCloser(std::function<bool()> closer);
bool closeOpenWindows();

} // namespace tav

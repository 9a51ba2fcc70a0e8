#include "services/program.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace tav {

namespace {
bool g_ending = false;
int g_code = 0;
QPointer<QWidget> g_main;
std::function<bool()> g_closer;
}

void endProgram(int code)
{
    g_ending = true;
    g_code = code;
    QCoreApplication::exit(code);
}

bool programEnding()
{
    return g_ending;
}

int programExitCode()
{
    return g_code;
}

void resetProgramEnding()
{
    g_ending = false;
    g_code = 0;
}

QWidget* mainWindow()
{
    return g_main;
}

void setMainWindow(QWidget* w)
{
    g_main = w;
}

void setOpenWindowsCloser(std::function<bool()> closer)
{
    g_closer = std::move(closer);
}

bool closeOpenWindows()
{
    return !g_closer || g_closer();
}

} // namespace tav

// Start-up to the moment the login shows: paths, databases checked, the
// first doctor read, the main window made and loaded. The splash wait and
// the login itself are left out.

#include "bench.h"

#include "shell/frmmain.h"
#include "shell/startup.h"

#include <memory>

namespace {

// The window of the previous run goes in the next run's setup; the last one
// is left to the end of the process, after which no widget may be deleted.
tav::frmMain* g_window = nullptr;

const bench::Register startupToLogin({
    QStringLiteral("startup to login"),
    [](const bench::Practice&) {
        delete g_window;
        g_window = nullptr;
    },
    [](const bench::Practice& p) {
        tav::StartupHooks hooks;
        hooks.splash = false;
        hooks.login = [](QWidget*) { return true; };
        g_window = tav::loadProgram(p.folder, hooks).release();
        if (!g_window)
            qFatal("start-up did not reach the login");
    },
    20,
});

} // namespace

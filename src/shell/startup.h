#pragma once
// The start-up: program folder, databases, splash, first doctor, main window.
// runProgram does it all; the steps are apart so tests and the benchmark run
// them on their own.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace tav {

class frmMain;

struct StartupHooks {
    // The login of the main window's load; empty: the login window.
    std::function<bool(QWidget* owner)> login;
    // The doctors register on an empty Medic; empty: MedicAdd, modal.
    std::function<void()> registerDoctor;
    // The clock's second (0..59) for the splash wait; empty: the system clock.
    std::function<int()> clockSecond;
    bool splash = true;
};

// What the splash says while the databases are brought to this version.
inline const QString kUpgradeNotice = QStringLiteral("Обновяване на базата данни...");

// --folder DIR, else the user's application data folder.
QString programFolderFromArguments(const QStringList& arguments);

// Paths and connection strings for the folder, the folder itself, the
// removal of temporary copies a killed run left, a damaged data.mdb made
// anew (with a message), and any missing database. Throws db::DbError.
void openProgramFolder(const QString& folder);

// The splash, shown and painted, until the clock's second changes. No input
// is handled meanwhile.
void showSplashUntilNextSecond(const std::function<int()>& clockSecond = {});

// The first doctor in table order becomes current. On an empty Medic the
// register is shown, then the main window is made and loaded (its login runs)
// and gets its first-run items: `main` then holds it (nullptr when the login
// was refused). Throws db::DbError.
void LoadCurrentDoctor(const StartupHooks& hooks, std::unique_ptr<frmMain>& main);

// Everything up to a loaded, not yet shown main window; nullptr when the
// login ended the program. Throws db::DbError.
std::unique_ptr<frmMain> loadProgram(const QString& folder, const StartupHooks& hooks = {});

// The program: folder, databases, splash, first doctor, main window, event loop.
int runProgram(int argc, char** argv);

} // namespace tav

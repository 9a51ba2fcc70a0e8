#include "shell/startup.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/renewal.h"
#include "db/schema.h"
#include "db/tempcopy.h"
#include "db/values.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"
#include "services/enterkey.h"
#include "services/language.h"
#include "services/program.h"
#include "shell/frmmain.h"
#include "shell/helpwindow.h"
#include "shell/leftovers.h"
#include "shell/medicadd.h"
#include "shell/pictures.h"
#include "shell/registry.h"
#include "shell/splash.h"
#include "statistics/periodreports.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTime>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace tav {

QString programFolderFromArguments(const QStringList& arguments)
{
    QCommandLineParser cli;
    cli.addOption({QStringLiteral("folder"), QStringLiteral("Program folder."), QStringLiteral("dir")});
    cli.parse(arguments);
    if (cli.isSet(QStringLiteral("folder")) && !cli.value(QStringLiteral("folder")).isEmpty())
        return QDir(cli.value(QStringLiteral("folder"))).absolutePath();
    return defaultProgramFolder();
}

namespace {

// Makes the folder and the missing folders above it, each open to the user
// alone whatever the umask: the practice's files are in it. A folder that is
// there already keeps its modes.
bool makeOwnFolder(const QString& path)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != path && !makeOwnFolder(parent))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), S_IRWXU) == 0 || (errno == EEXIST && QFileInfo(path).isDir());
}

} // namespace

void openProgramFolder(const QString& folder)
{
    setProgramFolder(folder);
    if (!makeOwnFolder(ProgramFolder))
        throw db::DbError(QStringLiteral("Папката на програмата не може да бъде създадена"),
                          QDir::toNativeSeparators(ProgramFolder) + QStringLiteral(": ")
                              + QString::fromLocal8Bit(std::strerror(errno)));
    // Copies left by a run that was killed (a restore, a first start); those
    // another copy of the program is still making stay.
    tidyProgramFolder();
    // A damaged data.mdb is made anew from the delivered content; said once.
    if (const QString renewed = db::renewDamagedReference(); !renewed.isEmpty())
        InfoMessage(renewed);
    db::ensureDatabases();
    // The help file is delivered into the program folder like the databases.
    const QString helpFile = QDir(ProgramFolder).filePath(kHelpFileName);
    if (!QFileInfo::exists(helpFile) && QFile::copy(help::builtInFile(), helpFile))
        QFile::setPermissions(helpFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    registry::loadFile(registry::defaultFile());
    makeWorkFolder();
}

void showSplashUntilNextSecond(const std::function<int()>& clockSecond)
{
    const auto second = clockSecond ? clockSecond : [] { return QTime::currentTime().second(); };
    Splash::showShared();
    QElapsedTimer waited;
    waited.start();
    const int start = second();
    // Bounded as well, so a clock that stands still cannot keep the splash up.
    while (second() == start && waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(5);
    }
    Splash::unloadShared();
}

void LoadCurrentDoctor(const StartupHooks& hooks, std::unique_ptr<frmMain>& main)
{
    std::optional<Hourglass> wait(std::in_place);
    db::Row first;
    {
        db::Connection c = db::Connection::main();
        first = c.first(QStringLiteral("SELECT KodMedic, Names FROM Medic ORDER BY RecID LIMIT 1"));
    }
    if (first.names().isEmpty()) {
        wait.reset();
        if (hooks.registerDoctor) {
            hooks.registerDoctor();
        } else {
            MedicAdd dlg;
            dlg.exec();
        }
        auto w = std::make_unique<frmMain>();
        if (!w->load(hooks.login))
            return;
        w->showFirstRunItems();
        main = std::move(w);
        return;
    }
    CurrentDoctorCode = trimBlanks(first.text(QStringLiteral("KodMedic")));
    CurrentDoctorName = trimBlanks(first.text(QStringLiteral("Names")));
}

std::unique_ptr<frmMain> loadProgram(const QString& folder, const StartupHooks& hooks)
{
    setProgramFolder(folder);
    // The one-off upgrade after an update of the program takes seconds on a
    // large practice: the splash comes first and says what is going on.
    if (hooks.splash && db::upgradeNeeded())
        Splash::showShared()->showWork(kUpgradeNotice);
    openProgramFolder(folder);
    if (Splash* splash = Splash::instance())
        splash->showWork({});
    statistics::installPeriodReports();
    if (hooks.splash)
        showSplashUntilNextSecond(hooks.clockSecond);
    std::unique_ptr<frmMain> main;
    LoadCurrentDoctor(hooks, main);
    if (programEnding())
        return nullptr;
    if (!main) {
        main = std::make_unique<frmMain>();
        if (!main->load(hooks.login))
            return nullptr;
    }
    return main;
}

int runProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The default program folder is ~/.local/share/Tavlinora.
    QApplication::setApplicationName(QStringLiteral("Tavlinora"));
    // Without the translation Qt's own texts stay English; the program runs all the same.
    if (!installBulgarian())
        qWarning("Qt's Bulgarian translation is missing: %s", qPrintable(qtTranslationFile()));
    installEnterOnFocusedButton();
    QApplication::setWindowIcon(QIcon(programPicture(64)));
    // The register and the login close before the main window is shown.
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<frmMain> main;
    try {
        main = loadProgram(programFolderFromArguments(QApplication::arguments()));
    } catch (const db::DbError& e) {
        Splash::unloadShared();
        InfoMessage(e.userText());
        return 1;
    }
    if (!main || programEnding())
        return programExitCode();
    main->show();
    QApplication::setQuitOnLastWindowClosed(true);
    return app.exec();
}

} // namespace tav

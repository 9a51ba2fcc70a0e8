#include "support/modal_script.h"
#include "support/previous_version.h"
#include "support/program_folder.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/upgrade.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/frmmain.h"
#include "shell/password.h"
#include "shell/splash.h"
#include "shell/startup.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing_support::TestFolder;

namespace {

void addDoctor(const QString& name, const QString& code)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("Medic", {"Names", "EGN", "KodMedic", "Password"}, {name, "0000000001", code, "kod111"});
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        tav::CurrentDoctorCode.clear();
        tav::CurrentDoctorName.clear();
    }
    void TearDown() override
    {
        if (tav::programEnding())
            testing_support::resetProgramEnd();
    }

    // Hooks that note the order of the steps; the login picks `doctor`.
    tav::StartupHooks hooks(const QString& doctor = {}, bool grant = true)
    {
        tav::StartupHooks h;
        h.splash = false;
        h.registerDoctor = [this] {
            steps_ << "register";
            addDoctor(QStringLiteral("Мария Иванова"), QStringLiteral("2200001"));
        };
        h.login = [this, doctor, grant](QWidget* owner) {
            steps_ << "login";
            doctorAtLogin_ = tav::CurrentDoctorName;
            codeAtLogin_ = tav::CurrentDoctorCode;
            ownerAtLogin_ = owner;
            if (!doctor.isEmpty())
                tav::CurrentDoctorName = doctor;
            return grant;
        };
        return h;
    }

    QTemporaryDir settingsDir_;
    QStringList steps_;
    QString doctorAtLogin_;
    QString codeAtLogin_;
    QWidget* ownerAtLogin_ = nullptr;
};

TEST_F(StartupTest, TheFolderComesFromTheCommandLineElseTheUsersDataFolder)
{
    EXPECT_EQ(tav::programFolderFromArguments({"tavlinora", "--folder", "/srv/practice"}), QStringLiteral("/srv/practice"));
    EXPECT_EQ(tav::programFolderFromArguments({"tavlinora", "--folder=/srv/other"}), QStringLiteral("/srv/other"));
    EXPECT_EQ(tav::programFolderFromArguments({"tavlinora"}), tav::defaultProgramFolder());
    EXPECT_EQ(tav::programFolderFromArguments({"tavlinora", "--folder", "rel"}), QDir("rel").absolutePath());
}

TEST_F(StartupTest, AFreshFolderGetsItsDatabasesAndPathsWhereverTheCurrentDirectoryIs)
{
    TestFolder base(false);
    const QString folder = base.file("new/practice");
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    tav::openProgramFolder(folder);
    QDir::setCurrent(cwd);
    EXPECT_EQ(tav::DatabasePath, QDir(folder).filePath("tavlinora.mdb"));
    EXPECT_EQ(tav::ReferenceDatabasePath, QDir(folder).filePath("data.mdb"));
    // This copy's work database in a folder of its own there; temp.mdb of
    // the program folder is the fund's export.
    EXPECT_EQ(QFileInfo(QFileInfo(tav::TempDatabasePath).absolutePath()).absolutePath(), QDir(folder).absolutePath());
    EXPECT_TRUE(QFileInfo(tav::TempDatabasePath).absolutePath().startsWith(QDir(folder).filePath(".work.tavlinora-tmp-")));
    EXPECT_EQ(tav::TempConnectionString,
              QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=") + tav::TempDatabasePath + ";");
    EXPECT_EQ(tav::FundExportPath, QDir(folder).filePath("temp.mdb"));
    EXPECT_EQ(tav::ConnectionString,
              QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.3.51;Data Source=") + tav::DatabasePath + ";");
    EXPECT_TRUE(QFile::exists(tav::DatabasePath));
    EXPECT_TRUE(QFile::exists(tav::ReferenceDatabasePath));
    EXPECT_FALSE(QFile::exists(tav::TempDatabasePath));
}

// The folder the program makes holds the practice: its owner's alone, also
// under a umask that gives everything to everybody.
TEST_F(StartupTest, AFolderTheProgramMakesIsTheOwnersAloneWhateverTheUmask)
{
    TestFolder base(false);
    const mode_t before = ::umask(0);
    tav::openProgramFolder(base.file("new/practice"));
    ::umask(before);
    EXPECT_EQ(testing_support::modeOf(base.file("new")), 0700);
    EXPECT_EQ(testing_support::modeOf(base.file("new/practice")), 0700);
    EXPECT_EQ(testing_support::modeOf(tav::DatabasePath), 0600);
    EXPECT_EQ(testing_support::modeOf(tav::ReferenceDatabasePath), 0600);
    // A folder that is there already is the user's to set.
    ASSERT_TRUE(QFile::setPermissions(base.file("new/practice"), QFileDevice::Permissions(0x7755)));
    tav::openProgramFolder(base.file("new/practice"));
    EXPECT_EQ(testing_support::modeOf(base.file("new/practice")), 0755);
}

TEST_F(StartupTest, AnEmptyDoctorsTableShowsTheRegisterFirstThenTheLogin)
{
    TestFolder folder;
    auto w = tav::loadProgram(folder.path(), hooks(QStringLiteral("Мария Иванова")));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(steps_, QStringList({"register", "login"}));
    EXPECT_EQ(ownerAtLogin_, w.get());
    EXPECT_TRUE(w->menuItem("mnuSlgClean")->isVisible());
    EXPECT_TRUE(w->menuItem("mnuSlgClean")->isEnabled());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Тавлинора 3.0.5 - д-р Мария Иванова"));
    EXPECT_FALSE(w->isVisible());
}

TEST_F(StartupTest, WithDoctorsTheFirstInTableOrderIsCurrentUntilTheLogin)
{
    TestFolder folder;
    addDoctor(QStringLiteral("  Петър Колев "), QStringLiteral(" 2200002 "));
    addDoctor(QStringLiteral("Анна Попова"), QStringLiteral("2200001"));
    auto w = tav::loadProgram(folder.path(), hooks(QStringLiteral("Анна Попова")));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(steps_, QStringList({"login"}));
    EXPECT_EQ(doctorAtLogin_, QStringLiteral("Петър Колев"));
    EXPECT_EQ(codeAtLogin_, QStringLiteral("2200002"));
    EXPECT_FALSE(w->menuItem("mnuSlgClean")->isVisible());
    EXPECT_FALSE(w->menuItem("mnuSlgClean")->isEnabled());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Тавлинора 3.0.5 - д-р Анна Попова"));
}

TEST_F(StartupTest, FirstRunWithTheRealRegisterAndLogin)
{
    TestFolder folder;
    tav::StartupHooks h;
    h.splash = false;
    testing_support::ModalScript script;
    script.then("MedicAdd", [](QWidget* w) {
        const QStringList values = {"Мария Иванова", "0400001234", "2200001", "kod123"};
        for (int i = 0; i < 4; ++i)
            w->findChild<QLineEdit*>(QStringLiteral("txtFields_%1").arg(i + 1))->setText(values[i]);
        w->findChild<QPushButton*>("cmdClose")->click();
    });
    script.then("Password", [](QWidget* w) {
        auto* login = static_cast<tav::Password*>(w);
        login->combo()->setCurrentIndex(0);
        login->chooseEntry(0);
        login->codeBox()->setText("kod123");
        w->findChild<QPushButton*>("OKButton")->click();
    });
    auto main = tav::loadProgram(folder.path(), h);
    EXPECT_TRUE(script.finished()) << script.seenWindows().join(",").toStdString();
    EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(",").toStdString();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Тавлинора 3.0.5 - д-р Мария Иванова"));
    EXPECT_EQ(tav::CurrentDoctorCode, QStringLiteral("2200001"));
    EXPECT_TRUE(main->menuItem("mnuSlgClean")->isVisible());
}

TEST_F(StartupTest, ARefusedLoginLeavesNoWindow)
{
    TestFolder folder;
    addDoctor(QStringLiteral("Петър Колев"), QStringLiteral("2200002"));
    EXPECT_EQ(tav::loadProgram(folder.path(), hooks({}, false)), nullptr);
    EXPECT_TRUE(tav::programEnding());
    testing_support::resetProgramEnd();

    // The same on a first run: the register, then a refused login.
    TestFolder fresh;
    steps_.clear();
    EXPECT_EQ(tav::loadProgram(fresh.path(), hooks({}, false)), nullptr);
    EXPECT_EQ(steps_, QStringList({"register", "login"}));
    EXPECT_TRUE(tav::programEnding());
}

TEST_F(StartupTest, ADatabaseThatCannotBeOpenedIsAnError)
{
    TestFolder folder;
    QFile f(tav::DatabasePath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray("повреден файл").repeated(200));
    f.close();
    try {
        tav::loadProgram(folder.path(), hooks());
        ADD_FAILURE() << "a damaged database was opened";
    } catch (const tav::db::DbError& e) {
        EXPECT_FALSE(e.message().isEmpty());
        EXPECT_TRUE(e.userText().contains(QDir::toNativeSeparators(tav::DatabasePath))) << e.what();
    }
    EXPECT_TRUE(steps_.isEmpty());
}

TEST_F(StartupTest, AFileThatCannotBeBroughtToThisVersionStopsTheStartUntouched)
{
    const std::function<void()> makers[] = {
        [] {   // written by a newer program
            tav::db::Connection raw(tav::DatabasePath, tav::db::OpenMode::ReadWrite);
            raw.exec(QStringLiteral("PRAGMA user_version = %1").arg(tav::db::currentVersion(tav::db::DatabaseKind::Main) + 1));
        },
        [] {   // an old file whose upgrade fails
            testing_support::makeVersion1Database(tav::DatabasePath, tav::db::DatabaseKind::Main);
            tav::db::setUpgradeStepHook([](tav::db::DatabaseKind, int) { throw tav::db::DbError("injected", "disk full"); });
        },
    };
    for (const auto& make : makers) {
        TestFolder folder;
        make();
        QFile f(tav::DatabasePath);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        steps_.clear();
        try {
            tav::loadProgram(folder.path(), hooks());
            ADD_FAILURE() << "the program started on a file it cannot use";
        } catch (const tav::db::DbError& e) {
            EXPECT_TRUE(e.userText().contains(QStringLiteral("версия"))) << e.what();
        }
        tav::db::setUpgradeStepHook({});
        EXPECT_TRUE(steps_.isEmpty());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
}

TEST_F(StartupTest, TheSplashStaysUntilTheClocksSecondChanges)
{
    struct Case {
        int from;
        int to;
    };
    for (const Case c : {Case{59, 0}, Case{12, 13}}) {
        int reads = 0;
        bool shownWhileWaiting = false;
        tav::showSplashUntilNextSecond([&] {
            ++reads;
            tav::Splash* s = tav::Splash::instance();
            shownWhileWaiting = shownWhileWaiting || (s && s->isVisible());
            return reads < 4 ? c.from : c.to;
        });
        EXPECT_EQ(reads, 4) << c.from;
        EXPECT_TRUE(shownWhileWaiting);
        EXPECT_EQ(tav::Splash::instance(), nullptr);
    }
    // A clock that stands still keeps it up no longer than a second.
    QElapsedTimer t;
    t.start();
    tav::showSplashUntilNextSecond([] { return 30; });
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_EQ(tav::Splash::instance(), nullptr);

    // The real clock: under a second.
    t.restart();
    tav::showSplashUntilNextSecond();
    EXPECT_LT(t.elapsed(), 1100);
}

TEST_F(StartupTest, TheSplashShowsNameVersionAndPlatform)
{
    tav::Splash* s = tav::Splash::showShared();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->productName()->text(), QStringLiteral("Тавлинора"));
    EXPECT_EQ(s->version()->text(), QStringLiteral("Version 3.0.5"));
    EXPECT_EQ(s->platform()->text(), QStringLiteral("Linux"));
    EXPECT_NE(s->findChild<QWidget*>("Frame1"), nullptr);
    EXPECT_FALSE(s->findChild<QLabel*>("imgLogo")->pixmap().isNull());
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        s->grab().save(dir + "/splash.png");
    tav::Splash::unloadShared();
    EXPECT_EQ(tav::Splash::instance(), nullptr);
    tav::Splash::unloadShared();   // twice is harmless
}

} // namespace

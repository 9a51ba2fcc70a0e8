// Start-up on a program folder that another copy of the program uses, or
// that a killed run left in disorder.

#include "support/previous_version.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"
#include "db/upgrade.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/frmmain.h"
#include "shell/splash.h"
#include "shell/startup.h"
#include "statistics/tempdb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <sys/file.h>

using testing_support::RegisterHelper;
using testing_support::SecondCopy;
using testing_support::TestFolder;
using testing_support::say;

namespace {

// start FOLDER: waits for "go", then starts on the folder as the program
// does and adds a doctor; says "started" or "failed" and the message.
const RegisterHelper kStart("start", [](const QStringList& args) {
    say("waiting");
    if (testing_support::readCommand() != QLatin1String("go"))
        return 1;
    try {
        tav::openProgramFolder(args.value(0));
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic"}, {"Лекар", QString::number(QCoreApplication::applicationPid())});
        say("started");
        return 0;
    } catch (const tav::db::DbError& e) {
        say("failed " + e.userText().replace('\r', ' '));
        return 1;
    }
});

class StartupCopiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }
    static tav::StartupHooks quiet()
    {
        tav::StartupHooks h;
        h.splash = false;
        h.registerDoctor = [] {
            tav::db::Connection::main().insert("Medic", {"Names", "KodMedic"}, {"Мария Иванова", "2200001"});
        };
        h.login = [](QWidget*) { return true; };
        return h;
    }
    QTemporaryDir settingsDir_;
};

TEST_F(StartupCopiesTest, TwoFirstStartsAtOnceOnAnEmptyFolderEndOnOneDatabase)
{
    for (int round = 0; round < 6; ++round) {
        QTemporaryDir folder;
        SecondCopy a("start", {folder.path()});
        SecondCopy b("start", {folder.path()});
        ASSERT_FALSE(a.waitFor("waiting").isEmpty()) << a.errorOutput().toStdString();
        ASSERT_FALSE(b.waitFor("waiting").isEmpty()) << b.errorOutput().toStdString();
        a.send("go");
        b.send("go");
        EXPECT_EQ(a.waitFor("").toStdString(), "started") << "round " << round;
        EXPECT_EQ(b.waitFor("").toStdString(), "started") << "round " << round;
        EXPECT_EQ(a.finish(), 0);
        EXPECT_EQ(b.finish(), 0);
        tav::setProgramFolder(folder.path());
        // Both doctors went into the one database there is.
        EXPECT_EQ(tav::db::Connection::main().scalar("SELECT count(*) FROM Medic").toInt(), 2) << "round " << round;
        EXPECT_EQ(QDir(folder.path()).entryList({"*.mdb"}, QDir::Files), QStringList({"data.mdb", "tavlinora.mdb"}));
        EXPECT_EQ(QDir(folder.path()).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList()) << "round " << round;
    }
}

TEST_F(StartupCopiesTest, ADatabaseLockedByAnotherCopyIsSaidToBeInUseNotBroken)
{
    TestFolder folder;
    SecondCopy other("hold", {tav::DatabasePath, "exclusive"});
    ASSERT_FALSE(other.waitFor("holding").isEmpty()) << other.errorOutput().toStdString();
    try {
        tav::loadProgram(folder.path(), quiet());
        ADD_FAILURE() << "started on a locked database";
    } catch (const tav::db::DbError& e) {
        EXPECT_EQ(e.message(), tav::db::kMsgInUse) << e.what();
        EXPECT_FALSE(e.userText().contains("не е база данни")) << e.what();
    }
    other.send("commit");
    EXPECT_FALSE(other.waitFor("committed").isEmpty()) << other.lines().join('\n').toStdString();
    EXPECT_EQ(other.finish(), 0);
    // Tried again, it starts, with the other copy's save in place.
    std::unique_ptr<tav::frmMain> main = tav::loadProgram(folder.path(), quiet());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(tav::db::Connection::main().scalar("SELECT count(*) FROM Medic").toInt(), 1);
}

TEST_F(StartupCopiesTest, OnlyAFileThatIsNoDatabaseIsCalledSo)
{
    TestFolder folder;
    {
        QFile f(tav::DatabasePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("Standard Jet DB ").repeated(400));
    }
    try {
        tav::db::Connection::main();
        ADD_FAILURE() << "a file that is no database was opened";
    } catch (const tav::db::DbError& e) {
        EXPECT_EQ(e.message(), tav::db::kMsgNotADatabase) << e.what();
    }
}

TEST_F(StartupCopiesTest, ALinkToAFileThatIsGoneStopsTheStartAndNothingIsCreated)
{
    TestFolder folder(false);
    const QString gone = folder.file("elsewhere/practice.mdb");
    ASSERT_TRUE(QFile::link(gone, folder.file("tavlinora.mdb")));
    try {
        tav::loadProgram(folder.path(), quiet());
        ADD_FAILURE() << "a new practice was made in the place of a link";
    } catch (const tav::db::DbError& e) {
        EXPECT_TRUE(e.userText().contains(QDir::toNativeSeparators(gone))) << e.what();
        EXPECT_TRUE(e.userText().contains("такъв файл няма")) << e.what();
    }
    EXPECT_TRUE(QFileInfo(folder.file("tavlinora.mdb")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"tavlinora.mdb"}));
}

// Every entry of the folder, folders with what they hold, one line each.
QStringList entriesOf(const QString& folder)
{
    QStringList out;
    const QDir dir(folder);
    for (const QFileInfo& f : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        out << f.fileName() + (f.isSymLink() ? "@" : f.isDir() ? "/" : "");
        if (f.isDir() && !f.isSymLink())
            for (const QString& inside : entriesOf(f.filePath()))
                out << f.fileName() + "/" + inside;
    }
    return out;
}

TEST_F(StartupCopiesTest, CopiesAKilledRunLeftAreRemovedThoseInTheMakingStay)
{
    TestFolder folder;
    const auto make = [&](const QString& name, int size) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
    };
    // What a killed restore, a killed first start and a killed export left.
    make(".tavlinora.mdb.tavlinora-tmp-Q1w2E3", 300000);
    make(".tavlinora.mdb.tavlinora-tmp-Q1w2E3-journal", 512);
    make(".data.mdb.tavlinora-tmp-R4t5Y6-journal", 512);
    make(".Report.xml.tavlinora-tmp-Xq3bKt", 100);
    // The practice's own files stay.
    make("tavlinora-2026-01-05.arh", 1000);
    make(".notes", 10);
    // A copy another copy of the program is making now.
    auto inTheMaking = std::make_unique<tav::db::TempCopy>(tav::DatabasePath);
    const QString making = QFileInfo(inTheMaking->path()).fileName();
    EXPECT_TRUE(making.startsWith(".tavlinora.mdb.tavlinora-tmp-")) << making.toStdString();

    std::unique_ptr<tav::frmMain> main = tav::loadProgram(folder.path(), quiet());
    ASSERT_NE(main, nullptr);
    QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(tav::kHelpFileName);
    EXPECT_EQ(left.join(' ').toStdString(),
              QStringList({".notes", making, "data.mdb", "tavlinora-2026-01-05.arh", "tavlinora.mdb"}).join(' ').toStdString());
    inTheMaking.reset();
    EXPECT_FALSE(QFile::exists(folder.file(making)));
}

// Files and folders of the user's own, named much as the program's temporary
// ones once were, survive every start-up; so does a work folder of a copy
// that is gone when it holds anything the program does not put there.
TEST_F(StartupCopiesTest, AUsersOwnFilesSurviveEveryStartUp)
{
    TestFolder folder;
    const auto make = [&](const QString& name) {
        QDir().mkpath(QFileInfo(folder.file(name)).absolutePath());
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's");
    };
    const QStringList users{"Report.xml.backup",
                            "Report.xml.march1",
                            "Report_UTF8.xml.xxxxxx",
                            "tavlinora.mdb.new",
                            "tavlinora.mdb.new-journal",
                            "copy.mdb.new",
                            ".tavlinora.mdb.xxxxxx",
                            ".notes.part-xxxxxx",
                            ".tavlinora.mdb.part-Q1w2E3",
                            ".tavlinora-work-xxxxxx/temp.mdb",
                            ".tavlinora-work-xxxxxx/letter.txt",
                            ".work.tavlinora-tmp-Gone01/temp.mdb",
                            ".work.tavlinora-tmp-Gone01/letter.txt",
                            ".work.tavlinora-tmp-Gone02/photos/1.jpg",
                            ".notes.tavlinora-tmp-2x",
                            "work.tavlinora-tmp-Ab3xYz"};
    for (const QString& name : users)
        make(name);
    // A link named as the program's own, and the file it points to.
    make("target.txt");
    ASSERT_TRUE(QFile::link(folder.file("target.txt"), folder.file(".target.txt.tavlinora-tmp-Link01")));
    // A work folder of a copy that is gone, holding only what it made.
    make(".work.tavlinora-tmp-Gone03/temp.mdb");
    make(".work.tavlinora-tmp-Gone03/temp.mdb-journal");

    const QStringList before = entriesOf(folder.path());
    for (int start = 0; start < 2; ++start) {
        std::unique_ptr<tav::frmMain> main = tav::loadProgram(folder.path(), quiet());
        ASSERT_NE(main, nullptr);
        main->show();
        EXPECT_TRUE(main->close());
    }
    QStringList after = entriesOf(folder.path());
    after.removeAll(tav::kHelpFileName);
    QStringList expected = before;
    expected.removeAll(".work.tavlinora-tmp-Gone03/");
    expected.removeAll(".work.tavlinora-tmp-Gone03/temp.mdb");
    expected.removeAll(".work.tavlinora-tmp-Gone03/temp.mdb-journal");
    EXPECT_EQ(after.join('\n').toStdString(), expected.join('\n').toStdString());
    for (const QString& name : users) {
        QFile f(folder.file(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll() == "the user's") << name.toStdString();
    }
}

// work FOLDER: a copy on the folder that has made its report work table;
// says "holding" and the work database, then runs until its input ends.
const RegisterHelper kWork("work", [](const QStringList& args) {
    try {
        tav::setProgramFolder(args.value(0));
        tav::statistics::CreateTempTable("TempWork");
        say("holding " + tav::TempDatabasePath);
        testing_support::readCommand();
        return 0;
    } catch (const tav::db::DbError& e) {
        say("failed " + e.userText().replace('\r', ' '));
        return 1;
    }
});

TEST_F(StartupCopiesTest, WorkFoldersOfCopiesThatAreGoneAreRemovedThoseOfRunningCopiesStay)
{
    TestFolder folder;
    SecondCopy running("work", {folder.path()});
    const QString runningDb = running.waitFor("holding ").mid(8);
    ASSERT_FALSE(runningDb.isEmpty()) << running.lines().join('\n').toStdString() << running.errorOutput().toStdString();
    QString killedDb;
    {
        SecondCopy killed("work", {folder.path()});
        killedDb = killed.waitFor("holding ").mid(8);
        ASSERT_FALSE(killedDb.isEmpty()) << killed.lines().join('\n').toStdString();
    }   // killed here: nothing of its own removal ran
    ASSERT_NE(killedDb, runningDb);
    ASSERT_TRUE(QFile::exists(killedDb));

    std::unique_ptr<tav::frmMain> main = tav::loadProgram(folder.path(), quiet());
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(killedDb).absolutePath()));
    EXPECT_TRUE(QFile::exists(runningDb));
    // This copy's own, made at the start, is a third one.
    const QString mine = QFileInfo(tav::TempDatabasePath).absolutePath();
    EXPECT_TRUE(QFileInfo(mine).isDir());
    EXPECT_NE(mine, QFileInfo(runningDb).absolutePath());
    EXPECT_EQ(QFileInfo(mine).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                 | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);

    // A copy that ends takes its folder with it.
    EXPECT_EQ(running.finish(), 0);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(runningDb).absolutePath()));
    main->show();
    EXPECT_TRUE(main->close());
    EXPECT_FALSE(QFileInfo::exists(mine));
}

// An export cut off by a kill: its temporary files, and a new Report.xml
// beside the last run's Report_UTF8.xml.
TEST_F(StartupCopiesTest, WhatAKilledExportLeftIsTidiedAndReportXmlKept)
{
    TestFolder folder;
    const auto write = [&](const QString& name, const QByteArray& bytes, int secondsAgo) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.flush();
        f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime);
    };
    const QByteArray report = QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<name>")
        + QByteArray("\xC8\xE2\xE0\xED") + "</name>\r\n";   // "Иван" in Windows-1251
    write("Report.xml", report, 60);
    write("Report_UTF8.xml", "\xEF\xBB\xBFlast month", 3600);
    write(".Report.xml.tavlinora-tmp-Xq3bKt", "cut off", 60);
    write(".Report_UTF8.xml.tavlinora-tmp-pR7sDw", "cut off", 60);
    // One another copy is writing now.
    std::optional<tav::db::WholeFile> writing(std::in_place, folder.file("Report.xml"), QStringLiteral("failed"));
    writing->write("being written");
    const QStringList temporary = QDir(folder.path()).entryList({".Report.xml.tavlinora-tmp-*"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(temporary.size(), 2);
    const QString held = temporary[0] == ".Report.xml.tavlinora-tmp-Xq3bKt" ? temporary[1] : temporary[0];

    std::unique_ptr<tav::frmMain> main = tav::loadProgram(folder.path(), quiet());
    ASSERT_NE(main, nullptr);
    QStringList left = QDir(folder.path()).entryList({"*Report*"}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.join(' ').toStdString(), QStringList({held, "Report.xml", "Report_UTF8.xml"}).join(' ').toStdString());
    QFile r(folder.file("Report.xml")), u(folder.file("Report_UTF8.xml"));
    ASSERT_TRUE(r.open(QIODevice::ReadOnly));
    ASSERT_TRUE(u.open(QIODevice::ReadOnly));
    EXPECT_EQ(r.readAll(), report);
    EXPECT_EQ(u.readAll().toStdString(),
              ("\xEF\xBB\xBF" + QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<name>Иван</name>\r\n").toUtf8())
                  .toStdString());
    // The other copy's file is whole once in place.
    writing->commit();
    writing.reset();
    QFile written(folder.file("Report.xml"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("being written"));
    EXPECT_FALSE(QFile::exists(folder.file(held)));
    write("Report.xml", report, 60);
    // A pair that matches is left as it is.
    main.reset();
    main = tav::loadProgram(folder.path(), quiet());
    const QDateTime mended = QFileInfo(folder.file("Report_UTF8.xml")).lastModified();
    main.reset();
    main = tav::loadProgram(folder.path(), quiet());
    EXPECT_EQ(QFileInfo(folder.file("Report_UTF8.xml")).lastModified(), mended);
}

TEST_F(StartupCopiesTest, TheUpgradeAfterAnUpdateShowsTheSplashSayingSoFirst)
{
    TestFolder folder;
    testing_support::makeVersion1Folder();
    QStringList seen;
    tav::db::setUpgradeStepHook([&](tav::db::DatabaseKind, int) {
        tav::Splash* s = tav::Splash::instance();
        seen << (s && s->isVisible() && s->status()->isVisible() ? s->status()->text() : QStringLiteral("nothing shown"));
    });
    tav::StartupHooks hooks = quiet();
    hooks.splash = true;
    hooks.clockSecond = [n = 0]() mutable { return n++ < 2 ? 0 : 1; };
    std::unique_ptr<tav::frmMain> main = tav::loadProgram(folder.path(), hooks);
    tav::db::setUpgradeStepHook({});
    ASSERT_NE(main, nullptr);
    ASSERT_FALSE(seen.isEmpty());
    seen.removeDuplicates();
    EXPECT_EQ(seen, QStringList({tav::kUpgradeNotice}));
    EXPECT_EQ(tav::Splash::instance(), nullptr);

    // Without an upgrade the splash says nothing of it.
    main.reset();
    bool said = true;
    hooks.clockSecond = [&, n = 0]() mutable {
        if (tav::Splash* s = tav::Splash::instance())
            said = s->status()->isVisible();
        return n++ < 2 ? 0 : 1;
    };
    main = tav::loadProgram(folder.path(), hooks);
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(said);
}

} // namespace

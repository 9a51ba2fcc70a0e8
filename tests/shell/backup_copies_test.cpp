// Backup and restore while another copy of the program works on the same
// practice: a second process of this test program stands for it.

#include "support/database_content.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"
#include "db/tempcopy.h"
#include "shell/backup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/mount.h>
#include <unistd.h>

using testing_support::contentOf;
using testing_support::RegisterHelper;
using testing_support::SecondCopy;
using testing_support::TestFolder;
using testing_support::say;

namespace {

constexpr int kPatients = 20000;

// writer FOLDER MS: commits every 15 ms for MS milliseconds. Commit n sets
// every patient's Work to n and adds doctor n, so a copy of one commit's
// state has one Work value, equal to its number of doctors. Says "ready"
// after its first commit, then "done COMMITS FAILURES".
const RegisterHelper kWriter("writer", [](const QStringList& args) {
    tav::setProgramFolder(args.value(0));
    const int ms = args.value(1).toInt();
    QElapsedTimer t;
    t.start();
    int commits = 0, failures = 0;
    while (t.elapsed() < ms) {
        try {
            tav::db::Connection c(tav::DatabasePath, tav::db::OpenMode::ReadWrite);
            tav::db::Transaction tr(c);
            const int n = commits + 1;
            c.exec("UPDATE Pacients SET Work = ?", {QString::number(n)});
            c.insert("Medic", {"Names", "KodMedic"}, {"писач", QString::number(n)});
            tr.commit();
            commits = n;
            if (commits == 1)
                say("ready");
        } catch (const tav::db::DbError& e) {
            ++failures;
            say("failed " + e.userText().replace('\r', ' '));
        }
        QThread::msleep(15);
    }
    say(QStringLiteral("done %1 %2").arg(commits).arg(failures));
    return 0;
});

void addPatients(int count)
{
    tav::db::Connection c = tav::db::Connection::main();
    QVector<QVariantList> rows;
    for (int i = 0; i < count; ++i)
        rows << QVariantList{QStringLiteral("75%1").arg(i, 8, 10, QLatin1Char('0')),
                             QStringLiteral("Пациент %1 ").arg(i) + QString(60, QChar(0x0416)), QStringLiteral("0")};
    tav::db::Transaction t(c);
    c.insertMany("Pacients", {"EGN", "Names", "Work"}, rows);
    t.commit();
}

// What is wrong with a copy that should hold one commit of the writer; "" when nothing is.
QString tornness(const QString& path)
{
    try {
        tav::db::Connection c(path, tav::db::OpenMode::ReadOnly);
        const QString check = c.scalar("PRAGMA integrity_check").toString();
        if (check != QLatin1String("ok"))
            return "integrity_check: " + check;
        const tav::db::Rows works = c.query("SELECT DISTINCT Work FROM Pacients");
        const int doctors = c.scalar("SELECT count(*) FROM Medic WHERE Names = 'писач'").toInt();
        if (works.size() != 1)
            return QStringLiteral("%1 different commits among the patients").arg(works.size());
        if (works[0].text("Work").toInt() != doctors)
            return QStringLiteral("patients of commit %1 beside %2 doctors").arg(works[0].text("Work")).arg(doctors);
        return {};
    } catch (const tav::db::DbError& e) {
        return QString::fromUtf8(e.what());
    }
}

int doctors()
{
    return tav::db::Connection::main().scalar("SELECT count(*) FROM Medic").toInt();
}

void addDoctor(const QString& name)
{
    tav::db::Connection::main().insert("Medic", {"Names", "KodMedic"}, {name, "2200001"});
}

TEST(BackupBesideAnotherCopy, EveryBackupMadeWhileAnotherCopyCommitsHoldsOneCommit)
{
    TestFolder folder;
    addPatients(kPatients);
    SecondCopy writer("writer", {folder.path(), "4000"});
    ASSERT_TRUE(writer.started());
    ASSERT_FALSE(writer.waitFor("ready").isEmpty()) << writer.lines().join('\n').toStdString()
                                                    << writer.errorOutput().toStdString();
    QStringList made, refused;
    QString done;
    for (int i = 0; done.isEmpty(); ++i) {
        const QString archive = folder.file(QStringLiteral("copy%1.arh").arg(i));
        try {
            tav::backup::backupDatabase(archive);
            made << archive;
        } catch (const tav::db::DbError& e) {
            refused << e.userText();
        }
        done = writer.waitFor("done", 0);
    }
    EXPECT_EQ(writer.finish(), 0);
    // The writer was never cut off.
    EXPECT_TRUE(done.endsWith(" 0")) << done.toStdString() << "\n" << writer.lines().join('\n').toStdString();
    EXPECT_GE(made.size(), 5) << refused.join('\n').toStdString();
    for (const QString& archive : made)
        EXPECT_EQ(tornness(archive).toStdString(), "") << QFileInfo(archive).fileName().toStdString();
    // And each can be restored.
    ASSERT_FALSE(made.isEmpty());
    tav::backup::restoreDatabase(made.last());
    EXPECT_EQ(tornness(tav::DatabasePath).toStdString(), "");
    EXPECT_EQ(contentOf(tav::DatabasePath).toStdString(), contentOf(made.last()).toStdString());
}

// A copy whose tables and pages are sound, but one of whose rows no longer
// matches its index: what a copy taken between two commits may hold. The
// quick check finds nothing wrong with it.
TEST(BackupBesideAnotherCopy, ARestoreOfATornCopyIsRefused)
{
    TestFolder folder;
    addPatients(50);
    addDoctor("Мария Иванова");
    const QString archive = folder.file("torn.arh");
    tav::backup::backupDatabase(archive);
    QFile f(archive);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const qsizetype at = bytes.indexOf("7500000017");
    ASSERT_GT(at, 0);
    bytes.replace(at, 10, "7500000071");
    f.seek(0);
    f.write(bytes);
    f.close();
    {
        tav::db::Connection c(archive, tav::db::OpenMode::ReadOnly);
        ASSERT_EQ(c.scalar("PRAGMA quick_check").toString(), QString("ok"));
        ASSERT_NE(c.scalar("PRAGMA integrity_check").toString(), QString("ok"));
    }
    addDoctor("Петър Колев");
    const QString before = contentOf(tav::DatabasePath);
    try {
        tav::backup::restoreDatabase(archive);
        ADD_FAILURE() << "a torn copy was restored";
    } catch (const tav::db::DbError& e) {
        EXPECT_TRUE(e.message().contains("не е архив на данните")) << e.what();
    }
    EXPECT_EQ(contentOf(tav::DatabasePath).toStdString(), before.toStdString());
    EXPECT_EQ(doctors(), 2);
}

TEST(BackupBesideAnotherCopy, ARestoreWaitsForAnotherCopysSaveWhichIsNotCutOff)
{
    TestFolder folder;
    addDoctor("Мария Иванова");
    const QString archive = folder.file("practice.arh");
    tav::backup::backupDatabase(archive);
    addDoctor("Петър Колев");

    SecondCopy other("hold", {tav::DatabasePath, "immediate", "1500"});
    ASSERT_FALSE(other.waitFor("holding").isEmpty()) << other.errorOutput().toStdString();
    QElapsedTimer waited;
    waited.start();
    tav::backup::restoreDatabase(archive);
    EXPECT_GE(waited.elapsed(), 1000);
    EXPECT_FALSE(other.waitFor("committed").isEmpty()) << other.lines().join('\n').toStdString();
    EXPECT_EQ(other.finish(), 0);
    // The restore came after the other copy's save.
    EXPECT_EQ(contentOf(tav::DatabasePath).toStdString(), contentOf(archive).toStdString());
    EXPECT_FALSE(QFile::exists(tav::DatabasePath + "-journal"));
}

TEST(BackupBesideAnotherCopy, ARestoreIsRefusedWhileAnotherCopyKeepsSavingAndItsSaveSucceeds)
{
    TestFolder folder;
    const QString archive = folder.file("practice.arh");
    tav::backup::backupDatabase(archive);
    addDoctor("Мария Иванова");
    const QString before = contentOf(tav::DatabasePath);

    SecondCopy other("hold", {tav::DatabasePath, "immediate"});
    ASSERT_FALSE(other.waitFor("holding").isEmpty()) << other.errorOutput().toStdString();
    try {
        tav::backup::restoreDatabase(archive);
        ADD_FAILURE() << "restored under another copy's save";
    } catch (const tav::db::DbError& e) {
        EXPECT_TRUE(e.message().contains("Данните не са заредени")) << e.what();
        EXPECT_TRUE(e.userText().contains(tav::db::kMsgInUse)) << e.what();
        // The file in use is named: the practice's, not the archive.
        EXPECT_TRUE(e.userText().contains("Файл: " + QDir::toNativeSeparators(tav::DatabasePath) + " (данните на практиката)"))
            << e.userText().toStdString();
    }
    EXPECT_EQ(contentOf(tav::DatabasePath).toStdString(), before.toStdString());
    other.send("commit");
    EXPECT_FALSE(other.waitFor("committed").isEmpty()) << other.lines().join('\n').toStdString();
    EXPECT_EQ(other.finish(), 0);
    EXPECT_EQ(doctors(), 2);
    // Once it is done the restore goes through.
    tav::backup::restoreDatabase(archive);
    EXPECT_EQ(doctors(), 0);
}

TEST(BackupBesideAnotherCopy, BackupAndRestoreThroughALinkWorkOnItsTarget)
{
    TestFolder folder;
    QTemporaryDir elsewhere;
    const QString real = QDir(elsewhere.path()).filePath("practice.mdb");
    ASSERT_TRUE(QFile::rename(tav::DatabasePath, real));
    ASSERT_TRUE(QFile::link(real, tav::DatabasePath));
    addDoctor("Мария Иванова");
    const QString archive = folder.file("practice.arh");
    tav::backup::backupDatabase(archive);
    addDoctor("Петър Колев");

    tav::backup::restoreDatabase(archive);
    EXPECT_TRUE(QFileInfo(tav::DatabasePath).isSymLink());
    EXPECT_EQ(QFileInfo(tav::DatabasePath).symLinkTarget(), real);
    EXPECT_EQ(contentOf(real).toStdString(), contentOf(archive).toStdString());
    EXPECT_EQ(doctors(), 1);

    // An archive named by a link is written into the link's target.
    const QString target = QDir(elsewhere.path()).filePath("kept.arh");
    QFile(target).open(QIODevice::WriteOnly);
    const QString linked = folder.file("linked.arh");
    ASSERT_TRUE(QFile::link(target, linked));
    tav::backup::backupDatabase(linked);
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_EQ(contentOf(target).toStdString(), contentOf(real).toStdString());
}

TEST(BackupBesideAnotherCopy, ABackupRemovesWhatAKilledBackupLeftThereNotWhatAnotherCopyIsMaking)
{
    TestFolder folder;
    QTemporaryDir stick;
    const auto make = [&](const QString& name, int size) {
        QFile f(QDir(stick.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
    };
    // Yesterday's backup, killed while it copied.
    make(".tavlinora-2026-01-05.arh.tavlinora-tmp-Q1w2E3", 300000);
    // Files of other names stay.
    make(".notes", 10);
    make("photo.part-123456", 10);
    make(".photo.jpg.part-123456", 10);
    make("tavlinora.mdb.new", 10);
    // The backup another copy is making there now.
    auto inTheMaking = std::make_unique<tav::db::TempCopy>(QDir(stick.path()).filePath("other.arh"));
    const QString making = QFileInfo(inTheMaking->path()).fileName();

    tav::backup::backupDatabase(QDir(stick.path()).filePath("tavlinora-2026-01-06.arh"));
    EXPECT_EQ(QDir(stick.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(' ').toStdString(),
              QStringList({".notes", making, ".photo.jpg.part-123456", "photo.part-123456", "tavlinora-2026-01-06.arh",
                           "tavlinora.mdb.new"})
                  .join(' ')
                  .toStdString());
    inTheMaking.reset();
}

// unreadable: as a user that is not root (root reads every file), makes a
// practice and its archive, takes the right to read it away, and says what
// checking and restoring it say.
const RegisterHelper kUnreadable("unreadable", [](const QStringList&) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        say("no other user");
        return 0;
    }
    QTemporaryDir place;
    if (!place.isValid()) {
        say("no folder");
        return 0;
    }
    tav::setProgramFolder(place.path());
    tav::db::ensureDatabases();
    const QString archive = QDir(place.path()).filePath("practice.arh");
    tav::backup::backupDatabase(archive);
    QFile::setPermissions(archive, QFile::WriteOwner);
    for (const char* step : {"check", "restore"}) {
        try {
            if (QByteArray(step) == "check")
                tav::backup::checkRestoreSource(archive);
            else
                tav::backup::restoreDatabase(archive);
            say(QString::fromLatin1(step) + " passed");
        } catch (const tav::db::DbError& e) {
            say(QString::fromLatin1(step) + " " + e.userText().replace('\r', '|'));
        }
    }
    return 0;
});

TEST(BackupBesideAnotherCopy, AnArchiveTheUserMayNotReadIsSaidToBeUnreadableWithTheSystemsReason)
{
    SecondCopy copy("unreadable", {});
    ASSERT_TRUE(copy.started());
    const QString check = copy.waitFor("check");
    if (check.isEmpty() && (copy.lines().contains("no other user") || copy.lines().contains("no folder")))
        GTEST_SKIP() << copy.lines().join('\n').toStdString();
    for (const QString& said : {check, copy.waitFor("restore")}) {
        EXPECT_TRUE(said.contains("не може да бъде прочетен")) << said.toStdString() << copy.errorOutput().toStdString();
        EXPECT_TRUE(said.contains("practice.arh: Permission denied")) << said.toStdString();
        EXPECT_FALSE(said.contains("не е архив")) << said.toStdString();
    }
    EXPECT_EQ(copy.finish(), 0);
}

// fulldisk FOLDER SPACE: the practice in FOLDER, an old archive on a
// file system of SPACE with too little room for a backup. Says the message.
const RegisterHelper kFullDisk("fulldisk", [](const QStringList& args) {
    tav::setProgramFolder(args.value(0));
    const QByteArray space = QFile::encodeName(args.value(1));
    if (::mount("tmpfs", space.constData(), "tmpfs", 0, "size=256k") != 0) {
        say("no tmpfs");
        return 0;
    }
    const QString archive = QDir(args.value(1)).filePath("practice.arh");
    {
        QFile old(archive);
        old.open(QIODevice::WriteOnly);
        old.write("old archive");
    }
    try {
        tav::backup::backupDatabase(archive);
        say("made");
    } catch (const tav::db::DbError& e) {
        say("message " + e.userText().replace('\r', '|'));
    }
    QFile old(archive);
    old.open(QIODevice::ReadOnly);
    say("archive " + QString::fromUtf8(old.readAll()));
    say("left " + QDir(args.value(1)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(' '));
    return 0;
});

TEST(BackupBesideAnotherCopy, ABackupToAFullDiskSaysSoInBulgarianAndKeepsTheOldArchive)
{
    TestFolder folder;
    addPatients(2000);   // far more than the room there is
    QTemporaryDir space;
    // A file system of its own, in a mount namespace of its own.
    SecondCopy copy("fulldisk", {folder.path(), space.path()}, {"unshare", "-rm"});
    if (!copy.started())
        GTEST_SKIP() << "unshare cannot be started";
    const QString message = copy.waitFor("message");
    if (message.isEmpty() && copy.lines().contains("no tmpfs"))
        GTEST_SKIP() << "no tmpfs can be mounted here";
    if (message.isEmpty() && copy.lines().isEmpty() && copy.errorOutput().contains("unshare"))
        GTEST_SKIP() << "no mount namespace here: " << copy.errorOutput().toStdString();
    EXPECT_TRUE(message.contains("Архивът не е записан")) << copy.lines().join('\n').toStdString()
                                                           << copy.errorOutput().toStdString();
    EXPECT_TRUE(message.contains(tav::db::kMsgDiskFull)) << message.toStdString();
    EXPECT_FALSE(message.contains("Unknown error")) << message.toStdString();
    EXPECT_EQ(copy.waitFor("archive").toStdString(), "archive old archive");
    EXPECT_EQ(copy.waitFor("left").toStdString(), "left practice.arh");
    EXPECT_EQ(copy.finish(), 0);
}

} // namespace

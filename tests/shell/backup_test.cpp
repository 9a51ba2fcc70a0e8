#include "support/program_folder.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/values.h"
#include "services/language.h"
#include "shell/backup.h"
#include "support/database_content.h"
#include "support/modal_script.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

using testing_support::ModalScript;
using testing_support::TestFolder;
using testing_support::contentOf;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

int doctors()
{
    tav::db::Connection c = tav::db::Connection::main();
    return c.scalar("SELECT count(*) FROM Medic").toInt();
}

void addDoctor(const QString& name)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("Medic", {"Names", "KodMedic", "Password"}, {name, "2200001", "kod111"});
}

class BackupTest : public ::testing::Test {
protected:
    // Left-over temporary copies next to a file.
    static QStringList strays(const QString& folder)
    {
        return QDir(folder).entryList({QStringLiteral(".*.??????"), QStringLiteral(".*.tavlinora-tmp-*")}, QDir::Files | QDir::Hidden);
    }
    TestFolder folder_;
};

TEST_F(BackupTest, BackupAndRestoreRoundTrip)
{
    addDoctor("Мария Иванова");
    const QString archive = folder_.file("practice.arh");
    tav::backup::backupDatabase(archive);
    ASSERT_FALSE(contentOf(archive).isEmpty());
    EXPECT_EQ(contentOf(archive).toStdString(), contentOf(tav::DatabasePath).toStdString());

    addDoctor("Петър Колев");
    ASSERT_EQ(doctors(), 2);
    tav::backup::restoreDatabase(archive);
    EXPECT_EQ(doctors(), 1);
    EXPECT_EQ(contentOf(archive).toStdString(), contentOf(tav::DatabasePath).toStdString());
    EXPECT_TRUE(strays(folder_.path()).isEmpty());
}

TEST_F(BackupTest, BackupReplacesAnExistingFileWithoutAsking)
{
    const QString archive = folder_.file("practice.arh");
    writeBytes(archive, QByteArray(200000, 'x'));
    tav::backup::backupDatabase(archive);
    ASSERT_FALSE(contentOf(archive).isEmpty());
    EXPECT_EQ(contentOf(archive).toStdString(), contentOf(tav::DatabasePath).toStdString());
}

TEST_F(BackupTest, RestoreRefusesWhatIsNotTheProgramsData)
{
    addDoctor("Мария Иванова");
    const QByteArray before = bytesOf(tav::DatabasePath);
    const QString text = folder_.file("notes.arh");
    writeBytes(text, QByteArray("Това не е база данни.\n").repeated(100));
    const QString archive = folder_.file("good.arh");
    tav::backup::backupDatabase(archive);
    const QString cut = folder_.file("cut.arh");
    writeBytes(cut, bytesOf(archive).left(4096 + 100));
    const QString empty = folder_.file("empty.arh");
    writeBytes(empty, QByteArray());

    struct Case {
        const char* what;
        QString file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"the reference database", tav::ReferenceDatabasePath, "не е архив на данните"},
        {"a text file", text, "не е архив на данните"},
        {"an empty file", empty, "не е архив на данните"},
        {"a cut copy", cut, "не е архив на данните"},
        {"a missing file", folder_.file("none.arh"), "не е намерен"},
        {"a folder", folder_.path(), "не е намерен"},
    };
    for (const Case& c : cases) {
        try {
            tav::backup::restoreDatabase(c.file);
            ADD_FAILURE() << c.what << " was restored";
        } catch (const tav::db::DbError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << c.what << ": " << e.what();
        }
        EXPECT_EQ(bytesOf(tav::DatabasePath), before) << c.what;
    }
    EXPECT_EQ(doctors(), 1);
    EXPECT_TRUE(strays(folder_.path()).isEmpty());
}

TEST_F(BackupTest, RestoreIsRefusedWhileTheDatabaseIsOpen)
{
    const QString archive = folder_.file("practice.arh");
    tav::backup::backupDatabase(archive);
    addDoctor("Мария Иванова");
    const QByteArray before = bytesOf(tav::DatabasePath);
    {
        tav::db::Connection open = tav::db::Connection::main();
        EXPECT_TRUE(tav::backup::isOpenInProcess(tav::DatabasePath));
        try {
            tav::backup::restoreDatabase(archive);
            ADD_FAILURE() << "restored over an open database";
        } catch (const tav::db::DbError& e) {
            EXPECT_TRUE(e.userText().contains("Файл: " + QDir::toNativeSeparators(tav::DatabasePath) + " (данните на практиката)"))
                << e.userText().toStdString();
        }
    }
    EXPECT_FALSE(tav::backup::isOpenInProcess(tav::DatabasePath));
    EXPECT_EQ(bytesOf(tav::DatabasePath), before);
}

TEST_F(BackupTest, AFailedBackupLeavesBothFilesWhole)
{
    const QByteArray db = bytesOf(tav::DatabasePath);
    // A folder in the place of the file: the rename over it fails.
    const QString occupied = folder_.file("occupied.arh");
    ASSERT_TRUE(QDir().mkpath(occupied + "/inside"));
    writeBytes(occupied + "/inside/keep.txt", "keep");
    EXPECT_THROW(tav::backup::backupDatabase(occupied), tav::db::DbError);
    EXPECT_EQ(bytesOf(occupied + "/inside/keep.txt"), QByteArray("keep"));

    // A folder that does not exist.
    try {
        tav::backup::backupDatabase(folder_.file("no/such/folder/copy.arh"));
        ADD_FAILURE() << "backup into a missing folder succeeded";
    } catch (const tav::db::DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Архивът не е записан"))) << e.what();
    }
    EXPECT_EQ(bytesOf(tav::DatabasePath), db);
    EXPECT_TRUE(strays(folder_.path()).isEmpty());

    // Nothing to copy: the old archive stays as it was.
    const QString archive = folder_.file("old.arh");
    writeBytes(archive, "old archive");
    QFile::remove(tav::DatabasePath);
    try {
        tav::backup::backupDatabase(archive);
        ADD_FAILURE() << "backup without a database succeeded";
    } catch (const tav::db::DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Липсва файлът на базата данни"))) << e.what();
    }
    EXPECT_EQ(bytesOf(archive), QByteArray("old archive"));
}

TEST_F(BackupTest, RestoreDropsAJournalLeftForTheReplacedFile)
{
    const QString archive = folder_.file("practice.arh");
    tav::backup::backupDatabase(archive);
    const QString journal = tav::DatabasePath + "-journal";
    writeBytes(journal, QByteArray(512, '\0'));
    tav::backup::restoreDatabase(archive);
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(doctors(), 0);
}

// A home folder of the test's own, with no Documents folder in it.
class OwnHome {
public:
    OwnHome() : home_(qgetenv("HOME")), config_(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", QFile::encodeName(dir_.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(".config")));
    }
    ~OwnHome()
    {
        qputenv("HOME", home_);
        if (config_.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", config_);
    }
    QString path() const { return QDir(dir_.path()).absolutePath(); }

private:
    QTemporaryDir dir_;
    QByteArray home_;
    QByteArray config_;
};

TEST(BackupDialogs, WithoutADocumentsFolderTheHomeFolderAndAnArchiveName)
{
    OwnHome home;
    tav::Clock::setToday(QDate(2026, 3, 5));
    tav::installBulgarian();
    const tav::backup::FileRequest save = tav::backup::backupRequest();
    EXPECT_EQ(save.folder, home.path());
    EXPECT_EQ(save.fileName, QStringLiteral("tavlinora-2026-03-05.arh"));
    const tav::backup::FileRequest open = tav::backup::restoreRequest();
    EXPECT_EQ(open.folder, home.path());
    EXPECT_TRUE(open.fileName.isEmpty());

    // The dialog itself: in the home folder with the name proposed, in
    // Bulgarian; Enter takes that name in that folder.
    QString folderShown, nameShown, lookIn, nameLabel;
    ModalScript script;
    script.then("dlgCommonDialog", [&](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        folderShown = dlg->directory().absolutePath();
        if (auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit"))
            nameShown = edit->text();
        if (auto* label = dlg->findChild<QLabel*>("lookInLabel"))
            lookIn = label->text();
        if (auto* label = dlg->findChild<QLabel*>("fileNameLabel"))
            nameLabel = label->text();
        if (const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS"); !dir.isEmpty())
            dlg->grab().save(dir + "/backup_dialog.png");
        static_cast<QDialog*>(dlg)->accept();   // as Enter does
    });
    const QString chosen = tav::backup::chooseFile(nullptr, save);
    EXPECT_TRUE(script.finished());
    tav::removeBulgarian();
    QLocale::setDefault(QLocale::c());
    tav::Clock::setToday(QDate());
    EXPECT_EQ(folderShown, home.path());
    EXPECT_EQ(nameShown, save.fileName);
    EXPECT_EQ(chosen, QDir(home.path()).filePath(save.fileName));
    EXPECT_EQ(lookIn, QStringLiteral("Преглед на:"));
    EXPECT_EQ(nameLabel, QStringLiteral("Име на &файла:"));

    // With a Documents folder the dialogs open there.
    ASSERT_TRUE(QDir(home.path()).mkdir("Documents"));
    EXPECT_EQ(tav::backup::backupRequest().folder, QDir(home.path()).filePath("Documents"));
    EXPECT_EQ(tav::backup::restoreRequest().folder, QDir(home.path()).filePath("Documents"));
}

TEST(BackupDialogs, TitlesFiltersAndStartFolder)
{
    const tav::backup::FileRequest save = tav::backup::backupRequest();
    EXPECT_EQ(save.title, QStringLiteral("Съхранение на данни"));
    EXPECT_TRUE(save.save);
    const tav::backup::FileRequest open = tav::backup::restoreRequest();
    EXPECT_EQ(open.title, QStringLiteral("Зареждане на данни"));
    EXPECT_FALSE(open.save);
    for (const auto& r : {save, open}) {
        EXPECT_EQ(r.filter, QStringLiteral("Архивни файлове (*.arh);;Всички файлове (*.*)"));
        EXPECT_EQ(r.folder, tav::backup::startFolder());
        EXPECT_TRUE(QFileInfo(r.folder).isDir());
    }
    EXPECT_TRUE(save.fileName.endsWith(".arh"));
}

} // namespace

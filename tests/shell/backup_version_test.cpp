#include "support/database_content.h"
#include "support/previous_version.h"
#include "support/program_folder.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/upgrade.h"
#include "shell/backup.h"

#include <QFile>
#include <gtest/gtest.h>

using testing_support::TestFolder;
using namespace tav;

namespace {
QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

TEST(RestoreVersion, ABackupOfANewerVersionIsRefusedBeforeAnythingIsReplaced)
{
    TestFolder folder;
    const QString archive = folder.file("newer.arh");
    backup::backupDatabase(archive);
    {
        db::Connection raw(archive, db::OpenMode::ReadWrite);
        raw.exec(QStringLiteral("PRAGMA user_version = %1").arg(db::currentVersion(db::DatabaseKind::Main) + 1));
    }
    db::Connection::main().insert("Medic", {"Names", "KodMedic"}, {"Мария Иванова", "2200001"});
    const QByteArray before = bytesOf(DatabasePath);
    try {
        backup::checkRestoreSource(archive);
        ADD_FAILURE() << "a newer backup passed the check";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.message().contains("по-нова версия на програмата")) << e.what();
        EXPECT_TRUE(e.message().contains("Данните не са заредени")) << e.what();
    }
    EXPECT_THROW(backup::restoreDatabase(archive), db::DbError);
    EXPECT_EQ(bytesOf(DatabasePath), before);
    EXPECT_EQ(db::Connection::main().scalar("SELECT count(*) FROM Medic").toInt(), 1);
}

TEST(RestoreVersion, ABackupOfAnOlderVersionIsRestoredAndUpgradedWhenNextOpened)
{
    TestFolder folder;
    const QString archive = folder.file("old.arh");
    testing_support::makeVersion1Database(archive, db::DatabaseKind::Main);
    {
        db::Connection raw(archive, db::OpenMode::ReadWrite);
        raw.insert("Pacients", {"EGN", "Names"}, {"7501020018", "Иван Петров"});
    }
    backup::restoreDatabase(archive);
    EXPECT_EQ(testing_support::contentOf(DatabasePath).toStdString(), testing_support::contentOf(archive).toStdString());   // restored as it is

    db::Connection c = db::Connection::main();
    EXPECT_EQ(c.scalar("PRAGMA user_version").toInt(), db::currentVersion(db::DatabaseKind::Main));
    EXPECT_EQ(c.scalar("SELECT Names FROM Pacients WHERE EGN = ?", {"7501020018"}).toString(), QString("Иван Петров"));
}

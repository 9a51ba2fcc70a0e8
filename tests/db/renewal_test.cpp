// A damaged data.mdb is made anew from the delivered content at start-up,
// the damaged file kept beside it; anything else under that name is left.

#include "db/database.h"
#include "db/paths.h"
#include "db/renewal.h"
#include "db/schema.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tav;
using namespace tav::db;
using testing_support::TestFolder;

namespace {

constexpr int kPage = 4096;

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

QByteArray zeroed(QByteArray bytes, int firstPage, int pages)
{
    for (int p = firstPage; p < firstPage + pages; ++p)
        bytes.replace(qsizetype(p) * kPage, kPage, QByteArray(kPage, '\0'));
    return bytes;
}

QStringList kept()
{
    return QDir(ProgramFolder).entryList({kReferenceFileName + kDamagedSuffix + "*"}, QDir::Files);
}

int postCodes()
{
    return Connection::reference().scalar("SELECT count(*) FROM PostCode").toInt();
}

} // namespace

TEST(DamagedReference, IsMadeAnewFromTheDeliveredContentAndKeptBesideIt)
{
    const struct {
        const char* what;
        std::function<QByteArray(const QByteArray&)> damage;
    } cases[] = {
        {"cut to 100 KB", [](const QByteArray& b) { return b.left(100 * 1024); }},
        {"20 pages zeroed", [](const QByteArray& b) { return zeroed(b, 10, 20); }},
        {"the last 20 pages zeroed", [](const QByteArray& b) { return zeroed(b, int(b.size() / kPage) - 20, 20); }},
        {"its first page zeroed", [](const QByteArray& b) { return zeroed(b, 0, 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        const int delivered = postCodes();
        const QByteArray practice = bytesOf(DatabasePath);
        const QByteArray damaged = c.damage(bytesOf(ReferenceDatabasePath));
        writeBytes(ReferenceDatabasePath, damaged);

        const QString message = renewDamagedReference();
        ASSERT_EQ(kept().size(), 1);
        EXPECT_TRUE(kept()[0].contains(QRegularExpression("^data\\.mdb\\.damaged-\\d{8}-\\d{6}$"))) << kept()[0].toStdString();
        EXPECT_EQ(bytesOf(QDir(ProgramFolder).filePath(kept()[0])), damaged);
        EXPECT_EQ(message,
                  "Файлът на справочните данни (пощенски кодове, материали и разходни норми) "
                      + QDir::toNativeSeparators(ReferenceDatabasePath)
                      + " е повреден и е създаден наново с доставеното съдържание.\r"
                        "Повреденият файл е запазен до него като " + kept()[0] + ".\r"
                      "Данните на практиката (tavlinora.mdb) не са променени.");
        EXPECT_EQ(postCodes(), delivered);
        EXPECT_EQ(Connection::reference().scalar("PRAGMA integrity_check").toString(), "ok");
        EXPECT_EQ(bytesOf(DatabasePath), practice);
        // Sound now: nothing more to say.
        EXPECT_EQ(renewDamagedReference(), QString());
        EXPECT_EQ(kept().size(), 1);
    }
}

TEST(DamagedReference, ASoundMissingForeignOrBusyFileIsLeftAsItIs)
{
    const struct {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"sound", [] {}},
        {"missing", [] { QFile::remove(ReferenceDatabasePath); }},
        {"the practice's file under the name", [] {
             QFile::remove(ReferenceDatabasePath);
             QFile::copy(DatabasePath, ReferenceDatabasePath);
         }},
        {"a folder", [] {
             QFile::remove(ReferenceDatabasePath);
             QDir().mkdir(ReferenceDatabasePath);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        c.make();
        const QByteArray before = bytesOf(ReferenceDatabasePath);
        const bool existed = QFileInfo::exists(ReferenceDatabasePath);
        EXPECT_EQ(renewDamagedReference(), QString());
        EXPECT_EQ(bytesOf(ReferenceDatabasePath), before);
        EXPECT_EQ(QFileInfo::exists(ReferenceDatabasePath), existed);
        EXPECT_TRUE(kept().isEmpty());
    }

    // Held by another connection while it writes: not judged damaged.
    TestFolder folder;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(ReferenceDatabasePath).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const QByteArray before = bytesOf(ReferenceDatabasePath);
    EXPECT_EQ(renewDamagedReference(), QString());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(bytesOf(ReferenceDatabasePath), before);
    EXPECT_TRUE(kept().isEmpty());
}

// The report's files as files: who may read them, what a cut-off run leaves,
// and a disk that is full.

#include "fixtures.h"

#include "db/values.h"
#include "fund_report/exportxml.h"
#include "services/globals.h"
#include "statistics/periodcheck.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include <QDateTime>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace tav;
using namespace fund_fixture;
using testing_support::RegisterHelper;
using testing_support::SecondCopy;
using testing_support::TestFolder;
using testing_support::modeOf;
using testing_support::say;

namespace {


class ReportFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setToday(QDate(2010, 4, 5));
        CurrentDoctorCode = kDoctor;
        umask_ = ::umask(022);   // what a desktop session usually has
    }
    void TearDown() override { ::umask(umask_); }
    TestFolder folder_;
    mode_t umask_ = 0;
};

} // namespace

// They hold patients' names and EGNs.
TEST_F(ReportFiles, TheReportAndTheSavedCopyAreTheUsersAloneAlsoWhereTheyReplaceWiderOnes)
{
    fillSmallPractice();
    QTemporaryDir documents;
    const QString saved = QDir(documents.path()).filePath("2300012345-032010.xml");
    const QStringList files{reportPath(), utf8Path(), saved};
    for (const char* run : {"new files", "files readable by all replaced"}) {
        statistics::copyReportTo(fund_report::ExportReportXml("03/01/2010", "03/31/2010").utf8, saved);
        for (const QString& f : files) {
            EXPECT_EQ(modeOf(f), 0600) << run << ": " << f.toStdString();
            ASSERT_TRUE(QFile::setPermissions(f, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        }
    }
    // And the UTF-8 copy written anew from Report.xml.
    QFile::remove(utf8Path());
    fund_report::mendReportPair(ProgramFolder);
    EXPECT_EQ(modeOf(utf8Path()), 0600);
}

TEST_F(ReportFiles, APairACutOffRunLeftIsMendedBeforeTheNextExportEvenOneThatFails)
{
    fillSmallPractice();
    fund_report::ExportReportXml("03/01/2010", "03/31/2010");
    const QByteArray march = readBytes(utf8Path());
    fund_report::ExportReportXml("03/31/2010", "03/31/2010");
    const QByteArray lastDay = readBytes(utf8Path());
    ASSERT_NE(march, lastDay);
    // The run was cut off after Report.xml was in place: Report_UTF8.xml is
    // still the one of the run before.
    writeBytes(utf8Path(), march);
    {
        QFile f(utf8Path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    }
    // The next export cannot read the practice.
    ASSERT_TRUE(QFile::rename(DatabasePath, DatabasePath + ".away"));
    EXPECT_THROW(fund_report::ExportReportXml("03/01/2010", "03/31/2010"), db::DbError);
    EXPECT_EQ(readBytes(utf8Path()), lastDay);
}

// fullexport FOLDER SPACE KB: the practice of FOLDER copied onto a file
// system of KB kilobytes at SPACE, which is then filled up; the export and
// the saving of its copy there say what they say.
const RegisterHelper kFullExport("fullexport", [](const QStringList& args) {
    const QString space = args.value(1);
    const QByteArray options = "size=" + args.value(2).toLatin1() + "k";
    if (::mount("tmpfs", QFile::encodeName(space).constData(), "tmpfs", 0, options.constData()) != 0) {
        say("no tmpfs");
        return 0;
    }
    const QDir from(args.value(0));
    for (const QString& name : from.entryList(QDir::Files))
        QFile::copy(from.filePath(name), QDir(space).filePath(name));
    setProgramFolder(space);
    CurrentDoctorCode = kDoctor;
    Clock::setToday(QDate(2010, 4, 5));
    const QString saved = QDir(space).filePath("saved.xml");
    writeBytes(saved, "the copy saved last month");
    {
        QFile filler(QDir(space).filePath("filler"));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    }
    const auto attempt = [](const char* what, const std::function<void()>& step) {
        try {
            step();
            say(QString::fromLatin1(what) + " done");
        } catch (const db::DbError& e) {
            say(QString::fromLatin1(what) + " " + e.userText().replace('\r', '|'));
        }
    };
    attempt("export", [] { fund_report::ExportReportXml("03/01/2010", "03/31/2010"); });
    say("report " + QString::fromLatin1(readBytes(reportPath()).toHex()));
    say("utf8 " + QString::fromLatin1(readBytes(utf8Path()).toHex()));
    attempt("copy", [&] { statistics::copyReportTo(readBytes(utf8Path()), saved); });
    say("saved " + QString::fromUtf8(readBytes(saved)));
    QStringList left = QDir(space).entryList(QDir::Files | QDir::Hidden);
    left.removeAll("filler");
    left.sort();
    say("left " + left.join(' '));
    return 0;
});

TEST_F(ReportFiles, OnAFullDiskTheExportAndItsSavedCopySaySoInBulgarianAndKeepTheOldFiles)
{
    fillSmallPractice();
    // Last month's report, written; this month's does not fit.
    fund_report::ExportReportXml("03/31/2010", "03/31/2010");
    qint64 kb = 0;
    for (const QFileInfo& f : QDir(ProgramFolder).entryInfoList(QDir::Files))
        kb += f.size() / 1024 + 8;
    QTemporaryDir space;
    SecondCopy copy("fullexport", {ProgramFolder, space.path(), QString::number(kb + 64)}, {"unshare", "-rm"});
    if (!copy.started())
        GTEST_SKIP() << "unshare cannot be started";
    const QString exported = copy.waitFor("export");
    if (exported.isEmpty() && copy.lines().contains("no tmpfs"))
        GTEST_SKIP() << "no tmpfs can be mounted here";
    if (exported.isEmpty() && copy.lines().isEmpty() && copy.errorOutput().contains("unshare"))
        GTEST_SKIP() << "no mount namespace here: " << copy.errorOutput().toStdString();
    EXPECT_TRUE(exported.startsWith("export Файлът на отчета не може да бъде записан|" + db::kMsgDiskFull))
        << exported.toStdString() << copy.errorOutput().toStdString();
    EXPECT_FALSE(exported.contains("Unknown error")) << exported.toStdString();
    EXPECT_EQ(copy.waitFor("report").toStdString(), ("report " + readBytes(reportPath()).toHex()).toStdString());
    EXPECT_EQ(copy.waitFor("utf8").toStdString(), ("utf8 " + readBytes(utf8Path()).toHex()).toStdString());
    const QString saved = copy.waitFor("copy");
    EXPECT_TRUE(saved.startsWith("copy XML-файлът не е записан|" + db::kMsgDiskFull)) << saved.toStdString();
    EXPECT_EQ(copy.waitFor("saved").toStdString(), "saved the copy saved last month");
    EXPECT_EQ(copy.waitFor("left").toStdString(), "left Report.xml Report_UTF8.xml data.mdb saved.xml tavlinora.mdb");
    EXPECT_EQ(copy.finish(), 0);
}

#include "support/modal_script.h"
#include "support/program_folder.h"

#include "shell/about.h"
#include "shell/registry.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using testing_support::ModalScript;

namespace {

const QString kMsinfo = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocation = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { tav::registry::clear(); }
    void TearDown() override { tav::registry::clear(); }

    static void setString(const QString& key, const QString& name, const QString& value)
    {
        tav::registry::set(tav::registry::kLocalMachine, key, name, {tav::registry::kTypeString, value});
    }

    // A tool that leaves a mark when started.
    QString makeTool(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(mark()).toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString mark() const { return dir_.filePath("started"); }

    // Presses "Система..." and returns the message shown, if any.
    QString pressSysInfo()
    {
        tav::About box;
        QString seen;
        ModalScript script;
        script.click("QMessageBox", "", &seen);
        box.findChild<QPushButton*>("cmdSysInfo")->click();
        QTest::qWait(script.finished() ? 0 : 100);
        return seen;
    }

    bool toolStarted()
    {
        return QTest::qWaitFor([&] { return QFile::exists(mark()); }, 3000);
    }

    QTemporaryDir dir_;
};

TEST_F(AboutTest, ShowsTheProductNameAndVersion)
{
    tav::About box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Програма..."));
    EXPECT_EQ(box.findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Тавлинора"));
    EXPECT_EQ(box.findChild<QLabel*>("lblVersion")->text(), QStringLiteral("Версия 3.0.5"));
    EXPECT_EQ(box.findChild<QPushButton*>("cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.findChild<QPushButton*>("cmdSysInfo")->text(), QStringLiteral("&Система..."));
    EXPECT_NE(box.findChild<QWidget*>("Line1"), nullptr);
    EXPECT_FALSE(box.findChild<QLabel*>("Image1")->pixmap().isNull());
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty()) {
        box.show();
        box.grab().save(dir + "/about.png");
    }
}

TEST_F(AboutTest, GetKeyValueReadsStringsAndDoubleWords)
{
    struct Case {
        const char* what;
        tav::registry::Value value;
        bool found;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"string", {tav::registry::kTypeString, QStringLiteral("C:/Tools")}, true, "C:/Tools"},
        {"string cut at its zero", {tav::registry::kTypeString, QString("abc") + QChar(0) + "def"}, true, "abc"},
        {"double word", {tav::registry::kTypeDword, quint32(4000000000u)}, true, "4000000000"},
        {"binary keeps the old text", {tav::registry::kTypeBinary, QByteArray("\x01\x02")}, true, "old"},
    };
    for (const Case& c : cases) {
        tav::registry::clear();
        tav::registry::set(tav::registry::kLocalMachine, "SOFTWARE\\Test", "Value", c.value);
        QString val = "old";
        EXPECT_EQ(tav::About::GetKeyValue(tav::registry::kLocalMachine, "software\\test", "VALUE", val), c.found) << c.what;
        EXPECT_EQ(val, c.expected) << c.what;
    }
    QString val = "old";
    EXPECT_FALSE(tav::About::GetKeyValue(tav::registry::kLocalMachine, "SOFTWARE\\Missing", "Value", val));
    EXPECT_EQ(val, QString());
}

TEST_F(AboutTest, WithoutAnyValueTheToolIsUnavailable)
{
    EXPECT_EQ(pressSysInfo(), QStringLiteral("System Information Is Unavailable At This Time"));
}

TEST_F(AboutTest, APathValueIsStartedEvenWhenTheFileIsMissing)
{
    setString(kMsinfo, "PATH", dir_.filePath("gone/msinfo32"));
    // Both values: PATH wins, and its failed start ends in the message.
    makeTool(dir_.filePath("loc/MSINFO32.EXE"));
    setString(kLocation, "MSINFO", dir_.filePath("loc"));
    EXPECT_EQ(tav::About::SysInfoPath(), dir_.filePath("gone/msinfo32"));
    EXPECT_EQ(pressSysInfo(), QStringLiteral("System Information Is Unavailable At This Time"));
    EXPECT_FALSE(QFile::exists(mark()));
}

TEST_F(AboutTest, ALocationWithoutTheToolFileIsUnavailable)
{
    setString(kLocation, "MSINFO", dir_.path());
    EXPECT_EQ(tav::About::SysInfoPath(), QString());
    EXPECT_EQ(pressSysInfo(), QStringLiteral("System Information Is Unavailable At This Time"));
}

TEST_F(AboutTest, TheToolFoundIsStarted)
{
    setString(kLocation, "MSINFO", dir_.filePath("loc"));
    makeTool(dir_.filePath("loc/MSINFO32.EXE"));
    EXPECT_EQ(pressSysInfo(), QString());
    EXPECT_TRUE(toolStarted());

    QFile::remove(mark());
    tav::registry::clear();
    setString(kMsinfo, "PATH", makeTool(dir_.filePath("bin/msinfo")));
    EXPECT_EQ(pressSysInfo(), QString());
    EXPECT_TRUE(toolStarted());
}

TEST_F(AboutTest, TheStoreIsReadFromTheProgramFoldersFile)
{
    testing_support::TestFolder folder(false);
    QFile f(tav::registry::defaultFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[HKEY_LOCAL_MACHINE/SOFTWARE/Microsoft/Shared%20Tools/MSINFO]\n"
            "PATH=/opt/tools/msinfo32\n"
            "[HKEY_LOCAL_MACHINE/SOFTWARE/Test]\n"
            "Count=dword:0000002a\n");
    f.close();
    tav::registry::loadFile(tav::registry::defaultFile());
    QString val;
    EXPECT_TRUE(tav::About::GetKeyValue(tav::registry::kLocalMachine, kMsinfo, "PATH", val));
    EXPECT_EQ(val, "/opt/tools/msinfo32");
    EXPECT_TRUE(tav::About::GetKeyValue(tav::registry::kLocalMachine, "SOFTWARE\\Test", "Count", val));
    EXPECT_EQ(val, "42");

    // No file: nothing is configured.
    QFile::remove(tav::registry::defaultFile());
    tav::registry::loadFile(tav::registry::defaultFile());
    EXPECT_FALSE(tav::About::GetKeyValue(tav::registry::kLocalMachine, kMsinfo, "PATH", val));
}

} // namespace

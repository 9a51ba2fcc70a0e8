#include "support/program_folder.h"
#include "support/test_data.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/koregn.h"
#include "patients/prompts.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/frmmain.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::TestFolder;

// The patient maintenance items of the main window start their runs.
TEST(MaintenanceMenu, ImportRepairRemovalAndCorrectionRunFromTheMenu)
{
    TestFolder folder;
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QStringList messages;
    tav::patients::prompts().info = [&messages](const QString& text, QWidget*) { messages << text; };

    tav::frmMain w;
    ASSERT_TRUE(w.load([](QWidget*) {
        tav::CurrentDoctorName = QStringLiteral("Мария Иванова");
        tav::CurrentDoctorCode = QStringLiteral("2200001");
        return true;
    }));
    ASSERT_TRUE(QFile::copy(testing_support::testDataFile("fund_export.mdb"), tav::FundExportPath));

    w.menuItem("mnuPacZOKC")->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Завърших обработката на данните!")) << messages[0].toStdString();
    {
        tav::db::Connection c = tav::db::Connection::main();
        EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Pacients WHERE LKod = '2200001'").toInt(), 6);
        c.insert("Pacients", {"EGN", "Names", "LKod"}, {"7501010025", "Друг Пациент", "2200002"});
    }

    w.menuItem("mnuSlgUtil")->trigger();
    EXPECT_EQ(messages.last(), QString("Поправих грешките в БД!"));

    w.showFirstRunItems();
    w.menuItem("mnuSlgClean")->trigger();
    {
        tav::db::Connection c = tav::db::Connection::main();
        EXPECT_EQ(c.scalar("SELECT COUNT(*) FROM Pacients").toInt(), 6);
    }

    w.menuItem("mnuPacKorEGN")->trigger();
    ASSERT_NE(tav::KorEGN::instance(), nullptr);
    EXPECT_TRUE(tav::KorEGN::instance()->isVisible());
    EXPECT_FALSE(tav::KorEGN::instance()->isModal());
    delete tav::KorEGN::instance();
    tav::patients::prompts() = {};
}

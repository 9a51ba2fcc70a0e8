// A start on a damaged data.mdb: the reference data are made anew, the
// doctor is told once, and the post-code look-up works again.

#include "support/modal_script.h"
#include "support/program_folder.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/patientrecord.h"
#include "shell/startup.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testing_support::ModalScript;
using testing_support::TestFolder;

TEST(StartupOnDamagedReference, MakesItAnewAndSaysSoOnce)
{
    TestFolder folder;
    {
        QFile f(tav::ReferenceDatabasePath);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(100 * 1024));
    }
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    tav::openProgramFolder(folder.path());
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(", ").toStdString();
    EXPECT_TRUE(seen.contains("data.mdb")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("създаден наново")) << seen.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList({"data.mdb.damaged-*"}).size(), 1);

    const std::optional<tav::patients::PostCodeEntry> plovdiv = tav::patients::findPostCode("4000");
    ASSERT_TRUE(plovdiv.has_value());
    EXPECT_EQ(plovdiv->tawn, QString("Пловдив"));

    // The next start finds it sound and says nothing.
    ModalScript none;
    tav::openProgramFolder(folder.path());
    EXPECT_EQ(none.done(), 0);
    EXPECT_TRUE(none.unexpected().isEmpty()) << none.unexpected().join(", ").toStdString();
}

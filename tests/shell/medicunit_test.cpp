#include "databind/datacontrol.h"
#include "db/database.h"
#include "shell/medicunit.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

QString stored(const QString& field)
{
    return db::Connection::main().first("SELECT * FROM MedicUnit ORDER BY RecID").text(field);
}

void closeOpenWindow()
{
    if (MedicUnit* w = MedicUnit::instance())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int index(const QString& field)
{
    return int(medicUnitFields().indexOf(field));
}

} // namespace

TEST(MedicUnit, ShowsTheDeliveredRowInItsTwentyEightBoxes)
{
    TestFolder folder;
    db::Connection::main().exec("UPDATE MedicUnit SET UserName = ?, UserIBAN = ?", {"ДП Усмивка", "BG80BNBG96611020345678"});
    MedicUnit::showShared();
    MedicUnit* w = MedicUnit::instance();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QString("Данни за леченото заведение"));
    ASSERT_EQ(w->txtFields.size(), 28);
    EXPECT_EQ(w->txtFields[17]->text(), QString("ДП Усмивка"));
    EXPECT_EQ(w->lblLabels[17]->text(), QString("Име на леч.заведение"));
    EXPECT_EQ(w->txtFields[14]->text(), QString("BG80BNBG96611020345678"));
    EXPECT_EQ(w->lblLabels[15]->text(), QString("Регистрационен номер на леч. заведение"));
    EXPECT_EQ(w->lblLabels[0]->text(), QString("BIC"));
    EXPECT_EQ(w->lblLabels[27]->text(), QString("СИМП"));
    // One shared window.
    MedicUnit::showShared();
    EXPECT_EQ(MedicUnit::instance(), w);
    closeOpenWindow();
    EXPECT_EQ(MedicUnit::instance(), nullptr);
}

TEST(MedicUnit, SaveWorksOncePerOpening)
{
    TestFolder folder;
    MedicUnit::showShared();
    MedicUnit* w = MedicUnit::instance();
    auto* save = w->findChild<QPushButton*>("cmdUpdate");
    w->txtFields[index("UserUIN")]->setText("2300001234");
    w->txtFields[index("UserCity")]->setText("Пловдив");
    save->click();
    EXPECT_EQ(stored("UserUIN"), QString("2300001234"));
    EXPECT_EQ(stored("UserCity"), QString("Пловдив"));
    EXPECT_FALSE(save->isEnabled());
    closeOpenWindow();

    MedicUnit::showShared();
    w = MedicUnit::instance();
    EXPECT_EQ(w->txtFields[index("UserUIN")]->text(), QString("2300001234"));
    EXPECT_TRUE(w->findChild<QPushButton*>("cmdUpdate")->isEnabled());
    closeOpenWindow();
    EXPECT_EQ(db::Connection::main().scalar("SELECT COUNT(*) FROM MedicUnit").toInt(), 1);
}

TEST(MedicUnit, AFailedWriteIsReportedAndTheEditsStay)
{
    TestFolder folder;
    db::Connection::main().exec(
        "CREATE TRIGGER no_unit BEFORE UPDATE ON MedicUnit BEGIN SELECT RAISE(ABORT, 'read only'); END");
    MedicUnit::showShared();
    MedicUnit* w = MedicUnit::instance();
    auto* save = w->findChild<QPushButton*>("cmdUpdate");
    w->txtFields[index("UserMOL")]->setText("Д-р Иванова");
    QString title, text;
    ModalScript script;
    script.then("QMessageBox", [&](QWidget* box) {
        title = box->windowTitle();
        text = ModalScript::textOf(box);
        qobject_cast<QMessageBox*>(box)->buttons().value(0)->click();
    });
    save->click();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(title, QString("Грешка при запис на данните!"));
    // the engine's error number, "-", its description
    EXPECT_TRUE(QRegularExpression("^\\d+-.*read only").match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(w->txtFields[index("UserMOL")]->text(), QString("Д-р Иванова"));
    EXPECT_EQ(stored("UserMOL"), QString());

    // Closing with the edits still unwritten keeps the window open too.
    ModalScript again;
    again.click("QMessageBox", "");
    w->close();
    EXPECT_TRUE(again.finished());
    EXPECT_EQ(MedicUnit::instance(), w);
    EXPECT_TRUE(w->isVisible());
    db::Connection::main().exec("DROP TRIGGER no_unit");
    save->click();
    EXPECT_EQ(stored("UserMOL"), QString("Д-р Иванова"));
    closeOpenWindow();
}

TEST(MedicUnit, EditsLeftUnsavedAreWrittenAsTheWindowCloses)
{
    TestFolder folder;
    MedicUnit::showShared();
    MedicUnit* w = MedicUnit::instance();
    w->txtFields[index("UserEmail")]->setText("info@usmivka.bg");
    closeOpenWindow();
    EXPECT_EQ(stored("UserEmail"), QString("info@usmivka.bg"));
}

TEST(MedicUnit, AnEmptyTableShowsEmptyBoxesAndGetsNoRow)
{
    TestFolder folder;
    db::Connection::main().exec("DELETE FROM MedicUnit");
    MedicUnit::showShared();
    MedicUnit* w = MedicUnit::instance();
    for (QLineEdit* box : w->txtFields)
        EXPECT_TRUE(box->text().isEmpty());
    w->txtFields[index("UserName")]->setText("Нова практика");
    QString title, message;
    ModalScript script;
    script.then("QMessageBox", [&](QWidget* box) {
        title = box->windowTitle();
        message = ModalScript::textOf(box);
        qobject_cast<QMessageBox*>(box)->buttons().value(0)->click();
    });
    w->findChild<QPushButton*>("cmdUpdate")->click();
    EXPECT_EQ(title, QString("Грешка при запис на данните!"));
    EXPECT_TRUE(message.contains(kNoPracticeRow)) << message.toStdString();
    closeOpenWindow();
    EXPECT_EQ(db::Connection::main().scalar("SELECT COUNT(*) FROM MedicUnit").toInt(), 0);
}

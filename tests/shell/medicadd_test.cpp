#include "db/database.h"
#include "shell/medicadd.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

int doctorCount()
{
    return db::Connection::main().scalar("SELECT COUNT(*) FROM Medic").toInt();
}

void fill(QWidget* w, const QStringList& boxes)
{
    for (int i = 0; i < boxes.size(); ++i)
        w->findChild<QLineEdit*>(QString("txtFields_%1").arg(i + 1))->setText(boxes[i]);
}

QStringList shown(QWidget* w)
{
    QStringList boxes;
    for (int i = 1; i <= 4; ++i)
        boxes << w->findChild<QLineEdit*>(QString("txtFields_%1").arg(i))->text();
    return boxes;
}

ModalScript::Action fillAndClose(const QStringList& boxes)
{
    return [boxes](QWidget* w) {
        fill(w, boxes);
        w->findChild<QPushButton*>("cmdClose")->click();
    };
}

} // namespace

TEST(DoctorChecks, FiveMessagesInOrderBlanksCountAsFilledButNotAsACode)
{
    struct Case {
        const char* names;
        const char* number;
        const char* code;
        const char* access;
        QString message;
    };
    const Case cases[] = {
        {"", "", "", "", "Моля, попълнете името на стоматолога!"},
        {"", "123", "456", "секрет1", "Моля, попълнете името на стоматолога!"},
        {"Иван", "", "", "", "Моля, попълнете номера на стоматолога!"},
        {"Иван", "123", "", "", "Моля, попълнете кода на практиката на стоматолога!"},
        {"Иван", "123", "456", "", "Моля, попълнете паролата!"},
        {"Иван", "123", "456", "12345", "Минималната дължина на паролата е повече от 6 символа!"},
        {"Иван", "123", "456", "123456", ""},
        {"   ", " ", " ", "секрет", ""},
        {"Иван", "123", "456", " 123 ", "Минималната дължина на паролата е повече от 6 символа!"},
        // A code of blanks could never log in: the only doctor would be
        // locked out for good.
        {"Иван", "123", "456", "      ", "Моля, попълнете паролата!"},
        {"Иван", "123", "456", "     ", "Моля, попълнете паролата!"},
        {"Иван", "123", "456", "1234567890", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(doctorEntryProblem(QString::fromUtf8(c.names), QString::fromUtf8(c.number),
                                     QString::fromUtf8(c.code), QString::fromUtf8(c.access)),
                  c.message)
            << c.names << "|" << c.number << "|" << c.code << "|" << c.access;
}

TEST(MedicAdd, StoresTheDoctorWhenEveryCheckPasses)
{
    TestFolder folder;
    ModalScript script;
    script.then("MedicAdd", fillAndClose({"  Мария Иванова", "0123456789", "2201", "абв123"}));
    MedicAdd dlg;
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_TRUE(script.finished());
    const db::Rows rows = db::Connection::main().query("SELECT * FROM Medic");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text("Names"), QString("  Мария Иванова"));
    EXPECT_EQ(rows[0].text("EGN"), QString("0123456789"));
    EXPECT_EQ(rows[0].text("KodMedic"), QString("2201"));
    EXPECT_EQ(rows[0].text("Password"), QString("абв123"));
}

TEST(MedicAdd, AFailedCheckStoresNothingAndKeepsWhatWasTyped)
{
    TestFolder folder;
    const QStringList partial = {"Мария Иванова", "0123456789", "2201", "абв12"};
    QString message;
    QStringList kept;
    int storedMeanwhile = -1;
    ModalScript script;
    script.then("MedicAdd", fillAndClose(partial))
        .click("InfDialog", "OKButton", &message)
        .again("MedicAdd", [&](QWidget* w) {
            // The window was activated again after the message.
            kept = shown(w);
            storedMeanwhile = doctorCount();
            fill(w, {"Мария Иванова", "0123456789", "2201", "абв123"});
            w->findChild<QPushButton*>("cmdClose")->click();
        });
    MedicAdd dlg;
    dlg.exec();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(message, QString("Минималната дължина на паролата е повече от 6 символа!"));
    EXPECT_EQ(kept, partial);
    EXPECT_EQ(storedMeanwhile, 0);
    EXPECT_EQ(doctorCount(), 1);
}

TEST(MedicAdd, ClosedByItsFrameStoresNoHalfTypedDoctor)
{
    TestFolder folder;
    ModalScript script;
    script.then("MedicAdd", fillAndClose({"Мария Иванова", "", "", ""}))
        .click("InfDialog", "OKButton")
        .again("MedicAdd", [](QWidget* w) { w->close(); });
    MedicAdd dlg;
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(doctorCount(), 0);
}

TEST(MedicAdd, EachOpeningBeginsAnEmptyRowBesideTheStoredDoctors)
{
    TestFolder folder;
    db::Connection::main().insert("Medic", {"Names", "KodMedic", "Password"}, {"Стар Лекар", "1", "стария1"});
    QStringList atStart;
    ModalScript script;
    script.then("MedicAdd", [&](QWidget* w) {
        atStart = shown(w);
        fillAndClose({"Нов Лекар", "1", "2", "новия12"})(w);
    });
    MedicAdd dlg;
    dlg.exec();
    EXPECT_EQ(atStart, QStringList({"", "", "", ""}));
    const db::Rows rows = db::Connection::main().query("SELECT Names FROM Medic ORDER BY RecID");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].text("Names"), QString("Стар Лекар"));
    EXPECT_EQ(rows[1].text("Names"), QString("Нов Лекар"));
}

TEST(MedicAdd, ADatabaseErrorIsShownAndTheWindowGoesOn)
{
    TestFolder folder;
    db::Connection::main().exec(
        "CREATE TRIGGER no_doctor BEFORE INSERT ON Medic BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    const QStringList typed = {"Мария Иванова", "0123456789", "2201", "абв123"};
    QString message;
    QStringList kept;
    ModalScript script;
    script.then("MedicAdd", fillAndClose(typed))
        .click("InfDialog", "OKButton", &message)
        .again("MedicAdd", [&](QWidget* w) {
            kept = shown(w);
            w->close();
        });
    MedicAdd dlg;
    dlg.exec();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(message.contains("disk full")) << message.toStdString();
    EXPECT_EQ(kept, typed);
    EXPECT_EQ(doctorCount(), 0);
}

TEST(MedicAdd, ControlsAsTheRegisterNamesThem)
{
    TestFolder folder;
    MedicAdd dlg;
    EXPECT_EQ(dlg.windowTitle(), QString("Лекари"));
    ASSERT_EQ(dlg.txtFields.size(), 5);
    const int lengths[] = {0, 40, 10, 10, 10};
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(dlg.txtFields[i]->maxLength(), lengths[i]) << i;
    // The access code is written in the colour of its background.
    const QPalette p = dlg.txtFields[4]->palette();
    EXPECT_EQ(p.color(QPalette::Text), p.color(QPalette::Base));
    EXPECT_FALSE(dlg.findChild<QPushButton*>("cmdAdd")->isVisibleTo(&dlg));
    EXPECT_TRUE(dlg.findChild<QPushButton*>("cmdClose")->isVisibleTo(&dlg));
}

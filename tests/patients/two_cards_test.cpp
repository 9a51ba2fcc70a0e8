// One patient on two cards at once (two copies of the program, or two
// windows): each save writes only what was changed on its own card.

#include "fixtures.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/kartonadd.h"
#include "patients/patientrecord.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "support/second_copy.h"
#include "treatments/viewhelp.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <functional>
#include <vector>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::SecondCopy;
using testing_support::TestFolder;

namespace {

QString stored(const QString& egn, const QString& table, const QString& field)
{
    db::Connection c = db::Connection::main();
    return c.first("SELECT * FROM " + table + " WHERE EGN = ?", {egn}).text(field);
}

} // namespace

TEST(TwoCards, EachSaveWritesOnlyWhatItsCardChanged)
{
    TestFolder folder;
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "1", {{"Z21", "C"}});
    PatientRecord first, second;
    ASSERT_TRUE(first.load(egn));
    ASSERT_TRUE(second.load(egn));
    first.pacients().set("MTel", "0888123456");
    second.pacients().set("Names", "Иван Петров Стоянов");
    second.dental().set("Z22", "K");
    EXPECT_TRUE(first.saveCorrection().isEmpty());
    EXPECT_TRUE(second.saveCorrection().isEmpty());
    EXPECT_EQ(stored(egn, "Pacients", "MTel"), QString("0888123456"));
    EXPECT_EQ(stored(egn, "Pacients", "Names"), QString("Иван Петров Стоянов"));
    EXPECT_EQ(stored(egn, "Dental", "Z21"), QString("C"));
    EXPECT_EQ(stored(egn, "Dental", "Z22"), QString("K"));
    // The second card now shows the first one's change too.
    EXPECT_EQ(second.pacients().text("MTel"), QString("0888123456"));
    // A change made on both to the same value is no conflict.
    first.pacients().set("KV", "кв. Лозенец");
    second.pacients().set("KV", "кв. Лозенец");
    EXPECT_TRUE(first.saveCorrection().isEmpty());
    EXPECT_TRUE(second.saveCorrection().isEmpty());
    EXPECT_EQ(stored(egn, "Pacients", "KV"), QString("кв. Лозенец"));
}

TEST(TwoCards, AFieldChangedOnBothIsLeftToTheDoctorAndNothingIsStoredMeanwhile)
{
    struct Case {
        const char* what;
        QString field;
        bool dental;
        QString label;
        bool keepCard;
    };
    const std::vector<Case> cases = {
        {"names, the card's kept", "Names", false, "Имена", true},
        {"names, the stored taken", "Names", false, "Имена", false},
        {"a tooth, the card's kept", "Z22", true, "зъб 17", true},
        {"a tooth, the stored taken", "Z22", true, "зъб 17", false},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const QString egn = egnOf("750312654");
        addPatient(egn, "Иван Петров Колев", "1", {{"Z21", "C"}});
        const QString table = c.dental ? "Dental" : "Pacients";
        PatientRecord first, second;
        ASSERT_TRUE(first.load(egn));
        ASSERT_TRUE(second.load(egn));
        (c.dental ? first.dental() : first.pacients()).set(c.field, "първа");
        EXPECT_TRUE(first.saveCorrection().isEmpty()) << c.what;
        (c.dental ? second.dental() : second.pacients()).set(c.field, "втора");
        second.pacients().set("MTel", "0888123456");

        const QVector<FieldConflict> conflicts = second.saveCorrection();
        ASSERT_EQ(conflicts.size(), 1) << c.what;
        EXPECT_EQ(conflicts[0].field, c.field) << c.what;
        EXPECT_EQ(conflicts[0].onCard, QString("втора")) << c.what;
        EXPECT_EQ(conflicts[0].stored, QString("първа")) << c.what;
        EXPECT_EQ(conflictQuestion(conflicts[0]),
                  "Докато картонът беше отворен, полето „" + c.label + "“ е променено от друго копие на програмата.\r"
                  "В картона: втора\rЗаписано: първа\rДа остане ли стойността от картона?") << c.what;
        // Nothing of the second card is stored before the choice.
        EXPECT_EQ(stored(egn, table, c.field), QString("първа")) << c.what;
        EXPECT_EQ(stored(egn, "Pacients", "MTel"), QString()) << c.what;

        second.resolve(conflicts[0], c.keepCard);
        EXPECT_TRUE(second.saveCorrection().isEmpty()) << c.what;
        const QString chosen = c.keepCard ? "втора" : "първа";
        EXPECT_EQ(stored(egn, table, c.field), chosen) << c.what;
        EXPECT_EQ((c.dental ? second.dental() : second.pacients()).text(c.field), chosen) << c.what;
        EXPECT_EQ(stored(egn, "Pacients", "MTel"), QString("0888123456")) << c.what;
    }
}

TEST(TwoCards, AChartAnotherCopyAddedMeanwhileIsNotAddedTwice)
{
    TestFolder folder;
    const QString egn = egnOf("880229123");
    addPatient(egn, "Петър Колев", "1", {}, false);
    PatientRecord first, second;
    ASSERT_TRUE(first.load(egn));
    ASSERT_TRUE(second.load(egn));
    first.dental().set("Z30", "O");
    EXPECT_TRUE(first.saveCorrection().isEmpty());
    second.dental().set("Z31", "C");
    EXPECT_TRUE(second.saveCorrection().isEmpty());
    EXPECT_EQ(count("Dental", egn), 1);
    EXPECT_EQ(stored(egn, "Dental", "Z30"), QString("O"));
    EXPECT_EQ(stored(egn, "Dental", "Z31"), QString("C"));
}

namespace {

class TwoCardsOnScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        prompts().ask = [this](const QString& q, QWidget*, const QString& caption) {
            questions << caption + "|" + q;
            if (onQuestion)
                onQuestion();
            return answer;
        };
    }
    void TearDown() override
    {
        delete ViewHelp::instance();
        delete KartonAdd::instance();
    }
    KartonAdd* open(const QString& egn)
    {
        CardMode = "Edit";
        SeekName::vars().sFindEGN = egn;
        SeekName::vars().sFindName = "x";
        return KartonAdd::showShared();
    }
    QLineEdit* box(const char* name) { return KartonAdd::instance()->findChild<QLineEdit*>(name); }

    TestFolder folder;
    QStringList messages;
    QStringList questions;
    std::function<void()> onQuestion;
    bool answer = false;
};

} // namespace

TEST_F(TwoCardsOnScreen, TheCardAsksWithTheFieldAndBothValuesAndShowsWhatOthersChanged)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    KartonAdd* card = open(egn);
    // Another copy changes the names and the mobile telephone meanwhile.
    {
        db::Connection c = db::Connection::main();
        c.exec("UPDATE Pacients SET Names = ?, MTel = ? WHERE EGN = ?", {"Иван Петров Стоянов", "0888123456", egn});
    }
    box("Text2")->setText("Иван Петрович Колев");
    box("txtFields_11")->setText("02 9876543");   // home telephone
    QString namesAtQuestion, homeAtQuestion;
    onQuestion = [&] {
        namesAtQuestion = stored(egn, "Pacients", "Names");
        homeAtQuestion = stored(egn, "Pacients", "DTel");
    };
    answer = false;   // the stored names stay
    card->cmdUpdate_Click();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], kConflictCaption + "|Докато картонът беше отворен, полето „Имена“ е променено от друго копие"
                                               " на програмата.\rВ картона: Иван Петрович Колев\r"
                                               "Записано: Иван Петров Стоянов\rДа остане ли стойността от картона?");
    EXPECT_EQ(namesAtQuestion, QString("Иван Петров Стоянов"));
    EXPECT_EQ(homeAtQuestion, QString());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(stored(egn, "Pacients", "Names"), QString("Иван Петров Стоянов"));
    EXPECT_EQ(stored(egn, "Pacients", "DTel"), QString("02 9876543"));
    EXPECT_EQ(stored(egn, "Pacients", "MTel"), QString("0888123456"));
    // The card shows the row as stored.
    EXPECT_EQ(box("Text2")->text(), QString("Иван Петров Стоянов"));
    EXPECT_EQ(box("txtFields_13")->text(), QString("0888123456"));
    EXPECT_FALSE(card->hasUnsavedEdits());

    // Again, the doctor keeping the card's names.
    {
        db::Connection c = db::Connection::main();
        c.exec("UPDATE Pacients SET Names = ? WHERE EGN = ?", {"Иван Стоянов", egn});
    }
    box("Text2")->setText("Иван Петрович Колев");
    answer = true;
    card->cmdUpdate_Click();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(stored(egn, "Pacients", "Names"), QString("Иван Петрович Колев"));
    EXPECT_EQ(box("Text2")->text(), QString("Иван Петрович Колев"));
}

TEST_F(TwoCardsOnScreen, ASaveWhileAnotherCopySavesSaysTheDatabaseIsInUseAndKeepsTheEdits)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    KartonAdd* card = open(egn);
    box("Text2")->setText("Иван Петрович Колев");
    {
        SecondCopy other("hold", {DatabasePath, "immediate"});
        ASSERT_FALSE(other.waitFor("holding").isEmpty()) << other.errorOutput().toStdString();
        card->cmdUpdate_Click();
        other.send("commit");
        EXPECT_FALSE(other.waitFor("committed").isEmpty()) << other.lines().join('\n').toStdString();
        EXPECT_EQ(other.finish(), 0);
    }
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(db::kMsgInUse)) << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains("не е база данни")) << messages[0].toStdString();
    EXPECT_TRUE(card->hasUnsavedEdits());
    EXPECT_EQ(stored(egn, "Pacients", "Names"), QString("Иван Петров Колев"));
    // Tried again once the other copy is done, it is saved.
    messages.clear();
    card->cmdUpdate_Click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(stored(egn, "Pacients", "Names"), QString("Иван Петрович Колев"));
}

#include "fixtures.h"

#include "db/database.h"
#include "patients/maintenance.h"
#include "patients/prompts.h"
#include "services/globals.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::TestFolder;

namespace {

class Maintenance : public ::testing::Test {
protected:
    void SetUp() override
    {
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
    }
    void TearDown() override
    {
        prompts() = {};
        CurrentDoctorCode.clear();
    }

    static QVariant field(const QString& egn, const QString& name)
    {
        db::Connection c = db::Connection::main();
        return c.scalar(QStringLiteral("SELECT %1 FROM Pacients WHERE EGN = ?").arg(name), {egn});
    }
    static void setField(const QString& egn, const QString& name, const QVariant& v)
    {
        db::Connection c = db::Connection::main();
        c.exec(QStringLiteral("UPDATE Pacients SET %1 = ? WHERE EGN = ?").arg(name), {v, egn});
    }
    static int rows(const QString& sql)
    {
        db::Connection c = db::Connection::main();
        return c.scalar(sql).toInt();
    }

    TestFolder folder;
    QStringList messages;
};

// ---------------------------------------------------------------- repair

TEST_F(Maintenance, RepairOnAnEmptyRegisterRemovesTheRowsWithoutEgnAndSaysNothing)
{
    addPatient(egnOf("850315123"), "Иван Петров", "1");
    {
        db::Connection c = db::Connection::main();
        c.exec("DELETE FROM Pacients");
        c.insert("Dental", {"EGN"}, {""});
        c.insert("Help", {"EGN", "KodHelp"}, {QVariant(), "101"});
        c.insert("Help", {"EGN", "KodHelp"}, {"", "301"});
        c.insert("Help", {"EGN", "KodHelp"}, {egnOf("850315123"), "332"});
    }
    RepairDatabase();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Dental"), 1);   // the chart with its EGN stays
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Help"), 1);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Help WHERE KodHelp = '332'"), 1);
}

TEST_F(Maintenance, EveryFailingCheckGivesItsMessageAndNothingIsRewritten)
{
    const QString sound = egnOf("850315123");
    // 30 February and a wrong check digit; a birth in 1905 (month 05 with a
    // first digit 0).
    const QString badDate = "8502301230";
    const QString oldCentury = egnOf("050515123");
    ASSERT_NE(egnOf("850230123"), badDate);
    for (const QString& egn : {sound, badDate, oldCentury})
        addPatient(egn, QVariant(), "1");
    setField(sound, "DataB", "01.01.1900");
    {
        db::Connection c = db::Connection::main();
        c.insert("Help", {"EGN", "KodHelp"}, {QVariant(), "101"});
    }

    RepairDatabase();
    const QStringList expected{
        "Грешен месец в ЕГН: \r   " + oldCentury,        // EGN order: 05... first
        "Грешна дата в ЕГН: \r   " + badDate,
        "Грешна контролна сума в ЕГН: \r   " + badDate,
    };
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(field(sound, "DataB").toString(), QString("01.01.1900"));
    EXPECT_TRUE(field(sound, "Names").isNull());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Help"), 0);       // the removals stay done
}

TEST_F(Maintenance, SoundEgnsGetNamesAndBirthDatesFromTheEgn)
{
    const QString born2005 = egnOf("054315123");
    const QString born1985 = egnOf("850315124");
    addPatient(born2005, QVariant(), "1");
    addPatient(born1985, "", "1");
    const QString named = egnOf("750101125");
    addPatient(named, "Петър Петров", "1");
    setField(born1985, "DataB", "15.03.1958");
    setField(named, "DataB", "01.01.1975");

    RepairDatabase();
    EXPECT_EQ(messages, QStringList{"Поправих грешките в БД!"});
    EXPECT_EQ(field(born2005, "DataB").toString(), QString("15.03.2005"));
    EXPECT_EQ(field(born1985, "DataB").toString(), QString("15.03.1985"));
    EXPECT_EQ(field(named, "DataB").toString(), QString("01.01.1975"));
    EXPECT_EQ(field(born2005, "Names").toString(), QString("Въведи име на пациента!"));
    EXPECT_EQ(field(born1985, "Names").toString(), QString("Въведи име на пациента!"));
    EXPECT_EQ(field(named, "Names").toString(), QString("Петър Петров"));
}

TEST_F(Maintenance, AFailedRewriteLeavesNamesAndBirthDatesAsTheyWere)
{
    const QString first = egnOf("054315123"), second = egnOf("850315124");
    addPatient(first, QVariant(), "1");
    addPatient(second, "Иван", "1");
    {
        db::Connection c = db::Connection::main();
        c.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF DataB ON Pacients WHEN OLD.EGN = '%1'"
                              " BEGIN SELECT RAISE(ABORT, 'запис отказан'); END").arg(second));
    }
    RepairDatabase();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("запис отказан")) << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains("Поправих"));
    EXPECT_TRUE(field(first, "DataB").isNull());
    EXPECT_TRUE(field(first, "Names").isNull());
}

TEST(EgnFaultMessages, OneMessagePerFailingCheckInTheOrderDateMonthCheckDigit)
{
    const struct {
        QString egn;
        QStringList starts;
    } cases[] = {
        {egnOf("850315123"), {}},
        {"8502300001", {"Грешна дата", "Грешна контролна"}},
        {egnOf("850230123"), {"Грешна дата"}},
        {egnOf("052515123"), {"Грешен месец"}},
        {"", {"Грешен месец", "Грешна контролна"}},
    };
    for (const auto& c : cases) {
        const QStringList got = egnFaultMessages(c.egn);
        ASSERT_EQ(got.size(), c.starts.size()) << c.egn.toStdString();
        for (int i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(got[i].startsWith(c.starts[i])) << got[i].toStdString();
            EXPECT_TRUE(got[i].endsWith("\r   " + c.egn));
        }
    }
}

// ---------------------------------------------------------------- removal

TEST_F(Maintenance, RemovalTakesOtherDoctorsPatientsWithChartAndTreatmentsOnly)
{
    struct P {
        const char* nine;
        QVariant lkod;
        bool stays;
    };
    const P patients[] = {
        {"850315123", "D1", true},
        {"850315124", "d1", true},         // the same code in another case
        {"850315125", QVariant(), true},   // no owner
        {"850315126", "D2", false},
        {"850315127", "D3", false},
    };
    {
        db::Connection c = db::Connection::main();
        for (const P& p : patients) {
            const QString egn = egnOf(p.nine);
            c.insert("Pacients", {"EGN", "Names", "LKod"}, {egn, "Пациент", p.lkod});
            c.insert("Dental", {"EGN"}, {egn});
            for (int i = 0; i < 3; ++i)
                c.insert("Help", {"EGN", "KodHelp", "KodMedic"}, {egn, "101", "D1"});
            c.insert("Path", {"EGN", "ListID", "Nomer"}, {egn, "000001", "5"});
        }
    }
    CurrentDoctorCode = "D1";
    DeleteOtherDoctorsPatients();
    EXPECT_TRUE(messages.isEmpty());
    for (const P& p : patients) {
        const QString egn = egnOf(p.nine);
        SCOPED_TRACE(egn.toStdString());
        EXPECT_EQ(count("Pacients", egn), p.stays ? 1 : 0);
        EXPECT_EQ(count("Dental", egn), p.stays ? 1 : 0);
        EXPECT_EQ(count("Help", egn), p.stays ? 3 : 0);
        EXPECT_EQ(count("Path", egn), 1);
    }

    // Everyone is the current doctor's now: nothing to do, nothing said.
    DeleteOtherDoctorsPatients();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Pacients"), 3);

    // An empty code differs from every code but keeps the patients without one.
    CurrentDoctorCode = "";
    DeleteOtherDoctorsPatients();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM Pacients"), 1);
    EXPECT_EQ(count("Pacients", egnOf("850315125")), 1);
    EXPECT_EQ(count("Help", egnOf("850315125")), 3);
}

TEST_F(Maintenance, AFailedRemovalRemovesNothingAndIsReported)
{
    const QString mine = egnOf("850315123"), other = egnOf("850315126");
    addPatient(mine, "Мой", "D1");
    addPatient(other, "Чужд", "D2");
    addTreatment(other);
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE DELETE ON Pacients BEGIN SELECT RAISE(ABORT, 'изтриване отказано'); END");
    }
    CurrentDoctorCode = "D1";
    DeleteOtherDoctorsPatients();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("изтриване отказано"));
    EXPECT_EQ(count("Pacients", other), 1);
    EXPECT_EQ(count("Dental", other), 1);
    EXPECT_EQ(count("Help", other), 1);
}

} // namespace

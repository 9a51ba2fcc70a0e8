#include "fixtures.h"

#include "db/database.h"
#include "patients/patientrecord.h"
#include "patients/patientsearch.h"
#include "services/globals.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::TestFolder;

TEST(PatientStore, NewPatientIsBothRowsWithItsStamps)
{
    TestFolder folder;
    const QString egn = egnOf("054107123");   // 07.01.2005, ninth digit 3
    PatientRecord r;
    r.beginNew();
    r.pacients().set("EGN", egn);
    r.pacients().set("Names", "Мария Иванова Колева");
    r.pacients().set("Pol", PolFromEGN(egn));
    r.pacients().set("RZOK", "16");
    r.dental().set("Z36", "C");
    r.dental().set("Z1", "*");
    r.saveNew({"220001", 220001});
    EXPECT_TRUE(r.isStored());
    EXPECT_EQ(r.storedEgn(), egn);

    db::Connection c = db::Connection::main();
    const db::Row p = c.first("SELECT * FROM Pacients WHERE EGN = ?", {egn});
    EXPECT_EQ(p.text("Names"), QString("Мария Иванова Колева"));
    EXPECT_EQ(p.text("LKod"), QString("220001"));
    EXPECT_EQ(p.toInt("IDName"), 220001);
    EXPECT_EQ(p.text("DataB"), QString("07.01.2005"));
    EXPECT_EQ(p.text("Pol"), QString("Ж"));
    EXPECT_EQ(p.text("RZOK"), QString("16"));
    EXPECT_TRUE(p.value("Tawn").isNull());   // empty boxes are stored as NULL
    const db::Row d = c.first("SELECT * FROM Dental WHERE EGN = ?", {egn});
    EXPECT_EQ(d.text("Z36"), QString("C"));
    EXPECT_EQ(d.text("Z1"), QString("*"));
    EXPECT_TRUE(d.value("Z2").isNull());
}

TEST(PatientStore, FailedSaveLeavesNoHalfPatient)
{
    TestFolder folder;
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE INSERT ON Pacients BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    }
    const QString egn = egnOf("750312654");
    PatientRecord r;
    r.beginNew();
    r.pacients().set("EGN", egn);
    r.pacients().set("Names", "Иван Петров Колев");
    r.dental().set("Z21", "K");
    try {
        r.saveNew({"1", 1});
        ADD_FAILURE() << "saved past the refusing trigger";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.userText().contains("disk full")) << e.what();
    }
    EXPECT_EQ(r.state(), PatientRecord::State::NewRow);
    EXPECT_EQ(r.dental().text("Z21"), QString("K"));   // what was typed stays
    EXPECT_EQ(count("Dental", egn), 0);
    EXPECT_EQ(count("Pacients", egn), 0);
    // a record that began no row saves nothing
    PatientRecord none;
    EXPECT_THROW(none.saveNew({"1", 1}), db::DbError);
    EXPECT_THROW(none.saveCorrection(), db::DbError);
}

TEST(PatientStore, ANewPatientWhoseEgnWasRegisteredMeanwhileIsNamedAsSuch)
{
    // Registered by the import or another copy of the program after the
    // card found no patient with the EGN.
    TestFolder folder;
    const QString egn = egnOf("750312654");
    PatientRecord r;
    r.beginNew();
    r.pacients().set("EGN", egn);
    r.pacients().set("Names", "Иван Петров Колев");
    r.dental().set("Z21", "K");
    addPatient(egn, "Иван Петров", "220001");
    try {
        r.saveNew({"220001", 1});
        ADD_FAILURE() << "a second patient with the same EGN";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.userText(), "Вече има записан пациент с ЕГН " + egn + "!") << e.what();
    }
    EXPECT_EQ(r.state(), PatientRecord::State::NewRow);
    EXPECT_EQ(r.dental().text("Z21"), QString("K"));
    EXPECT_EQ(count("Pacients", egn), 1);
}

TEST(PatientStore, ANewPatientNeedsNames)
{
    TestFolder folder;
    struct Case {
        const char* names;
        bool stored;
    };
    // Only warnings stand against a single word; nothing at all is no patient.
    const Case cases[] = {{"", false}, {"   ", false}, {"Иван", true}, {" Иван Петров ", true}};
    int n = 0;
    for (const Case& c : cases) {
        const QString egn = egnOf(QStringLiteral("75031265%1").arg(n++));
        PatientRecord r;
        r.beginNew();
        r.pacients().set("EGN", egn);
        r.pacients().set("Pol", PolFromEGN(egn));
        r.pacients().set("Names", QString::fromUtf8(c.names));
        EXPECT_EQ(r.newPatientRefusal().isEmpty(), c.stored) << c.names;
        if (c.stored) {
            EXPECT_NO_THROW(r.saveNew({"1", 1})) << c.names;
        } else {
            EXPECT_EQ(r.newPatientRefusal(), kMsgThreeNames) << c.names;
            try {
                r.saveNew({"1", 1});
                ADD_FAILURE() << "stored without names: '" << c.names << "'";
            } catch (const db::DbError& e) {
                EXPECT_EQ(e.userText(), kMsgThreeNames);
            }
            EXPECT_EQ(r.state(), PatientRecord::State::NewRow);
        }
        EXPECT_EQ(count("Pacients", egn), c.stored ? 1 : 0) << c.names;
        EXPECT_EQ(count("Dental", egn), c.stored ? 1 : 0) << c.names;
    }
}

TEST(PatientStore, CorrectionWritesBothRowsAndAddsAMissingChart)
{
    TestFolder folder;
    const QString a = egnOf("750312654"), b = egnOf("880229123");
    addPatient(a, "Иван Петров", "1", {{"Z21", "C"}});
    addPatient(b, "Петър Колев", "1", {}, false);
    PatientRecord r;
    ASSERT_TRUE(r.load(a));
    EXPECT_EQ(r.pacients().text("Names"), QString("Иван Петров"));
    EXPECT_EQ(r.dental().text("Z21"), QString("C"));
    r.pacients().set("Names", "Иван Петров Колев");
    r.pacients().set("EGN", "0000000000");   // the EGN is not changed by a correction
    r.dental().set("Z21", "");
    r.dental().set("Z22", "K");
    EXPECT_TRUE(r.saveCorrection().isEmpty());
    db::Connection c = db::Connection::main();
    EXPECT_EQ(c.first("SELECT Names FROM Pacients WHERE EGN = ?", {a}).text("Names"), QString("Иван Петров Колев"));
    EXPECT_TRUE(c.first("SELECT Z21 FROM Dental WHERE EGN = ?", {a}).value("Z21").isNull());
    EXPECT_EQ(c.first("SELECT Z22 FROM Dental WHERE EGN = ?", {a}).text("Z22"), QString("K"));

    ASSERT_TRUE(r.load(b));
    EXPECT_FALSE(r.hasDentalRow());
    r.dental().set("Z30", "O");
    EXPECT_TRUE(r.saveCorrection().isEmpty());
    EXPECT_EQ(count("Dental", b), 1);
    EXPECT_TRUE(r.hasDentalRow());
    EXPECT_TRUE(r.saveCorrection().isEmpty());
    EXPECT_EQ(count("Dental", b), 1);

    EXPECT_FALSE(r.load(egnOf("990101123")));
    EXPECT_FALSE(r.isBound());

    // the patient removed meanwhile: the correction is refused, not reported as written
    ASSERT_TRUE(r.load(a));
    c.exec("DELETE FROM Pacients WHERE EGN = ?", {a});
    EXPECT_THROW(r.saveCorrection(), db::DbError);
}

TEST(PatientStore, DeleteRemovesAllThreeTablesInOneGo)
{
    TestFolder folder;
    const QString a = egnOf("750312654"), other = egnOf("880229123");
    addPatient(a, "Иван Петров", "1", {{"Z21", "C"}});
    addPatient(other, "Петър Колев", "1", {{"Z21", "C"}});
    addTreatment(a);
    addTreatment(a);
    addTreatment(other);
    PatientRecord r;
    ASSERT_TRUE(r.load(a));
    {
        db::Connection c = db::Connection::main();
        c.exec("CREATE TRIGGER refuse BEFORE DELETE ON Help BEGIN SELECT RAISE(ABORT, 'locked'); END");
    }
    EXPECT_THROW(r.deleteStored(), db::DbError);
    EXPECT_EQ(count("Pacients", a), 1);
    EXPECT_EQ(count("Dental", a), 1);
    EXPECT_EQ(count("Help", a), 2);
    EXPECT_TRUE(r.isStored());
    {
        db::Connection c = db::Connection::main();
        c.exec("DROP TRIGGER refuse");
    }
    r.deleteStored();
    EXPECT_FALSE(r.isBound());
    EXPECT_EQ(count("Pacients", a), 0);
    EXPECT_EQ(count("Dental", a), 0);
    EXPECT_EQ(count("Help", a), 0);
    EXPECT_EQ(count("Pacients", other), 1);
    EXPECT_EQ(count("Dental", other), 1);
    EXPECT_EQ(count("Help", other), 1);
}

TEST(PatientStore, PostCodeLookUp)
{
    TestFolder folder;
    const auto plovdiv = findPostCode("4000");
    ASSERT_TRUE(plovdiv.has_value());
    EXPECT_EQ(plovdiv->tawn, QString("Пловдив"));
    EXPECT_FALSE(plovdiv->zk.isEmpty());
    // the whole country, the first row of a code in table order
    const struct {
        const char* code;
        PostCodeEntry entry;
    } places[] = {
        {"1000", {"София", "Столична", "София-град", "22", ""}},   // the doctor types the region
        {"4000", {"Пловдив", "Пловдив", "Пловдив", "16", "22"}},
        {"5300", {"Габрово", "Габрово", "Габрово", "07", "05"}},      // the town before its villages
        {"6060", {"Дълбоки", "Стара Загора", "Стара Загора", "24", "31"}},
        {"5301", {"Стойковци", "Габрово", "Габрово", "07", "05"}},
        {"2700", {"Благоевград", "Благоевград", "Благоевград", "01", "03"}},
    };
    for (const auto& p : places) {
        const auto found = findPostCode(p.code);
        ASSERT_TRUE(found.has_value()) << p.code;
        EXPECT_EQ(QStringList({found->tawn, found->obsh, found->obl, found->zk, found->zdrn}),
                  QStringList({p.entry.tawn, p.entry.obsh, p.entry.obl, p.entry.zk, p.entry.zdrn}))
            << p.code;
    }
    EXPECT_FALSE(findPostCode("1404").has_value());   // a Sofia district: not in the list
    EXPECT_FALSE(findPostCode("4000 ").has_value());  // the typed text exactly
    EXPECT_FALSE(findPostCode("").has_value());
    EXPECT_FALSE(findPostCode("4000' OR '1'='1").has_value());
    EXPECT_FALSE(findPostCode("99999").has_value());
}

TEST(PatientSearch, FirstWordDoctorFilterAndNullNames)
{
    TestFolder folder;
    addPatient(egnOf("750312654"), "Иван Петров Колев", "1");
    addPatient(egnOf("750312655"), "Иван", "1");
    addPatient(egnOf("750312656"), "ИВАН Стоянов", "1");
    addPatient(egnOf("750312657"), "Иванка Петрова", "1");
    addPatient(egnOf("750312658"), "Иван Георгиев", "2");     // another doctor's
    addPatient(egnOf("750312659"), QVariant(QMetaType::fromType<QString>()), "1");   // Null names
    addPatient(egnOf("750312660"), "   ", "1");
    addPatient(egnOf("750312661"), "  Иван Димитров", "1");
    addPatient(egnOf("750312662"), "иван Попов", "1");

    std::vector<std::pair<int, int>> progress;
    const SearchResult r = SearchByFirstName(searchKey("иван"), "1",
                                             [&](int pos, int rows) { progress.push_back({pos, rows}); });
    EXPECT_EQ(r.rows, 8);
    ASSERT_EQ(r.items.size(), 3);
    EXPECT_EQ(r.items[0].egn, egnOf("750312654"));   // in table order
    EXPECT_EQ(r.items[1].egn, egnOf("750312655"));
    EXPECT_EQ(r.items[2].egn, egnOf("750312661"));
    EXPECT_EQ(findNameOf(r.items[1].item), QString("Иван") + QString(10, ' '));
    EXPECT_EQ(r.items[0].item, QString("Иван Петров Колев") + QString(50, ' ') + egnOf("750312654"));
    ASSERT_EQ(progress.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(progress[i], std::make_pair(i + 1, 8));

    // an empty key lists the patients without a name, the Null one included
    const SearchResult empty = SearchByFirstName(searchKey("  "), "1");
    ASSERT_EQ(empty.items.size(), 2);
    EXPECT_EQ(empty.items[0].egn, egnOf("750312659"));
    EXPECT_EQ(empty.items[0].item, QString(50, ' ') + egnOf("750312659"));
    EXPECT_EQ(empty.items[1].egn, egnOf("750312660"));

    // the other doctor sees only his own
    const SearchResult two = SearchByFirstName("Иван", "2");
    EXPECT_EQ(two.rows, 1);
    EXPECT_EQ(two.items.size(), 1);
    // a typed code is a value, never SQL
    EXPECT_EQ(SearchByFirstName("Иван", "1' OR '1'='1").rows, 0);
    EXPECT_EQ(SearchByFirstName("Иван", "3").rows, 0);
}

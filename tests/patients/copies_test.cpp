// The register's saves while another copy of the program commits again and
// again on the same practice: each save waits for the other's write to end,
// none is refused as "in use".

#include "fixtures.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/koregn.h"
#include "patients/maintenance.h"
#include "patients/patientrecord.h"
#include "patients/zokcimport.h"
#include "support/program_folder.h"
#include "support/second_copy.h"

#include <QDate>
#include <functional>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::CommittingCopy;
using testing_support::TestFolder;

namespace {

constexpr int kSaves = 200;

// Sound EGNs of a series, each its own: born on the series' days of 1975.
QString egnNumber(int series, int i)
{
    return testing_support::egnBornOn(QDate(1975, 1, 1).addDays(i % 365), series * 100 + i / 365);
}

ZokcExport exportOf(const QString& egn)
{
    ZokcExport data;
    data.patients.rows << QStringList{egn, "Иван", "Петров", "Колев", "0", "1975-03-05", "2009-03-05", "", ""};
    return data;
}

} // namespace

TEST(BesideAnotherCopy, NoSaveOfTheRegisterIsRefusedWhileAnotherCopyCommits)
{
    TestFolder folder;
    const QString doctor = "220001";
    PatientRecord corrected;
    addPatient(egnNumber(9, 0), "Мария Петрова Колева", doctor);
    ASSERT_TRUE(corrected.load(egnNumber(9, 0)));
    QString movedEgn = egnNumber(1, 0);
    addPatient(movedEgn, "Петър Колев Иванов", doctor);

    const struct {
        const char* kind;
        std::function<void(int)> save;
    } kinds[] = {
        {"new card", [&](int i) {
             PatientRecord r;
             r.beginNew();
             r.pacients().set("EGN", egnNumber(2, i));
             r.pacients().set("Names", "Иван Петров Колев");
             r.saveNew({doctor, 1});
         }},
        {"correction of a card", [&](int i) {
             corrected.pacients().set("MTel", QString::number(888000000 + i));
             ASSERT_TRUE(corrected.saveCorrection().isEmpty());
         }},
        {"deletion of a card", [&](int i) {
             PatientRecord r;
             if (r.load(egnNumber(2, i)))   // else its new card was refused, and counted
                 r.deleteStored();
         }},
        {"EGN correction", [&](int i) {
             ASSERT_EQ(moveEgn(movedEgn, egnNumber(1, i + 1)).outcome, EgnMove::Outcome::Moved);
             movedEgn = egnNumber(1, i + 1);
         }},
        {"import from the fund's export", [&](int i) {
             ASSERT_EQ(importZokcPatients(exportOf(egnNumber(3, i)), doctor).added, 1);
         }},
        {"removal of other doctors' patients", [&](int i) {
             addPatient(egnNumber(4, i), "Чужд Пациент", "220002");
             ASSERT_EQ(removeOtherDoctorsPatients(doctor, {}), 1);
         }},
        {"repair", [&](int) {
             removeRowsWithoutEgn();
             nameAndRewriteBirthDates({});
         }},
    };

    CommittingCopy other(DatabasePath);
    ASSERT_TRUE(other.ready()) << other.output().toStdString();
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        const QStringList refused = other.refusalsOf(kSaves, k.save);
        EXPECT_EQ(refused.size(), 0) << k.kind << ": " << refused.value(0).toStdString();
    }
    // The other copy went on committing meanwhile, never refused either.
    const QString done = other.stop();
    EXPECT_TRUE(done.endsWith(" 0")) << other.output().toStdString();
    EXPECT_GT(done.section(' ', 1, 1).toInt(), 50) << done.toStdString();
}

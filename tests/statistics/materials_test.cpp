// The filling recode and the materials consumption.

#include "fixtures.h"
#include "statistics/preparation.h"
#include "statistics/tempdb.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace tav;
using namespace tav::statistics;
using namespace statistics_test;
using testing_support::TestFolder;

TEST(FillingRecode, BooksEveryDoctorsRowsAndRecodesOnlyTheExactTexts)
{
    TestFolder folder;
    const QString egn = egnFor(QDate(1970, 1, 1));
    const struct {
        const char* doctor;
        const char* code;
        const char* text;
        bool booked;
        const char* newCode;
    } cases[] = {
        {"D1", "301", "Обт.амалгама", false, "301А"},
        {"D2", "301", "Обт.хим.композ.", true, "301Б"},   // booked, but "301" is taken again
        {"D3", "301", "Обт.амлгама", false, "301"},
        {"D1", "301", "обт.амалгама", false, "301"},      // case differs
        {"D1", "301", "ОБТ.ХИМ.КОМПОЗ.", false, "301"},
        {"D1", "301", "Обт.амалгама ", false, "301"},     // a blank more
        {"D1", "301", " Обт.хим.композ.", false, "301"},
        {"D1", "301", nullptr, false, "301"},
        {"D2", "509", "Екстракция", false, "509"},
        {"D1", "101", "Обт.амалгама", false, "301А"},    // not yet booked: recoded whatever its code
        {"D1", "101", "Обт.амалгама", true, "101"},      // booked and not "301": left alone
        {"D3", "301А", "Обт.хим.композ.", true, "301А"},
        {"D3", "332", "Mед.лечение", false, "332"},
    };
    QVector<Treatment> rows;
    for (const auto& k : cases)
        rows.push_back({egn, QDate(2010, 3, 1), QString::fromUtf8(k.code), k.doctor,
                        k.text ? QVariant(QString::fromUtf8(k.text)) : kNull, k.booked});
    addTreatments(rows);

    // Every row with code 301 and every one not yet booked: 11 of the 13.
    EXPECT_EQ(RecodeFillingActivities(), 11);
    db::Connection c = db::Connection::main();
    const db::Rows after = c.query("SELECT KodHelp, Schet FROM Help ORDER BY RecID");
    ASSERT_EQ(after.size(), int(std::size(cases)));
    for (int i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].text("KodHelp"), QString::fromUtf8(cases[i].newCode)) << i;
        EXPECT_TRUE(after[i].yes("Schet")) << i;
    }
    // Again: only the rows still coded "301" are taken, and nothing changes.
    EXPECT_EQ(RecodeFillingActivities(), 6);
    EXPECT_EQ(c.query("SELECT KodHelp, Schet FROM Help ORDER BY RecID").size(), after.size());
    for (int i = 0; i < after.size(); ++i)
        EXPECT_EQ(c.query("SELECT KodHelp FROM Help ORDER BY RecID")[i].text("KodHelp"), after[i].text("KodHelp"));
}

namespace {

// A catalogue of nine materials over the eight norm columns of the delivered
// reference database: the ninth has no column.
void catalogue()
{
    db::Connection r(ReferenceDatabasePath, db::OpenMode::ReadWrite);
    db::Transaction t(r);
    r.exec("DELETE FROM Mater");
    r.exec("DELETE FROM RazhNorm");
    const QVariant null;
    const QList<QVariantList> mater = {
        {"001", "Амалгама", 0, "гр"},     {"002", "Композит", 5.5, "гр"},  {"003", "Цимент", 0, "гр"},
        {"004", "Карпула", 0, "бр"},      {"005", "Игла", 0, "бр"},        {"006", "Паста", 0, "гр"},
        {"007", "Пълнило", null, "гр"},   {"008", "Ръкавици", 1000, "чфт"}, {"009", "Без колона", 0, "бр"},
    };
    for (const QVariantList& m : mater)
        r.insert("Mater", {"Kod", "Name", "Kol", "Ed"}, m);
    const QStringList cols = {"KodHelp", "1M", "2M", "3M", "4M", "5M", "6M", "7M", "8M"};
    r.insert("RazhNorm", cols, {"101", 0, 0, 0, 0, 0, null, 1, 1});
    r.insert("RazhNorm", cols, {"301А", 0.6, 0, 0.3, 0, 0, 0, 0, 1});
    r.insert("RazhNorm", cols, {"301А", 99, 99, 99, 99, 99, 99, 99, 99});   // only the first row counts
    r.insert("RazhNorm", cols, {"508", 0, 0, 0, 1, 1, 0, 0, 1});
    t.commit();
}

} // namespace

TEST(Materials, TheCatalogueIsCopiedInItsOrder)
{
    TestFolder folder;
    catalogue();
    CreateTempTable("TempMater");
    FillTempMater();
    const db::Rows rows = tempRows("TempMater");
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[0].text("Kod"), "001");
    EXPECT_EQ(rows[1].text("Name"), "Композит");
    EXPECT_DOUBLE_EQ(rows[1].value("Kol").toDouble(), 5.5);
    EXPECT_TRUE(rows[6].value("Kol").isNull());
    EXPECT_EQ(rows[8].text("Ed"), "бр");
}

TEST(Materials, EveryTreatmentOfThePeriodAddsTheNormsOfItsCode)
{
    TestFolder folder;
    catalogue();
    const QString egn = egnFor(QDate(1970, 1, 1));
    addTreatments({
        {egn, QDate(2010, 3, 1), "301А", "D1"},
        {egn, QDate(2010, 3, 2), "301А", "D2"},   // every doctor
        {egn, QDate(2010, 3, 31), "508", "D3"},
        {egn, QDate(2010, 3, 5), "509"},          // no norm row: adds nothing
        {egn, QDate(2010, 3, 5), kNull},
        {egn, QDate(2010, 2, 28), "508"},         // outside the period
        {egn, QDate(2010, 4, 1), "301А"},
    });
    CreateTempTable("TempMater");
    FillTempMater();
    int last = 0, total = 0;
    EXPECT_EQ(SumMaterialConsumption(QDate(2010, 3, 1), QDate(2010, 3, 31), [&](int position, int rows) {
                  EXPECT_GT(position, last);
                  last = position;
                  total = rows;
              }),
              5);
    EXPECT_EQ(last, 5);
    EXPECT_EQ(total, 5);
    const db::Rows rows = tempRows("TempMater");
    ASSERT_EQ(rows.size(), 9);
    const QVariant expected[] = {1.2, 5.5, 0.6, 1.0, 1.0, 0.0, QVariant(), 1003.0, 0.0};
    for (int i = 0; i < 9; ++i) {
        const QVariant kol = rows[i].value("Kol");
        EXPECT_EQ(kol.isNull(), expected[i].isNull()) << i;
        if (!expected[i].isNull()) {
            EXPECT_NEAR(kol.toDouble(), expected[i].toDouble(), 1e-9) << i;
        }
    }

    // A norm without a value takes the material's quantity away.
    addTreatment(egn, QDate(2010, 3, 3), "101");
    CreateTempTable("TempMater");
    FillTempMater();
    SumMaterialConsumption(QDate(2010, 3, 1), QDate(2010, 3, 31));
    EXPECT_TRUE(tempRows("TempMater")[5].value("Kol").isNull());
    EXPECT_NEAR(tempRows("TempMater")[7].value("Kol").toDouble(), 1004.0, 1e-9);
}

TEST(Materials, APeriodWithoutTreatmentsLeavesTheCatalogueQuantities)
{
    TestFolder folder;
    catalogue();
    CreateTempTable("TempMater");
    FillTempMater();
    int calls = 0;
    EXPECT_EQ(SumMaterialConsumption(QDate(2010, 3, 1), QDate(2010, 3, 31), [&](int, int) { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_DOUBLE_EQ(tempRows("TempMater")[1].value("Kol").toDouble(), 5.5);
}

TEST(Materials, ACodeFindsItsNormsWithoutRegardToCase)
{
    TestFolder folder;
    catalogue();
    const QString egn = egnFor(QDate(1970, 1, 1));
    // "301А" takes 0.6 of material 1 and one pair of gloves (material 8, 1000
    // in the catalogue); the Latin "301a" is another code, without norms.
    const std::tuple<const char*, double, double> cases[] = {
        {"301А", 0.6, 1001}, {"301а", 0.6, 1001}, {"301a", 0, 1000}, {"508", 0, 1001}};
    for (const auto& [code, amalgam, gloves] : cases) {
        SCOPED_TRACE(code);
        db::Connection::main().exec("DELETE FROM Help");
        addTreatment(egn, QDate(2010, 3, 1), code);
        CreateTempTable("TempMater");
        FillTempMater();
        SumMaterialConsumption(QDate(2010, 3, 1), QDate(2010, 3, 31));
        EXPECT_NEAR(tempRows("TempMater")[0].value("Kol").toDouble(), amalgam, 1e-9);
        EXPECT_NEAR(tempRows("TempMater")[7].value("Kol").toDouble(), gloves, 1e-9);
    }
}

// The fund summary by age group and the specification's counts.

#include "fixtures.h"
#include "statistics/preparation.h"
#include "statistics/tempdb.h"
#include "support/program_folder.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;
using namespace statistics_test;
using testing_support::TestFolder;

namespace {

const QDate kFirst(2010, 1, 1), kLast(2010, 12, 31);

// Field -> count of every TempZOKC row ("Под 18 години"/"Над 18 години" + field).
QMap<QString, int> zokcCounts(QStringList* groups = nullptr)
{
    QMap<QString, int> out;
    for (const db::Row& r : tempRows("TempZOKC")) {
        if (groups)
            *groups << r.text("Godini");
        for (const QString& f : r.names())
            if (f != "Godini")
                out.insert(r.text("Godini") + " " + f, r.value(f).isNull() ? -1 : r.toInt(f));
    }
    return out;
}

QMap<QString, int> specCounts(int* rows = nullptr)
{
    QMap<QString, int> out;
    const db::Rows all = tempRows("TempSpec");
    if (rows)
        *rows = int(all.size());
    for (const db::Row& r : all)
        for (const QString& f : r.names())
            out.insert(f, r.value(f).isNull() ? -1 : r.toInt(f));
    return out;
}

const QStringList kZokcFields = {"Kod_101", "Kod_103", "Kod_301", "Kod_332", "Kod_333", "Kod_508", "Kod_509"};
const QStringList kSpecFields = {"F10112", "F10312", "F30112", "F50912", "F10111", "F10311",
                                 "F30111", "F33211", "F33311", "F50811", "F50911"};

} // namespace

TEST(FundCounts, EachActivityCountsByItsClassAndTheAgeAtTheVisit)
{
    const QString child = egnFor(QDate(2000, 5, 5));          // 10 in 2010
    const QString adult = egnFor(QDate(1970, 5, 5));          // 40
    const QString turning = egnFor(QDate(1992, 3, 15));       // 18 on 15.03.2010
    const QString noBirth = "7513121234";                     // month 13 of 1975: an adult by its fields
    const struct {
        QVariant egn;
        QDate visit;
        const char* code;
        const char* zokc;   // the TempZOKC field it adds to, with its group; "" nowhere
        const char* tempSpecField;   // the TempSpec field; "" nowhere
    } cases[] = {
        {child, QDate(2010, 3, 1), "101", "Под 18 години Kod_101", "F10111"},
        {child, QDate(2010, 3, 1), "103", "", "F10311"},
        {adult, QDate(2010, 3, 1), "103", "", "F10312"},
        {adult, QDate(2010, 3, 2), "101", "Над 18 години Kod_101", "F10112"},
        {turning, QDate(2010, 3, 15), "508", "Под 18 години Kod_508", "F50811"},
        {turning, QDate(2010, 3, 16), "508", "Над 18 години Kod_508", ""},
        {turning, QDate(2010, 3, 15), "332", "Под 18 години Kod_332", "F33211"},
        {adult, QDate(2010, 4, 1), "332", "Над 18 години Kod_332", ""},
        {adult, QDate(2010, 4, 1), "333", "Над 18 години Kod_333", ""},
        {child, QDate(2010, 4, 1), "333", "Под 18 години Kod_333", "F33311"},
        {adult, QDate(2010, 5, 1), "302Б", "Над 18 години Kod_301", "F30112"},
        {adult, QDate(2010, 5, 1), "303A", "Над 18 години Kod_301", "F30112"},
        {adult, QDate(2010, 5, 1), "304В", "Над 18 години Kod_301", "F30112"},
        {child, QDate(2010, 5, 2), "301", "Под 18 години Kod_301", "F30111"},
        {child, QDate(2010, 5, 2), "509", "Под 18 години Kod_509", "F50911"},
        {adult, QDate(2010, 5, 2), "509", "Над 18 години Kod_509", "F50912"},
        {noBirth, QDate(2010, 6, 1), "509", "Над 18 години Kod_509", "F50912"},
        {"12", QDate(2010, 6, 1), "101", "Над 18 години Kod_101", "F10112"},   // short: by its fields too
        // Without an EGN there is no age group: counted nowhere.
        {"", QDate(2010, 6, 1), "101", "", ""},
        {kNull, QDate(2010, 6, 1), "509", "", ""},
        {"   ", QDate(2010, 6, 1), "301", "", ""},
        {kNull, QDate(2010, 6, 1), "103", "", ""},
        {adult, QDate(2010, 6, 2), "305", "", ""},
        {adult, QDate(2010, 6, 2), "301b", "", ""},
        {adult, QDate(2010, 6, 2), "", "", ""},
    };
    TestFolder folder;
    // Each case alone in the treatments; the same activity twice counts twice,
    // other doctors' and other periods' count nowhere.
    const auto only = [](const auto& k) {
        db::Connection::main().exec("DELETE FROM Help");
        addTreatments({{k.egn, k.visit, k.code},
                       {k.egn, k.visit, k.code},
                       {k.egn, k.visit, k.code, "D2"},
                       {k.egn, QDate(2009, 12, 31), k.code},
                       {k.egn, QDate(2011, 1, 1), k.code}});
    };
    CreateTempTable("TempZOKC");
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.code) + " " + k.visit.toString().toStdString());
        only(k);
        EXPECT_EQ(FillTempZOKC(kFirst, kLast, "D1"), 2);
        QStringList groups;
        const QMap<QString, int> zokc = zokcCounts(&groups);
        EXPECT_EQ(groups, QStringList({"Под 18 години", "Над 18 години"}));
        for (const QString& group : groups)
            for (const QString& f : kZokcFields) {
                const QString key = group + " " + f;
                const int expected = f == "Kod_103" ? -1 : (key == QString::fromUtf8(k.zokc) ? 2 : 0);
                EXPECT_EQ(zokc.value(key), expected) << key.toStdString();
            }
    }
    CreateTempTable("TempSpec");
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.code) + " " + k.visit.toString().toStdString());
        only(k);
        EXPECT_EQ(FillTempSpec(kFirst, kLast, "D1"), 2);
        int rows = 0;
        const QMap<QString, int> counted = specCounts(&rows);
        EXPECT_EQ(rows, 1);
        for (const QString& f : kSpecFields)
            EXPECT_EQ(counted.value(f), f == QString::fromUtf8(k.tempSpecField) ? 2 : 0) << f.toStdString();
    }
}

TEST(FundCounts, APeriodWithoutActivitiesGivesRowsOfZeros)
{
    TestFolder folder;
    addTreatment(egnFor(QDate(1970, 1, 1)), QDate(2010, 3, 1), "101", "D2");
    CreateTempTable("TempZOKC");
    EXPECT_EQ(FillTempZOKC(kFirst, kLast, "D1"), 0);
    FillTempZOKC(kFirst, kLast, "D1");   // again: still two rows
    QStringList groups;
    const QMap<QString, int> zokc = zokcCounts(&groups);
    EXPECT_EQ(groups.size(), 2);
    for (auto it = zokc.begin(); it != zokc.end(); ++it)
        EXPECT_EQ(it.value(), it.key().endsWith("Kod_103") ? -1 : 0) << it.key().toStdString();

    CreateTempTable("TempSpec");
    FillTempSpec(kFirst, kLast, "D1");
    int rows = 0;
    const QMap<QString, int> counted = specCounts(&rows);
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(counted.size(), 11);
    for (int v : counted)
        EXPECT_EQ(v, 0);
}

TEST(FundCounts, RowsWithoutAnEgnAreLeftOutAndNamed)
{
    TestFolder folder;
    const QString adult = egnFor(QDate(1970, 5, 5));
    addTreatments({{adult, QDate(2010, 3, 1), "101", "D1", {}, false, "000001"},
                   {"", QDate(2010, 3, 2), "101", "D1", {}, false, "000002"},
                   {kNull, QDate(2010, 3, 3), "509", "D1", {}, false, "000003"},
                   {"  ", QDate(2010, 3, 4), "103", "D1", {}, false, kNull},
                   {kNull, QDate(2010, 3, 5), "999", "D1", {}, false, "000005"},   // counted by no report
                   {kNull, QDate(2010, 3, 6), "301", "D2", {}, false, "000006"}}); // another doctor's
    const auto described = [](const QVector<LeftOutRow>& rows) {
        QStringList out;
        for (const LeftOutRow& r : rows)
            out << r.date.toString("dd.MM") + " " + r.code + " " + r.listId;
        return out;
    };

    CreateTempTable("TempZOKC");
    QVector<LeftOutRow> leftOut;
    FillTempZOKC(kFirst, kLast, "D1", {}, &leftOut);
    EXPECT_EQ(described(leftOut), QStringList({"02.03 101 000002", "03.03 509 000003"}));
    EXPECT_EQ(zokcCounts().value("Над 18 години Kod_101"), 1);
    EXPECT_EQ(zokcCounts().value("Под 18 години Kod_509") + zokcCounts().value("Над 18 години Kod_509"), 0);

    CreateTempTable("TempSpec");
    leftOut.clear();
    FillTempSpec(kFirst, kLast, "D1", {}, &leftOut);
    EXPECT_EQ(described(leftOut), QStringList({"02.03 101 000002", "03.03 509 000003", "04.03 103 "}));
    const QMap<QString, int> counted = specCounts();
    for (const QString& f : kSpecFields)
        EXPECT_EQ(counted.value(f), f == "F10112" ? 1 : 0) << f.toStdString();

    EXPECT_EQ(leftOutMessage(leftOut), "Не са включени в отчета:\r"
                                       "ЕГН (без ЕГН), лист 000002, 02.03.2010, код 101\r"
                                       "ЕГН (без ЕГН), лист 000003, 03.03.2010, код 509\r"
                                       "ЕГН (без ЕГН), лист (без номер), 04.03.2010, код 103");
    // Fifteen named, then how many more.
    const QVector<LeftOutRow> many(17, LeftOutRow{QDate(2010, 3, 2), "101", "000002"});
    const QStringList lines = leftOutMessage(many).split('\r');
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[15], "ЕГН (без ЕГН), лист 000002, 02.03.2010, код 101");
    EXPECT_EQ(lines[16], "... и още 2");
}

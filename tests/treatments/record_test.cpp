#include "fixtures.h"

#include "db/database.h"
#include "db/values.h"
#include "support/program_folder.h"
#include "treatments/treatmentrecord.h"

#include <gtest/gtest.h>

using namespace tav;
using namespace tav::treatments;
using namespace treatments_test;
using testing_support::TestFolder;

namespace {

db::Row helpRow(const QList<std::pair<QString, QVariant>>& values = {})
{
    static const QStringList fields = {"RecID", "EGN", "Data", "KodHelp", "Help", "TextHelp", "KodZab", "Vid",
                                       "ZK", "Schet", "ListID", "Cena", "Times", "KodMedic"};
    db::Row r(QSharedPointer<const QStringList>::create(fields), QVector<QVariant>(fields.size()));
    for (const auto& [f, v] : values)
        r.set(f, v);
    return r;
}

const QString kAdult = egnOf("750312123");   // born 12.03.1975

SaveStamp stamp(const QString& egn = kAdult)
{
    return {egn, "000042", "220001", QDate(2026, 3, 10)};
}

} // namespace

TEST(Shortcuts, TheTwentyFourEntriesLetterForLetter)
{
    struct E {
        const char* typed;
        const char* kod;
        const char* help;
        const char* text;
        const char* lookup;
    };
    const char* am = "Обт.амалгама";
    const char* co = "Обт.хим.композ.";
    const char* ex = "Екстракция";
    const char* medM = "Mед.лечение";   // Latin M
    const E expected[] = {
        {"1", "101", "Преглед", "", "101"},
        {"1-3", "103", "Преглед", "", "101"},
        {"30", "301", "Caries profunda", am, "301"},
        {"31", "301", "Caries profunda", co, "301"},
        {"30-2", "301", "Caries media", am, "301"},
        {"31-2", "301", "Caries media", co, "301"},
        {"30-3", "301", "Caries secunda", am, "301"},
        {"31-3", "301", "Caries secunda", co, "301"},
        {"30-4", "301", "Caries superf.", am, "301"},
        {"31-4", "301", "Caries superf.", co, "301"},
        {"32", "332", "Pulpitis chr.ulcerosa", medM, "332"},
        {"33", "333", "Pulpitis chr.ulcerosa", "Мед.лечение", "333"},
        {"32-1", "332", "Gangr.complicata", medM, "332"},
        {"33-1", "301", "Gangr.complicata", co, "301"},
        {"58-1", "508", "DL-Luxacio", ex, "508"},
        {"58-2", "508", "Radis relicva", ex, "508"},
        {"58", "508", "R.gangr.", ex, "508"},
        {"59", "509", "R.gangr.", ex, "509"},
        {"59-1", "509", "Periodontitis chr.execerbata", ex, "509"},
        {"31-1", "301", "Pulpitis chr.ulcerosa", co, "301"},
        {"30-1", "301", "Pulpitis chr.ulcerosa", am, "301"},
        {"59-2", "509", "Causa protetica", ex, "509"},
        {"59-3", "509", "Causa ortodontica", ex, "509"},
        {"59-4", "509", "Parodontosis dentitis", ex, "509"},
    };
    const auto& table = TreatmentShortcuts();
    ASSERT_EQ(std::size(expected), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(expected[i].typed);
        EXPECT_EQ(table[i].typed, QString::fromUtf8(expected[i].typed));
        EXPECT_EQ(table[i].kodHelp, QString::fromUtf8(expected[i].kod));
        EXPECT_EQ(table[i].help, QString::fromUtf8(expected[i].help));
        EXPECT_EQ(table[i].textHelp, QString::fromUtf8(expected[i].text));
        EXPECT_EQ(table[i].lookup, QString::fromUtf8(expected[i].lookup));
    }
    // The two medical treatments differ in their first letter only.
    EXPECT_EQ(table[10].textHelp.at(0).unicode(), 0x004D);
    EXPECT_EQ(table[11].textHelp.at(0).unicode(), 0x041C);
    EXPECT_EQ(table[10].textHelp.mid(1), table[11].textHelp.mid(1));
    // Diagnoses in Latin letters only.
    for (const TreatmentShortcut& s : table) {
        if (s.help == QStringLiteral("Преглед"))
            continue;
        for (QChar c : s.help)
            EXPECT_LT(c.unicode(), 0x80) << s.typed.toStdString();
    }
}

TEST(Shortcuts, ExactMatchOnTheTrimmedText)
{
    struct Case {
        QString typed;
        QString kod;   // empty: no entry
    };
    const Case cases[] = {
        {"1", "101"}, {"1-3", "103"}, {"33-1", "301"}, {"30", "301"}, {"  30  ", "301"}, {"58", "508"},
        {"59-4", "509"},
        {"302", ""},      // the hyphen left out
        {"30 2", ""},     // a blank inside
        {"30-", ""}, {"3O", ""}, {"", ""}, {"   ", ""},
        {"301", ""},      // an expanded code is no shortcut
        {"\t30", ""},     // only blanks are trimmed
        {"1-30", ""}, {"01", ""},
    };
    for (const Case& c : cases) {
        const TreatmentShortcut* s = FindShortcut(c.typed);
        EXPECT_EQ(s ? s->kodHelp : QString(), c.kod) << "typed '" << c.typed.toStdString() << "'";
    }
    EXPECT_EQ(FindShortcut("30-1")->help, QString("Pulpitis chr.ulcerosa"));
    EXPECT_EQ(FindShortcut(" 31-3")->textHelp, QString("Обт.хим.композ."));
}

class Save : public ::testing::Test {
protected:
    TestFolder folder;
    db::Connection c = db::Connection::main();
};

TEST_F(Save, ExpandsTheShortcutAndStampsTheRow)
{
    struct Case {
        QString typed;
        QString kod, help, text;
        int minutes;
        double price;
    };
    const Case cases[] = {
        {"30", "301", "Caries profunda", "Обт.амалгама", 26, 21.13},
        {" 30 ", "301", "Caries profunda", "Обт.амалгама", 26, 21.13},
        {"1", "101", "Преглед", "", 15, 6.44},
        {"1-3", "103", "Преглед", "", 15, 6.44},   // the minutes and price of an examination
        {"33-1", "301", "Gangr.complicata", "Обт.хим.композ.", 26, 21.13},
        {"33", "333", "Pulpitis chr.ulcerosa", "Мед.лечение", 141, 0.0},
        {"59-1", "509", "Periodontitis chr.execerbata", "Екстракция", 22, 21.13},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.typed.toStdString());
        db::Row r = helpRow({{"KodHelp", k.typed}, {"KodZab", "31"}});
        const SaveResult res = ApplySave(r, true, stamp(), c);
        EXPECT_TRUE(res.expanded);
        EXPECT_EQ(res.minutes, k.minutes);
        EXPECT_EQ(r.text("KodHelp"), k.kod);
        EXPECT_EQ(r.text("Help"), k.help);
        EXPECT_EQ(r.text("TextHelp"), k.text);
        EXPECT_EQ(r.value("Times").toInt(), k.minutes);
        EXPECT_EQ(r.value("Cena").toDouble(), k.price);   // exactly as CenyZK holds it
        EXPECT_EQ(r.text("KodZab"), QString("31"));
        EXPECT_EQ(r.text("EGN"), kAdult);
        EXPECT_EQ(r.text("KodMedic"), QString("220001"));
        EXPECT_EQ(r.value("ZK").toInt(), 1);
        EXPECT_EQ(r.text("ListID"), QString("000042"));
    }
}

TEST_F(Save, PriceByAgeOnTheDayOfTheSave)
{
    const QString egn = egnBornOn(QDate(2008, 3, 15));
    struct Case {
        QDate today;
        double price301;
        double price508;
    };
    const Case cases[] = {
        {QDate(2026, 3, 14), 25.13, 11.98},   // 17
        {QDate(2026, 3, 15), 25.13, 11.98},   // the 18th birthday: not over 18
        {QDate(2026, 3, 16), 21.13, 0.0},     // the day after
        {QDate(2030, 1, 1), 21.13, 0.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.today.toString().toStdString());
        SaveStamp s = stamp(egn);
        s.today = k.today;
        db::Row filling = helpRow({{"KodHelp", "31"}});
        ApplySave(filling, true, s, c);
        EXPECT_EQ(filling.value("Cena").toDouble(), k.price301);
        db::Row extraction = helpRow({{"KodHelp", "58"}});
        ApplySave(extraction, true, s, c);
        EXPECT_EQ(extraction.value("Cena").toDouble(), k.price508);
    }
}

TEST_F(Save, ACodeThatIsNoShortcutKeepsTextsPriceAndMinutes)
{
    // A second save of an expanded row: what the first save stored stays.
    db::Row stored = helpRow({{"RecID", 7}, {"KodHelp", "301"}, {"Help", "Caries media"}, {"TextHelp", "Обт.амалгама"},
                              {"Cena", 21.13}, {"Times", 26}, {"ListID", "000041"}});
    SaveResult res = ApplySave(stored, false, stamp(), c);
    EXPECT_FALSE(res.expanded);
    EXPECT_EQ(res.minutes, 0);
    EXPECT_EQ(stored.text("KodHelp"), QString("301"));
    EXPECT_EQ(stored.text("Help"), QString("Caries media"));
    EXPECT_EQ(stored.text("TextHelp"), QString("Обт.амалгама"));
    EXPECT_EQ(stored.value("Cena").toDouble(), 21.13);
    EXPECT_EQ(stored.value("Times").toInt(), 26);
    EXPECT_EQ(stored.text("ListID"), QString("000042"));
    EXPECT_EQ(stored.value("ZK").toInt(), 1);

    // A new row with a code of the doctor's own: typed texts, no price, no minutes.
    db::Row typed = helpRow({{"KodHelp", "302"}, {"Help", "Caries media"}, {"TextHelp", "Обт.свет.композит"}});
    res = ApplySave(typed, true, stamp(), c);
    EXPECT_FALSE(res.expanded);
    EXPECT_EQ(typed.text("KodHelp"), QString("302"));
    EXPECT_EQ(typed.text("Help"), QString("Caries media"));
    EXPECT_EQ(typed.text("TextHelp"), QString("Обт.свет.композит"));
    EXPECT_FALSE(typed.value("Cena").isNull());
    EXPECT_EQ(typed.value("Cena").toDouble(), 0.0);
    EXPECT_EQ(typed.value("Times").toInt(), 0);
    EXPECT_EQ(typed.text("KodMedic"), QString("220001"));
}

TEST_F(Save, AShortcutWithoutAFundRowCostsNothing)
{
    c.exec("DELETE FROM CenyZK WHERE Kod = '509'");
    c.exec("UPDATE CenyZK SET Times = NULL, CenaNad = NULL WHERE Kod = '101'");
    db::Row r = helpRow({{"KodHelp", "59"}});
    SaveResult res = ApplySave(r, true, stamp(), c);
    EXPECT_TRUE(res.expanded);
    EXPECT_EQ(res.minutes, 0);
    EXPECT_EQ(r.text("KodHelp"), QString("509"));
    EXPECT_EQ(r.value("Cena").toDouble(), 0.0);
    db::Row exam = helpRow({{"KodHelp", "1"}});
    res = ApplySave(exam, true, stamp(), c);
    EXPECT_EQ(res.minutes, 0);
    EXPECT_EQ(exam.value("Cena").toDouble(), 0.0);
}

class SheetNumber : public ::testing::Test {
protected:
    TestFolder folder;
    void row(const QString& doctor, const QDate& d, const QString& listId)
    {
        addHelp({kAdult, d, "101", doctor, listId});
    }
};

TEST_F(SheetNumber, OnePastTheDoctorsHighestNumberThisYear)
{
    struct Case {
        const char* what;
        QList<std::tuple<QString, QDate, QString>> rows;
        QString next;
    };
    const QDate y(2026, 5, 5);
    const Case cases[] = {
        {"no rows: the first sheet", {}, "000001"},
        {"41 gives 42", {{"220001", y, "000041"}, {"220001", y, "000007"}}, "000042"},
        {"other doctors do not count", {{"220001", y, "000041"}, {"220002", y, "000300"}}, "000042"},
        {"last year does not count", {{"220001", y, "000041"}, {"220001", QDate(2025, 12, 31), "000300"}}, "000042"},
        {"next year does not count", {{"220001", y, "000041"}, {"220001", QDate(2027, 1, 1), "000300"}}, "000042"},
        {"the year's ends count", {{"220001", QDate(2026, 1, 1), "000050"}, {"220001", QDate(2026, 12, 31), "000051"}}, "000052"},
        {"a new year starts at one", {{"220001", QDate(2025, 6, 1), "000977"}}, "000001"},
        {"a number typed without zeros", {{"220001", y, "000041"}, {"220001", y, "5"}}, "000042"},
        {"a number typed without zeros that is highest", {{"220001", y, "000041"}, {"220001", y, "57"}}, "000058"},
        {"texts that are no number are passed over", {{"220001", y, "000041"}, {"220001", y, "абв"}, {"220001", y, "4a"}, {"220001", y, "-50"}, {"220001", y, "9.5"}}, "000042"},
        {"blanks around a number", {{"220001", y, " 000043 "}}, "000044"},
        {"rows without a number or a date", {{"220001", y, ""}, {"220001", QDate(), "000099"}}, "000001"},
        {"past six digits", {{"220001", y, "999999"}}, "1000000"},
        {"leading zeros count for nothing", {{"220001", y, "0000000000000000000000123"}}, "000124"},
        {"past nine digits is no sheet number", {{"220001", y, "000007"}, {"220001", y, "12345678901"}}, "000008"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        db::Connection::main().exec("DELETE FROM Help");
        for (const auto& [doctor, d, id] : k.rows)
            row(doctor, d, id);
        EXPECT_EQ(NextSheetNumber("220001", 2026), k.next);
    }
    // The doctor's code is a value, whatever it holds.
    db::Connection::main().exec("DELETE FROM Help");
    row("22'0 1", QDate(2026, 2, 2), "000005");
    row("220001", QDate(2026, 2, 2), "000009");
    EXPECT_EQ(NextSheetNumber("22'0 1", 2026), QString("000006"));
    EXPECT_EQ(NextSheetNumber("' OR ''='", 2026), QString("000001"));
}

#include "fixtures.h"
#include "report/dataenvironment.h"
#include "report/report.h"
#include "support/program_folder.h"

#include <QDate>
#include <QSqlDatabase>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::TestFolder;

namespace {

class DataEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataEnvironment1::instance().restoreDesignTexts();
        db::Connection c = db::Connection::main();
        const QStringList f = {"EGN", "Data", "KodHelp", "TextHelp"};
        c.insert("Help", f, {"7001011234", QDate(2010, 3, 2), "301", "Обт.амалгама"});
        c.insert("Help", f, {"8002022345", QDate(2010, 3, 1), "101", "Преглед"});
        c.insert("Help", f, {"7001011234", QDate(2010, 3, 1), "508", "Екстракция"});
        c.insert("Help", f, {"7001011234", QDate(2010, 3, 1), "101", "Преглед"});
        c.insert("TempKarton", {"KodHelp"}, {"5  0  8"});
        c.insert("TempKarton", {"KodHelp"}, {"1  0  1"});
    }
    void TearDown() override { DataEnvironment1::instance().restoreDesignTexts(); }

    static QStringList codes(const db::Rows& rows)
    {
        QStringList out;
        for (const db::Row& r : rows)
            out << r.text("KodHelp");
        return out;
    }

    TestFolder folder;
};

const QString kPatientRows = "SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID";

// A card that re-targets comPac in its start, as the dental cards do.
class Card : public report::Report {
public:
    explicit Card(QString egn)
        : Report(report_fixtures::layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
              {"type": "textBox", "name": "Text5", "rect": [0, 0, 900, 255], "field": "KodHelp"}]})",
                                         R"("dataMember": "comPac")")),
          egn_(std::move(egn))
    {
    }
    QStringList log;

protected:
    void initialize() override
    {
        log << "Initialize";
        DataEnvironment1::instance().setCommandText(2, kPatientRows, {egn_});
    }
    void terminate() override { log << "Terminate"; }

private:
    QString egn_;
};

} // namespace

TEST_F(DataEnvironmentTest, CommandsInTheirStoredOrder)
{
    DataEnvironment1& de = DataEnvironment1::instance();
    ASSERT_EQ(de.count(), 7);
    const QStringList names = {"comGraf", "comPac", "comDataB", "comMany", "comMat", "comKarton", "comWork"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(de.command(i + 1).name, names[i]);
        EXPECT_EQ(de.position(names[i]), i + 1);
    }
    EXPECT_EQ(&de.command("COMPAC"), &de.command(2));
    // The texts stand as designed; the table order is applied when they run.
    EXPECT_EQ(de.command(1).text, "SELECT * FROM Grafic");
    EXPECT_EQ(de.command(2).text, "SELECT * FROM Help");
    EXPECT_EQ(de.command(3).text, "SELECT * FROM Pacients");
    EXPECT_EQ(de.command("comKarton").text, "SELECT * FROM TempKarton");
    EXPECT_THROW(de.command(0), std::out_of_range);
    EXPECT_THROW(de.command(8), std::out_of_range);
    EXPECT_THROW(de.command("comNone"), std::out_of_range);
    EXPECT_EQ(de.position("comNone"), 0);
    // The design texts read their tables in table order.
    EXPECT_EQ(codes(de.rows("comPac")), QStringList({"301", "101", "508", "101"}));
    EXPECT_EQ(codes(de.rows(6)), QStringList({"5  0  8", "1  0  1"}));
}

TEST_F(DataEnvironmentTest, ReTargetingWithBoundValues)
{
    DataEnvironment1& de = DataEnvironment1::instance();
    de.setCommandText(2, kPatientRows, {"7001011234"});
    EXPECT_EQ(codes(de.rows(2)), QStringList({"101", "508", "301"}));
    // The text stays in force and is read afresh each time.
    db::Connection::main().insert("Help", {"EGN", "Data", "KodHelp"}, {"7001011234", QDate(2010, 3, 3), "509"});
    EXPECT_EQ(codes(de.rows("comPac")), QStringList({"101", "508", "301", "509"}));
    // A text with no order of its own reads the table in table order, even
    // where the engine would walk an index: by EGN, the rows by date would come first.
    de.setCommandText(2, "SELECT * FROM Help WHERE EGN = ?", {"7001011234"});
    EXPECT_EQ(codes(de.rows(2)), QStringList({"301", "508", "101", "509"}));
    de.setCommandText(2, "SELECT * FROM Help WHERE Data >= ?", {QDate(2010, 3, 1)});
    EXPECT_EQ(codes(de.rows(2)), QStringList({"301", "101", "508", "101", "509"}));
    // Its own order, or one that table order cannot follow, stays as written.
    de.setCommandText(2, "SELECT * FROM Help WHERE EGN = ? order  by KodHelp DESC, RecID", {"7001011234"});
    EXPECT_EQ(codes(de.rows(2)), QStringList({"509", "508", "301", "101"}));
    de.setCommandText(2, "SELECT KodHelp, Count(*) AS N FROM Help GROUP BY KodHelp ORDER BY KodHelp");
    EXPECT_EQ(codes(de.rows(2)), QStringList({"101", "301", "508", "509"}));
    de.setCommandText(2, "SELECT h.KodHelp FROM Help h JOIN Help g ON g.RecID = h.RecID WHERE h.KodHelp = '508'");
    EXPECT_EQ(codes(de.rows(2)), QStringList({"508"}));
    de.setCommandText(2, "SELECT * FROM Help WHERE TextHelp = 'x ORDER BY Data'");
    EXPECT_TRUE(de.rows(2).isEmpty());
    // A value is a value, never SQL.
    de.setCommandText("comPac", kPatientRows, {"' OR '1'='1"});
    EXPECT_TRUE(de.rows(2).isEmpty());
    // No connection stays open after the rows are read.
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());
}

TEST_F(DataEnvironmentTest, CommandsThatCannotRunAreErrors)
{
    DataEnvironment1& de = DataEnvironment1::instance();
    EXPECT_THROW(de.rows("comMany"), db::DbError);   // designed without a text
    de.setCommandText(2, kPatientRows);               // a placeholder without its value
    EXPECT_THROW(de.rows(2), db::DbError);
    de.setCommandText(2, "SELECT * FROM Help WHERE KodHelp = '?'", {"101"});   // a ? inside a text is no placeholder
    EXPECT_THROW(de.rows(2), db::DbError);
    de.setCommandText(2, "SELECT * FROM Nowhere");
    EXPECT_THROW(de.rows(2), db::DbError);
}

TEST_F(DataEnvironmentTest, TwoOpenCardsNeverShareRows)
{
    Card first("7001011234");
    first.start();
    Card second("8002022345");
    second.start();   // re-targets the shared command while the first is open
    EXPECT_EQ(codes(first.rows()), QStringList({"101", "508", "301"}));
    EXPECT_EQ(codes(second.rows()), QStringList({"101"}));
    const auto firstCells = report_fixtures::texts(first.rendered().of("Text5"));
    ASSERT_EQ(firstCells.size(), 3);
    EXPECT_EQ(firstCells[2].text, "301");
    EXPECT_EQ(second.rendered().of("Text5").size(), 1);
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty());   // open reports hold no connection
}

TEST_F(DataEnvironmentTest, InitializeBeforeTheRowsAndTerminateOnce)
{
    Card card("7001011234");
    card.end();                        // nothing to end before the start
    EXPECT_TRUE(card.log.isEmpty());
    card.start();
    card.start();
    EXPECT_EQ(card.log, QStringList({"Initialize"}));
    EXPECT_EQ(card.rows().size(), 3);  // the rows of the text set in Initialize
    card.end();
    card.end();
    EXPECT_EQ(card.log, QStringList({"Initialize", "Terminate"}));
}

TEST_F(DataEnvironmentTest, DatesReadFromTheDatabasePrintAsDDMMYYYY)
{
    report::Report card(report_fixtures::layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
        {"type": "textBox", "name": "Text1", "rect": [0, 0, 1335, 255], "field": "Data"},
        {"type": "textBox", "name": "Text2", "rect": [1500, 0, 900, 255], "field": "KodHelp"}]})",
                                                R"("dataMember": "comPac")"));
    card.start();
    ASSERT_EQ(card.rows().size(), 4);
    EXPECT_EQ(card.rows()[1].value("Data").typeId(), QMetaType::QString);   // stored as text
    QStringList dates;
    for (const auto& i : report_fixtures::texts(card.rendered().of("Text1")))
        dates << i.text;
    EXPECT_EQ(dates, QStringList({"02.03.2010", "01.03.2010", "01.03.2010", "01.03.2010"}));
}

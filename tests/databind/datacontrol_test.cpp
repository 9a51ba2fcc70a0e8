#include "databind/datacontrol.h"
#include "db/database.h"
#include "support/plain_texts.h"
#include "support/program_folder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <functional>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::TestFolder;

namespace {
void addDoctor(const QString& name, const QString& code)
{
    db::Connection c = db::Connection::main();
    c.insert("Medic", {"Names", "KodMedic", "Password"}, {name, code, "секрет1"});
}
int doctorCount()
{
    return db::Connection::main().scalar("SELECT COUNT(*) FROM Medic").toInt();
}
}

TEST(DataControl, ShowsRowsInTableOrderAndWritesEditsOnMove)
{
    TestFolder folder;
    addDoctor("Първи", "1");
    addDoctor("Втори", "2");
    DataControl data;
    QLineEdit name, code;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.bind(&code, "KodMedic");
    int repositions = 0;
    QObject::connect(&data, &DataControl::reposition, [&] { ++repositions; });
    data.refresh();
    EXPECT_EQ(data.recordCount(), 2);
    EXPECT_EQ(name.text(), QString("Първи"));
    EXPECT_EQ(repositions, 1);

    name.setText("Първи Поправен");
    EXPECT_TRUE(data.isDirty());
    ASSERT_TRUE(data.moveNext());
    EXPECT_EQ(name.text(), QString("Втори"));
    EXPECT_EQ(data.absolutePosition(), 1);
    EXPECT_FALSE(data.moveNext());   // stays on the last row
    const db::Row first = db::Connection::main().first("SELECT * FROM Medic ORDER BY RecID");
    EXPECT_EQ(first.text("Names"), QString("Първи Поправен"));
}

TEST(DataControl, ValidateCanCancelTheMoveOrDropTheEdits)
{
    TestFolder folder;
    addDoctor("Първи", "1");
    addDoctor("Втори", "2");
    DataControl data;
    QLineEdit name;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.refresh();

    int mode = 0;   // 0 cancel, 1 drop edits
    QObject::connect(&data, &DataControl::validate, [&](int& action, bool& save) {
        EXPECT_EQ(action, DataControl::Next);
        if (mode == 0)
            action = DataControl::Cancel;
        else
            save = false;
    });
    name.setText("Променен");
    EXPECT_FALSE(data.moveNext());
    EXPECT_EQ(data.absolutePosition(), 0);
    EXPECT_EQ(name.text(), QString("Променен"));
    mode = 1;
    EXPECT_TRUE(data.moveNext());
    EXPECT_EQ(db::Connection::main().first("SELECT * FROM Medic ORDER BY RecID").text("Names"), QString("Първи"));
}

TEST(DataControl, NewRowIsStoredOnlyWhenWrittenAndEmptyTextIsNull)
{
    TestFolder folder;
    DataControl data;
    QLineEdit name, code, egn;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.bind(&code, "KodMedic");
    data.bind(&egn, "EGN");
    data.refresh();
    EXPECT_FALSE(data.hasCurrent());
    data.addNew();
    EXPECT_TRUE(data.isNewRow());
    EXPECT_EQ(doctorCount(), 0);
    name.setText("Нов");
    code.setText("7");
    data.updateRecord();
    EXPECT_FALSE(data.isNewRow());
    EXPECT_EQ(doctorCount(), 1);
    const db::Row r = db::Connection::main().first("SELECT * FROM Medic");
    EXPECT_TRUE(r.value("EGN").isNull());
    EXPECT_EQ(data.field("RecID").toLongLong(), r.value("RecID").toLongLong());
    // a second write updates the same row
    code.setText("8");
    data.updateRecord();
    EXPECT_EQ(doctorCount(), 1);
    EXPECT_EQ(db::Connection::main().first("SELECT * FROM Medic").text("KodMedic"), QString("8"));
}

TEST(DataControl, FailedWriteKeepsWhatWasTypedAndStoresNothing)
{
    TestFolder folder;
    DataControl data;
    QLineEdit name, code;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.bind(&code, "KodMedic");
    data.refresh();
    data.addNew();
    name.setText("Без код");   // KodMedic is required
    EXPECT_THROW(data.updateRecord(), db::DbError);
    EXPECT_TRUE(data.isNewRow());
    EXPECT_EQ(name.text(), QString("Без код"));
    EXPECT_EQ(doctorCount(), 0);
    EXPECT_TRUE(data.isDirty());   // the unstored edits are not forgotten

    // the error event may take the error over
    QString reported;
    QObject::connect(&data, &DataControl::error, [&](const QString& text, int& response) {
        reported = text;
        response = 0;
    });
    data.addNew();   // leaving the unsaved row tries to write it
    EXPECT_FALSE(reported.isEmpty());
    EXPECT_EQ(doctorCount(), 0);
}

TEST(DataControl, DeleteMovesToTheNextRow)
{
    TestFolder folder;
    addDoctor("А", "1");
    addDoctor("Б", "2");
    addDoctor("В", "3");
    DataControl data;
    QLineEdit name;
    data.setRecordSource("Medic", "WHERE KodMedic <> ?", {"9"});
    data.bind(&name, "Names");
    data.refresh();
    data.moveNext();
    data.deleteCurrent();
    EXPECT_EQ(name.text(), QString("В"));
    EXPECT_EQ(doctorCount(), 2);
    data.deleteCurrent();
    EXPECT_EQ(name.text(), QString("А"));
    data.deleteCurrent();
    EXPECT_FALSE(data.hasCurrent());
    EXPECT_EQ(name.text(), QString());
    EXPECT_EQ(doctorCount(), 0);
}

TEST(DataControl, DatesAndYesNoFields)
{
    TestFolder folder;
    db::Connection::main().insert("Help", {"EGN", "Data", "ZK"}, {"7501020018", QDate(2026, 3, 5), 1});
    DataControl data;
    QLineEdit date;
    QCheckBox zk;
    data.setRecordSource("Help", "WHERE EGN = ?", {"7501020018"});
    data.bind(&date, "Data", DataControl::Format::Date);
    data.bind(&zk, "ZK");
    data.refresh();
    EXPECT_EQ(date.text(), QString("05.03.2026"));
    EXPECT_TRUE(zk.isChecked());
    date.setText("06.03.2026");
    zk.setChecked(false);
    data.updateRecord();
    const db::Row r = db::Connection::main().first("SELECT * FROM Help");
    EXPECT_EQ(r.text("Data"), QString("2026-03-06"));
    EXPECT_FALSE(r.yes("ZK"));
    date.setText("31.02.2026");
    EXPECT_THROW(data.updateRecord(), db::DbError);
    EXPECT_EQ(db::Connection::main().first("SELECT * FROM Help").text("Data"), QString("2026-03-06"));
}

TEST(DataControl, ARowDeletedMeanwhileIsNotReportedAsSaved)
{
    TestFolder folder;
    addDoctor("Първи", "1");
    addDoctor("Втори", "2");
    DataControl data;
    QLineEdit name;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.refresh();
    db::Connection::main().exec("DELETE FROM Medic WHERE KodMedic = ?", {"1"});
    name.setText("Променен");
    EXPECT_THROW(data.updateRecord(), db::DbError);
    EXPECT_TRUE(data.isDirty());
    EXPECT_THROW(data.deleteCurrent(), db::DbError);
    EXPECT_EQ(doctorCount(), 1);
}

TEST(DataControl, DeleteAtTheEndStepsBackOrLeavesNoCurrentRow)
{
    using After = DataControl::AfterDelete;
    struct Case {
        int rows;
        int deleteAt;   // -1: nothing current
        After after;
        int position;   // afterwards; -1 none
        QString shown;
        bool deleted;
    };
    const Case cases[] = {
        {3, 1, After::StepBack, 1, "В", true},
        {3, 1, After::NoStepBack, 1, "В", true},
        {3, 2, After::StepBack, 1, "Б", true},
        {3, 2, After::NoStepBack, -1, "", true},
        {1, 0, After::StepBack, -1, "", true},
        {1, 0, After::NoStepBack, -1, "", true},
        {0, -1, After::StepBack, -1, "", false},
        {0, -1, After::NoStepBack, -1, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, delete at " << c.deleteAt << ", step back "
                                        << (c.after == After::StepBack));
        TestFolder folder;
        const QStringList names{"А", "Б", "В"};
        for (int i = 0; i < c.rows; ++i)
            addDoctor(names[i], QString::number(i + 1));
        DataControl data;
        QLineEdit name;
        data.setRecordSource("Medic");
        data.bind(&name, "Names");
        data.refresh();
        if (c.deleteAt >= 0) {
            ASSERT_TRUE(data.moveTo(c.deleteAt));
        }
        int repositions = 0;
        QObject::connect(&data, &DataControl::reposition, [&] { ++repositions; });
        EXPECT_EQ(data.deleteCurrent(c.after), c.deleted);
        EXPECT_EQ(doctorCount(), c.rows - (c.deleted ? 1 : 0));
        EXPECT_EQ(data.absolutePosition(), c.position);
        EXPECT_EQ(data.hasCurrent(), c.position >= 0);
        EXPECT_EQ(name.text(), c.shown);
        EXPECT_EQ(repositions, c.deleted ? 1 : 0);
        if (c.position < 0) {
            EXPECT_TRUE(data.eof());
            // nothing current: a second delete does nothing
            EXPECT_FALSE(data.deleteCurrent(c.after));
            EXPECT_EQ(doctorCount(), c.rows - (c.deleted ? 1 : 0));
        }
    }
}

TEST(DataControl, PastTheLastRowPreviousComesBackAndAddNewAppends)
{
    TestFolder folder;
    addDoctor("А", "1");
    addDoctor("Б", "2");
    DataControl data;
    QLineEdit name, code;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.bind(&code, "KodMedic");
    data.refresh();
    name.setText("А поправен");
    ASSERT_TRUE(data.movePastLast());   // leaving writes the edit
    EXPECT_FALSE(data.hasCurrent());
    EXPECT_EQ(data.absolutePosition(), -1);
    EXPECT_EQ(name.text(), QString());
    EXPECT_EQ(db::Connection::main().scalar("SELECT Names FROM Medic WHERE KodMedic = '1'").toString(),
              QString("А поправен"));
    EXPECT_FALSE(data.moveNext());
    ASSERT_TRUE(data.movePrevious());
    EXPECT_EQ(name.text(), QString("Б"));
    ASSERT_TRUE(data.movePastLast());
    ASSERT_TRUE(data.addNew());
    EXPECT_EQ(data.absolutePosition(), 2);
    EXPECT_TRUE(data.isNewRow());
}

TEST(DataControl, DroppedEditsShowTheStoredRowAgain)
{
    TestFolder folder;
    addDoctor("Първи", "1");
    addDoctor("Втори", "2");
    DataControl data;
    QLineEdit name;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.refresh();
    QObject::connect(&data, &DataControl::validate, [](int&, bool& save) { save = false; });
    data.setField("Names", "Никога записан");
    ASSERT_TRUE(data.moveNext());
    EXPECT_EQ(data.rows()[0].text("Names"), QString("Първи"));
    ASSERT_TRUE(data.movePrevious());
    EXPECT_EQ(name.text(), QString("Първи"));
    EXPECT_FALSE(data.isDirty());
}

TEST(DataControl, PricesAreTypedWithCommaOrPointAndBadOnesWriteNothing)
{
    TestFolder folder;
    db::Connection::main().insert("Ceny", {"KodHelp", "TextHelp", "CenaHelp"}, {"1", "Преглед", 21.13});
    DataControl data;
    QLineEdit price, name;
    QLabel shown;
    data.setRecordSource("Ceny");
    data.bind(&name, "TextHelp");
    data.bind(&price, "CenaHelp", DataControl::Format::Money);
    data.bind(&shown, "CenaHelp", DataControl::Format::Money);
    data.refresh();
    const QString point = QLocale().decimalPoint();
    EXPECT_EQ(price.text(), "21" + point + "13");
    EXPECT_EQ(shown.text(), "21" + point + "13");
    EXPECT_FALSE(data.isDirty());
    const auto stored = [] { return db::Connection::main().scalar("SELECT CenaHelp FROM Ceny"); };
    struct Case {
        QString typed;
        QVariant stored;   // invalid: refused
    };
    const Case cases[] = {
        {"12,50", 12.5}, {"12.5", 12.5}, {" 7 ", 7.0}, {"0,005", 0.005},
        {"", QVariant()}, {"12,5 лв", QVariant()}, {"1.2.3", QVariant()}, {"abc", QVariant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        db::Connection::main().exec("UPDATE Ceny SET CenaHelp = 21.13, TextHelp = 'Преглед'");
        data.refresh();
        name.setText("Преглед 2");
        price.setText(c.typed);
        if (!c.stored.isValid() && !c.typed.isEmpty()) {
            EXPECT_THROW(data.updateRecord(), db::DbError);
            EXPECT_DOUBLE_EQ(stored().toDouble(), 21.13);
            // the other typed box is not written either
            EXPECT_EQ(db::Connection::main().scalar("SELECT TextHelp FROM Ceny").toString(), QString("Преглед"));
            EXPECT_EQ(price.text(), c.typed);
            continue;
        }
        data.updateRecord();
        if (c.typed.isEmpty()) {
            EXPECT_TRUE(stored().isNull());
        } else {
            EXPECT_DOUBLE_EQ(stored().toDouble(), c.stored.toDouble());
        }
    }
}

TEST(DataControl, DeletingAnUnstoredNewRowOnlyDropsIt)
{
    for (auto after : {DataControl::AfterDelete::StepBack, DataControl::AfterDelete::NoStepBack}) {
        TestFolder folder;
        addDoctor("А", "1");
        DataControl data;
        QLineEdit name;
        data.setRecordSource("Medic");
        data.bind(&name, "Names");
        data.refresh();
        ASSERT_TRUE(data.addNew());
        name.setText("Недописан");
        EXPECT_TRUE(data.deleteCurrent(after));
        EXPECT_FALSE(data.isNewRow());
        EXPECT_EQ(data.recordCount(), 1);
        EXPECT_EQ(doctorCount(), 1);
        EXPECT_EQ(data.absolutePosition(), after == DataControl::AfterDelete::StepBack ? 0 : -1);
    }
}

TEST(DataControl, MovesFromANewRowThatValidateDropsLandWhereAsked)
{
    // Three stored rows and a new one after them, which Validate gives up.
    struct Case {
        const char* move;
        std::function<bool(DataControl&)> step;
        QString lands;
    };
    const Case cases[] = {
        {"first", [](DataControl& d) { return d.moveFirst(); }, "А"},
        {"previous", [](DataControl& d) { return d.movePrevious(); }, "В"},
        {"last", [](DataControl& d) { return d.moveLast(); }, "В"},
        {"to the second", [](DataControl& d) { return d.moveTo(1); }, "Б"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move);
        TestFolder folder;
        addDoctor("А", "1");
        addDoctor("Б", "2");
        addDoctor("В", "3");
        DataControl data;
        QLineEdit name;
        data.setRecordSource("Medic");
        data.bind(&name, "Names");
        data.refresh();
        QObject::connect(&data, &DataControl::validate, [](int&, bool& save) { save = false; });
        ASSERT_TRUE(data.addNew());
        ASSERT_TRUE(c.step(data));
        EXPECT_FALSE(data.isNewRow());
        EXPECT_EQ(data.recordCount(), 3);
        EXPECT_EQ(name.text(), c.lands);
        EXPECT_EQ(doctorCount(), 3);
    }
    // Stored on leaving, the new row stays and Previous goes to the row before it.
    TestFolder folder;
    addDoctor("А", "1");
    addDoctor("Б", "2");
    DataControl data;
    QLineEdit name, code;
    data.setRecordSource("Medic");
    data.bind(&name, "Names");
    data.bind(&code, "KodMedic");
    data.refresh();
    ASSERT_TRUE(data.addNew());
    name.setText("В");
    code.setText("3");
    ASSERT_TRUE(data.movePrevious());
    EXPECT_EQ(name.text(), QString("Б"));
    EXPECT_EQ(doctorCount(), 3);
}

TEST(DataControl, PointedAtAnotherTableItWritesThatTablesFields)
{
    TestFolder folder;
    addDoctor("А", "1");
    DataControl data;
    QLineEdit text;
    data.setRecordSource("Medic");
    data.refresh();
    data.setRecordSource("Ceny", "ORDER BY KodHelp");
    data.bind(&text, "TextHelp");
    data.refresh();
    ASSERT_TRUE(data.addNew());
    data.setField("KodHelp", "101");
    text.setText("Преглед");
    data.updateRecord();
    const db::Row r = db::Connection::main().first("SELECT * FROM Ceny");
    EXPECT_EQ(r.text("KodHelp"), QString("101"));
    EXPECT_EQ(r.text("TextHelp"), QString("Преглед"));
    EXPECT_EQ(doctorCount(), 1);
}

TEST(DataControl, ABoundLabelShowsTheStoredTextAsItStands)
{
    TestFolder folder;
    for (const auto& t : testing_support::markedUpTexts())
        db::Connection::main().insert("Ceny", {"KodHelp", "FullHelp"}, {t.what, t.stored});
    DataControl data;
    QLabel full;   // as a window's designer makes it: text read as markup when it looks so
    full.setWordWrap(true);
    full.resize(320, 60);
    data.setRecordSource("Ceny");
    data.bind(&full, "FullHelp");
    data.refresh();
    for (const auto& t : testing_support::markedUpTexts()) {
        SCOPED_TRACE(t.what);
        ASSERT_TRUE(data.findFirst("KodHelp", QString(t.what)));
        EXPECT_TRUE(testing_support::drawsAsPlain(&full, t.shown));
    }
}

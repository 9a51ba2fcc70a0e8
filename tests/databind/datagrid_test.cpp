#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "db/database.h"
#include "db/values.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;
using Format = DataControl::Format;

namespace {

const QString kEgn = "7501020018";

// Types text key by key; Cyrillic letters as keys that carry their text.
void keyText(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// A window like the treatment form: a grid over a patient's treatments, a
// check box bound to the current row's fund flag and a default button.
class Grid : public ::testing::Test {
protected:
    enum Col { Vid, Data, Help, KodZab, TextHelp, KodHelp, ZK, Cena };

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        grid = new DataGrid(&window);
        grid->addColumn("Вид", "Vid");
        grid->addColumn("Дата", "Data", Format::Date, 1200);
        grid->addColumn("Диагноза, статус", "Help", Format::Text, 2400);
        grid->addColumn("Код зъб", "KodZab");
        grid->addColumn("Лечение", "TextHelp", Format::Text, 2000);
        grid->addColumn("Код дейн.", "KodHelp");
        grid->addColumn("Здр. каса", "ZK", Format::YesNo, 1100);
        grid->addColumn("Цена", "Cena", Format::Money);
        check = new QCheckBox("Печат за РЗОК", &window);
        plainBox = new QLineEdit(&window);
        closeButton = new QPushButton("Затвори", &window);
        closeButton->setDefault(true);
        layout->addWidget(grid);
        layout->addWidget(check);
        layout->addWidget(plainBox);
        layout->addWidget(closeButton);
        QObject::connect(closeButton, &QPushButton::clicked, [this] { ++closeClicks; });
        data = new DataControl(&window);
        data->bind(check, "ZK");
        QObject::connect(grid, &DataGrid::keyPress, [this](int& key) { keys << key; });
        window.resize(900, 320);
    }

    void addRow(const QDate& date, const QString& kod, const QString& zab, int zk = 1, const QVariant& price = 6.44)
    {
        db::Connection::main().insert("Help", {"EGN", "Data", "KodHelp", "KodZab", "ZK", "Cena"},
                                      {kEgn, date, kod, zab, zk, price});
    }

    void open(bool addLine = true)
    {
        data->setRecordSource("Help", "WHERE EGN = ? ORDER BY Data, KodHelp, RecID", {kEgn});
        data->refresh();
        grid->setAllowAddNew(addLine);
        grid->setDataControl(data);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
    }

    static db::Rows stored()
    {
        return db::Connection::main().query("SELECT * FROM Help ORDER BY Data, KodHelp, RecID");
    }

    QModelIndex cell(int row, int col) const { return grid->model()->index(row, col); }

    // The cell being edited.
    QLineEdit* editor() const
    {
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (!e->isHidden())
                return e;
        return nullptr;
    }

    // Opens a cell of the current row and types into it, as a user would.
    QLineEdit* type(int col, const QString& text)
    {
        if (!grid->editCell(col))
            return nullptr;
        QLineEdit* e = editor();
        if (e) {
            e->selectAll();
            if (text.isEmpty())
                QTest::keyClick(e, Qt::Key_Delete);
            keyText(e, text);
        }
        return e;
    }

    void click(int row, int col)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell(row, col)).center());
    }

    TestFolder folder;
    QDialog window;
    DataGrid* grid = nullptr;
    DataControl* data = nullptr;
    QCheckBox* check = nullptr;
    QLineEdit* plainBox = nullptr;
    QPushButton* closeButton = nullptr;
    int closeClicks = 0;
    QList<int> keys;
};

TEST_F(Grid, ShowsTheRowsInTheirColumnsWithDatesPricesAndFlags)
{
    addRow(QDate(2026, 3, 5), "301", "26", 1, 21.13);
    addRow(QDate(2026, 3, 4), "101", "", 0, QVariant());
    open(false);
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->headerData(KodHelp, Qt::Horizontal).toString(), QString("Код дейн."));
    EXPECT_EQ(grid->columnWidth(Data), 1200 / 15);
    EXPECT_EQ(cell(0, Data).data().toString(), QString("04.03.2026"));
    EXPECT_EQ(cell(1, Data).data().toString(), QString("05.03.2026"));
    EXPECT_EQ(cell(1, KodZab).data().toString(), QString("26"));
    EXPECT_EQ(cell(0, Cena).data().toString(), QString());   // no price
    EXPECT_EQ(cell(1, Cena).data().toString(), "21" + QString(QLocale().decimalPoint()) + "13");
    EXPECT_EQ(cell(0, ZK).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(cell(1, ZK).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), QString("►"));
}

TEST_F(Grid, ALineBreakOfAStoredTextShowsAsABreakWhateverItsKind)
{
    // An older practice's texts break lines with a lone CR: shown, the two
    // lines do not run together; edited, the text is as stored.
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"ул. Шипка 5\rвх. А", "ул. Шипка 5\nвх. А"},
        {"ул. Шипка 5\r\nвх. А", "ул. Шипка 5\r\nвх. А"},
        {"ул. Шипка 5\nвх. А", "ул. Шипка 5\nвх. А"},
        {"Кв.  Лозенец", "Кв.  Лозенец"},
    };
    for (const auto& k : cases) {
        db::Connection::main().insert("Help", {"EGN", "Data", "KodHelp", "TextHelp"},
                                      {kEgn, QDate(2026, 3, 1), "301", QString::fromUtf8(k.stored)});
    }
    open(false);
    ASSERT_EQ(grid->model()->rowCount(), int(std::size(cases)));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        SCOPED_TRACE(cases[i].stored);
        EXPECT_EQ(cell(i, TextHelp).data(Qt::DisplayRole).toString(), QString::fromUtf8(cases[i].shown));
        EXPECT_EQ(cell(i, TextHelp).data(Qt::EditRole).toString(), QString::fromUtf8(cases[i].stored));
    }
}

TEST_F(Grid, TypingAndMovingWritesTheRightFieldOfTheRightRow)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    addRow(QDate(2026, 3, 2), "301", "12");
    addRow(QDate(2026, 3, 3), "508", "13");
    open();
    QList<int> actions;
    QObject::connect(data, &DataControl::validate, [&](int& action, bool&) { actions << action; });
    grid->setCurrentIndex(cell(1, KodZab));
    ASSERT_EQ(data->absolutePosition(), 1);
    QLineEdit* e = type(KodZab, "26");
    ASSERT_TRUE(e);
    EXPECT_EQ(grid->cellText(KodZab), QString("26"));
    // the arrow key goes from the cell to the grid: the row is left and written
    QTest::keyClick(e, Qt::Key_Down);
    EXPECT_EQ(data->absolutePosition(), 2);
    EXPECT_EQ(grid->currentIndex(), cell(2, KodZab));
    db::Rows rows = stored();
    EXPECT_EQ(rows[0].text("KodZab"), QString("11"));
    EXPECT_EQ(rows[1].text("KodZab"), QString("26"));
    EXPECT_EQ(rows[2].text("KodZab"), QString("13"));
    EXPECT_EQ(rows[1].text("KodHelp"), QString("301"));

    // a date typed as DD.MM.YYYY is stored as a date, after Tab and a click elsewhere
    e = type(Data, "07.03.2026");
    QTest::keyClick(e, Qt::Key_Tab);
    click(0, Vid);
    EXPECT_EQ(data->absolutePosition(), 0);
    rows = stored();
    EXPECT_EQ(rows[2].text("Data"), QString("2026-03-07"));
    EXPECT_EQ(rows[2].text("KodHelp"), QString("508"));
    EXPECT_EQ(actions, (QList<int>{DataControl::Bookmark, DataControl::Bookmark, DataControl::Bookmark}));

    // an unchanged cell opened and left makes nothing dirty
    grid->editCell(KodHelp);
    QTest::keyClick(editor(), Qt::Key_Tab);
    EXPECT_FALSE(data->isDirty());
}

TEST_F(Grid, ValidateCanKeepTheCursorOnTheRow)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    addRow(QDate(2026, 3, 2), "301", "12");
    open();
    QObject::connect(data, &DataControl::validate, [](int& action, bool&) { action = DataControl::Cancel; });
    QTest::keyClick(type(KodZab, "36"), Qt::Key_Return);
    click(1, Vid);
    EXPECT_EQ(data->absolutePosition(), 0);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(data->field("KodZab").toString(), QString("36"));   // kept, not stored
    EXPECT_EQ(stored()[0].text("KodZab"), QString("11"));
    EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), QString("✎"));
}

TEST_F(Grid, TextThatIsNoDateOrPriceIsRefusedWithAMessageAndNothingWritten)
{
    struct Case {
        int col;
        QString typed;
        QString message;
    };
    const Case cases[] = {
        {Data, "31.02.2026", "Невалидна дата"},
        {Data, "5.3.26", "Невалидна дата"},
        {Data, "вчера", "Невалидна дата"},
        {Cena, "12,5 лв", "Невалидна цена"},
        {Cena, "1.2.3", "Невалидна цена"},
    };
    addRow(QDate(2026, 3, 1), "101", "11", 1, 6.44);
    addRow(QDate(2026, 3, 2), "301", "12", 1, 21.13);
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QString seen, seenOnMove;
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen).click("InfDialog", "OKButton", &seenOnMove);
        QLineEdit* e = type(c.col, c.typed);
        ASSERT_TRUE(e);
        keys.clear();
        QTest::keyClick(e, Qt::Key_Return);
        EXPECT_TRUE(seen.startsWith(c.message)) << seen.toStdString();
        EXPECT_TRUE(seen.contains(c.typed));
        EXPECT_TRUE(keys.isEmpty());   // Enter reaches no handler with a refused cell
        ASSERT_TRUE(grid->isEditing());   // the text stays for correction
        EXPECT_EQ(editor()->text(), c.typed);
        // leaving the row is refused too, with the message
        click(1, Vid);
        EXPECT_TRUE(seenOnMove.startsWith(c.message));
        EXPECT_EQ(data->absolutePosition(), 0);
        // the control's own write is refused as well: nothing half written
        EXPECT_THROW(data->updateRecord(), db::DbError);
        EXPECT_TRUE(script.finished());
        QTest::keyClick(editor(), Qt::Key_Escape);
        EXPECT_FALSE(grid->isEditing());
        click(1, Vid);
        EXPECT_EQ(data->absolutePosition(), 1);
        const db::Rows rows = stored();
        EXPECT_EQ(rows[0].text("Data"), QString("2026-03-01"));
        EXPECT_DOUBLE_EQ(rows[0].value("Cena").toDouble(), 6.44);
        grid->setCurrentIndex(cell(0, Vid));
    }
    EXPECT_EQ(closeClicks, 0);
}

// The view commits a cell of its own accord (the stock delegate's Tab,
// Enter and focus handling, a move of the view's own): text it cannot
// write is said there too, and the cell stays open for correction.
TEST_F(Grid, TextTheViewCommitsThatIsRefusedIsSaidAndKeptInItsCell)
{
    struct Case {
        int col;
        int row;   // 0 the stored row, 1 the new-row line
        QString typed;
        QString message;
    };
    const Case cases[] = {
        {Data, 0, "31.11.2026", "Невалидна дата"},
        {Data, 1, "31.11.2026", "Невалидна дата"},
        {Cena, 0, "12,5 лв", "Невалидна цена"},
    };
    addRow(QDate(2026, 3, 1), "101", "11", 1, 6.44);
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + (c.row ? " on the new-row line" : " on a stored row"));
        grid->setCurrentIndex(cell(c.row, c.col));
        QString seen;
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        QLineEdit* e = type(c.col, c.typed);
        ASSERT_TRUE(e);
        QAbstractItemDelegate* delegate = grid->itemDelegate();
        Q_EMIT delegate->commitData(e);
        Q_EMIT delegate->closeEditor(e, QAbstractItemDelegate::EditNextItem);
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(seen.startsWith(c.message)) << seen.toStdString();
        EXPECT_TRUE(seen.contains(c.typed));
        ASSERT_TRUE(grid->isEditing());
        EXPECT_EQ(editor(), e);
        EXPECT_EQ(e->text(), c.typed);
        EXPECT_EQ(e->selectedText(), c.typed);   // ready to be typed over
        EXPECT_EQ(grid->currentIndex(), cell(c.row, c.col));
        // once corrected, the same commit writes it and closes the cell
        const QString good = c.col == Data ? "30.11.2026" : "12,50";
        e->setText(good);
        Q_EMIT delegate->commitData(e);
        Q_EMIT delegate->closeEditor(e, QAbstractItemDelegate::NoHint);
        EXPECT_FALSE(grid->isEditing());
        const Format f = c.col == Data ? Format::Date : Format::Money;
        EXPECT_EQ(grid->cellText(c.col), fieldText(fieldValue(good, f), f));
        data->refresh();   // nothing of it stored
    }
    EXPECT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0].text("Data"), QString("2026-03-01"));
}

// A grid taken down with a cell open and focused: the cell's box is let go
// before it is destroyed (under the sanitizers this read a half-destroyed
// QLineEdit), and nothing of it reaches the control.
TEST_F(Grid, AGridDestroyedWithACellOpenLetsTheCellGo)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    QLineEdit* e = type(KodZab, "26");
    ASSERT_TRUE(e);
    ASSERT_TRUE(e->hasFocus());
    QPointer<QLineEdit> box = e;
    delete grid;
    grid = nullptr;
    EXPECT_TRUE(box.isNull());
    EXPECT_FALSE(data->isDirty());
    data->updateRecord();
    EXPECT_EQ(stored()[0].text("KodZab"), QString("11"));
}

TEST_F(Grid, PricesAreShownWithTwoDecimalsAndTypedWithCommaOrPoint)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    addRow(QDate(2026, 3, 1), "101", "11", 1, 21.13);
    open(false);
    EXPECT_EQ(cell(0, Cena).data().toString(), QString("21,13"));
    struct Case {
        QString typed;
        double stored;
        QString shown;
    };
    const Case cases[] = {{"12,50", 12.5, "12,50"}, {"12.5", 12.5, "12,50"}, {"7", 7.0, "7,00"}, {"0,125", 0.125, "0,13"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QTest::keyClick(type(Cena, c.typed), Qt::Key_Return);
        data->updateRecord();
        EXPECT_DOUBLE_EQ(stored()[0].value("Cena").toDouble(), c.stored);
        EXPECT_EQ(cell(0, Cena).data().toString(), c.shown);
    }
    // an emptied price is no price
    QTest::keyClick(type(Cena, ""), Qt::Key_Return);
    data->updateRecord();
    EXPECT_TRUE(stored()[0].value("Cena").isNull());
    QLocale::setDefault(before);
}

TEST_F(Grid, YesNoCellsToggleOnClickAndSpace)
{
    addRow(QDate(2026, 3, 1), "101", "11", 1);
    addRow(QDate(2026, 3, 2), "301", "12", 0);
    open();
    int edits = 0;
    QObject::connect(grid, &DataGrid::cellEdited, [&] { ++edits; });
    EXPECT_TRUE(check->isChecked());
    click(0, ZK);
    EXPECT_EQ(data->field("ZK").toInt(), 0);
    EXPECT_FALSE(check->isChecked());   // the bound check box follows
    EXPECT_EQ(edits, 1);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(data->field("ZK").toInt(), 1);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(edits, 3);
    // one click on another row's box: the row is left (and written), then ticked
    click(1, ZK);
    EXPECT_EQ(data->absolutePosition(), 1);
    EXPECT_EQ(data->field("ZK").toInt(), 1);
    db::Rows rows = stored();
    EXPECT_EQ(rows[0].value("ZK").toInt(), 0);
    EXPECT_EQ(rows[1].value("ZK").toInt(), 0);   // not yet written
    data->updateRecord();
    EXPECT_EQ(stored()[1].value("ZK").toInt(), 1);
    // the new-row line has no box to tick
    click(2, ZK);
    EXPECT_FALSE(data->hasCurrent());
    EXPECT_EQ(data->recordCount(), 2);
}

TEST_F(Grid, ReadOnlyGridsAndColumnsRefuseEdits)
{
    struct Case {
        bool readOnlyGrid;
        int col;   // a read-only column when the grid is editable
    };
    for (const Case& c : {Case{true, KodZab}, Case{true, ZK}, Case{false, KodZab}, Case{false, ZK}}) {
        SCOPED_TRACE(testing::Message() << "read-only grid " << c.readOnlyGrid << ", column " << c.col);
        db::Connection::main().exec("DELETE FROM Help");
        addRow(QDate(2026, 3, 1), "101", "11", 1);
        addRow(QDate(2026, 3, 2), "301", "12", 1);
        grid->setReadOnly(c.readOnlyGrid);
        for (int i = 0; i < grid->columnCount(); ++i)
            grid->setColumnReadOnly(i, !c.readOnlyGrid && i == c.col);
        open(true);
        EXPECT_EQ(grid->model()->rowCount(), c.readOnlyGrid ? 2 : 3);   // no new-row line
        grid->setCurrentIndex(cell(0, c.col));
        EXPECT_FALSE(grid->editCell(c.col));
        QTest::keyClicks(grid, "99");
        click(0, c.col);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell(0, c.col)).center());
        EXPECT_FALSE(grid->isEditing());
        EXPECT_FALSE(grid->model()->setData(cell(0, c.col), "99"));
        EXPECT_FALSE(data->isDirty());
        EXPECT_EQ(data->field("KodZab").toString(), QString("11"));
        EXPECT_EQ(data->field("ZK").toInt(), 1);
        // it still moves the current row
        QTest::keyClick(grid, Qt::Key_Down);
        EXPECT_EQ(data->absolutePosition(), 1);
    }
}

TEST_F(Grid, ANewRowIsTypedIntoTheEmptyLastLine)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    Clock::setToday(QDate(2026, 3, 9));
    open();
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Vertical).toString(), QString("*"));
    // the window fills a new row's date, as the treatment form does
    QObject::connect(data, &DataControl::reposition, [this] {
        if (data->isNewRow())
            data->setField("Data", Clock::today());
    });
    QList<int> actions;
    QObject::connect(data, &DataControl::validate, [&](int& action, bool&) { actions << action; });

    // going to the line leaves the row: the edit in it is written
    QTest::keyClick(type(KodZab, "21"), Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(actions, QList<int>{DataControl::AddNew});
    EXPECT_FALSE(data->hasCurrent());
    EXPECT_EQ(stored()[0].text("KodZab"), QString("21"));
    // a cell opened there and left empty starts nothing
    grid->editCell(KodHelp);
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(data->recordCount(), 1);
    EXPECT_FALSE(data->isNewRow());

    QTest::keyClick(type(KodHelp, "30"), Qt::Key_Return);
    ASSERT_TRUE(data->isNewRow());
    EXPECT_EQ(data->absolutePosition(), 1);
    EXPECT_EQ(data->field("KodHelp").toString(), QString("30"));
    EXPECT_EQ(cell(1, Data).data().toString(), QString("09.03.2026"));
    EXPECT_EQ(grid->currentIndex(), cell(1, KodHelp));   // the cursor stays on the new row
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->headerData(2, Qt::Vertical).toString(), QString("*"));
    EXPECT_EQ(stored().size(), 1u);   // not stored before it is written
    EXPECT_EQ(keys.last(), 13);

    // more cells of the new row, then the window's save writes it
    QTest::keyClick(type(KodZab, "36"), Qt::Key_Tab);
    data->setField("EGN", kEgn);
    data->updateRecord();
    const db::Rows rows = stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].text("KodHelp"), QString("30"));
    EXPECT_EQ(rows[1].text("KodZab"), QString("36"));
    EXPECT_EQ(rows[1].text("Data"), QString("2026-03-09"));
    Clock::setToday(QDate());
}

TEST_F(Grid, ANewRowLeftUnsavedIsDroppedWhenTheWindowSaysSo)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    QObject::connect(data, &DataControl::validate, [this](int&, bool& save) {
        if (data->isNewRow())
            save = false;
    });
    click(1, KodHelp);
    QTest::keyClick(type(KodHelp, "59"), Qt::Key_Return);
    ASSERT_TRUE(data->isNewRow());
    ASSERT_EQ(grid->model()->rowCount(), 3);
    click(0, Vid);
    EXPECT_EQ(data->absolutePosition(), 0);
    EXPECT_EQ(data->recordCount(), 1);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(stored().size(), 1u);
    // going from the new row straight to the line drops it too
    click(1, KodHelp);
    QTest::keyClick(type(KodHelp, "59"), Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(data->recordCount(), 1);
    EXPECT_EQ(grid->currentIndex(), cell(1, KodHelp));
    EXPECT_FALSE(data->hasCurrent());
}

TEST_F(Grid, EscapeGivesUpANewRowNotYetStored)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    // A date typed on the line starts a row; Escape closes the cell, a
    // second Escape gives the row up, and nothing is stored on leaving.
    click(1, Data);
    QTest::keyClick(type(Data, "05.03.2026"), Qt::Key_Tab);
    ASSERT_TRUE(data->isNewRow());
    QTest::keyClick(type(KodZab, "3"), Qt::Key_Escape);
    EXPECT_TRUE(data->isNewRow());
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(data->isNewRow());
    EXPECT_FALSE(data->hasCurrent());
    EXPECT_EQ(data->recordCount(), 1);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->currentIndex(), cell(1, KodZab));   // on the line again
    // A cell opened on the new row and not changed: one Escape gives it up.
    QTest::keyClick(type(Data, "06.03.2026"), Qt::Key_Tab);
    ASSERT_TRUE(data->isNewRow());
    ASSERT_TRUE(grid->editCell(KodHelp));
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_FALSE(data->isNewRow());
    EXPECT_EQ(data->recordCount(), 1);
    EXPECT_EQ(grid->currentIndex(), cell(1, KodHelp));
    data->close();
    EXPECT_EQ(stored().size(), 1u);

    // On a stored row Escape leaves the row as it is, and the window it
    // stands in stays open.
    open();
    click(0, KodHelp);
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible()) << i;
    }
    ASSERT_TRUE(grid->editCell(KodHelp));
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(data->absolutePosition(), 0);
    EXPECT_EQ(data->recordCount(), 1);
    EXPECT_EQ(stored().size(), 1u);
}

TEST_F(Grid, EnterInTheGridGoesToTheWindowsHandlerNeverToTheDefaultButton)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    // what the handler finds when Enter arrives
    QString seenInRow;
    bool editingAtEnter = true;
    QObject::connect(grid, &DataGrid::keyPress, [&](int& key) {
        if (key == 13) {
            seenInRow = data->text("KodHelp");
            editingAtEnter = grid->isEditing();
        }
    });
    QLineEdit* e = type(KodHelp, "30");
    ASSERT_TRUE(e);
    keys.clear();
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(keys, QList<int>{13});
    EXPECT_EQ(seenInRow, QString("30"));
    EXPECT_FALSE(editingAtEnter);
    EXPECT_EQ(closeClicks, 0);
    EXPECT_TRUE(window.isVisible());

    // Enter on the keypad, and Enter with no cell being edited
    e = type(KodZab, "4");
    keys.clear();
    QTest::keyClick(e, Qt::Key_Enter);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(keys, (QList<int>{13, 13}));
    EXPECT_EQ(closeClicks, 0);

    // the same Enter in an ordinary box of the window presses its default button
    plainBox->setFocus();
    QTest::keyClick(plainBox, Qt::Key_Return);
    EXPECT_EQ(closeClicks, 1);
}

TEST_F(Grid, TypedCharactersReachTheHandlerWhichMayDropThem)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    // a handler that takes no blanks
    QObject::connect(grid, &DataGrid::keyPress, [](int& key) {
        if (key == ' ')
            key = 0;
    });
    int edits = 0;
    QObject::connect(grid, &DataGrid::cellEdited, [&] { ++edits; });
    grid->setCurrentIndex(cell(0, KodHelp));
    keys.clear();
    QTest::keyClick(grid, '3');   // the first character opens the cell
    ASSERT_TRUE(grid->isEditing());
    keyText(editor(), " 0");
    EXPECT_EQ(editor()->text(), QString("30"));
    EXPECT_EQ(keys, (QList<int>{'3', ' ', '0'}));
    EXPECT_EQ(edits, 2);
}

TEST_F(Grid, TheControlsWriteTakesACellStillBeingEdited)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    // a save by a button's shortcut: the focus stays in the cell
    type(KodZab, "26");
    EXPECT_TRUE(data->isDirty());
    data->updateRecord();
    EXPECT_EQ(stored()[0].text("KodZab"), QString("26"));
    EXPECT_FALSE(grid->isEditing());
    EXPECT_FALSE(data->isDirty());
    // on the new-row line the window commits the cell first
    grid->setCurrentIndex(cell(1, KodHelp));
    type(KodHelp, "1");
    ASSERT_TRUE(grid->commitEdit());
    ASSERT_TRUE(data->isNewRow());
    EXPECT_EQ(data->field("KodHelp").toString(), QString("1"));
    // a click on another control of the window hands the cell over too
    type(KodZab, "48");
    plainBox->setFocus();
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(data->field("KodZab").toString(), QString("48"));
    // but text that is refused stays in its cell, for the write to report
    grid->setFocus();
    type(Data, "32.01.2026");
    plainBox->setFocus();
    EXPECT_TRUE(grid->isEditing());
    EXPECT_THROW(data->updateRecord(), db::DbError);
    EXPECT_EQ(stored().size(), 1u);
}

TEST_F(Grid, TheSaveReadsAndReplacesTheCurrentCell)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    open();
    grid->setCurrentIndex(cell(0, KodHelp));
    type(KodHelp, " 30 ");
    EXPECT_EQ(grid->currentColumn(), int(KodHelp));
    EXPECT_EQ(grid->cellText(KodHelp), QString(" 30 "));
    grid->setCellText(KodHelp, "301");   // closes the cell: what was typed does not come back
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(data->field("KodHelp").toString(), QString("301"));
    EXPECT_EQ(cell(0, KodHelp).data().toString(), QString("301"));
    EXPECT_THROW(grid->setCellText(Data, "32.13.2026"), db::DbError);
    EXPECT_EQ(data->field("Data").toString(), QString("2026-03-01"));
    // a cell given up (before a delete) drops what was typed, even refused text
    type(KodZab, "32.13");
    type(Data, "32.13.2026");
    grid->cancelEdit();
    EXPECT_FALSE(grid->isEditing());
    EXPECT_EQ(data->field("Data").toString(), QString("2026-03-01"));
    EXPECT_EQ(data->field("KodZab").toString(), QString("32.13"));
    EXPECT_EQ(grid->cellText(Data), QString("01.03.2026"));
}

TEST_F(Grid, TheCursorFollowsTheControlsMovesAndDeletes)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    addRow(QDate(2026, 3, 2), "301", "12");
    addRow(QDate(2026, 3, 3), "508", "13");
    for (bool addLine : {true, false}) {
        SCOPED_TRACE(addLine);
        open(addLine);
        grid->setCurrentIndex(cell(0, KodZab));
        data->moveLast();
        EXPECT_EQ(grid->currentIndex(), cell(2, KodZab));
        data->deleteCurrent(DataControl::AfterDelete::StepBack);
        EXPECT_EQ(grid->currentIndex(), cell(1, KodZab));
        data->deleteCurrent(DataControl::AfterDelete::NoStepBack);
        EXPECT_FALSE(data->hasCurrent());
        // past the last row: the new-row line, or no cell at all
        EXPECT_EQ(grid->currentIndex(), addLine ? cell(1, KodZab) : QModelIndex());
        EXPECT_EQ(grid->model()->rowCount(), addLine ? 2 : 1);
        data->refresh();
        EXPECT_EQ(grid->currentIndex().row(), 0);
        db::Connection::main().exec("DELETE FROM Help");
        addRow(QDate(2026, 3, 1), "101", "11");
        addRow(QDate(2026, 3, 2), "301", "12");
        addRow(QDate(2026, 3, 3), "508", "13");
    }
}

TEST_F(Grid, ClicksAndCellMovesAreReported)
{
    addRow(QDate(2026, 3, 1), "101", "11");
    addRow(QDate(2026, 3, 2), "301", "12");
    open();
    int clicks = 0;
    QList<QPair<int, int>> cells;
    QObject::connect(grid, &DataGrid::gridClicked, [&] { ++clicks; });
    QObject::connect(grid, &DataGrid::currentCellChanged, [&](int r, int c) { cells << qMakePair(r, c); });
    click(1, KodHelp);
    click(1, Data);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(cells, (QList<QPair<int, int>>{{1, KodHelp}, {1, Data}}));
    // a second click on the current cell opens it for typing
    click(1, Data);
    EXPECT_TRUE(grid->isEditing());
}

TEST_F(Grid, RendersAsAGrid)
{
    addRow(QDate(2026, 3, 1), "101", "", 1, 6.44);
    addRow(QDate(2026, 3, 2), "301", "26", 0, 21.13);
    addRow(QDate(2026, 3, 2), "508", "47", 1, QVariant());
    db::Connection::main().exec("UPDATE Help SET Help = 'Caries profunda', TextHelp = 'Обт.амалгама', Vid = 'Л' "
                                "WHERE KodHelp = '301'");
    open();
    grid->setCurrentIndex(cell(1, KodHelp));
    const QImage img = window.grab().toImage();
    EXPECT_GT(img.width(), 600);
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        img.save(QDir(dir).filePath("datagrid.png"));
}

} // namespace

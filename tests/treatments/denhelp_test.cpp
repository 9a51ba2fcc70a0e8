// The treatment form driven as a doctor drives it: shortcuts typed into the
// grid, Enter, the buttons.

#include "fixtures.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "db/values.h"
#include "patients/kartonadd.h"
#include "patients/koregn.h"
#include "patients/patientsearch.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "support/second_copy.h"
#include "treatments/denhelp.h"
#include "treatments/headerline.h"
#include "services/plaintext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QWindow>
#include <gtest/gtest.h>

using namespace tav;
using namespace treatments_test;
using testing_support::TestFolder;

namespace {

enum Col { Vid, Data, Help, KodZab, TextHelp, KodHelp, ZK, ListID };

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void keyText(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

class Form : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clock::setToday(today);
        CurrentDoctorCode = "220001";
        MinutesLeftToday = 360;
        patients::prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        patients::prompts().ask = [this](const QString& text, QWidget*, const QString&) {
            messages << text;
            return answer;
        };
        DenHelp::vars() = {};
        SeekName::vars() = {};
        db::Connection c = db::Connection::main();
        c.insert("Pacients", {"EGN", "Names", "LKod", "ZBook", "Tawn", "UL", "BL", "AP", "TKod", "DTel", "MTel", "KrGr", "Nep"},
                 {egn, "Иван Петров Колев", "220001", "12345678", "Пловдив", "ул. Гладстон 12", "5", "7", "032",
                  "123456", "0888123456", "A", "Пеницилин"});
        c.insert("Dental", {"EGN", "Z1", "Z6", "Z24", "Z29", "Z36", "Z45"}, {egn, "*", "C", "O", "K", "E", "C"});
    }
    void TearDown() override
    {
        answer = true;
        delete DenHelp::instance();
        delete SeekName::instance();
        delete KartonAdd::instance();
        settle();
        patients::prompts() = {};
        DenHelp::setSheetOpener({});
        DenHelp::setCardOpener({});
        DenHelp::setReferralsOpener({});
        DenHelp::setScheduleOpener({});
        PatientSearchMode = 0;
    }

    DenHelp* open(const QString& who = {})
    {
        SeekName::vars().sFindEGN = who.isEmpty() ? egn : who;
        SeekName::vars().sFindName = "Иван Петров Колев          ";
        DenHelp::vars().sVidDen = "Edit";
        DenHelp* f = DenHelp::showShared();
        f->show();
        QApplication::setActiveWindow(f);
        EXPECT_TRUE(QTest::qWaitForWindowActive(f));
        f->grid()->setFocus();
        return f;
    }
    DataGrid* grid() { return DenHelp::instance()->grid(); }
    DataControl* data() { return DenHelp::instance()->data3(); }
    QPushButton* button(const char* name) { return DenHelp::instance()->button(name); }

    QLineEdit* editor()
    {
        for (QLineEdit* e : grid()->viewport()->findChildren<QLineEdit*>())
            if (!e->isHidden())
                return e;
        return nullptr;
    }
    // Opens a cell of the current row (or of the new-row line) and types.
    QLineEdit* type(int col, const QString& text)
    {
        if (!grid()->editCell(col))
            return nullptr;
        QLineEdit* e = editor();
        if (e) {
            e->selectAll();
            keyText(e, text);
        }
        return e;
    }
    // A shortcut typed on the new-row line and Enter.
    void enter(const QString& shortcut, const QString& tooth = {})
    {
        goToNewLine();
        if (!tooth.isEmpty())
            QTest::keyClick(type(KodZab, tooth), Qt::Key_Tab);
        QLineEdit* e = type(KodHelp, shortcut);
        ASSERT_NE(e, nullptr);
        QTest::keyClick(e, Qt::Key_Return);
    }
    void goToNewLine()
    {
        const QModelIndex line = grid()->model()->index(grid()->model()->rowCount() - 1, KodHelp);
        grid()->setCurrentIndex(line);
    }
    void click(int row, int col)
    {
        const QRect r = grid()->visualRect(grid()->model()->index(row, col));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
    }
    static db::Rows stored(const QString& who)
    {
        return db::Connection::main().query("SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID", {who});
    }

    TestFolder folder;
    const QDate today{2026, 4, 20};
    const QString egn = egnOf("750312123");
    QStringList messages;
    bool answer = true;
};

} // namespace

TEST_F(Form, OpensWithTheHeaderTheChartAndTheRows)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", false, "36", "Caries media", "Обт.амалгама"});
    addHelp({egn, QDate(2025, 5, 1), "101", "220002", "000007", false, "", "Преглед"});
    addHelp({egnOf("800101123"), today, "509", "220001", "000039"});
    DenHelp* f = open();
    EXPECT_EQ(f->windowTitle(), QString("Картон на Иван Петров Колев с ЕГН %1  ЗОК №12345678").arg(egn));
    EXPECT_EQ(f->addressLine()->text(), QString("Пловдив, ул. Гладстон 12, бл.5, ап.7"));
    EXPECT_EQ(f->phoneLine()->text(), QString("дом.032/123456, моб.0888123456"));
    EXPECT_EQ(f->findChild<QLabel*>("Label4_4")->text(), QString("A"));
    EXPECT_EQ(f->findChild<QLabel*>("Label4_6")->text(), QString("Пеницилин"));

    // The chart: milk 55 without status over 15, milk 61 with caries over 21.
    EXPECT_EQ(f->placeLabel(3)->text(), QString());
    EXPECT_EQ(f->placeLabel(8)->text(), QString("C"));
    EXPECT_EQ(f->placeLabel(15)->text(), QString("E"));
    EXPECT_EQ(f->placeLabel(24)->text(), QString("C"));
    EXPECT_FALSE(f->milkNumber(1)->isHidden());
    EXPECT_FALSE(f->milkNumber(6)->isHidden());
    EXPECT_EQ(f->milkNumber(6)->text(), QString("61"));
    for (int column : {2, 5, 11, 13, 14, 20})
        EXPECT_TRUE(f->milkNumber(column)->isHidden()) << column;

    // The grid: eight columns, the patient's rows of every doctor and year, by date.
    const QStringList captions = {"Вид", "Дата", "Диагноза, статус", "Код зъб", "Лечение", "Код дейн.", "Здр. каса", "№ амб.лист"};
    ASSERT_EQ(grid()->columnCount(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(grid()->columnCaption(i), captions[i]);
    ASSERT_EQ(data()->recordCount(), 2);
    EXPECT_EQ(grid()->model()->index(0, Data).data().toString(), QString("01.05.2025"));
    EXPECT_EQ(grid()->model()->index(1, KodHelp).data().toString(), QString("301"));
    EXPECT_EQ(grid()->model()->rowCount(), 3);   // and the new-row line

    // The public variables and the sheet number of this opening.
    EXPECT_EQ(DenHelp::vars().sEGN, egn);
    EXPECT_EQ(DenHelp::vars().sPacientName, QString("Иван "));
    EXPECT_EQ(DenHelp::vars().sListID, QString("000042"));

    // Captions, the buttons' states, the label of the minutes.
    EXPECT_EQ(f->findChild<QGroupBox*>("Frame1")->title(), QString("Данни за пациента"));
    EXPECT_EQ(f->findChild<QGroupBox*>("Frame3")->title(), QString("Столатологична помощ"));
    EXPECT_EQ(f->dueCheck()->text(), QString("Печат за РЗОК"));
    EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: 360 мин."));
    const std::pair<const char*, const char*> buttons[] = {
        {"cmdUpdate", "Запиши"}, {"cmdEdit", "Поправи"}, {"cmdDelete", "Изтрий"}, {"cmdPrint", "Печат"},
        {"cmdPrintData", "Печат данни..."}, {"cmdGrafic", "Преглед..."}, {"cmdParh", "Направления"}, {"cmdClose", "Затвори"}};
    for (const auto& [name, text] : buttons)
        EXPECT_EQ(button(name)->text(), QString::fromUtf8(text));
    EXPECT_FALSE(button("cmdUpdate")->isEnabled());
    EXPECT_FALSE(button("cmdDelete")->isEnabled());
    EXPECT_TRUE(f->closeIsDefault());
    const std::pair<const char*, const char*> legend[] = {
        {"Label3_3", "Легенда"}, {"Label3_4", "С Р G  R  O"}, {"Label3_5", "- - - - -"},
        {"Label3_6", "кариес     пулпит гангрена корен обтулация"}, {"Label3_0", "E K X Pa I,II, III"},
        {"Label3_1", "- - - - -"}, {"Label3_2", "липсв.зъб коронка изк.зъб парадонтоза подвижност на зъбите"},
        {"Label1_4", "18     17    16     15    14    13     12    11       21   22     23     24    25    26     27    28"},
        {"Label1_5", "48    47    46     45    44    43     42    41       31    32    33     34    35    36     37    38"}};
    for (const auto& [name, text] : legend)
        EXPECT_EQ(f->findChild<QLabel*>(name)->text(), QString::fromUtf8(text)) << name;
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
}

TEST_F(Form, APatientWithoutChartOrRows)
{
    db::Connection::main().exec("DELETE FROM Dental");
    DenHelp* f = open();
    for (int place = 0; place < 32; ++place)
        EXPECT_TRUE(f->placeLabel(place)->text().isEmpty());
    for (int column = 1; column <= 20; ++column)
        EXPECT_TRUE(f->milkNumber(column)->isHidden());
    EXPECT_EQ(data()->recordCount(), 0);
    EXPECT_EQ(DenHelp::vars().sListID, QString("000001"));
}

TEST_F(Form, APartThatCannotBeReadIsSaidAndTheRestIsShown)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041"});
    struct Case {
        const char* table;
        const char* message;   // the start of what is said
        int rows;              // the treatments shown
        int said;              // without the rows the sheet number cannot be counted either
    };
    const Case cases[] = {
        {"Pacients", "Няма избрани имена!\r", 1, 1},
        {"Dental", "", 1, 1},
        {"Help", "Не можете да променяте записа!\r", 0, 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.table);
        db::Connection::main().exec(QString("ALTER TABLE %1 RENAME TO Gone").arg(k.table));
        messages.clear();
        DenHelp* f = open();
        ASSERT_EQ(messages.size(), k.said);
        EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8(k.message))) << qPrintable(messages[0]);
        EXPECT_GT(messages[0].size(), QString::fromUtf8(k.message).size());   // with the engine's words
        EXPECT_EQ(data()->recordCount(), k.rows);
        EXPECT_EQ(DenHelp::vars().sEGN, egn);
        f->close();
        settle();
        db::Connection::main().exec(QString("ALTER TABLE Gone RENAME TO %1").arg(k.table));
    }
}

// Another copy in the middle of a write that keeps every reader out: the
// form says once that the database is in use, not that no names were
// chosen, nor once per part of the form.
TEST_F(Form, ADatabaseAnotherCopyHoldsIsSaidOnceAsInUse)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041"});
    testing_support::SecondCopy other("hold", {DatabasePath, "exclusive"});
    ASSERT_FALSE(other.waitFor("holding").isEmpty()) << other.errorOutput().toStdString();
    DenHelp* f = open();
    ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join("; "));
    EXPECT_TRUE(messages[0].contains(db::kMsgInUse)) << qPrintable(messages[0]);
    EXPECT_FALSE(messages[0].contains(patients::kMsgNoneChosen));
    EXPECT_EQ(data()->recordCount(), 0);
    EXPECT_TRUE(DenHelp::vars().sListID.isEmpty());

    // Once the other copy is done, the patient opened again is all there.
    other.send("commit");
    EXPECT_FALSE(other.waitFor("committed").isEmpty());
    EXPECT_EQ(other.finish(), 0);
    messages.clear();
    EXPECT_EQ(open(), f);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    EXPECT_EQ(data()->recordCount(), 1);
    EXPECT_EQ(f->addressLine()->text(), QString("Пловдив, ул. Гладстон 12, бл.5, ап.7"));
    EXPECT_EQ(DenHelp::vars().sListID, QString("000042"));
}

// Another patient picked while the database is in use: what cannot be read
// leaves nothing of the patient shown before, whose rows a save would
// otherwise take for the new one's.
TEST_F(Form, APatientPickedWhileTheDatabaseIsInUseShowsNothingOfTheOneBefore)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041"});
    const QString other = egnOf("800101123");
    addPatient(other, "Мария Иванова Колева");
    DenHelp* f = open();
    ASSERT_EQ(data()->recordCount(), 1);
    ASSERT_EQ(f->placeLabel(8)->text(), QString("C"));
    testing_support::SecondCopy copy("hold", {DatabasePath, "exclusive"});
    ASSERT_FALSE(copy.waitFor("holding").isEmpty()) << copy.errorOutput().toStdString();
    EXPECT_EQ(open(other), f);
    EXPECT_EQ(messages.size(), 1) << qPrintable(messages.join("; "));
    EXPECT_EQ(DenHelp::vars().sEGN, other);
    EXPECT_FALSE(data()->isOpen());
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    EXPECT_TRUE(f->addressLine()->text().isEmpty());
    EXPECT_TRUE(f->findChild<QLabel*>("Label4_6")->text().isEmpty());   // the allergy of the one before
    EXPECT_EQ(f->placeLabel(8)->text(), QString());
    EXPECT_EQ(f->windowTitle(), QString("Картон"));
    copy.send("commit");
    EXPECT_EQ(copy.finish(), 0);
}

TEST_F(Form, ShortcutsTypedAndEnterSaveTheRows)
{
    addHelp({egnOf("800101123"), QDate(2026, 1, 5), "101", "220001", "000041"});
    DenHelp* f = open();
    struct Case {
        QString typed;
        QString tooth;
        QString kod, help, text;
        double price;
        int minutes;
        int left;   // the label after the save
    };
    const Case cases[] = {
        {"1", "", "101", "Преглед", "", 6.44, 15, 345},
        {" 30 ", "36", "301", "Caries profunda", "Обт.амалгама", 21.13, 26, 319},
        {"1-3", "", "103", "Преглед", "", 6.44, 15, 304},
        {"33-1", "46", "301", "Gangr.complicata", "Обт.хим.композ.", 21.13, 26, 293},   // "103" took nothing
        {"33", "47", "333", "Pulpitis chr.ulcerosa", "Мед.лечение", 0.0, 141, 152},
    };
    // The label shows the day's minutes before the save, recomputed from
    // the stored rows, less the fund minutes of the activity just saved.
    int n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.typed.toStdString());
        enter(k.typed, k.tooth);
        ++n;
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
        ASSERT_EQ(data()->recordCount(), n);
        EXPECT_FALSE(data()->isNewRow());
        EXPECT_FALSE(data()->hasCurrent());   // ready on the new-row line
        EXPECT_EQ(grid()->model()->index(n - 1, KodHelp).data().toString(), k.kod);   // the cell shows the code
        const db::Row r =
            db::Connection::main().first("SELECT * FROM Help WHERE RecID = ?", {data()->rows()[n - 1].value("RecID")});
        EXPECT_EQ(r.text("EGN"), egn);
        EXPECT_EQ(dateFromIso(r.value("Data")), today);
        EXPECT_EQ(r.text("KodHelp"), k.kod);
        EXPECT_EQ(r.text("Help"), k.help);
        EXPECT_EQ(r.text("TextHelp"), k.text);
        EXPECT_EQ(r.text("KodZab"), k.tooth);
        EXPECT_EQ(r.value("Cena").toDouble(), k.price);
        EXPECT_EQ(r.value("Times").toInt(), k.minutes);
        EXPECT_EQ(r.text("KodMedic"), QString("220001"));
        EXPECT_EQ(r.value("ZK").toInt(), 1);
        EXPECT_EQ(r.text("ListID"), QString("000042"));   // every save of this opening
        EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: %1 мин.").arg(k.left));
        EXPECT_FALSE(button("cmdUpdate")->isEnabled());
        EXPECT_TRUE(f->closeIsDefault());
        EXPECT_TRUE(f->isVisible());   // Enter never reached "Затвори"
    }
    // The budget counts "103" as nothing once recomputed from the rows.
    EXPECT_EQ(MinutesLeftToday, 360 - 15 - 26 - 26 - 141);

    // The next opening counts one higher.
    f->close();
    settle();
    open();
    EXPECT_EQ(DenHelp::vars().sListID, QString("000043"));
}

TEST_F(Form, ShortcutsTypedOneAfterAnotherMakeARowEach)
{
    // The doctor opens the form and types at once: shortcut, Enter, shortcut, Enter.
    const qint64 old = addHelp({egn, QDate(2025, 6, 1), "101", "220002", "000300", false, "", "Преглед"});
    open();
    for (const char* shortcut : {"30", "31", "58"}) {
        for (const char* c = shortcut; *c; ++c)   // the cell opens on the first key
            QTest::keyClick(QApplication::focusWidget(), *c);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    const db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 4);
    QStringList texts;
    for (const db::Row& r : rows.mid(1))
        texts << r.text("KodHelp") + " " + r.text("TextHelp") + " " + r.text("ListID");
    EXPECT_EQ(texts, (QStringList{"301 Обт.амалгама 000001", "301 Обт.хим.композ. 000001", "508 Екстракция 000001"}));
    // The earlier visit is untouched.
    EXPECT_EQ(helpField(old, "Vid").toString(), QString());
    EXPECT_EQ(helpField(old, "KodMedic").toString(), QString("220002"));
    EXPECT_EQ(helpField(old, "ListID").toString(), QString("000300"));
    EXPECT_EQ(helpField(old, "ZK").toInt(), 0);
}

TEST_F(Form, AfterACorrectionTheNextShortcutMakesARowOfItsOwn)
{
    // A stored examination clicked, "Поправи", and the doctor types at once:
    // the corrected code, Enter, the next activity, Enter.
    addHelp({egn, today, "101", "220001", "000001", true, "", "Преглед"});
    open();
    click(0, KodHelp);
    QTest::mouseClick(button("cmdEdit"), Qt::LeftButton);
    for (const char* typed : {"1-3", "30"}) {
        for (const char* c = typed; *c; ++c)
            QTest::keyClick(QApplication::focusWidget(), *c);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    const db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].text("KodHelp"), QString("103"));
    EXPECT_EQ(rows[0].text("Help"), QString("Преглед"));
    EXPECT_EQ(rows[1].text("KodHelp"), QString("301"));
    EXPECT_EQ(rows[1].text("TextHelp"), QString("Обт.амалгама"));
}

TEST_F(Form, EditingACellEnablesTheSaveAndTakesTheDefault)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041"});
    DenHelp* f = open();
    QLineEdit* e = type(KodZab, "3");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(button("cmdUpdate")->isEnabled());
    EXPECT_FALSE(f->closeIsDefault());
    QTest::keyClick(e, Qt::Key_Escape);
    click(0, Vid);
    EXPECT_TRUE(button("cmdDelete")->isEnabled());
    // Enter on the check box goes to the default button once it is "Затвори" again.
    QTest::keyClick(e = type(KodZab, "36"), Qt::Key_Return);
    EXPECT_TRUE(f->closeIsDefault());
    f->dueCheck()->setFocus();
    QTest::keyClick(f->dueCheck(), Qt::Key_Return);
    settle();
    EXPECT_EQ(DenHelp::instance(), nullptr);
}

TEST_F(Form, EnterInAnotherCellExpandsTheCodeCellOnly)
{
    open();
    goToNewLine();
    QTest::keyClick(type(KodHelp, "30"), Qt::Key_Tab);
    // The doctor goes on to the tooth "31" and presses Enter there.
    grid()->setCurrentIndex(grid()->model()->index(0, KodZab));
    QLineEdit* e = type(KodZab, "31");
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Return);
    const db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text("KodZab"), QString("31"));
    EXPECT_EQ(rows[0].text("KodHelp"), QString("301"));
    EXPECT_EQ(rows[0].text("Help"), QString("Caries profunda"));
    EXPECT_EQ(rows[0].text("TextHelp"), QString("Обт.амалгама"));

    // A tooth "31" in a row without a code: nothing expands, nothing is stored.
    goToNewLine();
    QTest::keyClick(type(KodZab, "31"), Qt::Key_Return);
    EXPECT_EQ(stored(egn).size(), 1u);
    EXPECT_TRUE(data()->isNewRow());
    EXPECT_EQ(data()->field("KodZab").toString(), QString("31"));
    EXPECT_TRUE(data()->field("Help").isNull());
}

// A row without an activity code would reach the sheet and the fund's
// report as an activity without a code: the save refuses it, however it is
// asked for, and keeps what was typed.
TEST_F(Form, ARowWithoutAnActivityCodeIsNotStored)
{
    const QString refused = "Няма код на дейността!\rНапишете кода в колоната „Код дейн.“; редът не е записан.";
    struct Case {
        const char* what;
        bool newRow;   // else the stored row's code is cleared
        std::function<void()> leave;
    };
    const Case cases[] = {
        {"Enter in Код зъб of a new row", true, [this] { QTest::keyClick(editor(), Qt::Key_Return); }},
        {"Запиши on a new row", true, [this] { QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton); }},
        {"a new row left with the mouse", true, [this] { click(0, Vid); }},
        {"Enter on a stored row's cleared code", false, [this] { QTest::keyClick(editor(), Qt::Key_Return); }},
        {"a stored row's cleared code left with the mouse", false, [this] { click(1, Vid); }},
        {"a stored row's cleared code, the form closed", false,
         [this] { QTest::mouseClick(button("cmdClose"), Qt::LeftButton); }},
    };
    const qint64 id = addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", false, "36", "Caries media"});
    addHelp({egn, QDate(2026, 3, 3), "509", "220001", "000041", false, "47"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        answer = false;   // a form closed with the row asks; it stays
        DenHelp* f = open();
        if (c.newRow) {
            goToNewLine();
            ASSERT_NE(type(KodZab, "46"), nullptr);
        } else {
            click(0, KodHelp);
            ASSERT_NE(type(KodHelp, ""), nullptr);
            QTest::keyClick(editor(), Qt::Key_Delete);
        }
        c.leave();
        settle();
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_EQ(messages[0], refused);
        ASSERT_EQ(DenHelp::instance(), f);
        const db::Rows rows = stored(egn);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(helpField(id, "KodHelp").toString(), QString("301"));
        EXPECT_EQ(helpField(id, "ZK").toInt(), 0);
        // what was typed is kept, on the row it was typed in
        EXPECT_EQ(data()->isNewRow(), c.newRow);
        if (c.newRow)
            EXPECT_EQ(data()->field("KodZab").toString(), QString("46"));
        else
            EXPECT_EQ(grid()->cellText(KodHelp), QString());
        EXPECT_EQ(MinutesLeftToday, 360);
        answer = true;
        delete f;
        settle();
    }

    // A code that is no shortcut is a code: stored as typed.
    messages.clear();
    open();
    goToNewLine();
    QTest::keyClick(type(KodHelp, "999"), Qt::Key_Return);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
    ASSERT_EQ(stored(egn).size(), 3u);
    EXPECT_EQ(stored(egn)[2].text("KodHelp"), QString("999"));
}

// A new line that holds nothing but the date it was given is no row: left,
// printed or closed, nothing is said and nothing stored.
TEST_F(Form, ANewLineHoldingOnlyItsDateIsNoRow)
{
    struct Case {
        const char* what;
        std::function<void()> leave;
    };
    const Case cases[] = {
        {"left with the mouse", [this] { click(0, Vid); }},
        {"Enter", [this] { QTest::keyClick(grid(), Qt::Key_Return); }},
        {"Печат", [this] { QTest::mouseClick(button("cmdPrint"), Qt::LeftButton); }},
        {"Затвори", [this] { QTest::mouseClick(button("cmdClose"), Qt::LeftButton); }},
    };
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", false, "36"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        open();
        goToNewLine();
        // a tooth typed and taken back: the row holds only today's date
        QTest::keyClick(type(KodZab, "46"), Qt::Key_Tab);
        ASSERT_TRUE(data()->isNewRow());
        grid()->setCurrentIndex(grid()->model()->index(1, KodZab));
        ASSERT_NE(type(KodZab, ""), nullptr);
        QTest::keyClick(editor(), Qt::Key_Delete);
        ASSERT_TRUE(grid()->commitEdit());
        ASSERT_EQ(dateFromIso(data()->field("Data")), today);
        c.leave();
        settle();
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
        EXPECT_EQ(stored(egn).size(), 1u);
        delete DenHelp::instance();
        settle();
    }
}

// A shortcut typed over a stored row's code is saved whole however the row
// is left: expanded, priced, stamped, as by Enter; never stored as typed.
TEST_F(Form, AShortcutOverAStoredCodeIsSavedAsByEnterHoweverTheRowIsLeft)
{
    struct Case {
        const char* what;
        std::function<void()> leave;
    };
    const Case cases[] = {
        {"Enter", [this] { QTest::keyClick(editor(), Qt::Key_Return); }},
        {"another row clicked", [this] { click(1, Vid); }},
        {"the form closed", [this] { QTest::mouseClick(button("cmdClose"), Qt::LeftButton); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db::Connection::main().exec("DELETE FROM Help");
        const qint64 id = addHelp({egn, QDate(2025, 6, 1), "101", "220002", "000300", false, "", "Преглед"});
        addHelp({egn, QDate(2025, 6, 2), "509", "220002", "000300", false, "47"});
        messages.clear();
        MinutesLeftToday = 360;
        DenHelp* f = open();
        click(0, KodHelp);
        ASSERT_NE(type(KodHelp, "30"), nullptr);
        c.leave();
        settle();
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
        EXPECT_EQ(helpField(id, "KodHelp").toString(), QString("301"));
        EXPECT_EQ(helpField(id, "Help").toString(), QString("Caries profunda"));
        EXPECT_EQ(helpField(id, "TextHelp").toString(), QString("Обт.амалгама"));
        EXPECT_EQ(helpField(id, "Cena").toDouble(), 21.13);
        EXPECT_EQ(helpField(id, "Times").toInt(), 26);
        EXPECT_EQ(helpField(id, "KodMedic").toString(), QString("220001"));
        EXPECT_EQ(helpField(id, "ZK").toInt(), 1);
        EXPECT_EQ(helpField(id, "ListID").toString(), QString("000001"));
        if (DenHelp::instance()) {
            EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: 334 мин."));
        }
        delete DenHelp::instance();
        settle();
    }
}

TEST_F(Form, ASecondSaveKeepsWhatTheFirstStored)
{
    DenHelp* f = open();
    enter("31-2", "26");
    // The row clicked, "Поправи", a diagnosis typed over, Enter.
    click(0, Help);
    QTest::mouseClick(button("cmdEdit"), Qt::LeftButton);
    EXPECT_TRUE(button("cmdUpdate")->isEnabled());
    QTest::keyClick(type(Help, "Caries profunda"), Qt::Key_Return);
    db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text("KodHelp"), QString("301"));
    EXPECT_EQ(rows[0].text("Help"), QString("Caries profunda"));
    EXPECT_EQ(rows[0].text("TextHelp"), QString("Обт.хим.композ."));
    EXPECT_EQ(rows[0].value("Cena").toDouble(), 21.13);
    EXPECT_EQ(rows[0].value("Times").toInt(), 26);
    // Saved twice, the row's 26 minutes are taken once.
    EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: 334 мин."));
}

TEST_F(Form, EnterOnARowNobodyOpenedLeavesItAlone)
{
    const qint64 id = addHelp({egn, QDate(2025, 6, 1), "301", "220002", "000300", false, "", "Caries media"});
    DenHelp* f = open();
    ASSERT_TRUE(f->closeIsDefault());
    click(0, Vid);
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_TRUE(f->isVisible());   // the grid's Enter is not the default button's
    EXPECT_EQ(helpField(id, "KodMedic").toString(), QString("220002"));
    EXPECT_EQ(helpField(id, "ListID").toString(), QString("000300"));
    EXPECT_EQ(helpField(id, "ZK").toInt(), 0);
    // Opened by "Поправи", the save stamps it.
    QTest::mouseClick(button("cmdEdit"), Qt::LeftButton);
    QTest::keyClick(grid(), Qt::Key_Return);
    EXPECT_EQ(helpField(id, "KodMedic").toString(), QString("220001"));
    EXPECT_EQ(helpField(id, "ListID").toString(), QString("000001"));
    EXPECT_EQ(helpField(id, "ZK").toInt(), 1);
    EXPECT_EQ(helpField(id, "Help").toString(), QString("Caries media"));
    EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: 360 мин."));
}

TEST_F(Form, AFailedSaveIsShownAndChangesNothing)
{
    db::Connection::main().exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON Help BEGIN SELECT RAISE(ABORT, 'диск пълен'); END");
    DenHelp* f = open();
    MinutesLeftToday = 100;
    goToNewLine();
    QLineEdit* e = type(KodHelp, "30");
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Return);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Не можете да променяте записа!\r"));
    EXPECT_TRUE(messages[0].contains("диск пълен"));
    EXPECT_TRUE(stored(egn).isEmpty());
    EXPECT_TRUE(data()->isNewRow());
    EXPECT_EQ(grid()->cellText(KodHelp), QString("30"));   // as typed
    EXPECT_TRUE(data()->field("KodMedic").isNull());
    EXPECT_EQ(MinutesLeftToday, 100);
    EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: 360 мин."));
    EXPECT_TRUE(button("cmdUpdate")->isEnabled());
    EXPECT_FALSE(f->closeIsDefault());

    // Once the engine takes it, the same row is saved.
    messages.clear();
    db::Connection::main().exec("DROP TRIGGER refuse");
    QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty());
    const db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text("KodHelp"), QString("301"));
    EXPECT_EQ(rows[0].text("ListID"), QString("000001"));
}

// The patient's EGN corrected, or the card deleted, while the form was open:
// a row saved now would belong to no patient.
TEST_F(Form, ARowIsNotSavedUnderAnEgnThePatientNoLongerHas)
{
    const QString corrected = egnOf("750312124");
    struct Case {
        const char* what;
        std::function<void()> meanwhile;
    };
    const Case cases[] = {
        {"EGN corrected", [&] { patients::moveEgn(egn, corrected); }},
        {"card deleted", [&] { db::Connection::main().exec("DELETE FROM Pacients WHERE EGN = ?", {egn}); }},
    };
    for (const Case& c : cases) {
        messages.clear();
        DenHelp* f = open();
        c.meanwhile();
        goToNewLine();
        QLineEdit* e = type(KodHelp, "30");
        ASSERT_NE(e, nullptr) << c.what;
        QTest::keyClick(e, Qt::Key_Return);
        ASSERT_EQ(messages.size(), 1) << c.what;
        EXPECT_TRUE(messages[0].startsWith("Не можете да променяте записа!\r")) << c.what;
        EXPECT_TRUE(messages[0].contains(QString("Пациент с ЕГН %1 вече няма в регистъра").arg(egn))) << c.what;
        EXPECT_TRUE(stored(egn).isEmpty()) << c.what;
        EXPECT_TRUE(stored(corrected).isEmpty()) << c.what;
        EXPECT_EQ(grid()->cellText(KodHelp), QString("30")) << c.what;   // as typed
        EXPECT_EQ(MinutesLeftToday, 360) << c.what;

        delete f;
        settle();
        db::Connection::main().exec("DELETE FROM Pacients");
        db::Connection::main().exec("DELETE FROM Dental");
        db::Connection::main().insert("Pacients", {"EGN", "Names", "LKod"}, {egn, "Иван Петров Колев", "220001"});
    }
}

TEST_F(Form, ANewRowLeftWithoutEnterIsSavedAsByEnter)
{
    addHelp({egn, QDate(2026, 3, 2), "101", "220001", "000041"});
    open();
    goToNewLine();
    QTest::keyClick(type(KodHelp, "59-2"), Qt::Key_Tab);
    EXPECT_TRUE(stored(egn).size() == 1);
    click(0, Vid);   // another row
    db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].text("EGN"), egn);
    EXPECT_EQ(rows[1].text("KodHelp"), QString("509"));
    EXPECT_EQ(rows[1].text("Help"), QString("Causa protetica"));
    EXPECT_EQ(rows[1].text("KodMedic"), QString("220001"));
    EXPECT_EQ(rows[1].text("ListID"), QString("000042"));

    // And when the form closes with a row typed.
    goToNewLine();
    QTest::keyClick(type(KodHelp, "58"), Qt::Key_Tab);
    QTest::mouseClick(button("cmdClose"), Qt::LeftButton);
    settle();
    EXPECT_EQ(DenHelp::instance(), nullptr);
    rows = stored(egn);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].text("KodHelp"), QString("508"));
    EXPECT_EQ(rows[1].text("ListID"), QString("000042"));
}

TEST_F(Form, ClosingWithARowThatCannotBeWrittenAsks)
{
    open();
    db::Connection::main().exec(
        "CREATE TRIGGER refuse BEFORE INSERT ON Help BEGIN SELECT RAISE(ABORT, 'refused'); END");
    goToNewLine();
    QTest::keyClick(type(KodHelp, "30"), Qt::Key_Tab);
    answer = false;
    QTest::mouseClick(button("cmdClose"), Qt::LeftButton);
    settle();
    ASSERT_NE(DenHelp::instance(), nullptr);   // kept open with the row
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], QString("Данните не са записани.\rЗатваряте ли без запис?"));
    EXPECT_TRUE(data()->isNewRow());
    answer = true;
    messages.clear();
    DenHelp::unloadShared();
    settle();
    EXPECT_EQ(DenHelp::instance(), nullptr);
    EXPECT_EQ(messages.size(), 2);   // the failure once more, the question once
    EXPECT_TRUE(stored(egn).isEmpty());
}

TEST_F(Form, MoreMinutesThanTheDayHoldsShowANegativeNumber)
{
    MinutesLeftToday = 100;
    DenHelp* f = open();
    EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: 100 мин."));
    enter("33");
    EXPECT_EQ(f->minutesLabel()->text(), QString("Остават: -41 мин."));
}

// "Изтрий" removes the row clicked, without a question, and the cursor goes
// to the new-row line: Enter after it deletes nothing more.
TEST_F(Form, DeleteRemovesTheRowClickedOnlyAndLeavesTheNewLineReady)
{
    const qint64 first = addHelp({egn, QDate(2026, 3, 1), "101", "220001", "000041"});
    const qint64 second = addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", true, "36"});
    const qint64 third = addHelp({egn, QDate(2026, 3, 3), "509", "220001", "000041", true, "47"});
    DenHelp* f = open();
    click(0, Vid);
    ASSERT_EQ(helpField(first, "KodHelp").toString(), QString("101"));
    ASSERT_TRUE(button("cmdDelete")->isEnabled());
    QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    const db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].value("RecID").toLongLong(), second);
    EXPECT_EQ(rows[1].value("RecID").toLongLong(), third);
    EXPECT_EQ(helpField(second, "ZK").toInt(), 1);   // the row that moved up is untouched
    EXPECT_EQ(QApplication::focusWidget(), grid());
    EXPECT_FALSE(data()->hasCurrent());
    EXPECT_EQ(grid()->currentIndex(), grid()->model()->index(2, KodHelp));
    EXPECT_FALSE(button("cmdDelete")->isEnabled());   // until a row is clicked anew
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Form, PrintPreparesTheSheetAndCallsItsOpener)
{
    addHelp({egn, QDate(2026, 3, 2), "301Б", "220001", "000041", true, "36"});
    addHelp({egn, QDate(2026, 3, 1), "509", "220001", "000040", false, "47"});
    int opened = 0;
    bool dueWhenOpened = true;
    DenHelp::setSheetOpener([&] {
        ++opened;
        dueWhenOpened = db::Connection::main().scalar("SELECT COUNT(*) FROM Help WHERE ZK <> 0").toInt() > 0;
        DenHelp::unloadShared();   // the preview closes the form when it closes
    });
    PrintEGN.clear();
    open();
    goToNewLine();
    QTest::keyClick(type(KodHelp, "1"), Qt::Key_Tab);   // typed, not yet saved
    QTest::mouseClick(button("cmdPrint"), Qt::LeftButton);
    settle();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(dueWhenOpened);
    EXPECT_EQ(messages, QStringList{"Кода е по-голям от 3 символа!\r Ще бъде съкратен при печата!"});
    EXPECT_EQ(PrintEGN, egn);
    EXPECT_TRUE(PrintDentalStatus);   // the examination just typed
    const db::Rows temp = db::Connection::main().query("SELECT * FROM TempKarton ORDER BY RecID");
    ASSERT_EQ(temp.size(), 2);
    EXPECT_EQ(temp[0].text("KodHelp"), QString("3  0  1"));
    EXPECT_EQ(temp[0].text("KodZab"), QString("3  6"));
    EXPECT_EQ(temp[1].text("KodHelp"), QString("1  0  1"));
    EXPECT_EQ(DenHelp::instance(), nullptr);
}

TEST_F(Form, PrintShowsTheRowsAgainMarked)
{
    addHelp({egn, QDate(2026, 3, 2), "101", "220001", "000041", true});
    DenHelp* f = open();
    QTest::mouseClick(button("cmdPrint"), Qt::LeftButton);   // no opener yet: the form stays
    ASSERT_EQ(DenHelp::instance(), f);
    EXPECT_EQ(grid()->model()->index(0, ZK).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(f->dueCheck()->isChecked());
    EXPECT_EQ(stored(egn)[0].value("Schet").toInt(), 1);
}

TEST_F(Form, TheOtherButtonsCallTheirOpeners)
{
    DenHelp* f = open();
    QStringList calls;
    DenHelp::setCardOpener([&] { calls << "card " + DenHelp::vars().sEGN; });
    DenHelp::setReferralsOpener([&](QWidget* owner) {
        calls << "referrals " + DenHelp::vars().sListID + (owner == f ? " owned" : "");
    });
    DenHelp::setScheduleOpener([&](QWidget* owner) {
        calls << "schedule " + DenHelp::vars().sGraf + (owner == f ? " owned" : "");
    });
    DenHelp::vars().sGraf = "0";
    QTest::mouseClick(button("cmdPrintData"), Qt::LeftButton);
    QTest::mouseClick(button("cmdParh"), Qt::LeftButton);
    QTest::mouseClick(button("cmdGrafic"), Qt::LeftButton);
    EXPECT_EQ(calls, (QStringList{"card " + egn, "referrals 000001 owned", "schedule 1 owned"}));
}

TEST_F(Form, HandOversFromTheSearchAndTheCard)
{
    // From the search: its list is emptied, and closing the form closes it.
    PatientSearchMode = 2;
    SeekName* seek = SeekName::showShared();
    seek->findChild<QComboBox*>("Combo1")->addItem("Иван Петров Колев");
    open();
    EXPECT_EQ(seek->findChild<QComboBox*>("Combo1")->count(), 0);
    DenHelp::instance()->close();
    settle();
    EXPECT_EQ(SeekName::instance(), nullptr);

    // From a new card: the card is closed; the search opened meanwhile stays.
    CardMode = "New";
    KartonAdd::showShared();
    DenHelp::vars().sVidDen = "New";
    DenHelp::vars().sAddEGN = egn;
    DenHelp::vars().sAddName = "Иван Петров Колев";
    DenHelp* f = DenHelp::showShared();
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(DenHelp::vars().sEGN, egn);
    EXPECT_TRUE(f->windowTitle().contains("Иван Петров Колев"));
    SeekName::showShared();
    f->close();
    settle();
    EXPECT_NE(SeekName::instance(), nullptr);
    CardMode.clear();
}

TEST_F(Form, AnotherPickLoadsTheFormAfreshAfterWritingItsRow)
{
    const QString other = egnOf("800101123");
    addPatient(other, "Мария Иванова Колева");
    DenHelp* f = open();
    goToNewLine();
    QTest::keyClick(type(KodHelp, "30"), Qt::Key_Tab);   // typed, not saved
    SeekName::vars().sFindEGN = other;
    SeekName::vars().sFindName = "Мария Иванова Колева          ";
    EXPECT_EQ(DenHelp::showShared(), f);
    EXPECT_EQ(DenHelp::vars().sEGN, other);
    EXPECT_EQ(DenHelp::vars().sPacientName, QString("Мария "));
    EXPECT_TRUE(f->windowTitle().contains("Мария Иванова Колева"));
    EXPECT_EQ(data()->recordCount(), 0);
    const db::Rows rows = stored(egn);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text("KodHelp"), QString("301"));
    EXPECT_EQ(f->placeLabel(3)->text(), QString());   // a patient without a chart
    EXPECT_TRUE(f->milkNumber(1)->isHidden());   // the milk tooth of the patient before
}

// Stored text is shown as it stands: never read as markup, blanks and line
// breaks kept, and in the window's title never taken for the modified-mark.
TEST_F(Form, StoredTextsAreShownAsStored)
{
    const QString texts[] = {
        "Пеницилин <title>Аналгин, Новокаин",
        "Хепатит <b>B</b>",
        "<img src=\"/tmp/no-such-picture.png\">",
        "&lt;7",
        "две  празни   места",
    };
    // Lines of a two-line label: LF, CR LF and an older practice's lone CR.
    const QString lines[] = {"Диабет\nАстма", "Диабет\r\nАстма", "Диабет\rАстма"};
    QLabel* shows[] = {nullptr, nullptr};
    for (const QString& t : texts) {
        SCOPED_TRACE(t.toStdString());
        db::Connection::main().exec("UPDATE Pacients SET Names = ?, UL = ?, Nep = ?, MTel = ? WHERE EGN = ?",
                                    {"Иван [*] " + t, t, t, t, egn});
        DenHelp* f = open();
        auto* allergy = f->findChild<HeaderLine*>("Label4_6");
        ASSERT_NE(allergy, nullptr);
        shows[0] = allergy;
        shows[1] = f->addressLine();
        for (QLabel* l : shows)
            EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->objectName().toStdString();
        EXPECT_EQ(allergy->text(), t);
        EXPECT_EQ(allergy->shownText(), t);
        EXPECT_EQ(f->addressLine()->text(), "Пловдив, " + t + ", бл.5, ап.7");
        EXPECT_EQ(static_cast<HeaderLine*>(f->phoneLine())->shownText(), "дом.032/123456, моб." + t);
        ASSERT_NE(f->windowHandle(), nullptr);
        EXPECT_EQ(f->windowHandle()->title(), QString("Картон на Иван [*] %1 с ЕГН %2  ЗОК №12345678").arg(t, egn));
        f->close();
        settle();
    }
    for (const QString& t : lines) {
        SCOPED_TRACE(t.toStdString());
        db::Connection::main().exec("UPDATE Pacients SET Osob = ?, Nep = ? WHERE EGN = ?", {t, t, egn});
        DenHelp* f = open();
        auto* notes = f->findChild<QLabel*>("Label4_3");
        EXPECT_EQ(notes->textFormat(), Qt::PlainText);
        // one line: the first line, a sign that more follows, all of it in the tip
        auto* allergy = f->findChild<HeaderLine*>("Label4_6");
        EXPECT_EQ(allergy->shownText(), QString("Диабет…"));
        EXPECT_EQ(allergy->toolTip(), Qt::convertFromPlainText(plainLines(t)));
        f->close();
        settle();
    }
    // the chart's places too
    db::Connection::main().exec("UPDATE Dental SET Z6 = '<b>O</b>' WHERE EGN = ?", {egn});
    // All of them at once, to be looked at.
    db::Connection::main().exec(
        "UPDATE Pacients SET Names = ?, Tawn = ?, UL = ?, BL = ?, Nep = ?, Osob = ?, ZabOld = ?, ZabNaw = ?, KrGr = ?, "
        "Ph = ?, MTel = ? WHERE EGN = ?",
        {"Иван [*] Колев", "<img src=\"/tmp/no-such-picture.png\">", "ул. Хепатит <b>B</b>", "&lt;7",
         "Пеницилин <title>Аналгин, Новокаин", "две  празни   места\rи нов ред", "Диабет\nАстма",
         "Хепатит <b>B</b>\r\n&lt;7", "<b>A</b>", "&lt;7", "0888  123456", egn});
    DenHelp* f = open();
    EXPECT_EQ(f->placeLabel(8)->textFormat(), Qt::PlainText);
    EXPECT_EQ(f->placeLabel(8)->text(), QString("<b>O</b>"));
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        f->grab().save(QDir(dir).filePath("denhelp_stored_texts.png"));
}

// The header's lines take the room their row has; what is longer is cut at
// its end with "…" and shown whole, as plain text, in its tool tip.
TEST_F(Form, HeaderLinesShareTheirRowAndWhatIsLongerIsCutWithATip)
{
    const QString phones = "дом.032/123456, сл.032/654321, моб.0888123456, 0899765432";
    const QString longStreet = "жк Тракия, ул. Константин Величков " + QString(" <b>дълга</b> улица").repeated(6);
    struct Case {
        const char* what;
        QString street;
        bool addressCut, phonesCut;
    };
    const Case cases[] = {
        {"short address: the telephones take its room", "ул. Гладстон 12", false, false},
        {"both long: each cut in its own part", longStreet, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        db::Connection::main().exec("UPDATE Pacients SET UL = ?, STel = ?, MTel = ?, Nep = ? WHERE EGN = ?",
                                    {c.street, "654321", "0888123456, 0899765432", "Пеницилин" + longStreet, egn});
        DenHelp* f = open();
        auto* address = static_cast<HeaderLine*>(f->addressLine());
        auto* phone = static_cast<HeaderLine*>(f->phoneLine());
        ASSERT_EQ(phone->text(), phones);
        EXPECT_EQ(address->isCut(), c.addressCut);
        EXPECT_EQ(phone->isCut(), c.phonesCut);
        for (HeaderLine* l : {address, phone}) {
            SCOPED_TRACE(l->objectName().toStdString());
            // inside the frame, one after the other
            EXPECT_GE(l->x(), 0);
            EXPECT_LE(l->geometry().right(), f->findChild<QGroupBox*>("Frame1")->contentsRect().right());
            if (l->isCut()) {
                EXPECT_TRUE(l->shownText().endsWith("…"));
                EXPECT_EQ(l->toolTip(), Qt::convertFromPlainText(l->text()));
            } else {
                EXPECT_EQ(l->shownText(), l->text());
                EXPECT_TRUE(l->toolTip().isEmpty());
            }
        }
        EXPECT_LT(address->geometry().right(), f->findChild<QLabel*>("lblLabels_11")->x());
        EXPECT_LT(f->findChild<QLabel*>("lblLabels_11")->geometry().right(), phone->x());
        auto* allergy = f->findChild<HeaderLine*>("Label4_6");
        EXPECT_TRUE(allergy->isCut());
        EXPECT_TRUE(allergy->toolTip().contains("&lt;b&gt;дълга&lt;/b&gt;")) << allergy->toolTip().toStdString();
        const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
        if (!dir.isEmpty())
            f->grab().save(QDir(dir).filePath(QString("denhelp_header_%1.png").arg(c.addressCut ? "cut" : "shared")));
        f->close();
        settle();
    }
}

TEST_F(Form, RendersAsTheTreatmentForm)
{
    addHelp({egn, QDate(2026, 3, 2), "101", "220001", "000041", false, "", "Преглед"});
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", false, "36", "Caries media", "Обт.амалгама"});
    addHelp({egn, QDate(2026, 3, 9), "509", "220001", "000044", true, "47", "R.gangr.", "Екстракция"});
    DenHelp* f = open();
    enter("31", "25");
    const QImage img = f->grab().toImage();
    EXPECT_GE(img.width(), 880);
    // Every place of the chart and every column of the grid is inside the window.
    for (int place = 0; place < 32; ++place)
        EXPECT_TRUE(f->rect().contains(f->placeLabel(place)->mapTo(f, f->placeLabel(place)->rect().bottomRight())));
    int width = grid()->verticalHeader()->width();
    for (int c = 0; c < grid()->columnCount(); ++c)
        width += grid()->columnWidth(c);
    EXPECT_LE(width, grid()->viewport()->width() + grid()->verticalHeader()->width());
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        img.save(QDir(dir).filePath("denhelp.png"));
}

// A dentist's road through the running program: a new patient registered,
// three activities entered by shortcut, the outpatient sheet prepared and
// printed, the time window, and the card corrected with the list beside it.

#include "fixtures.h"

#include "databind/datagrid.h"
#include "db/database.h"
#include "db/values.h"
#include "patients/kartonadd.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "printing/outpatientsheet.h"
#include "printing/printouts.h"
#include "report/report.h"
#include "services/globals.h"
#include "shell/frmmain.h"
#include "shell/password.h"
#include "shell/startup.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "treatments/denhelp.h"
#include "treatments/timeday.h"
#include "treatments/viewhelp.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace treatments_test;
using testing_support::TestFolder;

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void keys(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void clickInto(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, 4));
    settle();
}

void typeInto(QWidget* w, const QString& text)
{
    clickInto(w);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
    keys(w, text);
}

void shot(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        w->grab().save(QDir(dir).filePath(name));
}

QLineEdit* cellEditor(DataGrid* g)
{
    for (QLineEdit* e : g->viewport()->findChildren<QLineEdit*>())
        if (!e->isHidden())
            return e;
    return nullptr;
}

// The doctor clicks the new-row line's cell of a column and types.
QLineEdit* typeOnNewLine(DataGrid* g, int column, const QString& text)
{
    const QModelIndex at = g->model()->index(g->model()->rowCount() - 1, column);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(at).center());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(at).center());
    QLineEdit* e = cellEditor(g);
    if (e)
        keys(e, text);
    return e;
}

// A cell of the current row, the row being the new one just started.
QLineEdit* typeInRow(DataGrid* g, int column, const QString& text)
{
    const QModelIndex at = g->currentIndex().siblingAtColumn(column);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(at).center());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(at).center());
    QLineEdit* e = cellEditor(g);
    if (e) {
        e->selectAll();
        keys(e, text);
    }
    return e;
}

enum Col { Vid, Data, Help, KodZab, TextHelp, KodHelp, ZK, ListID };

// The program started on the folder and shown, doctor 2200001 logged in;
// null when it did not start.
std::unique_ptr<frmMain> startLoggedIn(const QString& folder)
{
    StartupHooks hooks;
    hooks.splash = false;
    hooks.login = [](QWidget*) {
        Password::vars().nIDMedic = 2200001;
        return true;
    };
    std::unique_ptr<frmMain> main = loadProgram(folder, hooks);
    if (!main)
        return main;
    main->show();
    if (!QTest::qWaitForWindowExposed(main.get()))
        return nullptr;
    settle();
    return main;
}

} // namespace

TEST(TreatmentRoad, RegisterTreatPrintAndCorrect)
{
    TestFolder folder;
    const QDate today(2026, 4, 20);
    Clock::setToday(today);
    {
        db::Connection c = db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic", "Password"}, {"Елена Георгиева Попова", "2200001", "kod111"});
        // Another doctor's patient seen today: the day's budget counts it too.
        c.insert("Help", {"EGN", "Data", "KodHelp", "KodMedic"}, {egnOf("800101123"), today, "101", "2200002"});
        // This doctor's sheets this year reached 17.
        c.insert("Help", {"EGN", "Data", "KodHelp", "KodMedic", "ListID"},
                 {egnOf("800101123"), QDate(2026, 2, 3), "301", "2200001", "000017"});
    }
    QStringList messages;
    patients::prompts().info = [&](const QString& text, QWidget*) { messages << text; };
    std::unique_ptr<frmMain> main = startLoggedIn(folder.path());
    ASSERT_TRUE(main);
    EXPECT_EQ(MinutesLeftToday, 345);
    // What the printed records issue wires: the sheet, which closes the form when it closes.
    DenHelp::setSheetOpener([] { printing::ShowOutpatientSheet(&DenHelp::unloadShared); });

    // A new patient: a girl of eleven.
    main->menuItem("mnuPacReg")->trigger();
    KartonAdd* card = KartonAdd::instance();
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(card));
    const QString egn = egnOf("154512125");   // 12.05.2015
    clickInto(card->findChild<QLineEdit*>("Text3"));
    QTest::keyClicks(card->findChild<QLineEdit*>("Text11"), egn);
    QTest::keyClick(card->findChild<QLineEdit*>("Text11"), Qt::Key_Tab);
    settle();
    keys(card->findChild<QLineEdit*>("Text2"), "Мария Георгиева Тодорова");
    typeInto(card->findChild<QLineEdit*>("Text6"), "4000");
    clickInto(card->findChild<QLineEdit*>("Text14"));
    keys(card->findChild<QLineEdit*>("Text14"), "Гладстон 12");
    typeInto(card->txtFields(66), "00");   // milk tooth 51 present
    typeInto(card->txtFields(45), "1");    // caries on 36
    clickInto(card->txtFields(19));
    QTest::mouseClick(card->findChild<QPushButton*>("cmdUpdate"), Qt::LeftButton);
    settle();
    QTest::mouseClick(card->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();

    // The treatment form is open on her.
    DenHelp* form = DenHelp::instance();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    QApplication::setActiveWindow(form);
    settle();
    EXPECT_EQ(form->windowTitle(), QString("Картон на Мария Георгиева Тодорова с ЕГН %1  ЗОК №").arg(egn));
    EXPECT_EQ(form->addressLine()->text(), QString("Пловдив, ул. Гладстон 12"));
    EXPECT_FALSE(form->milkNumber(5)->isHidden());   // 51 in red
    EXPECT_EQ(form->placeLabel(7)->text(), QString());   // "*": no status
    EXPECT_EQ(form->placeLabel(29)->text(), QString("C"));   // 36
    EXPECT_EQ(DenHelp::vars().sListID, QString("000018"));
    EXPECT_EQ(form->minutesLabel()->text(), QString("Остават: 345 мин."));

    // Three activities by shortcut: an examination, a filling of 36, an extraction of 85.
    DataGrid* g = form->grid();
    QLineEdit* e = typeOnNewLine(g, KodHelp, "1");
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Return);
    settle();
    e = typeOnNewLine(g, KodZab, "36");
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Tab);
    e = typeInRow(g, KodHelp, "31");
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_Return);
    settle();
    e = typeOnNewLine(g, KodZab, "85");
    QTest::keyClick(e, Qt::Key_Tab);
    e = typeInRow(g, KodHelp, "58-2");
    QTest::keyClick(e, Qt::Key_Return);
    settle();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    db::Rows rows = db::Connection::main().query("SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID", {egn});
    ASSERT_EQ(rows.size(), 3);
    const QStringList codes = {"101", "301", "508"};
    const QList<double> prices = {6.44, 25.13, 11.98};   // under 18
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].text("KodHelp"), codes[i]);
        EXPECT_EQ(rows[i].value("Cena").toDouble(), prices[i]);
        EXPECT_EQ(rows[i].text("ListID"), QString("000018"));
        EXPECT_EQ(rows[i].text("KodMedic"), QString("2200001"));
        EXPECT_EQ(dateFromIso(rows[i].value("Data")), today);
    }
    EXPECT_EQ(rows[1].text("KodZab"), QString("36"));
    EXPECT_EQ(rows[1].text("TextHelp"), QString("Обт.хим.композ."));
    EXPECT_EQ(rows[2].text("Help"), QString("Radis relicva"));
    EXPECT_EQ(form->minutesLabel()->text(), QString("Остават: 287 мин."));   // 345 - 15 - 26 - 17
    shot(form, "road_denhelp.png");

    // "Време" shows what is left of the day.
    main->menuItem("mnuViewTime")->trigger();
    settle();
    ASSERT_NE(TimeDay::instance(), nullptr);
    EXPECT_EQ(TimeDay::instance()->label()->text(), QString("287"));
    shot(TimeDay::instance(), "road_timeday.png");
    main->menuItem("mnuViewTime")->trigger();

    // "Печат": the sheet is prepared and shown; closing its preview closes the form.
    QTest::mouseClick(form->button("cmdPrint"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    EXPECT_EQ(PrintEGN, egn);
    EXPECT_TRUE(PrintDentalStatus);
    EXPECT_EQ(db::Connection::main().scalar("SELECT COUNT(*) FROM TempKarton").toInt(), 3);
    EXPECT_EQ(db::Connection::main().scalar("SELECT COUNT(*) FROM Help WHERE EGN = ? AND ZK = 0 AND Schet = 1", {egn}).toInt(), 3);
    printing::rprKarton* sheet = printing::rprKarton::instance();
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(sheet->preview(), nullptr);
    shot(sheet->preview(), "road_sheet.png");
    sheet->preview()->close();
    settle();
    EXPECT_EQ(DenHelp::instance(), nullptr);

    // The card corrected, found by name, with the treatments beside it.
    main->menuItem("mnuPacKor")->trigger();
    SeekName* seek = SeekName::instance();
    ASSERT_NE(seek, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(seek));
    keys(seek->findChild<QLineEdit*>("Text1"), "мария");
    QTest::keyClick(seek->findChild<QLineEdit*>("Text1"), Qt::Key_Return);
    settle();
    EXPECT_EQ(messages.takeLast(), QString("Завърших търсенето на имената!"));
    QComboBox* found = seek->findChild<QComboBox*>("Combo1");
    ASSERT_EQ(found->count(), 1);
    found->setCurrentIndex(0);
    emit found->activated(0);
    settle();
    card = KartonAdd::instance();
    ASSERT_NE(card, nullptr);
    ViewHelp* list = ViewHelp::instance();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->grid()->model()->rowCount(), 3);
    EXPECT_EQ(list->grid()->model()->index(1, 4).data().toString(), QString("301"));
    EXPECT_EQ(list->grid()->model()->index(1, 5).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);   // printed
    typeInto(card->txtFields(13), "0888123456");
    QTest::mouseClick(card->findChild<QPushButton*>("cmdUpdate"), Qt::LeftButton);
    settle();
    {
        const QRect both = card->frameGeometry().united(list->frameGeometry());
        QImage screen(both.size(), QImage::Format_RGB32);
        screen.fill(QColor(0x6f, 0x86, 0xa6));
        QPainter p(&screen);
        p.drawImage(card->geometry().topLeft() - both.topLeft(), card->grab().toImage());
        p.drawImage(list->geometry().topLeft() - both.topLeft(), list->grab().toImage());
        p.end();
        const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
        if (!dir.isEmpty())
            screen.save(QDir(dir).filePath("road_card_and_list.png"));
    }
    QTest::mouseClick(card->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    settle();
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(ViewHelp::instance(), nullptr);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();

    DenHelp::setSheetOpener({});
    patients::prompts() = {};
    main.reset();
    settle();
}

// Every button of the treatment form, pressed with the mouse as a doctor
// presses it, and then a shortcut and Enter: the shortcut goes on a new
// row, never onto a stored one, nor into a button.
TEST(TreatmentRoad, AfterEveryButtonTheNextShortcutMakesANewRow)
{
    TestFolder folder;
    const QDate today(2026, 4, 20);
    Clock::setToday(today);
    const QString egn = egnOf("750312123");
    {
        db::Connection c = db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic", "Password"}, {"Елена Георгиева Попова", "2200001", "kod111"});
        c.insert("Pacients", {"EGN", "Names", "LKod"}, {egn, "Иван Петров Колев", "2200001"});
        // Last year's examination, printed, and a filling due for the sheet.
        c.insert("Help", {"EGN", "Data", "KodHelp", "Help", "KodMedic", "ListID", "ZK", "Schet"},
                 {egn, QDate(2025, 5, 6), "101", "Преглед", "2200001", "000007", 0, 1});
        c.insert("Help", {"EGN", "Data", "KodHelp", "KodZab", "KodMedic", "ListID", "ZK"},
                 {egn, QDate(2026, 3, 2), "301", "36", "2200001", "000011", 1});
    }
    QStringList messages;
    patients::prompts().info = [&](const QString& text, QWidget*) { messages << text; };
    std::unique_ptr<frmMain> main = startLoggedIn(folder.path());
    ASSERT_TRUE(main);

    SeekName::vars().sFindEGN = egn;
    SeekName::vars().sFindName = "Иван Петров Колев";
    DenHelp::vars().sVidDen = "Edit";
    DenHelp* form = DenHelp::showShared(main.get());
    ASSERT_NE(form, nullptr);
    auto backToForm = [&] {
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        settle();
    };
    backToForm();
    DataGrid* g = form->grid();
    auto stored = [&] {
        QStringList rows;
        for (const db::Row& r : db::Connection::main().query("SELECT * FROM Help WHERE EGN = ? ORDER BY RecID", {egn})) {
            QStringList fields;
            for (const QVariant& v : r.values())
                fields << v.toString();
            rows << fields.join('|');
        }
        return rows;
    };
    auto press = [&](const char* name) {
        QTest::mouseClick(form->button(name), Qt::LeftButton);
        settle();
    };

    struct Step {
        const char* what;
        std::function<void()> act;
    };
    const Step steps[] = {
        {"Запиши", [&] {
             QLineEdit* e = typeOnNewLine(g, KodHelp, "1");
             ASSERT_NE(e, nullptr);
             press("cmdUpdate");
         }},
        {"Поправи", [&] { press("cmdEdit"); }},
        {"Изтрий", [&] {
             // today's examination, stored by "Запиши"
             QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(2, Vid)).center());
             ASSERT_EQ(g->dataControl()->text("KodHelp"), QString("101"));
             press("cmdDelete");
         }},
        {"Печат", [&] {
             press("cmdPrint");
             backToForm();
         }},
        {"Печат данни...", [&] {
             press("cmdPrintData");
             backToForm();
         }},
        {"Преглед...", [&] {
             testing_support::ModalScript script;
             script.closeFrame("Grafic");
             press("cmdGrafic");
             EXPECT_TRUE(script.finished());
             backToForm();
         }},
        {"Направления", [&] {
             testing_support::ModalScript script;
             script.closeFrame("PathWay");
             press("cmdParh");
             EXPECT_TRUE(script.finished());
             backToForm();
         }},
        {"Време and back", [&] {
             main->menuItem("mnuViewTime")->trigger();
             settle();
             ASSERT_NE(TimeDay::instance(), nullptr);
             QApplication::setActiveWindow(TimeDay::instance());
             settle();
             backToForm();
         }},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        ASSERT_EQ(DenHelp::instance(), form);
        const QStringList before = stored();
        for (const char* c = "30"; *c; ++c)
            QTest::keyClick(QApplication::focusWidget(), *c);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        settle();
        const QStringList after = stored();
        ASSERT_EQ(after.size(), before.size() + 1) << after.join('\n').toStdString();
        EXPECT_EQ(after.mid(0, before.size()), before);   // no stored row changed
        const db::Row added = db::Connection::main().first("SELECT * FROM Help WHERE EGN = ? ORDER BY RecID DESC", {egn});
        EXPECT_EQ(added.text("KodHelp"), QString("301"));
        EXPECT_EQ(added.text("TextHelp"), QString("Обт.амалгама"));
        EXPECT_EQ(added.text("KodMedic"), QString("2200001"));
        EXPECT_EQ(dateFromIso(added.value("Data")), today);
        EXPECT_FALSE(g->dataControl()->hasCurrent());   // ready on the new-row line again
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    // The two rows of before are still there, as they were after the print.
    EXPECT_EQ(db::Connection::main().scalar("SELECT COUNT(*) FROM Help WHERE EGN = ? AND Data < ?", {egn, today}).toInt(), 2);

    patients::prompts() = {};
    main.reset();
    settle();
}

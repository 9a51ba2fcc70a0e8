#include "fund_report/fixtures.h"
#include "support/database_content.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "support/shown_texts.h"
#include "support/test_data.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "printing/dentalcard.h"
#include "printing/patientcard.h"
#include "report/dataenvironment.h"
#include "services/globals.h"
#include "services/program.h"
#include "shell/backup.h"
#include "shell/frmmain.h"
#include "shell/helpwindow.h"
#include "shell/medicunit.h"
#include "patients/kartonadd.h"
#include "patients/koregn.h"
#include "patients/patientrecord.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/dialogs.h"
#include "statistics/periodreports.h"
#include "statistics/reportitems.h"
#include "statistics/seekdate.h"
#include "statistics/tempdb.h"
#include "treatments/denhelp.h"
#include "treatments/grafic.h"
#include "treatments/pathway.h"
#include "treatments/rprgrafic.h"
#include "treatments/timeday.h"

#include <QAction>
#include <QWindow>
#include <QDialog>
#include <QScreen>
#include <QMdiArea>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <functional>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPointer>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <gtest/gtest.h>
#include <memory>

using testing_support::ModalScript;
using testing_support::ShownTexts;
using testing_support::TestFolder;
using testing_support::shownItems;
using testing_support::shownTexts;

namespace {

// The window settings go to a folder of the test's own.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
        tav::PatientSearchMode = 0;
        tav::CardMode.clear();
        tav::backup::setFileChooser({});
        // The help file is in the program folder, as the start-up leaves it:
        // each activation of the main window names it. None is named yet
        // (an earlier case's folder is gone).
        QFile::copy(tav::help::builtInFile(), QDir(tav::ProgramFolder).filePath(tav::kHelpFileName));
        tav::help::setHelpFile(QString());
    }
    void TearDown() override
    {
        tav::backup::setFileChooser({});
        window_.reset();
        if (tav::programEnding())
            testing_support::resetProgramEnd();
    }

    // A main window after a login that chose `doctor`.
    tav::frmMain* loaded(const QString& doctor = QStringLiteral("Мария Иванова"))
    {
        window_ = std::make_unique<tav::frmMain>();
        const bool ok = window_->load([doctor](QWidget*) {
            tav::CurrentDoctorName = doctor;
            tav::CurrentDoctorCode = QStringLiteral("2200001");
            return true;
        });
        EXPECT_TRUE(ok);
        return window_.get();
    }

    QStringList settingsKeys()
    {
        QSettings s(QStringLiteral("Tavlinora"));
        s.beginGroup(QStringLiteral("Settings"));
        return s.childKeys();
    }

    QByteArray mainBytes()
    {
        QFile f(tav::DatabasePath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TestFolder folder_;
    QTemporaryDir settingsDir_;
    std::unique_ptr<tav::frmMain> window_;
};

struct MenuRow {
    const char* name;
    const char* caption;
    const char* shortcut;
    int topic;
};

// Every item in menu order; "-" is a separator.
const std::vector<std::pair<MenuRow, std::vector<MenuRow>>>& menuTable()
{
    static const std::vector<std::pair<MenuRow, std::vector<MenuRow>>> table = {
        {{"mnuPac", "Пациенти", "", 34},
         {{"mnuPacDen", "Стоматологична помощ", "F2", 6},
          {"mnuPacMed", "Медицинска помощ", "", 0},
          {"-", "", "", 0},
          {"mnuPacKor", "Корекция", "F4", 7},
          {"mnuPacKorEGN", "Корекция ЕГН", "", 0},
          {"-", "", "", 0},
          {"mnuPacReg", "Регистрация", "Ctrl+N", 8},
          {"mnuPacZOKC", "Добавяне от ЗОКС", "", 0},
          {"-", "", "", 0},
          {"mnuExit", "Изход", "Ctrl+Z", 0}}},
        {{"mnuOtcet", "Справки", "", 35},
         {{"mnuOtPac", "Пациент", "", 9},
          {"mnuOtDati", "Дати...", "", 0},
          {"-", "", "", 0},
          {"mnuOtchetWork", "Дейности към ЗОК", "Ctrl+W", 10},
          {"mnuOtchetWorkGod", "Справка за ЗОК", "", 0},
          {"mnuOtMat", "Разходи", "", 0},
          {"-", "", "", 0},
          {"mnuOtchetExportXML", "Експорт XML", "", 0},
          {"mnuOtSpecif", "Спецификация", "", 0},
          {"-", "", "", 0},
          {"mnuOtSpGraf", "График за прегледи", "Ctrl+G", 11}}},
        {{"mnuSlg", "Служебна", "", 36},
         {{"mnuSlgMed", "Лекари", "", 0},
          {"mnuSlgCeno", "Ценоразпис", "", 12},
          {"mnuSlgUnit", "Лечебно заведение", "", 0},
          {"-", "", "", 0},
          {"mnuSlgGraf", "График за прегледи", "", 13},
          {"-", "", "", 0},
          {"mnuSlgSchet", "Осчетоводяване", "", 14},
          {"-", "", "", 0},
          {"mnuSlgSave", "Съхраняване на данни", "", 44},
          {"mnuSlgOpen", "Зареждане на данни", "", 45},
          {"-", "", "", 0},
          {"mnuSlgUtil", "Поправяне на БД", "", 0},
          {"mnuSlgClean", "Изтриване на БД", "", 46},
          {"-", "", "", 0},
          {"mnuCahgePass", "Смяна на паролата", "", 0}}},
        {{"mnuView", "Прозорец", "", 37},
         {{"mnuViewButton", "Бутони", "", 15},
          {"mnuViewTime", "Време", "", 16}}},
        {{"mnuHelp", "Помощ", "", 38},
         {{"mnuHelpContents", "Съдържание", "", 17},
          {"-", "", "", 0},
          {"mnuHelpUpdate", "Обновяване", "", 0},
          {"-", "", "", 0},
          {"mnuHelpAbout", "За програмата", "", 18},
          {"mnuHelpAutor", "За автора", "", 0}}},
    };
    return table;
}

TEST_F(MainWindowTest, EveryMenuItemHasItsCaptionShortcutAndHelpTopicInOrder)
{
    tav::frmMain w;
    const QList<QAction*> bar = w.menuBar()->actions();
    ASSERT_EQ(bar.size(), int(menuTable().size()));
    for (size_t m = 0; m < menuTable().size(); ++m) {
        const auto& [top, items] = menuTable()[m];
        QMenu* menu = bar[int(m)]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), QLatin1String(top.name));
        EXPECT_EQ(menu->title(), QString::fromUtf8(top.caption));
        EXPECT_EQ(tav::frmMain::helpTopic(menu), top.topic) << top.name;
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), int(items.size())) << top.name;
        for (size_t i = 0; i < items.size(); ++i) {
            const MenuRow& row = items[i];
            QAction* a = actions[int(i)];
            if (QLatin1String(row.name) == QLatin1String("-")) {
                EXPECT_TRUE(a->isSeparator()) << top.name << " position " << i;
                continue;
            }
            EXPECT_EQ(a->objectName(), QLatin1String(row.name));
            EXPECT_EQ(a->text(), QString::fromUtf8(row.caption)) << row.name;
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(row.shortcut))) << row.name;
            EXPECT_EQ(tav::frmMain::helpTopic(a), row.topic) << row.name;
        }
    }
}

TEST_F(MainWindowTest, LoadSetsTheMenuStatesAndTheCaption)
{
    tav::frmMain* w = loaded(QStringLiteral("Мария Иванова"));
    EXPECT_FALSE(w->menuItem("mnuSlgMed")->isEnabled());
    EXPECT_FALSE(w->menuItem("mnuSlgClean")->isEnabled());
    EXPECT_FALSE(w->menuItem("mnuSlgClean")->isVisible());
    EXPECT_TRUE(w->menuItem("mnuCahgePass")->isEnabled());
    EXPECT_FALSE(w->menuItem("mnuPacMed")->isEnabled());
    EXPECT_FALSE(w->menuItem("mnuOtDati")->isEnabled());
    EXPECT_TRUE(w->menuItem("mnuViewButton")->isChecked());
    EXPECT_FALSE(w->toolBar()->isHidden());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Тавлинора 3.0.5 - д-р Мария Иванова"));
    EXPECT_EQ(tav::mainWindow(), w);

    w->showFirstRunItems();
    EXPECT_TRUE(w->menuItem("mnuSlgClean")->isEnabled());
    EXPECT_TRUE(w->menuItem("mnuSlgClean")->isVisible());
    EXPECT_FALSE(w->menuItem("mnuSlgMed")->isEnabled());
}

TEST_F(MainWindowTest, TheCaptionShowsTheDoctorsNameAsStored)
{
    // A single "[*]" is where Qt puts its modified-mark; the name keeps it.
    const QList<QPair<QString, QString>> names = {
        {"Мария [*] Иванова", "Мария [*] Иванова"}, {"[*]", "[*]"}, {"Д[*][*]", "Д[*][*]"}};
    for (const auto& [name, seen] : names) {
        SCOPED_TRACE(name.toStdString());
        tav::frmMain* w = loaded(name);
        w->show();
        ASSERT_TRUE(w->windowHandle());
        EXPECT_EQ(w->windowHandle()->title().toStdString(), ("Тавлинора 3.0.5 - д-р " + seen).toStdString());
        w->hide();
        window_.reset();
    }
}

TEST_F(MainWindowTest, RefusedLoginEndsTheProgramWithoutACaption)
{
    tav::frmMain w;
    int logins = 0;
    EXPECT_FALSE(w.load([&](QWidget* owner) {
        EXPECT_EQ(owner, &w);
        ++logins;
        return false;
    }));
    EXPECT_EQ(logins, 1);
    EXPECT_TRUE(tav::programEnding());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Тавлинора"));
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, ToolbarHasItsSevenButtonsWithKeysTooltipsAndPictures)
{
    tav::frmMain w;
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"New", "Нов пациент"}, {"Edit", "Корекция на картон"}, {"Help", "Стоматологична помощ"},
        {"PrintZOK", "Печат на дейностите за ЗОК"}, {"PrintGraf", "Печат на графика"},
        {"PrintPac", "Печат на картон"}, {"Grafik", "График на стоматолога"}};
    EXPECT_EQ(w.toolBar()->objectName(), QStringLiteral("ToolBar"));
    QList<QAction*> buttons;
    for (QAction* a : w.toolBar()->actions())
        if (!a->isSeparator())
            buttons << a;
    ASSERT_EQ(buttons.size(), int(expected.size()));
    QSet<qint64> pictures;
    for (size_t i = 0; i < expected.size(); ++i) {
        QAction* a = buttons[int(i)];
        EXPECT_EQ(a->property("key").toString(), QLatin1String(expected[i].first));
        EXPECT_EQ(a->toolTip(), QString::fromUtf8(expected[i].second));
        // A picture of its own, drawn (not blank) at 24 px.
        const QImage img = a->icon().pixmap(24, 24).toImage();
        ASSERT_FALSE(img.isNull()) << expected[i].first;
        int inked = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                inked += qAlpha(img.pixel(x, y)) > 128;
        EXPECT_GT(inked, 60) << expected[i].first;
        const QByteArray bits(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        pictures.insert(qint64(qHash(bits)));
    }
    EXPECT_EQ(pictures.size(), int(expected.size()));   // no two buttons look alike
    EXPECT_EQ(w.toolBar()->iconSize(), QSize(24, 24));
}

TEST_F(MainWindowTest, MenusAndToolbarSetTheSearchModeAndCardMode)
{
    tav::frmMain* w = loaded();
    const std::vector<std::pair<const char*, int>> searches = {{"mnuPacDen", 2}, {"mnuPacKor", 1}, {"mnuOtPac", 3}};
    for (const auto& [item, mode] : searches) {
        tav::PatientSearchMode = 0;
        w->menuItem(item)->trigger();
        EXPECT_EQ(tav::PatientSearchMode, mode) << item;
    }
    const std::vector<std::pair<const char*, int>> buttons = {{"Help", 2}, {"Edit", 1}, {"PrintPac", 3}};
    for (const auto& [key, mode] : buttons) {
        tav::PatientSearchMode = 0;
        w->ToolBar_ButtonClick(QString::fromLatin1(key));
        EXPECT_EQ(tav::PatientSearchMode, mode) << key;
    }
    w->menuItem("mnuPacReg")->trigger();
    EXPECT_EQ(tav::CardMode, QStringLiteral("New"));
    tav::CardMode.clear();
    w->ToolBar_ButtonClick(QStringLiteral("New"));
    EXPECT_EQ(tav::CardMode, QStringLiteral("New"));

    // A key that is not on the toolbar does nothing.
    tav::PatientSearchMode = 7;
    tav::CardMode = QStringLiteral("Edit");
    w->ToolBar_ButtonClick(QStringLiteral("Time"));
    w->ToolBar_ButtonClick(QString());
    EXPECT_EQ(tav::PatientSearchMode, 7);
    EXPECT_EQ(tav::CardMode, QStringLiteral("Edit"));
}

TEST_F(MainWindowTest, TheSearchInItsReportModePrintsThePickedPatientsCard)
{
    tav::frmMain* w = loaded();
    {
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Pacients", {"EGN", "Names", "LKod"}, {"7503126540", "Иван Петров Колев", "2200001"});
        c.insert("Help", {"EGN", "Data", "KodHelp"}, {"7503126540", QDate(2024, 5, 1), "101"});
    }
    tav::patients::prompts().info = [](const QString&, QWidget*) {};
    w->menuItem("mnuOtPac")->trigger();
    QPointer<tav::SeekName> seek = tav::SeekName::instance();
    ASSERT_TRUE(seek);
    seek->findChild<QLineEdit*>("Text1")->setText("Иван");
    seek->OKButton_Click();
    seek->findChild<QComboBox*>("Combo1")->setCurrentIndex(0);
    seek->Combo1_Click();

    tav::printing::rprPacient* card = tav::printing::rprPacient::instance();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->egn(), "7503126540");
    EXPECT_EQ(card->rendered().of("Text5").value(0).text, "101");
    EXPECT_TRUE(seek->isVisible());
    card->preview()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(seek.isNull());   // closing the card closed the search
    EXPECT_EQ(tav::printing::rprPacient::instance(), nullptr);
    tav::patients::prompts() = {};
    tav::DataEnvironment1::instance().restoreDesignTexts();
}

TEST_F(MainWindowTest, ButtonsItemHidesAndShowsTheToolbar)
{
    tav::frmMain* w = loaded();
    w->show();
    QAction* item = w->menuItem("mnuViewButton");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(w->toolBar()->isVisible());
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(w->toolBar()->isVisible());

    QAction* time = w->menuItem("mnuViewTime");
    const bool before = time->isChecked();
    time->trigger();
    EXPECT_NE(time->isChecked(), before);
}

TEST_F(MainWindowTest, TheTimeItemShowsAndHidesTheTimeWindow)
{
    tav::frmMain* w = loaded();
    QAction* time = w->menuItem("mnuViewTime");
    ASSERT_FALSE(time->isChecked());   // the time window is closed at start
    tav::MinutesLeftToday = -42;
    time->trigger();
    ASSERT_NE(tav::TimeDay::instance(), nullptr);
    EXPECT_TRUE(tav::TimeDay::instance()->isVisible());
    EXPECT_EQ(tav::TimeDay::instance()->windowTitle(), QString("Време"));
    EXPECT_EQ(tav::TimeDay::instance()->label()->text(), QString("-42"));
    time->trigger();
    EXPECT_FALSE(time->isChecked());
    EXPECT_FALSE(tav::TimeDay::instance()->isVisible());
    // Shown again, it shows the minutes of now.
    tav::MinutesLeftToday = 185;
    time->trigger();
    EXPECT_EQ(tav::TimeDay::instance()->label()->text(), QString("185"));
    // Closed by its frame: the check mark goes.
    tav::TimeDay::instance()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(tav::TimeDay::instance(), nullptr);
    EXPECT_FALSE(time->isChecked());
    time->trigger();
    EXPECT_TRUE(tav::TimeDay::instance()->isVisible());
    tav::TimeDay::instance()->close();
}

TEST_F(MainWindowTest, ActivationRecomputesTheMinutesAndSetsTheHelpFile)
{
    tav::frmMain* w = loaded();
    tav::MinutesLeftToday = 0;
    tav::help::setHelpFile(QStringLiteral("/nowhere/help.html"));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);
    EXPECT_EQ(tav::MinutesLeftToday, 360);
    EXPECT_EQ(tav::help::helpFile(), QDir(tav::ProgramFolder).filePath(tav::kHelpFileName));
}

TEST_F(MainWindowTest, ClosingRemovesThisCopysWorkFolderAndKeepsThePositionInTwips)
{
    tav::frmMain* w = loaded();
    tav::statistics::periodDialogOpener() = [](QWidget*) {};
    w->menuItem("mnuOtchetWork")->trigger();
    tav::statistics::periodDialogOpener() = {};
    const QString workFolder = QFileInfo(tav::TempDatabasePath).absolutePath();
    ASSERT_TRUE(QFile::exists(tav::TempDatabasePath));
    w->setGeometry(40, 50, 900, 600);
    w->show();
    const QRect r = w->frameGeometry();
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(QFileInfo::exists(workFolder));
    QSettings s(QStringLiteral("Tavlinora"));
    s.beginGroup(QStringLiteral("Settings"));
    EXPECT_EQ(s.value("MainLeft").toString(), QString::number(r.left() * 15));
    EXPECT_EQ(s.value("MainTop").toString(), QString::number(r.top() * 15));
    EXPECT_EQ(s.value("MainWidth").toString(), QString::number(r.width() * 15));
    EXPECT_EQ(s.value("MainHeight").toString(), QString::number(r.height() * 15));
    // The database itself stays.
    EXPECT_TRUE(QFile::exists(tav::DatabasePath));
}

TEST_F(MainWindowTest, ClosingWhileMinimisedRemovesTheWorkFolderButWritesNoSettings)
{
    tav::frmMain* w = loaded();
    tav::statistics::CreateTempTable("TempSpec");
    const QString workFolder = QFileInfo(tav::TempDatabasePath).absolutePath();
    w->showMinimized();
    ASSERT_TRUE(w->isMinimized());
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(QFileInfo::exists(workFolder));
    EXPECT_TRUE(settingsKeys().isEmpty());
}

// The fund's export goes with the closing only once this copy has imported
// it: else it would be imported again on a later day, re-adding the patients
// deleted since, and an export placed for another copy would be lost.
TEST_F(MainWindowTest, ClosingRemovesTheFundsExportOnlyWhenThisCopyImportedIt)
{
    const struct {
        const char* what;
        bool imported;
        bool placedAgain;   // a new export in its place after the import
        bool removed;
    } cases[] = {
        {"placed, not imported", false, false, false},
        {"imported", true, false, true},
        {"imported, then a new one placed", true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tav::frmMain* w = loaded();
        const QString placed = folder_.file("Temp.MDB");   // any case of the name
        ASSERT_TRUE(QFile::copy(testing_support::testDataFile("fund_export.mdb"), placed));
        if (c.imported) {
            QStringList said;
            tav::patients::prompts().info = [&said](const QString& text, QWidget*) { said << text; };
            w->menuItem("mnuPacZOKC")->trigger();
            tav::patients::prompts() = {};
            ASSERT_EQ(said.size(), 1);
            EXPECT_TRUE(said[0].startsWith("Завърших обработката на данните!")) << said[0].toStdString();
        }
        if (c.placedAgain) {
            ASSERT_TRUE(QFile::remove(placed));
            QFile again(placed);
            ASSERT_TRUE(again.open(QIODevice::WriteOnly));
            again.write("the next month's export");
        }
        w->show();
        EXPECT_TRUE(w->close());
        EXPECT_EQ(QFile::exists(placed), !c.removed);
        window_.reset();
        QFile::remove(placed);
    }
}

TEST_F(MainWindowTest, ExitWithYesDeletesNothingAndWritesNothing)
{
    tav::frmMain* w = loaded();
    ASSERT_TRUE(QFile::copy(testing_support::testDataFile("fund_export.mdb"), tav::FundExportPath));
    tav::markExportImported(tav::FundExportPath);
    w->show();
    ModalScript script;
    script.click("ExitDialog", "OKButton");
    w->menuItem("mnuExit")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(tav::programEnding());
    // Whatever closes the window afterwards, its closing steps do not run.
    w->close();
    window_.reset();
    EXPECT_TRUE(QFile::exists(tav::FundExportPath));
    EXPECT_TRUE(settingsKeys().isEmpty());
}

// "ДА" skips the main window's own closing steps, but not the edits typed
// in the open windows.
TEST_F(MainWindowTest, ExitWithYesLetsTheOpenWindowsWriteTheirEditsFirst)
{
    tav::frmMain* w = loaded();
    w->show();
    w->menuItem("mnuSlgUnit")->trigger();
    tav::MedicUnit* unit = tav::MedicUnit::instance();
    ASSERT_NE(unit, nullptr);
    unit->txtFields[int(tav::medicUnitFields().indexOf("UserEmail"))]->setText("info@usmivka.bg");
    ModalScript script;
    script.click("ExitDialog", "OKButton");
    w->menuItem("mnuExit")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(tav::programEnding());
    tav::db::Connection c = tav::db::Connection::main();
    EXPECT_EQ(c.first("SELECT * FROM MedicUnit ORDER BY RecID").text("UserEmail"), QString("info@usmivka.bg"));
}

TEST_F(MainWindowTest, ExitWithYesIsHeldByAWindowThatKeepsItsEdits)
{
    tav::frmMain* w = loaded();
    w->show();
    struct Stubborn : QWidget {
        using QWidget::QWidget;
        void closeEvent(QCloseEvent* e) override { e->ignore(); }
    };
    auto* form = new Stubborn(w, Qt::Window);
    form->show();
    ModalScript script;
    script.click("ExitDialog", "OKButton");
    w->menuItem("mnuExit")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(tav::programEnding());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(form->isVisible());
    delete form;
}

TEST_F(MainWindowTest, ExitWithNoLeavesTheProgramRunning)
{
    tav::frmMain* w = loaded();
    w->show();
    ModalScript script;
    script.click("ExitDialog", "CancelButton");
    w->menuItem("mnuExit")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(tav::programEnding());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowTest, AFailingMenuActionIsReportedAndTheWindowStays)
{
    tav::frmMain* w = loaded();
    w->show();
    QFile::remove(tav::DatabasePath);
    tav::backup::setFileChooser([&](QWidget*, const tav::backup::FileRequest&) { return folder_.file("copy.arh"); });
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    w->menuItem("mnuSlgSave")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(seen.contains(QStringLiteral("Липсва файлът на базата данни"))) << seen.toStdString();
    EXPECT_FALSE(tav::programEnding());
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(QFile::exists(folder_.file("copy.arh")));

    // A folder where the temporary database belongs: "Дейности към ЗОК"
    // cannot make its work table. The menu says so ...
    tav::openWorkFolder();
    ASSERT_FALSE(tav::TempDatabasePath.isEmpty());
    ASSERT_TRUE(QDir().mkpath(tav::TempDatabasePath + "/inside"));
    {
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        w->menuItem("mnuOtchetWork")->trigger();
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(seen.contains(QStringLiteral("temp.mdb"))) << seen.toStdString();
    }
    // ... the toolbar button of the same action passes over it without a word.
    tav::ReportKind.clear();
    {
        ModalScript quiet;
        w->ToolBar_ButtonClick(QStringLiteral("PrintZOK"));
        EXPECT_TRUE(quiet.unexpected().isEmpty()) << qPrintable(quiet.unexpected().join(", "));
    }
    EXPECT_TRUE(tav::ReportKind.isEmpty());
    EXPECT_EQ(tav::statistics::SeekDate::instance(), nullptr);
    EXPECT_TRUE(w->isVisible());

    // With the folder gone the button makes the work table and asks for the period.
    ASSERT_TRUE(QDir(tav::TempDatabasePath).removeRecursively());
    tav::statistics::periodDialogOpener() = [](QWidget*) { tav::statistics::SeekDate::showShared(); };
    w->ToolBar_ButtonClick(QStringLiteral("PrintZOK"));
    tav::statistics::periodDialogOpener() = {};
    EXPECT_EQ(tav::ReportKind, QString("1"));
    ASSERT_NE(tav::statistics::SeekDate::instance(), nullptr);
    EXPECT_TRUE(tav::statistics::SeekDate::instance()->isVisible());
    EXPECT_EQ(tav::db::Connection::temp().scalar("SELECT count(*) FROM sqlite_master WHERE name = 'TempWork'").toInt(), 1);
    tav::statistics::SeekDate::unloadShared();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, BackupFromTheMenuAsksWithItsDialogAndCopiesTheDatabase)
{
    tav::frmMain* w = loaded();
    tav::backup::FileRequest asked;
    QString answer = folder_.file("practice.arh");
    tav::backup::setFileChooser([&](QWidget* owner, const tav::backup::FileRequest& r) {
        EXPECT_EQ(owner, w);
        asked = r;
        return answer;
    });
    w->menuItem("mnuSlgSave")->trigger();
    EXPECT_EQ(asked.title, QStringLiteral("Съхранение на данни"));
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.filter, QStringLiteral("Архивни файлове (*.arh);;Всички файлове (*.*)"));
    EXPECT_EQ(asked.folder, tav::backup::startFolder());
    EXPECT_TRUE(asked.fileName.endsWith(".arh"));
    ASSERT_TRUE(QFile::exists(answer));
    EXPECT_EQ(testing_support::contentOf(answer).toStdString(), testing_support::contentOf(tav::DatabasePath).toStdString());

    // Cancelled: nothing is written and nothing is said.
    answer.clear();
    QFile::remove(folder_.file("practice.arh"));
    ModalScript quiet;
    w->menuItem("mnuSlgSave")->trigger();
    EXPECT_FALSE(QFile::exists(folder_.file("practice.arh")));
    EXPECT_TRUE(quiet.seenWindows().isEmpty());
}

TEST_F(MainWindowTest, RestoreFromTheMenuClosesTheOtherWindowsFirst)
{
    tav::frmMain* w = loaded();
    w->show();
    const QString archive = folder_.file("practice.arh");
    ASSERT_TRUE(QFile::copy(tav::DatabasePath, archive));
    {
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic", "Password"}, {"Нов лекар", "2200009", "kod999"});
    }
    auto* form = new QWidget(w, Qt::Window);
    form->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> watch = form;
    form->show();

    tav::backup::FileRequest asked;
    tav::backup::setFileChooser([&](QWidget*, const tav::backup::FileRequest& r) {
        asked = r;
        return archive;
    });
    ModalScript quiet;
    w->menuItem("mnuSlgOpen")->trigger();
    EXPECT_EQ(asked.title, QStringLiteral("Зареждане на данни"));
    EXPECT_FALSE(asked.save);
    EXPECT_TRUE(watch.isNull() || !watch->isVisible());
    EXPECT_TRUE(quiet.seenWindows().isEmpty());
    tav::db::Connection c = tav::db::Connection::main();
    EXPECT_EQ(c.scalar("SELECT count(*) FROM Medic").toInt(), 0);
}

// A form that will not close (its edits cannot be saved, say).
class StubbornForm : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

TEST_F(MainWindowTest, RestoreIsRefusedWhileAWindowStaysOpenOrTheFileIsForeign)
{
    tav::frmMain* w = loaded();
    w->show();
    const QString archive = folder_.file("practice.arh");
    ASSERT_TRUE(QFile::copy(tav::DatabasePath, archive));
    {
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic", "Password"}, {"Нов лекар", "2200009", "kod999"});
    }
    const QByteArray before = mainBytes();

    auto* form = new StubbornForm(w, Qt::Window);
    form->show();
    tav::backup::setFileChooser([&](QWidget*, const tav::backup::FileRequest&) { return archive; });
    QString seen;
    {
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        w->menuItem("mnuSlgOpen")->trigger();
        EXPECT_TRUE(script.finished());
    }
    EXPECT_TRUE(seen.contains(QStringLiteral("Затворете отворените прозорци"))) << seen.toStdString();
    EXPECT_EQ(mainBytes(), before);
    delete form;

    // The reference database is an SQLite file, but not the practice's data.
    tav::backup::setFileChooser([&](QWidget*, const tav::backup::FileRequest&) { return tav::ReferenceDatabasePath; });
    {
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        w->menuItem("mnuSlgOpen")->trigger();
        EXPECT_TRUE(script.finished());
    }
    EXPECT_TRUE(seen.contains(QStringLiteral("не е архив на данните"))) << seen.toStdString();
    EXPECT_EQ(mainBytes(), before);
}

TEST_F(MainWindowTest, RestoreClosesACardAsClosingTheMainWindowDoes)
{
    tav::frmMain* w = loaded();
    w->show();
    const QString archive = folder_.file("practice.arh");
    ASSERT_TRUE(QFile::copy(tav::DatabasePath, archive));
    {
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Medic", {"Names", "KodMedic", "Password"}, {"Нов лекар", "2200009", "kod999"});
    }
    tav::backup::setFileChooser([&](QWidget*, const tav::backup::FileRequest&) { return archive; });

    // A new card with its EGN typed and nothing else: it cannot be written.
    QStringList said, asked;
    bool giveUp = false;
    tav::patients::prompts().info = [&](const QString& text, QWidget*) { said << text; };
    tav::patients::prompts().ask = [&](const QString& q, QWidget*, const QString&) {
        asked << q;
        return giveUp;
    };
    w->menuItem("mnuPacReg")->trigger();
    tav::KartonAdd* card = tav::KartonAdd::instance();
    ASSERT_NE(card, nullptr);
    card->Text3_Click();
    card->findChild<QLineEdit*>("Text11")->setText("7503126544");
    card->Text11_LostFocus();
    ASSERT_TRUE(said.isEmpty()) << qPrintable(said.join("; "));
    const QByteArray before = mainBytes();

    // The doctor keeps the card: nothing is replaced.
    QString seen;
    {
        ModalScript script;
        script.click("InfDialog", "OKButton", &seen);
        w->menuItem("mnuSlgOpen")->trigger();
        EXPECT_TRUE(script.finished());
    }
    EXPECT_EQ(said, QStringList{tav::patients::kMsgThreeNames});
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(seen.contains(QStringLiteral("Данните не са заредени"))) << seen.toStdString();
    EXPECT_EQ(tav::KartonAdd::instance(), card);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(mainBytes(), before);

    // The doctor gives the card up: it closes and the backup is loaded.
    giveUp = true;
    said.clear();
    asked.clear();
    ModalScript quiet;
    w->menuItem("mnuSlgOpen")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    tav::patients::prompts() = {};
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(tav::KartonAdd::instance(), nullptr);
    EXPECT_TRUE(quiet.seenWindows().isEmpty());
    EXPECT_TRUE(quiet.unexpected().isEmpty()) << qPrintable(quiet.unexpected().join(", "));
    tav::db::Connection c = tav::db::Connection::main();
    EXPECT_EQ(c.scalar("SELECT count(*) FROM Medic").toInt(), 0);
    EXPECT_EQ(c.scalar("SELECT count(*) FROM Pacients").toInt(), 0);
}

TEST_F(MainWindowTest, F1OnAHighlightedItemOpensTheHelpAtItsTopic)
{
    tav::frmMain* w = loaded();
    w->show();
    QMenu* menu = w->menu("mnuSlg");
    menu->popup(QPoint(10, 10));
    menu->setActiveAction(w->menuItem("mnuSlgSave"));
    QTest::keyClick(menu, Qt::Key_F1);
    tav::HelpWindow* help = tav::HelpWindow::instance();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->browser()->source().fragment(), QStringLiteral("topic44"));
    EXPECT_FALSE(menu->isVisible());

    // An item without a topic of its own shows its menu's.
    menu->popup(QPoint(10, 10));
    menu->setActiveAction(w->menuItem("mnuSlgUnit"));
    QTest::keyClick(menu, Qt::Key_F1);
    EXPECT_EQ(tav::HelpWindow::instance()->browser()->source().fragment(), QStringLiteral("topic36"));

    w->menuItem("mnuHelpContents")->trigger();
    EXPECT_TRUE(tav::HelpWindow::instance()->browser()->source().fragment().isEmpty());
    EXPECT_TRUE(tav::HelpWindow::instance()->isVisible());
}

TEST_F(MainWindowTest, TheHelpFileHasATopicForEveryMenuItemThatNamesOne)
{
    tav::frmMain w;
    QFile f(tav::help::builtInFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    QList<QObject*> items;
    for (QAction* a : w.findChildren<QAction*>())
        items << a;
    for (QMenu* m : w.findChildren<QMenu*>())
        items << m;
    int topics = 0;
    for (QObject* item : items) {
        const int topic = tav::frmMain::helpTopic(item);
        if (topic == 0)
            continue;
        ++topics;
        EXPECT_TRUE(html.contains(QStringLiteral("name=\"topic%1\"").arg(topic)))
            << item->objectName().toStdString() << " topic " << topic;
    }
    EXPECT_EQ(topics, 21);
}

TEST_F(MainWindowTest, AboutOpensModallyOverTheMainWindow)
{
    tav::frmMain* w = loaded();
    w->show();
    QWidget* parent = nullptr;
    ModalScript script;
    script.then("About", [&](QWidget* dlg) {
        parent = dlg->parentWidget();
        dlg->findChild<QAbstractButton*>("cmdOK")->click();
    });
    w->menuItem("mnuHelpAbout")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(parent, w);
}

namespace {

// An owned window: the main window's child, of a type the window manager
// keeps above its owner, placed on the main window and on the screen.
void expectOwnedAndPlaced(QWidget* win, QWidget* main, const char* what)
{
    ASSERT_NE(win, nullptr) << what;
    EXPECT_EQ(win->parentWidget(), main) << what;
    EXPECT_TRUE(win->isWindow()) << what;
    EXPECT_EQ(win->windowType(), Qt::Dialog) << what;
    const QRect screen = main->screen()->availableGeometry();
    const QRect r = win->frameGeometry();
    const QPoint centre = main->frameGeometry().center();
    // Centred on the main window in each direction it fits the screen;
    // where it does not, from the screen's edge.
    if (r.width() <= screen.width()) {
        EXPECT_LE(std::abs(r.center().x() - centre.x()), 1) << what << " at x " << r.x() << " width " << r.width() << " around " << centre.x();
    } else {
        EXPECT_EQ(r.left(), screen.left()) << what;
    }
    if (r.height() <= screen.height()) {
        EXPECT_LE(std::abs(r.center().y() - centre.y()), 1) << what << " at y " << r.y();
    } else {
        EXPECT_EQ(r.top(), screen.top()) << what;
    }
}

} // namespace

TEST_F(MainWindowTest, TheWindowsItOpensAreItsOwnAndOpenCentredOnIt)
{
    tav::frmMain* w = loaded();
    // Off the screen's centre, so that centring on the screen would show.
    w->setGeometry(120, 230, 560, 420);
    w->show();
    QCoreApplication::processEvents();

    struct Modeless {
        const char* item;
        std::function<QWidget*()> window;
    };
    const Modeless modeless[] = {
        {"mnuPacReg", [] { return static_cast<QWidget*>(tav::KartonAdd::instance()); }},
        {"mnuPacKor", [] { return static_cast<QWidget*>(tav::SeekName::instance()); }},
        {"mnuSlgUnit", [] { return static_cast<QWidget*>(tav::MedicUnit::instance()); }},
        {"mnuHelpContents", [] { return static_cast<QWidget*>(tav::HelpWindow::instance()); }},
        {"mnuPacKorEGN", [] { return static_cast<QWidget*>(tav::KorEGN::instance()); }},
        {"mnuSlgSchet", [] { return static_cast<QWidget*>(tav::statistics::SeekDate::instance()); }},
    };
    for (const Modeless& m : modeless) {
        w->menuItem(m.item)->trigger();
        QWidget* win = m.window();
        ASSERT_NE(win, nullptr) << m.item;
        EXPECT_TRUE(win->isVisible()) << m.item;
        expectOwnedAndPlaced(win, w, m.item);
        // Chosen again while open: the same window, where the user left it.
        win->move(win->pos() + QPoint(7, 9));
        const QPoint left = win->pos();
        w->menuItem(m.item)->trigger();
        EXPECT_EQ(m.window(), win) << m.item;
        EXPECT_EQ(win->pos(), left) << m.item;
        win->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Modal ones block the main window and are owned by it as well.
    const char* modal[][2] = {{"mnuHelpAbout", "About"}, {"mnuCahgePass", "ChangePassword"}, {"mnuExit", "ExitDialog"}};
    for (const auto& m : modal) {
        const char* item = m[0];
        bool looked = false;
        ModalScript script;
        script.then(m[1], [&](QWidget* dlg) {
            looked = true;
            EXPECT_TRUE(dlg->isModal()) << item;
            EXPECT_TRUE(QApplication::activeModalWidget() == dlg) << item;
            expectOwnedAndPlaced(dlg, w, item);
            qobject_cast<QDialog*>(dlg)->reject();
        });
        w->menuItem(item)->trigger();
        EXPECT_TRUE(looked) << item;
    }
    EXPECT_FALSE(tav::programEnding());

    // A message without a named owner belongs to the main window as well.
    bool looked = false;
    ModalScript script;
    script.then("InfDialog", [&](QWidget* dlg) {
        looked = true;
        expectOwnedAndPlaced(dlg, w, "InfoMessage");
        qobject_cast<QDialog*>(dlg)->reject();
    });
    tav::InfoMessage(QStringLiteral("Проба"));
    EXPECT_TRUE(looked);
}

TEST_F(MainWindowTest, ScheduleAndPriceListOpenModallyOverTheMainWindow)
{
    tav::frmMain* w = loaded();
    w->show();
    struct Case {
        std::function<void()> open;
        const char* window;
        const char* close;
    };
    const Case cases[] = {
        {[w] { w->menuItem("mnuSlgGraf")->trigger(); }, "Grafic", "cmdClose"},
        {[w] { w->ToolBar_ButtonClick("Grafik"); }, "Grafic", "cmdClose"},
        {[w] { w->menuItem("mnuSlgCeno")->trigger(); }, "Cenoraz", "cmdClose"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        // opened for booking from the treatment form before
        tav::DenHelp::vars().sGraf = "1";
        QWidget* parent = nullptr;
        bool modal = false;
        QString flag;
        ModalScript script;
        script.then(c.window, [&](QWidget* dlg) {
            parent = dlg->parentWidget();
            modal = dlg->isModal();
            flag = tav::DenHelp::vars().sGraf;
            dlg->findChild<QAbstractButton*>(c.close)->click();
        });
        c.open();
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(parent, w);
        EXPECT_TRUE(modal);
        if (QString(c.window) == "Grafic") {
            EXPECT_EQ(flag, QString("0"));   // view mode
        }
    }
    tav::DenHelp::vars() = {};
}

TEST_F(MainWindowTest, ThePrintedScheduleAsksForItsDayFromTheMenuAndTheToolbar)
{
    tav::frmMain* w = loaded();
    w->show();
    const QList<std::function<void()>> opens = {
        [w] { w->menuItem("mnuOtSpGraf")->trigger(); },
        [w] { w->ToolBar_ButtonClick("PrintGraf"); },
    };
    for (const auto& open : opens) {
        ModalScript script;
        script.then("ChoiceDialog", [](QWidget* dlg) {
            dlg->findChild<QLineEdit*>("Text1")->setText("07.03.2026");
            dlg->findChild<QAbstractButton*>("OKButton")->click();
        });
        open();
        EXPECT_TRUE(script.finished());
        tav::rprGrafic* r = tav::rprGrafic::instance();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->day(), QDate(2026, 3, 7));
        ASSERT_NE(r->preview(), nullptr);
        EXPECT_TRUE(r->preview()->isVisible());
        r->preview()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(tav::rprGrafic::instance(), nullptr);
    }
    // Asked again while a day is shown: the day is asked for again and the
    // book is read as it stands now.
    for (const char* day : {"07.03.2026", "08.03.2026"}) {
        ModalScript script;
        script.then("ChoiceDialog", [day](QWidget* dlg) {
            dlg->findChild<QLineEdit*>("Text1")->setText(day);
            dlg->findChild<QAbstractButton*>("OKButton")->click();
        });
        w->menuItem("mnuOtSpGraf")->trigger();
        EXPECT_TRUE(script.finished()) << day;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    tav::rprGrafic* r = tav::rprGrafic::instance();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->day(), QDate(2026, 3, 8));
    r->preview()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, FundReportItemsOpenThePeriodDialogForKindFour)
{
    tav::frmMain* w = loaded();
    using tav::statistics::SeekDate;
    {
        // A patient export waiting beside: no report touches it.
        tav::db::Connection c(tav::FundExportPath, tav::db::OpenMode::Create);
        c.exec("CREATE TABLE patients (IDNUMBER TEXT)");
    }
    const QString exported = testing_support::contentOf(tav::FundExportPath);
    w->menuItem("mnuOtchetExportXML")->trigger();
    EXPECT_EQ(tav::ReportKind, QString("4"));
    ASSERT_NE(SeekDate::instance(), nullptr);
    EXPECT_TRUE(SeekDate::instance()->isVisible());
    EXPECT_FALSE(SeekDate::instance()->isModal());
    EXPECT_EQ(tav::db::Connection::temp().query("SELECT name FROM sqlite_master WHERE type = 'table'").size(), 1);
    EXPECT_TRUE(tav::db::Connection::temp().scalar("SELECT count(*) FROM sqlite_master WHERE name = 'TempWork'").toInt() == 1);
    EXPECT_EQ(testing_support::contentOf(tav::FundExportPath).toStdString(), exported.toStdString());
    SeekDate::unloadShared();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QFile::remove(tav::TempDatabasePath);
    tav::ReportKind = "1";
    w->menuItem("mnuSlgSchet")->trigger();
    EXPECT_EQ(tav::ReportKind, QString("4"));
    ASSERT_NE(SeekDate::instance(), nullptr);
    EXPECT_FALSE(QFile::exists(tav::TempDatabasePath));
    SeekDate::unloadShared();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every report item, its preparation and preview, and the closing of the
// main window, with the fund's export waiting as temp.mdb in the program folder.
TEST_F(MainWindowTest, ReportsRunWithTheFundsExportInPlaceLeaveItByteForByte)
{
    fund_fixture::fillSmallPractice();
    tav::frmMain* w = loaded();
    tav::CurrentDoctorCode = fund_fixture::kDoctor;
    ASSERT_TRUE(QFile::copy(testing_support::testDataFile("fund_export.mdb"), tav::FundExportPath));
    const auto bytes = [] {
        QFile f(tav::FundExportPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(gone)");
    };
    const QByteArray placed = bytes();
    tav::statistics::periodDialogOpener() = [](QWidget*) {};
    tav::statistics::periodVars() = {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"};
    const struct {
        const char* item;
        int kind;
    } cases[] = {{"mnuOtchetWork", 1}, {"mnuOtMat", 2}, {"mnuOtchetWorkGod", 3}, {"mnuOtSpecif", 5}, {"mnuOtchetExportXML", 4}};
    for (const auto& c : cases) {
        w->menuItem(c.item)->trigger();
        if (c.kind != 4) {
            ModalScript script;
            script.click("InfDialog", "OKButton");
            EXPECT_TRUE(tav::statistics::runPeriodReport(c.kind, nullptr)) << c.item;
            tav::statistics::closePeriodReportPreview();
        }
        EXPECT_EQ(bytes(), placed) << c.item;
    }
    tav::statistics::periodDialogOpener() = {};
    w->show();
    EXPECT_TRUE(w->close());
    EXPECT_EQ(bytes(), placed);
}

TEST_F(MainWindowTest, FundReportFromTheMenuToTheSavedFile)
{
    fund_fixture::fillSmallPractice();
    tav::frmMain* w = loaded();
    tav::CurrentDoctorCode = fund_fixture::kDoctor;
    QTemporaryDir saveDir;
    const QString target = saveDir.filePath("report.xml");
    tav::statistics::SeekDate::setSaveNameQuestion(
        [&](QWidget*, const tav::statistics::SaveRequest&) { return target; });
    w->menuItem("mnuOtchetExportXML")->trigger();
    auto* d = tav::statistics::SeekDate::instance();
    ASSERT_NE(d, nullptr);
    d->Text1(0)->setText("01.03.2010");
    d->Text1(1)->setText("31.03.2010");
    ModalScript script;
    script.click("InfDialog", "OKButton");
    d->OKButton()->click();
    EXPECT_TRUE(script.finished());
    tav::statistics::SeekDate::setSaveNameQuestion({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(tav::statistics::SeekDate::instance(), nullptr);
    const QString text = QString::fromUtf8(fund_fixture::readBytes(target));
    EXPECT_EQ(text.count("<dentalCareService "), 3);
    fund_fixture::expectWellFormed(target);
}

TEST_F(MainWindowTest, LooksLikeTheProgram)
{
    tav::frmMain* w = loaded(QStringLiteral("Мария Иванова"));
    w->resize(790, 560);
    w->show();
    QCoreApplication::processEvents();
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    const QImage shot = w->grab().toImage();
    if (!dir.isEmpty())
        shot.save(dir + "/frmmain.png");
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Тавлинора 3.0.5 - д-р Мария Иванова"));

    // The menu bar's five captions, drawn in order.
    const ShownTexts bar = shownItems(w->menuBar());
    EXPECT_TRUE(bar.faults.isEmpty()) << qPrintable(bar.faults.join("\n"));
    EXPECT_EQ(bar.texts, (QStringList{"Пациенти", "Справки", "Служебна", "Прозорец", "Помощ"}));

    // The toolbar under it: seven pictures side by side, each drawn.
    QToolBar* tools = w->toolBar();
    const QRect toolsRect(tools->mapTo(w, QPoint(0, 0)), tools->size());
    EXPECT_GE(toolsRect.top(), w->menuBar()->geometry().bottom());
    QRect previous;
    int buttons = 0;
    for (QAction* a : tools->actions()) {
        if (a->isSeparator())
            continue;
        QWidget* b = tools->widgetForAction(a);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isVisible()) << qPrintable(a->toolTip());
        const QRect r(b->mapTo(w, QPoint(0, 0)), b->size());
        EXPECT_TRUE(toolsRect.contains(r)) << qPrintable(a->toolTip());
        EXPECT_FALSE(r.intersects(previous)) << qPrintable(a->toolTip());
        previous = r;
        QSet<QRgb> colours;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                colours.insert(shot.pixel(x, y));
        EXPECT_GT(colours.size(), 4) << qPrintable(a->toolTip()) << " shows no picture";
        ++buttons;
    }
    EXPECT_EQ(buttons, 7);
    // The frame for the other windows fills the rest.
    const QRect frame(w->mdiArea()->mapTo(w, QPoint(0, 0)), w->mdiArea()->size());
    EXPECT_GE(frame.top(), toolsRect.bottom());
    EXPECT_GT(frame.height(), w->height() / 2);

    // A menu opened from it shows its items' captions.
    QMenu* m = w->menu("mnuSlg");
    m->popup(w->mapToGlobal(QPoint(150, 20)));
    QCoreApplication::processEvents();
    const ShownTexts items = shownItems(m);
    if (!dir.isEmpty())
        m->grab().save(dir + "/frmmain_mnuSlg.png");
    m->close();
    EXPECT_TRUE(items.faults.isEmpty()) << qPrintable(items.faults.join("\n"));
    for (const char* caption : {"Ценоразпис", "Лечебно заведение", "Съхраняване на данни", "Зареждане на данни",
                                "Смяна на паролата"})
        EXPECT_TRUE(items.shows(QString::fromUtf8(caption))) << caption;

    // The help at a topic: its buttons, and the topic's heading at the top.
    ASSERT_TRUE(tav::help::showTopic(w, 44));
    tav::HelpWindow* help = tav::HelpWindow::instance();
    ASSERT_NE(help, nullptr);
    QCoreApplication::processEvents();
    const ShownTexts helpTexts = shownTexts(help);
    EXPECT_TRUE(helpTexts.faults.isEmpty()) << qPrintable(helpTexts.faults.join("\n"));
    for (const char* caption : {"Съдържание", "Назад", "Напред"})
        EXPECT_TRUE(helpTexts.shows(QString::fromUtf8(caption))) << caption;
    QTextBrowser* browser = help->browser();
    const QTextCursor top = browser->cursorForPosition(QPoint(10, 10));
    EXPECT_EQ(top.block().text(), QStringLiteral("Съхраняване на данни"));
    if (!dir.isEmpty())
        help->grab().save(dir + "/help.png");
}

} // namespace

TEST_F(MainWindowTest, TheTreatmentFormPrintsTheCardOfItsPatientAndClosesWithIt)
{
    loaded();
    {
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Pacients", {"EGN", "Names", "LKod"}, {"7503126540", "Иван Петров Колев", "2200001"});
        c.insert("Help", {"EGN", "Data", "KodHelp"}, {"7503126540", QDate(2024, 5, 1), "101"});
    }
    tav::SeekName::vars().sFindEGN = "7503126540";
    tav::SeekName::vars().sFindName = "Иван Петров Колев";
    tav::DenHelp::vars().sVidDen = "Edit";
    QPointer<tav::DenHelp> form = tav::DenHelp::showShared();
    ASSERT_TRUE(form);
    form->cmdPrintData_Click();
    tav::printing::rprHelpData* card = tav::printing::rprHelpData::instance();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->egn(), "7503126540");
    card->preview()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());   // closing the card closed the form
    tav::DataEnvironment1::instance().restoreDesignTexts();
}

TEST_F(MainWindowTest, TheTreatmentFormOpensItsReferralsAndTheBookingSchedule)
{
    loaded();
    {
        tav::db::Connection c = tav::db::Connection::main();
        c.insert("Pacients", {"EGN", "Names", "LKod"}, {"7503126540", "Иван Петров Колев", "2200001"});
    }
    tav::SeekName::vars().sFindEGN = "7503126540";
    tav::SeekName::vars().sFindName = "Иван Петров Колев";
    tav::DenHelp::vars().sVidDen = "Edit";
    QPointer<tav::DenHelp> form = tav::DenHelp::showShared();
    ASSERT_TRUE(form);

    QWidget* referralsOwner = nullptr;
    QWidget* scheduleOwner = nullptr;
    bool booking = false;
    testing_support::ModalScript script;
    script.then("PathWay", [&](QWidget* w) { referralsOwner = w->parentWidget(); w->close(); })
        .then("Grafic", [&](QWidget* w) {
            scheduleOwner = w->parentWidget();
            booking = tav::DenHelp::vars().sGraf == "1";
            w->close();
        });
    form->cmdParh_Click();
    form->cmdGrafic_Click();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(referralsOwner, form.data());
    EXPECT_EQ(scheduleOwner, form.data());
    EXPECT_TRUE(booking);
    delete form.data();
}

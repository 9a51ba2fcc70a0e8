#include "shell/frmmain.h"

#include "ui_frmmain.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/entry.h"
#include "patients/koregn.h"
#include "patients/maintenance.h"
#include "patients/seekname.h"
#include "patients/zokcimport.h"
#include "printing/printouts.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"
#include "services/ownedwindow.h"
#include "services/plaintext.h"
#include "services/program.h"
#include "shell/about.h"
#include "shell/backup.h"
#include "shell/changepassword.h"
#include "shell/helpwindow.h"
#include "shell/medicadd.h"
#include "shell/medicunit.h"
#include "shell/password.h"
#include "shell/pictures.h"
#include "shell/support.h"
#include "statistics/periodreports.h"
#include "statistics/reportitems.h"
#include "statistics/seekdate.h"
#include "statistics/tempdb.h"
#include "treatments/cenoraz.h"
#include "treatments/denhelp.h"
#include "treatments/grafic.h"
#include "treatments/pathway.h"
#include "treatments/rprgrafic.h"
#include "treatments/timebudget.h"
#include "treatments/timeday.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QToolBar>
#include <exception>

namespace tav {

namespace {

constexpr int kTwipsPerPixel = 15;

// The toolbar: key -> picture.
struct ToolButton {
    const char* key;
    const char* picture;
};
constexpr ToolButton kToolButtons[] = {
    {"New", "New"}, {"Edit", "Edit"}, {"Help", "Help"}, {"PrintZOK", "ZOK"},
    {"PrintGraf", "Graf"}, {"PrintPac", "Pac"}, {"Grafik", "Grafic"},
};

QString failureText(const std::exception& e)
{
    if (const auto* db = dynamic_cast<const db::DbError*>(&e))
        return db->userText();
    return QStringLiteral("Възникна грешка: ") + QString::fromUtf8(e.what());
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), ui(new Ui::frmMain)
{
    ui->setupUi(this);
    setWindowIcon(QIcon(programPicture(64)));
    ui->mdiArea->setBackground(QColor(0x6f, 0x86, 0xa6));

    for (QAction* a : ui->ToolBar->actions()) {
        const QString key = a->property("key").toString();
        for (const ToolButton& b : kToolButtons)
            if (key == QLatin1String(b.key))
                a->setIcon(toolBarPicture(QString::fromLatin1(b.picture)));
        if (!key.isEmpty())
            connect(a, &QAction::triggered, this, [this, key] { ToolBar_ButtonClick(key); });
    }
    ui->ToolBar->toggleViewAction()->setVisible(false);

    for (QMenu* m : ui->menuBar->findChildren<QMenu*>())
        m->installEventFilter(this);
    connectMenus();
    // The search in its report mode prints the card of the patient picked;
    // closing the card closes the search.
    SeekName::setPrintedCardOpener([] { printing::ShowPatientCard(SeekName::vars().sFindEGN, &SeekName::unloadShared); });
    // The treatment form's printouts; closing the sheet or the card closes
    // the form.
    DenHelp::setSheetOpener([] { printing::ShowOutpatientSheet(&DenHelp::unloadShared); });
    DenHelp::setCardOpener([] { printing::ShowDentalCard(DenHelp::vars().sEGN, &DenHelp::unloadShared); });
    DenHelp::setReferralsOpener([](QWidget* owner) { PathWay::showShared(owner); });
    DenHelp::setScheduleOpener([](QWidget* owner) { Grafic::showShared(owner, true); });

    // A sensible first size: most of the screen, centred.
    QSize size(1100, 760);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        size = size.boundedTo(avail.size() * 0.92);
        resize(size);
        move(avail.center() - rect().center());
    } else {
        resize(size);
    }
}

frmMain::~frmMain()
{
    if (mainWindow() == this) {
        setMainWindow(nullptr);
        setOpenWindowsCloser({});
    }
}

QAction* frmMain::menuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* frmMain::menu(const QString& name) const
{
    return findChild<QMenu*>(name);
}

QToolBar* frmMain::toolBar() const
{
    return ui->ToolBar;
}

QMdiArea* frmMain::mdiArea() const
{
    return ui->mdiArea;
}

int frmMain::helpTopic(const QObject* item)
{
    return item ? item->property("helpTopic").toInt() : 0;
}

QString frmMain::captionFor(const QString& doctorName)
{
    return kProductName + QLatin1Char(' ') + versionText() + QStringLiteral(" - д-р ") + doctorName;
}

void frmMain::connectMenus()
{
    const auto on = [this](QAction* a, void (frmMain::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    };
    on(ui->mnuPacDen, &frmMain::mnuPacDen_Click);
    on(ui->mnuPacKor, &frmMain::mnuPacKor_Click);
    on(ui->mnuPacKorEGN, &frmMain::mnuPacKorEGN_Click);
    on(ui->mnuPacReg, &frmMain::mnuPacReg_Click);
    on(ui->mnuPacZOKC, &frmMain::mnuPacZOKC_Click);
    on(ui->mnuExit, &frmMain::mnuExit_Click);
    on(ui->mnuOtPac, &frmMain::mnuOtPac_Click);
    on(ui->mnuSlgMed, &frmMain::mnuSlgMed_Click);
    on(ui->mnuSlgUnit, &frmMain::mnuSlgUnit_Click);
    on(ui->mnuSlgSave, &frmMain::mnuSlgSave_Click);
    on(ui->mnuSlgOpen, &frmMain::mnuSlgOpen_Click);
    on(ui->mnuSlgUtil, &frmMain::mnuSlgUtil_Click);
    on(ui->mnuSlgClean, &frmMain::mnuSlgClean_Click);
    on(ui->mnuCahgePass, &frmMain::mnuCahgePass_Click);
    on(ui->mnuHelpContents, &frmMain::mnuHelpContents_Click);
    on(ui->mnuHelpUpdate, &frmMain::mnuHelpUpdate_Click);
    on(ui->mnuHelpAbout, &frmMain::mnuHelpAbout_Click);
    on(ui->mnuOtchetExportXML, &frmMain::mnuOtchetExportXML_Click);
    on(ui->mnuSlgSchet, &frmMain::mnuSlgSchet_Click);
    on(ui->mnuOtSpGraf, &frmMain::mnuOtSpGraf_Click);
    on(ui->mnuSlgGraf, &frmMain::mnuSlgGraf_Click);
    on(ui->mnuSlgCeno, &frmMain::mnuSlgCeno_Click);
    connect(ui->mnuViewButton, &QAction::triggered, this, &frmMain::mnuViewButton_Click);
    // The period reports: each prepares its work table, then the period dialog.
    const auto report = [this](QAction* a, void (*start)(QWidget*)) {
        connect(a, &QAction::triggered, this, [this, start] { runGuarded([this, start] { start(this); }); });
    };
    report(ui->mnuOtchetWork, &statistics::startWorkList);
    report(ui->mnuOtchetWorkGod, &statistics::startFundSummary);
    report(ui->mnuOtMat, &statistics::startMaterials);
    report(ui->mnuOtSpecif, &statistics::startSpecification);
    connect(ui->mnuViewTime, &QAction::triggered, this, &frmMain::mnuViewTime_Click);
    // The time window closed by its frame takes the check mark with it.
    QPointer<QAction> time = ui->mnuViewTime;
    TimeDay::setClosedHandler([time] {
        if (time)
            time->setChecked(false);
    });
}

void frmMain::runGuarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        InfoMessage(failureText(e), this);
    }
}

// ---------------------------------------------------------------- load

bool frmMain::load(const LoginStep& login)
{
    setMainWindow(this);
    setOpenWindowsCloser([this] { return closeOwnedWindows(); });
    ui->mnuSlgMed->setEnabled(false);
    ui->mnuSlgClean->setEnabled(false);
    ui->mnuSlgClean->setVisible(false);
    ui->mnuCahgePass->setEnabled(true);

    const bool granted = login ? login(this) : Password::runLogin(this);
    if (!granted) {
        endProgram();
        return false;
    }
    setWindowTitle(titleText(captionFor(CurrentDoctorName)));
    return true;
}

void frmMain::showFirstRunItems()
{
    ui->mnuSlgClean->setEnabled(true);
    ui->mnuSlgClean->setVisible(true);
}

void frmMain::activate()
{
    try {
        ComputeMinutesLeftToday();
        lastActivationError_.clear();
    } catch (const std::exception& e) {
        // Shown once: the message box itself re-activates the window.
        const QString text = failureText(e);
        if (text != lastActivationError_) {
            lastActivationError_ = text;
            InfoMessage(text, this);
        }
    }
    help::setHelpFile(QDir(ProgramFolder).filePath(kHelpFileName));
}

bool frmMain::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        activate();
    return QMainWindow::event(e);
}

// ---------------------------------------------------------------- unload

void frmMain::unloadSteps()
{
    // This copy's work tables go; the fund's export only when this copy
    // imported it, so that it is not imported again on a later day and an
    // export placed for another copy stays.
    statistics::RemoveTempDatabase();
    removeImportedExport();

    if (!isMinimized()) {
        const QRect r = frameGeometry();
        QSettings settings(QStringLiteral("Tavlinora"));
        settings.beginGroup(QStringLiteral("Settings"));
        settings.setValue(QStringLiteral("MainLeft"), QString::number(r.left() * kTwipsPerPixel));
        settings.setValue(QStringLiteral("MainTop"), QString::number(r.top() * kTwipsPerPixel));
        settings.setValue(QStringLiteral("MainWidth"), QString::number(r.width() * kTwipsPerPixel));
        settings.setValue(QStringLiteral("MainHeight"), QString::number(r.height() * kTwipsPerPixel));
        settings.endGroup();
        settings.sync();
    }
}

bool frmMain::closeOwnedWindows()
{
    ui->mdiArea->closeAllSubWindows();
    if (!ui->mdiArea->subWindowList().isEmpty())
        return false;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w == this || !w->isVisible())
            continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool)
            continue;
        if (!w->close())
            return false;
    }
    return true;
}

void frmMain::closeEvent(QCloseEvent* e)
{
    if (programEnding()) {
        e->accept();
        return;
    }
    // The other windows close first, so their pending edits are written.
    if (!closeOwnedWindows()) {
        e->ignore();
        return;
    }
    unloadSteps();
    e->accept();
}

// ---------------------------------------------------------------- help key

bool frmMain::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        if (auto* m = qobject_cast<QMenu*>(watched)) {
            int topic = helpTopic(m->activeAction());
            if (topic == 0)
                topic = helpTopic(m);
            while (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            help::showTopic(this, topic);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---------------------------------------------------------------- toolbar

void frmMain::ToolBar_ButtonClick(const QString& key)
{
    // The toolbar passes over any failure of the action it starts.
    try {
        if (key == QLatin1String("New"))
            mnuPacReg_Click();
        else if (key == QLatin1String("Edit"))
            mnuPacKor_Click();
        else if (key == QLatin1String("Help"))
            mnuPacDen_Click();
        else if (key == QLatin1String("PrintPac"))
            mnuOtPac_Click();
        else if (key == QLatin1String("PrintZOK"))
            statistics::startWorkList(this);
        else if (key == QLatin1String("PrintGraf"))
            mnuOtSpGraf_Click();
        else if (key == QLatin1String("Grafik"))
            mnuSlgGraf_Click();
    } catch (...) {
    }
}

// ---------------------------------------------------------------- menu actions

void frmMain::mnuPacDen_Click()
{
    PatientSearchMode = 2;
    patients::openSearchByName(this);
}

void frmMain::mnuPacKor_Click()
{
    PatientSearchMode = 1;
    patients::openSearchByName(this);
}

void frmMain::mnuPacKorEGN_Click()
{
    KorEGN::showShared();
}

void frmMain::mnuPacReg_Click()
{
    CardMode = QStringLiteral("New");
    patients::openNewPatientCard(this);
}

void frmMain::mnuPacZOKC_Click()
{
    patients::ImportZOKCPatients(this);
}

void frmMain::mnuExit_Click()
{
    ExitConfirmation(this);
}

void frmMain::mnuOtPac_Click()
{
    PatientSearchMode = 3;
    patients::openSearchByName(this);
}

void frmMain::mnuSlgMed_Click()
{
    MedicAdd dlg(this);
    execOwnedDialog(dlg, this);
}

void frmMain::mnuSlgUnit_Click()
{
    MedicUnit::showShared();
}

void frmMain::mnuSlgSave_Click()
{
    const QString file = backup::chooseFile(this, backup::backupRequest());
    if (file.isEmpty())
        return;
    Hourglass wait;
    backup::backupDatabase(file);
}

void frmMain::mnuSlgOpen_Click()
{
    const QString file = backup::chooseFile(this, backup::restoreRequest());
    if (file.isEmpty())
        return;
    // A foreign file is refused before any window is asked to close.
    backup::checkRestoreSource(file);
    if (!closeOwnedWindows()) {
        InfoMessage(QStringLiteral("Затворете отворените прозорци и опитайте отново. Данните не са заредени."), this);
        return;
    }
    Hourglass wait;
    backup::restoreDatabase(file);
}

void frmMain::mnuSlgUtil_Click()
{
    patients::RepairDatabase(this);
}

void frmMain::mnuSlgClean_Click()
{
    patients::DeleteOtherDoctorsPatients(this);
}

void frmMain::mnuCahgePass_Click()
{
    ChangePassword::showModal(this);
}

void frmMain::mnuViewButton_Click(bool checked)
{
    ui->ToolBar->setVisible(checked);
}

void frmMain::mnuViewTime_Click(bool checked)
{
    if (checked)
        TimeDay::showShared();
    else
        TimeDay::hideShared();
}

void frmMain::mnuHelpContents_Click()
{
    help::showContents(this);
}

void frmMain::mnuHelpUpdate_Click()
{
    support::openPage();
}

void frmMain::mnuHelpAbout_Click()
{
    About dlg(this);
    execOwnedDialog(dlg, this);
}

void frmMain::mnuOtchetExportXML_Click()
{
    statistics::closePeriodReportPreview();
    statistics::CreateTempTable(QStringLiteral("TempWork"));
    ReportKind = QStringLiteral("4");
    statistics::SeekDate::showShared();
}

void frmMain::mnuSlgSchet_Click()
{
    statistics::closePeriodReportPreview();
    ReportKind = QStringLiteral("4");
    statistics::SeekDate::showShared();
}

void frmMain::mnuOtSpGraf_Click()
{
    // Asked again, the day is asked for again and the book read as it stands.
    rprGrafic::closeShared();
    rprGrafic::showShared();
}

void frmMain::mnuSlgGraf_Click()
{
    // Opened from here the schedule only keeps the book.
    Grafic::showShared(this, false);
}

void frmMain::mnuSlgCeno_Click()
{
    Cenoraz::showShared(this);
}

} // namespace tav

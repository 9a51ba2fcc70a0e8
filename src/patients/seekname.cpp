#include "patients/seekname.h"
#include "ui_seekname.h"

#include "db/database.h"
#include "patients/kartonadd.h"
#include "patients/patientsearch.h"
#include "patients/prompts.h"
#include "services/globals.h"
#include "services/hourglass.h"
#include "services/program.h"
#include "services/sharedwindow.h"
#include "treatments/denhelp.h"

#include <QAbstractItemView>
#include <QStandardItemModel>

namespace tav {

using namespace patients;

namespace {
SharedWindow<SeekName> g_seek;
std::function<void()> g_printedCard;
}

SeekName::Vars& SeekName::vars()
{
    static Vars v;
    return v;
}

SeekName* SeekName::instance()
{
    return g_seek;
}

SeekName* SeekName::showShared()
{
    return g_seek.show();
}

void SeekName::unloadShared()
{
    g_seek.close();
}

void SeekName::setPrintedCardOpener(std::function<void()> open)
{
    g_printedCard = std::move(open);
}

SeekName::SeekName(QWidget* parent) : QDialog(parent), ui(new Ui::SeekName)
{
    ui->setupUi(this);
    setModal(false);
    g_seek.adopt(this);
    // Grey until first used.
    for (QWidget* w : {static_cast<QWidget*>(ui->Text1), static_cast<QWidget*>(ui->Combo1)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        w->setPalette(p);
    }
    ui->Combo1->view()->setMinimumWidth(ui->Combo1->fontMetrics().horizontalAdvance(QString(90, QLatin1Char('0'))));
    ui->Text1->installEventFilter(this);
    ui->Combo1->view()->window()->installEventFilter(this);
    connect(ui->OKButton, &QPushButton::clicked, this, &SeekName::OKButton_Click);
    connect(ui->CancelButton, &QPushButton::clicked, this, &SeekName::CancelButton_Click);
    connect(ui->Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
}

SeekName::~SeekName() = default;

void SeekName::makeWhite(QWidget* w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, Qt::white);
    w->setPalette(p);
}

void SeekName::Form_Activate()
{
    switch (PatientSearchMode) {
    case 1: setWindowTitle(QStringLiteral("Корекция - Търсене по име")); break;
    case 2: setWindowTitle(QStringLiteral("Стоматологична помощ - Търсене по име")); break;
    case 3: setWindowTitle(QStringLiteral("Справка за пациент - Търсене по име")); break;
    default: break;
    }
    ui->Text1->setFocus(Qt::OtherFocusReason);
}

bool SeekName::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(e);
}

bool SeekName::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->Text1 && (e->type() == QEvent::FocusIn || e->type() == QEvent::MouseButtonPress)) {
        ui->OKButton->setDefault(true);
        makeWhite(ui->Text1);
    } else if (watched == ui->Combo1->view()->window() && e->type() == QEvent::Show) {
        makeWhite(ui->Combo1);
    }
    return QDialog::eventFilter(watched, e);
}

void SeekName::OKButton_Click()
{
    ui->Combo1->clear();
    const QString key = searchKey(ui->Text1->text());
    SearchResult found;
    try {
        Hourglass wait;
        found = SearchByFirstName(key, CurrentDoctorCode, [this](int position, int rows) {
            if (position == 1) {
                ui->ProgBar->setMinimum(1);
                ui->ProgBar->setMaximum(rows == 1 ? 10 : rows);
                ui->ProgBar->setValue(1);
            }
            ui->ProgBar->setValue(position);
        });
    } catch (const db::DbError& e) {
        say(e.userText(), this);
        return;
    }
    if (found.rows == 0) {
        say(kMsgNoPatients, this);
        return;
    }
    // One insertion for the whole list, each entry with its EGN whole.
    QList<QStandardItem*> entries;
    entries.reserve(found.items.size());
    for (const FoundPatient& p : found.items) {
        auto* entry = new QStandardItem(p.item);
        entry->setData(p.egn, Qt::UserRole);
        entries << entry;
    }
    if (auto* model = qobject_cast<QStandardItemModel*>(ui->Combo1->model()))
        model->invisibleRootItem()->appendRows(entries);
    // Nothing chosen yet: the first Down in the list chooses the first patient.
    ui->Combo1->setCurrentIndex(-1);
    say(kMsgSearchDone, this);
}

void SeekName::Combo1_Click()
{
    ui->OKButton->setDefault(true);
    const QString item = ui->Combo1->currentText();
    if (item.isEmpty()) {
        say(kMsgNoneChosen, this);
        return;
    }
    vars().sFindName = findNameOf(item);
    vars().sFindEGN = ui->Combo1->currentData().toString();
    switch (PatientSearchMode) {
    case 1:
        CardMode = QStringLiteral("Edit");
        KartonAdd::showShared();
        break;
    case 2:
        DenHelp::vars().sVidDen = QStringLiteral("Edit");
        DenHelp::showShared(mainWindow());
        break;
    case 3:
        if (g_printedCard)
            g_printedCard();
        break;
    default:
        break;
    }
}

void SeekName::CancelButton_Click()
{
    say(kMsgNoneChosen, this);
    close();
}

void SeekName::reject()
{
    // Escape answers as "Отказ".
    CancelButton_Click();
}

void SeekName::closeEvent(QCloseEvent* e)
{
    // Unloading is not a refusal: the dialog's own close would call reject().
    QWidget::closeEvent(e);
}

} // namespace tav

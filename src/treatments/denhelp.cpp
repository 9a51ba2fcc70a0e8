#include "treatments/denhelp.h"
#include "ui_denhelp.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "db/values.h"
#include "patients/kartonadd.h"
#include "patients/patientsearch.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/globals.h"
#include "services/hourglass.h"
#include "services/plaintext.h"
#include "services/sharedwindow.h"
#include "treatments/headerline.h"
#include "treatments/sheetprep.h"
#include "treatments/timebudget.h"
#include "treatments/treatmentrecord.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>

namespace tav {

using namespace treatments;
using patients::say;

namespace {

SharedWindow<DenHelp> g_form;
std::function<void()> g_sheetOpener;
std::function<void()> g_cardOpener;
std::function<void(QWidget*)> g_referralsOpener;
std::function<void(QWidget*)> g_scheduleOpener;

const QString kMsgCannotChange = QStringLiteral("Не можете да променяте записа!");
const QString kCloseUnsavedQuestion = QStringLiteral("Данните не са записани.\rЗатваряте ли без запис?");
const QString kMsgNoActivityCode =
    QStringLiteral("Няма код на дейността!\rНапишете кода в колоната „Код дейн.“; редът не е записан.");

// The fields the save stamps.
const QStringList& savedFields()
{
    static const QStringList f = {QStringLiteral("EGN"), QStringLiteral("KodHelp"), QStringLiteral("Help"),
                                  QStringLiteral("Cena"), QStringLiteral("TextHelp"), QStringLiteral("KodMedic"),
                                  QStringLiteral("ZK"), QStringLiteral("Times"), QStringLiteral("ListID")};
    return f;
}

// The first name with its blank: the names up to and including the first blank.
QString firstNameWithBlank(const QString& names)
{
    const qsizetype blank = names.indexOf(QLatin1Char(' '));
    return blank < 0 ? QString() : names.left(blank + 1);
}

} // namespace

DenHelp::Vars& DenHelp::vars()
{
    static Vars v;
    return v;
}

DenHelp* DenHelp::instance()
{
    return g_form;
}

DenHelp* DenHelp::showShared(QWidget* parent)
{
    if (g_form && g_form->writePending())
        g_form->Form_Load();
    return g_form.show(parent);
}

void DenHelp::unloadShared()
{
    g_form.close();
}

void DenHelp::setSheetOpener(std::function<void()> open)
{
    g_sheetOpener = std::move(open);
}

void DenHelp::setCardOpener(std::function<void()> open)
{
    g_cardOpener = std::move(open);
}

void DenHelp::setReferralsOpener(std::function<void(QWidget*)> open)
{
    g_referralsOpener = std::move(open);
}

void DenHelp::setScheduleOpener(std::function<void(QWidget*)> open)
{
    g_scheduleOpener = std::move(open);
}

DenHelp::DenHelp(QWidget* parent) : QWidget(parent), ui(new Ui::DenHelp)
{
    ui->setupUi(this);
    setWindowFlag(Qt::Window);
    g_form.adopt(this);
    for (int place = 0; place < kChartPlaces; ++place) {
        places_[place] = findChild<QLabel*>(QStringLiteral("Label5_%1").arg(placeLabelIndex(place)));
        // Set while empty: switching a label's format once it holds text costs a relayout.
        places_[place]->setTextFormat(Qt::PlainText);
    }
    for (int column = 1; column <= 20; ++column)
        milkNumbers_[column] = findChild<QLabel*>(QStringLiteral("Label1_%1").arg(milkNumberLabelIndex(column)));
    ui->Label1_4->installEventFilter(this);
    ui->Label1_5->installEventFilter(this);
    for (QLabel* column : {ui->Label3_4, ui->Label3_5, ui->Label3_6, ui->Label3_0, ui->Label3_1, ui->Label3_2})
        column->installEventFilter(this);
    // The rows as laid out: their ends stay, the labels between share the room.
    auto row = [](HeaderLine* first, QLabel* caption, HeaderLine* second) {
        return HeaderRow{first, caption, second, first->x(), second->geometry().right() + 1,
                         caption->x() - first->geometry().right() - 1, second->x() - caption->geometry().right() - 1,
                         first->width()};
    };
    headerRows_ = {row(ui->Label2_2, ui->lblLabels_11, ui->Label2_4), row(ui->Label4_4, ui->lblLabels_5, ui->Label4_5)};

    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data2 = new DataControl(this);
    Data2->setObjectName(QStringLiteral("Data2"));
    Data3 = new DataControl(this);
    Data3->setObjectName(QStringLiteral("Data3"));
    const std::pair<QLabel*, const char*> bound[] = {
        {ui->Label4_4, "KrGr"}, {ui->Label4_5, "Ph"}, {ui->Label4_3, "Osob"},
        {ui->Label4_6, "Nep"}, {ui->Label4_0, "ZabOld"}, {ui->Label4_2, "ZabNaw"}};
    for (const auto& [label, field] : bound)
        Data1->bind(label, QString::fromLatin1(field));
    Data3->bind(ui->Check1, QStringLiteral("ZK"), DataControl::Format::YesNo);

    connect(Data1, &DataControl::reposition, this, &DenHelp::showHeader);
    connect(Data2, &DataControl::reposition, this, &DenHelp::showChart);
    connect(Data3, &DataControl::reposition, this, &DenHelp::onData3Reposition);
    connect(Data3, &DataControl::validate, this, [this](int& action, bool& write) {
        // A new row left without Enter is stored through the save, so that it
        // keeps its patient, doctor and sheet number.
        if (discarding_) {
            write = false;
            return;
        }
        if (saving_ || !write || (!Data3->isNewRow() && !storedRowNeedsSave()))
            return;
        if (save())
            write = false;
        else
            action = DataControl::Cancel;
    });
    connect(Data3, &DataControl::error, this, [this](const QString& text, int& response) {
        say(kMsgCannotChange + QLatin1Char('\r') + text, this);
        response = 0;
    });
    setUpGrid();

    connect(ui->cmdUpdate, &QPushButton::clicked, this, &DenHelp::cmdUpdate_Click);
    connect(ui->cmdEdit, &QPushButton::clicked, this, &DenHelp::cmdEdit_Click);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &DenHelp::cmdDelete_Click);
    connect(ui->cmdPrint, &QPushButton::clicked, this, &DenHelp::cmdPrint_Click);
    connect(ui->cmdPrintData, &QPushButton::clicked, this, &DenHelp::cmdPrintData_Click);
    connect(ui->cmdGrafic, &QPushButton::clicked, this, &DenHelp::cmdGrafic_Click);
    connect(ui->cmdParh, &QPushButton::clicked, this, &DenHelp::cmdParh_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &DenHelp::cmdClose_Click);
    Form_Load();
}

DenHelp::~DenHelp() = default;

void DenHelp::setUpGrid()
{
    using F = DataControl::Format;
    DataGrid* g = ui->DBGrid1;
    g->addColumn(QStringLiteral("Вид"), QStringLiteral("Vid"), F::Text, 450);
    g->addColumn(QStringLiteral("Дата"), QStringLiteral("Data"), F::Date, 1200);
    g->addColumn(QStringLiteral("Диагноза, статус"), QStringLiteral("Help"), F::Text, 3000);
    g->addColumn(QStringLiteral("Код зъб"), QStringLiteral("KodZab"), F::Text, 900);
    g->addColumn(QStringLiteral("Лечение"), QStringLiteral("TextHelp"), F::Text, 2700);
    g->addColumn(QStringLiteral("Код дейн."), QStringLiteral("KodHelp"), F::Text, 1000);
    g->addColumn(QStringLiteral("Здр. каса"), QStringLiteral("ZK"), F::YesNo, 1000);
    g->addColumn(QStringLiteral("№ амб.лист"), QStringLiteral("ListID"), F::Text, 1200);
    g->setAllowAddNew(true);
    g->setDataControl(Data3);
    connect(g, &DataGrid::keyPress, this, &DenHelp::DBGrid1_KeyPress);
    connect(g, &DataGrid::cellEdited, this, &DenHelp::DBGrid1_Change);
    connect(g, &DataGrid::gridClicked, this, &DenHelp::DBGrid1_Click);
}

// ---------------------------------------------------------------- load

void DenHelp::Form_Load()
{
    Vars& v = vars();
    QString egn, names;
    if (v.sVidDen != QLatin1String("New")) {
        names = SeekName::vars().sFindName;
        egn = SeekName::vars().sFindEGN;
        if (SeekName* seek = SeekName::instance())
            if (auto* list = seek->findChild<QComboBox*>(QStringLiteral("Combo1")))
                list->clear();
    } else {
        KartonAdd::unloadShared();
        egn = v.sAddEGN;
        names = v.sAddName;
    }
    editingRow_ = 0;
    setWindowTitle(QStringLiteral("Картон"));
    Data1->setRecordSource(QStringLiteral("Pacients"), QStringLiteral("WHERE EGN = ?"), {egn});
    Data2->setRecordSource(QStringLiteral("Dental"), QStringLiteral("WHERE EGN = ?"), {egn});
    Data3->setRecordSource(QStringLiteral("Help"), QStringLiteral("WHERE EGN = ? ORDER BY Data, KodHelp, RecID"), {egn});
    // Each part of the form is read on its own: a header that cannot be read
    // still leaves the treatments to work with. A database another copy holds
    // is said once: the other parts would wait for the same lock again.
    const std::pair<DataControl*, QString> parts[] = {
        {Data1, patients::kMsgNoneChosen + QLatin1Char('\r')}, {Data2, QString()}, {Data3, kMsgCannotChange + QLatin1Char('\r')}};
    bool inUse = false;
    for (const auto& [data, message] : parts) {
        if (!inUse) {
            try {
                Hourglass wait;
                data->refresh();
                continue;
            } catch (const db::DbError& e) {
                inUse = e.isBusy();
                say(inUse ? e.userText() : message + e.userText(), this);
            }
        }
        // Not read: nothing of the patient shown before stays on the form.
        data->close();
        data->pushToWidgets();
    }
    if (!Data1->isOpen())
        showHeader();
    if (!Data2->isOpen())
        showChart();
    v.sPacientName = firstNameWithBlank(names);
    v.sEGN = egn;
    showMinutes(MinutesLeftToday);
    ui->cmdUpdate->setEnabled(false);
    ui->cmdDelete->setEnabled(false);
    // The sheet number of every row saved while the form stays open.
    v.sListID.clear();
    if (!inUse) {
        try {
            v.sListID = NextSheetNumber(CurrentDoctorCode, Clock::today().year());
        } catch (const db::DbError& e) {
            say(e.userText(), this);
        }
    }
    setCloseDefault(true);
    goToNewLine();
}

void DenHelp::goToNewLine()
{
    // What the doctor types next starts a new activity, never overwrites a
    // stored one: the new-row line's code cell.
    DataGrid* g = ui->DBGrid1;
    const int rows = g->model()->rowCount();
    if (rows > 0 && g->allowAddNew())
        g->setCurrentIndex(g->model()->index(rows - 1, g->columnOf(QStringLiteral("KodHelp"))));
}

void DenHelp::showMinutes(int minutes)
{
    ui->Label6->setText(QStringLiteral("Остават: ") + QString::number(minutes) + QStringLiteral(" мин."));
}

void DenHelp::showHeader()
{
    if (!Data1->hasCurrent()) {
        ui->Label2_2->clear();
        ui->Label2_4->clear();
    } else {
        // Stored text as it stands: an allergy in "<...>" is not markup.
        const HeaderText h = ComposeHeader(Data1->currentRow());
        setWindowTitle(titleText(h.caption));
        setPlainText(ui->Label2_2, h.address);
        setPlainText(ui->Label2_4, h.phones);
    }
    fitHeader();
}

void DenHelp::fitHeader()
{
    // The two lines of a row share its room; what is longer is cut with "…"
    // and shown whole as the tool tip.
    for (const HeaderRow& r : headerRows_) {
        const int room = r.right - r.left - r.gapBefore - r.caption->width() - r.gapAfter;
        const int first = SplitRow(room, r.first->neededWidth(), r.second->neededWidth(), r.firstDefault);
        r.first->setGeometry(r.left, r.first->y(), first, r.first->height());
        const int caption = r.left + first + r.gapBefore;
        r.caption->move(caption, r.caption->y());
        const int second = caption + r.caption->width() + r.gapAfter;
        r.second->setGeometry(second, r.second->y(), r.right - second, r.second->height());
        r.first->refit();
        r.second->refit();
    }
    ui->Label4_6->refit();
}

void DenHelp::showChart()
{
    const ChartView v = ComposeChart(Data2->hasCurrent() ? Data2->currentRow() : db::Row());
    for (int place = 0; place < kChartPlaces; ++place)
        places_[place]->setText(plainLines(v.places[place]));
    for (int column = 1; column <= 20; ++column)
        milkNumbers_[column]->setVisible(v.milkShown[column]);
}

void DenHelp::onData3Reposition()
{
    editingRow_ = 0;
    const bool stored = Data3->hasCurrent() && !Data3->isNewRow();
    codeAsStored_ = stored ? trimBlanks(Data3->text(QStringLiteral("KodHelp"))) : QString();
    Data3->setCaption(QStringLiteral("Запис №: ") + QString::number(Data3->absolutePosition() + 1));
    if (Data3->isNewRow() && Data3->field(QStringLiteral("Data")).isNull())
        Data3->setField(QStringLiteral("Data"), Clock::today());
}

// ---------------------------------------------------------------- the save

bool DenHelp::save()
{
    DataGrid* g = ui->DBGrid1;
    if (g->isEditing() && !g->commitEdit())
        return false;
    if (!Data3->hasCurrent())
        return true;
    const bool isNew = Data3->isNewRow();
    const bool opened = editingRow_ != 0 && Data3->field(QStringLiteral("RecID")).toLongLong() == editingRow_;
    // A stored row nobody typed into or opened is left alone.
    if (!isNew && !opened && !Data3->isDirty())
        return true;

    Vars& v = vars();
    db::Row before;
    SaveResult result;
    saving_ = true;
    try {
        Hourglass wait;
        Data3->pullFromWidgets();
        before = Data3->currentRow();
        if (isNew && IsUntypedNewRow(before, Clock::today())) {
            saving_ = false;
            return true;   // no row: nothing to store, nothing to say
        }
        if (!HasActivityCode(before)) {
            saving_ = false;
            say(kMsgNoActivityCode, this);
            return false;
        }
        if (v.sListID.isEmpty())
            v.sListID = NextSheetNumber(CurrentDoctorCode, Clock::today().year());
        db::Connection c = db::Connection::main();
        db::Transaction t(c);
        RequirePatient(c, v.sEGN);
        db::Row row = before;
        result = ApplySave(row, isNew, {v.sEGN, v.sListID, CurrentDoctorCode, Clock::today()}, c);
        for (const QString& f : savedFields())
            Data3->setField(f, row.value(f));
        Data3->writeCurrent(c);
        t.commit();
        Data3->commitWritten();
    } catch (const db::DbError& e) {
        // Nothing stored: the row shows what was typed, the minutes stay.
        if (!before.names().isEmpty())
            for (const QString& f : savedFields())
                Data3->setField(f, before.value(f));
        saving_ = false;
        say(kMsgCannotChange + QLatin1Char('\r') + e.userText(), this);
        return false;
    }
    saving_ = false;
    rowWritten_ = true;
    editingRow_ = 0;
    MinutesLeftToday -= result.minutes;
    showMinutes(MinutesLeftToday);
    ui->cmdUpdate->setEnabled(false);
    try {
        ComputeMinutesLeftToday();
    } catch (const db::DbError&) {
        // The label keeps the lowered value; the next activation recomputes.
    }
    setCloseDefault(true);
    return true;
}

void DenHelp::cmdUpdate_Click()
{
    saveAndGoOn();
    ui->DBGrid1->setFocus();
}

void DenHelp::saveAndGoOn()
{
    // A row written, new or corrected: the next shortcut goes on a new line
    // instead of over the row just saved.
    rowWritten_ = false;
    if (save() && rowWritten_ && !Data3->isNewRow())
        goToNewLine();
}

bool DenHelp::storedRowNeedsSave() const
{
    // A shortcut typed over a stored row's code is expanded and stamped by
    // the save, however the row is left; a code cleared is refused by it.
    if (!Data3->hasCurrent() || Data3->isNewRow() || !Data3->isDirty())
        return false;
    const QString code = trimBlanks(Data3->text(QStringLiteral("KodHelp")));
    return FindShortcut(code) || (code.isEmpty() && !codeAsStored_.isEmpty());
}

void DenHelp::readyForNextEntry()
{
    // A row being typed keeps the cursor; otherwise what the doctor types
    // next starts a new activity.
    if (!Data3->hasCurrent() || (!Data3->isNewRow() && !Data3->isDirty()))
        goToNewLine();
    ui->DBGrid1->setFocus();
}

bool DenHelp::writePending()
{
    if (!Data3->isOpen())
        return true;
    DataGrid* g = ui->DBGrid1;
    if (g->isEditing() && !g->commitEdit())
        return false;
    if (!Data3->hasCurrent())
        return true;
    if (Data3->isNewRow())
        return save();
    if (!Data3->isDirty())
        return true;
    if (storedRowNeedsSave())
        return save();
    try {
        Hourglass wait;
        Data3->updateRecord();
    } catch (const db::DbError& e) {
        say(kMsgCannotChange + QLatin1Char('\r') + e.userText(), this);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- buttons

void DenHelp::cmdEdit_Click()
{
    ui->cmdUpdate->setEnabled(true);
    if (Data3->hasCurrent() && !Data3->isNewRow())
        editingRow_ = Data3->field(QStringLiteral("RecID")).toLongLong();
    // The correction is typed into the row, not into the button.
    ui->DBGrid1->setFocus();
}

void DenHelp::cmdDelete_Click()
{
    if (ui->DBGrid1->isEditing())
        ui->DBGrid1->commitEdit();
    try {
        Hourglass wait;
        Data3->deleteCurrent();
    } catch (const db::DbError& e) {
        say(kMsgCannotChange + QLatin1Char('\r') + e.userText(), this);
        ui->DBGrid1->setFocus();
        return;
    }
    // The next Enter must not delete the next row: "Изтрий" waits for a row
    // clicked anew, the cursor goes where the next activity is typed.
    ui->cmdDelete->setEnabled(false);
    readyForNextEntry();
}

void DenHelp::cmdPrint_Click()
{
    if (!writePending())
        return;
    try {
        QString egn = vars().sEGN;
        {
            Hourglass wait;
            PrepareOutpatientSheet(egn, [this](const QString& message) {
                QApplication::setOverrideCursor(Qt::ArrowCursor);
                say(message, this);
                QApplication::restoreOverrideCursor();
            });
            // The sheet prints the patient of the header.
            if (Data1->hasCurrent())
                PrintEGN = Data1->text(QStringLiteral("EGN"));
            Data3->refresh();
        }
    } catch (const db::DbError& e) {
        say(e.userText(), this);
        return;
    }
    // The refresh made the oldest row current; the preview stays beside the form.
    readyForNextEntry();
    if (g_sheetOpener)
        g_sheetOpener();
}

void DenHelp::cmdPrintData_Click()
{
    if (!writePending())
        return;
    readyForNextEntry();
    if (g_cardOpener)
        g_cardOpener();
}

void DenHelp::cmdGrafic_Click()
{
    vars().sGraf = QStringLiteral("1");
    QPointer<DenHelp> self = this;
    if (g_scheduleOpener)
        g_scheduleOpener(this);
    if (self)
        readyForNextEntry();
}

void DenHelp::cmdParh_Click()
{
    QPointer<DenHelp> self = this;
    if (g_referralsOpener)
        g_referralsOpener(this);
    if (self)
        readyForNextEntry();
}

void DenHelp::cmdClose_Click()
{
    close();
}

void DenHelp::keyPressEvent(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(e);
        return;
    }
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    QPushButton* target = focused ? focused : (ui->cmdClose->isDefault() ? ui->cmdClose : nullptr);
    if (target && target->isEnabled())
        target->click();
    e->accept();
}

void DenHelp::closeEvent(QCloseEvent* e)
{
    if (!closeWritten_ && !writePending()) {
        if (!patients::ask(kCloseUnsavedQuestion, this, QString())) {
            e->ignore();
            return;
        }
        discarding_ = true;
    }
    closeWritten_ = true;
    if (vars().sVidDen != QLatin1String("New"))
        SeekName::unloadShared();
    Data1->close();
    Data2->close();
    Data3->close();
    QApplication::restoreOverrideCursor();
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------- the grid

void DenHelp::DBGrid1_KeyPress(int& keyAscii)
{
    if (keyAscii != 13)
        return;
    saveAndGoOn();
}

void DenHelp::DBGrid1_Change()
{
    ui->cmdUpdate->setEnabled(true);
    setCloseDefault(false);
}

void DenHelp::DBGrid1_Click()
{
    ui->cmdDelete->setEnabled(true);
}

void DenHelp::setCloseDefault(bool on)
{
    ui->cmdClose->setDefault(on);
}

bool DenHelp::closeIsDefault() const
{
    return ui->cmdClose->isDefault();
}

// ---------------------------------------------------------------- access

DataGrid* DenHelp::grid() const
{
    return ui->DBGrid1;
}

QLabel* DenHelp::addressLine() const
{
    return ui->Label2_2;
}

QLabel* DenHelp::phoneLine() const
{
    return ui->Label2_4;
}

QLabel* DenHelp::minutesLabel() const
{
    return ui->Label6;
}

QCheckBox* DenHelp::dueCheck() const
{
    return ui->Check1;
}

QPushButton* DenHelp::button(const QString& name) const
{
    return findChild<QPushButton*>(name);
}

// ---------------------------------------------------------------- tooth numbers

void DenHelp::paintToothNumbers(QLabel* row, bool upper)
{
    QPainter p(row);
    p.setFont(row->font());
    p.setPen(QColor(0, 0, 255));
    for (int i = 0; i < 16; ++i) {
        const QLabel* place = places_[(upper ? 0 : 16) + i];
        const int cx = place->geometry().center().x() - row->x();
        const QString number = QString::number(upper ? (i < 8 ? 18 - i : 21 + i - 8) : (i < 8 ? 48 - i : 31 + i - 8));
        p.drawText(QRect(cx - 15, 0, 31, row->height()), Qt::AlignCenter, number);
    }
}

void DenHelp::paintLegendColumn(QLabel* column)
{
    // Each column read line by line pairs a code with its dash and its name.
    QPainter p(column);
    p.setFont(column->font());
    p.setPen(column->palette().color(QPalette::WindowText));
    const int step = column->fontMetrics().height();
    int y = 0;
    for (const QString& line : LegendLines(column->text(), kLegendLines)) {
        p.drawText(QRect(0, y, column->width(), step), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += step;
    }
}

bool DenHelp::eventFilter(QObject* watched, QEvent* e)
{
    // The number rows keep their captions; each number is drawn over its place.
    if (e->type() == QEvent::Paint && (watched == ui->Label1_4 || watched == ui->Label1_5)) {
        paintToothNumbers(static_cast<QLabel*>(watched), watched == ui->Label1_4);
        return true;
    }
    if (e->type() == QEvent::Paint && watched->parent() == ui->Frame1
        && watched->objectName().startsWith(QLatin1String("Label3_")) && watched != ui->Label3_3) {
        paintLegendColumn(static_cast<QLabel*>(watched));
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace tav

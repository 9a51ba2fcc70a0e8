#include "patients/kartonadd.h"
#include "ui_kartonadd.h"

#include "db/values.h"
#include "patients/egn.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/focus.h"
#include "services/globals.h"
#include "services/hourglass.h"
#include "services/program.h"
#include "services/sharedwindow.h"
#include "treatments/denhelp.h"
#include "treatments/viewhelp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

namespace tav {

using namespace patients;

namespace {

SharedWindow<KartonAdd> g_card;

const QString kCaptionNew = QStringLiteral("Картон - Нов");
const QString kCaptionEdit = QStringLiteral("Картон - Корекция");
const QString kDeleteQuestion = QStringLiteral("Изтривате пациент от БД!\rДа продължа ли?");
const QString kDeleteCaption = QStringLiteral("ВНИМАНИЕ!");
const QString kCloseUnsavedQuestion = QStringLiteral("Данните не са записани.\rЗатваряте ли картона без запис?");
const QString kGiveUpForEntryQuestion = QStringLiteral("Данните не са записани.\rПродължавате ли без запис?");

QString textOfWidget(const QWidget* w)
{
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w))
        return p->toPlainText();
    return {};
}

void setTextOfWidget(QWidget* w, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != text)
            e->setText(text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        if (p->toPlainText() != text)
            p->setPlainText(text);
    }
}

void setBoxText(QLineEdit* e, const QString& text)
{
    if (e->text() != text)
        e->setText(text);
}

} // namespace

KartonAdd::Vars& KartonAdd::vars()
{
    static Vars v;
    return v;
}

KartonAdd* KartonAdd::instance()
{
    return g_card;
}

KartonAdd* KartonAdd::showShared()
{
    if (KartonAdd* open = g_card) {
        // Asked for again (another patient from the search, a new card from
        // the menu): the card moves on once what is on it is written, or
        // given up by the doctor; else it stays as it is, in its own mode.
        const QString asked = CardMode;
        CardMode = open->mode_;
        if (!open->writePendingEdits() && !ask(kGiveUpForEntryQuestion, open, QString())) {
            g_card.show();
            return open;
        }
        CardMode = asked;
        open->Form_Load();
        g_card.show();
        if (CardMode != QLatin1String("New")) {
            ViewHelp::showShared(open);
            open->activateWindow();
        } else {
            ViewHelp::unloadShared();
            open->ui->Text3->setFocus(Qt::OtherFocusReason);
        }
        return open;
    }
    const bool created = !g_card;
    g_card.show();
    // A card opened for correction has the patient's treatments beside it.
    if (created && CardMode != QLatin1String("New")) {
        ViewHelp::showShared(g_card);
        g_card->activateWindow();
    }
    return g_card;
}

void KartonAdd::unloadShared()
{
    g_card.close();
}

KartonAdd::KartonAdd(QWidget* parent) : QWidget(parent), ui(new Ui::KartonAdd)
{
    ui->setupUi(this);
    g_card.adopt(this);
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        const QString n = e->objectName();
        if (n.startsWith(QStringLiteral("txtFields_"))) {
            const int i = n.mid(10).toInt();
            if (i >= 0 && i < kBoxCount)
                boxes_[i] = e;
            e->installEventFilter(this);
        }
    }
    for (int n = 1; n <= kSwitchCount; ++n) {
        checks_[n] = findChild<QCheckBox*>(QStringLiteral("Check%1").arg(n));
        checks_[n]->installEventFilter(this);
    }
    for (QWidget* w : {static_cast<QWidget*>(ui->Text3), static_cast<QWidget*>(ui->Text11),
                       static_cast<QWidget*>(ui->Text12), static_cast<QWidget*>(ui->Text2),
                       static_cast<QWidget*>(ui->Text13), static_cast<QWidget*>(ui->Text14),
                       static_cast<QWidget*>(ui->Text6), static_cast<QWidget*>(ui->Label1_0),
                       static_cast<QWidget*>(ui->Label1_1)})
        w->installEventFilter(this);
    connect(ui->Text11, &QLineEdit::textChanged, this, [this] { ui->cmdClose->setEnabled(true); });
    connect(ui->cmdAdd, &QPushButton::clicked, this, &KartonAdd::cmdAdd_Click);
    connect(ui->cmdUpdate, &QPushButton::clicked, this, &KartonAdd::cmdUpdate_Click);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &KartonAdd::cmdDelete_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &KartonAdd::cmdClose_Click);
    bindWidgets();
    Form_Load();
}

KartonAdd::~KartonAdd() = default;

void KartonAdd::bindWidgets()
{
    const std::pair<QWidget*, const char*> pacients[] = {
        {ui->Text3, "EGN"}, {ui->Text2, "Names"}, {ui->Text6, "PKod"}, {ui->Text1, "Tawn"},
        {ui->Text7, "Obsh"}, {ui->Text8, "Obl"}, {ui->Text13, "KV"}, {ui->Text14, "UL"},
        {boxes_[5], "BL"}, {boxes_[4], "VX"}, {boxes_[3], "ET"}, {boxes_[2], "AP"},
        {boxes_[11], "DTel"}, {boxes_[12], "STel"}, {boxes_[13], "MTel"}, {boxes_[14], "DataR"},
        {ui->Text12, "ZBook"}, {boxes_[15], "RBook"}, {boxes_[6], "RZOK"}, {boxes_[7], "ZR"},
        {boxes_[1], "Prof"}, {boxes_[0], "Work"}, {boxes_[8], "Country"}, {boxes_[9], "Type"},
        {boxes_[17], "Pol"}, {boxes_[18], "KrGr"}, {boxes_[19], "Ph"}, {ui->Text4, "Nep"},
        {ui->Text5, "Osob"}, {ui->Text9, "ZabNaw"}, {ui->Text10, "ZabOld"}};
    for (const auto& [w, f] : pacients)
        bindings_.push_back({w, QString::fromLatin1(f), false});
    for (int z = 1; z <= 52; ++z)
        bindings_.push_back({boxes_[boxOfColumn(z)], QStringLiteral("Z%1").arg(z), true});
}

// ---------------------------------------------------------------- load, unload

void KartonAdd::Form_Load()
{
    mode_ = CardMode;
    vars().sFieldZK.clear();
    vars().sFieldZdRn.clear();
    handOverEgn_.clear();
    // The entry closed, as on a card just opened.
    ui->Text11->setVisible(false);
    ui->Text11->setEnabled(false);
    {
        const QSignalBlocker block(ui->Text11);
        ui->Text11->clear();
    }
    ui->Text3->setVisible(true);
    if (CardMode != QLatin1String("New")) {
        vars().sKorName = SeekName::vars().sFindName;
        vars().sKorEGN = SeekName::vars().sFindEGN;
        try {
            Hourglass wait;
            // Removed, or given another EGN, since the list was made.
            if (!record_.load(vars().sKorEGN))
                say(kMsgPatientGone + QLatin1Char('\r') + vars().sKorEGN, this);
        } catch (const db::DbError& e) {
            record_.unbind();
            say(e.userText(), this);
        }
        setWindowTitle(kCaptionEdit);
        ui->cmdAdd->setEnabled(false);
        ui->cmdDelete->setEnabled(record_.isBound());
    } else {
        record_.unbind();
        setWindowTitle(kCaptionNew);
        ui->cmdAdd->setEnabled(true);
        ui->cmdDelete->setEnabled(false);
        // A new card begins with the EGN: what the doctor types goes there
        // (the focus is given when the card shows, after it is placed).
        focusEgnOnShow_ = true;
    }
    pushToWidgets();
    setDataEnabled(record_.isBound());
    // The switches follow the row now on the card, not one shown before.
    ChartState s = chartState();
    ResetMilkTeeth(s);
    if (record_.isBound())
        SetUpFromData(s);
    applyChart(s);
    // Nothing to save until a row is on the card.
    ui->cmdUpdate->setEnabled(record_.isBound());
    // A card for correction with no patient on it can only be closed.
    ui->cmdClose->setEnabled(CardMode != QLatin1String("New") && !record_.isBound());
}

void KartonAdd::Form_Unload()
{
    SeekName::unloadShared();
    ViewHelp::unloadShared();
}

void KartonAdd::closeEvent(QCloseEvent* event)
{
    // A new patient never stored whose EGN is being replaced by one the
    // checks refused is not stored under the EGN given up: the doctor decides.
    if (!closeWritten_ && record_.state() == PatientRecord::State::NewRow && !ui->Text11->isHidden()
        && hasUnsavedEdits()) {
        const QString typed = trimBlanks(ui->Text11->text());
        if (!typed.isEmpty() && typed != trimBlanks(record_.pacients().text(QStringLiteral("EGN")))) {
            if (!ask(kCloseUnsavedQuestion, this, QString())) {
                event->ignore();
                selectEntryLater();
                return;
            }
            closeWritten_ = true;
        }
    }
    // Edits in the boxes are written when the card closes, as on any move;
    // when that fails the doctor decides whether to give them up.
    if (!closeWritten_ && !writePendingEdits() && !ask(kCloseUnsavedQuestion, this, QString())) {
        event->ignore();
        return;
    }
    closeWritten_ = true;
    Form_Unload();
    QWidget::closeEvent(event);
}

// ---------------------------------------------------------------- binding

void KartonAdd::pushToWidgets()
{
    const QSignalBlocker block(ui->Text11);
    for (const Binding& b : bindings_) {
        const db::Row& row = b.dental ? record_.dental() : record_.pacients();
        setTextOfWidget(b.widget, record_.isBound() ? row.text(b.field) : QString());
    }
    takeSnapshot();
}

void KartonAdd::pullFromWidgets()
{
    if (!record_.isBound())
        return;
    // Only what was changed on the card: a box that merely shows the row
    // (a multi-line box may show its line ends its own way) changes nothing.
    for (int i = 0; i < bindings_.size(); ++i) {
        const Binding& b = bindings_[i];
        const QString text = textOfWidget(b.widget);
        if (text == snapshot_.value(i))
            continue;
        db::Row& row = b.dental ? record_.dental() : record_.pacients();
        row.set(b.field, text);
    }
}

void KartonAdd::showField(const QString& field, bool dental, const QString& text)
{
    for (const Binding& b : bindings_)
        if (b.field == field && b.dental == dental)
            setTextOfWidget(b.widget, text);
}

bool KartonAdd::saveCorrection()
{
    for (;;) {
        QVector<FieldConflict> conflicts;
        try {
            Hourglass wait;
            pullFromWidgets();
            conflicts = record_.saveCorrection();
        } catch (const db::DbError& e) {
            say(e.userText(), this);
            return false;
        }
        if (conflicts.isEmpty())
            break;
        // Nothing is stored until the doctor has chosen for every field.
        for (const FieldConflict& c : conflicts) {
            const bool keepCard = ask(conflictQuestion(c), this, kConflictCaption);
            record_.resolve(c, keepCard);
            if (!keepCard)
                showField(c.field, c.dental, c.stored);
        }
    }
    // The rows as stored, with what others changed in the other fields.
    pushToWidgets();
    setChartFromRow(false);
    return true;
}

void KartonAdd::takeSnapshot()
{
    snapshot_.clear();
    for (const Binding& b : bindings_)
        snapshot_ << textOfWidget(b.widget);
}

bool KartonAdd::hasUnsavedEdits() const
{
    for (int i = 0; i < bindings_.size(); ++i)
        if (textOfWidget(bindings_[i].widget) != snapshot_.value(i))
            return true;
    return false;
}

bool KartonAdd::writePendingEdits()
{
    // A row is begun only by a checked EGN, so a begun row with edits is a
    // patient: it is stored as "Запиши" stores it, through the same checks.
    if (!record_.isBound() || !hasUnsavedEdits())
        return true;
    if (record_.state() == PatientRecord::State::NewRow)
        return saveNewPatient();
    return saveCorrection();
}

bool KartonAdd::saveNewPatient()
{
    pullFromWidgets();
    if (const QString refusal = record_.newPatientRefusal(); !refusal.isEmpty()) {
        say(refusal, this);
        return false;
    }
    try {
        Hourglass wait;
        record_.saveNew({CurrentDoctorCode, currentIdMedic()});
    } catch (const db::DbError& e) {
        say(e.userText(), this);
        return false;
    }
    DenHelp::vars().sAddEGN = ui->Text3->text();
    DenHelp::vars().sAddName = trimBlanks(ui->Text2->text());
    handOverEgn_ = record_.storedEgn();
    setMode(QStringLiteral("New"));
    takeSnapshot();
    return true;
}

void KartonAdd::setDataEnabled(bool on)
{
    for (const Binding& b : bindings_)
        if (!b.dental && b.widget != ui->Text3 && b.widget->parentWidget() == ui->Frame1)
            b.widget->setEnabled(on);
    ui->Frame2->setEnabled(on);
}

void KartonAdd::setMode(const QString& mode)
{
    CardMode = mode;
    mode_ = mode;
}

void KartonAdd::setCaptionByMode()
{
    setWindowTitle(CardMode == QLatin1String("New") ? kCaptionNew : kCaptionEdit);
}

// ---------------------------------------------------------------- the EGN entry

void KartonAdd::Text3_Click()
{
    ui->Text11->setVisible(true);
    ui->Text11->setEnabled(true);
    ui->Text11->setFocus(Qt::OtherFocusReason);
    ui->Text3->setVisible(false);
}

void KartonAdd::Text11_LostFocus()
{
    if (ui->Text11->isHidden())
        return;
    const QString egn = trimBlanks(ui->Text11->text());
    // A new patient not yet stored is the one whose EGN is being corrected:
    // nothing of it is stored under the EGN it had.
    const bool unstored = record_.state() == PatientRecord::State::NewRow;
    if (!IsTenDigits(egn)) {
        say(kMsgEgnInvalid, this);
        if (unstored && hasUnsavedEdits()) {
            if (!ask(kCloseUnsavedQuestion, this, QString())) {
                selectEntryLater();
                return;
            }
            closeWritten_ = true;
        }
        close();
        return;
    }
    const QString fault = EGNFaultMessage(egn);
    if (!fault.isEmpty()) {
        say(fault, this);
        setMode(QStringLiteral(" "));
        // Tab or Enter carried the focus on to a button: it comes back to
        // the EGN to be corrected. A click elsewhere keeps its target.
        if (entryLeftByKeys_)
            selectEntryLater();
        return;
    }
    // The edits of a stored patient on the card are written before another
    // row is shown, or given up by the doctor.
    if (!unstored && !writePendingEdits() && !ask(kGiveUpForEntryQuestion, this, QString()))
        return;
    std::optional<QString> names;
    try {
        Hourglass wait;
        names = PatientRecord::findNames(egn);
    } catch (const db::DbError& e) {
        say(e.userText(), this);
        return;
    }
    if (names && unstored && hasUnsavedEdits() && !ask(kGiveUpForEntryQuestion, this, QString())) {
        setMode(QStringLiteral("New"));
        selectEntryLater();
        return;
    }
    if (names) {
        vars().sKorName = *names;
        vars().sKorEGN = egn;
        say(kMsgPatientExists, this);
        try {
            Hourglass wait;
            record_.load(egn);
        } catch (const db::DbError& e) {
            say(e.userText(), this);
            return;
        }
        setMode(QStringLiteral("Edit"));
        setWindowTitle(kCaptionEdit);
        handOverEgn_.clear();
        pushToWidgets();
        setDataEnabled(true);
        ui->cmdUpdate->setEnabled(true);
        // The switches follow the patient found, not the one shown before,
        // and so does the treatment list beside the card.
        setChartFromRow(true);
        if (ViewHelp* list = ViewHelp::instance())
            list->Form_Load();
    } else if (unstored) {
        // What was typed stays, chart and switches too, and goes with this
        // EGN; a chart stored under it is not read over it.
        setMode(QStringLiteral("New"));
    } else {
        try {
            Hourglass wait;
            beginRow(egn);
        } catch (const db::DbError& e) {
            say(e.userText(), this);
            return;
        }
        setMode(QStringLiteral("New"));
        ViewHelp::unloadShared();
        setChartFromRow(true);
    }
    ui->Text3->setText(egn);
    ui->Text3->setVisible(true);
    setBoxText(boxes_[kSexBox], PolFromEGN(egn));
    ui->Text11->clear();
    ui->Text11->setEnabled(false);
    ui->Text11->setVisible(false);
    ui->cmdAdd->setEnabled(false);
    // The boxes were closed while the entry ran, so the focus may have gone
    // past them: the card goes on with the names.
    QWidget* f = focusWidget();
    const bool inBox = std::any_of(bindings_.begin(), bindings_.end(), [f](const Binding& b) { return b.widget == f; });
    if (!inBox && isActiveWindow())
        ui->Text2->setFocus(Qt::OtherFocusReason);
}

void KartonAdd::selectEntryLater()
{
    // Once the box has finished its leave, which drops the selection.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (ui->Text11->isVisible()) {
                ui->Text11->setFocus(Qt::OtherFocusReason);
                ui->Text11->selectAll();
            }
        },
        Qt::QueuedConnection);
}

void KartonAdd::beginRow(const QString& egn)
{
    record_.beginNew(egn);
    handOverEgn_.clear();
    pushToWidgets();
    setDataEnabled(true);
    ui->cmdUpdate->setEnabled(true);
}

void KartonAdd::cmdAdd_Click()
{
    // A new row begins with its EGN: "Добави" opens the entry.
    if (ui->Text11->isHidden())
        Text3_Click();
    else
        ui->Text11->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- warnings and prefixes

void KartonAdd::Text12_LostFocus()
{
    if (healthBookLooksWrong(ui->Text12->text()))
        say(kMsgHealthBook, this);
}

void KartonAdd::Text2_LostFocus()
{
    if (namesLackSecondWord(ui->Text2->text()))
        say(kMsgThreeNames, this);
}

void KartonAdd::Text13_LostFocus()
{
    setBoxText(ui->Text13, withQuarterPrefix(ui->Text13->text()));
}

void KartonAdd::Text14_LostFocus()
{
    setBoxText(ui->Text14, withStreetPrefix(ui->Text14->text()));
}

void KartonAdd::Text6_LostFocus()
{
    std::optional<PostCodeEntry> found;
    try {
        Hourglass wait;
        found = findPostCode(ui->Text6->text());
    } catch (const db::DbError& e) {
        say(e.userText(), this);
        return;
    }
    if (!found) {
        say(kMsgNoPostCode, this);
        return;
    }
    setBoxText(ui->Text1, found->tawn);
    setBoxText(ui->Text7, found->obsh);
    setBoxText(ui->Text8, found->obl);
    setBoxText(boxes_[6], found->zk);
    setBoxText(boxes_[7], found->zdrn);
    vars().sFieldZK = found->zk;
    vars().sFieldZdRn = found->zdrn;
}

// ---------------------------------------------------------------- save, delete, close

void KartonAdd::cmdUpdate_Click()
{
    if (!record_.isBound())
        return;
    if (record_.state() == PatientRecord::State::NewRow) {
        if (!saveNewPatient())
            return;
    } else {
        if (!saveCorrection())
            return;
        setMode(QStringLiteral("Edit"));
    }
    // A disabled button hands its focus on down the tab order, which would
    // be "Изтрий": the next Enter belongs to "Затвори".
    const bool hadFocus = ui->cmdUpdate->hasFocus();
    if (CardMode == QLatin1String("Edit"))
        ui->cmdClose->setEnabled(true);
    ui->cmdUpdate->setEnabled(false);
    if (hadFocus && ui->cmdClose->isEnabled())
        ui->cmdClose->setFocus(Qt::OtherFocusReason);
}

void KartonAdd::cmdDelete_Click()
{
    if (!ask(kDeleteQuestion, this, kDeleteCaption))
        return;
    if (CardMode == QLatin1String("New") || !record_.isStored())
        return;
    ViewHelp::unloadShared();
    try {
        Hourglass wait;
        record_.deleteStored();
    } catch (const db::DbError& e) {
        say(e.userText(), this);
        return;
    }
    handOverEgn_.clear();
    snapshot_.clear();
    close();
}

void KartonAdd::cmdClose_Click()
{
    if (CardMode != QLatin1String("New")) {
        close();
        return;
    }
    // A new patient typed but not yet saved is saved as by "Запиши"; when
    // that is stopped, the doctor decides whether to give the card up.
    if (record_.state() == PatientRecord::State::NewRow && hasUnsavedEdits()) {
        if (saveNewPatient()) {
            ui->cmdUpdate->setEnabled(false);
        } else {
            if (!ask(kCloseUnsavedQuestion, this, QString()))
                return;
            closeWritten_ = true;
            close();
            return;
        }
    }
    // The treatment form takes only a patient this card has saved.
    const bool saved = !handOverEgn_.isEmpty() && record_.isStored() && record_.storedEgn() == handOverEgn_;
    if (saved) {
        if (!writePendingEdits())
            return;
        closeWritten_ = true;
        DenHelp::vars().sVidDen = QStringLiteral("New");
        DenHelp::showShared(mainWindow());
    }
    close();
}

// ---------------------------------------------------------------- the chart

QLineEdit* KartonAdd::txtFields(int index) const
{
    return index >= 0 && index < kBoxCount ? boxes_[index] : nullptr;
}

QCheckBox* KartonAdd::check(int n) const
{
    return n >= 1 && n <= kSwitchCount ? checks_[n] : nullptr;
}

ChartState KartonAdd::chartState() const
{
    ChartState s;
    for (int i = 0; i < kBoxCount; ++i) {
        if (!boxes_[i])
            continue;
        s.text[i] = boxes_[i]->text();
        s.shown[i] = !boxes_[i]->isHidden();
    }
    for (int n = 1; n <= kSwitchCount; ++n)
        s.ticked[n] = checks_[n]->isChecked();
    s.nChek = vars().nChek;
    return s;
}

void KartonAdd::applyChart(const ChartState& s)
{
    ++busy_;
    for (int i = 0; i < kBoxCount; ++i)
        if (boxes_[i])
            setBoxText(boxes_[i], s.text[i]);
    for (int n = 1; n <= kSwitchCount; ++n) {
        const QSignalBlocker block(checks_[n]);
        checks_[n]->setChecked(s.ticked[n]);
    }
    // Show first, so that a box about to hide hands its focus to its partner.
    for (int i = kFirstChartBox; i <= kLastChartBox; ++i)
        if (s.shown[i] && boxes_[i]->isHidden()) {
            boxes_[i]->setVisible(true);
            boxes_[i]->setEnabled(true);
        }
    for (int i = kFirstChartBox; i <= kLastChartBox; ++i) {
        if (s.shown[i] || boxes_[i]->isHidden())
            continue;
        if (boxes_[i]->hasFocus()) {
            const ChartPlace* p = placeOfBox(i);
            const int partner = p->permanentBox == i ? p->milkBox : p->permanentBox;
            boxes_[partner]->setFocus(Qt::OtherFocusReason);
        }
        boxes_[i]->setVisible(false);
        boxes_[i]->setEnabled(false);
    }
    vars().nChek = s.nChek;
    --busy_;
}

void KartonAdd::setChartFromRow(bool reset)
{
    if (!record_.isBound())
        return;
    ChartState s = chartState();
    if (reset)
        ResetMilkTeeth(s);
    SetUpFromData(s);
    applyChart(s);
}

void KartonAdd::Form_Activate()
{
    if (!record_.isBound())
        return;
    ChartState s = chartState();
    const ChartState before = s;
    SetUpFromData(s);
    // A switch in the user's hands keeps its state until it is left.
    for (int n = 1; n <= kSwitchCount; ++n) {
        if (!checks_[n]->hasFocus())
            continue;
        const ChartPlace& p = placeOfSwitch(n);
        s.ticked[n] = before.ticked[n];
        s.shown[p.milkBox] = before.shown[p.milkBox];
        s.shown[p.permanentBox] = before.shown[p.permanentBox];
    }
    applyChart(s);
}

void KartonAdd::txtFields_LostFocus(int index)
{
    if (busy_)
        return;
    ChartState s = chartState();
    CodeEntry(s, index);
    applyChart(s);
}

void KartonAdd::Check_GotFocus(int n)
{
    ChartState s = chartState();
    CheckGotFocus(s, n);
    vars().nChek = s.nChek;
}

void KartonAdd::Check_LostFocus(int n)
{
    if (busy_)
        return;
    ChartState s = chartState();
    CheckLostFocus(s, n);
    applyChart(s);
}

void KartonAdd::paintToothNumbers(QWidget* label, bool upper)
{
    QPainter p(label);
    p.setFont(label->font());
    p.setPen(QColor(0, 0, 255));
    for (const ChartPlace& place : chartPlaces()) {
        if (place.upper != upper)
            continue;
        const QRect box = boxes_[place.permanentBox]->geometry();
        const int cx = box.center().x() - label->x();
        p.drawText(QRect(cx - 15, 0, 31, label->height()), Qt::AlignCenter, QString::number(place.permanentTooth));
    }
}

// ---------------------------------------------------------------- events

bool KartonAdd::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    if (e->type() == QEvent::Show && std::exchange(focusEgnOnShow_, false) && ui->Text11->isHidden())
        ui->Text3->setFocus(Qt::OtherFocusReason);
    return QWidget::event(e);
}

bool KartonAdd::eventFilter(QObject* watched, QEvent* e)
{
    const QEvent::Type t = e->type();
    if (t == QEvent::Paint && (watched == ui->Label1_0 || watched == ui->Label1_1)) {
        paintToothNumbers(static_cast<QWidget*>(watched), watched == ui->Label1_1);
        return true;
    }
    if (t == QEvent::MouseButtonPress && watched == ui->Text3) {
        Text3_Click();
        return true;
    }
    if (t == QEvent::KeyPress && watched == ui->Text11) {
        // Enter after the EGN leaves the entry, as Tab does.
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    if (t == QEvent::KeyPress && watched == ui->Text3) {
        // Typing into the EGN box opens the entry as a click does, with
        // what was typed.
        const auto* k = static_cast<QKeyEvent*>(e);
        if (!k->text().isEmpty() && k->text().at(0).isPrint()) {
            Text3_Click();
            QKeyEvent typed(k->type(), k->key(), k->modifiers(), k->text());
            QCoreApplication::sendEvent(ui->Text11, &typed);
            return true;
        }
    }
    if (t != QEvent::FocusIn && t != QEvent::FocusOut)
        return QWidget::eventFilter(watched, e);
    const bool real = leavesTheBox(static_cast<QFocusEvent*>(e));
    for (int n = 1; n <= kSwitchCount; ++n) {
        if (watched != checks_[n])
            continue;
        // Coming back with the window or from a pop-up is not a new arrival;
        // the switch is left once per arrival.
        if (t == QEvent::FocusIn) {
            if (real || focusedSwitch_ != n)
                Check_GotFocus(n);
            focusedSwitch_ = n;
        } else if (real && focusedSwitch_ == n) {
            focusedSwitch_ = 0;
            Check_LostFocus(n);
        }
        return QWidget::eventFilter(watched, e);
    }
    if (!real)
        return QWidget::eventFilter(watched, e);
    if (t != QEvent::FocusOut)
        return QWidget::eventFilter(watched, e);
    if (watched == ui->Text11) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        entryLeftByKeys_ = why == Qt::TabFocusReason || why == Qt::BacktabFocusReason;
        Text11_LostFocus();
        entryLeftByKeys_ = false;
    }
    else if (watched == ui->Text12)
        Text12_LostFocus();
    else if (watched == ui->Text2)
        Text2_LostFocus();
    else if (watched == ui->Text13)
        Text13_LostFocus();
    else if (watched == ui->Text14)
        Text14_LostFocus();
    else if (watched == ui->Text6)
        Text6_LostFocus();
    else
        for (int i = 0; i < kBoxCount; ++i)
            if (watched == boxes_[i]) {
                txtFields_LostFocus(i);
                break;
            }
    return QWidget::eventFilter(watched, e);
}

} // namespace tav

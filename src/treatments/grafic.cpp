#include "treatments/grafic.h"

#include "ui_grafic.h"

#include "databind/datacontrol.h"
#include "databind/datanavigator.h"
#include "db/database.h"
#include "db/values.h"
#include "services/dialogs.h"
#include "services/plaintext.h"
#include "services/sharedwindow.h"
#include "services/globals.h"
#include "treatments/dataerror.h"
#include "treatments/denhelp.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace tav {

namespace {
SharedWindow<Grafic> g_instance;
}

QString weekdayName(const QDate& day)
{
    if (!day.isValid())
        return QString();
    // Sunday is the first day of the week here.
    static const char* const names[7] = {"Неделя", "Понеделник", "Вторник", "Сряда", "Четвъртък", "Петък", "Събота"};
    return QString::fromUtf8(names[day.dayOfWeek() % 7]);
}

QString slotTime(int slot)
{
    const int minutes = 7 * 60 + 30 + 30 * slot;
    return QStringLiteral("%1.%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

Grafic* Grafic::instance()
{
    return g_instance;
}

void Grafic::showShared(QWidget* owner, bool booking)
{
    DenHelp::vars().sGraf = booking ? QStringLiteral("1") : QStringLiteral("0");
    g_instance.exec(owner);
}

Grafic::Grafic(QWidget* parent) : QDialog(parent), ui(new Ui::Grafic)
{
    ui->setupUi(this);
    g_instance.set(this);
    setWindowTitle(titleText(QStringLiteral("График за прегледите на д-р ") + CurrentDoctorName));
    txtData = ui->txtData;
    lblWeekday = ui->lblLabels_2;

    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setCaption(QStringLiteral("Придвижване по датите"));
    Data1->setRecordSource(QStringLiteral("Grafic"), QStringLiteral("WHERE KodMedic = ? ORDER BY Data, RecID"),
                           {CurrentDoctorCode});
    Data1->bind(txtData, QStringLiteral("Data"), DataControl::Format::Date);
    for (int i = 0; i < kGraficSlots; ++i) {
        auto* box = findChild<QLineEdit*>(QStringLiteral("Text1_%1").arg(i));
        auto* label = findChild<QLabel*>(QStringLiteral("lblTime_%1").arg(i));
        Q_ASSERT(box && label);
        Text1 << box;
        lblTime << label;
        Data1->bind(box, QStringLiteral("Ch%1").arg(i));
        box->installEventFilter(this);
    }
    ui->Data1Navigator->setDataControl(Data1);
    // Tab walks the day in time order, down the morning column, then the
    // afternoon one.
    QWidget* previous = txtData;
    for (QLineEdit* box : std::as_const(Text1)) {
        setTabOrder(previous, box);
        previous = box;
    }

    connect(Data1, &DataControl::validate, this, [this](int&, bool& save) {
        if (discarding_)
            save = false;
        if (!wait_)
            wait_.emplace();
    });
    connect(Data1, &DataControl::reposition, this, [this] {
        wait_.reset();
        // Off the rows there is no day to keep what is typed.
        const bool day = Data1->hasCurrent();
        txtData->setReadOnly(!day);
        for (QLineEdit* box : std::as_const(Text1))
            box->setReadOnly(!day);
        showWeekday();
    });
    connect(Data1, &DataControl::error, this, [this](const QString& text, int& response) {
        wait_.reset();
        showDataError(this, text);
        response = 0;
    });
    connect(ui->cmdAdd, &QPushButton::clicked, this, &Grafic::cmdAdd_Click);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &Grafic::cmdDelete_Click);
    connect(ui->cmdRefresh, &QPushButton::clicked, this, &Grafic::cmdRefresh_Click);
    connect(ui->cmdUpdate, &QPushButton::clicked, this, &Grafic::cmdUpdate_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    Data1->refresh();
}

Grafic::~Grafic() = default;

void Grafic::showWeekday()
{
    // Off the rows (an empty book, past the end) the label keeps its text.
    if (Data1->recordCount() == 0 || !Data1->hasCurrent())
        return;
    lblWeekday->setText(weekdayName(dateFromIso(Data1->field(QStringLiteral("Data")))));
}

bool Grafic::writeCurrent()
{
    try {
        Data1->updateRecord();
    } catch (const db::DbError& e) {
        wait_.reset();
        InfoMessage(e.userText(), this);
        return false;
    }
    return true;
}

void Grafic::cmdAdd_Click()
{
    // The day being left is written first; a failure there was reported by
    // the error event and nothing is added.
    if (!Data1->addNew())
        return;
    Data1->setField(QStringLiteral("KodMedic"), CurrentDoctorCode);
    Data1->setField(QStringLiteral("Data"), Clock::today());
    if (writeCurrent())
        showWeekday();
}

void Grafic::cmdDelete_Click()
{
    if (!Data1->hasCurrent()) {
        InfoMessage(kGraficNoDay, this);
        return;
    }
    try {
        Data1->deleteCurrent(DataControl::AfterDelete::NoStepBack);
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
        return;
    }
    // Left on the button, a further Enter would delete the next day unasked.
    txtData->setFocus(Qt::OtherFocusReason);
}

void Grafic::cmdRefresh_Click()
{
    if (Data1->hasCurrent() && (Data1->isDirty() || Data1->isNewRow()) && !writeCurrent())
        return;
    try {
        Data1->refresh();
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
    }
}

void Grafic::cmdUpdate_Click()
{
    if (!Data1->hasCurrent()) {
        InfoMessage(kGraficNoDay, this);
        return;
    }
    if (writeCurrent())
        showWeekday();
}

void Grafic::Text1_Click(int index)
{
    const DenHelp::Vars& v = DenHelp::vars();
    if (v.sGraf != QLatin1String("1") || index < 0 || index >= kGraficSlots)
        return;
    if (!Data1->hasCurrent()) {
        InfoMessage(kGraficNoDay, this);
        return;
    }
    // An empty name would wipe out whoever is booked there.
    if (trimBlanks(v.sPacientName).isEmpty()) {
        InfoMessage(kGraficNoName, this);
        return;
    }
    if (!YesNoQuestion(QStringLiteral("Желаете ли да запиша този час за посещение от ") + v.sPacientName
                           + QLatin1Char('?'),
                       this))
        return;
    Data1->setField(QStringLiteral("Ch%1").arg(index), v.sPacientName);
    writeCurrent();
}

bool Grafic::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        const int index = int(Text1.indexOf(static_cast<QLineEdit*>(watched)));
        if (index >= 0)
            Text1_Click(index);
    }
    return QDialog::eventFilter(watched, e);
}

void Grafic::done(int r)
{
    // Edits not yet written are stored as the window closes. One that cannot
    // be written must not hold the modal window, and the program, open: the
    // dentist chooses between correcting it and going without it.
    if (Data1->hasCurrent() && (Data1->isDirty() || Data1->isNewRow()) && !writeCurrent()) {
        if (!YesNoQuestion(kCloseUnwrittenQuestion, this))
            return;
        discarding_ = true;
    }
    Data1->close();
    wait_.reset();
    QDialog::done(r);
}

} // namespace tav

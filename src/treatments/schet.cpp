#include "treatments/schet.h"

#include "ui_schet.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "databind/datanavigator.h"
#include "services/dialogs.h"
#include "services/plaintext.h"
#include "services/sharedwindow.h"
#include "statistics/period.h"
#include "treatments/dataerror.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>

namespace tav {

namespace {
SharedWindow<Schet> g_instance;
}

FeeSums feeSums(const db::Rows& rows)
{
    FeeSums s;
    if (rows.isEmpty())
        return s;
    // Every row has the fields of the first.
    const int cena = rows.front().indexOf(QStringLiteral("Cena"));
    const int schet = rows.front().indexOf(QStringLiteral("Schet"));
    for (const db::Row& r : rows) {
        const Money price = Money::fromVariant(r.value(cena));
        s.all += price;
        if (r.value(schet).toLongLong() != 0)
            s.booked += price;
    }
    return s;
}

QString feeSumText(Money m)
{
    QString s = m.format(4);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return s + QStringLiteral(" лв.");
}

Schet::Vars& Schet::vars()
{
    static Vars v;
    return v;
}

Schet* Schet::instance()
{
    return g_instance;
}

void Schet::showShared(QWidget* owner)
{
    try {
        g_instance.create(owner);
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), owner);
        return;
    }
    g_instance.show();
}

Schet::Schet(QWidget* parent) : QDialog(parent), ui(new Ui::Schet)
{
    ui->setupUi(this);
    setModal(false);
    DBGrid1 = ui->DBGrid1;
    chkFields = ui->chkFields;
    cmdUpdate = ui->cmdUpdate;
    Label1 = {ui->Label1_0, ui->Label1_1, ui->Label1_2, ui->Label1_3, ui->Label1_4, ui->Label1_5};

    using Format = DataControl::Format;
    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->bind(chkFields, QStringLiteral("Schet"), Format::YesNo);
    Data1->bind(Label1[0], QStringLiteral("Data"), Format::Date);
    Data1->bind(Label1[2], QStringLiteral("Cena"), Format::Money);
    // The grid's flag column follows the box at once.
    connect(chkFields, &QCheckBox::clicked, this, [this](bool checked) {
        Data1->setField(QStringLiteral("Schet"), checked ? 1 : 0);
    });

    DBGrid1->addColumn(QStringLiteral("Дата"), QStringLiteral("Data"), Format::Date, 1200);
    DBGrid1->addColumn(QStringLiteral("Код"), QStringLiteral("KodHelp"), Format::Text, 800);
    DBGrid1->addColumn(QStringLiteral("Услуга"), QStringLiteral("TextHelp"), Format::Text, 2600);
    DBGrid1->addColumn(QStringLiteral("Цена"), QStringLiteral("Cena"), Format::Money, 1000);
    DBGrid1->addColumn(QStringLiteral("Зав."), QStringLiteral("Schet"), Format::YesNo, 600);
    DBGrid1->addColumn(QStringLiteral("ЕГН"), QStringLiteral("EGN"), Format::Text, 1500);
    DBGrid1->setAllowAddNew(false);
    DBGrid1->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    ui->Data1Navigator->setDataControl(Data1);

    connect(Data1, &DataControl::validate, this, [this](int&, bool&) {
        if (!wait_)
            wait_.emplace();
    });
    connect(Data1, &DataControl::reposition, this, &Schet::Data1_Reposition);
    connect(Data1, &DataControl::error, this, [this](const QString& text, int& response) {
        wait_.reset();
        showDataError(this, text);
        response = 0;
    });
    connect(cmdUpdate, &QPushButton::clicked, this, &Schet::cmdUpdate_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    load();
}

Schet::~Schet() = default;

void Schet::load()
{
    Vars& v = vars();
    v = Vars();
    const statistics::PeriodVars& period = statistics::periodVars();
    const std::optional<QDate> start = dateFromMMDDYYYY(period.sDataStart);
    const std::optional<QDate> stop = dateFromMMDDYYYY(period.sDataStop);
    // Without a confirmed period there is nothing to book.
    if (start && stop) {
        Data1->setRecordSource(QStringLiteral("Help"), QStringLiteral("WHERE Data BETWEEN ? AND ? ORDER BY Data, RecID"),
                               {*start, *stop});
        Data1->refresh();
        DBGrid1->setDataControl(Data1);
    }
    if (Data1->recordCount() == 0) {
        wait_.reset();
        InfoMessage(kNoFeesMessage, this);
        cmdUpdate->setEnabled(false);
        chkFields->setEnabled(false);
        v.nExit = 1;
        return;
    }
    showSums();
    Data1_Reposition();
}

void Schet::showSums()
{
    const FeeSums s = feeSums(Data1->rows());
    Vars& v = vars();
    v.nAll = s.all;
    v.nZav = s.booked;
    Label1[3]->setText(feeSumText(v.nZav));
    Label1[4]->setText(feeSumText(v.nAll - v.nZav));
    Label1[5]->setText(feeSumText(v.nAll));
}

void Schet::Data1_Reposition()
{
    wait_.reset();
    if (vars().nExit != 0 || !Data1->hasCurrent())
        return;
    showService();
    Data1->setCaption(QStringLiteral("Record: ") + QString::number(Data1->absolutePosition() + 1));
    // The row just left may have been written.
    showSums();
}

void Schet::showService()
{
    setPlainText(Label1[1], Data1->text(QStringLiteral("KodHelp")) + QLatin1Char(' ') + Data1->text(QStringLiteral("TextHelp")));
}

bool Schet::writeCurrent()
{
    try {
        Data1->updateRecord();
    } catch (const db::DbError& e) {
        wait_.reset();
        // Said once, by the error event, as a failed move says it.
        if (!Data1->reportError(e))
            InfoMessage(e.userText(), this);
        return false;
    }
    showSums();
    return true;
}

void Schet::cmdUpdate_Click()
{
    if (!DBGrid1->commitEdit())
        return;
    if (!Data1->hasCurrent()) {
        InfoMessage(kNoFeeRow, this);
        return;
    }
    if (writeCurrent())
        showService();
}

void Schet::done(int r)
{
    // Edits not yet written are stored as the window closes; a failed write
    // keeps the window open with the edits on screen.
    if (!DBGrid1->commitEdit())
        return;
    if (Data1->hasCurrent() && Data1->isDirty() && !writeCurrent())
        return;
    Data1->close();
    wait_.reset();
    statistics::unloadPeriodDialog();
    QDialog::done(r);
}

} // namespace tav

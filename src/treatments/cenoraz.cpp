#include "treatments/cenoraz.h"

#include "ui_cenoraz.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "databind/datanavigator.h"
#include "db/database.h"
#include "services/dialogs.h"
#include "services/sharedwindow.h"
#include "treatments/dataerror.h"

#include <QEvent>
#include <QHeaderView>

namespace tav {

namespace {
SharedWindow<Cenoraz> g_instance;
}

QString cutShortName(const QString& name)
{
    return name.size() > kShortNameLength ? name.left(kShortNameLength) : name;
}

Cenoraz* Cenoraz::instance()
{
    return g_instance;
}

void Cenoraz::showShared(QWidget* owner)
{
    g_instance.exec(owner);
}

Cenoraz::Cenoraz(QWidget* parent) : QDialog(parent), ui(new Ui::Cenoraz)
{
    ui->setupUi(this);
    g_instance.set(this);
    DBGrid1 = ui->DBGrid1;
    Text2 = ui->Text2;
    txtPrice = ui->Text1_1;
    Label2 = ui->Label2;
    lblFull = ui->Label1_4;

    using Format = DataControl::Format;
    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setRecordSource(QStringLiteral("Ceny"), QStringLiteral("ORDER BY KodHelp COLLATE UNOCASE, RecID"));
    Data1->bind(ui->Label2, QStringLiteral("KodHelp"));
    Data1->bind(ui->Text1_0, QStringLiteral("KodHelp"));
    Data1->bind(Text2, QStringLiteral("TextHelp"));
    Data1->bind(txtPrice, QStringLiteral("CenaHelp"), Format::Money);
    Data1->bind(lblFull, QStringLiteral("FullHelp"));

    DBGrid1->addColumn(QStringLiteral("Код"), QStringLiteral("KodHelp"), Format::Text, 1000);
    DBGrid1->addColumn(QStringLiteral("Вид манулация"), QStringLiteral("TextHelp"), Format::Text, 2600);
    DBGrid1->addColumn(QStringLiteral("Цена"), QStringLiteral("CenaHelp"), Format::Money, 1200);
    DBGrid1->setReadOnly(true);
    DBGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    ui->Data1Navigator->setDataControl(Data1);

    // A new row left untouched is no row: it is dropped, not stored empty.
    connect(Data1, &DataControl::validate, this, [this](int&, bool& save) {
        if (discarding_ || (Data1->isNewRow() && !Data1->isDirty()))
            save = false;
        // The arrows leave the focus in the name box: the name is cut here too.
        if (save)
            Text2_LostFocus();
    });
    connect(Data1, &DataControl::reposition, this, [this] {
        // Off the rows there is no row to keep what is typed.
        Text2->setReadOnly(!Data1->hasCurrent());
        txtPrice->setReadOnly(!Data1->hasCurrent());
        Data1->setCaption(QStringLiteral("Запис: ") + QString::number(Data1->absolutePosition() + 1));
    });
    connect(Data1, &DataControl::error, this, [this](const QString& text, int& response) {
        showDataError(this, text);
        response = 0;
    });
    Text2->installEventFilter(this);
    connect(ui->cmdAdd, &QPushButton::clicked, this, &Cenoraz::cmdAdd_Click);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &Cenoraz::cmdDelete_Click);
    connect(ui->cmdUpdate, &QPushButton::clicked, this, &Cenoraz::cmdUpdate_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    Data1->refresh();
    DBGrid1->setDataControl(Data1);
}

Cenoraz::~Cenoraz() = default;

void Cenoraz::Text2_LostFocus()
{
    const QString cut = cutShortName(Text2->text());
    if (cut != Text2->text())
        Text2->setText(cut);
}

bool Cenoraz::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Text2 && e->type() == QEvent::FocusOut)
        Text2_LostFocus();
    return QDialog::eventFilter(watched, e);
}

bool Cenoraz::writeCurrent()
{
    // A save by the keyboard leaves the focus in the box: cut the name here too.
    Text2_LostFocus();
    try {
        Data1->updateRecord();
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
        return false;
    }
    return true;
}

void Cenoraz::cmdAdd_Click()
{
    // An untouched new row is already there to be filled in.
    if (Data1->isNewRow() && !Data1->isDirty()) {
        Text2->setFocus();
        return;
    }
    Text2_LostFocus();
    // The row being left is written first; a failure there was reported by
    // the error event and nothing is added.
    if (Data1->addNew())
        Text2->setFocus();
}

void Cenoraz::cmdDelete_Click()
{
    if (!Data1->hasCurrent()) {
        InfoMessage(kCenorazNoRow, this);
        return;
    }
    try {
        Data1->deleteCurrent(DataControl::AfterDelete::NoStepBack);
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
        return;
    }
    // Left on the button, a further Enter would delete the next row unasked.
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void Cenoraz::cmdUpdate_Click()
{
    if (!Data1->hasCurrent()) {
        InfoMessage(kCenorazNoRow, this);
        return;
    }
    writeCurrent();
}

void Cenoraz::done(int r)
{
    // Edits not yet written are stored as the window closes. One that cannot
    // be written must not hold the modal window, and the program, open: the
    // dentist chooses between correcting it and going without it. An
    // untouched new row is dropped.
    if (Data1->hasCurrent() && Data1->isDirty() && !writeCurrent()) {
        if (!YesNoQuestion(kCloseUnwrittenQuestion, this))
            return;
        discarding_ = true;
    }
    Data1->close();
    QDialog::done(r);
}

} // namespace tav

#include "shell/medicadd.h"

#include "ui_medicadd.h"

#include "databind/datacontrol.h"
#include "db/database.h"
#include "db/values.h"
#include "services/dialogs.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>

namespace tav {

QString doctorEntryProblem(const QString& names, const QString& number, const QString& practiceCode,
                           const QString& accessCode)
{
    if (names.isEmpty())
        return QStringLiteral("Моля, попълнете името на стоматолога!");
    if (number.isEmpty())
        return QStringLiteral("Моля, попълнете номера на стоматолога!");
    if (practiceCode.isEmpty())
        return QStringLiteral("Моля, попълнете кода на практиката на стоматолога!");
    // The login compares codes trimmed and lets no empty one in: a code of
    // blanks would lock its doctor out for good.
    if (trimBlanks(accessCode).isEmpty())
        return QStringLiteral("Моля, попълнете паролата!");
    if (accessCode.size() < 6)
        return QStringLiteral("Минималната дължина на паролата е повече от 6 символа!");
    return {};
}

MedicAdd::MedicAdd(QWidget* owner) : QDialog(owner), ui(new Ui::MedicAdd)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Frame1 = {ui->Frame1_0, ui->Frame1_1};
    lblLabels = {nullptr, ui->lblLabels_1, ui->lblLabels_2, ui->lblLabels_3, ui->lblLabels_4};
    txtFields = {nullptr, ui->txtFields_1, ui->txtFields_2, ui->txtFields_3, ui->txtFields_4};

    // The access code is drawn in the colour of its background: what is
    // typed stays unseen.
    QPalette hidden = ui->txtFields_4->palette();
    const QColor face = hidden.color(QPalette::Button);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        hidden.setColor(g, QPalette::Base, face);
        hidden.setColor(g, QPalette::Text, face);
        hidden.setColor(g, QPalette::Highlight, face);
        hidden.setColor(g, QPalette::HighlightedText, face);
    }
    ui->txtFields_4->setPalette(hidden);

    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setRecordSource(QStringLiteral("Medic"));
    Data1->bind(ui->txtFields_1, QStringLiteral("Names"));
    Data1->bind(ui->txtFields_2, QStringLiteral("EGN"));
    Data1->bind(ui->txtFields_3, QStringLiteral("KodMedic"));
    Data1->bind(ui->txtFields_4, QStringLiteral("Password"));
    connect(Data1, &DataControl::validate, this, [this](int&, bool& save) {
        if (!wait_)
            wait_.emplace();
        // A row is written only through the checks of "Затвори", never by a
        // move or by closing: no half-typed doctor is stored.
        save = false;
    });
    connect(Data1, &DataControl::reposition, this, [this] { wait_.reset(); });
    connect(Data1, &DataControl::error, this, [this](const QString& text, int& response) {
        wait_.reset();
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Data error event hit err:") + text);
        response = 0;
    });

    ui->cmdUpdate->setEnabled(false);
    connect(ui->cmdAdd, &QPushButton::clicked, this, &MedicAdd::onAdd);
    connect(ui->cmdUpdate, &QPushButton::clicked, this, &MedicAdd::onUpdate);
    connect(ui->cmdDelete, &QPushButton::clicked, this, &MedicAdd::onDelete);
    connect(ui->cmdClose, &QPushButton::clicked, this, &MedicAdd::onClose);

    try {
        Data1->refresh();
        loaded_ = true;
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
    }
}

MedicAdd::~MedicAdd() = default;

bool MedicAdd::ensureNewRow()
{
    if (Data1->isNewRow())
        return true;
    // After a failed first read, whatever was typed meanwhile stays on screen.
    QStringList typed;
    if (!loaded_)
        for (int i = 1; i <= 4; ++i)
            typed << txtFields[i]->text();
    try {
        if (!loaded_) {
            Data1->refresh();
            loaded_ = true;
        }
        Data1->addNew();
    } catch (const db::DbError& e) {
        wait_.reset();
        InfoMessage(e.userText(), this);
        return false;
    }
    wait_.reset();
    for (int i = 0; i < typed.size(); ++i)
        txtFields[i + 1]->setText(typed[i]);
    ui->cmdUpdate->setEnabled(Data1->isNewRow());
    return Data1->isNewRow();
}

void MedicAdd::onAdd()
{
    ensureNewRow();
}

bool MedicAdd::event(QEvent* e)
{
    // Each activation begins the new doctor's row, unless one is being typed.
    if (e->type() == QEvent::WindowActivate && Data1 && !Data1->isNewRow())
        onAdd();
    return QDialog::event(e);
}

void MedicAdd::showEvent(QShowEvent* e)
{
    if (!Data1->isNewRow())
        onAdd();
    ui->txtFields_1->setFocus();
    QDialog::showEvent(e);
}

bool MedicAdd::writeChecked()
{
    const QString problem = doctorEntryProblem(ui->txtFields_1->text(), ui->txtFields_2->text(),
                                               ui->txtFields_3->text(), ui->txtFields_4->text());
    if (!problem.isEmpty()) {
        QApplication::beep();
        InfoMessage(problem, this);
        return false;
    }
    if (!ensureNewRow() && !Data1->hasCurrent())
        return false;
    try {
        Data1->updateRecord();
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
        return false;
    }
    return true;
}

void MedicAdd::onUpdate()
{
    if (writeChecked())
        ui->cmdUpdate->setEnabled(false);
}

void MedicAdd::onDelete()
{
    try {
        Data1->deleteCurrent();
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
    }
}

void MedicAdd::onClose()
{
    if (writeChecked())
        accept();
}

void MedicAdd::done(int r)
{
    // Closed by its frame or Escape: a doctor not yet stored is dropped.
    try {
        Data1->close();
    } catch (const db::DbError&) {
        // Nothing is written here, so nothing can be lost.
    }
    wait_.reset();
    QDialog::done(r);
}

} // namespace tav

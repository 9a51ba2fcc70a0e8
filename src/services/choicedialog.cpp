#include "services/choicedialog.h"

#include "ui_choicedialog.h"

#include "db/values.h"
#include "services/dialogs.h"

namespace tav {

ChoiceDialog::Vars& ChoiceDialog::vars()
{
    static Vars v;
    return v;
}

ChoiceDialog::ChoiceDialog(QWidget* owner) : QDialog(owner), ui(new Ui::ChoiceDialog)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui->Text1, &QLineEdit::textChanged, this, [this] { ui->OKButton->setDefault(true); });
    connect(ui->OKButton, &QPushButton::clicked, this, &ChoiceDialog::onOk);
    connect(ui->CancelButton, &QPushButton::clicked, this, &ChoiceDialog::onCancel);
}

ChoiceDialog::~ChoiceDialog() = default;

void ChoiceDialog::setPrompt(const QString& text)
{
    ui->Label1->setText(text);
}

void ChoiceDialog::showEvent(QShowEvent* e)
{
    // A choice made at an earlier showing does not count for this one; the
    // window frame and Escape then leave "no choice".
    vars().lChoice = false;
    QDialog::showEvent(e);
}

void ChoiceDialog::onOk()
{
    const QString typed = trimBlanks(ui->Text1->text());
    if (typed.isEmpty()) {
        vars().lChoice = false;
        InfoMessage(kNoDateMessage, this);
        return;
    }
    const std::optional<QDate> date = dateFromDDMMYYYY(typed);
    if (!date) {
        vars().lChoice = false;
        InfoMessage(kBadDateMessage, this);
        ui->Text1->setFocus();
        ui->Text1->selectAll();
        return;
    }
    vars().dData = *date;
    vars().lChoice = true;
    accept();
}

void ChoiceDialog::onCancel()
{
    InfoMessage(kNoDateMessage, this);
    vars().lChoice = false;
    vars().dData = Clock::today().addDays(1);
    reject();
}

} // namespace tav

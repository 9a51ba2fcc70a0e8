#include "services/progdialog.h"

#include "ui_progdialog.h"

namespace tav {

ProgDialog::Vars& ProgDialog::vars()
{
    static Vars v;
    return v;
}

ProgDialog::ProgDialog(QWidget* owner) : QDialog(owner), ui(new Ui::ProgDialog)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    vars().nStop = 0;
    connect(ui->OKButton, &QPushButton::clicked, this, &ProgDialog::onOk);
}

ProgDialog::~ProgDialog() = default;

QLabel* ProgDialog::label() const { return ui->Label1; }
QProgressBar* ProgDialog::bar() const { return ui->ProgBar; }
QPushButton* ProgDialog::button() const { return ui->OKButton; }

void ProgDialog::onOk()
{
    vars().nStop = 1;
    close();
}

} // namespace tav

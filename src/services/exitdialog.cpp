#include "services/exitdialog.h"

#include "ui_exitdialog.h"

#include "services/program.h"

#include <QStyle>

namespace tav {

ExitDialog::ExitDialog(QWidget* owner) : QDialog(owner), ui(new Ui::ExitDialog)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    connect(ui->OKButton, &QPushButton::clicked, this, &ExitDialog::onOk);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

ExitDialog::~ExitDialog() = default;

void ExitDialog::showEvent(QShowEvent* e)
{
    ui->CancelButton->setFocus();
    QDialog::showEvent(e);
}

void ExitDialog::onOk()
{
    // The main window's closing steps are skipped, but the open windows
    // write their pending edits first; one that keeps them keeps the
    // program running.
    hide();
    if (!closeOpenWindows()) {
        reject();
        return;
    }
    endProgram();
    QDialog::accept();
}

} // namespace tav

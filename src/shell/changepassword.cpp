#include "shell/changepassword.h"

#include "ui_changepassword.h"

#include "db/database.h"
#include "services/hourglass.h"
#include "services/ownedwindow.h"
#include "shell/login_logic.h"
#include "shell/password.h"

#include <QMessageBox>

namespace tav {

void ChangePassword::showModal(QWidget* owner)
{
    ChangePassword dlg(owner);
    execOwnedDialog(dlg, owner);
}

ChangePassword::ChangePassword(QWidget* owner) : QDialog(owner), ui(new Ui::ChangePassword)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lblLabels = {ui->lblLabels_0, ui->lblLabels_1, ui->lblLabels_2};
    for (QLineEdit* box : {ui->txtPasswordOld, ui->txtPasswordNew, ui->txtConfurm})
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    connect(ui->cmdChange, &QPushButton::clicked, this, &ChangePassword::onChange);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ChangePassword::~ChangePassword() = default;

void ChangePassword::showEvent(QShowEvent* e)
{
    ui->txtPasswordOld->clear();
    ui->txtPasswordNew->clear();
    ui->txtConfurm->clear();
    ui->txtPasswordOld->setFocus();
    QDialog::showEvent(e);
}

void ChangePassword::onChange()
{
    login::ChangeOutcome outcome;
    try {
        Hourglass wait;
        db::Connection c = db::Connection::main();
        // The row of the doctor who logged in, whatever other doctor shares the name.
        outcome = login::changeAccessCode(c, Password::vars().nRecID, ui->txtPasswordOld->text(),
                                          ui->txtPasswordNew->text(), ui->txtConfurm->text());
    } catch (const db::DbError& e) {
        QMessageBox::warning(this, login::kChangeTitle, login::kNotWritten + QLatin1Char('\n') + e.userText());
        return;
    }
    if (outcome.result != login::ChangeResult::Changed) {
        QMessageBox::information(this, login::kChangeTitle, outcome.message);
        return;
    }
    // The login's kept code follows the row; the doctor's number stamped on
    // new patients stays the one of this run's login.
    Password::vars().sPassWord = outcome.newCode;
    QMessageBox::information(this, login::kChangeTitle, outcome.message);
    accept();
}

} // namespace tav

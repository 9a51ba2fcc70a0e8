#include "shell/password.h"

#include "ui_password.h"

#include "db/database.h"
#include "db/values.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"
#include "services/program.h"
#include "shell/login_logic.h"
#include "shell/medicadd.h"
#include "shell/splash.h"

namespace tav {

Password::Password(QWidget* owner) : QDialog(owner), ui(new Ui::Password)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Frame1 = {ui->Frame1_0, ui->Frame1_1};
    lblLabels = {ui->lblLabels_0, ui->lblLabels_1};
    ui->txtField->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    ui->Combo1->setPlaceholderText(QStringLiteral("Изберете име на лекар"));
    connect(ui->Combo1, &QComboBox::activated, this, &Password::chooseEntry);
    // No button answers Enter until a code is typed: Enter after picking the
    // name is no attempt, and a refused attempt ends the program.
    connect(ui->txtField, &QLineEdit::textChanged, this, [this] { ui->OKButton->setDefault(true); });
    connect(ui->OKButton, &QPushButton::clicked, this, &Password::onOk);
    connect(ui->CancelButton, &QPushButton::clicked, this, &Password::onCancel);
}

Password::~Password() = default;

QComboBox* Password::combo() const { return ui->Combo1; }
QLineEdit* Password::codeBox() const { return ui->txtField; }

bool Password::runLogin(QWidget* owner)
{
    Password dlg(owner);
    switch (dlg.load()) {
    case LoadResult::NoDoctors: {
        vars().lKod = false;
        MedicAdd reg(owner);
        reg.exec();
        endProgram();
        return false;
    }
    case LoadResult::Failed:
        vars().lKod = false;
        return false;
    case LoadResult::Doctors:
        break;
    }
    dlg.exec();
    dlg.unload();
    return vars().lKod;
}

Password::LoadResult Password::load()
{
    Splash::unloadShared();
    vars().sPassWord.clear();
    vars().nRecID = 0;
    ui->Combo1->clear();
    try {
        Hourglass wait;
        db::Connection c = db::Connection::main();
        const db::Rows medic = login::readDoctors(c);
        if (medic.isEmpty())
            return LoadResult::NoDoctors;
        ui->Combo1->addItems(login::doctorNames(medic));
        ui->Combo1->setCurrentIndex(-1);
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
        return LoadResult::Failed;
    }
    return LoadResult::Doctors;
}

void Password::chooseEntry(int index)
{
    const QString listText = ui->Combo1->itemText(index);
    vars().sName = listText;
    try {
        Hourglass wait;
        db::Connection c = db::Connection::main();
        const login::DoctorChoice d = login::chooseDoctor(login::readDoctors(c), listText);
        if (!d.found)
            return;
        vars().sPassWord = d.password;
        vars().nIDMedic = d.idMedic;
        vars().nRecID = d.recId;
        CurrentDoctorCode = d.kodMedic;
        CurrentDoctorName = d.names;
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
    }
}

void Password::onOk()
{
    if (login::codeAccepted(ui->txtField->text(), vars().sPassWord)) {
        accept();
        return;
    }
    // One attempt only.
    CurrentDoctorCode.clear();
    InfoMessage(login::kWrongCode, this);
    endProgram();
    reject();
}

void Password::onCancel()
{
    reject();
    endProgram();
}

void Password::unload()
{
    vars().lKod = login::loginGranted(ui->txtField->text(), vars().sPassWord);
}

void Password::done(int r)
{
    unload();
    QDialog::done(r);
}

} // namespace tav

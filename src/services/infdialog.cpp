#include "services/infdialog.h"

#include "services/dialogs.h"
#include "ui_infdialog.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>

namespace tav {

InfDialog::InfDialog(QWidget* owner) : QDialog(owner), ui(new Ui::InfDialog)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

InfDialog::~InfDialog() = default;

void InfDialog::setMessage(const QString& text)
{
    ui->Label1->setText(messageLines(text));
    adjustSize();
}

QString InfDialog::message() const
{
    return ui->Label1->text();
}

bool InfDialog::event(QEvent* e)
{
    // Every activation draws the user's eye with the beep.
    if (e->type() == QEvent::WindowActivate)
        QApplication::beep();
    return QDialog::event(e);
}

} // namespace tav

#include "services/quesdialog.h"

#include "services/dialogs.h"
#include "ui_quesdialog.h"

#include <QStyle>

namespace tav {

QuesDialog::Vars& QuesDialog::vars()
{
    static Vars v;
    return v;
}

QuesDialog::QuesDialog(QWidget* owner) : QDialog(owner), ui(new Ui::QuesDialog)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QuesDialog::~QuesDialog() = default;

void QuesDialog::setQuestion(const QString& text)
{
    ui->Label1->setText(messageLines(text));
    adjustSize();
}

QString QuesDialog::question() const
{
    return ui->Label1->text();
}

void QuesDialog::showEvent(QShowEvent* e)
{
    // A stale "ДА" from an earlier question must never answer this one.
    vars().nCh = 0;
    ui->CancelButton->setFocus();
    QDialog::showEvent(e);
}

void QuesDialog::done(int r)
{
    vars().nCh = (r == QDialog::Accepted) ? 1 : 0;
    QDialog::done(r);
}

} // namespace tav

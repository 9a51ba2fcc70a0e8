#include "services/infdialog.h"

#include "services/dialogs.h"
#include "ui_infdialog.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QStyle>
#include <algorithm>

namespace tav {

namespace {
const int kMinimumTextWidth = 260;
const int kWidestText = 640;
} // namespace

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
    const QString shown = messageLines(text);
    ui->Label1->setText(shown);
    // A list of lines (left-out sheets, skipped rows) reads best one entry a
    // line: the box widens to its longest line, up to a wide but sane limit.
    const QFontMetrics metrics(ui->Label1->font());
    int widest = 0;
    for (const QString& line : shown.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    ui->Label1->setMinimumWidth(std::clamp(widest + 2, kMinimumTextWidth, kWidestText));
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

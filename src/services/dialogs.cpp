#include "services/dialogs.h"

#include "services/choicedialog.h"
#include "services/exitdialog.h"
#include "services/hourglass.h"
#include "services/infdialog.h"
#include "services/ownedwindow.h"
#include "services/progdialog.h"
#include "services/program.h"
#include "services/quesdialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace tav {

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString messageLines(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void InfoMessage(const QString& text, QWidget* owner)
{
    InfDialog dlg(owner);
    dlg.setMessage(text);
    execOwnedDialog(dlg, owner);
}

void InfoMessageModeless(const QString& text, QWidget* owner)
{
    auto* dlg = new InfDialog(owner);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setModal(false);
    dlg->setMessage(text);
    showOwnedWindow(dlg, owner);
}

bool YesNoQuestion(const QString& question, QWidget* owner, const QString& caption)
{
    QuesDialog dlg(owner);
    dlg.setQuestion(question);
    if (!caption.isEmpty())
        dlg.setWindowTitle(caption);
    execOwnedDialog(dlg, owner);
    return QuesDialog::vars().nCh == 1;
}

struct ProgressWindow::Impl {
    Hourglass hourglass;
    QPointer<ProgDialog> dialog;
    int rows = 0;
    int shownPercent = -1;
    QElapsedTimer sincePaint;
};

ProgressWindow::ProgressWindow(const QString& label, int rows, QWidget* owner) : d(new Impl)
{
    d->rows = rows;
    ProgDialog* dlg = new ProgDialog(owner ? owner : mainWindow());
    d->dialog = dlg;
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowModality(Qt::NonModal);
    dlg->label()->setText(label);
    dlg->button()->setEnabled(false);
    dlg->bar()->setMinimum(1);
    dlg->bar()->setMaximum(rows < 1 ? 1 : rows);
    dlg->bar()->setValue(1);
    showOwnedWindow(dlg, owner);
    // Shown before the work starts; typed keys and clicks wait until it ends.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

ProgressWindow::~ProgressWindow()
{
    if (d->dialog)
        d->dialog->close();
}

void ProgressWindow::setValue(int position)
{
    if (!d->dialog)
        return;
    // Moving the bar for every row would cost more than the row itself: it
    // moves by whole percents, and is painted at most every 50 ms.
    const int percent = d->rows > 0 ? int(qint64(position) * 100 / d->rows) : 100;
    const bool last = position >= d->rows;
    if (percent == d->shownPercent && !last)
        return;
    d->shownPercent = percent;
    QProgressBar* bar = d->dialog->bar();
    bar->setValue(qBound(bar->minimum(), position, bar->maximum()));
    if (!d->sincePaint.isValid() || d->sincePaint.elapsed() >= 50) {
        d->sincePaint.start();
        bar->repaint();
    }
}

std::optional<QDate> DateChoice(const QString& prompt, QWidget* owner)
{
    ChoiceDialog dlg(owner);
    dlg.setPrompt(prompt);
    execOwnedDialog(dlg, owner);
    if (ChoiceDialog::vars().lChoice)
        return ChoiceDialog::vars().dData;
    return std::nullopt;
}

void ExitConfirmation(QWidget* mainWindow)
{
    ExitDialog dlg(mainWindow);
    execOwnedDialog(dlg, mainWindow);
}

} // namespace tav

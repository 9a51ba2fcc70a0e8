#include "statistics/seekdate.h"
#include "ui_seekdate.h"

#include "db/database.h"
#include "fund_report/exportxml.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/sharedwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>

namespace tav::statistics {

namespace {
SharedWindow<SeekDate> g_seek;
SeekDate::SaveNameQuestion g_saveName;

QString askSaveName(QWidget* owner, const SaveRequest& r)
{
    if (g_saveName)
        return g_saveName(owner, r);
    QString selected = r.filter.section(QStringLiteral(";;"), 0, 0);
    return QFileDialog::getSaveFileName(owner, r.title, QDir(r.folder).filePath(r.proposedName), r.filter,
                                        &selected, QFileDialog::DontConfirmOverwrite);
}

void setBoxColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}
} // namespace

SeekDate* SeekDate::instance()
{
    return g_seek;
}

SeekDate* SeekDate::showShared()
{
    return g_seek.show();
}

void SeekDate::unloadShared()
{
    g_seek.close();
}

void SeekDate::setSaveNameQuestion(SaveNameQuestion question)
{
    g_saveName = std::move(question);
}

SeekDate::SeekDate(QWidget* parent) : QDialog(parent), ui(new Ui::SeekDate)
{
    ui->setupUi(this);
    setModal(false);
    g_seek.adopt(this);
    for (int i = 0; i < 2; ++i) {
        setBoxColour(Text1(i), QColor(0xC0, 0xC0, 0xC0));
        Text1(i)->installEventFilter(this);
    }
    connect(ui->OKButton, &QPushButton::clicked, this, &SeekDate::OKButton_Click);
    connect(ui->CancelButton, &QPushButton::clicked, this, &SeekDate::CancelButton_Click);
    // A period report's preview unloads the dialog when it closes.
    periodDialogUnloader() = [] { SeekDate::unloadShared(); };
}

SeekDate::~SeekDate()
{
    if (g_seek == this || !g_seek)
        periodDialogUnloader() = {};
}

QLineEdit* SeekDate::Text1(int index) const
{
    return index == 0 ? ui->Text1_0 : ui->Text1_1;
}

QPushButton* SeekDate::OKButton() const
{
    return ui->OKButton;
}

QPushButton* SeekDate::CancelButton() const
{
    return ui->CancelButton;
}

bool SeekDate::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::FocusIn) {
        for (int i = 0; i < 2; ++i)
            if (watched == Text1(i))
                Text1_GotFocus(i);
    }
    return QDialog::eventFilter(watched, e);
}

void SeekDate::Text1_GotFocus(int index)
{
    setBoxColour(Text1(index), Qt::white);
    ui->OKButton->setDefault(true);
}

void SeekDate::OKButton_Click()
{
    const PeriodCheck check = checkPeriod(Text1(0)->text(), Text1(1)->text());
    if (check.verdict == PeriodVerdict::Incomplete)
        return;
    if (check.verdict != PeriodVerdict::Accepted) {
        InfoMessage(check.message(), this);
        return;
    }
    vars() = check.vars;

    const int kind = ReportKind.toInt();
    if (kind == 4) {
        runFundReport();
        return;
    }
    if (kind == 1 || kind == 2 || kind == 3 || kind == 5) {
        PeriodReportRunner& run = periodReportRunner();
        if (!run)
            return;
        // The job only adds to its table: a second run behind the open
        // preview would count everything twice.
        if (run(kind, this))
            ui->OKButton->setEnabled(false);
    }
}

void SeekDate::runFundReport()
{
    const PeriodVars period = vars();
    const std::optional<fund_report::ExportResult> exported =
        fund_report::RunExportReportXml(period.sDataStart, period.sDataStop, this);
    if (!exported)
        return;
    // Another copy may export while the dialog is open: the bytes this run
    // wrote are saved, not what the program folder holds by then.
    const QString target = askSaveName(this, reportSaveRequest(period.sStart));
    if (target.isEmpty())
        return;   // cancelled: "Търси" again or "Отказ"
    try {
        copyReportTo(exported->utf8, target);
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), this);
        return;
    }
    close();
}

void SeekDate::CancelButton_Click()
{
    InfoMessage(kMsgNoPeriod, this);
    close();
}

void SeekDate::reject()
{
    // Escape answers as "Отказ".
    CancelButton_Click();
}

void SeekDate::closeEvent(QCloseEvent* e)
{
    // Closing by the frame unloads without a message. The next show makes a
    // new dialog, even before this one is destroyed.
    g_seek.release(this);
    QWidget::closeEvent(e);
}

} // namespace tav::statistics

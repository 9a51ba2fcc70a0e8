#include "report/preview.h"

#include "services/dialogs.h"
#include "services/hourglass.h"
#include "services/ownedwindow.h"
#include "services/plaintext.h"
#include "services/program.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace tav::report {

// One page of the report at the preview's zoom.
class PageView : public QWidget {
public:
    explicit PageView(ReportPreview* owner) : QWidget(owner), owner_(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    QSizeF paper() { return owner_->report().rendered().paper; }
    double pixelsPerTwip() const { return owner_->zoom() * logicalDpiX() / double(kTwipsPerInch); }
    void resizeToPage()
    {
        const QSizeF p = paper();
        setFixedSize(int(p.width() * pixelsPerTwip()) + 1, int(p.height() * pixelsPerTwip()) + 1);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.scale(pixelsPerTwip(), pixelsPerTwip());
        owner_->report().paintPage(p, owner_->currentPage());
    }

private:
    ReportPreview* owner_;
};

namespace {

const double kZooms[] = {0.5, 0.75, 1.0, 1.5, 2.0};

} // namespace

ReportPreview::ReportPreview(std::unique_ptr<Report> report, QWidget* parent)
    : QWidget(parent, Qt::Window), report_(std::move(report))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(titleText(report_->caption()));
    report_->setPreview(this);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("tlbPreview"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle* st = style();
    first_ = bar->addAction(st->standardIcon(QStyle::SP_MediaSkipBackward), QStringLiteral("Първа"), this, &ReportPreview::firstPage);
    previous_ = bar->addAction(st->standardIcon(QStyle::SP_MediaSeekBackward), QStringLiteral("Предишна"), this, &ReportPreview::previousPage);
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName(QStringLiteral("txtPage"));
    pageBox_->setMinimum(1);
    bar->addWidget(pageBox_);
    pageOf_ = new QLabel(this);
    bar->addWidget(pageOf_);
    next_ = bar->addAction(st->standardIcon(QStyle::SP_MediaSeekForward), QStringLiteral("Следваща"), this, &ReportPreview::nextPage);
    last_ = bar->addAction(st->standardIcon(QStyle::SP_MediaSkipForward), QStringLiteral("Последна"), this, &ReportPreview::lastPage);
    bar->addSeparator();
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("cboZoom"));
    zoomBox_->addItem(QStringLiteral("Цяла страница"));
    zoomBox_->addItem(QStringLiteral("По ширина"));
    for (double z : kZooms)
        zoomBox_->addItem(QStringLiteral("%1%").arg(int(z * 100)));
    zoomBox_->setCurrentIndex(1);
    bar->addWidget(zoomBox_);
    bar->addSeparator();
    QAction* print = bar->addAction(QStringLiteral("Печат..."), this, &ReportPreview::printReport);
    print->setObjectName(QStringLiteral("cmdPrint"));
    print->setShortcut(QKeySequence::Print);
    QAction* pdf = bar->addAction(QStringLiteral("Запис като PDF..."), this, &ReportPreview::saveAsPdfAsked);
    pdf->setObjectName(QStringLiteral("cmdPdf"));
    QAction* close = bar->addAction(QStringLiteral("Затвори"), this, &QWidget::close);
    close->setObjectName(QStringLiteral("cmdClose"));
    first_->setObjectName(QStringLiteral("cmdFirst"));
    previous_->setObjectName(QStringLiteral("cmdPrevious"));
    next_->setObjectName(QStringLiteral("cmdNext"));
    last_->setObjectName(QStringLiteral("cmdLast"));

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new PageView(this);
    scroll_->setWidget(view_);
    scroll_->installEventFilter(this);
    pageBox_->installEventFilter(this);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(bar);
    lay->addWidget(scroll_, 1);

    connect(pageBox_, &QSpinBox::valueChanged, this, &ReportPreview::setPage);
    connect(zoomBox_, &QComboBox::activated, this, &ReportPreview::zoomChosen);

    resize(980, 760);
    applyZoom();
    updateControls();
}

ReportPreview::~ReportPreview()
{
    // Destroyed without a close (its owner went first): a destructor must not throw.
    if (report_ && !programEnding()) {
        try {
            report_->end();
        } catch (const db::DbError& e) {
            InfoMessage(e.userText());
        }
    }
}

int ReportPreview::pageCount() const
{
    return report_->pageCount();
}

void ReportPreview::setPage(int page)
{
    page = qBound(1, page, pageCount());
    if (page == page_ && pageBox_->value() == page)
        return;
    page_ = page;
    updateControls();
    view_->update();
    scroll_->verticalScrollBar()->setValue(0);
}

void ReportPreview::setZoom(double zoom)
{
    fit_ = Fit::None;
    zoom_ = qBound(0.1, zoom, 8.0);
    applyZoom();
}

void ReportPreview::fitWidth()
{
    fit_ = Fit::Width;
    zoomBox_->setCurrentIndex(1);
    applyZoom();
}

void ReportPreview::fitPage()
{
    fit_ = Fit::Page;
    zoomBox_->setCurrentIndex(0);
    applyZoom();
}

void ReportPreview::zoomChosen(int index)
{
    if (index == 0)
        fitPage();
    else if (index == 1)
        fitWidth();
    else
        setZoom(kZooms[index - 2]);
}

void ReportPreview::applyZoom()
{
    const QSizeF paper = report_->rendered().paper;
    const double perTwipAt100 = logicalDpiX() / double(kTwipsPerInch);
    QSize room = scroll_->size() - QSize(24, 24);
    if (fit_ == Fit::Width) {
        // A page fitted to the width is taller than the window: leave room for the vertical scroll bar.
        room.rwidth() -= style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        zoom_ = qMax(0.1, room.width() / (paper.width() * perTwipAt100));
    }
    else if (fit_ == Fit::Page)
        zoom_ = qMax(0.1, qMin(room.width() / (paper.width() * perTwipAt100), room.height() / (paper.height() * perTwipAt100)));
    view_->resizeToPage();
}

void ReportPreview::updateControls()
{
    const int n = pageCount();
    const QSignalBlocker block(pageBox_);
    pageBox_->setMaximum(qMax(1, n));
    pageBox_->setValue(page_);
    pageOf_->setText(QStringLiteral(" от %1 ").arg(n));
    first_->setEnabled(page_ > 1);
    previous_->setEnabled(page_ > 1);
    next_->setEnabled(page_ < n);
    last_->setEnabled(page_ < n);
}

bool ReportPreview::saveAsPdf(const QString& path)
{
    QString error;
    bool ok;
    {
        Hourglass wait;
        ok = report_->renderToPdf(path, &error);
    }
    if (!ok)
        InfoMessage(error, this);
    return ok;
}

void ReportPreview::saveAsPdfAsked()
{
    const QString docs = documentsFolder();
    QString name = report_->caption().isEmpty() ? report_->layout().name : report_->caption();
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Запис като PDF"),
                                                QDir(docs).filePath(name + QStringLiteral(".pdf")),
                                                QStringLiteral("PDF файлове (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    saveAsPdf(path);
}

void ReportPreview::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report_->caption());
    QPrintDialog dlg(&printer, this);
    dlg.setWindowTitle(QStringLiteral("Печат"));
    dlg.setMinMax(1, pageCount());
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dlg.exec() != QDialog::Accepted)
        return;
    bool ok;
    {
        Hourglass wait;
        ok = report_->print(printer);
    }
    if (!ok)
        InfoMessage(QStringLiteral("Справката не може да бъде отпечатана."), this);
}

void ReportPreview::closeEvent(QCloseEvent* e)
{
    e->accept();
    if (programEnding())
        return;
    // The window closes whatever the report's end says.
    try {
        report_->end();
    } catch (const db::DbError& err) {
        InfoMessage(err.userText(), this);
    }
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* e)
{
    // The scroll area gets its new size after the window's own resize.
    if (watched == scroll_ && e->type() == QEvent::Resize && fit_ != Fit::None)
        applyZoom();
    // The page number would take the paging keys for a step of ten, the
    // page for a scroll: they turn the pages here. A page taller than the
    // window is first scrolled through to its end.
    if ((watched == scroll_ || watched == pageBox_) && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        QScrollBar* bar = scroll_->verticalScrollBar();
        if (watched == scroll_ && k->modifiers() == Qt::NoModifier
            && ((k->key() == Qt::Key_PageDown && bar->value() < bar->maximum())
                || (k->key() == Qt::Key_PageUp && bar->value() > bar->minimum())))
            return QWidget::eventFilter(watched, e);
        const int before = page_;
        if (pageKey(k)) {
            // Turned back a page: its end joins what was read.
            if (watched == scroll_ && k->key() == Qt::Key_PageUp && page_ < before)
                bar->setValue(bar->maximum());
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

bool ReportPreview::pageKey(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_PageDown: nextPage(); return true;
    case Qt::Key_PageUp: previousPage(); return true;
    case Qt::Key_Home: if (e->modifiers() & Qt::ControlModifier) { firstPage(); return true; } break;
    case Qt::Key_End: if (e->modifiers() & Qt::ControlModifier) { lastPage(); return true; } break;
    default: break;
    }
    return false;
}

void ReportPreview::keyPressEvent(QKeyEvent* e)
{
    if (!pageKey(e))
        QWidget::keyPressEvent(e);
}

QWidget* openPreview(std::unique_ptr<Report> report)
{
    auto* w = new ReportPreview(std::move(report), mainWindow());
    // Made for a large screen; on a small one the page's foot must stay on it.
    makeOwnedWindow(w);
    fitOnScreen(w);
    showOwnedWindow(w);
    return w;
}

void raisePreview(Report& report)
{
    if (QWidget* w = report.preview()) {
        if (w->isMinimized())
            w->showNormal();
        w->show();
        w->raise();
        w->activateWindow();
    }
}

void closePreview(Report& report)
{
    if (QWidget* w = report.preview())
        w->close();
    else
        report.end();
}

} // namespace tav::report

#include "report/report.h"

#include <QWidget>

#include "report/dataenvironment.h"
#include "report/layoutfile.h"
#include "services/globals.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::report {

Report::Report(Layout layout) : layout_(std::move(layout))
{
}

Report::Report(const QString& layoutPath) : layout_(loadLayout(layoutPath))
{
}

Report::~Report() = default;

QWidget* Report::preview() const
{
    return preview_.data();
}

void Report::setPreview(QWidget* w)
{
    preview_ = w;
}

Layout& Report::layout()
{
    rendered_.reset();
    return layout_;
}

void Report::setRows(db::Rows rows)
{
    rows_ = std::move(rows);
    rowsSet_ = true;
    rendered_.reset();
}

void Report::setFormatHook(FormatHook hook)
{
    hook_ = std::move(hook);
    rendered_.reset();
}

void Report::start()
{
    if (started_)
        return;
    started_ = true;
    initialize();
    if (!rowsSet_ && !layout_.dataMember.isEmpty()) {
        try {
            setRows(DataEnvironment1::instance().rows(layout_.dataMember));
        } catch (...) {
            endAfterFailure();
            throw;
        }
    }
}

void Report::endAfterFailure()
{
    try {
        end();
    } catch (const db::DbError&) {
    }
}

void Report::end()
{
    if (!started_ || ended_)
        return;
    ended_ = true;
    terminate();
}

const Rendered& Report::rendered()
{
    if (!rendered_)
        rendered_ = render(layout_, rows_, hook_);
    return *rendered_;
}

void Report::paintPage(QPainter& painter, int page)
{
    report::paintPage(painter, rendered(), page);
}

namespace {

QPageLayout pageLayoutOf(const Rendered& r, bool landscape)
{
    const QSizeF portrait = landscape ? r.paper.transposed() : r.paper;
    const QPageSize size(QSizeF(portrait.width() / kTwipsPerPoint, portrait.height() / kTwipsPerPoint),
                         QPageSize::Point, QString(), QPageSize::FuzzyOrientationMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

} // namespace

bool Report::renderToPdf(const QString& path, QString* error)
{
    const Rendered& r = rendered();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Файлът %1 не може да бъде записан: %2").arg(path, file.errorString());
        return false;
    }
    // Patients' names and EGNs: for the owner's eyes, whatever the umask or
    // the replaced file's modes (a file system without modes keeps none).
    (void)::fchmod(file.handle(), S_IRUSR | S_IWUSR);
    {
        QPdfWriter writer(&file);
        writer.setResolution(kTwipsPerInch);
        writer.setPageLayout(pageLayoutOf(r, layout_.landscape));
        writer.setTitle(layout_.caption);
        writer.setCreator(kProductName);
        QPainter p;
        if (!p.begin(&writer)) {
            file.cancelWriting();
            if (error)
                *error = QStringLiteral("Файлът %1 не може да бъде записан").arg(path);
            return false;
        }
        for (int page = 1; page <= r.pageCount; ++page) {
            if (page > 1)
                writer.newPage();
            report::paintPage(p, r, page);
        }
        p.end();
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Файлът %1 не може да бъде записан: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool Report::print(QPrinter& printer)
{
    const Rendered& r = rendered();
    // Printed to a file, it holds what the saved PDF holds: the file is made
    // the owner's alone before the printer opens it (it keeps the modes).
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        const int fd = ::open(QFile::encodeName(printer.outputFileName()).constData(),
                              O_WRONLY | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd >= 0) {
            (void)::fchmod(fd, S_IRUSR | S_IWUSR);
            ::close(fd);
        }
    }
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutOf(r, layout_.landscape));
    if (printer.docName().isEmpty())
        printer.setDocName(layout_.caption);
    int from = 1, to = r.pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = qMax(1, printer.fromPage());
        to = qMin(r.pageCount, printer.toPage() > 0 ? printer.toPage() : r.pageCount);
    }
    QPainter p;
    if (!p.begin(&printer))
        return false;
    const double sx = printer.resolution() / double(kTwipsPerInch);
    bool first = true;
    for (int page = from; page <= to; ++page) {
        if (!first && !printer.newPage())
            return false;
        first = false;
        p.save();
        p.scale(sx, sx);
        report::paintPage(p, r, page);
        p.restore();
    }
    return p.end();
}

} // namespace tav::report

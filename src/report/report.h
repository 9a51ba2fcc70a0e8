#pragma once
// A printed report: a layout, its rows and its fill, with the two events of
// its life. A report kind derives from SharedReport<Kind>:
//
//   class rprX : public tav::report::SharedReport<rprX> {
//   public:
//       rprX() : SharedReport(QStringLiteral(":/report/layouts/rprX.json")) {}
//   protected:
//       void initialize() override {   // before any row is read or drawn
//           control("PageHeader", "Label1").setCaption(...);
//           setRows(...);               // or leave it to the layout's dataMember
//           setFormatHook([](SectionFormat& f) { ... });
//       }
//       void terminate() override { ... }   // the preview has closed
//   };
//   rprX::showShared();   // one shared instance; closing the preview ends it
//
// Without a window: construct it, start(), then displayList() / renderToPdf().

#include "db/database.h"
#include "report/layout.h"
#include "report/renderer.h"

#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;
class QWidget;

namespace tav::report {

class Report {
public:
    explicit Report(Layout layout);
    explicit Report(const QString& layoutPath);   // throws LayoutError
    virtual ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // The layout and its controls. Changing them redraws the report.
    Layout& layout();
    const Layout& layout() const { return layout_; }
    QString caption() const { return layout_.caption; }
    Section& section(const QString& name) { return layout().section(name); }
    Section& section(int position) { return layout().section(position); }
    Control& control(const QString& section, const QString& name) { return layout().control(section, name); }
    Margins& margins() { return layout().margins; }

    // The data source; read at start, held in memory, never a connection.
    void setRows(db::Rows rows);
    const db::Rows& rows() const { return rows_; }
    void setFormatHook(FormatHook hook);

    // Initialize: runs initialize(), then reads the rows of the layout's
    // dataMember from DataEnvironment1 when no rows were set. Once. When the
    // rows cannot be read, the report is ended before the error goes on.
    void start();
    // Terminate: runs terminate() once, after start().
    void end();
    bool started() const { return started_; }
    bool ended() const { return ended_; }

    // The laid-out pages (computed on first use after a change).
    const Rendered& rendered();
    const QVector<DrawItem>& displayList() { return rendered().items; }
    int pageCount() { return rendered().pageCount; }

    // Paints a page onto a painter whose coordinates are twips.
    void paintPage(QPainter& painter, int page);
    // The whole report as a PDF; the file is replaced only when all went well.
    bool renderToPdf(const QString& path, QString* error = nullptr);
    // The pages the printer asks for (fromPage..toPage, or all), from the
    // sheet's corner (the printer is set to full page).
    bool print(QPrinter& printer);

    QWidget* preview() const;
    void setPreview(QWidget* w);

protected:
    virtual void initialize() {}
    virtual void terminate() {}
    // Terminate after a failure that follows Initialize: it undoes what
    // Initialize set up, and the first failure is the one the caller shows,
    // so an error of Terminate gives way to it.
    void endAfterFailure();

private:
    Layout layout_;
    db::Rows rows_;
    bool rowsSet_ = false;
    FormatHook hook_;
    std::optional<Rendered> rendered_;
    bool started_ = false;
    bool ended_ = false;
    QPointer<QWidget> preview_;
};

// The preview window of a started report, which it then owns: modeless,
// parent the main window; closing it ends the report. Declared here so that
// SharedReport needs no widget headers; defined in preview.cpp.
QWidget* openPreview(std::unique_ptr<Report> report);
void raisePreview(Report& report);
// Closes the report's preview (its Terminate runs); a report without one is ended.
void closePreview(Report& report);

template <class T>
class SharedReport : public Report {
public:
    using Report::Report;
    ~SharedReport() override
    {
        if (static_cast<Report*>(slot()) == static_cast<Report*>(this))
            slot() = nullptr;
    }

    // The live instance, or nullptr.
    static T* instance() { return slot(); }

    // Creates the instance, runs its start and shows its preview; when one is
    // open already, raises it (it is not filled again). Errors of the start
    // or of laying out (db::DbError) reach the caller and leave no instance;
    // a report that had started is ended first.
    template <class... Args>
    static T* showShared(Args&&... args)
    {
        if (T* live = slot()) {
            raisePreview(*live);
            return live;
        }
        auto report = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = report.get();
        slot() = raw;
        raw->start();
        try {
            raw->rendered();
        } catch (...) {
            raw->endAfterFailure();
            throw;
        }
        openPreview(std::move(report));
        return raw;
    }

    // Ends the live instance now: its preview closes and Terminate runs. The
    // next showShared creates and fills a new instance, even before the old
    // window is destroyed.
    static void closeShared()
    {
        if (T* live = slot()) {
            slot() = nullptr;
            closePreview(*live);
        }
    }

private:
    static T*& slot()
    {
        static T* live = nullptr;
        return live;
    }
};

} // namespace tav::report

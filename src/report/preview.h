#pragma once
// The print preview: a modeless window with the report's caption, paging,
// zoom, Print (the system's print dialog) and Save as PDF. It owns its
// report; closing it ends the report (Terminate) and destroys both.

#include "report/report.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QAction;

namespace tav::report {

class PageView;

class ReportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ReportPreview(std::unique_ptr<Report> report, QWidget* parent = nullptr);
    ~ReportPreview() override;

    Report& report() { return *report_; }
    int currentPage() const { return page_; }
    int pageCount() const;
    void setPage(int page);
    // Zoom as a fraction of the sheet's real size (1.0 = 100 %).
    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    void fitWidth();
    void fitPage();
    bool saveAsPdf(const QString& path);

public slots:
    void firstPage() { setPage(1); }
    void previousPage() { setPage(page_ - 1); }
    void nextPage() { setPage(page_ + 1); }
    void lastPage() { setPage(pageCount()); }
    void printReport();
    void saveAsPdfAsked();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    enum class Fit { None, Width, Page };
    bool pageKey(QKeyEvent* e);
    void applyZoom();
    void updateControls();
    void zoomChosen(int index);

    std::unique_ptr<Report> report_;
    PageView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QLabel* pageOf_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QAction* first_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* next_ = nullptr;
    QAction* last_ = nullptr;
    int page_ = 1;
    double zoom_ = 1.0;
    Fit fit_ = Fit::Width;
};

} // namespace tav::report

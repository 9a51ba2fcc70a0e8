#pragma once
// The printed period reports and what the period dialog's "Търси" runs for
// them: the work list (kind 1), the materials (2), the fund summary by age
// group (3) and the monthly specification (5). Each report reads its work
// table when it opens; its closing empties the table and unloads the dialog.

#include "report/report.h"

#include <QString>

class QWidget;

namespace tav::statistics {

class rprWork : public report::SharedReport<rprWork> {
public:
    rprWork();

protected:
    void initialize() override;
    void terminate() override;
};

class rprMat : public report::SharedReport<rprMat> {
public:
    rprMat();

protected:
    void initialize() override;
    void terminate() override;
};

class rprZOKC : public report::SharedReport<rprZOKC> {
public:
    rprZOKC();

protected:
    void initialize() override;
    void terminate() override;
};

class rptSpec : public report::SharedReport<rptSpec> {
public:
    rptSpec();

protected:
    void initialize() override;
    void terminate() override;
};

// The period as the work list and the summary print it: the one date when
// both ends are the same text, else "от <start> до <stop>".
QString periodLine(const QString& start, const QString& stop);

// A material's quantity: one decimal, a no-break space between thousands, a
// decimal comma ("1 234,5").
QString materialQuantity(double kol);

// The preparation of a report kind (1, 2, 3 or 5) over the period of the
// period dialog, with its progress window and messages owned by `dialog`,
// then the kind's preview. True when the preview is shown; a failure is shown
// and gives false.
bool runPeriodReport(int kind, QWidget* dialog);

// At start-up: runPeriodReport becomes what the period dialog runs, and the
// report items show the period dialog.
void installPeriodReports();

// Closes the open preview of a period report, if any: its closing empties
// its table and unloads the period dialog.
void closePeriodReportPreview();

} // namespace tav::statistics

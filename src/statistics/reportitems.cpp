#include "statistics/reportitems.h"

#include "services/globals.h"
#include "statistics/periodreports.h"
#include "statistics/preparation.h"
#include "statistics/tempdb.h"

namespace tav::statistics {

void showPeriodDialog(QWidget* owner)
{
    if (periodDialogOpener())
        periodDialogOpener()(owner);
}

namespace {
void start(QWidget* owner, const QString& table, const QString& kind, bool materials = false)
{
    closePeriodReportPreview();
    if (materials)
        RecodeFillingActivities();
    CreateTempTable(table);
    if (materials)
        FillTempMater();
    ReportKind = kind;
    showPeriodDialog(owner);
}
} // namespace

void startWorkList(QWidget* owner)
{
    start(owner, QStringLiteral("TempWork"), QStringLiteral("1"));
}

void startMaterials(QWidget* owner)
{
    start(owner, QStringLiteral("TempMater"), QStringLiteral("2"), true);
}

void startFundSummary(QWidget* owner)
{
    start(owner, QStringLiteral("TempZOKC"), QStringLiteral("3"));
}

void startSpecification(QWidget* owner)
{
    start(owner, QStringLiteral("TempSpec"), QStringLiteral("5"));
}

} // namespace tav::statistics

#include "statistics/periodreports.h"

#include "db/database.h"
#include "db/values.h"
#include "report/format.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "statistics/period.h"
#include "statistics/periodcheck.h"
#include "statistics/preparation.h"
#include "statistics/reportitems.h"
#include "statistics/seekdate.h"
#include "statistics/specification.h"
#include "statistics/tempdb.h"

#include <optional>

namespace tav::statistics {

namespace {

const QString kWorkTable = QStringLiteral("TempWork");
const QString kMaterTable = QStringLiteral("TempMater");
const QString kZokcTable = QStringLiteral("TempZOKC");
const QString kSpecTable = QStringLiteral("TempSpec");

db::Rows tempRows(const QString& sql)
{
    db::Connection c = db::Connection::temp();
    return c.query(sql);
}

// The end of every period report: its table emptied, the dialog unloaded
// whatever became of the table.
void endPeriodReport(const QString& table)
{
    try {
        ClearTempTable(table);
    } catch (...) {
        unloadPeriodDialog();
        throw;
    }
    unloadPeriodDialog();
}

QString doctorLine()
{
    return QStringLiteral("от д-р ") + CurrentDoctorName;
}

} // namespace

QString periodLine(const QString& start, const QString& stop)
{
    if (start == stop)
        return start;
    return QStringLiteral("от ") + start + QStringLiteral(" до ") + stop;
}

QString materialQuantity(double kol)
{
    QString text = report::formatNumber(kol, QStringLiteral("#,##0.0"), QLocale::c());
    text.replace(QLatin1Char(','), QChar(0x00A0));
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

// ---------------------------------------------------------------- rprWork

rprWork::rprWork() : SharedReport(QStringLiteral(":/report/layouts/rprWork.json"))
{
}

void rprWork::initialize()
{
    const db::Rows rows = tempRows(QStringLiteral("SELECT * FROM TempWork ORDER BY rowid"));
    const PeriodVars& period = periodVars();
    control(QStringLiteral("Section1"), QStringLiteral("Label12")).setCaption(periodLine(period.sStart, period.sStop));
    control(QStringLiteral("Section1"), QStringLiteral("Label9")).setCaption(doctorLine());
    control(QStringLiteral("Section2"), QStringLiteral("Label7"))
        .setCaption(QStringLiteral("Общ брой амбулаторни листи: ") + QString::number(rows.size()));
    setRows(rows);
}

void rprWork::terminate()
{
    endPeriodReport(kWorkTable);
}

// ---------------------------------------------------------------- rprMat

rprMat::rprMat() : SharedReport(QStringLiteral(":/report/layouts/rprMat.json"))
{
}

void rprMat::initialize()
{
    const PeriodVars& period = periodVars();
    control(QStringLiteral("Section1"), QStringLiteral("Label3")).setCaption(period.sStart);
    control(QStringLiteral("Section1"), QStringLiteral("Label6")).setCaption(doctorLine());
    control(QStringLiteral("Section1"), QStringLiteral("Label9")).setCaption(period.sStop);
    setRows(tempRows(QStringLiteral("SELECT * FROM TempMater WHERE Kol > 0 ORDER BY rowid")));
    setFormatHook([](report::SectionFormat& f) {
        if (f.section.kind != report::SectionKind::Detail || !f.row)
            return;
        f.section.control(QStringLiteral("Text1")).setCaption(materialQuantity(f.row->value(QStringLiteral("Kol")).toDouble()));
    });
}

void rprMat::terminate()
{
    endPeriodReport(kMaterTable);
}

// ---------------------------------------------------------------- rprZOKC

rprZOKC::rprZOKC() : SharedReport(QStringLiteral(":/report/layouts/rprZOKC.json"))
{
}

void rprZOKC::initialize()
{
    const PeriodVars& period = periodVars();
    control(QStringLiteral("Section1"), QStringLiteral("Label12")).setCaption(periodLine(period.sStart, period.sStop));
    control(QStringLiteral("Section1"), QStringLiteral("Label9")).setCaption(doctorLine());
    setRows(tempRows(QStringLiteral("SELECT * FROM TempZOKC ORDER BY rowid")));
}

void rprZOKC::terminate()
{
    endPeriodReport(kZokcTable);
}

// ---------------------------------------------------------------- rptSpec

rptSpec::rptSpec() : SharedReport(QStringLiteral(":/report/layouts/rptSpec.json"))
{
}

void rptSpec::initialize()
{
    db::Row practice;
    {
        db::Connection c = db::Connection::main();
        practice = c.first(QStringLiteral("SELECT * FROM MedicUnit ORDER BY RecID LIMIT 1"));
    }
    db::Rows counts = tempRows(QStringLiteral("SELECT * FROM TempSpec ORDER BY rowid"));
    if (counts.isEmpty())
        counts = db::Rows(1);   // the form prints its table once, with zeros
    const PeriodVars& period = periodVars();
    const QHash<QString, QString> captions =
        specificationCaptions(practice, counts.first(), period.sStart, period.sStop, report::reportLocale());
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        report::Control* c = layout().section(QStringLiteral("PageHeader")).find(it.key());
        if (!c)
            c = layout().section(QStringLiteral("Detail")).find(it.key());
        if (c)
            c->setCaption(it.value());
    }
    setRows(counts.mid(0, 1));
}

void rptSpec::terminate()
{
    endPeriodReport(kSpecTable);
}

// ---------------------------------------------------------------- the runner

namespace {

const QString kWaitActivities = QStringLiteral("Изчакайте!\rПресмятам времето за дейностите...");
const QString kWaitMaterials = QStringLiteral("Изчакайте!\rПресмятам разхода на материалите...");
const QString kDone = QStringLiteral("Завърших обработката на данните!");
const QString kNoData = QStringLiteral("Няма данни за обработка!");

// A progress callback that shows the window on the first row.
Progress progressInto(std::optional<ProgressWindow>& window, const QString& label, QWidget* owner)
{
    return [&window, label, owner](int position, int rows) {
        if (!window)
            window.emplace(messageLines(label), rows == 1 ? 2 : rows, owner);
        window->setValue(position);
    };
}

template <class Report>
bool preview()
{
    Report::showShared();
    return true;
}

} // namespace

bool runPeriodReport(int kind, QWidget* dialog)
{
    const PeriodVars& period = periodVars();
    const std::optional<QDate> first = dateFromMMDDYYYY(period.sDataStart);
    const std::optional<QDate> last = dateFromMMDDYYYY(period.sDataStop);
    if (kind != 1 && kind != 2 && kind != 3 && kind != 5)
        return false;
    if (!first || !last) {
        InfoMessage(kMsgDateWrong, dialog);
        return false;
    }
    try {
        int rows = 0;
        QVector<LeftOutRow> leftOut;
        {
            std::optional<ProgressWindow> window;
            const QString label = kind == 2 ? kWaitMaterials : kWaitActivities;
            const Progress progress = progressInto(window, label, dialog);
            switch (kind) {
            case 1: rows = FillTempWork(*first, *last, CurrentDoctorCode, progress); break;
            case 2: rows = SumMaterialConsumption(*first, *last, progress); break;
            case 3: rows = FillTempZOKC(*first, *last, CurrentDoctorCode, progress, &leftOut); break;
            default: rows = FillTempSpec(*first, *last, CurrentDoctorCode, progress, &leftOut); break;
            }
        }
        if (kind == 2 && rows == 0)
            InfoMessage(kNoData, dialog);
        if (!leftOut.isEmpty())
            InfoMessage(leftOutMessage(leftOut), dialog);
        InfoMessage(kDone, dialog);
        switch (kind) {
        case 1: return preview<rprWork>();
        case 2: return preview<rprMat>();
        case 3: return preview<rprZOKC>();
        default: return preview<rptSpec>();
        }
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), dialog);
        return false;
    }
}

void installPeriodReports()
{
    periodReportRunner() = [](int kind, QWidget* dialog) { return runPeriodReport(kind, dialog); };
    periodDialogOpener() = [](QWidget*) { SeekDate::showShared(); };
}

void closePeriodReportPreview()
{
    rprWork::closeShared();
    rprMat::closeShared();
    rprZOKC::closeShared();
    rptSpec::closeShared();
}

} // namespace tav::statistics

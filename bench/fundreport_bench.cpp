// The fund's monthly report: one doctor's month and year, written and
// converted to UTF-8.

#include "bench.h"

#include "db/values.h"
#include "fund_report/exportxml.h"
#include "services/globals.h"

#include <cstdio>

namespace {

using namespace tav;

struct Period {
    QDate first, last;
};

// The last whole month and year before the practice's newest day.
Period lastMonth(const bench::Practice& p)
{
    const QDate first = QDate(p.lastDay.year(), p.lastDay.month(), 1).addMonths(-1);
    return {first, first.addMonths(1).addDays(-1)};
}
Period lastYear(const bench::Practice& p)
{
    const int y = p.lastDay.year() - 1;
    return {QDate(y, 1, 1), QDate(y, 12, 31)};
}

void exportPeriod(const bench::Practice& p, const Period& period, int& shown)
{
    CurrentDoctorCode = p.doctorCodes.value(0);
    const fund_report::ExportResult r = fund_report::ExportReportXml(toMMDDYYYY(period.first), toMMDDYYYY(period.last));
    if (shown++ == 0)
        std::printf("    (%s - %s: %d sheets, %lld skipped)\n", qPrintable(toDDMMYYYY(period.first)),
                    qPrintable(toDDMMYYYY(period.last)), r.entries, static_cast<long long>(r.skipped.size()));
}

int g_monthShown = 0;
int g_yearShown = 0;

const bench::Register month({
    "fund report: one doctor's month, written and converted",
    {},
    [](const bench::Practice& p) { exportPeriod(p, lastMonth(p), g_monthShown); },
    10});

const bench::Register year({
    "fund report: one doctor's year, written and converted",
    {},
    [](const bench::Practice& p) { exportPeriod(p, lastYear(p), g_yearShown); },
    3});

} // namespace

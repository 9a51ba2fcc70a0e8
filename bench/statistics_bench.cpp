// The period reports: each prepared over a doctor's month and year and laid
// out; the materials over a year of all doctors; the filling recode; a
// patient list for a year of births.

#include "bench.h"

#include "db/database.h"
#include "services/globals.h"
#include "statistics/patientlists.h"
#include "statistics/period.h"
#include "statistics/periodreports.h"
#include "statistics/preparation.h"
#include "statistics/seekdati.h"
#include "statistics/tempdb.h"

#include <cstdio>

namespace {

using namespace tav;
using namespace tav::statistics;

struct Period {
    QDate first, last;
};

// A whole month and the whole calendar year before the practice's last day.
Period month(const bench::Practice& p)
{
    const QDate first(p.lastDay.year(), p.lastDay.month(), 1);
    const QDate start = first.addMonths(-1);
    return {start, first.addDays(-1)};
}
Period year(const bench::Practice& p)
{
    return {QDate(p.lastDay.year() - 1, 1, 1), QDate(p.lastDay.year() - 1, 12, 31)};
}

void usePeriod(const bench::Practice& p, const Period& d)
{
    CurrentDoctorCode = p.doctorCodes[0];
    CurrentDoctorName = p.doctorNames[0];
    periodVars() = {d.first.toString("dd.MM.yyyy"), d.last.toString("dd.MM.yyyy"), d.first.toString("MM/dd/yyyy"),
                    d.last.toString("MM/dd/yyyy")};
}

template <class Report>
void layOut(int minimumRows)
{
    Report r;
    r.start();
    r.rendered();
    if (r.rows().size() < minimumRows || r.pageCount() < 1)
        std::fprintf(stderr, "%s: %d rows\n", r.layout().name.toUtf8().constData(), int(r.rows().size()));
}

struct Kind {
    const char* name;
    const char* table;
    std::function<void(const bench::Practice&, const Period&)> run;
};

const Kind kKinds[] = {
    {"work list", "TempWork",
     [](const bench::Practice& p, const Period& d) {
         FillTempWork(d.first, d.last, p.doctorCodes[0]);
         layOut<rprWork>(10);
     }},
    {"fund summary", "TempZOKC",
     [](const bench::Practice& p, const Period& d) {
         FillTempZOKC(d.first, d.last, p.doctorCodes[0]);
         layOut<rprZOKC>(2);
     }},
    {"specification", "TempSpec",
     [](const bench::Practice& p, const Period& d) {
         FillTempSpec(d.first, d.last, p.doctorCodes[0]);
         layOut<rptSpec>(1);
     }},
};

std::vector<bench::Register> registerKinds()
{
    std::vector<bench::Register> out;
    for (const Kind& k : kKinds)
        for (const bool wholeYear : {false, true}) {
            const QString name = QStringLiteral("period: %1, one doctor's %2 prepared and laid out")
                                     .arg(QString::fromLatin1(k.name), wholeYear ? "year" : "month");
            const QString table = QString::fromLatin1(k.table);
            const auto run = k.run;
            out.emplace_back(bench::Operation{
                name,
                [table, wholeYear](const bench::Practice& p) {
                    usePeriod(p, wholeYear ? year(p) : month(p));
                    CreateTempTable(table);
                },
                [run, wholeYear](const bench::Practice& p) { run(p, wholeYear ? year(p) : month(p)); },
                10});
        }
    return out;
}
const std::vector<bench::Register> kKindOps = registerKinds();

bench::Register materials({
    "period: materials, a year of all doctors prepared and laid out",
    [](const bench::Practice& p) {
        usePeriod(p, year(p));
        CreateTempTable("TempMater");
        FillTempMater();
    },
    [](const bench::Practice& p) {
        if (SumMaterialConsumption(year(p).first, year(p).last) < 1000)
            std::fprintf(stderr, "materials: too few treatments\n");
        layOut<rprMat>(1);
    },
    10});

// The recode of a practice that has never run it: every filling still "301".
bench::Register firstRecode({
    "period: filling recode, the first",
    [](const bench::Practice&) {
        db::Connection c = db::Connection::main();
        c.exec("UPDATE Help SET KodHelp = '301' WHERE KodHelp IN (?, ?)", {kAmalgamCode, kCompositeCode});
    },
    [](const bench::Practice&) {
        if (RecodeFillingActivities() < 1000)
            std::fprintf(stderr, "recode: too few rows\n");
    },
    5});

bench::Register repeatedRecode({
    "period: filling recode, repeated",
    [](const bench::Practice&) { RecodeFillingActivities(); },
    [](const bench::Practice&) { RecodeFillingActivities(); },
    10});

bench::Register birthList({
    "period: patient list of a year of births laid out",
    [](const bench::Practice&) {
        SeekDati::vars().dStart = QDate(1975, 1, 1);
        SeekDati::vars().dStop = QDate(1975, 12, 31);
        SeekDati::vars().sVidSpr = "1";
    },
    [](const bench::Practice&) { layOut<rprDataR>(100); },
    10});

} // namespace

// The treatment records: the sheet number, the time budget, the sheet
// preparation, the save and the treatment form.

#include "bench.h"
#include "windows.h"

#include "db/database.h"
#include "db/values.h"
#include "services/globals.h"
#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "patients/seekname.h"
#include "treatments/denhelp.h"
#include "treatments/sheetprep.h"
#include "treatments/timebudget.h"
#include "treatments/treatmentrecord.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

using namespace tav;

volatile int g_sink = 0;

// A patient of the first doctor with 40 treatments over the last years, the
// clock on the practice's newest day.
QString g_patient;

void ensurePatient(const bench::Practice& p)
{
    Clock::setToday(p.lastDay);
    CurrentDoctorCode = p.doctorCodes[0];
    if (!g_patient.isEmpty())
        return;
    g_patient = bench::makeEgn(1980, 6, 15, 777);
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    c.insert(QStringLiteral("Pacients"), {"EGN", "Names", "LKod", "Tawn", "UL", "MTel"},
             {g_patient, QStringLiteral("Бенчо Тестов Четиридесетов"), p.doctorCodes[0], QStringLiteral("Пловдив"),
              QStringLiteral("ул. Гладстон 12"), QStringLiteral("0888123456")});
    c.insert(QStringLiteral("Dental"), {"EGN", "Z1", "Z24", "Z30"}, {g_patient, QStringLiteral("*"), QStringLiteral("C"), QStringLiteral("O")});
    static const char* codes[] = {"101", "301", "332", "508"};
    for (int i = 0; i < 40; ++i)
        c.insert(QStringLiteral("Help"),
                 {"EGN", "Data", "KodHelp", "Help", "TextHelp", "KodZab", "ZK", "ListID", "Cena", "Times", "KodMedic"},
                 {g_patient, p.lastDay.addDays(-30 * (40 - i)), QString::fromLatin1(codes[i % 4]),
                  QStringLiteral("Caries media"), QStringLiteral("Обт.амалгама"), QString::number(11 + i % 30), 1,
                  QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')), 21.13, 26, p.doctorCodes[0]});
    t.commit();
}

const bench::Register sheetNumber({
    "treatments: the next sheet number",
    [](const bench::Practice& p) { ensurePatient(p); },
    [](const bench::Practice&) {
        g_sink = treatments::NextSheetNumber(CurrentDoctorCode, Clock::today().year()).toInt();
    },
    20});

const bench::Register budget({
    "treatments: ComputeMinutesLeftToday",
    [](const bench::Practice& p) { ensurePatient(p); },
    [](const bench::Practice&) {
        ComputeMinutesLeftToday();
        if (MinutesLeftToday == kWorkingDayMinutes)
            std::fprintf(stderr, "no rows on the bench's today\n");
    },
    20});

const bench::Register prepare({
    "treatments: prepare the outpatient sheet of 40 due rows",
    [](const bench::Practice& p) {
        ensurePatient(p);
        db::Connection::main().exec(QStringLiteral("UPDATE Help SET ZK = 1 WHERE EGN = ?"), {g_patient});
    },
    [](const bench::Practice&) {
        const treatments::SheetPlan plan = treatments::PrepareOutpatientSheet(g_patient);
        if (plan.tempRows.size() < 40)
            std::fprintf(stderr, "only %d rows prepared\n", int(plan.tempRows.size()));
    },
    20});

using bench::g_messages;
using bench::quietPrompts;

const bench::Register openForm({
    "treatments: open the treatment form (40 treatments)",
    [](const bench::Practice& p) {
        ensurePatient(p);
        quietPrompts();
        bench::dropWindow<DenHelp>();
        DenHelp::vars().sVidDen = QStringLiteral("Edit");
        SeekName::vars().sFindEGN = g_patient;
        SeekName::vars().sFindName = QStringLiteral("Бенчо Тестов Четиридесетов          ");
    },
    [](const bench::Practice&) {
        DenHelp* f = DenHelp::showShared();
        QCoreApplication::processEvents();   // laid out and painted
        if (f->data3()->recordCount() < 40 || DenHelp::vars().sListID.isEmpty())
            std::fprintf(stderr, "treatment form opened without its rows\n");
    },
    20});

const bench::Register saveRow({
    "treatments: save a shortcut typed into the form",
    [](const bench::Practice& p) {
        ensurePatient(p);
        quietPrompts();
        if (!DenHelp::instance() || DenHelp::vars().sEGN != g_patient) {
            bench::dropWindow<DenHelp>();
            DenHelp::vars().sVidDen = QStringLiteral("Edit");
            SeekName::vars().sFindEGN = g_patient;
            DenHelp::showShared();
            QCoreApplication::processEvents();
        }
        DataGrid* g = DenHelp::instance()->grid();
        g->setCurrentIndex(g->model()->index(g->model()->rowCount() - 1, g->columnOf(QStringLiteral("KodHelp"))));
        g->setCellText(g->columnOf(QStringLiteral("KodHelp")), QStringLiteral("30"));
    },
    [](const bench::Practice&) {
        const int before = g_messages;
        DenHelp::instance()->cmdUpdate_Click();
        if (g_messages != before || DenHelp::instance()->data3()->isNewRow())
            std::fprintf(stderr, "row not saved\n");
    },
    20});

} // namespace

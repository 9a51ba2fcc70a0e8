// The appointment book of one doctor (1,000 days) opened and one day of it
// printed to PDF; a patient's referrals opened; a month's fee booking opened
// with its sums, and one save in it.

#include "bench.h"

#include "databind/datacontrol.h"
#include "db/database.h"
#include "services/globals.h"
#include "statistics/period.h"
#include "treatments/denhelp.h"
#include "treatments/grafic.h"
#include "treatments/pathway.h"
#include "treatments/rprgrafic.h"
#include "treatments/schet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace tav;

void firstDoctor(const bench::Practice& p)
{
    CurrentDoctorCode = p.doctorCodes.value(0);
    CurrentDoctorName = p.doctorNames.value(0);
}

// The month before the practice's last day.
void lastMonth(const bench::Practice& p)
{
    const QDate first = QDate(p.lastDay.year(), p.lastDay.month(), 1).addMonths(-1);
    statistics::periodVars().sDataStart = toMMDDYYYY(first);
    statistics::periodVars().sDataStop = toMMDDYYYY(first.addMonths(1).addDays(-1));
}

QTemporaryDir& outDir()
{
    static QTemporaryDir dir;
    return dir;
}

bench::Register openSchedule({
    "schedule: one doctor's 1,000 days open",
    firstDoctor,
    [](const bench::Practice&) {
        Grafic w;
        w.show();
        if (w.Data1->recordCount() < 900)
            std::fprintf(stderr, "schedule: %d days\n", w.Data1->recordCount());
        w.hide();
    },
    20});

bench::Register printDay({
    "schedule: one day printed to PDF",
    firstDoctor,
    [](const bench::Practice& p) {
        // The practice's book gives each doctor every third day from its start.
        const QDate day = db::Connection::main()
                              .scalar("SELECT Data FROM Grafic WHERE KodMedic = ? ORDER BY Data LIMIT 1 OFFSET 500",
                                      {p.doctorCodes.value(0)})
                              .toDate();
        rprGrafic r(day);
        r.start();
        if (!r.renderToPdf(outDir().filePath("day.pdf")) || r.rows().size() != 1)
            std::fprintf(stderr, "printed day failed\n");
    },
    20});

QString g_referralEgn;

bench::Register openReferrals({
    "referrals: one patient's referrals open",
    [](const bench::Practice&) {
        if (g_referralEgn.isEmpty())
            g_referralEgn = db::Connection::main().scalar("SELECT EGN FROM Path ORDER BY RecID LIMIT 1").toString();
        DenHelp::vars().sEGN = g_referralEgn;
        DenHelp::vars().sListID = QStringLiteral("000001");
    },
    [](const bench::Practice&) {
        PathWay w;
        w.show();
        if (w.Data1->recordCount() < 1)
            std::fprintf(stderr, "referrals: none found\n");
        w.hide();
    },
    20});

bench::Register openFeeBooking({
    "fee booking: one month opens with its sums",
    lastMonth,
    [](const bench::Practice&) {
        Schet w;
        w.show();
        if (w.Data1->recordCount() < 1000 || Schet::vars().nAll.units() == 0)
            std::fprintf(stderr, "fee booking: %d rows\n", w.Data1->recordCount());
        w.hide();
    },
    20});

// Kept open from one run to the next; it goes with the program.
Schet* g_booking = nullptr;

bench::Register saveFeeBooking({
    "fee booking: one save in a month",
    [](const bench::Practice& p) {
        if (!g_booking) {
            lastMonth(p);
            g_booking = new Schet;
            g_booking->show();
            g_booking->Data1->moveTo(g_booking->Data1->recordCount() / 2);
        }
        g_booking->chkFields->click();
    },
    [](const bench::Practice&) {
        const Money before = Schet::vars().nZav;
        g_booking->cmdUpdate_Click();
        if (Schet::vars().nZav == before)
            std::fprintf(stderr, "fee booking: the save changed no sum\n");
    },
    20});

} // namespace

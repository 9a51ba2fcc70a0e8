// The printed patient records for a patient with 40 treatments: each report
// filled (its rows read) and laid out.

#include "bench.h"

#include "db/database.h"
#include "printing/dentalcard.h"
#include "printing/outpatientsheet.h"
#include "printing/patientcard.h"
#include "services/globals.h"

#include <QDate>
#include <cstdio>

namespace {

using namespace tav;

// A patient of the second doctor with a chart of milk and permanent teeth,
// 40 treatments due for the sheet, and TempKarton as the print prepares it.
QString preparePatient(const bench::Practice& p)
{
    static QString egn;
    if (!egn.isEmpty())
        return egn;
    egn = bench::makeEgn(2012, 6, 15, 999);
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    if (c.first(QStringLiteral("SELECT RecID FROM Pacients WHERE EGN = ?"), {egn}).names().isEmpty()) {
        const QString doctor = p.doctorCodes.value(1, p.doctorCodes.value(0));
        c.insert(QStringLiteral("Pacients"),
                 {"EGN", "Names", "LKod", "Pol", "DataR", "ZBook", "PKod", "Tawn", "UL", "BL", "MTel", "Nep"},
                 {egn, QStringLiteral("Надежда Петрова Попова"), doctor, QStringLiteral("Ж"), QStringLiteral("01.09.2018"),
                  QStringLiteral("12345678"), QStringLiteral("4000"), QStringLiteral("Пловдив"),
                  QStringLiteral("ул.Гладстон 12"), QStringLiteral("45"), QStringLiteral("0888123456"),
                  QStringLiteral("Пеницилин")});
        QStringList f{QStringLiteral("EGN")};
        QVariantList v{egn};
        for (int z = 1; z <= 52; ++z) {
            f << QStringLiteral("Z%1").arg(z);
            v << (z <= 20 ? QStringLiteral("*") : z % 3 ? QString() : QStringLiteral("C"));
        }
        c.insert(QStringLiteral("Dental"), f, v);
        static const char* codes[] = {"101", "301", "332", "508", "509"};
        for (int i = 0; i < 40; ++i)
            c.insert(QStringLiteral("Help"),
                     {"EGN", "Data", "KodHelp", "Help", "TextHelp", "KodZab", "ZK", "Schet", "ListID", "Cena", "Times", "KodMedic"},
                     {egn, p.lastDay.addDays(-i / 4), QString::fromLatin1(codes[i % 5]), QStringLiteral("Caries media"),
                      QStringLiteral("Обт.амалгама"), QString::number(11 + i % 37), 1, 0, QStringLiteral("000001"), 25.13, 26,
                      doctor});
    }
    c.exec(QStringLiteral("DELETE FROM TempKarton"));
    for (int i = 0; i < 40; ++i)
        c.insert(QStringLiteral("TempKarton"), {"Data", "Help", "KodHelp", "TextHelp", "KodZab"},
                 {p.lastDay.addDays(-i / 4), QStringLiteral("Caries media"), QStringLiteral("3  0  1"),
                  QStringLiteral("Обт.амалгама"), QStringLiteral("3  6")});
    t.commit();
    PrintEGN = egn;
    PrintDentalStatus = true;
    loginVars().nRecID = c.scalar(QStringLiteral("SELECT RecID FROM Medic WHERE KodMedic = ?"),
                                  {p.doctorCodes.value(1, p.doctorCodes.value(0))}).toLongLong();
    return egn;
}

template <class T>
void fillAndLayOut(T& report, int pages, const char* name)
{
    report.start();
    if (report.pageCount() != pages)
        std::fprintf(stderr, "%s: %d pages, expected %d\n", name, report.pageCount(), pages);
    report.end();
}

bench::Register sheet({
    "printing: outpatient sheet, 40 lines",
    [](const bench::Practice& p) { preparePatient(p); },
    [](const bench::Practice&) {
        printing::rprKarton r;
        fillAndLayOut(r, 7, "outpatient sheet");   // 5 lines on the first page, 6 on each next
    },
    20});

bench::Register cardWithList({
    "printing: dental card with treatment list, 40 rows",
    [](const bench::Practice& p) { preparePatient(p); },
    [](const bench::Practice& p) {
        printing::rprHelpData r(preparePatient(p));
        fillAndLayOut(r, 2, "dental card with treatment list");
    },
    20});

bench::Register patientCard({
    "printing: dental card of one patient, 40 rows",
    [](const bench::Practice& p) { preparePatient(p); },
    [](const bench::Practice& p) {
        printing::rprPacient r(preparePatient(p));
        fillAndLayOut(r, 3, "dental card of one patient");
    },
    20});

} // namespace

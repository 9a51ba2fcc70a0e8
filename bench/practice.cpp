#include "bench.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/schema.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QRandomGenerator>
#include <algorithm>
#include <vector>

namespace bench {

std::vector<Operation>& registry()
{
    static std::vector<Operation> ops;
    return ops;
}

QString makeEgn(int year, int month, int day, int serial)
{
    int mm = month;
    if (year >= 2000)
        mm += 40;
    else if (year < 1900)
        mm += 20;
    const QString base = QStringLiteral("%1%2%3%4")
                             .arg(year % 100, 2, 10, QLatin1Char('0'))
                             .arg(mm, 2, 10, QLatin1Char('0'))
                             .arg(day, 2, 10, QLatin1Char('0'))
                             .arg(serial % 1000, 3, 10, QLatin1Char('0'));
    static const int w[9] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (base[i].unicode() - '0') * w[i];
    int check = sum % 11;
    if (check == 10)
        check = 0;
    return base + QString::number(check);
}

void buildPractice(Practice& p)
{
    using namespace tav;
    QDir(p.folder).removeRecursively();
    QDir().mkpath(p.folder);
    setProgramFolder(p.folder);
    db::ensureDatabases();

    static const char* first[] = {"Иван", "Мария", "Георги", "Елена", "Петър", "Радка", "Димитър", "Надежда", "Николай", "Йорданка"};
    static const char* middle[] = {"Петров", "Иванова", "Стоянов", "Георгиева", "Димитров", "Николова"};
    static const char* last[] = {"Колев", "Маринова", "Тодоров", "Христова", "Ангелов", "Попова", "Василев"};
    static const char* codes[] = {"101", "301", "301", "332", "333", "508", "509", "103"};
    static const char* texts[] = {"", "Обт.амалгама", "Обт.хим.композ.", "Mед.лечение", "Мед.лечение", "Екстракция", "Екстракция", ""};

    QRandomGenerator rng(20261210);
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    p.doctorCodes.clear();
    p.doctorNames.clear();
    p.doctorPasswords.clear();
    for (int d = 0; d < p.doctors; ++d) {
        const QString code = QStringLiteral("22000%1").arg(d + 1);
        const QString name = QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(first[d % 10]),
                                  QString::fromUtf8(middle[d % 6]), QString::fromUtf8(last[d % 7]));
        const QString pass = QStringLiteral("kod%1%1%1").arg(d + 1);
        c.insert(QStringLiteral("Medic"), {"Names", "EGN", "KodMedic", "Password"},
                 {name, QStringLiteral("000000%1").arg(d + 1, 4, 10, QLatin1Char('0')), code, pass});
        p.doctorCodes << code;
        p.doctorNames << name;
        p.doctorPasswords << pass;
    }
    QStringList egns;
    egns.reserve(p.patients);
    QSet<QString> seen;
    while (egns.size() < p.patients) {
        const QDate b = QDate(1930, 1, 1).addDays(rng.bounded(365 * 90));
        const QString egn = makeEgn(b.year(), b.month(), b.day(), rng.bounded(1000));
        if (seen.contains(egn))
            continue;
        seen.insert(egn);
        egns << egn;
        const int doctor = egns.size() % p.doctors;
        const QString names = QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(first[rng.bounded(10)]),
                                  QString::fromUtf8(middle[rng.bounded(6)]), QString::fromUtf8(last[rng.bounded(7)]));
        const bool male = ((egn[8].unicode() - '0') % 2) == 0;
        c.insert(QStringLiteral("Pacients"),
                 {"EGN", "Names", "LKod", "IDName", "DataB", "DataR", "Pol", "PKod", "Tawn", "Obsh", "Obl", "RZOK", "ZR", "UL", "MTel"},
                 {egn, names, p.doctorCodes[doctor], doctor + 1, b.toString(QStringLiteral("dd.MM.yyyy")),
                  QStringLiteral("01.02.2016"), male ? QStringLiteral("М") : QStringLiteral("Ж"),
                  QStringLiteral("4000"), QStringLiteral("Пловдив"), QStringLiteral("Пловдив"),
                  QStringLiteral("Пловдив"), QStringLiteral("16"), QStringLiteral("01"),
                  QStringLiteral("ул.Гладстон 12"), QStringLiteral("0888123456")});
        QStringList f{QStringLiteral("EGN")};
        QVariantList v{egn};
        for (int z = 21; z <= 52; z += 3) {
            f << QStringLiteral("Z%1").arg(z);
            v << QStringLiteral("C");
        }
        c.insert(QStringLiteral("Dental"), f, v);
    }
    // Ten years of visits in date order: one to three activities a visit on
    // one outpatient sheet, numbered per doctor and calendar year.
    const QDate start = QDate(2016, 12, 1);
    struct Visit {
        QDate date;
        int patient;
        int doctor;
        int activities;
    };
    std::vector<Visit> visits;
    for (int n = 0; n < p.treatments;) {
        const int k = std::min(1 + int(rng.bounded(3)), p.treatments - n);
        visits.push_back({start.addDays(rng.bounded(3650)), int(rng.bounded(egns.size())),
                          int(rng.bounded(p.doctors)), k});
        n += k;
    }
    std::stable_sort(visits.begin(), visits.end(),
                     [](const Visit& a, const Visit& b) { return a.date < b.date; });
    QHash<QString, int> sheetCounter;   // doctor and year
    for (const Visit& v : visits) {
        const QString& doctor = p.doctorCodes[v.doctor];
        const int sheet = ++sheetCounter[doctor + QString::number(v.date.year())];
        const QString listId = QStringLiteral("%1").arg(sheet, 6, 10, QLatin1Char('0'));
        for (int a = 0; a < v.activities; ++a) {
            const int k = rng.bounded(8);
            c.insert(QStringLiteral("Help"),
                     {"EGN", "Data", "KodHelp", "Help", "TextHelp", "KodZab", "ZK", "Schet", "ListID", "Cena", "Times", "KodMedic"},
                     {egns[v.patient], v.date, QString::fromUtf8(codes[k]), QStringLiteral("Caries media"),
                      QString::fromUtf8(texts[k]), QString::number(11 + rng.bounded(37)), 0, 1, listId, 21.13, 26,
                      doctor});
        }
    }
    p.lastDay = visits.empty() ? start : visits.back().date;
    for (int i = 0; i < 2000; ++i) {
        const QString& egn = egns[rng.bounded(egns.size())];
        const QDate d = start.addDays(rng.bounded(3650));
        c.insert(QStringLiteral("Path"), {"EGN", "ListID", "Data", "Nomer", "SIMP", "BCD"},
                 {egn, QStringLiteral("000001"), d, QString::number(i + 1), QStringLiteral("62"), QStringLiteral("1")});
    }
    for (int i = 0; i < 3000; ++i) {
        const QDate d = start.addDays(i);
        QStringList f{QStringLiteral("KodMedic"), QStringLiteral("Data")};
        QVariantList v{p.doctorCodes[i % p.doctors], d};
        for (int s = 0; s < 26; s += 2) {
            f << QStringLiteral("Ch%1").arg(s);
            v << QStringLiteral("Пациент %1").arg(s);
        }
        c.insert(QStringLiteral("Grafic"), f, v);
    }
    t.commit();
    for (int i = 0; i < 20 && i < egns.size(); ++i)
        p.sampleEgns << egns[i * (egns.size() / 20)];
}

} // namespace bench

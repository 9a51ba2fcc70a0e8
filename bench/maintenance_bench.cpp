// Patient maintenance: the import of the fund's export, the repair, the
// removal of other doctors' patients and the EGN correction.

#include "bench.h"

#include "db/database.h"
#include "db/paths.h"
#include "patients/koregn.h"
#include "patients/maintenance.h"
#include "patients/prompts.h"
#include "patients/zokcimport.h"
#include "services/globals.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <cstdio>

namespace {

using namespace tav;

constexpr int kExportPatients = 10000;

QStringList g_messages;

void quietPrompts()
{
    patients::prompts().info = [](const QString& text, QWidget*) { g_messages << text; };
    patients::prompts().notice = [](const QString& text, QWidget*) { g_messages << text; };
}

QString pristineCopy(const bench::Practice& p)
{
    return QDir(p.folder).filePath(QStringLiteral("maintenance-pristine.mdb"));
}

// The practice as it was when the first of these operations began, so that
// each run starts from the same register.
void restorePractice(const bench::Practice& p)
{
    const QString pristine = pristineCopy(p);
    if (!QFile::exists(pristine))
        QFile::copy(DatabasePath, pristine);
    QFile::remove(DatabasePath);
    QFile::copy(pristine, DatabasePath);
}

QString sqliteExport(const bench::Practice& p)
{
    return QDir(p.folder).filePath(QStringLiteral("fund-export.sqlite"));
}

QString jetExport(const bench::Practice& p)
{
    return QDir(p.folder).filePath(QStringLiteral("fund-export.mdb"));
}

// An export of 10000 patients born after every patient of the practice, so
// that all of them are new: the SQLite file, and the Jet file of the same
// rows written by the test fixture tool.
void makeExports(const bench::Practice& p)
{
    if (QFile::exists(sqliteExport(p)) && QFile::exists(jetExport(p)))
        return;
    QFile::remove(sqliteExport(p));
    {
        db::Connection c(sqliteExport(p), db::OpenMode::Create);
        c.execScript(QStringLiteral(
            "CREATE TABLE patients (IDNUMBER TEXT, NAME1 TEXT, NAME2 TEXT, NAME3 TEXT, POL SMALLINT,"
            " BIRTHDATE DATETIME, DATEREG DATETIME, HIMNUMBER TEXT, RECBOOK TEXT);\n"
            "CREATE TABLE address (IDNUMBER TEXT, POSTCODE TEXT, STREET1 TEXT, STREET2 TEXT, NOMSTRT TEXT,"
            " NOMBLOK TEXT, VHOD TEXT, ETAG TEXT, APART TEXT, TOWNVILLAG TEXT, TELEFON TEXT, FAX TEXT);\n"
            "CREATE TABLE eknm (TOWNVILLAG TEXT, DISTRICTCO TEXT, HRCODE TEXT, KIND TEXT, TOWNVILLA2 TEXT,"
            " MUNICIPALI TEXT);\n"
            "CREATE TABLE s_code (CODE TEXT, NAME TEXT);\n"
            "CREATE TABLE st_code (TYPE TEXT, NAME TEXT);\n"));
        db::Transaction t(c);
        static const char* first[] = {"Иван", "Мария", "Георги", "Елена", "Петър", "Радка", "Стоян", "Надежда"};
        static const char* middle[] = {"Петров", "Иванова", "Стоянов", "Георгиева", "Димитров"};
        static const char* last[] = {"Колев", "Маринова", "Тодоров", "Христова", "Ангелов"};
        for (int d = 1; d <= 28; ++d)
            c.insert(QStringLiteral("st_code"), {"TYPE", "NAME"}, {QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0')),
                                                                   QStringLiteral("Област %1").arg(d)});
        for (int m = 1; m <= 265; ++m)
            c.insert(QStringLiteral("s_code"), {"CODE", "NAME"},
                     {QStringLiteral("M%1").arg(m, 4, 10, QLatin1Char('0')), QStringLiteral("Община %1").arg(m)});
        for (int s = 1; s <= 400; ++s)
            c.insert(QStringLiteral("eknm"), {"TOWNVILLAG", "DISTRICTCO", "HRCODE", "KIND", "TOWNVILLA2", "MUNICIPALI"},
                     {QStringLiteral("%1").arg(10000 + s * 97), QStringLiteral("%1").arg(1 + s % 28, 2, 10, QLatin1Char('0')),
                      QStringLiteral("%1").arg(1 + s % 12, 2, 10, QLatin1Char('0')), s % 5 ? QStringLiteral("с.") : QStringLiteral("гр."),
                      QStringLiteral("Селище %1").arg(s), QStringLiteral("M%1").arg(1 + s % 265, 4, 10, QLatin1Char('0'))});
        QRandomGenerator rng(20261211);
        for (int i = 0; i < kExportPatients; ++i) {
            const QDate born = QDate(2020, 1, 1).addDays(i % 1400);
            const QString egn = bench::makeEgn(born.year(), born.month(), born.day(), i / 1400 * 2 + (i % 2));
            c.insert(QStringLiteral("patients"),
                     {"IDNUMBER", "NAME1", "NAME2", "NAME3", "POL", "BIRTHDATE", "DATEREG", "HIMNUMBER", "RECBOOK"},
                     {egn, QString::fromUtf8(first[rng.bounded(8)]), QString::fromUtf8(middle[rng.bounded(5)]),
                      QString::fromUtf8(last[rng.bounded(5)]), i % 2, born, QDate(2024, 1, 2).addDays(i % 700),
                      QStringLiteral("%1").arg(40000000 + i), QVariant()});
            c.insert(QStringLiteral("address"),
                     {"IDNUMBER", "POSTCODE", "STREET1", "NOMSTRT", "NOMBLOK", "VHOD", "ETAG", "APART", "TOWNVILLAG", "TELEFON"},
                     {egn, QStringLiteral("%1").arg(1000 + rng.bounded(8000)), QStringLiteral("ул. Родопи"),
                      QString::number(1 + rng.bounded(120)), i % 3 ? QString() : QString::number(rng.bounded(300)),
                      QStringLiteral("А"), QString::number(rng.bounded(9)), QString::number(rng.bounded(60)),
                      QStringLiteral("%1").arg(10000 + (1 + int(rng.bounded(400))) * 97), QStringLiteral("0888 123 456")});
        }
        t.commit();
    }
    QProcess tool;
    tool.start(QStringLiteral("python3"), {QStringLiteral(TAV_SOURCE_DIR "/tests/tools/make_jet3.py"),
                                           sqliteExport(p), jetExport(p)});
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
        std::fprintf(stderr, "the Jet export was not written: %s\n", tool.readAllStandardError().constData());
}

// Where the user puts it: the program folder itself.
void placeExport(const QString& file)
{
    const QString target = QDir(ProgramFolder).filePath(kTempFileName);
    QFile::remove(target);
    QFile::copy(file, target);
}

// Each run starts from the same register, with no message yet.
void startAgain(const bench::Practice& p)
{
    quietPrompts();
    restorePractice(p);
    g_messages.clear();
}

void reportMessages(const char* operation)
{
    std::fprintf(stderr, "%s: %s\n", operation, qPrintable(g_messages.join(QStringLiteral(" | "))));
}

bench::Operation importOf(const char* name, QString (*exportFile)(const bench::Practice&))
{
    return {name,
            [exportFile](const bench::Practice& p) {
                makeExports(p);
                startAgain(p);
                placeExport(exportFile(p));
                CurrentDoctorCode = p.doctorCodes[0];
            },
            [](const bench::Practice&) {
                patients::ImportZOKCPatients();
                if (g_messages.size() != 1
                    || !g_messages[0].contains(QStringLiteral("Нови пациенти: %1").arg(kExportPatients)))
                    reportMessages("import");
            },
            5};
}

const bench::Register importSqlite(importOf("patients: import 10000 new patients (SQLite export)", sqliteExport));
const bench::Register importJet(importOf("patients: import 10000 new patients (Jet export)", jetExport));

const bench::Register repair({
    "patients: repair over the practice",
    [](const bench::Practice& p) {
        startAgain(p);
        // Every birth date is written again.
        db::Connection c = db::Connection::main();
        c.exec(QStringLiteral("UPDATE Pacients SET DataB = NULL"));
    },
    [](const bench::Practice&) {
        patients::RepairDatabase();
        if (g_messages != QStringList{patients::kMsgRepairDone})
            reportMessages("repair");
    },
    5});

const bench::Register removal({
    "patients: remove two doctors' patients",
    [](const bench::Practice& p) {
        startAgain(p);
        CurrentDoctorCode = p.doctorCodes[0];
    },
    [](const bench::Practice&) {
        patients::DeleteOtherDoctorsPatients();
        if (!g_messages.isEmpty())
            reportMessages("removal");
    },
    5});

int g_corrections = 0;

const bench::Register correction({
    "patients: one EGN correction",
    [](const bench::Practice& p) {
        if (g_corrections == 0)
            restorePractice(p);
    },
    [](const bench::Practice& p) {
        // There and back again: the sample patient and an EGN nobody has.
        const QString spare = bench::makeEgn(2025, 6, 1, 777);
        const QString sample = p.sampleEgns[0];
        const bool back = g_corrections++ % 2;
        const patients::EgnMove m = patients::moveEgn(back ? spare : sample, back ? sample : spare);
        if (m.outcome != patients::EgnMove::Outcome::Moved)
            std::fprintf(stderr, "correction: %s\n", qPrintable(m.message));
    },
    20});

} // namespace

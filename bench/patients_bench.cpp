// The patient register: EGN checks, the card and the search by name.

#include "bench.h"
#include "windows.h"

#include "patients/egn.h"
#include "patients/kartonadd.h"
#include "patients/patientrecord.h"
#include "patients/patientsearch.h"
#include "patients/seekname.h"
#include "services/globals.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <cstdio>

namespace {

using namespace tav;

QStringList& egns100k()
{
    static QStringList list;
    if (list.isEmpty()) {
        list.reserve(100000);
        for (int i = 0; list.size() < 100000; ++i) {
            const int year = 1930 + i % 94;
            list << bench::makeEgn(year, 1 + i % 12, 1 + i % 28, i % 1000);
            if (i % 10 == 0)   // some wrong ones as well
                list.back()[9] = QChar('0' + (list.back()[9].unicode() - '0' + 1) % 10);
        }
    }
    return list;
}

using bench::g_messages;
using bench::quietPrompts;

volatile int g_sink = 0;
int g_opened = 0;
int g_saved = 0;

const bench::Register egnChecks({
    "patients: EGN checks over 100000 EGNs",
    [](const bench::Practice&) { egns100k(); },
    [](const bench::Practice&) {
        int wrong = 0;
        for (const QString& e : egns100k())
            wrong += patients::IsEGNDateWrong(e) || patients::IsEGNMonthWrong(e) || patients::IsEGNChecksumWrong(e);
        g_sink = wrong;
    },
    10});

const bench::Register over18({
    "patients: over-18 rule over 100000 EGNs",
    [](const bench::Practice&) { egns100k(); },
    [](const bench::Practice&) {
        int over = 0;
        for (const QString& e : egns100k())
            over += patients::IsOver18ByEGN(e);
        g_sink = over;
    },
    10});

const bench::Register openCard({
    "patients: open the card of an existing patient",
    [](const bench::Practice& p) {
        quietPrompts();
        bench::dropWindow<KartonAdd>();
        CardMode = QStringLiteral("Edit");
        SeekName::vars().sFindEGN = p.sampleEgns[g_opened++ % p.sampleEgns.size()];
    },
    [](const bench::Practice&) {
        KartonAdd* card = KartonAdd::showShared();
        QCoreApplication::processEvents();   // laid out and painted
        if (!card->record().isStored())
            std::fprintf(stderr, "card opened without its patient\n");
    },
    20});

const bench::Register saveCard({
    "patients: save a new card",
    [](const bench::Practice& p) {
        quietPrompts();
        bench::dropWindow<KartonAdd>();
        CurrentDoctorCode = p.doctorCodes[0];
        CardMode = QStringLiteral("New");
        KartonAdd* card = KartonAdd::showShared();
        // births after the practice's patients: never one of them
        const int i = g_saved++;
        const QString egn = bench::makeEgn(2021 + i / 336 % 3, 1 + i / 28 % 12, 1 + i % 28, 500 + i / 1008);
        card->Text3_Click();
        card->findChild<QLineEdit*>("Text11")->setText(egn);
        card->Text11_LostFocus();
        card->findChild<QLineEdit*>("Text2")->setText(QStringLiteral("Пациент Тестов Новаков"));
        card->txtFields(51)->setText(QStringLiteral("C"));
    },
    [](const bench::Practice&) {
        const int before = g_messages;
        KartonAdd::instance()->cmdUpdate_Click();
        if (g_messages != before || !KartonAdd::instance()->record().isStored())
            std::fprintf(stderr, "new card not saved\n");
    },
    20});

const bench::Register postCode({
    "patients: post-code look-up in the whole country's list",
    {},
    [](const bench::Practice&) {
        static const char* codes[] = {"1000", "4000", "5300", "6060", "9999"};   // the last one unknown
        static int i = 0;
        g_sink = patients::findPostCode(QString::fromLatin1(codes[i++ % 5])).has_value();
    },
    50});

const bench::Register searchForm({
    "patients: search by name over the practice (window)",
    [](const bench::Practice& p) {
        quietPrompts();
        bench::dropWindow<KartonAdd>();
        CurrentDoctorCode = p.doctorCodes[0];
        PatientSearchMode = 1;
        SeekName* s = SeekName::instance() ? SeekName::instance() : SeekName::showShared();
        s->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("иван"));
    },
    [](const bench::Practice&) { SeekName::instance()->OKButton_Click(); },
    20});

const bench::Register searchLogic({
    "patients: search by name over the practice (rows only)",
    [](const bench::Practice& p) { CurrentDoctorCode = p.doctorCodes[0]; },
    [](const bench::Practice&) {
        g_sink = int(patients::SearchByFirstName(QStringLiteral("Иван"), CurrentDoctorCode).items.size());
    },
    20});

} // namespace

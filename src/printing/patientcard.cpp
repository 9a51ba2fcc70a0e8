#include "printing/patientcard.h"

#include "printing/fields.h"

namespace tav::printing {

namespace {

// Positions in the page header's stored order.
enum Position {
    kName = 3, kAddress = 7, kPhones = 9, kWork = 11,
    kPol = 20, kKrGr = 21, kPh = 22, kZBook = 23, kRBook = 24, kOsob = 25, kDataR = 26, kRegistration = 27, kNep = 28,
};

} // namespace

QString patientCardCell(int field)
{
    // Z1..Z10 upper milk, Z11..Z20 lower milk, Z21..Z36 upper and Z37..Z52
    // lower permanent.
    int label = 0;
    if (field <= 10)
        label = 51 + field;
    else if (field <= 20)
        label = 26 + field;
    else
        label = 47 + field;
    return QStringLiteral("Label%1").arg(label);
}

void fillPatientCard(report::Layout& l, const CardInput& in)
{
    report::Section& header = l.section(QStringLiteral("PageHeader"));
    const db::Row& p = in.patient;
    if (!p.names().isEmpty()) {
        header.control(kName).setCaption(cardNameLine(p));
        header.control(kAddress).setCaption(cardAddress(p));
        header.control(kPhones).setCaption(cardPhones(p));
        header.control(kWork).setCaption(cardWork(p));
        header.control(kRegistration).setCaption(cardRegistration(p));
        const std::pair<int, const char*> fields[] = {
            {kPol, "Pol"}, {kKrGr, "KrGr"}, {kPh, "Ph"}, {kZBook, "ZBook"}, {kRBook, "RBook"},
            {kNep, "Nep"}, {kOsob, "Osob"}, {kDataR, "DataR"}};
        for (const auto& [position, field] : fields) {
            const QVariant v = p.value(QString::fromLatin1(field));
            header.control(position).setCaption(isFilled(v) ? v.toString() : QString());
        }
    }
    const db::Row& d = in.dental;
    if (d.names().isEmpty())
        return;
    for (int z = 1; z <= 52; ++z) {
        const QVariant v = d.value(QStringLiteral("Z%1").arg(z));
        header.control(patientCardCell(z)).setCaption(isFilled(v) ? v.toString() : QString());
    }
}

rprPacient::rprPacient(QString egn, std::function<void()> onClosed)
    : CardPrintout(QStringLiteral(":/report/layouts/rprPacient.json"), fillPatientCard, std::move(egn), std::move(onClosed))
{
}

} // namespace tav::printing

#include "printing/dentalcard.h"

#include "printing/fields.h"

namespace tav::printing {

namespace {

const QString kHeader = QStringLiteral("PageHeader");

void setIfFilled(report::Layout& l, const char* label, const db::Row& row, const char* field)
{
    const QVariant v = row.value(QString::fromLatin1(field));
    if (isFilled(v))
        l.control(kHeader, QString::fromLatin1(label)).setCaption(v.toString());
}

} // namespace

int toothNumber(int field)
{
    // Each run of the chart: its first field, its first tooth, and the step.
    struct Run {
        int first, tooth, step;
    };
    static const Run runs[] = {
        {1, 55, -1}, {6, 61, 1}, {11, 85, -1}, {16, 71, 1},
        {21, 18, -1}, {29, 21, 1}, {37, 48, -1}, {45, 31, 1},
    };
    for (int i = int(std::size(runs)) - 1; i >= 0; --i)
        if (field >= runs[i].first)
            return runs[i].tooth + runs[i].step * (field - runs[i].first);
    return 0;
}

void fillDentalCard(report::Layout& l, const CardInput& in)
{
    const db::Row& p = in.patient;
    if (!p.names().isEmpty()) {
        l.control(kHeader, QStringLiteral("rNames")).setCaption(cardNameLine(p));
        l.control(kHeader, QStringLiteral("rAdres")).setCaption(cardAddress(p));
        l.control(kHeader, QStringLiteral("rTel")).setCaption(cardPhones(p));
        l.control(kHeader, QStringLiteral("rWork")).setCaption(cardWork(p));
        setIfFilled(l, "rPol", p, "Pol");
        l.control(kHeader, QStringLiteral("sReg")).setCaption(cardRegistration(p));
        setIfFilled(l, "rKrGr", p, "KrGr");
        setIfFilled(l, "rPh", p, "Ph");
        setIfFilled(l, "rZBook", p, "ZBook");
        setIfFilled(l, "rRBook", p, "RBook");
        setIfFilled(l, "rNep", p, "Nep");
        setIfFilled(l, "rOsob", p, "Osob");
        setIfFilled(l, "rDataR", p, "DataR");
    }
    const db::Row& d = in.dental;
    if (d.names().isEmpty())
        return;
    for (int z = 1; z <= 20; ++z) {
        const QVariant v = d.value(QStringLiteral("Z%1").arg(z));
        if (!isFilled(v))
            continue;
        const int milk = toothNumber(z);
        const int place = milk - 40;
        report::Control& number = l.control(kHeader, QStringLiteral("z_%1").arg(place));
        number.setCaption(QString::number(milk));
        number.borderStyle = 1;
        l.control(kHeader, QStringLiteral("s_%1").arg(place)).setCaption(v.toString());
    }
    for (int z = 21; z <= 52; ++z) {
        const QVariant v = d.value(QStringLiteral("Z%1").arg(z));
        if (isFilled(v))
            l.control(kHeader, QStringLiteral("s_%1").arg(toothNumber(z))).setCaption(v.toString());
    }
}

rprHelpData::rprHelpData(QString egn, std::function<void()> onClosed)
    : CardPrintout(QStringLiteral(":/report/layouts/rprHelpData.json"), fillDentalCard, std::move(egn), std::move(onClosed))
{
}

} // namespace tav::printing

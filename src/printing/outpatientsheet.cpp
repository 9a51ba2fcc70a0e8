#include "printing/outpatientsheet.h"

#include "db/values.h"
#include "printing/fields.h"
#include "printing/spacing.h"
#include "services/globals.h"

namespace tav::printing {

namespace {

const QString kHeader = QStringLiteral("PageHeader");

// A status box that no milk tooth shares.
constexpr int kPermanentOnly[] = {18, 19, 20, 31, 32, 33, 34, 35, 36, 47, 48, 49};

// Status label k shows Z(k + 3); the boxes 21..30 and 37..46 are shared with
// the milk teeth Z1..Z10 and Z11..Z20, whose circles are Shape m and m + 100.
QString permanentField(int label)
{
    return QStringLiteral("Z%1").arg(label + 3);
}

int milkOf(int label)
{
    return label <= 30 ? label - 20 : label - 26;
}

void setIfFilled(report::Layout& l, const QString& section, const QString& label, const QVariant& v)
{
    if (isFilled(v))
        l.control(section, label).setCaption(v.toString());
}

void fillDentalStatus(report::Layout& l, const db::Row& dental)
{
    for (int k : kPermanentOnly)
        setIfFilled(l, kHeader, QStringLiteral("Label%1").arg(k), dental.value(permanentField(k)));
    for (int k = 21; k <= 46; ++k) {
        if (k > 30 && k < 37)
            continue;
        const QVariant permanent = dental.value(permanentField(k));
        const int m = milkOf(k);
        const QVariant milk = dental.value(QStringLiteral("Z%1").arg(m));
        report::Control& box = l.control(kHeader, QStringLiteral("Label%1").arg(k));
        if (isFilled(permanent)) {
            box.setCaption(permanent.toString());
        } else if (isFilled(milk)) {
            l.control(kHeader, QStringLiteral("Shape%1").arg(m)).setVisible(true);
            l.control(kHeader, QStringLiteral("Shape%1").arg(m + 100)).setVisible(true);
            // A milk tooth present without a status: its box holds one blank.
            box.setCaption(trimBlanks(milk.toString()) == QLatin1String("*") ? QStringLiteral(" ") : milk.toString());
        }
    }
}

} // namespace

SheetInput readSheetInput(const QString& printEgn, bool dentalStatus, qint64 doctorRecId, const QString& doctorCode)
{
    SheetInput in;
    in.printEgn = printEgn;
    in.dentalStatus = dentalStatus;
    db::Connection c = db::Connection::main();
    in.patient = c.first(QStringLiteral("SELECT * FROM Pacients WHERE EGN = ?"), {printEgn});
    if (doctorRecId != 0)
        in.doctor = c.first(QStringLiteral("SELECT * FROM Medic WHERE RecID = ?"), {doctorRecId});
    if (in.doctor.names().isEmpty() && !doctorCode.isEmpty())
        in.doctor = c.first(QStringLiteral("SELECT * FROM Medic WHERE KodMedic = ? ORDER BY RecID LIMIT 1"), {doctorCode});
    if (dentalStatus)
        in.dental = c.first(QStringLiteral("SELECT * FROM Dental WHERE EGN = ?"), {printEgn});
    return in;
}

void fillOutpatientSheet(report::Layout& l, const SheetInput& in)
{
    l.control(QStringLiteral("Section1"), QStringLiteral("Label1")).setCaption(SpreadTextNarrow(in.printEgn));
    const db::Row& p = in.patient;
    if (!p.names().isEmpty()) {
        l.control(kHeader, QStringLiteral("Label4")).setCaption(p.text(QStringLiteral("Names")));
        static const std::pair<const char*, const char*> fields[] = {
            {"Label50", "Tawn"}, {"Label5", "UL"}, {"Label13", "KV"}, {"Label14", "BL"}, {"Label15", "VX"},
            {"Label16", "ET"}, {"Label17", "AP"}, {"Label10", "Nep"}, {"Label11", "ZabOld"}, {"Label12", "ZabNaw"}};
        for (const auto& [label, field] : fields)
            setIfFilled(l, kHeader, QString::fromLatin1(label), p.value(QString::fromLatin1(field)));
        if (isFilled(p.value(QStringLiteral("ZBook"))))
            l.control(kHeader, QStringLiteral("Label9")).setCaption(SpreadTextNarrow(p.text(QStringLiteral("ZBook"))));
    }
    const db::Row& d = in.doctor;
    if (!d.names().isEmpty()) {
        l.control(kHeader, QStringLiteral("Label8")).setCaption(QStringLiteral("д-р ") + d.text(QStringLiteral("Names")));
        l.control(kHeader, QStringLiteral("Label7")).setCaption(SpreadTextNarrow(d.text(QStringLiteral("EGN"))));
        l.control(QStringLiteral("Section1"), QStringLiteral("Label6"))
            .setCaption(SpreadTextNarrow(d.text(QStringLiteral("KodMedic"))));
    }
    if (in.dentalStatus && !in.dental.names().isEmpty())
        fillDentalStatus(l, in.dental);
}

rprKarton::rprKarton(std::function<void()> onClosed)
    : Printout(QStringLiteral(":/report/layouts/rprKarton.json"), std::move(onClosed))
{
}

void rprKarton::initialize()
{
    // The 11205-twip form fits the A4 sheet's width only from its very edge.
    margins().left = 0;
    margins().right = 0;
    fillOutpatientSheet(layout(), readSheetInput(PrintEGN, PrintDentalStatus, loginVars().nRecID, CurrentDoctorCode));
}

} // namespace tav::printing

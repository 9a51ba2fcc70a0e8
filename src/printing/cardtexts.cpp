#include "printing/cardtexts.h"

#include "printing/fields.h"
#include "report/dataenvironment.h"

namespace tav::printing {

const QString kTreatmentRowsSql = QStringLiteral("SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID");

namespace {

struct Piece {
    const char* field;
    const char* prefix;
};

QString joined(const db::Row& row, std::initializer_list<Piece> pieces)
{
    QString out;
    for (const Piece& p : pieces) {
        const QVariant v = row.value(QString::fromLatin1(p.field));
        if (isFilled(v))
            out += QString::fromUtf8(p.prefix) + v.toString();
    }
    return out;
}

} // namespace

CardInput readCardInput(const QString& egn)
{
    CardInput in;
    db::Connection c = db::Connection::main();
    in.patient = c.first(QStringLiteral("SELECT * FROM Pacients WHERE EGN = ?"), {egn});
    in.dental = c.first(QStringLiteral("SELECT * FROM Dental WHERE EGN = ?"), {egn});
    return in;
}

void setTreatmentRows(const QString& egn)
{
    DataEnvironment1::instance().setCommandText(QStringLiteral("comPac"), kTreatmentRowsSql, {egn});
}

QString cardNameLine(const db::Row& p)
{
    return QStringLiteral("на ") + p.text(QStringLiteral("Names")) + QStringLiteral("    ЕГН ") + p.text(QStringLiteral("EGN"));
}

QString cardAddress(const db::Row& p)
{
    return joined(p, {{"PKod", ""}, {"Tawn", " "}, {"Obsh", ", общ."}, {"Obl", ", обл."}}) + QLatin1Char('\r')
         + joined(p, {{"KV", ""}, {"UL", ""}, {"BL", ", бл."}, {"VX", ", вх."}, {"ET", ", ет."}, {"AP", ", ап."}});
}

QString cardPhones(const db::Row& p)
{
    return joined(p, {{"TKod", "код "}, {"DTel", "  дом.: "}, {"STel", "  сл.: "}, {"MTel", "  моб.: "}, {"Fax", "  факс: "}});
}

QString cardWork(const db::Row& p)
{
    return joined(p, {{"Prof", ""}, {"Work", " в "}});
}

QString cardRegistration(const db::Row& p)
{
    // The first character itself: a Pol that begins with a blank is not "Ж".
    const QString pol = p.text(QStringLiteral("Pol"));
    return pol.startsWith(QChar(0x0416)) ? QStringLiteral("Регистрирана на:") : QStringLiteral("Регистриран на:");
}

} // namespace tav::printing

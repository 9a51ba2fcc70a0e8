// Long documents: "+" joins each line in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "fund_report/reportdocument.h"

#include "db/values.h"

#include <algorithm>

namespace tav::fund_report {

namespace {

const QString kSchemaInstance = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

QString attr(const char* name, const QString& value)
{
    return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + xmlValue(value) + QLatin1Char('"');
}

QString field(const db::Row& row, const char* name)
{
    return row.text(QLatin1String(name));
}

QString trimmed(const db::Row& row, const char* name)
{
    return trimBlanks(field(row, name));
}

// "MM/DD/YYYY" -> "YYYY-MM-DD" by position.
QString isoFromPeriodText(const QString& mmddyyyy)
{
    return mmddyyyy.mid(6, 4) + QLatin1Char('-') + mmddyyyy.left(2) + QLatin1Char('-') + mmddyyyy.mid(3, 2);
}

// A date field (stored ISO) as YYYY-MM-DD; no value gives "".
QString isoOfDateField(const db::Row& row, const char* name)
{
    const QVariant v = row.value(QLatin1String(name));
    const QDate d = dateFromIso(v);
    return d.isValid() ? toIsoDate(d) : textOf(v);
}

// The birth date, a text DD.MM.YYYY.
QString isoOfBirthDate(const QString& dataB)
{
    if (const auto d = dateFromDDMMYYYY(dataB))
        return toIsoDate(*d);
    if (dataB.isEmpty())
        return {};
    return dataB.mid(6, 4) + QLatin1Char('-') + dataB.mid(3, 2) + QLatin1Char('-') + dataB.left(2);
}

} // namespace

QString xmlValue(const QString& value)
{
    const auto special = [](QChar c) {
        const char16_t u = c.unicode();
        return u == '&' || u == '<' || u == '"' || u == '\r' || u == '\n' || u == '\t';
    };
    if (std::none_of(value.begin(), value.end(), special))
        return value;
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        switch (c.unicode()) {
        case '&': out += QStringLiteral("&amp;"); break;
        case '<': out += QStringLiteral("&lt;"); break;
        case '"': out += QStringLiteral("&quot;"); break;
        case '\r':
            // CR LF is one break: one blank, as a reader reads a raw break.
            if (i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1Char(' ');
            break;
        case '\n':
        case '\t': out += QLatin1Char(' '); break;
        default: out += c;
        }
    }
    return out;
}

PersonNames splitNames(const QString& names)
{
    const QString all = trimBlanks(names);
    const qsizetype p = all.indexOf(QLatin1Char(' ')) + 1;   // 0 when none
    PersonNames n;
    n.first = trimBlanks(all.left(p));
    const QString rest = trimBlanks(all.mid(p));
    const qsizetype q = rest.indexOf(QLatin1Char(' ')) + 1;
    n.middle = trimBlanks(rest.left(q));
    n.last = trimBlanks(rest.mid(q));
    return n;
}

QString priceText(const QVariant& price)
{
    return Money::fromVariant(price).truncated(2).format(2);
}

QString investigationCode(const QString& code)
{
    QString c = trimBlanks(code);
    // The code as printed ("10.01") is typed too; its point would be taken
    // for a character of the code.
    if (c.size() == 5 && c[2] == QLatin1Char('.'))
        c.remove(2, 1);
    return c.left(2) + QLatin1Char('.') + c.mid(2, 2);
}

int toothNumber(int f)
{
    if (f <= 5) return 56 - f;
    if (f <= 10) return 55 + f;
    if (f <= 15) return 96 - f;
    if (f <= 20) return 55 + f;
    if (f <= 28) return 39 - f;
    if (f <= 36) return f - 8;
    if (f <= 44) return 85 - f;
    return f - 14;
}

QStringList reportHead(const ReportHeader& h)
{
    QString name, bulstat, rhc, contract, odp, uin, house;
    if (h.practice) {
        const db::Row& p = *h.practice;
        name = trimmed(p, "UserName");
        bulstat = trimmed(p, "UserBULSTAT");
        rhc = trimmed(p, "UserID");
        contract = trimmed(p, "UserContract");
        odp = QStringLiteral("00");
        uin = trimmed(p, "UserUIN");
        house = rhc.left(2);
    }
    QString report = QStringLiteral("<report");
    report += attr("medicalUnit", name);
    report += attr("bulstat", bulstat);
    report += attr("RHCCode", rhc);
    report += attr("contractNo", contract);
    report += attr("odpCode", odp);
    report += attr("physPersonalProfCode", uin);
    report += attr("insuranceHouse", house);
    report += attr("reportingDate", toIsoDate(h.today));
    report += attr("startFrom", isoFromPeriodText(h.periodStart));
    report += attr("endTo", isoFromPeriodText(h.periodStop));
    report += attr("stomType", QStringLiteral("0"));
    report += attr("xsi:schemaLocation", kReportNamespace + QStringLiteral(" ImportStomatologyReport.xsd"));
    report += attr("xmlns", kReportNamespace);
    report += attr("xmlns:xsi", kSchemaInstance);
    report += QLatin1Char('>');
    return {QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), report,
            QStringLiteral("<dentalCareServices>")};
}

QStringList entryLines(const ReportEntry& e)
{
    QStringList lines;
    const db::Row& p = e.patient;
    const PersonNames n = splitNames(field(p, "Names"));

    QString head = QStringLiteral("<dentalCareService");
    head += attr("personType", field(p, "Type"));
    head += attr("personIdentifier", field(p, "EGN"));
    head += attr("countryCode", field(p, "Country"));
    head += attr("RHIFCode", field(p, "RZOK"));
    head += attr("healthRegionCode", field(p, "ZR"));
    head += attr("birthDate", isoOfBirthDate(field(p, "DataB")));
    head += attr("personFirstName", n.first);
    head += attr("personMiddleName", n.middle);
    head += attr("personLastName", n.last);
    head += attr("specificationType", QString());
    head += attr("ambulatorySheetNo", trimBlanks(e.listId));
    head += attr("HIRBNo", field(p, "ZBook"));
    head += attr("unfavorableCondition", QStringLiteral("0"));
    head += QLatin1Char('>');
    lines << head;

    lines << QStringLiteral("<allergies>")
          << QStringLiteral("<allergy") + attr("allergyName", field(p, "Nep")) + QStringLiteral("/>")
          << QStringLiteral("</allergies>");
    lines << QStringLiteral("<pastDiseases>")
          << QStringLiteral("<pastDisease") + attr("name", field(p, "ZabOld")) + QStringLiteral("/>")
          << QStringLiteral("</pastDiseases>");
    lines << QStringLiteral("<currentDiseases>")
          << QStringLiteral("<currentDisease") + attr("name", field(p, "ZabNaw")) + QStringLiteral("/>")
          << QStringLiteral("</currentDiseases>");

    lines << QStringLiteral("<teeth>");
    if (e.chart) {
        // Z1..Z52 by position, found once.
        QVector<QString> fields(53);
        const QStringList& names = e.chart->names();
        for (int i = 0; i < names.size(); ++i) {
            const QString& name = names[i];
            if (name.size() < 2 || (name[0] != QLatin1Char('Z') && name[0] != QLatin1Char('z')))
                continue;
            bool ok = false;
            const int f = name.mid(1).toInt(&ok);
            if (ok && f >= 1 && f <= 52)
                fields[f] = textOf(e.chart->value(i));
        }
        for (int f = 1; f <= 52; ++f) {
            const QString& status = fields[f];
            const QString t = trimBlanks(status);
            // "*" on a milk tooth: present, without a status.
            if (t.isEmpty() || (f <= 20 && t == QLatin1String("*")))
                continue;
            lines << QStringLiteral("<tooth") + attr("toothCode", QString::number(toothNumber(f))) + QLatin1Char('>')
                  << QStringLiteral("<toothStatuses>")
                  << QStringLiteral("<toothStatus") + attr("toothStatusCode", status) + QStringLiteral("/>")
                  << QStringLiteral("</toothStatuses>") << QStringLiteral("</tooth>");
        }
    }
    lines << QStringLiteral("</teeth>");

    lines << QStringLiteral("<services>");
    for (const db::Row& s : e.services) {
        lines << QStringLiteral("<service") + attr("date", isoOfDateField(s, "Data"))
                + attr("diagnosis", trimmed(s, "Help")) + attr("toothCode", trimmed(s, "KodZab"))
                + attr("activityCode", trimmed(s, "KodHelp")) + attr("repPrice", priceText(s.value("Cena")))
                + attr("numberOfMinutes", trimmed(s, "Times")) + QStringLiteral("/>");
    }
    lines << QStringLiteral("</services>");

    lines << QStringLiteral("<prescMedicalPathways>");
    {
        QString no, date, odp, hsa;
        if (e.pathway) {
            no = trimmed(*e.pathway, "Nomer");
            date = isoOfDateField(*e.pathway, "Data");
            odp = trimmed(*e.pathway, "SIMP");
            hsa = trimmed(*e.pathway, "BCD");
        }
        lines << QStringLiteral("<prescMedicalPathway") + attr("pathwayNo", no) + attr("date", date)
                + attr("ODPCode", odp) + attr("HSACode", hsa) + QStringLiteral("/>");
    }
    lines << QStringLiteral("</prescMedicalPathways>");

    lines << QStringLiteral("<prescMDAs>");
    if (e.investigation) {
        const db::Row& r = *e.investigation;
        lines << QStringLiteral("<prescMDA") + attr("pathwayNo", trimmed(r, "Nomer"))
                + attr("date", isoOfDateField(r, "Data")) + QLatin1Char('>');
        lines << QStringLiteral("<codes>");
        lines << QStringLiteral("<code") + attr("name", investigationCode(field(r, "Kod1"))) + QStringLiteral("/>");
        if (!trimmed(r, "Kod2").isEmpty())
            lines << QStringLiteral("<code") + attr("name", investigationCode(field(r, "Kod2"))) + QStringLiteral("/>");
    } else {
        lines << QStringLiteral("<prescMDA") + attr("pathwayNo", {}) + attr("date", {}) + QLatin1Char('>');
        lines << QStringLiteral("<codes>");
        lines << QStringLiteral("<code") + attr("name", {}) + QStringLiteral("/>");
    }
    lines << QStringLiteral("</codes>") << QStringLiteral("</prescMDA>") << QStringLiteral("</prescMDAs>");

    lines << QStringLiteral("<prescSpecialists>");
    for (const db::Row& r : e.specialists) {
        QString line = QStringLiteral("<prescSpecialist") + attr("SODPCode", trimmed(r, "SISP1"));
        const QString second = trimmed(r, "SISP2");
        if (!second.isEmpty())
            line += attr("SODPCodeSecond", second);
        line += attr("date", isoOfDateField(r, "Data")) + QStringLiteral("/>");
        lines << line;
    }
    if (e.specialists.isEmpty())
        lines << QStringLiteral("<prescSpecialist") + attr("SODPCode", {}) + attr("date", {}) + QStringLiteral("/>");
    lines << QStringLiteral("</prescSpecialists>");

    lines << QStringLiteral("</dentalCareService>");
    return lines;
}

QStringList reportTail()
{
    return {QStringLiteral("</dentalCareServices>"), QStringLiteral("</report>")};
}

QStringList reportDocument(const ReportHeader& header, const QVector<ReportEntry>& entries)
{
    QStringList lines = reportHead(header);
    for (const ReportEntry& e : entries)
        lines << entryLines(e);
    lines << reportTail();
    return lines;
}

} // namespace tav::fund_report

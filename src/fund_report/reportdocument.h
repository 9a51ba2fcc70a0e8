#pragma once
// The fund's monthly report of dental care as text lines: one tag per line,
// no indentation, every value in an attribute. The lines carry no line end;
// the writer adds CR LF after each.

#include "db/database.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace tav::fund_report {

// The report's namespace URI, also the first half of xsi:schemaLocation.
inline const QString kReportNamespace = QStringLiteral("http://localhost");

struct ReportHeader {
    std::optional<db::Row> practice;   // the first MedicUnit row, if any
    QString periodStart;               // MM/DD/YYYY
    QString periodStop;
    QDate today;
};

// One outpatient sheet of one patient.
struct ReportEntry {
    QString listId;                    // the sheet number as stored in Help
    db::Row patient;                   // the Pacients row
    std::optional<db::Row> chart;      // the Dental row
    db::Rows services;                 // the sheet's Help rows, in report order
    std::optional<db::Row> pathway;    // the first Path row of the sheet
    std::optional<db::Row> investigation;   // the first Invest row
    db::Rows specialists;              // every Spec row, in table order
};

// The declaration, the report start tag and <dentalCareServices>.
QStringList reportHead(const ReportHeader& header);
// The dentalCareService element of one entry.
QStringList entryLines(const ReportEntry& entry);
// </dentalCareServices> and </report>.
QStringList reportTail();
// The whole document.
QStringList reportDocument(const ReportHeader& header, const QVector<ReportEntry>& entries);

// Helpers with rules of their own, open to tests.
QString xmlValue(const QString& value);   // entities; line breaks and TABs as one blank
struct PersonNames {
    QString first, middle, last;
};
PersonNames splitNames(const QString& names);
QString priceText(const QVariant& price);  // leva "." stotinki, third decimal cut
QString investigationCode(const QString& code);
// "Z1".."Z52" in field order with their two-digit tooth numbers.
int toothNumber(int field);

} // namespace tav::fund_report

#pragma once
// Writing the fund's monthly report: Report.xml in Windows-1251 and its
// UTF-8 copy Report_UTF8.xml, both in the program folder, readable by the
// user alone. Each file is replaced whole or left as it was.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class QWidget;

namespace tav::fund_report {

// Called before sheet `position` (1-based) of `count` is written; not called
// for a period without sheets.
using ExportProgress = std::function<void(int position, int count)>;

// A sheet the report could not carry: its EGN has no patient row, or its
// treatment rows have no sheet number.
struct SkippedSheet {
    QString egn;
    QString listId;     // empty for rows without a sheet number
    QDate date;         // the first day of the sheet in the period
    bool noPatient = false;
};

struct ExportResult {
    int entries = 0;
    QVector<SkippedSheet> skipped;
    // Report_UTF8.xml as this run wrote it: the copy the doctor saves, which
    // another copy's export may replace in the program folder meanwhile.
    QByteArray utf8;
};

// The logged-in doctor's sheets from `start` to `stop` (MM/DD/YYYY, both
// days included) into Report.xml, then Report_UTF8.xml. Sets CurrentUserUIN
// from the practice row when there is one. Throws db::DbError; on failure
// the files of the earlier run stay whole.
ExportResult ExportReportXml(const QString& start, const QString& stop, const ExportProgress& progress = {});

// `target` = UTF-8 byte-order mark + `source` read as Windows-1251, in
// UTF-8. The target is replaced only once complete. Throws db::DbError.
void ConvertFileToUtf8(const QString& source, const QString& target);

// A run cut off between the two replaces leaves a new Report.xml beside the
// old Report_UTF8.xml: when Report_UTF8.xml is missing or older than
// Report.xml in the folder, it is written anew from it. Throws db::DbError.
void mendReportPair(const QString& folder);

// Windows-1251 bytes of `text`; a character the code page lacks, and a
// control other than TAB, CR and LF, becomes "?".
QByteArray encodeWindows1251(const QString& text);

// The lines naming the skipped sheets, for the message before the end.
QString skippedMessage(const QVector<SkippedSheet>& skipped);

// The export as the period dialog runs it: hourglass and progress window
// while writing, the message on skipped sheets, the end message. A failure
// is shown and gives nothing; no end message then.
std::optional<ExportResult> RunExportReportXml(const QString& start, const QString& stop, QWidget* owner);

} // namespace tav::fund_report

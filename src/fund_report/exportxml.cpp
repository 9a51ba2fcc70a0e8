#include "fund_report/exportxml.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"
#include "db/values.h"
#include "fund_report/reportdocument.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <bitset>
#include <memory>
#include <optional>

namespace tav::fund_report {

namespace {

const char* const kCodePage = "windows-1251";

// The characters Windows-1251 holds, controls left out.
const std::bitset<65536>& windows1251Characters()
{
    static const std::bitset<65536> table = [] {
        std::bitset<65536> t;
        QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArray(&byte, 1));
            if (s.size() == 1 && s.at(0).category() != QChar::Other_Control && s.at(0) != QChar::ReplacementCharacter)
                t.set(s.at(0).unicode());
        }
        return t;
    }();
    return table;
}

QString fileError(const QString& path, const QString& error)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + error;
}

const QString kNotWritten = QStringLiteral("Файлът на отчета не може да бъде записан");

// Writes the lines and keeps their bytes: the UTF-8 copy is made from them
// before either file replaces its old one.
void write(db::WholeFile& f, const QStringList& lines, QByteArray& written)
{
    QString text;
    for (const QString& l : lines)
        text += l + QStringLiteral("\r\n");
    const QByteArray bytes = encodeWindows1251(text);
    f.write(bytes);
    written += bytes;
}

// Byte-order mark + the Windows-1251 bytes decoded, in UTF-8.
QByteArray utf8Of(const QByteArray& windows1251)
{
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(windows1251);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

struct Sheet {
    QString egn;
    QString listId;
    qint64 firstRecId = 0;
    QDate firstDate;
    db::Rows services;
};

} // namespace

QByteArray encodeWindows1251(const QString& text)
{
    const std::bitset<65536>& known = windows1251Characters();
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u'\t' || u == u'\r' || u == u'\n' || known.test(u)) {
            clean += QChar(u);
        } else {
            // One "?" per character, also for a pair of surrogates.
            if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            clean += QLatin1Char('?');
        }
    }
    static QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    return encoder.encode(clean);
}

void ConvertFileToUtf8(const QString& source, const QString& target)
{
    const QString from = QFileInfo(source).absoluteFilePath();
    const QString to = QFileInfo(target).absoluteFilePath();
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw db::DbError(QStringLiteral("Файлът на отчета не може да бъде прочетен"), fileError(from, in.errorString()));
    const QByteArray bytes = in.readAll();
    in.close();
    db::WholeFile out(to, kNotWritten);
    out.write(utf8Of(bytes));
    out.commit();
}

void mendReportPair(const QString& folder)
{
    const QDir dir(folder);
    const QFileInfo report(dir.filePath(kReportFileName));
    const QFileInfo utf8(dir.filePath(kReportUtf8FileName));
    if (!report.isFile() || (utf8.exists() && utf8.lastModified() >= report.lastModified()))
        return;
    ConvertFileToUtf8(report.filePath(), utf8.filePath());
}

ExportResult ExportReportXml(const QString& start, const QString& stop, const ExportProgress& progress)
{
    const std::optional<QDate> first = dateFromMMDDYYYY(start);
    const std::optional<QDate> last = dateFromMMDDYYYY(stop);
    if (!first || !last)
        throw db::DbError(QStringLiteral("Невалиден период"), start + QStringLiteral(" - ") + stop);
    const QDir folder(ProgramFolder);
    const QString reportPath = folder.filePath(kReportFileName);
    // A pair a cut-off run left is made whole first, so that a failure of
    // this run leaves a matching pair too.
    mendReportPair(ProgramFolder);

    ExportResult result;
    ReportHeader header;
    header.periodStart = start;
    header.periodStop = stop;
    header.today = Clock::today();

    db::Connection c = db::Connection::main();
    db::Transaction reading(c, db::Transaction::Lock::Deferred);   // one consistent picture of the period
    const db::Row practice = c.first(QStringLiteral("SELECT * FROM MedicUnit ORDER BY RecID LIMIT 1"));
    if (!practice.names().isEmpty())
        header.practice = practice;

    // The period's services in one read, in report order; grouped by sheet
    // here, since a query per sheet would scan the period again each time.
    const db::Rows rows = c.query(QStringLiteral("SELECT * FROM Help WHERE Data BETWEEN ? AND ? AND KodMedic = ?"
                                                 " ORDER BY KodHelp COLLATE UNOCASE, RecID"),
                                  {*first, *last, CurrentDoctorCode});
    QVector<Sheet> sheets;
    QHash<QString, qsizetype> sheetIndex;
    QSet<QString> noNumberSeen;
    for (const db::Row& r : rows) {
        const QString egn = r.text(QStringLiteral("EGN"));
        const QString listId = r.text(QStringLiteral("ListID"));
        const QDate date = dateFromIso(r.value(QStringLiteral("Data")));
        const qint64 recId = r.value(QStringLiteral("RecID")).toLongLong();
        if (trimBlanks(listId).isEmpty()) {
            if (!noNumberSeen.contains(egn + QLatin1Char('\n') + date.toString(Qt::ISODate))) {
                noNumberSeen.insert(egn + QLatin1Char('\n') + date.toString(Qt::ISODate));
                result.skipped.push_back({egn, QString(), date, false});
            }
            continue;
        }
        const QString key = egn + QLatin1Char('\n') + listId;
        auto it = sheetIndex.find(key);
        if (it == sheetIndex.end()) {
            it = sheetIndex.insert(key, sheets.size());
            sheets.push_back({egn, listId, recId, date, {}});
        }
        Sheet& s = sheets[*it];
        s.firstRecId = std::min(s.firstRecId, recId);
        if (date < s.firstDate)
            s.firstDate = date;
        s.services.push_back(r);
    }
    // Ascending sheet number; one number in the order the rows were entered.
    std::sort(sheets.begin(), sheets.end(), [](const Sheet& a, const Sheet& b) {
        const int byNumber = a.listId.compare(b.listId);
        return byNumber != 0 ? byNumber < 0 : a.firstRecId < b.firstRecId;
    });

    // The patients of the period with their charts and referrals, each
    // table in one read: a query per sheet costs more than the sheet.
    const QString ofPeriod = QStringLiteral(" WHERE EGN IN (SELECT EGN FROM Help WHERE Data BETWEEN ? AND ?"
                                            " AND KodMedic = ?) ORDER BY RecID");
    const QVariantList period{*first, *last, CurrentDoctorCode};
    const auto byKey = [&](const char* table, bool withSheet) {
        QHash<QString, db::Rows> grouped;
        for (const db::Row& r : c.query(QStringLiteral("SELECT * FROM ") + QLatin1String(table) + ofPeriod, period)) {
            QString key = r.text(QStringLiteral("EGN"));
            if (withSheet)
                key += QLatin1Char('\n') + r.text(QStringLiteral("ListID"));
            grouped[key].push_back(r);
        }
        return grouped;
    };
    const QHash<QString, db::Rows> patients = byKey("Pacients", false);
    const QHash<QString, db::Rows> charts = byKey("Dental", false);
    const QHash<QString, db::Rows> pathways = byKey("Path", true);
    const QHash<QString, db::Rows> investigations = byKey("Invest", true);
    const QHash<QString, db::Rows> specialists = byKey("Spec", true);
    const auto firstOf = [](const QHash<QString, db::Rows>& rows, const QString& key) -> std::optional<db::Row> {
        const auto it = rows.constFind(key);
        if (it == rows.constEnd() || it->isEmpty())
            return std::nullopt;
        return it->first();
    };

    QVector<const Sheet*> written;
    written.reserve(sheets.size());
    for (const Sheet& s : sheets) {
        // A row without an EGN bills nobody, even where older data holds a
        // patient row of an empty EGN: the counts leave it out alike.
        if (!trimBlanks(s.egn).isEmpty() && patients.contains(s.egn))
            written.push_back(&s);
        else
            result.skipped.push_back({s.egn, s.listId, s.firstDate, true});
    }
    std::stable_sort(result.skipped.begin(), result.skipped.end(),
                     [](const SkippedSheet& a, const SkippedSheet& b) { return a.date < b.date; });

    db::WholeFile file(reportPath, kNotWritten);
    QByteArray bytes;
    write(file, reportHead(header), bytes);
    const int n = int(written.size());
    for (int i = 0; i < n; ++i) {
        if (progress)
            progress(i + 1, n);
        const Sheet& s = *written[i];
        const QString sheetKey = s.egn + QLatin1Char('\n') + s.listId;
        ReportEntry e;
        e.listId = s.listId;
        e.patient = *firstOf(patients, s.egn);
        e.chart = firstOf(charts, s.egn);
        e.services = s.services;
        e.pathway = firstOf(pathways, sheetKey);
        e.investigation = firstOf(investigations, sheetKey);
        e.specialists = specialists.value(sheetKey);
        write(file, entryLines(e), bytes);
    }
    write(file, reportTail(), bytes);
    reading.commit();
    // Out before the UTF-8 copy is written, which is then never the older.
    file.flush();

    // Report_UTF8.xml is Report.xml converted; both are written out before
    // either replaces its old file, so a failure keeps the last run's pair.
    const QString utf8Path = QFileInfo(folder.filePath(kReportUtf8FileName)).absoluteFilePath();
    db::WholeFile utf8(utf8Path, kNotWritten);
    result.utf8 = utf8Of(bytes);
    utf8.write(result.utf8);
    utf8.flush();
    file.commit();
    utf8.commit();
    result.entries = n;
    if (header.practice)
        CurrentUserUIN = trimBlanks(header.practice->text(QStringLiteral("UserUIN")));
    return result;
}

QString skippedMessage(const QVector<SkippedSheet>& skipped)
{
    constexpr int kShown = 15;
    QStringList lines{QStringLiteral("Не са включени в отчета:")};
    for (int i = 0; i < skipped.size() && i < kShown; ++i) {
        const SkippedSheet& s = skipped[i];
        const QString egn = trimBlanks(s.egn).isEmpty() ? QStringLiteral("(без ЕГН)") : s.egn;
        if (s.noPatient)
            lines << QStringLiteral("ЕГН %1, лист %2, %3 - няма пациент с това ЕГН")
                         .arg(egn, s.listId, toDDMMYYYY(s.date));
        else
            lines << QStringLiteral("ЕГН %1, %2 - дейности без номер на амбулаторен лист")
                         .arg(egn, toDDMMYYYY(s.date));
    }
    if (skipped.size() > kShown)
        lines << QStringLiteral("... и още %1").arg(skipped.size() - kShown);
    return lines.join(QLatin1Char('\r'));
}

std::optional<ExportResult> RunExportReportXml(const QString& start, const QString& stop, QWidget* owner)
{
    ExportResult result;
    try {
        Hourglass wait;
        std::unique_ptr<ProgressWindow> window;
        result = ExportReportXml(start, stop, [&window, owner](int position, int count) {
            // The bar needs a maximum above its minimum of 1.
            if (!window)
                window = std::make_unique<ProgressWindow>(QString(), count == 1 ? 2 : count, owner);
            window->setValue(position);
        });
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), owner);
        return std::nullopt;
    } catch (const std::exception& e) {
        InfoMessage(QStringLiteral("Възникна грешка: ") + QString::fromUtf8(e.what()), owner);
        return std::nullopt;
    }
    if (!result.skipped.isEmpty())
        InfoMessage(skippedMessage(result.skipped), owner);
    InfoMessage(QStringLiteral("Завърших обработката на данните!"), owner);
    return result;
}

} // namespace tav::fund_report

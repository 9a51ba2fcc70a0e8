#include "statistics/periodcheck.h"

#include "db/database.h"
#include "db/paths.h"
#include "db/tempcopy.h"
#include "db/values.h"
#include "services/dialogs.h"
#include "services/globals.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tav::statistics {

namespace {

// Digits 0-9 only, as a number; -1 otherwise.
int number(const QString& digits)
{
    if (digits.isEmpty())
        return -1;
    int n = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

// Characters 4-5: two digits, or a digit after a blank (" 3" is March).
int monthOf(const QString& s)
{
    const QString field = s.mid(3, 2);
    return number(field.startsWith(QLatin1Char(' ')) ? field.mid(1) : field);
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// A character that cannot stand in a file name on Linux, Windows or a FAT stick.
bool unfitForFileName(QChar c)
{
    return c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c);
}

bool isRealDay(const QString& s)
{
    const int day = number(s.left(2));
    const int year = number(s.right(4));
    return day > 0 && year > 0 && QDate(year, monthOf(s), day).isValid();
}

} // namespace

QString PeriodCheck::message() const
{
    switch (verdict) {
    case PeriodVerdict::DateWrong: return kMsgDateWrong;
    case PeriodVerdict::MonthWrong: return kMsgMonthWrong;
    default: return {};
    }
}

PeriodCheck checkPeriod(const QString& startTyped, const QString& stopTyped)
{
    PeriodCheck r;
    if (startTyped.isEmpty() || stopTyped.isEmpty())
        return r;
    const QString s1 = trimBlanks(startTyped);
    const QString s2 = trimBlanks(stopTyped);
    if (s1.size() != 10 || s2.size() != 10) {
        r.verdict = PeriodVerdict::DateWrong;
        return r;
    }
    for (const QString& s : {s1, s2}) {
        const int m = monthOf(s);
        if (m < 1 || m > 12) {
            r.verdict = PeriodVerdict::MonthWrong;
            return r;
        }
    }
    if (!isRealDay(s1) || !isRealDay(s2)) {
        r.verdict = PeriodVerdict::DateWrong;
        return r;
    }
    r.verdict = PeriodVerdict::Accepted;
    const QString m1 = twoDigits(monthOf(s1)), m2 = twoDigits(monthOf(s2));
    r.vars.sDataStart = m1 + QLatin1Char('/') + s1.left(2) + QLatin1Char('/') + s1.right(4);
    r.vars.sDataStop = m2 + QLatin1Char('/') + s2.left(2) + QLatin1Char('/') + s2.right(4);
    r.vars.sStart = s1.left(2) + QLatin1Char('.') + m1 + QLatin1Char('.') + s1.right(4);
    r.vars.sStop = s2.left(2) + QLatin1Char('.') + m2 + QLatin1Char('.') + s2.right(4);
    return r;
}

SaveRequest reportSaveRequest(const QString& sStart)
{
    SaveRequest r;
    r.title = QStringLiteral("Записване на XML-файла");
    r.filter = QStringLiteral("XML-файлове (*.xml);;Всички файлове (*.*)");
    r.folder = documentsFolder();
    r.proposedName = CurrentUserUIN + QLatin1Char('-') + sStart.mid(3, 2) + sStart.right(4) + QStringLiteral(".xml");
    // A name, never a path into a folder: the copy may go to a FAT stick.
    for (QChar& c : r.proposedName)
        if (unfitForFileName(c))
            c = QLatin1Char('_');
    return r;
}

void copyReportTo(const QByteArray& report, const QString& target)
{
    const QString failure = QStringLiteral("XML-файлът не е записан");
    const QString there = QFileInfo(target).canonicalFilePath();
    for (const QString& own : {kReportFileName, kReportUtf8FileName}) {
        const QString path = QDir(ProgramFolder).filePath(own);
        if (there.isEmpty() || there != QFileInfo(path).canonicalFilePath())
            continue;
        QFile in(path);
        if (in.open(QIODevice::ReadOnly) && in.readAll() == report)
            return;
        // The next export of any copy writes it anew: the report would not stay there.
        throw db::DbError(failure, QDir::toNativeSeparators(target)
                                       + QStringLiteral(": това е файл на програмата, който всеки експорт пише наново."
                                                        " Изберете друго име или друга папка."));
    }
    db::WholeFile out(target, failure);
    out.write(report);
    out.commit();
}

} // namespace tav::statistics

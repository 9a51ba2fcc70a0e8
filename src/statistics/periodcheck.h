#pragma once
// The period dialog's rules without its window: the check of the two typed
// dates, and the saving of the fund report under the name the user chooses.

#include "statistics/period.h"

#include <QByteArray>
#include <QString>

namespace tav::statistics {

inline const QString kMsgDateWrong =
    QStringLiteral("Грешка в изписването на датата!\rФормата на датата е: ДД.ММ.ГГГГ");
inline const QString kMsgMonthWrong =
    QStringLiteral("Грешка в изписването на месеца!\rФормата на датата е: ДД.ММ.ГГГГ");
inline const QString kMsgNoPeriod = QStringLiteral("Няма избран период!");

enum class PeriodVerdict {
    Incomplete,   // a box is empty: nothing happens
    DateWrong,    // not DD.MM.YYYY of a real day
    MonthWrong,   // month not 01..12
    Accepted,
};

struct PeriodCheck {
    PeriodVerdict verdict = PeriodVerdict::Incomplete;
    PeriodVars vars;   // filled when accepted
    QString message() const;   // the message of a refusal, else ""
};

// The typed texts are trimmed first; the separators (positions 3 and 6) are
// not read, so 01/03/2010 passes as 01.03.2010. A month typed with a blank
// before its digit (01. 3.2010) passes, and the members carry it with two
// digits.
PeriodCheck checkPeriod(const QString& startTyped, const QString& stopTyped);

// The Save dialog of the fund report.
struct SaveRequest {
    QString title;
    QString filter;         // Qt syntax, the first entry selected
    QString folder;         // the user's Documents folder
    QString proposedName;   // UIN-MMYYYY.xml, / \ : * ? " < > | and control characters as "_"
};
// For the period starting `sStart` (DD.MM.YYYY), named after CurrentUserUIN.
SaveRequest reportSaveRequest(const QString& sStart);

// Replaces `target` with `report`, the UTF-8 report this copy's export
// wrote (never the program folder's file, which another copy's export may
// have replaced since); the old target stays whole when the copy fails
// (db::DbError). The program folder's own report files are no place for it:
// choosing one that holds `report` already writes nothing, any other refuses.
void copyReportTo(const QByteArray& report, const QString& target);

} // namespace tav::statistics

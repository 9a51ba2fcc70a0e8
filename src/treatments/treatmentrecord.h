#pragma once
// One Help row per activity: the typed shortcuts, the fund's minutes and
// price, the save that expands and stamps a row, and the outpatient-sheet
// number of a visit. Kept apart from the treatment form so that tests and
// other windows call it directly.

#include "db/database.h"
#include "db/values.h"

#include <QDate>
#include <QString>
#include <array>

namespace tav::treatments {

struct TreatmentShortcut {
    QString typed;      // what the doctor types into "Код дейн."
    QString kodHelp;    // the fund code stored in its place
    QString help;       // diagnosis
    QString textHelp;   // treatment
    QString lookup;     // the CenyZK code of its minutes and price
};

inline constexpr int kShortcutCount = 24;
// The entries in the order they are tested.
const std::array<TreatmentShortcut, kShortcutCount>& TreatmentShortcuts();
// The first entry whose typed text equals the cell text with its blanks at
// both ends removed; exact otherwise. nullptr when none does.
const TreatmentShortcut* FindShortcut(const QString& cellText);

// Minutes and price of one activity for one patient.
struct FundEntry {
    bool found = false;   // CenyZK has the code
    int minutes = 0;
    Money price;
};
// The first CenyZK row of the code; the adult price when the patient is over
// 18 on that day, else the price up to 18. Empty fields count as 0.
// Throws db::DbError.
FundEntry LookUpFund(db::Connection& c, const QString& code, const QString& egn, const QDate& onDay);

// What a save stamps besides the expansion.
struct SaveStamp {
    QString egn;          // the patient of the form
    QString listId;       // the sheet number of this opening
    QString doctorCode;   // the doctor who saves
    QDate today;          // the price goes by the patient's age on this day
};

// The save's changes to one row, worked out before anything is written.
struct SaveResult {
    bool expanded = false;   // "Код дейн." held a shortcut
    int minutes = 0;         // taken from today's budget by this save
};

// Puts into the row what the save stores: the EGN; for a shortcut in its
// KodHelp the code, diagnosis, treatment, minutes and price; the doctor, due
// for the sheet and the sheet number. A code that is no shortcut leaves the
// texts as they are and keeps the row's price and minutes (0 and 0 for a
// new row that has none). Reads CenyZK through c. Throws db::DbError.
SaveResult ApplySave(db::Row& row, bool isNewRow, const SaveStamp& stamp, db::Connection& c);

// A row the save may store has an activity code: without one it would reach
// the sheet and the fund's report as an activity without a code. A code that
// is no shortcut counts (it is stored as typed).
bool HasActivityCode(const db::Row& row);
// A new row that holds nothing but what the form gives it (its date, the
// default given on `prefilled`): no row at all, dropped without a word.
bool IsUntypedNewRow(const db::Row& row, const QDate& prefilled);

// The patient a treatment or a referral is saved under is still in the
// register: an EGN corrected, or a card removed, while the window stayed
// open would leave the row under an EGN nobody has. Throws db::DbError with
// the message that says so.
void RequirePatient(db::Connection& c, const QString& egn);

// The doctor's next sheet number in a year: one past the highest numeric
// ListID of the doctor's rows dated in that year (texts that are not a number
// are passed over), six digits with leading zeros. "000001" when there is
// none. Throws db::DbError.
QString NextSheetNumber(const QString& doctorCode, int year);
QString NextSheetNumber(db::Connection& c, const QString& doctorCode, int year);
// A number as a sheet number: at least six digits, leading zeros.
QString SheetNumberText(int number);

} // namespace tav::treatments

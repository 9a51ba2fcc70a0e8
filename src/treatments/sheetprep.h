#pragma once
// The preparation of the fund's outpatient sheet: the patient's rows due for
// the sheet are copied into TempKarton with their codes spread for the
// printed boxes, and marked printed and no longer due.

#include "db/database.h"

#include <QString>
#include <QVector>
#include <functional>

namespace tav::treatments {

struct SheetPlan {
    db::Rows tempRows;          // Data, Help, KodHelp, TextHelp, KodZab, in the order of the rows
    QVector<qint64> marked;     // RecID of each copied Help row
    bool printDentalStatus = false;   // an examination "101" among them
    QStringList longCodes;      // codes cut to three characters, one per row
};

// What the preparation does with the patient's rows (ordered by date, then
// code): pure, writes nothing.
SheetPlan PlanOutpatientSheet(const db::Rows& helpRows);

// Empties TempKarton, adds the plan's rows and marks the copied Help rows
// Schet = 1, ZK = 0, all in one transaction. Throws db::DbError; then nothing
// has changed.
void WriteOutpatientSheet(const SheetPlan& plan);

// The patient's Help rows in the order of the treatment form. Throws db::DbError.
db::Rows PatientTreatmentRows(const QString& egn);

// Reads, plans, tells each cut code through `warn` (before anything is
// written), writes, and sets PrintEGN and PrintDentalStatus. Throws db::DbError.
SheetPlan PrepareOutpatientSheet(const QString& egn, const std::function<void(const QString& message)>& warn = {});

inline const QString kMsgCodeTooLong = QStringLiteral("Кода е по-голям от 3 символа!\r Ще бъде съкратен при печата!");

} // namespace tav::treatments

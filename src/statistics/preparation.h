#pragma once
// The preparations of the period reports: each reads the period's treatments
// (both days included) and fills its work table of temp.mdb in one
// transaction. They touch no window; `progress` hears (position, rows) for
// every treatment row handled, positions from 1.

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

namespace tav::statistics {

using Progress = std::function<void(int position, int rows)>;

// Work list: one TempWork row per EGN of the doctor's treatments, in the order
// each EGN first occurs (by date, code, entry): the first date, the name, the
// age as a difference of calendar years, the codes joined by "," and the sum
// of their minutes. A row without an EGN makes no line; an unknown patient
// gets an empty name, an EGN without a birth date an empty age. Returns the
// treatment rows read.
int FillTempWork(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress = {});

// A treatment the counts leave out: without an EGN it has no age group.
struct LeftOutRow {
    QDate date;
    QString code;
    QString listId;
};

// Fund summary: two TempZOKC rows, "Под 18 години" and "Над 18 години", with
// the doctor's activities counted by class and age group at the visit. A row
// whose EGN is empty or Null counts nowhere; those of a counted class are
// added to `leftOut`, in query order.
int FillTempZOKC(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress = {},
                 QVector<LeftOutRow>* leftOut = nullptr);

// Specification: one TempSpec row of the eleven counts, rows without an EGN
// left out as in the summary.
int FillTempSpec(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress = {},
                 QVector<LeftOutRow>* leftOut = nullptr);

// The message naming the rows left out, shown before the end message: the
// first 15, then how many more, worded as the fund report names its own.
QString leftOutMessage(const QVector<LeftOutRow>& rows);

// Books every treatment of code "301" and every one not yet booked, of every
// doctor, and gives the fillings whose treatment text is exactly
// "Обт.амалгама" or "Обт.хим.композ." the codes "301А" and "301Б". Returns
// the rows booked.
int RecodeFillingActivities();

// TempMater: a copy of the materials catalogue, in its order.
void FillTempMater();

// Adds to each material of TempMater, for every treatment of the period of
// any doctor, the norm of its code: material i takes column "iM" of the
// code's first RazhNorm row. A code without a norm row, or a material without
// its column, adds 0; a norm without a value leaves the material without a
// quantity. Returns the treatment rows read.
int SumMaterialConsumption(const QDate& first, const QDate& last, const Progress& progress = {});

inline const QString kUnder18 = QStringLiteral("Под 18 години");
inline const QString kOver18 = QStringLiteral("Над 18 години");
inline const QString kAmalgamText = QStringLiteral("Обт.амалгама");
inline const QString kCompositeText = QStringLiteral("Обт.хим.композ.");
inline const QString kAmalgamCode = QStringLiteral("301А");
inline const QString kCompositeCode = QStringLiteral("301Б");

} // namespace tav::statistics

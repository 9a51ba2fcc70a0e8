#pragma once
// The two maintenance runs of the service menu over the patient tables:
// "Поправяне на БД" (rows without an EGN removed, every EGN checked, and
// when all are sound the nameless named and every birth date written from
// the EGN) and "Изтриване на БД" (the other doctors' patients removed with
// their charts and treatments).

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace tav::patients {

struct RowsWithoutEgn {
    int pacients = 0;
    int dental = 0;
    int help = 0;
};
// Removes the Pacients, Dental and Help rows whose EGN is Null or empty, in
// one transaction. Throws db::DbError; then nothing is removed.
RowsWithoutEgn removeRowsWithoutEgn();

// Every stored patient's EGN, in EGN order.
QStringList storedEgnsInOrder();

// One message per check that the EGN fails, in the order date, month,
// check digit; each followed by "\r", three blanks and the EGN.
QStringList egnFaultMessages(const QString& egn);

struct NamesAndBirthDates {
    int named = 0;        // patients without names given the placeholder
    int patients = 0;     // patients whose birth date was written
};
// Gives every patient without names the placeholder and writes every
// patient's DataB from the EGN, in one transaction. `progress` gets the
// 1-based position in EGN order and the count. Throws db::DbError; then
// nothing is changed.
NamesAndBirthDates nameAndRewriteBirthDates(const std::function<void(int position, int count)>& progress = {});

// Removes every patient whose LKod differs from the doctor's code (compared
// without regard to case; a patient without a code stays), with the
// patient's Help and Dental rows, in one transaction; the referrals stay.
// Returns the number of patients removed. Throws db::DbError; then nothing
// is removed.
int removeOtherDoctorsPatients(const QString& doctorCode,
                               const std::function<void(int position, int count)>& progress = {});

// The menu items.
void RepairDatabase(QWidget* owner = nullptr);
void DeleteOtherDoctorsPatients(QWidget* owner = nullptr);

inline const QString kNamelessPlaceholder = QStringLiteral("Въведи име на пациента!");
inline const QString kMsgRepairDone = QStringLiteral("Поправих грешките в БД!");

} // namespace tav::patients

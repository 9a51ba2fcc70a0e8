#pragma once
// The rules of the login and of the change of access code, apart from the
// windows so that they can be checked without them.

#include "db/database.h"

#include <QString>
#include <QStringList>

namespace tav::login {

// The leading number of a trimmed code, rounded down: "0123abc" gives 123,
// "abc" 0. A number beyond the range of int is held at its limit.
int leadingNumber(const QString& code);

// The doctors' names as stored, in table order.
QStringList doctorNames(const db::Rows& medic);

struct DoctorChoice {
    bool found = false;
    qint64 recId = 0;
    QString password;   // trimmed
    QString kodMedic;   // trimmed
    QString names;      // trimmed
    int idMedic = 0;
};
// Every row whose trimmed name equals the trimmed list text counts; the
// later row wins.
DoctorChoice chooseDoctor(const db::Rows& medic, const QString& listText);

// "Вход" lets the user through when the trimmed typed code equals the kept
// code (case counts).
bool codeAccepted(const QString& typed, const QString& keptCode);
// The login is granted only with a code that is not empty.
bool loginGranted(const QString& typed, const QString& keptCode);

// All rows of Medic in table order.
db::Rows readDoctors(db::Connection& c);

// The most characters the login's code box takes; a longer code could
// never be typed there.
inline constexpr int kCodeMaxLength = 10;

// The change of access code of one doctor's row.
enum class ChangeResult { Changed, WrongOld, NotConfirmed, EmptyNew, TooLong, NoDoctor };
struct ChangeOutcome {
    ChangeResult result = ChangeResult::NoDoctor;
    QString message;
    QString newCode;   // trimmed; the kept code after a change
};
// Checks the boxes against the doctor's stored code and, when they pass,
// writes the new code into that row only. Throws db::DbError when the
// write fails; nothing is reported as changed then.
ChangeOutcome changeAccessCode(db::Connection& c, qint64 recId, const QString& oldBox,
                               const QString& newBox, const QString& confirmBox);
// The trimmed stored code of a doctor's row; `found` is false when the row
// is gone.
struct StoredCode {
    bool found = false;
    QString code;
};
StoredCode readStoredCode(db::Connection& c, qint64 recId);

inline const QString kChangeTitle = QStringLiteral("Смяна на кода за достъп");
inline const QString kWrongOld = QStringLiteral("Старата парола е сгрешена, опитайте отново!");
inline const QString kNotConfirmed = QStringLiteral("Новата парола не е потвърдена, опитайте отново!");
inline const QString kEmptyNew = QStringLiteral("Новата парола не може да бъде празна, опитайте отново!");
inline const QString kTooLong =
    QStringLiteral("Новата парола е по-дълга от %1 знака, опитайте отново!").arg(kCodeMaxLength);
inline const QString kChanged = QStringLiteral("Новата парола е въведена в действие!");
inline const QString kNoDoctor = QStringLiteral("Лекарят, с когото сте влезли, не е намерен в базата данни.");
inline const QString kNotWritten = QStringLiteral("Новата парола не е записана.");
inline const QString kWrongCode = QStringLiteral("Проверете кода за достъп.");

} // namespace tav::login

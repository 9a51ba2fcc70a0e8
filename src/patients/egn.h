#pragma once
// The rules of the EGN, the patient's ten-digit personal number: birth date
// (digits 1-6), sex (digit 9) and check digit (digit 10).

#include <QDate>
#include <QString>

namespace tav::patients {

// A field of the EGN read as a number, positions counted from 1: blanks are
// skipped, reading stops at the first other non-digit, no digit reads as 0,
// positions beyond the end read as empty.
int egnField(const QString& egn, int position, int length);

// The three checks answer true when the EGN is wrong; none raises for any text.
// Day 00, or a day past the end of the month that the EGN encodes.
bool IsEGNDateWrong(const QString& egn);
// Not a month of 1910-1999 (01-12 with a first digit 1-9) or 2000-2099 (41-52).
bool IsEGNMonthWrong(const QString& egn);
// Weights 2,4,8,5,10,9,7,3,6, sum mod 11 (10 counts as 0) against digit 10.
bool IsEGNChecksumWrong(const QString& egn);

// Later than the 18th birthday (the birthday itself is not), today by the
// program's clock or on a given day. Month field 41 and up: the 2000s; below:
// the 1900s. Compared field by field, so any text gives an answer.
bool IsOver18ByEGN(const QString& egn);
bool IsOver18ByEGN(const QString& egn, const QDate& onDay);

// Exactly ten digits 0-9, nothing else.
bool IsTenDigits(const QString& text);

inline const QString kMsgEgnDateWrong = QStringLiteral("Грешна дата в ЕГН: ");
inline const QString kMsgEgnMonthWrong = QStringLiteral("Грешен месец в ЕГН: ");
inline const QString kMsgEgnChecksumWrong = QStringLiteral("Грешна контролна сума в ЕГН: ");
inline const QString kMsgEgnInvalid = QStringLiteral("Невалидно ЕГН!");

// The checks in their order (date, month, check digit): the message of the
// first that fails, then "\r", three blanks and the EGN; empty when all pass.
QString EGNFaultMessage(const QString& egn);

} // namespace tav::patients

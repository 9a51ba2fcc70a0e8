#pragma once
// The search of a doctor's patients by first name, apart from its window.

#include <QString>
#include <QVector>
#include <functional>

namespace tav::patients {

// The trimmed typed text with its first character upper-cased.
QString searchKey(const QString& typed);
// The trimmed names cut at the first blank: "Иван Петров" gives "Иван".
QString firstWord(const QString& names);

// A list entry: the names as stored, 50 blanks, the EGN.
QString listItem(const QString& names, const QString& egn);
// The entry less its last 50 characters: the names and as many blanks as
// the EGN has characters (10 for a valid one).
QString findNameOf(const QString& item);

// A patient found: the list entry, and the EGN it hands on, whole. The
// import stores the fund's numbers unchecked, so the entry's last 10
// characters need not be the EGN.
struct FoundPatient {
    QString item;
    QString egn;
};

struct SearchResult {
    int rows = 0;                  // the doctor's patients read
    QVector<FoundPatient> items;   // in table order
};

// Reads every patient of the doctor in table order and keeps those whose
// first word equals the key exactly; a Null name is empty text. progress
// gets (position, rows) once per row. Throws db::DbError.
SearchResult SearchByFirstName(const QString& key, const QString& doctorCode,
                               const std::function<void(int position, int rows)>& progress = {});

inline const QString kMsgNoPatients = QStringLiteral("Няма записани пациенти в БД!\r Прекъсвам търсенето!");
inline const QString kMsgSearchDone = QStringLiteral("Завърших търсенето на имената!");
inline const QString kMsgNoneChosen = QStringLiteral("Няма избрани имена!");

} // namespace tav::patients

#pragma once
// Treatments, patients and materials put straight into the test folder's
// databases, and the work tables read back.

#include "db/database.h"
#include "db/paths.h"
#include "support/egn_digits.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace statistics_test {

// A valid EGN for a birth date.
inline QString egnFor(const QDate& birth, int serial = 123)
{
    return testing_support::egnBornOn(birth, serial);
}

inline void addPatient(const QString& egn, const QVariant& names)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("Pacients", {"EGN", "Names"}, {egn, names});
}

// Treatment rows, written in one transaction; a null EGN or code is NULL.
struct Treatment {
    QVariant egn;
    QDate day;
    QVariant code;
    QString doctor = QStringLiteral("D1");
    QVariant text = {};
    bool booked = false;
    QVariant listId = {};
};
inline void addTreatments(const QVector<Treatment>& rows)
{
    tav::db::Connection c = tav::db::Connection::main();
    tav::db::Transaction t(c);
    for (const Treatment& r : rows)
        c.insert("Help", {"EGN", "Data", "KodHelp", "KodMedic", "TextHelp", "Schet", "ListID"},
                 {r.egn, r.day, r.code, r.doctor, r.text, r.booked ? 1 : 0, r.listId});
    t.commit();
}
inline void addTreatment(const QVariant& egn, const QDate& day, const QVariant& code, const QString& doctor = "D1")
{
    addTreatments({{egn, day, code, doctor}});
}

inline const QVariant kNull = QVariant(QMetaType::fromType<QString>());

inline tav::db::Rows tempRows(const QString& table)
{
    tav::db::Connection c = tav::db::Connection::temp();
    return c.query(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(tav::db::quoteName(table)));
}

} // namespace statistics_test

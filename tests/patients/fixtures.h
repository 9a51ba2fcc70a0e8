#pragma once
// Patients put straight into the test folder's main database.

#include "db/database.h"
#include "support/egn_digits.h"

#include <QString>
#include <QVariant>

namespace patients_test {

using testing_support::egnOf;

// A Pacients row (Names may be a Null QVariant) and, when chart is not
// empty, a Dental row with those columns ("Z1" -> "*").
void addPatient(const QString& egn, const QVariant& names, const QString& lkod,
                const QList<std::pair<QString, QString>>& chart = {}, bool withDental = true);
void addTreatment(const QString& egn);
int count(const QString& table, const QString& egn);

} // namespace patients_test

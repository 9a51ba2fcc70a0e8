#pragma once
// Rows put straight into the test folder's main database.

#include "db/database.h"
#include "support/egn_digits.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace treatments_test {

using testing_support::egnBornOn;
using testing_support::egnOf;

struct HelpRow {
    QString egn{};
    QDate data{};
    QString kodHelp{};
    QString kodMedic{};
    QString listId{};
    bool zk = false;
    QString kodZab{};
    QString help{};
    QString textHelp{};
};
qint64 addHelp(const HelpRow& r);
void addPatient(const QString& egn, const QString& names, const QString& lkod = QStringLiteral("220001"));
// One stored field of a Help row.
QVariant helpField(qint64 recId, const QString& field);
int countRows(const QString& table);

} // namespace treatments_test

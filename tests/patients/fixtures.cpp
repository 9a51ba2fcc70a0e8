#include "fixtures.h"

namespace patients_test {

void addPatient(const QString& egn, const QVariant& names, const QString& lkod,
                const QList<std::pair<QString, QString>>& chart, bool withDental)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("Pacients", {"EGN", "Names", "LKod", "Pol", "Tawn"}, {egn, names, lkod, "М", "Пловдив"});
    if (!withDental)
        return;
    QStringList f{"EGN"};
    QVariantList v{egn};
    for (const auto& [col, text] : chart) {
        f << col;
        v << text;
    }
    c.insert("Dental", f, v);
}

void addTreatment(const QString& egn)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("Help", {"EGN", "KodHelp", "KodMedic"}, {egn, "101", "1"});
}

int count(const QString& table, const QString& egn)
{
    tav::db::Connection c = tav::db::Connection::main();
    return c.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE EGN = ?").arg(tav::db::quoteName(table)), {egn}).toInt();
}

} // namespace patients_test

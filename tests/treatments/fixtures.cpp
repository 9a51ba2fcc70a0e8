#include "fixtures.h"

namespace treatments_test {

namespace {
QVariant orNull(const QString& s)
{
    return s.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(s);
}
}

qint64 addHelp(const HelpRow& r)
{
    tav::db::Connection c = tav::db::Connection::main();
    return c.insert("Help", {"EGN", "Data", "KodHelp", "KodMedic", "ListID", "ZK", "KodZab", "Help", "TextHelp"},
                    {orNull(r.egn), r.data.isValid() ? QVariant(r.data) : QVariant(QMetaType::fromType<QDate>()),
                     orNull(r.kodHelp), orNull(r.kodMedic), orNull(r.listId), r.zk ? 1 : 0, orNull(r.kodZab),
                     orNull(r.help), orNull(r.textHelp)});
}

void addPatient(const QString& egn, const QString& names, const QString& lkod)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("Pacients", {"EGN", "Names", "LKod"}, {egn, names, lkod});
}

QVariant helpField(qint64 recId, const QString& field)
{
    tav::db::Connection c = tav::db::Connection::main();
    return c.scalar(QStringLiteral("SELECT %1 FROM Help WHERE RecID = ?").arg(tav::db::quoteName(field)), {recId});
}

int countRows(const QString& table)
{
    tav::db::Connection c = tav::db::Connection::main();
    return c.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(tav::db::quoteName(table))).toInt();
}

} // namespace treatments_test

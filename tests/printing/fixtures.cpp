#include "fixtures.h"

#include <QDate>
#include <QSharedPointer>

namespace printing_test {

tav::db::Row rowOf(const Fields& fields)
{
    QStringList names;
    QVector<QVariant> values;
    for (const auto& [name, value] : fields) {
        names << name;
        values << value;
    }
    return tav::db::Row(QSharedPointer<const QStringList>::create(names), values);
}

tav::printing::CardInput cardInputOf(const Fields& patient, const Fields& chart)
{
    tav::printing::CardInput in;
    if (!patient.isEmpty())
        in.patient = rowOf(patient);
    if (!chart.isEmpty())
        in.dental = rowOf(chart);
    return in;
}

namespace {

void insert(const QString& table, const QString& egn, const Fields& fields)
{
    QStringList f{"EGN"};
    QVariantList v{egn};
    for (const auto& [name, value] : fields) {
        f << name;
        v << value;
    }
    tav::db::Connection c = tav::db::Connection::main();
    c.insert(table, f, v);
}

} // namespace

void addPatient(const QString& egn, const Fields& fields)
{
    insert("Pacients", egn, fields);
}

void addChart(const QString& egn, const Fields& fields)
{
    insert("Dental", egn, fields);
}

qint64 addDoctor(const QString& names, const QString& egn, const QString& code)
{
    tav::db::Connection c = tav::db::Connection::main();
    return c.insert("Medic", {"Names", "EGN", "KodMedic", "Password"}, {names, egn, code, "1"});
}

void addTreatment(const QString& egn, const QDate& date, const QString& code, const QString& help,
                  const QString& tooth, const QString& text, const QString& vid)
{
    insert("Help", egn, {{"Data", date}, {"KodHelp", code}, {"Help", help}, {"KodZab", tooth},
                         {"TextHelp", text}, {"Vid", vid}, {"KodMedic", "2200001"}});
}

void addFillings(const QString& egn, int count, const QDate& first)
{
    tav::db::Connection c = tav::db::Connection::main();
    tav::db::Transaction t(c);
    for (int i = 0; i < count; ++i)
        c.insert("Help", {"EGN", "Data", "KodHelp", "Help", "KodZab", "TextHelp", "KodMedic"},
                 {egn, first.addDays(i), "301", "Caries", "36", "Обт.амалгама", "2200001"});
    t.commit();
}

void addSheetLine(const QDate& date, const QString& help, const QString& code, const QString& text,
                  const QString& tooth)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.insert("TempKarton", {"Data", "Help", "KodHelp", "TextHelp", "KodZab"}, {date, help, code, text, tooth});
}

void clearTable(const QString& table)
{
    tav::db::Connection c = tav::db::Connection::main();
    c.exec(QStringLiteral("DELETE FROM %1").arg(tav::db::quoteName(table)));
}

QVector<tav::report::DrawItem> textItems(const tav::report::Rendered& r, const QString& control)
{
    QVector<tav::report::DrawItem> out;
    for (const auto& i : r.of(control))
        if (i.kind == tav::report::ItemKind::Text)
            out << i;
    return out;
}

QVector<tav::report::DrawItem> allTexts(const tav::report::Rendered& r)
{
    QVector<tav::report::DrawItem> out;
    for (const auto& i : r.items)
        if (i.kind == tav::report::ItemKind::Text)
            out << i;
    return out;
}

QString drawn(const tav::report::Rendered& r, const QString& control)
{
    QStringList lines;
    for (const auto& i : textItems(r, control))
        lines << i.text;
    return lines.join('\n');
}

QVector<tav::report::DrawItem> itemsOf(const tav::report::Rendered& r, int page, const QString& section)
{
    QVector<tav::report::DrawItem> out;
    for (const auto& i : r.page(page))
        if (i.section == section)
            out << i;
    return out;
}

QList<int> detailRows(const tav::report::Rendered& r, int page)
{
    QList<int> out;
    for (const auto& i : r.page(page))
        if (i.row >= 0 && (out.isEmpty() || out.last() != i.row))
            out << i.row;
    return out;
}

} // namespace printing_test

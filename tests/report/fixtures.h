#pragma once
// Small layouts and rows for the report engine's tests.

#include "db/database.h"
#include "report/layoutfile.h"
#include "report/renderer.h"

#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace report_fixtures {

// Rows of named fields.
inline tav::db::Rows rows(const QStringList& fields, const QList<QVariantList>& values)
{
    auto names = QSharedPointer<const QStringList>::create(fields);
    tav::db::Rows out;
    for (const QVariantList& v : values)
        out.push_back(tav::db::Row(names, QVector<QVariant>(v.begin(), v.end())));
    return out;
}

inline tav::db::Rows numberedRows(int n)
{
    QList<QVariantList> v;
    for (int i = 0; i < n; ++i)
        v << QVariantList{QString("ред %1").arg(i + 1), i + 1};
    return rows({"Name", "N"}, v);
}

// A layout from the body of its "sections" array, with the paper's usable
// height made easy to count: A4 with top 838 and bottom 1000 leaves 15000.
inline tav::report::Layout layout(const QString& sections, const QString& extra = {})
{
    const QString json = QStringLiteral(R"({"name": "rptTest", "caption": "Проба", "width": 9000,
        "margins": {"left": 500, "right": 500, "top": 838, "bottom": 1000},
        "font": {"family": "Arial", "size": 9}, %1
        "sections": [%2]})").arg(extra.isEmpty() ? QString() : extra + ",", sections);
    return tav::report::parseLayout(json.toUtf8(), "test");
}

inline QVector<tav::report::DrawItem> texts(const QVector<tav::report::DrawItem>& items)
{
    QVector<tav::report::DrawItem> out;
    for (const auto& i : items)
        if (i.kind == tav::report::ItemKind::Text)
            out << i;
    return out;
}

} // namespace report_fixtures

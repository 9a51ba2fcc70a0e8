#include "db/statement.h"

#include "db/values.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>

namespace tav::db {

namespace {
QVariant bindable(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(toIsoDate(v.toDate()));
    case QMetaType::QDateTime:
        return v.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(toIsoDate(v.toDateTime().date()));
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    default:
        return v;
    }
}
} // namespace

Statement::Statement(Connection& c, const QString& sql) : sql_(sql), path_(c.path()), q_(c.raw())
{
    q_.setForwardOnly(true);
    if (!q_.prepare(sql))
        throw engineError(QStringLiteral("Грешка в заявка към базата данни"), q_.lastError().text(),
                          q_.lastError().nativeErrorCode().toInt(), path_);
}

void Statement::run(const QVariantList& params)
{
    for (int i = 0; i < params.size(); ++i)
        q_.bindValue(i, bindable(params[i]));
    if (!q_.exec()) {
        const QSqlError e = q_.lastError();
        throw engineError(QStringLiteral("Грешка при работа с базата данни"),
                          e.databaseText().isEmpty() ? e.text() : e.databaseText(), e.nativeErrorCode().toInt(), path_);
    }
}

int Statement::exec(const QVariantList& params)
{
    run(params);
    const int n = q_.numRowsAffected();
    q_.finish();
    return n;
}

Rows Statement::query(const QVariantList& params)
{
    run(params);
    Rows rows;
    const QSqlRecord rec = q_.record();
    QStringList names;
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    auto shared = QSharedPointer<const QStringList>::create(names);
    while (q_.next()) {
        QVector<QVariant> v(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            v[i] = q_.value(i);
        rows.push_back(Row(shared, std::move(v)));
    }
    const bool failed = q_.lastError().isValid();
    const QString text = q_.lastError().text();
    const int code = q_.lastError().nativeErrorCode().toInt();
    q_.finish();
    if (failed)
        throw engineError(QStringLiteral("Грешка при четене от базата данни"), text, code, path_);
    return rows;
}

void keepPagesInMemory(Connection& c)
{
    c.exec(QStringLiteral("PRAGMA cache_size = -131072"));
}

} // namespace tav::db

#pragma once
// A statement prepared once and run for many rows with bound values, for
// the long runs that write row after row inside one transaction.

#include "db/database.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace tav::db {

class Statement {
public:
    // Throws DbError when the text does not prepare.
    Statement(Connection& c, const QString& sql);
    // Runs it with these values (dates as YYYY-MM-DD, true/false as 1/0);
    // returns the rows affected. Throws DbError.
    int exec(const QVariantList& params);
    // The rows it returns, read into memory. Throws DbError.
    Rows query(const QVariantList& params);

private:
    void run(const QVariantList& params);
    QString sql_;
    QString path_;
    QSqlQuery q_;
};

// For a run that touches much of the file in one transaction: its pages stay
// in memory (up to 128 MB) instead of being written out and read again
// before the commit. Lasts as long as the connection.
void keepPagesInMemory(Connection& c);

} // namespace tav::db

#pragma once
// One connection per operation: open, use, close. Every value is bound.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <stdexcept>

namespace tav::db {

// A database or file error; `engineText` carries the engine's own words.
class DbError : public std::runtime_error {
public:
    DbError(const QString& message, const QString& engineText = {}, const QString& code = {});
    QString message() const { return message_; }
    QString engineText() const { return engineText_; }
    // The engine's error number, when the engine gave one.
    QString code() const { return code_; }
    // What the user sees: the Bulgarian message, then the engine's text.
    QString userText() const;

private:
    QString message_;
    QString engineText_;
    QString code_;
};

// One row read into memory. Field names match without regard to case.
class Row {
public:
    Row() = default;
    Row(QSharedPointer<const QStringList> names, QVector<QVariant> values);

    bool contains(const QString& field) const { return indexOf(field) >= 0; }
    QVariant value(const QString& field) const;   // invalid QVariant when absent
    QVariant value(int i) const { return values_.value(i); }
    QString text(const QString& field) const;     // NULL reads as ""
    int toInt(const QString& field) const;
    bool yes(const QString& field) const;         // Yes/No: <> 0
    void set(const QString& field, const QVariant& v);
    const QStringList& names() const;
    const QVector<QVariant>& values() const { return values_; }
    int indexOf(const QString& field) const;

private:
    QSharedPointer<const QStringList> names_;
    QVector<QVariant> values_;
};
using Rows = QVector<Row>;

enum class OpenMode {
    ReadWrite,   // the file must exist
    ReadOnly,    // the file must exist
    Create       // created when missing
};

// RAII connection. Closed (and removed from Qt's registry) when destroyed.
class Connection {
public:
    Connection(const QString& path, OpenMode mode);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection& operator=(Connection&&) = delete;

    // The three databases of the program folder.
    static Connection main();        // tavlinora.mdb, read and write
    static Connection reference();   // data.mdb, read only
    static Connection temp();        // temp.mdb, must exist

    Rows query(const QString& sql, const QVariantList& params = {});
    // The first row, or an empty Row (`names().isEmpty()`) when there is none.
    Row first(const QString& sql, const QVariantList& params = {});
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Returns the rows affected.
    int exec(const QString& sql, const QVariantList& params = {});
    qint64 insert(const QString& table, const QStringList& fields, const QVariantList& values);
    // Many rows through one prepared statement, in the order given.
    void insertMany(const QString& table, const QStringList& fields, const QVector<QVariantList>& rows);
    void execScript(const QString& script);   // statements split on ";\n"

    void begin();
    void commit();
    void rollback();

    QSqlDatabase& raw() { return db_; }
    const QString& path() const { return path_; }

private:
    QString name_;
    QString path_;
    QSqlDatabase db_;
};

// All or nothing: rolled back unless commit() was reached.
class Transaction {
public:
    explicit Transaction(Connection& c);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Connection& c_;
    bool done_ = false;
};

// The Unicode case-insensitive collation, named in the queries that compare
// or sort text as Jet did; never declared in the stored schema.
inline constexpr const char* kCollation = "UNOCASE";
int compareNoCase(const QString& a, const QString& b);

// A quoted SQL identifier: "Name".
QString quoteName(const QString& name);

// The SQL function on every connection that reads a day-first date text
// (D.M.YYYY or DD.MM.YYYY, "." or "/") as ISO "YYYY-MM-DD", else NULL.
inline constexpr const char* kDayFirstDate = "DAYFIRSTDATE";

} // namespace tav::db

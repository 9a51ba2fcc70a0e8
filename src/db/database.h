#pragma once
// One connection per operation: open, use, close. Every value is bound.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <stdexcept>

struct sqlite3;

namespace tav::db {

// A database or file error; `engineText` carries the engine's own words.
class DbError : public std::runtime_error {
public:
    DbError(const QString& message, const QString& engineText = {}, const QString& code = {});
    QString message() const { return message_; }
    QString engineText() const { return engineText_; }
    // The engine's error number, when the engine gave one.
    QString code() const { return code_; }
    // The file the error is about, for the kinds that need it said (in use,
    // damaged, not a database); "" otherwise.
    QString file() const { return file_; }
    DbError& aboutFile(const QString& path);
    // What the user sees: the Bulgarian message, the file it is about
    // ("Файл: PATH (данните на практиката)"), then the engine's text.
    QString userText() const;
    // The database is locked by another connection (another copy of the
    // program): worth trying again, never a reason to think the file broken.
    bool isBusy() const;

private:
    QString message_;
    QString engineText_;
    QString code_;
    QString file_;
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

// What the user is told of the engine's faults that need telling apart.
inline const QString kMsgInUse = QStringLiteral(
    "Базата данни се използва в момента от друго копие на програмата. Опитайте отново след малко");
inline const QString kMsgNotADatabase = QStringLiteral("Файлът не е база данни");
inline const QString kMsgDamaged = QStringLiteral("Файлът на базата данни е повреден");
inline const QString kMsgDiskFull = QStringLiteral("Няма достатъчно свободно място на диска");
inline const QString kMsgCannotOpen = QStringLiteral("Базата данни не може да бъде отворена");

// The error for a failure of the engine with this result code: the message
// of its kind (in use, full, damaged, not a database), else `generic`. The
// engine's text goes along; the statement's text never does. An error in
// use, damaged or not a database names `path`, the file it is about.
DbError engineError(const QString& generic, const QString& engineText, int code, const QString& path = {});

// How long a connection waits for another one's lock before it gives up.
inline constexpr int kBusyTimeoutMs = 3000;

enum class OpenMode {
    ReadWrite,   // the file must exist
    ReadOnly,    // the file must exist
    Create       // created when missing
};

// RAII connection. Closed (and removed from Qt's registry) when destroyed.
class Connection {
public:
    Connection(const QString& path, OpenMode mode, int busyTimeoutMs = kBusyTimeoutMs);
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
    // The engine's own handle, for what Qt does not offer (the online backup).
    sqlite3* handle();
    const QString& path() const { return path_; }

private:
    QString name_;
    QString path_;
    QSqlDatabase db_;
};

// All or nothing: rolled back unless commit() was reached. A transaction
// that writes takes the write lock at its start (`Immediate`), waiting the
// busy time for another copy's write to end: a read lock cannot be raised to
// a write lock while another copy holds it, and the engine refuses that at
// once, without waiting. Only a transaction that merely reads says
// `Deferred`. Nothing slow (a dialog, a child process) runs inside an
// immediate one: every other copy's write waits for it.
class Transaction {
public:
    enum class Lock { Deferred, Immediate };
    explicit Transaction(Connection& c, Lock lock = Lock::Immediate);
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
// The collation and the SQL functions above, on a connection made without Qt.
void addProgramFunctions(sqlite3* handle);

// A quoted SQL identifier: "Name".
QString quoteName(const QString& name);

// The SQL function on every connection that reads a day-first date text
// (D.M.YYYY or DD.MM.YYYY, "." or "/") as ISO "YYYY-MM-DD", else NULL.
inline constexpr const char* kDayFirstDate = "DAYFIRSTDATE";

} // namespace tav::db

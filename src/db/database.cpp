#include "db/database.h"

#include "db/paths.h"
#include "db/schema.h"
#include "db/upgrade.h"
#include "db/values.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <memory>
#include <sqlite3.h>

namespace tav::db {

DbError::DbError(const QString& message, const QString& engineText, const QString& code)
    : std::runtime_error((message + QStringLiteral(": ") + engineText).toStdString()),
      message_(message), engineText_(engineText), code_(code)
{
}

bool DbError::isBusy() const
{
    const int primary = code_.toInt() & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

namespace {
// The kinds of fault that are about one file: which one is said.
bool namesItsFile(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return true;
    default:
        return false;
    }
}

bool samePath(const QString& a, const QString& b)
{
    return !b.isEmpty() && QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}
} // namespace

DbError engineError(const QString& generic, const QString& engineText, int code, const QString& path)
{
    QString message = generic;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        message = kMsgInUse;
        break;
    case SQLITE_FULL:
        message = kMsgDiskFull;
        break;
    case SQLITE_CORRUPT:
        message = kMsgDamaged;
        break;
    case SQLITE_NOTADB:
        message = kMsgNotADatabase;
        break;
    default:
        break;
    }
    DbError e(message, engineText, code == 0 ? QString() : QString::number(code));
    if (namesItsFile(code))
        e.aboutFile(path);
    return e;
}

DbError& DbError::aboutFile(const QString& path)
{
    file_ = path;
    return *this;
}

QString DbError::userText() const
{
    QString text = message_;
    if (!file_.isEmpty()) {
        // The practice's own file is never to be taken for another one.
        QString role;
        if (samePath(file_, DatabasePath))
            role = QStringLiteral(" (данните на практиката)");
        else if (samePath(file_, ReferenceDatabasePath))
            role = QStringLiteral(" (справочните данни)");
        text += QStringLiteral("\rФайл: ") + QDir::toNativeSeparators(file_) + role;
    }
    if (!engineText_.isEmpty())
        text += QLatin1Char('\r') + engineText_;
    return text;
}

// ---------------------------------------------------------------- Row

Row::Row(QSharedPointer<const QStringList> names, QVector<QVariant> values)
    : names_(std::move(names)), values_(std::move(values))
{
}

const QStringList& Row::names() const
{
    static const QStringList none;
    return names_ ? *names_ : none;
}

int Row::indexOf(const QString& field) const
{
    if (!names_)
        return -1;
    const QStringList& n = *names_;
    for (int i = 0; i < n.size(); ++i)
        if (n[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Row::value(const QString& field) const
{
    const int i = indexOf(field);
    return i < 0 ? QVariant() : values_[i];
}

QString Row::text(const QString& field) const
{
    return textOf(value(field));
}

int Row::toInt(const QString& field) const
{
    return value(field).toInt();
}

bool Row::yes(const QString& field) const
{
    return value(field).toLongLong() != 0;
}

void Row::set(const QString& field, const QVariant& v)
{
    const int i = indexOf(field);
    if (i >= 0) {
        values_[i] = v;
        return;
    }
    QStringList n = names();
    n << field;
    names_ = QSharedPointer<const QStringList>::create(n);
    values_ << v;
}

// ---------------------------------------------------------------- collation

namespace {

inline unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

int collate(void*, int n1, const void* p1, int n2, const void* p2)
{
    const auto* a = static_cast<const unsigned char*>(p1);
    const auto* b = static_cast<const unsigned char*>(p2);
    int i = 0;
    // ASCII prefix fast path; the rest through Unicode case folding.
    while (i < n1 && i < n2 && a[i] < 0x80 && b[i] < 0x80) {
        const unsigned char x = lowerAscii(a[i]), y = lowerAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
    }
    if (i == n1 || i == n2)
        return (n1 - i) == (n2 - i) ? 0 : (i == n1 ? -1 : 1);
    if (a[i] < 0x80)
        return -1;
    if (b[i] < 0x80)
        return 1;
    const QString s1 = QString::fromUtf8(reinterpret_cast<const char*>(a + i), n1 - i);
    const QString s2 = QString::fromUtf8(reinterpret_cast<const char*>(b + i), n2 - i);
    const int r = s1.compare(s2, Qt::CaseInsensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// A day-first date text ("5.3.2009", "05/03/2009"; blanks around it
// allowed) read as ISO "2009-03-05"; anything else, and a day the month does
// not have, is NULL. Texts that hold dates are compared and sorted by it.
void dayFirstDate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* s = sqlite3_value_text(argv[0]);
    int n = sqlite3_value_bytes(argv[0]);
    int i = 0;
    while (i < n && s[i] == ' ')
        ++i;
    while (n > i && s[n - 1] == ' ')
        --n;
    int parts[3] = {0, 0, 0};
    for (int part = 0; part < 3; ++part) {
        const int begin = i;
        while (i < n && s[i] >= '0' && s[i] <= '9' && i - begin < 4)
            parts[part] = parts[part] * 10 + (s[i++] - '0');
        const int digits = i - begin;
        if (part < 2 ? (digits < 1 || digits > 2 || i >= n || (s[i] != '.' && s[i] != '/')) : (digits != 4 || i != n)) {
            sqlite3_result_null(ctx);
            return;
        }
        if (part < 2)
            ++i;
    }
    const int day = parts[0], month = parts[1], year = parts[2];
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > days[month - 1] + (month == 2 && leap ? 1 : 0)) {
        sqlite3_result_null(ctx);
        return;
    }
    const char iso[10] = {char('0' + year / 1000), char('0' + year / 100 % 10), char('0' + year / 10 % 10),
                          char('0' + year % 10), '-', char('0' + month / 10), char('0' + month % 10), '-',
                          char('0' + day / 10), char('0' + day % 10)};
    sqlite3_result_text(ctx, iso, 10, SQLITE_TRANSIENT);
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        throw DbError(QStringLiteral("Драйверът на базата данни не е SQLite"));
    sqlite3* handle = *static_cast<sqlite3* const*>(h.constData());
    if (!handle)
        throw DbError(QStringLiteral("Базата данни не е отворена"));
    return handle;
}

// Jet compared and sorted text without regard to case, Cyrillic included;
// SQLite's NOCASE folds ASCII only. This collation is registered on every
// connection and named in each query that must compare or sort text as Jet
// did: `Names = ? COLLATE UNOCASE`, `ORDER BY Names COLLATE UNOCASE, RecID`,
// for names and other typed texts. It is never declared in the stored schema,
// so the files stay readable and checkable by the standard SQLite tools. Keys
// of digits and codes (EGN, LKod, KodMedic, PKod, ListID, dates) compare
// plainly, which keeps their indexes usable. Used today by the fund report,
// which orders a period's activities by code as Jet did; the look-ups by EGN,
// doctor and post code do without it, and the search by name compares the
// first word in code, exactly, as it must.
void registerCollation(QSqlDatabase& db)
{
    addProgramFunctions(handleOf(db));
}

QAtomicInt g_counter;

QVariant bindable(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(toIsoDate(v.toDate()));
    case QMetaType::QDateTime:
        return v.isNull() ? QVariant(QMetaType::fromType<QString>())
                          : QVariant(toIsoDate(v.toDateTime().date()));
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    default:
        return v;
    }
}

} // namespace

void addProgramFunctions(sqlite3* handle)
{
    sqlite3_create_collation(handle, kCollation, SQLITE_UTF8, nullptr, &collate);
    sqlite3_create_function_v2(handle, kDayFirstDate, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               &dayFirstDate, nullptr, nullptr, nullptr);
}

int compareNoCase(const QString& a, const QString& b)
{
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    return collate(nullptr, int(x.size()), x.constData(), int(y.size()), y.constData());
}

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// ---------------------------------------------------------------- Connection

Connection::Connection(const QString& path, OpenMode mode, int busyTimeoutMs)
    : name_(QStringLiteral("tav_%1").arg(g_counter.fetchAndAddRelaxed(1))), path_(path)
{
    if (mode != OpenMode::Create && !QFileInfo::exists(path))
        throw DbError(QStringLiteral("Липсва файлът на базата данни"), QDir::toNativeSeparators(path));
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    const char* m = mode == OpenMode::ReadOnly ? "ro" : (mode == OpenMode::Create ? "rwc" : "rw");
    db_.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)
                        + QStringLiteral("?mode=") + QLatin1String(m));
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    // The path goes into the engine's words unless the error names its file.
    const auto openError = [&path](const QString& engineText, int code) {
        return engineError(kMsgCannotOpen,
                           namesItsFile(code) ? engineText : QDir::toNativeSeparators(path) + QStringLiteral(": ") + engineText,
                           code, path);
    };
    if (!db_.open()) {
        const QSqlError e = db_.lastError();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw openError(e.text(), e.nativeErrorCode().toInt());
    }
    try {
        registerCollation(db_);
        // Touches the file: a file that is not a database fails here, not
        // later; so does one locked by another copy, which is told as such.
        scalar(QStringLiteral("PRAGMA schema_version"));
    } catch (const DbError& e) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw openError(e.engineText(), e.code().toInt());
    }
}

sqlite3* Connection::handle()
{
    return handleOf(db_);
}

Connection::Connection(Connection&& other) noexcept
    : name_(std::move(other.name_)), path_(std::move(other.path_)), db_(std::move(other.db_))
{
    other.name_.clear();
    other.db_ = QSqlDatabase();
}

Connection::~Connection()
{
    if (name_.isEmpty())
        return;
    if (db_.isOpen()) {
        if (db_.driver()->hasFeature(QSqlDriver::Transactions))
            db_.rollback();   // no-op unless a transaction was left open
        db_.close();
    }
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

namespace {
void checkOwnFile(Connection& c, DatabaseKind kind)
{
    const qint64 id = c.scalar(QStringLiteral("PRAGMA application_id")).toLongLong();
    if (id != applicationId(kind))
        throw DbError(QStringLiteral("Файлът не е база данни на програмата"),
                      QDir::toNativeSeparators(c.path()));
}
}

namespace {
// A file of an older version is upgraded first (a restored backup, say);
// a newer one is refused untouched.
Connection openProgramFile(const QString& path, OpenMode mode, DatabaseKind kind)
{
    {
        Connection c(path, mode);
        checkOwnFile(c, kind);
        const int version = c.scalar(QStringLiteral("PRAGMA user_version")).toInt();
        if (version == currentVersion(kind))
            return c;
        if (version > currentVersion(kind))
            throw newerVersionError(path, version, kind);
    }
    upgradeDatabase(path, kind);
    Connection c(path, mode);
    checkOwnFile(c, kind);
    return c;
}
}

Connection Connection::main()
{
    return openProgramFile(DatabasePath, OpenMode::ReadWrite, DatabaseKind::Main);
}

Connection Connection::reference()
{
    return openProgramFile(ReferenceDatabasePath, OpenMode::ReadOnly, DatabaseKind::Reference);
}

Connection Connection::temp()
{
    return Connection(TempDatabasePath, OpenMode::ReadWrite);
}

namespace {
QSqlQuery run(QSqlDatabase& db, const QString& path, const QString& sql, const QVariantList& params)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        const QSqlError e = q.lastError();
        throw engineError(QStringLiteral("Грешка в заявка към базата данни"),
                          e.databaseText().isEmpty() ? e.text() : e.databaseText(), e.nativeErrorCode().toInt(), path);
    }
    for (const QVariant& p : params)
        q.addBindValue(bindable(p));
    if (!q.exec()) {
        const QSqlError e = q.lastError();
        throw engineError(QStringLiteral("Грешка при работа с базата данни"),
                          e.databaseText().isEmpty() ? e.text() : e.databaseText(), e.nativeErrorCode().toInt(), path);
    }
    return q;
}
}

Rows Connection::query(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = run(db_, path_, sql, params);
    Rows rows;
    const QSqlRecord rec = q.record();
    QStringList names;
    names.reserve(rec.count());
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    auto shared = QSharedPointer<const QStringList>::create(names);
    const int n = rec.count();
    while (q.next()) {
        QVector<QVariant> v(n);
        for (int i = 0; i < n; ++i)
            v[i] = q.value(i);
        rows.push_back(Row(shared, std::move(v)));
    }
    if (q.lastError().isValid())
        throw engineError(QStringLiteral("Грешка при четене от базата данни"), q.lastError().text(),
                          q.lastError().nativeErrorCode().toInt(), path_);
    return rows;
}

Row Connection::first(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = run(db_, path_, sql, params);
    if (!q.next())
        return Row();
    const QSqlRecord rec = q.record();
    QStringList names;
    QVector<QVariant> v(rec.count());
    for (int i = 0; i < rec.count(); ++i) {
        names << rec.fieldName(i);
        v[i] = q.value(i);
    }
    return Row(QSharedPointer<const QStringList>::create(names), std::move(v));
}

QVariant Connection::scalar(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = run(db_, path_, sql, params);
    return q.next() ? q.value(0) : QVariant();
}

int Connection::exec(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = run(db_, path_, sql, params);
    return q.numRowsAffected();
}

namespace {
QString insertText(const QString& table, const QStringList& fields)
{
    QStringList names, marks;
    for (const QString& f : fields) {
        names << quoteName(f);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoteName(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}
}

qint64 Connection::insert(const QString& table, const QStringList& fields, const QVariantList& values)
{
    QSqlQuery q = run(db_, path_, insertText(table, fields), values);
    return q.lastInsertId().toLongLong();
}

// Straight through the engine's own interface: the delivered post codes are
// thousands of rows, and Qt's binding costs several times the insert itself.
void Connection::insertMany(const QString& table, const QStringList& fields, const QVector<QVariantList>& rows)
{
    sqlite3* h = handleOf(db_);
    const QByteArray sql = insertText(table, fields).toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw engineError(QStringLiteral("Грешка в заявка към базата данни"), QString::fromUtf8(sqlite3_errmsg(h)),
                          sqlite3_extended_errcode(h), path_);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> st(raw, &sqlite3_finalize);
    for (const QVariantList& values : rows) {
        for (int i = 0; i < values.size(); ++i) {
            const QVariant v = bindable(values[i]);
            int rc;
            if (v.isNull())
                rc = sqlite3_bind_null(raw, i + 1);
            else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong
                     || v.typeId() == QMetaType::UInt)
                rc = sqlite3_bind_int64(raw, i + 1, v.toLongLong());
            else if (v.typeId() == QMetaType::Double)
                rc = sqlite3_bind_double(raw, i + 1, v.toDouble());
            else {
                const QByteArray text = v.toString().toUtf8();
                rc = sqlite3_bind_text(raw, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
            if (rc != SQLITE_OK)
                throw engineError(QStringLiteral("Грешка при работа с базата данни"), QString::fromUtf8(sqlite3_errmsg(h)), rc, path_);
        }
        const int rc = sqlite3_step(raw);
        if (rc != SQLITE_DONE)
            throw engineError(QStringLiteral("Грешка при работа с базата данни"), QString::fromUtf8(sqlite3_errmsg(h)),
                              sqlite3_extended_errcode(h));
        sqlite3_reset(raw);
        sqlite3_clear_bindings(raw);
    }
}

void Connection::execScript(const QString& script)
{
    QString cleaned;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QStringLiteral("--")))
            continue;
        cleaned += line + QLatin1Char('\n');
    }
    for (const QString& stmt : cleaned.split(QStringLiteral(";\n"))) {
        if (stmt.trimmed().isEmpty())
            continue;
        exec(stmt);
    }
}

void Connection::begin()
{
    if (!db_.transaction())
        throw engineError(QStringLiteral("Транзакцията не може да започне"), db_.lastError().text(),
                          db_.lastError().nativeErrorCode().toInt(), path_);
}

void Connection::commit()
{
    if (!db_.commit())
        throw engineError(QStringLiteral("Промените не бяха записани"), db_.lastError().text(),
                          db_.lastError().nativeErrorCode().toInt(), path_);
}

void Connection::rollback()
{
    db_.rollback();
}

Transaction::Transaction(Connection& c, Lock lock) : c_(c)
{
    if (lock == Lock::Immediate)
        c_.exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        c_.begin();
}

Transaction::~Transaction()
{
    if (!done_)
        c_.rollback();
}

void Transaction::commit()
{
    c_.commit();
    done_ = true;
}

} // namespace tav::db

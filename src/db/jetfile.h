#pragma once
// Jet (.mdb) files of other programs, read only, through libmdb. A table is
// read once, wholly, into memory: libmdb has no keyed search, so callers
// look rows up in what was read.

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

namespace tav::db {

// True when the file begins as a Jet database does ("Standard Jet DB").
bool isJetFile(const QString& path);

struct JetTable {
    QString name;                 // as the file spells it
    QStringList fields;           // as the file spells them, in the order asked
    QVector<QStringList> rows;    // in table order; Null reads as a null QString
};

// The kinds of column a Jet file declares.
enum class JetType { Boolean, Number, Currency, DateTime, Binary, Text, Ole, Memo, Guid, Other };

struct JetColumn {
    QString name;   // as the file spells it
    JetType type;
    // What of its definition disagrees with the table's own layout (its kind
    // and size, its place in the row, its numbers), in a line naming the
    // field and the table; "" when nothing does.
    QString fault;
};

// The kind as a user reads it: "текст", "дата и час", "GUID", ...
QString jetTypeName(JetType type);

class JetFile {
public:
    // Opens the file for reading. Throws DbError when it is no Jet file,
    // or one cut short inside a page.
    explicit JetFile(const QString& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    // The code page of the header, which decodes the text of a Jet 3 file.
    int codePage() const;
    // Jet 4 and later keep text as UCS-2, whatever the code page says.
    bool unicodeText() const;

    // The user tables, in catalogue order.
    QStringList tableNames() const;
    // The table's name as stored, matched without regard to case; empty
    // when there is none.
    QString findTable(const QString& name) const;
    // The fields of a table, in their order. Throws DbError when the
    // table is missing.
    QStringList fieldNames(const QString& table) const;
    // The columns of a table with their kinds and the faults of their
    // definitions, in their order. Throws DbError when the table is missing.
    QVector<JetColumn> columns(const QString& table) const;
    // The rows of a table with the fields asked (names matched without
    // regard to case). Dates read as YYYY-MM-DD, numbers as digits, a Null
    // as a null QString, an empty text as an empty one. Throws DbError when
    // the table or a field is missing.
    JetTable read(const QString& table, const QStringList& fields) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tav::db

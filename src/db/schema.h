#pragma once
// The program's own database files: created with their tables and delivered
// content when missing, and recognised by their application id.

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

namespace tav::db {

enum class DatabaseKind { Main, Reference };

qint32 applicationId(DatabaseKind kind);

// Creates tavlinora.mdb and data.mdb in the program folder when missing and
// upgrades existing ones of an older version (upgrade.h). A file is built
// under a temporary name of its own and moved into place only when no file
// of that name has appeared meanwhile (another copy of the program starting
// on the same folder), so a failed run leaves no half-made database behind
// and two starts end on one database. An entry of the name that cannot be
// opened (a link to a file that is gone, a folder) is an error with its
// reason, never replaced. Throws DbError.
void ensureDatabases();
void createDatabase(const QString& path, DatabaseKind kind);
// True when a database of the program folder is of an older version, so
// that ensureDatabases() will upgrade it.
bool upgradeNeeded();

// A delivered table kept as CSV in the resources: a header row of field
// names, then one row per line; values are not quoted, an empty one is NULL.
struct DeliveredRows {
    QStringList fields;
    QVector<QVariantList> rows;
};
DeliveredRows readDeliveredRows(const QString& resource);

// The post codes of the whole country (PostCode of data.mdb), in their order.
DeliveredRows deliveredPostCodes();

// True when the file is an SQLite database of the given kind of this program
// (checked on the file header, without opening it).
bool isProgramDatabase(const QString& path, DatabaseKind kind);

} // namespace tav::db

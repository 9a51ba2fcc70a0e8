// glib first: mdbtools.h includes it inside extern "C", where its C++ parts
// do not compile; included here beforehand, that inner include is empty.
#include <glib.h>
#include <mdbtools.h>

#include "db/jetfile.h"

#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace tav::db {

namespace {

QString fromMdb(const char* s)
{
    return QString::fromUtf8(s);
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

struct TableDef {
    MdbTableDef* def = nullptr;
    explicit TableDef(MdbCatalogEntry* entry) : def(mdb_read_table(entry)) {}
    ~TableDef()
    {
        if (def)
            mdb_free_tabledef(def);
    }
    TableDef(const TableDef&) = delete;
    TableDef& operator=(const TableDef&) = delete;
};

} // namespace

bool isJetFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(20);
    return head.size() == 20 && head.mid(4, 15) == QByteArrayLiteral("Standard Jet DB");
}

struct JetFile::Impl {
    QString path;
    MdbHandle* mdb = nullptr;
    std::vector<MdbCatalogEntry*> tables;

    MdbCatalogEntry* entry(const QString& name) const
    {
        for (MdbCatalogEntry* e : tables)
            if (fromMdb(e->object_name).compare(name, Qt::CaseInsensitive) == 0)
                return e;
        return nullptr;
    }

    MdbCatalogEntry* need(const QString& name) const
    {
        MdbCatalogEntry* e = entry(name);
        if (!e)
            throw DbError(QStringLiteral("Във файла няма таблица %1").arg(name), shown(path));
        return e;
    }
};

JetFile::JetFile(const QString& path) : d(new Impl)
{
    d->path = path;
    if (!QFileInfo::exists(path))
        throw DbError(QStringLiteral("Липсва файлът на базата данни"), shown(path));
    if (!isJetFile(path))
        throw DbError(QStringLiteral("Файлът не е база данни на Jet"), shown(path));
    const QByteArray local = QFile::encodeName(path);
    d->mdb = mdb_open(local.constData(), MDB_NOFLAGS);
    if (!d->mdb)
        throw DbError(QStringLiteral("Базата данни не може да бъде отворена"), shown(path));
    mdb_set_date_fmt(d->mdb, "%Y-%m-%d");
    mdb_set_shortdate_fmt(d->mdb, "%Y-%m-%d");
    if (!mdb_read_catalog(d->mdb, MDB_TABLE)) {
        mdb_close(d->mdb);
        d->mdb = nullptr;
        throw DbError(QStringLiteral("Списъкът на таблиците не може да бъде прочетен"), shown(path));
    }
    for (unsigned i = 0; i < d->mdb->num_catalog; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(d->mdb->catalog, i));
        if (mdb_is_user_table(e))
            d->tables.push_back(e);
    }
}

JetFile::~JetFile()
{
    if (d->mdb)
        mdb_close(d->mdb);
}

QStringList JetFile::tableNames() const
{
    QStringList names;
    for (MdbCatalogEntry* e : d->tables)
        names << fromMdb(e->object_name);
    return names;
}

QString JetFile::findTable(const QString& name) const
{
    MdbCatalogEntry* e = d->entry(name);
    return e ? fromMdb(e->object_name) : QString();
}

QStringList JetFile::fieldNames(const QString& table) const
{
    TableDef t(d->need(table));
    if (!t.def || !mdb_read_columns(t.def))
        throw DbError(QStringLiteral("Таблицата %1 не може да бъде прочетена").arg(table), shown(d->path));
    QStringList names;
    for (unsigned i = 0; i < t.def->num_cols; ++i)
        names << fromMdb(static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, i))->name);
    return names;
}

JetTable JetFile::read(const QString& table, const QStringList& fields) const
{
    MdbCatalogEntry* e = d->need(table);
    TableDef t(e);
    if (!t.def || !mdb_read_columns(t.def))
        throw DbError(QStringLiteral("Таблицата %1 не може да бъде прочетена").arg(table), shown(d->path));
    JetTable out;
    out.name = fromMdb(e->object_name);

    const size_t size = d->mdb->bind_size;
    std::vector<std::vector<char>> buffers(fields.size(), std::vector<char>(size + 1, '\0'));
    std::vector<int> lengths(fields.size(), 0);
    for (int f = 0; f < fields.size(); ++f) {
        int found = -1;
        for (unsigned i = 0; i < t.def->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, i));
            if (fromMdb(col->name).compare(fields[f], Qt::CaseInsensitive) == 0) {
                found = int(i);
                out.fields << fromMdb(col->name);
                break;
            }
        }
        if (found < 0)
            throw DbError(QStringLiteral("В таблица %1 няма поле %2").arg(out.name, fields[f]), shown(d->path));
        // Columns are numbered from 1 here.
        mdb_bind_column(t.def, found + 1, buffers[f].data(), &lengths[f]);
    }

    mdb_rewind_table(t.def);
    while (mdb_fetch_row(t.def)) {
        QStringList row;
        row.reserve(fields.size());
        for (size_t f = 0; f < buffers.size(); ++f) {
            const int n = std::min<int>(lengths[f], int(size));
            row << QString::fromUtf8(buffers[f].data(), n > 0 ? n : 0);
        }
        out.rows.push_back(std::move(row));
    }
    // libmdb passes over pages it cannot read: a file cut short would give
    // fewer rows than the table says it holds, without a word.
    if (qsizetype(t.def->num_rows) > out.rows.size())
        throw DbError(QStringLiteral("Таблицата %1 е непълна: прочетени са %2 от %3 реда. Файлът е повреден или непълен")
                          .arg(out.name)
                          .arg(out.rows.size())
                          .arg(t.def->num_rows),
                      shown(d->path));
    return out;
}

} // namespace tav::db

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

// libmdb keeps the deleted and lookup flags in the top bits of a row's offset.
constexpr int kRowOffsetMask = 0x1fff;

JetType typeOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL: return JetType::Boolean;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: return JetType::Number;
    case MDB_MONEY: return JetType::Currency;
    case MDB_DATETIME: return JetType::DateTime;
    case MDB_BINARY: return JetType::Binary;
    case MDB_TEXT: return JetType::Text;
    case MDB_OLE: return JetType::Ole;
    case MDB_MEMO: return JetType::Memo;
    case MDB_REPID: return JetType::Guid;
    default: return JetType::Other;
    }
}

// The bytes a column of a fixed kind takes in the row: a Yes/No none (its
// value is its bit in the null mask); -1 for the kinds of variable length,
// -2 for a kind not known here.
int fixedSizeOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL: return 0;
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT:
    case MDB_FLOAT: return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME: return 8;
    case MDB_REPID: return 16;
    case MDB_NUMERIC: return 17;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_OLE: return -1;
    default: return -2;
    }
}

// Each column's definition against the table's own layout, as libmdb read
// it: libmdb reads a value where the definition says, so a damaged byte of
// it reads another column's value, another place of the row or another bit
// of the null mask. The fund's tables are written whole, without deleted
// columns: the fixed columns lie one after another, each fixed kind in its
// own size, and the numbers count the columns from 0.
QStringList layoutFaults(const MdbTableDef* t, bool jet3)
{
    const unsigned n = t->num_cols;
    const auto column = [t](unsigned i) { return static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i)); };
    const auto size = [](const MdbColumn* c) { return fixedSizeOf(c->col_type) >= 0 ? fixedSizeOf(c->col_type) : c->col_size; };
    int fixedPart = 0;
    for (unsigned i = 0; i < n; ++i)
        if (column(i)->is_fixed)
            fixedPart += size(column(i));
    const int maxText = jet3 ? 255 : 510;   // Jet 4 counts UCS-2 bytes

    QStringList faults;
    for (unsigned i = 0; i < n; ++i) {
        const MdbColumn* c = column(i);
        const int own = fixedSizeOf(c->col_type);
        const QString kind = jetTypeName(typeOf(c->col_type));
        QString fault;
        if (own >= 0 && !c->is_fixed)
            fault = QStringLiteral("поле от вида „%1“ е отбелязано като поле с променлива дължина").arg(kind);
        else if (own == -1 && c->is_fixed)
            fault = QStringLiteral("поле от вида „%1“ е отбелязано като поле с постоянна дължина").arg(kind);
        else if (own > 0 && c->col_size != own)
            fault = QStringLiteral("размер %1 байта, а полето от вида „%2“ заема %3").arg(c->col_size).arg(kind).arg(own);
        else if (c->col_type == MDB_TEXT && (c->col_size < 1 || c->col_size > maxText))
            fault = QStringLiteral("размер %1 байта, а текстът е от 1 до %2 байта").arg(c->col_size).arg(maxText);
        else if ((c->col_type == MDB_MEMO || c->col_type == MDB_OLE) && c->col_size != 0)
            fault = QStringLiteral("размер %1 байта, а полето от вида „%2“ е без размер").arg(c->col_size).arg(kind);
        if (fault.isEmpty() && c->is_fixed && size(c) > 0) {
            const int from = c->fixed_offset, to = c->fixed_offset + size(c);
            if (from < 0 || to > fixedPart)
                fault = QStringLiteral("мястото му в реда (байтове %1–%2) е извън постоянната част от %3 байта")
                            .arg(from).arg(to - 1).arg(fixedPart);
            for (unsigned j = 0; fault.isEmpty() && j < n; ++j) {
                const MdbColumn* o = column(j);
                if (j != i && o->is_fixed && size(o) > 0 && o->fixed_offset < to && from < o->fixed_offset + size(o))
                    fault = QStringLiteral("мястото му в реда (байтове %1–%2) застъпва полето %3")
                                .arg(from).arg(to - 1).arg(fromMdb(o->name));
            }
        }
        if (fault.isEmpty() && !c->is_fixed) {
            if (c->var_col_num >= t->num_var_cols)
                fault = QStringLiteral("номерът му сред полетата с променлива дължина е %1, а те са %2")
                            .arg(c->var_col_num).arg(t->num_var_cols);
            for (unsigned j = 0; fault.isEmpty() && j < n; ++j)
                if (j != i && !column(j)->is_fixed && column(j)->var_col_num == c->var_col_num)
                    fault = QStringLiteral("номерът му сред полетата с променлива дължина е и на полето %1")
                                .arg(fromMdb(column(j)->name));
        }
        // The number of its bit in the null mask.
        if (fault.isEmpty() && (c->col_num < 0 || unsigned(c->col_num) >= n))
            fault = QStringLiteral("номерът му %1 е извън полетата на таблицата (%2)").arg(c->col_num).arg(n);
        for (unsigned j = 0; fault.isEmpty() && j < n; ++j)
            if (j != i && column(j)->col_num == c->col_num)
                fault = QStringLiteral("номерът му %1 е и на полето %2").arg(c->col_num).arg(fromMdb(column(j)->name));
        faults << (fault.isEmpty() ? QString()
                                   : QStringLiteral("Описанието на полето %1 в таблица %2 е повредено: %3")
                                         .arg(fromMdb(c->name), fromMdb(t->name), fault));
    }
    return faults;
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

QString jetTypeName(JetType type)
{
    switch (type) {
    case JetType::Boolean: return QStringLiteral("да/не");
    case JetType::Number: return QStringLiteral("число");
    case JetType::Currency: return QStringLiteral("валута");
    case JetType::DateTime: return QStringLiteral("дата и час");
    case JetType::Binary: return QStringLiteral("двоични данни");
    case JetType::Text: return QStringLiteral("текст");
    case JetType::Ole: return QStringLiteral("OLE обект");
    case JetType::Memo: return QStringLiteral("мемо");
    case JetType::Guid: return QStringLiteral("GUID");
    case JetType::Other: break;
    }
    return QStringLiteral("непознат вид");
}

namespace {

// The first bytes of the file, up to and with its version byte; empty when
// it is no plain file (a FIFO would block the open for good) or unreadable.
QByteArray jetHead(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(0x15);
}

} // namespace

bool isJetFile(const QString& path)
{
    const QByteArray head = jetHead(path);
    return head.size() == 0x15 && head.mid(4, 15) == QByteArrayLiteral("Standard Jet DB");
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
    // A file cut inside its last page reads that page's rows as Nulls, and
    // the row count still agrees. The engine's own files end one byte past
    // their last page at most.
    const qint64 pageSize = jetHead(path).at(0x14) == 0 ? 2048 : 4096;
    const qint64 size = QFileInfo(path).size();
    if (size % pageSize > 1)
        throw DbError(QStringLiteral("Файлът е непълен: %1 байта не са цял брой страници по %2 байта").arg(size).arg(pageSize),
                      shown(path));
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

int JetFile::codePage() const
{
    return d->mdb->f->code_page;
}

bool JetFile::unicodeText() const
{
    return !IS_JET3(d->mdb);
}

QVector<JetColumn> JetFile::columns(const QString& table) const
{
    TableDef t(d->need(table));
    if (!t.def || !mdb_read_columns(t.def))
        throw DbError(QStringLiteral("Таблицата %1 не може да бъде прочетена").arg(table), shown(d->path));
    const QStringList faults = layoutFaults(t.def, IS_JET3(d->mdb));
    QVector<JetColumn> out;
    for (unsigned i = 0; i < t.def->num_cols; ++i) {
        const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, i));
        out.push_back({fromMdb(col->name), typeOf(col->col_type), faults[int(i)]});
    }
    return out;
}

QStringList JetFile::fieldNames(const QString& table) const
{
    QStringList names;
    for (const JetColumn& c : columns(table))
        names << c.name;
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
    std::vector<int> columnOf(fields.size(), 0);
    std::vector<bool> isBoolean(fields.size(), false);
    for (int f = 0; f < fields.size(); ++f) {
        int found = -1;
        for (unsigned i = 0; i < t.def->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, i));
            if (fromMdb(col->name).compare(fields[f], Qt::CaseInsensitive) == 0) {
                found = int(i);
                out.fields << fromMdb(col->name);
                // A Yes/No keeps its value in the null mask: never Null.
                isBoolean[f] = col->col_type == MDB_BOOL;
                break;
            }
        }
        if (found < 0)
            throw DbError(QStringLiteral("В таблица %1 няма поле %2").arg(out.name, fields[f]), shown(d->path));
        columnOf[f] = found;
        // Columns are numbered from 1 here.
        mdb_bind_column(t.def, found + 1, buffers[f].data(), &lengths[f]);
    }

    // A bound value reads as "" both for a Null and for an empty text: the
    // null mask of the row just fetched tells them apart.
    std::vector<MdbField> cracked(t.def->num_cols + 1);
    std::vector<bool> isNull(t.def->num_cols, false);
    mdb_rewind_table(t.def);
    while (mdb_fetch_row(t.def)) {
        std::fill(isNull.begin(), isNull.end(), false);
        int start = 0;
        size_t length = 0;
        if (t.def->cur_row > 0 && mdb_find_row(d->mdb, int(t.def->cur_row) - 1, &start, &length) == 0) {
            const int n = mdb_crack_row(t.def, start & kRowOffsetMask, length, cracked.data());
            for (int i = 0; i < n && i < int(t.def->num_cols); ++i)
                if (cracked[i].colnum >= 0 && cracked[i].colnum < int(t.def->num_cols))
                    isNull[cracked[i].colnum] = cracked[i].is_null;
        }
        QStringList row;
        row.reserve(fields.size());
        for (size_t f = 0; f < buffers.size(); ++f) {
            if (isNull[columnOf[f]] && !isBoolean[f]) {
                row << QString();
                continue;
            }
            const int n = std::min<int>(lengths[f], int(size));
            row << (n > 0 ? QString::fromUtf8(buffers[f].data(), n) : QStringLiteral(""));
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

#include "patients/zokcimport.h"

#include "db/database.h"
#include "db/jetfile.h"
#include "db/paths.h"
#include "db/statement.h"
#include "db/values.h"
#include "db/wholecheck.h"
#include "patients/prompts.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <algorithm>
#include <memory>
#include <optional>
#include <variant>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tav::patients {

const QStringList& zokcPatientsFields()
{
    static const QStringList f{"IDNUMBER", "NAME1", "NAME2", "NAME3", "POL", "BIRTHDATE", "DATEREG", "HIMNUMBER", "RECBOOK"};
    return f;
}

const QStringList& zokcAddressFields()
{
    static const QStringList f{"IDNUMBER", "POSTCODE", "STREET1", "STREET2", "NOMSTRT", "NOMBLOK",
                               "VHOD", "ETAG", "APART", "TOWNVILLAG", "TELEFON", "FAX"};
    return f;
}

const QStringList& zokcEknmFields()
{
    static const QStringList f{"TOWNVILLAG", "DISTRICTCO", "HRCODE", "KIND", "TOWNVILLA2", "MUNICIPALI"};
    return f;
}

const QStringList& zokcCodeFields()
{
    static const QStringList f{"CODE", "NAME"};
    return f;
}

const QStringList& zokcDistrictFields()
{
    static const QStringList f{"TYPE", "NAME"};
    return f;
}

namespace {

// Positions of the values in the rows read.
enum PatientsField { P_ID, P_NAME1, P_NAME2, P_NAME3, P_POL, P_BIRTH, P_REG, P_HIM, P_REC };
enum AddressField { A_ID, A_POST, A_STREET1, A_STREET2, A_NOMSTRT, A_NOMBLOK, A_VHOD, A_ETAG, A_APART, A_TOWN, A_TEL, A_FAX };
enum EknmField { E_TOWN, E_DISTRICT, E_HR, E_KIND, E_NAME, E_MUNI };

// Under the sanitizers the reader cannot start with its address space bounded.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

const QString kFileShownAs = QStringLiteral("temp.mdb");
// Windows-1251, in which the fund writes its Jet 3 files.
constexpr int kFundCodePage = 1251;

QString folderOf(const QString& path)
{
    return QDir::toNativeSeparators(path.isEmpty() ? ProgramFolder : QFileInfo(path).absolutePath());
}

db::DbError damaged(const QString& path, const QString& detail = {})
{
    const QString placement = zokcPlacement(folderOf(path));
    return db::DbError(kMsgZokcDamaged, detail.isEmpty() ? placement : detail + QLatin1Char('\r') + placement);
}

// The two kinds of file the export arrives in, behind one face.
class Source {
public:
    virtual ~Source() = default;
    // The stored name, matched without regard to case; empty when absent.
    virtual QString findTable(const QString& name) = 0;
    virtual QStringList fieldNames(const QString& table) = 0;
    // What of the whole file keeps its values from being read as stored.
    virtual QStringList fileFaults() { return {}; }
    // Fields read whose definition cannot hold or reach their values, one
    // line each.
    virtual QStringList fieldFaults(const QString& /*table*/, const QStringList& /*storedFields*/) { return {}; }
    virtual ExportTable read(const QString& table, const QStringList& fields) = 0;
};

// Errors of the engine name the export, so that they are not taken for
// the practice's own database.
class SqliteSource : public Source {
public:
    explicit SqliteSource(const QString& path) : path_(path)
    {
        qint64 pageSize = 0;
        guarded([&] {
            c_ = std::make_unique<db::Connection>(path, db::OpenMode::ReadOnly);
            pageSize = c_->scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        });
        // A copy cut inside its last page reads that page's cut values as
        // zeros, and the engine reads such a page without a word.
        const qint64 size = QFileInfo(path).size();
        if (pageSize <= 0 || size % pageSize != 0)
            throw damaged(path_, QStringLiteral("Файлът е непълен: %1 байта не са цял брой страници по %2 байта")
                                     .arg(size)
                                     .arg(pageSize));
        // Every page and record, as an archive is checked before a restore.
        if (const QString problem = db::wholeFileProblem(path); !problem.isEmpty())
            throw damaged(path_, problem);
        guarded([&] {
            for (const db::Row& r : c_->query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
                tables_ << r.text(QStringLiteral("name"));
        });
    }
    QString findTable(const QString& name) override
    {
        for (const QString& t : tables_)
            if (t.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        return {};
    }
    QStringList fieldNames(const QString& table) override
    {
        QStringList names;
        guarded([&] {
            for (const db::Row& r : c_->query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}))
                names << r.text(QStringLiteral("name"));
        });
        return names;
    }
    ExportTable read(const QString& table, const QStringList& fields) override
    {
        QStringList quoted;
        for (const QString& f : fields)
            quoted << db::quoteName(f);
        ExportTable out;
        out.name = table;
        db::Rows rows;
        guarded([&] {
            rows = c_->query(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                 .arg(quoted.join(QLatin1Char(',')), db::quoteName(table)));
        });
        out.rows.reserve(rows.size());
        for (const db::Row& r : rows) {
            QStringList values;
            values.reserve(fields.size());
            for (int i = 0; i < fields.size(); ++i)
                values << textOf(r.value(i));
            out.rows.push_back(std::move(values));
        }
        return out;
    }

private:
    template <class F>
    void guarded(F&& work)
    {
        try {
            work();
        } catch (const db::DbError& e) {
            if (e.message() == db::kMsgDamaged || e.message() == db::kMsgNotADatabase)
                throw damaged(path_, e.engineText());
            throw db::DbError(QStringLiteral("Файлът %1 в папката %2 не може да бъде прочетен").arg(kFileShownAs, folderOf(path_)),
                              e.userText());
        }
    }

    QString path_;
    std::unique_ptr<db::Connection> c_;
    QStringList tables_;
};

// Whatever libmdb says of the file, the file is damaged: the checks of the
// export's own layout are made above it.
class JetSource : public Source {
public:
    explicit JetSource(const QString& path) : path_(path)
    {
        try {
            jet_ = std::make_unique<db::JetFile>(path);
        } catch (const db::DbError& e) {
            throw damaged(path_, e.message());
        }
    }
    QString findTable(const QString& name) override { return jet_->findTable(name); }
    QStringList fieldNames(const QString& table) override
    {
        try {
            QStringList names;
            for (const db::JetColumn& c : columnsOf(table))
                names << c.name;
            return names;
        } catch (const db::DbError& e) {
            throw damaged(path_, e.message());
        }
    }
    // A Jet 3 file's text is decoded by the code page of its header: the
    // fund's is Cyrillic, any other reads "Иван" as "Èâàí".
    QStringList fileFaults() override
    {
        if (jet_->unicodeText() || jet_->codePage() == kFundCodePage)
            return {};
        return {QStringLiteral("Файлът е в кодова таблица %1 вместо %2 (кирилица)").arg(jet_->codePage()).arg(kFundCodePage)};
    }
    // A damaged column definition reads a GUID, a number or a date's bits
    // as the EGN or the names, another column's value, another place of the
    // row or another column's Null. Every field read is of a kind the fund
    // writes (text, the dates and POL a number; each also as text, a text
    // also as a memo), and its definition agrees with its table's.
    QStringList fieldFaults(const QString& table, const QStringList& storedFields) override
    {
        const bool patients = table.compare(QLatin1String("patients"), Qt::CaseInsensitive) == 0;
        QStringList faults;
        for (const db::JetColumn& c : columnsOf(table)) {
            if (!storedFields.contains(c.name))
                continue;
            const auto is = [&c](const char* field) { return c.name.compare(QLatin1String(field), Qt::CaseInsensitive) == 0; };
            const bool date = patients && (is("BIRTHDATE") || is("DATEREG"));
            const bool number = patients && is("POL");
            const bool fits = date ? c.type == db::JetType::DateTime || c.type == db::JetType::Text
                : number           ? c.type == db::JetType::Number || c.type == db::JetType::Text
                                   : c.type == db::JetType::Text || c.type == db::JetType::Memo;
            if (!fits)
                faults << QStringLiteral("Полето %1 в таблица %2 е от вида „%3“ вместо %4")
                              .arg(c.name, table, db::jetTypeName(c.type),
                                   date     ? QStringLiteral("дата или текст")
                                   : number ? QStringLiteral("число или текст")
                                            : QStringLiteral("текст"));
            else if (!c.fault.isEmpty())
                faults << c.fault;
        }
        return faults;
    }
    ExportTable read(const QString& table, const QStringList& fields) override
    {
        db::JetTable t;
        try {
            t = jet_->read(table, fields);
        } catch (const db::DbError& e) {
            throw damaged(path_, e.message());
        }
        // libmdb reads the rows of a page it cannot reach as all Null.
        for (int i = 0; i < t.rows.size(); ++i)
            if (std::all_of(t.rows[i].cbegin(), t.rows[i].cend(), [](const QString& v) { return v.isEmpty(); }))
                throw damaged(path_, QStringLiteral("Ред %1 на таблица %2 е празен").arg(i + 1).arg(t.name));
        return ExportTable{t.name, std::move(t.rows)};
    }

private:
    const QVector<db::JetColumn>& columnsOf(const QString& table)
    {
        auto it = columns_.find(table);
        if (it == columns_.end())
            it = columns_.insert(table, jet_->columns(table));
        return *it;
    }

    QString path_;
    std::unique_ptr<db::JetFile> jet_;
    QHash<QString, QVector<db::JetColumn>> columns_;
};

QString findField(const QStringList& names, const QString& field)
{
    for (const QString& n : names)
        if (n.compare(field, Qt::CaseInsensitive) == 0)
            return n;
    return {};
}

bool isBlank(const QString& s)
{
    return trimBlanks(s).isEmpty();
}

// A date of the export: YYYY-MM-DD, with or without a time after it.
std::optional<QDate> exportDate(const QString& text)
{
    const QString t = trimBlanks(text);
    if (t.size() < 10)
        return std::nullopt;
    if (t.size() > 10 && t[10] != QLatin1Char(' ') && t[10] != QLatin1Char('T'))
        return std::nullopt;
    const QDate d = QDate::fromString(t.left(10), Qt::ISODate);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

// Keys are compared as the fund's database compared them: without regard to
// case. The first row of a key wins.
QHash<QString, int> firstRowByKey(const ExportTable& t, int keyField)
{
    QHash<QString, int> index;
    index.reserve(t.rows.size());
    for (int i = 0; i < t.rows.size(); ++i) {
        const QString key = t.rows[i].value(keyField).toCaseFolded();
        if (!index.contains(key))
            index.insert(key, i);
    }
    return index;
}

const QStringList* lookup(const ExportTable& t, const QHash<QString, int>& index, const QString& key)
{
    if (key.isEmpty())
        return nullptr;
    const auto it = index.constFind(key.toCaseFolded());
    return it == index.constEnd() ? nullptr : &t.rows[*it];
}

// A value used only when it is not blank, as it stands.
QString optional(const QStringList& row, int field)
{
    const QString v = row.value(field);
    return isBlank(v) ? QString() : v;
}

QString buildAddress(const QStringList& a)
{
    QString adres = a.value(A_STREET1);
    if (!isBlank(a.value(A_STREET2)))
        adres = a.value(A_STREET2) + QLatin1Char(' ') + adres;
    const struct {
        int field;
        const char* lead;
    } parts[] = {{A_NOMSTRT, " №"}, {A_NOMBLOK, " бл."}, {A_VHOD, ", вх."}, {A_ETAG, ", ет."}, {A_APART, " ,ап."}};
    for (const auto& p : parts)
        if (!isBlank(a.value(p.field)))
            adres += QString::fromUtf8(p.lead) + trimBlanks(a.value(p.field));
    return adres;
}

QString sexOf(const QString& pol)
{
    bool ok = false;
    const double v = trimBlanks(pol).toDouble(&ok);
    return ok && v == 0 ? QStringLiteral("М") : QStringLiteral("Ж");
}

QSet<QString> egnsOf(db::Connection& c, const QString& sql)
{
    QSet<QString> set;
    for (const db::Row& r : c.query(sql))
        set.insert(r.text(QStringLiteral("EGN")));
    return set;
}

} // namespace

QString findZokcExportFile(const QString& folder)
{
    const QDir dir(folder);
    if (dir.exists(kTempFileName))
        return dir.filePath(kTempFileName);
    for (const QString& name : dir.entryList(QDir::Files))
        if (name.compare(kTempFileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return {};
}

namespace {

// The five tables through either kind of file: everything is checked before
// anything is read, so that one message names all that is missing.
ZokcExport readFrom(Source& source, const QString& path)
{
    ZokcExport data;
    data.path = path;
    struct Wanted {
        const char* table;
        const QStringList& fields;
        ExportTable& out;
        QString stored;
        QStringList storedFields;
    };
    Wanted wanted[] = {
        {"patients", zokcPatientsFields(), data.patients, {}, {}},
        {"address", zokcAddressFields(), data.address, {}, {}},
        {"eknm", zokcEknmFields(), data.eknm, {}, {}},
        {"s_code", zokcCodeFields(), data.sCode, {}, {}},
        {"st_code", zokcDistrictFields(), data.stCode, {}, {}},
    };
    QStringList missing;
    for (Wanted& w : wanted) {
        const QString table = QString::fromLatin1(w.table);
        w.stored = source.findTable(table);
        if (w.stored.isEmpty()) {
            missing << QStringLiteral("таблица %1").arg(table);
            continue;
        }
        const QStringList names = source.fieldNames(w.stored);
        for (const QString& f : w.fields) {
            const QString stored = findField(names, f);
            if (stored.isEmpty())
                missing << QStringLiteral("поле %1 в таблица %2").arg(f, w.stored);
            w.storedFields << stored;
        }
    }
    if (!missing.isEmpty())
        throw db::DbError(kMsgZokcNotTheExport, QStringLiteral("Липсва: ") + missing.join(QStringLiteral(", "))
                                                    + QLatin1Char('\r') + zokcPlacement(folderOf(path)));
    QStringList faults = source.fileFaults();
    for (Wanted& w : wanted)
        faults << source.fieldFaults(w.stored, w.storedFields);
    if (!faults.isEmpty())
        throw damaged(path, faults.join(QLatin1Char('\r')));
    for (Wanted& w : wanted)
        w.out = source.read(w.stored, w.storedFields);
    return data;
}

// ---- the reader program's output

const QByteArray kReaderHeader = QByteArrayLiteral("tavlinora-jetread 1");
const QByteArray kNullValue = QByteArrayLiteral("\\N");

void appendEscaped(QByteArray& out, const QString& value)
{
    if (value.isNull()) {
        out += kNullValue;
        return;
    }
    const QByteArray utf8 = value.toUtf8();
    if (std::none_of(utf8.cbegin(), utf8.cend(), [](char ch) { return ch == '\\' || ch == '\t' || ch == '\n' || ch == '\r'; })) {
        out += utf8;
        return;
    }
    for (char ch : utf8) {
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += ch;
        }
    }
}

QByteArray escaped(const QString& value)
{
    QByteArray out;
    appendEscaped(out, value);
    return out;
}

std::optional<QString> unescaped(QByteArrayView text)
{
    if (text == kNullValue)
        return QString();
    if (!text.contains('\\')) {
        QString value = QString::fromUtf8(text);
        return value.isNull() ? QStringLiteral("") : value;
    }
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    QString value = QString::fromUtf8(out);
    return value.isNull() ? QStringLiteral("") : value;
}

// The five tables in the order of the reader's output.
std::vector<ExportTable*> tablesOf(ZokcExport& data)
{
    return {&data.patients, &data.address, &data.eknm, &data.sCode, &data.stCode};
}

std::vector<const ExportTable*> tablesOf(const ZokcExport& data)
{
    return {&data.patients, &data.address, &data.eknm, &data.sCode, &data.stCode};
}

const std::vector<const QStringList*>& fieldsOfTables()
{
    static const std::vector<const QStringList*> f{&zokcPatientsFields(), &zokcAddressFields(), &zokcEknmFields(),
                                                   &zokcCodeFields(), &zokcDistrictFields()};
    return f;
}

QList<QByteArrayView> split(QByteArrayView text, char sep)
{
    QList<QByteArrayView> parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == sep) {
            parts << text.sliced(from, i - from);
            from = i + 1;
        }
    }
    parts << text.sliced(from);
    return parts;
}

struct ReaderRefusal {
    QString message, detail;
};

// The tables, or what the reader refused; nullopt when the output is not
// whole and well formed.
std::optional<std::variant<ZokcExport, ReaderRefusal>> parseReaderOutput(const QByteArray& output, const QString& path)
{
    if (!output.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArrayView> lines = split(QByteArrayView(output).chopped(1), '\n');
    if (lines.isEmpty() || lines[0] != kReaderHeader)
        return std::nullopt;
    if (lines.size() == 2 && lines[1].startsWith("refused\t")) {
        const QList<QByteArrayView> parts = split(lines[1], '\t');
        if (parts.size() != 3)
            return std::nullopt;
        const auto message = unescaped(parts[1]), detail = unescaped(parts[2]);
        if (!message || !detail || message->isEmpty())
            return std::nullopt;
        return ReaderRefusal{*message, *detail};
    }
    ZokcExport data;
    data.path = path;
    const std::vector<ExportTable*> tables = tablesOf(data);
    qsizetype at = 1;
    QList<QByteArray> counts;
    for (size_t t = 0; t < tables.size(); ++t) {
        if (at >= lines.size() || !lines[at].startsWith("table\t"))
            return std::nullopt;
        const QList<QByteArrayView> head = split(lines[at++], '\t');
        const auto name = head.size() == 3 ? unescaped(head[1]) : std::nullopt;
        if (!name || name->isEmpty() || head[2].toInt() != fieldsOfTables()[t]->size())
            return std::nullopt;
        tables[t]->name = *name;
        const qsizetype width = fieldsOfTables()[t]->size();
        while (at < lines.size() && lines[at].startsWith("r\t")) {
            const QList<QByteArrayView> parts = split(lines[at++], '\t');
            if (parts.size() != width + 1)
                return std::nullopt;
            QStringList row;
            row.reserve(width);
            for (qsizetype i = 1; i < parts.size(); ++i) {
                const auto v = unescaped(parts[i]);
                if (!v)
                    return std::nullopt;
                row << *v;
            }
            tables[t]->rows.push_back(std::move(row));
        }
        counts << QByteArray::number(tables[t]->rows.size());
    }
    if (at != lines.size() - 1 || lines[at] != QByteArray("end\t" + counts.join('\t')))
        return std::nullopt;
    return data;
}

// The Jet export read by the reader program, where libmdb's crash or
// endless loop on a damaged file cannot reach this one: ended past its
// wall-clock time, its memory and its output bounded.
ZokcExport readThroughReader(const QString& path)
{
    const ZokcReader& reader = zokcReader();
    const QString program = reader.program.isEmpty()
        ? QDir(QCoreApplication::applicationDirPath()).filePath(kZokcReaderName)
        : reader.program;
    QProcess p;
    p.setProgram(program);
    p.setArguments(QStringList(reader.arguments) << path);
    p.setStandardInputFile(QProcess::nullDevice());
    // libmdb's warnings are no concern of the user's.
    p.setStandardErrorFile(QProcess::nullDevice());
    const pid_t parent = getpid();
    const rlim_t memory = rlim_t(reader.memoryBytes);
    p.setChildProcessModifier([parent, memory] {
        // Ended with this program, should it end first.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (!kSanitized) {
            const rlimit space{memory, memory};
            setrlimit(RLIMIT_AS, &space);
        }
    });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // libmdb would decode the text in a character set named there instead of
    // the file's checked code page, or hand it on in another than UTF-8.
    env.remove(QStringLiteral("MDB_JET3_CHARSET"));
    env.remove(QStringLiteral("MDBICONV"));
    if (kSanitized) {
        // The sanitizers reserve more address space than any limit allows.
        const QString limit = QStringLiteral("hard_rss_limit_mb=%1").arg(reader.memoryBytes >> 20);
        const QString options = env.value(QStringLiteral("ASAN_OPTIONS"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), options.isEmpty() ? limit : options + QLatin1Char(':') + limit);
    }
    p.setProcessEnvironment(env);

    QElapsedTimer clock;
    clock.start();
    p.start(QIODevice::ReadOnly);
    if (!p.waitForStarted(reader.wallClockMs))
        throw db::DbError(QStringLiteral("Програмата %1, която чете файловете на Jet, не може да бъде стартирана").arg(kZokcReaderName),
                          QDir::toNativeSeparators(program) + QStringLiteral(": ") + p.errorString());
    // Far more than any practice's export; a reader gone wrong stops here.
    constexpr qsizetype kOutputLimit = qsizetype(256) << 20;
    QByteArray output;
    bool overrun = false;
    while (p.state() != QProcess::NotRunning) {
        const qint64 left = reader.wallClockMs - clock.elapsed();
        if (left <= 0 || output.size() > kOutputLimit) {
            overrun = true;
            break;
        }
        const int slice = int(std::min<qint64>(left, 100));
        if (!p.waitForReadyRead(slice) && p.state() != QProcess::NotRunning)
            p.waitForFinished(slice);
        output += p.readAllStandardOutput();
    }
    if (overrun) {
        p.kill();
        p.waitForFinished(5000);
        throw damaged(path);
    }
    output += p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw damaged(path);
    auto parsed = parseReaderOutput(output, path);
    if (!parsed)
        throw damaged(path);
    if (auto* refusal = std::get_if<ReaderRefusal>(&*parsed))
        throw db::DbError(refusal->message, refusal->detail);
    return std::get<ZokcExport>(std::move(*parsed));
}

} // namespace

QString zokcPlacement(const QString& folder)
{
    return QStringLiteral("Запишете файла с пациентите, получен от ЗОКС, с името temp.mdb в папката на програмата:\r%1")
        .arg(folder);
}

ZokcReader& zokcReader()
{
    static ZokcReader reader;
    return reader;
}

QByteArray zokcReaderOutput(const ZokcExport& data)
{
    QByteArray out = kReaderHeader + '\n';
    QList<QByteArray> counts;
    const std::vector<const ExportTable*> tables = tablesOf(data);
    for (size_t t = 0; t < tables.size(); ++t) {
        const ExportTable& table = *tables[t];
        out += "table\t" + escaped(table.name) + '\t' + QByteArray::number(fieldsOfTables()[t]->size()) + '\n';
        for (const QStringList& row : table.rows) {
            out += 'r';
            for (const QString& v : row) {
                out += '\t';
                appendEscaped(out, v);
            }
            out += '\n';
        }
        counts << QByteArray::number(table.rows.size());
    }
    out += "end\t" + counts.join('\t') + '\n';
    return out;
}

QByteArray zokcReaderOutput(const QString& refusal, const QString& detail)
{
    return kReaderHeader + '\n' + "refused\t" + escaped(refusal) + '\t' + escaped(detail) + '\n';
}

ZokcExport readZokcJetExport(const QString& path)
{
    JetSource source(path);
    return readFrom(source, path);
}

ZokcExport readZokcExport(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        throw db::DbError(kMsgZokcNoFile, zokcPlacement(folderOf(path)));
    // A FIFO or a device would block the first read for good.
    if (!QFileInfo(path).isFile())
        throw db::DbError(QStringLiteral("temp.mdb в папката на програмата не е обикновен файл"),
                          zokcPlacement(folderOf(path)));
    QByteArray head;
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw db::DbError(QStringLiteral("Файлът %1 в папката %2 не може да бъде прочетен").arg(kFileShownAs, folderOf(path)),
                              f.errorString());
        head = f.read(20);
    }
    if (head.startsWith(QByteArrayLiteral("SQLite format 3"))) {
        SqliteSource source(path);
        return readFrom(source, path);
    }
    if (db::isJetFile(path))
        return readThroughReader(path);
    throw db::DbError(QStringLiteral("Файлът %1 не е база данни на Jet или SQLite").arg(kFileShownAs),
                      zokcPlacement(folderOf(path)));
}

ZokcImportResult importZokcPatients(const ZokcExport& data, const QString& doctorCode,
                                    const std::function<void(int)>& progress)
{
    const QHash<QString, int> addressIndex = firstRowByKey(data.address, A_ID);
    const QHash<QString, int> eknmIndex = firstRowByKey(data.eknm, E_TOWN);
    const QHash<QString, int> municipalityIndex = firstRowByKey(data.sCode, 0);
    const QHash<QString, int> districtIndex = firstRowByKey(data.stCode, 0);

    ZokcImportResult result;
    result.rows = int(data.patients.rows.size());

    db::Connection c = db::Connection::main();
    db::keepPagesInMemory(c);
    db::Transaction t(c);
    // The register's EGNs are compared exactly: keys of digits.
    QSet<QString> patients = egnsOf(c, QStringLiteral("SELECT EGN FROM Pacients"));
    QSet<QString> charts = egnsOf(c, QStringLiteral("SELECT EGN FROM Dental"));
    QSet<QString> treated = egnsOf(c, QStringLiteral("SELECT DISTINCT EGN FROM Help WHERE EGN IS NOT NULL"));
    int counter = c.scalar(QStringLiteral("SELECT COALESCE(MAX(IDName), 0) FROM Pacients")).toInt();

    db::Statement addPatient(c, QStringLiteral(
        "INSERT INTO Pacients (EGN, Names, DataB, Pol, DataR, ZBook, RBook, PKod, Tawn, Adres, DTel, STel,"
        " Obsh, Obl, RZOK, ZR, LKod, IDName) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    db::Statement addChart(c, QStringLiteral("INSERT INTO Dental (EGN) VALUES (?)"));
    db::Statement addExamination(c, QStringLiteral(
        "INSERT INTO Help (EGN, Data, Help, KodHelp, ZK, KodMedic) VALUES (?, ?, 'Преглед', '101', 1, ?)"));
    const QVariant owner = nullIfEmpty(doctorCode);

    for (int i = 0; i < data.patients.rows.size(); ++i) {
        if (progress)
            progress(i + 1);
        const QStringList& p = data.patients.rows[i];
        const QString egn = p.value(P_ID);
        const std::optional<QDate> birth = exportDate(p.value(P_BIRTH));
        const std::optional<QDate> registered = exportDate(p.value(P_REG));
        if (isBlank(egn) || isBlank(p.value(P_NAME1)) || !birth || !registered) {
            ++result.skipped;
            continue;
        }

        if (!patients.contains(egn)) {
            QString names = p.value(P_NAME1);
            for (int f : {P_NAME2, P_NAME3})
                if (!isBlank(p.value(f)))
                    names += QLatin1Char(' ') + trimBlanks(p.value(f));

            QString postCode, adres, homePhone, secondPhone, settlement, districtValue, healthRegion;
            QString municipality, district;
            if (const QStringList* a = lookup(data.address, addressIndex, egn)) {
                postCode = a->value(A_POST);
                adres = buildAddress(*a);
                homePhone = optional(*a, A_TEL);
                secondPhone = optional(*a, A_FAX);
                if (const QStringList* e = lookup(data.eknm, eknmIndex, optional(*a, A_TOWN))) {
                    settlement = optional(*e, E_KIND) + optional(*e, E_NAME);
                    districtValue = e->value(E_DISTRICT);
                    healthRegion = e->value(E_HR);
                    if (const QStringList* m = lookup(data.sCode, municipalityIndex, optional(*e, E_MUNI)))
                        municipality = optional(*m, 1);
                    if (const QStringList* d = lookup(data.stCode, districtIndex, optional(*e, E_DISTRICT)))
                        district = optional(*d, 1);
                }
            }
            ++counter;
            addPatient.exec({egn, nullIfEmpty(names), toDDMMYYYY(*birth), sexOf(p.value(P_POL)),
                             QStringLiteral("%1/%2/%3").arg(registered->day()).arg(registered->month()).arg(registered->year()),
                             nullIfEmpty(optional(p, P_HIM)), nullIfEmpty(optional(p, P_REC)),
                             nullIfEmpty(postCode), nullIfEmpty(settlement), nullIfEmpty(adres),
                             nullIfEmpty(homePhone), nullIfEmpty(secondPhone), nullIfEmpty(municipality),
                             nullIfEmpty(district), nullIfEmpty(districtValue), nullIfEmpty(healthRegion),
                             owner, counter});
            patients.insert(egn);
            ++result.added;
        }
        if (!charts.contains(egn)) {
            addChart.exec({egn});
            charts.insert(egn);
            ++result.charts;
        }
        if (!treated.contains(egn)) {
            addExamination.exec({egn, *registered, owner});
            treated.insert(egn);
            ++result.examinations;
        }
    }
    t.commit();
    return result;
}

QString zokcDoneMessage(const ZokcImportResult& r)
{
    return kMsgZokcDone + QStringLiteral("\rНови пациенти: %1\rПропуснати редове: %2").arg(r.added).arg(r.skipped);
}

void ImportZOKCPatients(QWidget* owner)
{
    ZokcExport data;
    try {
        Hourglass wait;
        data = readZokcExport(findZokcExportFile(ProgramFolder));
    } catch (const db::DbError& e) {
        say(e.userText() + QStringLiteral("\rНищо не е добавено."), owner);
        return;
    }
    if (data.patients.rows.isEmpty()) {
        say(QStringLiteral("Във файла %1 няма нито един пациент (таблица %2 е празна).\rНищо не е добавено.")
                .arg(kFileShownAs, data.patients.name),
            owner);
        return;
    }
    ZokcImportResult result;
    try {
        ProgressWindow window(kZokcProgressLabel, int(data.patients.rows.size()), owner);
        result = importZokcPatients(data, CurrentDoctorCode, [&window](int position) { window.setValue(position); });
    } catch (const db::DbError& e) {
        say(e.userText() + QStringLiteral("\rНищо не е добавено."), owner);
        return;
    }
    markExportImported(data.path);
    say(zokcDoneMessage(result), owner);
}

} // namespace tav::patients

#include "patients/zokcimport.h"

#include "db/database.h"
#include "db/jetfile.h"
#include "db/paths.h"
#include "db/statement.h"
#include "db/values.h"
#include "patients/prompts.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <memory>

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

const QString kFileShownAs = QStringLiteral("temp.mdb");

// The two kinds of file the export arrives in, behind one face.
class Source {
public:
    virtual ~Source() = default;
    // The stored name, matched without regard to case; empty when absent.
    virtual QString findTable(const QString& name) = 0;
    virtual QStringList fieldNames(const QString& table) = 0;
    virtual ExportTable read(const QString& table, const QStringList& fields) = 0;
};

class SqliteSource : public Source {
public:
    explicit SqliteSource(const QString& path) : c_(path, db::OpenMode::ReadOnly)
    {
        for (const db::Row& r : c_.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
            tables_ << r.text(QStringLiteral("name"));
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
        for (const db::Row& r : c_.query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table}))
            names << r.text(QStringLiteral("name"));
        return names;
    }
    ExportTable read(const QString& table, const QStringList& fields) override
    {
        QStringList quoted;
        for (const QString& f : fields)
            quoted << db::quoteName(f);
        ExportTable out;
        out.name = table;
        const db::Rows rows = c_.query(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                           .arg(quoted.join(QLatin1Char(',')), db::quoteName(table)));
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
    db::Connection c_;
    QStringList tables_;
};

class JetSource : public Source {
public:
    explicit JetSource(const QString& path) : jet_(path) {}
    QString findTable(const QString& name) override { return jet_.findTable(name); }
    QStringList fieldNames(const QString& table) override { return jet_.fieldNames(table); }
    ExportTable read(const QString& table, const QStringList& fields) override
    {
        db::JetTable t = jet_.read(table, fields);
        return ExportTable{t.name, std::move(t.rows)};
    }

private:
    db::JetFile jet_;
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

ZokcExport readZokcExport(const QString& path)
{
    if (path.isEmpty() || !QFile::exists(path))
        throw db::DbError(QStringLiteral("Няма файл %1 в папката на програмата").arg(kFileShownAs),
                          QDir::toNativeSeparators(path.isEmpty() ? ProgramFolder : path));
    QByteArray head;
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw db::DbError(QStringLiteral("Файлът %1 не може да бъде прочетен").arg(kFileShownAs),
                              QDir::toNativeSeparators(path) + QStringLiteral(": ") + f.errorString());
        head = f.read(20);
    }
    std::unique_ptr<Source> source;
    if (head.startsWith(QByteArrayLiteral("SQLite format 3")))
        source = std::make_unique<SqliteSource>(path);
    else if (db::isJetFile(path))
        source = std::make_unique<JetSource>(path);
    else
        throw db::DbError(QStringLiteral("Файлът %1 не е база данни на Jet или SQLite").arg(kFileShownAs),
                          QDir::toNativeSeparators(path));

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
    // Everything is checked before anything is read, so that one message
    // names all that is missing.
    QStringList missing;
    for (Wanted& w : wanted) {
        const QString table = QString::fromLatin1(w.table);
        w.stored = source->findTable(table);
        if (w.stored.isEmpty()) {
            missing << QStringLiteral("таблица %1").arg(table);
            continue;
        }
        const QStringList names = source->fieldNames(w.stored);
        for (const QString& f : w.fields) {
            const QString stored = findField(names, f);
            if (stored.isEmpty())
                missing << QStringLiteral("поле %1 в таблица %2").arg(f, w.stored);
            w.storedFields << stored;
        }
    }
    if (!missing.isEmpty())
        throw db::DbError(QStringLiteral("Файлът %1 не съдържа данните от ЗОКС").arg(kFileShownAs),
                          QStringLiteral("Липсва: ") + missing.join(QStringLiteral(", ")));
    for (Wanted& w : wanted)
        w.out = source->read(w.stored, w.storedFields);
    return data;
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

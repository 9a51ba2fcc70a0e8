#include "statistics/preparation.h"

#include "db/database.h"
#include "db/values.h"
#include "services/hourglass.h"
#include "statistics/activities.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <array>

namespace tav::statistics {

namespace {

// The doctor's treatments of the period, by date, code and entry. The work
// list orders the codes of a day without regard to case, as the old engine
// did; the counts, which do not depend on the order, keep the quicker binary one.
db::Rows doctorsTreatments(db::Connection& c, const QDate& first, const QDate& last, const QString& doctorCode,
                           const QString& extra, bool caseless)
{
    return c.query(QStringLiteral("SELECT h.EGN, h.Data, h.KodHelp%1 FROM Help h"
                                  " WHERE h.Data BETWEEN ? AND ? AND h.KodMedic = ?"
                                  " ORDER BY h.Data, h.KodHelp%2, h.RecID")
                       .arg(extra, caseless ? QStringLiteral(" COLLATE UNOCASE") : QString()),
                   {first, last, doctorCode});
}

// Rows written through one prepared statement.
class Inserter {
public:
    Inserter(db::Connection& c, const QString& table, const QStringList& fields) : q_(c.raw())
    {
        QStringList names, marks;
        for (const QString& f : fields) {
            names << db::quoteName(f);
            marks << QStringLiteral("?");
        }
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(db::quoteName(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        if (!q_.prepare(sql))
            throw db::DbError(QStringLiteral("Грешка в заявка към базата данни"), q_.lastError().text());
    }
    void add(const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            q_.bindValue(i, values[i]);
        if (!q_.exec())
            throw db::DbError(QStringLiteral("Грешка при запис във временната база данни"),
                              q_.lastError().databaseText().isEmpty() ? q_.lastError().text()
                                                                      : q_.lastError().databaseText());
    }

private:
    QSqlQuery q_;
};

void report(const Progress& progress, int position, int rows)
{
    if (progress)
        progress(position, rows);
}

// Twelve counters: class by group (0 under 18, 1 over 18).
struct Counts {
    std::array<std::array<int, 2>, 8> n{};
    int& at(ActivityClass c, bool over18) { return n[size_t(c)][over18 ? 1 : 0]; }
    int get(ActivityClass c, bool over18) const { return n[size_t(c)][over18 ? 1 : 0]; }
};

bool isBlank(const QString& s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c == QLatin1Char(' '); });
}

// Rows without an EGN have no age group: left out, and named when their
// class is one the report counts (`with103`: the specification's 103 too).
Counts countActivities(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress,
                       bool with103, QVector<LeftOutRow>* leftOut, int* rowsRead)
{
    const auto counted = [with103](ActivityClass cls) {
        return cls != ActivityClass::None && (with103 || cls != ActivityClass::C103);
    };
    db::Connection c = db::Connection::main();
    const db::Rows rows = doctorsTreatments(c, first, last, doctorCode, QString(), false);
    Counts counts;
    bool withoutEgn = false;
    const int n = int(rows.size());
    for (int i = 0; i < n; ++i) {
        report(progress, i + 1, n);
        const db::Row& r = rows[i];
        const ActivityClass cls = activityClass(r.text(QStringLiteral("KodHelp")));
        if (!counted(cls))
            continue;
        const QString egn = r.text(QStringLiteral("EGN"));
        if (isBlank(egn)) {
            withoutEgn = true;
            continue;
        }
        ++counts.at(cls, IsOver18ForCounts(egn, dateFromIso(r.value(QStringLiteral("Data")))));
    }
    // Rare: their sheet numbers are read only when there are such rows.
    if (withoutEgn && leftOut) {
        const db::Rows without = c.query(QStringLiteral("SELECT Data, KodHelp, ListID FROM Help"
                                                        " WHERE Data BETWEEN ? AND ? AND KodMedic = ?"
                                                        " AND trim(ifnull(EGN, ''), ' ') = ''"
                                                        " ORDER BY Data, KodHelp, RecID"),
                                         {first, last, doctorCode});
        for (const db::Row& r : without) {
            const QString code = r.text(QStringLiteral("KodHelp"));
            if (counted(activityClass(code)))
                leftOut->push_back({dateFromIso(r.value(QStringLiteral("Data"))), code, r.text(QStringLiteral("ListID"))});
        }
    }
    *rowsRead = n;
    return counts;
}

} // namespace

int FillTempWork(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress)
{
    db::Rows rows;
    {
        db::Connection c = db::Connection::main();
        rows = doctorsTreatments(c, first, last, doctorCode,
                                 QStringLiteral(", (SELECT p.Names FROM Pacients p WHERE p.EGN = h.EGN"
                                                " ORDER BY p.RecID LIMIT 1) AS Names"),
                                 true);
    }
    struct Line {
        QVariant data;
        QString egn;
        QString name;
        QString age;
        QStringList codes;
        int minutes = 0;
    };
    QVector<Line> lines;
    QHash<QString, int> byEgn;
    const int n = int(rows.size());
    for (int i = 0; i < n; ++i) {
        report(progress, i + 1, n);
        const db::Row& r = rows[i];
        const QString egn = r.text(QStringLiteral("EGN"));
        if (trimBlanks(egn).isEmpty())
            continue;
        const QString code = r.text(QStringLiteral("KodHelp"));
        auto it = byEgn.find(egn);
        if (it == byEgn.end()) {
            Line line;
            line.data = r.value(QStringLiteral("Data"));
            line.egn = egn;
            line.name = r.text(QStringLiteral("Names"));
            if (const auto birth = BirthDateFromEGN(egn))
                line.age = QString::number(dateFromIso(line.data).year() - birth->year());
            it = byEgn.insert(egn, int(lines.size()));
            lines.push_back(line);
        }
        Line& line = lines[*it];
        if (!code.isEmpty())
            line.codes << code;
        line.minutes += ActivityMinutes(code);
    }

    db::Connection t = db::Connection::temp();
    db::Transaction tx(t);
    t.exec(QStringLiteral("DELETE FROM TempWork"));
    Inserter insert(t, QStringLiteral("TempWork"), {"Data", "Name1", "EGN", "Godini", "KodHelp", "Time"});
    for (const Line& line : lines)
        insert.add({line.data, nullIfEmpty(line.name), line.egn, nullIfEmpty(line.age),
                    nullIfEmpty(line.codes.join(QLatin1Char(','))), line.minutes});
    tx.commit();
    return n;
}

int FillTempZOKC(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress,
                 QVector<LeftOutRow>* leftOut)
{
    int n = 0;
    const Counts counts = countActivities(first, last, doctorCode, progress, false, leftOut, &n);
    static const ActivityClass columns[] = {ActivityClass::C101, ActivityClass::C301, ActivityClass::C332,
                                            ActivityClass::C333, ActivityClass::C508, ActivityClass::C509};
    db::Connection t = db::Connection::temp();
    db::Transaction tx(t);
    t.exec(QStringLiteral("DELETE FROM TempZOKC"));
    Inserter insert(t, QStringLiteral("TempZOKC"),
                    {"Godini", "Kod_101", "Kod_301", "Kod_332", "Kod_333", "Kod_508", "Kod_509"});
    for (const bool over18 : {false, true}) {
        QVariantList values{over18 ? kOver18 : kUnder18};
        for (ActivityClass c : columns)
            values << counts.get(c, over18);
        insert.add(values);
    }
    tx.commit();
    return n;
}

int FillTempSpec(const QDate& first, const QDate& last, const QString& doctorCode, const Progress& progress,
                 QVector<LeftOutRow>* leftOut)
{
    int n = 0;
    const Counts counts = countActivities(first, last, doctorCode, progress, true, leftOut, &n);
    using C = ActivityClass;
    const struct {
        const char* field;
        ActivityClass cls;
        bool over18;
    } fields[] = {
        {"F10112", C::C101, true},  {"F10312", C::C103, true},  {"F30112", C::C301, true},
        {"F50912", C::C509, true},  {"F10111", C::C101, false}, {"F10311", C::C103, false},
        {"F30111", C::C301, false}, {"F33211", C::C332, false}, {"F33311", C::C333, false},
        {"F50811", C::C508, false}, {"F50911", C::C509, false},
    };
    QStringList names;
    QVariantList values;
    for (const auto& f : fields) {
        names << QString::fromLatin1(f.field);
        values << counts.get(f.cls, f.over18);
    }
    db::Connection t = db::Connection::temp();
    db::Transaction tx(t);
    t.exec(QStringLiteral("DELETE FROM TempSpec"));
    Inserter(t, QStringLiteral("TempSpec"), names).add(values);
    tx.commit();
    return n;
}

QString leftOutMessage(const QVector<LeftOutRow>& rows)
{
    constexpr int kShown = 15;
    QStringList lines{QStringLiteral("Не са включени в отчета:")};
    for (int i = 0; i < rows.size() && i < kShown; ++i) {
        const LeftOutRow& r = rows[i];
        lines << QStringLiteral("ЕГН (без ЕГН), лист %1, %2, код %3")
                     .arg(trimBlanks(r.listId).isEmpty() ? QStringLiteral("(без номер)") : r.listId,
                          toDDMMYYYY(r.date), r.code);
    }
    if (rows.size() > kShown)
        lines << QStringLiteral("... и още %1").arg(rows.size() - kShown);
    return lines.join(QLatin1Char('\r'));
}

int RecodeFillingActivities()
{
    Hourglass wait;
    db::Connection c = db::Connection::main();
    // The first run rewrites most of the table's pages: they stay in memory
    // until the commit rather than spill to the file one by one.
    c.exec(QStringLiteral("PRAGMA cache_spill = OFF"));
    db::Transaction tx(c);
    // The texts are compared exactly, whatever collation the column has.
    const int changed = c.exec(QStringLiteral("UPDATE Help SET Schet = 1,"
                                              " KodHelp = CASE WHEN TextHelp = ? COLLATE BINARY THEN ?"
                                              " WHEN TextHelp = ? COLLATE BINARY THEN ? ELSE KodHelp END"
                                              " WHERE KodHelp = '301' OR Schet = 0"),
                               {kAmalgamText, kAmalgamCode, kCompositeText, kCompositeCode});
    tx.commit();
    return changed;
}

void FillTempMater()
{
    Hourglass wait;
    db::Rows materials;
    {
        db::Connection r = db::Connection::reference();
        materials = r.query(QStringLiteral("SELECT Kod, Name, Kol, Ed FROM Mater ORDER BY RecID"));
    }
    db::Connection t = db::Connection::temp();
    db::Transaction tx(t);
    Inserter insert(t, QStringLiteral("TempMater"), {"Kod", "Name", "Kol", "Ed"});
    for (const db::Row& m : materials)
        insert.add({m.value(0), m.value(1), m.value(2), m.value(3)});
    tx.commit();
}

int SumMaterialConsumption(const QDate& first, const QDate& last, const Progress& progress)
{
    // Treatments counted by code: a norm is read once per code.
    db::Rows codes;
    {
        db::Connection c = db::Connection::main();
        codes = c.query(QStringLiteral("SELECT KodHelp, count(*) AS N FROM Help WHERE Data BETWEEN ? AND ?"
                                       " GROUP BY KodHelp ORDER BY min(Data), KodHelp"),
                        {first, last});
    }
    int total = 0;
    for (const db::Row& r : codes)
        total += r.toInt(QStringLiteral("N"));

    db::Connection t = db::Connection::temp();
    db::Transaction tx(t);
    const db::Rows materials = t.query(QStringLiteral("SELECT rowid AS Pos, Kol FROM TempMater ORDER BY rowid"));
    QVector<QVariant> kol;   // a null quantity stays null
    for (const db::Row& m : materials)
        kol << m.value(QStringLiteral("Kol"));

    if (total > 0 && !materials.isEmpty()) {
        db::Connection ref = db::Connection::reference();
        int position = 0;
        for (const db::Row& r : codes) {
            const int times = r.toInt(QStringLiteral("N"));
            const QVariant code = r.value(QStringLiteral("KodHelp"));
            position += times;
            // "301а" finds the norms of "301А", as in the old engine.
            const db::Row norm = code.isNull() ? db::Row()
                                               : ref.first(QStringLiteral("SELECT * FROM RazhNorm WHERE KodHelp = ?"
                                                                          " COLLATE UNOCASE ORDER BY RecID LIMIT 1"),
                                                           {code});
            if (!norm.names().isEmpty()) {
                for (int i = 0; i < kol.size(); ++i) {
                    const QString column = QString::number(i + 1) + QLatin1Char('M');
                    if (!norm.contains(column) || kol[i].isNull())
                        continue;
                    const QVariant v = norm.value(column);
                    kol[i] = v.isNull() ? QVariant(QMetaType::fromType<double>())
                                        : QVariant(kol[i].toDouble() + times * v.toDouble());
                }
            }
            report(progress, position, total);
        }
    }

    QSqlQuery update(t.raw());
    update.prepare(QStringLiteral("UPDATE TempMater SET Kol = ? WHERE rowid = ?"));
    for (int i = 0; i < materials.size(); ++i) {
        update.bindValue(0, kol[i]);
        update.bindValue(1, materials[i].value(QStringLiteral("Pos")));
        if (!update.exec())
            throw db::DbError(QStringLiteral("Грешка при запис във временната база данни"), update.lastError().text());
    }
    tx.commit();
    return total;
}

} // namespace tav::statistics

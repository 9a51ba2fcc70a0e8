#include "patients/patientrecord.h"

#include "db/values.h"
#include "patients/dentalchart.h"
#include "patients/egn.h"
#include "services/globals.h"

#include <QHash>

namespace tav::patients {

QString DataBFromEGN(const QString& egn)
{
    const int mm = egnField(egn, 3, 2);
    if (mm > 40)
        return egn.mid(4, 2) + QLatin1Char('.') + QStringLiteral("%1").arg(mm - 40, 2, 10, QLatin1Char('0'))
            + QStringLiteral(".20") + egn.mid(0, 2);
    return egn.mid(4, 2) + QLatin1Char('.') + egn.mid(2, 2) + QStringLiteral(".19") + egn.mid(0, 2);
}

QString PolFromEGN(const QString& egn)
{
    return egnField(egn, 9, 1) % 2 == 0 ? QStringLiteral("М") : QStringLiteral("Ж");
}

QString withQuarterPrefix(const QString& text)
{
    const QString t = trimBlanks(text);
    if (t.startsWith(QStringLiteral("к-с")) || t.startsWith(QStringLiteral("кв.")))
        return text;
    return QStringLiteral("кв. ") + text;
}

QString withStreetPrefix(const QString& text)
{
    QString street = text;
    if (street.contains(QLatin1Char('!'))) {
        street = trimBlanks(street);
        street.replace(street.indexOf(QLatin1Char('!')), 1, QStringLiteral("№"));
    }
    const QString t = trimBlanks(street);
    if (t.startsWith(QStringLiteral("бул.")) || t.startsWith(QStringLiteral("ул.")))
        return street;
    return QStringLiteral("ул. ") + street;
}

bool healthBookLooksWrong(const QString& text)
{
    return trimBlanks(text).size() != 8;
}

bool namesLackSecondWord(const QString& text)
{
    return !trimBlanks(text).contains(QLatin1Char(' '));
}

std::optional<PostCodeEntry> findPostCode(const QString& pkod)
{
    db::Connection c = db::Connection::reference();
    const db::Row r = c.first(QStringLiteral("SELECT * FROM PostCode WHERE PKod = ? ORDER BY RecID"), {pkod});
    if (r.names().isEmpty())
        return std::nullopt;
    return PostCodeEntry{r.text("Tawn"), r.text("Obsh"), r.text("Obl"), r.text("ZK"), r.text("ZdRn")};
}

const QStringList& cardPacientsFields()
{
    static const QStringList fields{
        "EGN", "Names", "PKod", "Tawn", "Obsh", "Obl", "KV", "UL", "BL", "VX", "ET", "AP",
        "DTel", "STel", "MTel", "DataR", "ZBook", "RBook", "RZOK", "ZR", "Prof", "Work",
        "Country", "Type", "Pol", "KrGr", "Ph", "Nep", "Osob", "ZabNaw", "ZabOld"};
    return fields;
}

const QStringList& toothColumns()
{
    static const QStringList columns = [] {
        QStringList z;
        for (int i = 1; i <= 52; ++i)
            z << QStringLiteral("Z%1").arg(i);
        return z;
    }();
    return columns;
}

int currentIdMedic()
{
    return loginVars().nIDMedic;
}

QString fieldLabel(const QString& field)
{
    static const QHash<QString, QString> labels{
        {"Names", "Имена"}, {"EGN", "ЕГН"}, {"PKod", "Пощ.код"}, {"Tawn", "Нас.място"}, {"Obsh", "Общ."},
        {"Obl", "Обл."}, {"KV", "Кв."}, {"UL", "Ул."}, {"BL", "бл."}, {"VX", "вх."}, {"ET", "ет."},
        {"AP", "ап."}, {"DTel", "дом.тел"}, {"STel", "сл.тел"}, {"MTel", "моб.тел"}, {"DataR", "Дата рег."},
        {"ZBook", "Здр.кн."}, {"RBook", "Рец.кн."}, {"RZOK", "ЗОК"}, {"ZR", "Здр.р-н"}, {"Prof", "проф."},
        {"Work", "мест."}, {"Country", "Нац."}, {"Type", "Ст."}, {"Pol", "Пол"}, {"KrGr", "Кр.гр."},
        {"Ph", "Ph"}, {"Nep", "Непоносимост"}, {"Osob", "Особености"}, {"ZabNaw", "Настоящи забол."},
        {"ZabOld", "Минали забол."}};
    if (const auto found = labels.constFind(field); found != labels.constEnd())
        return *found;
    if (field.size() > 1 && field[0] == QLatin1Char('Z')) {
        bool ok = false;
        const int box = boxOfColumn(field.mid(1).toInt(&ok));
        if (const ChartPlace* p = ok ? placeOfBox(box) : nullptr)
            return QStringLiteral("зъб %1").arg(p->permanentBox == box ? p->permanentTooth : p->milkTooth);
    }
    return field;
}

QString conflictQuestion(const FieldConflict& c)
{
    const auto shown = [](const QString& v) { return v.isEmpty() ? QStringLiteral("(празно)") : v; };
    return QStringLiteral("Докато картонът беше отворен, полето „%1“ е променено от друго копие на програмата.\r"
                          "В картона: %2\rЗаписано: %3\rДа остане ли стойността от картона?")
        .arg(fieldLabel(c.field), shown(c.onCard), shown(c.stored));
}

namespace {

const QStringList& dentalFields()
{
    static const QStringList fields = QStringList{QStringLiteral("EGN")} + toothColumns();
    return fields;
}

db::Row emptyRow(const QStringList& fields)
{
    return db::Row(QSharedPointer<const QStringList>::create(fields), QVector<QVariant>(fields.size(), QString()));
}

db::Row copyOf(const QStringList& fields, const db::Row& stored)
{
    db::Row r = emptyRow(fields);
    for (const QString& f : fields)
        r.set(f, stored.text(f));
    return r;
}

QVariantList valuesOf(const db::Row& r, const QStringList& fields)
{
    QVariantList v;
    v.reserve(fields.size());
    for (const QString& f : fields)
        v << nullIfEmpty(r.text(f));
    return v;
}

QString updateSql(const QString& table, const QStringList& fields)
{
    QStringList sets;
    for (const QString& f : fields)
        sets << db::quoteName(f) + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE RecID = ?").arg(db::quoteName(table), sets.join(QStringLiteral(", ")));
}

} // namespace

bool PatientRecord::load(const QString& egn)
{
    db::Connection c = db::Connection::main();
    const db::Row p = c.first(QStringLiteral("SELECT * FROM Pacients WHERE EGN = ? ORDER BY RecID"), {egn});
    if (p.names().isEmpty()) {
        unbind();
        return false;
    }
    const db::Row d = c.first(QStringLiteral("SELECT * FROM Dental WHERE EGN = ? ORDER BY RecID"), {egn});
    pacients_ = copyOf(cardPacientsFields(), p);
    pacientsId_ = p.value("RecID").toLongLong();
    storedEgn_ = p.text("EGN");
    if (d.names().isEmpty()) {
        dental_ = emptyRow(dentalFields());
        dental_.set("EGN", storedEgn_);
        dentalId_ = 0;
    } else {
        dental_ = copyOf(dentalFields(), d);
        dentalId_ = d.value("RecID").toLongLong();
    }
    readPacients_ = pacients_;
    readDental_ = dental_;
    state_ = State::Stored;
    return true;
}

void PatientRecord::beginNew(const QString& egn)
{
    db::Row chart;
    if (!egn.isEmpty()) {
        db::Connection c = db::Connection::main();
        chart = c.first(QStringLiteral("SELECT * FROM Dental WHERE EGN = ? ORDER BY RecID"), {egn});
    }
    pacients_ = emptyRow(cardPacientsFields());
    dental_ = chart.names().isEmpty() ? emptyRow(dentalFields()) : copyOf(dentalFields(), chart);
    readPacients_ = db::Row();
    readDental_ = db::Row();
    pacientsId_ = dentalId_ = 0;
    storedEgn_.clear();
    state_ = State::NewRow;
}

void PatientRecord::unbind()
{
    pacients_ = db::Row();
    dental_ = db::Row();
    readPacients_ = db::Row();
    readDental_ = db::Row();
    pacientsId_ = dentalId_ = 0;
    storedEgn_.clear();
    state_ = State::None;
}

QString PatientRecord::newPatientRefusal() const
{
    if (state_ != State::NewRow)
        return QStringLiteral("Няма започнат нов картон за запис");
    if (trimBlanks(pacients_.text("EGN")).isEmpty())
        return QStringLiteral("Липсва ЕГН на пациента");
    // A patient without names is found by no search and named on no sheet.
    if (trimBlanks(pacients_.text("Names")).isEmpty())
        return kMsgThreeNames;
    return {};
}

void PatientRecord::saveNew(const NewStamp& stamp)
{
    if (const QString refusal = newPatientRefusal(); !refusal.isEmpty())
        throw db::DbError(refusal);
    const QString egn = pacients_.text("EGN");
    QStringList fields = cardPacientsFields();
    QVariantList values = valuesOf(pacients_, fields);
    fields << "LKod" << "IDName" << "DataB";
    values << nullIfEmpty(stamp.lkod) << stamp.idName << nullIfEmpty(DataBFromEGN(egn));

    dental_.set("EGN", egn);
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    // The import or another copy may have registered the EGN since the card
    // looked for it.
    if (!c.first(QStringLiteral("SELECT RecID FROM Pacients WHERE EGN = ?"), {egn}).names().isEmpty())
        throw db::DbError(QStringLiteral("Вече има записан пациент с ЕГН %1!").arg(egn));
    // A chart left without its patient row is the patient's: it is completed, not added twice.
    qint64 dentalId = c.first(QStringLiteral("SELECT RecID FROM Dental WHERE EGN = ? ORDER BY RecID"), {egn})
                          .value("RecID")
                          .toLongLong();
    if (dentalId == 0) {
        dentalId = c.insert(QStringLiteral("Dental"), dentalFields(), valuesOf(dental_, dentalFields()));
    } else {
        QVariantList v = valuesOf(dental_, toothColumns());
        v << dentalId;
        c.exec(updateSql(QStringLiteral("Dental"), toothColumns()), v);
    }
    const qint64 pacientsId = c.insert(QStringLiteral("Pacients"), fields, values);
    t.commit();
    dentalId_ = dentalId;
    pacientsId_ = pacientsId;
    storedEgn_ = egn;
    readPacients_ = pacients_;
    readDental_ = dental_;
    state_ = State::Stored;
}

QVector<FieldConflict> PatientRecord::saveCorrection()
{
    if (state_ != State::Stored)
        throw db::DbError(QStringLiteral("Няма картон на пациент за запис"));
    db::Connection c = db::Connection::main();
    // Read, compared and written under the write lock: no other copy writes in between.
    db::Transaction t(c, db::Transaction::Lock::Immediate);
    const auto storedPacients = [&] { return c.first(QStringLiteral("SELECT * FROM Pacients WHERE RecID = ?"), {pacientsId_}); };
    const db::Row p = storedPacients();
    if (p.names().isEmpty())
        throw db::DbError(kMsgPatientGone, storedEgn_);
    const QString egn = p.text("EGN");
    // The chart row, also one another copy added meanwhile.
    const auto storedDental = [&] {
        db::Row d;
        if (dentalId_ != 0)
            d = c.first(QStringLiteral("SELECT * FROM Dental WHERE RecID = ?"), {dentalId_});
        if (d.names().isEmpty())
            d = c.first(QStringLiteral("SELECT * FROM Dental WHERE EGN = ? ORDER BY RecID"), {egn});
        return d;
    };
    const db::Row d = storedDental();

    QVector<FieldConflict> conflicts;
    const auto changes = [&](const QStringList& fields, const db::Row& mine, const db::Row& read, const db::Row& now,
                             bool dental) {
        QStringList changed;
        for (const QString& f : fields) {
            const QString onCard = mine.text(f), before = read.text(f), stored = now.text(f);
            if (onCard == before)
                continue;
            if (stored != before && stored != onCard)
                conflicts.push_back({f, dental, onCard, stored});
            else
                changed << f;
        }
        return changed;
    };
    // The EGN of a stored patient changes only through the EGN correction.
    QStringList cardFields = cardPacientsFields();
    cardFields.removeAll(QStringLiteral("EGN"));
    const QStringList pacientsChanged = changes(cardFields, pacients_, readPacients_, p, false);
    const QStringList dentalChanged = changes(toothColumns(), dental_, readDental_, d, true);
    if (!conflicts.isEmpty())
        return conflicts;   // nothing written: rolled back

    if (!pacientsChanged.isEmpty()) {
        QVariantList v = valuesOf(pacients_, pacientsChanged);
        v << pacientsId_;
        c.exec(updateSql(QStringLiteral("Pacients"), pacientsChanged), v);
    }
    qint64 dentalId = d.names().isEmpty() ? 0 : d.value("RecID").toLongLong();
    if (dentalId == 0) {
        db::Row chart = dental_;
        chart.set("EGN", egn);
        dentalId = c.insert(QStringLiteral("Dental"), dentalFields(), valuesOf(chart, dentalFields()));
    } else if (!dentalChanged.isEmpty()) {
        QVariantList v = valuesOf(dental_, dentalChanged);
        v << dentalId;
        c.exec(updateSql(QStringLiteral("Dental"), dentalChanged), v);
    }
    // The rows as stored now: this card's changes and those of others.
    const db::Row savedPacients = storedPacients();
    const db::Row savedDental = c.first(QStringLiteral("SELECT * FROM Dental WHERE RecID = ?"), {dentalId});
    t.commit();
    pacients_ = readPacients_ = copyOf(cardPacientsFields(), savedPacients);
    dental_ = readDental_ = copyOf(dentalFields(), savedDental);
    dentalId_ = dentalId;
    storedEgn_ = savedPacients.text("EGN");
    return {};
}

void PatientRecord::resolve(const FieldConflict& conflict, bool keepCard)
{
    // Measured against the stored value from now on: the card's value is a
    // change to write, the stored one no change at all.
    (conflict.dental ? readDental_ : readPacients_).set(conflict.field, conflict.stored);
    if (!keepCard)
        (conflict.dental ? dental_ : pacients_).set(conflict.field, conflict.stored);
}

void PatientRecord::deleteStored()
{
    if (state_ != State::Stored)
        return;
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    c.exec(QStringLiteral("DELETE FROM Pacients WHERE RecID = ?"), {pacientsId_});
    c.exec(QStringLiteral("DELETE FROM Dental WHERE EGN = ?"), {storedEgn_});
    c.exec(QStringLiteral("DELETE FROM Help WHERE EGN = ?"), {storedEgn_});
    t.commit();
    unbind();
}

std::optional<QString> PatientRecord::findNames(const QString& egn)
{
    db::Connection c = db::Connection::main();
    const db::Row r = c.first(QStringLiteral("SELECT Names FROM Pacients WHERE EGN = ? ORDER BY RecID"), {egn});
    if (r.names().isEmpty())
        return std::nullopt;
    return r.text("Names");
}

} // namespace tav::patients

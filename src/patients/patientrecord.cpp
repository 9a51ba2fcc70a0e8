#include "patients/patientrecord.h"

#include "db/values.h"
#include "patients/egn.h"
#include "services/globals.h"

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
    state_ = State::Stored;
    return true;
}

void PatientRecord::beginNew()
{
    pacients_ = emptyRow(cardPacientsFields());
    dental_ = emptyRow(dentalFields());
    pacientsId_ = dentalId_ = 0;
    storedEgn_.clear();
    state_ = State::NewRow;
}

void PatientRecord::unbind()
{
    pacients_ = db::Row();
    dental_ = db::Row();
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
    const qint64 dentalId = c.insert(QStringLiteral("Dental"), dentalFields(), valuesOf(dental_, dentalFields()));
    const qint64 pacientsId = c.insert(QStringLiteral("Pacients"), fields, values);
    t.commit();
    dentalId_ = dentalId;
    pacientsId_ = pacientsId;
    storedEgn_ = egn;
    state_ = State::Stored;
}

void PatientRecord::saveCorrection()
{
    if (state_ != State::Stored)
        throw db::DbError(QStringLiteral("Няма картон на пациент за запис"));
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    // The EGN of a stored patient changes only through the EGN correction.
    QStringList fields = cardPacientsFields();
    fields.removeAll(QStringLiteral("EGN"));
    QVariantList p = valuesOf(pacients_, fields);
    p << pacientsId_;
    if (c.exec(updateSql(QStringLiteral("Pacients"), fields), p) != 1)
        throw db::DbError(QStringLiteral("Пациентът вече не е в базата данни"), storedEgn_);
    qint64 dentalId = dentalId_;
    if (dentalId == 0) {
        dental_.set("EGN", storedEgn_);
        dentalId = c.insert(QStringLiteral("Dental"), dentalFields(), valuesOf(dental_, dentalFields()));
    } else {
        QVariantList d = valuesOf(dental_, toothColumns());
        d << dentalId;
        c.exec(updateSql(QStringLiteral("Dental"), toothColumns()), d);
    }
    t.commit();
    dentalId_ = dentalId;
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

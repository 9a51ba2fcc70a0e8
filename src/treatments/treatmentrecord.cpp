#include "treatments/treatmentrecord.h"

#include "patients/egn.h"

namespace tav::treatments {

namespace {

const QString kExam = QStringLiteral("Преглед");
const QString kAmalgam = QStringLiteral("Обт.амалгама");
const QString kComposite = QStringLiteral("Обт.хим.композ.");
const QString kExtraction = QStringLiteral("Екстракция");
// "32" and "32-1" begin with a Latin capital M, "33" is Cyrillic throughout.
const QString kMedLatinM = QStringLiteral("M") + QStringLiteral("ед.лечение");
const QString kMedCyrillic = QStringLiteral("Мед.лечение");

TreatmentShortcut entry(const char* typed, const char* kod, const QString& help, const QString& text, const char* lookup)
{
    return {QString::fromLatin1(typed), QString::fromLatin1(kod), help, text, QString::fromLatin1(lookup)};
}

QString latin(const char* s)
{
    return QString::fromLatin1(s);
}

} // namespace

const std::array<TreatmentShortcut, kShortcutCount>& TreatmentShortcuts()
{
    static const std::array<TreatmentShortcut, kShortcutCount> table = {{
        entry("1", "101", kExam, QString(), "101"),
        entry("1-3", "103", kExam, QString(), "101"),
        entry("30", "301", latin("Caries profunda"), kAmalgam, "301"),
        entry("31", "301", latin("Caries profunda"), kComposite, "301"),
        entry("30-2", "301", latin("Caries media"), kAmalgam, "301"),
        entry("31-2", "301", latin("Caries media"), kComposite, "301"),
        entry("30-3", "301", latin("Caries secunda"), kAmalgam, "301"),
        entry("31-3", "301", latin("Caries secunda"), kComposite, "301"),
        entry("30-4", "301", latin("Caries superf."), kAmalgam, "301"),
        entry("31-4", "301", latin("Caries superf."), kComposite, "301"),
        entry("32", "332", latin("Pulpitis chr.ulcerosa"), kMedLatinM, "332"),
        entry("33", "333", latin("Pulpitis chr.ulcerosa"), kMedCyrillic, "333"),
        entry("32-1", "332", latin("Gangr.complicata"), kMedLatinM, "332"),
        entry("33-1", "301", latin("Gangr.complicata"), kComposite, "301"),
        entry("58-1", "508", latin("DL-Luxacio"), kExtraction, "508"),
        entry("58-2", "508", latin("Radis relicva"), kExtraction, "508"),
        entry("58", "508", latin("R.gangr."), kExtraction, "508"),
        entry("59", "509", latin("R.gangr."), kExtraction, "509"),
        entry("59-1", "509", latin("Periodontitis chr.execerbata"), kExtraction, "509"),
        entry("31-1", "301", latin("Pulpitis chr.ulcerosa"), kComposite, "301"),
        entry("30-1", "301", latin("Pulpitis chr.ulcerosa"), kAmalgam, "301"),
        entry("59-2", "509", latin("Causa protetica"), kExtraction, "509"),
        entry("59-3", "509", latin("Causa ortodontica"), kExtraction, "509"),
        entry("59-4", "509", latin("Parodontosis dentitis"), kExtraction, "509"),
    }};
    return table;
}

const TreatmentShortcut* FindShortcut(const QString& cellText)
{
    const QString typed = trimBlanks(cellText);
    for (const TreatmentShortcut& s : TreatmentShortcuts())
        if (s.typed == typed)
            return &s;
    return nullptr;
}

FundEntry LookUpFund(db::Connection& c, const QString& code, const QString& egn, const QDate& onDay)
{
    FundEntry e;
    const db::Row r = c.first(QStringLiteral("SELECT Times, CenaNad, CenaDo FROM CenyZK WHERE Kod = ? ORDER BY RecID LIMIT 1"),
                              {code});
    if (r.names().isEmpty())
        return e;
    e.found = true;
    e.minutes = r.value(QStringLiteral("Times")).toInt();
    const bool adult = patients::IsOver18ByEGN(egn, onDay);
    // As CenyZK holds it: no step through single precision.
    e.price = Money::fromVariant(r.value(adult ? QStringLiteral("CenaNad") : QStringLiteral("CenaDo")));
    return e;
}

SaveResult ApplySave(db::Row& row, bool isNewRow, const SaveStamp& stamp, db::Connection& c)
{
    SaveResult result;
    row.set(QStringLiteral("EGN"), nullIfEmpty(stamp.egn));
    // The row's code cell, whichever cell the doctor is in: a tooth "31" is no shortcut.
    if (const TreatmentShortcut* s = FindShortcut(row.text(QStringLiteral("KodHelp")))) {
        const FundEntry fund = LookUpFund(c, s->lookup, stamp.egn, stamp.today);
        result.expanded = true;
        result.minutes = fund.minutes;
        row.set(QStringLiteral("KodHelp"), s->kodHelp);
        row.set(QStringLiteral("Help"), nullIfEmpty(s->help));
        row.set(QStringLiteral("Cena"), fund.price.toDouble());
        row.set(QStringLiteral("TextHelp"), nullIfEmpty(s->textHelp));
        row.set(QStringLiteral("Times"), fund.minutes);
    } else if (isNewRow) {
        // Texts stay as typed; a new row has no price or minutes of its own.
        if (row.value(QStringLiteral("Cena")).isNull())
            row.set(QStringLiteral("Cena"), 0.0);
        if (row.value(QStringLiteral("Times")).isNull())
            row.set(QStringLiteral("Times"), 0);
    }
    row.set(QStringLiteral("KodMedic"), nullIfEmpty(stamp.doctorCode));
    row.set(QStringLiteral("ZK"), 1);
    row.set(QStringLiteral("ListID"), nullIfEmpty(stamp.listId));
    return result;
}

bool HasActivityCode(const db::Row& row)
{
    return !trimBlanks(row.text(QStringLiteral("KodHelp"))).isEmpty();
}

bool IsUntypedNewRow(const db::Row& row, const QDate& prefilled)
{
    for (const char* field : {"Vid", "Help", "KodZab", "TextHelp", "KodHelp", "ListID"})
        if (!trimBlanks(row.text(QString::fromLatin1(field))).isEmpty())
            return false;
    const QVariant day = row.value(QStringLiteral("Data"));
    return day.isNull() || dateFromIso(day) == prefilled;
}

void RequirePatient(db::Connection& c, const QString& egn)
{
    if (!c.scalar(QStringLiteral("SELECT 1 FROM Pacients WHERE EGN = ?"), {egn}).isValid())
        throw db::DbError(QStringLiteral("Пациент с ЕГН %1 вече няма в регистъра: ЕГН е коригирано или картонът е изтрит. "
                                         "Затворете прозореца и отворете пациента отново.")
                              .arg(egn));
}

QString SheetNumberText(int number)
{
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0'));
}

QString NextSheetNumber(db::Connection& c, const QString& doctorCode, int year)
{
    // Whole numbers only, blanks around them allowed; the trim runs only for
    // the rare text that is not plain digits. Nothing past nine digits counts,
    // so the next number cannot overflow.
    const QVariant highest = c.scalar(
        QStringLiteral("SELECT MAX(CAST(ListID AS INTEGER)) FROM Help"
                       " WHERE KodMedic = ? AND Data BETWEEN ? AND ?"
                       " AND (ListID NOT GLOB '*[^0-9]*' OR trim(ListID, ' ') NOT GLOB '*[^0-9]*')"
                       " AND CAST(ListID AS INTEGER) < 1000000000"),
        {doctorCode, QDate(year, 1, 1), QDate(year, 12, 31)});
    const int last = highest.isNull() ? 0 : highest.toInt();
    return SheetNumberText(last + 1);
}

QString NextSheetNumber(const QString& doctorCode, int year)
{
    db::Connection c = db::Connection::main();
    return NextSheetNumber(c, doctorCode, year);
}

} // namespace tav::treatments

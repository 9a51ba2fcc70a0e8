#include "shell/login_logic.h"

#include "db/values.h"

#include <algorithm>
#include <climits>

namespace tav::login {

using db::Row;
using db::Rows;

int leadingNumber(const QString& code)
{
    const QString s = trimBlanks(code);
    int i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    // Held in a wider type and capped, so a long run of digits cannot wrap.
    const qint64 limit = negative ? qint64(INT_MAX) + 1 : qint64(INT_MAX);
    qint64 value = 0;
    bool anyDigit = false;
    for (; i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i) {
        anyDigit = true;
        if (value < limit)
            value = std::min(limit, value * 10 + (s[i].unicode() - '0'));
    }
    bool fraction = false;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        for (++i; i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i)
            if (s[i] != QLatin1Char('0'))
                fraction = true;
    }
    if (!anyDigit)
        return 0;
    if (!negative)
        return int(value);
    // Rounded down: -1.5 is -2.
    if (fraction && value < limit)
        ++value;
    return value >= limit ? INT_MIN : int(-value);
}

QStringList doctorNames(const Rows& medic)
{
    QStringList names;
    names.reserve(medic.size());
    for (const Row& r : medic)
        names << r.text(QStringLiteral("Names"));
    return names;
}

DoctorChoice chooseDoctor(const Rows& medic, const QString& listText)
{
    DoctorChoice choice;
    const QString wanted = trimBlanks(listText);
    for (const Row& r : medic) {
        if (trimBlanks(r.text(QStringLiteral("Names"))) != wanted)
            continue;
        choice.found = true;
        choice.recId = r.value(QStringLiteral("RecID")).toLongLong();
        choice.password = trimBlanks(r.text(QStringLiteral("Password")));
        choice.idMedic = leadingNumber(choice.password);
        choice.kodMedic = trimBlanks(r.text(QStringLiteral("KodMedic")));
        choice.names = trimBlanks(r.text(QStringLiteral("Names")));
    }
    return choice;
}

bool codeAccepted(const QString& typed, const QString& keptCode)
{
    return trimBlanks(typed) == trimBlanks(keptCode);
}

bool loginGranted(const QString& typed, const QString& keptCode)
{
    return codeAccepted(typed, keptCode) && !trimBlanks(keptCode).isEmpty();
}

Rows readDoctors(db::Connection& c)
{
    return c.query(QStringLiteral("SELECT * FROM Medic ORDER BY RecID"));
}

StoredCode readStoredCode(db::Connection& c, qint64 recId)
{
    StoredCode stored;
    if (recId <= 0)
        return stored;
    const Row r = c.first(QStringLiteral("SELECT Password FROM Medic WHERE RecID = ?"), {recId});
    if (r.names().isEmpty())
        return stored;
    stored.found = true;
    stored.code = trimBlanks(r.text(QStringLiteral("Password")));
    return stored;
}

ChangeOutcome changeAccessCode(db::Connection& c, qint64 recId, const QString& oldBox,
                               const QString& newBox, const QString& confirmBox)
{
    ChangeOutcome out;
    // Checked against what the row holds now, never a code read earlier.
    const StoredCode stored = readStoredCode(c, recId);
    if (!stored.found) {
        out.result = ChangeResult::NoDoctor;
        out.message = kNoDoctor;
        return out;
    }
    if (trimBlanks(oldBox) != stored.code) {
        out.result = ChangeResult::WrongOld;
        out.message = kWrongOld;
        return out;
    }
    const QString fresh = trimBlanks(newBox);
    if (fresh != trimBlanks(confirmBox)) {
        out.result = ChangeResult::NotConfirmed;
        out.message = kNotConfirmed;
        return out;
    }
    // An empty code could never log in again.
    if (fresh.isEmpty()) {
        out.result = ChangeResult::EmptyNew;
        out.message = kEmptyNew;
        return out;
    }
    if (fresh.size() > kCodeMaxLength) {
        out.result = ChangeResult::TooLong;
        out.message = kTooLong;
        return out;
    }
    db::Transaction t(c);
    const int changed = c.exec(QStringLiteral("UPDATE Medic SET Password = ? WHERE RecID = ?"), {fresh, recId});
    if (changed != 1)
        throw db::DbError(kNoDoctor);
    t.commit();
    out.result = ChangeResult::Changed;
    out.message = kChanged;
    out.newCode = fresh;
    return out;
}

} // namespace tav::login

#include "patients/patientsearch.h"

#include "db/database.h"
#include "db/values.h"

#include <algorithm>

namespace tav::patients {

QString searchKey(const QString& typed)
{
    QString key = trimBlanks(typed);
    if (!key.isEmpty())
        key = key.left(1).toUpper() + key.mid(1);
    return key;
}

QString firstWord(const QString& names)
{
    const QString t = trimBlanks(names);
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    return blank < 0 ? t : t.left(blank);
}

namespace {
const QString kGap = QString(50, QLatin1Char(' '));
}

QString listItem(const QString& names, const QString& egn)
{
    return names + kGap + egn;
}

QString findNameOf(const QString& item)
{
    return item.left(std::max<qsizetype>(0, item.size() - 50));
}

SearchResult SearchByFirstName(const QString& key, const QString& doctorCode,
                               const std::function<void(int, int)>& progress)
{
    db::Connection c = db::Connection::main();
    const db::Rows rows =
        c.query(QStringLiteral("SELECT Names, EGN FROM Pacients WHERE LKod = ? ORDER BY RecID"), {doctorCode});
    SearchResult result;
    result.rows = int(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        if (progress)
            progress(i + 1, result.rows);
        const QString names = rows[i].text("Names");
        if (firstWord(names) == key) {
            const QString egn = rows[i].text("EGN");
            result.items.push_back({listItem(names, egn), egn});
        }
    }
    return result;
}

} // namespace tav::patients

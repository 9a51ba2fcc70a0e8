#include "statistics/specification.h"

#include "db/values.h"
#include "report/format.h"

namespace tav::statistics {

QStringList boxCharacters(const QString& value, int boxes)
{
    QStringList out;
    for (int k = 1; k <= boxes; ++k) {
        if (value.isEmpty())
            out << QString();
        else if (k == boxes)
            out << value.right(1);
        else
            out << value.mid(k - 1, 1);
    }
    return out;
}

QString specificationAmount(const Money& amount, const QLocale& locale)
{
    if (amount == Money())
        return QStringLiteral("0");
    return report::formatNumber(amount.toDouble(), QStringLiteral("####.##"), locale);
}

namespace {

struct Field {
    const char* field;
    const char* label;
};

// The practice's texts, each into its label as stored.
constexpr Field kPracticeFields[] = {
    {"UserName", "Label9"},   {"UserCap", "Label13"},   {"UserObMiniCap", "Label14"}, {"UserCity", "Label25"},
    {"UserUl", "Label26"},    {"UserUlID", "Label28"},  {"UserKs", "Label10"},        {"UserBl", "Label8"},
    {"UserVx", "Label34"},    {"UserEt", "Label32"},    {"UserAp", "Label30"},        {"UserBank", "Label16"},
    {"UserBIC", "Label18"},   {"UserIBAN", "Label20"},  {"UserBULSTAT", "Label22"},   {"UserMOL", "Label54"},
};

struct BoxRow {
    const char* field;
    const char* first;
    int from;             // boxes 2 to 9: Label<from>..Label<from + 7>
    const char* tenth;
};
constexpr BoxRow kBoxRows[] = {
    {"UserID", "Label45", 195, "Label203"},
    {"UserEGN", "Label7", 204, "Label212"},
    {"UserUIN", "Label52", 213, "LabelUIN10"},
};

// A priced row of the table: its count, its price, and its cells.
struct PricedRow {
    const char* field;
    const char* extra;       // the of-which field of an examination row, else null
    const char* extraCell;   // its count cell
    double price;
    const char* countCell;
    const char* amountCell;
    bool groupOne;           // over 18
};
constexpr PricedRow kRows[] = {
    {"F10112", "F10312", "Label80", 6.44, "Label68", "Label69", true},
    {"F30112", nullptr, nullptr, 21.13, "Label86", "Label87", true},
    {"F50912", nullptr, nullptr, 21.13, "Label92", "Label93", true},
    {"F10111", "F10311", "Label116", 6.44, "Label110", "Label111", false},
    {"F30111", nullptr, nullptr, 25.13, "Label122", "Label123", false},
    {"F50811", nullptr, nullptr, 11.98, "Label128", "Label129", false},
    {"F50911", nullptr, nullptr, 25.13, "Label134", "Label135", false},
    {"F33211", nullptr, nullptr, 21.92, "Label140", "Label141", false},
    {"F33311", nullptr, nullptr, 68.93, "Label146", "Label147", false},
};

} // namespace

QHash<QString, QString> specificationCaptions(const db::Row& practice, const db::Row& counts, const QString& start,
                                              const QString& stop, const QLocale& locale)
{
    QHash<QString, QString> out;
    for (const Field& f : kPracticeFields)
        out.insert(QString::fromLatin1(f.label), practice.text(QString::fromLatin1(f.field)));
    for (const BoxRow& b : kBoxRows) {
        const QStringList chars = boxCharacters(practice.text(QString::fromLatin1(b.field)), 10);
        out.insert(QString::fromLatin1(b.first), chars[0]);
        for (int k = 1; k < 9; ++k)
            out.insert(QStringLiteral("Label%1").arg(b.from + k - 1), chars[k]);
        out.insert(QString::fromLatin1(b.tenth), chars[9]);
    }
    out.insert(QStringLiteral("Label42"), start + QStringLiteral(" г."));
    out.insert(QStringLiteral("Label50"), stop + QStringLiteral(" г."));

    Money groupOne, groupTwo;
    for (const PricedRow& r : kRows) {
        const qint64 main = counts.value(QString::fromLatin1(r.field)).toLongLong();
        const qint64 extra = r.extra ? counts.value(QString::fromLatin1(r.extra)).toLongLong() : 0;
        // An examination row counts its additional examinations of pregnant
        // women too, also when it has no others.
        const qint64 count = main + extra;
        const Money amount = Money::fromDouble(r.price) * count;
        out.insert(QString::fromLatin1(r.countCell), QString::number(count));
        if (r.extraCell)
            out.insert(QString::fromLatin1(r.extraCell), QString::number(extra));
        out.insert(QString::fromLatin1(r.amountCell), specificationAmount(amount, locale));
        (r.groupOne ? groupOne : groupTwo) += amount;
    }
    out.insert(QStringLiteral("Label99"), specificationAmount(groupOne, locale));
    out.insert(QStringLiteral("Label153"), specificationAmount(groupTwo, locale));
    out.insert(QStringLiteral("Label159"), specificationAmount(groupOne + groupTwo, locale));
    return out;
}

} // namespace tav::statistics

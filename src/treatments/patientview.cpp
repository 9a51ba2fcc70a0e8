#include "treatments/patientview.h"

#include "db/values.h"
#include "patients/dentalchart.h"
#include "patients/toothcodes.h"

namespace tav::treatments {

namespace {

QString stored(const db::Row& r, const char* field)
{
    return r.text(QString::fromLatin1(field));
}

} // namespace

HeaderText ComposeHeader(const db::Row& p)
{
    HeaderText h;
    h.caption = QStringLiteral("Картон на ") + stored(p, "Names") + QStringLiteral(" с ЕГН ") + stored(p, "EGN")
              + QStringLiteral("  ЗОК №") + stored(p, "ZBook");

    struct Piece {
        const char* field;
        const char16_t* separator;
    };
    static const Piece pieces[] = {
        {"KV", u", "}, {"UL", u", "}, {"BL", u", бл."}, {"VX", u", вх."}, {"ET", u", ет."}, {"AP", u", ап."},
    };
    h.address = stored(p, "Tawn");
    for (const Piece& piece : pieces) {
        const QString v = stored(p, piece.field);
        if (!trimBlanks(v).isEmpty())
            h.address += QString::fromUtf16(piece.separator) + v;
    }

    // Telephones are tested untrimmed: a number of blanks is shown.
    const QString tkod = stored(p, "TKod");
    const QString prefix = tkod.isEmpty() ? QString() : tkod + QLatin1Char('/');
    const QString home = stored(p, "DTel"), work = stored(p, "STel"), mobile = stored(p, "MTel");
    if (!home.isEmpty())
        h.phones = QStringLiteral("дом.") + prefix + home;
    if (!work.isEmpty())
        h.phones += QStringLiteral(", сл.") + prefix + work;
    if (!mobile.isEmpty())
        h.phones += QStringLiteral(", моб.") + mobile;
    return h;
}

QStringList LegendLines(const QString& caption, int lines)
{
    QStringList entries;
    for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!entries.isEmpty() && entries.back().endsWith(QLatin1Char(',')))
            entries.back() += QLatin1Char(' ') + word;
        else
            entries << word;
    }
    while (lines > 0 && entries.size() > lines) {
        const QString last = entries.takeLast();
        entries.back() += QLatin1Char(' ') + last;
    }
    return entries;
}

namespace {

struct PlaceIndex {
    std::array<int, 53> placeOfColumn{};
};

int placeNumber(const patients::ChartPlace& p)
{
    return (p.upper ? 0 : 16) + p.place - 1;
}

const PlaceIndex& placeIndex()
{
    static const PlaceIndex ix = [] {
        PlaceIndex i;
        i.placeOfColumn.fill(-1);
        for (const patients::ChartPlace& p : patients::chartPlaces()) {
            i.placeOfColumn[patients::columnOfTooth(p.permanentTooth)] = placeNumber(p);
            if (p.milkTooth != 0)
                i.placeOfColumn[patients::columnOfTooth(p.milkTooth)] = placeNumber(p);
        }
        return i;
    }();
    return ix;
}

} // namespace

int placeOfColumn(int column)
{
    return column >= 1 && column <= 52 ? placeIndex().placeOfColumn[column] : -1;
}

int placeLabelIndex(int place)
{
    static const int labels[kChartPlaces] = {
        76, 77, 83, 82, 81, 80, 79, 78, 68, 69, 75, 74, 73, 72, 71, 70,
        60, 61, 67, 66, 65, 64, 63, 62, 52, 53, 59, 58, 57, 56, 55, 54,
    };
    return place >= 0 && place < kChartPlaces ? labels[place] : -1;
}

int milkNumberLabelIndex(int column)
{
    // Z13 and Z14 have their labels the other way round.
    static const int labels[21] = {0, 1, 2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 16, 18, 19, 20, 21, 22, 23};
    return column >= 1 && column <= 20 ? labels[column] : -1;
}

ChartView ComposeChart(const db::Row& dental)
{
    ChartView v;
    for (const patients::ChartPlace& p : patients::chartPlaces()) {
        const int place = placeNumber(p);
        const int column = patients::columnOfTooth(p.permanentTooth);
        v.column[place] = column;
        v.places[place] = dental.text(QStringLiteral("Z%1").arg(column));
    }
    for (int column = 1; column <= 20; ++column) {
        const QString milk = dental.text(QStringLiteral("Z%1").arg(column));
        const QString trimmed = trimBlanks(milk);
        if (trimmed.isEmpty())
            continue;
        const int place = placeOfColumn(column);
        v.milkShown[column] = true;
        if (trimmed == patients::kMilkToothMark) {
            v.places[place].clear();
        } else {
            v.places[place] = milk;
            v.column[place] = column;
        }
    }
    return v;
}

} // namespace tav::treatments

#pragma once
// What the treatment form shows of its patient: the caption and the two
// composed header lines, and the read-only dental chart with its milk teeth.
// Pure fills from the stored rows, so tests call them without a window.

#include "db/database.h"

#include <QString>
#include <array>

namespace tav::treatments {

struct HeaderText {
    QString caption;   // "Картон на <Names> с ЕГН <EGN>  ЗОК №<ZBook>"
    QString address;   // Tawn, KV, UL, бл., вх., ет., ап.
    QString phones;    // дом., сл. with the area code, моб. without
};
// From a Pacients row. Values go in as stored; Null adds nothing.
HeaderText ComposeHeader(const db::Row& pacients);

inline constexpr int kChartPlaces = 32;

struct ChartView {
    // Upper row left to right (18..11, 21..28), then the lower (48..41, 31..38).
    std::array<QString, kChartPlaces> places{};
    // By milk column 1..20 (Z1..Z20): its red number is shown.
    std::array<bool, 21> milkShown{};
    // The Dental column each place shows.
    std::array<int, kChartPlaces> column{};
};
// From a Dental row; an empty Row (no chart) gives 32 empty places. A milk
// tooth present (its field not blank) takes its place: "*" shows nothing,
// a code shows as stored.
ChartView ComposeChart(const db::Row& dental);

// A legend column's caption as its lines: one per code or name. A code
// ending in a comma goes on with the next ("I,II, III"), and the last line
// takes what is left beyond `lines` ("подвижност на зъбите").
QStringList LegendLines(const QString& caption, int lines);

// The form's controls: Label5(index) of each place, Label1(index) of each
// milk number.
int placeLabelIndex(int place);          // place 0..31 as in ChartView
int milkNumberLabelIndex(int column);    // column 1..20
int placeOfColumn(int column);           // place 0..31 of a Dental column 1..52

} // namespace tav::treatments

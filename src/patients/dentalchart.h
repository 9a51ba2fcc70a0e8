#pragma once
// The dental chart of the patient card: 32 places in two rows, 20 of them
// showing either the permanent tooth or the milk tooth of the place, with a
// milk-tooth switch per such place; the typed shortcuts converted on leaving
// a box. Kept apart from the window: the window copies its boxes into a
// ChartState, runs a routine and shows the result.

#include <QString>
#include <array>

namespace tav::patients {

// One place of the chart, numbered 1..16 left to right on screen.
struct ChartPlace {
    bool upper;
    int place;
    int permanentTooth;   // FDI number
    int permanentBox;     // index into txtFields
    int milkTooth;        // 0: the place has no milk tooth
    int milkBox;
    int switchNo;         // Check1..Check20, 0 for none
};

// Upper row places 1..16, then lower row places 1..16.
const std::array<ChartPlace, 32>& chartPlaces();
// The place of switch n (1..20).
const ChartPlace& placeOfSwitch(int n);
// The place whose permanent or milk box this is; nullptr for other indexes.
const ChartPlace* placeOfBox(int txtFieldsIndex);
// The Dental column number (Z1..Z52) of a chart box, 0 for other indexes.
int columnOfBox(int txtFieldsIndex);
// The txtFields index of column Zn.
int boxOfColumn(int column);

inline constexpr int kFirstChartBox = 23;   // 23..42 milk, 43..74 permanent
inline constexpr int kLastChartBox = 74;
inline constexpr int kSexBox = 17;          // Pol
inline constexpr int kBoxCount = 75;
inline constexpr int kSwitchCount = 20;

// What the window shows of the chart at one moment.
struct ChartState {
    std::array<QString, kBoxCount> text{};   // by txtFields index
    std::array<bool, kBoxCount> shown{};     // visible and enabled
    std::array<bool, kSwitchCount + 1> ticked{};   // 1..20
    int nChek = 0;   // the state of the switch that last got the focus

    // As the window starts: permanent boxes shown, milk boxes hidden, no tick.
    static ChartState initial();
};

// Hides (then disables) one box, shows (then enables) the other; texts stay.
void ShowToothField(ChartState& s, int shownBox, int hiddenBox);
// Moves the text of sPoleNo into sPoleYes, empties sPoleNo and shows sPoleYes
// in its place.
void All_LostFocus(ChartState& s, int sPoleYes, int sPoleNo);
// Unticks every switch and shows every permanent box; texts stay.
void ResetMilkTeeth(ChartState& s);
// Ticks the switch of every milk box that holds a text (trimmed, not empty)
// and shows that milk box; unticks nothing and moves no text.
void SetUpFromData(ChartState& s);
// The switch got the focus: remember its state.
void CheckGotFocus(ChartState& s, int n);
// The switch lost the focus: a tick since it got the focus moves the place's
// text into the milk box, an untick moves it back.
void CheckLostFocus(ChartState& s, int n);
// A box of txtFields lost the focus: the sex box is upper-cased, the
// shortcuts left in every chart box become their codes, and "00" or "*" left
// in the permanent box of a place with a milk tooth works its switch.
void CodeEntry(ChartState& s, int lostBox);

} // namespace tav::patients

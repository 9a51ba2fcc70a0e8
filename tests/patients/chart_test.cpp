#include "patients/dentalchart.h"
#include "patients/toothcodes.h"

#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>

using namespace tav::patients;

namespace {

const ChartPlace& placeOfTooth(int fdi)
{
    for (const ChartPlace& p : chartPlaces())
        if (p.permanentTooth == fdi || p.milkTooth == fdi)
            return p;
    throw std::logic_error("no such tooth");
}

int box(int fdi)
{
    const ChartPlace& p = placeOfTooth(fdi);
    return p.permanentTooth == fdi ? p.permanentBox : p.milkBox;
}

// At every place with a milk tooth exactly one box shows, and the switch is
// ticked exactly when it is the milk box.
void expectConsistent(const ChartState& s)
{
    for (int n = 1; n <= kSwitchCount; ++n) {
        const ChartPlace& p = placeOfSwitch(n);
        EXPECT_NE(s.shown[p.milkBox], s.shown[p.permanentBox]) << "switch " << n;
        EXPECT_EQ(s.ticked[n], s.shown[p.milkBox]) << "switch " << n;
    }
}

} // namespace

// The chart's places as the card shows them, left to right on screen: the
// permanent tooth with its column and box, the milk tooth sharing the place
// with its column and box, and the place's switch (0: none).
struct PlaceRow {
    bool upper;
    int place;
    int permanentTooth, permanentColumn, permanentBox;
    int milkTooth, milkColumn, milkBox;
    int switchNo;
};
const PlaceRow kPlaces[] = {
    {true, 1, 18, 21, 51, 0, 0, 0, 0},
    {true, 2, 17, 22, 50, 0, 0, 0, 0},
    {true, 3, 16, 23, 49, 0, 0, 0, 0},
    {true, 4, 15, 24, 65, 55, 1, 29, 1},
    {true, 5, 14, 25, 64, 54, 2, 30, 2},
    {true, 6, 13, 26, 63, 53, 3, 31, 3},
    {true, 7, 12, 27, 62, 52, 4, 32, 4},
    {true, 8, 11, 28, 66, 51, 5, 28, 5},
    {true, 9, 21, 29, 52, 61, 6, 39, 6},
    {true, 10, 22, 30, 53, 62, 7, 40, 7},
    {true, 11, 23, 31, 54, 63, 8, 41, 8},
    {true, 12, 24, 32, 55, 64, 9, 42, 9},
    {true, 13, 25, 33, 56, 65, 10, 38, 10},
    {true, 14, 26, 34, 74, 0, 0, 0, 0},
    {true, 15, 27, 35, 73, 0, 0, 0, 0},
    {true, 16, 28, 36, 72, 0, 0, 0, 0},
    {false, 1, 48, 37, 48, 0, 0, 0, 0},
    {false, 2, 47, 38, 47, 0, 0, 0, 0},
    {false, 3, 46, 39, 46, 0, 0, 0, 0},
    {false, 4, 45, 40, 70, 85, 11, 24, 11},
    {false, 5, 44, 41, 69, 84, 12, 25, 12},
    {false, 6, 43, 42, 68, 83, 13, 26, 13},
    {false, 7, 42, 43, 67, 82, 14, 27, 14},
    {false, 8, 41, 44, 71, 81, 15, 23, 15},
    {false, 9, 31, 45, 60, 71, 16, 34, 16},
    {false, 10, 32, 46, 59, 72, 17, 35, 17},
    {false, 11, 33, 47, 58, 73, 18, 36, 18},
    {false, 12, 34, 48, 57, 74, 19, 37, 19},
    {false, 13, 35, 49, 61, 75, 20, 33, 20},
    {false, 14, 36, 50, 45, 0, 0, 0, 0},
    {false, 15, 37, 51, 44, 0, 0, 0, 0},
    {false, 16, 38, 52, 43, 0, 0, 0, 0},
};

TEST(DentalChart, PlacesInArchOrder)
{
    const auto& places = chartPlaces();
    ASSERT_EQ(std::size(kPlaces), places.size());
    std::set<int> boxes;
    for (size_t i = 0; i < places.size(); ++i) {
        const PlaceRow& want = kPlaces[i];
        const ChartPlace& got = places[i];
        const std::string where = (want.upper ? "upper " : "lower ") + std::to_string(want.place);
        EXPECT_EQ(got.upper, want.upper) << where;
        EXPECT_EQ(got.place, want.place) << where;
        EXPECT_EQ(got.permanentTooth, want.permanentTooth) << where;
        EXPECT_EQ(got.permanentBox, want.permanentBox) << where;
        EXPECT_EQ(got.milkTooth, want.milkTooth) << where;
        EXPECT_EQ(got.switchNo, want.switchNo) << where;
        EXPECT_EQ(columnOfTooth(want.permanentTooth), want.permanentColumn) << where;
        EXPECT_EQ(toothOfColumn(want.permanentColumn), want.permanentTooth) << where;
        EXPECT_EQ(columnOfBox(want.permanentBox), want.permanentColumn) << where;
        EXPECT_EQ(boxOfColumn(want.permanentColumn), want.permanentBox) << where;
        EXPECT_EQ(placeOfBox(want.permanentBox), &got) << where;
        boxes.insert(want.permanentBox);
        if (want.milkTooth == 0)
            continue;
        EXPECT_EQ(got.milkBox, want.milkBox) << where;
        EXPECT_EQ(columnOfTooth(want.milkTooth), want.milkColumn) << where;
        EXPECT_EQ(toothOfColumn(want.milkColumn), want.milkTooth) << where;
        EXPECT_EQ(columnOfBox(want.milkBox), want.milkColumn) << where;
        EXPECT_EQ(boxOfColumn(want.milkColumn), want.milkBox) << where;
        EXPECT_EQ(placeOfBox(want.milkBox), &got) << where;
        EXPECT_EQ(&placeOfSwitch(want.switchNo), &got) << where;
        boxes.insert(want.milkBox);
    }
    // 23..42 the milk boxes, 43..74 the permanent ones; no other index is a tooth.
    EXPECT_EQ(boxes.size(), 52u);
    EXPECT_EQ(*boxes.begin(), 23);
    EXPECT_EQ(*boxes.rbegin(), 74);
    for (int i = 0; i < 23; ++i) {
        EXPECT_EQ(columnOfBox(i), 0) << i;
        EXPECT_EQ(placeOfBox(i), nullptr) << i;
    }
}

TEST(DentalChart, TheMilkMarkInEachPermanentBoxWorksItsOwnSwitch)
{
    // "00" left in one of the permanent boxes 52..71 ticks this switch.
    const std::pair<int, int> boxToSwitch[] = {
        {52, 6}, {53, 7}, {54, 8}, {55, 9}, {56, 10}, {57, 19}, {58, 18}, {59, 17}, {60, 16}, {61, 20},
        {62, 4}, {63, 3}, {64, 2}, {65, 1}, {66, 5}, {67, 14}, {68, 13}, {69, 12}, {70, 11}, {71, 15},
    };
    for (const auto& [permanentBox, n] : boxToSwitch) {
        ChartState s = ChartState::initial();
        s.text[permanentBox] = "00";
        CodeEntry(s, permanentBox);
        for (int k = 1; k <= kSwitchCount; ++k)
            EXPECT_EQ(s.ticked[k], k == n) << "box " << permanentBox << ", switch " << k;
        EXPECT_EQ(s.text[permanentBox], "") << permanentBox;
        EXPECT_FALSE(s.shown[permanentBox]) << permanentBox;
    }
    // The permanent boxes of places without a milk tooth work none.
    for (int permanentBox : {43, 44, 45, 46, 47, 48, 49, 50, 51, 72, 73, 74}) {
        ChartState s = ChartState::initial();
        s.text[permanentBox] = "00";
        CodeEntry(s, permanentBox);
        EXPECT_EQ(s.ticked, ChartState::initial().ticked) << permanentBox;
        EXPECT_EQ(s.text[permanentBox], "*") << permanentBox;
    }
}

TEST(DentalChart, CodeEntryConvertsEveryBoxHiddenOnesIncluded)
{
    ChartState s = ChartState::initial();
    s.text[box(36)] = "1";
    s.text[box(37)] = " 1";
    s.text[box(38)] = "c";
    s.text[box(46)] = "0";
    s.text[box(47)] = "00";
    s.text[box(48)] = "01";
    s.text[box(16)] = "12";
    s.text[box(17)] = "18";
    s.text[box(18)] = "44";
    s.text[box(55)] = "5";    // hidden milk box
    s.text[kSexBox] = "ж";
    CodeEntry(s, 3);          // leaving a non-chart box of the card
    EXPECT_EQ(s.text[box(36)], "C");
    EXPECT_EQ(s.text[box(37)], " 1");
    EXPECT_EQ(s.text[box(38)], "c");
    EXPECT_EQ(s.text[box(46)], "Pa");
    EXPECT_EQ(s.text[box(47)], "*");   // no milk tooth at 47: works no switch
    EXPECT_EQ(s.text[box(48)], "I");
    EXPECT_EQ(s.text[box(16)], "OC");
    EXPECT_EQ(s.text[box(17)], "OP");
    EXPECT_EQ(s.text[box(18)], "Rr");
    EXPECT_EQ(s.text[box(55)], "K");
    EXPECT_EQ(s.text[kSexBox], "Ж");
    expectConsistent(s);
    // converting again changes nothing
    const ChartState once = s;
    CodeEntry(s, box(36));
    EXPECT_EQ(s.text, once.text);
    EXPECT_EQ(s.shown, once.shown);
}

TEST(DentalChart, MilkMarkInThePermanentBoxWorksTheSwitch)
{
    ChartState s = ChartState::initial();
    s.text[box(11)] = "00";
    CodeEntry(s, box(11));
    EXPECT_EQ(s.text[box(51)], "*");
    EXPECT_TRUE(s.shown[box(51)]);
    EXPECT_EQ(s.text[box(11)], "");
    EXPECT_FALSE(s.shown[box(11)]);
    EXPECT_TRUE(s.ticked[5]);
    expectConsistent(s);

    // the same text in a box that is not the one left only becomes "*"
    ChartState t = ChartState::initial();
    t.text[box(21)] = "*";
    CodeEntry(t, box(22));
    EXPECT_EQ(t.text[box(21)], "*");
    EXPECT_FALSE(t.ticked[6]);
    // "*" in tooth 18 (no milk tooth) stays and works nothing
    ChartState u = ChartState::initial();
    u.text[box(18)] = "*";
    CodeEntry(u, box(18));
    EXPECT_EQ(u.text[box(18)], "*");
    EXPECT_EQ(u.ticked, ChartState::initial().ticked);
    // leaving 21 holding "C" while milk 55 holds "*": nothing moves
    ChartState v = ChartState::initial();
    v.text[box(21)] = "C";
    v.text[box(55)] = "*";
    const ChartState before = v;
    CodeEntry(v, box(21));
    EXPECT_EQ(v.text, before.text);
    EXPECT_EQ(v.shown, before.shown);
    EXPECT_EQ(v.ticked, before.ticked);
    // each of the 20 permanent boxes works its own switch
    for (int n = 1; n <= kSwitchCount; ++n) {
        ChartState w = ChartState::initial();
        const ChartPlace& p = placeOfSwitch(n);
        w.text[p.permanentBox] = "*";
        CodeEntry(w, p.permanentBox);
        EXPECT_TRUE(w.ticked[n]) << n;
        EXPECT_EQ(w.text[p.milkBox], "*") << n;
        expectConsistent(w);
    }
}

TEST(DentalChart, SwitchMovesTheTextWhenLeft)
{
    ChartState s = ChartState::initial();
    s.text[box(15)] = "K";
    CheckGotFocus(s, 1);
    EXPECT_EQ(s.nChek, 0);
    s.ticked[1] = true;   // the user ticks it
    CheckLostFocus(s, 1);
    EXPECT_EQ(s.text[box(55)], "K");
    EXPECT_TRUE(s.shown[box(55)]);
    EXPECT_EQ(s.text[box(15)], "");
    EXPECT_FALSE(s.shown[box(15)]);
    expectConsistent(s);

    CheckGotFocus(s, 1);
    EXPECT_EQ(s.nChek, 1);
    s.ticked[1] = false;
    CheckLostFocus(s, 1);
    EXPECT_EQ(s.text[box(15)], "K");
    EXPECT_TRUE(s.shown[box(15)]);
    EXPECT_EQ(s.text[box(55)], "");
    EXPECT_FALSE(s.shown[box(55)]);
    expectConsistent(s);

    // ticked and unticked again before leaving: nothing moves
    const ChartState before = s;
    CheckGotFocus(s, 1);
    s.ticked[1] = true;
    s.ticked[1] = false;
    CheckLostFocus(s, 1);
    EXPECT_EQ(s.text, before.text);
    EXPECT_EQ(s.shown, before.shown);
    // left without a change, twice: nothing moves
    CheckGotFocus(s, 1);
    CheckLostFocus(s, 1);
    CheckLostFocus(s, 1);
    EXPECT_EQ(s.text, before.text);
}

TEST(DentalChart, SetUpFromDataAndReset)
{
    ChartState s = ChartState::initial();
    s.text[box(55)] = "*";
    s.text[box(61)] = "C";
    s.text[box(85)] = "   ";     // blanks only: no milk tooth
    s.text[box(21)] = "K";       // stays stored, hidden
    SetUpFromData(s);
    EXPECT_TRUE(s.ticked[1]);
    EXPECT_TRUE(s.ticked[6]);
    EXPECT_FALSE(s.ticked[11]);
    EXPECT_FALSE(s.shown[box(21)]);
    EXPECT_EQ(s.text[box(21)], "K");
    expectConsistent(s);
    // never unticks: a switch ticked by hand with an empty milk box stays ticked
    s.ticked[2] = true;
    ShowToothField(s, box(54), box(14));
    SetUpFromData(s);
    EXPECT_TRUE(s.ticked[2]);
    // running it again changes nothing
    const ChartState once = s;
    SetUpFromData(s);
    EXPECT_EQ(s.shown, once.shown);
    EXPECT_EQ(s.ticked, once.ticked);

    ResetMilkTeeth(s);
    for (int n = 1; n <= kSwitchCount; ++n)
        EXPECT_FALSE(s.ticked[n]);
    for (const ChartPlace& p : chartPlaces()) {
        EXPECT_TRUE(s.shown[p.permanentBox]);
        if (p.milkTooth) {
            EXPECT_FALSE(s.shown[p.milkBox]);
        }
    }
    EXPECT_EQ(s.text[box(55)], "*");   // texts stay
}

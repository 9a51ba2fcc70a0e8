#include "patients/dentalchart.h"
#include "patients/toothcodes.h"

#include <gtest/gtest.h>
#include <set>

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

TEST(DentalChart, PlacesInArchOrder)
{
    const int upper[] = {18, 17, 16, 15, 14, 13, 12, 11, 21, 22, 23, 24, 25, 26, 27, 28};
    const int lower[] = {48, 47, 46, 45, 44, 43, 42, 41, 31, 32, 33, 34, 35, 36, 37, 38};
    const auto& places = chartPlaces();
    std::set<int> boxes;
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(places[i].upper);
        EXPECT_EQ(places[i].place, i + 1);
        EXPECT_EQ(places[i].permanentTooth, upper[i]);
        EXPECT_FALSE(places[16 + i].upper);
        EXPECT_EQ(places[16 + i].permanentTooth, lower[i]);
    }
    int switches = 0;
    for (const ChartPlace& p : places) {
        EXPECT_TRUE(boxes.insert(p.permanentBox).second);
        EXPECT_GE(p.permanentBox, 43);
        EXPECT_EQ(columnOfBox(p.permanentBox), columnOfTooth(p.permanentTooth));
        EXPECT_EQ(boxOfColumn(columnOfTooth(p.permanentTooth)), p.permanentBox);
        if (p.milkTooth == 0)
            continue;
        ++switches;
        EXPECT_EQ(p.milkTooth, p.permanentTooth + 40);
        EXPECT_TRUE(boxes.insert(p.milkBox).second);
        EXPECT_LE(p.milkBox, 42);
        EXPECT_GE(p.permanentBox, 52);   // 52..71: the permanent boxes of places with a milk tooth
        EXPECT_LE(p.permanentBox, 71);
        EXPECT_EQ(columnOfBox(p.milkBox), columnOfTooth(p.milkTooth));
        EXPECT_EQ(&placeOfSwitch(p.switchNo), &p);
        EXPECT_EQ(p.place >= 4 && p.place <= 13, true);
    }
    EXPECT_EQ(switches, 20);
    EXPECT_EQ(boxes.size(), 52u);
    EXPECT_EQ(*boxes.begin(), kFirstChartBox);
    EXPECT_EQ(*boxes.rbegin(), kLastChartBox);
    EXPECT_EQ(placeOfSwitch(1).milkTooth, 55);
    EXPECT_EQ(placeOfSwitch(5).milkTooth, 51);
    EXPECT_EQ(placeOfSwitch(6).milkTooth, 61);
    EXPECT_EQ(placeOfSwitch(11).milkTooth, 85);
    EXPECT_EQ(placeOfSwitch(20).milkTooth, 75);
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

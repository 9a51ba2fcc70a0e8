#include "patients/dentalchart.h"

#include "db/values.h"
#include "patients/toothcodes.h"

namespace tav::patients {

const std::array<ChartPlace, 32>& chartPlaces()
{
    static const std::array<ChartPlace, 32> places = {{
        {true, 1, 18, 51, 0, 0, 0},
        {true, 2, 17, 50, 0, 0, 0},
        {true, 3, 16, 49, 0, 0, 0},
        {true, 4, 15, 65, 55, 29, 1},
        {true, 5, 14, 64, 54, 30, 2},
        {true, 6, 13, 63, 53, 31, 3},
        {true, 7, 12, 62, 52, 32, 4},
        {true, 8, 11, 66, 51, 28, 5},
        {true, 9, 21, 52, 61, 39, 6},
        {true, 10, 22, 53, 62, 40, 7},
        {true, 11, 23, 54, 63, 41, 8},
        {true, 12, 24, 55, 64, 42, 9},
        {true, 13, 25, 56, 65, 38, 10},
        {true, 14, 26, 74, 0, 0, 0},
        {true, 15, 27, 73, 0, 0, 0},
        {true, 16, 28, 72, 0, 0, 0},
        {false, 1, 48, 48, 0, 0, 0},
        {false, 2, 47, 47, 0, 0, 0},
        {false, 3, 46, 46, 0, 0, 0},
        {false, 4, 45, 70, 85, 24, 11},
        {false, 5, 44, 69, 84, 25, 12},
        {false, 6, 43, 68, 83, 26, 13},
        {false, 7, 42, 67, 82, 27, 14},
        {false, 8, 41, 71, 81, 23, 15},
        {false, 9, 31, 60, 71, 34, 16},
        {false, 10, 32, 59, 72, 35, 17},
        {false, 11, 33, 58, 73, 36, 18},
        {false, 12, 34, 57, 74, 37, 19},
        {false, 13, 35, 61, 75, 33, 20},
        {false, 14, 36, 45, 0, 0, 0},
        {false, 15, 37, 44, 0, 0, 0},
        {false, 16, 38, 43, 0, 0, 0},
    }};
    return places;
}

namespace {

struct Index {
    std::array<const ChartPlace*, kBoxCount> placeOfBox{};
    std::array<int, kBoxCount> columnOfBox{};
    std::array<int, 53> boxOfColumn{};
    std::array<const ChartPlace*, kSwitchCount + 1> placeOfSwitch{};
};

const Index& index()
{
    static const Index ix = [] {
        Index i;
        for (const ChartPlace& p : chartPlaces()) {
            i.placeOfBox[p.permanentBox] = &p;
            const int pc = columnOfTooth(p.permanentTooth);
            i.columnOfBox[p.permanentBox] = pc;
            i.boxOfColumn[pc] = p.permanentBox;
            if (p.milkTooth != 0) {
                i.placeOfBox[p.milkBox] = &p;
                const int mc = columnOfTooth(p.milkTooth);
                i.columnOfBox[p.milkBox] = mc;
                i.boxOfColumn[mc] = p.milkBox;
                i.placeOfSwitch[p.switchNo] = &p;
            }
        }
        return i;
    }();
    return ix;
}

} // namespace

const ChartPlace& placeOfSwitch(int n)
{
    return *index().placeOfSwitch.at(n);
}

const ChartPlace* placeOfBox(int txtFieldsIndex)
{
    if (txtFieldsIndex < 0 || txtFieldsIndex >= kBoxCount)
        return nullptr;
    return index().placeOfBox[txtFieldsIndex];
}

int columnOfBox(int txtFieldsIndex)
{
    if (txtFieldsIndex < 0 || txtFieldsIndex >= kBoxCount)
        return 0;
    return index().columnOfBox[txtFieldsIndex];
}

int boxOfColumn(int column)
{
    return column >= 1 && column <= 52 ? index().boxOfColumn[column] : -1;
}

ChartState ChartState::initial()
{
    ChartState s;
    for (const ChartPlace& p : chartPlaces())
        s.shown[p.permanentBox] = true;
    return s;
}

void ShowToothField(ChartState& s, int shownBox, int hiddenBox)
{
    s.shown[hiddenBox] = false;
    s.shown[shownBox] = true;
}

void All_LostFocus(ChartState& s, int sPoleYes, int sPoleNo)
{
    s.text[sPoleYes] = s.text[sPoleNo];
    s.text[sPoleNo].clear();
    ShowToothField(s, sPoleYes, sPoleNo);
}

void ResetMilkTeeth(ChartState& s)
{
    for (int n = 1; n <= kSwitchCount; ++n)
        s.ticked[n] = false;
    for (int n = 1; n <= kSwitchCount; ++n) {
        const ChartPlace& p = placeOfSwitch(n);
        ShowToothField(s, p.permanentBox, p.milkBox);
    }
}

void SetUpFromData(ChartState& s)
{
    for (int n = 1; n <= kSwitchCount; ++n) {
        const ChartPlace& p = placeOfSwitch(n);
        if (trimBlanks(s.text[p.milkBox]).isEmpty())
            continue;
        s.ticked[n] = true;
        ShowToothField(s, p.milkBox, p.permanentBox);
    }
}

void CheckGotFocus(ChartState& s, int n)
{
    s.nChek = s.ticked[n] ? 1 : 0;
}

void CheckLostFocus(ChartState& s, int n)
{
    const ChartPlace& p = placeOfSwitch(n);
    if (s.ticked[n] && s.nChek == 0)
        All_LostFocus(s, p.milkBox, p.permanentBox);
    if (!s.ticked[n] && s.nChek == 1)
        All_LostFocus(s, p.permanentBox, p.milkBox);
}

void CodeEntry(ChartState& s, int lostBox)
{
    s.text[kSexBox] = s.text[kSexBox].toUpper();
    for (int i = kFirstChartBox; i <= kLastChartBox; ++i) {
        const std::optional<QString> code = storedToothCode(s.text[i]);
        if (!code)
            continue;
        const bool milkMark = s.text[i] == QLatin1String("00") || s.text[i] == kMilkToothMark;
        s.text[i] = *code;
        if (!milkMark || i != lostBox)
            continue;
        const ChartPlace* p = placeOfBox(i);
        if (p && p->switchNo != 0 && p->permanentBox == i) {
            CheckGotFocus(s, p->switchNo);
            s.ticked[p->switchNo] = true;
            CheckLostFocus(s, p->switchNo);
        }
    }
}

} // namespace tav::patients

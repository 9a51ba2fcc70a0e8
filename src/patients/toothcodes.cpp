#include "patients/toothcodes.h"

#include <array>
#include <utility>

namespace tav::patients {

namespace {
// Column order of the teeth: each run of columns lists its teeth.
constexpr std::array<int, 52> kTeeth = {
    55, 54, 53, 52, 51, 61, 62, 63, 64, 65, 85, 84, 83, 82, 81, 71, 72, 73, 74, 75,
    18, 17, 16, 15, 14, 13, 12, 11, 21, 22, 23, 24, 25, 26, 27, 28,
    48, 47, 46, 45, 44, 43, 42, 41, 31, 32, 33, 34, 35, 36, 37, 38};
}

int columnOfTooth(int fdi)
{
    for (int i = 0; i < int(kTeeth.size()); ++i)
        if (kTeeth[i] == fdi)
            return i + 1;
    return 0;
}

int toothOfColumn(int column)
{
    return column >= 1 && column <= 52 ? kTeeth[column - 1] : 0;
}

std::optional<QString> storedToothCode(const QString& typed)
{
    static const std::pair<const char*, const char*> codes[] = {
        {"1", "C"}, {"8", "P"}, {"9", "G"}, {"4", "R"}, {"2", "O"}, {"3", "E"},
        {"5", "K"}, {"6", "X"}, {"0", "Pa"}, {"7", "F"}, {"01", "I"}, {"02", "II"},
        {"03", "III"}, {"12", "OC"}, {"44", "Rr"}, {"18", "OP"}, {"00", "*"}, {"*", "*"}};
    for (const auto& [shortcut, code] : codes)
        if (typed == QLatin1String(shortcut))
            return QString::fromLatin1(code);
    return std::nullopt;
}

} // namespace tav::patients

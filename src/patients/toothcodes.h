#pragma once
// Which Dental column holds which tooth, and the typed shortcuts of the
// tooth status codes.

#include <QString>
#include <optional>

namespace tav::patients {

// Column number n of "Zn" (1..52) for an FDI tooth number, 0 for none.
// Z1..Z20 milk 55..51, 61..65, 85..81, 71..75; Z21..Z52 permanent 18..11,
// 21..28, 48..41, 31..38.
int columnOfTooth(int fdi);
// The FDI tooth number of column n (1..52), 0 for none.
int toothOfColumn(int column);
inline bool isMilkColumn(int column) { return column >= 1 && column <= 20; }

// The stored code of a typed shortcut, compared exactly (no trimming, case
// counts): "1" C, "8" P, "9" G, "4" R, "2" O, "3" E, "5" K, "6" X, "0" Pa,
// "7" F, "01" I, "02" II, "03" III, "12" OC, "44" Rr, "18" OP, "00" and "*"
// the milk tooth mark "*". Any other text has none.
std::optional<QString> storedToothCode(const QString& typed);

inline const QString kMilkToothMark = QStringLiteral("*");

} // namespace tav::patients

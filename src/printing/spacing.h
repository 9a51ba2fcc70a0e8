#pragma once
// Values spread for the printed rows of one-character boxes: the first ten
// characters with a separator between neighbours. Counted in characters.

#include <QString>

namespace tav {

// Two blanks between characters (the wide boxes: activity and tooth codes).
// Always nine separators: a shorter text ends in blanks, characters after the
// tenth are dropped, nothing is trimmed.
QString SpreadTextWide(const QString& text);
// One blank between characters (the narrow boxes: EGN, codes, book numbers).
QString SpreadTextNarrow(const QString& text);

} // namespace tav

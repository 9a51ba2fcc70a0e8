#pragma once
// The dental card with treatment list, printed from the treatment form: the
// patient's particulars, the 32 tooth places with the milk teeth marked in
// them, and the patient's treatments by date.

#include "printing/cardtexts.h"

#include <functional>

namespace tav::printing {

// Milk pass, then permanent pass: a place with a milk tooth shows its number
// in a box; its status box shows the permanent status when there is one,
// else the milk status.
void fillDentalCard(report::Layout& layout, const CardInput& in);

// FDI number of the tooth of field Z1..Z52.
int toothNumber(int field);

class rprHelpData : public CardPrintout<rprHelpData> {
public:
    explicit rprHelpData(QString egn, std::function<void()> onClosed = {});
};

} // namespace tav::printing

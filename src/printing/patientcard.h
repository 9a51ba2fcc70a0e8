#pragma once
// The dental card of one patient, printed from the search by name: the
// particulars, the milk and permanent charts with a legend, and the
// patient's treatments by date.

#include "printing/cardtexts.h"

#include <functional>

namespace tav::printing {

// The particulars go to the page header's controls at positions 3 to 28;
// Z1..Z52 go one to one into their cells, "*" included.
void fillPatientCard(report::Layout& layout, const CardInput& in);

// The cell label of field Z1..Z52.
QString patientCardCell(int field);

class rprPacient : public CardPrintout<rprPacient> {
public:
    explicit rprPacient(QString egn, std::function<void()> onClosed = {});
};

} // namespace tav::printing

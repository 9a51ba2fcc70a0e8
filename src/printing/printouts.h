#pragma once
// Showing the printed patient records. Each shows what it was asked for: an
// open preview of the same report closes (without closing the window that
// asks) and the report is filled anew; so is a card asked again for the
// patient it shows, whose rows may have changed. `onClosed` runs when the
// preview is closed, to close the window that launched it. A report that
// cannot be read shows the error and returns nullptr, leaving the asking
// window open.

#include <QString>
#include <functional>

namespace tav::printing {

class rprKarton;
class rprHelpData;
class rprPacient;

// The outpatient sheet of PrintEGN, after the treatment form has filled
// TempKarton and set PrintEGN and PrintDentalStatus.
rprKarton* ShowOutpatientSheet(std::function<void()> onClosed);
// The dental card with treatment list of the patient `egn` (as handed over).
rprHelpData* ShowDentalCard(const QString& egn, std::function<void()> onClosed);
// The dental card of one patient with its legend.
rprPacient* ShowPatientCard(const QString& egn, std::function<void()> onClosed);

} // namespace tav::printing

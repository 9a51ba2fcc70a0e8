#pragma once
// The fund's outpatient sheet printed onto its pre-printed form: values only,
// each in its box. Header values from the patient of PrintEGN and the
// logged-in doctor, the dental status when the sheet holds an examination,
// one line per row of TempKarton.

#include "db/database.h"
#include "printing/printout.h"
#include "report/layout.h"

#include <QString>
#include <functional>

namespace tav::printing {

// What the sheet's header prints, as read.
struct SheetInput {
    QString printEgn;
    bool dentalStatus = false;
    db::Row patient;   // the Pacients row of printEgn; empty when there is none
    db::Row doctor;    // the Medic row of the logged-in doctor; empty when there is none
    db::Row dental;    // the Dental row, read only with dentalStatus; empty when there is none
};

// The doctor is the Medic row the login chose (doctorRecId), else the first
// row of the current doctor's code.
SheetInput readSheetInput(const QString& printEgn, bool dentalStatus, qint64 doctorRecId,
                          const QString& doctorCode);

// Captions of the header labels and of the status block, visibility of the
// circles. Labels whose value is not filled keep their designed (empty) text.
void fillOutpatientSheet(report::Layout& layout, const SheetInput& in);

class rprKarton : public Printout<rprKarton> {
public:
    explicit rprKarton(std::function<void()> onClosed = {});

protected:
    // Reads PrintEGN, PrintDentalStatus and the logged-in doctor; the lines
    // come from comKarton.
    void initialize() override;
};

} // namespace tav::printing

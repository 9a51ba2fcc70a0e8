#pragma once
// What the two printed dental cards share: the rows of one patient and the
// composed lines of the card's particulars.

#include "db/database.h"

#include <QString>

namespace tav::printing {

struct CardInput {
    db::Row patient;   // the Pacients row; empty when there is none
    db::Row dental;    // the Dental row; empty when there is none
};

// The EGN as handed over, untrimmed.
CardInput readCardInput(const QString& egn);

// The card's treatment rows: comPac re-targeted at the patient's Help rows,
// by date, then activity code, then table order.
void setTreatmentRows(const QString& egn);
extern const QString kTreatmentRowsSql;

// "на " + Names + "    ЕГН " + EGN; a Null part adds nothing.
QString cardNameLine(const db::Row& patient);
// Post code, town, municipality, region; a CR, always; quarter and street
// run together, then block, entrance, floor, apartment. Only filled parts,
// each with its prefix.
QString cardAddress(const db::Row& patient);
QString cardPhones(const db::Row& patient);
QString cardWork(const db::Row& patient);
// "Регистрирана на:" when the first character of Pol is the capital "Ж".
QString cardRegistration(const db::Row& patient);

} // namespace tav::printing

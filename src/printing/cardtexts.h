#pragma once
// What the two printed dental cards share: the rows of one patient, the
// composed lines of the card's particulars and the printout itself.

#include "db/database.h"
#include "printing/printout.h"
#include "report/layout.h"

#include <QString>
#include <functional>
#include <utility>

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

// A printed card of the patient `egn`: its rows go into the layout through
// `fill`, its treatments into the detail.
template <class T>
class CardPrintout : public Printout<T> {
public:
    using Fill = void (*)(report::Layout&, const CardInput&);

    CardPrintout(const QString& layoutPath, Fill fill, QString egn, std::function<void()> onClosed)
        : Printout<T>(layoutPath, std::move(onClosed)), fill_(fill), egn_(std::move(egn))
    {
    }
    const QString& egn() const { return egn_; }

protected:
    void initialize() override
    {
        fill_(this->layout(), readCardInput(egn_));
        setTreatmentRows(egn_);
    }

private:
    Fill fill_;
    QString egn_;
};

} // namespace tav::printing

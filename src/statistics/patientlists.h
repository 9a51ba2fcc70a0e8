#pragma once
// The patient lists by date range, shown by the conditions dialog (SeekDati):
// the patients born or registered in the range (rprDataR) and the visit list
// (rprDataP), which goes by the registration date as well. Both list every
// patient of the table; the date texts are read as day-first dates, the rows
// come in date order, then in table order.

#include "report/report.h"

#include <QDate>
#include <QString>
#include <QVariantList>

namespace tav::statistics {

// The text of comDataB for a list by the date text `field` ("DataB" or
// "DataR") and its two values (the range's ends).
QString patientListQuery(const QString& field);

class rprDataR : public report::SharedReport<rprDataR> {
public:
    rprDataR();
    // Its end leaves the conditions dialog open (a new list replaces it).
    void keepDialogOpen() { unloadDialog_ = false; }

protected:
    void initialize() override;
    void terminate() override;

private:
    bool unloadDialog_ = true;
};

class rprDataP : public report::SharedReport<rprDataP> {
public:
    rprDataP();
    void keepDialogOpen() { unloadDialog_ = false; }

protected:
    void initialize() override;
    void terminate() override;

private:
    bool unloadDialog_ = true;
};

// Shows the list of a kind ("1" born, "2" registered, "3" visited) for the
// dialog's members; an open preview of the same list is replaced.
void showPatientList(const QString& kind);

} // namespace tav::statistics

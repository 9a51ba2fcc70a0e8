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

// Closes the conditions dialog.
void unloadPatientListDialog();

// A list's end unloads the conditions dialog, unless a new list replaces it.
template <class T>
class PatientList : public report::SharedReport<T> {
public:
    using report::SharedReport<T>::SharedReport;
    // Its end leaves the conditions dialog open.
    void keepDialogOpen() { unloadDialog_ = false; }

protected:
    void terminate() override
    {
        if (unloadDialog_)
            unloadPatientListDialog();
    }

private:
    bool unloadDialog_ = true;
};

class rprDataR : public PatientList<rprDataR> {
public:
    rprDataR();

protected:
    void initialize() override;
};

class rprDataP : public PatientList<rprDataP> {
public:
    rprDataP();

protected:
    void initialize() override;
};

// Shows the list of a kind ("1" born, "2" registered, "3" visited) for the
// dialog's members; an open preview of the same list is replaced.
void showPatientList(const QString& kind);

} // namespace tav::statistics

#pragma once
// What the main window's period report items do before the period dialog is
// shown: an open period report's preview is closed first (its closing empties
// its table), the report's work table is made anew in temp.mdb, ReportKind is
// set, and the period dialog is shown.

#include <functional>

class QWidget;

namespace tav::statistics {

// Shows the period dialog (SeekDate) without blocking; set at start-up
// (installPeriodReports), replaced by tests.
inline std::function<void(QWidget* owner)>& periodDialogOpener()
{
    static std::function<void(QWidget*)> open;
    return open;
}
void showPeriodDialog(QWidget* owner);

// "Дейности към ЗОК" and the toolbar's "PrintZOK": TempWork, kind "1".
void startWorkList(QWidget* owner);
// "Разходи": the fillings recoded and booked, TempMater with the catalogue, kind "2".
void startMaterials(QWidget* owner);
// "Справка за ЗОК": TempZOKC, kind "3".
void startFundSummary(QWidget* owner);
// "Спецификация": TempSpec, kind "5".
void startSpecification(QWidget* owner);

} // namespace tav::statistics

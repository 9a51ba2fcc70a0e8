#pragma once
// What the period dialog (SeekDate) shares with the period reports and the
// fee booking: the period last confirmed, the report run for a kind, and the
// dialog's unloading when a report's preview closes.

#include <QString>
#include <functional>

class QWidget;

namespace tav::statistics {

// The period dialog's public members, kept after it unloads; written only by
// a confirmed "Търси".
struct PeriodVars {
    QString sStart;       // DD.MM.YYYY
    QString sStop;
    QString sDataStart;   // MM/DD/YYYY
    QString sDataStop;
};
inline PeriodVars& periodVars()
{
    static PeriodVars v;
    return v;
}

// What "Търси" runs for report kinds 1, 2, 3 and 5 once the period is
// confirmed: the kind's preparation and its preview, owned by `dialog`.
// True when a preview was shown (the dialog then waits behind it).
using PeriodReportRunner = std::function<bool(int kind, QWidget* dialog)>;
inline PeriodReportRunner& periodReportRunner()
{
    static PeriodReportRunner runner;
    return runner;
}

// Set by the period dialog while it exists; a period report's preview calls
// it when it closes.
inline std::function<void()>& periodDialogUnloader()
{
    static std::function<void()> unload;
    return unload;
}
inline void unloadPeriodDialog()
{
    if (periodDialogUnloader())
        periodDialogUnloader()();
}

} // namespace tav::statistics

#pragma once
// The treatment form as the patient register sees it: its public variables
// and its showing. The window itself comes with the treatment records.

#include <QString>

class QWidget;

namespace tav {

class DenHelp {
public:
    struct Vars {
        QString sAddEGN;        // the patient a new card has just saved
        QString sAddName;
        QString sVidDen;        // "New" or "Edit"
        QString sGraf;          // "1" when the schedule is opened from here
        QString sEGN;
        QString sPacientName;
        QString sListID;
    };
    static Vars& vars();

    // Shows the treatment form modeless (created or raised).
    static void showShared(QWidget* parent = nullptr);
    // How many times it was asked to show since the last reset.
    static int showRequests();
    static void resetShowRequests();
};

} // namespace tav

#pragma once
// The shared state through which the windows hand data to each other.
// One thread, so plain variables; empty/0/false at start.

#include <QString>

#include "db/paths.h"

namespace tav {

inline QString CurrentDoctorCode;     // Medic.KodMedic, trimmed
inline QString CurrentDoctorName;     // Medic.Names, trimmed
inline int PatientSearchMode = 0;     // 1 correct a card, 2 treatments, 3 print a card
inline QString CardMode;              // "New", "Edit" or " "
inline QString ReportKind;            // "1".."5"
inline int MinutesLeftToday = 0;
inline QString CurrentUserUIN;
inline QString PrintEGN;
inline bool PrintDentalStatus = false;

// What the login leaves for the other windows (the login window's public
// variables, kept after it closes).
struct LoginVars {
    QString sPassWord;   // trimmed stored code of the chosen doctor
    QString sName;       // the list text when a doctor was chosen
    QString sKod;
    bool lKod = false;   // login granted
    int nIDMedic = 0;    // leading number of the chosen doctor's code
    qint64 nRecID = 0;   // the chosen doctor's Medic row
};
inline LoginVars& loginVars()
{
    static LoginVars v;
    return v;
}

inline constexpr int kVersionMajor = TAV_VERSION_MAJOR;
inline constexpr int kVersionMinor = TAV_VERSION_MINOR;
inline constexpr int kVersionRevision = TAV_VERSION_PATCH;
inline const QString kProductName = QStringLiteral("Тавлинора");

// "3.0.5"
inline QString versionText()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

} // namespace tav

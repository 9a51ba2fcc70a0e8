#pragma once
// The benchmark program: each module registers its timed operations.

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace bench {

struct Practice {
    QString folder;
    int patients = 20000;
    int treatments = 300000;
    int doctors = 3;
    QStringList doctorCodes;     // KodMedic of each doctor
    QStringList doctorNames;
    QStringList doctorPasswords;
    QStringList sampleEgns;      // a few EGNs of existing patients
    QDate lastDay;               // the newest day with treatments
};

// An operation: runs once per call, the harness repeats and times it.
struct Operation {
    QString name;
    std::function<void(const Practice&)> setup;   // may be empty; not timed
    std::function<void(const Practice&)> run;
    int repeat = 20;
};

std::vector<Operation>& registry();

struct Register {
    explicit Register(Operation op) { registry().push_back(std::move(op)); }
};

// A valid EGN for a date of birth and a serial (0..999).
QString makeEgn(int year, int month, int day, int serial);

// Builds the synthetic practice in p.folder (removing what was there).
void buildPractice(Practice& p);

} // namespace bench

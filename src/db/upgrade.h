#pragma once
// Versioned upgrade of the program's database files. A file carries its
// schema version in `user_version`; opening a file of an older version runs
// the missing steps, all in one transaction, so a failed step leaves the file
// as it was. A file of a newer version than the program knows is refused and
// left untouched.

#include "db/database.h"
#include "db/schema.h"

#include <QString>
#include <functional>
#include <vector>

namespace tav::db {

// One step brings a file from version `to - 1` to version `to`. It runs
// inside the upgrade's transaction and throws DbError when it fails.
struct UpgradeStep {
    int to;
    QString what;                               // a few words for the error message
    std::function<void(Connection&)> run;
};

// The steps of a database kind, oldest first (the list is in upgrade.cpp).
const std::vector<UpgradeStep>& upgradeSteps(DatabaseKind kind);

// The version this program writes: that of the last step, 1 without steps.
int currentVersion(DatabaseKind kind);

// The version stamped in the file's header; -1 when it is no SQLite file.
int fileVersion(const QString& path);

// Brings an existing file of the given kind to the current version. A file of
// the current version is not written. Throws DbError, the file unchanged, when
// it is not a database of that kind, is newer than the program, or a step fails.
void upgradeDatabase(const QString& path, DatabaseKind kind);

// The message for a file newer than the program, the file and both versions.
DbError newerVersionError(const QString& path, int version, DatabaseKind kind);

// Tests only: called after every step, inside the transaction; a hook that
// throws DbError stands for a failing step. Empty: no hook.
void setUpgradeStepHook(std::function<void(DatabaseKind, int version)> hook);

} // namespace tav::db

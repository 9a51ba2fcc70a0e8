#pragma once
// The reference database (data.mdb) holds only what the program delivers:
// a damaged one is made anew at start-up, the damaged file kept beside it.

#include <QString>

namespace tav::db {

// When the engine finds data.mdb of the program folder damaged (its quick
// check fails, or the file is no database any more), the file is moved
// aside as "data.mdb.damaged-YYYYMMDD-HHMMSS" and a new one is made from the
// delivered content, as a missing one is. Returns the message that says so;
// "" when the file is sound or missing, or cannot be looked at for another
// reason (in use, unreadable, of another program or version: the usual
// error follows when it is used). The practice's own file is never touched.
QString renewDamagedReference();

// What the renewal message says of the kept file's name.
inline const QString kDamagedSuffix = QStringLiteral(".damaged-");

} // namespace tav::db

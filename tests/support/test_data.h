#pragma once
// Files kept for the tests under tests/data, and files of installed packages.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

namespace testing_support {

inline QString testDataFile(const QString& name)
{
    return QDir(QStringLiteral(TAV_TEST_DATA)).filePath(name);
}

// A Jet 3 file that the real engine wrote: the ODBC example of Debian's
// fp-units-db-3.2.2 (table FPdev). Unpacked to `target`; false when the
// package is not installed.
inline bool unpackEngineWrittenJet(const QString& target)
{
    const QString packed = QStringLiteral("/usr/share/doc/fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz");
    if (!QFile::exists(packed))
        return false;
    QProcess gzip;
    gzip.setStandardOutputFile(target);
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), packed});
    return gzip.waitForFinished(10000) && gzip.exitStatus() == QProcess::NormalExit && gzip.exitCode() == 0;
}

inline const char* kEngineWrittenJetMissing = "the Jet file of package fp-units-db-3.2.2 is missing: run scripts/setup.sh";

} // namespace testing_support

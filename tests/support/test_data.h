#pragma once
// Files kept for the tests under tests/data, and files of installed packages.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>

namespace testing_support {

inline QString testDataFile(const QString& name)
{
    return QDir(QStringLiteral(TAV_TEST_DATA)).filePath(name);
}

// The ODBC example of Debian's fp-units-db (a Jet 3 file that the real engine
// wrote, table FPdev), as packed under `docRoot`, whichever compiler version
// the package holds: fp-units-db*/*/examples/odbc/testodbc.mdb.gz. "" when
// no installed package has it.
inline QString engineWrittenJetPacked(const QString& docRoot = QStringLiteral("/usr/share/doc"))
{
    const QDir root(docRoot);
    for (const QString& package : root.entryList({QStringLiteral("fp-units-db*")}, QDir::Dirs, QDir::Name)) {
        const QDir dir(root.filePath(package));
        for (const QString& version : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString packed = dir.filePath(version + QStringLiteral("/examples/odbc/testodbc.mdb.gz"));
            if (QFileInfo(packed).isFile())
                return packed;
        }
    }
    return {};
}

// That file unpacked to `target`; false when the package is not installed.
inline bool unpackEngineWrittenJet(const QString& target)
{
    const QString packed = engineWrittenJetPacked();
    if (packed.isEmpty())
        return false;
    QProcess gzip;
    gzip.setStandardOutputFile(target);
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), packed});
    return gzip.waitForFinished(10000) && gzip.exitStatus() == QProcess::NormalExit && gzip.exitCode() == 0;
}

inline const char* kEngineWrittenJetMissing = "the Jet file of package fp-units-db is missing: run scripts/setup.sh";

} // namespace testing_support

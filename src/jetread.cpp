// tavlinora-jetread FILE: reads the fund's Jet export for the import and
// writes its tables on standard output. A process of its own, so that
// libmdb crashing or looping on a damaged file ends this one only.

#include "db/database.h"
#include "patients/zokcimport.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: tavlinora-jetread FILE\n", stderr);
        return 2;
    }
    QByteArray out;
    try {
        out = tav::patients::zokcReaderOutput(tav::patients::readZokcJetExport(args[1]));
    } catch (const tav::db::DbError& e) {
        out = tav::patients::zokcReaderOutput(e.message(), e.engineText());
    }
    if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size()) || std::fflush(stdout) != 0)
        return 1;
    return 0;
}

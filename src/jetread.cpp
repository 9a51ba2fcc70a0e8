// tavlinora-jetread FILE: reads the fund's Jet export for the import and
// writes its tables on standard output. A process of its own, so that
// libmdb crashing or looping on a damaged file ends this one only.

#include "db/database.h"
#include "patients/zokcimport.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The output on a descriptor of its own, taken from standard output before
// anything runs: libmdb prints its dumps and warnings on standard output,
// which from then on goes where standard error goes.
int takeStandardOutput()
{
    const int own = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (own < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return -1;
    return own;
}

bool writeAll(int fd, const QByteArray& out)
{
    for (qsizetype done = 0; done < out.size();) {
        const ssize_t n = ::write(fd, out.constData() + done, size_t(out.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int output = takeStandardOutput();
    if (output < 0) {
        std::perror("tavlinora-jetread");
        return 1;
    }
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
    if (!writeAll(output, out) || ::close(output) != 0)
        return 1;
    return 0;
}

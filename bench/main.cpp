// Times the program's operations on a synthetic practice of a chosen size.
// Usage: tavbench [--folder DIR] [--patients N] [--treatments N] [--doctors N] [--only TEXT]

#include "bench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
// The offscreen platform says, for every window shown, what it cannot do;
// that is noise among the figures.
void quietPlatform(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}
} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietPlatform);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    cli.addOption({"folder", "Program folder to build the practice in.", "dir"});
    cli.addOption({"patients", "Number of patients.", "n", "20000"});
    cli.addOption({"treatments", "Number of treatments.", "n", "300000"});
    cli.addOption({"doctors", "Number of doctors sharing the patients.", "n", "3"});
    cli.addOption({"only", "Run only operations whose name contains this text.", "text"});
    cli.process(app);

    QTemporaryDir tmp;
    bench::Practice p;
    p.folder = cli.isSet("folder") ? cli.value("folder") : tmp.filePath("practice");
    p.patients = cli.value("patients").toInt();
    p.treatments = cli.value("treatments").toInt();
    p.doctors = std::max(1, cli.value("doctors").toInt());

    QElapsedTimer build;
    build.start();
    bench::buildPractice(p);
    std::printf("%-50s %10.1f ms  (%d patients, %d treatments)\n", "build practice",
                build.nsecsElapsed() / 1e6, p.patients, p.treatments);

    auto& ops = bench::registry();
    std::sort(ops.begin(), ops.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const bench::Operation& op : ops) {
        if (cli.isSet("only") && !op.name.contains(cli.value("only")))
            continue;
        std::vector<double> ms;
        for (int i = 0; i < std::max(1, op.repeat); ++i) {
            if (op.setup)
                op.setup(p);
            QElapsedTimer t;
            t.start();
            op.run(p);
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-50s median %8.2f ms   max %8.2f ms   (%zu runs)\n",
                    qPrintable(op.name), ms[ms.size() / 2], ms.back(), ms.size());
    }
    return 0;
}

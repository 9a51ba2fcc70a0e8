#include "second_copy.h"

#include "db/database.h"

#include <QCoreApplication>
#include <QThread>
#include <QElapsedTimer>
#include <QMap>
#include <cstdio>
#include <iostream>
#include <poll.h>
#include <string>

namespace testing_support {

namespace {

const QString kHelperOption = QStringLiteral("--tav-helper");

QMap<QString, Helper>& helpers()
{
    static QMap<QString, Helper> h;
    return h;
}

} // namespace

RegisterHelper::RegisterHelper(const char* name, Helper helper)
{
    helpers().insert(QString::fromLatin1(name), std::move(helper));
}

QString readCommand()
{
    std::string line;
    if (!std::getline(std::cin, line))
        return {};
    return QString::fromStdString(line).trimmed();
}

void say(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int runHelperIfAsked(const QStringList& arguments)
{
    const qsizetype at = arguments.indexOf(kHelperOption);
    if (at < 0 || at + 1 >= arguments.size())
        return -1;
    const auto found = helpers().constFind(arguments[at + 1]);
    if (found == helpers().constEnd()) {
        say(QStringLiteral("no helper %1").arg(arguments[at + 1]));
        return 2;
    }
    return (*found)(arguments.mid(at + 2));
}

SecondCopy::SecondCopy(const QString& helper, const QStringList& args, const QStringList& wrapper)
{
    QStringList command = wrapper;
    command << QCoreApplication::applicationFilePath() << kHelperOption << helper << args;
    p_.setProgram(command.takeFirst());
    p_.setArguments(command);
    p_.start();
    started_ = p_.waitForStarted(10000);
}

SecondCopy::~SecondCopy()
{
    if (p_.state() != QProcess::NotRunning) {
        p_.kill();
        p_.waitForFinished(5000);
    }
}

bool SecondCopy::readLine(QString& line)
{
    pending_ += p_.readAllStandardOutput();
    err_ += p_.readAllStandardError();
    const qsizetype end = pending_.indexOf('\n');
    if (end < 0)
        return false;
    line = QString::fromUtf8(pending_.left(end));
    pending_.remove(0, end + 1);
    lines_ << line;
    return true;
}

QString SecondCopy::waitFor(const QString& prefix, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    QString line;
    for (;;) {
        while (readLine(line))
            if (line.startsWith(prefix))
                return line;
        if (t.elapsed() > timeoutMs)
            return {};
        if (p_.state() == QProcess::NotRunning) {
            p_.waitForReadyRead(0);
            while (readLine(line))
                if (line.startsWith(prefix))
                    return line;
            return {};
        }
        p_.waitForReadyRead(50);
    }
}

void SecondCopy::send(const QString& line)
{
    p_.write(line.toUtf8() + '\n');
    p_.waitForBytesWritten(5000);
}

int SecondCopy::finish(int timeoutMs)
{
    p_.closeWriteChannel();
    if (!p_.waitForFinished(timeoutMs)) {
        p_.kill();
        p_.waitForFinished(5000);
        return -1;
    }
    QString line;
    while (readLine(line)) {
    }
    return p_.exitStatus() == QProcess::NormalExit ? p_.exitCode() : -1;
}

CommittingCopy::CommittingCopy(const QString& database) : copy_(QStringLiteral("committing"), {database, QStringLiteral("2"), QStringLiteral("8")})
{
}

bool CommittingCopy::ready()
{
    return copy_.started() && !copy_.waitFor(QStringLiteral("ready")).isEmpty();
}

QStringList CommittingCopy::refusalsOf(int times, const std::function<void(int)>& save)
{
    QStringList refused;
    for (int i = 0; i < times; ++i) {
        try {
            save(i);
        } catch (const tav::db::DbError& e) {
            refused << e.userText();
        }
        // The other copy's wait looks for the lock only now and then: a
        // loop of saves without a pause would keep it out.
        QThread::msleep(2);
    }
    return refused;
}

QString CommittingCopy::stop()
{
    copy_.send(QStringLiteral("stop"));
    const QString done = copy_.waitFor(QStringLiteral("done"));
    copy_.finish();
    return done;
}

QString CommittingCopy::output() const
{
    return copy_.lines().join(QLatin1Char('\n')) + QLatin1Char('\n') + copy_.errorOutput();
}

namespace {

// hold FILE immediate|exclusive [MS]: another copy in the middle of a save.
// It begins a write (immediate: others still read; exclusive: nobody reads),
// adds a doctor, says "holding", then commits after MS milliseconds or when
// told to; says "committed" or "failed" and the engine's words.
const RegisterHelper kHold("hold", [](const QStringList& args) {
    try {
        tav::db::Connection c(args.value(0), tav::db::OpenMode::ReadWrite);
        c.exec(args.value(1) == QLatin1String("exclusive") ? QStringLiteral("BEGIN EXCLUSIVE")
                                                         : QStringLiteral("BEGIN IMMEDIATE"));
        c.exec(QStringLiteral("INSERT INTO Medic (Names, KodMedic) VALUES (?, ?)"),
               {QStringLiteral("Втори екземпляр"), QStringLiteral("2299999")});
        say(QStringLiteral("holding"));
        if (const int ms = args.value(2).toInt(); ms > 0)
            QThread::msleep(ms);
        else
            readCommand();
        c.exec(QStringLiteral("COMMIT"));
        say(QStringLiteral("committed"));
        return 0;
    } catch (const tav::db::DbError& e) {
        say(QStringLiteral("failed ") + e.userText().replace(QLatin1Char('\r'), QLatin1Char(' ')));
        return 1;
    }
});

// True when the test has written a line or closed the helper's input.
bool testSpoke()
{
    pollfd in{0, POLLIN, 0};
    return ::poll(&in, 1, 0) > 0;
}

// committing FILE HOLD_MS PAUSE_MS: another copy saving again and again
// until told to stop (a line or the end of its input): each commit holds the
// write lock HOLD_MS, then PAUSE_MS pass without it. Says "ready" after its
// first commit; at the end "done COMMITS FAILURES".
const RegisterHelper kCommitting("committing", [](const QStringList& args) {
    const int hold = args.value(1).toInt(), pause = args.value(2).toInt();
    int commits = 0, failures = 0;
    while (!testSpoke()) {
        try {
            tav::db::Connection c(args.value(0), tav::db::OpenMode::ReadWrite);
            c.exec(QStringLiteral("BEGIN IMMEDIATE"));
            c.exec(QStringLiteral("INSERT INTO Grafic (KodMedic, Data, Ch0) VALUES ('2299999', '2010-03-01', ?)"),
                   {QStringLiteral("Втори екземпляр %1").arg(commits)});
            c.exec(QStringLiteral("DELETE FROM Grafic WHERE KodMedic = '2299999' AND RecID < last_insert_rowid()"));
            QThread::msleep(hold);
            c.exec(QStringLiteral("COMMIT"));
            if (++commits == 1)
                say(QStringLiteral("ready"));
        } catch (const tav::db::DbError& e) {
            ++failures;
            say(QStringLiteral("failed ") + e.userText().replace(QLatin1Char('\r'), QLatin1Char(' ')));
        }
        QThread::msleep(pause);
    }
    say(QStringLiteral("done %1 %2").arg(commits).arg(failures));
    return 0;
});

} // namespace

} // namespace testing_support

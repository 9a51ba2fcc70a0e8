#pragma once
// Another copy of the program on the same folder: the test program started
// again as a second process, which runs one helper registered by name and
// talks through lines on its standard input and output.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace testing_support {

// A helper's body: its arguments; returns the exit code. It reads commands
// with readCommand() and answers with say().
using Helper = std::function<int(const QStringList& args)>;

struct RegisterHelper {
    RegisterHelper(const char* name, Helper helper);
};

// In a helper: the next line from the test ("" when the test has gone).
QString readCommand();
// In a helper: one line to the test.
void say(const QString& line);

// Called by main(): runs the helper named on the command line and returns
// its exit code, or -1 when the program was not started as a helper.
int runHelperIfAsked(const QStringList& arguments);

class SecondCopy {
public:
    // `wrapper`, when given, is a command the program is started under
    // (e.g. {"unshare", "-rm"}).
    SecondCopy(const QString& helper, const QStringList& args, const QStringList& wrapper = {});
    ~SecondCopy();
    SecondCopy(const SecondCopy&) = delete;
    SecondCopy& operator=(const SecondCopy&) = delete;

    bool started() const { return started_; }
    // Waits for a line that begins with `prefix`; returns it, or "" after the
    // timeout or when the process ended first. Lines before it are kept in lines().
    QString waitFor(const QString& prefix, int timeoutMs = 20000);
    void send(const QString& line);
    // Closes its input and waits for its end; the exit code, -1 when it had
    // to be killed.
    int finish(int timeoutMs = 20000);
    QStringList lines() const { return lines_; }
    QString errorOutput() const { return QString::fromUtf8(err_); }

private:
    bool readLine(QString& line);
    QProcess p_;
    QStringList lines_;
    QByteArray pending_;
    QByteArray err_;
    bool started_ = false;
};

// Another copy of the program committing again and again on a database (each
// commit holds the write lock a few milliseconds, then as many pass without
// it) while the test saves beside it.
class CommittingCopy {
public:
    explicit CommittingCopy(const QString& database);
    // Started, and its first commit made.
    bool ready();
    // Runs save(0), save(1), ... a moment apart, as a doctor's saves are;
    // the texts of the db::DbError refusals.
    QStringList refusalsOf(int times, const std::function<void(int)>& save);
    // Stops it: "done COMMITS FAILURES" ("" when it did not say so).
    QString stop();
    // All it said, and its error output.
    QString output() const;

private:
    SecondCopy copy_;
};

} // namespace testing_support

#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// What one shell command left behind.
struct ProcessResult {
    int exitCode = 0;      // the exit status; 128+N when killed by signal N; -1 when timed out or not started
    bool timedOut = false;
    QString output;        // standard output, as the command wrote it (UTF-8)
    QString errorOutput;   // standard error
    QString marks;         // what a detached command wrote to descriptor 3
    // A detached command's streams keep their first and last
    // kKeptOutputBytes each; these count the bytes left out between them
    // (the text says where, and how many).
    qint64 outputLeftOut = 0;
    qint64 errorOutputLeftOut = 0;
    bool stopped = false;  // the user stopped it (requestCommandStop); exitCode says by which signal
};

constexpr int kKeptOutputBytes = 64 * 1024;
// What runBash and runProgram take from a command's two streams together;
// far beyond any listing or report a TeX program gives.
constexpr qint64 kPipeOutputLimit = 64LL * 1024 * 1024;

constexpr int kShellTimeoutMs = 30000;

// Runs `command` through /bin/bash -c with standard input from /dev/null, in a
// process group of its own. When it runs past `timeoutMs` (0 or less: no
// limit), or writes more than kPipeOutputLimit, the whole group is killed
// and the run counts as failed; standard error then says which.
ProcessResult runBash(const QString& command, int timeoutMs = kShellTimeoutMs);

// Runs a program directly (no shell) with the given arguments, same rules.
ProcessResult runProgram(const QString& program, const QStringList& args,
                         int timeoutMs = kShellTimeoutMs);

// As runBash and runProgram, for commands whose work must not be cut in two
// when this program ends meanwhile (a kill, a crash, a closed terminal):
// the command runs in a session of its own and writes into pipes read by a
// small keeper process of that session, which outlives this program, so
// nothing the command writes later can kill it, and it finishes on its own.
// The keeper holds the first and last kKeptOutputBytes of each stream and
// counts the rest, so a command that prints without end costs no more.
// While this program lives it waits for the command as usual.
// Descriptor 3 is open for writing too; what the command writes there comes
// back as `marks`. No time-out by default: stopping such a command half-way
// is what it exists to avoid; the user may stop it (requestCommandStop),
// which ends its whole process group.
ProcessResult runBashDetached(const QString& command, int timeoutMs = 0);
ProcessResult runProgramDetached(const QString& program, const QStringList& args, int timeoutMs = 0);

// While a command runs, the window layer keeps the windows painted and
// says what runs; user input waits until the command has ended. `begin`
// comes once the command has run a moment (short ones never show), with a
// text saying what runs ("Running: " and the command line, or the label
// below); `pump` then every few milliseconds; `end` once it
// has ended. A command started from inside `pump` is not pumped again.
// A detached command that runs longer than commandStopOfferMs gets
// `offerStop` once, after which the user may end it.
struct CommandWaitHooks {
    std::function<void(const QString& what)> begin;
    std::function<void()> pump;
    std::function<void()> end;
    std::function<void()> offerStop;
};
void setCommandWaitHooks(CommandWaitHooks hooks);
// 3000 ms; shortened by tests.
extern int commandStopOfferMs;
// Asks the detached command now running to stop: its process group gets
// SIGTERM, and SIGKILL a second later. Forgotten when that command ends.
void requestCommandStop();

// While one lives, the commands run show `what` instead of their own
// command line (a script whose arguments say little).
class CommandLabel {
public:
    explicit CommandLabel(const QString& what);
    ~CommandLabel();
    CommandLabel(const CommandLabel&) = delete;
    CommandLabel& operator=(const CommandLabel&) = delete;

private:
    QString previous_;
};

// While one lives, the commands runBash and runProgram start end with this
// program: each is killed the moment the program goes, however it goes.
// For work whose half-done result is thrown away (an unpack into a hidden
// folder), so that nothing runs on unowned. Only the started process is
// tied: a command line execs its last program so that it is that process.
class CommandsEndWithProgram {
public:
    CommandsEndWithProgram();
    ~CommandsEndWithProgram();
    CommandsEndWithProgram(const CommandsEndWithProgram&) = delete;
    CommandsEndWithProgram& operator=(const CommandsEndWithProgram&) = delete;
};

// The short text the busy display shows for a command line: the PATH
// set-up and a leading folder change left out, cut to a line's length.
QString describeCommand(const QString& command);

} // namespace qlk

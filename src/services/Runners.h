#pragma once
#include "platform/Process.h"

#include <QString>
#include <QStringList>

namespace qlk {

// The shell of the most recent command run by runShell, runShellQuiet,
// or kpsewhichQuery. Callers read errorCode right after their
// call to tell an empty output from a failure.
struct LastShell {
    QString command;       // as the caller wrote it
    int errorCode = 0;     // exit status; non-zero is failure (-1: timed out)
    bool timedOut = false;
    QString output;        // untrimmed standard output
    QString errorOutput;   // standard error
    // runShellChain only: the user stopped the chain; the lines it left
    // undone (the one stopped and those after it), joined with " && ".
    bool stopped = false;
    QString leftUndone;
};
extern LastShell lastShell;

// The prefix every command of runShell and runShellQuiet gets, so that
// programs in /usr/local/bin come first.
extern const char* const kPathPrefix;

// How long a command may run before it is stopped, with everything it
// started; 30000 ms, shortened by tests.
extern int shellTimeoutMs;

// Runs `command`; returns its trimmed output on exit status 0. Otherwise
// shows the error report (see failureReport) and returns the empty text.
QString runShell(const QString& command);
// As runShell, but a failure returns the empty text without a report.
QString runShellQuiet(const QString& command);
// Runs `lines` as one shell command line chained with "&&" that finishes
// even when this program is ended meanwhile (runBashDetached, no time-out):
// a step that changes several files through several commands is not left
// half done. The first line that fails stops the rest; it is returned, and
// reported as runShell reports a failure. The empty text when all succeeded.
// lastShell holds the whole chain. A chain the user stopped returns the line
// it was stopped in, and its report begins by saying what was left undone.
QString runShellChain(const QStringList& lines);
// As runShell and runShellQuiet, for one program with its arguments,
// started directly, without a shell (nothing is quoted; lastShell.command
// shows the line as a shell would take it).
QString runDirect(const QString& program, const QStringList& args);
QString runDirectQuiet(const QString& program, const QStringList& args);
// Starts these programs side by side and keeps their results; the next
// runDirect or runDirectQuiet of the same program and arguments takes its
// result from there (once) instead of running it again. What is not taken
// goes at forgetPrefetched().
struct DirectCall {
    QString program;
    QStringList args;
};
void prefetchDirect(const QList<DirectCall>& calls);
void forgetPrefetched();
// Runs texbin's kpsewhich with `arguments` (already quoted by the caller);
// returns the trimmed output whatever the exit status.
QString kpsewhichQuery(const QString& arguments);
// Opens `path` in the editor the "editor" preference names, without waiting;
// a failure to open it is reported in a message (openWithProgram).
void openInEditor(const QString& path);

// The report runShell shows: the command, the error code and the output,
// the error output after it, lines ended by CR for the text viewer.
QString failureReport(const QString& command, int errorCode, const QString& output,
                      const QString& errorOutput);

// Removes blanks, TABs, CR and LF at both ends.
QString trimWhite(const QString& text);

} // namespace qlk

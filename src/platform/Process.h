#pragma once
#include <QString>

namespace qlk {

// What one shell command left behind.
struct ProcessResult {
    int exitCode = 0;      // the exit status; 128+N when killed by signal N; -1 when timed out or not started
    bool timedOut = false;
    QString output;        // standard output, as the command wrote it (UTF-8)
    QString errorOutput;   // standard error
};

constexpr int kShellTimeoutMs = 30000;

// Runs `command` through /bin/bash -c with standard input from /dev/null, in a
// process group of its own. When it runs past `timeoutMs` (0 or less: no
// limit) the whole group is killed and the run counts as failed.
ProcessResult runBash(const QString& command, int timeoutMs = kShellTimeoutMs);

// Runs a program directly (no shell) with the given arguments, same rules.
ProcessResult runProgram(const QString& program, const QStringList& args,
                         int timeoutMs = kShellTimeoutMs);

} // namespace qlk

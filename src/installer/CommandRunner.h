#pragma once
#include <QString>
#include <QStringList>

#include <exception>

namespace qlk::installer {

// Thrown by runCommandLines after a command failed and the installer was
// told to quit: the step that ran it must not go on.
struct InstallerStopped : std::exception {
    const char* what() const noexcept override { return "installer stopped"; }
};

// Runs one shell command line as it stands (no PATH set, no folder change)
// with the 30-second time-out. Exit codes 0 and 255 count as success and give
// the output lines: standard output, then standard error, so that callers
// that read any line as an error report see error messages. Any other code
// shows "While running command …" with the output, asks the application to
// quit and throws InstallerStopped.
QStringList runCommandLines(const QString& command);

// Cuts command output into lines: at CR LF when the text holds both CR and
// LF, else at whichever of the two it holds; trailing blank lines dropped.
QStringList splitOutputLines(const QString& output);

} // namespace qlk::installer

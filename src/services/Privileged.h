#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Commands that need root. The preference "sudo" chooses the route: not 0
// hands the text, unchanged, to a terminal window where sudo asks for the
// password ("sudoterm.sh"); 0 removes every sudo invocation and runs the rest
// with administrator rights ("sudocmd.sh"). Several commands are joined by
// TAB or chained with "&&". Returns the exit status of the commands (0 for
// success), so that callers can report a failure.
// When the chosen route cannot work here (not root, and no terminal
// emulator or no pkexec), it says so in a message, runs nothing and
// returns kNoRootRoute.
// When the user stopped the commands while they ran, it says what that
// leaves undone in a message and returns kRootCommandsStopped.
int runAsRoot(const QString& commands);
constexpr int kNoRootRoute = -2;
constexpr int kRootCommandsStopped = -3;
// Why the route the "sudo" preference chooses cannot run root commands
// here, or the empty text when it can.
QString rootRouteProblem();

// Removes "/usr/bin/sudo -H " and "/usr/bin/sudo " where a step of the
// command text begins; the same text inside quotes is left alone.
QString stripSudo(const QString& commands);

// The message shown before commands go to the terminal window.
extern const char* const kTerminalNotice;

// The two scripts of the Resources folder; both wait for their commands
// (kRootCommandsStopped when the user stopped them).
int sudocmd(const QStringList& args);
int sudoterm(const QStringList& args);
QString sudotermResult(const QStringList& args);
// Brings the program forward after a drop from the file manager: the window
// that took the drop.
void bringAppToFront(const QStringList& args = {});

// The name of the user who runs the program (not root's when commands go
// through the administrator route).
QString currentUserName();

} // namespace qlk

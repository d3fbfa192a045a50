#include "services/Privileged.h"

#include "platform/BundleScripts.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"

#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace qlk {

const char* const kTerminalNotice =
    "Commands are being sent to your Terminal window. Your password may be required.";

QString stripSudo(const QString& commands)
{
    // Only where a step begins (the start, after a TAB, a line end, "&&",
    // "||", "|" or ";", outside quotes): a quoted path that holds the text
    // is a path, not a sudo call.
    static const QLatin1String sudoH("/usr/bin/sudo -H ");
    static const QLatin1String sudo("/usr/bin/sudo ");
    QString out;
    out.reserve(commands.size());
    bool stepStart = true;
    QChar quote;
    for (qsizetype i = 0; i < commands.size();) {
        const QChar c = commands.at(i);
        if (stepStart && quote.isNull()) {
            if (c == QLatin1Char(' ')) {
                out += c;
                ++i;
                continue;
            }
            stepStart = false;
            const QStringView rest = QStringView(commands).mid(i);
            if (rest.startsWith(sudoH)) {
                i += sudoH.size();
                continue;
            }
            if (rest.startsWith(sudo)) {
                i += sudo.size();
                continue;
            }
        }
        out += c;
        ++i;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else if (c == QLatin1Char('\\') && quote == QLatin1Char('"') && i < commands.size())
                out += commands.at(i++);
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('\\') && i < commands.size()) {
            out += commands.at(i++);
        } else if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char(';') ||
                   c == QLatin1Char('|') || c == QLatin1Char('&')) {
            stepStart = true;
        }
    }
    return out;
}

QString rootRouteProblem()
{
    if (effectiveUid() == 0)
        return QString();
    // The programs the two scripts look for.
    if (prefInt(QStringLiteral("sudo")) != 0) {
        for (const char* t : {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "xterm"}) {
            if (!QStandardPaths::findExecutable(QLatin1String(t)).isEmpty())
                return QString();
        }
        return QStringLiteral("Commands that need root cannot be run: no terminal window program "
                              "(x-terminal-emulator, gnome-terminal, konsole, xfce4-terminal or xterm) is "
                              "installed to run sudo in. Install one, or choose the administrator route in "
                              "the preferences. Nothing was changed.");
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("pkexec")).isEmpty())
        return QString();
    return QStringLiteral("Commands that need root cannot be run: pkexec (PolicyKit) is not installed for the "
                          "administrator route. Install it, or choose the terminal route in the preferences. "
                          "Nothing was changed.");
}

int runAsRoot(const QString& commands)
{
    const QString problem = rootRouteProblem();
    if (!problem.isEmpty()) {
        msgBox(problem);
        return kNoRootRoute;
    }
    int status = 0;
    if (prefInt(QStringLiteral("sudo")) != 0) {
        msgBox(QLatin1String(kTerminalNotice));
        status = sudoterm({commands});
    } else {
        UiHooks& ui = uiHooks();
        if (ui.setMainWindowBusy)
            ui.setMainWindowBusy(true);
        status = sudocmd({stripSudo(commands)});
        if (ui.setMainWindowBusy)
            ui.setMainWindowBusy(false);
    }
    if (status == kRootCommandsStopped) {
        // The scripts do not say how far they got: every step is named.
        msgBox(QStringLiteral("You stopped these commands while they ran with root rights:") + QLatin1Char('\n') +
               QString(commands).replace(QLatin1Char('\t'), QLatin1Char('\n')) + QLatin1Char('\n') +
               QStringLiteral("Which of them had finished is not known; what they had not done is left undone. "
                              "Running them again in a terminal finishes it."));
    }
    return status;
}

namespace {
int scriptStatus(const ScriptResult& result)
{
    return result.stopped ? kRootCommandsStopped : result.exitCode;
}
} // namespace

int sudocmd(const QStringList& args)
{
    return scriptStatus(runBundleScript(QStringLiteral("sudocmd.sh"), args));
}

int sudoterm(const QStringList& args)
{
    return scriptStatus(runBundleScript(QStringLiteral("sudoterm.sh"), args));
}

QString sudotermResult(const QStringList& args)
{
    return runBundleScript(QStringLiteral("sudoterm.sh"), args).output;
}

void bringAppToFront(const QStringList&)
{
    if (uiHooks().bringAppToFront)
        uiHooks().bringAppToFront();
}

QString currentUserName()
{
    if (const passwd* pw = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(::getuid());
}

} // namespace qlk

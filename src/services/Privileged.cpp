#include "services/Privileged.h"

#include "platform/BundleScripts.h"
#include "platform/Dialogs.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"

#include <pwd.h>
#include <unistd.h>

namespace qlk {

const char* const kTerminalNotice =
    "Commands are being sent to your Terminal window. Your password may be required.";

QString stripSudo(const QString& commands)
{
    QString text = commands;
    text.replace(QLatin1String("/usr/bin/sudo -H "), QString());
    text.replace(QLatin1String("/usr/bin/sudo "), QString());
    return text;
}

int runAsRoot(const QString& commands)
{
    if (prefInt(QStringLiteral("sudo")) != 0) {
        msgBox(QLatin1String(kTerminalNotice));
        return sudoterm({commands});
    }
    UiHooks& ui = uiHooks();
    if (ui.setMainWindowBusy)
        ui.setMainWindowBusy(true);
    const int status = sudocmd({stripSudo(commands)});
    if (ui.setMainWindowBusy)
        ui.setMainWindowBusy(false);
    return status;
}

int sudocmd(const QStringList& args)
{
    return runBundleScript(QStringLiteral("sudocmd.sh"), args).exitCode;
}

int sudoterm(const QStringList& args)
{
    return runBundleScript(QStringLiteral("sudoterm.sh"), args).exitCode;
}

QString sudotermResult(const QStringList& args)
{
    return runBundleScript(QStringLiteral("sudoterm.sh"), args).output;
}

void bringAppToFront(const QStringList&)
{
    if (uiHooks().bringMainWindowToFront)
        uiHooks().bringMainWindowToFront();
}

QString currentUserName()
{
    if (const passwd* pw = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(::getuid());
}

} // namespace qlk

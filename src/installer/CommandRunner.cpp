#include "installer/CommandRunner.h"

#include "platform/Dialogs.h"
#include "platform/Process.h"
#include "platform/QuitPath.h"

namespace qlk::installer {

QStringList splitOutputLines(const QString& output)
{
    const QChar cr(13);
    const QChar lf(10);
    QString separator;
    if (!output.contains(cr))
        separator = lf;
    else if (output.contains(lf))
        separator = QString(cr) + lf;
    else
        separator = cr;
    QStringList lines = output.split(separator);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList runCommandLines(const QString& command)
{
    const ProcessResult r = runBash(command, kShellTimeoutMs);
    const QString output = r.output + r.errorOutput;
    if (r.exitCode == 0 || r.exitCode == 255)
        return splitOutputLines(output);
    msgBox(QStringLiteral("While running command ") + command + QStringLiteral(", error code: ") +
           QString::number(r.exitCode) + QLatin1Char('\n') + output);
    requestQuit();
    throw InstallerStopped();
}

} // namespace qlk::installer

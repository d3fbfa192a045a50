#include "services/Runners.h"

#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Quote.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QProcess>

#include <memory>
#include <vector>
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"

namespace qlk {

LastShell lastShell;

const char* const kPathPrefix = "export PATH=/usr/local/bin:/opt/local/bin:$PATH;";
int shellTimeoutMs = kShellTimeoutMs;

namespace {
void runInto(const QString& callerCommand, const QString& fullCommand)
{
    const ProcessResult r = runBash(fullCommand, shellTimeoutMs);
    lastShell = LastShell{callerCommand, r.exitCode, r.timedOut, r.output, r.errorOutput, false, QString()};
    if (r.timedOut)
        lastShell.errorOutput += QStringLiteral("\nThe command was stopped after %1 seconds.")
                                     .arg(shellTimeoutMs / 1000.0);
}
} // namespace

QString trimWhite(const QString& text)
{
    auto isWhite = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    };
    int b = 0, e = text.size();
    while (b < e && isWhite(text.at(b)))
        ++b;
    while (e > b && isWhite(text.at(e - 1)))
        --e;
    return text.mid(b, e - b);
}

QString failureReport(const QString& command, int errorCode, const QString& output,
                      const QString& errorOutput)
{
    QString report = QStringLiteral("While trying to run command: ") + command + QLatin1Char('\r') +
                     QStringLiteral("shell returned errorcode: ") + QString::number(errorCode) +
                     QLatin1Char('\r') + QString(output).replace(QLatin1Char('\n'), QLatin1Char('\r'));
    if (!errorOutput.isEmpty())
        report += QLatin1Char('\r') + QString(errorOutput).replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return report;
}

namespace {
// The trimmed answer of the command lastShell holds; on failure an empty one,
// the failure shown to the user.
QString answerOrReport(const QString& command)
{
    if (lastShell.errorCode == 0)
        return trimWhite(lastShell.output);
    const QString report =
        failureReport(command, lastShell.errorCode, lastShell.output, lastShell.errorOutput);
    if (uiHooks().showCommandFailure)
        uiHooks().showCommandFailure(report);
    return QString();
}
} // namespace

QString runShell(const QString& command)
{
    runInto(command, QLatin1String(kPathPrefix) + command);
    return answerOrReport(command);
}

QString runShellChain(const QStringList& lines)
{
    lastShell = LastShell{};
    if (lines.isEmpty())
        return QString();
    const QString chain = lines.join(QStringLiteral("&&"));
    // After each line a mark on descriptor 3: their count names the line
    // that stopped the chain. The braces keep a line whole whatever it holds.
    QStringList steps;
    for (const QString& line : lines)
        steps << QStringLiteral("{ ") + line + QStringLiteral("\n} && echo >&3");
    const ProcessResult r = runBashDetached(QLatin1String(kPathPrefix) + steps.join(QStringLiteral(" && ")));
    lastShell = LastShell{chain, r.exitCode, r.timedOut, r.output, r.errorOutput, false, QString()};
    if (r.exitCode == 0)
        return QString();
    const qsizetype at = r.marks.count(QLatin1Char('\n'));
    const QString failed = lines.value(at, chain);
    QString report = failureReport(failed, r.exitCode, r.output, r.errorOutput);
    if (r.stopped) {
        lastShell.stopped = true;
        lastShell.leftUndone = at < lines.size() ? lines.mid(at).join(QStringLiteral(" && ")) : chain;
        report = QStringLiteral("Stopped while running: ") + failed + QLatin1Char('\r') +
                 QStringLiteral("Left undone; running this in a terminal finishes it:") + QLatin1Char('\r') +
                 lastShell.leftUndone + QLatin1Char('\r') + QLatin1Char('\r') + report;
    }
    if (uiHooks().showCommandFailure)
        uiHooks().showCommandFailure(report);
    return failed;
}

namespace {
QHash<QString, ProcessResult>& prefetched()
{
    static QHash<QString, ProcessResult> results;
    return results;
}

QString directCommand(const QString& program, const QStringList& args)
{
    QString command = shellQuote(program);
    for (const QString& a : args)
        command += QLatin1Char(' ') + shellQuote(a);
    return command;
}

QString directInto(const QString& program, const QStringList& args)
{
    const QString command = directCommand(program, args);
    const auto ready = prefetched().constFind(command);
    ProcessResult r;
    if (ready != prefetched().constEnd()) {
        r = ready.value();
        prefetched().erase(ready);
    } else {
        r = runProgram(program, args, shellTimeoutMs);
    }
    lastShell = LastShell{command, r.exitCode, r.timedOut, r.output, r.errorOutput, false, QString()};
    if (r.timedOut)
        lastShell.errorOutput += QStringLiteral("\nThe command was stopped after %1 seconds.")
                                     .arg(shellTimeoutMs / 1000.0);
    return command;
}
} // namespace

void prefetchDirect(const QList<DirectCall>& calls)
{
    std::vector<std::unique_ptr<QProcess>> running;
    QStringList commands;
    for (const DirectCall& c : calls) {
        auto p = std::make_unique<QProcess>();
        p->setStandardInputFile(QProcess::nullDevice());
        p->start(c.program, c.args);
        commands << directCommand(c.program, c.args);
        running.push_back(std::move(p));
    }
    QDeadlineTimer deadline(shellTimeoutMs);
    for (size_t i = 0; i < running.size(); ++i) {
        QProcess& p = *running[i];
        ProcessResult r;
        if (!p.waitForStarted(int(qMax<qint64>(deadline.remainingTime(), 0)))) {
            continue; // not kept: runDirect starts it again and reports as usual
        }
        if (!p.waitForFinished(int(qMax<qint64>(deadline.remainingTime(), 0)))) {
            p.kill();
            p.waitForFinished(1000);
            continue;
        }
        if (p.exitStatus() != QProcess::NormalExit)
            continue;
        r.exitCode = p.exitCode();
        r.output = QString::fromUtf8(p.readAllStandardOutput());
        r.errorOutput = QString::fromUtf8(p.readAllStandardError());
        prefetched().insert(commands.at(qsizetype(i)), r);
    }
}

void forgetPrefetched()
{
    prefetched().clear();
}

QString runDirect(const QString& program, const QStringList& args)
{
    const QString command = directInto(program, args);
    return answerOrReport(command);
}

QString runDirectQuiet(const QString& program, const QStringList& args)
{
    directInto(program, args);
    return lastShell.errorCode == 0 ? trimWhite(lastShell.output) : QString();
}

QString runShellQuiet(const QString& command)
{
    runInto(command, QLatin1String(kPathPrefix) + command);
    return lastShell.errorCode == 0 ? trimWhite(lastShell.output) : QString();
}

QString kpsewhichQuery(const QString& arguments)
{
    const QString command = shellQuote(texProgram(QStringLiteral("kpsewhich"))) + QLatin1Char(' ') + arguments;
    runInto(command, command);
    return trimWhite(lastShell.output);
}

void openInEditor(const QString& path)
{
    openWithProgram(editorProgram(prefText(QStringLiteral("editor"))), path);
}

} // namespace qlk

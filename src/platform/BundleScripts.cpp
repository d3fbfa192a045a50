#include "platform/BundleScripts.h"

#include "platform/Paths.h"
#include "platform/Process.h"

#include <QFileInfo>

namespace qlk {

namespace {
std::function<ScriptResult(const QString&, const QStringList&)>& runner()
{
    static std::function<ScriptResult(const QString&, const QStringList&)> r;
    return r;
}
} // namespace

namespace {
bool recorderRuns = false;
} // namespace

void setBundleScriptRunner(std::function<ScriptResult(const QString&, const QStringList&)> r, bool runsCommands)
{
    runner() = std::move(r);
    recorderRuns = runsCommands;
}

bool bundleScriptsRunCommands()
{
    return !runner() || recorderRuns;
}

ScriptResult runBundleScript(const QString& scriptName, const QStringList& args)
{
    if (runner())
        return runner()(scriptName, args);
    const QString script = resourcesFolder() + QLatin1Char('/') + scriptName;
    ScriptResult result;
    if (!QFileInfo::exists(script)) {
        result.exitCode = 127;
        result.output = QStringLiteral("missing script ") + script;
        return result;
    }
    // No time-out: the user may be typing a password, or the commands may
    // take long; both scripts return when their commands have ended. They
    // run detached, so that root's commands finish even when this program
    // is ended meanwhile (updmap-sys writing into a dead pipe would stop
    // between enabling a map and rebuilding the output maps).
    QStringList argv{script};
    argv << args;
    const QString commands = describeCommand(QString(args.value(0)).replace(QLatin1Char('\t'), QLatin1String("; ")));
    const CommandLabel label(scriptName == QLatin1String("sudoterm.sh")
                                 ? QStringLiteral("Waiting for the commands in the terminal window: ") + commands
                                 : QStringLiteral("Running with administrator rights: ") + commands);
    const ProcessResult p = runProgramDetached(QStringLiteral("/bin/bash"), argv);
    result.exitCode = p.exitCode;
    result.output = p.output.trimmed();
    result.stopped = p.stopped;
    return result;
}

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// The scripts of the Resources folder that run commands with root rights
// ("sudocmd.sh") or visibly in a terminal window ("sudoterm.sh"). Each takes
// one text; both wait for the commands and pass on their exit status.
struct ScriptResult {
    int exitCode = 0;
    QString output;
    bool stopped = false; // the user stopped the script while it ran
};

ScriptResult runBundleScript(const QString& scriptName, const QStringList& args);

// Tests replace the scripts with a recorder; it receives the script's name
// and its arguments byte for byte. `runsCommands` says that it really runs
// them (in the test's own trees), so that what they did may be checked.
void setBundleScriptRunner(std::function<ScriptResult(const QString&, const QStringList&)> runner,
                           bool runsCommands = false);
// False while a recorder that does not run the commands stands in for the
// scripts: nothing they were to change has changed.
bool bundleScriptsRunCommands();

} // namespace qlk

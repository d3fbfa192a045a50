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
};

ScriptResult runBundleScript(const QString& scriptName, const QStringList& args);

// Tests replace the scripts with a recorder; it receives the script's name
// and its arguments byte for byte.
void setBundleScriptRunner(std::function<ScriptResult(const QString&, const QStringList&)> runner);

} // namespace qlk

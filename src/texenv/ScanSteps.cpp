#include "texenv/ScanSteps.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "platform/QuitPath.h"
#include "platform/UiHooks.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/TexEnv.h"

#include <QDateTime>

namespace qlk {

const char* const kOldTexLiveMessage =
    "This software works only with TeX Live versions 2013 or later---bailing out.";

bool guardBounds(const char* routine, const std::function<void()>& body)
{
    try {
        body();
        return !quitRequested();
    } catch (const std::out_of_range&) {
        msgBox(QStringLiteral("Out of Bounds error in %1!").arg(QLatin1String(routine)));
        requestQuit();
        return false;
    }
}

QString texCommand(const QString& name)
{
    return shellQuote(texProgram(name));
}

QString systemCommand(const QString& name)
{
    return shellQuote(systemProgram(name));
}

LastShell scanListing;

void reportFailure(const LastShell& run)
{
    if (uiHooks().showCommandFailure)
        uiHooks().showCommandFailure(failureReport(run.command, run.errorCode, run.output, run.errorOutput));
}

void bailOut(const QString& text, bool show, bool log)
{
    if (log)
        logLine(text);
    if (show)
        msgBox(text);
    requestQuit();
}

void findAdminStatus()
{
    // Root is an administrator whatever its groups.
    isAdmin = effectiveUid() == 0 ||
              adminFromGroups(runDirect(systemProgram(QStringLiteral("id")), {QStringLiteral("-Gn")}));
}

// kpsewhich and tex are run directly: no shell is needed to start them.
bool checkTexYear(const InstallationAnswer& answer)
{
    selfAutoParent = answer.selfAutoParent;
    texYear = yearFromRoot(selfAutoParent);
    // Distributions that install TeX Live below / (Debian) name the year
    // only in the version line.
    if (texYear.isEmpty())
        texYear = yearFromTexVersion(
            runDirectQuiet(texProgram(QStringLiteral("tex")), {QStringLiteral("--version")}));
    if (yearValue(texYear) < 2013) {
        bailOut(QString::fromLatin1(kOldTexLiveMessage), true, false);
        return false;
    }
    return true;
}

bool findTrees(const InstallationAnswer& answer)
{
    texmfTrees = parseTexmfPath(answer.texmf);
    texmfVarNames = treeVariableNames();
    const QMap<QString, QString> named = parseTreeAnswer(answer.trees);
    texmfByName.clear();
    for (const QString& name : texmfVarNames)
        texmfByName.insert(name, named.value(name));
    texmfConfig = texmfByName.value(QStringLiteral("TEXMFCONFIG"));
    texmfVar = texmfByName.value(QStringLiteral("TEXMFVAR"));
    texmfHome = texmfByName.value(QStringLiteral("TEXMFHOME"));
    texmfSysConfig = texmfByName.value(QStringLiteral("TEXMFSYSCONFIG"));
    texmfSysVar = texmfByName.value(QStringLiteral("TEXMFSYSVAR"));
    texmfLocal = texmfByName.value(QStringLiteral("TEXMFLOCAL"));
    texmfDist = texmfByName.value(QStringLiteral("TEXMFDIST"));
    // Every later step builds paths in these trees; an empty one would put
    // them at the root of the file system.
    QStringList missing;
    for (const QString& name : texmfVarNames) {
        if (texmfByName.value(name).isEmpty())
            missing << name;
    }
    if (!missing.isEmpty()) {
        bailOut(QStringLiteral("Your TeX installation reports no tree for ") +
                    missing.join(QStringLiteral(", ")) +
                    QStringLiteral(" (kpsewhich). Check that your TeX is functional. Must quit."),
                true, false);
        return false;
    }
    return true;
}

void logStart()
{
    openLog(homeFolder());
    logLine(QString(lf) + QStringLiteral("Starting Quillmark2013 at ") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

bool findInstallation()
{
    homePath = homeFolder();
    // One kpsewhich run answers the root, the search path and the trees
    // (-expand-var) and lists the updmap.cfg files and pdftex.map copies
    // that the scan reads later (-all: each line ends in its file's name).
    // It, the groups and tex's version line (needed where the root names no
    // year) depend on nothing the scan does: they run side by side.
    const DirectCall query{texProgram(QStringLiteral("kpsewhich")),
                           {QStringLiteral("-expand-var=") + installationQueryTemplate(), QStringLiteral("-all"),
                            QStringLiteral("updmap.cfg"), QStringLiteral("pdftex.map")}};
    QList<DirectCall> calls{query, {texProgram(QStringLiteral("tex")), {QStringLiteral("--version")}}};
    if (effectiveUid() != 0)
        calls.append({systemProgram(QStringLiteral("id")), {QStringLiteral("-Gn")}});
    prefetchDirect(calls);
    findAdminStatus();
    // A file it does not find makes kpsewhich fail: the status tells
    // something only when the expanded lines are missing too.
    runDirectQuiet(query.program, query.args);
    const InstallationAnswer answer = splitInstallationAnswer(lastShell.output);
    scanListing = lastShell;
    scanListing.output = answer.listing;
    if (!answer.complete && lastShell.errorCode != 0)
        reportFailure(lastShell);
    const bool found = checkTexYear(answer) && findTrees(answer);
    forgetPrefetched(); // what was not needed
    return found;
}

} // namespace qlk

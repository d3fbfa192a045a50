#include "texenv/ScanSteps.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "platform/QuitPath.h"
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
              adminFromGroups(runShell(systemCommand(QStringLiteral("id")) + QStringLiteral(" -Gn")));
}

// kpsewhich and tex are run directly: no shell is needed to start them.
bool checkTexYear()
{
    // The four queries of the year and the trees depend on nothing the scan
    // does: they run side by side, and are taken in their order below.
    const QString kpsewhich = texProgram(QStringLiteral("kpsewhich"));
    prefetchDirect({{kpsewhich, {QStringLiteral("-var-value=SELFAUTOPARENT")}},
                    {kpsewhich, {QStringLiteral("-var-value=TEXMF")}},
                    {kpsewhich, {QStringLiteral("-expand-var=") + treeQueryTemplate()}},
                    {texProgram(QStringLiteral("tex")), {QStringLiteral("--version")}}});
    selfAutoParent = runDirect(texProgram(QStringLiteral("kpsewhich")), {QStringLiteral("-var-value=SELFAUTOPARENT")});
    texYear = yearFromRoot(selfAutoParent);
    // Distributions that install TeX Live below / (Debian) name the year
    // only in the version line.
    if (texYear.isEmpty())
        texYear = yearFromTexVersion(
            runDirectQuiet(texProgram(QStringLiteral("tex")), {QStringLiteral("--version")}));
    if (yearValue(texYear) < 2013) {
        forgetPrefetched();
        bailOut(QString::fromLatin1(kOldTexLiveMessage), true, false);
        return false;
    }
    return true;
}

bool findTrees()
{
    const QString kpsewhich = texProgram(QStringLiteral("kpsewhich"));
    texmfTrees = parseTexmfPath(runDirect(kpsewhich, {QStringLiteral("-var-value=TEXMF")}));
    texmfVarNames = treeVariableNames();
    const QMap<QString, QString> named =
        parseTreeAnswer(runDirect(kpsewhich, {QStringLiteral("-expand-var=") + treeQueryTemplate()}));
    forgetPrefetched();
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
    findAdminStatus();
    return checkTexYear() && findTrees();
}

} // namespace qlk

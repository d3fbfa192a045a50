#include "texenv/UpdmapCfg.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/MapInventory.h"
#include "texenv/ScanParse.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"

#include <QFile>
#include <QFileInfo>

namespace qlk {

namespace {
// A listed file that is gone by now is passed over.
void appendFile(QString& into, const QString& path)
{
    QFile f(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return;
    appendCfgText(into, QString::fromUtf8(f.readAll()));
}
bool inDistributionTree(const QString& path)
{
    if (pathInTree(path, texmfDist))
        return true;
    for (const QString& tree : texmfTrees) {
        if (pathInTree(path, tree) && treeRoleOf(tree).isEmpty() && !isPersonalPath(tree))
            return true;
    }
    return false;
}
} // namespace

QString readupdmap(bool personal)
{
    QString combined;
    guardBounds("readupdmap", [&] {
        distCfgText.clear();
        localCfgText.clear();
        homeCfgText.clear();
        logLine(QStringLiteral("In readupdmap: updmap1 has %1 entries, updmap2 has %2")
                    .arg(updmapSys.size())
                    .arg(updmapHome.size()));
        if (updmapSys.isEmpty()) {
            bailOut(QStringLiteral("Something's wrong! You appear to have no updmap.cfg in your "
                                   "texmf system folders. Bailing out!"),
                    true, true);
            return;
        }
        appendFile(distCfgText, checkedAt(updmapSys, updmapSys.size() - 1));
        for (qsizetype i = updmapSys.size() - 2; i >= 0; --i) {
            const QString& path = checkedAt(updmapSys, i);
            // A tree of the search path without a role name is the
            // distribution's too (Debian's /usr/share/texmf, whose
            // updmap.cfg lists the maps of Debian's font packages).
            appendFile(inDistributionTree(path) ? distCfgText : localCfgText, path);
        }
        if (personal) {
            for (qsizetype i = updmapHome.size() - 1; i >= 0; --i)
                appendFile(homeCfgText, checkedAt(updmapHome, i));
        }
        appendCfgText(combined, distCfgText);
        appendCfgText(combined, localCfgText);
        appendCfgText(combined, homeCfgText);
    });
    return combined;
}

void parsecfgstr()
{
    guardBounds("parsecfgstr", [] {
        distMapState.clear();
        localMapState.clear();
        collectMapStates(distCfgText, distMapState);
        QString others;
        appendCfgText(others, localCfgText);
        appendCfgText(others, homeCfgText);
        collectMapStates(others, localMapState);
        compareMapStates(distMapState, localMapState, mapsDisabled, mapsAdded);
    });
}

void sortUpdmapFiles(const QStringList& found, QStringList& system, QStringList& personal)
{
    for (const QString& line : found) {
        const QString path = trimWhite(line);
        if (path.isEmpty())
            continue;
        if (isPersonalPath(path))
            personal << path;
        else
            system << path;
    }
}

QString updmapLocalMergeCommand(const QString& localTree)
{
    const QString oldFile = localTree + QStringLiteral("/web2c/updmap-local.cfg");
    const QString cfg = localTree + QStringLiteral("/web2c/updmap.cfg");
    // The redirection must run as root too, so the append is one shell line
    // of its own; the old file goes only when the append worked.
    const QString append = QStringLiteral("/bin/cat ") + shellQuote(oldFile) + QStringLiteral(" >> ") +
                           shellQuote(cfg);
    return QStringLiteral("/usr/bin/sudo /bin/sh -c ") + shellQuote(append) +
           QStringLiteral(" && /usr/bin/sudo /bin/rm -f ") + shellQuote(oldFile);
}

namespace {
bool mergeUpdmapLocal()
{
    const QString oldFile = texmfLocal + QStringLiteral("/web2c/updmap-local.cfg");
    if (!QFileInfo::exists(oldFile))
        return true;
    if (!askYesNo(QStringLiteral("You have a file updmap-local.cfg whose contents must be moved "
                                 "into web2c/updmap.cfg, and possibly edited. Do it?"))) {
        requestQuit();
        return false;
    }
    // Without administrator rights nothing is done; the question comes back
    // at the next scan while the file is there.
    if (!isAdmin)
        return true;
    const int status = runAsRoot(updmapLocalMergeCommand(texmfLocal));
    if (status != 0 || QFileInfo::exists(oldFile)) {
        const QString text = QStringLiteral("Moving updmap-local.cfg into updmap.cfg did not work "
                                            "(status %1); updmap-local.cfg was kept.")
                                 .arg(status);
        logLine(text);
        msgBox(text);
    }
    return true;
}

// Since TeX Live 2017 updmap-user and updmap-sys keep their configuration
// in TEXMFCONFIG and TEXMFSYSCONFIG by design; only older TeX wants a link.
void symlinkAdvice(const QStringList& found, const QString& tree, const char* name)
{
    const QString cfg = tree + QStringLiteral("/web2c/updmap.cfg");
    if (yearValue(texYear) >= 2017 || tree.isEmpty() || !found.contains(cfg))
        return;
    if (runShellQuiet(QStringLiteral("/bin/test -L ") + shellQuote(cfg) + QStringLiteral(" && echo Y")) !=
        QLatin1String("Y"))
        msgBox(QStringLiteral("You have an updmap.cfg in %1---it would be better to symlink this")
                   .arg(QLatin1String(name)));
}
} // namespace

bool scanUpdmapFiles()
{
    // The installation query listed the files already, unless merging
    // updmap-local.cfg changes them.
    const bool merging = QFileInfo::exists(texmfLocal + QStringLiteral("/web2c/updmap-local.cfg"));
    if (!mergeUpdmapLocal())
        return false;
    if (merging) {
        runDirectQuiet(texProgram(QStringLiteral("kpsewhich")),
                       {QStringLiteral("-all"), QStringLiteral("updmap.cfg"), QStringLiteral("pdftex.map")});
        scanListing = lastShell;
    }
    const QStringList found = filesNamed(scanListing.output, QStringLiteral("updmap.cfg"));
    const QStringList pdftexMaps = filesNamed(scanListing.output, QStringLiteral("pdftex.map"));
    // kpsewhich fails when either name is not found: only a missing
    // updmap.cfg is its failure here (getmaps tells of a missing pdftex.map).
    if (found.isEmpty() && scanListing.errorCode != 0)
        reportFailure(scanListing);
    const QString answer = found.join(lf);
    logLine(QStringLiteral("updmap.cfg found at: ") + answer);
    symlinkAdvice(found, texmfSysConfig, "TEXMFSYSCONFIG");
    symlinkAdvice(found, texmfConfig, "TEXMFCONFIG");
    sortUpdmapFiles(found, updmapSys, updmapHome);
    logLine(QStringLiteral("In init: updmap1 (sys) has %1 entries, updmap2 (home) has %2")
                .arg(updmapSys.size())
                .arg(updmapHome.size()));
    readupdmap(!updmapHome.isEmpty());
    if (quitRequested())
        return false;
    parsecfgstr();
    if (quitRequested())
        return false;
    hasHomeUpdmap = !updmapHome.isEmpty();
    getmaps(pdftexMaps.join(lf));
    return !quitRequested();
}

} // namespace qlk

namespace qlk {

const QStringList& updmapOptionNames()
{
    static const QStringList names{
        QStringLiteral("LW35"),          QStringLiteral("dvipsPreferOutline"),
        QStringLiteral("dvipsDownloadBase35"), QStringLiteral("pdftexDownloadBase14"),
        QStringLiteral("dvipdfmDownloadBase14"), QStringLiteral("pxdviUse"),
        QStringLiteral("kanjiEmbed"),    QStringLiteral("kanjiVariant")};
    return names;
}

QStringList updmapOptionValues(const QString& combinedText, const QStringList& names)
{
    QStringList values;
    QStringList unset;
    for (const QString& name : names) {
        values << optionValue(combinedText, name);
        if (values.last().isEmpty())
            unset << name;
    }
    if (unset.isEmpty())
        return values;
    // What updmap itself takes where no updmap.cfg sets an option (its
    // --showoption answers "(default)"); kanjiEmbed and kanjiVariant are not
    // options of TeX Live 2022's updmap and stay empty. Asking updmap-sys
    // would run a Perl script that runs kpsewhich and sh again.
    static const QMap<QString, QString> defaults{
        {QStringLiteral("LW35"), QStringLiteral("URWkb")},
        {QStringLiteral("dvipsPreferOutline"), QStringLiteral("true")},
        {QStringLiteral("dvipsDownloadBase35"), QStringLiteral("true")},
        {QStringLiteral("pdftexDownloadBase14"), QStringLiteral("true")},
        {QStringLiteral("dvipdfmDownloadBase14"), QStringLiteral("true")},
        {QStringLiteral("pxdviUse"), QStringLiteral("false")},
    };
    for (int i = 0; i < names.size(); ++i) {
        if (values.at(i).isEmpty())
            values[i] = defaults.value(names.at(i));
    }
    return values;
}

} // namespace qlk

#include "texenv/MapInventory.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace qlk {

void getmaps(const QString& listing)
{
    guardBounds("getmaps", [&] {
        otherPdftexMaps = listing.split(lf);
        // kpsewhich lists the copy in use first.
        qsizetype first = 0;
        while (first < otherPdftexMaps.size() && trimWhite(otherPdftexMaps.at(first)).isEmpty())
            ++first;
        const QString active = first < otherPdftexMaps.size() ? trimWhite(otherPdftexMaps.at(first)) : QString();
        if (!active.contains(QLatin1String("pdftex/"))) {
            bailOut(QStringLiteral("pdftex.map not found in your TeX trees. This should not happen. "
                                   "Check that your TeX is functional."),
                    true, false);
            return;
        }
        mapRoot = pdftexMapRoot(active);
        const QDateTime activeDate = QFileInfo(active).lastModified();
        otherPdftexMaps.removeAt(first);
        mapListTags << QStringLiteral("[M0]");
        mapListPaths << mapRoot;
        mapListDates << fileDate(active);
        newerMapCopy = false;
        int counter = 1;
        for (QString& entry : otherPdftexMaps) {
            const QString path = trimWhite(entry);
            if (path.isEmpty())
                continue;
            const QDateTime date = QFileInfo(path).lastModified();
            if (date.isValid() && activeDate.isValid() && date > activeDate)
                newerMapCopy = true;
            entry = trimWhite(pdftexMapRoot(path));
            mapListTags << QStringLiteral("[M%1]").arg(counter);
            mapListPaths << entry;
            mapListDates << fileDate(path);
            ++counter;
        }
    });
}

void distMaps()
{
    mapDict.clear();
    QStringList roots{texmfDist + QStringLiteral("/fonts/map/dvips")};
    for (const QString& tree : texmfTrees) {
        if (treeRoleOf(tree).isEmpty() && !isPersonalPath(tree))
            roots << tree + QStringLiteral("/fonts/map/dvips");
    }
    QStringList found = findFilesByName(roots, QStringLiteral("*.map"));
    // A later path with the same name replaces an earlier one; sorted so
    // that which one wins does not depend on the folder walk.
    found.sort();
    for (const QString& path : found)
        mapDict.insert(path.section(QLatin1Char('/'), -1), path);
}

QStringList findMapFiles(const QStringList& folders, bool skipUpdmap)
{
    QStringList existing;
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            existing << folder;
    }
    if (existing.isEmpty())
        return {};
    // Walked as kpathsea reads a tree: hidden entries (an interrupted
    // install's ".X.qlk-new" copy among them) are neither listed nor
    // entered; links are listed but not entered; a folder that cannot be
    // read is skipped.
    QStringList paths;
    auto take = [&](const QString& path, const QString& name) {
        if (!name.endsWith(QLatin1String(".map")))
            return;
        if (skipUpdmap && path.contains(QLatin1String("/updmap/"), Qt::CaseInsensitive))
            return;
        paths << path;
    };
    std::function<void(const QString&)> walk = [&](const QString& folder) {
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo& e : entries) {
            take(e.filePath(), e.fileName());
            if (e.isDir() && !e.isSymLink())
                walk(e.filePath());
        }
    };
    for (const QString& root : existing) {
        take(root, QFileInfo(root).fileName());
        walk(root);
    }
    return paths;
}

QStringList deprecatedMapFiles()
{
    return findMapFiles({texmfHome + QStringLiteral("/dvips"), texmfLocal + QStringLiteral("/dvips"),
                         texmfVar + QStringLiteral("/dvips")},
                        false);
}

void registerMaps(const QStringList& paths, QStringList& list)
{
    for (const QString& path : paths) {
        list << path;
        const QString name = path.section(QLatin1Char('/'), -1);
        if (mapDict.contains(name)) {
            const QString text = QStringLiteral("Alert!! Found competing .map files: ") + QString(lf) +
                                 path + QString(lf) + mapDict.value(name);
            logLine(text);
            msgBox(text);
        }
        mapDict.insert(name, path);
    }
}

void scanFontMaps()
{
    localMapFiles.clear();
    personalMapFiles.clear();
    impermanentMapFiles.clear();
    registerMaps(findMapFiles({texmfLocal + QStringLiteral("/fonts/map/dvips")}, false), localMapFiles);
    const QString personal = texmfHome + QStringLiteral("/fonts/map/dvips");
    QDir().mkpath(personal);
    registerMaps(findMapFiles({personal}, true), personalMapFiles);
    const QString impermanent = texmfVar + QStringLiteral("/fonts/map/dvips");
    // Made in the program; the shell's report of a failure is kept.
    if (!QDir().mkpath(impermanent))
        runShell(QStringLiteral("/bin/mkdir -p ") + shellQuote(impermanent));
    registerMaps(findMapFiles({impermanent}, true), impermanentMapFiles);
}

} // namespace qlk

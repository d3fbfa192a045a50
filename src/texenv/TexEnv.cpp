#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>

namespace qlk {

QString homePath;
bool isAdmin = false;
QString selfAutoParent;
QString texYear;

QStringList texmfTrees;
QStringList texmfVarNames;
QMap<QString, QString> texmfByName;
QString texmfConfig;
QString texmfVar;
QString texmfHome;
QString texmfSysConfig;
QString texmfSysVar;
QString texmfLocal;
QString texmfDist;

QStringList updmapSys;
QStringList updmapHome;
bool hasHomeUpdmap = false;

QString distCfgText;
QString localCfgText;
QString homeCfgText;
NoCaseDict<int> distMapState;
NoCaseDict<int> localMapState;
QStringList mapsDisabled;
QStringList mapsAdded;

QString mapRoot;
QStringList otherPdftexMaps;
bool newerMapCopy = false;
QStringList mapListTags;
QStringList mapListPaths;
QStringList mapListDates;

NoCaseDict<QString> mapDict;
QStringList localMapFiles;
QStringList personalMapFiles;
QStringList impermanentMapFiles;

QString encodingLetters;
QStringList variantLetters(6);

bool personalInstall = false;
QStringList sourceMapFiles;
QString tfmFolder;

bool pathInTree(const QString& path, const QString& tree)
{
    if (path.isEmpty() || tree.isEmpty())
        return false;
    const QString p = QDir::cleanPath(path);
    const QString t = QDir::cleanPath(tree);
    return p == t || p.startsWith(t.endsWith(QLatin1Char('/')) ? t : t + QLatin1Char('/'));
}

QString treeRoleOf(const QString& path)
{
    // The longest tree that holds the path wins (trees may nest).
    QString best, bestTree;
    for (auto it = texmfByName.constBegin(); it != texmfByName.constEnd(); ++it) {
        if (pathInTree(path, it.value()) && it.value().size() > bestTree.size()) {
            best = it.key();
            bestTree = it.value();
        }
    }
    return best;
}

bool isPersonalPath(const QString& path)
{
    return pathInTree(path, texmfHome) || pathInTree(path, texmfVar) || pathInTree(path, texmfConfig);
}

QString treeByName(const QString& name)
{
    return texmfByName.value(name.toUpper());
}

QString fileDate(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QString();
    return info.lastModified().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace qlk

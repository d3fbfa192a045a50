#include "opentype/common/InstalledPfb.h"

#include "texenv/TexEnv.h"

namespace qlk {

QStringList pfbQueryNames(const QStringList& fontNames)
{
    QStringList names;
    for (const QString& font : fontNames) {
        const QString base = font.left(font.size() - 4);
        names << base + QStringLiteral(".pfb") << base + QStringLiteral("LCDFj.pfb");
    }
    return names;
}

PfbRoutes routePfbFiles(const QStringList& paths, const QString& texmfHome, const QString& texmfVar,
                        const QString& texmfLocal)
{
    PfbRoutes routes;
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (pathInTree(path, texmfHome) || pathInTree(path, texmfVar))
            routes.user << path;
        else if (pathInTree(path, texmfLocal))
            routes.root << path;
        else
            routes.listedOnly << path;
    }
    return routes;
}

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The names kpsewhich is asked for: <base>.pfb and <base>LCDFj.pfb per font.
QStringList pfbQueryNames(const QStringList& fontNames);

// Installed .pfb files sorted by what may be done with them: files of the
// personal trees are removed as the user, files of TEXMFLOCAL through root,
// others (the distribution's) are only listed.
struct PfbRoutes {
    QStringList user;
    QStringList root;
    QStringList listedOnly;
};
PfbRoutes routePfbFiles(const QStringList& paths, const QString& texmfHome, const QString& texmfVar,
                        const QString& texmfLocal);

} // namespace qlk

#include "fontinfo/BerryRename.h"

#include "fontinfo/FontNames.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace qlk {

namespace {
bool isType1Extension(const QString& ext)
{
    for (const char* e : {"afm", "pfb", "pfa"}) {
        if (ext.compare(QLatin1String(e), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The entry of `fn` that is `base` + `ext`, letter case ignored.
QString findFile(const QStringList& fn, const QString& base, const char* ext)
{
    const QString wanted = base + QLatin1String(ext);
    for (const QString& f : fn) {
        if (f.compare(wanted, Qt::CaseInsensitive) == 0)
            return f;
    }
    return QString();
}
} // namespace

QString proposeBerryName(const QString& folder, const QString& base, const QStringList& fn)
{
    const QString berry = berryNameFor(base);
    if (!berry.isEmpty())
        return berry;
    QString psName;
    const QDir dir(folder);
    if (const QString afm = findFile(fn, base, ".afm"); !afm.isEmpty()) {
        psName = afmNames(dir.filePath(afm)).value(0);
    } else {
        QString outline = findFile(fn, base, ".pfb");
        if (outline.isEmpty())
            outline = findFile(fn, base, ".pfa");
        if (!outline.isEmpty())
            psName = psFontName(dir.filePath(outline), false);
    }
    if (psName.isEmpty())
        return QString();
    // The database may know the font by its PostScript name.
    const QString byPsName = berryNameFor(psName);
    return byPsName.isEmpty() ? psName : byPsName;
}

BerryFolderScan scanFontFolder(const QString& folder)
{
    BerryFolderScan scan;
    NoCaseDict<int> bases;
    const QFileInfoList items =
        QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                   QDir::Name);
    for (const QFileInfo& item : items) {
        if (item.isDir())
            continue;
        const QString name = item.fileName();
        const QStringList pieces = name.split(QLatin1Char('.'));
        if (pieces.size() != 2 || !isType1Extension(pieces.at(1)))
            continue;
        scan.fn << name;
        if (!bases.contains(pieces.at(0)))
            bases.insert(pieces.at(0), 0);
    }
    scan.slst = bases.keys();
    std::stable_sort(scan.slst.begin(), scan.slst.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& base : scan.slst)
        scan.proposals << proposeBerryName(folder, base, scan.fn);
    return scan;
}

QStringList renameToBerry(const QString& folder, const QStringList& fn, const QStringList& slst,
                          const QStringList& newNames)
{
    QStringList failed;
    const QDir dir(folder);
    for (const QString& file : fn) {
        const QString base = file.section(QLatin1Char('.'), 0, 0);
        const QString ext = file.section(QLatin1Char('.'), 1);
        qsizetype row = -1;
        for (qsizetype i = 0; i < slst.size() && row < 0; ++i) {
            if (slst.at(i).compare(base, Qt::CaseInsensitive) == 0)
                row = i;
        }
        if (row < 0)
            continue;
        const QString newBase = trimWhite(newNames.value(row));
        if (newBase.isEmpty())
            continue;
        const QString target = newBase + QLatin1Char('.') + ext.toLower();
        if (target == file)
            continue;
        if (newBase.contains(QLatin1Char('/'))) {
            failed << file + QStringLiteral(": the name ") + newBase + QStringLiteral(" may not hold \"/\"");
            continue;
        }
        if (QFileInfo::exists(dir.filePath(target)) || QFileInfo(dir.filePath(target)).isSymLink()) {
            failed << file + QStringLiteral(": ") + target + QStringLiteral(" exists already");
            continue;
        }
        QFile source(dir.filePath(file));
        if (!source.rename(dir.filePath(target)))
            failed << file + QStringLiteral(": could not be renamed to ") + target + QStringLiteral(" (") +
                          source.errorString() + QLatin1Char(')');
    }
    return failed;
}

} // namespace qlk

#include "mainwindow/TdsLayout.h"

#include "fontinfo/ScratchFolder.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace qlk {

QStringList tdsTopLevelNames()
{
    return {QStringLiteral("tex"),     QStringLiteral("fonts"),   QStringLiteral("metafont"),
            QStringLiteral("metapost"), QStringLiteral("bibtex"), QStringLiteral("scripts"),
            QStringLiteral("doc"),     QStringLiteral("source"),  QStringLiteral("web2c"),
            QStringLiteral("mft"),     QStringLiteral("dvips"),   QStringLiteral("tex4ht"),
            QStringLiteral("texdoc"),  QStringLiteral("local"),   QStringLiteral("config"),
            QStringLiteral("context"), QStringLiteral("mft"),     QStringLiteral("vtex"),
            QStringLiteral("omega")};
}

FileKind fileKindOf(const QString& fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return FileKind::None;
    const QString ext = fileName.mid(dot + 1).toLower();
    if (ext == QLatin1String("afm") || ext == QLatin1String("pfm"))
        return FileKind::Afm;
    if (ext == QLatin1String("pfb") || ext == QLatin1String("pfa"))
        return FileKind::Type1;
    if (ext == QLatin1String("ttf"))
        return FileKind::TrueType;
    if (ext == QLatin1String("otf"))
        return FileKind::OpenType;
    if (ext == QLatin1String("enc"))
        return FileKind::Encoding;
    if (ext == QLatin1String("tfm"))
        return FileKind::Tfm;
    if (ext == QLatin1String("vf"))
        return FileKind::Vf;
    if (ext == QLatin1String("sty") || ext == QLatin1String("fd") || ext == QLatin1String("cfg") ||
        ext == QLatin1String("def"))
        return FileKind::Latex;
    if (ext == QLatin1String("map"))
        return FileKind::Map;
    return FileKind::None;
}

PackageNames packageNames(const QString& supplierText, const QString& familyText)
{
    PackageNames names;
    names.supplier = supplierText.trimmed();
    names.family = familyText.trimmed().remove(QLatin1Char(' '));
    return names;
}

QString packageNamesProblem(const PackageNames& names)
{
    if (names.supplier.isEmpty() || names.family.isEmpty())
        return QStringLiteral("You may not leave foundry or family names unspecified");
    // Each name is one folder level; anything that leads elsewhere is refused.
    for (const QString& name : {names.supplier, names.family}) {
        if (name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")))
            return QStringLiteral("The foundry and family names may not contain \"/\" or \"..\"");
        // "." would put the package's files straight into fonts/type1/ and
        // its siblings; a hidden folder is skipped by TeX's searches.
        if (name.startsWith(QLatin1Char('.')))
            return QStringLiteral("The foundry and family names may not begin with \".\"");
        if (hasControlCharacter(name))
            return QStringLiteral("The foundry and family names may not contain line breaks, tabs or other "
                                  "control characters");
    }
    return QString();
}

bool hasControlCharacter(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return true;
    }
    return false;
}

LoosePlan planLooseFiles(const QStringList& names, const QStringList& paths, const PackageNames& pkg)
{
    LoosePlan plan;
    QStringList afm, type1, trueType, openType, enc, tfm, vf, latex, maps;
    for (int i = 0; i < names.size() && i < paths.size(); ++i) {
        switch (fileKindOf(names.at(i))) {
        case FileKind::Afm: afm << paths.at(i); break;
        case FileKind::Type1: type1 << paths.at(i); break;
        case FileKind::TrueType: trueType << paths.at(i); break;
        case FileKind::OpenType: openType << paths.at(i); break;
        case FileKind::Encoding: enc << paths.at(i); break;
        case FileKind::Tfm: tfm << paths.at(i); break;
        case FileKind::Vf: vf << paths.at(i); break;
        case FileKind::Latex: latex << paths.at(i); break;
        case FileKind::Map:
            maps << paths.at(i);
            plan.mapNames << names.at(i);
            break;
        case FileKind::None: break;
        }
    }
    const int outlineKinds = int(!type1.isEmpty()) + int(!trueType.isEmpty()) + int(!openType.isEmpty());
    if (outlineKinds > 1) {
        plan.problem = QStringLiteral("You should not make a package with a mix of fonts of different types. "
                                      "Bailing out!");
        return plan;
    }
    const QString sf = QLatin1Char('/') + pkg.supplier + QLatin1Char('/') + pkg.family;
    const QString f = QLatin1Char('/') + pkg.family;
    auto add = [&plan](const QString& folder, const QStringList& files) {
        if (!files.isEmpty())
            plan.blocks << LooseBlock{folder, files};
    };
    add(QStringLiteral("fonts/afm") + sf, afm);
    // dvips reads the map of Type 1 outlines and of metric-only packages
    // (virtual fonts over installed outlines); pdfTeX alone the TrueType one.
    if (!type1.isEmpty() || outlineKinds == 0)
        add(QStringLiteral("fonts/map/dvips") + f, maps);
    add(QStringLiteral("fonts/type1") + sf, type1);
    if (type1.isEmpty() && !trueType.isEmpty())
        add(QStringLiteral("fonts/map/pdftex") + f, maps);
    add(QStringLiteral("fonts/truetype") + sf, trueType);
    add(QStringLiteral("fonts/opentype") + sf, openType);
    add(QStringLiteral("fonts/enc/dvips") + f, enc);
    add(QStringLiteral("fonts/tfm") + sf, tfm);
    add(QStringLiteral("fonts/vf") + sf, vf);
    add(QStringLiteral("tex/latex") + sf, latex);
    return plan;
}

QString looseBuildCommand(const QString& scratch, const LoosePlan& plan)
{
    QString line = QStringLiteral("cd ") + shellQuote(scratch);
    const QString mkdir = shellQuote(systemProgram(QStringLiteral("mkdir")));
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    for (const LooseBlock& block : plan.blocks) {
        line += QStringLiteral(" && ") + mkdir + QStringLiteral(" -p ") + shellQuote(block.folder) +
                QStringLiteral(" && ") + cp + QStringLiteral(" -p -- ") + shellJoin(block.files) +
                QLatin1Char(' ') + shellQuote(block.folder + QLatin1Char('/'));
    }
    return line;
}

namespace {
// Files below `folder` whose name ends in one of `suffixes` (case ignored);
// folders named `skipFolder` are not entered; linked folders never are.
QStringList filesEndingIn(const QString& folder, const QStringList& suffixes, bool firstOnly,
                          const QString& skipFolder = QString())
{
    QStringList found;
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        const QString dir = pending.takeFirst();
        const QFileInfoList items =
            QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                    QDir::Name);
        for (const QFileInfo& item : items) {
            if (item.isDir()) {
                if (!item.isSymLink() && item.fileName() != skipFolder)
                    pending << item.filePath();
                continue;
            }
            for (const QString& suffix : suffixes) {
                if (item.fileName().endsWith(suffix, Qt::CaseInsensitive)) {
                    found << item.filePath();
                    if (firstOnly)
                        return found;
                    break;
                }
            }
        }
    }
    return found;
}
} // namespace

QStringList mapFilesIn(const QString& folder)
{
    QStringList maps = filesEndingIn(folder, {QStringLiteral(".map")}, false);
    maps.sort();
    return maps;
}

bool hasFontPackageFiles(const QString& folder)
{
    return !filesEndingIn(folder,
                          {QStringLiteral(".tfm"), QStringLiteral(".fd"), QStringLiteral(".pfb"),
                           QStringLiteral(".vf"), QStringLiteral(".sty")},
                          true)
                .isEmpty();
}

QStringList installedMapsNamed(const QString& mapName, const QStringList& roots)
{
    QStringList found;
    for (const QString& root : roots) {
        for (const QString& path : filesEndingIn(root + QStringLiteral("/fonts/map"), {QStringLiteral(".map")},
                                                 false, QStringLiteral("updmap"))) {
            if (QFileInfo(path).fileName().compare(mapName, Qt::CaseInsensitive) == 0)
                found << path;
        }
    }
    return found;
}

QStringList installedMapRoots()
{
    QStringList roots;
    auto add = [&roots](const QString& tree) {
        if (tree.isEmpty())
            return;
        const QString clean = QDir::cleanPath(tree);
        if (!roots.contains(clean))
            roots << clean;
    };
    add(texmfDist);
    add(texmfLocal);
    add(texmfHome);
    // Trees of the search path that have no role name (Debian's /usr/share/texmf).
    for (const QString& tree : texmfTrees) {
        if (treeRoleOf(tree).isEmpty() && !isPersonalPath(tree))
            add(tree);
    }
    return roots;
}

QString makeTdsScratch()
{
    return makeScratchFolder(documentsFolder());
}

QString displayPath(const QString& folder)
{
    const QString home = QDir::cleanPath(homeFolder());
    const QString clean = QDir::cleanPath(folder);
    if (!home.isEmpty() && home != QLatin1String("/") && clean.startsWith(home + QLatin1Char('/')))
        return QStringLiteral("~") + clean.mid(home.size());
    return clean;
}

QStringList addDropped(QStringList& listed, const QStringList& paths)
{
    QStringList added;
    for (const QString& path : paths) {
        if (path.isEmpty() || listed.contains(path))
            continue;
        listed << path;
        added << path;
    }
    return added;
}

QString explainText()
{
    return QStringLiteral("If you drop a zip file that contains a TDS, the files and folders will be added to the "
                          "chosen TEXMF tree. Older files with the same names will be overwritten, and new folders "
                          "may be created.\n"
                          "Loose files with extensions .fd and .sty are copied to subfolders of <root>/tex/latex, "
                          "while those with extensions .afm, .vf, .tfm, .map,.pfa, .pfb and .ttf are copied to "
                          "appropriate subfolders of <root>/fonts. All other files and folders are copied to a "
                          "subfolder of <root>/doc/fonts.\n"
                          "Following this, the program runs sudo mktexlsr (if required), then updmap-sys or "
                          "updmap, as appropriate, unless the destination is Other or texlive.");
}

} // namespace qlk

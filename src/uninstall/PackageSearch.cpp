#include "uninstall/PackageSearch.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "search/Duplicates.h"
#include "search/FdCatalogue.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace qlk {

namespace {

void collectFolders(const QString& folder, const QString& name, QStringList& lines)
{
    const QFileInfoList subfolders =
        QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& sub : subfolders) {
        if (sub.fileName() == name)
            lines << sub.filePath() + QLatin1Char(':');
        collectFolders(sub.filePath(), name, lines);
    }
}

// The parts of `path` below `base` ("a/b/c" gives a, b, c); empty when the
// path does not lie below it.
QStringList partsBelow(const QString& path, const QString& base)
{
    const QString b = QDir::cleanPath(base) + QLatin1Char('/');
    const QString p = QDir::cleanPath(path);
    if (!p.startsWith(b))
        return {};
    return p.mid(b.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString stripColon(const QString& line)
{
    return line.endsWith(QLatin1Char(':')) ? line.chopped(1) : line;
}

QStringList nonEmptyLines(const QString& text)
{
    return text.split(lf, Qt::SkipEmptyParts);
}

void addOnce(QStringList& list, const QString& text)
{
    if (!list.contains(text, Qt::CaseInsensitive))
        list << text;
}

} // namespace

QStringList uninstallTrees()
{
    return {texmfLocal, texmfHome, texmfVar};
}

QString uninstallTreeName(int tree)
{
    static const char* const names[] = {"TEXMFLOCAL", "TEXMFHOME", "TEXMFVAR"};
    return tree >= 0 && tree < 3 ? QLatin1String(names[tree]) : QString();
}

int uninstallTreeOf(const QString& path, const QStringList& trees)
{
    // The longest tree that holds the path wins, as trees may nest.
    int best = -1;
    for (int t = 0; t < trees.size() && t < 3; ++t) {
        if (pathInTree(path, trees.at(t)) && (best < 0 || trees.at(t).size() > trees.at(best).size()))
            best = t;
    }
    return best;
}

QStringList folderLinesNamed(const QString& root, const QString& name)
{
    QStringList lines;
    if (!name.isEmpty() && QFileInfo(root).isDir())
        collectFolders(root, name, lines);
    return lines;
}

QStringList getpkgs(const QString& name, const QStringList& trees)
{
    QStringList result(6);
    for (int t = 0; t < 3 && t < trees.size(); ++t) {
        if (trees.at(t).isEmpty())
            continue;
        result[t] = folderLinesNamed(trees.at(t) + QStringLiteral("/tex/latex"), name).join(lf);
        result[t + 3] = folderLinesNamed(trees.at(t) + QStringLiteral("/fonts/tfm"), name).join(lf);
    }
    return result;
}

bool existsInDistribution(const QString& name, bool file)
{
    if (name.isEmpty())
        return false;
    QStringList roots{texmfDist};
    roots += unnamedDistTrees();
    for (const QString& root : roots) {
        if (root.isEmpty())
            continue;
        for (const LsRFolder& folder : treeListing(root)) {
            if (!file) {
                if (folder.folder.section(QLatin1Char('/'), -1) == name)
                    return true;
                continue;
            }
            for (const QString& entry : folder.entries) {
                if (entry.startsWith(name))
                    return true;
            }
        }
    }
    return false;
}

QStringList filesNamedNoCase(const QStringList& folders, const QString& name)
{
    QStringList found;
    for (const QString& folder : folders) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            continue;
        QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        QStringList here;
        while (it.hasNext()) {
            const QString path = it.next();
            if (it.fileName().compare(name, Qt::CaseInsensitive) == 0)
                here << path;
        }
        here.sort();
        found += here;
    }
    return found;
}

PackageSearchResult searchPackage(const QString& typed, const QStringList& trees)
{
    PackageSearchResult r;
    const QString name = trimWhite(typed);
    const QString s4 = name.right(4);
    const bool sty = s4.compare(QLatin1String(".sty"), Qt::CaseInsensitive) == 0;
    const bool map = s4.compare(QLatin1String(".map"), Qt::CaseInsensitive) == 0;

    if (sty || map) {
        r.s4 = s4;
        r.distHas = existsInDistribution(name, true);
        const QString out = kpsewhichQuery(QStringLiteral("-all -- ") + shellQuote(name));
        const bool ok = lastShell.errorCode == 0;
        // Only what lies in the trees the tool may remove from is a match:
        // the distribution's trees, TEXMFSYSVAR and the working folder are not.
        for (const QString& line : nonEmptyLines(out)) {
            if (uninstallTreeOf(line, trees) >= 0)
                r.fnd << line;
        }
        if (!ok || r.fnd.isEmpty()) {
            const QString below = map ? QStringLiteral("/fonts/map") : QStringLiteral("/tex/latex");
            QStringList folders;
            for (const QString& tree : trees)
                folders << (tree.isEmpty() ? QString() : tree + below);
            const QStringList other = filesNamedNoCase(folders, name);
            r.message = other.isEmpty()
                            ? QStringLiteral("Unable to locate ") + name +
                                  QStringLiteral(" in non-dist trees, even ignoring case.")
                            : QStringLiteral("Unable to locate ") + name +
                                  QStringLiteral(" in non-dist trees, but did locate:") + lf + other.join(lf);
            return r;
        }
    } else {
        r.distHas = existsInDistribution(name, false);
        const QStringList listings = getpkgs(name, trees);
        for (int i = 3; i < 6; ++i)
            r.fnd += nonEmptyLines(listings.at(i));
        if (r.fnd.isEmpty()) {
            r.s4 = s4;
            r.message = QStringLiteral("No match in non-dist trees:");
            return r;
        }
    }
    r.found = true;
    r.several = r.fnd.size() > 1;
    r.message = r.several ? QStringLiteral("Found more than one match:") + lf + r.fnd.join(lf)
                          : QStringLiteral("Found one match:") + lf + r.fnd.at(0);
    return r;
}

bool mapHoldsNoFonts(const QString& text)
{
    return firstMapFont(text).isEmpty();
}

QString firstMapFont(const QString& text)
{
    for (const QString& raw : text.split(lf)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('%')))
            continue;
        return line.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
    }
    return QString();
}

MatchInfo classifyMatch(const QString& s4, const QString& path, const QString& searched, const QStringList& trees)
{
    MatchInfo info;
    const int t = uninstallTreeOf(path, trees);
    if (t < 0) {
        info.message = path + QStringLiteral(" lies outside TEXMFLOCAL, TEXMFHOME and TEXMFVAR.");
        return info;
    }
    info.tree = uninstallTreeName(t);
    const QString tree = trees.at(t);
    const QString tfmRoot = tree + QStringLiteral("/fonts/tfm");

    if (s4.compare(QLatin1String(".sty"), Qt::CaseInsensitive) == 0) {
        const QStringList parts = partsBelow(path, tree + QStringLiteral("/tex/latex"));
        if (parts.size() < 2) {
            info.message = parts.isEmpty()
                               ? QStringLiteral("This sty file does not lie below tex/latex. Human intelligence is "
                                                "required to uninstall it.")
                               : QStringLiteral("This sty file was installed with no package information. Human "
                                                "intelligence is required to uninstall it.");
            return info;
        }
        const int last = int(parts.size()) - 1;
        const QString package = parts.at(last - 1);
        info.package = package;
        const QStringList lines = nonEmptyLines(getpkgs(package, trees).at(3 + t));
        if (lines.isEmpty()) {
            info.message = QStringLiteral("No tfm files in this package.");
            return info;
        }
        // The supplier of a tfm folder: the folder above it, below fonts/tfm.
        auto supplierOf = [&tfmRoot](const QString& line) {
            const QStringList p = partsBelow(stripColon(line), tfmRoot);
            return p.size() >= 2 ? p.at(p.size() - 2) : QString();
        };
        if (lines.size() == 1) {
            info.supplier = supplierOf(lines.at(0));
            if (info.supplier.isEmpty())
                info.message = QStringLiteral("This package file was installed with no vendor information. Human "
                                              "intelligence is required to uninstall it.");
            return info;
        }
        if (last >= 2) {
            const QString vendor = parts.at(last - 2);
            for (const QString& line : lines) {
                if (supplierOf(line) == vendor) {
                    info.supplier = vendor;
                    return info;
                }
            }
        }
        info.message = QStringLiteral("There are several packages of tfm files by this name. Select the one you "
                                      "want from the popup menu by vendor name.");
        for (const QString& line : lines) {
            const QString s = supplierOf(line);
            if (!s.isEmpty())
                info.supplierChoices << s;
        }
        return info;
    }

    if (s4.compare(QLatin1String(".map"), Qt::CaseInsensitive) == 0) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            info.message = QStringLiteral("Unable to read ") + path + QStringLiteral(": ") + file.errorString();
            return info;
        }
        const QString text = QString::fromLatin1(file.readAll());
        const QString font = firstMapFont(text);
        if (font.isEmpty()) {
            info.offerMapDeletion = true;
            info.message = QStringLiteral("No matching tfm files for this map file.");
            return info;
        }
        QStringList remaining;
        for (const QString& line : nonEmptyLines(kpsewhichQuery(QStringLiteral("-all -- ") +
                                                                 shellQuote(font + QStringLiteral(".tfm"))))) {
            if (pathInTree(line, tree))
                remaining << line;
        }
        if (remaining.isEmpty()) {
            info.message = QStringLiteral("No matching tfm files for this map file.");
            return info;
        }
        auto split = [&tfmRoot](const QString& line, QString& supplier, QString& package) {
            const QStringList p = partsBelow(line, tfmRoot);
            package = p.size() >= 2 ? p.at(p.size() - 2) : QString();
            supplier = p.size() >= 3 ? p.at(p.size() - 3) : QString();
        };
        if (remaining.size() == 1) {
            split(remaining.at(0), info.supplier, info.package);
            return info;
        }
        QStringList packages;
        QList<QPair<QString, QString>> pairs;
        for (const QString& line : remaining) {
            QString supplier, package;
            split(line, supplier, package);
            if (package.isEmpty())
                continue;
            addOnce(packages, package);
            bool seen = false;
            for (const auto& pair : pairs)
                seen = seen || (pair.first.compare(supplier, Qt::CaseInsensitive) == 0 &&
                                pair.second.compare(package, Qt::CaseInsensitive) == 0);
            if (!seen)
                pairs << qMakePair(supplier, package);
        }
        info.message = QStringLiteral("Multiple matching tfm folders found---select the one from the popupmenu(s) "
                                      "above:") +
                       lf + remaining.join(lf);
        if (packages.size() >= 2) {
            info.packageChoices = packages;
            return info;
        }
        info.package = packages.value(0);
        QStringList suppliers;
        for (const auto& pair : pairs) {
            if (pair.second.compare(info.package, Qt::CaseInsensitive) == 0 && !pair.first.isEmpty())
                suppliers << pair.first;
        }
        if (suppliers.size() == 1)
            info.supplier = suppliers.at(0);
        else
            info.supplierChoices = suppliers;
        return info;
    }

    // A package match: a tfm folder line.
    const QStringList parts = partsBelow(stripColon(path), tfmRoot);
    info.package = searched;
    if (parts.size() < 2) {
        info.message = QStringLiteral("This package file was installed with no vendor information. Human "
                                      "intelligence is required to uninstall it.");
        return info;
    }
    info.supplier = parts.at(parts.size() - 2);
    return info;
}

bool deleteEmptyMap(const QString& path, const QStringList& trees)
{
    const int t = uninstallTreeOf(path, trees);
    bool ok = false;
    if (t == 0) {
        ok = runAsRoot(QStringLiteral("/usr/bin/sudo ") + shellQuote(systemProgram(QStringLiteral("rm"))) +
                       QStringLiteral(" -f -- ") + shellQuote(path)) == 0;
    } else if (t > 0) {
        runShellQuiet(shellQuote(systemProgram(QStringLiteral("rm"))) + QStringLiteral(" -f -- ") +
                      shellQuote(path));
        ok = lastShell.errorCode == 0 && !QFileInfo::exists(path);
    }
    if (!ok)
        msgBox(QStringLiteral("Unable to delete ") + path);
    return ok;
}

} // namespace qlk

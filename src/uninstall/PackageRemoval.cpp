#include "uninstall/PackageRemoval.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "search/TreeSearch.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/MapCommands.h"
#include "texenv/ScanParse.h"
#include "texenv/TexEnv.h"
#include "uninstall/PackageSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace qlk {

namespace {

const QLatin1String kSudo("/usr/bin/sudo ");
const QLatin1String kSudoH("/usr/bin/sudo -H ");

// Kind -> folder below the tree, in removal order.
struct Kind {
    const char* name;
    const char* folder;
};
const Kind kKinds[] = {{"latex", "tex/latex"},         {"enc", "fonts/enc"},       {"map", "fonts/map"},
                       {"tfm", "fonts/tfm"},           {"vf", "fonts/vf"},         {"type1", "fonts/type1"},
                       {"truetype", "fonts/truetype"}, {"opentype", "fonts/opentype"}, {"afm", "fonts/afm"},
                       {"doc", "doc/fonts"}};
const char* const kCopyOrder[] = {"latex", "tfm", "vf", "enc", "map", "type1", "truetype", "opentype", "afm", "doc"};
const char* const kSupplierKinds[] = {"tfm", "vf", "type1", "truetype", "opentype", "afm"};

bool isDirNoLink(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(path) : c;
}

// `path` with links resolved as far as it exists: a folder that is yet to
// be made below a link lies where the link leads.
QString resolved(const QString& path)
{
    QString head = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString tail;
    while (!head.isEmpty() && !QFileInfo::exists(head) && head != QLatin1String("/")) {
        tail = QLatin1Char('/') + QFileInfo(head).fileName() + tail;
        head = QFileInfo(head).path();
    }
    return QDir::cleanPath(canonical(head) + tail);
}

bool isKind(const RemovalFolder& f, const char* kind)
{
    return f.kind == QLatin1String(kind);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Below fonts/enc or fonts/map: the folders named like the package at any
// depth below a driver folder (a driver folder itself never), and with
// `mapFiles` the files <package>.map directly in a driver or vendor folder.
void collectNamed(const QString& folder, int depth, const QString& package, bool mapFiles,
                  const QStringList& supplierNames, QList<RemovalFolder>& out, const QString& kind)
{
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo& e : entries) {
        if (e.isSymLink())
            continue;
        if (e.isDir()) {
            // Right below a driver, a supplier's name is the vendor folder
            // of many packages.
            if (depth >= 1 && sameName(e.fileName(), package) &&
                !(depth == 1 && supplierNames.contains(e.fileName()))) {
                out << RemovalFolder{kind, e.filePath(), false, QString(), false};
                continue;
            }
            collectNamed(e.filePath(), depth + 1, package, mapFiles, supplierNames, out, kind);
        } else if (mapFiles && e.isFile() && depth >= 1 && depth <= 2 &&
                   sameName(e.fileName(), package + QStringLiteral(".map"))) {
            out << RemovalFolder{kind, e.filePath(), false, QString(), true};
        }
    }
}

QString rm() { return shellQuote(systemProgram(QStringLiteral("rm"))); }

bool gone(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

} // namespace

bool RemovalPlan::hasType1() const
{
    for (const RemovalFolder& f : folders) {
        if (isKind(f, "type1"))
            return true;
    }
    return false;
}

QStringList RemovalPlan::mapNames() const
{
    return maps;
}

namespace {
QStringList mapsIn(const QList<RemovalFolder>& folders)
{
    QStringList names;
    auto add = [&names](const QString& name) {
        if (!names.contains(name))
            names << name;
    };
    for (const RemovalFolder& f : folders) {
        if (!isKind(f, "map"))
            continue;
        if (f.file) {
            add(QFileInfo(f.path).fileName());
            continue;
        }
        QDirIterator it(f.path, {QStringLiteral("*.map")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList here;
        while (it.hasNext()) {
            it.next();
            here << it.fileName();
        }
        here.sort();
        for (const QString& name : here)
            add(name);
    }
    return names;
}
} // namespace

void RemovalPlan::keepFolder(int i)
{
    const QString kept = canonical(folders.at(i).path);
    folders.removeAt(i);
    maps = mapsIn(folders);
    for (int j = int(loaded.size()) - 1; j >= 0; --j) {
        if (pathInTree(canonical(loaded.at(j).path), kept))
            loaded.removeAt(j);
    }
    mathAlphabets = mathAlphabetsIn(*this);
}

bool RemovalPlan::keeps(const QString& path) const
{
    if (removeLoaded)
        return false;
    for (const LoadedFile& f : loaded) {
        if (f.path == path)
            return true;
    }
    return false;
}

bool validPackageFolderName(const QString& name)
{
    static const QStringList reserved{"fonts",    "tex",      "latex", "enc",      "map",      "tfm",
                                      "vf",       "type1",    "truetype", "opentype", "afm",   "dvips",
                                      "pdftex",   "dvipdfm",  "dvipdfmx", "ls-R",     "doc",   "updmap"};
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           !reserved.contains(name, Qt::CaseInsensitive);
}

RemovalPlan planRemoval(int tree, const QStringList& trees, const QString& supplier, const QString& package)
{
    RemovalPlan plan;
    plan.tree = tree;
    plan.supplier = supplier;
    plan.package = package;
    if (tree < 0 || tree > 2 || tree >= trees.size() || trees.at(tree).isEmpty()) {
        plan.error = QStringLiteral("No tree is chosen: search for the package first.");
        return plan;
    }
    plan.treePath = QDir::cleanPath(trees.at(tree));
    if (!validPackageFolderName(supplier) || !validPackageFolderName(package)) {
        plan.error = QStringLiteral("\"") + supplier + QStringLiteral("/") + package +
                     QStringLiteral("\" does not name one supplier folder and one package folder; nothing is "
                                    "removed.");
        return plan;
    }
    const QString root = plan.treePath;
    const QString canonicalRoot = canonical(root);

    // Folders that must never go: the tree, its kind and driver folders and
    // the supplier folders.
    QStringList protectedFolders{canonicalRoot, canonical(root + QStringLiteral("/fonts")),
                                 canonical(root + QStringLiteral("/tex")), canonical(root + QStringLiteral("/doc"))};
    for (const Kind& k : kKinds)
        protectedFolders << canonical(root + QLatin1Char('/') + QLatin1String(k.folder));
    // Of those, the ones that are no supplier or vendor folder: they stay
    // even when empty.
    QStringList structural = protectedFolders;

    // Supplier folder names of the tree: tex/latex/<name> of one of them
    // holds that supplier's packages, not a package of its own.
    QStringList supplierNames;
    for (const char* k : kSupplierKinds) {
        const QFileInfoList suppliers = QDir(root + QStringLiteral("/fonts/") + QLatin1String(k))
                                            .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QFileInfo& s : suppliers)
            supplierNames << s.fileName();
    }

    for (const Kind& k : kKinds) {
        const QString kindFolder = root + QLatin1Char('/') + QLatin1String(k.folder);
        const QString kind = QLatin1String(k.name);
        QList<RemovalFolder> found;
        if (kind == QLatin1String("enc") || kind == QLatin1String("map")) {
            const QFileInfoList drivers =
                QDir(kindFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            for (const QFileInfo& d : drivers)
                structural << canonical(d.filePath());
            collectNamed(kindFolder, 0, package, kind == QLatin1String("map"), supplierNames, found, kind);
        } else {
            protectedFolders << canonical(kindFolder + QLatin1Char('/') + supplier);
            QStringList candidates;
            if (isDirNoLink(kindFolder + QLatin1Char('/') + supplier + QLatin1Char('/') + package))
                candidates << kindFolder + QLatin1Char('/') + supplier + QLatin1Char('/') + package;
            if ((kind == QLatin1String("latex") || kind == QLatin1String("doc")) && !supplierNames.contains(package) &&
                isDirNoLink(kindFolder + QLatin1Char('/') + package))
                candidates << kindFolder + QLatin1Char('/') + package;
            for (const QString& c : candidates)
                found << RemovalFolder{kind, c, candidates.size() > 1, QString(), false};
        }
        plan.folders += found;
    }

    // Encodings and maps carry no supplier: while another supplier's package
    // of this name stays in the tree, they belong to it too.
    // Another supplier's package is its metric folder: the outlines of one
    // family often lie under a supplier of their own (urw35vf's times uses
    // type1/urw/times).
    QString other;
    const QFileInfoList tfmSuppliers = QDir(root + QStringLiteral("/fonts/tfm"))
                                           .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& s : tfmSuppliers) {
        if (s.fileName() != supplier && QFileInfo(s.filePath() + QLatin1Char('/') + package).isDir()) {
            other = s.fileName() + QLatin1Char('/') + package;
            break;
        }
    }
    if (!other.isEmpty()) {
        for (int i = int(plan.folders.size()) - 1; i >= 0; --i) {
            RemovalFolder& f = plan.folders[i];
            if (isKind(f, "enc") || isKind(f, "map")) {
                f.sharedWith = other;
                f.ask = false;
                plan.kept.prepend(f);
                plan.folders.removeAt(i);
            }
        }
    }

    protectedFolders += structural;
    for (const RemovalFolder& f : plan.folders) {
        const QString c = canonical(f.path);
        if (!pathInTree(c, canonicalRoot) || protectedFolders.contains(c)) {
            plan.error = f.path + QStringLiteral(" leads to ") + c +
                         QStringLiteral(", which may not be removed; nothing is removed.");
            return plan;
        }
    }
    // The supplier or vendor folder that holds each: never the tree, a kind
    // or a driver folder.
    for (const RemovalFolder& f : plan.folders) {
        const QString parent = QFileInfo(f.path).path();
        if (!structural.contains(canonical(parent)) && pathInTree(canonical(parent), canonicalRoot) &&
            !plan.parents.contains(parent))
            plan.parents << parent;
    }
    plan.maps = mapsIn(plan.folders);
    plan.loaded = filesLoadedElsewhere(plan);
    plan.mathAlphabets = mathAlphabetsIn(plan);
    return plan;
}

namespace {

// The font and encoding files of the removal by name (lower case): what a
// map line can load.
QMap<QString, QStringList> loadableFiles(const QList<RemovalFolder>& folders)
{
    QMap<QString, QStringList> files;
    for (const RemovalFolder& f : folders) {
        if (f.file)
            continue;
        QDirIterator it(f.path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (isLoadedFontFile(it.fileName()))
                files[it.fileName().toLower()] << path;
        }
    }
    return files;
}

// One font line of another map that loads a file of the removal.
struct MapUse {
    QString map;
    QString font; // the line's TeX font
    QString file; // lower case
};

} // namespace

QList<LoadedFile> filesLoadedElsewhere(const RemovalPlan& plan)
{
    const QMap<QString, QStringList> files = loadableFiles(plan.folders);
    if (files.isEmpty())
        return {};
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<MapUse> uses;
    auto note = [&](const QString& map, const QString& line) {
        if (plan.maps.contains(map, Qt::CaseInsensitive))
            return; // the package's own map goes with it
        for (const MapLoad& load : mapLineLoads(line)) {
            const QString file = load.file.toLower();
            if (!files.contains(file))
                continue;
            bool seen = false;
            for (const MapUse& u : uses)
                seen = seen || (sameName(u.map, map) && u.file == file);
            if (!seen)
                uses << MapUse{map, line.trimmed().section(blanks, 0, 0), file};
        }
    };

    // The maps the updmap.cfg files enable, wherever kpsewhich finds them.
    NoCaseDict<int> states;
    collectMapStates(distCfgText, states);
    collectMapStates(localCfgText, states);
    collectMapStates(homeCfgText, states);
    QStringList enabled;
    for (const QString& name : states.keys()) {
        if (states.value(name) == 0 && safeMapName(name) && !plan.maps.contains(name, Qt::CaseInsensitive))
            enabled << shellQuote(name);
    }
    if (!enabled.isEmpty()) {
        const QString answer = kpsewhichQuery(QStringLiteral("-format=map -- ") + enabled.join(QLatin1Char(' ')));
        for (const QString& path : answer.split(lf, Qt::SkipEmptyParts)) {
            const QString map = trimWhite(path).section(QLatin1Char('/'), -1);
            for (const QString& line : readTextFile(trimWhite(path)).split(lf))
                note(map, line);
        }
    }
    // The pdftex.map in use, which may still hold maps no updmap.cfg enables.
    if (!mapRoot.isEmpty()) {
        QString map = QStringLiteral("pdftex.map");
        for (const QString& line : readTextFile(masterMapPath()).split(lf)) {
            const QString heading = mapSectionHeading(line);
            if (heading.isEmpty())
                note(map, line);
            else
                map = heading;
        }
    }
    if (uses.isEmpty())
        return {};

    // A file another tree holds too stays loadable: only the removal's
    // own copies are taken away.
    QStringList canonicalFolders;
    for (const RemovalFolder& f : plan.folders) {
        if (!f.file)
            canonicalFolders << canonical(f.path);
    }
    auto inRemoval = [&canonicalFolders](const QString& path) {
        const QString c = canonical(path);
        for (const QString& folder : canonicalFolders) {
            if (pathInTree(c, folder))
                return true;
        }
        return false;
    };
    QStringList names;
    QStringList fonts;
    for (const MapUse& u : uses) {
        if (!names.contains(u.file))
            names << u.file;
        const QString tfm = shellQuote(u.font + QStringLiteral(".tfm"));
        if (!fonts.contains(tfm))
            fonts << tfm;
    }
    QStringList quoted;
    for (const QString& name : names)
        quoted << shellQuote(name);
    const QString copies = kpsewhichQuery(QStringLiteral("-all -- ") + quoted.join(QLatin1Char(' ')));
    QSet<QString> elsewhere;
    for (const QString& name : names) {
        for (const QString& path : filesNamed(copies, name)) {
            if (QFileInfo(path).isFile() && !inRemoval(path))
                elsewhere.insert(name);
        }
    }
    // The package of a map: the folder of the loading font's metric file.
    const QString metrics = kpsewhichQuery(QStringLiteral("-- ") + fonts.join(QLatin1Char(' ')));
    QList<LoadedFile> loaded;
    for (const MapUse& u : uses) {
        if (elsewhere.contains(u.file))
            continue;
        const QString tfm = filesNamed(metrics, u.font + QStringLiteral(".tfm")).value(0);
        QString package = tfm.isEmpty() ? QString() : QFileInfo(tfm).dir().dirName();
        if (package.isEmpty() || package == QLatin1String("."))
            package = u.map.endsWith(QLatin1String(".map"), Qt::CaseInsensitive) ? u.map.chopped(4) : u.map;
        for (const QString& path : files.value(u.file))
            loaded << LoadedFile{path, u.map, package};
    }
    return loaded;
}

QStringList mathAlphabetsIn(const RemovalPlan& plan)
{
    static const QRegularExpression declared(
        QStringLiteral("\\\\DeclareMathAlphabet\\{\\\\(\\w+)\\}\\{U\\}\\{([^}\\s]+)\\}"));
    QStringList fontFolders;
    for (const RemovalFolder& f : plan.folders) {
        if (isKind(f, "vf") || isKind(f, "tfm"))
            fontFolders << f.path;
    }
    QStringList found;
    for (const RemovalFolder& f : plan.folders) {
        if (!isKind(f, "latex"))
            continue;
        QDirIterator it(f.path, {QStringLiteral("*.sty")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList styles;
        while (it.hasNext())
            styles << it.next();
        styles.sort();
        for (const QString& sty : styles) {
            const QRegularExpressionMatch m = declared.match(readTextFile(sty));
            if (!m.hasMatch())
                continue;
            const QString font = m.captured(2);
            bool ours = false;
            for (const QString& folder : fontFolders) {
                ours = ours || QFileInfo(folder + QLatin1Char('/') + font + QStringLiteral(".vf")).isFile() ||
                       QFileInfo(folder + QLatin1Char('/') + font + QStringLiteral(".tfm")).isFile();
            }
            if (ours)
                found << QStringLiteral("\\") + m.captured(1) + QStringLiteral(" (") + QFileInfo(sty).fileName() +
                             QStringLiteral(", font ") + font + QLatin1Char(')');
        }
    }
    return found;
}

namespace {
// "A.map loads x.pfb" lines, one for each map and file.
QStringList loadLines(const RemovalPlan& plan, const QString& tail)
{
    QStringList lines;
    for (const LoadedFile& f : plan.loaded) {
        const QString line = f.map + QStringLiteral(" loads ") + QFileInfo(f.path).fileName() + tail;
        if (!lines.contains(line))
            lines << line;
    }
    return lines;
}

QStringList stoppingPackages(const RemovalPlan& plan)
{
    QStringList packages;
    for (const LoadedFile& f : plan.loaded) {
        if (!packages.contains(f.package))
            packages << f.package;
    }
    return packages;
}
} // namespace

QString loadedFilesQuestion(const RemovalPlan& plan)
{
    if (plan.loaded.isEmpty())
        return QString();
    const QStringList packages = stoppingPackages(plan);
    const bool one = plan.loaded.size() == 1;
    return loadLines(plan, QStringLiteral(", which this removal takes away.")).join(QLatin1Char('\n')) +
           QStringLiteral("\n\nRemove ") + (one ? QStringLiteral("this file") : QStringLiteral("these files")) +
           QStringLiteral(" anyway? Documents using ") +
           (packages.size() == 1 ? QStringLiteral("the package ") : QStringLiteral("the packages ")) +
           packages.join(QStringLiteral(", ")) + QStringLiteral(" will then stop. No keeps ") +
           (one ? QStringLiteral("it") : QStringLiteral("them")) + QStringLiteral(" in place and removes the rest.");
}

QString removalQuestion(const RemovalPlan& plan)
{
    QString text = QStringLiteral("Remove the package ") + plan.supplier + QLatin1Char('/') + plan.package +
                   QStringLiteral(" from ") + uninstallTreeName(plan.tree) + QStringLiteral("?\n\nThese folders and files "
                                                                            "will be removed:");
    for (const RemovalFolder& f : plan.folders)
        text += QStringLiteral("\n") + f.path;
    for (const RemovalFolder& f : plan.kept)
        text += QStringLiteral("\n\nKept, shared with ") + f.sharedWith + QStringLiteral(": ") + f.path;
    for (const LoadedFile& f : plan.loaded) {
        text += plan.removeLoaded ? QStringLiteral("\n\nRemoved although ") + f.map +
                                        QStringLiteral(" loads it (the package ") + f.package +
                                        QStringLiteral(" will stop): ") + f.path
                                  : QStringLiteral("\n\nKept, loaded by ") + f.map + QStringLiteral(": ") + f.path;
    }
    for (const QString& alphabet : plan.mathAlphabets)
        text += QStringLiteral("\n\nThe math alphabet ") + alphabet +
                QStringLiteral(" is made from this package's fonts and lies in its folders: it is removed too.");
    return text;
}

bool confirmRemoval(RemovalPlan& plan)
{
    // Where several folders of one kind could be the package's, the user says which go.
    for (int i = int(plan.folders.size()) - 1; i >= 0; --i) {
        if (plan.folders.at(i).ask &&
            !askYesNo(QStringLiteral("More than one folder may belong to this package. Remove ") +
                      plan.folders.at(i).path + QStringLiteral("?")))
            plan.keepFolder(i);
    }
    if (plan.folders.isEmpty())
        return false;
    // Only a Yes takes away what another package still loads.
    plan.removeLoaded = !plan.loaded.isEmpty() && askYesNo(loadedFilesQuestion(plan));
    return askYesNo(removalQuestion(plan));
}

QString tdsTarget(const RemovalPlan& plan, const RemovalFolder& folder)
{
    return QLatin1Char('/') + QDir(plan.treePath).relativeFilePath(folder.path);
}

QString tdsFolderProblem(const RemovalPlan& plan, const QString& tds)
{
    const QString c = resolved(tds);
    if (pathInTree(c, canonical(plan.treePath)) || pathInTree(tds, plan.treePath))
        return QStringLiteral("The TDS folder may not lie inside ") + plan.treePath +
               QStringLiteral(", the tree the package is removed from. Choose another folder.");
    for (const RemovalFolder& f : plan.folders) {
        if (pathInTree(c, canonical(f.path)))
            return QStringLiteral("The TDS folder may not lie inside ") + f.path +
                   QStringLiteral(", which is to be removed. Choose another folder.");
    }
    return QString();
}

QString freeTdsName(const QString& chosen)
{
    const QString base = QDir::cleanPath(chosen) + QStringLiteral("/TDS");
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

QString copyToTds(const RemovalPlan& plan, const QString& tds)
{
    const QString mkdir = shellQuote(systemProgram(QStringLiteral("mkdir"))) + QStringLiteral(" -p -- ");
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    for (const char* kind : kCopyOrder) {
        for (const RemovalFolder& f : plan.folders) {
            if (!isKind(f, kind))
                continue;
            const QString target = tds + tdsTarget(plan, f);
            // "folder/." copies the contents, hidden files included.
            if (f.file)
                runShellQuiet(mkdir + shellQuote(QFileInfo(target).path()) + QStringLiteral(" && ") + cp +
                              QStringLiteral(" -p -- ") + shellQuote(f.path) + QLatin1Char(' ') + shellQuote(target));
            else
                runShellQuiet(mkdir + shellQuote(target) + QStringLiteral(" && ") + cp + QStringLiteral(" -Rp -- ") +
                              shellQuote(f.path + QStringLiteral("/.")) + QLatin1Char(' ') + shellQuote(target));
            if (lastShell.errorCode != 0)
                return QStringLiteral("Copying ") + f.path + QStringLiteral(" to ") + target +
                       QStringLiteral(" failed: ") + trimWhite(lastShell.errorOutput);
        }
    }
    return QString();
}

namespace {
// What to delete below `folder` so that only the files the plan keeps
// stay: every entry that holds none of them, and inside those that do, the
// same again.
QStringList entriesAround(const RemovalPlan& plan, const QString& folder)
{
    QStringList entries;
    const QFileInfoList items = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& item : items) {
        if (plan.keeps(item.filePath()))
            continue;
        bool holdsKept = false;
        if (item.isDir() && !item.isSymLink()) {
            for (const LoadedFile& f : plan.loaded)
                holdsKept = holdsKept || pathInTree(f.path, item.filePath());
        }
        if (holdsKept)
            entries += entriesAround(plan, item.filePath());
        else
            entries << item.filePath();
    }
    return entries;
}

bool keepsIn(const RemovalPlan& plan, const RemovalFolder& folder)
{
    if (plan.removeLoaded || folder.file)
        return false;
    for (const LoadedFile& f : plan.loaded) {
        if (pathInTree(f.path, folder.path))
            return true;
    }
    return false;
}
} // namespace

QStringList removeFolders(const RemovalPlan& plan)
{
    QStringList failures;
    for (const RemovalFolder& f : plan.folders) {
        // A folder that keeps files other maps load loses everything else.
        const QStringList targets = keepsIn(plan, f) ? entriesAround(plan, f.path) : QStringList{f.path};
        if (targets.isEmpty())
            continue;
        QString command = rm() + (f.file ? QStringLiteral(" -f --") : QStringLiteral(" -Rf --"));
        for (const QString& target : targets)
            command += QLatin1Char(' ') + shellQuote(target);
        if (plan.tree == 0)
            runAsRoot(kSudo + command);
        else
            runShellQuiet(command);
        // Whatever the route answered, only a folder that is gone is removed.
        for (const QString& target : targets) {
            if (!gone(target))
                failures << QStringLiteral("Could not remove ") + target;
        }
    }
    // Supplier and vendor folders that held nothing but what went.
    for (const QString& parent : plan.parents) {
        if (!isDirNoLink(parent) ||
            !QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty())
            continue;
        const QString command =
            shellQuote(systemProgram(QStringLiteral("rmdir"))) + QStringLiteral(" -- ") + shellQuote(parent);
        if (plan.tree == 0)
            runAsRoot(kSudo + command);
        else
            runShellQuiet(command);
        if (!gone(parent))
            failures << QStringLiteral("Could not remove the empty folder ") + parent;
    }
    return failures;
}

QStringList updateAfterRemoval(const RemovalPlan& plan)
{
    QStringList failures;
    const QString updmapSys = kSudoH + shellQuote(texProgram(QStringLiteral("updmap-sys")));
    if (plan.tree == 0 &&
        runAsRoot(kSudo + shellQuote(texProgram(QStringLiteral("mktexlsr"))) + QLatin1Char(' ') +
                  shellQuote(plan.treePath)) != 0)
        failures << QStringLiteral("mktexlsr failed for ") + plan.treePath;

    // A map that another tree still holds stays enabled: the rebuild takes
    // that copy. Only maps no tree holds any more are disabled by name.
    QStringList gone;
    for (const QString& name : plan.mapNames()) {
        if (!safeMapName(name))
            continue;
        const QString found = kpsewhichQuery(QStringLiteral("-- ") + shellQuote(name));
        if (found.isEmpty() || lastShell.errorCode != 0)
            gone << name;
    }

    const bool personalMaps = isPersonalPath(mapRoot) || hasHomeUpdmap;
    if (plan.tree == 0) {
        if (isAdmin) {
            for (const QString& name : gone) {
                if (runAsRoot(updmapSys + QStringLiteral(" --disable ") + shellQuote(name)) != 0)
                    failures << QStringLiteral("updmap-sys could not disable ") + name;
            }
            if (runAsRoot(updmapSys) != 0)
                failures << QStringLiteral("updmap-sys could not rebuild the output maps");
        }
        if (personalMaps) {
            runShellQuiet(updmapUserProgram());
            if (lastShell.errorCode != 0)
                failures << QStringLiteral("updmap-user could not rebuild your output maps");
        }
    } else if (personalMaps) {
        for (const QString& name : gone) {
            runShellQuiet(updmapUserProgram() + QStringLiteral(" --disable ") + shellQuote(name));
            if (lastShell.errorCode != 0)
                failures << QStringLiteral("updmap-user could not disable ") + name;
        }
        runShellQuiet(updmapUserProgram());
        if (lastShell.errorCode != 0)
            failures << QStringLiteral("updmap-user could not rebuild your output maps: ") +
                            trimWhite(lastShell.errorOutput).section(lf, -3);
    }
    return failures;
}

QString performRemoval(const RemovalPlan& plan, bool saveToTds)
{
    if (!plan.error.isEmpty()) {
        msgBox(plan.error);
        return QString();
    }
    QString savedIn; // where the copy of the removed files went, if one was made
    if (saveToTds) {
        const QString chosen =
            dialogs().chooseFolder(QStringLiteral("Select folder in which to save the TDS"), documentsFolder());
        if (chosen.isEmpty()) {
            msgBox(QStringLiteral("No folder selected. unInstallation aborted") + lf);
            return QString();
        }
        // The chosen folder itself may be a link: the copy goes where it leads.
        const QString folder = resolved(chosen);
        const QString first = folder + QStringLiteral("/TDS");
        const QFileInfo info(first);
        if ((info.exists() || info.isSymLink()) && (!info.isDir() || info.isSymLink())) {
            msgBox(QStringLiteral("There is a file (not a folder) named TDS in the selected folder. It must be "
                                  "removed before proceeding."));
            return QString();
        }
        // An earlier copy may be the only one of a package removed before:
        // the new copy goes beside it.
        const QString tds = freeTdsName(folder);
        const QString problem = tdsFolderProblem(plan, tds);
        if (!problem.isEmpty()) {
            msgBox(problem);
            return QString();
        }
        if (tds != first &&
            !askYesNo(QStringLiteral("There is a TDS folder in the selected folder already. Keep it and save "
                                     "this copy beside it as ") +
                      QFileInfo(tds).fileName() + QStringLiteral("?"))) {
            msgBox(QStringLiteral("Bailing out."));
            return QString();
        }
        if (!QDir().mkpath(tds)) {
            msgBox(QStringLiteral("Unable to create ") + tds + QStringLiteral(". Nothing was removed."));
            return QString();
        }
        const QString failed = copyToTds(plan, tds);
        if (!failed.isEmpty()) {
            msgBox(failed + QStringLiteral("\nNothing was removed."));
            return QString();
        }
        savedIn = tds;
    }
    QStringList failures = removeFolders(plan);
    failures += updateAfterRemoval(plan);
    QString saved = savedIn.isEmpty() ? QString() : QStringLiteral("\nThe removed files were saved in ") + savedIn;
    for (const LoadedFile& f : plan.loaded) {
        if (plan.removeLoaded && gone(f.path))
            saved += QStringLiteral("\nThe package ") + f.package + QStringLiteral(" will stop: ") + f.map +
                     QStringLiteral(" loads ") + QFileInfo(f.path).fileName() + QStringLiteral(", which was removed.");
        else if (!plan.removeLoaded)
            saved += QStringLiteral("\nKept ") + f.path + QStringLiteral(": ") + f.map + QStringLiteral(" loads it.");
    }
    if (failures.isEmpty())
        return QStringLiteral("Uninstallation complete") + saved;
    return QStringLiteral("Uninstallation incomplete:\n") + failures.join(QLatin1Char('\n')) + saved;
}

} // namespace qlk

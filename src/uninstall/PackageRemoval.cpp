#include "uninstall/PackageRemoval.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"
#include "uninstall/PackageSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

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
    folders.removeAt(i);
    maps = mapsIn(folders);
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
    return plan;
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
    return text;
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

QStringList removeFolders(const RemovalPlan& plan)
{
    QStringList failures;
    for (const RemovalFolder& f : plan.folders) {
        const QString command = rm() + (f.file ? QStringLiteral(" -f -- ") : QStringLiteral(" -Rf -- ")) +
                                shellQuote(f.path);
        if (plan.tree == 0)
            runAsRoot(kSudo + command);
        else
            runShellQuiet(command);
        // Whatever the route answered, only a folder that is gone is removed.
        if (!gone(f.path))
            failures << QStringLiteral("Could not remove ") + f.path;
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
    const QString saved =
        savedIn.isEmpty() ? QString() : QStringLiteral("\nThe removed files were saved in ") + savedIn;
    if (failures.isEmpty())
        return QStringLiteral("Uninstallation complete") + saved;
    return QStringLiteral("Uninstallation incomplete:\n") + failures.join(QLatin1Char('\n')) + saved;
}

} // namespace qlk

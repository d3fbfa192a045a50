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
const Kind kKinds[] = {{"latex", "tex/latex"},    {"enc", "fonts/enc"},     {"map", "fonts/map"},
                       {"tfm", "fonts/tfm"},      {"vf", "fonts/vf"},       {"type1", "fonts/type1"},
                       {"truetype", "fonts/truetype"}, {"opentype", "fonts/opentype"}};
const char* const kCopyOrder[] = {"latex", "tfm", "vf", "enc", "map", "type1", "truetype", "opentype"};
const char* const kSupplierKinds[] = {"tfm", "vf", "type1", "truetype", "opentype"};

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

QString rm() { return shellQuote(systemProgram(QStringLiteral("rm"))); }

} // namespace

bool RemovalPlan::hasType1() const
{
    for (const RemovalFolder& f : folders) {
        if (f.kind == QLatin1String("type1"))
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
    for (const RemovalFolder& f : folders) {
        if (f.kind != QLatin1String("map"))
            continue;
        const QFileInfoList maps = QDir(f.path).entryInfoList({QStringLiteral("*.map")}, QDir::Files);
        for (const QFileInfo& m : maps) {
            if (!names.contains(m.fileName()))
                names << m.fileName();
        }
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
    static const QStringList reserved{"fonts", "tex",     "latex",    "enc",   "map",    "tfm",
                                      "vf",    "type1",   "truetype", "opentype", "afm", "dvips",
                                      "pdftex", "dvipdfm", "dvipdfmx", "ls-R"};
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
                                 canonical(root + QStringLiteral("/tex"))};
    for (const Kind& k : kKinds)
        protectedFolders << canonical(root + QLatin1Char('/') + QLatin1String(k.folder));

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
        QStringList candidates;
        const QString kind = QLatin1String(k.name);
        if (kind == QLatin1String("enc") || kind == QLatin1String("map")) {
            const QFileInfoList drivers =
                QDir(kindFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            for (const QFileInfo& d : drivers) {
                protectedFolders << canonical(d.filePath());
                if (isDirNoLink(d.filePath() + QLatin1Char('/') + package))
                    candidates << d.filePath() + QLatin1Char('/') + package;
            }
        } else {
            protectedFolders << canonical(kindFolder + QLatin1Char('/') + supplier);
            if (isDirNoLink(kindFolder + QLatin1Char('/') + supplier + QLatin1Char('/') + package))
                candidates << kindFolder + QLatin1Char('/') + supplier + QLatin1Char('/') + package;
            if (kind == QLatin1String("latex") && !supplierNames.contains(package) &&
                isDirNoLink(kindFolder + QLatin1Char('/') + package))
                candidates << kindFolder + QLatin1Char('/') + package;
        }
        for (const QString& c : candidates) {
            RemovalFolder f{kind, c, candidates.size() > 1, QString()};
            plan.folders << f;
        }
    }

    // Encodings and maps carry no supplier: while another supplier's package
    // of this name stays in the tree, they belong to it too.
    // Another supplier's package is its metric folder: the outlines of one
    // family often lie under a supplier of their own (urw35vf's times uses
    // type1/urw/times).
    QString other;
    for (const char* k : {"tfm"}) {
        const QString kindFolder = root + QStringLiteral("/fonts/") + QLatin1String(k);
        const QFileInfoList suppliers =
            QDir(kindFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo& s : suppliers) {
            if (s.fileName() != supplier && QFileInfo(s.filePath() + QLatin1Char('/') + package).isDir()) {
                other = s.fileName() + QLatin1Char('/') + package;
                break;
            }
        }
        if (!other.isEmpty())
            break;
    }
    if (!other.isEmpty()) {
        for (int i = int(plan.folders.size()) - 1; i >= 0; --i) {
            RemovalFolder& f = plan.folders[i];
            if (f.kind == QLatin1String("enc") || f.kind == QLatin1String("map")) {
                f.sharedWith = other;
                f.ask = false;
                plan.kept.prepend(f);
                plan.folders.removeAt(i);
            }
        }
    }

    for (const RemovalFolder& f : plan.folders) {
        const QString c = canonical(f.path);
        if (!pathInTree(c, canonicalRoot) || protectedFolders.contains(c)) {
            plan.error = f.path + QStringLiteral(" leads to ") + c +
                         QStringLiteral(", which may not be removed; nothing is removed.");
            return plan;
        }
    }
    plan.maps = mapsIn(plan.folders);
    return plan;
}

QString removalQuestion(const RemovalPlan& plan)
{
    QString text = QStringLiteral("Remove the package ") + plan.supplier + QLatin1Char('/') + plan.package +
                   QStringLiteral(" from ") + uninstallTreeName(plan.tree) + QStringLiteral("?\n\nThese folders "
                                                                            "will be removed:");
    for (const RemovalFolder& f : plan.folders)
        text += QStringLiteral("\n") + f.path;
    for (const RemovalFolder& f : plan.kept)
        text += QStringLiteral("\n\nKept, shared with ") + f.sharedWith + QStringLiteral(": ") + f.path;
    return text;
}

QString tdsTarget(const RemovalPlan& plan, const RemovalFolder& folder)
{
    const QString& k = folder.kind;
    if (k == QLatin1String("enc") || k == QLatin1String("map")) {
        return QStringLiteral("/fonts/") + k + (plan.hasType1() ? QStringLiteral("/dvips/") : QStringLiteral("/pdftex/")) +
               plan.package;
    }
    const QString base = k == QLatin1String("latex") ? QStringLiteral("/tex/latex/") : QStringLiteral("/fonts/") + k + QLatin1Char('/');
    return base + plan.supplier + QLatin1Char('/') + plan.package;
}

QString tdsFolderProblem(const RemovalPlan& plan, const QString& tds)
{
    const QString c = canonical(tds);
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

QString copyToTds(const RemovalPlan& plan, const QString& tds)
{
    for (const char* kind : kCopyOrder) {
        for (const RemovalFolder& f : plan.folders) {
            if (f.kind != QLatin1String(kind))
                continue;
            const QString target = tds + tdsTarget(plan, f);
            // "folder/." copies the contents, hidden files included.
            runShellQuiet(shellQuote(systemProgram(QStringLiteral("mkdir"))) + QStringLiteral(" -p -- ") +
                          shellQuote(target) + QStringLiteral(" && ") +
                          shellQuote(systemProgram(QStringLiteral("cp"))) + QStringLiteral(" -Rp -- ") +
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
        bool ok;
        if (plan.tree == 0) {
            ok = runAsRoot(kSudo + rm() + QStringLiteral(" -Rf -- ") + shellQuote(f.path)) == 0;
        } else {
            runShellQuiet(rm() + QStringLiteral(" -Rf -- ") + shellQuote(f.path));
            ok = lastShell.errorCode == 0 && !QFileInfo::exists(f.path);
        }
        if (!ok)
            failures << QStringLiteral("Could not remove ") + f.path;
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
    if (saveToTds) {
        const QString chosen =
            dialogs().chooseFolder(QStringLiteral("Select folder in which to save the TDS"), documentsFolder());
        if (chosen.isEmpty()) {
            msgBox(QStringLiteral("No folder selected. unInstallation aborted") + lf);
            return QString();
        }
        const QString tds = QDir::cleanPath(chosen) + QStringLiteral("/TDS");
        const QString problem = tdsFolderProblem(plan, tds);
        if (!problem.isEmpty()) {
            msgBox(problem);
            return QString();
        }
        const QFileInfo info(tds);
        if (info.exists() || info.isSymLink()) {
            if (!info.isDir() || info.isSymLink()) {
                msgBox(QStringLiteral("There is a file (not a folder) named TDS in the selected folder. It must be "
                                      "removed before proceeding."));
                return QString();
            }
            if (!askYesNo(QStringLiteral("Overwrite existing TDS in selected folder?"))) {
                msgBox(QStringLiteral("Bailing out."));
                return QString();
            }
            runShell(rm() + QStringLiteral(" -Rf -- ") + shellQuote(tds));
            if (lastShell.errorCode != 0) {
                msgBox(QStringLiteral("Bailing out. Error trying erase ") + tds);
                return QString();
            }
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
    }
    QStringList failures = removeFolders(plan);
    failures += updateAfterRemoval(plan);
    if (failures.isEmpty())
        return QStringLiteral("Uninstallation complete");
    return QStringLiteral("Uninstallation incomplete:\n") + failures.join(QLatin1Char('\n'));
}

} // namespace qlk

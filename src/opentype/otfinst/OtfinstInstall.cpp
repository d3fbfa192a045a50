#include "opentype/otfinst/OtfinstInstall.h"

#include "fontinfo/ScratchFolder.h"
#include "opentype/common/OtfTemplate.h"
#include "opentype/common/PackageSwap.h"
#include "opentype/otfinst/OtfinstScript.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace qlk {

QString otfinstStage(const QString& workFolder)
{
    return workFolder + QStringLiteral("/stage");
}

bool freshOtfinstStage(const QString& workFolder)
{
    const QString stage = otfinstStage(workFolder);
    if (QFileInfo::exists(stage) && !QDir(stage).removeRecursively())
        return false;
    return QDir().mkpath(stage + QStringLiteral("/home")) && QDir().mkpath(stage + QStringLiteral("/var"));
}

QString otfinstCommand(const QString& workFolder, int j, const QString& fontFolder)
{
    const QString stage = otfinstStage(workFolder);
    return QStringLiteral("cd ") + shellQuote(workFolder) + QStringLiteral(" && TEXMFHOME=") +
           shellQuote(stage + QStringLiteral("/home")) + QStringLiteral(" TEXMFVAR=") +
           shellQuote(stage + QStringLiteral("/var")) + QStringLiteral(" ./otfinst") + QString::number(j) +
           QLatin1Char(' ') + shellQuote(fontFolder);
}

QString stagedOutputProblem(const QString& workFolder, const QString& packageField)
{
    const QString stage = otfinstStage(workFolder);
    const QString fonts = stage + QStringLiteral("/var/fonts");
    // Outlines otftotfm found installed go with the vendor's own.
    const QStringList vendors = QDir(fonts + QStringLiteral("/map/dvips")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const QString vendor = vendors.size() == 1 ? vendors.first() : QStringLiteral("lcdftools");
    QString parent, leaf;
    splitPackageFolder(packageField, parent, leaf);
    gatherOutlines({fonts}, fonts + QStringLiteral("/type1/") + vendor + QLatin1Char('/') + leaf);
    const QString fdFolder = stage + QStringLiteral("/home") + parent + QLatin1Char('/') + leaf;
    const QStringList problems = packageProblems(fdFolder, {fonts});
    if (problems.isEmpty())
        return QString();
    return incompletePackageText(problems, fdFolder);
}

void splitPackageFolder(const QString& field, QString& parent, QString& leaf)
{
    const QString text = packageFolderText(field);
    leaf = text.section(QLatin1Char('/'), -1);
    parent = text.left(text.size() - leaf.size() - 1);
}

namespace {

bool failed(const QString& what)
{
    logLine(what);
    msgBox(what);
    return false;
}

// Runs a step whose failure ends Install; its exit status is reported.
bool runStep(const QString& command, const QString& what)
{
    const ProcessResult r = runBash(command);
    if (r.exitCode == 0)
        return true;
    return failed(what + QStringLiteral(" (exit status ") + QString::number(r.exitCode) + QStringLiteral("): ") +
                  command + (r.errorOutput.trimmed().isEmpty() ? QString() : QChar(lf) + r.errorOutput.trimmed()));
}

// Phase 2: the vendor folders under the name Install files the package under.
bool settleVendor(OtfinstInstallJob& job)
{
    const QString fonts = otfinstStage(job.workFolder) + QStringLiteral("/var/fonts");
    const QString dvips = fonts + QStringLiteral("/map/dvips");
    if (!QFileInfo(dvips).isDir())
        return failed(QStringLiteral("Bailing out---cannot locate ") + dvips);
    const QString named = job.vendorField.isEmpty() ? QString() : entryNoCase(dvips, job.vendorField);
    if (!named.isEmpty()) {
        job.vendor = QFileInfo(named).fileName();
        return true;
    }
    QStringList maps;
    QDirIterator it(dvips, {QStringLiteral("*.map")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        maps << it.next();
    if (maps.isEmpty())
        return failed(QStringLiteral("Bailing out---no map file found in ") + dvips);
    if (maps.size() > 1)
        return failed(QStringLiteral("Bailing out---more than one map file in ") + dvips);
    const QString used = QFileInfo(maps.first()).completeBaseName();
    if (!QFileInfo(dvips + QLatin1Char('/') + used).isDir())
        return failed(QStringLiteral("Bailing out---no folder named ") + dvips + QLatin1Char('/') + used);
    if (job.vendorField.isEmpty()) {
        job.vendor = used;
        return true;
    }
    // Every move is checked before the first one, so that nothing is left
    // half renamed, and nothing is moved into an existing folder.
    const QStringList kinds{QStringLiteral("enc/dvips"), QStringLiteral("tfm"), QStringLiteral("vf"),
                            QStringLiteral("type1"), QStringLiteral("map/dvips")};
    QStringList sources, targets;
    for (const QString& kind : kinds) {
        const QString from = fonts + QLatin1Char('/') + kind + QLatin1Char('/') + used;
        const QString to = fonts + QLatin1Char('/') + kind + QLatin1Char('/') + job.vendorField;
        if (!QFileInfo::exists(from))
            continue;
        if (QFileInfo::exists(to))
            return failed(QStringLiteral("Bailing out---cannot rename ") + from + QStringLiteral(": ") + to +
                          QStringLiteral(" exists already"));
        sources << from;
        targets << to;
    }
    for (int i = 0; i < sources.size(); ++i) {
        if (!QDir().rename(sources.at(i), targets.at(i)))
            return failed(QStringLiteral("Bailing out---cannot rename ") + sources.at(i) + QStringLiteral(" to ") +
                          targets.at(i));
    }
    const QString mapFolder = dvips + QLatin1Char('/') + job.vendorField;
    if (!QDir().rename(mapFolder + QLatin1Char('/') + used + QStringLiteral(".map"),
                       mapFolder + QLatin1Char('/') + job.vendorField + QStringLiteral(".map")))
        return failed(QStringLiteral("Bailing out---cannot rename ") + mapFolder + QLatin1Char('/') + used +
                      QStringLiteral(".map"));
    job.vendor = job.vendorField;
    return true;
}

// Phase 3: warnings about other copies of the package's files.
void reportDuplicates(const OtfinstInstallJob& job, const QString& packageFolder, const QString& installedFolder)
{
    logLine(QStringLiteral("Looking for .sty files related to the current font"));
    const QStringList styNames = readSupportFolder(packageFolder).styNames;
    const QString sty = job.shortname + QStringLiteral(".sty");
    if (!styNames.isEmpty() && indexNoCase(styNames, sty) < 0) {
        const QString missing = QStringLiteral("Expected sty file not found: ") + sty;
        logLine(missing);
        msgBox(missing);
        const QString others = QStringLiteral("There are sty files with unexpected names:") + QChar(lf) +
                               styNames.join(QChar(lf));
        logLine(others);
        msgBox(others);
    } else if (!styNames.isEmpty()) {
        logLine(QStringLiteral("Looking for other copies of ") + sty + QStringLiteral(". Searching:"));
        QStringList copies;
        for (const QString& tree : {texmfLocal, texmfHome}) {
            logLine(tree);
            for (const QString& path : findFilesByName({tree}, sty)) {
                if (!pathInTree(path, installedFolder))
                    copies << path;
            }
        }
        // The new one takes the installed one's place.
        copies << packageFolder + QLatin1Char('/') + sty;
        if (copies.size() >= 2) {
            logLine(QStringLiteral("Existing copies of ") + sty + QStringLiteral(":"));
            logLine(copies.join(QChar(lf)));
            const QString text = QStringLiteral("One or more copies of ") + sty +
                                 QStringLiteral(" were found in areas searched by LaTeX. See log.");
            logLine(text);
            msgBox(text);
        }
        moveLogInto(job.workFolder);
    }
    logLine(QStringLiteral("Looking for .fd files related to the current font"));
    const QString pattern = QStringLiteral("*1") + job.berryField.trimmed() + QStringLiteral("*.fd");
    for (const QString& tree : {texmfLocal, texmfHome}) {
        logLine(QStringLiteral("Search of ") + tree + QStringLiteral(" for ") + pattern + QStringLiteral(":"));
        QStringList found;
        for (const QString& path : findFilesByName({tree}, pattern)) {
            if (!pathInTree(path, packageFolder) && !pathInTree(path, installedFolder))
                found << path;
        }
        logLine(QStringLiteral("Results:"));
        logLine(found.join(QChar(lf)));
        if (!found.isEmpty())
            msgBox(QStringLiteral("In the folder ") + tree + QStringLiteral(", there are existing .fd files for ") +
                   job.berryField + QStringLiteral(". See ") + logPath() + QLatin1Char('.'));
    }
}

} // namespace

bool installOtfinstOutput(OtfinstInstallJob& job)
{
    const auto status = [&](const QString& text) {
        if (job.status)
            job.status(text);
    };
    // The scripts wrote into the stage only: TEXMFVAR's updmap output and
    // other fonts never reach the package, and stay where they are.
    status(QStringLiteral("Running install"));

    if (!settleVendor(job))
        return false;
    const QString& vendor = job.vendor;

    QString parent, leaf;
    splitPackageFolder(job.packageField, parent, leaf);
    const QString stage = otfinstStage(job.workFolder);
    const QString packageFolder = stage + QStringLiteral("/home") + parent + QLatin1Char('/') + leaf;
    const QString installedFolder = texmfHome + parent + QLatin1Char('/') + leaf;
    status(QString());
    reportDuplicates(job, packageFolder, installedFolder);

    // Phase 4: the TDS tree and its zip in a scratch folder.
    job.scratch = makeScratchFolder(documentsFolder());
    if (job.scratch.isEmpty())
        return failed(QStringLiteral("Cannot create a scratch folder in ") + documentsFolder());
    const QString scratch = job.scratch;
    const QString treeParent = scratch + parent;
    if (!QDir().mkpath(treeParent))
        return failed(QStringLiteral("Cannot create folder ") + treeParent);
    if (!QFileInfo(packageFolder).isDir())
        return failed(QStringLiteral("There is no folder ") + packageFolder + QStringLiteral(" to install."));
    const ProcessResult copy =
        runBash(QStringLiteral("/bin/cp -R ") + shellQuote(packageFolder) + QLatin1Char(' ') + shellQuote(treeParent));
    logLine(copy.output);
    if (copy.exitCode != 0)
        return failed(QStringLiteral("Error copying ") + packageFolder + QStringLiteral(" to ") + treeParent +
                      QStringLiteral(" (exit status ") + QString::number(copy.exitCode) + QStringLiteral(")"));

    const QString fonts = stage + QStringLiteral("/var/fonts");
    logLine(QStringLiteral("About to move files from ") + fonts + QStringLiteral(" to permanent location:"));
    if (!QFileInfo(fonts).isDir())
        return failed(QStringLiteral("Otfinst did not produce a font folder. Must abort."));
    for (const char* kind : {"tfm/", "vf/", "type1/", "enc/dvips/", "map/dvips/"})
        QDir().mkpath(scratch + QStringLiteral("/fonts/") + QLatin1String(kind) + vendor);
    for (const char* kind : {"tfm", "vf", "type1"}) {
        const QString type = QLatin1String(kind);
        if (!QFileInfo(fonts + QLatin1Char('/') + type).isDir())
            continue;
        if (entryNoCase(fonts + QLatin1Char('/') + type, vendor).isEmpty()) {
            const QString text = QStringLiteral("Folder fonts/") + type + QStringLiteral(" has no subfolder named ") +
                                 vendor + QStringLiteral(". Nothing to copy.");
            logLine(text);
            msgBox(text);
            continue;
        }
        const QString command = QStringLiteral("cd ") + shellQuote(fonts) + QStringLiteral(" && /bin/cp -r ") + type +
                                QLatin1Char(' ') + shellQuote(scratch + QStringLiteral("/fonts"));
        if (runBash(command).exitCode != 0)
            return failed(QStringLiteral("Error executing command line: ") + command);
    }
    const QString encFolder = fonts + QStringLiteral("/enc/dvips/") + vendor;
    if (QFileInfo(encFolder).isDir()) {
        const QString target = scratch + QStringLiteral("/fonts/enc/dvips/") + vendor + QLatin1Char('/') + job.shortname;
        QDir().mkpath(target);
        if (!QDir(encFolder).entryList(QDir::Files).isEmpty() &&
            !runStep(QStringLiteral("cd ") + shellQuote(encFolder) + QStringLiteral(" && /bin/cp -p -- * ") +
                         shellQuote(target),
                     QStringLiteral("Error copying the encoding files")))
            return false;
    }
    if (QFileInfo(fonts + QStringLiteral("/map")).isDir()) {
        // The vendor's own map, under the package's name.
        const QString map = fonts + QStringLiteral("/map/dvips/") + vendor + QLatin1Char('/') + vendor + QStringLiteral(".map");
        const QString target = scratch + QStringLiteral("/fonts/map/dvips/") + vendor + QLatin1Char('/') +
                               job.shortname + QStringLiteral(".map");
        if (runBash(QStringLiteral("/bin/cp ") + shellQuote(map) + QLatin1Char(' ') + shellQuote(target)).exitCode != 0)
            return failed(QStringLiteral("Problem copying ") + job.shortname + QStringLiteral(".map to temporary folder"));
    }
    // The zip holds every outline the map names, also one otftotfm found
    // installed and did not write again; an incomplete package goes nowhere.
    const QString treeFonts = scratch + QStringLiteral("/fonts");
    gatherOutlines({treeFonts}, treeFonts + QStringLiteral("/type1/") + vendor + QLatin1Char('/') + job.shortname);
    const QStringList problems = packageProblems(scratch + parent + QLatin1Char('/') + leaf, {treeFonts});
    if (!problems.isEmpty())
        return failed(incompletePackageText(problems, scratch + parent + QLatin1Char('/') + leaf));

    const QString zipName = job.shortname + QStringLiteral(".zip");
    const QString zip = scratch + QLatin1Char('/') + zipName;
    runShellQuiet(QStringLiteral("cd ") + shellQuote(scratch) + QStringLiteral(" && ") +
                  shellQuote(systemProgram(QStringLiteral("zip"))) + QStringLiteral(" -rq ") + shellQuote(zipName) +
                  QStringLiteral(" *"));
    if (lastShell.errorCode != 0)
        return failed(QStringLiteral("Error trying to make ") + zipName);
    logLine(QStringLiteral("Zip file contents:"));
    logLine(runShell(QStringLiteral("cd ") + shellQuote(scratch) + QStringLiteral(" && ") +
                     shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -l ") + shellQuote(zipName)));

    // Phase 5: the zip into the target tree.
    const QString unzip = shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -o ") + shellQuote(zip);
    if (job.method == 0) {
        logLine(QStringLiteral("Moving font files to ") + texmfHome);
        if (!QDir().mkpath(texmfHome))
            return failed(QStringLiteral("Cannot create folder ") + texmfHome);
        // The package's folders replace the installed ones in one step.
        const QString problem = replaceInstalled(scratch, texmfHome, {leaf, job.shortname}, job.keepOthers);
        if (!problem.isEmpty())
            return failed(problem);
    } else {
        logLine(QStringLiteral("Moving font files to ") + texmfLocal);
        const int unzipped = sudoterm({QStringLiteral("/usr/bin/sudo /bin/mkdir -p ") + shellQuote(texmfLocal) +
                                       QStringLiteral(" && cd ") + shellQuote(texmfLocal) +
                                       QStringLiteral(" && /usr/bin/sudo ") + unzip});
        if (unzipped != 0)
            return failed(QStringLiteral("The unzip into ") + texmfLocal + QStringLiteral(" failed or was cancelled (exit status ") +
                          QString::number(unzipped) + QStringLiteral("). The package's files stay in ") + packageFolder +
                          QStringLiteral("."));
        logLine(QStringLiteral("Running sudo mktexlsr"));
        const int indexed = sudoterm({QStringLiteral("/usr/bin/sudo ") + shellQuote(texProgram(QStringLiteral("mktexlsr")))});
        if (indexed != 0)
            return failed(QStringLiteral("mktexlsr failed (exit status ") + QString::number(indexed) +
                          QStringLiteral("); the package's files stay in ") + packageFolder + QStringLiteral("."));
        // They travelled in the zip; TEXMFHOME's copies would be found first.
        for (const QFileInfo& file : QDir(packageFolder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
            QFile::remove(file.absoluteFilePath());
    }
    msgBox(QStringLiteral("A TDS zip file ") + zipName +
           QStringLiteral(" including all font support files has been constructed in the temporary folder ") + QChar(lf) +
           scratch);
    status(QStringLiteral("Ready to run 'updmap'"));
    return true;
}

} // namespace qlk

#include "mainwindow/MakeTds.h"

#include "mainwindow/ArchiveCheck.h"
#include "mainwindow/TdsLayout.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include "fontinfo/ScratchFolder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QScopeGuard>

namespace qlk {

namespace {
enum class Road { Folder, Archive, Loose };

// The failure of the last command as the user should read it.
QString failureText()
{
    return lastShell.timedOut ? QStringLiteral("timed out") : QString::number(lastShell.errorCode);
}

// The symbolic links anywhere below `folder`, never followed.
QStringList linksBelow(const QString& folder)
{
    QStringList links;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo item(it.next());
        if (item.isSymLink())
            links << item.filePath();
    }
    return links;
}

bool copyTreeFolder(const QString& source, const QString& scratch)
{
    const QString space = spaceProblem(folderBytes(source), scratch);
    if (!space.isEmpty()) {
        msgBox(QStringLiteral("The folder ") + source + QStringLiteral(" was not copied. ") + space);
        return false;
    }
    // Hidden files come along; the TDS check deals with those at the top.
    runShellQuiet(shellQuote(systemProgram(QStringLiteral("cp"))) + QStringLiteral(" -R -- ") +
                  shellQuote(source + QStringLiteral("/.")) + QLatin1Char(' ') +
                  shellQuote(scratch + QLatin1Char('/')));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error copying folder contents: ") + failureText());
        return false;
    }
    return true;
}

bool unpackArchive(const QString& archive, ArchiveKind kind, const QString& scratch)
{
    const QString failure =
        kind == ArchiveKind::Zip ? QStringLiteral("Error unzipping: ") : QStringLiteral("Error expanding .tgz: ");
    const ArchiveListing listing = listArchive(archive, kind);
    if (!listing.ok) {
        msgBox(failure + listing.error);
        return false;
    }
    const QString space = spaceProblem(unpackedSize(listing.entries), scratch);
    if (!space.isEmpty()) {
        msgBox(QStringLiteral("The archive ") + archive + QStringLiteral(" was not unpacked. ") + space);
        return false;
    }
    const QStringList unsafe = unsafeEntries(listing.entries);
    if (!unsafe.isEmpty()) {
        msgBox(QStringLiteral("The archive ") + archive +
               QStringLiteral(" was not unpacked: these entries would land outside the folder it is "
                              "unpacked in, or not as the files they are listed as:\n") +
               unsafe.join(QLatin1Char('\n')));
        return false;
    }
    const QStringList twice = duplicateEntries(listing.entries);
    if (!twice.isEmpty()) {
        msgBox(QStringLiteral("The archive ") + archive +
               QStringLiteral(" was not unpacked: it holds more than one entry for each of these files, and only "
                              "one copy could be kept:\n") +
               twice.join(QLatin1Char('\n')));
        return false;
    }
    const UnpackResult unpacked = unpackWithinLimits(archive, kind, scratch, unpackedSize(listing.entries));
    if (!unpacked.refusal.isEmpty()) {
        msgBox(QStringLiteral("The archive ") + archive + QStringLiteral(" was not unpacked. ") + unpacked.refusal);
        return false;
    }
    if (!unpacked.ok) {
        msgBox(failure + unpacked.failure);
        return false;
    }
    return true;
}

// Loose files: collected from the dropped files and folders and sorted by
// extension into folders named by supplier and family.
bool assembleLooseFiles(const MakeTdsRequest& request, const QString& scratch, QStringList& mapNames)
{
    const PackageNames names = packageNames(request.supplierText, request.familyText);
    const QString problem = packageNamesProblem(names);
    if (!problem.isEmpty()) {
        msgBox(problem);
        return false;
    }
    collectedNames.clear();
    collectedItems.clear();
    for (const QString& path : request.dropped) {
        const QFileInfo item(path);
        if (item.isDir()) {
            collectFiles(path);
        } else if (!item.fileName().startsWith(QLatin1Char('.'))) {
            collectedNames << QString(item.fileName()).remove(QLatin1Char('\\'));
            collectedItems << path;
        }
    }
    const LoosePlan plan = planLooseFiles(collectedNames, collectedItems, names);
    if (!plan.problem.isEmpty()) {
        msgBox(plan.problem);
        return false;
    }
    runShellQuiet(looseBuildCommand(scratch, plan));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error creating TDS in ") + scratch +
               (lastShell.timedOut ? QStringLiteral(": timed out") : QString()));
        return false;
    }
    mapNames = plan.mapNames;
    return true;
}

void reportMapClashes(const QStringList& mapNames)
{
    const QStringList roots = installedMapRoots();
    for (const QString& name : mapNames) {
        const QStringList clashes = installedMapsNamed(name, roots);
        if (clashes.isEmpty())
            continue;
        msgBox(QStringLiteral("There are map files in your texmf trees that are the same as one you are "
                              "installing, perhaps with different case. See log."));
        logLine(QStringLiteral("Matches to ") + name);
        logLine(clashes.join(lf));
    }
}
} // namespace

MakeTdsOutcome makeTDS(const MakeTdsRequest& request, const std::function<bool(const QString& folder)>& checkTree)
{
    MakeTdsOutcome outcome;
    // A link could lead out of the folder, or back up into it: refused
    // before anything is copied.
    for (const QString& path : request.dropped) {
        if (!QFileInfo(path).isDir() || QFileInfo(path).isSymLink())
            continue;
        const QStringList links = linksBelow(path);
        if (!links.isEmpty()) {
            msgBox(QStringLiteral("The folder ") + path +
                   QStringLiteral(" holds links, which are not installed; nothing was copied. Replace them by "
                                  "the files or folders they point to, or remove them:\n") +
                   links.join(QLatin1Char('\n')));
            return outcome;
        }
    }
    if (request.dropped.size() == 1 && !QFileInfo(request.dropped.first()).isDir() &&
        hasControlCharacter(QFileInfo(request.dropped.first()).fileName())) {
        msgBox(QStringLiteral("The name of ") + request.dropped.first() +
               QStringLiteral(" holds a line break or another control character. Rename it and drop it again."));
        return outcome;
    }
    outcome.folder = makeTdsScratch();
    if (outcome.folder.isEmpty()) {
        msgBox(QStringLiteral("Cannot make a scratch folder in ") + documentsFolder());
        return outcome;
    }
    // Whatever ends the job early takes its half-made folder with it.
    bool done = false;
    const QString scratch = outcome.folder;
    const auto cleanup = qScopeGuard([&] {
        if (!done)
            removeScratchFolder(scratch);
    });

    Road road = Road::Loose;
    ArchiveKind kind = ArchiveKind::None;
    if (request.dropped.size() == 1) {
        const QFileInfo item(request.dropped.first());
        if (item.isDir()) {
            if (isTDSRoot(item.filePath()) || askYesNo(QStringLiteral("Is this really a TDS?---I have some doubts.")))
                road = Road::Folder;
        } else {
            kind = archiveKindOf(item.fileName());
            if (kind != ArchiveKind::None)
                road = Road::Archive;
        }
    }

    QStringList mapNames;
    if (road == Road::Loose) {
        if (!assembleLooseFiles(request, outcome.folder, mapNames))
            return outcome;
    } else {
        const QString source = request.dropped.first();
        if (road == Road::Folder ? !copyTreeFolder(source, outcome.folder)
                                 : !unpackArchive(source, kind, outcome.folder))
            return outcome;
        if (!checkTree(outcome.folder))
            return outcome;
        for (const QString& path : mapFilesIn(outcome.folder))
            mapNames << QFileInfo(path).fileName();
    }

    outcome.notFontTDS = mapNames.isEmpty() && !hasFontPackageFiles(outcome.folder);
    reportMapClashes(mapNames);
    done = true;
    outcome.ok = true;
    outcome.status = QStringLiteral("Made TDS ") + displayPath(outcome.folder) + QStringLiteral(". Ready to Install.");
    return outcome;
}

} // namespace qlk

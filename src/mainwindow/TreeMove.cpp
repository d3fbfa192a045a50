#include "mainwindow/TreeMove.h"

#include "mainwindow/TdsLayout.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/MapCommands.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

namespace qlk {

namespace {
const char* const kDrivers[] = {"dvips", "dvipdfmx", "pdftex"};

// Relative paths of the plain files below `dir` (relative to `root`),
// linked folders not entered, folders for which `skip` holds left out.
void filesBelow(const QString& root, const QString& dir, const std::function<bool(const QString&)>& skip,
                QStringList& out)
{
    const QFileInfoList items =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& item : items) {
        const QString rel = QDir(root).relativeFilePath(item.filePath());
        if (item.isDir() && !item.isSymLink()) {
            if (!skip(rel))
                filesBelow(root, item.filePath(), skip, out);
        } else if (item.exists()) {
            out << rel;
        }
    }
}

bool sameBytes(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray chunk = fa.read(1 << 16);
        if (chunk.isEmpty() || chunk != fb.read(chunk.size()))
            return false;
    }
    return true;
}

// Copies one file, replacing what is there, and checks the copy.
bool copyChecked(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (QFileInfo(to).isFile() || QFileInfo(to).isSymLink())
        QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    QFile copy(to);
    if (copy.open(QIODevice::ReadWrite))
        copy.setFileTime(QFileInfo(from).lastModified(), QFileDevice::FileModificationTime);
    return sameBytes(from, to);
}

// Removes folders left empty below `dir`, deepest first; `dir` stays.
void removeEmptyFolders(const QString& dir)
{
    const QFileInfoList items = QDir(dir).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& item : items) {
        if (item.isSymLink())
            continue;
        removeEmptyFolders(item.filePath());
        QDir(dir).rmdir(item.fileName()); // fails, as it should, when something is left
    }
}

// Tells the user where everything is after a move that stopped.
void reportStop(const QString& what, const MoveRequest& request, const QString& scratch, bool targetTouched)
{
    QString text = what + QStringLiteral("\nNothing was removed from ") + request.sources.join(QStringLiteral(" or ")) +
                   QLatin1Char('.');
    if (!scratch.isEmpty())
        text += QStringLiteral("\nThe copies gathered so far are in ") + scratch + QLatin1Char('.');
    if (targetTouched)
        text += QLatin1Char('\n') + request.target + QStringLiteral(" may hold some of them as well.");
    msgBox(text);
}
} // namespace

QStringList movableFontFiles(const QString& tree)
{
    QStringList files;
    const QString fonts = QDir(tree).filePath(QStringLiteral("fonts"));
    if (!QFileInfo(fonts).isDir())
        return files;
    const auto skip = [](const QString& rel) {
        if (rel == QLatin1String("fonts/pk"))
            return true;
        for (const char* driver : kDrivers) {
            if (rel == QStringLiteral("fonts/map/") + QLatin1String(driver) + QStringLiteral("/updmap"))
                return true;
        }
        return false;
    };
    filesBelow(tree, fonts, skip, files);
    return files;
}

QStringList fdFolders(const QString& tree)
{
    QStringList folders;
    const QString latex = QDir(tree).filePath(QStringLiteral("tex/latex"));
    if (!QFileInfo(latex).isDir())
        return folders;
    QStringList files;
    filesBelow(tree, latex, [](const QString&) { return false; }, files);
    for (const QString& rel : files) {
        if (!rel.endsWith(QLatin1String(".fd"), Qt::CaseInsensitive))
            continue;
        const QString folder = rel.section(QLatin1Char('/'), 0, -2);
        if (folder.compare(QLatin1String("tex/latex"), Qt::CaseInsensitive) != 0 && !folders.contains(folder))
            folders << folder;
    }
    return folders;
}

bool mapNamesTrueType(const QString& mapFile)
{
    QFile f(mapFile);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const QRegularExpression ttf(QStringLiteral(".ttf"), QRegularExpression::CaseInsensitiveOption);
    return ttf.match(QString::fromLatin1(f.readAll())).hasMatch();
}

QStringList moveEnableCommands(const QStringList& maps, const QList<bool>& trueType, int method)
{
    QStringList commands;
    QString updmap;
    if (method == 1) {
        commands << QStringLiteral("/usr/bin/sudo ") + shellQuote(texProgram(QStringLiteral("mktexlsr")));
        updmap = QStringLiteral("/usr/bin/sudo -H ") + shellQuote(texProgram(QStringLiteral("updmap-sys")));
        const QString sync = syncWithTreesCommand(updmap, false);
        if (!sync.isEmpty())
            commands << sync;
    } else {
        updmap = updmapUserProgram();
    }
    for (int i = 0; i < maps.size(); ++i) {
        if (!trueType.value(i))
            commands << updmap + QStringLiteral(" --nohash --nomkmap --enable ") +
                            shellQuote(QStringLiteral("Map=") + maps.at(i));
    }
    commands << updmap;
    return commands;
}

QString archiveUpdmapOutputCommand(const QString& tree, const QString& driver)
{
    const QString folder = QStringLiteral("fonts/map/") + driver + QStringLiteral("/updmap");
    return QStringLiteral("cd ") + shellQuote(tree) + QStringLiteral(" && ") +
           shellQuote(systemProgram(QStringLiteral("zip"))) + QStringLiteral(" -rq ") +
           shellQuote(driver + QStringLiteral("upd.zip")) + QLatin1Char(' ') + shellQuote(folder) +
           QStringLiteral(" && ") + shellQuote(systemProgram(QStringLiteral("rm"))) + QStringLiteral(" -rf ") +
           shellQuote(folder);
}

MoveOutcome moveFonts(const MoveRequest& request, const ConfirmOverwrite& confirmOverwrite)
{
    MoveOutcome outcome;
    if (!askYesNo(QStringLiteral("Move the font files of ") + request.sources.join(QStringLiteral(" and ")) +
                  QStringLiteral(" to ") + request.target + QStringLiteral("?")))
        return outcome;

    // What each tree gives: its font files, and its .fd folders, each
    // folder taken from the last tree that has it.
    QList<QStringList> files;
    QMap<QString, int> fdFrom;
    int total = 0;
    for (int i = 0; i < request.sources.size(); ++i) {
        const QString& tree = request.sources.at(i);
        files << (QFileInfo(tree).isDir() ? movableFontFiles(tree) : QStringList());
        total += files.last().size();
        if (QFileInfo(tree).isDir()) {
            for (const QString& folder : fdFolders(tree))
                fdFrom[folder] = i;
        }
    }
    if (total == 0) {
        msgBox(QStringLiteral("There are no font files to move in ") + request.sources.join(QStringLiteral(" or ")) +
               QLatin1Char('.'));
        return outcome;
    }

    outcome.started = true;
    outcome.scratch = makeTdsScratch();
    if (outcome.scratch.isEmpty()) {
        reportStop(QStringLiteral("Cannot make a scratch folder in ") + documentsFolder() + QLatin1Char('.'), request,
                   QString(), false);
        return outcome;
    }

    // 1. Gather into the scratch folder, checking every copy.
    QStringList replaced; // files of an earlier source that a later one replaces
    QMap<QString, QString> origin; // relative path -> the source file now in the scratch folder
    for (int i = 0; i < request.sources.size(); ++i) {
        const QString& tree = request.sources.at(i);
        for (const QString& rel : files.at(i)) {
            const QString from = QDir(tree).filePath(rel);
            if (origin.contains(rel) && !sameBytes(origin.value(rel), from))
                replaced << origin.value(rel);
            if (!copyChecked(from, QDir(outcome.scratch).filePath(rel))) {
                reportStop(QStringLiteral("Could not copy ") + from + QStringLiteral(" to ") + outcome.scratch +
                               QLatin1Char('.'),
                           request, outcome.scratch, false);
                return outcome;
            }
            origin[rel] = from;
        }
    }
    for (auto it = fdFrom.constBegin(); it != fdFrom.constEnd(); ++it) {
        const QString folder = QDir(request.sources.at(it.value())).filePath(it.key());
        for (const QFileInfo& item : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
            if (!copyChecked(item.filePath(), QDir(outcome.scratch).filePath(it.key() + QLatin1Char('/') + item.fileName()))) {
                reportStop(QStringLiteral("Error copying :") + it.key() + QStringLiteral(" to tmpfolder."), request,
                           outcome.scratch, false);
                return outcome;
            }
        }
    }

    // 2. Dry run into the target and the user's word on what it replaces.
    overwriteFiles.clear();
    if (QFileInfo(request.target).exists() && !checkCopyTree(outcome.scratch, request.target)) {
        reportStop(QStringLiteral("The fonts were not moved."), request, outcome.scratch, false);
        return outcome;
    }
    const QStringList overwritten = overwriteFiles + replaced;
    if (!overwritten.isEmpty() && !confirmOverwrite(overwritten)) {
        reportStop(QStringLiteral("No files were moved."), request, outcome.scratch, false);
        return outcome;
    }

    // 3. Copy into the target and check every file there.
    const QString copy = shellQuote(systemProgram(QStringLiteral("cp"))) + QStringLiteral(" -Rp -- ") +
                         shellQuote(outcome.scratch + QStringLiteral("/.")) + QLatin1Char(' ') +
                         shellQuote(request.target + QLatin1Char('/'));
    int status = 0;
    if (request.systemMove) {
        status = runAsRoot(QStringLiteral("/usr/bin/sudo ") + copy);
    } else {
        if (!QDir().mkpath(request.target))
            status = -1;
        else {
            runShellQuiet(copy);
            status = lastShell.errorCode;
        }
    }
    if (status != 0) {
        reportStop(QStringLiteral("Copying the fonts to ") + request.target + QStringLiteral(" failed (error code ") +
                       QString::number(status) + QStringLiteral(")."),
                   request, outcome.scratch, true);
        return outcome;
    }
    QStringList gathered;
    filesBelow(outcome.scratch, outcome.scratch, [](const QString&) { return false; }, gathered);
    for (const QString& rel : gathered) {
        if (!sameBytes(QDir(outcome.scratch).filePath(rel), QDir(request.target).filePath(rel))) {
            reportStop(QStringLiteral("The copy of ") + rel + QStringLiteral(" in ") + request.target +
                           QStringLiteral(" is missing or differs from the original."),
                       request, outcome.scratch, true);
            return outcome;
        }
    }

    // 4. Only now: empty the sources of what was moved.
    QStringList notRemoved;
    for (int i = 0; i < request.sources.size(); ++i) {
        const QString& tree = request.sources.at(i);
        for (const QString& rel : files.at(i)) {
            if (QFile::remove(QDir(tree).filePath(rel)))
                outcome.moved << rel;
            else
                notRemoved << QDir(tree).filePath(rel);
        }
        removeEmptyFolders(QDir(tree).filePath(QStringLiteral("fonts")));
        if (request.systemMove) {
            // updmap's output in a personal tree would hide the system maps;
            // it is kept in archives in the tree's root.
            for (const char* driver : kDrivers) {
                if (QFileInfo(QDir(tree).filePath(QStringLiteral("fonts/map/") + QLatin1String(driver) +
                                                  QStringLiteral("/updmap")))
                        .isDir())
                    runShellQuiet(archiveUpdmapOutputCommand(tree, QLatin1String(driver)));
            }
        }
    }
    if (!notRemoved.isEmpty())
        msgBox(QStringLiteral("The fonts were copied to ") + request.target +
               QStringLiteral(", but these files could not be removed from where they were:\n") +
               notRemoved.join(QLatin1Char('\n')));

    // 5. The moved maps, enabled in the system tree.
    QList<bool> trueType;
    for (const QString& map : mapFilesIn(QDir(outcome.scratch).filePath(QStringLiteral("fonts/map")))) {
        outcome.maps << QFileInfo(map).fileName();
        trueType << mapNamesTrueType(map);
    }
    if (request.systemMove) {
        const int enabled = runAsRoot(moveEnableCommands(outcome.maps, trueType, request.method).join(QLatin1Char('\t')));
        if (enabled != 0)
            msgBox(QStringLiteral("The fonts were moved, but enabling their maps failed (error code ") +
                   QString::number(enabled) + QStringLiteral(")."));
    }
    outcome.done = true;
    return outcome;
}

} // namespace qlk

#include "opentype/common/PackageSwap.h"

#include "fontinfo/FdReaders.h"
#include "opentype/common/OtfTemplate.h"
#include "platform/FolderLock.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>

namespace qlk {

namespace {

SwapSeam& swapSeam()
{
    static SwapSeam seam;
    return seam;
}

// Every file below the roots by name, first one found kept.
QHash<QString, QString> filesByName(const QStringList& roots)
{
    QHash<QString, QString> files;
    for (const QString& root : roots) {
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = it.fileName();
            if (!files.contains(name))
                files.insert(name, path);
        }
    }
    return files;
}

// The font names of a virtual font's definitions.
QStringList vfBaseFonts(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = file.readAll();
    auto at = [&](qsizetype i) { return i < b.size() ? int(quint8(b.at(i))) : -1; };
    QStringList names;
    if (at(0) != 247)
        return names;
    qsizetype i = 3 + at(2) + 8;
    while (i < b.size()) {
        const int op = at(i);
        if (op < 243 || op > 246)
            break;
        const int k = op - 242;
        i += 1 + k + 12;
        const int a = at(i), l = at(i + 1);
        if (a < 0 || l < 0)
            break;
        i += 2;
        names << QString::fromLatin1(b.mid(i + a, l));
        i += a + l;
    }
    return names;
}

// The files (outlines and encodings, as named) that the map lines below the
// roots load, by TeX font name.
QHash<QString, QStringList> mapLines(const QStringList& roots)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QHash<QString, QStringList> lines;
    for (const QString& root : roots) {
        QDirIterator it(root, {QStringLiteral("*.map")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
                if (isMapCommentLine(line))
                    continue;
                const QString font = line.trimmed().section(blanks, 0, 0);
                if (lines.contains(font))
                    continue;
                QStringList& files = lines[font];
                for (const MapLoad& load : mapLineLoads(line))
                    files << load.file;
            }
        }
    }
    return lines;
}

bool isOutline(const QString& name)
{
    for (const char* ext : {".pfb", ".pfa", ".ttf", ".otf"}) {
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString hidden(const QString& target, const QString& unit, const char* tag)
{
    const QFileInfo info(target + QLatin1Char('/') + unit);
    return info.path() + QStringLiteral("/.") + info.fileName() + QLatin1String(tag);
}

void removePath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    else if (info.exists() || info.isSymLink())
        QFile::remove(path);
}

// Copies a file or a folder with everything in it; false at the first
// file that could not be copied whole.
bool copyTree(const QString& from, const QString& to)
{
    const QFileInfo info(from);
    if (!info.isDir())
        return QFile::copy(from, to) && QFileInfo(to).size() == info.size();
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(from).relativeFilePath(path);
        const QString copy = to + QLatin1Char('/') + rel;
        if (!QDir().mkpath(QFileInfo(copy).path()) || !copyTree(path, copy))
            return false;
    }
    return true;
}

// Swaps two existing paths in one step where the system can; otherwise the
// old one is moved aside first.
bool swapPaths(const QString& installed, const QString& fresh, const QString& aside)
{
    const QByteArray a = QFile::encodeName(installed), b = QFile::encodeName(fresh);
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, b.constData(), AT_FDCWD, a.constData(), RENAME_EXCHANGE) == 0)
        return true;
#endif
    if (!QDir().rename(installed, aside))
        return false;
    if (QDir().rename(fresh, installed))
        return true;
    QDir().rename(aside, installed);
    return false;
}

// The installed place empty and its old copy aside: the old copy goes back.
bool restoreOldCopy(const QString& installed, const QString& old)
{
    const QFileInfo place(installed), aside(old);
    if (place.exists() || place.isSymLink() || (!aside.exists() && !aside.isSymLink()))
        return false;
    return QDir().rename(old, installed);
}

void findLeftovers(const QString& folder, QStringList& found)
{
    // \z, not $: "$" also matches before a final line break, and a name
    // ending in one is no copy of ours.
    static const QRegularExpression leftover(QStringLiteral("^\\..+\\.qlk-(new|old)\\z"));
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries) {
        if (leftover.match(e.fileName()).hasMatch())
            found << e.filePath();
        else if (e.isDir() && !e.isSymLink() && !e.fileName().startsWith(QLatin1Char('.')))
            findLeftovers(e.filePath(), found);
    }
}

} // namespace

QStringList clearInterruptedReplacements(const QString& target)
{
    QStringList found;
    if (!target.isEmpty() && QFileInfo(target).isDir())
        findLeftovers(target, found);
    if (found.isEmpty())
        return {};
    // A replacement running in another copy of the program holds the tree:
    // its copies are its work, not leftovers.
    const FolderLock lock(target);
    if (lock.busy())
        return {QStringLiteral("Left the hidden copies in ") + target +
                QStringLiteral(" alone: a running copy of the program is installing there")};
    QStringList report;
    // Old copies first: one may have to go back before its new copy goes.
    std::stable_sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return a.endsWith(QLatin1String(".qlk-old")) && !b.endsWith(QLatin1String(".qlk-old"));
    });
    for (const QString& path : found) {
        const QFileInfo info(path);
        QString name = info.fileName().mid(1);
        name.chop(int(qstrlen(".qlk-new")));
        const QString installed = info.path() + QLatin1Char('/') + name;
        if (path.endsWith(QLatin1String(".qlk-old")) && restoreOldCopy(installed, path)) {
            report << QStringLiteral("Put back ") + installed + QStringLiteral(", left aside by an interrupted install");
            continue;
        }
        removePath(path);
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            report << QStringLiteral("Cannot remove ") + path + QStringLiteral(", left by an interrupted install");
        else
            report << QStringLiteral("Removed ") + path + QStringLiteral(", left by an interrupted install");
    }
    return report;
}

QStringList packageProblems(const QString& fdFolder, const QStringList& fontRoots)
{
    QStringList problems;
    const QHash<QString, QString> files = filesByName(fontRoots);
    const QHash<QString, QStringList> maps = mapLines(fontRoots);
    const QStringList fds = QDir(fdFolder).entryList({QStringLiteral("*.fd")}, QDir::Files, QDir::Name);
    if (fds.isEmpty())
        problems << QStringLiteral("No .fd files in ") + fdFolder;
    QStringList checked;
    auto problem = [&](const QString& text) {
        if (!problems.contains(text))
            problems << text;
    };
    for (const QString& fd : fds) {
        for (const FdShapeEntry& entry : fdShapeEntries(readTextFile(fdFolder + QLatin1Char('/') + fd))) {
            const QString font = fdEntryTfmName(entry);
            if (font.isEmpty() || checked.contains(font))
                continue;
            checked << font;
            if (!files.contains(font + QStringLiteral(".tfm"))) {
                problem(QStringLiteral("No metric ") + font + QStringLiteral(".tfm for ") + fd);
                continue;
            }
            QStringList bases{font};
            if (files.contains(font + QStringLiteral(".vf")))
                bases = vfBaseFonts(files.value(font + QStringLiteral(".vf")));
            for (const QString& base : bases) {
                if (base != font && !files.contains(base + QStringLiteral(".tfm")))
                    problem(QStringLiteral("No metric ") + base + QStringLiteral(".tfm for ") + font);
                if (!maps.contains(base)) {
                    if (base != font)
                        problem(QStringLiteral("No map line for ") + base);
                    continue;
                }
                for (const QString& named : maps.value(base)) {
                    if (!files.contains(named))
                        problem(QStringLiteral("No file ") + named + QStringLiteral(" for ") + base);
                }
            }
        }
    }
    return problems;
}

QString incompletePackageText(const QStringList& problems, const QString& styFolder)
{
    QString names;
    for (const QString& sty : QDir(styFolder).entryList({QStringLiteral("*.sty")}, QDir::Files, QDir::Name))
        names += QLatin1Char(' ') + shellQuote(sty);
    bool installed = false;
    if (!names.isEmpty()) {
        // Exact names: with case-folding search kpathsea may answer with a
        // file of another package (stix.sty for STIX.sty). kpsewhich ends
        // with 1 when one of several names is missing; what it found counts.
        runShellQuiet(QStringLiteral("texmf_casefold_search=0 ") + shellQuote(texProgram(QStringLiteral("kpsewhich"))) +
                      QStringLiteral(" --") + names);
        installed = !lastShell.timedOut && !trimWhite(lastShell.output).isEmpty();
    }
    return QStringLiteral("Bailing out! The new package is not complete") +
           (installed ? QStringLiteral("; the installed one is left as it is.") : QStringLiteral(".")) + QChar(lf) +
           problems.mid(0, 12).join(QChar(lf));
}

QStringList gatherOutlines(const QStringList& fontRoots, const QString& targetFolder)
{
    const QHash<QString, QString> files = filesByName(fontRoots);
    QStringList copied;
    for (const QStringList& loads : mapLines(fontRoots)) {
        for (const QString& name : loads) {
            if (!isOutline(name) || files.contains(name) || copied.contains(name))
                continue;
            const QString found = kpsewhichQuery(shellQuote(name)).section(QLatin1Char('\n'), 0, 0).trimmed();
            if (found.isEmpty() || !QFileInfo(found).isFile())
                continue;
            QDir().mkpath(targetFolder);
            if (QFile::copy(found, targetFolder + QLatin1Char('/') + name))
                copied << name;
        }
    }
    return copied;
}

QStringList packageUnits(const QString& tree, const QStringList& names)
{
    QStringList units;
    QDirIterator it(tree, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(tree).relativeFilePath(it.next());
        const QStringList parts = rel.split(QLatin1Char('/'));
        if (parts.size() < 2)
            continue;
        int named = -1;
        for (int i = int(parts.size()) - 2; i >= 0; --i) {
            if (indexNoCase(names, parts.at(i)) >= 0) {
                named = i;
                break;
            }
        }
        const QString unit = named < 0 ? rel : QStringList(parts.mid(0, named + 1)).join(QLatin1Char('/'));
        if (!units.contains(unit))
            units << unit;
    }
    units.sort();
    return units;
}

void setSwapSeamForTesting(SwapSeam seam)
{
    swapSeam() = std::move(seam);
}

QString replaceInstalled(const QString& tree, const QString& target, const QStringList& names, bool keepOthers)
{
    const QStringList units = packageUnits(tree, names);
    if (units.isEmpty())
        return QStringLiteral("There is nothing to install in ") + tree;
    // One replacement in a tree at a time: the hidden copies of one that
    // runs are not another's leftovers (nor the start-up's).
    const bool made = QDir().mkpath(target);
    const FolderLock lock(target);
    if (lock.busy())
        return QStringLiteral("Another copy of the program is installing into ") + target +
               QStringLiteral("; the installed package is unchanged. Install again when it has finished.");
    if (!lock.held())
        return (made ? QStringLiteral("Cannot open the folder ") : QStringLiteral("Cannot make the folder ")) + target +
               QStringLiteral("; the installed package is unchanged.");
    const auto clearLeftovers = [&] {
        for (const QString& unit : units) {
            removePath(hidden(target, unit, ".qlk-new"));
            removePath(hidden(target, unit, ".qlk-old"));
        }
    };
    // An earlier replacement stopped between its renames left the installed
    // copy aside: it goes back before anything else happens.
    for (const QString& unit : units)
        restoreOldCopy(target + QLatin1Char('/') + unit, hidden(target, unit, ".qlk-old"));
    clearLeftovers();

    // Every new copy in place beside the installed one before anything
    // installed is touched.
    for (const QString& unit : units) {
        const QString fresh = hidden(target, unit, ".qlk-new");
        const QString installed = target + QLatin1Char('/') + unit;
        bool ok = QDir().mkpath(QFileInfo(fresh).path()) && copyTree(tree + QLatin1Char('/') + unit, fresh);
        if (ok && keepOthers && QFileInfo(installed).isDir() && !QFileInfo(installed).isSymLink()) {
            for (const QFileInfo& old : QDir(installed).entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
                const QString copy = fresh + QLatin1Char('/') + old.fileName();
                if (!QFileInfo::exists(copy) && !copyTree(old.absoluteFilePath(), copy))
                    ok = false;
            }
        }
        if (!ok) {
            clearLeftovers();
            return QStringLiteral("Cannot copy ") + unit + QStringLiteral(" into ") + QFileInfo(fresh).path() +
                   QStringLiteral("; the installed package is unchanged.");
        }
    }
    if (swapSeam() && !swapSeam()(QStringLiteral("staged")))
        return QStringLiteral("stopped");

    QStringList swapped;
    for (const QString& unit : units) {
        const QString fresh = hidden(target, unit, ".qlk-new");
        const QString installed = target + QLatin1Char('/') + unit;
        const QFileInfo info(installed);
        bool ok;
        if (!info.exists() && !info.isSymLink())
            ok = QDir().rename(fresh, installed);
        else if (info.isDir() != QFileInfo(fresh).isDir())
            ok = ::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(installed).constData()) == 0;
        else
            ok = swapPaths(installed, fresh, hidden(target, unit, ".qlk-old"));
        if (!ok) {
            // Back to the installed package: the swapped folders return.
            for (const QString& done : swapped) {
                const QString back = target + QLatin1Char('/') + done;
                const QString old = QFileInfo::exists(hidden(target, done, ".qlk-old")) ? hidden(target, done, ".qlk-old")
                                                                                       : hidden(target, done, ".qlk-new");
                if (QFileInfo::exists(old))
                    swapPaths(back, old, hidden(target, done, ".qlk-new"));
            }
            clearLeftovers();
            return QStringLiteral("Cannot put ") + unit + QStringLiteral(" into place in ") + target +
                   QStringLiteral("; the installed package is unchanged.");
        }
        swapped << unit;
    }
    if (swapSeam() && !swapSeam()(QStringLiteral("swapped")))
        return QStringLiteral("stopped");
    clearLeftovers();
    return QString();
}

StagedTrees::StagedTrees(const QString& home, const QString& var)
{
    const auto point = [this](const char* name, QString* global, const QString& value) {
        if (value.isEmpty())
            return;
        saved_ << Saved{name, global, *global, qEnvironmentVariableIsSet(name), qgetenv(name)};
        *global = value;
        qputenv(name, QFile::encodeName(value));
    };
    point("TEXMFHOME", &texmfHome, home);
    point("TEXMFVAR", &texmfVar, var);
}

StagedTrees::~StagedTrees()
{
    for (const Saved& s : saved_) {
        *s.global = s.value;
        if (s.wasSet)
            qputenv(s.name, s.env);
        else
            qunsetenv(s.name);
    }
}

} // namespace qlk

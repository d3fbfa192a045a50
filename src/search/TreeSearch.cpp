#include "search/TreeSearch.h"

#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QFileInfo>
#include <QTemporaryFile>

#include <dirent.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>

namespace qlk {

namespace {

QString grepProgram() { return systemProgram(QStringLiteral("grep")); }
QString findProgram() { return systemProgram(QStringLiteral("find")); }
QString xargsProgram() { return systemProgram(QStringLiteral("xargs")); }

QString trimmedSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// The folders of `candidates` that exist, each once, in order.
QStringList existingFolders(const QStringList& candidates)
{
    QStringList folders;
    for (const QString& c : candidates) {
        const QString f = trimmedSlash(c);
        if (!f.isEmpty() && QFileInfo(f).isDir() && !folders.contains(f))
            folders << f;
    }
    return folders;
}

// Output of a grep, alone or behind xargs. grep exits 1 when a file has no
// match and 2 when one cannot be read; behind xargs either turns into 123 for
// the whole run, which must not throw away what the other files gave.
QString grepOutput(const QString& command, bool viaXargs)
{
    const QString out = runShellQuiet(command);
    if (lastShell.errorCode == 0)
        return out;
    if (viaXargs && lastShell.errorCode == 123 && !lastShell.timedOut)
        return trimWhite(lastShell.output);
    return QString();
}

// grep over a list of files handed to xargs NUL-separated, so that blanks,
// quotes and line ends in paths pass whole.
QString grepFiles(QStringList files, const QString& options, const QString& pattern)
{
    if (files.isEmpty())
        return QString();
    files.sort();
    QTemporaryFile list(QDir::tempPath() + QStringLiteral("/qlk-maps-XXXXXX"));
    if (!list.open())
        return QString();
    for (const QString& f : files) {
        list.write(f.toUtf8());
        list.write("\0", 1);
    }
    list.flush();
    const QString command = xargsProgram() + QStringLiteral(" -0 -r -a ") + shellQuote(list.fileName()) +
                            QLatin1Char(' ') + grepProgram() + QLatin1Char(' ') + options +
                            QStringLiteral("-e ") + shellQuote(pattern) + QStringLiteral(" --");
    return grepOutput(command, true);
}

// The *.map files below the dvips map folder of each tree.
QStringList dvipsMaps(const QStringList& trees)
{
    QStringList roots;
    for (const QString& t : trees) {
        if (!t.isEmpty())
            roots << trimmedSlash(t) + QStringLiteral("/fonts/map/dvips");
    }
    return findFilesByName(existingFolders(roots), QStringLiteral("*.map"));
}

QString caseOption(bool ignoreCase) { return ignoreCase ? QStringLiteral("-i ") : QString(); }

// A block of "path:line" grep lines as the report shows it: the path with
// its colon on one line, the matched line indented on the next.
QString fileSetBlock(QString out)
{
    const QString indent = QString(cr) + QStringLiteral("  ");
    out.replace(QStringLiteral(":"), QStringLiteral(":") + indent);
    out += cr;
    out.replace(lf, cr);
    return QString(cr) + out;
}

// Walks the tree below `root` depth first, in the order the folders list
// their entries, calling `visit` with each entry's path and name, whether
// it is a file (a link to one counts) and whether it is a folder. Links are
// never entered. With `hidden` false, entries whose names begin with "."
// are left out, folders with their contents. Stops at the deadline.
void walkTree(const QByteArray& root, bool hidden, const QDeadlineTimer& deadline,
              const std::function<void(const QByteArray&, const char*, bool, bool)>& visit)
{
    DIR* dir = ::opendir(root.constData());
    if (!dir)
        return;
    QByteArray path = root;
    if (!path.endsWith('/'))
        path += '/';
    const qsizetype base = path.size();
    while (const dirent* e = ::readdir(dir)) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (!hidden && name[0] == '.')
            continue;
        if (deadline.hasExpired())
            break;
        path.truncate(base);
        path += name;
        unsigned char type = e->d_type;
        bool isFile = type == DT_REG;
        bool isDir = type == DT_DIR;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st;
            if (type == DT_UNKNOWN && ::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
                isFile = S_ISREG(st.st_mode);
                isDir = S_ISDIR(st.st_mode);
            } else if (::stat(path.constData(), &st) == 0) {
                isFile = S_ISREG(st.st_mode); // a link: listed, never entered
            }
        }
        visit(path, name, isFile, isDir);
        if (isDir)
            walkTree(path, hidden, deadline, visit);
    }
    ::closedir(dir);
}

} // namespace

QString masterMapPath() { return mapRoot + QStringLiteral("pdftex/updmap/pdftex.map"); }

QString findInTrees(const QString& pattern)
{
    if (pattern.isEmpty())
        return QString();
    const QByteArray glob = QFile::encodeName(pattern);
    QList<QByteArray> pieces;
    for (const QString& piece : pattern.split(QLatin1Char('*'), Qt::SkipEmptyParts))
        pieces << QFile::encodeName(piece);
    QDeadlineTimer deadline(shellTimeoutMs);
    const auto nameMatches = [&](const char* name) {
        return ::fnmatch(glob.constData(), name, FNM_CASEFOLD) == 0;
    };

    // The personal trees and the system's generated files, as find -iname
    // walks them: every entry, hidden ones and folders too, each root
    // itself included, links listed but not entered. Missing or unreadable
    // folders leave the others' answers intact.
    const QStringList findRoots = existingFolders(
        {texmfVar.isEmpty() ? QString() : QFileInfo(trimmedSlash(texmfVar)).path(), texmfHome,
         texmfSysVar});
    QStringList personal;
    for (const QString& root : findRoots) {
        const QByteArray r = QFile::encodeName(root);
        if (nameMatches(QFile::encodeName(QFileInfo(root).fileName()).constData()))
            personal << root;
        walkTree(r, true, deadline, [&](const QByteArray& path, const char* name, bool isFile, bool) {
            (void)isFile;
            if (nameMatches(name))
                personal << QFile::decodeName(path);
        });
    }
    QString result = personal.join(lf);
    if (!result.isEmpty())
        result += lf;

    // The system trees in one walk each (hidden entries skipped, files
    // only): by file name (not TEXMFSYSVAR, which the walk above covered),
    // and every file whose path holds each "*"-separated piece of the
    // pattern, in any case.
    QStringList named, byPieces;
    const QString sysVar = trimmedSlash(texmfSysVar);
    for (const QString& root : existingFolders({texmfSysConfig, texmfSysVar, texmfLocal, texmfDist})) {
        const bool nameRoot = root != sysVar;
        walkTree(QFile::encodeName(root), false, deadline,
                 [&](const QByteArray& path, const char* name, bool isFile, bool) {
                     if (!isFile)
                         return;
                     if (nameRoot && nameMatches(name))
                         named << QFile::decodeName(path);
                     for (const QByteArray& piece : pieces) {
                         if (!::strcasestr(path.constData(), piece.constData()))
                             return;
                     }
                     byPieces << QFile::decodeName(path);
                 });
    }
    result += named.join(lf);
    if (!result.isEmpty() && !result.endsWith(lf))
        result += lf;
    result += byPieces.join(lf);
    return result;
}

QString findMetricFile(const QString& name)
{
    // Where kpsewhich fails, the trees and then the home folder are searched
    // by name.
    QStringList roots = texmfByName.values();
    for (const QString& tree : texmfTrees)
        roots << (tree.startsWith(QStringLiteral("!!")) ? tree.mid(2) : tree);
    roots << homePath;
    const QStringList fallback = existingFolders(roots);
    for (const char* ext : {".afm", ".tfm"}) {
        QString out = runShellQuiet(shellQuote(texProgram(QStringLiteral("kpsewhich"))) +
                                    QStringLiteral(" -- ") + shellQuote(name + ext));
        if (out.isEmpty()) {
            const QStringList found = findFilesByName(fallback, name + ext);
            if (!found.isEmpty())
                out = found.first();
        }
        if (!out.isEmpty())
            return out.section(lf, 0, 0);
    }
    return QString();
}

QString searchMaps(const QString& text, bool plusHome, bool caseSensitive, const MapSearchView& view)
{
    const QString caseOpt = caseOption(!caseSensitive);
    const QString q = dquote + text + dquote;
    const QString pattern = QStringLiteral("-e ") + shellQuote(text) + QStringLiteral(" -- ");
    const QString indent = QString(cr) + QStringLiteral("  ");
    auto show = [&view](const QString& report) {
        if (view.showResults)
            view.showResults(report);
    };
    auto title = [&view](const QString& t) {
        if (view.setTitle)
            view.setTitle(t);
    };

    // The master map.
    QString report;
    const QString master = masterMapPath();
    QString out = grepOutput(grepProgram() + QLatin1Char(' ') + caseOpt + pattern + shellQuote(master), false);
    if (!out.isEmpty()) {
        report = QStringLiteral("Search target found in master pdftex.map:") + cr + master +
                 QLatin1Char(':') + indent + out.replace(lf, indent) + cr + cr;
    } else {
        report = QStringLiteral("Nothing found in master pdftex.map:") + cr + master +
                 QLatin1Char(':') + cr + cr;
    }

    // Other copies of pdftex.map.
    for (const QString& root : otherPdftexMaps) {
        const QString copy = root + QStringLiteral("pdftex/updmap/pdftex.map");
        out = grepOutput(grepProgram() + QLatin1Char(' ') + caseOpt + pattern + shellQuote(copy), false);
        if (!out.isEmpty())
            report += copy + QLatin1Char(':') + indent + out.replace(lf, indent) + cr;
    }

    // The dvips maps of TEXMFVAR, without those updmap writes there.
    const QString varMaps = trimmedSlash(texmfVar) + QStringLiteral("/fonts/map/dvips");
    if (!texmfVar.isEmpty() && QFileInfo(varMaps).isDir()) {
        out = grepOutput(findProgram() + QLatin1Char(' ') + shellQuote(varMaps) + QStringLiteral(" -name ") +
                             shellQuote(QStringLiteral("*.map")) + QStringLiteral(" -print0 | ") +
                             grepProgram() + QStringLiteral(" -z -i -v -e /updmap/ | ") + xargsProgram() +
                             QStringLiteral(" -0 -r ") + grepProgram() + QLatin1Char(' ') + caseOpt +
                             QStringLiteral("-H ") + pattern,
                         true);
        if (!out.isEmpty())
            report += fileSetBlock(out);
    }
    show(report);
    title(QStringLiteral("Searching for ") + q);

    // The dvips maps of the distribution and of TEXMFLOCAL.
    out = grepFiles(dvipsMaps({texmfDist, texmfLocal}), QStringLiteral("-H ") + caseOpt, text);
    if (!out.isEmpty())
        report += fileSetBlock(out);
    show(report);

    // The personal dvips maps, or every map file in the home folder.
    const QStringList personal = plusHome
                                     ? findFilesByName(existingFolders({homePath}), QStringLiteral("*.map"))
                                     : dvipsMaps({texmfHome});
    out = grepFiles(personal, QStringLiteral("-H ") + caseOpt, text);
    if (!out.isEmpty())
        report += fileSetBlock(out);
    show(report);
    if (view.closeDialog)
        view.closeDialog();
    title(QStringLiteral("Finished search in maps for ") + q);
    return report;
}

QString grepSystemMaps(const QString& pattern, int ignoreCase)
{
    return grepFiles(dvipsMaps({texmfDist, texmfLocal}), QStringLiteral("-H ") + caseOption(ignoreCase == 1),
                     pattern);
}

QString grepPersonalMaps(const QString& pattern, int ignoreCase)
{
    return grepFiles(dvipsMaps({texmfHome}), caseOption(ignoreCase == 1), pattern);
}

QString grepAllMaps(const QString& pattern, int ignoreCase)
{
    const QString system = grepSystemMaps(pattern, ignoreCase);
    const QString personal = grepPersonalMaps(pattern, ignoreCase);
    if (!system.isEmpty() && !personal.isEmpty())
        return system + lf + personal;
    return system + personal;
}

QStringList grepMasterMap(const QString& font)
{
    // A regular expression: the font name as the line's first field.
    const QString out = grepOutput(grepProgram() + QStringLiteral(" -e ") +
                                       shellQuote(QStringLiteral("^") + font + QLatin1Char(' ')) +
                                       QStringLiteral(" -- ") + shellQuote(masterMapPath()),
                                   false);
    if (out.isEmpty())
        return {};
    return out.split(lf);
}

} // namespace qlk

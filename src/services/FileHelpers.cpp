#include "services/FileHelpers.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlk {

QStringList fileLines;
QStringList collectedNames;
QStringList collectedItems;
QStringList overwriteFiles;

namespace {
QString normaliseLineEnds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Items of a folder in a stable order (by name), hidden ones included.
QFileInfoList folderItems(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                          QDir::NoDotAndDotDot,
                                      QDir::Name);
}

bool startsWithCI(const QString& line, const QString& prefix)
{
    return line.startsWith(prefix, Qt::CaseInsensitive);
}
} // namespace

bool sameText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void revealInFinder(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        msgBox(QStringLiteral("Item not found: ") + path);
        return;
    }
    revealInFileManager(path);
}

void readLines(const QString& path)
{
    fileLines.clear();
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    fileLines = normaliseLineEnds(QString::fromUtf8(f.readAll())).split(QLatin1Char('\n'));
    while (!fileLines.isEmpty() && fileLines.last().trimmed().isEmpty())
        fileLines.removeLast();
}

QString readTextFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString readLatin1File(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

QStringList readByteLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return normaliseLineEnds(QString::fromLatin1(f.readAll())).split(QLatin1Char('\n'));
}

QString psFontName(const QString& path, bool warn)
{
    const QStringList lines = readByteLines(path);
    const int last = qMin(50, int(lines.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        const QString& line = lines.at(i);
        if (startsWithCI(line, QStringLiteral("/FontName "))) {
            QString name = line.mid(10).trimmed();
            const int blank = name.indexOf(QLatin1Char(' '));
            if (blank >= 0)
                name = name.left(blank);
            if (name.startsWith(QLatin1Char('/')))
                name = name.mid(1);
            return name;
        }
    }
    if (warn)
        msgBox(QStringLiteral("FontName not found in ") + QFileInfo(path).fileName());
    return QString();
}

QStringList afmNames(const QString& path)
{
    QStringList names{QString(), QString()};
    const QStringList lines = readByteLines(path);
    const int last = qMin(50, int(lines.size()) - 1);
    bool haveFont = false, haveFamily = false;
    for (int i = 0; i <= last && !(haveFont && haveFamily); ++i) {
        const QString& line = lines.at(i);
        if (startsWithCI(line, QStringLiteral("FontName "))) {
            names[0] = line.mid(9).trimmed();
            haveFont = true;
        } else if (startsWithCI(line, QStringLiteral("FamilyName "))) {
            names[1] = line.mid(11).trimmed();
            haveFamily = true;
        }
    }
    return names;
}

QString pfaFamilyName(const QString& path)
{
    fileLines.clear();
    QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        fileLines = readByteLines(path);
        while (!fileLines.isEmpty() && fileLines.last().trimmed().isEmpty())
            fileLines.removeLast();
    }
    const int last = qMin(30, int(fileLines.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        const QString& line = fileLines.at(i);
        if (!startsWithCI(line, QStringLiteral("/FamilyName ")))
            continue;
        const QString rest = line.mid(12).trimmed();
        const int open = rest.indexOf(QLatin1Char('('));
        if (open < 0)
            return rest;
        const int close = rest.indexOf(QLatin1Char(')'), open + 1);
        if (close < 0)
            return QString();
        return rest.mid(open + 1, close - open - 1);
    }
    return QString();
}

bool hasFilesOfType(const QString& folder, const QString& exts)
{
    const QStringList wanted = exts.split(QLatin1Char('\t'));
    bool found = false;
    for (const QFileInfo& item : folderItems(folder)) {
        if (item.isDir()) {
            if (!found && !item.isSymLink())
                found = hasFilesOfType(item.filePath(), exts);
            continue;
        }
        const QString name = item.fileName();
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        const QString ext = dot >= 0 ? name.mid(dot + 1) : name;
        for (const QString& w : wanted) {
            if (sameText(ext, w))
                found = true;
        }
    }
    return found;
}

void collectFiles(const QString& folder)
{
    for (const QFileInfo& item : folderItems(folder)) {
        if (item.isDir()) {
            // A linked folder could lead back up the tree: never follow one.
            if (!item.isSymLink())
                collectFiles(item.filePath());
            continue;
        }
        if (!item.exists() || item.fileName().startsWith(QLatin1Char('.')))
            continue; // dangling links and hidden files
        collectedNames << QString(item.fileName()).remove(QLatin1Char('\\'));
        collectedItems << item.filePath();
    }
}

bool checkCopyTree(const QString& source, const QString& target)
{
    for (const QFileInfo& item : folderItems(source)) {
        if (!item.exists() || item.fileName().startsWith(QLatin1Char('.')))
            continue;
        const QFileInfo t(QDir(target).filePath(item.fileName()));
        if (item.isDir()) {
            if (t.exists() && !t.isDir()) {
                msgBox(QStringLiteral("File named ") + t.filePath() +
                       QStringLiteral(" has same name as a folder that must be copied. You must rename it."));
                revealInFinder(t.filePath());
                return false;
            }
            if (t.exists() && !item.isSymLink() && !checkCopyTree(item.filePath(), t.filePath()))
                return false;
        } else {
            if (t.exists() && t.isDir()) {
                msgBox(QStringLiteral("A folder named ") + t.filePath() +
                       QStringLiteral(" has the same name as a file that must be copied. You must rename it."));
                revealInFinder(t.filePath());
                return false;
            }
            if (t.exists())
                overwriteFiles << t.filePath();
        }
    }
    return true;
}

bool isTDSRoot(const QString& folder)
{
    for (const QFileInfo& item : folderItems(folder)) {
        if (item.isDir() && (sameText(item.fileName(), QStringLiteral("fonts")) ||
                             sameText(item.fileName(), QStringLiteral("tex"))))
            return true;
    }
    return false;
}

QString lsRListing(const QString& dir)
{
    const QString listing = runShellQuiet(QStringLiteral("cd ") + shellQuote(dir) + QStringLiteral(" && /bin/ls -R"));
    if (lastShell.errorCode != 0)
        return QString();
    return QStringLiteral("% ls-R - - Created by Quillmark\n./:\n") + listing + QLatin1Char('\n');
}

void makeLsR(const QString& dir)
{
    // "&&" after cd: when the folder cannot be entered nothing is removed or written.
    runShellQuiet(QStringLiteral("cd ") + shellQuote(dir) +
                  QStringLiteral(" && /bin/rm -f ls-R && /bin/echo '% ls-R - - Created by Quillmark' >ls-R"
                                 " && /bin/echo ./: >>ls-R && /bin/ls -R >>ls-R"));
}

const qint64 kMaxFontFileBytes = qint64(256) << 20;

namespace {
QString kindOfNonRegular(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a plain file");
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

QString copyRegularFile(const QString& source, const QString& target, qint64 maxBytes)
{
    const QByteArray to = QFile::encodeName(target);
    const QByteArray from = QFile::encodeName(source);
    struct stat a {};
    struct stat b {};
    if (::stat(from.constData(), &a) == 0 && ::lstat(to.constData(), &b) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino)
        return QStringLiteral("it is the file it would be copied to");
    // The old copy goes first: a refused copy must not leave it to be taken
    // for the new one.
    ::unlink(to.constData());
    // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is
    // checked on the open file, so nothing can be swapped in between.
    const int in = ::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (in < 0)
        return QStringLiteral("it cannot be read: ") + errnoText(errno);
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        const QString kind = kindOfNonRegular(st.st_mode);
        ::close(in);
        return QStringLiteral("it is not a regular file (") + kind + QLatin1Char(')');
    }
    if (st.st_size > maxBytes) {
        ::close(in);
        return QStringLiteral("it is larger (%1 bytes) than a font file may be (%2 bytes)")
            .arg(st.st_size)
            .arg(maxBytes);
    }
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);

    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (out < 0) {
        const QString why = errnoText(errno);
        ::close(in);
        return QStringLiteral("it cannot be written to ") + target + QStringLiteral(": ") + why;
    }
    QString problem;
    qint64 copied = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            problem = QStringLiteral("it cannot be read: ") + errnoText(errno);
            break;
        }
        if (got == 0)
            break;
        copied += got;
        if (copied > maxBytes) {
            problem = QStringLiteral("it grew beyond %1 bytes while it was copied").arg(maxBytes);
            break;
        }
        for (ssize_t done = 0; done < got && problem.isEmpty();) {
            const ssize_t put = ::write(out, buffer + done, size_t(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                problem = QStringLiteral("it cannot be written to ") + target + QStringLiteral(": ") +
                          errnoText(put < 0 ? errno : ENOSPC);
            else
                done += put;
        }
        if (!problem.isEmpty())
            break;
    }
    ::close(in);
    if (::close(out) != 0 && problem.isEmpty())
        problem = QStringLiteral("it cannot be written to ") + target + QStringLiteral(": ") + errnoText(errno);
    if (!problem.isEmpty())
        ::unlink(to.constData());
    return problem;
}

} // namespace qlk

#include "mainwindow/ArchiveCheck.h"

#include "platform/FolderLock.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "platform/UiHooks.h"
#include "services/Runners.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <csignal>
#include <limits>
#include <optional>

namespace qlk {

ArchiveKind archiveKindOf(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        return ArchiveKind::Zip;
    if (fileName.endsWith(QLatin1String(".tgz"), Qt::CaseInsensitive))
        return ArchiveKind::Tgz;
    return ArchiveKind::None;
}

bool listedWithControlChar(const QString& listedName, ArchiveKind kind)
{
    if (kind == ArchiveKind::Zip) {
        static const QRegularExpression caret(QStringLiteral("\\^[@A-Z\\[\\\\\\]^_?]"));
        return caret.match(listedName).hasMatch();
    }
    // tar's escapes: "\\" is a backslash, a letter or octal digits stand for
    // the character; only printable ones above the control range are plain.
    for (qsizetype i = 0; i + 1 < listedName.size(); ++i) {
        if (listedName.at(i) != QLatin1Char('\\'))
            continue;
        const QChar next = listedName.at(++i);
        if (next == QLatin1Char('\\'))
            continue;
        if (next < QLatin1Char('0') || next > QLatin1Char('7'))
            return true;
        int value = 0;
        for (int k = 0; k < 3 && i < listedName.size() && listedName.at(i) >= QLatin1Char('0') &&
                        listedName.at(i) <= QLatin1Char('7');
             ++k, ++i)
            value = value * 8 + (listedName.at(i).unicode() - '0');
        --i;
        if (value < 0x20 || value == 0x7f)
            return true;
    }
    return false;
}

QStringList unsafeEntries(const QList<ArchiveEntry>& entries)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QStringList unsafe;
    for (const ArchiveEntry& e : entries) {
        QString reason;
        if (e.name.startsWith(QLatin1Char('/')) || e.name.startsWith(QLatin1Char('\\')))
            reason = QStringLiteral("absolute path");
        else if (e.name.split(separators).contains(QStringLiteral("..")))
            reason = QStringLiteral("leads out of the folder with \"..\"");
        else if (e.type == QLatin1Char('l'))
            reason = QStringLiteral("symbolic link");
        else if (e.type == QLatin1Char('h'))
            reason = QStringLiteral("hard link");
        else if (e.type != QLatin1Char('-') && e.type != QLatin1Char('d') && e.type != QLatin1Char('?'))
            reason = QStringLiteral("not a plain file or folder");
        else if (e.controlInName)
            reason = QStringLiteral("its name holds a line break or another control character");
        if (!reason.isEmpty())
            unsafe << e.name + QStringLiteral(" (") + reason + QLatin1Char(')');
    }
    return unsafe;
}

namespace {
QStringList outputLines(const QString& command, int& code)
{
    runShellQuiet(command);
    code = lastShell.errorCode;
    QStringList lines = lastShell.output.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
} // namespace

ArchiveListing listArchive(const QString& archive, ArchiveKind kind)
{
    ArchiveListing listing;
    int code = 0;
    QStringList names;
    QStringList longLines;
    if (kind == ArchiveKind::Zip) {
        const QString unzip = shellQuote(systemProgram(QStringLiteral("unzip")));
        names = outputLines(unzip + QStringLiteral(" -Z1 ") + shellQuote(archive), code);
        if (code != 0) {
            listing.error = QString::number(code);
            return listing;
        }
        // The short listing: two header lines, one line an entry, the totals.
        longLines = outputLines(unzip + QStringLiteral(" -Z -s ") + shellQuote(archive), code);
        if (code != 0) {
            listing.error = QString::number(code);
            return listing;
        }
        longLines = longLines.mid(2, names.size());
    } else if (kind == ArchiveKind::Tgz) {
        const QString tar = shellQuote(systemProgram(QStringLiteral("tar")));
        names = outputLines(tar + QStringLiteral(" -tf ") + shellQuote(archive), code);
        if (code != 0) {
            listing.error = QString::number(code);
            return listing;
        }
        longLines = outputLines(tar + QStringLiteral(" -tvf ") + shellQuote(archive), code);
        if (code != 0) {
            listing.error = QString::number(code);
            return listing;
        }
    } else {
        listing.error = QStringLiteral("not an archive");
        return listing;
    }
    // Both listings must tell of the same entries, in the same order;
    // anything else (a name with a line break, say) is not trusted.
    if (longLines.size() != names.size()) {
        listing.error = QStringLiteral("the list of entries could not be read");
        return listing;
    }
    for (int i = 0; i < names.size(); ++i) {
        const QString& line = longLines.at(i);
        if (line.isEmpty() || !line.contains(names.at(i))) {
            listing.error = QStringLiteral("the list of entries could not be read");
            return listing;
        }
        // Size: the fourth field of unzip's short listing, the third of tar's.
        // Sizes beyond what qint64 holds (a zip64 entry may claim up to
        // 2^64 - 1) count as the largest; a file without a size is not
        // trusted.
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        const QStringList fields = line.split(blanks, Qt::SkipEmptyParts);
        const QString sizeField = fields.value(kind == ArchiveKind::Zip ? 3 : 2);
        bool numeric = false;
        const qulonglong listed = sizeField.toULongLong(&numeric);
        static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
        const bool huge = !numeric && digits.match(sizeField).hasMatch();
        const QChar type = line.at(0);
        if (!numeric && !huge && (type == QLatin1Char('-') || type == QLatin1Char('?'))) {
            listing.error = QStringLiteral("the list of entries could not be read");
            return listing;
        }
        const qint64 size = huge || listed > qulonglong(std::numeric_limits<qint64>::max())
                                ? std::numeric_limits<qint64>::max()
                                : qint64(listed);
        listing.entries << ArchiveEntry{names.at(i), type, size, listedWithControlChar(names.at(i), kind)};
    }
    listing.ok = true;
    return listing;
}

const qint64 kMaxUnpackedBytes = qint64(1) << 30;

namespace {
qint64 unpackLimitOverride = 0;
} // namespace

qint64 maxUnpackedBytes()
{
    return unpackLimitOverride > 0 ? unpackLimitOverride : kMaxUnpackedBytes;
}

void setMaxUnpackedBytesForTesting(qint64 bytes)
{
    unpackLimitOverride = bytes;
}

qint64 unpackedSize(const QList<ArchiveEntry>& entries)
{
    // Saturating: listed sizes are the archive's claims, and claims that
    // add up past 2^63 must still read as too large.
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    qint64 total = 0;
    for (const ArchiveEntry& e : entries) {
        const qint64 size = qMax<qint64>(e.size, 0);
        total = size > most - total ? most : total + size;
    }
    return total;
}

QStringList duplicateEntries(const QList<ArchiveEntry>& entries)
{
    // "a/b", "./a/b" and "a//b" unpack to one file; folders may repeat.
    QHash<QString, int> seen;
    QHash<QString, bool> folder;
    QStringList twice;
    for (const ArchiveEntry& e : entries) {
        QString name = QDir::cleanPath(e.name);
        while (name.startsWith(QLatin1String("./")))
            name.remove(0, 2);
        const bool isFolder = e.type == QLatin1Char('d') || e.name.endsWith(QLatin1Char('/'));
        const int count = ++seen[name];
        if (count == 1) {
            folder.insert(name, isFolder);
            continue;
        }
        if (isFolder && folder.value(name))
            continue;
        if (!twice.contains(name))
            twice << name;
    }
    return twice;
}

QString byteText(qint64 bytes)
{
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 1000 * 1000)
        return QStringLiteral("%1 KB").arg(bytes / 1000.0, 0, 'f', 1);
    if (bytes < qint64(1000) * 1000 * 1000)
        return QStringLiteral("%1 MB").arg(bytes / 1e6, 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(bytes / 1e9, 0, 'f', 1);
}

QPair<QString, QString> byteTexts(qint64 first, qint64 second)
{
    const QString a = byteText(first), b = byteText(second);
    if (a != b || first == second)
        return {a, b};
    return {QStringLiteral("%1 bytes").arg(first), QStringLiteral("%1 bytes").arg(second)};
}

namespace {
std::function<qint64(const QString&)>& freeBytesAnswer()
{
    static std::function<qint64(const QString&)> answer;
    return answer;
}
} // namespace

qint64 folderBytes(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

void setFreeBytesForTesting(std::function<qint64(const QString&)> answer)
{
    freeBytesAnswer() = std::move(answer);
}

qint64 freeBytes(const QString& folder)
{
    if (freeBytesAnswer())
        return freeBytesAnswer()(folder);
    QString existing = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo(existing).isDir() && existing != QLatin1String("/"))
        existing = QFileInfo(existing).path();
    const QStorageInfo storage(existing);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

QString spaceProblem(qint64 bytes, const QString& folder)
{
    if (bytes > maxUnpackedBytes()) {
        const auto sizes = byteTexts(bytes, maxUnpackedBytes());
        return QStringLiteral("Unpacked it would take %1, more than the %2 a font package may take.")
            .arg(sizes.first, sizes.second);
    }
    const qint64 available = freeBytes(folder);
    if (available >= 0 && bytes > available) {
        const auto sizes = byteTexts(bytes, available);
        return QStringLiteral("Unpacked it would take %1, but only %2 are free in %3.")
            .arg(sizes.first, sizes.second, folder);
    }
    return QString();
}

QString unpackCommand(const QString& archive, ArchiveKind kind, const QString& folder)
{
    // No file may grow beyond the limit, whatever the archive claims. exec:
    // prlimit and then the unpacker take the place of the shell, so the
    // process tied to the program is the one that writes.
    QString line = QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && exec ") +
                   shellQuote(systemProgram(QStringLiteral("prlimit"))) + QStringLiteral(" --fsize=") +
                   QString::number(maxUnpackedBytes()) + QLatin1Char(' ');
    if (kind == ArchiveKind::Zip)
        line += shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -qq -o ") +
                shellQuote(archive);
    else
        line += shellQuote(systemProgram(QStringLiteral("tar"))) + QStringLiteral(" --no-same-owner -xf ") +
                shellQuote(archive);
    return line;
}

QString unpackedBytesCommand(const QString& archive, ArchiveKind kind, qint64 atMost)
{
    const QString stream = kind == ArchiveKind::Zip
                               ? shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -p ")
                               : shellQuote(systemProgram(QStringLiteral("tar"))) + QStringLiteral(" -xOf ");
    // The counter is the shell's own process: tied to the program, it ends
    // with it, and the stream into it stops at its next write.
    return QStringLiteral("exec ") + shellQuote(systemProgram(QStringLiteral("wc"))) + QStringLiteral(" -c < <(") +
           stream + shellQuote(archive) + QStringLiteral(" 2>/dev/null | ") +
           shellQuote(systemProgram(QStringLiteral("head"))) + QStringLiteral(" -c ") + QString::number(atMost) +
           QStringLiteral(")");
}

UnpackResult unpackWithinLimits(const QString& archive, ArchiveKind kind, const QString& folder,
                                qint64 listedBytes, bool showReport)
{
    UnpackResult result;
    const auto failed = [&](const QString& why) {
        result.failure = lastShell.timedOut ? QStringLiteral("timed out") : why;
        return result;
    };
    const QString source = QFileInfo(archive).absoluteFilePath();
    const qint64 limit = maxUnpackedBytes();
    // What the entries really hold, counted as they stream past and never
    // written: a listing may claim 1,000 bytes for an entry of gigabytes.
    QString counted;
    {
        const CommandsEndWithProgram tied;
        counted = runShellQuiet(unpackedBytesCommand(source, kind, limit + 1));
    }
    bool numeric = false;
    const qint64 bytes = counted.trimmed().toLongLong(&numeric);
    if (lastShell.errorCode != 0 || !numeric)
        return failed(QString::number(lastShell.errorCode));
    if (bytes > limit) {
        result.refusal = QStringLiteral("Unpacked it would take more than %1, the most a font package may take.")
                             .arg(byteText(limit));
        return result;
    }
    if (bytes != listedBytes) {
        const auto sizes = byteTexts(bytes, listedBytes);
        result.refusal = QStringLiteral("Its entries hold %1 unpacked, but its list of entries gives %2: the "
                                        "archive is damaged or not what it claims to be.")
                             .arg(sizes.first, sizes.second);
        return result;
    }
    result.refusal = spaceProblem(bytes, folder);
    if (!result.refusal.isEmpty())
        return result;

    // Unpacked beside its place and moved in only when whole: a failed or
    // stopped unpack leaves nothing behind. The folder is locked while this
    // program works in it; another copy starting meanwhile may clear it in
    // the moment before the lock, so the lock is taken on the folder still
    // in place.
    std::optional<QTemporaryDir> stage;
    std::optional<FolderLock> owned;
    for (int attempt = 0; attempt < 3 && !(owned && owned->held() && owned->stillInPlace()); ++attempt) {
        owned.reset();
        stage.emplace(QDir(folder).filePath(QLatin1String(kUnpackFolderPrefix) + QStringLiteral("XXXXXX")));
        if (stage->isValid())
            owned.emplace(stage->path());
    }
    if (!owned || !owned->held() || !owned->stillInPlace()) {
        result.failure = QStringLiteral("cannot make a folder in ") + folder;
        return result;
    }
    {
        const CommandsEndWithProgram tied;
        runShellQuiet(unpackCommand(source, kind, stage->path()));
    }
    if (lastShell.errorCode != 0 && showReport && uiHooks().showCommandFailure)
        uiHooks().showCommandFailure(failureReport(lastShell.command, lastShell.errorCode, lastShell.output,
                                                   lastShell.errorOutput));
    if (lastShell.errorCode == 128 + SIGXFSZ)
        return failed(QStringLiteral("a file grew beyond %1").arg(byteText(limit)));
    if (lastShell.errorCode != 0)
        return failed(QString::number(lastShell.errorCode));
    if (folderBytes(stage->path()) > limit)
        return failed(QStringLiteral("it unpacked to more than %1").arg(byteText(limit)));
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    const QString into = shellQuote(QDir::cleanPath(folder) + QLatin1Char('/'));
    runShellQuiet(QStringLiteral("cd ") + shellQuote(stage->path()) + QStringLiteral(" && { ") + cp +
                  QStringLiteral(" -Rl --remove-destination ./. ") + into + QStringLiteral(" 2>/dev/null || ") + cp +
                  QStringLiteral(" -R --remove-destination ./. ") + into + QStringLiteral("; }"));
    if (lastShell.errorCode != 0)
        return failed(QString::number(lastShell.errorCode));
    result.ok = true;
    return result;
}

const char* const kUnpackFolderPrefix = ".quillmark-unpack-";

QStringList clearAbandonedUnpacks(const QString& documents)
{
    static const QRegularExpression scratchName(QStringLiteral("^tmp[0-9]{7}\\z"));
    const QDir::Filters folders = QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks;
    QStringList places;
    for (const QFileInfo& scratch : QDir(documents).entryInfoList(folders, QDir::Name)) {
        if (!scratchName.match(scratch.fileName()).hasMatch())
            continue;
        places << scratch.filePath();
        // MinionPro unpacks into its TDS folder, Minion2 into its texmf.
        for (const QFileInfo& inner : QDir(scratch.filePath()).entryInfoList(folders, QDir::Name)) {
            if (!inner.fileName().startsWith(QLatin1Char('.')))
                places << inner.filePath();
        }
    }
    QStringList report;
    const QString pattern = QLatin1String(kUnpackFolderPrefix) + QLatin1Char('*');
    for (const QString& place : places) {
        for (const QFileInfo& left : QDir(place).entryInfoList({pattern}, folders, QDir::Name)) {
            const QString path = left.filePath();
            const FolderLock lock(path);
            if (lock.busy()) {
                report << QStringLiteral("Left ") + path +
                              QStringLiteral(" alone: a running copy of the program is unpacking there");
                continue;
            }
            QDir(path).removeRecursively();
            report << (QFileInfo::exists(path) ? QStringLiteral("Cannot remove ") : QStringLiteral("Removed ")) + path +
                          QStringLiteral(", left by an unpack that was stopped");
        }
    }
    return report;
}

} // namespace qlk

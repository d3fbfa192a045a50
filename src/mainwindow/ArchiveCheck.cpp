#include "mainwindow/ArchiveCheck.h"

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

namespace qlk {

ArchiveKind archiveKindOf(const QString& fileName)
{
    if (fileName.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        return ArchiveKind::Zip;
    if (fileName.endsWith(QLatin1String(".tgz"), Qt::CaseInsensitive))
        return ArchiveKind::Tgz;
    return ArchiveKind::None;
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
        listing.entries << ArchiveEntry{names.at(i), type, size};
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
    if (bytes > maxUnpackedBytes())
        return QStringLiteral("Unpacked it would take %1, more than the %2 a font package may take.")
            .arg(byteText(bytes), byteText(maxUnpackedBytes()));
    const qint64 available = freeBytes(folder);
    if (available >= 0 && bytes > available)
        return QStringLiteral("Unpacked it would take %1, but only %2 are free in %3.")
            .arg(byteText(bytes), byteText(available), folder);
    return QString();
}

QString unpackCommand(const QString& archive, ArchiveKind kind, const QString& folder)
{
    // No file may grow beyond the limit, whatever the archive claims.
    QString line = QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") +
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
    return stream + shellQuote(archive) + QStringLiteral(" 2>/dev/null | ") +
           shellQuote(systemProgram(QStringLiteral("head"))) + QStringLiteral(" -c ") + QString::number(atMost) +
           QStringLiteral(" | ") + shellQuote(systemProgram(QStringLiteral("wc"))) + QStringLiteral(" -c");
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
    const QString counted = runShellQuiet(unpackedBytesCommand(source, kind, limit + 1));
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
        result.refusal = QStringLiteral("Its entries hold %1 unpacked, but its list of entries gives %2: the "
                                        "archive is damaged or not what it claims to be.")
                             .arg(byteText(bytes), byteText(listedBytes));
        return result;
    }
    result.refusal = spaceProblem(bytes, folder);
    if (!result.refusal.isEmpty())
        return result;

    // Unpacked beside its place and moved in only when whole: a failed or
    // stopped unpack leaves nothing behind.
    QTemporaryDir stage(QDir(folder).filePath(QStringLiteral(".quillmark-unpack-XXXXXX")));
    if (!stage.isValid()) {
        result.failure = QStringLiteral("cannot make a folder in ") + folder;
        return result;
    }
    runShellQuiet(unpackCommand(source, kind, stage.path()));
    if (lastShell.errorCode != 0 && showReport && uiHooks().showCommandFailure)
        uiHooks().showCommandFailure(failureReport(lastShell.command, lastShell.errorCode, lastShell.output,
                                                   lastShell.errorOutput));
    if (lastShell.errorCode == 128 + SIGXFSZ)
        return failed(QStringLiteral("a file grew beyond %1").arg(byteText(limit)));
    if (lastShell.errorCode != 0)
        return failed(QString::number(lastShell.errorCode));
    if (folderBytes(stage.path()) > limit)
        return failed(QStringLiteral("it unpacked to more than %1").arg(byteText(limit)));
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    const QString into = shellQuote(QDir::cleanPath(folder) + QLatin1Char('/'));
    runShellQuiet(QStringLiteral("cd ") + shellQuote(stage.path()) + QStringLiteral(" && { ") + cp +
                  QStringLiteral(" -Rl --remove-destination ./. ") + into + QStringLiteral(" 2>/dev/null || ") + cp +
                  QStringLiteral(" -R --remove-destination ./. ") + into + QStringLiteral("; }"));
    if (lastShell.errorCode != 0)
        return failed(QString::number(lastShell.errorCode));
    result.ok = true;
    return result;
}

} // namespace qlk

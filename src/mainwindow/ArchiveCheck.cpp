#include "mainwindow/ArchiveCheck.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

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
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        const QStringList fields = line.split(blanks, Qt::SkipEmptyParts);
        const qint64 size = fields.value(kind == ArchiveKind::Zip ? 3 : 2).toLongLong();
        listing.entries << ArchiveEntry{names.at(i), line.at(0), size};
    }
    listing.ok = true;
    return listing;
}

const qint64 kMaxUnpackedBytes = qint64(1) << 30;

qint64 unpackedSize(const QList<ArchiveEntry>& entries)
{
    qint64 total = 0;
    for (const ArchiveEntry& e : entries)
        total += qMax<qint64>(e.size, 0);
    return total;
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
    if (bytes > kMaxUnpackedBytes)
        return QStringLiteral("Unpacked it would take %1, more than the %2 a font package may take.")
            .arg(byteText(bytes), byteText(kMaxUnpackedBytes));
    const qint64 available = freeBytes(folder);
    if (available >= 0 && bytes > available)
        return QStringLiteral("Unpacked it would take %1, but only %2 are free in %3.")
            .arg(byteText(bytes), byteText(available), folder);
    return QString();
}

QString unpackCommand(const QString& archive, ArchiveKind kind, const QString& folder)
{
    QString line = QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ");
    if (kind == ArchiveKind::Zip)
        line += shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -qq -o ") +
                shellQuote(archive);
    else
        line += shellQuote(systemProgram(QStringLiteral("tar"))) + QStringLiteral(" --no-same-owner -xf ") +
                shellQuote(archive);
    return line;
}

} // namespace qlk

#include "mainwindow/ArchiveCheck.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QRegularExpression>

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
        listing.entries << ArchiveEntry{names.at(i), line.at(0)};
    }
    listing.ok = true;
    return listing;
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

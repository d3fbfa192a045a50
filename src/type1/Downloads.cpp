#include "type1/Downloads.h"

#include "mainwindow/ArchiveCheck.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QFile>

namespace qlk {

namespace {
QString ctanOverride;
QString listsOverride;
} // namespace

QString ctanHost()
{
    return ctanOverride.isEmpty() ? QStringLiteral("https://ctan.org") : ctanOverride;
}

QString mailingListHost()
{
    return listsOverride.isEmpty() ? QStringLiteral("https://lists.berlios.de") : listsOverride;
}

void setDownloadHostsForTesting(const QString& ctan, const QString& mailingList)
{
    ctanOverride = ctan;
    listsOverride = mailingList;
}

QString inFolder(const QString& folder)
{
    return QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ");
}

QString curlCommand(const QString& folder, const QString& file, const QString& url)
{
    // -sS: no progress meter in the error report, but curl's own error line.
    // --max-filesize trusts the length the server announces; prlimit bounds
    // an answer that announces none.
    const QString limit = QString::number(kMaxUnpackedBytes);
    return inFolder(folder) + shellQuote(systemProgram(QStringLiteral("prlimit"))) + QStringLiteral(" --fsize=") +
           limit + QLatin1Char(' ') + shellQuote(systemProgram(QStringLiteral("curl"))) +
           QStringLiteral(" -sS -f -L --proto =https --proto-redir =https --max-filesize ") + limit +
           QStringLiteral(" -o ") + shellQuote(file) + QLatin1Char(' ') + shellQuote(url);
}

int copyTreeIntoTexmf(const QString& tree, int method)
{
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    if (method == 1) {
        const int status = runAsRoot(QStringLiteral("/usr/bin/sudo ") + cp + QStringLiteral(" -rpf ") +
                                     shellQuote(tree) + QStringLiteral("/* ") + shellQuote(texmfLocal));
        if (status != 0)
            return status;
        return runAsRoot(QStringLiteral("/usr/bin/sudo ") + shellQuote(texProgram(QStringLiteral("mktexlsr"))));
    }
    runShell(inFolder(tree) + shellQuote(systemProgram(QStringLiteral("mkdir"))) + QStringLiteral(" -p ") +
             shellQuote(texmfHome) + QStringLiteral(" && ") + cp + QStringLiteral(" -rpf ./* ") + shellQuote(texmfHome));
    return lastShell.errorCode;
}

ZipVerdict checkZip(const QString& archive, const QString& folder)
{
    ZipVerdict verdict;
    const ArchiveListing listing = listArchive(archive, ArchiveKind::Zip);
    verdict.readable = listing.ok;
    verdict.error = listing.error;
    if (!listing.ok) {
        // Say what came instead of a zip (a web page, say), not only unzip's status.
        const QString what = notAZipText(archive);
        verdict.error = (what.isEmpty() ? QStringLiteral("unzip cannot list it") : what) +
                        QStringLiteral(" (unzip: ") + listing.error + QLatin1Char(')');
    }
    if (listing.ok) {
        verdict.unsafe = unsafeEntries(listing.entries);
        verdict.duplicates = duplicateEntries(listing.entries);
        verdict.unpackedBytes = unpackedSize(listing.entries);
        verdict.space = spaceProblem(verdict.unpackedBytes, folder);
    }
    return verdict;
}

QString notAZipText(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be opened");
    const QByteArray head = f.read(512);
    if (head.isEmpty())
        return QStringLiteral("the answer was empty");
    if (head.startsWith("PK"))
        return QString();
    const QByteArray lower = head.trimmed().toLower();
    if (lower.startsWith("<!doctype html") || lower.startsWith("<html") || lower.contains("<html") ||
        lower.contains("<head") || lower.contains("<body"))
        return QStringLiteral("the answer was a web page (HTML), not a zip archive");
    // The first line, printable characters only, to show what came instead.
    QString shown;
    for (const char c : head) {
        if (c == '\n' || c == '\r' || shown.size() >= 40)
            break;
        shown += quint8(c) >= 0x20 && quint8(c) < 0x7f ? QLatin1Char(c) : QLatin1Char('?');
    }
    return QStringLiteral("the answer was not a zip archive; it begins \"") + shown + QLatin1Char('"');
}

QString zipVerdictMessage(const QString& shown, const ZipVerdict& verdict)
{
    if (!verdict.readable)
    {
        QString why = verdict.error;
        if (!why.isEmpty())
            why[0] = why.at(0).toUpper();
        return QStringLiteral("Zip file failure: ") + shown + QStringLiteral(" could not be read. ") + why + QLatin1Char('.');
    }
    if (!verdict.unsafe.isEmpty())
        return QStringLiteral("The archive ") + shown +
               QStringLiteral(" was not unpacked: these entries would land outside the TDS tree, or not as the "
                              "files they are listed as: ") +
               lf +
               verdict.unsafe.join(lf);
    if (!verdict.duplicates.isEmpty())
        return QStringLiteral("The archive ") + shown +
               QStringLiteral(" was not unpacked: it holds more than one entry for each of these files, and only "
                              "one copy could be kept: ") +
               lf + verdict.duplicates.join(lf);
    if (!verdict.space.isEmpty())
        return QStringLiteral("The archive ") + shown + QStringLiteral(" was not unpacked. ") + verdict.space;
    return QString();
}

} // namespace qlk

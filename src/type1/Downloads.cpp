#include "type1/Downloads.h"

#include "mainwindow/ArchiveCheck.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

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
    if (listing.ok) {
        verdict.unsafe = unsafeEntries(listing.entries);
        verdict.unpackedBytes = unpackedSize(listing.entries);
        verdict.space = spaceProblem(verdict.unpackedBytes, folder);
    }
    return verdict;
}

} // namespace qlk

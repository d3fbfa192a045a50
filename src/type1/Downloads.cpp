#include "type1/Downloads.h"

#include "mainwindow/ArchiveCheck.h"
#include "platform/Paths.h"
#include "platform/Quote.h"

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

QString curlCommand(const QString& folder, const QString& file, const QString& url)
{
    // -sS: no progress meter in the error report, but curl's own error line.
    return QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") +
           shellQuote(systemProgram(QStringLiteral("curl"))) + QStringLiteral(" -sS -f -L -o ") + shellQuote(file) +
           QLatin1Char(' ') + shellQuote(url);
}

ZipVerdict checkZip(const QString& archive)
{
    ZipVerdict verdict;
    const ArchiveListing listing = listArchive(archive, ArchiveKind::Zip);
    verdict.readable = listing.ok;
    verdict.error = listing.error;
    if (listing.ok)
        verdict.unsafe = unsafeEntries(listing.entries);
    return verdict;
}

} // namespace qlk

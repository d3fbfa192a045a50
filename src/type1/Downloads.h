#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Where the installers of bought fonts fetch their ready-made metrics, and
// the common steps of a download: fetch with curl, check what the archive
// holds before it is unpacked.

// The CTAN host (HTTPS); its "/tex-archive/" path serves the archive.
QString ctanHost();
// The host of the mailing-list archive that keeps one encoding archive.
QString mailingListHost();
// Points both hosts elsewhere (a local test server); empty texts restore
// the real ones.
void setDownloadHostsForTesting(const QString& ctan, const QString& mailingList);

// "cd <folder> && ", the start of a command line that runs in `folder`.
QString inFolder(const QString& folder);

// "cd <folder> && prlimit ... curl ... -o <file> <url>": certificates
// checked, an HTTP error is a failure (no error page saved as the archive),
// redirects to mirrors followed. HTTPS only, for the first request and
// every redirect. An answer beyond kMaxUnpackedBytes is refused: at once
// when the server gives its length, else by the file-size limit curl runs
// under. A failure may leave a partial file for the caller to remove.
QString curlCommand(const QString& folder, const QString& file, const QString& url);

// Copies what `tree` holds into TEXMFLOCAL as root, then rebuilds its file
// database, when `method` is 1; into TEXMFHOME, made first when missing,
// otherwise. 0 on success, else the exit status of the step that failed.
int copyTreeIntoTexmf(const QString& tree, int method);

// What a look into a downloaded zip found.
struct ZipVerdict {
    bool readable = false;  // unzip could list it
    QStringList unsafe;     // entries that would land outside its folder, with the reason
    QStringList duplicates; // names more than one entry unpacks to
    QString error;          // why it could not be listed: what the answer was, and unzip's status
    qint64 unpackedBytes = 0;
    QString space;          // why it does not fit (see spaceProblem), empty when it does
    bool ok() const { return readable && unsafe.isEmpty() && duplicates.isEmpty() && space.isEmpty(); }
};
// Lists `archive` and weighs it against `folder`, where it is to be
// unpacked: the same limit and free-space check as an archive dropped on
// the Install tab.
ZipVerdict checkZip(const QString& archive, const QString& folder);

// What a downloaded file that should be a zip archive is instead, for a
// message: "an empty answer", "a web page (HTML), not a zip archive", or
// "not a zip archive; it begins with \"...\"". Empty when it begins as a
// zip archive does.
QString notAZipText(const QString& file);

// The message and log line of a zip that was checked (checkZip) and found
// wanting; the empty text when `verdict` is ok. `shown` names the archive.
QString zipVerdictMessage(const QString& shown, const ZipVerdict& verdict);


} // namespace qlk

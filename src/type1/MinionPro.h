#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// "Install MinionPro": the user's MinionPro OpenType fonts become Type 1
// fonts with the ready-made metrics of CTAN's minionpro package, installed
// in TEXMFLOCAL ("method" 1) or TEXMFHOME and enabled with MinionPro.map.
// Talks through message boxes, one question and one folder chooser, and
// keeps its own log, logfile.txt, in its scratch folder in Documents.
void installMinionPro();

// The path of CTAN's minionpro package, below the CTAN host.
extern const char* const kMinionProPath;
// Where the encoding archive made for fonts with the glyph uni2113 lies,
// below the mailing-list host.
extern const char* const kMinionProAttachmentPath;

// Which metric archives a set of files asks for: 1 when a name holds
// "semibold", else 2 when one holds "Capt" (letter case ignored), else 0.
int minionMetricsLevel(const QStringList& fileNames);
// metrics-base.zip, then -full (level 1 and up), then -opticals (level 2).
QStringList minionMetricArchives(int level);

// The PostScript version from otfinfo -v's answer
// ("Version 2.015;PS 002.000;hotconv ..." gives "002.000"): the second word
// of the second ";"-separated field. Empty when the answer has no such word.
QString minionPsVersion(const QString& otfinfoVersion);

// The encoding archive and the URL it is fetched from.
struct MinionDownload {
    QString file;
    QString url;
};
// uni2113 in the italic wins over every version; "001.000" and "001.001"
// have archives of their own; any other version, an unreadable one
// included, gets enc-2.000.zip.
MinionDownload minionEncodingArchive(bool italicHasUni2113, const QString& psVersion);
// The CTAN URL of a metric archive.
QString minionCtanUrl(const QString& file);

// Where the folder chooser starts: the folder of the first hit of the name
// search for the regular font, leaving out copies in font folders and under
// /usr ("/fonts/", "/usr/", case ignored); `fallback` when none is left.
QString minionStartFolder(const QStringList& hits, const QString& fallback);

// Whether a file of the chosen folder is one to copy: its name begins with
// "MinionPro" and ends with ".otf", case ignored.
bool isMinionProFont(const QString& fileName);

} // namespace qlk

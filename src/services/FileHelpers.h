#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Lists that the helpers below fill and their callers read.
extern QStringList fileLines;      // the lines readLines read last
extern QStringList collectedNames; // file names found by collectFiles ("\" removed)
extern QStringList collectedItems; // their paths, in the same order
extern QStringList overwriteFiles; // target files a tree copy would overwrite

// Shows the item in the file manager; "Item not found: " and the path when
// it does not exist.
void revealInFinder(const QString& path);

// Reads a text file into fileLines: line ends (CR, LF, CR LF) made LF, split
// at LF, trailing blank lines dropped. A missing file or a folder gives no lines.
void readLines(const QString& path);

// The font name of a Type 1 font (.pfb or .pfa) from its "/FontName " line
// among the first 51 lines; the empty text when there is none, after the
// message "FontName not found in " and the file name when `warn` is set.
QString psFontName(const QString& path, bool warn);
// [font name, family name] from an AFM file's "FontName " and "FamilyName "
// lines among its first 51; missing ones are empty.
QStringList afmNames(const QString& path);
// The family name from the "/FamilyName " line of a Type 1 font's cleartext
// header (first 31 lines); leaves the header's lines in fileLines.
QString pfaFamilyName(const QString& path);

// Whether the folder or any folder below it holds a file with one of the
// TAB-separated extensions (no dot; letter case ignored).
bool hasFilesOfType(const QString& folder, const QString& exts);
// Appends every file below `folder` whose name does not begin with "." to
// collectedNames and collectedItems, depth first. Folders reached through
// symbolic links are not entered.
void collectFiles(const QString& folder);
// Dry run of copying the contents of `source` into `target`: false after a
// clash between a file and a folder of one name (with its message); appends
// target files that would be overwritten to overwriteFiles.
bool checkCopyTree(const QString& source, const QString& target);
// Whether the folder has a subfolder named "fonts" or "tex".
bool isTDSRoot(const QString& folder);
// Writes a fresh ls-R in `dir` headed "% ls-R - - Created by Quillmark".
// Nothing is written when the folder cannot be entered.
void makeLsR(const QString& dir);
// The text makeLsR would write, without writing anything; empty when the
// folder cannot be listed.
QString lsRListing(const QString& dir);

// A whole file as UTF-8 text; the empty text when it cannot be read.
QString readTextFile(const QString& path);
// A whole file as Latin-1 text: every byte kept (font and metric files).
QString readLatin1File(const QString& path);

// The bytes of a file as Latin-1 text, line ends made LF, split at LF.
// Font headers are bytes, not UTF-8.
QStringList readByteLines(const QString& path);

// The most a single font file may take when it is copied (256 MiB): the
// largest fonts are some tens of MB.
extern const qint64 kMaxFontFileBytes;
// Copies `source` to `target`; a file of that name goes first. Only a
// regular file is copied (a link to one is followed): a device such as
// /dev/zero, a FIFO or a folder is refused before anything is written, and
// so is a file larger than `maxBytes`; a file that grows beyond it while it
// is copied fails the copy. A failed copy is removed. The empty text on
// success, else why, for a message ("it is not a regular file (a device)").
QString copyRegularFile(const QString& source, const QString& target, qint64 maxBytes = kMaxFontFileBytes);

// Whether two texts are equal, or one begins with another, letter case ignored.
bool sameText(const QString& a, const QString& b);

} // namespace qlk

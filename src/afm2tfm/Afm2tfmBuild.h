#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace qlk {

class BerryNameInfo;

// The pieces of the "Add individual fonts" road that need no window: what
// a dropped folder holds, the command lines of the preparation and the
// installation, and the map and .fd texts. Every name and path reaches a
// command line through shellQuote.

// The encoding buttons, in their order.
enum Afm2tfmEncoding { EncDefault = 0, EncLY1 = 1, EncT1 = 2 };

// What an encoding choice means for the files made.
struct EncodingInfo {
    QString fdLetters;   // "u", "ly1", "t1": the .fd file's first letters
    QString family;      // "U", "LY1", "T1": the NFSS encoding
    QString description; // the end of the .fd file's description line
    QStringList afmSwitch; // the words afm2tfm gets for it
};
EncodingInfo encodingInfo(int encoding);

// The metric name of a font: the AFM base name for the default encoding;
// for LY1 and T1 a final "8a" becomes "8y"/"8t" (or the suffix is added).
QString metricName(const QString& base, int encoding);
// The raw font afm2tfm writes: with RAW ticked and the default encoding the
// base less its last two characters + "7z", otherwise the base itself.
QString rawFontName(const QString& base, int encoding, bool raw);
// Whether the RAW box counts: only the default encoding makes a raw font.
bool rawApplies(int encoding, bool raw);

// The design size a "DESIGNSIZE (pt)" cell asks for: "" for none (empty,
// "10" and "0"), "12." -> "12.0", "12" -> "12.0", "9.5" as it stands.
// False when the cell is not a positive number.
bool designSizeOf(const QString& cell, QString* designSize);

// The "Options" cell split at blanks, one word each.
QStringList optionWords(const QString& cell);

// One font's afm2tfm run inside the work folder.
QString afm2tfmCommand(const QString& workFolder, const QString& base, const QString& options, int encoding,
                       bool raw);
// The raw font's property list for a new design size: tftopl, the patch in
// between is the caller's, then pltotfCommand.
QString tftoplCommand(const QString& workFolder, const QString& raw);
QString pltotfCommand(const QString& workFolder, const QString& plName);
// Copies the compiled metric file into the TDS branch.
QString copyTfmCommand(const QString& workFolder, const QString& tfm, const QString& supplier,
                       const QString& family);

// The lines of a property list with its (DESIGNSIZE ...) line replaced;
// unchanged (false) when no line begins "(DESIGNSIZE".
bool patchDesignSize(QStringList& lines, const QString& designSize);

// A virtual property list made fit for pltotf: the groups only a virtual
// font has (VTITLE, MAPFONT and every character's MAP) are left out, and
// lines they leave empty go with them.
QString stripVirtualGroups(const QString& vpl);

// The skeleton of the work folder: the five TDS branches of supplier/family.
QString skeletonCommand(const QString& workFolder, const QString& supplier, const QString& family);
// What one dropped file becomes in the work folder: `copy` is where the
// file itself is copied, empty when it needs none (a .pfb/.pfa without its
// AFM, or whose PFB is installed already, or another kind of file); for a
// .pfa, `pfb` is the PFB t1binary makes of the copy in the TDS branch.
// `afmlist` and `instpfb` are the drop's lists, `fileName` the file's name.
struct DroppedCopy {
    QString copy;
    QString pfb;
};
DroppedCopy droppedCopy(const QString& workFolder, const QString& fileName, const QStringList& afmlist,
                        const QList<bool>& instpfb, const QString& supplier, const QString& family);
// t1binary's line that makes `pfb` of `pfa`.
QString t1binaryCommand(const QString& pfa, const QString& pfb);
// Copies the dropped file at `path` as `plan` says (copyRegularFile: a
// regular file of a font's size only), then converts a PFA. The empty text,
// or why it failed, the file named; a failed step leaves no file behind.
QString copyDroppedFile(const QString& path, const DroppedCopy& plan);

// The map line of one font: afm2tfm's output (font name, PostScript name,
// encoding) + " <" + base + ".pfb". With LY1 or T1 the line names the
// metric made from the virtual property list, which carries the AFM's
// ligatures and kerns; afm2tfm itself names its raw font, which has none.
QString packageMapLine(const QString& printed, const QString& base, int encoding);

// Where the copy of a dropped .pfb or .pfa lands in the work folder's
// TDS (a .pfa as the .pfb t1binary makes of it); empty for other files.
QString outlineCopyPath(const QString& workFolder, const QString& fileName, const QString& supplier,
                        const QString& family);

// The map file's name: the family with every blank removed + ".map".
QString familyMapName(const QString& familyText);
// The map file: a time-stamp line, then one line per font.
QString mapFileText(const QString& stamp, const QStringList& maplines);

// "m}{it" for a font: series from the weight letter ("r" and none give
// "m"), shape "it" when the variants hold "i", else "n".
QString weightShapePair(const BerryNameInfo& info);
// Whether a pair occurs twice (letter case ignored).
bool hasRepeatedPairs(const QStringList& pairs);

// The .fd file's name and text. `maplines` give the TFM names (their first
// words), `pairs` the series and shapes, both in font order.
QString fdFileName(int encoding, const QString& prefix);
QString fdFileText(const QString& stamp, int encoding, const QString& prefix, const QString& familyText,
                   const QStringList& pairs, const QStringList& maplines);

// The installation's command lines. `supplier` and `family` are the fields
// trimmed; they name the folders below each branch.
QString installFoldersCommand(const QString& workFolder, const QString& supplier, const QString& family);
QString installMovesCommand(const QString& workFolder, const QString& supplier, const QString& family);
// The copy of the work folder's TDS into `tree`: as root with `system`.
QString installCopyCommand(const QString& workFolder, const QString& tree, bool system);
QString mktexlsrRootCommand();

// The TFM name the first \DeclareFontShape of an .fd file loads directly
// (substitutions passed over); the empty text when none does or the file
// cannot be read.
QString parsefd(const QString& path);

// A TeX font whose line in the output map loads an outline font file.
struct OutlineUser {
    QString map;     // the map file updmap took the line from
    QString texFont; // the line's first field
};
// The fonts of `masterMap` (pdftex.map as updmap writes it: each map file's
// lines after a "% <name>.map" line) that load the outline `fileName` (case
// ignored), in the map's order; the lines of the maps named in `ownMaps`
// are left out.
QList<OutlineUser> outlineUsers(const QString& masterMap, const QString& fileName, const QStringList& ownMaps);
// The line of the outline question that tells who else loads an installed
// outline: one of `users` named (one of the outline's own family first),
// and how many map files there are in all; empty when there are none.
QString outlineUsersLine(const QList<OutlineUser>& users, const QString& fileName);

// What a dropped folder holds at its top: the .afm, .pfb and .pfa files (any
// letter case) in name order.
struct FontFolderContents {
    QStringList fontfilename; // file names
    QStringList fontfilepath; // their paths
    QStringList afmlist;      // base names of the AFM files
    QStringList pflist;       // base names of the PFB and PFA files
};
FontFolderContents fontFolderContents(const QString& folder);

// The AFM files among `afmBases` (base names in `folder`) whose FontName a
// map line and TeX cannot take (see isSafePostScriptName), each as
// "<base>.afm: <name>"; a missing FontName is left to the later checks.
QStringList unsafePostScriptNames(const QString& folder, const QStringList& afmBases);
// The distinct Berry prefixes (first three letters, case ignored) of the
// AFM names, each in the spelling it first had.
QStringList berryPrefixes(const QStringList& afmlist);

} // namespace qlk

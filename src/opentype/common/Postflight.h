#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The end of both installers' updmap step: other copies of the package's
// .sty file are reported, and the lines a user copies into a preamble are
// written to the run log.

// The encodings of a package's tfm files, each once (letter case ignored,
// the first spelling kept). otfinst names them "<enc>-<short>-<style>-...":
// the text before the first "-". autoinst names them
// "<Family>-<Style>-<figures>[-sc]-<enc>": the field that names an encoding.
QStringList tfmEncodings(const QStringList& tfmNames, bool autoinstNames);

// The encodings of a fontenc option list, in upper case (LaTeX knows no
// encoding "t1"), `textEncoding` last: fontenc makes its last entry the
// default, and a symbol encoding such as TS1 there turns the text into
// symbols. When the text encoding is not among them, the last of T1, LY1,
// OT1 that is present, else the first encoding other than TS1, goes last.
QStringList fontencOrder(const QStringList& encodings, const QString& textEncoding);

// The options a package's .sty declares (\DeclareOption, \DeclareOptionX,
// \define@key), in their order, those that \ExecuteOptions[X] sets marked
// " (default)".
QStringList styOptions(const QString& styText);

// The options of an otfinst package: oldstyle only where the family has
// oldstyle figures.
QStringList otfinstOptions(bool hasOldstyle);

// The encoding the window's Test sets the text in: the first ticked of
// "OT1", "T1+TS1" and "LY1"; OT1 when none is.
QString textEncodingOf(bool ot1, bool t1, bool ly1);

// What the usage block is made from.
struct UsageFacts {
    QStringList encodings;  // of the tfm files
    QString textEncoding;   // the one the text is set in
    QString shortname;
    QStringList options;    // the package's options; none: no options line
    QStringList missing;    // encodings LaTeX here lacks: left out of the fontenc line
    bool otfinstPackage = false; // takes rm, and nfssext-cfr's text styles apply
};

// The lines of the usage block, the last one telling how many lines above
// it to copy. The fontenc line names only encodings LaTeX can load: one
// whose <enc>enc.def is missing stops a document at \usepackage{fontenc}.
QStringList usageBlock(const UsageFacts& facts);

// Those of `encodings` whose <enc>enc.def kpsewhich does not find (Debian's
// TeX Live has no ly1enc.def), as given.
QStringList encodingsWithoutDef(const QStringList& encodings);
// What the user is told about them before fonts are made in them; empty
// when there are none.
QString missingEncodingsNotice(const QStringList& missing);
// Logs and shows that notice for the chosen encodings, when there is one.
void noteMissingEncodings(const QStringList& encodings);

// The folder of the package's tfm files in the tree "method" installs into:
// TEXMFHOME for 0, TEXMFLOCAL for 1 and 2.
QString postflightTfmFolder(int method, const QString& vendor, const QString& shortname);

// Logs the search for copies of <shortname>.sty in TEXMFLOCAL and TEXMFHOME
// (a message when there are two or more) and the usage block, with the
// encodings of the tfm files in `tfmFolder`, `textEncoding` last. `styFile`
// is the autoinst package's .sty, whose options the block names.
void postflight(const QString& shortname, const QString& tfmFolder, bool autoinstStyle, const QString& textEncoding,
                const QString& styFile = QString());

} // namespace qlk

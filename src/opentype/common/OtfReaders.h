#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qlk {

// What the OpenType installers read from otfinfo's answers.

// From "otfinfo --info": the family ("Family" or "Preferred family", the
// later line winning) and the vendor URL. A key the answer lacks leaves its
// `has` flag false.
struct OtfNames {
    QString family;
    QString vendorUrl;
    bool hasFamily = false;
    bool hasVendorUrl = false;
};
OtfNames readOtfNames(const QString& infoOutput);

// The style: the text after the last "subfamily:" of "otfinfo --info"
// (letter case ignored) up to the line end, trimmed; empty when none.
QString styleOfInfo(const QString& infoOutput);

// Whether a font of this style may be measured for the scale factor: its
// style names no bold, italic, black, light or extra weight.
bool isMeasurableStyle(const QString& style);

// The bytes of "od -An -v -tx1" output (hex pairs between blanks).
QByteArray bytesOfHexDump(const QString& dump);

// sxHeight of a raw OS/2 table (otfinfo -TOS/2), read at its offset 86 in
// tables of versions 2 to 5; `error` says why none could be read.
struct XHeightReading {
    int xHeight = 0;
    QString error;
};
XHeightReading sxHeightOfOs2(const QByteArray& table);

// What a font file's table directory tells: whether it could be read,
// whether its outlines are CFF (PostScript), and the version of its OS/2
// table (-1 when it has none).
struct SfntTables {
    bool read = false;
    bool cff = false;
    int os2Version = -1;
};
// Only a regular file is opened; anything else reads as not read.
SfntTables readSfntTables(const QString& path);

// The highest OS/2 table version that the pdfTeX of `versionLine` (the
// first line of "pdftex --version") embeds TrueType fonts with: 3 up to
// pdfTeX 1.40.24 (TeX Live 2022) and when the line says nothing, 5 after.
int pdftexOs2Limit(const QString& versionLine);

// The fonts among `names` in `folder` that pdfTeX cannot embed: TrueType
// outlines with an OS/2 table above `limit`, each as "name (OS/2 version N)".
QStringList fontsPdftexCannotEmbed(const QString& folder, const QStringList& names, int limit);

// The scale factor `reference` / `xHeight` with at most three decimals,
// trailing zeros dropped, no digit before the point below 1 (".923"); a
// whole number keeps ".0" ("1.0") so that it stays a decimal everywhere.
QString formatScale(double factor);

// The reference x-height of a scale request: 450 (Times Roman) for 2, 431
// (Computer Modern Roman) otherwise.
int referenceXHeight(int kind);

// The scale factor for a folder's fonts: the first font in `fontNames`
// whose style is measurable is measured with otfinfo. Shows a message and
// answers "1.0" when no font qualifies or its OS/2 table has no x-height.
QString Computesf(const QString& folder, const QStringList& fontNames, int kind);

} // namespace qlk

#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>

namespace qlk::mathalpha {

// A math alphabet has 52 glyphs: 0..25 are A..Z, 26..51 are a..z. The same
// numbering indexes the glyph grid, the adjustment arrays, the lines of the
// master folder's "metrics" and the pictures gl1.png .. gl52.png.
constexpr int kGlyphs = 52;
QChar glyphLetter(int k);
// The glyph of a letter; -1 for anything but A..Z and a..z.
int glyphOfLetter(QChar c);

// The four kinds of alphabet, in the order of the "Install as" buttons.
extern const char* const kSuffixes[4];   // "mcal", "mscr", "mbb", "mfrak"
QString suffix(int kind);                // kind outside 0..3 counts as 0
QString alphabetCommand(int kind);       // "cal", "scr", "bb", "frak"

// The adjustments of the grid, xx[k][c] for glyph k and column c = 0 left,
// 1 right, 2 subscript, 3 accent.
using Adjustments = std::array<std::array<int, 4>, kGlyphs>;

// The largest size a glyph metric, an adjustment or the spacing may have, in
// either direction: 10000bp in measuring pixels, far beyond any letter. The
// files holding them lie in the user's master folder; anything larger is
// refused rather than let overflow the sums below.
constexpr int kMetricLimit = 1000000;
inline bool saneMetric(double v) { return v >= -kMetricLimit && v <= kMetricLimit; }

// Adjustments become moves, widths, italic corrections and kerns of the new
// font: fix_words of its TFM and VF, which must stay below 16 design sizes
// either way. In thousandths of the design size that is 15999 at most; the
// glyph's own width or italic correction added to an adjustment is
// checked when vptovf makes the font.
constexpr int kAdjustmentLimit = 15999;
// Whether a value, rounded as a grid cell is read, lies within the limit.
bool adjustmentFits(double value);
// The message that refuses `value` for column `column` (1 left, 2 right,
// 3 subscript, 4 accent) of glyph k.
QString adjustmentRangeMessage(int k, int column, double value);

// The measured metrics of the new font's glyphs.
struct Metrics {
    std::array<int, kGlyphs> gw{};
    std::array<int, kGlyphs> leftside{};
    std::array<int, kGlyphs> subpos{};
    std::array<int, kGlyphs> ic{};
};

// A grid cell read as a number: the number the text begins with, rounded;
// one beyond the range of int gives the nearest end of it.
int cellNumber(const QString& text);
// A text read as a whole number: the number it begins with, fraction dropped.
int wholeNumber(const QString& text);

// --- names ---------------------------------------------------------------

// Checks a name that becomes a package or font name: empty, or a character
// outside letters, digits, "-", "_" and "=", gives the message to show; a
// good name the empty text. `what` is "sty" or "font".
QString checkName(const QString& name, const QString& what);
// The name with "-", "_" and "=" removed and digits spelt out (xy-2_cal
// gives xytwocal), for control-sequence names.
QString commandForm(const QString& styName);

// The parts of a .tfm path: .../<tree>/<vendor>/<family>/<file>.
struct TfmPath {
    QString file;    // ptmri8r.tfm
    QString base;    // ptmri8r
    QString family;  // times
    QString vendor;  // adobe
    QString tree;    // .../fonts/tfm
};
TfmPath splitTfmPath(const QString& ttfm);

// --- master folder files -------------------------------------------------

struct Settings {
    QString srctfmname;
    QString srctfmpath;
    QString newtfm;
    QString newsty;
    int kind = 0;
    QString spacing;
    int spacingmethod = 0;
    int spacingactive = 1;
};
// The eight lines of "settings", each ended by LF.
QString settingsText(const Settings& s);
// Reads the lines of "settings" by position. `spacing` comes back as the
// text to show: empty when the file's value is 0 or no number (the field
// keeps its text), else the whole number. `hasAdjustments` decides a missing
// spacingactive line. Returns false, with `error` set, for a file of fewer
// than six lines.
bool parseSettings(const QStringList& lines, bool hasAdjustments, Settings& out, QString* error);

// One cell that a line of "adjustments" sets.
struct AdjustmentCell {
    int row;
    int column;   // 1..4
    QString text; // as the file has it
};
// The cells that the lines of "adjustments" set. Malformed lines (no letter
// A..Z/a..z first, fewer than five fields) are skipped and counted.
QList<AdjustmentCell> parseAdjustments(const QStringList& lines, int* skipped = nullptr);
// "adjustments": one line "L:left:right:subscript:accent" per glyph with a
// value other than 0.
QString adjustmentsText(const Adjustments& xx);

// Reads lines 1..52 of "metrics"; false when there are fewer than 52 lines
// or a number is beyond kMetricLimit. A line with fewer than four numbers
// leaves the missing ones 0.
bool parseMetrics(const QStringList& lines, Metrics& out);
QString metricsLine(int gw, int leftside, int subpos, int ic);
QString metricsText(const Metrics& m);

// --- the build -----------------------------------------------------------

// The spacing methods: 0 Min VR, 1 Letterspace, 2 None. Returns false, with
// `xx` untouched, when the spacing, a metric or an adjustment is beyond
// kMetricLimit, or an adjustment would end beyond kAdjustmentLimit.
bool applySpacing(int method, int spacing, const Metrics& m, Adjustments& xx);

// What "adjustments.mtx" gets after the header: the \skewkern definition,
// the \shiftglyph lines, the \skewkern lines and \endmetrics.
QString adjustmentsMtxTail(const Adjustments& xx);
// The fontinst driver "u" + font + "-drv.tex".
QString driverText(const QString& font, const QString& sourceTfm, bool withAdjustments);
// The package file.
QString styText(const QString& sty, const QString& font, int kind, const QDate& date);
// Adds the scale hook to fontinst's .fd text. On a text without one
// \DeclareFontFamily, or with several, returns the empty text and sets
// `error` to the message (naming `fdName`).
QString patchFd(const QString& fdText, const QString& sty, const QString& fdName, QString* error);
// The .pl text with its CODINGSCHEME made TEX TEXT; unchanged without one.
QString rewriteCodingScheme(const QString& pl);

// --- other command lines and texts ---------------------------------------

// glyphtest.tex for the Test button.
QString glyphTestText(const QString& sty, int kind);
// latex, dvips and ps2pdf of glyphtest.tex in `folder`.
QString glyphTestCommand(const QString& folder);

} // namespace qlk::mathalpha

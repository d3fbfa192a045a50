#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <functional>
#include <optional>

namespace qlk::mt {

// The MathTime companion fonts: plain data and the text formats of a master
// folder and of the build, with no window and no shell.
//
// Glyph numbers 0-105 are the rows of the glyph grid: 0-25 italic A-Z,
// 26-51 italic a-z, 52 dotless i, 53 dotless j, 54-79 bold A-Z, 80-105 bold
// a-z. Glyphs 0-53 belong to the italic font, 54-105 to the bold one.
constexpr int kGlyphCount = 106;
constexpr int kFirstBold = 54;

// The label of a grid row ("A-Italic", "dotlessi", "a-BoldRoman").
QString glyphLabel(int glyph);
// The key of a row in the adjustments file, from its label: the first
// character of an italic letter, the first three of a bold one, the whole
// label of the dotless letters.
QString adjustmentKey(const QString& label);
// The fontinst glyph a row's metric lines adjust, from its label.
QString fontinstGlyph(const QString& label);
// The fontinst glyph of a glyph number (the same for italic and bold A).
QString glyphName(int glyph);
// The row an adjustments key selects; -1 when it selects none in 0-105.
int rowForKey(const QString& key);

// The numeric value of a text: the number it begins with, 0 when none.
double numericValue(const QString& text);
// Its integer part, truncated toward zero.
int wholeValue(const QString& text);
// Plain decimal without trailing zeros: 62, -5, 0, 12.5.
QString plainNumber(double value);

// Names that become file names, command words and fontinst list entries:
// letters, digits, "-", "_" and "." only, not empty.
bool isSafeFontName(const QString& name);
// A Berry family name: exactly three letters or digits.
bool isBerryName(const QString& name);

// ---- settings ---------------------------------------------------------

struct Settings {
    bool noV = false;
    bool noW = false;
    QString leftText = QStringLiteral("0");  // as written on line 3
    QString rightText = QStringLiteral("0");
    QString family;    // Berry name
    QString scale;     // scale factor text
    QString italic, roman, bold;             // TFM names
    QString italicPath, romanPath, boldPath; // their files
    bool numbersKept = false;
};

// The twelve lines a build writes, each ended by LF.
QString settingsText(const Settings& s);

// What reading a settings file restores. Absent lines leave their
// controls alone (hasX false); `complete` is false when the file had fewer
// than eleven lines or a malformed name=value line.
struct RestoredSettings {
    bool hasV = false, noV = false;
    bool hasW = false, noW = false;
    bool hasSpacing = false;
    int left = 0, right = 0;
    bool hasFamily = false;
    QString family;
    bool hasScale = false;
    QString scale;
    QString italic, roman, bold;
    QString italicPath, romanPath, boldPath;
    bool hasNumbers = false, numbersKept = false;
    bool complete = true;
};
RestoredSettings readSettings(const QStringList& lines);

// ---- adjustments ------------------------------------------------------

// One grid row: its label and the texts of the cells left, right,
// subscript and accent.
struct GridRow {
    QString label;
    std::array<QString, 4> cells;
};
// The 106 rows with their labels and empty cells.
QList<GridRow> emptyGrid();

// The cells that reading an adjustments file fills: (row, column 1-4, text).
struct AdjustmentCell {
    int row;
    int column;
    QString text;
};
struct ReadAdjustments {
    QList<AdjustmentCell> cells;
    int badLines = 0; // lines whose key selects no row, or without fields
};
ReadAdjustments readAdjustments(const QStringList& lines);

// The grid turned into the adjustments file and the fontinst lines.
struct AdjustmentLines {
    QString fileText;           // 106 lines key:left:right:subscript:accent
    QStringList italicShift;    // \shiftglyph lines of rows 0-53
    QStringList italicSkew;     // \skewkern lines of rows 0-53 with an accent
    QStringList boldShift;
    QStringList boldSkew;
};
AdjustmentLines adjustmentLines(const QList<GridRow>& grid, int leftSpacing, int rightSpacing);

// An adjustment metric file: the header text, the \skewkern definition for
// the italic ("hyphen") or bold ("space") font, the shift lines, an empty
// line, the skew lines and "\endmetrics".
QString adjustmentMetricFile(const QString& header, bool bold, const QStringList& shift,
                             const QStringList& skew);

// ---- metrics ----------------------------------------------------------

// Four values per glyph: width, left side, subscript position, italic
// correction.
struct GlyphMetrics {
    QVector<int> gw = QVector<int>(kGlyphCount, 0);
    QVector<int> leftside = QVector<int>(kGlyphCount, 0);
    QVector<int> sub = QVector<int>(kGlyphCount, 0);
    QVector<int> ic = QVector<int>(kGlyphCount, 0);
};
// Reads the first 106 lines of a metrics or mt2vitals.txt file. Missing
// lines or fields read as 0, and `complete` turns false.
GlyphMetrics readMetrics(const QStringList& lines, bool* complete = nullptr);
QString metricsText(const GlyphMetrics& m);

// The picture widths of the measuring run from the lines of lst.txt
// ("glt12.png: PNG image data, 613 x 665, ..."): width n-1 for picture n.
// Lines that name no picture from 1 to 212 are counted in `badLines`.
QVector<int> pictureWidths(const QStringList& lines, int* badLines = nullptr);
// gw and leftside of every glyph from the 212 widths: picture 2i+1 is the
// glyph, picture 2i+2 adds 300 and the left side; gw is scaled by 1.004.
void metricsFromWidths(const QVector<int>& widths, GlyphMetrics& m);
// Fills sub and ic from a property list of the italic or bold font.
// False when "(CHARACTER D 65 " is not there exactly once.
bool scanVpl(const QString& vpl, bool bold, GlyphMetrics& m);

// ---- build values -----------------------------------------------------

// The scale factor from its field: below 0.1 (or empty) means 1.0.
double scaleFactor(const QString& text);
// sf * xheight * 1000 / reference, to the nearest whole number.
int baseScale(double sf, int xheight, int reference);
// " scaled N" for a substitute whose N differs from 1000 by more than 5.
QString substituteScaleClause(double sf, int textXheight, int substituteXheight);
// Replaces "(CODINGSCHEME AUTOENC...)" by "(CODINGSCHEME TEX TEXT)";
// other texts come back unchanged.
QString fixAutoencCodingScheme(const QString& pl);
// Gives the property list of a MathTime font the coding scheme under which
// fontinst.rc declares the project's encoding, so fontinst names its slots.
QString withCodingScheme(const QString& pl, const QString& scheme);
extern const char* const kItalicScheme;
extern const char* const kBoldScheme;
// The fontinst.rc that declares the two schemes.
QString fontinstRc();

// One substitute font as the build uses it.
struct SubstituteFont {
    QString tfm;
    QString clause;   // encoding clause, with " scaled N" once scaled
    int type = 0;     // 0 italic glyphs, 1 bold glyphs
    QString unset;    // \unsetglyph items joined by blanks
    int xheight = 0;
};

struct DriverInputs {
    QString berry;
    std::array<QString, 3> textFonts; // italic, roman, bold
    std::array<QString, 3> clauses;   // their encoding clauses
    double sf = 1.0;
    int italicScale = 1000;
    int boldScale = 1000;
    bool noV = false, noW = false, numbersKept = false;
    bool needMetrics = false;
    QList<SubstituteFont> subs;
};
QString packageName(const QString& berry);  // "z" + berry + "mt"
QString driverFileName(const QString& berry); // "zmt2" + berry + "-drv.tex"
QString driverText(const DriverInputs& in);
// The unsetalf variant that keeps the math font's italic v, w or both.
QString unsetSuffix(bool noV, bool noW);

// The modified package: the lines of mtpro2.sty rewritten for the new
// fonts. No value, with `error` set, when the file lacks the lines the new
// fonts need (its \ProvidesPackage, the LMP1 or the U shape line).
std::optional<QString> packageText(const QStringList& styLines, const QString& package,
                                   bool boldOutline, int italicScale, QString* error);
// F of the wtmmb line: the scale / 1000 with up to three decimals.
QString scaleDecimal(int italicScale);

// ---- text family discovery --------------------------------------------

// The three .fd files of a family, slot 0 the "x" variant, 1 the plain
// file, 2 the "j" variant, from the paths a tree search found. T1 files
// first; LY1 only when no T1 file fills a slot, OT1 only when neither does.
std::array<QString, 3> fdSlots(const QStringList& paths, const QString& family);

struct ChosenFonts {
    std::array<QString, 3> names; // italic, roman, bold; empty when not found
    bool several = false;         // a declaration list held more than one name
};
// Reads the .fd files in the order x, plain, j with `fdFonts(path, series,
// shape)` until all three fonts are found.
ChosenFonts chooseFonts(const std::array<QString, 3>& fds,
                        const std::function<QStringList(const QString&, const QString&,
                                                        const QString&)>& fdFonts);

// ---- substitutes ------------------------------------------------------

// The contents of "subs" without the x-heights and clauses, which need the
// TeX trees.
struct SubsFile {
    QStringList names;
    QList<int> types;
    QStringList unset;
    QList<QPair<int, int>> glyphFont; // (glyph number, font index), file order
    int badEntries = 0;               // lines or glyph numbers that were skipped
};
SubsFile parseSubs(const QString& text);

// ---- imitation of mtpro2 spacing -------------------------------------

// The cells left, right and subscript of every glyph that give the measured
// glyph the reference glyph's spacing: dl, ds + di - dl - dg and ds - dl - dg
// of the differences reference - measured.
QList<std::array<QString, 3>> imitationCells(const GlyphMetrics& measured, const GlyphMetrics& reference);
// Whether a metrics set holds any measurement at all.
bool hasMeasurements(const GlyphMetrics& m);

// ---- substitution table ---------------------------------------------

// The file "subs" for the substitute names of the 106 rows (trimmed; empty
// means none): the names in order of first use, then one line per name
// with its index and its glyph numbers in ascending order.
QString subsText(const QStringList& rowNames);

} // namespace qlk::mt

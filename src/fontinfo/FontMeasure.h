#pragma once
#include <QString>

namespace qlk {

// Measures the x-height and cap height of a font file (".afm", ".pfb",
// ".pfa" or ".ttf", letter case ignored, as `ext`) at `path`: the file is
// copied into a scratch folder in Documents, a Type 1 or TrueType font is
// turned into an AFM with t1rawafm or ttf2afm, and the tops of the bounding
// boxes of x and B are read. Returns "x-height=<x>, Capheight=<cap>" (0 for a
// height not found), or the empty text when the copy or the conversion
// failed (the shell runner has reported it). The scratch folder is removed.
QString measureFont(const QString& ext, const QString& path);

// Reads the x-height (top of the bounding box of the glyph "x") and the cap
// height (of "B") from an AFM file; each height found is stored, the other
// argument keeps its value.
void afmHeights(const QString& afmPath, int& xHeight, int& capHeight);

// The number a text begins with (sign, digits, fraction), 0 when it begins
// with none.
double leadingNumber(const QString& text);

} // namespace qlk

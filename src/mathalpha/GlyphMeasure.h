#pragma once
#include "mathalpha/MathAlphabet.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace qlk::mathalpha {

// The measuring run sets every letter twice on pages of its own: alone
// (page 2k+1) and 6bp right of a thin rule (page 2k+2). dvipng crops each
// page to its ink at 7200 dpi, so a picture's width is the ink's width in
// hundredths of a big point.
constexpr int kMeasurePages = 2 * kGlyphs;
constexpr int kRuleOffset = 600; // 6bp in measuring pixels

// The measuring document glt.tex and the picture document gl.tex, for the
// package `sty` and the alphabet command "cal", "scr", "bb" or "frak".
QString measuringDocument(const QString& sty, const QString& alphabet);
QString pictureDocument(const QString& sty, const QString& alphabet);

// The page widths from the `file` listing of glt1.png .. glt104.png (lst.txt),
// indexed by page - 1. The listing comes in the shell's name order (glt1,
// glt10, glt100 ...), so the page comes from each file name. Returns false,
// with `error` set, unless every one of the 104 pages has a width from 0 to
// kMetricLimit.
bool parsePageWidths(const QStringList& lines, QVector<int>& widths, QString* error);

// The advance widths (CHARWD) and italic corrections (CHARIC, 0 when
// absent) of the letters in the new font's property list, in thousandths.
// Returns false, with `error` set, when "(CHARACTER D 65 " is missing or
// occurs twice, or a letter or its CHARWD is missing.
bool parseVplLetters(const QString& vpl, const QString& fontName, std::array<int, kGlyphs>& subpos,
                     std::array<int, kGlyphs>& ic, QString* error);

// gw, leftside from the page widths; subpos and ic come in `m` already.
// Letters whose ink begins 6bp or more left of their origin are listed in
// `protruding` (their values are kept as computed). Returns false, with `m`
// untouched and `error` set as parsePageWidths sets it, unless there are 104
// widths from 0 to kMetricLimit.
bool metricsFromWidths(const QVector<int>& widths, Metrics& m, QList<int>* protruding, QString* error);
QString protrusionMessage(int glyph);

// Command lines of the two runs. The MathTime build measures with the
// first as well.
QString measuringCommand(const QString& scratch, const QString& tmpFolder);
QString pictureCommand(const QString& scratch, const QString& imgsFolder);

// The picture of one glyph for the metric editor: tmp.tex (17 lines) and
// the command that turns it into tmp.png at 120 ppi.
QString glyphPictureDocument(const QString& sty, const QString& alphabet, int glyph);
QString glyphPictureCommand(const QString& scratch, const QString& appFolder);

} // namespace qlk::mathalpha

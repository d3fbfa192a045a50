#pragma once
#include <QString>

namespace qlk {

// Lookups over the font-name database (fontDB) and Exceptions.txt. Each
// takes one text, keeps nothing between calls, and answers the empty text
// (or false) when nothing is known.

// The supplier's short name for a supplier letter ("p" -> "adobe"). "5" is
// answered from the "useFontsite" preference: "fontsite" when it is 1 (its
// default), else "softmake".
QString supplierName(const QString& code);
// The typeface name for two typeface letters ("tm" -> "Times"), or, for a
// supplier letter followed by two typeface letters, the PostScript name of
// the first font file whose Berry name begins with them. Blanks around the
// code are ignored; any other length answers the empty text.
QString typefaceName(const QString& code);
// The names of a variant code ("i" -> "Italic Kursiv Ital").
QString variantNames(const QString& code);
// The Berry name of a font given by its vendor file name or its PostScript
// name ("tir_____" or "Times-Roman" -> "ptmr8a"). File names are tried
// first: one that equals the name, or begins or ends with it as a word.
QString berryNameFor(const QString& name);
// The names of a weight letter, TAB-separated ("r" -> "Regular\tRoman\tNormal").
QString weightNames(const QString& code);
// Whether the text begins with a digit 0-9.
bool isDigit(const QString& s);
// Whether Exceptions.txt beside the executable lists `name` (letter case
// ignored). Empty lines list nothing.
bool isException(const QString& name);

// Blanks removed from both ends (blanks only, not TABs or line ends).
QString trimBlanks(const QString& s);

} // namespace qlk

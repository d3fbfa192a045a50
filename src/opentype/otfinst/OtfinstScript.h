#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Everything "Prepare" writes into the otfinst scripts, as plain functions.

// The encodings of the ticked boxes, one script each: OT1; TS1 then T1; LY1.
QStringList otfinstEncodings(bool ot1, bool t1ts1, bool ly1);

// The fd/sty folder text below TEXMFHOME as every step reads it: trimmed,
// "/" put in front when missing, no trailing "/" ("tex/latex/abc/" ->
// "/tex/latex/abc").
QString packageFolderText(const QString& field);
// The same with one trailing "/", as the scripts' localfontsdir holds it.
QString localFontsDirText(const QString& field);

// The scale text written into the scripts: "1.0" for an empty field, "1",
// "1.0" or "1."; otherwise the text as typed (computed factors are filled
// in by the caller first).
QString scaleText(const QString& trimmedField);

// Why a typed text may not go into the Python source, or the empty text when
// all may: the Berry name must be three letters or digits, the vendor
// letters, digits, "-" or "_", the family, the fd/sty folder and the otftotfm path
// free of quotes, backslashes and control characters (the folder without
// ".." too), the scale a positive decimal.
QString checkScriptTexts(const QString& berry, const QString& vendor, const QString& family,
                         const QString& fdFolder, const QString& otftotfm,
                         const QString& scale);

// The parts of one script that are not the template's own pieces.
struct ScriptFields {
    QString encoding;       // "T1"
    QString otftotfm;       // the otftotfm program
    QString localFontsDir;  // ends in "/"
    QStringList fontlist;   // the Berry table, family names ...
    QStringList berrylist;  // ... and codes
    QString vendor;         // empty: no vendor line
    QString family;         // the one family of the scale table
    QString scale;          // its factor
};

// The whole script: pieces 0, 2, 4, 6 and 8 of the template unchanged, the
// markers, and the four sections made from `fields`.
QString buildOtfinstScript(const QStringList& pieces, const QStringList& markers, const ScriptFields& fields);

// The family names of a map file's lines: the text between the first and the
// second "-" of every line that holds two, each once, in order. The first
// line counts only up to its first "%".
QStringList mapFamilyNames(const QString& mapText);

} // namespace qlk

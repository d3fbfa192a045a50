#pragma once
#include <QString>

namespace qlk {

// "Get x-height": a font named by its TeX file name (found with kpsewhich)
// or by its full path, measured through measureFont or fontMetric.

struct XHeightName {
    QString folder;  // the folder part of a full path, empty for a bare name
    QString name;    // without folder and extension
    QString ext;     // "." and the extension, or empty
    QString error;   // the message when the name cannot be used
};
// Splits the typed text (already trimmed): a text beginning with "/" is a
// path, anything else a bare name; more than one period in the file name
// is refused.
XHeightName parseXHeightName(const QString& text);

// The first of name.afm, .tfm, .pfa, .pfb, .ttf that kpsewhich finds (the
// name is passed as data, never as an option or shell code); `ext` is set
// to the extension found. Empty when none is found.
QString locateFontFile(const QString& name, QString& ext);

// The result line for the typed text: "x-height=<x>, Capheight=<c>", or the
// empty text when nothing could be measured. Messages (two periods, nothing
// found) are shown here.
QString xHeightResult(const QString& text);

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The eight marker lines that cut otfinst.py into nine pieces, in the order
// they must stand in the file.
QStringList otfinstMarkers();

// The template cut at its markers. When a marker is missing from the text
// after the previous one, or stands there twice, `badMarker` names it and
// `pieces` holds what was cut before it.
struct TemplateCut {
    QStringList pieces;   // nine pieces when complete
    QString badMarker;    // empty when the cut succeeded
    bool ok() const { return badMarker.isEmpty(); }
};
TemplateCut cutTemplate(const QString& text, const QStringList& markers);

// Reads the table between the first "{" and the first "}" of a piece: entries
// separated by ",", key and value by ":", line feeds ignored. One character
// is dropped at each end of the key (its quotes), and of the value too when
// `quotedValues` is set. Entries without ":" are skipped. Appends to
// keys/values.
void readTemplateTable(const QString& piece, bool quotedValues, QStringList& keys, QStringList& values);

// The vendor word of a vendor URL: the host's name without a country code
// and a com/net/edu/org before it ("https://www.maker.com.au/x" -> "maker").
QString parseurl(const QString& url);

// The short lower-case name of a family: " Pro", then " Std" dropped from
// the end, blanks removed ("Libra Serif Pro" -> "libraserif").
QString shortform(const QString& family);

// Index of the first entry equal to `text`, letter case ignored; -1 if none.
int indexNoCase(const QStringList& list, const QString& text);

} // namespace qlk

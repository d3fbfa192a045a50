#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace qlk {

// One row of a DVI listing: the opcode, its short label and the text that
// belongs to it (characters set or put, a font definition's name and scale).
struct DviRow {
    int opcode = 0;
    QString label;
    QString text;
    bool operator==(const DviRow& o) const
    {
        return opcode == o.opcode && label == o.label && text == o.text;
    }
};

// What listing a DVI file gave: the rows read, and a message when the file
// could not be read to its end (the rows read up to there are kept).
struct DviListing {
    QList<DviRow> rows;
    QString error;
};

// Lists DVI bytes instruction by instruction. Every opcode from 128 up
// except nop gets a row; with `fontChangesOnly` only page boundaries, font
// selections and definitions, the preamble and the postamble do, and the
// characters in between run on into the last listed row. Nothing is
// validated: any bytes are listed by the same rules, and a file that ends
// inside an instruction stops the listing with a message.
DviListing listDvi(const QByteArray& data, bool fontChangesOnly);
// The same for a file; a file that cannot be read gives no rows and a message.
DviListing listDviFile(const QString& path, bool fontChangesOnly);

// A text made safe for one line of a saved listing: control characters are
// written in TeX's ^^ notation (LF as ^^J, CR as ^^M, TAB as ^^I, DEL as ^^?,
// codes 128-159 as ^^80 ... ^^9f).
QString escapeControls(const QString& text);

// The saved listing: per row the opcode, TAB, the label, TAB, the text
// (escaped), LF.
QString listingText(const QList<DviRow>& rows);

// The name of the saved listing beside `dviName`: a ".dvi" extension (any
// letter case) becomes ".sav", any other name gets ".sav" appended.
QString savedListingName(const QString& dviName);

// Writes the listing of `rows` to `target` (UTF-8). Refuses to write over
// `listedFile` itself. False with a reason in `error` when it could not.
bool writeListing(const QString& target, const QString& listedFile, const QList<DviRow>& rows,
                  QString* error);

} // namespace qlk

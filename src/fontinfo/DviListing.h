#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <iterator>
#include <vector>

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

// The rows of a listing, packed: a listing of a DVI file has a row for
// almost every instruction, so a row keeps only its opcode, the font number
// its label may show and where its text starts in one UTF-8 buffer shared by
// all rows. Labels and texts are made when a row is asked for.
class DviRows {
public:
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = DviRow;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = DviRow;

        const_iterator(const DviRows* rows, qsizetype i) : rows_(rows), i_(i) {}
        DviRow operator*() const { return rows_->at(i_); }
        const_iterator& operator++()
        {
            ++i_;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const DviRows* rows_;
        qsizetype i_;
    };

    qsizetype size() const { return qsizetype(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }
    DviRow at(qsizetype i) const { return DviRow{opcode(i), label(i), text(i)}; }
    int opcode(qsizetype i) const { return rows_[size_t(i)].opcode; }
    QString label(qsizetype i) const;
    QString text(qsizetype i) const;
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }
    operator QList<DviRow>() const;

    // Building, in the order read: a new row, the font number of the last
    // row, characters and text that run on into the last row (dropped while
    // there is no row yet).
    void reserve(qsizetype rows, qsizetype textBytes);
    // False when the texts have outgrown what a row can point into.
    bool append(int opcode);
    void setNumber(qint32 number);
    void appendChar(quint32 code);
    void appendLatin1(const QByteArray& text);

    // Appends the saved-listing lines of rows [from, to) to `out`, in UTF-8.
    void appendLines(QByteArray& out, qsizetype from, qsizetype to) const;

private:
    struct Row {
        quint32 textStart;
        qint32 number;
        quint8 opcode;
        bool hasNumber;
    };
    const char* textData(qsizetype i, qsizetype* length) const;

    std::vector<Row> rows_;
    QByteArray text_;
};

// What listing a DVI file gave: the rows read, and a message when the file
// could not be read to its end (the rows read up to there are kept).
struct DviListing {
    DviRows rows;
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
bool writeListing(const QString& target, const QString& listedFile, const DviRows& rows, QString* error);

} // namespace qlk

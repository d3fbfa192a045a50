#include "fontinfo/DviListing.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <functional>
#include <limits>

namespace qlk {

namespace {

// DVI opcodes (the format as TeX writes it; parameters are big-endian).
enum : int {
    kSet1 = 128,     // set1..set4: c[1..4]
    kSetRule = 132,  // a[4] b[4]
    kPut1 = 133,     // put1..put4: c[1..4]
    kPutRule = 137,  // a[4] b[4]
    kNop = 138,
    kBop = 139,      // c0..c9[4] p[4]
    kEop = 140,
    kPush = 141,
    kPop = 142,
    kRight1 = 143,   // right1..right4: b[1..4]
    kW0 = 147,       // w0, w1..w4: b[1..4]
    kX0 = 152,
    kDown1 = 157,    // down1..down4
    kY0 = 161,
    kZ0 = 166,
    kFntNum0 = 171,  // fnt_num_0..fnt_num_63
    kFnt1 = 235,     // fnt1..fnt4: k[1..4]
    kXxx1 = 239,     // xxx1..xxx4: k[1..4] x[k]
    kFntDef1 = 243,  // fnt_def1..4: k[1..4] c[4] s[4] d[4] a[1] l[1] n[a+l]
    kPre = 247,      // i[1] num[4] den[4] mag[4] k[1] x[k]
    kPost = 248,     // p[4] num[4] den[4] mag[4] l[4] u[4] s[2] t[2]
    kPostPost = 249,
};

// Reading past the end of the data.
struct CutShort {
    qint64 offset;
};

// A forward reader over the whole file held in memory; every read is
// checked against the end, so a damaged file can never be read past it.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& data) : data_(data) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    qint64 pos() const { return pos_; }

    quint32 u8()
    {
        if (pos_ >= data_.size())
            throw CutShort{pos_};
        return quint8(data_.at(pos_++));
    }
    // An unsigned number of n bytes, most significant first.
    quint32 number(int n)
    {
        need(n);
        quint32 v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | quint8(data_.at(pos_++));
        return v;
    }
    qint32 word() { return qint32(number(4)); }
    void skip(qint64 n)
    {
        need(n);
        pos_ += n;
    }

private:
    void need(qint64 n)
    {
        if (n < 0 || n > data_.size() - pos_)
            throw CutShort{data_.size()};
    }

    const QByteArray& data_;
    qint64 pos_ = 0;
};

// The UTF-8 form of a character code; codes that are no character (beyond
// Unicode, surrogates) show as U+FFFD.
void appendUtf8(QByteArray& out, quint32 code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// The label of an opcode as far as it does not depend on a parameter.
QByteArray fixedLabel(int op)
{
    if (op == kSetRule)
        return "set_rule";
    if (op == kPutRule)
        return "put_rule";
    if (op == kBop)
        return "bop";
    if (op == kEop)
        return "eop";
    if (op == kPush)
        return "push";
    if (op == kPop)
        return "pop";
    if (op >= kRight1 && op < kW0)
        return "mvrt";
    if (op >= kW0 && op < kX0)
        return "w" + QByteArray::number(op - kW0);
    if (op >= kX0 && op < kDown1)
        return "x" + QByteArray::number(op - kX0);
    if (op >= kDown1 && op < kY0)
        return "dn" + QByteArray::number(op - kDown1 + 1);
    if (op >= kY0 && op < kZ0)
        return "y" + QByteArray::number(op - kY0);
    if (op >= kZ0 && op < kFntNum0)
        return "z" + QByteArray::number(op - kZ0);
    if (op >= kFntNum0 && op < kFnt1)
        return "usefnt(" + QByteArray::number(op - kFntNum0) + ")";
    if (op >= kFnt1 && op < kXxx1)
        return "usefnt" + QByteArray::number(op - kFnt1 + 1);
    if (op >= kXxx1 && op < kFntDef1)
        return "xxx" + QByteArray::number(op - kXxx1 + 1);
    if (op >= kFntDef1 && op < kPre)
        return "fdef" + QByteArray::number(op - kFntDef1 + 1);
    if (op == kPre)
        return "pre";
    if (op == kPost)
        return "post";
    if (op == kPostPost)
        return "post_post";
    return QByteArray(); // characters, nop and the undefined 250-255
}

// The labels of all opcodes, made once.
const QByteArray& fixedLabelOf(int op)
{
    static const std::vector<QByteArray> labels = [] {
        std::vector<QByteArray> all;
        for (int op = 0; op < 256; ++op)
            all.push_back(fixedLabel(op));
        return all;
    }();
    return labels[size_t(op & 0xff)];
}

// A row's label: the fixed one, with the font number in parentheses where
// it was read.
QByteArray rowLabel(int op, bool hasNumber, qint32 number)
{
    if (!hasNumber)
        return fixedLabelOf(op);
    return fixedLabelOf(op) + '(' + QByteArray::number(number) + ')';
}

// Text for one line of a saved listing, from and to UTF-8: control
// characters in TeX's ^^ notation (see escapeControls); U+0080..U+009F are
// the bytes C2 80..C2 9F.
void appendEscaped(QByteArray& out, const char* p, qsizetype n)
{
    static const char hex[] = "0123456789abcdef";
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const quint8 b = quint8(p[i]);
        const bool c1 = b == 0xC2 && i + 1 < n && quint8(p[i + 1]) >= 0x80 && quint8(p[i + 1]) < 0xA0;
        if (b >= 32 && b != 127 && !c1)
            continue;
        out.append(p + run, i - run);
        out += "^^";
        if (b < 32) {
            out += char(b + 64);
        } else if (b == 127) {
            out += '?';
        } else {
            const quint8 u = quint8(p[++i]); // C2 xx is U+00xx
            out += hex[u >> 4];
            out += hex[u & 15];
        }
        run = i + 1;
    }
    out.append(p + run, n - run);
}

void appendLine(QByteArray& out, int opcode, const QByteArray& label, const char* text, qsizetype textLength)
{
    out += QByteArray::number(opcode);
    out += '\t';
    appendEscaped(out, label.constData(), label.size());
    out += '\t';
    appendEscaped(out, text, textLength);
    out += '\n';
}

bool listedWhenFontChangesOnly(int op)
{
    return op == kBop || op == kEop || (op >= kFntNum0 && op < kXxx1) ||
           (op >= kFntDef1 && op <= kPostPost);
}

// A 4-byte font number is signed; shorter ones are not.
qint64 fontNumber(quint32 raw, int width)
{
    return width == 4 ? qint64(qint32(raw)) : qint64(raw);
}

// 1000 * s / d, truncated toward zero, formed in 64 bits; 0 for d = 0.
qint64 scaleFigure(qint32 s, qint32 d)
{
    return d == 0 ? 0 : (qint64(1000) * s) / d;
}

} // namespace

DviListing listDvi(const QByteArray& data, bool fontChangesOnly)
{
    DviListing out;
    DviRows& rows = out.rows;
    // A text DVI has about one row in five bytes (a row in a few hundred
    // with font changes only) and about a byte of text per byte: reserved
    // at once, nothing is copied as it grows. More rows grow it as usual.
    rows.reserve(fontChangesOnly ? data.size() / 256 : data.size() / 4, data.size());
    ByteReader in(data);
    qint64 opStart = 0;
    int op = 0;

    try {
        while (!in.atEnd()) {
            opStart = in.pos();
            op = int(in.u8());
            if (op == kNop)
                continue;
            if (op < kSet1) {
                rows.appendChar(quint32(op));
                continue;
            }
            // The row goes in before the parameters are read, so that a row
            // cut short by the end of the file still says what it was.
            const bool row = !fontChangesOnly || listedWhenFontChangesOnly(op);
            if (row && !rows.append(op)) {
                out.error = QStringLiteral("The DVI file is too large to list: the listing stops at byte %1.")
                                .arg(opStart);
                return out;
            }

            if (op < kSetRule) { // set1..set4: the whole character code
                rows.appendChar(in.number(op - kSet1 + 1));
            } else if (op == kSetRule || op == kPutRule) {
                in.word();
                in.word();
            } else if (op < kPutRule) { // put1..put4
                rows.appendChar(in.number(op - kPut1 + 1));
            } else if (op == kBop) {
                in.skip(11 * 4);
            } else if (op == kEop || op == kPush || op == kPop) {
            } else if (op < kW0) {
                in.skip(op - kRight1 + 1);
            } else if (op < kX0) {
                in.skip(op - kW0);
            } else if (op < kDown1) {
                in.skip(op - kX0);
            } else if (op < kY0) {
                in.skip(op - kDown1 + 1);
            } else if (op < kZ0) {
                in.skip(op - kY0);
            } else if (op < kFntNum0) {
                in.skip(op - kZ0);
            } else if (op < kFnt1) {
            } else if (op < kXxx1) {
                const int n = op - kFnt1 + 1;
                const qint32 k = qint32(fontNumber(in.number(n), n));
                if (row)
                    rows.setNumber(k);
            } else if (op < kFntDef1) {
                const int n = op - kXxx1 + 1;
                in.skip(qint64(in.number(n))); // the special's bytes are not shown
            } else if (op < kPre) {
                const int n = op - kFntDef1 + 1;
                const qint32 k = qint32(fontNumber(in.number(n), n));
                if (row)
                    rows.setNumber(k);
                in.word(); // checksum
                const qint32 s = in.word();
                const qint32 d = in.word();
                const int a = int(in.u8());
                const int l = int(in.u8());
                in.skip(a); // the area
                for (int i = 0; i < l; ++i)
                    rows.appendChar(in.u8());
                rows.appendLatin1('*' + QByteArray::number(scaleFigure(s, d)));
            } else if (op == kPre) {
                in.u8();   // identification
                in.word(); // numerator
                in.word(); // denominator
                in.word(); // magnification
                const int k = int(in.u8());
                // The comment is text, not instructions.
                for (int i = 0; i < k; ++i)
                    rows.appendChar(in.u8());
            } else if (op == kPost) {
                in.skip(7 * 4);
            } else if (op == kPostPost) {
                break; // what follows is padding
            }
            // 250-255 are not defined by the format: a row, no parameters.
        }
    } catch (const CutShort& cut) {
        out.error = QStringLiteral("The DVI file ends early: the instruction %1 at byte %2 is cut short at "
                                   "byte %3. The listing shows what was read up to there.")
                        .arg(op)
                        .arg(opStart)
                        .arg(cut.offset);
    }
    return out;
}

DviListing listDviFile(const QString& path, bool fontChangesOnly)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        DviListing out;
        out.error = QStringLiteral("Cannot read the file ") + path + QStringLiteral(": ") + f.errorString();
        return out;
    }
    return listDvi(f.readAll(), fontChangesOnly);
}

void DviRows::reserve(qsizetype rows, qsizetype textBytes)
{
    rows_.reserve(size_t(rows));
    text_.reserve(textBytes);
}

bool DviRows::append(int opcode)
{
    // A row points into the texts with 32 bits.
    if (text_.size() > qsizetype(std::numeric_limits<quint32>::max()))
        return false;
    rows_.push_back(Row{quint32(text_.size()), 0, quint8(opcode), false});
    return true;
}

void DviRows::setNumber(qint32 number)
{
    rows_.back().number = number;
    rows_.back().hasNumber = true;
}

void DviRows::appendChar(quint32 code)
{
    // Text read before the first row belongs to none.
    if (!rows_.empty())
        appendUtf8(text_, code);
}

void DviRows::appendLatin1(const QByteArray& text)
{
    if (!rows_.empty())
        text_ += text;
}

const char* DviRows::textData(qsizetype i, qsizetype* length) const
{
    const qsizetype start = rows_[size_t(i)].textStart;
    const qsizetype end = size_t(i) + 1 < rows_.size() ? qsizetype(rows_[size_t(i) + 1].textStart) : text_.size();
    *length = end - start;
    return text_.constData() + start;
}

QString DviRows::label(qsizetype i) const
{
    const Row& r = rows_[size_t(i)];
    return QString::fromLatin1(rowLabel(r.opcode, r.hasNumber, r.number));
}

QString DviRows::text(qsizetype i) const
{
    qsizetype n = 0;
    const char* p = textData(i, &n);
    return QString::fromUtf8(p, n);
}

DviRows::operator QList<DviRow>() const
{
    QList<DviRow> out;
    out.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        out.append(at(i));
    return out;
}

void DviRows::appendLines(QByteArray& out, qsizetype from, qsizetype to) const
{
    for (qsizetype i = from; i < to; ++i) {
        const Row& r = rows_[size_t(i)];
        qsizetype n = 0;
        const char* p = textData(i, &n);
        appendLine(out, r.opcode, r.hasNumber ? rowLabel(r.opcode, true, r.number) : fixedLabelOf(r.opcode), p, n);
    }
}

QString escapeControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 32)
            out += QLatin1String("^^") + QChar(u + 64);
        else if (u == 127)
            out += QLatin1String("^^?");
        else if (u >= 128 && u < 160)
            out += QLatin1String("^^") + QString::number(u, 16);
        else
            out += c;
    }
    return out;
}

namespace {

void appendRowLines(QByteArray& out, const QList<DviRow>& rows, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        const DviRow& r = rows.at(i);
        const QByteArray text = r.text.toUtf8();
        appendLine(out, r.opcode, r.label.toUtf8(), text.constData(), text.size());
    }
}

// Writes `count` rows' lines, made by `lines(out, from, to)`, to `target`.
bool writeLines(const QString& target, const QString& listedFile, qsizetype count,
                const std::function<void(QByteArray&, qsizetype, qsizetype)>& lines, QString* error)
{
    const QFileInfo t(target);
    const QFileInfo l(listedFile);
    if (t.exists() && l.exists() && t.canonicalFilePath() == l.canonicalFilePath()) {
        if (error)
            *error = QStringLiteral("The listing would replace the file it lists: ") + target;
        return false;
    }
    // Written to a temporary file and renamed, so a failed save leaves an
    // earlier listing as it was.
    // Written in pieces: the whole listing never stands in memory twice.
    QSaveFile f(target);
    bool ok = f.open(QIODevice::WriteOnly);
    QByteArray chunk;
    for (qsizetype i = 0; ok && i < count; i += 4096) {
        chunk.resize(0); // keeps its room for the next piece
        lines(chunk, i, std::min(count, i + 4096));
        ok = f.write(chunk) >= 0;
    }
    if (!ok || !f.commit()) {
        if (error)
            *error = QStringLiteral("Could not write ") + target + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return true;
}

} // namespace

QString listingText(const QList<DviRow>& rows)
{
    QByteArray out;
    appendRowLines(out, rows, 0, rows.size());
    return QString::fromUtf8(out);
}

QString savedListingName(const QString& dviName)
{
    if (dviName.endsWith(QLatin1String(".dvi"), Qt::CaseInsensitive))
        return dviName.left(dviName.size() - 4) + QStringLiteral(".sav");
    return dviName + QStringLiteral(".sav");
}

bool writeListing(const QString& target, const QString& listedFile, const QList<DviRow>& rows,
                  QString* error)
{
    return writeLines(
        target, listedFile, rows.size(),
        [&](QByteArray& out, qsizetype from, qsizetype to) { appendRowLines(out, rows, from, to); }, error);
}

bool writeListing(const QString& target, const QString& listedFile, const DviRows& rows, QString* error)
{
    return writeLines(
        target, listedFile, rows.size(),
        [&](QByteArray& out, qsizetype from, qsizetype to) { rows.appendLines(out, from, to); }, error);
}

} // namespace qlk

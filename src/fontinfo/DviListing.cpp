#include "fontinfo/DviListing.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

// A character of the listing: the code point of the character code; codes
// that are no character (beyond Unicode, surrogates) show as U+FFFD.
QString charText(quint32 code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return QString(QChar(0xFFFD));
    const char32_t c = code;
    return QString::fromUcs4(&c, 1);
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
    QList<DviRow>& rows = out.rows;
    // A text DVI has about one row in five bytes (a row in a few hundred
    // with font changes only): reserved at once, the list is not copied as
    // it grows. More rows grow it as usual.
    rows.reserve(fontChangesOnly ? data.size() / 256 : data.size() / 4);
    ByteReader in(data);
    QString gathered;
    QString lastLabel[256];
    int current = -1;
    qint64 opStart = 0;
    int op = 0;

    auto flush = [&] {
        // An exact copy: the gathering buffer keeps its room for the next row.
        if (current >= 0 && !gathered.isEmpty())
            rows[current].text = QString(gathered.constData(), gathered.size());
        gathered.resize(0);
    };

    try {
        while (!in.atEnd()) {
            opStart = in.pos();
            op = int(in.u8());
            if (op == kNop)
                continue;
            if (op < kSet1) {
                gathered += charText(quint32(op));
                continue;
            }
            const bool row = !fontChangesOnly || listedWhenFontChangesOnly(op);
            if (row) {
                flush();
                rows.append(DviRow{op, QString(), QString()});
                current = int(rows.size()) - 1;
            }
            QString label;
            // Labels that do not depend on parameters go in first, so that a
            // row cut short by the end of the file still says what it was.
            // Rows of one opcode share its last label when it is the same
            // text: a listing repeats a few dozen labels over and over.
            auto setLabel = [&](const QString& text) {
                if (!row)
                    return;
                QString& last = lastLabel[op & 0xff];
                if (last != text)
                    last = text;
                rows[current].label = last;
            };

            if (op < kSetRule) { // set1..set4: the whole character code
                gathered += charText(in.number(op - kSet1 + 1));
            } else if (op == kSetRule || op == kPutRule) {
                setLabel(op == kSetRule ? QStringLiteral("set_rule") : QStringLiteral("put_rule"));
                in.word();
                in.word();
            } else if (op < kPutRule) { // put1..put4
                gathered += charText(in.number(op - kPut1 + 1));
            } else if (op == kBop) {
                setLabel(QStringLiteral("bop"));
                in.skip(11 * 4);
            } else if (op == kEop) {
                setLabel(QStringLiteral("eop"));
            } else if (op == kPush) {
                setLabel(QStringLiteral("push"));
            } else if (op == kPop) {
                setLabel(QStringLiteral("pop"));
            } else if (op < kW0) {
                setLabel(QStringLiteral("mvrt"));
                in.skip(op - kRight1 + 1);
            } else if (op < kX0) {
                setLabel(QStringLiteral("w%1").arg(op - kW0));
                in.skip(op - kW0);
            } else if (op < kDown1) {
                setLabel(QStringLiteral("x%1").arg(op - kX0));
                in.skip(op - kX0);
            } else if (op < kY0) {
                setLabel(QStringLiteral("dn%1").arg(op - kDown1 + 1));
                in.skip(op - kDown1 + 1);
            } else if (op < kZ0) {
                setLabel(QStringLiteral("y%1").arg(op - kY0));
                in.skip(op - kY0);
            } else if (op < kFntNum0) {
                setLabel(QStringLiteral("z%1").arg(op - kZ0));
                in.skip(op - kZ0);
            } else if (op < kFnt1) {
                setLabel(QStringLiteral("usefnt(%1)").arg(op - kFntNum0));
            } else if (op < kXxx1) {
                const int n = op - kFnt1 + 1;
                setLabel(QStringLiteral("usefnt%1").arg(n));
                const qint64 k = fontNumber(in.number(n), n);
                setLabel(QStringLiteral("usefnt%1(%2)").arg(n).arg(k));
            } else if (op < kFntDef1) {
                const int n = op - kXxx1 + 1;
                setLabel(QStringLiteral("xxx%1").arg(n));
                in.skip(qint64(in.number(n))); // the special's bytes are not shown
            } else if (op < kPre) {
                const int n = op - kFntDef1 + 1;
                setLabel(QStringLiteral("fdef%1").arg(n));
                const qint64 k = fontNumber(in.number(n), n);
                setLabel(QStringLiteral("fdef%1(%2)").arg(n).arg(k));
                in.word(); // checksum
                const qint32 s = in.word();
                const qint32 d = in.word();
                const int a = int(in.u8());
                const int l = int(in.u8());
                in.skip(a); // the area
                for (int i = 0; i < l; ++i)
                    gathered += charText(in.u8());
                gathered += QLatin1Char('*') + QString::number(scaleFigure(s, d));
            } else if (op == kPre) {
                setLabel(QStringLiteral("pre"));
                in.u8();   // identification
                in.word(); // numerator
                in.word(); // denominator
                in.word(); // magnification
                const int k = int(in.u8());
                // The comment is text, not instructions.
                for (int i = 0; i < k; ++i)
                    gathered += charText(in.u8());
            } else if (op == kPost) {
                setLabel(QStringLiteral("post"));
                in.skip(7 * 4);
            } else if (op == kPostPost) {
                setLabel(QStringLiteral("post_post"));
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
    // Text read after the last row still belongs to it.
    flush();
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

QString listingText(const QList<DviRow>& rows)
{
    QString out;
    for (const DviRow& r : rows)
        out += QString::number(r.opcode) + QLatin1Char('\t') + escapeControls(r.label) +
               QLatin1Char('\t') + escapeControls(r.text) + QLatin1Char('\n');
    return out;
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
    QString chunk;
    for (qsizetype i = 0; ok && i < rows.size(); i += 4096) {
        chunk = listingText(rows.mid(i, 4096));
        ok = f.write(chunk.toUtf8()) >= 0;
    }
    if (!ok || !f.commit()) {
        if (error)
            *error = QStringLiteral("Could not write ") + target + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return true;
}

} // namespace qlk

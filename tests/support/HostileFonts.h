#pragma once
#include <QByteArray>
#include <QList>

#include <functional>

namespace qlk::test {

// Damaged Type 1 fonts whose segment headers still fit: the encrypted
// segment changed, the headers written anew for what it then holds.

struct PfbSegment {
    int type; // 1 cleartext, 2 encrypted
    QByteArray body;
};

inline QList<PfbSegment> pfbSegments(const QByteArray& pfb)
{
    QList<PfbSegment> segments;
    int pos = 0;
    while (pos + 6 <= pfb.size() && quint8(pfb.at(pos)) == 0x80 && pfb.at(pos + 1) != 3) {
        const int length = quint8(pfb.at(pos + 2)) | quint8(pfb.at(pos + 3)) << 8 | quint8(pfb.at(pos + 4)) << 16 |
                           quint8(pfb.at(pos + 5)) << 24;
        segments << PfbSegment{pfb.at(pos + 1), pfb.mid(pos + 6, length)};
        pos += 6 + length;
    }
    return segments;
}

inline QByteArray pfbOf(const QList<PfbSegment>& segments)
{
    QByteArray out;
    for (const PfbSegment& s : segments) {
        const int n = s.body.size();
        out += char(0x80);
        out += char(s.type);
        out += char(n & 0xff);
        out += char(n >> 8 & 0xff);
        out += char(n >> 16 & 0xff);
        out += char(n >> 24 & 0xff);
        out += s.body;
    }
    return out + QByteArray("\x80\x03", 2);
}

// The font with its encrypted segment changed by `change`.
inline QByteArray withEncrypted(const QByteArray& pfb, const std::function<QByteArray(QByteArray)>& change)
{
    QList<PfbSegment> segments = pfbSegments(pfb);
    for (PfbSegment& s : segments) {
        if (s.type == 2)
            s.body = change(s.body);
    }
    return pfbOf(segments);
}

// `count` bytes from `from` on replaced by a fixed pseudo-random run.
inline QByteArray scrambled(QByteArray bytes, int from, int count)
{
    quint32 x = 2463534242u;
    for (int i = from; i < bytes.size() && i < from + count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x & 0xff);
    }
    return bytes;
}

// The encrypted segment cut in half, and scrambled from its 1000th byte.
inline QByteArray eexecCutInHalf(const QByteArray& pfb)
{
    return withEncrypted(pfb, [](QByteArray b) { return b.left(b.size() / 2); });
}
inline QByteArray eexecScrambled(const QByteArray& pfb)
{
    return withEncrypted(pfb, [](QByteArray b) { return scrambled(b, 1000, b.size()); });
}

} // namespace qlk::test

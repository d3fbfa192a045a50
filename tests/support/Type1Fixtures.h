#pragma once
#include <QByteArray>

namespace qlk::test {

// A PFB's segments without their headers: the font as a .pfa whose
// encrypted part stays binary, as some vendors ship it.
inline QByteArray pfbWithoutSegmentHeaders(const QByteArray& pfb)
{
    QByteArray out;
    int pos = 0;
    while (pos + 6 <= pfb.size() && quint8(pfb.at(pos)) == 0x80 && pfb.at(pos + 1) != 3) {
        const int length = quint8(pfb.at(pos + 2)) | quint8(pfb.at(pos + 3)) << 8 | quint8(pfb.at(pos + 4)) << 16 |
                           quint8(pfb.at(pos + 5)) << 24;
        out += pfb.mid(pos + 6, length);
        pos += 6 + length;
    }
    return out;
}

} // namespace qlk::test

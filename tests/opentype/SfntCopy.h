#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace qlk::test {

// Copies the font `src` to `dst` with the version of its OS/2 table set to
// `version` (checksums are left as they were: no reader here checks them).
inline bool copyWithOs2Version(const QString& src, const QString& dst, int version)
{
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray font = in.readAll();
    const auto u16 = [&](int off) { return (int(quint8(font.at(off))) << 8) | int(quint8(font.at(off + 1))); };
    const int tables = u16(4);
    for (int i = 0; i < tables; ++i) {
        const int record = 12 + 16 * i;
        if (font.mid(record, 4) != "OS/2")
            continue;
        const int offset = (u16(record + 8) << 16) | u16(record + 10);
        font[offset] = char(version >> 8);
        font[offset + 1] = char(version);
        QFile out(dst);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(font) == font.size();
    }
    return false;
}

} // namespace qlk::test

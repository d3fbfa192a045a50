#pragma once
#include "platform/Process.h"
#include "platform/Quote.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qlk::test {

// One entry of a hand-made zip: its name, what it holds ("text:..." or
// "zeros:<count>", deflated), and the uncompressed size its headers claim
// (-1: the true one; -2: 2^64 - 1, the most zip64 can claim). Claims of
// 4 GiB and more are written as zip64.
struct ZipEntrySpec {
    QString name;
    QString content;
    qint64 claimed = -1;
};

// Writes a zip whose headers say what `entries` claim, whatever the
// entries hold: sizes that lie, sizes that add up past 2^63, one name
// twice. python3 writes it (zipfile cannot lie); empty on success, else
// python's complaint.
inline QString writeHostileZip(const QString& zip, const QList<ZipEntrySpec>& entries)
{
    static const char* const script = R"PY(
import struct, sys, zlib
out = sys.argv[1]
args = sys.argv[2:]
local = b''
central = b''
count = 0
for i in range(0, len(args), 3):
    name = args[i].encode()
    kind, _, value = args[i + 1].partition(':')
    data = bytes(int(value)) if kind == 'zeros' else value.encode()
    claimed = int(args[i + 2])
    size = len(data) if claimed == -1 else (2 ** 64 - 1 if claimed == -2 else claimed)
    packer = zlib.compressobj(6, zlib.DEFLATED, -15)
    packed = packer.compress(data) + packer.flush()
    crc = zlib.crc32(data)
    big = size >= 0xFFFFFFFF
    extra = struct.pack('<HHQQ', 1, 16, size, len(packed)) if big else b''
    csize = 0xFFFFFFFF if big else len(packed)
    usize = 0xFFFFFFFF if big else size
    offset = len(local)
    local += struct.pack('<IHHHHHIIIHH', 0x04034b50, 45, 0, 8, 0, 0x21, crc, csize, usize, len(name), len(extra))
    local += name + extra + packed
    central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 0x031e, 45, 0, 8, 0, 0x21, crc, csize, usize,
                           len(name), len(extra), 0, 0, 0, 0o100644 << 16, offset) + name + extra
    count += 1
end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, count, count, len(central), len(local), 0)
open(out, 'wb').write(local + central + end)
)PY";
    QStringList args{QStringLiteral("python3"), QStringLiteral("-c"), QString::fromLatin1(script), zip};
    for (const ZipEntrySpec& e : entries)
        args << e.name << e.content << QString::number(e.claimed);
    const ProcessResult r = runBash(shellJoin(args), 60000);
    return r.exitCode == 0 ? QString() : r.errorOutput + r.output;
}

} // namespace qlk::test

#include "type1/OutlineCheck.h"

#include "platform/Paths.h"
#include "services/Runners.h"

#include <QFile>

namespace qlk {

namespace {
// Segment types of a PFB file.
constexpr int kAscii = 1;
constexpr int kBinary = 2;
constexpr int kEnd = 3;
} // namespace

QString pfbSegmentProblem(const QByteArray& data)
{
    const qint64 size = data.size();
    if (size < 2 || quint8(data.at(0)) != 0x80)
        return QStringLiteral("it is not a PFB font (no segment header at its start)");
    qint64 pos = 0;
    bool first = true;
    bool encrypted = false;
    bool trailer = false;
    for (;;) {
        if (pos + 2 > size)
            return QStringLiteral("it ends without the end-of-file marker");
        if (quint8(data.at(pos)) != 0x80)
            return QStringLiteral("there is no segment header at byte %1").arg(pos);
        const int type = quint8(data.at(pos + 1));
        if (type == kEnd)
            break;
        if (type != kAscii && type != kBinary)
            return QStringLiteral("the segment at byte %1 is of unknown type %2").arg(pos).arg(type);
        if (pos + 6 > size)
            return QStringLiteral("it ends inside the segment header at byte %1").arg(pos);
        const qint64 length = qint64(quint8(data.at(pos + 2))) | qint64(quint8(data.at(pos + 3))) << 8 |
                              qint64(quint8(data.at(pos + 4))) << 16 | qint64(quint8(data.at(pos + 5))) << 24;
        if (length > size - pos - 6)
            return QStringLiteral("the segment at byte %1 claims %2 bytes more than the file holds")
                .arg(pos)
                .arg(length - (size - pos - 6));
        const QByteArray body = data.mid(pos + 6, length);
        if (first && (type != kAscii || !body.startsWith("%!")))
            return QStringLiteral("it does not begin with a PostScript font header");
        if (type == kBinary) {
            encrypted = true;
            trailer = false;
        } else if (encrypted && body.contains("cleartomark")) {
            trailer = true;
        }
        first = false;
        pos += 6 + length;
    }
    if (!encrypted)
        return QStringLiteral("it has no encrypted part");
    if (!trailer)
        return QStringLiteral("its encrypted part is not followed by the cleartext trailer with \"cleartomark\" "
                              "(a .pfa file whose encrypted part is binary gives such a font)");
    return QString();
}

QString outlineFontProblem(const QString& pfbPath)
{
    QFile file(pfbPath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read: ") + file.errorString();
    const QString segments = pfbSegmentProblem(file.readAll());
    if (!segments.isEmpty())
        return segments;
    // A second reader that decrypts the font to its end.
    runDirectQuiet(texProgram(QStringLiteral("t1disasm")), {pfbPath, QStringLiteral("/dev/null")});
    if (lastShell.errorCode != 0) {
        const QString why = trimWhite(lastShell.errorOutput).section(QLatin1Char('\n'), 0, 0);
        return QStringLiteral("t1disasm cannot read it") + (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    }
    return QString();
}

QString damagedOutlineMessage(const QString& shown, const QString& problem)
{
    return QStringLiteral("The outline font ") + shown + QStringLiteral(" is damaged: ") + problem +
           QStringLiteral(".\nTeX could not use it, so the package cannot be installed.");
}

} // namespace qlk

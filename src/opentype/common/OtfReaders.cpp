#include "opentype/common/OtfReaders.h"

#include "fontinfo/OtfInfo.h"
#include "platform/Dialogs.h"
#include "services/Runners.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace qlk {

OtfNames readOtfNames(const QString& infoOutput)
{
    OtfNames names;
    for (const QString& line : infoOutput.split(QLatin1Char('\n'))) {
        const int colon = int(line.indexOf(QLatin1Char(':')));
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 1).trimmed();
        if (key.compare(QLatin1String("Family"), Qt::CaseInsensitive) == 0 ||
            key.compare(QLatin1String("Preferred family"), Qt::CaseInsensitive) == 0) {
            names.family = value;
            names.hasFamily = true;
        } else if (key.compare(QLatin1String("Vendor URL"), Qt::CaseInsensitive) == 0) {
            names.vendorUrl = value;
            names.hasVendorUrl = true;
        }
    }
    return names;
}

QString styleOfInfo(const QString& infoOutput)
{
    const int at = int(infoOutput.lastIndexOf(QLatin1String("subfamily:"), -1, Qt::CaseInsensitive));
    if (at < 0)
        return QString();
    const QString rest = infoOutput.mid(at + 10);
    return rest.section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool isMeasurableStyle(const QString& style)
{
    for (const char* word : {"bold", "ital", "black", "light", "extra"}) {
        if (style.contains(QLatin1String(word), Qt::CaseInsensitive))
            return false;
    }
    return true;
}

QByteArray bytesOfHexDump(const QString& dump)
{
    QByteArray bytes;
    for (const QString& pair : dump.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = pair.toInt(&ok, 16);
        if (ok && value >= 0 && value < 256)
            bytes.append(char(value));
    }
    return bytes;
}

XHeightReading sxHeightOfOs2(const QByteArray& table)
{
    XHeightReading r;
    // version (uint16) at 0; sxHeight (int16) at 86 from version 2 on.
    constexpr int kVersion = 0;
    constexpr int kSxHeight = 86;
    if (table.size() < 2) {
        r.error = QStringLiteral("The font has no OS/2 table.");
        return r;
    }
    const auto u16 = [&](int off) {
        return (int(quint8(table.at(off))) << 8) | int(quint8(table.at(off + 1)));
    };
    const int version = u16(kVersion);
    if (version < 2) {
        r.error = QStringLiteral("The font's OS/2 table (version %1) holds no x-height.").arg(version);
        return r;
    }
    if (table.size() < kSxHeight + 2) {
        r.error = QStringLiteral("The font's OS/2 table is cut short at position %1.").arg(table.size());
        return r;
    }
    const int x = int(qint16(u16(kSxHeight)));
    if (x <= 0) {
        r.error = QStringLiteral("The font's OS/2 table gives no x-height.");
        return r;
    }
    r.xHeight = x;
    return r;
}

SfntTables readSfntTables(const QString& path)
{
    SfntTables t;
    // Opening a FIFO would wait for a writer, and a device may never end.
    if (!QFileInfo(path).isFile())
        return t;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return t;
    const auto u16 = [](const QByteArray& b, int off) {
        return (int(quint8(b.at(off))) << 8) | int(quint8(b.at(off + 1)));
    };
    const auto u32 = [&](const QByteArray& b, int off) { return (quint32(u16(b, off)) << 16) | quint32(u16(b, off + 2)); };
    const QByteArray head = file.read(12);
    if (head.size() < 12 || head.startsWith("ttcf"))
        return t;
    const int tables = u16(head, 4);
    const QByteArray directory = file.read(qint64(tables) * 16);
    if (directory.size() < tables * 16)
        return t;
    t.read = true;
    for (int i = 0; i < tables; ++i) {
        const QByteArray tag = directory.mid(i * 16, 4);
        if (tag == "CFF " || tag == "CFF2")
            t.cff = true;
        if (tag == "OS/2" && file.seek(u32(directory, i * 16 + 8))) {
            const QByteArray version = file.read(2);
            if (version.size() == 2)
                t.os2Version = u16(version, 0);
        }
    }
    return t;
}

int pdftexOs2Limit(const QString& versionLine)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("pdfTeX \\S*?(\\d+)\\.(\\d+)\\.(\\d+)\\b")).match(versionLine);
    if (!m.hasMatch())
        return 3;
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    const int revision = m.captured(3).toInt();
    const bool newer = major > 1 || (major == 1 && (minor > 40 || (minor == 40 && revision > 24)));
    return newer ? 5 : 3;
}

QStringList fontsPdftexCannotEmbed(const QString& folder, const QStringList& names, int limit)
{
    QStringList refused;
    for (const QString& name : names) {
        const SfntTables t = readSfntTables(folder + QLatin1Char('/') + name);
        if (t.read && !t.cff && t.os2Version > limit)
            refused << name + QStringLiteral(" (OS/2 version ") + QString::number(t.os2Version) + QLatin1Char(')');
    }
    return refused;
}

QString formatScale(double factor)
{
    QString text = QString::number(std::round(factor * 1000.0) / 1000.0, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('0');
    if (text.startsWith(QLatin1String("0.")) && text != QLatin1String("0.0"))
        text.remove(0, 1);
    return text;
}

int referenceXHeight(int kind)
{
    return kind == 2 ? 450 : 431;
}

QString Computesf(const QString& folder, const QStringList& fontNames, int kind)
{
    const QString fallback = QStringLiteral("1.0");
    QString candidate;
    for (const QString& name : fontNames) {
        const QString style = styleOfInfo(runShell(otfinfoCommand(folder, QStringLiteral("--info"), name)));
        if (candidate.isEmpty() && isMeasurableStyle(style))
            candidate = name;
    }
    if (candidate.isEmpty()) {
        msgBox(QStringLiteral("No regular font was found to measure the x-height on; the scale factor stays 1.0."));
        return fallback;
    }
    // The table is binary: it is read as a hex dump so that no byte is lost
    // to text decoding or trimming.
    const QString dump = runShell(QStringLiteral("set -o pipefail; ") +
                                  otfinfoCommand(folder, QStringLiteral("-TOS/2"), candidate) +
                                  QStringLiteral(" | od -An -v -tx1"));
    const XHeightReading reading = sxHeightOfOs2(bytesOfHexDump(dump));
    if (!reading.error.isEmpty()) {
        msgBox(reading.error + QStringLiteral(" (") + candidate + QStringLiteral(") The scale factor stays 1.0."));
        return fallback;
    }
    return formatScale(double(referenceXHeight(kind)) / double(reading.xHeight));
}

} // namespace qlk

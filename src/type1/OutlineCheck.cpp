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

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isDelimiter(char c)
{
    return c == '/' || c == '[' || c == ']' || c == '{' || c == '}' || c == '(' || c == ')' || c == '<' ||
           c == '>' || c == '%';
}

// eexec decryption (Adobe Type 1 Font Format, 7.2). An encrypted part that
// starts with four hex digits is hex (as in a .pfa); whitespace between its
// digits is skipped and it ends at the first other character.
QByteArray eexecDecrypt(const QByteArray& encrypted)
{
    QByteArray cipher;
    const bool hex = encrypted.size() >= 4 && isHexDigit(encrypted.at(0)) && isHexDigit(encrypted.at(1)) &&
                     isHexDigit(encrypted.at(2)) && isHexDigit(encrypted.at(3));
    if (hex) {
        cipher.reserve(encrypted.size() / 2);
        int high = -1;
        for (const char c : encrypted) {
            if (isSpace(c))
                continue;
            if (!isHexDigit(c))
                break;
            if (high < 0) {
                high = hexValue(c);
            } else {
                cipher.append(char(high << 4 | hexValue(c)));
                high = -1;
            }
        }
    } else {
        cipher = encrypted;
    }
    QByteArray plain(cipher.size(), Qt::Uninitialized);
    quint16 r = 55665;
    for (int i = 0; i < cipher.size(); ++i) {
        const quint8 c = quint8(cipher.at(i));
        plain[i] = char(c ^ (r >> 8));
        r = quint16((c + r) * 52845u + 22719u);
    }
    return plain;
}

// The names the private dictionary defines as "read a binary string"
// (usually RD or -|): what comes before each binary charstring.
QList<QByteArray> binaryReaders(const QByteArray& plain)
{
    static const QByteArray body("{string currentfile exch readstring pop}");
    QList<QByteArray> names;
    for (int at = plain.indexOf(body); at >= 0; at = plain.indexOf(body, at + 1)) {
        int end = at;
        while (end > 0 && isSpace(plain.at(end - 1)))
            --end;
        int start = end;
        while (start > 0 && !isSpace(plain.at(start - 1)) && plain.at(start - 1) != '/')
            --start;
        if (start > 0 && plain.at(start - 1) == '/' && start < end)
            names << plain.mid(start, end - start);
    }
    if (names.isEmpty())
        names << QByteArray("RD") << QByteArray("-|");
    return names;
}
} // namespace

QString encryptedPartProblem(const QByteArray& encrypted)
{
    const QByteArray plain = eexecDecrypt(encrypted);
    const qint64 n = plain.size();
    if (n <= 4)
        return QStringLiteral("its encrypted part is empty");
    const QList<QByteArray> readers = binaryReaders(plain);
    bool privateDict = false;
    bool charStrings = false;
    int glyphs = 0;
    bool closed = false;
    qint64 number = -1; // the integer token just read, else -1
    // Past the four random bytes, the private dictionary is text but for the
    // binary strings, whose lengths come before them.
    qint64 i = 4;
    while (i < n) {
        const char c = plain.at(i);
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if ((quint8(c) < 0x20) || quint8(c) == 0x7f)
            return QStringLiteral("its encrypted part is garbled (unreadable bytes at byte %1 of it)").arg(i);
        qint64 end = i + 1;
        if (!isDelimiter(c) || c == '/') {
            while (end < n && !isSpace(plain.at(end)) && !isDelimiter(plain.at(end)) &&
                   quint8(plain.at(end)) >= 0x20)
                ++end;
        }
        const QByteArray token = plain.mid(i, end - i);
        i = end;
        if (number >= 0 && readers.contains(token)) {
            // One blank, then the string.
            if (number > n - i - 1)
                return QStringLiteral("its encrypted part is cut short (it ends inside a glyph outline)");
            i += 1 + number;
            if (charStrings)
                ++glyphs;
            number = -1;
            continue;
        }
        if (token == "/Private")
            privateDict = true;
        else if (token == "/CharStrings")
            charStrings = true;
        else if (token == "closefile")
            closed = true;
        if (closed)
            break;
        bool isNumber = false;
        const qint64 value = token.size() <= 9 ? token.toLongLong(&isNumber) : -1;
        number = isNumber && value >= 0 ? value : -1;
    }
    if (!closed)
        return QStringLiteral("its encrypted part is cut short (it ends before \"closefile\")");
    if (!privateDict)
        return QStringLiteral("its encrypted part holds no private dictionary");
    if (glyphs == 0)
        return QStringLiteral("its encrypted part holds no glyph outline");
    return QString();
}

QString pfbSegmentProblem(const QByteArray& data)
{
    const qint64 size = data.size();
    if (size < 2 || quint8(data.at(0)) != 0x80)
        return QStringLiteral("it is not a PFB font (no segment header at its start)");
    qint64 pos = 0;
    bool first = true;
    bool encrypted = false;
    bool trailer = false;
    QByteArray encryptedBytes;
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
            encryptedBytes += body;
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
    return encryptedPartProblem(encryptedBytes);
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

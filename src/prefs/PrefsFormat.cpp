#include "prefs/PrefsFormat.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

namespace qlk::prefsformat {

namespace {

// Dictionaries inside dictionaries are read recursively; a damaged file
// must not be able to exhaust the stack. No file we write nests at all.
constexpr int kMaxDepth = 256;

constexpr char kMagic[] = "BPrefs";
constexpr int kMagicSize = 6;
constexpr const char* kDateFormat = "yyyy-MM-dd HH:mm:ss";
constexpr int kDateSize = 19;

// Thrown inside the decoder only; the public functions turn it into a
// ReadError.
struct Damage {
    QString message;
    qint64 offset;
};

// Bytes read through bounds checks. `base` is the offset of the first byte
// in the whole file, so that damage is reported where it is.
class ByteView {
public:
    ByteView(const char* data, qint64 size, qint64 base) : data_(data), size_(size), base_(base) {}
    explicit ByteView(const QByteArray& bytes, qint64 base = 0)
        : ByteView(bytes.constData(), bytes.size(), base) {}

    qint64 size() const { return size_; }
    qint64 base() const { return base_; }

    quint8 u8(qint64 off) const
    {
        need(off, 1);
        return quint8(data_[off]);
    }
    quint16 u16(qint64 off) const
    {
        need(off, 2);
        return qFromBigEndian<quint16>(data_ + off);
    }
    qint32 i32(qint64 off) const
    {
        need(off, 4);
        return qFromBigEndian<qint32>(data_ + off);
    }
    quint64 u64(qint64 off) const
    {
        need(off, 8);
        return qFromBigEndian<quint64>(data_ + off);
    }
    QByteArray bytes(qint64 off, qint64 len) const
    {
        need(off, len);
        return QByteArray(data_ + off, len);
    }
    ByteView sub(qint64 off, qint64 len) const
    {
        need(off, len);
        return ByteView(data_ + off, len, base_ + off);
    }

private:
    void need(qint64 off, qint64 len) const
    {
        if (off < 0 || len < 0 || off > size_ || len > size_ - off)
            throw Damage{QStringLiteral("%1 bytes needed, %2 left").arg(len).arg(qMax<qint64>(0, size_ - off)),
                         base_ + off};
    }

    const char* data_;
    qint64 size_;
    qint64 base_;
};

void putU16(QByteArray& out, quint16 v)
{
    char b[2];
    qToBigEndian(v, b);
    out.append(b, 2);
}

void putI32(QByteArray& out, qint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

void setI32(QByteArray& out, qint64 at, qint32 v)
{
    qToBigEndian(v, out.data() + at);
}

QString textFromCode(qint32 code, const QByteArray& bytes)
{
    // Codes of the old Mac text encodings; anything else is taken as UTF-8,
    // the encoding every text is written in.
    const char* name = nullptr;
    switch (code) {
    case 0x0000: name = "macintosh"; break;
    case 0x0201: // ISO Latin 1
    case 0x0600: // ASCII
        return QString::fromLatin1(bytes);
    case 0x0500: name = "windows-1252"; break;
    default: return QString::fromUtf8(bytes);
    }
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QVariant decodeElement(const ByteView& v, int depth);

PrefsDict decodeDictionary(const ByteView& v, int depth)
{
    PrefsDict dict;
    if (v.size() <= 2)
        return dict;
    if (depth > kMaxDepth)
        throw Damage{QStringLiteral("dictionaries nested deeper than %1 levels").arg(kMaxDepth), v.base()};

    // The first key follows the table, so its offset gives the table's size.
    const qint32 first = v.i32(2);
    const qint64 count = (qint64(first) - 2) / 4;
    if (count <= 0)
        return dict;
    const qint64 tableEnd = 2 + 4 * count;
    if (tableEnd > v.size())
        throw Damage{QStringLiteral("offset table of %1 entries runs past the end of its dictionary").arg(count),
                     v.base() + 2};

    QList<qint64> offsets;
    offsets.reserve(count);
    for (qint64 j = 0; j < count; ++j)
        offsets << v.i32(2 + 4 * j);
    // Every element lies after the table, inside the dictionary, and holds
    // at least its tag; so the offsets rise by 2 or more.
    for (qint64 j = 0; j < count; ++j) {
        const qint64 start = offsets.at(j);
        if (start < tableEnd || start > v.size())
            throw Damage{QStringLiteral("element %1 starts at %2, outside its dictionary of %3 bytes")
                             .arg(j).arg(start).arg(v.size()),
                         v.base() + 2 + 4 * j};
        if (j > 0 && start < offsets.at(j - 1) + 2)
            throw Damage{QStringLiteral("element %1 starts at %2, before the end of the one in front")
                             .arg(j).arg(start),
                         v.base() + 2 + 4 * j};
    }
    if (v.size() < offsets.last() + 2)
        throw Damage{QStringLiteral("element %1 is too short to hold a tag").arg(count - 1),
                     v.base() + offsets.last()};

    QVariant key;
    for (qint64 j = 0; j < count; ++j) {
        const qint64 start = offsets.at(j);
        const qint64 end = j + 1 < count ? offsets.at(j + 1) : v.size();
        const QVariant element = decodeElement(v.sub(start, end - start), depth);
        if (j % 2 == 0)
            key = element;
        else
            dict.insert(key, element);
    }
    return dict;
}

QVariant decodeElement(const ByteView& v, int depth)
{
    switch (v.u16(0)) {
    case TagInt32:
        return QVariant(qint32(v.i32(2)));
    case TagDouble: {
        const quint64 bits = v.u64(2);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return QVariant(d);
    }
    case TagDate: {
        const QString text = QString::fromLatin1(v.bytes(2, kDateSize));
        const QDateTime dt = QDateTime::fromString(text, QLatin1String(kDateFormat));
        if (!dt.isValid())
            throw Damage{QStringLiteral("\"%1\" is not a date").arg(text), v.base() + 2};
        return QVariant(dt);
    }
    case TagText: {
        const qint32 code = v.i32(2);
        const QByteArray bytes = v.bytes(6, v.size() - 6);
        if (code == kNoEncoding)
            return QVariant::fromValue(PrefsRawText{bytes});
        return QVariant(textFromCode(code, bytes));
    }
    case TagBool:
        return QVariant(v.u8(2) != 0);
    case TagColour:
        return QVariant::fromValue(PrefsColour{v.u8(2), v.u8(3), v.u8(4)});
    case TagNull:
        return QVariant();
    case TagBytes:
        return QVariant(v.bytes(2, v.size() - 2));
    case TagDict:
        return QVariant::fromValue(decodeDictionary(v, depth + 1));
    case TagFileRef:
        if (v.size() > 2)
            return QVariant::fromValue(PrefsFileRef{v.bytes(2, v.size() - 2)});
        return QVariant();
    default:
        // Kept whole, tag included, so nothing is lost.
        return QVariant(v.bytes(0, v.size()));
    }
}

} // namespace

QString ReadError::text() const
{
    return QStringLiteral("%1 at offset %2").arg(message).arg(offset);
}

std::optional<QByteArray> encodevalue(const QVariant& value)
{
    QByteArray out;
    if (!value.isValid() || value.typeId() == QMetaType::Nullptr) {
        putU16(out, TagNull);
        return out;
    }
    const int type = value.typeId();
    if (type == QMetaType::Int) {
        putU16(out, TagInt32);
        putI32(out, value.toInt());
    } else if (type == QMetaType::Double) {
        putU16(out, TagDouble);
        const double d = value.toDouble();
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        char b[8];
        qToBigEndian(bits, b);
        out.append(b, 8);
    } else if (type == QMetaType::QDateTime) {
        const QByteArray text = value.toDateTime().toString(QLatin1String(kDateFormat)).toLatin1();
        if (text.size() != kDateSize)
            return std::nullopt;
        putU16(out, TagDate);
        out.append(text);
    } else if (type == QMetaType::QString) {
        putU16(out, TagText);
        putI32(out, kUtf8);
        out.append(value.toString().toUtf8());
    } else if (type == qMetaTypeId<PrefsRawText>()) {
        putU16(out, TagText);
        putI32(out, kNoEncoding);
        out.append(value.value<PrefsRawText>().bytes);
    } else if (type == QMetaType::Bool) {
        putU16(out, TagBool);
        out.append(char(value.toBool() ? 1 : 0));
    } else if (type == qMetaTypeId<PrefsColour>()) {
        const PrefsColour c = value.value<PrefsColour>();
        putU16(out, TagColour);
        out.append(char(c.red));
        out.append(char(c.green));
        out.append(char(c.blue));
    } else if (type == qMetaTypeId<PrefsDict>()) {
        return encodedict(value.value<PrefsDict>());
    } else if (type == QMetaType::QByteArray) {
        putU16(out, TagBytes);
        out.append(value.toByteArray());
    } else if (type == qMetaTypeId<PrefsFileRef>()) {
        putU16(out, TagFileRef);
        out.append(value.value<PrefsFileRef>().savedReference);
    } else {
        return std::nullopt;
    }
    return out;
}

bool canEncode(const QVariant& value)
{
    if (value.typeId() == qMetaTypeId<PrefsDict>()) {
        const PrefsDict dict = value.value<PrefsDict>();
        for (const PrefsDict::Entry& e : dict.entries()) {
            if (!canEncode(e.key) || !canEncode(e.value))
                return false;
        }
        return true;
    }
    return encodevalue(value).has_value();
}

QByteArray encodedict(const PrefsDict& dict)
{
    QList<QByteArray> elements;
    for (const PrefsDict::Entry& e : dict.entries()) {
        std::optional<QByteArray> key = encodevalue(e.key);
        std::optional<QByteArray> value = encodevalue(e.value);
        if (!key || !value)
            continue;
        elements << *key << *value;
    }
    const qint64 n = elements.size() / 2;
    QByteArray out;
    putU16(out, TagDict);
    out.append(QByteArray(8 * n, '\0'));
    qint64 pos = 2 + 8 * n;
    for (qint64 i = 0; i < elements.size(); ++i) {
        // Key offsets at 2 + 8i, value offsets at 6 + 8i.
        setI32(out, 2 + 4 * i, qint32(pos));
        pos += elements.at(i).size();
    }
    for (const QByteArray& e : elements)
        out.append(e);
    return out;
}

QByteArray encodeprefs(const std::optional<PrefsDict>& dict)
{
    if (!dict) {
        QByteArray out;
        putU16(out, TagNull);
        return out;
    }
    return encodedict(*dict);
}

ValueResult decodevalue(const QByteArray& element, qint64 base)
{
    if (element.isEmpty())
        return {QVariant(), {}};
    try {
        return {decodeElement(ByteView(element, base), 0), {}};
    } catch (const Damage& d) {
        return {std::nullopt, {d.message, d.offset}};
    }
}

DictResult decodedict(const QByteArray& element, qint64 base)
{
    try {
        return {decodeDictionary(ByteView(element, base), 1), {}};
    } catch (const Damage& d) {
        return {std::nullopt, {d.message, d.offset}};
    }
}

DictResult decodeprefs(const QByteArray& payload, qint64 base)
{
    const ByteView v(payload, base);
    const qint64 size = v.size();
    if (size < 2)
        return {std::nullopt, {QStringLiteral("no preferences in a payload of %1 bytes").arg(size), base}};
    if (size == 2 || size == 3) {
        if (v.u16(0) == TagDict || (size == 3 && v.u16(1) == TagDict))
            return {PrefsDict(), {}};
        return {std::nullopt, {QStringLiteral("no dictionary in the payload"), base}};
    }
    // A dictionary element starts with its tag and the top half of its
    // first offset, which is 0 in any file of sane size.
    for (qint64 p = 0; p + 4 <= size; ++p) {
        if (v.u16(p) == TagDict && v.u8(p + 2) == 0 && v.u8(p + 3) == 0) {
            try {
                return {decodeDictionary(v.sub(p, size - p), 1), {}};
            } catch (const Damage& d) {
                return {std::nullopt, {d.message, d.offset}};
            }
        }
    }
    return {std::nullopt, {QStringLiteral("no dictionary in the payload"), base}};
}

QByteArray builtinKey()
{
    static const QByteArray key = [] {
        const QByteArray text("QLKPrefs13");
        auto md5 = [](const QByteArray& b) { return QCryptographicHash::hash(b, QCryptographicHash::Md5); };
        const QByteArray all = md5(text) + md5(text.left(5)) + md5(text.mid(5)) + md5(text.mid(3, 4)) +
                               md5(text.left(1));
        return all.left(65);
    }();
    return key;
}

QByteArray scramble(QByteArray payload, const QByteArray& key)
{
    if (key.isEmpty())
        return payload;
    for (qint64 j = 0; j < payload.size(); ++j) {
        const quint8 k = quint8(key.at(j % key.size()));
        const quint8 b = quint8(payload.at(j));
        payload[j] = char(k % 2 ? quint8(b + k) : quint8(b - k));
    }
    return payload;
}

QByteArray unscramble(QByteArray payload, const QByteArray& key)
{
    if (key.isEmpty())
        return payload;
    for (qint64 j = 0; j < payload.size(); ++j) {
        const quint8 k = quint8(key.at(j % key.size()));
        const quint8 b = quint8(payload.at(j));
        payload[j] = char(k % 2 ? quint8(b - k) : quint8(b + k));
    }
    return payload;
}

QByteArray writePrefsFile(const PrefsDict& dict)
{
    QByteArray out(kMagic, kMagicSize);
    putU16(out, kVersion);
    out.append(char(kFlagPlain));
    out.append(encodeprefs(dict));
    return out;
}

DictResult readPrefsFile(const QByteArray& file)
{
    if (file.size() < kHeaderSize)
        return {std::nullopt,
                {QStringLiteral("file of %1 bytes is shorter than its header").arg(file.size()), 0}};
    const ByteView v(file);
    if (v.bytes(0, kMagicSize) != QByteArray(kMagic, kMagicSize))
        return {std::nullopt, {QStringLiteral("not a preferences file (no \"BPrefs\")"), 0}};
    const qint16 version = qint16(v.u16(6));
    if (version < qint16(kVersion))
        return {std::nullopt, {QStringLiteral("unknown version %1").arg(version), 6}};
    QByteArray payload = file.mid(kHeaderSize);
    if (v.u8(8) == kFlagScrambled)
        payload = unscramble(payload, builtinKey());
    return decodeprefs(payload, kHeaderSize);
}

} // namespace qlk::prefsformat

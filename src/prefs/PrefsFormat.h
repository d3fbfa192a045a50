#pragma once
#include "prefs/PrefsDict.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace qlk {

// The binary file "Quillmark Prefs", as pure functions over bytes.
//
//   offset 0  6 bytes  "BPrefs"
//   offset 6  2 bytes  version, big-endian; written 256, read as signed,
//                      256 and above accepted
//   offset 8  1 byte   flag: 0x80 = scrambled payload, anything else plain
//   offset 9  rest     payload: one dictionary element
//
// Every element is a 16-bit big-endian tag and a body; it carries no length
// of its own: a dictionary's offset table, or the end of the payload, says
// where it ends. Numbers are big-endian.
namespace prefsformat {

enum Tag : quint16 {
    TagInt32 = 2,      // 4 bytes
    TagDouble = 5,     // 8 bytes, IEEE 754 binary64
    TagDate = 7,       // 19 bytes "YYYY-MM-DD HH:MM:SS"
    TagText = 8,       // Int32 encoding code, then the bytes
    TagBool = 11,      // 1 byte
    TagColour = 16,    // 3 bytes
    TagNull = 51,      // nothing
    TagBytes = 71,     // the bytes
    TagDict = 91,      // offset table (two Int32 a entry), then the elements
    TagFileRef = 381,  // the saved reference, nothing for an absent one
};

// Encoding codes of texts.
constexpr qint32 kNoEncoding = -1;
constexpr qint32 kUtf8 = 0x08000100;

constexpr int kHeaderSize = 9;
constexpr quint16 kVersion = 256;
constexpr quint8 kFlagPlain = 0;
constexpr quint8 kFlagScrambled = 0x80;

// Why something could not be read, and where (a file offset when reading a
// file, else an offset in the bytes given).
struct ReadError {
    QString message;
    qint64 offset = 0;
    QString text() const;
};

struct DictResult {
    std::optional<PrefsDict> dict; // none: refused or damaged
    ReadError error;               // set when there is no dict
};

struct ValueResult {
    std::optional<QVariant> value;
    ReadError error;
};

// One element for `value`; none for a type the file cannot hold (64-bit
// and unsigned integers, single-precision numbers, lists ...).
std::optional<QByteArray> encodevalue(const QVariant& value);
// Whether encodevalue gives an element for `value` (nested ones included).
bool canEncode(const QVariant& value);
// One tag-91 element; entries whose key or value cannot be encoded are left
// out, so that the rest stays readable.
QByteArray encodedict(const PrefsDict& dict);
// The payload: the dictionary's element, or the null element for none.
QByteArray encodeprefs(const std::optional<PrefsDict>& dict);

// The value of one element. Unknown tags give the element itself as a byte
// block. `base` is added to the offsets in error reports.
ValueResult decodevalue(const QByteArray& element, qint64 base = 0);
// A dictionary from one tag-91 element.
DictResult decodedict(const QByteArray& element, qint64 base = 0);
// The first dictionary element in a payload, decoded.
DictResult decodeprefs(const QByteArray& payload, qint64 base = 0);

// The key stream of scrambled payloads: 65 bytes made from a fixed text
// through MD5 digests.
QByteArray builtinKey();
// Odd key bytes are added, even ones subtracted (modulo 256), byte by byte.
QByteArray scramble(QByteArray payload, const QByteArray& key);
// The exact reverse of scramble.
QByteArray unscramble(QByteArray payload, const QByteArray& key);

// A whole file: header with flag 0 (never scrambled) and the payload.
QByteArray writePrefsFile(const PrefsDict& dict);
// Reads a whole file: header test, unscrambling for flag 0x80, then the
// dictionary. Never throws; damage is reported with its file offset.
DictResult readPrefsFile(const QByteArray& file);

} // namespace prefsformat
} // namespace qlk

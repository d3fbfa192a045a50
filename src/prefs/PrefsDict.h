#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace qlk {

// Value types of the preferences file that have no Qt type of their own.
// 32-bit integers, doubles, texts, Booleans, dates (QDateTime), byte blocks
// (QByteArray) and absent values (an invalid QVariant) use Qt's types.

// A text stored without an encoding: its bytes as they were.
struct PrefsRawText {
    QByteArray bytes;
    friend bool operator==(const PrefsRawText& a, const PrefsRawText& b) { return a.bytes == b.bytes; }
    friend bool operator!=(const PrefsRawText& a, const PrefsRawText& b) { return !(a == b); }
};

// A colour: 24 bits, stored red, green, blue.
struct PrefsColour {
    quint8 red = 0, green = 0, blue = 0;
    friend bool operator==(const PrefsColour& a, const PrefsColour& b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
    friend bool operator!=(const PrefsColour& a, const PrefsColour& b) { return !(a == b); }
};

// A file reference: the text that locates the file (its path, UTF-8).
struct PrefsFileRef {
    QByteArray savedReference;
    friend bool operator==(const PrefsFileRef& a, const PrefsFileRef& b)
    {
        return a.savedReference == b.savedReference;
    }
    friend bool operator!=(const PrefsFileRef& a, const PrefsFileRef& b) { return !(a == b); }
};

// A key-value dictionary whose text keys compare without regard to letter
// case ("Ignoreupdmap" and "ignoreupdmap" are one entry). Keys of other
// types compare by value and type. Entries keep the order in which they were
// first stored; storing under an existing key replaces the value and keeps
// the key as first spelt.
class PrefsDict {
public:
    struct Entry {
        QVariant key;
        QVariant value;
    };

    int size() const { return int(entries_.size()); }
    bool isEmpty() const { return entries_.isEmpty(); }
    bool contains(const QVariant& key) const { return index_.contains(token(key)); }
    // The value under `key`; an invalid QVariant when there is none.
    QVariant value(const QVariant& key) const;
    void insert(const QVariant& key, const QVariant& value);
    const QList<Entry>& entries() const { return entries_; }

    // Same keys (as the dictionary compares them) with equal values,
    // whatever the order.
    friend bool operator==(const PrefsDict& a, const PrefsDict& b);
    friend bool operator!=(const PrefsDict& a, const PrefsDict& b) { return !(a == b); }

private:
    static QString token(const QVariant& key);

    QList<Entry> entries_;
    QHash<QString, int> index_; // token(key) -> position in entries_
};

} // namespace qlk

Q_DECLARE_METATYPE(qlk::PrefsRawText)
Q_DECLARE_METATYPE(qlk::PrefsColour)
Q_DECLARE_METATYPE(qlk::PrefsFileRef)
Q_DECLARE_METATYPE(qlk::PrefsDict)

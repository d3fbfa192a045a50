#include "prefs/PrefsDict.h"

#include "prefs/PrefsFormat.h"

namespace qlk {

QString PrefsDict::token(const QVariant& key)
{
    if (key.typeId() == QMetaType::QString)
        return QStringLiteral("s:") + key.toString().toCaseFolded();
    // Other keys are equal when they encode alike (type and value).
    if (const std::optional<QByteArray> element = prefsformat::encodevalue(key))
        return QStringLiteral("e:") + QString::fromLatin1(element->toHex());
    return QStringLiteral("t:%1:%2").arg(QString::fromLatin1(key.typeName()), key.toString());
}

QVariant PrefsDict::value(const QVariant& key) const
{
    const auto it = index_.constFind(token(key));
    return it == index_.constEnd() ? QVariant() : entries_.at(*it).value;
}

void PrefsDict::insert(const QVariant& key, const QVariant& value)
{
    const QString t = token(key);
    const auto it = index_.constFind(t);
    if (it != index_.constEnd()) {
        entries_[*it].value = value;
        return;
    }
    index_.insert(t, int(entries_.size()));
    entries_.append({key, value});
}

bool operator==(const PrefsDict& a, const PrefsDict& b)
{
    if (a.size() != b.size())
        return false;
    for (const PrefsDict::Entry& e : a.entries_) {
        const auto it = b.index_.constFind(PrefsDict::token(e.key));
        if (it == b.index_.constEnd())
            return false;
        const QVariant& other = b.entries_.at(*it).value;
        if (e.value.isValid() != other.isValid() || (e.value.isValid() && e.value != other))
            return false;
    }
    return true;
}

} // namespace qlk

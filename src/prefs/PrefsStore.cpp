#include "prefs/PrefsStore.h"

#include "platform/Paths.h"

#include <QMap>

#include <optional>

namespace qlk {

// Minimal in-memory store; the file format comes with the preferences work.
namespace {
std::optional<QMap<QString, QPair<QString, QVariant>>> dict;

QMap<QString, QPair<QString, QVariant>>& prefsDict()
{
    if (!dict)
        dict.emplace();
    return *dict;
}
} // namespace

QVariant getpref(const QString& key)
{
    auto& d = prefsDict();
    auto it = d.constFind(key.toLower());
    return it == d.constEnd() ? QVariant() : it->second;
}

void setpref(const QString& key, const QVariant& value)
{
    prefsDict()[key.toLower()] = qMakePair(key, value);
}

bool haspref(const QString& key)
{
    return prefsDict().contains(key.toLower());
}

void saveprefs()
{
    setpref(QStringLiteral("app_vers"), appversion());
}

int prefInt(const QString& key)
{
    const QVariant v = getpref(key);
    return v.isValid() ? v.toInt() : 0;
}

QString prefText(const QString& key)
{
    const QVariant v = getpref(key);
    return v.isValid() ? v.toString() : QString();
}

QString prefsfile()
{
    return configFolder() + QStringLiteral("/Quillmark Prefs");
}

qint32 appversion()
{
    const qint32 major = QLK_VERSION_MAJOR, minor = QLK_VERSION_MINOR, bug = QLK_VERSION_BUG;
    const qint32 stage = 3, nonRelease = 0; // 3: final release
    return ((((major * 64 + minor) * 64 + bug) * 2 + 1) * 4 + stage) * 256 + nonRelease;
}

void resetPrefsForTesting()
{
    dict.reset();
}

} // namespace qlk

#include "prefs/PrefsStore.h"

#include "platform/Paths.h"
#include "prefs/PrefsFormat.h"
#include "services/RunLog.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

namespace qlk {

namespace {

// The version parts beyond major.minor.bug: stage 3 is a final release,
// with no non-release number.
constexpr int kStage = 3;
constexpr int kNonRelease = 0;

std::optional<PrefsDict> prefsDict;

// The run log may not be open yet (the preferences are read before the
// start-up scan opens it), so the note is appended to the log in the home
// folder directly then, leaving the log's own state as it was.
void noteInRunLog(const QString& text)
{
    const QString pending = logMessage;
    if (logStream) {
        logLine(text);
    } else {
        const QString pointedAt = logFile;
        openLog(homeFolder());
        logLine(text);
        closeLog();
        logFile = pointedAt;
    }
    logMessage = pending;
}

// The first free name beside `path` for a file we could not read.
QString damagedName(const QString& path)
{
    QString name = path + QStringLiteral(".damaged");
    for (int i = 2; QFile::exists(name); ++i)
        name = path + QStringLiteral(".damaged-%1").arg(i);
    return name;
}

void loadprefs()
{
    prefsDict.emplace();
    const QString path = prefsfile();
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        noteInRunLog(QStringLiteral("Could not open the preferences file %1 (%2); starting with empty preferences")
                         .arg(path, file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    prefsformat::DictResult read = prefsformat::readPrefsFile(bytes);
    if (read.dict) {
        prefsDict = std::move(*read.dict);
        return;
    }
    // Keep the unreadable file for the user; the next save writes a new one.
    const QString aside = damagedName(path);
    const bool kept = QFile::rename(path, aside);
    noteInRunLog(QStringLiteral("The preferences file %1 could not be read: %2. %3; starting with empty preferences")
                     .arg(path, read.error.text(),
                          kept ? QStringLiteral("It was kept as %1").arg(aside)
                               : QStringLiteral("It could not be moved aside")));
}

PrefsDict& dict()
{
    if (!prefsDict)
        loadprefs();
    return *prefsDict;
}

} // namespace

QVariant getpref(const QString& key)
{
    return dict().value(key);
}

void setpref(const QString& key, const QVariant& value)
{
    dict().insert(key, value);
}

bool haspref(const QString& key)
{
    return dict().contains(key);
}

bool saveprefs()
{
    PrefsDict& d = dict();
    d.insert(QStringLiteral("app_vers"), appversion());
    for (const PrefsDict::Entry& e : d.entries()) {
        if (!prefsformat::canEncode(e.key) || !prefsformat::canEncode(e.value))
            noteInRunLog(QStringLiteral("Preference %1 was not saved: a %2 cannot be stored")
                             .arg(e.key.toString(), QString::fromLatin1(e.value.typeName())));
    }
    const QString path = prefsfile();
    // Written beside the old file and renamed over it only when complete.
    // Unbuffered, so that a short write (a full disk) shows here; a buffered
    // one can slip through the commit.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QByteArray bytes = prefsformat::writePrefsFile(d);
        if (file.write(bytes) != bytes.size())
            file.cancelWriting();
        if (file.commit())
            return true;
    }
    noteInRunLog(QStringLiteral("Could not save the preferences file %1: %2").arg(path, file.errorString()));
    return false;
}

int prefInt(const QString& key)
{
    const QVariant v = getpref(key);
    if (!v.isValid())
        return 0;
    if (v.typeId() == qMetaTypeId<PrefsRawText>())
        return QString::fromUtf8(v.value<PrefsRawText>().bytes).trimmed().toInt();
    return v.toInt();
}

QString prefText(const QString& key)
{
    const QVariant v = getpref(key);
    if (!v.isValid())
        return QString();
    if (v.typeId() == qMetaTypeId<PrefsRawText>())
        return QString::fromUtf8(v.value<PrefsRawText>().bytes);
    return v.toString();
}

int prefMethod()
{
    return qBound(0, prefInt(QStringLiteral("method")), 1);
}

QString prefsfile()
{
    return configFolder() + QStringLiteral("/Quillmark Prefs");
}

qint32 packVersion(int major, int minor, int bug, int stage, int nonRelease)
{
    // Unsigned arithmetic: a wrap is defined, an overflow would not be.
    const quint32 v = ((((quint32(major) * 64 + quint32(minor)) * 64 + quint32(bug)) * 2 + 1) * 4 +
                       quint32(stage)) * 256 + quint32(nonRelease);
    return qint32(v);
}

qint32 appversion()
{
    return packVersion(QLK_VERSION_MAJOR, QLK_VERSION_MINOR, QLK_VERSION_BUG, kStage, kNonRelease);
}

void resetPrefsForTesting()
{
    prefsDict.reset();
}

} // namespace qlk

#include "support/TestEnv.h"

#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/QuitPath.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "services/Runners.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace qlk::test {

TestEnv::TestEnv(bool isolateSystemTrees)
{
    home_ = dir_.path() + QStringLiteral("/home");
    QDir().mkpath(home_);
    setEnv("HOME", home_);
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR",
                          "XDG_CONFIG_DIRS", "TEXMFOUTPUT"})
        unsetEnv(v);
    setEnv("TEXMFHOME", texmfHome());
    setEnv("TEXMFVAR", texmfVar());
    setEnv("TEXMFCONFIG", texmfConfig());
    setEnv("TEXMFLOCAL", texmfLocal());
    if (isolateSystemTrees) {
        setEnv("TEXMFSYSVAR", dir_.path() + QStringLiteral("/texmf-sysvar"));
        setEnv("TEXMFSYSCONFIG", dir_.path() + QStringLiteral("/texmf-sysconfig"));
    }
    setDialogService(&dialogs);
    resetQuitState();
    setQuitHandler([this] { ++quits; });
    closeLog();
    logFile.clear();
    logMessage.clear();
    resetPrefsForTesting();
    uiHooks() = UiHooks{};
}

TestEnv::~TestEnv()
{
    closeLog();
    resetPrefsForTesting();
    setDialogService(nullptr);
    setQuitHandler({});
    resetQuitState();
    setDesktopRecorder({});
    setBundleScriptRunner({});
    setTexbinForTesting(QString());
    setAppFolderForTesting(QString());
    setEffectiveUidForTesting(-1);
    uiHooks() = UiHooks{};
    shellTimeoutMs = kShellTimeoutMs;
    for (auto it = saved_.constBegin(); it != saved_.constEnd(); ++it)
        ::setenv(it.key().constData(), it.value().constData(), 1);
    for (const QByteArray& name : wasUnset_)
        ::unsetenv(name.constData());
}

QString TestEnv::texmfHome() const { return home_ + QStringLiteral("/texmf"); }
QString TestEnv::texmfVar() const { return home_ + QStringLiteral("/.texlive2022/texmf-var"); }
QString TestEnv::texmfConfig() const { return home_ + QStringLiteral("/.texlive2022/texmf-config"); }
QString TestEnv::texmfLocal() const { return dir_.path() + QStringLiteral("/texmf-local"); }

void TestEnv::setEnv(const char* name, const QString& value)
{
    const QByteArray key(name);
    if (!saved_.contains(key) && !wasUnset_.contains(key)) {
        if (const char* old = ::getenv(name))
            saved_.insert(key, QByteArray(old));
        else
            wasUnset_ << key;
    }
    ::setenv(name, value.toUtf8().constData(), 1);
}

void TestEnv::unsetEnv(const char* name)
{
    const QByteArray key(name);
    if (const char* old = ::getenv(name)) {
        if (!saved_.contains(key))
            saved_.insert(key, QByteArray(old));
        ::unsetenv(name);
    }
}

QString TestEnv::writeFile(const QString& relativePath, const QByteArray& contents) const
{
    const QString path = QDir(dir_.path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(contents);
    return path;
}

QString TestEnv::writeScript(const QString& relativePath, const QString& body) const
{
    const QString path = writeFile(relativePath, (QStringLiteral("#!/bin/bash\n") + body).toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString texFile(const QString& name)
{
    return runProgram(QStringLiteral("/usr/bin/kpsewhich"), {name}).output.trimmed();
}

QStringList filesUnder(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace qlk::test

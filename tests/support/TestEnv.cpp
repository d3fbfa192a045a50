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

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace qlk::test {

namespace {
struct QuitLog {
    int recorded = 0;
    int taken = 0;
    QString lastMessage; // the dialog shown just before the first quit
    bool realExitExpected = false;
};
QuitLog& quitLog()
{
    static QuitLog log;
    return log;
}

QString lastShownMessage()
{
    auto* scripted = dynamic_cast<ScriptedDialogs*>(&dialogs());
    return scripted && !scripted->transcript.isEmpty() ? scripted->transcript.last() : QString();
}

// True when QCoreApplication::exit ran outside QCoreApplication::exec():
// from then on every event loop returns at once.
bool eventLoopsEnded()
{
    QCoreApplication::processEvents(); // a queued exit runs now
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&probe] { probe.exit(1); });
    return probe.exec() == -1;
}

class QuitCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        quitLog() = QuitLog{};
        resetQuitState();
        recordQuits();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        QuitLog& log = quitLog();
        const QString after =
            log.lastMessage.isEmpty() ? QString() : QStringLiteral(" (last dialog: %1)").arg(log.lastMessage);
        if (log.recorded > log.taken)
            ADD_FAILURE() << "the program requested a quit the test did not expect" << after.toStdString()
                          << "; a test that expects it checks env.takeQuits()";
        else if (quitRequested() && log.recorded == 0 && !log.realExitExpected)
            ADD_FAILURE() << "the program requested a quit that reached a handler other than the test's recorder"
                          << " (createAppObject installs the real exit: call recordQuits() after it)";
        if (eventLoopsEnded()) {
            if (!log.realExitExpected)
                ADD_FAILURE() << "the program's real exit ran: every later event loop of this process returns at once";
            // exec() starts afresh: the tests that follow in this process get working event loops.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        }
        setQuitHandler({});
        resetQuitState();
    }
};
} // namespace

int takeQuits()
{
    QuitLog& log = quitLog();
    const int count = log.recorded - log.taken;
    log.taken = log.recorded;
    return count;
}

void recordQuits()
{
    setQuitHandler([] {
        QuitLog& log = quitLog();
        if (log.recorded++ == log.taken)
            log.lastMessage = lastShownMessage();
    });
}

void expectRealExit()
{
    quitLog().realExitExpected = true;
}

void checkQuitsAfterEachTest()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new QuitCheck);
}

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
    recordQuits();
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

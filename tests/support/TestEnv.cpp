#include "support/TestEnv.h"

#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/QuitPath.h"
#include "platform/Quote.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "services/Privileged.h"
#include "services/Runners.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <ftw.h>

#include <pwd.h>
#include <unistd.h>

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

class RootRouteGuard : public ::testing::EmptyTestEventListener {
    // Before the test's fixture is made, so a fixture's recorder wins.
    void OnTestStart(const ::testing::TestInfo&) override { refuseRootRoute(); }
    void OnTestEnd(const ::testing::TestInfo&) override { refuseRootRoute(); }
};

// The environment's value of a tree variable when it lies in the temporary
// folder (a test's own tree), else the empty text.
QString ownTree(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    const QString temp = QDir::tempPath() + QLatin1Char('/');
    return value.startsWith(temp) && !value.contains(QLatin1Char(':')) ? value : QString();
}
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

void refuseRootRoute()
{
    setBundleScriptRunner([](const QString& script, const QStringList& args) {
        ADD_FAILURE() << "the root route was reached without a recorder: " << script.toStdString()
                      << " was asked to run \"" << args.join(QLatin1Char(' ')).toStdString()
                      << "\"; a test that expects root commands installs its own with setBundleScriptRunner";
        return ScriptResult{kRefusedRootStatus, QStringLiteral("root commands are refused in tests")};
    });
}

void refuseRootRouteInEachTest()
{
    refuseRootRoute();
    ::testing::UnitTest::GetInstance()->listeners().Append(new RootRouteGuard);
}

QStringList machineTrees()
{
    QStringList trees{QStringLiteral("/var/lib/texmf"), QStringLiteral("/etc/texmf"),
                      QStringLiteral("/usr/local/share/texmf"), QStringLiteral("/usr/share/texmf"),
                      QStringLiteral("/usr/share/texlive")};
    // The personal trees of root and of the user who runs the tests (HOME
    // itself is the test's own).
    for (const uid_t uid : {uid_t(0), ::getuid()}) {
        if (const passwd* pw = ::getpwuid(uid)) {
            const QString home = QString::fromLocal8Bit(pw->pw_dir);
            for (const char* tree : {"/texmf", "/.texlive2022", "/.texmf-var", "/.texmf-config"}) {
                const QString path = home + QLatin1String(tree);
                if (!trees.contains(path))
                    trees << path;
            }
        }
    }
    return trees;
}

ProcessResult runRootCommands(const QString& text, int timeoutMs)
{
    const auto refuse = [&text](const QString& why) {
        ADD_FAILURE() << why.toStdString() << ": \"" << text.toStdString() << '"';
        ProcessResult r;
        r.exitCode = kRefusedRootStatus;
        r.errorOutput = why;
        return r;
    };
    for (const QString& tree : machineTrees()) {
        if (text.contains(tree))
            return refuse(QStringLiteral("a root command of a test names the machine's tree ") + tree);
    }
    static const QRegularExpression systemWriter(QStringLiteral(R"((updmap-sys|fmtutil-sys|--sys\b))"));
    if (text.contains(systemWriter) && (ownTree("TEXMFSYSVAR").isEmpty() || ownTree("TEXMFSYSCONFIG").isEmpty()))
        return refuse(QStringLiteral("a root command of a test would write the machine's TEXMFSYSVAR or "
                                     "TEXMFSYSCONFIG (give the test its own)"));
    // A mktexlsr without folders rebuilds every tree of TEXMFDBS.
    QStringList own;
    for (const char* name : {"TEXMFLOCAL", "TEXMFSYSVAR", "TEXMFSYSCONFIG", "TEXMFDIST", "TEXMFHOME", "TEXMFVAR",
                             "TEXMFCONFIG"}) {
        const QString tree = ownTree(name);
        if (!tree.isEmpty() && !own.contains(tree))
            own << tree;
    }
    // As sudocmd.sh: each TAB-separated step on its own, the first failure
    // stops the rest. mktexlsr without folders stands in front of the real
    // one: only that run gets the narrowed TEXMFDBS (the other programs of
    // a step need the machine's databases to find their files).
    QStringList steps;
    for (const QString& step : stripSudo(text).split(QLatin1Char('\t'), Qt::SkipEmptyParts))
        steps << QStringLiteral("(\n") + step + QStringLiteral("\n)");
    QString script = QStringLiteral("function /usr/bin/sudo { [ \"${1-}\" = -H ] && shift; \"$@\"; }\n");
    QStringList names{texProgram(QStringLiteral("mktexlsr")), texProgram(QStringLiteral("texhash"))};
    for (const char* name : {"/usr/bin/mktexlsr", "/usr/bin/texhash", "mktexlsr", "texhash"})
        names << QString::fromLatin1(name);
    names.removeDuplicates();
    const QString real = shellQuote(texProgram(QStringLiteral("mktexlsr")));
    const QString narrowed =
        own.isEmpty() ? QStringLiteral("echo 'no tree of the test to rebuild' >&2; return 126")
                      : QStringLiteral("TEXMFDBS=") + shellQuote(own.join(QLatin1Char(':'))) +
                            QStringLiteral(" command ") + real;
    for (const QString& name : names) {
        if (name.contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9_./+-]"))))
            continue; // not a name a step can call unquoted
        script += QStringLiteral("function ") + name + QStringLiteral(" { if [ $# -eq 0 ]; then ") + narrowed +
                  QStringLiteral("; else command ") + real + QStringLiteral(" \"$@\"; fi; }\n");
    }
    script += steps.join(QStringLiteral(" && "));
    return runBash(script, timeoutMs);
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
    refuseRootRoute();
    setTexbinForTesting(QString());
    setAppFolderForTesting(QString());
    setEffectiveUidForTesting(-1);
    uiHooks() = UiHooks{};
    shellTimeoutMs = kShellTimeoutMs;
    for (auto it = saved_.constBegin(); it != saved_.constEnd(); ++it)
        ::setenv(it.key().constData(), it.value().constData(), 1);
    for (const QByteArray& name : wasUnset_)
        ::unsetenv(name.constData());
    // Removed by bytes: Qt's removal passes over names that are not UTF-8,
    // and would leave them and their folders behind.
    ::nftw(QFile::encodeName(dir_.path()).constData(),
           [](const char* path, const struct stat*, int, struct FTW*) {
               ::remove(path);
               return 0;
           },
           16, FTW_DEPTH | FTW_PHYS);
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

bool processGroupRuns(qint64 group)
{
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // pid (comm) state ppid pgrp ...; comm may hold blanks.
        const QByteArray line = readBytes(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 2 && rest.at(2).toLongLong() == group && rest.at(0) != "Z")
            return true;
    }
    return false;
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

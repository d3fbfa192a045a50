#include "platform/BundleScripts.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace qlk;

namespace {
struct Call {
    QString script;
    QStringList args;
};

class RunAsRoot : public ::testing::Test {
protected:
    void SetUp() override
    {
        setBundleScriptRunner([this](const QString& s, const QStringList& a) {
            calls.push_back({s, a});
            return ScriptResult{status, QString()};
        });
        uiHooks().setMainWindowBusy = [this](bool b) { busy << b; };
    }
    test::TestEnv env;
    std::vector<Call> calls;
    QList<bool> busy;
    int status = 0;
};

const QString kTwo = QStringLiteral("/usr/bin/sudo /usr/texbin/mktexlsr\t/usr/bin/sudo -H /usr/texbin/updmap-sys");
} // namespace

TEST_F(RunAsRoot, AdministratorRouteStripsEverySudoAndShowsTheWaitCursor)
{
    setpref(QStringLiteral("sudo"), 0);
    EXPECT_EQ(runAsRoot(kTwo), 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].script, QStringLiteral("sudocmd.sh"));
    EXPECT_EQ(calls[0].args, QStringList{QStringLiteral("/usr/texbin/mktexlsr\t/usr/texbin/updmap-sys")});
    EXPECT_EQ(busy, (QList<bool>{true, false}));
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());

    // Inside a line and after && too; a text without sudo goes unchanged.
    runAsRoot(QStringLiteral("cd '/a b' && /usr/bin/sudo /bin/rm -f x;/usr/bin/sudo -H /usr/texbin/updmap-sys --nohash"));
    EXPECT_EQ(calls[1].args.at(0), QStringLiteral("cd '/a b' && /bin/rm -f x;/usr/texbin/updmap-sys --nohash"));
    runAsRoot(QStringLiteral("/usr/texbin/updmap-user"));
    EXPECT_EQ(calls[2].args.at(0), QStringLiteral("/usr/texbin/updmap-user"));
}

TEST_F(RunAsRoot, TerminalRouteIsTheDefaultAndKeepsTheTextAfterItsMessage)
{
    // Any value other than 0 means the terminal (the scan's default is 1).
    setpref(QStringLiteral("sudo"), 1);
    EXPECT_EQ(runAsRoot(kTwo), 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].script, QStringLiteral("sudoterm.sh"));
    EXPECT_EQ(calls[0].args, QStringList{kTwo});
    EXPECT_EQ(env.dialogs.messages, QStringList{QLatin1String(kTerminalNotice)});
    EXPECT_TRUE(busy.isEmpty());
}

TEST_F(RunAsRoot, ExitStatusReachesTheCaller)
{
    setpref(QStringLiteral("sudo"), 0);
    status = 3;
    EXPECT_EQ(runAsRoot(QStringLiteral("/usr/bin/sudo /bin/false")), 3);
}

// The real scripts, as root (CI runs as root): commands run directly, in
// order, the first failure stops the rest and its status comes back.
TEST(RootScripts, RunDirectlyWhenAlreadyRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the scripts without a password";
    test::TestEnv env;
    setBundleScriptRunner({}); // the real scripts, on files in the test's own folder
    setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    const QString dir = env.root();
    for (const QString& script : {QStringLiteral("sudocmd.sh"), QStringLiteral("sudoterm.sh")}) {
        const QString a = dir + QStringLiteral("/a ") + script;
        const QString b = dir + QStringLiteral("/b ") + script;
        const QString text = QStringLiteral("/usr/bin/sudo /usr/bin/touch '%1'\t/usr/bin/sudo -H /bin/false\t/usr/bin/touch '%2'")
                                 .arg(a, b);
        const ScriptResult r = runBundleScript(script, {text});
        EXPECT_EQ(r.exitCode, 1) << script.toStdString();
        EXPECT_TRUE(QFile::exists(a)) << script.toStdString();
        EXPECT_FALSE(QFile::exists(b)) << script.toStdString();
    }
}

// sudo is dropped where a step begins, never inside a quoted path.
TEST(StripSudo, OnlyAtTheStartOfAStep)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"/usr/bin/sudo -H /usr/texbin/updmap-sys", "/usr/texbin/updmap-sys"},
        {"cd '/a b' && /usr/bin/sudo /bin/rm x", "cd '/a b' && /bin/rm x"},
        {"/bin/true;  /usr/bin/sudo /bin/rm x|/usr/bin/sudo -H cat", "/bin/true;  /bin/rm x|cat"},
        {"/usr/bin/sudo /bin/cp '/home/jo/usr/bin/sudo x' /tmp", "/bin/cp '/home/jo/usr/bin/sudo x' /tmp"},
        {"/bin/rm -f \"a && /usr/bin/sudo b\"", "/bin/rm -f \"a && /usr/bin/sudo b\""},
        {"/bin/rm -f 'a;/usr/bin/sudo b'\t/usr/bin/sudo /bin/true", "/bin/rm -f 'a;/usr/bin/sudo b'\t/bin/true"},
        {"/bin/echo x/usr/bin/sudo y", "/bin/echo x/usr/bin/sudo y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stripSudo(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

// As root, both scripts leave a quoted path that holds "/usr/bin/sudo "
// alone, and sudocmd.sh does not read a "*" in a command line as a pattern.
TEST(RootScripts, PathsAndPatternsReachTheCommandUnchanged)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the scripts without a password";
    test::TestEnv env;
    setBundleScriptRunner({}); // the real scripts, on files in the test's own folder
    setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    const QString dir = env.root();
    QDir().mkpath(dir + QStringLiteral("/usr/bin"));
    for (const QString& name : {QStringLiteral("sudocmd.sh"), QStringLiteral("sudoterm.sh")}) {
        const QString target = dir + QStringLiteral("/usr/bin/sudo ") + name;
        const ScriptResult r =
            runBundleScript(name, {QStringLiteral("/usr/bin/sudo /usr/bin/touch '%1'").arg(target)});
        EXPECT_EQ(r.exitCode, 0) << name.toStdString();
        EXPECT_TRUE(QFile::exists(target)) << name.toStdString();
    }
    // Two programs that a pattern would match: unexpanded, the line runs
    // the first with the second as its argument, as bash -c would.
    env.writeScript(QStringLiteral("steps/s1"), QStringLiteral("touch \"$(dirname \"$0\")/ran-s1\""));
    env.writeScript(QStringLiteral("steps/s2"), QStringLiteral("touch \"$(dirname \"$0\")/ran-s2\""));
    const ScriptResult r = runBundleScript(QStringLiteral("sudocmd.sh"), {dir + QStringLiteral("/steps/s*")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/steps/ran-s1")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/steps/ran-s2")));
}

namespace {
// The terminal route as an ordinary user: a stand-in `id` and a stand-in
// x-terminal-emulator (called as "-e /bin/bash script") first on the
// search path, and a temporary folder of the test's own.
class TerminalStandIn {
public:
    explicit TerminalStandIn(const QString& terminalBody)
    {
        setBundleScriptRunner({}); // the real script, with a stand-in terminal
        setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
        env.writeScript(QStringLiteral("bin/id"), QStringLiteral("echo 1000"));
        env.writeScript(QStringLiteral("bin/x-terminal-emulator"), terminalBody);
        tmp = env.root() + QStringLiteral("/tmp");
        QDir().mkpath(tmp);
        oldPath_ = qgetenv("PATH");
        oldTmp_ = qgetenv("TMPDIR");
        qputenv("PATH", env.root().toLocal8Bit() + "/bin:" + oldPath_);
        qputenv("TMPDIR", tmp.toLocal8Bit());
    }
    ~TerminalStandIn()
    {
        qputenv("PATH", oldPath_);
        if (oldTmp_.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp_);
    }
    test::TestEnv env;
    QString tmp;

private:
    QByteArray oldPath_;
    QByteArray oldTmp_;
};
} // namespace

// The command's failure comes back, and the status file lives in a private
// folder that is gone afterwards.
TEST(RootScripts, TerminalRouteKeepsItsStatusPrivate)
{
    TerminalStandIn term(QStringLiteral("dirname \"$3\" > \"$HOME/../seen\"; exec /bin/bash \"$3\" </dev/null"));
    const ScriptResult ok = runBundleScript(QStringLiteral("sudoterm.sh"), {QStringLiteral("/bin/true")});
    const ScriptResult failed =
        runBundleScript(QStringLiteral("sudoterm.sh"), {QStringLiteral("/bin/true\t/bin/sh -c 'exit 3'")});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(failed.exitCode, 3);
    const QString seen = QString::fromLocal8Bit(test::readBytes(term.env.root() + QStringLiteral("/seen"))).trimmed();
    EXPECT_TRUE(seen.startsWith(term.tmp + QStringLiteral("/qlkterm."))) << seen.toStdString();
    EXPECT_TRUE(QDir(term.tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

// Whatever the window does once the commands have ended, the script comes
// back with their status at once; a window closed before they end gives 130.
TEST(RootScripts, TerminalWindowNeverHoldsTheCaller)
{
    struct Case {
        const char* what;
        const char* terminal; // the stand-in's body; it notes its pid for the clean-up
        const char* commands;
        int status;
    };
    const Case cases[] = {
        {"stays open a minute", "/bin/bash \"$3\" </dev/null; sleep 60", "sleep 1; /bin/true", 0},
        {"stays open, the command fails", "/bin/bash \"$3\" </dev/null; sleep 60", "/bin/sh -c 'exit 7'", 7},
        {"returns at once", "setsid /bin/bash \"$3\" </dev/null >/dev/null 2>&1 & exit 0", "sleep 1; /bin/sh -c 'exit 5'", 5},
        // Closing a window hangs up its whole session.
        {"closed early", "setsid /bin/bash \"$3\" </dev/null & sleep 1; kill -HUP -- -$!; sleep 60", "sleep 30", 130},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TerminalStandIn term(QStringLiteral("echo $$ >> \"$HOME/../pids\"\n") + QString::fromUtf8(c.terminal));
        QElapsedTimer clock;
        clock.start();
        const ScriptResult r = runBundleScript(QStringLiteral("sudoterm.sh"), {QString::fromUtf8(c.commands)});
        const qint64 took = clock.elapsed();
        EXPECT_EQ(r.exitCode, c.status);
        // The commands take about a second; the window's minute is not waited
        // for (the margin leaves room for a loaded machine).
        EXPECT_LT(took, 20000);
        // Only a stand-in still running is ended: a number whose process has
        // gone may already belong to another one.
        for (const QByteArray& pid : test::readBytes(term.env.root() + QStringLiteral("/pids")).split('\n')) {
            if (pid.toInt() > 0 && test::readBytes(QStringLiteral("/proc/%1/cmdline").arg(pid.toInt()))
                                       .contains(term.env.root().toLocal8Bit() + "/bin/x-terminal-emulator"))
                ::kill(pid.toInt(), SIGKILL);
        }
    }
}

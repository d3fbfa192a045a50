#include "platform/BundleScripts.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "support/TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

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

#include "platform/BundleScripts.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace qlk;

// The cases below run only in a child process started by RootRoute: each
// is what a test of the program might do on the root route.

TEST(RootRouteChild, DISABLED_AdministratorRouteWithoutRecorder)
{
    test::TestEnv env;
    setEffectiveUidForTesting(0); // the administrator's road, as the tests run as root
    setpref("sudo", qint32(0));
    EXPECT_EQ(runAsRoot(QStringLiteral("/usr/bin/sudo /usr/bin/mktexlsr\t/usr/bin/sudo -H /usr/bin/updmap-sys")),
              test::kRefusedRootStatus);
}

TEST(RootRouteChild, DISABLED_TerminalRouteWithoutTestEnv)
{
    EXPECT_EQ(sudoterm({QStringLiteral("/usr/bin/sudo -H /usr/bin/updmap-sys --enable Map=qlk.map")}),
              test::kRefusedRootStatus);
}

TEST(RootRouteChild, DISABLED_WithRecorder)
{
    test::TestEnv env;
    QStringList recorded;
    setBundleScriptRunner([&recorded](const QString& script, const QStringList& args) {
        recorded << script + QLatin1String(": ") + args.value(0);
        return ScriptResult{0, QString()};
    });
    setEffectiveUidForTesting(0);
    setpref("sudo", qint32(0));
    EXPECT_EQ(runAsRoot(QStringLiteral("/usr/bin/sudo /usr/bin/mktexlsr")), 0);
    EXPECT_EQ(recorded, QStringList{QStringLiteral("sudocmd.sh: /usr/bin/mktexlsr")});
}

// Follows DISABLED_WithRecorder: a recorder of an earlier test is gone.
TEST(RootRouteChild, DISABLED_RecorderOfAnEarlierTest)
{
    EXPECT_EQ(sudocmd({QStringLiteral("/usr/bin/fmtutil-sys --all")}), test::kRefusedRootStatus);
}

TEST(RootRouteChild, DISABLED_RealRunNamingAMachineTree)
{
    test::TestEnv env;
    EXPECT_EQ(test::runRootCommands(QStringLiteral("/usr/bin/sudo /usr/bin/mktexlsr /var/lib/texmf")).exitCode,
              test::kRefusedRootStatus);
}

TEST(RootRouteChild, DISABLED_RealSystemMapRunOnMachineTrees)
{
    test::TestEnv env(false); // TEXMFSYSVAR and TEXMFSYSCONFIG stay the machine's
    EXPECT_EQ(test::runRootCommands(QStringLiteral("/usr/bin/sudo -H /usr/bin/updmap-sys")).exitCode,
              test::kRefusedRootStatus);
}

TEST(RootRoute, ReachedWithoutARecorderFailsTheTestNamingTheCommand)
{
    const QString refused = QStringLiteral("the root route was reached without a recorder: ");
    struct Case {
        const char* tests;
        int exitCode;
        QStringList shown;
    } cases[] = {
        {"DISABLED_AdministratorRouteWithoutRecorder", 1,
         {refused + "sudocmd.sh was asked to run \"/usr/bin/mktexlsr\t/usr/bin/updmap-sys\""}},
        {"DISABLED_TerminalRouteWithoutTestEnv", 1,
         {refused + "sudoterm.sh was asked to run \"/usr/bin/sudo -H /usr/bin/updmap-sys --enable Map=qlk.map\""}},
        {"DISABLED_WithRecorder", 0, {}},
        {"DISABLED_WithRecorder:RootRouteChild.DISABLED_RecorderOfAnEarlierTest", 1,
         {"[       OK ] RootRouteChild.DISABLED_WithRecorder",
          refused + "sudocmd.sh was asked to run \"/usr/bin/fmtutil-sys --all\""}},
        {"DISABLED_RealRunNamingAMachineTree", 1,
         {"a root command of a test names the machine's tree /var/lib/texmf: \"/usr/bin/sudo /usr/bin/mktexlsr "
          "/var/lib/texmf\""}},
        {"DISABLED_RealSystemMapRunOnMachineTrees", 1,
         {"a root command of a test would write the machine's TEXMFSYSVAR or TEXMFSYSCONFIG"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tests);
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=RootRouteChild.") + QString::fromLatin1(c.tests)});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), c.exitCode) << output.toStdString();
        for (const QString& text : c.shown)
            EXPECT_TRUE(output.contains(text)) << text.toStdString() << "\n" << output.toStdString();
    }
}

// The real run a recorder may ask for: the steps run in order as root's
// script runs them, and a mktexlsr without folders rebuilds the test's own
// trees only.
TEST(RootRoute, RealRunsRebuildOnlyTheTestsOwnTrees)
{
    test::TestEnv env;
    // The machine's file databases (Debian keeps them in /var/lib/texmf).
    const auto databases = [] {
        QStringList out;
        for (const char* path : {"/var/lib/texmf/ls-R", "/usr/share/texmf/ls-R", "/usr/share/texlive/texmf-dist/ls-R",
                                 "/usr/local/share/texmf/ls-R"}) {
            const QFileInfo lsR(QString::fromLatin1(path));
            if (lsR.exists())
                out << lsR.canonicalFilePath() + QLatin1Char(' ') + lsR.lastModified().toString(Qt::ISODateWithMs);
        }
        return out;
    };
    const QStringList machineDatabases = databases();
    ASSERT_FALSE(machineDatabases.isEmpty());

    const QString local = env.texmfLocal();
    const ProcessResult r = test::runRootCommands(
        QStringLiteral("/usr/bin/sudo /bin/mkdir -p ") + local + QStringLiteral("/tex/latex/qlkroute\t") +
        QStringLiteral("cd ") + local + QStringLiteral("/tex/latex/qlkroute && /usr/bin/sudo touch qlkroute.sty\t") +
        QStringLiteral("/usr/bin/sudo /usr/bin/mktexlsr"));
    EXPECT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    EXPECT_TRUE(test::readBytes(local + QStringLiteral("/ls-R")).contains("qlkroute.sty"));
    EXPECT_EQ(test::texFile(QStringLiteral("qlkroute.sty")), local + QStringLiteral("/tex/latex/qlkroute/qlkroute.sty"));

    EXPECT_EQ(databases(), machineDatabases);

    // The first failing step stops the rest.
    const ProcessResult stopped = test::runRootCommands(QStringLiteral("/bin/false\t/usr/bin/sudo touch ") + local +
                                                        QStringLiteral("/after"));
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(local + QStringLiteral("/after")));
}

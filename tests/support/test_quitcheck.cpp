#include "platform/Dialogs.h"
#include "platform/QuitPath.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

using namespace qlk;

// The cases below run only in a child process started by QuitCheck: each
// is what a test of the program might do with the quit path.

TEST(QuitCheckChild, DISABLED_QuitNotTaken)
{
    test::TestEnv env;
    msgBox(QStringLiteral("Database file not available. Must quit."));
    requestQuit();
}

TEST(QuitCheckChild, DISABLED_QuitTaken)
{
    test::TestEnv env;
    requestQuit();
    EXPECT_EQ(env.takeQuits(), 1);
}

TEST(QuitCheckChild, DISABLED_QuitPastTheRecorder)
{
    test::TestEnv env;
    setQuitHandler([] {}); // as createAppObject installs its own
    requestQuit();
}

TEST(QuitCheckChild, DISABLED_RealExit)
{
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
}

TEST(QuitCheckChild, DISABLED_RealExitExpected)
{
    test::expectRealExit();
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

// Runs after a real exit in the same process: its event loop still runs.
TEST(QuitCheckChild, DISABLED_EventLoopRuns)
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&loop] { loop.exit(7); });
    EXPECT_EQ(loop.exec(), 7);
}

TEST(QuitCheck, AQuitTheTestDidNotTakeFailsItByName)
{
    struct Case {
        const char* tests;
        int exitCode;
        QStringList shown;
    } cases[] = {
        {"DISABLED_QuitNotTaken", 1,
         {"the program requested a quit the test did not expect (last dialog: message: Database file not "
          "available. Must quit.); a test that expects it checks env.takeQuits()"}},
        {"DISABLED_QuitTaken", 0, {}},
        {"DISABLED_QuitPastTheRecorder", 1,
         {"the program requested a quit that reached a handler other than the test's recorder"}},
        {"DISABLED_RealExit:QuitCheckChild.DISABLED_EventLoopRuns", 1,
         {"the program's real exit ran: every later event loop of this process returns at once",
          "[       OK ] QuitCheckChild.DISABLED_EventLoopRuns"}},
        {"DISABLED_RealExitExpected:QuitCheckChild.DISABLED_EventLoopRuns", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tests);
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=QuitCheckChild.") + QString::fromLatin1(c.tests)});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), c.exitCode) << output.toStdString();
        for (const QString& text : c.shown)
            EXPECT_TRUE(output.contains(text)) << output.toStdString();
    }
}

#include "platform/Process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using qlk::runBash;

TEST(RunBash, KeepsOutputErrorOutputAndExitCodeApart)
{
    const qlk::ProcessResult r = runBash(QStringLiteral("echo out; echo err >&2; exit 3"));
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.output, QStringLiteral("out\n"));
    EXPECT_EQ(r.errorOutput, QStringLiteral("err\n"));
}

TEST(RunBash, IsBashWithStandardInputClosed)
{
    // ${x:1} is a bashism; read from /dev/null ends at once instead of waiting.
    const qlk::ProcessResult r = runBash(QStringLiteral("x=abc; echo ${x:1}; read -r line; echo $?"));
    EXPECT_EQ(r.output, QStringLiteral("bc\n1\n"));
}

TEST(RunBash, TimeOutKillsTheWholeProcessGroup)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("survived"));
    QElapsedTimer clock;
    clock.start();
    // The child in the background would write the marker if it outlived the kill.
    const qlk::ProcessResult r =
        runBash(QStringLiteral("(sleep 2; touch '%1') & sleep 30").arg(marker), 500);
    EXPECT_TRUE(r.timedOut);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_LT(clock.elapsed(), 5000);
    ::usleep(2600 * 1000);
    EXPECT_FALSE(QFile::exists(marker));
}

TEST(RunBash, LargeOutputOnBothStreamsDoesNotBlock)
{
    const qlk::ProcessResult r =
        runBash(QStringLiteral("head -c 300000 /dev/zero | tr '\\0' a; head -c 300000 /dev/zero | tr '\\0' b >&2"));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.size(), 300000);
    EXPECT_EQ(r.errorOutput.size(), 300000);
}

TEST(RunProgram, MissingProgramFails)
{
    const qlk::ProcessResult r = qlk::runProgram(QStringLiteral("/nonexistent/program"), {});
    EXPECT_EQ(r.exitCode, 127);
}

// A command has ended when its own process has: what it left running in the
// background with our pipes (a terminal window, say) is not waited for, and
// what the command itself wrote is all there.
TEST(RunBash, ReturnsWhenTheCommandEndsNotItsBackgroundChildren)
{
    struct Case {
        const char* command;
        int status;
        const char* output;
    };
    const Case cases[] = {
        {"sleep 60 & echo $! > \"$PIDS\"; echo done; exit 4", 4, "done\n"},
        {"sleep 60 & echo $! > \"$PIDS\"; sleep 1; echo done >&2; echo done", 0, "done\n"},
        {"sleep 60 >/dev/null 2>&1 & echo $! > \"$PIDS\"; head -c 200000 /dev/zero | tr '\\0' a | head -c 5; echo",
         0, "aaaaa\n"},
    };
    QTemporaryDir dir;
    const QString pids = dir.filePath(QStringLiteral("pids"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        QElapsedTimer clock;
        clock.start();
        const qlk::ProcessResult r =
            runBash(QStringLiteral("PIDS='%1'; ").arg(pids) + QString::fromUtf8(c.command), 0);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(r.exitCode, c.status);
        EXPECT_EQ(r.output, QString::fromUtf8(c.output));
        QFile f(pids);
        if (f.open(QIODevice::ReadOnly))
            ::kill(f.readAll().trimmed().toInt(), SIGKILL);
    }
}

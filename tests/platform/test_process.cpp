#include "platform/Process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

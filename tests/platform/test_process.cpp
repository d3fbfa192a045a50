#include "platform/Process.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
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

// A command that writes without end is ended at the limit and fails, so
// that its cut output never passes for the whole; under the limit nothing
// changes. The writer stops by itself at 100 MB, whatever the runner does.
TEST(RunBash, OutputBeyondTheLimitEndsTheCommandAsAFailure)
{
    const qlk::ProcessResult r = runBash(QStringLiteral("yes | head -c 100000000"), 0);
    EXPECT_FALSE(r.timedOut);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_LE(r.output.size() + r.errorOutput.size(), qlk::kPipeOutputLimit + 200);
    EXPECT_TRUE(r.errorOutput.endsWith(QStringLiteral("\nThe command was stopped: it wrote more than 64 MiB.")))
        << r.errorOutput.right(200).toStdString();

    const qlk::ProcessResult small = runBash(QStringLiteral("yes | head -c 1000000; exit 0"), 0);
    EXPECT_EQ(small.exitCode, 0);
    EXPECT_EQ(small.output.size(), 1000000);
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

// A detached command keeps its three outputs apart like any other, and the
// marks it writes to descriptor 3 come back too; large output never blocks.
TEST(RunBashDetached, KeepsOutputErrorOutputMarksAndExitCodeApart)
{
    struct Case {
        const char* command;
        int status;
        int outputSize, errorSize;
        const char* marks;
    };
    const Case cases[] = {
        {"echo out; echo err >&2; echo 1 >&3; echo 2 >&3; exit 3", 3, 4, 4, "1\n2\n"},
        {"read -r line; echo $?", 0, 2, 0, ""},
        {"head -c 100000 /dev/zero | tr '\\0' a; head -c 120000 /dev/zero | tr '\\0' b >&2", 0, 100000, 120000, ""},
        {"kill -9 $$", 128 + SIGKILL, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const qlk::ProcessResult r = qlk::runBashDetached(QString::fromUtf8(c.command));
        EXPECT_EQ(r.exitCode, c.status);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.output.size(), c.outputSize);
        EXPECT_EQ(r.errorOutput.size(), c.errorSize);
        EXPECT_EQ(r.marks, QString::fromUtf8(c.marks));
    }
    EXPECT_EQ(qlk::runBashDetached(QStringLiteral("echo out; echo err >&2")).output, QStringLiteral("out\n"));
    EXPECT_EQ(qlk::runProgramDetached(QStringLiteral("/nonexistent/program"), {}).exitCode, 127);
    EXPECT_EQ(qlk::runProgramDetached(QStringLiteral("/bin/echo"), {QStringLiteral("a b")}).output,
              QStringLiteral("a b\n"));
}

// Whatever a detached command prints, the first and last 64 KiB of each
// stream are kept and the rest is counted, and the text says how much went.
TEST(RunBashDetached, KeepsEachStreamBounded)
{
    // 30 MB on each stream, between a first and a last line.
    const qlk::ProcessResult r = qlk::runBashDetached(QStringLiteral(
        "echo first; head -c 30000000 /dev/zero | tr '\\0' x; echo; echo last; "
        "echo efirst >&2; head -c 30000000 /dev/zero | tr '\\0' y >&2; echo elast >&2; exit 4"));
    EXPECT_EQ(r.exitCode, 4);
    struct Stream {
        const QString& text;
        qint64 leftOut;
        const char* first;
        const char* last;
        qint64 written;
    };
    for (const Stream& s : {Stream{r.output, r.outputLeftOut, "first\n", "\nlast\n", 6 + 30000000 + 1 + 5},
                            Stream{r.errorOutput, r.errorOutputLeftOut, "efirst\n", "elast\n", 7 + 30000000 + 6}}) {
        SCOPED_TRACE(s.first);
        EXPECT_EQ(s.leftOut, s.written - 2 * qlk::kKeptOutputBytes);
        EXPECT_TRUE(s.text.startsWith(QLatin1String(s.first)));
        EXPECT_TRUE(s.text.endsWith(QLatin1String(s.last)));
        const QString note = QStringLiteral("\n[%1 bytes left out here: of the %2 bytes written, the first and "
                                            "last 64 KiB are kept]\n")
                                 .arg(s.leftOut)
                                 .arg(s.written);
        EXPECT_TRUE(s.text.contains(note));
        EXPECT_EQ(s.text.size(), 2 * qlk::kKeptOutputBytes + note.size());
    }
}

// Once offered, a stop ends the detached command's whole process group,
// also what ignores SIGTERM, and what it wrote so far comes back.
TEST(RunBashDetached, StopEndsTheWholeProcessGroup)
{
    QTemporaryDir dir;
    const QString pids = dir.filePath(QStringLiteral("pids"));
    const int offerBefore = qlk::commandStopOfferMs;
    qlk::commandStopOfferMs = 300;
    int offers = 0;
    qlk::setCommandWaitHooks({[](const QString&) {}, [] {}, [] {}, [&offers] {
                                  ++offers;
                                  qlk::requestCommandStop();
                              }});
    QElapsedTimer clock;
    clock.start();
    const qlk::ProcessResult r = qlk::runBashDetached(
        QStringLiteral("trap '' TERM; sleep 1000 & echo \"$$ $!\" > '%1'; echo waiting; wait").arg(pids));
    qlk::setCommandWaitHooks({});
    qlk::commandStopOfferMs = offerBefore;
    EXPECT_EQ(offers, 1);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.exitCode, 128 + SIGKILL); // it ignored SIGTERM
    EXPECT_EQ(r.output, QStringLiteral("waiting\n"));
    EXPECT_LT(clock.elapsed(), 5000);
    QFile f(pids);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> ids = f.readAll().trimmed().split(' ');
    ASSERT_EQ(ids.size(), 2);
    EXPECT_FALSE(qlk::test::processGroupRuns(ids.at(0).toInt()));
    // A command that is not stopped runs on past the offer.
    qlk::commandStopOfferMs = 100;
    int offered = 0;
    qlk::setCommandWaitHooks({[](const QString&) {}, [] {}, [] {}, [&offered] { ++offered; }});
    const qlk::ProcessResult whole = qlk::runBashDetached(QStringLiteral("sleep 0.6; echo done"));
    qlk::setCommandWaitHooks({});
    qlk::commandStopOfferMs = offerBefore;
    EXPECT_EQ(offered, 1);
    EXPECT_FALSE(whole.stopped);
    EXPECT_EQ(whole.output, QStringLiteral("done\n"));
}

// The caller killed while the command runs: the command still runs to its
// end, writing as much as it likes (into a pipe it would die of SIGPIPE).
TEST(RunBashDetached, FinishesWhenItsCallerIsKilled)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("finished"));
    // The orphaned command becomes this process's child, so that it can be
    // waited for here.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const pid_t caller = ::fork();
    ASSERT_GE(caller, 0);
    if (caller == 0) {
        qlk::runBashDetached(QStringLiteral("kill -9 $PPID; seq 1 200000; seq 1 200000 >&2; echo done > '%1'")
                                 .arg(marker));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(caller, &status, 0), caller);
    while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    QFile f(marker);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("done\n"));
}

#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/Runners.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

class Runners : public ::testing::Test {
protected:
    void SetUp() override
    {
        uiHooks().showCommandFailure = [this](const QString& r) { reports << r; };
    }
    test::TestEnv env;
    QStringList reports;
};

TEST_F(Runners, SuccessTrimsOutputAndKeepsInnerLineEnds)
{
    EXPECT_EQ(runShell(QStringLiteral("printf '  a\\nb \\n\\n'")), QStringLiteral("a\nb"));
    EXPECT_EQ(lastShell.errorCode, 0);
    EXPECT_EQ(runShellQuiet(QStringLiteral("printf '\\t x\\r\\n'")), QStringLiteral("x"));
    EXPECT_EQ(runShell(QStringLiteral("true")), QString());
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(Runners, FailureUnderRunShellShowsTheReport)
{
    EXPECT_EQ(runShell(QStringLiteral("exit 1")), QString());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.at(0),
              QStringLiteral("While trying to run command: exit 1\rshell returned errorcode: 1\r"));
    EXPECT_EQ(lastShell.errorCode, 1);

    // Output lines become CR lines; the error output follows.
    runShell(QStringLiteral("echo one; echo two; echo bad >&2; exit 2"));
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports.at(1), QStringLiteral("While trying to run command: echo one; echo two; echo bad >&2; "
                                            "exit 2\rshell returned errorcode: 2\rone\rtwo\r\rbad\r"));
}

TEST_F(Runners, QuietFailureIsSilentAndOnlyTheErrorCodeTellsIt)
{
    EXPECT_EQ(runShellQuiet(QStringLiteral("echo something; exit 4")), QString());
    EXPECT_EQ(lastShell.errorCode, 4);
    EXPECT_EQ(runShellQuiet(QStringLiteral("true")), QString());
    EXPECT_EQ(lastShell.errorCode, 0);
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(Runners, PathPrefixPutsLocalProgramsFirst)
{
    const QString path = runShellQuiet(QStringLiteral("echo $PATH"));
    EXPECT_TRUE(path.startsWith(QStringLiteral("/usr/local/bin:/opt/local/bin:"))) << path.toStdString();
    EXPECT_EQ(QString::fromLatin1(kPathPrefix).size(), 48);
}

TEST_F(Runners, TimeOutKillsTheCommandAndCountsAsFailure)
{
    shellTimeoutMs = 300;
    const QString marker = env.root() + QStringLiteral("/late");
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(runShellQuiet(QStringLiteral("(sleep 1; touch %1) & sleep 20; echo done").arg(marker)), QString());
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_NE(lastShell.errorCode, 0);
    EXPECT_TRUE(lastShell.timedOut);
    ::usleep(1300 * 1000);
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(Runners, KpsewhichQueryIsSilentAndLeavesTheErrorCode)
{
    EXPECT_EQ(kpsewhichQuery(QStringLiteral("no-such-file-anywhere.sty")), QString());
    EXPECT_NE(lastShell.errorCode, 0);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_TRUE(kpsewhichQuery(QStringLiteral("article.cls")).endsWith(QStringLiteral("/article.cls")));
    EXPECT_EQ(lastShell.errorCode, 0);
}

// The TeX programs' folder may hold blanks or quotes: kpsewhich still runs.
TEST_F(Runners, KpsewhichQueryRunsFromAFolderWithBlanksAndQuotes)
{
    for (const QString& folder : {QStringLiteral("tex bin"), QStringLiteral("it's; bin")}) {
        SCOPED_TRACE(folder.toStdString());
        env.writeScript(folder + QStringLiteral("/kpsewhich"), QStringLiteral("echo \"found $1\""));
        setTexbinForTesting(env.root() + QLatin1Char('/') + folder);
        EXPECT_EQ(kpsewhichQuery(QStringLiteral("article.cls")), QStringLiteral("found article.cls"));
        EXPECT_EQ(lastShell.errorCode, 0);
    }
    setTexbinForTesting(QString());
}

TEST_F(Runners, OpenInEditorWithUnknownEditorReportsTheFailure)
{
    setpref(QStringLiteral("editor"), QStringLiteral("no-such-editor-xyz"));
    const QString file = env.writeFile(QStringLiteral("a b's.txt"), "x");
    openInEditor(file);
    for (int i = 0; i < 500 && env.dialogs.messages.isEmpty(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ::usleep(10 * 1000);
    }
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Could not open " + file + ": the program \"no-such-editor-xyz\" could not be started."});

    // A real program gets the path as one argument and is not waited for.
    const QString seen = env.root() + QStringLiteral("/seen");
    const QString editor = env.writeScript(QStringLiteral("bin/ed-stub"),
                                           QStringLiteral("printf '%s' \"$1\" > '%1'\n").arg(seen));
    setpref(QStringLiteral("editor"), editor);
    env.dialogs.messages.clear();
    openInEditor(file);
    // The editor runs in the background; give it time on a busy machine.
    for (int i = 0; i < 500 && QFile(seen).size() == 0; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ::usleep(10 * 1000);
    }
    QFile f(seen);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), file);
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
}

// A prefetched run answers the next call of the same program and arguments
// once, report and all; other calls run as usual.
TEST_F(Runners, PrefetchedAnswersAreTakenOnce)
{
    const QString count = env.root() + QStringLiteral("/count");
    const QString ok = env.writeScript(QStringLiteral("bin/ok"), QStringLiteral("echo run >> '%1'; echo \"$1\"").arg(count));
    const QString bad = env.writeScript(QStringLiteral("bin/bad"), QStringLiteral("echo oops >&2; exit 3"));
    prefetchDirect({{ok, {QStringLiteral("a b")}}, {bad, {}}});
    EXPECT_EQ(test::readBytes(count), QByteArray("run\n"));
    EXPECT_EQ(runDirect(ok, {QStringLiteral("a b")}), QStringLiteral("a b"));
    EXPECT_EQ(test::readBytes(count), QByteArray("run\n"));
    EXPECT_EQ(runDirect(bad, {}), QString());
    EXPECT_EQ(lastShell.errorCode, 3);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.at(0).contains(QStringLiteral("oops")));
    // Taken: the same call runs the program again.
    EXPECT_EQ(runDirectQuiet(ok, {QStringLiteral("a b")}), QStringLiteral("a b"));
    EXPECT_EQ(test::readBytes(count), QByteArray("run\nrun\n"));
    prefetchDirect({{ok, {QStringLiteral("c")}}});
    forgetPrefetched();
    EXPECT_EQ(runDirect(ok, {QStringLiteral("c")}), QStringLiteral("c"));
    EXPECT_EQ(test::readBytes(count), QByteArray("run\nrun\nrun\nrun\n"));
}

// A chain stops at its first failing line, names it and reports it as
// runShell would; lines holding their own operators stay whole.
TEST_F(Runners, ShellChainNamesTheLineThatStoppedIt)
{
    const QString log = env.root() + QStringLiteral("/ran");
    const QString add = QStringLiteral("echo %1 >> '") + log + QStringLiteral("'");
    struct Case {
        const char* what;
        QStringList lines;
        int failing; // index of the failing line, -1 for none
        QString ran;
    };
    const QList<Case> cases = {
        {"all succeed", {add.arg(1), add.arg(2), add.arg(3)}, -1, "1\n2\n3\n"},
        {"the middle fails", {add.arg(1), add.arg(2) + QStringLiteral(" && exit 5"), add.arg(3)}, 1, "1\n2\n"},
        {"a line with its own fallback", {QStringLiteral("false || ") + add.arg(1), QStringLiteral("false; exit 2"), add.arg(3)},
         1, "1\n"},
        {"a trailing comment", {add.arg(1) + QStringLiteral(" # note"), QStringLiteral("exit 4")}, 1, "1\n"},
        {"the first fails", {QStringLiteral("exit 3"), add.arg(2)}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(log);
        reports.clear();
        const QString failed = runShellChain(c.lines);
        EXPECT_EQ(failed, c.failing < 0 ? QString() : c.lines.at(c.failing));
        EXPECT_EQ(QString::fromUtf8(test::readBytes(log)), c.ran);
        EXPECT_EQ(lastShell.command, c.lines.join(QStringLiteral("&&")));
        EXPECT_EQ(lastShell.errorCode == 0, c.failing < 0);
        ASSERT_EQ(reports.size(), c.failing < 0 ? 0 : 1);
        if (c.failing >= 0) {
            EXPECT_TRUE(reports.at(0).startsWith(QStringLiteral("While trying to run command: ") + failed + '\r'))
                << reports.at(0).toStdString();
        }
    }
    // Nothing to run: nothing runs, nothing fails.
    EXPECT_EQ(runShellChain({}), QString());
    EXPECT_EQ(lastShell.errorCode, 0);
}

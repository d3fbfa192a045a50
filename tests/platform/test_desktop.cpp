#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using namespace qlk;

TEST(FindFilesByName, CaseInsensitiveWildcardsSkippingHiddenFoldersAndMissingRoots)
{
    test::TestEnv env;
    env.writeFile(QStringLiteral("a/UPLR8A.afm"), "x");
    env.writeFile(QStringLiteral("a/sub/uplr8a.pfb"), "x");
    env.writeFile(QStringLiteral("a/.hidden/uplr8a.tfm"), "x");
    env.writeFile(QStringLiteral("b/other.afm"), "x");
    QStringList found = findFilesByName(
        {env.root() + QStringLiteral("/missing"), env.root() + QStringLiteral("/a"),
         env.root() + QStringLiteral("/b")},
        QStringLiteral("uplr8a*"));
    found.sort();
    ASSERT_EQ(found.size(), 2);
    EXPECT_TRUE(found.at(0).endsWith(QStringLiteral("a/UPLR8A.afm")));
    EXPECT_TRUE(found.at(1).endsWith(QStringLiteral("a/sub/uplr8a.pfb")));
}

TEST(EditorProgram, DefaultEditorIsTheDesktops)
{
    EXPECT_EQ(editorProgram(QStringLiteral("TextEdit")), QStringLiteral("xdg-open"));
    EXPECT_EQ(editorProgram(QStringLiteral(" textedit ")), QStringLiteral("xdg-open"));
    EXPECT_EQ(editorProgram(QString()), QStringLiteral("xdg-open"));
    EXPECT_EQ(editorProgram(QStringLiteral("kate")), QStringLiteral("kate"));
}

namespace {
// Lets the background open finish and its message arrive.
void waitForMessages(const test::TestEnv& env, int count)
{
    for (int i = 0; i < 500 && env.dialogs.messages.size() < count; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
}
} // namespace

// A failure to open a file is never silent: the message names the file and
// what went wrong (xdg-open's status, a program that cannot start).
TEST(OpenFiles, FailuresAreReportedWithTheFile)
{
    test::TestEnv env;
    const QString file = env.writeFile(QStringLiteral("a b.pdf"), "x");
    env.writeScript(QStringLiteral("bin/xdg-open"), QStringLiteral("exit 4"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", (env.root() + QStringLiteral("/bin:")).toLocal8Bit() + path);
    openWithDefault(file);
    waitForMessages(env, 1);
    qputenv("PATH", path);
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Could not open " + file + ": no program to open it was found, or it failed."});

    env.dialogs.messages.clear();
    openWithProgram(QStringLiteral("no-such-editor-here"), file);
    waitForMessages(env, 1);
    EXPECT_EQ(env.dialogs.messages, QStringList{"Could not open " + file +
                                                ": the program \"no-such-editor-here\" could not be started."});

    // A program that opens the file and ends well says nothing.
    env.dialogs.messages.clear();
    const QString seen = env.root() + QStringLiteral("/seen");
    const QString ok = env.writeScript(QStringLiteral("bin/viewer"), QStringLiteral("printf '%s' \"$1\" > '%1'").arg(seen));
    openWithProgram(ok, file);
    for (int i = 0; i < 500 && QFile(seen).size() == 0; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    waitForMessages(env, 1);
    EXPECT_EQ(test::readBytes(seen), file.toUtf8());
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
}

TEST(Paths, FoldersFollowTheHomeFolder)
{
    test::TestEnv env;
    EXPECT_EQ(homeFolder(), env.home());
    EXPECT_EQ(documentsFolder(), env.home() + QStringLiteral("/Documents"));
    EXPECT_TRUE(QDir(documentsFolder()).exists());
    EXPECT_EQ(configFolder(), env.home() + QStringLiteral("/.config"));
    EXPECT_TRUE(QFile::exists(texProgram(QStringLiteral("kpsewhich"))));
}

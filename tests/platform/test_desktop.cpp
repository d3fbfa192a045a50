#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

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

TEST(EditorCommandLine, DefaultEditorIsTheDesktopsAndPathsAreQuoted)
{
    const QString line = editorCommandLine(QStringLiteral("TextEdit"), QStringLiteral("/tmp/a b;$(x)"));
    EXPECT_TRUE(line.contains(QStringLiteral("xdg-open '/tmp/a b;$(x)'"))) << line.toStdString();
    const ProcessResult r = runBash(editorCommandLine(QStringLiteral("no-such-editor-here"), QStringLiteral("/tmp/x")));
    EXPECT_EQ(r.exitCode, 127);
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

#include "opentype/autoinst/AutoinstRun.h"

#include "platform/Paths.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlk;

TEST(AutoinstRun, CommandLineForTeXLive2022)
{
    AutoinstChoices c;
    c.encodings = QStringList{"TS1", "T1"};
    c.vendor = "public";
    c.family = "TeXGyrePagella";
    const QString head = texProgram("autoinst") +
                         " --noswash --notitling --noornaments --target=./texmf --encoding=TS1,T1 --vendor=public "
                         "--typeface=TeXGyrePagella";
    EXPECT_EQ(autoinstCommandLine(c), head + " -- *.otf");
    c.usage = 1;
    c.isotf = false;
    EXPECT_EQ(autoinstCommandLine(c), head + " --sanserif -- *.ttf");
    c.usage = 2;
    c.regularWeight = "light";
    c.boldWeight = "semibold";
    EXPECT_EQ(autoinstCommandLine(c), head + " --nfssweight=m=light --nfssweight=b=semibold --typewriter -- *.ttf");
    EXPECT_FALSE(autoinstCommandLine(c).contains("noupdmap"));

    for (const char* good : {"public", "TeX-Gyre_2"})
        EXPECT_TRUE(isAutoinstName(good)) << good;
    for (const char* bad : {"", "a b", "a'b", "a/b", "a;b", "..", "a\"b"})
        EXPECT_FALSE(isAutoinstName(bad)) << bad;
}

TEST(AutoinstRun, ScaleGoesIntoEitherStyForm)
{
    bool changed = false;
    const QString tl2022 = "\\RequirePackage{xkeyval}\n\\newcommand*{\\Libra@scale}{1}\n"
                           "\\DeclareOptionX{scale}{\\renewcommand*{\\Libra@scale}{#1}}\n";
    const QString scaled = scaleStyText(tl2022, "Libra", "0.9", &changed);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(scaled.contains("\\newcommand*{\\Libra@scale}{0.9}\n"));
    // The options keep their #1: only the default scale setting is rewritten.
    EXPECT_TRUE(scaled.contains("{\\renewcommand*{\\Libra@scale}{#1}}"));

    const QString older = "x\\RequirePackage{xkeyval}\n\\DeclareOptionX{scaled}{\\renewcommand*{\\Libra@scale}{##1}}\n"
                          "\\let\\DeclareOptionX\\relax\\renewcommand*{\\other}{##1}";
    const QString rewritten = scaleStyText(older, "Libra", "1.05", &changed);
    EXPECT_TRUE(changed);
    EXPECT_EQ(rewritten, "x\\RequirePackage{xkeyval}\n\\DeclareOptionX{scaled}{\\@tempdima=##1\\p@\\@tempdima=1.05"
                         "\\@tempdima\\xdef\\Libra@scale{\\strip@pt\\@tempdima}}\n"
                         "\\let\\DeclareOptionX\\relax\\renewcommand*{\\other}{##1}");

    const QString neither = "\\ProvidesPackage{Libra}\n";
    EXPECT_EQ(scaleStyText(neither, "Libra", "0.9", &changed), neither);
    EXPECT_FALSE(changed);
}

TEST(AutoinstRun, PrefixRenamesEncodingsAndTheMapFollows)
{
    test::TestEnv env;
    const QString enc = env.root() + "/enc";
    env.writeFile("enc/a_abc.enc", "1");
    env.writeFile("enc/a_def.enc", "2");
    const QString map = env.writeFile("Libra.map", "x <[a_abc.enc <f.pfb\ny <[a_def.enc <g.pfb\nz a_abc.enc\n");
    EXPECT_EQ(prefixEncodingFiles(enc, map, "xy"), QString());
    EXPECT_EQ(QDir(enc).entryList(QDir::Files), (QStringList{"xy_abc.enc", "xy_def.enc"}));
    EXPECT_EQ(test::readBytes(map), QByteArray("x <[xy_abc.enc <f.pfb\ny <[xy_def.enc <g.pfb\nz a_abc.enc\n"));

    // A missing map: nothing renamed.
    env.writeFile("enc2/a_abc.enc", "1");
    EXPECT_FALSE(prefixEncodingFiles(env.root() + "/enc2", env.root() + "/none.map", "xy").isEmpty());
    EXPECT_TRUE(QFileInfo::exists(env.root() + "/enc2/a_abc.enc"));
}

TEST(AutoinstRun, TestCopyIsRemovedAloneAtTheEnd)
{
    test::TestEnv env;
    texmfVar = env.texmfVar();
    env.writeFile("texmf/fonts/tfm/public/Libra/a.tfm", "a");
    env.writeFile("texmf/tex/latex/Libra/Libra.sty", "s");
    const QString other = env.writeFile("home/.texlive2022/texmf-var/fonts/tfm/public/Other/b.tfm", "b");
    QStringList copied;
    EXPECT_TRUE(copyForTest(env.root() + "/texmf", copied));
    EXPECT_EQ(copied.size(), 2);
    EXPECT_TRUE(QFileInfo::exists(texmfVar + "/fonts/tfm/public/Libra/a.tfm"));
    removeTestCopy(copied);
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/fonts/tfm/public/Libra"));
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/tex/latex"));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_TRUE(QFileInfo(texmfVar + "/tex").isDir());
}

TEST(AutoinstRun, FailedTestCopyIsReportedAndStillRemovable)
{
    test::TestEnv env;
    texmfVar = env.texmfVar();
    env.writeFile("texmf/fonts/tfm/public/Libra/a.tfm", "a");
    env.writeFile("texmf/tex/latex/Libra/Libra.sty", "s");
    // A plain file where the fonts folder would go: cp cannot put the
    // folder there, but copies the rest.
    ASSERT_TRUE(QDir().mkpath(texmfVar));
    QFile blocker(texmfVar + "/fonts");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QStringList copied;
    EXPECT_FALSE(copyForTest(env.root() + "/texmf", copied));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Copying the support files to " + texmfVar + " failed"))
        << env.dialogs.messages.first().toStdString();
    EXPECT_EQ(copied.size(), 2);
    EXPECT_TRUE(QFileInfo::exists(texmfVar + "/tex/latex/Libra/Libra.sty"));
    removeTestCopy(copied);
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/tex/latex/Libra"));
    EXPECT_TRUE(QFileInfo(texmfVar + "/fonts").isFile());
}

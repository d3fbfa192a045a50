#include "platform/Process.h"

#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"
#include "texenv/UpdmapCfg.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
} // namespace

TEST(Readupdmap, ReadsLowestPriorityFirstAndComparesMaps)
{
    test::TestEnv env;
    openLog(env.home());
    const QString dist = env.writeFile("dist/web2c/updmap.cfg", "LW35 URWkb\nMap a.map\nMap b.map\n");
    // No final line feed: must not swallow the next file's first line.
    const QString local = env.writeFile("local/web2c/updmap.cfg", "#! Map b.map");
    const QString sysconf = env.writeFile("sysconf/web2c/updmap.cfg", "Map added.map\nLW35 ADOBE\n");
    const QString personal = env.writeFile("home/texmf/web2c/updmap.cfg", "#! Map a.map\n");
    updmapSys = {sysconf, local, env.root() + "/gone/updmap.cfg", dist};
    updmapHome = {personal};
    texmfTrees.clear();
    texmfByName.clear();
    texmfDist = env.root() + "/dist";

    const QString without = readupdmap(false);
    EXPECT_EQ(without, QStringLiteral("LW35 URWkb\nMap a.map\nMap b.map\n#! Map b.map\nMap added.map\n"
                                      "LW35 ADOBE\n"));
    EXPECT_TRUE(homeCfgText.isEmpty());
    parsecfgstr();
    EXPECT_EQ(mapsDisabled, QStringList{"b.map"});
    EXPECT_EQ(mapsAdded, QStringList{"added.map"});

    const QString with = readupdmap(true);
    EXPECT_TRUE(with.endsWith(QLatin1String("LW35 ADOBE\n#! Map a.map\n")));
    parsecfgstr();
    EXPECT_EQ(mapsDisabled, (QStringList{"a.map", "b.map"}));
    EXPECT_EQ(env.takeQuits(), 0);
    closeLog();
    EXPECT_TRUE(readTextFile(env.home() + "/QLKlogfile.txt")
                    .contains(QLatin1String("In readupdmap: updmap1 has 4 entries, updmap2 has 1\n")));
}

TEST(Readupdmap, DebiansOwnUpdmapCfgCountsAsTheDistributions)
{
    test::TestEnv env;
    const QString dist = env.writeFile("dist/web2c/updmap.cfg", "Map a.map\n");
    const QString debian = env.writeFile("debian/web2c/updmap.cfg", "Map lm.map\n#! Map a.map\n");
    const QString local = env.writeFile("local/web2c/updmap.cfg", "Map mine.map\n");
    texmfDist = env.root() + "/dist";
    texmfLocal = env.root() + "/local";
    texmfTrees = {texmfLocal, env.root() + "/debian", texmfDist};
    texmfByName = {{"TEXMFLOCAL", texmfLocal}, {"TEXMFDIST", texmfDist}};
    updmapSys = {local, debian, dist};
    updmapHome.clear();
    EXPECT_EQ(readupdmap(false), QStringLiteral("Map a.map\nMap lm.map\n#! Map a.map\nMap mine.map\n"));
    parsecfgstr();
    EXPECT_TRUE(mapsDisabled.isEmpty());
    EXPECT_EQ(mapsAdded, QStringList{"mine.map"});
}

TEST(Readupdmap, NoSystemFileBailsOut)
{
    test::TestEnv env;
    openLog(env.home());
    updmapSys.clear();
    updmapHome = {env.writeFile("home/texmf/web2c/updmap.cfg", "Map a.map\n")};
    EXPECT_EQ(readupdmap(true), QString());
    const QString text = QStringLiteral("Something's wrong! You appear to have no updmap.cfg in your "
                                        "texmf system folders. Bailing out!");
    EXPECT_EQ(env.dialogs.messages, QStringList{text});
    EXPECT_EQ(env.takeQuits(), 1);
    closeLog();
    const QString log = readTextFile(env.home() + "/QLKlogfile.txt");
    // The count line comes before the reason, also when it quits.
    EXPECT_LT(log.indexOf("In readupdmap: updmap1 has 0 entries, updmap2 has 1"), log.indexOf(text));
}

TEST(UpdmapFiles, SortedByTheTreeTheyLieIn)
{
    texmfHome = "/home/jo/texmf";
    texmfVar = "/home/jo/.texlive2022/texmf-var";
    texmfConfig = "/home/jo/.texlive2022/texmf-config";
    QStringList system, personal;
    sortUpdmapFiles({"/home/jo/.texlive2022/texmf-config/web2c/updmap.cfg", "/usr/local/share/texmf/web2c/updmap.cfg",
                     "/home/jo/texmf/web2c/updmap.cfg", "/home/jo/texmf-old/web2c/updmap.cfg",
                     "/Library/texmf/web2c/updmap.cfg", "", "/usr/share/texlive/texmf-dist/web2c/updmap.cfg"},
                    system, personal);
    EXPECT_EQ(personal, (QStringList{"/home/jo/.texlive2022/texmf-config/web2c/updmap.cfg",
                                     "/home/jo/texmf/web2c/updmap.cfg"}));
    // A sibling of TEXMFHOME and a path that merely contains "/Library/" are system files.
    EXPECT_EQ(system, (QStringList{"/usr/local/share/texmf/web2c/updmap.cfg", "/home/jo/texmf-old/web2c/updmap.cfg",
                                   "/Library/texmf/web2c/updmap.cfg",
                                   "/usr/share/texlive/texmf-dist/web2c/updmap.cfg"}));
}

TEST(UpdmapLocalMerge, AppendsAsOneRootLineAndRemovesOnlyAfterwards)
{
    test::TestEnv env;
    const QString tree = env.root() + "/texmf local's";
    env.writeFile("texmf local's/web2c/updmap.cfg", "Map a.map\n");
    env.writeFile("texmf local's/web2c/updmap-local.cfg", "Map b.map\n");
    const QString command = updmapLocalMergeCommand(tree);
    EXPECT_TRUE(command.startsWith(QLatin1String("/usr/bin/sudo /bin/sh -c ")));
    // Run it as the administrator route would (sudo dropped).
    ProcessResult r = runBash(stripSudo(command));
    EXPECT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    EXPECT_EQ(readTextFile(tree + "/web2c/updmap.cfg"), QStringLiteral("Map a.map\nMap b.map\n"));
    EXPECT_FALSE(QFile::exists(tree + "/web2c/updmap-local.cfg"));

    // When the append fails the old file stays.
    env.writeFile("texmf local's/web2c/updmap-local.cfg", "Map c.map\n");
    QFile::remove(tree + "/web2c/updmap.cfg");
    QDir().mkpath(tree + "/web2c/updmap.cfg");
    r = runBash(stripSudo(command));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(QFile::exists(tree + "/web2c/updmap-local.cfg"));
}

TEST(OutOfBounds, NamesTheRoutineAndQuits)
{
    test::TestEnv env;
    const QStringList six(6);
    EXPECT_FALSE(guardBounds("init", [&] { checkedAt(six, 6); }));
    EXPECT_EQ(env.dialogs.messages, QStringList{"Out of Bounds error in init!"});
    EXPECT_EQ(env.takeQuits(), 1);
}

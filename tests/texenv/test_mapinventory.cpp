#include "platform/Paths.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"
#include "texenv/MapInventory.h"
#include "texenv/TexEnv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
void setTimes(const QString& path, const QDateTime& when)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(when, QFileDevice::FileModificationTime);
}
} // namespace

TEST(FindMapFiles, MissingFolderDoesNotHideTheOthers)
{
    test::TestEnv env;
    const QString one = env.writeFile("tree one/dvips/a.map", "");
    env.writeFile("tree one/dvips/notes.txt", "");
    const QString two = env.writeFile("tree two/dvips/sub/b.MAP.map", "");
    env.writeFile("tree two/dvips/updmap/pdftex.map", "");
    env.writeFile("tree two/dvips/UpdMap/x.map", "");
    const QStringList found = findMapFiles({env.root() + "/tree one/dvips", env.root() + "/missing/dvips",
                                            env.root() + "/tree two/dvips"},
                                           true);
    EXPECT_EQ(found.size(), 2);
    EXPECT_TRUE(found.contains(one));
    EXPECT_TRUE(found.contains(two));
    EXPECT_EQ(findMapFiles({env.root() + "/tree two/dvips"}, false).size(), 3);
    EXPECT_TRUE(findMapFiles({env.root() + "/missing"}, false).isEmpty());
}

// kpathsea reads no hidden entry: neither a hidden map nor the maps in a
// hidden folder, such as an interrupted install's copy, are listed.
TEST(FindMapFiles, HiddenEntriesAreLeftOut)
{
    test::TestEnv env;
    const QString map = env.writeFile("t/dvips/STIX/STIX.map", "");
    env.writeFile("t/dvips/.STIX.qlk-new/STIX.map", "");
    env.writeFile("t/dvips/STIX/.old.map", "");
    env.writeFile("t/dvips/v/.abc.map.qlk-new", "");
    EXPECT_EQ(findMapFiles({env.root() + "/t/dvips"}, false), QStringList{map});
}

// The start-up inventory of a personal tree that holds such a copy beside
// the installed package raises no competing-maps alert.
TEST(ScanFontMaps, AnInterruptedInstallsCopyIsNoCompetingMap)
{
    test::TestEnv env;
    openLog(env.home());
    texmfHome = env.texmfHome();
    texmfVar = env.texmfVar();
    texmfLocal = env.texmfLocal();
    mapDict.clear();
    const QString map = env.writeFile("home/texmf/fonts/map/dvips/STIX/STIX.map", "");
    env.writeFile("home/texmf/fonts/map/dvips/.STIX.qlk-new/STIX.map", "");
    scanFontMaps();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(personalMapFiles, QStringList{map});
    closeLog();
}

TEST(RegisterMaps, CompetingNamesAreReportedAndTheLaterPathWins)
{
    test::TestEnv env;
    openLog(env.home());
    mapDict.clear();
    mapDict.insert("newtx.map", "/dist/fonts/map/dvips/newtx/newtx.map");
    QStringList local, personal;
    registerMaps({"/local/fonts/map/dvips/newtx/NewTX.map", "/local/fonts/map/dvips/x/x.map"}, local);
    registerMaps({"/home/texmf/fonts/map/dvips/newtx.map"}, personal);
    EXPECT_EQ(local.size(), 2);
    EXPECT_EQ(personal.size(), 1);
    ASSERT_EQ(env.dialogs.messages.size(), 2);
    EXPECT_EQ(env.dialogs.messages.at(0),
              QStringLiteral("Alert!! Found competing .map files: \n/local/fonts/map/dvips/newtx/NewTX.map\n"
                             "/dist/fonts/map/dvips/newtx/newtx.map"));
    EXPECT_EQ(env.dialogs.messages.at(1),
              QStringLiteral("Alert!! Found competing .map files: \n/home/texmf/fonts/map/dvips/newtx.map\n"
                             "/local/fonts/map/dvips/newtx/NewTX.map"));
    EXPECT_EQ(mapDict.value("NEWTX.MAP"), QStringLiteral("/home/texmf/fonts/map/dvips/newtx.map"));
    closeLog();
    QFile log(env.home() + "/QLKlogfile.txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains(env.dialogs.messages.at(1)));
}

TEST(Getmaps, ActiveCopyFirstThenTheOthersWithGaplessTags)
{
    test::TestEnv env;
    const QString active = env.writeFile("sysvar/fonts/map/pdftex/updmap/pdftex.map", "");
    const QString same = env.writeFile("dist/fonts/map/pdftex/updmap/pdftex.map", "");
    const QString older = env.writeFile("home/texmf-var/fonts/map/pdftex/updmap/pdftex.map", "");
    const QDateTime t(QDate(2023, 4, 9), QTime(12, 0));
    setTimes(active, t);
    setTimes(same, t);
    setTimes(older, t.addDays(-3));
    // kpsewhich's listing: the copy in use first.
    const QString listing = active + "\n" + older + "\n\n" + same + "\n";
    mapListTags.clear();
    mapListPaths.clear();
    mapListDates.clear();
    getmaps(listing);
    EXPECT_EQ(env.takeQuits(), 0);
    EXPECT_EQ(mapRoot, env.root() + "/sysvar/fonts/map/");
    EXPECT_EQ(mapListTags, (QStringList{"[M0]", "[M1]", "[M2]"}));
    EXPECT_EQ(mapListPaths, (QStringList{env.root() + "/sysvar/fonts/map/",
                                         env.root() + "/home/texmf-var/fonts/map/",
                                         env.root() + "/dist/fonts/map/"}));
    EXPECT_EQ(mapListDates, (QStringList{"2023-04-09", "2023-04-06", "2023-04-09"}));
    // Same date is not newer.
    EXPECT_FALSE(newerMapCopy);

    setTimes(older, t.addSecs(60));
    mapListTags.clear();
    mapListPaths.clear();
    mapListDates.clear();
    getmaps(listing);
    EXPECT_TRUE(newerMapCopy);
}

TEST(Getmaps, FatalAnswers)
{
    // No copy listed, or the one in use (the first) outside a pdftex folder.
    const char* const listings[] = {"", "\n\n",
                                    "/a/fonts/map/dvips/pdftex.map\n/b/fonts/map/pdftex/updmap/pdftex.map"};
    for (const char* listing : listings) {
        SCOPED_TRACE(listing);
        test::TestEnv env;
        getmaps(QString::fromLatin1(listing));
        EXPECT_EQ(env.dialogs.messages,
                  QStringList{"pdftex.map not found in your TeX trees. This should not happen. Check that your TeX "
                              "is functional."});
        EXPECT_EQ(env.takeQuits(), 1);
    }
}

TEST(DistMaps, DistributionMapsByNameLaterPathWins)
{
    test::TestEnv env;
    texmfDist = env.root() + "/dist";
    const QString debianTree = env.root() + "/debian";
    texmfTrees = {env.texmfHome(), debianTree, texmfDist};
    texmfHome = env.texmfHome();
    texmfByName = {{"TEXMFHOME", texmfHome}, {"TEXMFDIST", texmfDist}};
    env.writeFile("dist/fonts/map/dvips/a/dup.map", "");
    env.writeFile("dist/fonts/map/dvips/b/Dup.map", "");
    env.writeFile("dist/fonts/map/dvips/cm/cm.map", "");
    env.writeFile("debian/fonts/map/dvips/lm/lm.map", "");
    env.writeFile("home/texmf/fonts/map/dvips/mine.map", "");
    distMaps();
    EXPECT_EQ(mapDict.size(), 3);
    EXPECT_EQ(mapDict.value("dup.map"), env.root() + "/dist/fonts/map/dvips/b/Dup.map");
    EXPECT_EQ(mapDict.value("lm.map"), env.root() + "/debian/fonts/map/dvips/lm/lm.map");
    EXPECT_FALSE(mapDict.contains("mine.map"));
}

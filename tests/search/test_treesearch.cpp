#include "SearchFixture.h"

#include "platform/Process.h"
#include "search/TreeSearch.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlk;
using test::SearchTrees;
using test::TestEnv;
using test::writeAt;

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// A name that means something to the shell and to option parsers: a leading
// "-", both quotes, a command substitution and backquotes.
const QString kHostile = QStringLiteral("-qlk'\"$(touch PWNED)`touch PWNED2`");

void expectNothingRan(const TestEnv& env)
{
    for (const QString& folder : {QDir::currentPath(), env.home(), env.root()}) {
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/PWNED"))) << folder.toStdString();
        EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/PWNED2"))) << folder.toStdString();
    }
}

QString realTree(const char* variable)
{
    return runProgram(QStringLiteral("/usr/bin/kpsewhich"),
                      {QStringLiteral("-var-value=") + QLatin1String(variable)})
        .output.trimmed();
}

// What a searchMaps run showed, in order.
struct ViewRecorder {
    QStringList events;
    QStringList reports;
    MapSearchView view()
    {
        MapSearchView v;
        v.showResults = [this](const QString& r) {
            events << QStringLiteral("show");
            reports << r;
        };
        v.setTitle = [this](const QString& t) { events << QStringLiteral("title:") + t; };
        v.closeDialog = [this] { events << QStringLiteral("close"); };
        return v;
    }
};

} // namespace

// ---------------------------------------------------------------- findInTrees

TEST(FindInTrees, PersonalTreesByFindThenSystemTreesByNameThenByPathPieces)
{
    TestEnv env;
    SearchTrees trees(env);
    const QString var = writeAt(texmfVar + QStringLiteral("/fonts/tfm/x/QLKZZ8A.tfm"), "x");
    const QString config = writeAt(texmfConfig + QStringLiteral("/qlkzz8a.cfg"), "x");
    const QString homeDir = texmfHome + QStringLiteral("/fonts/qlkzz8a-dir");
    QDir().mkpath(homeDir); // find lists folders too
    const QString sysvar = writeAt(texmfSysVar + QStringLiteral("/qlkzz8a.log"), "x");
    const QString sysconfig = writeAt(texmfSysConfig + QStringLiteral("/qlkzz8a.cnf"), "x");
    const QString local = writeAt(texmfLocal + QStringLiteral("/fonts/afm/qlkzz8a.afm"), "x");
    const QString dist = writeAt(texmfDist + QStringLiteral("/fonts/type1/qlkzz8a.pfb"), "x");
    writeAt(texmfDist + QStringLiteral("/fonts/type1/other.pfb"), "x");
    writeAt(texmfHome + QStringLiteral("/fonts/other.afm"), "x");

    const QString result = findInTrees(QStringLiteral("qlkzz8a*"));
    const QStringList lines = result.split(lf);
    ASSERT_EQ(lines.size(), 11) << result.toStdString();
    EXPECT_EQ(sorted(lines.mid(0, 4)), sorted({var, config, homeDir, sysvar}));
    EXPECT_EQ(sorted(lines.mid(4, 3)), sorted({sysconfig, local, dist}));
    // The path-piece search lists the system trees' files once more.
    EXPECT_EQ(sorted(lines.mid(7, 4)), sorted({sysconfig, sysvar, local, dist}));
}

TEST(FindInTrees, LineEndsFollowWhichSearchAnswered)
{
    TestEnv env;
    SearchTrees trees(env);
    // Neither the texmf-var parent nor TEXMFSYSVAR exists here: the missing
    // roots are left out instead of failing the whole walk.
    const QString home = writeAt(texmfHome + QStringLiteral("/tex/latex/qlkone/qlkone.sty"), "x");
    EXPECT_EQ(findInTrees(QStringLiteral("QLKONE.STY")), home + lf);

    // A file only the path-piece search sees: its name lacks "qlkmm".
    const QString byPath = writeAt(texmfSysVar + QStringLiteral("/qlkmm/readme.txt"), "x");
    EXPECT_EQ(findInTrees(QStringLiteral("qlkmm*readme*")), byPath);

    EXPECT_EQ(findInTrees(QStringLiteral("qlk-nowhere-*")), QString());
}

TEST(FindInTrees, APatternWithoutStarFiltersTheFullTreeListingToo)
{
    TestEnv env;
    SearchTrees trees(env);
    const QString dist = writeAt(texmfDist + QStringLiteral("/fonts/afm/qlkyy.afm"), "x");
    writeAt(texmfDist + QStringLiteral("/fonts/afm/unrelated.afm"), "x");
    // Found by name and again by path; the unrelated file never shows.
    EXPECT_EQ(findInTrees(QStringLiteral("qlkyy.afm")), dist + lf + dist);
}

TEST(FindInTrees, HostilePatternIsAFileNameNotShellCodeOrAnOption)
{
    TestEnv env;
    SearchTrees trees(env);
    const QString name = kHostile + QStringLiteral(" x.afm");
    const QString home = writeAt(texmfHome + QLatin1Char('/') + name, "x");
    const QString dist = writeAt(texmfDist + QLatin1Char('/') + name, "x");
    EXPECT_EQ(findInTrees(name), home + lf + dist + lf + dist);
    const QString dash = writeAt(texmfHome + QStringLiteral("/-qlkdash.afm"), "x");
    EXPECT_EQ(findInTrees(QStringLiteral("-qlkdash*")), dash + lf);
    expectNothingRan(env);
}

TEST(FindInTrees, RealPalatinoFilesOfTheDistribution)
{
    TestEnv env;
    SearchTrees trees(env, realTree("TEXMFDIST"));
    const QString afm = test::texFile(QStringLiteral("uplr8a.afm"));
    const QString pfb = test::texFile(QStringLiteral("uplr8a.pfb"));
    ASSERT_FALSE(afm.isEmpty()) << "texlive-fonts-recommended is missing";
    const QStringList lines = findInTrees(QStringLiteral("uplr8a*")).split(lf);
    EXPECT_TRUE(lines.contains(afm));
    EXPECT_TRUE(lines.contains(pfb));
}

// ------------------------------------------------------------ findMetricFile

TEST(FindMetricFile, AfmBeforeTfmKpsewhichBeforeTheNameSearch)
{
    TestEnv env;
    SearchTrees trees(env);
    const QString aAfm = writeAt(texmfHome + QStringLiteral("/fonts/afm/qlk/qlkaa.afm"), "x");
    writeAt(texmfHome + QStringLiteral("/fonts/tfm/qlk/qlkaa.tfm"), "x");
    const QString bTfm = writeAt(texmfHome + QStringLiteral("/fonts/tfm/qlk/qlkbb.tfm"), "x");
    // Outside every tree: only the search by name finds it.
    const QString cAfm = writeAt(env.home() + QStringLiteral("/Documents/qlkcc.afm"), "x");
    const QString dTfm = writeAt(texmfHome + QStringLiteral("/fonts/tfm/qlk/-qlkdd.tfm"), "x");
    const QString eTfm = writeAt(texmfHome + QStringLiteral("/fonts/tfm/qlk/") + kHostile + QStringLiteral(".tfm"), "x");

    const struct {
        QString name;
        QString expected;
    } cases[] = {
        {QStringLiteral("qlkaa"), aAfm},
        {QStringLiteral("qlkbb"), bTfm},
        {QStringLiteral("qlkcc"), cAfm},
        {QStringLiteral("-qlkdd"), dTfm},
        {kHostile, eTfm},
        {QStringLiteral("qlknone"), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findMetricFile(c.name), c.expected) << c.name.toStdString();
    expectNothingRan(env);
}

TEST(FindMetricFile, RealDistributionFont)
{
    TestEnv env;
    SearchTrees trees(env, realTree("TEXMFDIST"));
    const QString afm = test::texFile(QStringLiteral("uplr8a.afm"));
    ASSERT_FALSE(afm.isEmpty());
    EXPECT_EQ(findMetricFile(QStringLiteral("uplr8a")), afm);
}

// ------------------------------------------------------------- grepMasterMap

TEST(GrepMasterMap, OnlyLinesWhoseFirstFieldIsTheFont)
{
    TestEnv env;
    SearchTrees trees(env);
    EXPECT_TRUE(grepMasterMap(QStringLiteral("ptmr8r")).isEmpty()); // no master map yet
    writeAt(masterMapPath(),
            "% ptmr8r in a comment\n"
            "ptmr8rn NimbusRomNo9L-Regu \" .82 ExtendFont \" <8r.enc <utmr8a.pfb\n"
            "ptmr8r NimbusRomNo9L-Regu \" TeXBase1Encoding ReEncodeFont \" <8r.enc <utmr8a.pfb\n"
            "xptmr8r ptmr8r <x.pfb\n"
            "Ptmr8r Upper <u.pfb\n");
    EXPECT_EQ(grepMasterMap(QStringLiteral("ptmr8r")),
              QStringList{"ptmr8r NimbusRomNo9L-Regu \" TeXBase1Encoding ReEncodeFont \" <8r.enc <utmr8a.pfb"});
    EXPECT_TRUE(grepMasterMap(QStringLiteral("qlknone")).isEmpty());
}

TEST(GrepMasterMap, RealPdftexMap)
{
    TestEnv env(false);
    SearchTrees trees(env);
    const QString real = test::texFile(QStringLiteral("pdftex.map"));
    ASSERT_FALSE(real.isEmpty()) << "no pdftex.map";
    mapRoot = real.left(real.lastIndexOf(QStringLiteral("pdftex/")));
    ASSERT_EQ(masterMapPath(), real);
    const QStringList lines = grepMasterMap(QStringLiteral("ptmr8r"));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("ptmr8r "))) << lines.at(0).toStdString();
}

// -------------------------------------------------------- the grep routines

class GrepMaps : public ::testing::Test {
protected:
    TestEnv env;
    SearchTrees trees{env};
    QString distMap, localMap, homeMap;
    void SetUp() override
    {
        distMap = writeAt(texmfDist + QStringLiteral("/fonts/map/dvips/qlk/a.map"),
                          "qlkfont QLK-Regular <qlk.pfb\nother Other <o.pfb\n");
        // A blank in the folder and the name, and an upper-case extension.
        localMap = writeAt(texmfLocal + QStringLiteral("/fonts/map/dvips/my maps/b b.MAP"),
                           "QLKFONT2 QLK-Bold <qlkb.pfb\n");
        homeMap = writeAt(texmfHome + QStringLiteral("/fonts/map/dvips/p.map"),
                          "qlkfont3 QLK-Italic <qlki.pfb\n");
        writeAt(texmfDist + QStringLiteral("/fonts/enc/dvips/qlk/not-a-map.enc"), "qlkfont\n");
    }
};

TEST_F(GrepMaps, SystemMapsCarryTheirPathsAndCaseSwitch)
{
    EXPECT_EQ(grepSystemMaps(QStringLiteral("qlkfont"), 0), distMap + QStringLiteral(":qlkfont QLK-Regular <qlk.pfb"));
    EXPECT_EQ(grepSystemMaps(QStringLiteral("qlkfont"), 1),
              distMap + QStringLiteral(":qlkfont QLK-Regular <qlk.pfb") + lf + localMap +
                  QStringLiteral(":QLKFONT2 QLK-Bold <qlkb.pfb"));
    // Only 1 means "ignore case".
    EXPECT_EQ(grepSystemMaps(QStringLiteral("QLKFONT"), 2), localMap + QStringLiteral(":QLKFONT2 QLK-Bold <qlkb.pfb"));
    EXPECT_EQ(grepSystemMaps(QStringLiteral("qlknone"), 1), QString());
}

TEST_F(GrepMaps, PersonalMapsNameTheFileOnlyWhenThereAreSeveral)
{
    EXPECT_EQ(grepPersonalMaps(QStringLiteral("QLKFONT"), 1), QStringLiteral("qlkfont3 QLK-Italic <qlki.pfb"));
    const QString second = writeAt(texmfHome + QStringLiteral("/fonts/map/dvips/q.map"), "qlkfont4 Q <q.pfb\n");
    EXPECT_EQ(grepPersonalMaps(QStringLiteral("qlkfont"), 0),
              homeMap + QStringLiteral(":qlkfont3 QLK-Italic <qlki.pfb") + lf + second +
                  QStringLiteral(":qlkfont4 Q <q.pfb"));
}

TEST_F(GrepMaps, AllMapsKeepOneResultALine)
{
    const QStringList lines = grepAllMaps(QStringLiteral("qlkfont"), 1).split(lf);
    EXPECT_EQ(lines, (QStringList{distMap + QStringLiteral(":qlkfont QLK-Regular <qlk.pfb"),
                                  localMap + QStringLiteral(":QLKFONT2 QLK-Bold <qlkb.pfb"),
                                  QStringLiteral("qlkfont3 QLK-Italic <qlki.pfb")}));
    EXPECT_EQ(grepAllMaps(QStringLiteral("qlkfont3"), 0), QStringLiteral("qlkfont3 QLK-Italic <qlki.pfb"));
    EXPECT_EQ(grepAllMaps(QStringLiteral("Regular"), 0), distMap + QStringLiteral(":qlkfont QLK-Regular <qlk.pfb"));
    EXPECT_EQ(grepAllMaps(QStringLiteral("qlknone"), 1), QString());
}

TEST_F(GrepMaps, HostilePatternIsSearchedForLiterally)
{
    const QString line = kHostile + QStringLiteral(" Odd <odd.pfb");
    const QString odd = writeAt(texmfDist + QStringLiteral("/fonts/map/dvips/qlk/odd.map"), line.toUtf8() + "\n");
    EXPECT_EQ(grepSystemMaps(kHostile, 0), odd + QLatin1Char(':') + line);
    EXPECT_EQ(grepAllMaps(kHostile, 1), odd + QLatin1Char(':') + line);
    expectNothingRan(env);
}

// ---------------------------------------------------------------- searchMaps

TEST(SearchMaps, NothingFoundReportsTheMasterMapAndTheTitles)
{
    TestEnv env;
    SearchTrees trees(env);
    writeAt(masterMapPath(), "ptmr8r NimbusRomNo9L-Regu <utmr8a.pfb\n");
    writeAt(texmfHome + QStringLiteral("/fonts/map/dvips/p.map"), "qlkfont3 QLK-Italic <qlki.pfb\n");
    ViewRecorder rec;
    const QString report = searchMaps(QStringLiteral("qlk-nowhere"), false, true, rec.view());
    const QString expected = QStringLiteral("Nothing found in master pdftex.map:") + cr + masterMapPath() +
                             QLatin1Char(':') + cr + cr;
    EXPECT_EQ(report, expected);
    EXPECT_EQ(rec.events, (QStringList{"show", "title:Searching for \"qlk-nowhere\"", "show", "show", "close",
                                       "title:Finished search in maps for \"qlk-nowhere\""}));
    EXPECT_EQ(rec.reports.last(), expected);
}

class SearchMapsFixture : public ::testing::Test {
protected:
    TestEnv env;
    SearchTrees trees{env};
    QString copy, varMap, distMap, localMap, homeMap, docMap;
    void SetUp() override
    {
        writeAt(masterMapPath(), "qlkfont Master-Regular <a.pfb\nother x\nQLKFONT9 Master-Upper <u.pfb\n");
        const QString copyRoot = env.root() + QStringLiteral("/copy/fonts/map/");
        copy = writeAt(copyRoot + QStringLiteral("pdftex/updmap/pdftex.map"), "qlkfont Copy <c.pfb\n");
        otherPdftexMaps = {copyRoot, env.root() + QStringLiteral("/gone/fonts/map/")};
        const QString varDvips = texmfVar + QStringLiteral("/fonts/map/dvips/");
        varMap = writeAt(varDvips + QStringLiteral("v.map"), "qlkfont Var\n");
        writeAt(varDvips + QStringLiteral("UpDmap/u.map"), "qlkfont Updmap\n");
        writeAt(varDvips + QStringLiteral("UPPER.MAP"), "qlkfont Upper-case name\n");
        QDir().mkpath(varDvips + QStringLiteral("folder.map")); // grep cannot read it
        distMap = writeAt(texmfDist + QStringLiteral("/fonts/map/dvips/qlk/a.map"), "qlkfont Dist\n");
        localMap = writeAt(texmfLocal + QStringLiteral("/fonts/map/dvips/my maps/b b.map"), "qlkfont Local\n");
        homeMap = writeAt(texmfHome + QStringLiteral("/fonts/map/dvips/p.map"), "qlkfont Home\n");
        docMap = writeAt(env.home() + QStringLiteral("/Documents/doc.map"), "qlkfont Doc\n");
    }
    // A file-set block entry: the path with its colon, the line indented.
    static QString entry(const QString& path, const QString& line)
    {
        return path + QLatin1Char(':') + cr + QStringLiteral("  ") + line + cr;
    }
};

TEST_F(SearchMapsFixture, EverySectionInOrderWithPersonalMapsUnderTheirTree)
{
    ViewRecorder rec;
    const QString report = searchMaps(QStringLiteral("qlkfont"), false, true, rec.view());
    const QString master = QStringLiteral("Search target found in master pdftex.map:") + cr + masterMapPath() +
                           QLatin1Char(':') + cr + QStringLiteral("  qlkfont Master-Regular <a.pfb") + cr + cr;
    const QString copies = entry(copy, QStringLiteral("qlkfont Copy <c.pfb"));
    const QString var = cr + entry(varMap, QStringLiteral("qlkfont Var"));
    const QString system = cr + entry(distMap, QStringLiteral("qlkfont Dist")) + entry(localMap, QStringLiteral("qlkfont Local"));
    const QString personal = cr + entry(homeMap, QStringLiteral("qlkfont Home"));
    EXPECT_EQ(report, master + copies + var + system + personal);
    ASSERT_TRUE(homeMap.startsWith(env.texmfHome()));
    EXPECT_EQ(rec.reports, (QStringList{master + copies + var, master + copies + var + system, report}));
}

TEST_F(SearchMapsFixture, CaseAndHomeSwitches)
{
    const QString withCase = searchMaps(QStringLiteral("QLKFONT"), false, true);
    EXPECT_TRUE(withCase.contains(QStringLiteral("  QLKFONT9 Master-Upper <u.pfb")));
    EXPECT_FALSE(withCase.contains(QStringLiteral("Master-Regular")));
    EXPECT_FALSE(withCase.contains(homeMap));

    const QString noCase = searchMaps(QStringLiteral("QLKFONT"), false, false);
    for (const QString& path : {copy, varMap, distMap, localMap, homeMap})
        EXPECT_TRUE(noCase.contains(path + QLatin1Char(':'))) << path.toStdString();
    EXPECT_TRUE(noCase.contains(QStringLiteral("  qlkfont Master-Regular <a.pfb") + cr +
                                QStringLiteral("  QLKFONT9 Master-Upper <u.pfb") + cr));
    // Never searched: maps updmap writes, a name in upper case under TEXMFVAR.
    EXPECT_FALSE(noCase.contains(QStringLiteral("Updmap")));
    EXPECT_FALSE(noCase.contains(QStringLiteral("Upper-case name")));
    EXPECT_FALSE(noCase.contains(docMap));

    const QString plusHome = searchMaps(QStringLiteral("qlkfont"), true, true);
    EXPECT_TRUE(plusHome.endsWith(cr + entry(docMap, QStringLiteral("qlkfont Doc")) +
                                  entry(homeMap, QStringLiteral("qlkfont Home"))))
        << plusHome.toStdString();
}

TEST_F(SearchMapsFixture, HostileTextIsSearchedForLiterally)
{
    const QString line = kHostile + QStringLiteral(" Odd <odd.pfb");
    writeAt(masterMapPath(), line.toUtf8() + "\n");
    const QString odd = writeAt(texmfHome + QStringLiteral("/fonts/map/dvips/odd maps/o'dd.map"), line.toUtf8() + "\n");
    ViewRecorder rec;
    const QString report = searchMaps(kHostile, false, true, rec.view());
    EXPECT_EQ(report, QStringLiteral("Search target found in master pdftex.map:") + cr + masterMapPath() +
                          QLatin1Char(':') + cr + QStringLiteral("  ") + line + cr + cr + cr + entry(odd, line));
    EXPECT_EQ(rec.events.last(), QStringLiteral("title:Finished search in maps for \"") + kHostile + QLatin1Char('"'));
    expectNothingRan(env);
}

TEST(SearchMaps, RealTreesNothingFound)
{
    TestEnv env(false);
    SearchTrees trees(env, realTree("TEXMFDIST"));
    const QString real = test::texFile(QStringLiteral("pdftex.map"));
    ASSERT_FALSE(real.isEmpty());
    mapRoot = real.left(real.lastIndexOf(QStringLiteral("pdftex/")));
    ViewRecorder rec;
    EXPECT_EQ(searchMaps(QStringLiteral("qlk-no-such-font-anywhere"), false, false, rec.view()),
              QStringLiteral("Nothing found in master pdftex.map:") + cr + real + QLatin1Char(':') + cr + cr);
    EXPECT_EQ(rec.events.last(), QStringLiteral("title:Finished search in maps for \"qlk-no-such-font-anywhere\""));
    // And a real font is found in the master map.
    EXPECT_TRUE(searchMaps(QStringLiteral("^ptmr8r "), false, true)
                    .startsWith(QStringLiteral("Search target found in master pdftex.map:") + cr + real +
                                QLatin1Char(':') + cr + QStringLiteral("  ptmr8r ")));
}

#include "SearchFixture.h"

#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "search/Duplicates.h"
#include "search/FdCatalogue.h"
#include "search/KnownFonts.h"
#include "search/XHeight.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace qlk;
using test::machineVar;
using test::SearchTrees;
using test::TestEnv;
using test::writeAt;

namespace {

void setDate(const QString& path, const QString& date)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::fromString(date, Qt::ISODate), QFileDevice::FileModificationTime);
}

QStringList fileLinesOf(const QString& path)
{
    return QString::fromUtf8(test::readBytes(path)).split(QLatin1Char('\n'));
}

} // namespace

// --- Known fonts ---------------------------------------------------------

TEST(KnownFonts, ResolvesEntriesByTreeName)
{
    const QMap<QString, QString> trees{{"TEXMFDIST", "/d"}, {"TEXMFHOME", "/h"}};
    struct Case {
        const char* entry;
        const char* path;
    } cases[] = {
        {"{TEXMFDIST}/fonts/a.map", "/d/fonts/a.map"},
        {"{texmfdist}/fonts/a.map", "/d/fonts/a.map"}, // name case ignored
        {"{TeXmfHome}x.map", "/hx.map"},               // no separator added
        {"{TEXMFNONE}/fonts/a.map", "/fonts/a.map"},   // unknown: the rest alone
        {"{TEXMFDIST/fonts/a.map", ""},                // never closed
        {"/abs/{TEXMFDIST}/a.map", "/abs/{TEXMFDIST}/a.map"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveSourceEntry(QString::fromUtf8(c.entry), trees), QString::fromUtf8(c.path)) << c.entry;
}

TEST(KnownFonts, MatchesBeforeTheFirstAtOnly)
{
    const QString map = QStringLiteral("ptmr8r   Times-Roman   @r{adobe}\n"
                                       "@ptm comment mentions times\n"
                                       "xyz      Other         @r{Times}\n"
                                       "pxx      TIMESNEW      no at sign\r\n"
                                       "zzz      Plain\n");
    EXPECT_EQ(matchingMapLines(map, QStringLiteral("times")),
              (QStringList{"ptmr8r   Times-Roman   ", "pxx      TIMESNEW      no at sign\r"}));
    EXPECT_TRUE(matchingMapLines(map, QStringLiteral("@r")).isEmpty());
    EXPECT_TRUE(matchingMapLines(map, QStringLiteral("nothing")).isEmpty());
    // An empty search lists every line not starting with "@".
    EXPECT_EQ(matchingMapLines(map, QString()).size(), 4);
}

TEST(KnownFonts, SearchesTheRealMonotypeMapOverTheDefaultSources)
{
    TestEnv env;
    SearchTrees trees(env, machineVar("TEXMFDIST"));
    const QStringList defaults{"{TEXMFDIST}/fonts/map/fontname/adobe.map",
                               "{texmfdist}/fonts/map/fontname/monotype.map",
                               "{TEXMFDIST}/fonts/map/fontname/apple.map"};
    EXPECT_EQ(knownFontLines(QStringLiteral("  playtimemt "), defaults),
              (QStringList{"mpi319    PlaytimeMT                        MT  1346    play____",
                           "mpi319    PlaytimeMT                                    "}));
}

TEST(KnownFonts, SkipsUnreadableEntriesAndRepeatsListedTwice)
{
    TestEnv env;
    SearchTrees trees(env);
    writeAt(env.texmfHome() + "/m.map", "abc Foo @x\n@foo\n");
    QDir().mkpath(env.texmfHome() + "/folder.map");
    const QStringList entries{"{TEXMFHOME}/m.map", "{TEXMFHOME}/missing.map", "{TEXMFHOME}/folder.map",
                              "", "{NOSUCH}/m.map", "{TEXMFHOME}/m.map"};
    EXPECT_EQ(knownFontLines(QStringLiteral("foo"), entries), (QStringList{"abc Foo ", "abc Foo "}));
}

TEST(KnownFonts, SourceListSavedAndReadBack)
{
    TestEnv env;
    resetPrefsForTesting();
    EXPECT_EQ(sourceListFromText(QStringLiteral("  a.map\n\n {TEXMFDIST}/b.map \n\n\n")),
              (QStringList{"a.map", "", " {TEXMFDIST}/b.map"}));
    EXPECT_TRUE(sourceListFromText(QStringLiteral(" \n \n")).isEmpty());

    saveSourceList({});
    EXPECT_TRUE(sourceMapFiles.isEmpty());
    resetPrefsForTesting(); // a new run reads the file
    EXPECT_TRUE(haspref(QStringLiteral("sourcemaps")));
    EXPECT_EQ(prefText(QStringLiteral("sourcemaps")), QString());
    saveSourceList({"a.map", "b.map"});
    resetPrefsForTesting();
    EXPECT_EQ(prefText(QStringLiteral("sourcemaps")), QStringLiteral("a.map\tb.map"));
    resetPrefsForTesting();
}

// --- fd catalogue ---------------------------------------------------------

TEST(FdCatalogue, ClassifiesNamesTheBerryWay)
{
    struct Case {
        const char *base, *parent, *path, *enc, *berry;
    } cases[] = {
        {"t1ptm", "psnfss", "", "t1", "ptm"},
        {"ot1ptm", "psnfss", "", "ot1", "ptm"},
        {"ts1ptm", "psnfss", "", "ts1", "ptm"},
        {"t2acmr", "cyrillic", "", "t2a", "cmr"},
        {"omlcmm", "base", "", "oml", "cmm"},
        {"ts0abc", "other", "", "ts0", "abc"},
        {"umsa", "amsfonts", "", "u", "msa"},
        {"Umsa", "amsfonts", "", "U", "msa"},
        {"ucsabc", "ucs", "", "u", "csabc"},
        {"8rabc", "other", "", "8r", "abc"},
        {"c70song", "c70", "/t/tex/latex/cjk/c70/c70song.fd", "c70", "song"},
        {"c70song", "c70", "/t/tex/latex/CJK/c70/c70song.fd", "c7", "0song"},
        {"lsbc1abc", "chessfss", "", "lsbc1", "abc"},
        {"lsfskak", "chessfss", "", "lsf", "skak"},
        {"lsb1abc", "chessfss", "", "lsb1", "abc"},
        {"lgrabc", "cbcoptic", "", "lgra", "bc"},
        {"lfeabc", "arabi", "", "lfe", "abc"},
        {"sucmr", "sauterfonts", "", "su", "cmr"},
        {"ot1xcmr", "sauterfonts", "", "ot1x", "cmr"},
        {"TS0Xabc", "other", "", "ts0x", "abc"},
        {"mdomxabc", "other", "", "mdomx", "abc"},
        {"qxptm", "other", "", "qx", "ptm"},
        {"t0abc", "other", "", "", "t0abc"},
        {"cyrillic", "other", "", "", "cyrillic"},
        {"t1", "other", "", "t1", ""},
        {"mkrrashi", "ucs", "", "mkr", "rashi"},
        {"", "chessfss", "", "", ""},
    };
    for (const Case& c : cases) {
        const FdClass got = classifyFdName(QString::fromUtf8(c.base), QString::fromUtf8(c.path),
                                           QString::fromUtf8(c.parent));
        EXPECT_EQ(got.enc, QString::fromUtf8(c.enc)) << c.base << " in " << c.parent;
        EXPECT_EQ(got.berry, QString::fromUtf8(c.berry)) << c.base << " in " << c.parent;
        EXPECT_EQ(got.remarks, got.enc.isEmpty() ? QStringLiteral("Berry scheme not followed") : QString())
            << c.base;
    }
}

TEST(FdCatalogue, LaterTreesOverrideAndEveryDuplicateIsReported)
{
    TestEnv env;
    const QString d1 = writeAt(env.root() + "/d/a/t1abc.fd", "x");
    const QString d2 = writeAt(env.root() + "/d/b/t1abc.fd", "x");
    const QString l1 = writeAt(env.root() + "/l/c/T1ABC.fd", "x");
    const QString h1 = writeAt(env.root() + "/h/e/ot1xyz.fd", "x");
    setDate(d1, "2020-01-02T12:00:00");
    setDate(d2, "2021-03-04T12:00:00");
    setDate(l1, "2022-05-06T12:00:00");

    const QStringList report = buildFdCatalogue({{{d1, d2, h1 + "x"}, " noted in texmfdist", false},
                                                 {{l1}, " noted while scanning texmflocal", true},
                                                 {{}, " noted while scanning texmfhome", true},
                                                 {{}, " noted while scanning texmfvar", true}});
    ASSERT_EQ(report.size(), 9);
    EXPECT_EQ(report.mid(0, 6),
              (QStringList{"Duplicate t1abc.fd noted in texmfdist", "  0: " + d1 + "  (dated 2020-01-02)",
                           "  1: " + d2 + "  (dated 2021-03-04)",
                           "Duplicate T1ABC.fd noted while scanning texmflocal",
                           "  0: " + d1 + "  (dated 2020-01-02)", "  1: " + l1 + "  (dated 2022-05-06)"}));
    EXPECT_EQ(report.at(8), QStringLiteral("Use 'kpsewhich x.fd' (where x.fd is the duplicate name) to learn "
                                           "which is currently read by LaTeX."));
    EXPECT_EQ(fdCount(), QStringLiteral("2"));
    const QList<FdRow> rows = fdRows(QStringLiteral("abc"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.at(0).path, l1);
    EXPECT_EQ(rows.at(0).parent, QStringLiteral("c"));
    EXPECT_EQ(rows.at(0).enc, QStringLiteral("t1")); // the name keeps its first spelling
}

TEST(FdCatalogue, NothingFoundLeavesAnEmptyTableAndNoReport)
{
    EXPECT_TRUE(buildFdCatalogue({{{}, " noted in texmfdist", false}}).isEmpty());
    EXPECT_TRUE(fdPaths.isEmpty());
    EXPECT_EQ(fdCount(), QStringLiteral("0"));
    EXPECT_TRUE(fdRows(QString()).isEmpty());
}

TEST(FdCatalogue, FilterIsBoundDataWithLikeWildcards)
{
    buildFdCatalogue({{{"/t/tex/latex/psnfss/t1ptm.fd", "/t/tex/latex/psnfss/8rptm.fd",
                        "/t/tex/latex/lm/t1lmr.fd", "/t/tex/latex/x/cyrillic.fd", "/t/tex/latex/it's/t1q.fd"},
                       " noted in texmfdist",
                       false}});
    auto berries = [](const QString& filter) {
        QStringList out;
        for (const FdRow& r : fdRows(filter))
            out << r.berry;
        return out;
    };
    EXPECT_EQ(berries(QString()), (QStringList{"cyrillic", "lmr", "ptm", "ptm", "q"}));
    EXPECT_EQ(berries(QStringLiteral("PTM")), (QStringList{"ptm", "ptm"}));
    EXPECT_EQ(berries(QStringLiteral("%")).size(), 5);
    EXPECT_EQ(berries(QStringLiteral("l_r")), (QStringList{"lmr"}));
    EXPECT_EQ(berries(QStringLiteral("scheme")), (QStringList{"cyrillic"})); // Remarks
    EXPECT_EQ(berries(QStringLiteral("'")), (QStringList{"q"}));             // a quote is data
    EXPECT_EQ(berries(QStringLiteral("psnfss")), (QStringList{"ptm", "ptm"})); // by Path, not Parent alone
    EXPECT_EQ(fdCount(), QStringLiteral("5"));
}

TEST(FdCatalogue, ScansTheTreesInOrderWithDebiansDistributionTree)
{
    TestEnv env;
    SearchTrees trees(env, machineVar("TEXMFDIST"));
    const QString debian = machineVar("TEXMFDEBIAN");
    texmfTrees << debian;
    const QByteArray t1ptm = test::readBytes(test::texFile("t1ptm.fd"));
    const QString home = writeAt(env.texmfHome() + "/tex/latex/mine/t1ptm.fd", t1ptm);
    const QString var = writeAt(env.texmfVar() + "/tex/latex/gen/T1LMR.fd", "x");
    const QString local = writeAt(env.texmfLocal() + "/tex/latex/ucs/mkrrashi.fd", "x");

    const QList<FdScanStep> steps = scanFdTrees();
    ASSERT_EQ(steps.size(), 4);
    EXPECT_TRUE(steps[0].paths.contains(texmfDist + "/tex/latex/psnfss/t1ptm.fd"));
    EXPECT_TRUE(steps[0].paths.contains(debian + "/tex/latex/lm/t1lmr.fd"));
    EXPECT_EQ(steps[1].paths, QStringList{local});
    EXPECT_EQ(steps[2].paths, QStringList{home});
    EXPECT_EQ(steps[3].paths, QStringList{var});

    const QStringList report = buildFdCatalogue(steps);
    EXPECT_TRUE(report.contains("Duplicate t1ptm.fd noted while scanning texmfhome"));
    EXPECT_TRUE(report.contains("Duplicate T1LMR.fd noted while scanning texmfvar"));
    EXPECT_EQ(fdPaths.value("t1ptm.fd"), home);
    EXPECT_EQ(fdPaths.value("t1lmr.fd"), var);
    EXPECT_EQ(fdPaths.value("mkrrashi.fd"), local);
}

// --- Duplicates -----------------------------------------------------------

TEST(Duplicates, ParsesDebiansLsRAndListsTreesLikeLsR)
{
    const QList<LsRFolder> parsed = parseLsR(QStringLiteral(
        "% ls-R -- filename database\n./:\n.:\nfonts\nls-R\n\n./fonts/tfm:\ncmr10.tfm\nCMR10.TFM\n\n./tex:\n"));
    ASSERT_EQ(parsed.size(), 3);
    EXPECT_EQ(parsed[0].folder, QStringLiteral("/"));
    EXPECT_EQ(parsed[0].entries, (QStringList{".:", "fonts", "ls-R"}));
    EXPECT_EQ(parsed[1].folder, QStringLiteral("/fonts/tfm"));
    EXPECT_EQ(parsed[2].entries, QStringList());

    // The real distribution ls-R gives folders with their entries.
    const QString dist = machineVar("TEXMFDIST");
    const QList<LsRFolder> real = parseLsR(QString::fromUtf8(test::readBytes(dist + "/ls-R")));
    bool found = false;
    for (const LsRFolder& f : real)
        found = found || (f.folder == "/tex/latex/psnfss" && f.entries.contains("t1ptm.fd"));
    EXPECT_TRUE(found);

    TestEnv env;
    writeAt(env.root() + "/t/tex/a.sty", "");
    writeAt(env.root() + "/t/.hidden/b.sty", "");
    writeAt(env.root() + "/t/top.tex", "");
    const QList<LsRFolder> listed = listTree(env.root() + "/t");
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].folder, QStringLiteral("/"));
    EXPECT_EQ(listed[0].entries, (QStringList{"tex", "top.tex"}));
    EXPECT_EQ(listed[1].folder, QStringLiteral("/tex"));
}

TEST(Duplicates, CataloguesOnlyNamesMeaningfulToTeX)
{
    struct Case {
        const char* name;
        bool catalogued;
    } cases[] = {{"foo.sty", true}, {"CMR10.TFM", true}, {"foo.bar.sty", false}, {"README", false},
                 {"x.pdf", false},  {"a.lua", true},      {".:", false}};
    for (const Case& c : cases)
        EXPECT_EQ(isCataloguedName(QString::fromUtf8(c.name)), c.catalogued) << c.name;
    EXPECT_TRUE(isSkippedBranch("DOC"));
    EXPECT_FALSE(isSkippedBranch("tex"));
}

class DuplicateRun : public ::testing::Test {
protected:
    // A small distribution tree of the test's own, with an ls-R.
    void SetUp() override
    {
        dist = env.root() + "/dist";
        writeAt(dist + "/ls-R", "% ls-R\n./:\n.:\ntex\nfonts\ndoc\n\n./tex/latex/bar:\nfoo.sty\nCMR10.TFM\n\n"
                                "./fonts/tfm:\nptmr8t.tfm\n\n./doc/x:\nfoo.sty\n\n./tex:\nlatex\n");
    }
    QStringList run(DuplicateResult* out = nullptr)
    {
        QStringList statuses;
        DuplicateView view;
        view.status = [&statuses](const QString& s) { statuses << s; };
        view.progress = [this](const QString& p) { progress = p; };
        const DuplicateResult result = findDuplicates(view);
        if (out)
            *out = result;
        lastStatus = statuses.value(statuses.size() - 1);
        return result.reportFile.isEmpty() ? QStringList() : fileLinesOf(result.reportFile);
    }
    TestEnv env;
    QString dist;
    QString progress;
    QString lastStatus;
};

TEST_F(DuplicateRun, ReportsEachNameOnceNearestTreeFirstAndLeavesTreesAlone)
{
    SearchTrees trees(env, dist);
    writeAt(env.texmfVar() + "/tex/latex/gen/foo.sty", "");
    writeAt(env.texmfHome() + "/tex/latex/foo/foo.sty", "");
    writeAt(env.texmfHome() + "/tex/latex/other/foo.sty", "");
    writeAt(env.texmfHome() + "/tex/latex/cmr10.tfm", ""); // CMR10.TFM only matches exactly
    writeAt(env.texmfHome() + "/doc/foo.sty", "");         // never catalogued
    writeAt(env.texmfLocal() + "/fonts/x/foo.sty", "");    // another branch
    writeAt(env.texmfLocal() + "/fonts/tfm/adobe/ptmr8t.tfm", "");
    const QByteArray lsR = "% ls-R -- the user's own\n./:\nstale\n";
    writeAt(env.texmfHome() + "/ls-R", lsR);

    DuplicateResult result;
    const QStringList lines = run(&result);
    EXPECT_TRUE(result.finished);
    EXPECT_TRUE(result.reportFile.startsWith(documentsFolder() + "/dups"));
    EXPECT_EQ(lines, (QStringList{"Possible duplicate files in the texmf trees", "",
                                  env.texmfVar() + "/tex/latex/gen/foo.sty",
                                  env.texmfHome() + "/tex/latex/foo/foo.sty",
                                  env.texmfHome() + "/tex/latex/other/foo.sty", dist + "/tex/latex/bar/foo.sty", "",
                                  env.texmfLocal() + "/fonts/tfm/adobe/ptmr8t.tfm", dist + "/fonts/tfm/ptmr8t.tfm",
                                  "", ""}));
    EXPECT_EQ(test::readBytes(env.texmfHome() + "/ls-R"), lsR);
    EXPECT_FALSE(QFileInfo::exists(env.texmfVar() + "/ls-R"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfLocal() + "/ls-R"));
    EXPECT_EQ(lastStatus, QStringLiteral("Finished checking for all duplicates. See the report."));
    EXPECT_TRUE(progress.startsWith("Checking 1 files in " + env.texmfVar() + " for duplicates\n"));
}

TEST_F(DuplicateRun, ReportsDebiansDistributionTreeUnderItsOwnRoot)
{
    SearchTrees trees(env, dist);
    const QString debian = env.root() + "/debian"; // no ls-R: listed in memory
    writeAt(debian + "/tex/latex/lm/t1lmr.fd", "");
    texmfTrees << debian;
    writeAt(env.texmfHome() + "/tex/latex/lm/t1lmr.fd", "");
    EXPECT_EQ(run(), (QStringList{"Possible duplicate files in the texmf trees", "",
                                  env.texmfHome() + "/tex/latex/lm/t1lmr.fd", debian + "/tex/latex/lm/t1lmr.fd",
                                  "", ""}));
}

TEST_F(DuplicateRun, ShowsProgressEveryHundredthName)
{
    SearchTrees trees(env, dist);
    for (int i = 0; i < 250; ++i)
        writeAt(env.texmfHome() + QStringLiteral("/tex/f%1.sty").arg(i, 3, 10, QLatin1Char('0')), "");
    QDir().rmdir(env.texmfVar());
    EXPECT_EQ(run().size(), 3); // title, empty line, end of file
    EXPECT_EQ(progress, "Checking 250 files in " + env.texmfHome() + " for duplicates\nFinished checking 200 files of 250");
}

TEST_F(DuplicateRun, AnUnwritableDocumentsFolderEndsTheRunWithAMessage)
{
    SearchTrees trees(env, dist);
    writeAt(env.home() + "/Documents", "a file where the folder should be");
    DuplicateResult result;
    run(&result);
    EXPECT_FALSE(result.finished);
    EXPECT_FALSE(result.closeWindow);
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages[0].startsWith("Unable to create the report file "));
}

TEST(Duplicates, ReportNamesAreDrawnAgainWhileTaken)
{
    TestEnv env;
    const QString folder = env.root() + "/docs";
    QDir().mkpath(folder);
    for (int n = 1000; n <= 9999; ++n) {
        if (n != 4321)
            writeAt(folder + QStringLiteral("/dups%1.txt").arg(n), "");
    }
    EXPECT_EQ(newReportPath(folder), folder + "/dups4321.txt");
}

// --- Get x-height ---------------------------------------------------------

TEST(XHeight, SplitsNamesAndPaths)
{
    struct Case {
        const char *text, *folder, *name, *ext;
        bool error;
    } cases[] = {
        {"ptmr8r", "", "ptmr8r", "", false},
        {"cmr10.tfm", "", "cmr10", ".tfm", false},
        {"/a.b/c/ABC.PFB", "/a.b/c", "ABC", ".PFB", false},
        {"/x/abc", "/x", "abc", "", false},
        {"dir/a.b", "", "dir/a", ".b", false}, // only a leading "/" makes a path
        {"a.b.tfm", "", "", "", true},
        {"/x/a.b.tfm", "", "", "", true},
    };
    for (const Case& c : cases) {
        const XHeightName got = parseXHeightName(QString::fromUtf8(c.text));
        EXPECT_EQ(!got.error.isEmpty(), c.error) << c.text;
        if (c.error) {
            EXPECT_EQ(got.error, QStringLiteral("Can't have two periods in a tex filename"));
            continue;
        }
        EXPECT_EQ(got.folder, QString::fromUtf8(c.folder)) << c.text;
        EXPECT_EQ(got.name, QString::fromUtf8(c.name)) << c.text;
        EXPECT_EQ(got.ext, QString::fromUtf8(c.ext)) << c.text;
    }
}

TEST(XHeight, LooksNamesUpInOrderAndNeverRunsThem)
{
    TestEnv env;
    QString ext;
    EXPECT_TRUE(locateFontFile(QStringLiteral("cmr10"), ext).endsWith("/cmr10.afm"));
    EXPECT_EQ(ext, QStringLiteral(".afm"));
    EXPECT_TRUE(locateFontFile(QStringLiteral("ptmr8r"), ext).endsWith("/ptmr8r.tfm"));
    EXPECT_EQ(ext, QStringLiteral(".tfm"));

    const QString marker = env.root() + "/y";
    EXPECT_EQ(xHeightResult("x;touch " + marker), QString());
    EXPECT_FALSE(QFileInfo::exists(marker));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    const QString n = "x;touch " + marker;
    EXPECT_EQ(env.dialogs.messages[0], "Unable to find " + n + ".tfm, " + n + ".afm," + n + ".ttf, " + n +
                                           ".pfb or " + n + ".pfa");
    EXPECT_EQ(xHeightResult(QStringLiteral("-all")), QString()); // not an option
    EXPECT_EQ(xHeightResult(QStringLiteral("a.b.tfm")), QString());
    EXPECT_EQ(env.dialogs.messages.value(2), QStringLiteral("Can't have two periods in a tex filename"));
    EXPECT_EQ(xHeightResult(QStringLiteral("/x/abc.otf")), QString());
    EXPECT_EQ(env.dialogs.messages.size(), 3);
}

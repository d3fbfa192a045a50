#include "UninstallFixture.h"

#include "mathalpha/MathAlphabet.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "services/Runners.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"
#include "uninstall/PackageLookups.h"
#include "uninstall/PackageRemoval.h"
#include "uninstall/PackageSearch.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qlk;
using namespace qlk::test;

namespace {

const char* const kTfmAdobe = "fonts/tfm/adobe/times";
const char* const kTfmUrw = "fonts/tfm/urw35vf/times";

// The times packages of both suppliers in one tree, with a style file and
// a map, and canaries in the neighbouring folders.
QStringList placeTimes(const QString& tree, bool adobe, bool urw)
{
    if (adobe) {
        copyFromDist(kTfmAdobe, tree);
        copyFromDist("fonts/vf/adobe/times", tree);
    }
    if (urw) {
        copyFromDist(kTfmUrw, tree);
        copyFromDist("fonts/vf/urw35vf/times", tree);
        writeAt(tree + "/fonts/tfm/urw35vf/times/.hidden", "kept in the copy");
    }
    copyFromDist("fonts/type1/urw/times", tree);
    copyFromDist("fonts/map/dvips/times", tree);
    writeAt(tree + "/tex/latex/urw/times/qlktimes.sty", "\\ProvidesPackage{qlktimes}\n");
    QStringList canaries{tree + "/canary", tree + "/fonts/canary", tree + "/fonts/tfm/canary",
                         tree + "/fonts/vf/canary", tree + "/fonts/map/dvips/canary", tree + "/tex/latex/canary",
                         tree + "/fonts/type1/urw/canary"};
    if (adobe)
        canaries << tree + "/fonts/tfm/adobe/canary";
    for (const QString& c : canaries)
        writeAt(c, "canary");
    return canaries;
}

void expectAllExist(const QStringList& paths)
{
    for (const QString& p : paths)
        EXPECT_TRUE(QFileInfo::exists(p)) << p.toStdString();
}

} // namespace

// --- search ------------------------------------------------------------------

TEST(PackageSearch, DistributionFilesAreNeverMatches)
{
    UninstallWorld w;
    const QStringList trees = w.treeList();

    PackageSearchResult r = searchPackage(QStringLiteral("  times.sty "), trees);
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.distHas);
    EXPECT_EQ(r.message, QStringLiteral("Unable to locate times.sty in non-dist trees, even ignoring case."));

    // lmodern.sty lies in Debian's second distribution tree.
    r = searchPackage(QStringLiteral("lmodern.sty"), trees);
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.distHas);

    // Nor is a file in the working folder a match.
    const QString before = QDir::currentPath();
    QDir().mkpath(w.env.root() + "/work");
    writeAt(w.env.root() + "/work/qlkwork.sty", "x");
    QDir::setCurrent(w.env.root() + "/work");
    r = searchPackage(QStringLiteral("qlkwork.sty"), trees);
    QDir::setCurrent(before);
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(r.distHas);

    // kpsewhich ignores case where the exact name is missing; the second
    // search, for what it misses, does too.
    const QString sty = writeAt(texmfHome + "/tex/latex/mine/QLKMine.sty", "x");
    r = searchPackage(QStringLiteral("qlkmine.STY"), trees);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.fnd, QStringList{sty});
    const QString var = writeAt(texmfVar + "/tex/latex/x/QLKMINE.sty", "x");
    EXPECT_EQ(filesNamedNoCase({texmfLocal + "/tex/latex", texmfHome + "/tex/latex", texmfVar + "/tex/latex"},
                               "qlkMine.sty"),
              (QStringList{sty, var}));
}

TEST(PackageSearch, PackageTimesListsBothTfmFoldersAndClassifiesEach)
{
    UninstallWorld w;
    placeTimes(texmfLocal, true, true);
    writeAt(texmfHome + "/fonts/tfm/public/times/x.tfm", "");
    const QStringList trees = w.treeList();

    const PackageSearchResult r = searchPackage(QStringLiteral("times"), trees);
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(r.several);
    EXPECT_TRUE(r.distHas);
    EXPECT_TRUE(r.s4.isEmpty());
    const QStringList expected{texmfLocal + "/fonts/tfm/adobe/times:", texmfLocal + "/fonts/tfm/urw35vf/times:",
                               texmfHome + "/fonts/tfm/public/times:"};
    EXPECT_EQ(r.fnd, expected);
    EXPECT_EQ(r.message, "Found more than one match:\n" + expected.join('\n'));

    const char* const wanted[][2] = {{"TEXMFLOCAL", "adobe"}, {"TEXMFLOCAL", "urw35vf"}, {"TEXMFHOME", "public"}};
    for (int i = 0; i < 3; ++i) {
        const MatchInfo m = classifyMatch(r.s4, r.fnd.at(i), QStringLiteral("times"), trees);
        EXPECT_EQ(m.tree, QLatin1String(wanted[i][0]));
        EXPECT_EQ(m.supplier, QLatin1String(wanted[i][1]));
        EXPECT_EQ(m.package, QStringLiteral("times"));
        EXPECT_TRUE(m.removable());
    }

    // Typed names are data: nothing runs, nothing outside a match is listed.
    const QString marker = w.env.root() + "/y";
    for (const QString& name : QStringList{"tfm", ".*", "..", "a b", "x;touch " + marker, "$(touch " + marker + ")",
                                "x;touch " + marker + ".sty", "`touch " + marker + "`.map"}) {
        const PackageSearchResult bad = searchPackage(name, trees);
        EXPECT_FALSE(bad.found) << name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(marker));

    const PackageSearchResult none = searchPackage(QStringLiteral("qlknothing"), trees);
    EXPECT_FALSE(none.found);
    EXPECT_EQ(none.message, QStringLiteral("No match in non-dist trees:"));
}

TEST(PackageSearch, StyleFilesFindTheirSupplier)
{
    UninstallWorld w;
    const QStringList trees = w.treeList();
    writeAt(texmfHome + "/fonts/tfm/adobe/garamond/a.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/urw/garamond/a.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/solo/onlyone/a.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/flat/a.tfm", "");

    struct Case {
        const char* sty;
        const char* supplier;
        const char* package;
        QStringList choices;
        const char* messageStart;
    } cases[] = {
        {"/tex/latex/adobe/garamond/x.sty", "adobe", "garamond", {}, ""},
        {"/tex/latex/garamond/x.sty", "", "garamond", {"adobe", "urw"}, "There are several packages"},
        {"/tex/latex/onlyone/x.sty", "solo", "onlyone", {}, ""},
        {"/tex/latex/top.sty", "", "", {}, "This sty file was installed with no package information."},
        {"/tex/latex/none/x.sty", "", "none", {}, "No tfm files in this package."},
        {"/tex/latex/flat/x.sty", "", "flat", {}, "This package file was installed with no vendor information."},
        {"/tex/generic/g/x.sty", "", "", {}, "This sty file does not lie below tex/latex."},
    };
    for (const Case& c : cases) {
        const QString path = writeAt(texmfHome + QLatin1String(c.sty), "x");
        const MatchInfo m = classifyMatch(QStringLiteral(".STY"), path, QString(), trees);
        EXPECT_EQ(m.tree, QStringLiteral("TEXMFHOME")) << c.sty;
        EXPECT_EQ(m.supplier, QLatin1String(c.supplier)) << c.sty;
        EXPECT_EQ(m.package, QLatin1String(c.package)) << c.sty;
        EXPECT_EQ(m.supplierChoices, c.choices) << c.sty;
        if (*c.messageStart)
            EXPECT_TRUE(m.message.startsWith(QLatin1String(c.messageStart))) << c.sty << ": " << m.message.toStdString();
        else
            EXPECT_TRUE(m.message.isEmpty()) << c.sty << ": " << m.message.toStdString();
        EXPECT_EQ(m.removable(), QLatin1String(c.supplier)[0] != QChar() ) << c.sty;
    }
}

TEST(PackageSearch, MapFilesAreTracedThroughTheirFirstFont)
{
    UninstallWorld w;
    const QStringList trees = w.treeList();
    copyFromDist(kTfmUrw, texmfHome);
    copyFromDist("fonts/map/dvips/times", texmfHome);

    const PackageSearchResult r = searchPackage(QStringLiteral("utm.map"), trees);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.fnd, QStringList{texmfHome + "/fonts/map/dvips/times/utm.map"});
    EXPECT_TRUE(r.distHas);
    MatchInfo m = classifyMatch(r.s4, r.fnd.at(0), QString(), trees);
    EXPECT_EQ(m.tree, QStringLiteral("TEXMFHOME"));
    EXPECT_EQ(m.package, QStringLiteral("times"));
    EXPECT_EQ(m.supplier, QStringLiteral("urw35vf"));
    EXPECT_FALSE(m.offerMapDeletion);

    // Two package folders for one font: the package popup; one package
    // under two suppliers: the supplier popup.
    writeAt(texmfLocal + "/fonts/tfm/a/one/qlkf.tfm", "");
    writeAt(texmfLocal + "/fonts/tfm/a/two/qlkf.tfm", "");
    writeAt(texmfLocal + "/fonts/tfm/b/three/qlkg.tfm", "");
    writeAt(texmfLocal + "/fonts/tfm/c/three/qlkg.tfm", "");
    const QString two = writeAt(texmfLocal + "/fonts/map/dvips/x/two.map", "% a comment <x.pfb\nqlkf F <f.pfb\n");
    // TEXMFLOCAL is read through its ls-R, as after every installation.
    runProgram(texProgram("mktexlsr"), {texmfLocal});
    m = classifyMatch(".map", two, QString(), trees);
    EXPECT_EQ(m.packageChoices, (QStringList{"one", "two"}));
    EXPECT_TRUE(m.message.startsWith("Multiple matching tfm folders found---select the one from the popupmenu(s) "
                                     "above:\n"));
    EXPECT_FALSE(m.removable());
    const QString three = writeAt(texmfLocal + "/fonts/map/dvips/x/three.map", "qlkg G <g.pfb\n");
    m = classifyMatch(".map", three, QString(), trees);
    EXPECT_EQ(m.package, QStringLiteral("three"));
    EXPECT_EQ(m.supplierChoices, (QStringList{"b", "c"}));

    // A font whose tfm lies only in another tree.
    const QString other = writeAt(texmfVar + "/fonts/map/dvips/x/o.map", "qlkg G <g.pfb\n");
    m = classifyMatch(".map", other, QString(), trees);
    EXPECT_EQ(m.message, QStringLiteral("No matching tfm files for this map file."));
    EXPECT_EQ(m.tree, QStringLiteral("TEXMFVAR"));
}

TEST(PackageSearch, OnlyAMapWithoutFontLinesIsOfferedForDeletion)
{
    UninstallWorld w;
    const QStringList trees = w.treeList();
    struct Case {
        const char* text;
        bool empty;
    } cases[] = {
        {"% only comments\n\n   % and blanks\n", true},
        {"", true},
        {"ptmr8r Times-Roman\n", false},                                     // a resident font
        {"% head\nutmr8r NimbusRomNo9L-Regu <utmr8a.pfb % comment\n", false}, // a commented font line
    };
    for (const Case& c : cases)
        EXPECT_EQ(mapHoldsNoFonts(QString::fromLatin1(c.text)), c.empty) << c.text;

    const QString comments = writeAt(texmfHome + "/fonts/map/dvips/q/comments.map", "% nothing\n");
    const QString resident = writeAt(texmfHome + "/fonts/map/dvips/q/resident.map", "ptmr8r Times-Roman\n");
    EXPECT_TRUE(classifyMatch(".map", comments, QString(), trees).offerMapDeletion);
    EXPECT_FALSE(classifyMatch(".map", resident, QString(), trees).offerMapDeletion);
    QDir().mkpath(texmfHome + "/fonts/map/dvips/q/folder.map");
    const MatchInfo unreadable = classifyMatch(".map", texmfHome + "/fonts/map/dvips/q/folder.map", QString(), trees);
    EXPECT_FALSE(unreadable.offerMapDeletion);
    EXPECT_TRUE(unreadable.message.startsWith("Unable to read "));

    // Deleted alone: as the user in a personal tree, by the root route in TEXMFLOCAL.
    EXPECT_TRUE(deleteEmptyMap(comments, trees));
    EXPECT_FALSE(QFileInfo::exists(comments));
    EXPECT_TRUE(QFileInfo::exists(resident));
    RootCommands root;
    const QString local = writeAt(texmfLocal + "/fonts/map/dvips/q/my empty.map", "%\n");
    EXPECT_TRUE(deleteEmptyMap(local, trees));
    EXPECT_EQ(root.commands, QStringList{"/bin/rm -f -- '" + local + "'"});
}

// --- removal -----------------------------------------------------------------

TEST(PackageRemoval, RefusesNamesThatAreNoSinglePackageFolder)
{
    struct Case {
        const char* name;
        bool valid;
    } cases[] = {{"times", true}, {"a b", true}, {"x;touch y", true}, {"$(id)", true}, {".*", true},
                 {"", false},     {".", false},  {"..", false},       {"tfm", false},   {"LaTeX", false},
                 {"dvips", false}, {"a/b", false}};
    for (const Case& c : cases)
        EXPECT_EQ(validPackageFolderName(QString::fromUtf8(c.name)), c.valid) << c.name;

    UninstallWorld w;
    const QStringList canaries = placeTimes(texmfHome, false, true);
    writeAt(texmfHome + "/fonts/tfm/urw35vf/a b/x.tfm", "");
    const QStringList before = filesBelow(texmfHome);
    for (const char* name : {"tfm", ".*", "..", "a b", "x;touch y", "$(id)", "urw35vf"}) {
        for (const QString& supplier : {QStringLiteral("urw35vf"), QString::fromUtf8(name)}) {
            RemovalPlan plan = planRemoval(1, w.treeList(), supplier, QString::fromUtf8(name));
            if (QLatin1String(name) == QLatin1String("a b") && supplier == QLatin1String("urw35vf")) {
                // A real folder with a blank is this package's alone.
                ASSERT_EQ(plan.folders.size(), 1);
                EXPECT_EQ(plan.folders[0].path, texmfHome + "/fonts/tfm/urw35vf/a b");
                continue;
            }
            if (plan.error.isEmpty()) {
                EXPECT_TRUE(removeFolders(plan).isEmpty());
            }
        }
    }
    EXPECT_EQ(filesBelow(texmfHome), before);
    expectAllExist(canaries);
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + "/y"));
}

TEST(PackageRemoval, PlansExactFoldersAndKeepsSharedEncodingsAndMaps)
{
    UninstallWorld w;
    placeTimes(texmfLocal, true, true);
    writeAt(texmfLocal + "/tex/latex/adobe/times/t.sty", "");
    writeAt(texmfLocal + "/fonts/type1/adobe/times/a.pfb", "");

    RemovalPlan adobe = planRemoval(0, w.treeList(), "adobe", "times");
    ASSERT_TRUE(adobe.error.isEmpty()) << adobe.error.toStdString();
    QStringList paths;
    for (const RemovalFolder& f : adobe.folders)
        paths << f.path;
    EXPECT_EQ(paths, (QStringList{texmfLocal + "/tex/latex/adobe/times", texmfLocal + "/fonts/tfm/adobe/times",
                                  texmfLocal + "/fonts/vf/adobe/times", texmfLocal + "/fonts/type1/adobe/times"}));
    ASSERT_EQ(adobe.kept.size(), 1);
    EXPECT_EQ(adobe.kept[0].path, texmfLocal + "/fonts/map/dvips/times");
    EXPECT_EQ(adobe.kept[0].sharedWith, QStringLiteral("urw35vf/times"));
    EXPECT_TRUE(removalQuestion(adobe).contains("Kept, shared with urw35vf/times: " + texmfLocal +
                                                "/fonts/map/dvips/times"));

    // A link that leads out of the tree is refused.
    QDir().mkpath(w.env.root() + "/elsewhere");
    QFile::link(w.env.root() + "/elsewhere", texmfLocal + "/fonts/tfm/adobe/linked");
    writeAt(texmfLocal + "/tex/latex/adobe/linked/x.sty", "");
    EXPECT_FALSE(planRemoval(0, w.treeList(), "adobe", "linked").folders.isEmpty() &&
                 planRemoval(0, w.treeList(), "adobe", "linked").error.isEmpty());
}

TEST(PackageRemoval, PersonalRemovalCopiesToTdsRemovesExactlyThePackageAndDisablesItsMap)
{
    UninstallWorld w;
    const QStringList canaries = placeTimes(texmfHome, false, true);
    // A map of this package alone, enabled for the user.
    const QString mapDir = texmfHome + "/fonts/map/dvips/times";
    QFile::rename(mapDir + "/utm.map", mapDir + "/qlkutm.map");
    mapRoot = texmfVar + "/fonts/map/";
    runShellQuiet(updmapUserProgram() + " --nohash --nomkmap --enable Map=qlkutm.map");
    ASSERT_EQ(lastShell.errorCode, 0) << lastShell.errorOutput.toStdString();
    const QString cfg = texmfConfig + "/web2c/updmap.cfg";
    ASSERT_TRUE(QString::fromUtf8(readBytes(cfg)).startsWith("Map qlkutm.map"));
    const QStringList urwFiles = filesBelow(texmfHome + "/" + kTfmUrw);

    RemovalPlan plan = planRemoval(1, w.treeList(), "urw35vf", "times");
    ASSERT_TRUE(plan.error.isEmpty());
    EXPECT_TRUE(plan.kept.isEmpty());
    const QString save = w.env.root() + "/save";
    QDir().mkpath(save);
    w.env.dialogs.folders << save;
    EXPECT_EQ(performRemoval(plan, true), "Uninstallation complete\nThe removed files were saved in " + save + "/TDS");
    EXPECT_TRUE(w.env.dialogs.messages.isEmpty()) << w.env.dialogs.messages.join('|').toStdString();

    // The copy is complete, hidden file included; each folder keeps its
    // place in the tree.
    EXPECT_EQ(filesBelow(save + "/TDS/fonts/tfm/urw35vf/times"), urwFiles);
    EXPECT_TRUE(urwFiles.contains(".hidden"));
    EXPECT_TRUE(QFileInfo::exists(save + "/TDS/fonts/map/dvips/times/qlkutm.map"));
    EXPECT_FALSE(filesBelow(save + "/TDS/fonts/vf/urw35vf/times").isEmpty());

    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/" + kTfmUrw));
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/vf/urw35vf/times"));
    EXPECT_FALSE(QFileInfo::exists(mapDir));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/type1/urw/times/utmr8a.pfb")); // another supplier's
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/tex/latex/urw/times/qlktimes.sty"));
    expectAllExist(canaries);
    EXPECT_TRUE(QString::fromUtf8(readBytes(cfg)).contains("#! Map qlkutm.map"));
    EXPECT_TRUE(QFileInfo::exists(texmfVar + "/fonts/map/pdftex/updmap/pdftex.map"));
}

TEST(PackageRemoval, AMapAnotherTreeStillHoldsStaysEnabled)
{
    UninstallWorld w;
    placeTimes(texmfHome, false, true); // utm.map: the distribution has it too
    mapRoot = texmfVar + "/fonts/map/";
    RemovalPlan plan = planRemoval(1, w.treeList(), "urw35vf", "times");
    EXPECT_EQ(plan.mapNames(), QStringList{"utm.map"});
    EXPECT_EQ(performRemoval(plan, false), QStringLiteral("Uninstallation complete"));
    EXPECT_FALSE(QString::fromUtf8(readBytes(texmfConfig + "/web2c/updmap.cfg")).contains("utm.map"));
}

TEST(PackageRemoval, AnotherSuppliersPackageKeepsTheSharedMapFolder)
{
    UninstallWorld w;
    const QStringList canaries = placeTimes(texmfHome, true, true);
    const QStringList adobe = filesBelow(texmfHome + "/" + kTfmAdobe);
    RemovalPlan plan = planRemoval(1, w.treeList(), "urw35vf", "times");
    EXPECT_EQ(performRemoval(plan, false), QStringLiteral("Uninstallation complete"));
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/" + kTfmUrw));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/map/dvips/times/utm.map"));
    EXPECT_EQ(filesBelow(texmfHome + "/" + kTfmAdobe), adobe);
    EXPECT_FALSE(filesBelow(texmfHome + "/fonts/vf/adobe/times").isEmpty());
    expectAllExist(canaries);
}

TEST(PackageRemoval, TexmfLocalGoesThroughTheRootRouteInOrder)
{
    UninstallWorld w;
    placeTimes(texmfLocal, false, true);
    writeAt(texmfLocal + "/tex/latex/urw35vf/times/my file.sty", "");
    isAdmin = true;
    resetPrefsForTesting();
    setpref("sudo", 1);
    RootCommands root(true);
    RemovalPlan plan = planRemoval(0, w.treeList(), "urw35vf", "times");
    EXPECT_EQ(performRemoval(plan, false), QStringLiteral("Uninstallation complete"));
    const QString q = "'";
    const QString updmapSys = "/usr/bin/sudo -H " + texProgram("updmap-sys");
    // The supplier folders the removal left empty go last.
    EXPECT_EQ(root.commands,
              (QStringList{"/usr/bin/sudo /bin/rm -Rf -- " + texmfLocal + "/tex/latex/urw35vf/times",
                           "/usr/bin/sudo /bin/rm -Rf -- " + texmfLocal + "/fonts/map/dvips/times",
                           "/usr/bin/sudo /bin/rm -Rf -- " + texmfLocal + "/fonts/tfm/urw35vf/times",
                           "/usr/bin/sudo /bin/rm -Rf -- " + texmfLocal + "/fonts/vf/urw35vf/times",
                           "/usr/bin/sudo /bin/rmdir -- " + texmfLocal + "/tex/latex/urw35vf",
                           "/usr/bin/sudo /bin/rmdir -- " + texmfLocal + "/fonts/tfm/urw35vf",
                           "/usr/bin/sudo /bin/rmdir -- " + texmfLocal + "/fonts/vf/urw35vf",
                           "/usr/bin/sudo " + texProgram("mktexlsr") + " " + texmfLocal, updmapSys}));
    EXPECT_EQ(root.scripts.value(0), QStringLiteral("sudoterm.sh"));
    EXPECT_FALSE(QFileInfo::exists(texmfLocal + "/" + kTfmUrw));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/fonts/type1/urw/times/utmr8a.pfb"));
    isAdmin = false;
    resetPrefsForTesting();
}

TEST(PackageRemoval, AFailedCopyOrABadTdsFolderLeavesThePackage)
{
    UninstallWorld w;
    placeTimes(texmfHome, false, true);
    RemovalPlan plan = planRemoval(1, w.treeList(), "urw35vf", "times");
    const QStringList before = filesBelow(texmfHome);

    // A file where the copy needs a folder.
    const QString tds = w.env.root() + "/blocked/TDS";
    writeAt(tds + "/fonts", "a file");
    EXPECT_TRUE(copyToTds(plan, tds).startsWith("Copying "));

    // Through the whole removal: the chosen "folder" is a file.
    const QString file = writeAt(w.env.root() + "/afile", "x");
    w.env.dialogs.folders << file << texmfHome << w.env.root() + "/tdsfile";
    writeAt(w.env.root() + "/tdsfile/TDS", "x");
    EXPECT_TRUE(performRemoval(plan, true).isEmpty());
    EXPECT_TRUE(performRemoval(plan, true).isEmpty()); // inside the tree
    EXPECT_TRUE(performRemoval(plan, true).isEmpty()); // TDS is a file
    EXPECT_TRUE(performRemoval(plan, true).isEmpty()); // chooser cancelled
    ASSERT_EQ(w.env.dialogs.messages.size(), 4);
    EXPECT_TRUE(w.env.dialogs.messages[1].startsWith("The TDS folder may not lie inside " + texmfHome));
    EXPECT_EQ(w.env.dialogs.messages[2], "There is a file (not a folder) named TDS in the selected folder. It must "
                                         "be removed before proceeding.");
    EXPECT_EQ(w.env.dialogs.messages[3], "No folder selected. unInstallation aborted\n");
    EXPECT_EQ(filesBelow(texmfHome), before);
}

// --- what other packages load ------------------------------------------------

namespace {

const char* const kRegular = "NimbusRomNo9L-Regu";

// Package qlka of supplier public in TEXMFHOME, made from URW Times under
// names no other tree holds: two outlines, its own encoding and its map.
// Package qlkb's map loads qlka's regular outline and encoding, as an
// afm2tfm package does that kept the installed outlines. Both maps are
// enabled for the user and in the pdftex.map in use. The trees are made
// once and kept in `saved`; later calls copy them from there.
void placeOwnerAndUser(const QString& saved)
{
    mapRoot = texmfVar + "/fonts/map/";
    const QStringList trees{texmfHome, texmfVar, texmfConfig};
    if (QFileInfo::exists(saved + "/0")) {
        for (int i = 0; i < trees.size(); ++i)
            ASSERT_EQ(run("mkdir -p " + shellQuote(trees[i]) + " && cp -a " +
                          shellQuote(saved + "/" + QString::number(i)) + "/. " + shellQuote(trees[i])),
                      "");
        homeCfgText = QString::fromUtf8(readBytes(texmfConfig + "/web2c/updmap.cfg"));
        return;
    }
    const QString home = texmfHome;
    const QString dist = machineVar("TEXMFDIST");
    const QString times = dist + "/fonts/tfm/urw35vf/times/";
    writeAt(home + "/fonts/type1/public/qlka/qlkar8a.pfb", readBytes(dist + "/fonts/type1/urw/times/utmr8a.pfb"));
    writeAt(home + "/fonts/type1/public/qlka/qlkab8a.pfb", readBytes(dist + "/fonts/type1/urw/times/utmb8a.pfb"));
    writeAt(home + "/fonts/enc/dvips/qlka/qlka-8r.enc", readBytes(texFile("8r.enc")));
    writeAt(home + "/fonts/tfm/public/qlka/qlkar8r.tfm", readBytes(times + "utmr8r.tfm"));
    writeAt(home + "/fonts/tfm/public/qlka/qlkab8r.tfm", readBytes(times + "utmb8r.tfm"));
    writeAt(home + "/fonts/map/dvips/public/qlka/qlka.map",
            "qlkar8r NimbusRomNo9L-Regu \"TeXBase1Encoding ReEncodeFont\" <[qlka-8r.enc <qlkar8a.pfb\n"
            "qlkab8r NimbusRomNo9L-Medi \"TeXBase1Encoding ReEncodeFont\" <[qlka-8r.enc <qlkab8a.pfb\n");
    writeAt(home + "/tex/latex/public/qlka/qlka.sty", "\\ProvidesPackage{qlka}\n");

    writeAt(home + "/fonts/tfm/public/qlkb/qlkbr8r.tfm", readBytes(times + "utmr8r.tfm"));
    writeAt(home + "/fonts/map/dvips/public/qlkb/qlkb.map",
            "qlkbr8r NimbusRomNo9L-Regu \"TeXBase1Encoding ReEncodeFont\" <[qlka-8r.enc <qlkar8a.pfb\n");
    writeAt(home + "/tex/latex/public/qlkb/qlkb.sty",
            "\\ProvidesPackage{qlkb}\n\\newcommand\\qlkshow{{\\font\\qlkf=qlkbr8r \\qlkf Quillmark}}\n");
    ASSERT_EQ(run(updmapUserProgram() + " --enable Map=qlka.map --enable Map=qlkb.map >/dev/null 2>&1"), "");
    homeCfgText = QString::fromUtf8(readBytes(texmfConfig + "/web2c/updmap.cfg"));
    for (int i = 0; i < trees.size(); ++i)
        ASSERT_EQ(run("mkdir -p " + shellQuote(saved + "/" + QString::number(i)) + " && cp -a " + shellQuote(trees[i]) +
                      "/. " + shellQuote(saved + "/" + QString::number(i))),
                  "");
}

} // namespace

// Uninstalling the owner of an outline and an encoding that another
// package's map loads: the question names the map; the files stay and the
// other package typesets, unless the user removes them anyway, when the
// message names the package that stops.
TEST(PackageRemoval, FilesAnotherPackagesMapLoadsAreKeptUnlessRemovedAnyway)
{
    struct Row {
        const char* name;
        bool removeAnyway;
        bool enabledInCfg;  // else only the pdftex.map in use still holds qlkb.map
        bool copyElsewhere; // another tree holds the outline and the encoding too
        bool perform;       // the removal runs (the questions alone otherwise)
    };
    const Row rows[] = {
        {"kept", false, true, false, true},
        {"removed anyway", true, true, false, true},
        {"named for a map only pdftex.map holds", false, false, false, false},
        {"another tree's copies stay: nothing to ask", true, true, true, false},
    };
    QTemporaryDir saved;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UninstallWorld w;
        placeOwnerAndUser(saved.path());
        if (!row.enabledInCfg)
            homeCfgText.clear();
        if (row.copyElsewhere) {
            writeAt(texmfVar + "/fonts/type1/public/qlkc/qlkar8a.pfb",
                    readBytes(texmfHome + "/fonts/type1/public/qlka/qlkar8a.pfb"));
            writeAt(texmfVar + "/fonts/enc/dvips/qlkc/qlka-8r.enc", readBytes(texFile("8r.enc")));
        }
        const QString pfb = texmfHome + "/fonts/type1/public/qlka/qlkar8a.pfb";
        const QString enc = texmfHome + "/fonts/enc/dvips/qlka/qlka-8r.enc";
        const QString work = w.env.root() + "/work";

        RemovalPlan plan = planRemoval(1, w.treeList(), "public", "qlka");
        ASSERT_TRUE(plan.error.isEmpty()) << plan.error.toStdString();
        w.env.dialogs.answers << row.removeAnyway << true;
        ASSERT_TRUE(confirmRemoval(plan));
        if (row.copyElsewhere) {
            EXPECT_TRUE(plan.loaded.isEmpty());
            EXPECT_EQ(w.env.dialogs.questions.size(), 1);
            continue;
        }
        ASSERT_EQ(w.env.dialogs.questions.size(), 2);
        EXPECT_EQ(w.env.dialogs.questions[0],
                  "qlkb.map loads qlka-8r.enc, which this removal takes away.\n"
                  "qlkb.map loads qlkar8a.pfb, which this removal takes away.\n\n"
                  "Remove these files anyway? Documents using the package qlkb will then stop. No keeps them in "
                  "place and removes the rest.");
        const QString question = w.env.dialogs.questions[1];
        EXPECT_TRUE(question.contains("\n" + texmfHome + "/fonts/type1/public/qlka\n")) << question.toStdString();
        if (!row.perform)
            continue;
        const QString done = performRemoval(plan, false);
        // The other outline, loaded by qlka.map alone, goes.
        EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/type1/public/qlka/qlkab8a.pfb"));
        EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/tfm/public/qlka"));
        EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/map/dvips/public/qlka"));
        if (row.removeAnyway) {
            EXPECT_TRUE(
                question.contains("\n\nRemoved although qlkb.map loads it (the package qlkb will stop): " + pfb));
            EXPECT_EQ(done, "Uninstallation complete\n"
                            "The package qlkb will stop: qlkb.map loads qlka-8r.enc, which was removed.\n"
                            "The package qlkb will stop: qlkb.map loads qlkar8a.pfb, which was removed.");
            EXPECT_FALSE(QFileInfo::exists(pfb));
            EXPECT_FALSE(QFileInfo::exists(enc));
            const QString fonts = typeset(work, "qlkb");
            // pdfTeX stops at the first file it cannot open.
            EXPECT_TRUE(fonts.startsWith("FAILED") && fonts.contains("(file qlka-8r.enc): cannot open"))
                << fonts.toStdString();
            continue;
        }
        EXPECT_TRUE(question.contains("\n\nKept, loaded by qlkb.map: " + pfb)) << question.toStdString();
        EXPECT_TRUE(question.contains("\n\nKept, loaded by qlkb.map: " + enc));
        EXPECT_EQ(done, "Uninstallation complete\nKept " + enc + ": qlkb.map loads it.\nKept " + pfb +
                            ": qlkb.map loads it.");
        EXPECT_EQ(filesBelow(texmfHome + "/fonts/type1/public/qlka"), QStringList{"qlkar8a.pfb"});
        EXPECT_EQ(filesBelow(texmfHome + "/fonts/enc/dvips/qlka"), QStringList{"qlka-8r.enc"});
        const QString fonts = typeset(work, "qlkb");
        EXPECT_TRUE(embeds(fonts, kRegular)) << fonts.toStdString();
    }
    homeCfgText.clear();
}

// A math alphabet made from the package's fonts lies in its folders: the
// question names it; other style files, and an alphabet over a font the
// package does not hold, are not named.
TEST(PackageRemoval, AMathAlphabetInThePackagesFoldersIsNamed)
{
    UninstallWorld w;
    placeTimes(texmfHome, false, true);
    const QString latex = texmfHome + "/tex/latex/urw35vf/times/";
    writeAt(latex + "qlkscr.sty", mathalpha::styText("qlkscr", "qlkscrfont", 1, QDate(2024, 5, 1)).toUtf8());
    writeAt(texmfHome + "/fonts/vf/urw35vf/times/qlkscrfont.vf",
            readBytes(machineVar("TEXMFDIST") + "/fonts/vf/urw35vf/times/utmr8t.vf"));
    writeAt(texmfHome + "/fonts/tfm/urw35vf/times/qlkscrfont.tfm",
            readBytes(machineVar("TEXMFDIST") + "/fonts/tfm/urw35vf/times/utmr8t.tfm"));
    writeAt(latex + "qlkcal.sty", mathalpha::styText("qlkcal", "rsfs10", 0, QDate(2024, 5, 1)).toUtf8());
    writeAt(latex + "plain.sty", "\\ProvidesPackage{plain}\n");

    RemovalPlan plan = planRemoval(1, w.treeList(), "urw35vf", "times");
    EXPECT_EQ(plan.mathAlphabets, QStringList{"\\mathscr (qlkscr.sty, font qlkscrfont)"});
    EXPECT_TRUE(removalQuestion(plan).endsWith(
        "\n\nThe math alphabet \\mathscr (qlkscr.sty, font qlkscrfont) is made from this package's fonts and lies "
        "in its folders: it is removed too."))
        << removalQuestion(plan).toStdString();
    // Kept by the user with its folder, it is named no more.
    for (int i = 0; i < plan.folders.size(); ++i) {
        if (plan.folders[i].kind == "latex") {
            plan.keepFolder(i);
            break;
        }
    }
    EXPECT_TRUE(plan.mathAlphabets.isEmpty());
}

// --- lookups -----------------------------------------------------------------

TEST(PackageLookups, SuppliersFamiliesAndTables)
{
    UninstallWorld w;
    writeAt(texmfHome + "/fonts/tfm/adobe/garamond/agarr8a.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/public/cm/cmr10.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/urw/garamond/ugmr8a.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/x/mixed/a/x.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/x/mixed/b.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/.hidden/h.tfm", "");
    writeAt(texmfHome + "/fonts/tfm/plain.txt", "");
    writeAt(texmfVar + "/fonts/tfm/adobe/z/z.tfm", "");

    EXPECT_EQ(getsuppliers(texmfHome), (QStringList{"adobe", "public", "urw", "x"}));
    EXPECT_EQ(getfamilies(texmfHome, "adobe"), QStringList{"garamond"});
    EXPECT_TRUE(getfamilies(texmfHome, QString()).isEmpty());
    EXPECT_TRUE(getsuppliers(texmfLocal).isEmpty());
    EXPECT_EQ(filloutSuppliers(1, {}), (QStringList{"adobe", "adobe", "public", "urw", "x"}));
    EXPECT_EQ(filloutSuppliers(0, {"kept"}), QStringList{}); // TEXMFLOCAL exists, holds none
    texmfLocal = w.env.root() + "/missing";
    EXPECT_EQ(filloutSuppliers(0, {"b", "a"}), (QStringList{"a", "b"}));

    const NoCaseDict<QString> pkg = gettfm(1);
    EXPECT_EQ(pkg.keys(), (QStringList{"a", "cm", "garamond"}));
    EXPECT_EQ(pkg.value("garamond"), QStringLiteral("urw/garamond")); // the later one
    EXPECT_EQ(pkg.value("cm"), QStringLiteral("public/cm"));
    EXPECT_TRUE(gettfm(0).isEmpty());

    writeAt(texmfHome + "/tex/latex/adobe/garamond/x.sty", "");
    const NoCaseDict<QString> fd = getfd(1);
    EXPECT_EQ(fd.value("adobe"), QStringLiteral("adobe"));
    EXPECT_EQ(fd.value("garamond"), QStringLiteral("adobe/garamond"));
    EXPECT_EQ(fd.size(), 2);

    EXPECT_EQ(getsty(0, "a", "b"), std::optional<QStringList>(QStringList{QString()}));
    EXPECT_FALSE(getsty(1, "a", "b").has_value());
    EXPECT_EQ(getsty(7, "a", "b"), std::optional<QStringList>(QStringList{QString()}));

    NoCaseDict<QString> d0, d1, d2, d3;
    for (const char* k : {"b", "a", "c"})
        d0.insert(QLatin1String(k), QString());
    d1.insert("only", QString());
    d3.insert("ignored", QString());
    pmenu pm({d0, d1, d2, d3});
    EXPECT_EQ(*pm.lst(0), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(*pm.lst(1), QStringList{"only"});
    EXPECT_TRUE(pm.lst(2)->isEmpty());
    EXPECT_EQ(pm.lst(3), nullptr);
    EXPECT_EQ(pm.lst(-1), nullptr);
    pm.lst(1)->append("x");
    EXPECT_EQ(pm.lst1.size(), 2);
}

// --- hostile trees -------------------------------------------------------------

TEST(PackageRemoval, AChosenFolderLinkingIntoTheTreeIsResolvedAndRefused)
{
    UninstallWorld w;
    placeTimes(texmfHome, false, true);
    const QStringList before = filesBelow(texmfHome);
    RemovalPlan plan = planRemoval(1, w.treeList(), "urw35vf", "times");
    struct Case {
        const char* name;
        QString target; // where the chosen link leads
        bool refused;
    } cases[] = {
        {"a link to the tree", texmfHome, true},
        {"a link to a folder to be removed", texmfHome + "/fonts/tfm/urw35vf/times", true},
        {"a link to a folder elsewhere", w.env.root() + "/elsewhere", false},
    };
    QDir().mkpath(w.env.root() + "/elsewhere");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString link = w.env.root() + "/link" + QString::number(n++);
        ASSERT_TRUE(QFile::link(c.target, link));
        EXPECT_EQ(tdsFolderProblem(plan, link + "/TDS").isEmpty(), !c.refused);
        if (!c.refused)
            continue;
        w.env.dialogs.messages.clear();
        w.env.dialogs.folders << link;
        EXPECT_TRUE(performRemoval(plan, true).isEmpty());
        ASSERT_EQ(w.env.dialogs.messages.size(), 1);
        EXPECT_TRUE(w.env.dialogs.messages[0].startsWith("The TDS folder may not lie inside "));
        EXPECT_EQ(filesBelow(texmfHome), before);
        EXPECT_FALSE(QFileInfo::exists(texmfHome + "/TDS"));
    }
    // Through the link elsewhere, the copy lands where the link leads.
    w.env.dialogs.folders << w.env.root() + "/link2";
    EXPECT_EQ(performRemoval(plan, true),
              "Uninstallation complete\nThe removed files were saved in " + w.env.root() + "/elsewhere/TDS");
    EXPECT_FALSE(filesBelow(w.env.root() + "/elsewhere/TDS/fonts/tfm/urw35vf/times").isEmpty());
}

TEST(PackageRemoval, SameNamedFilesOfTwoDriverFoldersKeepTheirOwnPlacesInTheCopy)
{
    UninstallWorld w;
    // A TrueType package beside an OpenType one of the same family.
    writeAt(texmfHome + "/fonts/tfm/public/Qlk/a.tfm", "tfm");
    writeAt(texmfHome + "/fonts/type1/public/Qlk/a.pfb", "pfb");
    const QStringList items{"fonts/map/dvips/Qlk/Qlk.map", "fonts/map/pdftex/qlk/Qlk.map",
                            "fonts/enc/dvips/Qlk/qlk_abc.enc", "fonts/enc/pdftex/qlk/qlk_abc.enc"};
    for (const QString& item : items)
        writeAt(texmfHome + "/" + item, item.toUtf8());
    const QString canary = writeAt(texmfHome + "/fonts/map/pdftex/canary", "canary");

    RemovalPlan plan = planRemoval(1, w.treeList(), "public", "Qlk");
    ASSERT_TRUE(plan.error.isEmpty()) << plan.error.toStdString();
    const QString save = w.env.root() + "/save";
    QDir().mkpath(save);
    w.env.dialogs.folders << save;
    EXPECT_EQ(performRemoval(plan, true), "Uninstallation complete\nThe removed files were saved in " + save + "/TDS");
    for (const QString& item : items) {
        EXPECT_EQ(readBytes(save + "/TDS/" + item), item.toUtf8()) << item.toStdString();
        EXPECT_FALSE(QFileInfo::exists(texmfHome + "/" + item)) << item.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(canary));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/map/dvips")); // a driver folder stays, even empty
}

TEST(PackageRemoval, ATabInTheLocalTreeReachesTheCommandsAndOnlyAGoneFolderCounts)
{
    UninstallWorld w;
    texmfLocal = w.env.root() + "/local\ttree";
    placeTimes(texmfLocal, false, true);
    isAdmin = false;
    resetPrefsForTesting();
    setpref("sudo", 1); // the terminal route
    setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    // As root the script runs the commands itself, without a window.
    w.env.writeScript("bin/id", "echo 0");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", (w.env.root() + "/bin:").toLocal8Bit() + path);

    // A route that answers success and does nothing removes nothing.
    {
        RootCommands idle;
        RemovalPlan plan = planRemoval(0, w.treeList(), "urw35vf", "times");
        const QString outcome = performRemoval(plan, false);
        EXPECT_TRUE(outcome.startsWith("Uninstallation incomplete:\nCould not remove " + texmfLocal +
                                       "/fonts/map/dvips/times"))
            << outcome.toStdString();
        EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/" + kTfmUrw));
    }
    // The real terminal script; every command names the test's own tree.
    setBundleScriptRunner({});
    RemovalPlan plan = planRemoval(0, w.treeList(), "urw35vf", "times");
    const QString outcome = performRemoval(plan, false);
    qputenv("PATH", path);
    resetPrefsForTesting();
    EXPECT_EQ(outcome, QStringLiteral("Uninstallation complete"));
    EXPECT_FALSE(QFileInfo::exists(texmfLocal + "/" + kTfmUrw));
    EXPECT_FALSE(QFileInfo::exists(texmfLocal + "/fonts/map/dvips/times"));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/fonts/type1/urw/times/utmr8a.pfb"));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/ls-R"));
}

TEST(PackageRemoval, AnEarlierTdsCopyIsNeverErased)
{
    UninstallWorld w;
    placeTimes(texmfHome, true, true);
    const QString save = w.env.root() + "/save";
    const QString earlier = writeAt(save + "/TDS/fonts/tfm/adobe/times/only-copy.tfm", "removed before");
    const QStringList before = filesBelow(texmfHome);

    // No: nothing is copied or removed.
    w.env.dialogs.folders << save;
    w.env.dialogs.answers << false;
    EXPECT_TRUE(performRemoval(planRemoval(1, w.treeList(), "urw35vf", "times"), true).isEmpty());
    EXPECT_EQ(w.env.dialogs.messages, QStringList{"Bailing out."});
    EXPECT_EQ(filesBelow(texmfHome), before);

    // Yes: the copy goes beside the earlier one, which stays whole; so does
    // the one after.
    const char* const packages[][2] = {{"urw35vf", "TDS-2"}, {"adobe", "TDS-3"}};
    for (const auto& p : packages) {
        w.env.dialogs.folders << save;
        w.env.dialogs.answers << true;
        EXPECT_EQ(performRemoval(planRemoval(1, w.treeList(), QLatin1String(p[0]), "times"), true),
                  "Uninstallation complete\nThe removed files were saved in " + save + "/" + QLatin1String(p[1]));
        EXPECT_FALSE(filesBelow(save + "/" + QLatin1String(p[1]) + "/fonts/tfm/" + QLatin1String(p[0]) + "/times")
                         .isEmpty());
    }
    EXPECT_TRUE(w.env.dialogs.questions.last().startsWith("There is a TDS folder in the selected folder already."));
    EXPECT_EQ(readBytes(earlier), QByteArray("removed before"));
    EXPECT_EQ(filesBelow(save + "/TDS"), QStringList{"fonts/tfm/adobe/times/only-copy.tfm"});
}

// The result line names where the removed files were saved whenever a copy
// was made: the first copy as much as one beside an earlier copy.
TEST(PackageRemoval, TheResultLineNamesTheCopysFolder)
{
    struct Row {
        const char* name;
        bool save;
        bool earlier; // a TDS folder from an earlier removal is there
        QString folder; // below the chosen folder; none: no copy
    };
    const QList<Row> rows{
        {"no copy", false, false, ""},
        {"first copy", true, false, "TDS"},
        {"beside an earlier copy", true, true, "TDS-2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UninstallWorld w;
        placeTimes(texmfHome, false, true);
        const QString save = w.env.root() + "/save";
        QDir().mkpath(save);
        if (row.earlier)
            writeAt(save + "/TDS/fonts/tfm/adobe/times/only-copy.tfm", "removed before");
        w.env.dialogs.folders << save;
        w.env.dialogs.answers << true;
        const QString expected = row.folder.isEmpty() ? QStringLiteral("Uninstallation complete")
                                                      : "Uninstallation complete\nThe removed files were saved in " +
                                                            save + "/" + row.folder;
        EXPECT_EQ(performRemoval(planRemoval(1, w.treeList(), "urw35vf", "times"), row.save), expected);
        EXPECT_EQ(filesBelow(save + "/" + row.folder + "/fonts/tfm/urw35vf/times").isEmpty(), !row.save);
        EXPECT_FALSE(QFileInfo::exists(texmfHome + "/" + kTfmUrw));
    }
}

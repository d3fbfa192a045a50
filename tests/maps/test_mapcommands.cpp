#include "maps/MapsFixture.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "platform/UiHooks.h"
#include "support/TestEnv.h"
#include "texenv/FinishInstall.h"
#include "texenv/MapCommands.h"
#include "texenv/UpdmapCfg.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qlk;

namespace {
const QStringList kOptions{"LW35", "dvipsPreferOutline", "dvipsDownloadBase35", "pdftexDownloadBase14",
                           "dvipdfmDownloadBase14", "pxdviUse", "kanjiEmbed", "kanjiVariant"};

// The summary as an installer would leave it.
void setSummary(bool type1, bool mf, bool ttf, bool maps, const QStringList& names, bool styMaps = false)
{
    stylesLoadMaps = styMaps;
    hasType1 = type1;
    hasMF = mf;
    hasTTF = ttf;
    hasMaps = maps;
    tdsMaps = names;
}
} // namespace

// The lines spelled out, with /usr/texbin standing for texbin: two blanks
// after the synchronising updmap-sys, a trailing blank on its plain run.
TEST(MapCommands, InstallListsAreSpelledOut)
{
    test::TestEnv env;
    setTexbinForTesting("/usr/texbin");
    EXPECT_EQ(systemEnableCommands("Map", false, {"a", "b.MAP", "c.map"}),
              (QStringList{"/usr/bin/sudo /usr/texbin/mktexlsr",
                           "/usr/bin/sudo -H /usr/texbin/updmap-sys --nohash --nomkmap --enable Map=a.map",
                           "/usr/bin/sudo -H /usr/texbin/updmap-sys --nohash --nomkmap --enable Map=b.MAP",
                           "/usr/bin/sudo -H /usr/texbin/updmap-sys --nohash --nomkmap --enable Map=c.map",
                           "/usr/bin/sudo -H /usr/texbin/updmap-sys "}));
    EXPECT_EQ(userEnableCommands("MixedMap", false, {"a", "x.map.bak"}),
              (QStringList{"/usr/texbin/updmap-user --nohash --nomkmap --enable MixedMap=a.map",
                           "/usr/texbin/updmap-user --nohash --nomkmap --enable MixedMap=x.map.bak.map",
                           "/usr/texbin/updmap-user"}));
    // Skipped, or nothing to enable: mktexlsr and the synchronisation only
    // (which, with no map missing, has nothing to do).
    const QStringList systemHead{"/usr/bin/sudo /usr/texbin/mktexlsr"};
    EXPECT_EQ(systemEnableCommands("Map", true, {"a"}), systemHead);
    EXPECT_EQ(systemEnableCommands("Map", false, {}), systemHead);
    EXPECT_TRUE(userEnableCommands("Map", true, {"a"}).isEmpty());
    // A name the shell would read is never put into a line.
    EXPECT_EQ(systemEnableCommands("Map", false, {"ok", "a b", "x;rm -rf ~", "$(id).map"}).filter("--enable"),
              QStringList{"/usr/bin/sudo -H /usr/texbin/updmap-sys --nohash --nomkmap --enable Map=ok.map"});

    // A TeX folder with a blank in its name is quoted.
    setTexbinForTesting("/opt/te x/bin");
    EXPECT_EQ(userEnableCommands("Map", false, {"a"}).last(), QStringLiteral("'/opt/te x/bin/updmap-user'"));
}

TEST(MapCommands, MapWindowLineForBothMethods)
{
    test::TestEnv env;
    setTexbinForTesting("/usr/texbin");
    // Method 1, one enabled row: mktexlsr, synchronisation, disable, plain run.
    EXPECT_EQ(mapUpdateCommand(1, {MapChange{"x.map", true, false, false}}),
              QStringLiteral("/usr/bin/sudo /usr/texbin/mktexlsr"
                             "&&/usr/bin/sudo -H /usr/texbin/updmap-sys  --nohash --nomkmap --disable x.map"
                             "&&/usr/bin/sudo -H /usr/texbin/updmap-sys "));
    // Method 0, rows in order: no mktexlsr; a disabling names no type, an
    // enabling takes the type of the ticked box.
    EXPECT_EQ(mapUpdateCommand(0, {MapChange{"a.map", false, false, false}, MapChange{"b.map", false, true, false},
                                   MapChange{"c.map", true, false, false}, MapChange{"d.map", true, true, true},
                                   MapChange{"k.map", false, false, true}, MapChange{"m.map", false, true, true}}),
              QStringLiteral("/usr/texbin/updmap-user --nohash --nomkmap --enable Map=a.map"
                             "&&/usr/texbin/updmap-user --nohash --nomkmap --enable MixedMap=b.map"
                             "&&/usr/texbin/updmap-user --nohash --nomkmap --disable c.map"
                             "&&/usr/texbin/updmap-user --nohash --nomkmap --disable d.map"
                             "&&/usr/texbin/updmap-user --nohash --nomkmap --enable KanjiMap=k.map"
                             "&&/usr/texbin/updmap-user --nohash --nomkmap --enable MixedMap=m.map"
                             "&&/usr/texbin/updmap-user"));
}

TEST(MapCommands, OptionBatchesSetOnlyDifferingValuesQuoted)
{
    test::TestEnv env;
    setTexbinForTesting("/usr/texbin");
    const QStringList old{"URWkb", "true", "true", "true", "true", "false", "noEmbed", "v"};
    QStringList now = old;
    now[0] = "URW";
    now[5] = "true";
    now[6] = " a b ";
    now[7] = "";
    EXPECT_EQ(optionCommands(false, kOptions, now, old),
              (QStringList{"/usr/texbin/updmap-user --nohash --nomkmap --setoption LW35=URW",
                           "/usr/texbin/updmap-user --nohash --nomkmap --setoption pxdviUse=true",
                           "/usr/texbin/updmap-user --nohash --nomkmap --setoption 'kanjiEmbed= a b '",
                           "/usr/texbin/updmap-user --nohash --nomkmap --setoption kanjiVariant=",
                           "/usr/texbin/updmap-user"}));
    EXPECT_EQ(optionCommands(true, kOptions, old, old),
              QStringList{"/usr/bin/sudo -H /usr/texbin/updmap-sys"});
    EXPECT_EQ(optionCommands(true, kOptions, now, old).first(),
              QStringLiteral("/usr/bin/sudo -H /usr/texbin/updmap-sys --nohash --nomkmap --setoption LW35=URW"));
    EXPECT_EQ(optionCommands(false, kOptions, QStringList(old).replaceInStrings("noEmbed", "it's"), old).first(),
              QStringLiteral("/usr/texbin/updmap-user --nohash --nomkmap --setoption 'kanjiEmbed=it'\\''s'"));
    EXPECT_TRUE(safeOptionValue("a b $x 'q'"));
    EXPECT_FALSE(safeOptionValue("a\tb"));
    EXPECT_FALSE(safeOptionValue("a\nb"));
}

TEST(MapCommands, SafeMapNames)
{
    for (const char* ok : {"pdftex.map", "cm-super-t1.map", "Times_New+1.map", "a@b%c.map", "ttf2pk"})
        EXPECT_TRUE(safeMapName(QLatin1String(ok))) << ok;
    for (const char* bad : {"", "a b.map", "a;b.map", "$(x).map", "`x`.map", "a'b.map", "a\"b.map", "-x.map",
                            "../x.map", "a/b.map", "a*b.map", "a\tb.map", "a=b.map", "a|b.map", "é.map"})
        EXPECT_FALSE(safeMapName(QString::fromUtf8(bad))) << bad;
    EXPECT_EQ(mapFileName("a"), QStringLiteral("a.map"));
    EXPECT_EQ(mapFileName("a.MAP"), QStringLiteral("a.MAP"));
    EXPECT_EQ(mapFileName("a.map.bak"), QStringLiteral("a.map.bak.map"));
}

TEST(MapCommands, MapStatesFromUpdmapCfgLines)
{
    const QStringList maplist{"plain.map", "mixed.map", "kanji.map", "off.map", "never.map", "hash.map",
                              "indented.map", "tabbed.map", "comment.map", "Case.map", "skipped.map",
                              "reenabled.map"};
    const QString text = "Map plain.map\n"
                         "MixedMap mixed.map\n"
                         "KanjiMap kanji.map\n"
                         "#! Map off.map\n"
                         "#Map hash.map\n"
                         " # Map indented.map\n"
                         "Map\ttabbed.map\n"
                         "Map comment.map # old\n"
                         "Map case.MAP\n"
                         "# Map skipped.map\n"
                         "Map other.map\n"
                         // The distribution disables it, a later file enables it as MixedMap.
                         "#! MixedMap reenabled.map\n"
                         "MixedMap reenabled.map\n";
    const NoCaseDict<int> t = parseMapTypes(maplist, text);
    struct Case {
        const char* name;
        int code;
    };
    for (const Case c : {Case{"plain.map", 0}, Case{"mixed.map", 1}, Case{"kanji.map", 2}, Case{"off.map", 4},
                         Case{"never.map", 4}, Case{"hash.map", 0}, Case{"indented.map", 0},
                         Case{"tabbed.map", 4}, Case{"comment.map", 4}, Case{"CASE.map", 0},
                         Case{"skipped.map", 4}, Case{"reenabled.map", 1}})
        EXPECT_EQ(t.value(QLatin1String(c.name), -1), c.code) << c.name;
    // Only the maps of the list are kept.
    EXPECT_FALSE(t.contains("other.map"));
    EXPECT_EQ(t.size(), maplist.size());
}

TEST(ScanTDS, CountsFilesOfTheTreeItself)
{
    test::TestEnv env;
    // The working folder holds every kind of file; it must not count.
    env.writeFile("cwd/x.pfb", "");
    env.writeFile("cwd/x.mf", "");
    env.writeFile("cwd/x.ttf", "");
    env.writeFile("cwd/x.map", "");
    const QString before = QDir::currentPath();
    QDir::setCurrent(env.root() + "/cwd");

    env.writeFile("tds/fonts/type1/public/f/f.pfb", "");
    env.writeFile("tds/fonts/map/dvips/f/b.map", "");
    env.writeFile("tds/fonts/map/dvips/f/a.map", "");
    env.writeFile("tds/fonts/map/dvips/f/sub/c.MAP", "");
    env.writeFile("tds/fonts/map/dvips/f/zz.map.bak", "");
    env.writeFile("tds/fonts/map/dvips/f/.hidden.map", "");
    env.writeFile("tds/doc/d.map.txt", "");
    env.writeFile("tds/source/f.mf", "");
    // Upper-case extensions count like lower-case ones.
    env.writeFile("upper/fonts/type1/public/g/G.PFB", "");
    env.writeFile("upper/fonts/truetype/public/g/G.TTF", "");
    env.writeFile("upper/fonts/source/public/g/G.MF", "");
    env.writeFile("upper/fonts/map/dvips/g/G.MAP", "");

    struct Case {
        QString folder;
        bool type1, mf, ttf, maps;
        QStringList names;
    };
    const QList<Case> cases = {
        {env.root() + "/tds", true, true, false, true, {"a.map", "b.map", "c.MAP"}},
        {env.root() + "/tds/fonts/map", false, false, false, true, {"a.map", "b.map", "c.MAP"}},
        {env.root() + "/upper", true, true, true, true, {"G.MAP"}},
        {env.root() + "/missing", false, false, false, false, {}},
        {env.root() + "/tds/source/f.mf", false, false, false, false, {}},
        {QString(), false, false, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        // A stale summary and dry-run list from an earlier job.
        setSummary(true, true, true, true, {"old.map"});
        overwriteFiles = QStringList{"/x"};
        tdsFolder = c.folder;
        scanTDS();
        EXPECT_TRUE(overwriteFiles.isEmpty());
        EXPECT_EQ(hasType1, c.type1);
        EXPECT_EQ(hasMF, c.mf);
        EXPECT_EQ(hasTTF, c.ttf);
        EXPECT_EQ(hasMaps, c.maps);
        EXPECT_EQ(tdsMaps, c.names);
    }
    QDir::setCurrent(before);
}

// Whether the package's style files load map entries themselves: only a
// command outside a comment counts.
TEST(ScanTDS, StyleFilesThatLoadTheirMaps)
{
    test::TestEnv env;
    struct Case {
        const char* what;
        QByteArray sty;
        bool loads;
    };
    const QList<Case> cases = {
        {"pdfmapfile", "\\ProvidesPackage{a}\n\\pdfmapfile{=a.map}\n", true},
        {"pdfmapline", "\\ifdefined\\pdfmapline \\pdfmapline{+ar8r <a.ttf}\\fi\n", true},
        {"none (autoinst)", "\\ProvidesPackage{a}\n\\RequirePackage{fontaxes}\n", false},
        {"commented out", "% \\pdfmapfile{=a.map}\n  %\\pdfmapfile{a.map}\n", false},
        {"after an escaped percent", "\\def\\x{50\\%} \\pdfmapfile{=a.map}\n", true},
        {"a longer name", "\\pdfmapfilex{a}\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString tds = env.root() + "/" + c.what;
        env.writeFile(QString(c.what) + "/fonts/truetype/v/a/a.ttf", "");
        env.writeFile(QString(c.what) + "/fonts/map/pdftex/a/a.map", "");
        env.writeFile(QString(c.what) + "/tex/latex/a/a.sty", c.sty);
        tdsFolder = tds;
        setSummary(false, false, false, false, {}, !c.loads);
        scanTDS();
        EXPECT_EQ(stylesLoadMaps, c.loads);
        EXPECT_EQ(planInstall().skip, c.loads);
    }
}

TEST(FinishInstallPlan, KindSkipAndWarnings)
{
    const QString incomplete = "Your TDS is incomplete---there are PostScript fonts but no map files";
    const QString mixing =
        "It is not a good idea to mix PostScript and TrueType fonts in one package---they are used differently.";
    const QString ttf = "You have no PostScript fonts---the map files for ttf fonts should be enabled within the "
                        "sty file using \\pdfmapfile{}";
    struct Case {
        const char* what;
        bool type1, mf, ttf, maps;
        QString kind;
        bool skip, noMaps;
        QStringList warnings;
        bool styMaps = false; // a .sty loads its map
    };
    const QList<Case> cases = {
        {"type1 maps mf", true, true, false, true, "MixedMap", false, false, {}},
        {"type1 maps", true, false, false, true, "Map", false, false, {}},
        {"type1 no maps", true, false, false, false, "Map", false, true, {incomplete}},
        {"type1 mf no maps", true, true, false, false, "Map", false, true, {incomplete}},
        {"type1 ttf maps", true, false, true, true, "Map", true, true, {mixing}},
        {"type1 ttf no maps", true, false, true, false, "Map", true, true, {incomplete, mixing}},
        {"ttf maps, the sty loads them", false, false, true, true, "Map", true, true, {ttf}, true},
        // autoinst's .sty loads no map: enabled as Type 1 maps are, or no
        // document finds the fonts.
        {"ttf maps, no sty loads them", false, false, true, true, "Map", false, false, {}},
        {"ttf no maps", false, false, true, false, "Map", false, false, {}},
        {"nothing", false, false, false, false, "Map", false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setSummary(c.type1, c.mf, c.ttf, c.maps, {"a"}, c.styMaps);
        const InstallPlan plan = planInstall();
        EXPECT_EQ(plan.kind, c.kind);
        EXPECT_EQ(plan.skip, c.skip);
        EXPECT_EQ(plan.noMapsEnabled, c.noMaps);
        EXPECT_EQ(plan.warnings, c.warnings);
    }
}

TEST(EnableMaps, SystemListGoesToTheRootRouteInOneCall)
{
    test::TestEnv env;
    setTexbinForTesting("/usr/texbin");
    setSummary(true, false, false, true, {"a.map", "b"});
    test::RootRoute root;
    // The terminal route hands the text over unchanged.
    setpref("sudo", qint32(1));
    EXPECT_TRUE(enableMapsSystem("Map", false));
    ASSERT_EQ(root.texts.size(), 1);
    EXPECT_EQ(root.scripts, QStringList{"sudoterm.sh"});
    EXPECT_EQ(root.texts.at(0).split('\t'), systemEnableCommands("Map", false, {"a.map", "b"}));
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Commands are being sent to your Terminal window. Your password may be required."});
    EXPECT_TRUE(lastEnableFailure.isEmpty());

    // The administrator route without sudo; a failure is reported back.
    setpref("sudo", qint32(0));
    root.status = 1;
    EXPECT_FALSE(enableMapsSystem("MixedMap", false));
    EXPECT_EQ(root.scripts.last(), QStringLiteral("sudocmd.sh"));
    EXPECT_EQ(root.texts.last().split('\t').first(), QStringLiteral("/usr/texbin/mktexlsr"));
    EXPECT_EQ(lastEnableFailure, QStringLiteral("Enabling the maps in the system trees failed: mktexlsr or "
                                                "updmap-sys ended with exit status 1."));

    // A refused name is named; the other maps are still enabled.
    root.status = 0;
    setSummary(true, false, false, true, {"good", "bad name"});
    EXPECT_FALSE(enableMapsSystem("Map", false));
    EXPECT_EQ(root.texts.last().split('\t').filter("--enable"),
              QStringList{"/usr/texbin/updmap-sys --nohash --nomkmap --enable Map=good.map"});
    EXPECT_TRUE(lastEnableFailure.endsWith("cannot be used in a command line: bad name"))
        << lastEnableFailure.toStdString();
    // Skipped: the names do not matter.
    EXPECT_TRUE(enableMapsSystem("Map", true));
}

TEST(EnableMaps, PersonalListRunsAsTheUserAndStopsAtAFailure)
{
    test::TestEnv env;
    test::StandInTexbin bin(env, true);
    test::writePersonalMap(env, "a.map");
    test::writePersonalMap(env, "b.map");
    test::RootRoute root;
    QStringList reports;
    uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
    setSummary(true, true, false, true, {"a.map", "b"});
    EXPECT_TRUE(enableMapsUser("MixedMap", false)) << lastEnableFailure.toStdString();
    EXPECT_TRUE(lastEnableFailure.isEmpty());
    EXPECT_TRUE(root.texts.isEmpty());
    EXPECT_EQ(bin.calls(), (QStringList{"updmap-user [--nohash] [--nomkmap] [--enable] [MixedMap=a.map]",
                                        "updmap-user [--nohash] [--nomkmap] [--enable] [MixedMap=b.map]",
                                        "updmap-user"}));

    QFile::remove(bin.log);
    bin.fail("updmap-user");
    EXPECT_FALSE(enableMapsUser("Map", false));
    EXPECT_EQ(bin.calls().size(), 1);
    EXPECT_EQ(lastEnableFailure, "Enabling the maps in the personal trees failed at: " + bin.folder +
                                     "/updmap-user --nohash --nomkmap --enable Map=a.map");
    EXPECT_EQ(reports.size(), 1);
    EXPECT_TRUE(root.texts.isEmpty());
}

// The system enabling checked the same way, when root's commands really
// ran (here updmap-sys in the test's own system trees): a rebuild left out
// names the map and updmap-sys; a recorder that runs nothing is not judged.
TEST(EnableMaps, SystemEnablingIsCheckedAgainstTheSystemPdftexMap)
{
    test::TestEnv env;
    env.writeFile("texmf-local/fonts/map/dvips/qlk/qlksys.map", "% made by hand\nqlksysfont QlkSys <qlksysfont.pfb\n");
    env.writeFile("texmf-local/fonts/type1/qlk/qlksysfont.pfb", "outline");
    texmfSysVar = QString::fromLocal8Bit(qgetenv("TEXMFSYSVAR"));
    texmfSysConfig = QString::fromLocal8Bit(qgetenv("TEXMFSYSCONFIG"));
    ASSERT_TRUE(texmfSysVar.startsWith(env.root()));
    setSummary(true, false, false, true, {"qlksys"});
    setpref("sudo", qint32(0));
    for (const bool rebuild : {false, true}) {
        SCOPED_TRACE(rebuild);
        QStringList ran;
        // Root's lines run as they are, but mktexlsr only over the test's
        // own trees, and the plain rebuild only when asked.
        setBundleScriptRunner(
            [&](const QString&, const QStringList& args) {
                int status = 0;
                for (const QString& line : args.value(0).split('\t')) {
                    QString command = line;
                    if (line.endsWith("/mktexlsr"))
                        command = shellQuote(texProgram("mktexlsr")) + " " + shellQuote(env.texmfLocal()) + " " +
                                  shellQuote(texmfSysVar);
                    else if (line.endsWith("updmap-sys ") && !rebuild)
                        continue;
                    ran << line;
                    status = runBash(command).exitCode;
                    if (status != 0)
                        break;
                }
                return ScriptResult{status, QString()};
            },
            true);
        const bool enabled = enableMapsSystem("Map", false);
        EXPECT_EQ(enabled, rebuild) << lastEnableFailure.toStdString();
        EXPECT_EQ(ran.size(), rebuild ? 3 : 2) << ran.join("\n").toStdString();
        if (!rebuild) {
            EXPECT_TRUE(lastEnableFailure.startsWith("The fonts of the map qlksys.map cannot be used yet: "))
                << lastEnableFailure.toStdString();
            EXPECT_TRUE(lastEnableFailure.endsWith(" Run updmap-sys to rebuild the output maps."));
        }
    }
    // Nothing ran: no judgement either way.
    test::RootRoute root;
    root.status = 0;
    setSummary(true, false, false, true, {"qlknowhere"});
    EXPECT_TRUE(enableMapsSystem("Map", false));
    texmfSysVar.clear();
    texmfSysConfig.clear();
}

// Enabled maps whose files kpsewhich cannot find are disabled by name; a
// disabled entry, a found map and (for the system trees) the personal
// updmap.cfg are left alone. updmap-user gets the scanned trees.
TEST(MapCommands, SynchronisingDisablesMissingMapsByName)
{
    test::TestEnv env;
    texmfHome = "/h/texmf";
    texmfVar = "/h/te x/var";
    texmfConfig = "/h/config";
    distCfgText = "Map lm.map\nMap qlkdistgone.map\n#! Map qlkoff.map\n";
    localCfgText = "MixedMap qlklocalgone.map\n";
    homeCfgText = "Map qlkhomegone.map\nKanjiMap lm.map\n";
    EXPECT_EQ(missingEnabledMaps(false), (QStringList{"qlkdistgone.map", "qlklocalgone.map"}));
    EXPECT_EQ(missingEnabledMaps(true), (QStringList{"qlkdistgone.map", "qlkhomegone.map", "qlklocalgone.map"}));
    const QString user =
        "TEXMFHOME=/h/texmf TEXMFVAR='/h/te x/var' TEXMFCONFIG=/h/config " + shellQuote(texProgram("updmap-user"));
    const QString sys = "/usr/bin/sudo -H " + shellQuote(texProgram("updmap-sys"));
    EXPECT_EQ(updmapUserProgram(), user);
    EXPECT_EQ(userEnableCommands("Map", true, {}),
              QStringList{user + " --nohash --nomkmap --disable qlkdistgone.map --disable qlkhomegone.map "
                                 "--disable qlklocalgone.map"});
    EXPECT_EQ(mapUpdateCommand(1, {}),
              "/usr/bin/sudo " + shellQuote(texProgram("mktexlsr")) + "&&" + sys +
                  "  --nohash --nomkmap --disable qlkdistgone.map --disable qlklocalgone.map&&" + sys + " ");
    // Disabled by a later file: nothing to do for it.
    homeCfgText = "#! Map qlkdistgone.map\n";
    EXPECT_EQ(missingEnabledMaps(true), QStringList{"qlklocalgone.map"});
    // A kpsewhich that cannot run finds nothing missing: nothing is disabled.
    setTexbinForTesting(env.root() + "/nowhere");
    EXPECT_TRUE(missingEnabledMaps(true).isEmpty());
    distCfgText.clear();
    localCfgText.clear();
    homeCfgText.clear();
    texmfHome.clear();
    texmfVar.clear();
    texmfConfig.clear();
}

// How a map's first font line is found and looked for in pdftex.map, as
// updmap copies it there (its own blanks, or "% name" lines around it).
TEST(MapsInUse, FirstFontLineAndPdftexMapLines)
{
    struct Line {
        const char* map;
        const char* first;
    };
    for (const Line c : {Line{"% fontinst\n\n  # old\nftqr8r Teams \"T1 ReEncodeFont\" <8r.enc <ftqr8a.pfb\nx y\n",
                              "ftqr8r Teams \"T1 ReEncodeFont\" <8r.enc <ftqr8a.pfb"},
                         Line{"\r\n  ftqb8r\tTeams-Bold   <ftqb8a.pfb  \r\n", "ftqb8r Teams-Bold <ftqb8a.pfb"},
                         Line{"% only comments\n#\n\n", ""}, Line{"", ""}})
        EXPECT_EQ(firstFontLine(QString::fromUtf8(c.map)), QString::fromUtf8(c.first)) << c.map;

    const QString pdftex = "% Generated by updmap\n% ftq.map\nftqb8r Teams-Bold <ftqb8a.pfb\n"
                           "ftqr8r  Teams \"T1 ReEncodeFont\" <8r.enc <ftqr8a.pfb\n% other.map\nftqi8r Other <o.pfb\n";
    EXPECT_TRUE(pdftexMapHolds(pdftex, "ftqb8r Teams-Bold <ftqb8a.pfb"));
    EXPECT_TRUE(pdftexMapHolds(pdftex, "ftqr8r Teams \"T1 ReEncodeFont\" <8r.enc <ftqr8a.pfb"));
    // updmap's own spelling of a quoted part, taken from Debian's pdftex.map.
    EXPECT_TRUE(pdftexMapHolds("uplb8r URWPalladioL-Bold \" TeXBase1Encoding ReEncodeFont \" <8r.enc <uplb8a.pfb\n",
                               "uplb8r URWPalladioL-Bold \"TeXBase1Encoding ReEncodeFont\" <8r.enc <uplb8a.pfb"));
    EXPECT_FALSE(pdftexMapHolds("uplb8r URWPalladioL-Bold \" TeXBase1Encoding ReEncodeFont \" <8r.enc <uplb8a.pfb\n",
                                "uplb8r URWPalladioL-Bold \"TeXBase1Encoding\" <8r.enc <uplb8a.pfb"));
    // The same font name from another map's line is not this map's line.
    EXPECT_FALSE(pdftexMapHolds(pdftex, "ftqi8r Teams-Italic <ftqi8a.pfb"));
    EXPECT_FALSE(pdftexMapHolds(pdftex, "ftqb8 Teams-Bold <ftqb8a.pfb"));
    EXPECT_FALSE(pdftexMapHolds(QString(), "ftqb8r Teams-Bold <ftqb8a.pfb"));
}

// The personal enabling is one step: the program killed right after the
// enabling line has run (the stand-in updmap-user kills it), the rebuild
// still runs and the map's lines reach the personal pdftex.map.
TEST(EnableMaps, PersonalEnablingFinishesWhenTheProgramIsKilled)
{
    test::TestEnv env;
    test::writePersonalMap(env, "qlkkill.map");
    const QString bin = env.root() + "/bin";
    env.writeScript("bin/updmap-user",
                    QString("'%1/updmap-user' \"$@\" || exit\n"
                            "case \" $* \" in *' --enable '*) kill -9 \"$(cat '%2/program')\" ;; esac\n")
                        .arg(texbin(), bin));
    QFile::link(texbin() + "/kpsewhich", bin + "/kpsewhich");
    setTexbinForTesting(bin);
    texmfHome = env.texmfHome();
    texmfVar = env.texmfVar();
    texmfConfig = env.texmfConfig();
    setSummary(true, false, false, true, {"qlkkill"});

    // What the program leaves running becomes this process's child, to be
    // waited for here.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        env.writeFile("bin/program", QByteArray::number(::getpid()));
        enableMapsUser("Map", false);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the program was not killed: " << status;
    EXPECT_TRUE(readTextFile(env.texmfConfig() + "/web2c/updmap.cfg").contains("Map qlkkill.map"));
    const QString pdftexMap = env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map";
    EXPECT_TRUE(pdftexMapHolds(readTextFile(pdftexMap), "qlkkillfont QlkTestqlkkill <qlkkillfont.pfb"))
        << pdftexMap.toStdString();
    // And the check after an enabling sees it so.
    const PdftexMapCheck check = checkMapsInUse({"qlkkill"}, false);
    EXPECT_EQ(check.pdftexMap, pdftexMap);
    EXPECT_TRUE(check.missing.isEmpty());
    texmfHome.clear();
    texmfVar.clear();
    texmfConfig.clear();
}

// The font lines of a map and the outline and encoding files each loads,
// however the "<" is written; and the rank in which updmap reads the maps of
// its updmap.cfg files (highest priority first), a lower rank winning.
TEST(MapsInUse, FontLinesLoadsAndReadRanks)
{
    const QString map = "% made by hand\n#\n\n"
                        "ynrb8a NimbusRomanT-Bold <ynrb8a.pfb\n"
                        "yzcmi8r Z003 \"TeXBase1Encoding ReEncodeFont\" <8r.enc <<yzcmi8a.pfa\n"
                        "qlkt1 QlkSans \" T1Encoding ReEncodeFont \" <[ qlk-t1.enc < qlksans.otf\r\n"
                        "qlkttf\tQlkTT <qlk.ttf <qlk.ttf\n"
                        "qlkq Qlk \"<notafile.pfb\" <Qlk.PFB\n"
                        "cmr10 CMR10 <cmr10\n";
    struct Font {
        QString font;
        QStringList files;
    };
    const QList<Font> expected{{"ynrb8a", {"ynrb8a.pfb"}},
                               {"yzcmi8r", {"8r.enc", "yzcmi8a.pfa"}},
                               {"qlkt1", {"qlk-t1.enc", "qlksans.otf"}},
                               {"qlkttf", {"qlk.ttf"}},
                               {"qlkq", {"Qlk.PFB"}},
                               {"cmr10", {}}};
    const QList<MapFontLine> lines = mapFontLines(map);
    ASSERT_EQ(lines.size(), expected.size());
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines.at(i).font, expected.at(i).font);
        EXPECT_EQ(lines.at(i).files, expected.at(i).files) << lines.at(i).line.toStdString();
    }
    EXPECT_EQ(lines.at(3).line, "qlkttf QlkTT <qlk.ttf <qlk.ttf");

    const NoCaseDict<int> ranks = updmapReadRanks(
        {"Map new.map\n#! Map off.map\nKanjiMap kanji.map\nMap both.map\n",
         "Map both.map\nMap off.map\nMixedMap local.map # a comment\n#!Map bad.map\n# Map hash.map\n",
         "Map dist.map\n##Map x.map\n  Map indented.map\nMap off.map\n"});
    EXPECT_EQ(ranks.keys(), (QStringList{"both.map", "dist.map", "indented.map", "local.map", "new.map"}));
    EXPECT_EQ(ranks.value("new.map"), 0);
    // A map counts with the lowest-priority file that names it.
    EXPECT_EQ(ranks.value("both.map"), 1);
    EXPECT_EQ(ranks.value("local.map"), 1);
    EXPECT_EQ(ranks.value("dist.map"), 2);
}

// A real personal enabling with updmap-user in the test's trees: a map
// loading an outline nobody installed, one loading a missing encoding, and
// one defining a font that an enabled map of TEXMFLOCAL defines too. Each
// is named, the clash instead of advice to rebuild (which changes nothing),
// and the map said to win is the one real updmap reports as used.
TEST(MapsInUse, MissingFilesAndAClashAfterARealPersonalEnabling)
{
    test::TestEnv env;
    texmfHome = env.texmfHome();
    texmfVar = env.texmfVar();
    texmfConfig = env.texmfConfig();
    const QString local = QDir(env.root()).relativeFilePath(env.texmfLocal());
    const QString dvips = "home/texmf/fonts/map/dvips/qlk/";
    env.writeFile("home/texmf/fonts/type1/qlk/qlkthere.pfb", "outline");
    env.writeFile(dvips + "qlkpfb.map", "qlkpfbr QlkPfb <qlkgone.pfb\n");
    env.writeFile(dvips + "qlkenc.map", "qlkencr QlkEnc \"QlkEncoding ReEncodeFont\" <[qlkgone.enc <qlkthere.pfb\n");
    env.writeFile(dvips + "qlknew.map", "qlkclashr QlkNew <qlkthere.pfb\nqlknewb QlkNewBold <qlkthere.pfb\n");
    env.writeFile(local + "/fonts/map/dvips/qlk/qlkold.map", "qlkclashr QlkOld <qlkthere.pfb\n");
    env.writeFile(local + "/web2c/updmap.cfg", "Map qlkold.map\n");
    ASSERT_EQ(runBash(shellQuote(texProgram("mktexlsr")) + " " + shellQuote(env.texmfLocal())).exitCode, 0);

    setSummary(true, false, false, true, {"qlkpfb", "qlkenc", "qlknew"});
    EXPECT_FALSE(enableMapsUser("Map", false));
    EXPECT_EQ(lastEnableFailure.split('\n'),
              (QStringList{"The map qlkpfb.map loads qlkgone.pfb, which is not installed: documents using these "
                           "fonts will stop.",
                           "The map qlkenc.map loads qlkgone.enc, which is not installed: documents using these "
                           "fonts will stop.",
                           "In qlknew.map, qlkclashr is also defined by qlkold.map, whose definition updmap leaves "
                           "unused; disable one of the two maps."}));
    const QString used = runBash(updmapUserProgram() + " 2>&1").output;
    EXPECT_TRUE(used.contains(QRegularExpression("qlknew\\.map \\(from [^)]*\\) \\(used\\)"))) << used.toStdString();

    // With the files installed and the clash gone, nothing is said.
    env.writeFile("home/texmf/fonts/type1/qlk/qlkgone.pfb", "outline");
    env.writeFile("home/texmf/fonts/enc/dvips/qlk/qlkgone.enc", "/QlkEncoding [ ] def\n");
    env.writeFile(local + "/web2c/updmap.cfg", "#! Map qlkold.map\n");
    ASSERT_EQ(runBash(shellQuote(texProgram("mktexlsr")) + " " + shellQuote(env.texmfLocal())).exitCode, 0);
    EXPECT_EQ(mapsNotInUseText(checkMapsInUse({"qlkpfb", "qlkenc", "qlknew"}, false), false), "");
    texmfHome.clear();
    texmfVar.clear();
    texmfConfig.clear();
}

namespace {
// A texbin of the test's own: kpsewhich and updmap-user of the real one,
// updmap-user wrapped by `standIn` (which runs the real one as "$real").
QString wrapUpdmapUser(const test::TestEnv& env, const QString& standIn)
{
    const QString bin = env.root() + "/bin";
    env.writeScript("bin/updmap-user", "real=" + shellQuote(texbin() + "/updmap-user") + "\n" + standIn);
    QFile::link(texbin() + "/kpsewhich", bin + "/kpsewhich");
    setTexbinForTesting(bin);
    texmfHome = env.texmfHome();
    texmfVar = env.texmfVar();
    texmfConfig = env.texmfConfig();
    return bin;
}
} // namespace

// An updmap-user that floods its output and fails: what the program keeps
// of it stays within the bound, and the report says how much was left out.
TEST(EnableMaps, AFloodOfOutputStaysBoundedAndTheReportSaysWhatWasLeftOut)
{
    test::TestEnv env;
    test::writePersonalMap(env, "qlkflood.map");
    // 100 MB on each stream, no more, so that a fault here cannot exhaust the machine.
    wrapUpdmapUser(env, "head -c 100000000 /dev/zero | tr '\\0' o\n"
                        "head -c 100000000 /dev/zero | tr '\\0' e >&2\n"
                        "echo; echo 'updmap-user: the last word' >&2; exit 2\n");
    QStringList reports;
    uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
    setSummary(true, false, false, true, {"qlkflood"});
    EXPECT_FALSE(enableMapsUser("Map", false));
    auto note = [](qint64 written, QChar end) {
        return QString("%1[%2 bytes left out here: of the %3 bytes written, the first and last 64 KiB are kept]%1")
            .arg(end)
            .arg(written - 2 * kKeptOutputBytes)
            .arg(written);
    };
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.at(0).contains("\rshell returned errorcode: 2\r"));
    EXPECT_LT(reports.at(0).size(), 5 * kKeptOutputBytes);
    EXPECT_TRUE(reports.at(0).contains(note(100000001, '\r')));
    EXPECT_TRUE(reports.at(0).contains(note(100000027, '\r')));
    EXPECT_TRUE(reports.at(0).endsWith("eeeupdmap-user: the last word\r"));
    // The failure names the map it left out.
    EXPECT_TRUE(lastEnableFailure.contains("The fonts of the map qlkflood.map cannot be used yet")) << lastEnableFailure.toStdString();
    texmfHome.clear();
    texmfVar.clear();
    texmfConfig.clear();
}

// The system route as root: a map whose first line redefines a font of
// another map enabled in the same updmap.cfg. updmap-sys picks either
// definition anew on each run, so no rebuild helps; the clash is named,
// with the map pdftex.map follows now, and the map's other fonts, which
// did reach pdftex.map, raise no advice to rebuild.
TEST(MapsInUse, ClashOnTheSystemRoute)
{
    test::TestEnv env;
    texmfSysVar = QString::fromLocal8Bit(qgetenv("TEXMFSYSVAR"));
    texmfSysConfig = QString::fromLocal8Bit(qgetenv("TEXMFSYSCONFIG"));
    ASSERT_TRUE(texmfSysConfig.startsWith(env.root()));
    const QString local = QDir(env.root()).relativeFilePath(env.texmfLocal());
    env.writeFile(local + "/fonts/type1/qlk/qlksys.pfb", "outline");
    env.writeFile(local + "/fonts/map/dvips/qlk/qlksysold.map", "qlkxdur QlkOld <qlksys.pfb\n");
    env.writeFile(local + "/fonts/map/dvips/qlk/qlkxdu.map",
                  "qlkxdur QlkNew <qlksys.pfb\nqlkxdub QlkNewBold <qlksys.pfb\n");
    env.writeFile(QDir(env.root()).relativeFilePath(texmfSysConfig) + "/web2c/updmap.cfg", "Map qlksysold.map\n");
    setBundleScriptRunner(
        [](const QString&, const QStringList& args) {
            const ProcessResult r = test::runRootCommands(args.value(0), 120000);
            return ScriptResult{r.exitCode, r.output};
        },
        true);
    setpref("sudo", qint32(0));
    setSummary(true, false, false, true, {"qlkxdu"});
    EXPECT_FALSE(enableMapsSystem("Map", false));
    const QString pdftex = readTextFile(texmfSysVar + "/fonts/map/pdftex/updmap/pdftex.map");
    ASSERT_TRUE(pdftex.contains("qlkxdub QlkNewBold")) << pdftex.toStdString();
    const QString now = pdftex.contains("QlkOld") ? "qlksysold.map" : "qlkxdu.map";
    EXPECT_EQ(lastEnableFailure, "In qlkxdu.map, qlkxdur is also defined by qlksysold.map; updmap takes one of the "
                                 "two definitions, choosing anew on each run (now " +
                                     now + "'s); disable one of the two maps.");
    texmfSysVar.clear();
    texmfSysConfig.clear();
}

// The texts of the check: several files in one line, several fonts, and
// each way updmap may settle a clash.
TEST(MapsInUse, MessagesNameTheFilesAndTheWinner)
{
    PdftexMapCheck check;
    check.missingFiles << MissingLoads{"NimbusRomanT.map", {"ynrb8a.pfb"}}
                       << MissingLoads{"q.map", {"a.pfb", "b.enc", "c.otf"}};
    check.clashes << MapClash{"Z003.map", "AAold.map", {"yzcmi8a"}, "AAold.map", {}}
                  << MapClash{"Z003.map", "B.map", {"yzcmr8a", "yzcmb8a"}, "Z003.map", {}}
                  << MapClash{"Z003.map", "C.map", {"yzcmi8a"}, {}, {}};
    EXPECT_EQ(mapsNotInUseText(check, false).split('\n'),
              (QStringList{"The map NimbusRomanT.map loads ynrb8a.pfb, which is not installed: documents using these "
                           "fonts will stop.",
                           "The map q.map loads a.pfb, b.enc and c.otf, which are not installed: documents using "
                           "these fonts will stop.",
                           "In Z003.map, yzcmi8a is also defined by AAold.map, which updmap uses; disable one of the "
                           "two maps.",
                           "In Z003.map, yzcmr8a and yzcmb8a are also defined by B.map, whose definition updmap "
                           "leaves unused; disable one of the two maps.",
                           "In Z003.map, yzcmi8a is also defined by C.map; updmap takes one of the two definitions, "
                           "choosing anew on each run; disable one of the two maps."}));
    EXPECT_EQ(mapsNotInUseText(PdftexMapCheck{}, true), "");
}

// An updmap-user that hangs while enabling: once offered, a stop ends its
// whole process group, and the failure says what was left undone and
// names the map not in pdftex.map.
TEST(EnableMaps, StoppingAHangingEnablingEndsItsGroupAndNamesTheMap)
{
    test::TestEnv env;
    test::writePersonalMap(env, "qlkhang.map");
    const QString bin = wrapUpdmapUser(env, QString("case \" $* \" in *' --enable '*)\n"
                                                    "  read -r -a stat < /proc/$$/stat; echo \"${stat[4]}\" > '%1/group'\n"
                                                    "  sleep 1000 & sleep 1000 ;;\n"
                                                    "esac\n"
                                                    "exec \"$real\" \"$@\"\n")
                                                .arg(env.root()));
    QStringList reports;
    uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
    const int offerBefore = commandStopOfferMs;
    commandStopOfferMs = 300;
    setCommandWaitHooks({[](const QString&) {}, [] {}, [] {}, [] { requestCommandStop(); }});
    setSummary(true, false, false, true, {"qlkhang"});
    const bool enabled = enableMapsUser("Map", false);
    setCommandWaitHooks({});
    commandStopOfferMs = offerBefore;
    EXPECT_FALSE(enabled);
    const QStringList lines = userEnableCommands("Map", false, {"qlkhang"});
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lastEnableFailure,
              "Enabling the maps in the personal trees was stopped. Left undone: " + lines.join(" && ") + "\n" +
                  mapsNotInUseText(checkMapsInUse({"qlkhang"}, false), false));
    EXPECT_TRUE(lastEnableFailure.contains("The fonts of the map qlkhang.map cannot be used yet"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.at(0).startsWith("Stopped while running: " + lines.at(0) + "\r" +
                                         "Left undone; running this in a terminal finishes it:\r" +
                                         lines.join(" && ") + "\r\rWhile trying to run command: " + lines.at(0)))
        << reports.at(0).toStdString();
    const pid_t group = test::readBytes(env.root() + "/group").trimmed().toInt();
    ASSERT_GT(group, 0);
    EXPECT_FALSE(test::processGroupRuns(group));
    texmfHome.clear();
    texmfVar.clear();
    texmfConfig.clear();
}

#include "texenv/ScanParse.h"

#include <gtest/gtest.h>

using namespace qlk;

TEST(TexYear, FromRootOrVersionLine)
{
    EXPECT_EQ(yearFromRoot(QStringLiteral("/usr/local/texlive/2013")), QStringLiteral("2013"));
    EXPECT_EQ(yearFromRoot(QStringLiteral("/usr/local/texlive/2022/\n")), QStringLiteral("2022"));
    // Debian installs below "/": no year there.
    EXPECT_EQ(yearFromRoot(QStringLiteral("/")), QString());
    EXPECT_EQ(yearFromRoot(QStringLiteral("/opt/texlive/x2013")), QString());
    EXPECT_EQ(yearFromRoot(QString()), QString());
    EXPECT_EQ(yearFromTexVersion(QStringLiteral("TeX 3.141592653 (TeX Live 2022/Debian)\n"
                                                "kpathsea version 6.3.4\n")),
              QStringLiteral("2022"));
    EXPECT_EQ(yearFromTexVersion(QStringLiteral("TeX 3.14159265 (TeX Live 2012)")), QStringLiteral("2012"));
    // Only the first line counts.
    EXPECT_EQ(yearFromTexVersion(QStringLiteral("TeX 3.1\nTeX Live 2022")), QString());
    EXPECT_EQ(yearValue(QStringLiteral("2013")), 2013);
    EXPECT_EQ(yearValue(QStringLiteral("2012")), 2012);
    EXPECT_EQ(yearValue(QString()), 0);
    EXPECT_EQ(yearValue(QStringLiteral("x2020")), 0);
}

TEST(AdminTest, AdminSudoOrWheelAmongTheGroups)
{
    EXPECT_TRUE(adminFromGroups(QStringLiteral("staff everyone admin\n")));
    EXPECT_TRUE(adminFromGroups(QStringLiteral("jo adm cdrom sudo audio")));
    EXPECT_TRUE(adminFromGroups(QStringLiteral("users wheel")));
    EXPECT_FALSE(adminFromGroups(QStringLiteral("staff everyone")));
    EXPECT_FALSE(adminFromGroups(QStringLiteral("adm sudoers wheelers")));
    EXPECT_FALSE(adminFromGroups(QString()));
}

TEST(TexmfPath, MarkersAndBracesGo)
{
    EXPECT_EQ(parseTexmfPath(QStringLiteral("{!!/A,!!/B,/C,!!/D,!!/E,/F,!!/G}")),
              (QStringList{"/A", "/B", "/C", "/D", "/E", "/F", "/G"}));
    // Debian 12's answer: an empty alternative in front, eight trees.
    const QStringList debian = parseTexmfPath(QStringLiteral(
        "{{}/home/jo/.texlive2022/texmf-config,/home/jo/.texlive2022/texmf-var,/home/jo/texmf,"
        "!!/usr/local/share/texmf,/etc/texmf,!!/var/lib/texmf,!!/usr/share/texmf,"
        "!!/usr/share/texlive/texmf-dist}\n"));
    EXPECT_EQ(debian, (QStringList{"/home/jo/.texlive2022/texmf-config", "/home/jo/.texlive2022/texmf-var",
                                   "/home/jo/texmf", "/usr/local/share/texmf", "/etc/texmf",
                                   "/var/lib/texmf", "/usr/share/texmf", "/usr/share/texlive/texmf-dist"}));
    EXPECT_TRUE(parseTexmfPath(QString()).isEmpty());
}

TEST(TreeAnswer, TreesByTheirNames)
{
    EXPECT_TRUE(treeQueryTemplate().startsWith(QLatin1String("$TEXMFCONFIG\n$TEXMFVAR\n$TEXMFHOME\n")));
    const QMap<QString, QString> trees = parseTreeAnswer(QStringLiteral(
        "/h/.texlive2022/texmf-config\n/h/.texlive2022/texmf-var\n/h/texmf/\n/etc/texmf\n"
        "/var/lib/texmf\n$TEXMFLOCAL\n{!!/usr/share/texlive/texmf-dist,/x}\n"));
    EXPECT_EQ(trees.value("TEXMFHOME"), QStringLiteral("/h/texmf"));
    EXPECT_EQ(trees.value("TEXMFSYSVAR"), QStringLiteral("/var/lib/texmf"));
    // A variable kpsewhich does not know stays "$NAME": no tree.
    EXPECT_EQ(trees.value("TEXMFLOCAL"), QString());
    EXPECT_EQ(trees.value("TEXMFDIST"), QStringLiteral("/usr/share/texlive/texmf-dist"));
    // A short answer leaves the missing names empty.
    EXPECT_EQ(parseTreeAnswer(QStringLiteral("/a\n/b")).value("TEXMFDIST"), QString());
}

TEST(TreeAnswer, RootSearchPathAndTreesFromOneAnswer)
{
    EXPECT_EQ(installationQueryTemplate(), "$SELFAUTOPARENT\n$TEXMF\n" + treeQueryTemplate());
    const InstallationAnswer debian = splitInstallationAnswer(QStringLiteral(
        "/\n{{}/h/.texlive2022/texmf-config,!!/usr/share/texlive/texmf-dist}\n/h/.texlive2022/texmf-config\n"
        "/h/.texlive2022/texmf-var\n/h/texmf\n/etc/texmf\n/var/lib/texmf\n/usr/local/share/texmf\n"
        "/usr/share/texlive/texmf-dist\n/usr/share/texmf/web2c/updmap.cfg\n"
        "/var/lib/texmf/fonts/map/pdftex/updmap/pdftex.map\n"));
    EXPECT_TRUE(debian.complete);
    EXPECT_EQ(debian.selfAutoParent, QStringLiteral("/"));
    // The lines of the file look-ups follow the expanded ones.
    EXPECT_EQ(filesNamed(debian.listing, QStringLiteral("updmap.cfg")),
              QStringList{"/usr/share/texmf/web2c/updmap.cfg"});
    EXPECT_EQ(filesNamed(debian.listing, QStringLiteral("pdftex.map")),
              QStringList{"/var/lib/texmf/fonts/map/pdftex/updmap/pdftex.map"});
    EXPECT_EQ(parseTexmfPath(debian.texmf),
              (QStringList{"/h/.texlive2022/texmf-config", "/usr/share/texlive/texmf-dist"}));
    EXPECT_EQ(parseTreeAnswer(debian.trees).value("TEXMFCONFIG"), QStringLiteral("/h/.texlive2022/texmf-config"));
    EXPECT_EQ(parseTreeAnswer(debian.trees).value("TEXMFDIST"), QStringLiteral("/usr/share/texlive/texmf-dist"));
    // Variables kpsewhich does not know, and a short answer: empty, as -var-value gives them.
    const InstallationAnswer unknown = splitInstallationAnswer(QStringLiteral("$SELFAUTOPARENT\n$TEXMF\n"));
    EXPECT_EQ(unknown.selfAutoParent, QString());
    EXPECT_EQ(unknown.texmf, QString());
    EXPECT_EQ(parseTreeAnswer(unknown.trees).value("TEXMFCONFIG"), QString());
    EXPECT_FALSE(unknown.complete);
    EXPECT_TRUE(unknown.listing.isEmpty());
    EXPECT_EQ(splitInstallationAnswer(QString()).texmf, QString());
    EXPECT_FALSE(splitInstallationAnswer(QString()).complete);
}

TEST(KpsewhichAll, LinesSortedByTheFileTheyName)
{
    const QString answer = QStringLiteral(
        "/usr/share/texmf/web2c/updmap.cfg\n  /usr/share/texlive/texmf-dist/web2c/updmap.cfg \n"
        "/var/lib/texmf/fonts/map/pdftex/updmap/pdftex.map\n/h/texmf/web2c/Updmap.CFG\n"
        "/x/web2c/myupdmap.cfg\n/x/updmap.cfg/pdftex.map.bak\n\n");
    const struct {
        const char* name;
        QStringList files;
    } cases[] = {
        {"updmap.cfg",
         {"/usr/share/texmf/web2c/updmap.cfg", "/usr/share/texlive/texmf-dist/web2c/updmap.cfg",
          "/h/texmf/web2c/Updmap.CFG"}},
        {"pdftex.map", {"/var/lib/texmf/fonts/map/pdftex/updmap/pdftex.map"}},
        {"psfonts.map", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filesNamed(answer, QString::fromLatin1(c.name)), c.files) << c.name;
    EXPECT_TRUE(filesNamed(QString(), QStringLiteral("updmap.cfg")).isEmpty());
}

TEST(UpdmapCfgLines, MapLineRules)
{
    struct Case {
        const char* line;
        bool isMap;
        bool disabled;
        const char* name;
    };
    const Case cases[] = {
        {"#! Map foo.map", true, true, "foo.map"},
        {"#!Map foo.map", true, false, "foo.map"},          // first word is "#!Map", not "#!"
        {"#Map foo.map", true, false, "foo.map"},
        {"  # Map foo.map", true, false, "foo.map"},        // "# " only counts at the very start
        {"# Map foo.map", false, false, ""},                // a comment
        {"Map Foo.MAP", true, false, "Foo.MAP"},
        {"Map foo.map % old", false, false, ""},            // comment after the name
        {"Map\tfoo.map", true, false, "Map\tfoo.map"},       // a TAB separates nothing
        {"MixedMap  foo.map\r", true, false, "foo.map"},     // two blanks; CR trimmed
        {"LW35 URWkb", false, false, ""},
        {"", false, false, ""},
        {"dvipsPreferOutline true", false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const MapLine m = parseMapLine(QString::fromUtf8(c.line));
        EXPECT_EQ(m.isMap, c.isMap);
        if (c.isMap) {
            EXPECT_EQ(m.disabled, c.disabled);
            EXPECT_EQ(m.name, QString::fromUtf8(c.name));
        }
    }
}

TEST(UpdmapCfgLines, DisabledAndAddedMaps)
{
    // The distribution lists a, b, c, d (d disabled by itself); the others
    // disable b, enable a again, add e, disable x (unknown to the
    // distribution) and name C twice, ending disabled.
    NoCaseDict<int> dist, local;
    collectMapStates(QStringLiteral("Map a.map\nMap b.map\nMixedMap c.map\n#! Map d.map\n"), dist);
    collectMapStates(QStringLiteral("#! Map b.map\nMap a.map\nMap e.map\n#! Map x.map\n"
                                    "Map C.map\n#! Map c.MAP\n"),
                     local);
    QStringList disabled, added;
    compareMapStates(dist, local, disabled, added);
    EXPECT_EQ(disabled, (QStringList{"b.map", "c.map"}));
    EXPECT_EQ(added, (QStringList{"e.map"}));

    // One file alone: nothing to compare.
    NoCaseDict<int> none;
    compareMapStates(dist, none, disabled, added);
    EXPECT_TRUE(disabled.isEmpty());
    EXPECT_TRUE(added.isEmpty());
}

TEST(UpdmapCfgLines, TextsJoinWithALineFeed)
{
    // A file without a final line feed must not run into the next file.
    QString combined;
    appendCfgText(combined, QStringLiteral("Map a.map"));
    appendCfgText(combined, QStringLiteral("#! Map b.map\n"));
    appendCfgText(combined, QString());
    appendCfgText(combined, QStringLiteral("Map c.map\n"));
    EXPECT_EQ(combined, QStringLiteral("Map a.map\n#! Map b.map\nMap c.map\n"));
    NoCaseDict<int> states;
    collectMapStates(combined, states);
    EXPECT_EQ(states.size(), 3);
    EXPECT_EQ(states.value("b.map", -1), 1);
}

TEST(UpdmapOptions, LastLineThatBeginsWithTheNameWins)
{
    const QString text = QStringLiteral("LW35 URW\n# LW35 ADOBE\nMap a.map\ndvipsPreferOutline false\n"
                                        "LW35  URWkb  \n#! dvipsDownloadBase35 false\n"
                                        "pdftexDownloadBase14true\n");
    EXPECT_EQ(optionValue(text, QStringLiteral("LW35")), QStringLiteral("URWkb"));
    EXPECT_EQ(optionValue(text, QStringLiteral("dvipsPreferOutline")), QStringLiteral("false"));
    EXPECT_EQ(optionValue(text, QStringLiteral("dvipsDownloadBase35")), QString());
    // A line whose first word only begins with the name counts, with the rest as value.
    EXPECT_EQ(optionValue(text, QStringLiteral("pdftexDownloadBase14")), QStringLiteral("true"));
    // The very first line counts too.
    EXPECT_EQ(optionValue(QStringLiteral("LW35 ADOBE\nMap a.map"), QStringLiteral("LW35")),
              QStringLiteral("ADOBE"));
    EXPECT_EQ(optionValue(QString(), QStringLiteral("LW35")), QString());
}

TEST(UpdmapOptions, ShowOptionAnswers)
{
    // As updmap-sys --showoption prints them, after its list of files.
    const QMap<QString, QString> v = parseShowOptions(QStringLiteral(
        "updmap will read the following updmap.cfg files (in precedence order):\n"
        "  /usr/share/texmf/web2c/updmap.cfg\n"
        "LW35=URWkb (default)\n"
        "dvipsPreferOutline=true (/etc/texmf/web2c/updmap.cfg)\n"
        "jaEmbed=\"ipa ex\" (default)\n"));
    EXPECT_EQ(v.value("LW35"), QStringLiteral("URWkb"));
    EXPECT_EQ(v.value("dvipsPreferOutline"), QStringLiteral("true"));
    EXPECT_EQ(v.value("jaEmbed"), QStringLiteral("ipa ex"));
    EXPECT_EQ(v.size(), 3);
}

TEST(PdftexMapRoot, TextBeforePdftexFolder)
{
    EXPECT_EQ(pdftexMapRoot(QStringLiteral("/var/lib/texmf/fonts/map/pdftex/updmap/pdftex.map\n")),
              QStringLiteral("/var/lib/texmf/fonts/map/"));
    EXPECT_EQ(pdftexMapRoot(QStringLiteral("/x/y/pdftex.map")), QStringLiteral("/x/y/"));
}

// The files a font line loads, from lines as TeX Live's maps write them.
TEST(MapLineLoads, FontsAndEncodingsInTheLinesOrder)
{
    struct Row {
        const char* line;
        const char* loads; // file, "[file" for an encoding; blank-separated
    } rows[] = {
        {"utmr8r NimbusRomNo9L-Regu \"TeXBase1Encoding ReEncodeFont\" <8r.enc <utmr8a.pfb", "8r.enc utmr8a.pfb"},
        {"ec-qag-regular-t1 TeXGyreAdventor-Regular \"enc-ec ReEncodeFont\" <[q-ec.enc <qagr.pfb",
         "[q-ec.enc qagr.pfb"},
        {"  qlkl8r QlkBook <[ 8r.enc << UBKL8A.PFB", "[8r.enc UBKL8A.PFB"},
        {"DejaVuSerif-r8r DejaVuSerif < qtt-8r.enc < DejaVuSerif.ttf", "qtt-8r.enc DejaVuSerif.ttf"},
        {"cmr10 CMR10 <cmr10.pfb", "cmr10.pfb"},
        {"ptmr8r Times-Roman", ""},
        {"qlkq8r X \" <notafile.pfb ReEncodeFont\" <q.pfb", "q.pfb"},
        {"% qlkx8r X <x.pfb", ""},
        {"  * qlkx8r X <x.pfb", ""},
        {"; qlkx8r X <x.pfb", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        QStringList seen;
        for (const MapLoad& load : mapLineLoads(QString::fromLatin1(row.line)))
            seen << (load.encoding ? "[" : "") + load.file;
        EXPECT_EQ(seen.join(' '), QString::fromLatin1(row.loads)) << row.line;
    }
    EXPECT_EQ(mapSectionHeading(QStringLiteral("% utm.map")), QStringLiteral("utm.map"));
    EXPECT_EQ(mapSectionHeading(QStringLiteral("% maintained by updmap[-sys] (multi).")), QString());
}

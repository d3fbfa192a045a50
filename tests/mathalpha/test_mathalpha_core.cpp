#include "mathalpha/MathAlphaBuild.h"
#include "mathalpha/MathAlphabet.h"
#include "support/TestEnv.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace qlk::mathalpha;

TEST(MathAlphaNames, GlyphNumberingCoversBothCases)
{
    EXPECT_EQ(glyphLetter(0), QChar('A'));
    EXPECT_EQ(glyphLetter(25), QChar('Z'));
    EXPECT_EQ(glyphLetter(26), QChar('a'));
    EXPECT_EQ(glyphLetter(51), QChar('z'));
    for (int k = 0; k < kGlyphs; ++k)
        EXPECT_EQ(glyphOfLetter(glyphLetter(k)), k);
    EXPECT_EQ(glyphOfLetter(QChar('[')), -1);
    EXPECT_EQ(glyphOfLetter(QChar(0xe9)), -1);
}

TEST(MathAlphaNames, NameChecksAndCommandForms)
{
    struct Case {
        QString name;
        QString message; // empty: accepted
        QString command;
    } cases[] = {
        {"cal-2", "", "caltwo"},
        {"xy-2_cal", "", "xytwocal"},
        {"my-cal2", "", "mycaltwo"},
        {"-_=", "", ""},
        {"XyzCal", "", "XyzCal"},
        {"", "Bailing out---empty sty name", ""},
        {"my cal",
         "Bailing out---the sty name must contain only =, -, _, numbers, upper and lower case letters only: "
         "<space> is invalid",
         ""},
        {"cal.sty",
         "Bailing out---the sty name must contain only =, -, _, numbers, upper and lower case letters only: . is "
         "invalid",
         ""},
        {QString::fromUtf8("cal\xc3\xa9"),
         QString::fromUtf8("Bailing out---the sty name must contain only =, -, _, numbers, upper and lower case "
                           "letters only: \xc3\xa9 is invalid"),
         ""},
        {"a}b", "Bailing out---the sty name must contain only =, -, _, numbers, upper and lower case letters only: "
                "} is invalid",
         ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkName(c.name, "sty"), c.message) << c.name.toStdString();
        if (c.message.isEmpty()) {
            EXPECT_EQ(commandForm(c.name), c.command) << c.name.toStdString();
        }
    }
    EXPECT_EQ(checkName("a'b", "font"),
              "Bailing out---the font name must contain only =, -, _, numbers, upper and lower case letters only: ' "
              "is invalid");
}

TEST(MathAlphaNames, TfmPathsGiveVendorAndFamily)
{
    TfmPath p = splitTfmPath("/usr/share/texmf/fonts/tfm/adobe/times/ptmri8r.tfm");
    EXPECT_EQ(p.file, "ptmri8r.tfm");
    EXPECT_EQ(p.base, "ptmri8r");
    EXPECT_EQ(p.family, "times");
    EXPECT_EQ(p.vendor, "adobe");
    EXPECT_EQ(p.tree, "/usr/share/texmf/fonts/tfm");
    p = splitTfmPath("cmr10.tfm");
    EXPECT_EQ(p.family, "");
    EXPECT_EQ(p.vendor, "");
}

TEST(MathAlphaMaster, SettingsRoundTripAndTheReadingRules)
{
    Settings s;
    s.srctfmname = "uzcmi8r";
    s.srctfmpath = "/t/fonts/tfm/urw35vf/zapfchan/uzcmi8r.tfm";
    s.newtfm = "zapfchanmcal";
    s.newsty = "zapfchanmcal";
    s.kind = 2;
    s.spacing = "25";
    s.spacingmethod = 1;
    s.spacingactive = 0;
    const QString text = settingsText(s);
    EXPECT_EQ(text.count('\n'), 8);
    EXPECT_TRUE(text.startsWith("srctfmname=uzcmi8r\nsrctfmpath=/t/fonts"));
    EXPECT_TRUE(text.endsWith("kind=2\nspacing=25\nspacingmethod=1\nspacingactive=0\n"));
    Settings back;
    ASSERT_TRUE(parseSettings(text.split('\n', Qt::SkipEmptyParts), false, back, nullptr));
    EXPECT_EQ(back.srctfmpath, s.srctfmpath);
    EXPECT_EQ(back.kind, 2);
    EXPECT_EQ(back.spacing, "25");
    EXPECT_EQ(back.spacingmethod, 1);
    EXPECT_EQ(back.spacingactive, 0);

    const QStringList six{"srctfmname=a", "srctfmpath=b", "newtfm=c", "newsty=ab=cd", "kind=9", "spacing=12.9"};
    struct Case {
        const char* what;
        QStringList lines;
        bool hasAdjustments;
        int kind, method, active;
        QString spacing, sty;
    } cases[] = {
        {"six lines, no adjustments", six, false, 0, 0, 1, "12", "ab"},
        {"six lines with adjustments", six, true, 0, 0, 0, "12", "ab"},
        {"method 7, active 2", six + QStringList{"spacingmethod=7", "spacingactive=2"}, false, 0, 0, 0, "12", "ab"},
        {"lines 7 and 8 without =", six + QStringList{"spacingmethod", "spacingactive"}, true, 0, 0, 0, "12", "ab"},
        {"kind -1, spacing 0",
         QStringList{"a=1", "b=2", "c=3", "d=4", "kind=-1", "spacing=0", "spacingmethod=2", "spacingactive=1"}, true,
         0, 2, 1, "", "4"},
        {"kind 3, empty spacing",
         QStringList{"a=1", "b=2", "c=3", "d=4", "kind=3", "spacing=", "spacingmethod=1", "spacingactive=0"}, false,
         3, 1, 0, "", "4"},
    };
    for (const Case& c : cases) {
        Settings out;
        ASSERT_TRUE(parseSettings(c.lines, c.hasAdjustments, out, nullptr)) << c.what;
        EXPECT_EQ(out.kind, c.kind) << c.what;
        EXPECT_EQ(out.spacingmethod, c.method) << c.what;
        EXPECT_EQ(out.spacingactive, c.active) << c.what;
        EXPECT_EQ(out.spacing, c.spacing) << c.what;
        EXPECT_EQ(out.newsty, c.sty) << c.what;
    }
    Settings out;
    QString error;
    EXPECT_FALSE(parseSettings(QStringList{"a=1", "b=2"}, false, out, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(MathAlphaMaster, AdjustmentLinesSetOnlyNonZeroCells)
{
    int skipped = -1;
    const auto cells = parseAdjustments({"b:0:12::-3", "b: 5 :0:0:0", "", "A:1:2:3:4", "?:1:1:1:1", "c:1:2", "Zed:7:0:0:0"},
                                        &skipped);
    EXPECT_EQ(skipped, 2); // "?" and the short c line
    QStringList got;
    for (const AdjustmentCell& c : cells)
        got << QString("%1,%2,[%3]").arg(c.row).arg(c.column).arg(c.text);
    EXPECT_EQ(got, QStringList({"27,2,[12]", "27,4,[-3]", "27,1,[ 5 ]", "0,1,[1]", "0,2,[2]", "0,3,[3]", "0,4,[4]",
                                "25,1,[7]"}));

    Adjustments xx{};
    EXPECT_EQ(adjustmentsText(xx), "");
    xx[0] = {0, 20, 0, 50};
    xx[31] = {-10, 0, 0, 0};
    EXPECT_EQ(adjustmentsText(xx), "A:0:20:0:50\nf:-10:0:0:0\n");
}

TEST(MathAlphaMaster, MetricsNeedFiftyTwoLines)
{
    QStringList lines;
    for (int k = 0; k < 51; ++k)
        lines << QString("%1 %2 %3 %4").arg(400 + k).arg(k - 5).arg(500).arg(k);
    Metrics m;
    EXPECT_FALSE(parseMetrics(lines, m));
    lines << "414 38 500 20";
    for (int k = 0; k < 8; ++k)
        lines << "1 1 1 1";
    ASSERT_TRUE(parseMetrics(lines, m));
    EXPECT_EQ(m.gw[0], 400);
    EXPECT_EQ(m.leftside[0], -5);
    EXPECT_EQ(m.gw[51], 414);
    EXPECT_EQ(m.ic[51], 20);
    EXPECT_EQ(metricsLine(414, 38, 500, 20), "414 38 500 20\n");
    EXPECT_EQ(metricsText(m).count('\n'), 52);
    lines[3] = "12 7";
    ASSERT_TRUE(parseMetrics(lines, m));
    EXPECT_EQ(m.leftside[3], 7);
    EXPECT_EQ(m.subpos[3], 0);
}

TEST(MathAlphaMaster, NumbersBeyondAnyLetterAreRefused)
{
    // "metrics" lies in the user's master folder: numbers no letter can
    // have are refused, leaving what was read before.
    struct Case {
        const char* firstLine;
        bool read;
    } cases[] = {
        {"2147483647 0 0 0", false}, {"0 -2147483648 0 0", false}, {"0 0 99999999999 0", false},
        {"0 0 0 -1000001", false},   {"1000000 -1000000 5 5 2147483647", true},
    };
    for (const Case& c : cases) {
        QStringList lines(kGlyphs, "400 20 500 30");
        lines[0] = c.firstLine;
        Metrics m;
        m.gw.fill(7);
        EXPECT_EQ(parseMetrics(lines, m), c.read) << c.firstLine;
        EXPECT_EQ(m.gw[51], c.read ? 400 : 7) << c.firstLine;
    }

    // Spacing refuses such numbers too, from wherever they come, and
    // leaves the adjustments as they were.
    struct Spacing {
        const char* what;
        int spacing;
        int gw;
        int right;
        bool applied;
    } spacings[] = {
        {"the overflowing metric", 20, 2147483647, 0, false},
        {"a huge spacing", -2147483647, 430, 0, false},
        {"a huge adjustment", 20, 430, 2147483647, false},
        // No overflow, and sums far beyond what the font can hold.
        {"the limits themselves", kMetricLimit, kMetricLimit, -kMetricLimit, false},
    };
    for (const Spacing& c : spacings) {
        for (int method : {0, 1}) {
            Metrics m;
            m.gw.fill(c.gw);
            m.leftside.fill(-kMetricLimit);
            Adjustments xx{};
            xx[4][1] = c.right;
            const Adjustments before = xx;
            EXPECT_EQ(applySpacing(method, c.spacing, m, xx), c.applied) << c.what << " " << method;
            EXPECT_EQ(xx != before, c.applied) << c.what << " " << method;
        }
    }
}

TEST(MathAlphaBuildTexts, GridCellsReadAsRoundedNumbers)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"12abc", 12}, {"7.6", 8}, {"12.6", 13}, {"", 0}, {"x", 0}, {"-5", -5}, {" 3", 3}, {"-2.6", -3},
                 // Beyond int: the nearest end, never a wrapped small number.
                 {"99999999999999", 2147483647}, {"-4294967346", -2147483647}};
    for (const Case& c : cases)
        EXPECT_EQ(cellNumber(c.text), c.value) << c.text;
}

// An adjustment becomes a fix_word of the font, below 16 design sizes.
TEST(MathAlphaBuildTexts, AdjustmentsTheFontCanHold)
{
    const struct {
        double value;
        bool fits;
    } cases[] = {{15999, true},  {-15999, true},  {15999.4, true}, {0, true},    {15999.5, false},
                 {16000, false}, {-16000, false}, {1e14, false},   {-1e300, false}};
    for (const auto& c : cases)
        EXPECT_EQ(adjustmentFits(c.value), c.fits) << c.value;
    EXPECT_EQ(adjustmentRangeMessage(3, 1, 99999999999999.0),
              "The left adjustment of D would be 99999999999999, more than the font can hold: adjustments lie "
              "between -15999 and 15999 (thousandths of the design size).");
    EXPECT_TRUE(adjustmentRangeMessage(51, 4, -16000).startsWith("The accent adjustment of z would be -16000,"));
}

TEST(MathAlphaBuildTexts, SpacingMethods)
{
    Metrics m;
    m.subpos.fill(500);
    m.ic.fill(20);
    m.gw.fill(430);
    m.leftside.fill(30);
    m.gw[1] = 480;
    Adjustments xx{};
    applySpacing(0, 50, m, xx);
    EXPECT_EQ(xx[0][1], 0);   // gap 60: enough
    EXPECT_EQ(xx[1][1], 40);  // gap 10 raised to 50
    EXPECT_EQ(xx[1][0], 0);

    struct Case {
        int s, left, right;
    } letterspace[] = {{25, 12, 13}, {-25, -12, -13}, {1, 0, 1}, {50, 25, 25}};
    for (const Case& c : letterspace) {
        Adjustments a{};
        a[5] = {1, 1, 1, 1};
        applySpacing(1, c.s, m, a);
        EXPECT_EQ(a[0][0], c.left) << c.s;
        EXPECT_EQ(a[0][1], c.right) << c.s;
        EXPECT_EQ(a[5][0], 1 + c.left) << c.s;
        EXPECT_EQ(a[5][2], 1) << c.s;
    }
    // Spacing that would take an adjustment beyond what the font holds is
    // not applied at all; up to the limit it is.
    for (const int s : {50, 52}) {
        Adjustments a{};
        a[5] = {15974, 0, 0, 0};
        EXPECT_EQ(applySpacing(1, s, m, a), s == 50) << s;
        EXPECT_EQ(a[5][0], s == 50 ? 15999 : 15974) << s;
        EXPECT_EQ(a[0][1], s == 50 ? 25 : 0) << s;
    }

    Adjustments none{};
    none[3] = {5, 5, 5, 5};
    applySpacing(2, 50, m, none);
    EXPECT_EQ(none[3][1], 5);
}

TEST(MathAlphaBuildTexts, AdjustmentsMtxDriverAndPackage)
{
    Adjustments xx{};
    EXPECT_EQ(adjustmentsMtxTail(xx),
              "\\setcommand\\skewkern#1#2{\\resetkern{#1}{hyphen}{#2}}\n\n\n\\endmetrics");
    xx[0] = {0, 20, 0, 50};
    xx[31] = {-10, 0, 0, 0};
    EXPECT_EQ(adjustmentsMtxTail(xx), "\\setcommand\\skewkern#1#2{\\resetkern{#1}{hyphen}{#2}}\n\n"
                                      "\\shiftglyph{A}{0}{20}{0}\n\\shiftglyph{f}{-10}{0}{0}\n\n"
                                      "\\skewkern{A}{50}\n\\endmetrics");

    const QString withAdj = driverText("XyzCal", "uzcmi8r", true);
    EXPECT_EQ(withAdj, "% driver file created by Quillmark\n\\input fontinst.sty\n\n\\needsfontinstversion{1.933}\n\n"
                       "\\installfonts\n\\installfamily{U}{XyzCal}{\\skewchar\\font=45}\n\\installfont{XyzCal}\n"
                       "   {kernoff,%\n  uzcmi8r,setxh,%\n  cmr10,%\n  kernon,%\n  adjustments%\n}\n"
                       "  {mathalf}{U}{XyzCal}{m}{n}{}\n\\endinstallfonts\n\n\\bye\n");
    const QString without = driverText("XyzCal", "uzcmi8r", false);
    EXPECT_TRUE(without.contains("  kernon,%\n}\n"));
    EXPECT_FALSE(without.contains("adjustments"));

    const QString sty = styText("xyzcal", "xyzcal", 0, QDate(2014, 5, 6));
    const QStringList l = sty.split('\n');
    ASSERT_EQ(l.size(), 10);
    EXPECT_EQ(l[1], "\\ProvidesPackage{xyzcal}[2014/05/06 v1 U/xyzcal]");
    EXPECT_EQ(l[3], "\\define@key{xyzcal.sty}{scaled}[1.0]{%");
    EXPECT_EQ(l[5], "\\ExecuteOptionsX<xyzcal.sty>{scaled}%");
    EXPECT_EQ(l[7], "\\DeclareMathAlphabet{\\mathcal}{U}{xyzcal}{m}{n}");
    const char* commands[4] = {"\\mathcal", "\\mathscr", "\\mathbb", "\\mathfrak"};
    for (int kind = 0; kind < 4; ++kind)
        EXPECT_TRUE(styText("s", "f", kind, QDate(2020, 1, 1)).contains(QString("{%1}{U}{f}").arg(commands[kind])));
}

TEST(MathAlphaBuildTexts, FdHookPrefixesFontNamesButNotSubstitutions)
{
    const QString fd = "\\ProvidesFile{uxyzmcal.fd}\n\\DeclareFontFamily{U}{xyzmcal}{\\skewchar \\font =45}\n"
                       "\\DeclareFontShape{U}{xyzmcal}{m}{n}{\n   <-> xyzmcal\n}{}\n"
                       "\\DeclareFontShape{U}{xyzmcal}{b}{n}{\n   <-> ssub * xyzmcal/m/n\n}{}\n\\endinput\n";
    QString error;
    const QString out = patchFd(fd, "my-cal2", "uxyzmcal.fd", &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(out, "\\ProvidesFile{uxyzmcal.fd}\n\n"
                   "\\expandafter\\ifx\\csname my-cal2@scale\\endcsname\\relax\n"
                   "\\let\\mycaltwo@@scale\\@empty\\else\\edef\\mycaltwo@@scale{s*[\\csname my-cal2@scale\\endcsname]}\\fi\n"
                   "\\DeclareFontFamily{U}{xyzmcal}{\\skewchar \\font =45}\n"
                   "\\DeclareFontShape{U}{xyzmcal}{m}{n}{\n   <-> \\mycaltwo@@scale  xyzmcal\n}{}\n"
                   "\\DeclareFontShape{U}{xyzmcal}{b}{n}{\n   <-> ssub * xyzmcal/m/n\n}{}\n\\endinput\n\n");

    EXPECT_TRUE(patchFd("no family here", "s", "u.fd", &error).isEmpty());
    EXPECT_EQ(error, "No \\DeclareFontFamily found in u.fd");
    EXPECT_TRUE(patchFd("\\DeclareFontFamily{a}\\DeclareFontFamily{b}", "s", "u.fd", &error).isEmpty());
    EXPECT_EQ(error, "More than one \\DeclareFontFamily in u.fd");
}

TEST(MathAlphaBuildTexts, CodingSchemeAndCommandLines)
{
    EXPECT_EQ(rewriteCodingScheme("(FAMILY X)\n(CODINGSCHEME TEX MATH ITALIC)\n(DESIGNSIZE R 10)"),
              "(FAMILY X)\n(CODINGSCHEME TEX TEXT)\n(DESIGNSIZE R 10)");
    EXPECT_EQ(rewriteCodingScheme("(FAMILY X)\n"), "(FAMILY X)\n");

    EXPECT_EQ(glyphTestText("  zapfmfrak ", 3),
              "\\def\\xxxxxx{zapfmfrak}\n\\def\\mtype#1{\\mathfrak{#1}}\n\\input mt2testfileMA.tex\n");
    const QString test = glyphTestCommand("/home/jo/My Documents/tmp123");
    EXPECT_TRUE(test.startsWith("cd '/home/jo/My Documents/tmp123' && ")) << test.toStdString();
    EXPECT_TRUE(test.contains(" glyphtest && "));
    EXPECT_TRUE(test.endsWith(" glyphtest.ps"));

    EXPECT_EQ(installHomeCommand("/d/tmp1 x", "/h/texmf"),
              "/bin/mkdir -p /h/texmf && cd '/d/tmp1 x/TDS' && /bin/cp -rpf * /h/texmf");
    const QStringList root = installRootCommands("/d/tmp1 x", "/usr/local/share/texmf");
    ASSERT_EQ(root.size(), 2);
    EXPECT_EQ(root[0], "/usr/bin/sudo /bin/cp -rpf '/d/tmp1 x/TDS'/* /usr/local/share/texmf");
    EXPECT_TRUE(root[1].startsWith("/usr/bin/sudo ") && root[1].endsWith("mktexlsr"));
}

TEST(MathAlphaBuildTexts, AFullDiskStopsTheBuildWithAMessage)
{
    // newesttmp.txt leads to /dev/full: every write is refused when the
    // written text is flushed, so the build must stop at its first file.
    qlk::test::TestEnv env(false);
    const QString documents = env.root() + "/docs";
    env.writeFile("docs/placeholder", "");
    ASSERT_TRUE(QFile::link("/dev/full", newestTmpFile(documents)));
    BuildRequest r;
    r.documents = documents;
    const BuildOutcome out = buildFont(r);
    EXPECT_FALSE(out.finished);
    EXPECT_FALSE(out.scratch.isEmpty());
    EXPECT_EQ(env.dialogs.messages, QStringList{"Unable to write " + newestTmpFile(documents)});
}

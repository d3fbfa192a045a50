#include "mathtime/MtModel.h"

#include <gtest/gtest.h>

using namespace qlk;
using namespace qlk::mt;

namespace {
QString s(const char* t) { return QString::fromUtf8(t); }
} // namespace

TEST(MtModel, LabelsKeysAndRows)
{
    EXPECT_EQ(glyphLabel(0), s("A-Italic"));
    EXPECT_EQ(glyphLabel(51), s("z-Italic"));
    EXPECT_EQ(glyphLabel(52), s("dotlessi"));
    EXPECT_EQ(glyphLabel(54), s("A-BoldRoman"));
    EXPECT_EQ(glyphLabel(105), s("z-BoldRoman"));
    for (int g = 0; g < kGlyphCount; ++g)
        EXPECT_EQ(rowForKey(adjustmentKey(glyphLabel(g))), g) << g;
    const struct {
        const char* key;
        int row;
    } cases[] = {{"A", 0}, {"z", 51}, {"b ", 27}, {"A-B", 54}, {"a-B", 80}, {"z-B", 105},
                 {"dotlessi", 52}, {"dotlessj", 53},
                 // Keys outside the letters select nothing rather than a row
                 // beyond the grid.
                 {"[", -1}, {"{", -1}, {"~-B", -1}, {"", -1}, {"1", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(rowForKey(s(c.key)), c.row) << c.key;
    EXPECT_EQ(glyphName(0), s("A"));
    EXPECT_EQ(glyphName(54), s("A"));
    EXPECT_EQ(glyphName(80), s("a"));
    EXPECT_EQ(glyphName(53), s("dotlessj"));
}

TEST(MtModel, NamesAndNumbers)
{
    EXPECT_TRUE(isSafeFontName(s("ptmri8t")));
    EXPECT_TRUE(isSafeFontName(s("LMRoman-10_x.y")));
    for (const char* bad : {"", "a b", "a,b", "a}b", "x;rm", "a/b"})
        EXPECT_FALSE(isSafeFontName(s(bad))) << bad;
    EXPECT_TRUE(isBerryName(s("ptm")));
    EXPECT_TRUE(isBerryName(s("9a1")));
    for (const char* bad : {"pt", "ptmx", "p,m", "p m", "p}m"})
        EXPECT_FALSE(isBerryName(s(bad))) << bad;
    EXPECT_EQ(plainNumber(62), s("62"));
    EXPECT_EQ(plainNumber(-5), s("-5"));
    EXPECT_EQ(plainNumber(12.5), s("12.5"));
    EXPECT_EQ(wholeValue(s("12.7")), 12);
    EXPECT_EQ(wholeValue(s("-3.9x")), -3);
    EXPECT_EQ(wholeValue(s("x")), 0);
}

TEST(MtModel, SettingsWrittenAndRestored)
{
    Settings in;
    in.noV = true;
    in.leftText = s("12.7");
    in.rightText = s("");
    in.family = s(" ptm ");
    in.scale = s(" 1.05 ");
    in.italic = s("ptmri8t");
    in.roman = s("ptmr8t");
    in.bold = s("ptmb8t");
    in.italicPath = s("/t/ptmri8t.tfm");
    in.romanPath = s("/t/ptmr8t.tfm");
    in.boldPath = s("/t/ptmb8t.tfm");
    in.numbersKept = true;
    const QString text = settingsText(in);
    EXPECT_EQ(text, s("-v\n+w\nletterspacing=12.7,0\ntextfamily=ptm\nscale=1.05\nti=ptmri8t\ntr=ptmr8t\n"
                      "b=ptmb8t\ntif=/t/ptmri8t.tfm\ntrf=/t/ptmr8t.tfm\nbf=/t/ptmb8t.tfm\nnum=-n\n"));
    QStringList lines = text.split('\n');
    lines.removeLast();
    RestoredSettings r = readSettings(lines);
    EXPECT_TRUE(r.complete);
    EXPECT_TRUE(r.noV);
    EXPECT_FALSE(r.noW);
    EXPECT_EQ(r.left, 12);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.family, s("ptm"));
    EXPECT_EQ(r.boldPath, s("/t/ptmb8t.tfm"));
    EXPECT_TRUE(r.hasNumbers);
    EXPECT_TRUE(r.numbersKept);

    // Line 3 in its three forms.
    for (const auto& [value, left, right] : {std::make_tuple("50", 25, 25), std::make_tuple("40,60", 40, 60),
                                             std::make_tuple("51", 25, 25)}) {
        lines[2] = s("letterspacing=") + s(value);
        r = readSettings(lines);
        EXPECT_EQ(r.left, left) << value;
        EXPECT_EQ(r.right, right) << value;
    }
    // Eleven lines: the numbers box is left alone.
    r = readSettings(lines.mid(0, 11));
    EXPECT_TRUE(r.complete);
    EXPECT_FALSE(r.hasNumbers);
    // A short or damaged file restores what it has and says it is incomplete.
    r = readSettings(lines.mid(0, 4));
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.hasFamily);
    EXPECT_FALSE(r.hasScale);
    EXPECT_TRUE(r.boldPath.isEmpty());
    lines[4] = s("scale 1.05");
    r = readSettings(lines);
    EXPECT_FALSE(r.complete);
    EXPECT_FALSE(r.hasScale);
}

TEST(MtModel, AdjustmentsLinesFromTheGrid)
{
    QList<GridRow> grid = emptyGrid();
    AdjustmentLines out = adjustmentLines(grid, 50, 50);
    const QStringList file = out.fileText.split('\n');
    ASSERT_EQ(file.size(), 107);
    EXPECT_EQ(file.at(0), s("A::::"));
    EXPECT_EQ(file.at(54), s("A-B::::"));
    EXPECT_EQ(file.at(52), s("dotlessi::::"));
    ASSERT_EQ(out.italicShift.size(), 54);
    ASSERT_EQ(out.boldShift.size(), 52);
    EXPECT_EQ(out.italicShift.first(), s("\\shiftglyph{A}{50}{50}{0}"));
    EXPECT_EQ(out.italicShift.last(), s("\\shiftglyph{dotlessj}{50}{50}{0}"));
    EXPECT_EQ(out.boldShift.last(), s("\\shiftglyph{z}{50}{50}{0}"));
    EXPECT_TRUE(out.italicSkew.isEmpty());
    EXPECT_TRUE(out.boldSkew.isEmpty());

    grid[0].cells = {s("12"), s(""), s("-5"), s("")};
    grid[1].cells = {s("x"), s(""), s(""), s("0")};
    grid[2].cells = {s(""), s(""), s(""), s("   ")};
    grid[52].cells[3] = s("30");
    grid[80].cells[3] = s(" 7 ");
    out = adjustmentLines(grid, 50, 50);
    const QStringList lines = out.fileText.split('\n');
    EXPECT_EQ(lines.at(0), s("A:12::-5:"));
    EXPECT_EQ(out.italicShift.at(0), s("\\shiftglyph{A}{62}{50}{-5}"));
    EXPECT_EQ(lines.at(1), s("B:x:::0"));
    EXPECT_EQ(out.italicShift.at(1), s("\\shiftglyph{B}{50}{50}{0}"));
    EXPECT_EQ(lines.at(2), s("C::::"));
    EXPECT_EQ(lines.at(52), s("dotlessi::::30"));
    EXPECT_EQ(lines.at(80), s("a-B::::7"));
    EXPECT_EQ(out.italicSkew, (QStringList{s("\\skewkern{B}{0}"), s("\\skewkern{dotlessi}{30}")}));
    EXPECT_EQ(out.boldSkew, QStringList{s("\\skewkern{a}{7}")});

    const QString mtx = adjustmentMetricFile(s("HEAD\n"), false, {s("\\shiftglyph{A}{1}{2}{3}")},
                                             {s("\\skewkern{A}{4}")});
    EXPECT_EQ(mtx, s("HEAD\n\\setcommand\\skewkern#1#2{\\resetkern{#1}{hyphen}{#2}}\n\n"
                     "\\shiftglyph{A}{1}{2}{3}\n\n\\skewkern{A}{4}\n\\endmetrics"));
    EXPECT_EQ(adjustmentMetricFile(s("H"), true, {}, {}),
              s("H\\setcommand\\skewkern#1#2{\\resetkern{#1}{space}{#2}}\n\n\n\\endmetrics"));

    // Read back: the same non-zero cells; zeros and blanks stay empty.
    const ReadAdjustments back = readAdjustments(lines);
    EXPECT_EQ(back.badLines, 0);
    QStringList cells;
    for (const AdjustmentCell& c : back.cells)
        cells << QString::number(c.row) + '/' + QString::number(c.column) + '=' + c.text;
    EXPECT_EQ(cells, (QStringList{s("0/1=12"), s("0/3=-5"), s("52/4=30"), s("80/4=7")}));
    // Damaged lines are counted, never applied out of range.
    const ReadAdjustments bad = readAdjustments({s("[:5:::"), s("A"), s("A-B:3"), s("   ")});
    EXPECT_EQ(bad.badLines, 2);
    ASSERT_EQ(bad.cells.size(), 1);
    EXPECT_EQ(bad.cells.at(0).row, 54);
}

TEST(MtModel, MetricsFilesAndMeasurements)
{
    GlyphMetrics m;
    m.gw[0] = 600;
    m.leftside[0] = -12;
    m.sub[105] = 7;
    const QString text = metricsText(m);
    QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 107);
    EXPECT_EQ(lines.at(0), s("600 -12 0 0"));
    lines.removeLast();
    bool complete = false;
    GlyphMetrics back = readMetrics(lines, &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(back.leftside[0], -12);
    EXPECT_EQ(back.sub[105], 7);
    back = readMetrics({s("1 2"), s("3 4 5 6")}, &complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(back.leftside[0], 2);
    EXPECT_EQ(back.sub[0], 0);
    EXPECT_EQ(back.ic[1], 6);

    // lst.txt in the shell's order; one picture missing, one empty line,
    // one picture number out of range.
    QStringList lst = {s("glt1.png:  PNG image data, 1000 x 665, 4-bit colormap, non-interlaced"),
                       s("glt10.png: PNG image data, 77 x 5, 8-bit"),
                       s(""),
                       s("glt2.png:  PNG image data, 1350 x 665, 4-bit colormap, non-interlaced"),
                       s("glt300.png: PNG image data, 5 x 5, 8-bit"),
                       // Widths no picture can have: read as damaged lines.
                       s("glt3.png:  PNG image data, -5 x 665, 4-bit"),
                       s("glt4.png:  PNG image data, 1500000 x 665, 4-bit")};
    int bad = 0;
    const QVector<int> widths = pictureWidths(lst, &bad);
    EXPECT_EQ(bad, 3);
    EXPECT_EQ(widths[2], 0);
    EXPECT_EQ(widths[3], 0);
    EXPECT_EQ(widths[0], 1000);
    EXPECT_EQ(widths[1], 1350);
    EXPECT_EQ(widths[9], 77);
    EXPECT_EQ(widths[2], 0);
    metricsFromWidths(widths, m);
    EXPECT_EQ(m.gw[0], 1004);
    EXPECT_EQ(m.leftside[0], 50);

    const QString vpl = s("(FAMILY X)\n(CHARACTER D 64\n   (CHARWD R 0.5)\n   )\n"
                          "(CHARACTER D 65 (COMMENT A)\n   (CHARWD R 0.722)\n   (CHARHT R 0.6)\n   )\n"
                          "(CHARACTER D 66\n   (CHARWD R 0.6)\n   (CHARIC R 0.0525)\n   )\n"
                          "(CHARACTER D 93\n   (CHARWD R 0.9)\n   )\n"
                          "(CHARACTER D 123\n   (CHARWD R 0.3)\n   )\n"
                          "(CHARACTER D 124\n   (CHARWD R 0.31)\n   (CHARIC R 0.01)\n   )\n"
                          "(CHARACTER D 125\n   (CHARWD R 0.99)\n   )\n");
    GlyphMetrics it;
    ASSERT_TRUE(scanVpl(vpl, false, it));
    EXPECT_EQ(it.sub[0], 722);
    EXPECT_EQ(it.ic[0], 0);
    EXPECT_EQ(it.sub[1], 600);
    EXPECT_EQ(it.ic[1], 53);
    EXPECT_EQ(it.sub[52], 300);
    EXPECT_EQ(it.sub[53], 310);
    EXPECT_EQ(it.ic[53], 10);
    GlyphMetrics bold;
    ASSERT_TRUE(scanVpl(vpl, true, bold));
    EXPECT_EQ(bold.sub[54], 722);
    EXPECT_EQ(bold.sub[55], 600);
    // In the bold font the scan ends at 123.
    for (int g = 0; g < kGlyphCount; ++g) {
        if (g != 54 && g != 55) {
            EXPECT_EQ(bold.sub[g], 0) << g;
        }
    }
    EXPECT_FALSE(scanVpl(s("(CHARACTER D 66\n)"), false, it));
    EXPECT_FALSE(scanVpl(vpl + s("(CHARACTER D 65 (CHARWD R 1))"), false, it));
}

TEST(MtModel, ScalesAndCodingSchemes)
{
    for (const auto& [text, sf] : {std::make_pair("", 1.0), std::make_pair("0", 1.0), std::make_pair("0.05", 1.0),
                                   std::make_pair("-2", 1.0), std::make_pair("0.1", 0.1),
                                   std::make_pair("1.05", 1.05)})
        EXPECT_DOUBLE_EQ(scaleFactor(s(text)), sf) << text;
    EXPECT_EQ(baseScale(1.0, 457, 457), 1000);
    EXPECT_EQ(baseScale(1.0, 464, 464), 1000);
    EXPECT_EQ(baseScale(1.1, 450, 457), 1083);
    EXPECT_EQ(substituteScaleClause(1.0, 450, 440), s(" scaled 1023"));
    EXPECT_EQ(substituteScaleClause(1.0, 450, 449), s(""));
    EXPECT_EQ(substituteScaleClause(1.0, 1005, 1000), s(""));
    EXPECT_EQ(substituteScaleClause(1.0, 10055, 10000), s(" scaled 1006"));
    // An x-height that could not be found never gives a scale.
    EXPECT_EQ(substituteScaleClause(1.0, 450, 0), s(""));
    EXPECT_EQ(substituteScaleClause(1.0, 450, -1), s(""));

    EXPECT_EQ(fixAutoencCodingScheme(s("(FAMILY X)\n(CODINGSCHEME AutoEnc_abc)\n(DESIGNSIZE R 10)")),
              s("(FAMILY X)\n(CODINGSCHEME TEX TEXT)\n(DESIGNSIZE R 10)"));
    EXPECT_EQ(fixAutoencCodingScheme(s("(CODINGSCHEME TEX MATH ITALIC)")), s("(CODINGSCHEME TEX MATH ITALIC)"));
    EXPECT_EQ(withCodingScheme(s("(FAMILY CMMI)\n(CODINGSCHEME TEX MATH ITALIC)\n(X)"), s("QLK")),
              s("(FAMILY CMMI)\n(CODINGSCHEME QLK)\n(X)"));
}

TEST(MtModel, DriverText)
{
    DriverInputs in;
    in.berry = s("ptm");
    in.textFonts = {s("ptmri8t"), s("ptmr8t"), s("ptmb8t")};
    in.clauses = {s(" encoding t1"), s(" encoding t1"), s(" encoding t1")};
    in.italicScale = 985;
    in.boldScale = 970;
    EXPECT_EQ(driverFileName(in.berry), s("zmt2ptm-drv.tex"));
    EXPECT_EQ(driverText(in), s("% driver file created by Quillmark\n"
                                "\\input fontinst.sty\n\n"
                                "\\needsfontinstversion{1.933}\n\n"
                                "\\installfonts\n"
                                "\\installfamily{LMP1}{zptmmt}{\\skewchar\\font=45}\n"
                                "\\installfamily{U}{zptmmt}{\\skewchar\\font=32}\n"
                                "\\installfont{zptmmtmit}\n"
                                "   {mt2mitx scaled 985,unsetalf,kernoff,%\n"
                                "  ptmri8t encoding t1,%\n"
                                "  unsetnum,% \n"
                                "  ptmr8t encoding t1,%\n"
                                " kernon,adjustmentsI}\n"
                                "  {mt2mi}{LMP1}{zptmmt}{m}{it}{}\n"
                                "\\installfont{zptmmtmbt}\n"
                                "  {mt2mbt scaled 970,unsetalf,%\n"
                                "unsetnum,%\n"
                                " kernoff,%\n"
                                "  ptmb8t encoding t1,%\n"
                                " kernon,adjustmentsB}\n"
                                "  {mt2mb}{U}{zptmmt}{b}{n}{}\n"
                                "\\endinstallfonts\n\n"
                                "\\bye\n"));

    // Variants: boxes, needMetrics, scale 1.05 and one substitute of each
    // type (an empty unset list is left out).
    in.noV = in.noW = true;
    in.numbersKept = true;
    in.needMetrics = true;
    in.sf = 1.05;
    in.subs = {SubstituteFont{s("pplri8t"), s(" encoding t1 scaled 1023"), 0, s("\\unsetglyph{V}"), 0},
               SubstituteFont{s("pplb8t"), s(" encoding t1"), 1, s("\\unsetglyph{a} \\unsetglyph{A}"), 0},
               SubstituteFont{s("ppli8t"), s(""), 0, s(""), 0}};
    EXPECT_EQ(driverText(in), s("% driver file created by Quillmark\n"
                                "\\input fontinst.sty\n\n"
                                "\\needsfontinstversion{1.933}\n\n"
                                "\\installfonts\n"
                                "\\installfamily{LMP1}{zptmmt}{\\skewchar\\font=45}\n"
                                "\\installfamily{U}{zptmmt}{\\skewchar\\font=32}\n"
                                "\\installfont{zptmmtmit}\n"
                                "   {mt2mitx scaled 985,unsetalfnovw,kernoff,%\n"
                                "  ptmri8t encoding t1 scaled 1050,%\n"
                                "\\metrics \\unsetglyph{V},%\n"
                                "pplri8t encoding t1 scaled 1023,%\n"
                                " kernon}\n"
                                "  {mt2mi}{LMP1}{zptmmt}{m}{it}{}\n"
                                "\\installfont{zptmmtmbt}\n"
                                "  {mt2mbt scaled 970,unsetalf,%\n"
                                " kernoff,%\n"
                                "  ptmb8t encoding t1 scaled 1050,%\n"
                                "\\metrics \\unsetglyph{a} \\unsetglyph{A},%\n"
                                "pplb8t encoding t1,%\n"
                                " kernon}\n"
                                "  {mt2mb}{U}{zptmmt}{b}{n}{}\n"
                                "\\endinstallfonts\n\n"
                                "\\bye\n"));
    in.noW = false;
    in.sf = 1.0005;
    const QString d = driverText(in);
    EXPECT_TRUE(d.contains(s(",unsetalfnov,kernoff,%\n  ptmri8t encoding t1,%\n")));
    in.noV = false;
    in.noW = true;
    EXPECT_TRUE(driverText(in).contains(s(",unsetalfnow,kernoff")));
}

TEST(MtModel, PackageFromMtpro2)
{
    const QStringList sty = {
        s("%% This is file `mtpro2.sty',"),                       // 0 H
        s("\\NeedsTeXFormat{LaTeX2e}"),                           // 1
        s("\\ProvidesPackage{mtpro2}[2006/01/01 v1.0]"),         // 2 I
        s("\\DeclareFontShape{LMP1}{mtt}{m}{it}{<-> mt2mitx}{}"), // 3 L
        s("\\DeclareFontShape{LMP1}{mtt}{b}{it}{<-> mt2bmitx}{}"), // 4
        s("\\DeclareFontShape{U}{mtt}{b}{n}{<-> mt2mbt}{}"),      // 5 K
        s("before imath"),                                        // 6 M1
        s("\\def\\imath{x}"),                                     // 7
        s("after imath"),                                         // 8
        s("before symbol"),                                       // 9 M2
        s("\\SetSymbolFont{letters}{bold}{LMP1}{mtt}{b}{it}"),    // 10
        s("\\endinput")};                                         // 11
    QString error;
    auto out = packageText(sty, s("zptmmt"), true, 987, &error);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, s("%% This is file 'zptmmt.sty', a modified version of mtpro2.sty\n"
                      "%% produced by Quillmark. The original mtpro2.sty was\n"
                      "\\NeedsTeXFormat{LaTeX2e}\n"
                      "\\ProvidesPackage{zptmmt}\n"
                      "\\DeclareFontShape{LMP1}{mtt}{m}{it}{<-> zptmmtmit}{}\n"
                      "\\DeclareFontShape{LMP1}{mtt}{b}{it}{<-> mt2bmitx}{}\n"
                      "\\DeclareFontShape{U}{mtt}{b}{n}{<-> zptmmtmbt}{}\n"
                      "\\def\\imath{x}\nafter imath\nbefore imath\n"
                      "\\SetSymbolFont{letters}{bold}{LMP1}{mtt}{b}{it}\n\\endinput\nbefore symbol\n"));
    out = packageText(sty, s("zptmmt"), false, 987, &error);
    ASSERT_TRUE(out.has_value());
    EXPECT_TRUE(out->contains(s("{<-> zptmmtmit}{}\n\\DeclareFontShape{LMP1}{mtt}{b}{it}{<-> s * [0.987] wtmmb}{}\n"
                                "\\DeclareFontShape{U}")));
    EXPECT_FALSE(out->contains(s("mt2bmitx")));
    EXPECT_EQ(scaleDecimal(1021), s("1.021"));
    EXPECT_EQ(scaleDecimal(1020), s("1.02"));
    EXPECT_EQ(scaleDecimal(1000), s("1"));

    // Without its identification or a shape line no package is written.
    for (int missing : {2, 3, 5}) {
        QStringList damaged = sty;
        damaged.removeAt(missing);
        error.clear();
        EXPECT_FALSE(packageText(damaged, s("zptmmt"), true, 1000, &error).has_value()) << missing;
        EXPECT_FALSE(error.isEmpty());
    }
    // No header, "\imath" on line 0 and "\SetSymbolFont" on the last line:
    // nothing is moved and nothing read past the end.
    const QStringList edge = {s("\\imath first"), s("\\ProvidesPackage{mtpro2}"),
                              s("\\DeclareFontShape{LMP1}{mtt}{m}{it}{<-> a}{}"),
                              s("\\DeclareFontShape{U}{mtt}{b}{n}{<-> b}{}"), s("\\SetSymbolFont last")};
    out = packageText(edge, s("zpplmt"), true, 1000, &error);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(*out, s("\\imath first\n\\ProvidesPackage{zpplmt}\n\\DeclareFontShape{LMP1}{mtt}{m}{it}{<-> zpplmtmit}{}\n"
                      "\\DeclareFontShape{U}{mtt}{b}{n}{<-> zpplmtmbt}{}\n\\SetSymbolFont last\n"));
    // A move that would read past the last line moves nothing.
    const QStringList shortTail = {s("\\ProvidesPackage{mtpro2}"), s("\\DeclareFontShape{LMP1}{mtt}{m}{it}{}"),
                                   s("\\DeclareFontShape{U}{mtt}{b}{n}{}"), s("moved"), s("\\SetSymbolFont end")};
    out = packageText(shortTail, s("zpplmt"), true, 1000, &error);
    ASSERT_TRUE(out.has_value());
    EXPECT_TRUE(out->endsWith(s("moved\n\\SetSymbolFont end\n")));
}

TEST(MtModel, FdSlotsAndFontChoice)
{
    const QStringList paths = {s("/a/t1ppl.fd"), s("/a/ly1ppl.fd"), s("/b/t1pplx.fd"), s("/a/t1pplj.fd"),
                               s("/a/ts1ppl.fd"), s("/a/t1pplw.fd"), s("/c/t1ppl.fd")};
    auto fds = fdSlots(paths, s("ppl"));
    EXPECT_EQ(fds[0], s("/b/t1pplx.fd"));
    EXPECT_EQ(fds[1], s("/c/t1ppl.fd")); // the last one found wins
    EXPECT_EQ(fds[2], s("/a/t1pplj.fd"));
    // Only a w variant in T1: LY1 is tried.
    fds = fdSlots({s("/a/t1zzzw.fd"), s("/a/ly1zzz.fd")}, s("zzz"));
    EXPECT_EQ(fds[1], s("/a/ly1zzz.fd"));
    fds = fdSlots({s("/a/ot1zzz.fd")}, s("zzz"));
    EXPECT_EQ(fds[1], s("/a/ot1zzz.fd"));
    fds = fdSlots({s("/a/ts1zzz.fd")}, s("zzz"));
    EXPECT_TRUE(fds[0].isEmpty() && fds[1].isEmpty() && fds[2].isEmpty());

    // x first, then plain, then j; within a file the first declaration.
    QStringList asked;
    auto reader = [&](const QString& fd, const QString& series, const QString& shape) -> QStringList {
        asked << fd + ':' + series + '/' + shape;
        if (fd == s("x") && shape == s("n") && series == s("m"))
            return {s("xroman")};
        if (fd == s("plain") && shape == s("it"))
            return {s("plainitalic")};
        if (fd == s("plain") && series == s("b"))
            return {s("bold1"), s("bold2")};
        return {};
    };
    ChosenFonts c = chooseFonts({s("x"), s("plain"), s("j")}, reader);
    EXPECT_EQ(c.names[0], s("plainitalic"));
    EXPECT_EQ(c.names[1], s("xroman"));
    EXPECT_EQ(c.names[2], s("bold1"));
    EXPECT_TRUE(c.several);
    EXPECT_FALSE(asked.join(' ').contains(s("j:"))); // all found before the j file
    c = chooseFonts({QString(), s("j"), QString()}, reader);
    EXPECT_TRUE(c.names[0].isEmpty() && c.names[1].isEmpty() && c.names[2].isEmpty());
}

TEST(MtModel, SubstituteFileParsing)
{
    SubsFile f = parseSubs(s("pplri8t\n0 21\n"));
    EXPECT_EQ(f.names, QStringList{s("pplri8t")});
    EXPECT_EQ(f.types, QList<int>{0});
    EXPECT_EQ(f.unset, QStringList{s("\\unsetglyph{V}")});
    ASSERT_EQ(f.glyphFont.size(), 1);
    EXPECT_EQ(f.glyphFont.at(0), qMakePair(21, 0));

    f = parseSubs(s("a b c d\n0 52 53\n1 80 54\n2 30 60\n3\n"));
    EXPECT_EQ(f.unset.at(0), s("\\unsetglyph{dotlessi} \\unsetglyph{dotlessj}"));
    EXPECT_EQ(f.types, (QList<int>{0, 1, 0, 0}));
    EXPECT_EQ(f.unset.at(1), s("\\unsetglyph{a} \\unsetglyph{A}"));
    EXPECT_EQ(f.unset.at(2), s("\\unsetglyph{e} \\unsetglyph{G}"));
    EXPECT_TRUE(f.unset.at(3).isEmpty());
    EXPECT_EQ(f.badEntries, 0);
    EXPECT_EQ(parseSubs(s("a\n0 53\n")).types.at(0), 0);
    EXPECT_EQ(parseSubs(s("a\n0 54\n")).types.at(0), 1);

    // Lines naming no font of line 1, and glyph numbers outside 0-105.
    f = parseSubs(s("a\n5 1\nx 2\n0 3 106 -1 y\n"));
    EXPECT_EQ(f.badEntries, 5);
    EXPECT_EQ(f.unset, QStringList{s("\\unsetglyph{D}")});
    for (const char* empty : {"", "  \n ", "a b"})
        EXPECT_TRUE(parseSubs(s(empty)).names.isEmpty()) << empty;
}

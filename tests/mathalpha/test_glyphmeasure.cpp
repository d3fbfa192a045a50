#include "mathalpha/GlyphMeasure.h"

#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace qlk;
using namespace qlk::mathalpha;

namespace {

// lst.txt as `file` writes it for glt1.png .. glt104.png, in the shell's
// name order, page n being (500 + n) wide.
QStringList listing()
{
    QStringList names;
    for (int n = 1; n <= kMeasurePages; ++n)
        names << QString("glt%1.png").arg(n);
    names.sort();
    QStringList lines;
    for (const QString& name : names) {
        const int n = name.mid(3).section('.', 0, 0).toInt();
        lines << QString("%1:%2PNG image data, %3 x 604, 4-bit colormap, non-interlaced")
                     .arg(name, QString(12 - name.size(), ' '))
                     .arg(500 + n);
    }
    return lines;
}

// A property list with the letters A..z, CHARWD 0.5 and CHARIC 0.02 unless
// given; codes 91..96 and 123 are there too.
QString vplText(const QMap<int, QString>& special = {})
{
    QString t = "(FAMILY ZC)\n(CHARACTER D 45 (COMMENT hyphen)\n   (CHARWD R 0.28)\n   )\n";
    for (int code = 65; code <= 123; ++code) {
        t += QString("(CHARACTER D %1 (COMMENT x)\n").arg(code);
        t += special.value(code, "   (CHARWD R 0.5)\n   (CHARHT R 0.6)\n   (CHARIC R 0.02)\n");
        t += "   (MAP\n      (SETCHAR D 65)\n      )\n   )\n";
    }
    return t;
}

} // namespace

TEST(GlyphMeasure, PageWidthsComeFromTheFileNamesNotTheOrder)
{
    QVector<int> w;
    QString error;
    ASSERT_TRUE(parsePageWidths(listing(), w, &error)) << error.toStdString();
    ASSERT_EQ(w.size(), 104);
    EXPECT_EQ(w[0], 501);
    EXPECT_EQ(w[9], 510);
    EXPECT_EQ(w[99], 600);
    EXPECT_EQ(w[103], 604);
    // The example line of `file` with one blank after the colon.
    QStringList one = listing();
    one[0] = "glt1.png: PNG image data, 662 x 604, 8-bit colormap, non-interlaced";
    ASSERT_TRUE(parsePageWidths(one, w, &error));
    EXPECT_EQ(w[0], 662);

    // A listing short of pictures is refused, never half-read.
    QStringList shortList = listing();
    shortList.removeLast();
    EXPECT_FALSE(parsePageWidths(shortList, w, &error));
    EXPECT_EQ(error, "The measuring pictures are incomplete: 103 of 104 page widths were found in lst.txt.");
    QStringList broken = listing();
    broken[5] = "glt100.png: cannot open";
    EXPECT_FALSE(parsePageWidths(broken, w, &error));
    EXPECT_FALSE(parsePageWidths({}, w, &error));
}

TEST(GlyphMeasure, WidthsNoPictureCanHaveAreRefused)
{
    // lst.txt lies in the user's master folder; a width read from it that
    // no picture can have counts as missing, in the reader and in the sums.
    struct Case {
        const char* width;
        bool read;
    } cases[] = {{"-2147483648", false}, {"-1", false}, {"1000001", false}, {"0", true}, {"1000000", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        QStringList lines = listing();
        const int at = int(lines.indexOf(QRegularExpression("^glt2\\.png:.*")));
        ASSERT_GE(at, 0);
        lines[at] = QString("glt2.png:    PNG image data, %1 x 604, 4-bit colormap, non-interlaced").arg(c.width);
        QVector<int> w;
        QString error;
        EXPECT_EQ(parsePageWidths(lines, w, &error), c.read);
        EXPECT_EQ(error, c.read ? QString()
                                : "The measuring pictures are incomplete: 103 of 104 page widths were found in lst.txt.");

        QVector<int> widths(kMeasurePages, 700);
        widths[1] = QString(c.width).toInt();
        Metrics m;
        m.gw.fill(7);
        QList<int> protruding;
        error.clear();
        EXPECT_EQ(metricsFromWidths(widths, m, &protruding, &error), c.read);
        EXPECT_EQ(m.gw[51], c.read ? 703 : 7);
        EXPECT_EQ(error, c.read ? QString()
                                : "The measuring pictures are incomplete: 103 of 104 page widths were found in lst.txt.");
    }
}

TEST(GlyphMeasure, PropertyListLettersAndTheirCases)
{
    std::array<int, kGlyphs> sub{};
    std::array<int, kGlyphs> ic{};
    QString error;
    QMap<int, QString> special;
    special[65] = "   (CHARWD R 0.6947)\n   (CHARIC R 0.0204)\n";
    special[66] = "   (CHARWD R 0.4)\n";                      // no CHARIC
    special[67] = "   (CHARWD R 0.3)\n   (CHARIC R 0.05)\n";
    special[91] = "   (CHARWD R 9.9)\n   (CHARIC R 9.9)\n";   // "[": passed over
    special[90] = "   (CHARWD R 0.45)\n";
    special[123] = "   (CHARWD R 7.7)\n";                     // after z: not read
    ASSERT_TRUE(parseVplLetters(vplText(special), "zc", sub, ic, &error)) << error.toStdString();
    EXPECT_EQ(sub[0], 695); // rounded, not cut
    EXPECT_EQ(ic[0], 20);
    EXPECT_EQ(sub[1], 400);
    EXPECT_EQ(ic[1], 0);    // even though C has one
    EXPECT_EQ(ic[2], 50);
    EXPECT_EQ(sub[25], 450);
    EXPECT_EQ(ic[25], 0);
    EXPECT_EQ(sub[26], 500); // a
    EXPECT_EQ(sub[51], 500); // z

    struct Bad {
        const char* what;
        QString vpl;
        QString error;
    } bad[] = {
        {"no A", "(CHARACTER D 66\n (CHARWD R 0.5))", "Error searching zc.vpl for (CHARACTER D 65"},
        {"A twice", vplText() + "(CHARACTER D 65 (CHARWD R 0.1))", "Error searching zc.vpl for (CHARACTER D 65"},
        {"no q", vplText().replace("(CHARACTER D 113 ", "(CHARACTER D 200 "),
         "The property list zc.vpl gives no width for the letter q"},
        {"no CHARWD for M", vplText({{77, "   (CHARHT R 0.6)\n"}}),
         "The property list zc.vpl gives no width for the letter M"},
    };
    for (const Bad& b : bad) {
        sub.fill(7);
        EXPECT_FALSE(parseVplLetters(b.vpl, "zc", sub, ic, &error)) << b.what;
        EXPECT_EQ(error, b.error) << b.what;
        EXPECT_EQ(sub[0], 7) << b.what; // untouched
    }
}

TEST(GlyphMeasure, MetricsFromPageWidths)
{
    QVector<int> widths(kMeasurePages, 0);
    for (int k = 0; k < kGlyphs; ++k) {
        widths[2 * k] = 500;
        widths[2 * k + 1] = 1100; // ink begins at the origin
    }
    widths[0] = 412;
    widths[1] = 1050;
    widths[2] = 250;
    widths[3] = 900;      // ink 0.5bp right of the origin
    widths[4] = 300;
    widths[5] = 300;      // the rule no longer bounds the picture: -600
    Metrics m;
    m.subpos[0] = 500;
    m.ic[0] = 20;
    QList<int> protruding;
    QString error;
    ASSERT_TRUE(metricsFromWidths(widths, m, &protruding, &error)) << error.toStdString();
    EXPECT_EQ(metricsLine(m.gw[0], m.leftside[0], m.subpos[0], m.ic[0]), "414 38 500 20\n");
    EXPECT_EQ(m.gw[1], 251);
    EXPECT_EQ(m.leftside[1], 50);
    EXPECT_EQ(m.gw[3], 502);
    EXPECT_EQ(m.leftside[3], 0);
    EXPECT_EQ(m.leftside[2], -600);
    EXPECT_EQ(protruding, QList<int>{2});
    EXPECT_EQ(protrusionMessage(2), "Character C protrudes 6pt or more to the left of its nominal left edge and "
                                    "cannot be handled correctly. See manual.");
}

TEST(GlyphMeasure, DocumentsAndCommandLines)
{
    const QString glt = measuringDocument("zc", "cal");
    const QStringList l = glt.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(l.size(), 11);
    EXPECT_EQ(l[1], "\\usepackage{zc}");
    EXPECT_EQ(l[2], "\\def\\mtype#1{\\mathcal{#1}}");
    EXPECT_EQ(l[6], "\\multido{\\i=65+1}{26}{$\\mtype{\\char\\i}$\\newpage");
    EXPECT_EQ(l[7], "\\vrule width.025bp\\hspace{5.975bp}$\\mtype{\\char\\i}$\\newpage}");
    const QStringList g = pictureDocument("zc", "frak").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(g.size(), 9);
    EXPECT_EQ(g[2], "\\def\\mtype#1{\\mathfrak{#1}}");
    EXPECT_EQ(g[7], "\\multido{\\i=97+1}{26}{$\\dot{\\mtype{\\char\\i}}$\\newpage}");

    const QString measure = measuringCommand("/d/tmp 1", "/m/my master/tmp");
    EXPECT_TRUE(measure.startsWith("cd '/d/tmp 1' && ")) << measure.toStdString();
    EXPECT_TRUE(measure.contains(" glt && "));
    EXPECT_TRUE(measure.contains(" -T tight -D 7200 glt && "));
    EXPECT_TRUE(measure.contains(" glt*.png '/m/my master/tmp' && cd '/m/my master/tmp' && "));
    EXPECT_TRUE(measure.endsWith(" glt*.png >lst.txt"));
    const QString pictures = pictureCommand("/d/tmp1", "/m/imgs");
    EXPECT_TRUE(pictures.contains(" -T tight -D 1440 gl && "));
    EXPECT_TRUE(pictures.endsWith(" gl*.png /m/imgs"));

    const QStringList t = glyphPictureDocument("zc ", "scr", 26).split('\n');
    ASSERT_EQ(t.size(), 18); // 17 lines, each ended by LF
    EXPECT_EQ(t[3], "\\usepackage{zc }");
    EXPECT_EQ(t[13], "\\rput[Bl](0,0){\\psscalebox{20}{$\\hat{\\mathscr{a}}\\pnode{P}$}}");
    EXPECT_EQ(t[14], "\\rput[Bl](0,0){\\psscalebox{20}{$\\mathscr{a}_{\\sb}$}}");
    EXPECT_EQ(t[16], "\\end{document}");
    EXPECT_TRUE(glyphPictureDocument("zc", "cal", 25).contains("\\mathcal{Z}"));
    const QString pic = glyphPictureCommand("/d/tmp 2", "/opt/Q 2013");
    EXPECT_TRUE(pic.startsWith("cd '/d/tmp 2' && "));
    EXPECT_TRUE(pic.contains(" -R0 -Ppdf -otmp.ps tmp.dvi && "));
    EXPECT_TRUE(pic.contains(" -l -f -g -B -r=3600 tmp.ps && "));
    EXPECT_TRUE(pic.endsWith(" && '/opt/Q 2013/eps2png' -png -resolution 120 tmp.eps"));
}

TEST(Eps2png, TurnsAnEpsIntoAPngAtTheResolutionAsked)
{
    test::TestEnv env(false);
    const QString script = QStringLiteral(QLK_APP_DIR) + "/eps2png";
    ASSERT_TRUE(QFileInfo(script).isExecutable());
    // A one-inch square: 120 pixels at 120 ppi.
    const QString eps = env.writeFile("pic/sq.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 72 72\n"
                                                    "0 0 moveto 72 0 lineto 72 72 lineto 0 72 lineto closepath fill\n"
                                                    "showpage\n");
    const QString dir = QFileInfo(eps).absolutePath();
    ProcessResult r = runBash("cd " + shellQuote(dir) + " && " + shellQuote(script) + " -png -resolution 120 sq.eps");
    EXPECT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    const QImage png(dir + "/sq.png");
    EXPECT_EQ(png.size(), QSize(120, 120));
    r = runBash("cd " + shellQuote(dir) + " && " + shellQuote(script) + " -png -resolution 36 sq.eps");
    EXPECT_EQ(QImage(dir + "/sq.png").size(), QSize(36, 36));

    r = runBash("cd " + shellQuote(dir) + " && " + shellQuote(script) + " -png -resolution 120 missing.eps");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(dir + "/missing.png"));
    env.writeFile("pic/bad.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 72 72\nthis is not postscript\n");
    r = runBash("cd " + shellQuote(dir) + " && " + shellQuote(script) + " -png -resolution 120 bad.eps");
    EXPECT_NE(r.exitCode, 0);
}

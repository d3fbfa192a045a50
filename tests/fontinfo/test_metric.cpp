#include "Fixtures.h"

#include "fontinfo/FontMetric.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// The folder that holds "pdftex/updmap/pdftex.map", ending in "/".
QString mapRootOf(const QString& masterMap)
{
    const QString tail = QStringLiteral("pdftex/updmap/pdftex.map");
    return masterMap.endsWith(tail) ? masterMap.left(masterMap.size() - tail.size()) : QString();
}

// A temporary folder of the test's own as the system's temporary folder,
// so that the scratch folders can be counted.
QString ownTempFolder(const test::TestEnv& env)
{
    const QString tmp = env.root() + QStringLiteral("/tmp");
    QDir().mkpath(tmp);
    ::setenv("TMPDIR", tmp.toUtf8().constData(), 1);
    EXPECT_EQ(tempFolder(), tmp);
    return tmp;
}

const char* const kMasterMap = "/var/lib/texmf/fonts/map/pdftex/updmap/pdftex.map";

} // namespace

TEST(FontMetric, RealTimesThroughVirtualFontMapLineAndOutline)
{
    QString master = test::texFile(QStringLiteral("pdftex.map"));
    if (master.isEmpty())
        master = QString::fromUtf8(kMasterMap);
    test::TestEnv env;
    test::TexGlobalsGuard guard;
    const QString tmp = ownTempFolder(env);
    mapRoot = mapRootOf(master);
    ASSERT_FALSE(mapRoot.isEmpty()) << master.toStdString();

    EXPECT_EQ(fontMetric(QStringLiteral("x"), QStringLiteral("ptmr8t")), std::optional<int>(450));
    EXPECT_EQ(fontMetric(QStringLiteral("X"), QStringLiteral("\\ptmr8t")), std::optional<int>(662));
    EXPECT_EQ(fontMetric(QStringLiteral("x"), QStringLiteral("ptmr8r")), std::optional<int>(450));
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join(' ').toStdString();

    EXPECT_EQ(fontMetric(QStringLiteral("x"), QStringLiteral("qlknosuchfont")), std::nullopt);
    EXPECT_EQ(env.dialogs.messages, QStringList{QStringLiteral("No tfm or vf found for qlknosuchfont")});
    EXPECT_TRUE(test::scratchFolders(tmp).isEmpty());
}

TEST(FontMetric, FixtureChainsScalesAndFailures)
{
    const QString baseTfm = test::texFile(QStringLiteral("ptmr8r.tfm"));
    ASSERT_FALSE(baseTfm.isEmpty());
    test::TestEnv env;
    test::TexGlobalsGuard guard;
    const QString tmp = ownTempFolder(env);
    const QString tfmDir = env.texmfHome() + QStringLiteral("/fonts/tfm/qlk");
    const QString vfDir = env.texmfHome() + QStringLiteral("/fonts/vf/qlk");
    QDir().mkpath(tfmDir);
    QDir().mkpath(vfDir);
    for (const char* base : {"qlkbase", "qlkdouble", "qlkotf", "qlkenc", "qlknomap", "-qlkminus"})
        ASSERT_TRUE(QFile::copy(baseTfm, tfmDir + '/' + base + ".tfm"));
    env.writeFile(QStringLiteral("maps/pdftex/updmap/pdftex.map"),
                  "qlkbase NimbusRomNo9L-Regu \" TeXBase1Encoding ReEncodeFont \" <8r.enc <utmr8a.pfb\n"
                  "qlkdouble NimbusRomNo9L-Regu <<utmr8a.pfb\n"
                  "qlkotf Some-Font <somefont.otf\n"
                  "qlkenc Some-Font <8r.enc\n"
                  "-qlkminus NimbusRomNo9L-Regu \" TeXBase1Encoding ReEncodeFont \" <8r.enc <utmr8a.pfb\n");
    mapRoot = env.root() + QStringLiteral("/maps/");

    auto xChar = [](const char* selectFont) {
        return std::string("(CHARACTER C x\n   (CHARWD R 0.5)\n   (MAP\n") + selectFont +
               "      (SETCHAR C x)\n      )\n   )\n";
    };
    auto mapFont = [](int n, const char* name, const char* at) {
        return std::string("(MAPFONT D ") + std::to_string(n) + "\n   (FONTNAME " + name + ")\n" + at + "   )\n";
    };
    const struct {
        const char* name;
        std::string vpl;
    } virtuals[] = {
        {"qlkinner", mapFont(0, "qlkbase", "   (FONTAT R 1.1)\n") + xChar("")},
        // X is here but not in qlkinner; x comes from font 1 at 0.9.
        {"qlkouter", mapFont(0, "qlkbase", "") + mapFont(1, "qlkinner", "   (FONTAT R 0.9)\n") +
                         "(CHARACTER C X\n   (CHARWD R 0.5)\n   (MAP\n      (SELECTFONT D 1)\n"
                         "      (SETCHAR C X)\n      )\n   )\n" +
                         xChar("      (SELECTFONT D 1)\n")},
        {"qlkdefault", mapFont(0, "qlkbase", "") + xChar("")},
        {"qlkfail", mapFont(0, "qlkmissing", "   (FONTAT R 0.4)\n") + xChar("")},
        {"qlkloop", mapFont(0, "qlkloop", "") + xChar("")},
        {"qlkloopa", mapFont(0, "qlkloopb", "") + xChar("")},
        {"qlkloopb", mapFont(0, "qlkloopa", "") + xChar("")},
        {"qlkvfonly", mapFont(0, "qlkbase", "") + xChar("")},
        // Names that begin with "-" are names, not options of kpsewhich or vftovp.
        {"-qlkdash", mapFont(0, "-qlkminus", "   (FONTAT R 1.1)\n") + xChar("")},
    };
    for (const auto& v : virtuals) {
        const QString src = env.writeFile(QStringLiteral("src/%1.vpl").arg(QString::fromUtf8(v.name)),
                                          QByteArray::fromStdString("(DESIGNSIZE R 10.0)\n" + v.vpl));
        const QString n = QString::fromUtf8(v.name);
        const ProcessResult r = runBash(QStringLiteral("vptovf %1 %2 %3")
                                            .arg(shellQuote(src), shellQuote(vfDir + '/' + n + ".vf"),
                                                 shellQuote(tfmDir + '/' + n + ".tfm")));
        ASSERT_EQ(r.exitCode, 0) << v.name << r.output.toStdString() << r.errorOutput.toStdString();
    }
    QFile::remove(tfmDir + QStringLiteral("/qlkvfonly.tfm"));

    const struct {
        const char* character;
        const char* font;
        std::optional<int> height;
        const char* message; // the message shown, or none
    } cases[] = {
        {"x", "qlkbase", 450, nullptr},
        {"x", "qlkinner", 495, nullptr},  // 450 x 1.1
        {"x", "qlkouter", 446, nullptr},  // 450 x 0.9 x 1.1 = 445.5
        {"x", "qlkdefault", 450, nullptr}, // no SELECTFONT: font 0, no FONTAT: 1.0
        {"x", "qlkdouble", 450, nullptr}, // "<<" before the outline file
        {"x", "-qlkminus", 450, nullptr},
        {"x", "-qlkdash", 495, nullptr},
        {"X", "qlkouter", std::nullopt, nullptr}, // qlkinner has no X
        {"x", "qlkotf", std::nullopt, nullptr},
        {"x", "qlkenc", std::nullopt, nullptr},
        {"x", "qlknomap", std::nullopt, nullptr},
        // A failure below a level of 0.4 is a failure, not a height of 0.
        {"x", "qlkfail", std::nullopt, "No tfm or vf found for qlkmissing"},
        {"x", "qlkvfonly", std::nullopt, "Found qlkvfonly.vf but no corresponding tfm"},
        {"x", "qlkloop", std::nullopt,
         "The virtual font qlkloop leads back to qlkloop (qlkloop > qlkloop); the trace stops there."},
        {"x", "qlkloopa", std::nullopt,
         "The virtual font qlkloopb leads back to qlkloopa (qlkloopa > qlkloopb > qlkloopa); the trace stops there."},
    };
    for (const auto& c : cases) {
        env.dialogs.messages.clear();
        EXPECT_EQ(fontMetric(QString::fromUtf8(c.character), QString::fromUtf8(c.font)), c.height) << c.font;
        EXPECT_EQ(env.dialogs.messages,
                  c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList())
            << c.font;
    }
    EXPECT_TRUE(test::scratchFolders(tmp).isEmpty());
}

TEST(VplReaders, FontListAndCharacterEntries)
{
    const QString vpl = QStringLiteral(
        "(MAPFONT D 0\n   (FONTNAME ptmr8r)\n   (FONTAT R 0.9)\n   )\n"
        "(MAPFONT D 1\n   (FONTNAME psyr\n)\n   )\n"
        "(CHARACTER C X\n   (MAP\n      (SELECTFONT D 1)\n      )\n   )\n"
        "(CHARACTER C x\n   (MAP\n      (SETCHAR C x)\n      )\n   )\n"
        "(CHARACTER C 1\n   (MAP\n      (SELECTFONT D 12)\n      )\n   )\n"
        "(CHARACTER C B\n   (MAP\n      (SELECTFONT D 1)\n      )\n   )");
    const VplFontList fonts = vplFontList(vpl);
    EXPECT_EQ(fonts.names, (QStringList{QStringLiteral("ptmr8r"), QStringLiteral("psyr")}));
    EXPECT_EQ(fonts.factors, (QList<double>{0.9, 1.0}));
    EXPECT_EQ(vplCharacterFont(vpl, QStringLiteral("X")), std::optional<int>(1));
    EXPECT_EQ(vplCharacterFont(vpl, QStringLiteral("x")), std::optional<int>(0));
    EXPECT_EQ(vplCharacterFont(vpl, QStringLiteral("1")), std::optional<int>(12)); // a digit's one entry
    EXPECT_EQ(vplCharacterFont(vpl, QStringLiteral("B")), std::optional<int>(1));  // the last entry
    EXPECT_EQ(vplCharacterFont(vpl, QStringLiteral("b")), std::nullopt);           // B is not b
    EXPECT_TRUE(vplFontList(QStringLiteral("(CHARACTER C x\n)")).names.isEmpty());
}

TEST(VplReaders, MapLinesAndAfmLines)
{
    const struct {
        const char* line;
        const char* outline;
    } lines[] = {
        {"ptmr8r NimbusRomNo9L-Regu \" TeXBase1Encoding ReEncodeFont \" <8r.enc <utmr8a.pfb", "utmr8a.pfb"},
        {"a A <<a.pfb", "a.pfb"},
        {"a A <[a.enc <a.pfa", "a.pfa"},
        {"a A <a.ENC", ""},
        {"a A", ""},
        {"a A <a.ttf", "a.ttf"},
    };
    for (const auto& l : lines)
        EXPECT_EQ(mapLineOutlineFile(QString::fromUtf8(l.line)), QString::fromUtf8(l.outline)) << l.line;

    const QString afm = QStringLiteral("C 66 ; WX 667 ; N B ; B 17 0 593 662 ;\n"
                                       "C 88 ; WX 722 ; N X ; B 10 0 704 ;\n"
                                       "C 120 ; WX 500 ; N x ; B 17  0 479   450 ;\n"
                                       "C 49 ; WX 500 ; N one ;\n");
    EXPECT_EQ(afmCharacterTop(afm, QStringLiteral("B")), std::optional<int>(662));
    EXPECT_EQ(afmCharacterTop(afm, QStringLiteral("x")), std::optional<int>(450));
    EXPECT_EQ(afmCharacterTop(afm, QStringLiteral("X")), std::nullopt); // three numbers only
    EXPECT_EQ(afmCharacterTop(afm, QStringLiteral("1")), std::nullopt); // no box field
    EXPECT_EQ(afmCharacterTop(afm, QStringLiteral("b")), std::nullopt); // no line
    EXPECT_EQ(afmCharacterTop(afm + afm, QStringLiteral("B")), std::nullopt); // twice
}

#include "opentype/otfinst/OtfinstScript.h"

#include "opentype/common/InstalledPfb.h"

#include "opentype/common/OtfTemplate.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QString shippedTemplate()
{
    QFile f(QStringLiteral(QLK_OTFINST_TEMPLATE));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

ScriptFields libraFields()
{
    ScriptFields f;
    f.encoding = QStringLiteral("T1");
    f.otftotfm = QStringLiteral("/usr/bin/otftotfm");
    f.localFontsDir = QStringLiteral("/tex/latex/libra/");
    f.fontlist = QStringList{"Libra Serif", "Libra Sans"};
    f.berrylist = QStringList{"lbs", "lbn"};
    f.family = QStringLiteral("Libra Serif");
    f.scale = QStringLiteral("1.05");
    return f;
}

} // namespace

TEST(OtfinstScript, ShippedTemplateHasTheProtocol)
{
    const TemplateCut cut = cutTemplate(shippedTemplate(), otfinstMarkers());
    ASSERT_TRUE(cut.ok()) << cut.badMarker.toStdString();
    QStringList families, codes, scaled, factors;
    readTemplateTable(cut.pieces.at(5), true, families, codes);
    readTemplateTable(cut.pieces.at(7), false, scaled, factors);
    EXPECT_EQ(codes, (QStringList{"qpl", "qtm", "qhv", "qcr", "qbk", "qcs", "qag", "qzc"}));
    EXPECT_EQ(families.first(), QStringLiteral("TeX Gyre Pagella"));
    EXPECT_EQ(scaled, families);
    // The vendor defaults to otftotfm's own outside the sections.
    EXPECT_TRUE(cut.pieces.at(4).contains(QStringLiteral("thevendor = ''")));
}

TEST(OtfinstScript, SectionsAndPiecesByteForByte)
{
    const QStringList m = otfinstMarkers();
    const QStringList pieces{"P0\n", "x", "P2\n", "x", "P4\n", "x", "P6\n", "x", "P8\n"};
    ScriptFields f = libraFields();
    const char* expected =
        "P0\n###encodingmarker\nencoding = 'T1'\notftotfmpath = '/usr/bin/otftotfm'\n###endencodingmarker"
        "P2\n###localfontsdirmarker\nlocalfontsdir = '/tex/latex/libra/'\n###endlocalfontsdirmarker"
        "P4\n###berrynamemarker\nberryname = { 'Libra Serif' : 'lbs',\n          'Libra Sans' : 'lbn',\n          }\n"
        "###endberrynamemarker"
        "P6\n###scaledmarker\nscaled = { 'Libra Serif' : 1.05,\n       }\n###endscaledmarker"
        "P8\n";
    EXPECT_EQ(buildOtfinstScript(pieces, m, f), QString::fromUtf8(expected));
    f.vendor = QStringLiteral("maker");
    EXPECT_TRUE(buildOtfinstScript(pieces, m, f).contains(
        QStringLiteral("          }\nthevendor = 'maker'\n###endberrynamemarker")));
}

TEST(OtfinstScript, FieldsAsTheStepsReadThem)
{
    EXPECT_EQ(otfinstEncodings(true, true, true), (QStringList{"OT1", "TS1", "T1", "LY1"}));
    EXPECT_EQ(otfinstEncodings(false, true, false), (QStringList{"TS1", "T1"}));
    EXPECT_TRUE(otfinstEncodings(false, false, false).isEmpty());

    const QList<QPair<const char*, const char*>> folders{
        {" tex/latex/libra/ ", "/tex/latex/libra"}, {"/tex/latex/libra", "/tex/latex/libra"}, {"/", "/"}};
    for (const auto& c : folders) {
        EXPECT_EQ(packageFolderText(QLatin1String(c.first)), QLatin1String(c.second));
        EXPECT_TRUE(localFontsDirText(QLatin1String(c.first)).endsWith('/'));
    }
    EXPECT_EQ(localFontsDirText(QStringLiteral("/tex/latex/libra")), QStringLiteral("/tex/latex/libra/"));

    for (const char* one : {"", "1", "1.0", "1."})
        EXPECT_EQ(scaleText(QLatin1String(one)), QStringLiteral("1.0"));
    EXPECT_EQ(scaleText(QStringLiteral("0.9")), QStringLiteral("0.9"));
}

TEST(OtfinstScript, TypedTextsThatWouldBreakTheSourceAreRefused)
{
    const auto check = [](const char* berry, const char* vendor, const char* family, const char* folder,
                          const char* scale) {
        return checkScriptTexts(QLatin1String(berry), QLatin1String(vendor), QLatin1String(family),
                                QLatin1String(folder), QStringLiteral("/usr/bin/otftotfm"), QLatin1String(scale));
    };
    EXPECT_EQ(check("qpl", "", "TeX Gyre Pagella", "/tex/latex/x/", "1.0"), QString());
    EXPECT_EQ(check("ad2", "my-vendor_2", "Libra", "tex/latex/x", ".95"), QString());
    const QList<std::array<const char*, 5>> bad{
        {"q'l", "", "F", "/x/", "1.0"},   {"qp", "", "F", "/x/", "1.0"},     {"qpl", "a b", "F", "/x/", "1.0"},
        {"qpl", "a'", "F", "/x/", "1.0"}, {"qpl", "", "F'oo", "/x/", "1.0"}, {"qpl", "", "F\\n", "/x/", "1.0"},
        {"qpl", "", "", "/x/", "1.0"},    {"qpl", "", "F", "/x/../y", "1.0"}, {"qpl", "", "F", "/x'/", "1.0"},
        {"qpl", "", "F", "/x/", "-3"},    {"qpl", "", "F", "/x/", "0"},      {"qpl", "", "F", "/x/", "1,5"},
        {"qpl", "", "F", "/x/", "1;import os"},
    };
    for (const auto& b : bad)
        EXPECT_FALSE(check(b[0], b[1], b[2], b[3], b[4]).isEmpty()) << b[0] << b[1] << b[2] << b[3] << b[4];
    EXPECT_FALSE(checkScriptTexts("qpl", "", "F", "/x/", "/usr/bin/otf'totfm", "1.0").isEmpty());
}

TEST(OtfinstScript, PfbNamesRoutesAndMapFamilies)
{
    EXPECT_EQ(pfbQueryNames({"MinionPro-Regular.otf"}),
              (QStringList{"MinionPro-Regular.pfb", "MinionPro-RegularLCDFj.pfb"}));

    const PfbRoutes r = routePfbFiles({"/h/texmf/fonts/type1/a.pfb", "/h/var/fonts/type1/b.pfb",
                                       "/usr/local/share/texmf/fonts/c.pfb", "/usr/share/texmf/fonts/d.pfb",
                                       "/h/texmf-other/e.pfb"},
                                      "/h/texmf", "/h/var", "/usr/local/share/texmf");
    EXPECT_EQ(r.user, (QStringList{"/h/texmf/fonts/type1/a.pfb", "/h/var/fonts/type1/b.pfb"}));
    EXPECT_EQ(r.root, QStringList{"/usr/local/share/texmf/fonts/c.pfb"});
    EXPECT_EQ(r.listedOnly, (QStringList{"/usr/share/texmf/fonts/d.pfb", "/h/texmf-other/e.pfb"}));

    const QString map = QStringLiteral("% Automatically maintained by otftotfm-x-y\n"
                                       "t1-libra-regular-lf--base Libra \"AutoEnc\" <[a.enc <libra.pfb\n"
                                       "t1-LIBRA-bold-lf--base Libra-Bold\n"
                                       "ly1-other-regular-lf Other\n"
                                       "no hyphen here\n");
    EXPECT_EQ(mapFamilyNames(map), (QStringList{"libra", "other"}));
    EXPECT_TRUE(mapFamilyNames(QStringLiteral("% a-b-c only in the comment\n")).isEmpty());
}

#include "opentype/otfinst/OtfinstInstall.h"

TEST(OtfinstInstall, FdSuffixesAndPackageFolders)
{
    const QList<QPair<const char*, const char*>> suffixes{
        {"t1abc", ""}, {"t1abcx", "x"}, {"ot1abcj", "j"}, {"ly1abcx", "x"}, {"ts1abcx", "cx"}, {"T1abcX", "X"}};
    for (const auto& s : suffixes)
        EXPECT_EQ(fdFigureSuffix(QLatin1String(s.first)), QLatin1String(s.second)) << s.first;

    for (const char* field : {"/tex/latex/abc/", "tex/latex/abc", " /tex/latex/abc "}) {
        QString parent, leaf;
        splitPackageFolder(QLatin1String(field), parent, leaf);
        EXPECT_EQ(parent, QStringLiteral("/tex/latex")) << field;
        EXPECT_EQ(leaf, QStringLiteral("abc")) << field;
    }
    EXPECT_EQ(otfinstCommand("/w/otfinst-qpl-1234", 2, "/f/my fonts"),
              QStringLiteral("cd /w/otfinst-qpl-1234 && TEXMFHOME=/w/otfinst-qpl-1234/stage/home "
                             "TEXMFVAR=/w/otfinst-qpl-1234/stage/var ./otfinst2 '/f/my fonts'"));
}

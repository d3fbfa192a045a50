#include "opentype/common/OtfReaders.h"

#include "SfntCopy.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace qlk;

namespace {

// An OS/2 table of `version` and `size` bytes with sxHeight `x` at 86.
QByteArray os2(int version, int size, int x)
{
    QByteArray t(size, '\0');
    t[0] = char(version >> 8);
    t[1] = char(version);
    if (size >= 88) {
        t[86] = char(x >> 8);
        t[87] = char(x);
    }
    return t;
}

} // namespace

TEST(OtfReaders, NamesAndStyleFromInfo)
{
    // Recorded from otfinfo --info of texgyrepagella-regular.otf, shortened.
    const QString info = QStringLiteral("Family:              TeX Gyre Pagella\n"
                                        "Subfamily:           Regular\n"
                                        "Full name:           TeXGyrePagella-Regular\n"
                                        "Preferred family:    TeX Gyre Pagella X\n"
                                        "Preferred subfamily: Bold Italic\n"
                                        "Vendor URL:          http://www.maker.com/\n");
    const OtfNames names = readOtfNames(info);
    EXPECT_EQ(names.family, QStringLiteral("TeX Gyre Pagella X"));
    EXPECT_TRUE(names.hasVendorUrl);
    EXPECT_EQ(names.vendorUrl, QStringLiteral("http://www.maker.com/"));
    EXPECT_EQ(styleOfInfo(info), QStringLiteral("Bold Italic"));
    EXPECT_FALSE(readOtfNames(QStringLiteral("Family: X\n")).hasVendorUrl);
    EXPECT_EQ(styleOfInfo(QStringLiteral("Family: X")), QString());

    const QList<QPair<const char*, bool>> styles{
        {"Regular", true}, {"Book", true}, {"Medium", true}, {"Caption", true}, {"Semibold", false},
        {"Light Italic", false}, {"ExtraLight", false}, {"Black", false}, {"Italic", false}};
    for (const auto& s : styles)
        EXPECT_EQ(isMeasurableStyle(QLatin1String(s.first)), s.second) << s.first;
}

TEST(OtfReaders, XHeightFromTheOs2Bytes)
{
    struct Case {
        QByteArray table;
        int x;
        bool error;
    };
    const QList<Case> cases{
        {os2(4, 96, 469), 469, false},
        // Version 5 ends in four more bytes; the field stays at 86.
        {os2(5, 100, 431), 431, false},
        {os2(2, 96, 0x0A20), 0x0A20, false}, // a byte that reads as LF in text
        {os2(1, 86, 0), 0, true},
        {os2(0, 78, 0), 0, true},
        {os2(3, 60, 0), 0, true},            // cut short
        {os2(4, 96, 0), 0, true},            // no height
        {QByteArray(), 0, true},
    };
    for (const Case& c : cases) {
        const XHeightReading r = sxHeightOfOs2(c.table);
        EXPECT_EQ(r.xHeight, c.x);
        EXPECT_EQ(!r.error.isEmpty(), c.error);
    }
    EXPECT_EQ(bytesOfHexDump(QStringLiteral(" 00 04 0a\n 20 ff\n")), QByteArray::fromHex("00040a20ff"));
}

TEST(OtfReaders, ScaleFormat)
{
    const QList<QPair<double, const char*>> cases{
        {431.0 / 467, ".923"}, {450.0 / 467, ".964"}, {431.0 / 410, "1.051"}, {450.0 / 410, "1.098"},
        {450.0 / 450, "1.0"},  {2.0, "2.0"},          {1.5, "1.5"},           {431.0 / 469, ".919"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatScale(c.first), QLatin1String(c.second)) << c.first;
}

// The real fonts: TeX Gyre Pagella's x-height is 469, Termes' 450, Latin
// Modern's 431.
TEST(OtfReaders, ComputesfOnRealFonts)
{
    test::TestEnv env;
    const QString folder = env.root() + QStringLiteral("/my fonts");
    QDir().mkpath(folder);
    for (const char* name : {"texgyrepagella-bold.otf", "texgyrepagella-regular.otf", "texgyretermes-regular.otf",
                             "lmroman10-regular.otf"}) {
        const QString src = test::texFile(QLatin1String(name));
        ASSERT_FALSE(src.isEmpty()) << name;
        ASSERT_TRUE(QFile::copy(src, folder + QLatin1Char('/') + QLatin1String(name)));
    }
    // The bold font comes first and is passed over.
    EXPECT_EQ(Computesf(folder, {"texgyrepagella-bold.otf", "texgyrepagella-regular.otf"}, 1), QStringLiteral(".919"));
    EXPECT_EQ(Computesf(folder, {"texgyretermes-regular.otf"}, 2), QStringLiteral("1.0"));
    EXPECT_EQ(Computesf(folder, {"lmroman10-regular.otf"}, 1), QStringLiteral("1.0"));
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();

    // Nothing to measure: a message and the neutral factor.
    EXPECT_EQ(Computesf(folder, {"texgyrepagella-bold.otf"}, 1), QStringLiteral("1.0"));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
}

TEST(OtfReaders, FontsPdftexCannotEmbed)
{
    test::TestEnv env;
    const QString folder = env.root() + "/fonts";
    QDir().mkpath(folder);
    const QString dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
    QFile::copy(dejavu, folder + "/v1.ttf");
    ASSERT_TRUE(test::copyWithOs2Version(dejavu, folder + "/v3.ttf", 3));
    ASSERT_TRUE(test::copyWithOs2Version(dejavu, folder + "/v4.ttf", 4));
    ASSERT_TRUE(test::copyWithOs2Version(dejavu, folder + "/v5.ttf", 5));
    // CFF outlines with an OS/2 table of version 4: pdfTeX embeds Type 1 made from them.
    QFile::copy(test::texFile("texgyrepagella-regular.otf"), folder + "/cff.otf");
    env.writeFile("fonts/text.ttf", "not a font at all");
    // Only regular files are opened: a FIFO would wait for a writer (the
    // alarm ends the test should it ever be opened), and a device never ends.
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + "/pipe.ttf").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", folder + "/zero.ttf"));
    alarm(60);

    struct Case {
        const char* name;
        bool read, cff;
        int version;
    };
    const QList<Case> cases{{"v1.ttf", true, false, 1}, {"v4.ttf", true, false, 4}, {"cff.otf", true, true, 4},
                            {"text.ttf", false, false, -1}, {"missing.ttf", false, false, -1},
                            {"pipe.ttf", false, false, -1}, {"zero.ttf", false, false, -1}};
    for (const Case& c : cases) {
        const SfntTables t = readSfntTables(folder + "/" + c.name);
        EXPECT_EQ(t.read, c.read) << c.name;
        EXPECT_EQ(t.cff, c.cff) << c.name;
        EXPECT_EQ(t.os2Version, c.version) << c.name;
    }
    const QStringList all{"cff.otf", "missing.ttf", "pipe.ttf", "text.ttf", "v1.ttf", "v3.ttf", "v4.ttf", "v5.ttf"};
    EXPECT_EQ(fontsPdftexCannotEmbed(folder, all, 3), (QStringList{"v4.ttf (OS/2 version 4)", "v5.ttf (OS/2 version 5)"}));
    EXPECT_TRUE(fontsPdftexCannotEmbed(folder, all, 5).isEmpty());
    alarm(0);

    const QList<QPair<QString, int>> versions{
        {"pdfTeX 3.141592653-2.6-1.40.24 (TeX Live 2022/Debian)", 3},
        {"pdfTeX 3.14159265-2.6-1.40.18 (TeX Live 2017)", 3},
        {"pdfTeX 3.141592653-2.6-1.40.25 (TeX Live 2023)", 5},
        {"pdfTeX 3.141592653-2.6-1.41.0", 5},
        {"", 3},
        {"something else 2.0", 3},
    };
    for (const auto& v : versions)
        EXPECT_EQ(pdftexOs2Limit(v.first), v.second) << v.first.toStdString();
}

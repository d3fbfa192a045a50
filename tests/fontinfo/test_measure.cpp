#include "Fixtures.h"

#include "fontinfo/FontMeasure.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlk;

TEST(MeasureFont, RealUrwTimesAsTypeOneAndAsAfm)
{
    test::TestEnv env;
    const QString pfb = test::texFile(QStringLiteral("utmr8a.pfb"));
    const QString afm = test::texFile(QStringLiteral("utmr8a.afm"));
    ASSERT_FALSE(pfb.isEmpty());
    ASSERT_FALSE(afm.isEmpty());
    EXPECT_EQ(measureFont(QStringLiteral(".pfb"), pfb), QStringLiteral("x-height=450, Capheight=662"));
    EXPECT_EQ(measureFont(QStringLiteral(".afm"), afm), QStringLiteral("x-height=450, Capheight=662"));
    EXPECT_EQ(measureFont(QStringLiteral(".AFM"), afm), QStringLiteral("x-height=450, Capheight=662"));
    EXPECT_TRUE(test::scratchFolders(documentsFolder()).isEmpty());
}

TEST(MeasureFont, PathWithBlanksAndQuotesIsCopiedWhole)
{
    test::TestEnv env;
    const QString afm = test::texFile(QStringLiteral("utmr8a.afm"));
    ASSERT_FALSE(afm.isEmpty());
    const QString odd = env.root() + QStringLiteral("/my fonts/it's $(x);utmr8a.afm");
    QDir().mkpath(env.root() + QStringLiteral("/my fonts"));
    ASSERT_TRUE(QFile::copy(afm, odd));
    EXPECT_EQ(measureFont(QStringLiteral(".afm"), odd), QStringLiteral("x-height=450, Capheight=662"));
    EXPECT_TRUE(test::scratchFolders(documentsFolder()).isEmpty());
}

TEST(MeasureFont, FailuresReportAndLeaveNoFolder)
{
    test::TestEnv env;
    QStringList reports;
    uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
    // The copy fails: reported, no result, and the empty folder goes again.
    EXPECT_EQ(measureFont(QStringLiteral(".pfb"), env.root() + QStringLiteral("/missing.pfb")), QString());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.at(0).startsWith(QStringLiteral("While trying to run command: ")));
    EXPECT_TRUE(test::scratchFolders(documentsFolder()).isEmpty());
    // The conversion fails: reported, no result, folder removed.
    const QString bad = env.writeFile(QStringLiteral("bad.pfb"), "not a font");
    EXPECT_EQ(measureFont(QStringLiteral(".pfb"), bad), QString());
    EXPECT_EQ(reports.size(), 2);
    EXPECT_TRUE(test::scratchFolders(documentsFolder()).isEmpty());
}

TEST(AfmHeights, EachLetterInItsOwnCase)
{
    test::TestEnv env;
    const char* B = "C 66 ; WX 667 ; N B ; B 17 0 593 662 ;\n";
    const char* X = "C 88 ; WX 722 ; N X ; B 10 0 704 663 ;\n";
    const char* b = "C 98 ; WX 500 ; N b ; B 3 -10 468 683 ;\n";
    const char* x = "C 120 ; WX 500 ; N x ; B 17 0 479 450 ;\n";
    const char* one = "C 49 ; WX 500 ; N one ; B 111 0 394 676 ;\n";
    const struct {
        std::string afm;
        int x, cap; // -1: left as it was
    } cases[] = {
        {std::string(one) + B + X + b + x, 450, 662},
        {std::string(B) + X, -1, 662},      // capitals only
        {std::string(b) + x, 450, -1},      // b is not taken for B
        {std::string(x), 450, -1},
        {std::string(b) + B + x, 450, 662}, // order does not matter
        {std::string(B) + b + X + x, 450, 662},
        {"C 66 ; WX 667 ; N B ; B 17 0  593   662.4 ;\nC 120 ; WX 500 ; N x ; B 17 0 479 ;\n", 479, 662},
        {"C 66 ; WX 667 ; N B ; B 17 0 593 high ;\n", -1, 0},
        {std::string(B) + B, -1, -1},       // twice: not trusted
        {"StartFontMetrics 2.0\n", -1, -1},
    };
    int i = 0;
    for (const auto& c : cases) {
        const QString path = env.writeFile(QStringLiteral("h%1.afm").arg(i++), QByteArray::fromStdString(c.afm));
        int xh = -1, cap = -1;
        afmHeights(path, xh, cap);
        EXPECT_EQ(xh, c.x) << c.afm;
        EXPECT_EQ(cap, c.cap) << c.afm;
    }
}

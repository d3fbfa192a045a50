#include "ui/GlyphGuides.h"

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// A glyph of the math-alphabet editor: picture 133 x 171 on the 433 x 325
// canvas, left side 24, width 500, italic correction 20.
GlyphGuides alphabetGlyph(GlyphAdjustments a = {})
{
    GlyphGuides g(kMathAlphabetGuides);
    g.load({24, 500, 20}, a, QSize(133, 171), QSize(433, 325));
    return g;
}

} // namespace

TEST(GlyphGuides, LaysOutTheMathAlphabetGlyphFromThePictureEdge)
{
    GlyphGuides g = alphabetGlyph({10, 5, -5, 12});
    // ls = (24+10)/5 = 6.8 -> 7; sp = (500-24-5)/5 = 94.2 -> 94;
    // tw = (500-24+20+5)/5 = 100.2 -> 100; ac = 12/5 = 2.4 -> 2.
    EXPECT_EQ(g.ls, 7);
    EXPECT_EQ(g.sp, 94);
    EXPECT_EQ(g.tw, 100);
    EXPECT_EQ(g.ac, 2);
    EXPECT_EQ(g.ph1, 178);
    EXPECT_EQ(g.px, (433 - 107) / 2);
    EXPECT_EQ(g.pu, g.px + 7);
    EXPECT_EQ(g.py, (325 - 178) / 2);
    EXPECT_EQ(g.pictureTopLeft(), QPoint(g.pu, g.py + 7));
    EXPECT_EQ(g.rightGuideX(), g.pu + 100);
    EXPECT_EQ(g.subscriptX(), g.pu + 94 - 1);
    EXPECT_EQ(g.coverRect(), QRect(g.px + 2, g.py, 96, 35));
    // The hat's centre line lies midway between the side guides, moved by ac.
    EXPECT_EQ(g.hatLeft(), int(g.px + (7 + 100) / 2.0 + 2 - 31));
}

TEST(GlyphGuides, LaysOutTheMathTimeGlyphFromTheLeftGuide)
{
    GlyphGuides g(kMathTimeGuides);
    g.load({24, 500, 20}, {10, 5, -5, 12}, QSize(133, 171), QSize(314, 303));
    // ls 7; tw = (500+20+10+5)/5 = 107; sp = (500+10-5)/5 = 101.
    EXPECT_EQ(g.ls, 7);
    EXPECT_EQ(g.tw, 107);
    EXPECT_EQ(g.sp, 101);
    EXPECT_EQ(g.ph1, 179);
    EXPECT_EQ(g.px, (314 - 107) / 2);
    EXPECT_EQ(g.pictureTopLeft(), QPoint(g.px + 7, g.py + 8));
    EXPECT_EQ(g.rightGuideX(), g.px + 107);
    EXPECT_EQ(g.subscriptX(), g.px + 101 - 1);
}

TEST(GlyphGuides, HalvesRoundAwayFromZeroAndTheHatTruncatesTheWholeSum)
{
    struct Case {
        int leftside, left, expectLs;
    } cases[] = {
        {24, 0, 5},    // 4.8
        {5, 7, 2},     // 2.4
        {5, -17, -2},  // -2.4
        {-12, -1, -3}, // -2.6
        {0, 12, 2},    // 2.4
        {0, 13, 3},    // 2.6
        {25, -12, 3},  // 2.6
        {10, 2, 2},    // 2.4
        {0, -25, -5},
    };
    GlyphGuides g(kMathAlphabetGuides);
    for (const Case& c : cases) {
        g.load({c.leftside, 100, 0}, {c.left, 0, 0, 0}, QSize(10, 10), QSize(100, 100));
        EXPECT_EQ(g.ls, c.expectLs) << c.leftside << " + " << c.left;
    }
    g.load({0, 0, 0}, {0, 0, 0, 12}, QSize(10, 10), QSize(100, 100));
    EXPECT_EQ(g.ac, 2);
    g.load({0, 0, 0}, {0, 0, 0, -13}, QSize(10, 10), QSize(100, 100));
    EXPECT_EQ(g.ac, -3);
    // Side guides 0 and 1 px apart at x 0: the centre is 0.5 and the hat's
    // left edge trunc(0.5 - 31) = -30, not 0 + trunc(0.5) - 31 = -31.
    g.load({0, 5, 0}, {}, QSize(10, 10), QSize(0, 100));
    ASSERT_EQ(g.px, 0);
    ASSERT_EQ(g.rightGuideX(), 1);
    EXPECT_EQ(g.hatLeft(), -30);
}

// Press tests on the math-alphabet glyph: left guide at px, right guide at
// pu + tw, subscript at pu + sp, box from py to py + ph1.
TEST(GlyphGuides, PressPicksTheFirstGuideInReach)
{
    GlyphGuides g = alphabetGlyph();
    // ls 5, sp 95, tw 99.
    ASSERT_EQ(g.ls, 5);
    ASSERT_EQ(g.tw, 99);
    ASSERT_EQ(g.sp, 95);
    const int right = g.pu + g.tw;
    const int hat = int(g.px + (g.ls + g.tw) / 2.0);
    struct Case {
        const char* what;
        int x, y, expect;
    } cases[] = {
        {"left guide, any height", g.px + 3, g.py + 500, GuideLeft},
        {"left guide 4 px away misses", g.px - 4, g.py + 100, GuideNone},
        {"right guide above the bottom 15 px", right - 3, g.py + g.ph1 - 16, GuideRight},
        {"right guide in the bottom 15 px", right, g.py + g.ph1 - 15, GuideNone},
        {"hat in the top 40 px", hat + 39, g.py + 39, GuideHat},
        {"hat zone ends at 40 px", hat, g.py + 40, GuideNone},
        {"hat 40 px to the side misses", hat - 40, g.py + 10, GuideNone},
        {"hat above the box", hat, g.py - 50, GuideHat},
        {"subscript in the bottom 34 px", g.pu + g.sp - 3, g.py + g.ph1 - 33, GuideSubscript},
        {"subscript below the box", g.pu + g.sp, g.py + g.ph1 + 60, GuideSubscript},
        {"subscript too high", g.pu + g.sp, g.py + g.ph1 - 34, GuideNone},
        {"right guide beats subscript", right, g.py + g.ph1 - 20, GuideRight},
        {"empty middle", g.pu + 50, g.py + 100, GuideNone},
    };
    for (const Case& c : cases) {
        g.highlight = 99;
        EXPECT_EQ(g.press(c.x, c.y), c.expect) << c.what;
        EXPECT_EQ(g.highlight, c.expect) << c.what;
        EXPECT_EQ(g.xc, c.x) << c.what;
    }
}

TEST(GlyphGuides, LeftGuideWinsOverlapsAndHatZonesDifferByEditor)
{
    // A glyph so narrow that every guide lies within reach of the left one.
    GlyphGuides a(kMathAlphabetGuides);
    a.load({0, 10, 0}, {}, QSize(4, 100), QSize(200, 300));
    EXPECT_EQ(a.press(a.px + 1, a.py + 10), GuideLeft);

    GlyphGuides mt(kMathTimeGuides);
    mt.load({0, 500, 0}, {}, QSize(100, 100), QSize(300, 300));
    const int hat = int(mt.px + mt.tw / 2.0);
    EXPECT_EQ(mt.press(hat, mt.py + 35), GuideHat);
    EXPECT_EQ(mt.press(hat, mt.py + 36), GuideNone);
    GlyphGuides ma(kMathAlphabetGuides);
    ma.load({0, 500, 0}, {}, QSize(100, 100), QSize(300, 300));
    const int hat2 = int(ma.px + (ma.ls + ma.tw) / 2.0);
    EXPECT_EQ(ma.press(hat2, ma.py + 39), GuideHat);
}

TEST(GlyphGuides, DragsReleasesAndKeysMoveOnlyTheSelectedGuide)
{
    GlyphGuides g = alphabetGlyph();
    // Nothing selected: moves and keys change nothing.
    g.press(g.pu + 50, g.py + 100);
    g.drag(g.pu + 60);
    EXPECT_FALSE(g.moved());
    EXPECT_FALSE(g.nudge(1));

    // The left guide dragged 2 px right in two steps; a release adds its own step.
    g.press(g.px, g.py + 100);
    g.drag(g.px + 1);
    g.drag(g.px + 2);
    g.release(g.px + 2);
    EXPECT_EQ(g.dl, 2);
    EXPECT_EQ(g.leftGuideX(), g.px + 2);
    // A purely vertical drag changes nothing.
    g.press(g.px + 2, g.py + 10);
    g.drag(g.px + 2);
    g.release(g.px + 2);
    EXPECT_EQ(g.dl, 2);

    // The hat follows the side guides it sits between.
    const int hatBefore = g.hatLeft();
    g.highlight = GuideHat;
    g.xc = 100;
    g.release(97);
    EXPECT_EQ(g.da, -3);
    EXPECT_EQ(g.hatLeft(), hatBefore - 3);

    // Arrow keys on the subscript guide.
    g.press(g.pu + g.sp, g.py + g.ph1);
    ASSERT_EQ(g.highlight, GuideSubscript);
    EXPECT_TRUE(g.nudge(1));
    EXPECT_TRUE(g.nudge(1));
    EXPECT_TRUE(g.nudge(1));
    EXPECT_EQ(g.ds, 3);

    // Loading a glyph clears moves and selection.
    g.load({24, 500, 20}, {}, QSize(133, 171), QSize(433, 325));
    EXPECT_FALSE(g.moved());
    EXPECT_EQ(g.highlight, GuideNone);
}

TEST(GlyphGuides, SavedCellsMoveByFiveUnitsPerPixel)
{
    GlyphGuides g = alphabetGlyph();
    g.dl = 2;
    g.dr = -1;
    g.ds = 3;
    g.da = -3;
    const auto cells = g.saved({10, 0, 7, 2.5});
    EXPECT_DOUBLE_EQ(cells[0], 0);    // left guide right: left adjustment down
    EXPECT_DOUBLE_EQ(cells[1], -5);
    EXPECT_DOUBLE_EQ(cells[2], 22);   // 7 is not a multiple of 5 and stays exact
    EXPECT_DOUBLE_EQ(cells[3], -12.5);
    GlyphGuides still = alphabetGlyph();
    const auto same = still.saved({3, -4, 0, 1});
    EXPECT_DOUBLE_EQ(same[0], 3);
    EXPECT_DOUBLE_EQ(same[1], -4);
}

#include "opentype/common/Postflight.h"

#include "texenv/TexEnv.h"

#include <gtest/gtest.h>

using namespace qlk;

TEST(Postflight, EncodingsOfTfmNames)
{
    EXPECT_EQ(tfmEncodings({"ly1-abc-regular.tfm", "ot1-abc-regular.tfm", "t1-abc-regular.tfm", "T1-abc-bold.tfm",
                            "t1-abc-regular-lf--base.tfm"},
                           false),
              (QStringList{"ly1", "ot1", "t1"}));
    EXPECT_TRUE(tfmEncodings({}, false).isEmpty());
    // autoinst: <Family>-<Style>-<figures>[-sc]-<enc>.
    EXPECT_EQ(tfmEncodings({"TeXGyrePagella-Regular-lf-t1.tfm", "TeXGyrePagella-Regular-lf-sc-ts1.tfm",
                            "TeXGyrePagella-Bold-osf-T1--base.tfm", "TeXGyrePagella-Regular-tlf-ly1.tfm"},
                           true),
              (QStringList{"t1", "ts1", "ly1"}));
}

TEST(Postflight, UsageBlockLines)
{
    const QStringList block = usageBlock({"ly1", "ot1", "t1"}, "abc", true);
    ASSERT_EQ(block.size(), 6);
    EXPECT_EQ(block.at(0), QStringLiteral("%Available encodings: ly1,ot1,t1"));
    EXPECT_EQ(block.at(3), QStringLiteral("\\usepackage[rm]{abc}"));
    EXPECT_EQ(block.at(4), QStringLiteral("\\usepackage[LY1,OT1,T1]{fontenc}%change so last entry is default encoding"));
    EXPECT_EQ(block.at(5), QStringLiteral("%Copy last 5 lines to your 'Latex font choices' file"));
    EXPECT_EQ(usageBlock({}, "abc", false).at(3), QStringLiteral("\\usepackage{abc}"));
    EXPECT_EQ(usageBlock({}, "abc", false).at(4).left(23), QStringLiteral("\\usepackage[]{fontenc}%"));

    texmfHome = "/h/texmf";
    texmfLocal = "/l/texmf";
    EXPECT_EQ(postflightTfmFolder(0, "v", "abc"), QStringLiteral("/h/texmf/fonts/tfm/v/abc/"));
    EXPECT_EQ(postflightTfmFolder(1, "v", "abc"), QStringLiteral("/l/texmf/fonts/tfm/v/abc/"));
    EXPECT_EQ(postflightTfmFolder(2, "v", "abc"), QStringLiteral("/l/texmf/fonts/tfm/v/abc/"));
    EXPECT_EQ(postflightTfmFolder(5, "v", "abc"), QStringLiteral("/fonts/tfm/v/abc/"));
}

#include "type1/FontinstDrivers.h"

#include <gtest/gtest.h>

using namespace qlk;

namespace {
const char* const kHead = "\\input fontinst.sty\n\\needsfontinstversion{1.933}\n\\recordtransforms{ppl.rec}\n";
const char* const kTail = "\\endrecordtransforms\n\\bye\n";
} // namespace

TEST(FontinstDrivers, FamilyDriverVariants)
{
    struct Case {
        int level;
        bool mono;
        const char* body;
    };
    const Case cases[] = {
        {0, false, "\\latinfamily{ppl}{}\n"},
        {0, true, "\\setint{monowidth}{1}\n\\latinfamily{ppl}{\\hyphenchar\\font=-1}\n"},
        {1, false, "\\latinfamily{pplx}{}\n"},
        // Expert families never get the hyphenation switch.
        {1, true, "\\setint{monowidth}{1}\n\\latinfamily{pplx}{}\n"},
        {2, false, "\\latinfamily{pplx}{}\n\\latinfamily{pplj}{}\n"},
        {2, true, "\\setint{monowidth}{1}\n\\latinfamily{pplx}{}\n\\latinfamily{pplj}{}\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " mono " << c.mono);
        const QString text = familyDriverText(QStringLiteral("ppl"), c.mono, c.level);
        EXPECT_EQ(text, QString::fromLatin1(kHead) + QString::fromLatin1(c.body) + QString::fromLatin1(kTail));
        EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    }
    EXPECT_EQ(familyDriverName(QStringLiteral("ppl")), QStringLiteral("ppl-drv.tex"));
}

TEST(FontinstDrivers, UtilityDriver)
{
    EXPECT_EQ(utilityDriverName(QStringLiteral("ppl")), QStringLiteral("ppl.tex"));
    EXPECT_EQ(utilityDriverText(QStringLiteral("ppl")),
              QStringLiteral("\\input finstmsc.sty\n\\resetstr{PSfontsuffix}{.pfb}\n\\adddriver{dvips}{pplmap}\n"
                             "\\adddriver{pltotf}{pltotf-script}\n\\adddriver{debug}{mapdump.txt}\n"
                             "\\input ppl.rec\n\\donedrivers\n\\bye\n"));
}

TEST(FontinstDrivers, ExpertLevelIsOnlyRaised)
{
    struct Case {
        int start;
        QStringList names;
        int level;
    };
    const Case cases[] = {
        {0, {"pplr8a", "pplri8a"}, 0},
        {0, {"pplr8a", "pplr8x"}, 1},
        {0, {"pplr8X"}, 1},
        {0, {"pplrc8a"}, 2},
        {0, {"pplrcj8a"}, 2},
        {1, {"pplrc8a", "pplr8x"}, 2},
        // A later run without expert fonts keeps what an earlier one found.
        {2, {"pplr8a"}, 2},
        {1, {"pplr8a"}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(raiseExpertLevel(c.start, c.names), c.level) << c.names.join(' ').toStdString();
}

#include "installer/CommandRunner.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace qlk::installer {
namespace {

TEST(InstallerRunner, SplitsAtTheLineEndTheOutputUsesAndDropsTrailingBlankLines)
{
    const QString cr(QChar(13));
    const QString lf(QChar(10));
    struct Case {
        QString output;
        QStringList lines;
    } cases[] = {
        {QString(), {}},
        {"2013" + lf + "2014" + lf + "texmf-local" + lf, {"2013", "2014", "texmf-local"}},
        {"a" + cr + lf + "b" + cr + lf, {"a", "b"}},
        {"a" + cr + "b" + cr, {"a", "b"}},
        // Both characters but never the pair: one element.
        {"x" + cr + "y" + lf + "z", {"x" + cr + "y" + lf + "z"}},
        {"a" + lf + lf + "b" + lf + " \t" + lf + lf, {"a", "", "b"}},
        {lf + "  " + lf + "\t" + lf, {}},
        {"  kept  " + lf, {"  kept  "}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitOutputLines(c.output), c.lines) << c.output.toStdString();
}

TEST(InstallerRunner, AcceptsZeroAnd255AndStopsTheInstallerOnAnyOtherCode)
{
    test::TestEnv env;
    EXPECT_EQ(runCommandLines("echo out; echo err >&2; exit 255"), (QStringList{"out", "err"}));
    EXPECT_TRUE(runCommandLines("true").isEmpty());
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
    EXPECT_EQ(env.takeQuits(), 0);

    bool nextStepRan = false;
    try {
        runCommandLines("echo partial; exit 1");
        nextStepRan = true;
    } catch (const InstallerStopped&) {
    }
    EXPECT_FALSE(nextStepRan);
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_EQ(env.dialogs.messages.first(), "While running command echo partial; exit 1, error code: 1\npartial\n");
    EXPECT_EQ(env.takeQuits(), 1);
}

} // namespace
} // namespace qlk::installer

#include "platform/Process.h"
#include "platform/Quote.h"

#include <gtest/gtest.h>

using qlk::shellQuote;

TEST(ShellQuote, LeavesPlainTextAndQuotesTheRest)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"/usr/bin/kpsewhich", "/usr/bin/kpsewhich"},
        {"ptmr8r", "ptmr8r"},
        {"", "''"},
        {"a b", "'a b'"},
        {"it's", "'it'\\''s'"},
        {"$(touch x)", "'$(touch x)'"},
        {"a;b", "'a;b'"},
        {"-n", "-n"},
        {"~/texmf", "'~/texmf'"},
        {"*.map", "'*.map'"},
        {"a\tb", "'a'$'\\t''b'"}, // no literal TAB: the root scripts split at TABs
    };
    for (const Case& c : cases)
        EXPECT_EQ(shellQuote(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

// Whatever a text holds, bash must see it as one word, unchanged.
TEST(ShellQuote, RoundTripsThroughBash)
{
    const QStringList texts = {QStringLiteral("plain"), QStringLiteral("two words"),
                               QStringLiteral("quote ' and \" both"), QStringLiteral("$(echo hacked)"),
                               QStringLiteral("back`tick`"), QStringLiteral("semi;colon&&and|pipe"),
                               QStringLiteral("Ünïcödé Æsop"), QStringLiteral("new\nline"), QStringLiteral("tab\there"),
                               QStringLiteral("-dash"), QStringLiteral("!bang $HOME \\")};
    for (const QString& t : texts) {
        const qlk::ProcessResult r = qlk::runBash(QStringLiteral("printf '%s' ") + shellQuote(t));
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.output, t);
    }
}

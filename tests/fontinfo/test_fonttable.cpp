#include "Fixtures.h"

#include "fontinfo/FontTable.h"
#include "platform/Desktop.h"
#include "platform/UiHooks.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace qlk;

TEST(EncodingClause, PrefixesBeforeSuffixes)
{
    const struct {
        const char* name;
        const char* clause;
    } cases[] = {
        {"ptmr8t", " encoding t1"},  {"ptmrc8t", " encoding t1"}, {"PTMR8T", " encoding t1"},
        {"ptmr9d", " encoding t1"},  {"ptmr9e", " encoding t1"},  {"ptmr8r", " encoding 8r"},
        {"pplrj8y", " encoding ly1"}, {"pplr9x", " encoding ly1"}, {"LY1-ptmr", " encoding ly1"},
        {"T1-ptmr8r", " encoding t1"}, {"t1-x", " encoding t1"},   {"OT1-ptmr8t", ""},
        {"ptmr7t", ""},              {"ptmr9t", ""},              {"ptmr8c", ""},
        {"", ""},                    {"t", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodingClause(QString::fromUtf8(c.name)), QString::fromUtf8(c.clause)) << c.name;
}

TEST(FontTable, WritesTheDocumentAndOpensNothingWhenPdflatexFails)
{
    test::TestEnv env(false); // pdflatex needs its format from the system's TEXMFSYSVAR
    QStringList opened, reports;
    setDesktopRecorder([&](const QString& action, const QString& path) { opened << action + ' ' + path; });
    uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
    const QString folder = env.root() + QStringLiteral("/work dir");
    env.writeFile(QStringLiteral("work dir/testtable.tex"), "old contents\n");
    // No package zptmmt is installed, so pdflatex stops with an error.
    fontTable(folder, QStringLiteral("zptmmt"));
    EXPECT_EQ(test::fileLinesOf(folder + QStringLiteral("/testtable.tex")),
              (QStringList{QStringLiteral("\\documentclass{article}"), QStringLiteral("\\usepackage{lmodern}"),
                           QStringLiteral("\\usepackage{fonttable}"), QStringLiteral("\\pagestyle{empty}"),
                           QStringLiteral("\\parindent0pt"), QStringLiteral("\\usepackage[lite]{zptmmt}"),
                           QStringLiteral("\\usepackage[TS1,T1]{fontenc}"), QStringLiteral("\\begin{document}"),
                           QStringLiteral("Font table for zptmmtmit"), QStringLiteral("\\fonttable{zptmmtmit}"),
                           QStringLiteral("\\newpage"), QStringLiteral("Font table for zptmmtmbt"),
                           QStringLiteral("\\fonttable{zptmmtmbt}"), QStringLiteral("\\end{document}")}));
    EXPECT_EQ(reports.size(), 1);
    EXPECT_TRUE(opened.isEmpty());
}

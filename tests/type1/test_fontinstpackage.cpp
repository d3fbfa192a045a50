#include "type1/FontinstMake.h"
#include "type1/FontinstPackage.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace qlk;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

TEST(FontinstPackage, SpellPrefix)
{
    struct Case {
        QString prefix;
        bool ok;
        QString spelled;
    };
    const Case cases[] = {
        {"ppl", true, "ppl"}, {"ad2", true, "adtwo"}, {"PPL", true, "ppl"}, {"a09", true, "azeronine"},
        // Anything else would break the control word \<spelled>@@scale.
        {"p-l", false, ""}, {"p_l", false, ""}, {"p@l", false, ""}, {"p{l", false, ""},
        {"p\\l", false, ""}, {QString::fromUtf8("p\u00e9l"), false, ""}, {"p l", false, ""},
    };
    for (const Case& c : cases) {
        QString spelled;
        EXPECT_EQ(spellPrefix(c.prefix, &spelled), c.ok) << c.prefix.toStdString();
        if (c.ok) {
            EXPECT_EQ(spelled, c.spelled);
        }
    }
}

TEST(FontinstPackage, ScaleHook)
{
    const ScaleHook ppl = makeScaleHook("ppl", "ppl");
    EXPECT_EQ(ppl.hook, "\\expandafter\\ifx\\csname ppl@scale\\endcsname\\relax\n"
                        "\\let\\ppl@@scale\\@empty\\else\\edef\\ppl@@scale{s*[\\csname ppl@scale\\endcsname]}\\fi\n");
    EXPECT_EQ(ppl.sizePrefix, " \\ppl@@scale ");
    const ScaleHook ad2 = makeScaleHook("ad2", "adtwo");
    EXPECT_EQ(ad2.hook.section('\n', 1, 1),
              "\\let\\adtwo@@scale\\@empty\\else\\edef\\adtwo@@scale{s*[\\csname ad2@scale\\endcsname]}\\fi");
}

TEST(FontinstPackage, StyleFileByFigureSets)
{
    const QDate date(2013, 5, 4);
    const QString two = styleFileText("Palatino", "ppl", "Palatino", 2, date);
    EXPECT_EQ(two, "\\NeedsTeXFormat{LaTeX2e}\n"
                   "\\ProvidesPackage{Palatino}[2013/05/04 v1 Palatino]\n"
                   "\\RequirePackage[T1]{fontenc}\n"
                   "\\RequirePackage{textcomp}\n"
                   "\\RequirePackage{xkeyval}%\n"
                   "\\define@key{Palatino.sty}{scaled}[1.0]{%\n"
                   "\\expandafter\\def\\csname ppl@scale\\endcsname {#1}}%\n"
                   "\\define@key{Palatino.sty}{leading}[1.0]{%\n"
                   "\\linespread{#1}}\n"
                   "\\def\\sty@suffix{}\n"
                   "\\define@boolkey{Palatino.sty}[sty@]{osf}[true]{\\ifsty@osf \\def\\sty@suffix{j}\\fi}%\n"
                   "\\define@boolkey{Palatino.sty}[sty@]{lining}[true]{\\ifsty@lining \\def\\sty@suffix{x}\\fi}%\n"
                   "\\def\\sty@suffix{j}\n"
                   "\\ExecuteOptionsX{scaled}%\n"
                   "\\ProcessOptionsX\\relax%\n"
                   "\\renewcommand*{\\rmdefault}{ppl\\sty@suffix}\n"
                   "\\endinput\n");
    struct Case {
        int sets;
        int lines;
        QString suffixLine;
    };
    for (const Case& c : {Case{0, 14, ""}, Case{3, 14, ""}, Case{-1, 14, ""}, Case{1, 16, "\\def\\sty@suffix{x}"},
                          Case{2, 17, "\\def\\sty@suffix{j}"}}) {
        const QStringList lines = styleFileText("F", "ppl", "F", c.sets, date).split('\n');
        EXPECT_EQ(lines.size() - 1, c.lines) << c.sets; // the text ends with LF
        EXPECT_EQ(lines.at(lines.size() - 6) == c.suffixLine, !c.suffixLine.isEmpty()) << c.sets;
    }
}

TEST(FontinstPackage, FdRewriteCases)
{
    const ScaleHook h = makeScaleHook("ppl", "ppl");
    const QString H = h.hook;
    struct Case {
        const char* name;
        QString in;
        FdRewrite result;
        QString out;
    };
    const Case cases[] = {
        {"fontinst shapes",
         "%head\n\\DeclareFontFamily{T1}{ppl}{}\n\\DeclareFontShape{T1}{ppl}{m}{n}{<-> pplr8t}{}\n"
         "\\DeclareFontShape{T1}{ppl}{b}{n}{<-> ssub * ppl/bx/n}{}\n",
         FdRewrite::OK,
         "%head\n\n" + H +
             "\\DeclareFontFamily{T1}{ppl}{}\n\\DeclareFontShape{T1}{ppl}{m}{n}{<-> \\ppl@@scale  pplr8t}{}\n"
             "\\DeclareFontShape{T1}{ppl}{b}{n}{<-> ssub * ppl/bx/n}{}\n\n"},
        {"no > at all", "\\DeclareFontFamily{T1}{ppl}{}", FdRewrite::OK, "\n" + H + "\\DeclareFontFamily{T1}{ppl}{}\n"},
        {"each size of a list", "\\DeclareFontFamily{x}<5> <6> a", FdRewrite::OK,
         "\n" + H + "\\DeclareFontFamily{x}<5> \\ppl@@scale  <6> \\ppl@@scale  a\n"},
        {"slash on the next line", "\\DeclareFontFamily{x}<-> a\n% see b/c\n", FdRewrite::OK,
         "\n" + H + "\\DeclareFontFamily{x}<-> a\n% see b/c\n\n"},
        {"no family", "\\DeclareFontShape{T1}{ppl}{m}{n}{<-> pplr8t}{}\n", FdRewrite::NoFamily, ""},
        {"family in a comment too", "%\\DeclareFontFamily\n\\DeclareFontFamily{T1}{ppl}{}\n",
         FdRewrite::SeveralFamilies, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString out;
        EXPECT_EQ(rewriteFdText(c.in, h, &out), c.result);
        if (c.result == FdRewrite::OK) {
            EXPECT_EQ(out, c.out);
            // A second Make leaves a rewritten file alone.
            QString again;
            EXPECT_EQ(rewriteFdText(out, h, &again), FdRewrite::OK);
            EXPECT_EQ(again, out);
        }
    }
}

TEST(FontinstPackage, FdFileLeftAloneWhenRefused)
{
    test::TestEnv env;
    const ScaleHook h = makeScaleHook("ppl", "ppl");
    const QByteArray bad = "\\DeclareFontShape{T1}{ppl}{m}{n}{<-> pplr8t}{}\n";
    const QString path = env.writeFile("w/t1ppl.fd", bad);
    EXPECT_EQ(rewriteFdFile(path, h), FdRewrite::NoFamily);
    EXPECT_EQ(test::readBytes(path), bad);
    EXPECT_EQ(rewriteFdFile(env.root() + "/w/missing.fd", h), FdRewrite::Failed);
}

TEST(FontinstMakeCommands, CommandLines)
{
    const MakeCommands c("/tmp/a b/tmp1234567", "my foundry", "Minion");
    const QString cd = "cd '/tmp/a b/tmp1234567' && ";
    const QString pltotf = shellQuote(texProgram("pltotf"));
    EXPECT_EQ(c.tdsSuffix(), "/my foundry/Minion");
    struct Case {
        const char* name;
        QStringList script;
        QString command;
    };
    const Case cases[] = {
        {"two commands", {"pltotf a.pl a.tfm", "pltotf b.pl b.tfm"},
         cd + pltotf + " a.pl a.tfm && " + pltotf + " b.pl b.tfm"},
        {"comments and other lines dropped", {"% made by fontinst", "  PLTOTF x.pl x.tfm", "rm -rf /", "\\bye"},
         cd + pltotf + " x.pl x.tfm"},
        {"shell text stays an argument", {"pltotf $(touch${IFS}x).pl b;c.tfm"},
         cd + pltotf + " '$(touch${IFS}x).pl' 'b;c.tfm'"},
        {"nothing to run", {"pltotf", "pltotf a.pl", "pltotf a b c"}, ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(c.pltotf(k.script), k.command) << k.name;

    EXPECT_EQ(c.renameMap("pmn"), cd + shellQuote(systemProgram("mv")) + " -f -- pmnmap.tex Minion.map");
    const QString mkdir = c.makeTdsFolders();
    EXPECT_TRUE(mkdir.startsWith(cd + shellQuote(systemProgram("mkdir")) + " -p -- 'TDS/fonts/afm/my foundry/Minion' "));
    EXPECT_EQ(mkdir.count("TDS/"), 10);
    EXPECT_EQ(c.t1binary("ptmr8a.pfa"), cd + shellQuote(texProgram("t1binary")) + " ptmr8a.pfa ptmr8a.pfb");
    const QString moves = c.moveIntoTree();
    EXPECT_TRUE(moves.startsWith(cd + "{ "));
    EXPECT_TRUE(moves.contains(" -f -- *.fd 'TDS/tex/latex/my foundry/Minion'; "));
    EXPECT_TRUE(moves.contains(" -f -- *.sty 'TDS/tex/latex/my foundry/Minion'; }"));
}

TEST(FontinstMakeCommands, TestMapName)
{
    struct Case {
        const char* name;
        QStringList maps; // below TEXMFVAR/fonts/map/dvips
        QString result;
        bool several;
    };
    const QStringList updmap{"updmap/builtin.map", "updmap/download35.map", "updmap/ps2pk.map",
                             "updmap/psfonts.map", "updmap/psfonts_pk.map", "updmap/psfonts_t1.map"};
    const Case cases[] = {
        {"none", {}, "Minion.map", false},
        {"only updmap's output", updmap, "Minion.map", false},
        {"one package map", QStringList(updmap) << "abc/xyz.map", "xyz.map", false},
        {"two package maps", {"abc/xyz.map", "def/uvw.map"}, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        for (const QString& m : c.maps)
            env.writeFile("var/fonts/map/dvips/" + m, "x");
        bool several = false;
        EXPECT_EQ(testMapName(env.root() + "/var", "Minion", &several), c.result);
        EXPECT_EQ(several, c.several);
    }
}

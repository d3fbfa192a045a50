#include "fontinfo/FdReaders.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace qlk;

TEST(FdReaders, RealPsnfssTimes)
{
    const QString fd = test::texFile(QStringLiteral("t1ptm.fd"));
    ASSERT_FALSE(fd.isEmpty());
    EXPECT_EQ(fdRegularFont(fd), QStringLiteral("ptmr8t"));
    EXPECT_EQ(fdBoldFonts(fd, QStringLiteral("m"), QStringLiteral("n")), QStringList{QStringLiteral("ptmr8t")});
    EXPECT_EQ(fdBoldFonts(fd, QStringLiteral("m"), QStringLiteral("it")), QStringList{QStringLiteral("ptmri8t")});
    // bx/n is a substitution: only b/n gives a name.
    EXPECT_EQ(fdBoldFonts(fd, QStringLiteral("b"), QStringLiteral("n")), QStringList{QStringLiteral("ptmb8t")});
    EXPECT_EQ(fdBoldFonts(fd, QStringLiteral("sb"), QStringLiteral("n")), QStringList());
}

TEST(FdReaders, ShapeEntriesInTheirManyWritings)
{
    test::TestEnv env;
    const struct {
        const char* fd;
        const char* regular;
        const char* boldN; // fdBoldFonts(fd, "b", "n"), joined by "|"
        const char* italic; // fdBoldFonts(fd, "m", "it")
    } cases[] = {
        // A substitution first, then r/n.
        {"\\DeclareFontShape{T1}{ptm}{m}{n}{<-> ssub * ptm/r/n}{}\n"
         "\\DeclareFontShape{T1}{ptm}{r}{n}{<-> ptmr8t}{}\n",
         "ptmr8t", "", ""},
        // Slanted before upright: never the slanted one.
        {"\\DeclareFontShape{T1}{ptm}{m}{sl}{<-> ptmro8t}{}\n"
         "\\DeclareFontShape{T1}{ptm}{m}{n}{<-> ptmr8t}{}\n",
         "ptmr8t", "", ""},
        // Over several lines, without a blank after ">", with scaling.
        {"\\DeclareFontShape{T1}{ptm}{m}{n}{\n   <->ptmr8t\n}{}\n"
         "\\DeclareFontShape{T1}{ptm}{b}{n}{\n  <-> s * [1.05] ptmb8t\n}{}\n"
         "\\DeclareFontShape{T1}{ptm}{bx}{n}{<-> ptmb8tx}{}\n\\endinput\n",
         "ptmr8t", "ptmb8t|ptmb8tx", ""},
        // A size list, capitals, sizes in a range list.
        {"\\DeclareFontShape{OT1}{cmr}{M}{N}{<5> <6> <7> <8> <9> <10> <12> cmr10}{}\n"
         "\\DeclareFontShape{OT1}{cmr}{B}{N}{<-6> cmb5 <6-7> cmb6 <7-> cmb7}{}\n",
         "cmr10", "cmb7", ""},
        // An italic that is only a substitution; a commented-out entry still counts.
        {"%\\DeclareFontShape{T1}{x}{m}{n}{<-> commented}{}\n"
         "\\DeclareFontShape{T1}{x}{m}{it}{<-> sub * x/m/sl}{}\n",
         "commented", "", ""},
        // Fewer than five fields, and no entries at all.
        {"\\DeclareFontShape{T1}{x}{m}\n", "", "", ""},
        {"\\DeclareFontFamily{T1}{x}{}\n", "", "", ""},
        {"\\declarefontshape{T1}{x}{l}{n}{<-> lower}{}\n"
         "\\DeclareFontShape{T1}{x}{sb}{n}{<-> semi}{}\n"
         "\\DeclareFontShape{T1}{x}{k}{it}{<-> book-it}{}\n",
         "lower", "semi", "book-it"},
    };
    int i = 0;
    for (const auto& c : cases) {
        const QString fd = env.writeFile(QStringLiteral("fd%1.fd").arg(i++), c.fd);
        EXPECT_EQ(fdRegularFont(fd), QString::fromUtf8(c.regular)) << c.fd;
        EXPECT_EQ(fdBoldFonts(fd, QStringLiteral("b"), QStringLiteral("n")).join(QLatin1Char('|')),
                  QString::fromUtf8(c.boldN))
            << c.fd;
        EXPECT_EQ(fdBoldFonts(fd, QStringLiteral("m"), QStringLiteral("it")).join(QLatin1Char('|')),
                  QString::fromUtf8(c.italic))
            << c.fd;
        EXPECT_TRUE(fdBoldFonts(fd, QStringLiteral("x"), QStringLiteral("n")).isEmpty());
    }
    EXPECT_EQ(fdRegularFont(env.root() + QStringLiteral("/missing.fd")), QString());
}

TEST(PlFontNames, MapFontEntriesInOrder)
{
    test::TestEnv env;
    const QString vpl = env.writeFile(
        QStringLiteral("a.vpl"),
        "(MAPFONT D 0\n   (FONTNAME ptmr8r)\n   (FONTAT R 1.0)\n   )\n(MAPFONT D 1\n   (FONTNAME psyr)\n   )\n"
        "(MAPFONT D 2\n   (FONTNAME ptmr8r)\n   )\n(CHARACTER C A\n   )\n");
    EXPECT_EQ(plFontNames(vpl), (QStringList{QStringLiteral("ptmr8r"), QStringLiteral("psyr"),
                                             QStringLiteral("ptmr8r")}));
    const QString pl = env.writeFile(QStringLiteral("b.pl"), "(DESIGNSIZE R 10.0)\n(CHARACTER C A\n   )\n");
    EXPECT_TRUE(plFontNames(pl).isEmpty());
    EXPECT_TRUE(plFontNames(env.writeFile(QStringLiteral("c.vpl"), "")).isEmpty());
    EXPECT_TRUE(plFontNames(env.root() + QStringLiteral("/missing.vpl")).isEmpty());
    // A damaged entry without ")" gives its line's name, nothing more.
    EXPECT_EQ(plFontNames(env.writeFile(QStringLiteral("d.vpl"), "(FONTNAME broken\n(CHARACTER C A\n")),
              QStringList{QStringLiteral("broken")});
}

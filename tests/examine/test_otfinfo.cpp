#include "fontinfo/OtfInfo.h"

#include "Print.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "support/TestEnv.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace qlk;

TEST(OtfInfo, ListsFromRecordedOutput)
{
    // As otfinfo prints them for lmroman10-regular.otf, trimmed by the runner.
    const QString scripts = QStringLiteral("DFLT\t\tDefault\ncyrl\t\tCyrillic\nlatn\t\tLatin\n"
                                           "latn.AZE\tLatin/Azeri\n\nno separator here");
    EXPECT_EQ(otfScriptRows(scripts),
              (QList<QStringList>{{"DFLT", "Default"}, {"cyrl", "Cyrillic"}, {"latn", "Latin"},
                                  {"latn.AZE", "Latin/Azeri"}}));
    const QString tables = QStringLiteral("61140 CFF\n  39178 GPOS\n     96 OS/2\n   12  head\nlonely");
    EXPECT_EQ(otfTableRows(tables),
              (QList<QStringList>{{"61140", "CFF"}, {"39178", "GPOS"}, {"96", "OS/2"}, {"12", ""}}));
    EXPECT_EQ(otfFeatureRows(QStringLiteral("aalt\tAccess All Alternates\nkern\tKerning\n")),
              (QList<QStringList>{{"aalt", "Access All Alternates"}, {"kern", "Kerning"}}));
    EXPECT_TRUE(otfHasCff(tables));
    EXPECT_TRUE(otfHasCff(QStringLiteral("100 cff2")));
    EXPECT_FALSE(otfHasCff(QStringLiteral("100 glyf\n20 loca")));
}

TEST(OtfInfo, OnlyOtfExtensionsAreTaken)
{
    const QList<QPair<QString, bool>> cases{{"Minion.otf", true},  {"Minion.OTF", true},
                                            {"otf", true},         {"Minion.otf.bak", false},
                                            {"Minion.ttf", false}, {"Minion", false},
                                            {"a.b.otf", true},     {".otf", true}};
    for (const auto& c : cases)
        EXPECT_EQ(isOtfName(c.first), c.second) << c.first.toStdString();
}

TEST(OtfInfo, CommandKeepsFolderAndNameAsData)
{
    test::TestEnv env;
    // A stand-in otfinfo that shows where it ran and what it was given.
    env.writeScript(QStringLiteral("bin/otfinfo"), QStringLiteral("pwd; printf '[%s]\\n' \"$@\"\n"));
    setTexbinForTesting(env.root() + QStringLiteral("/bin"));
    const QString folder = env.root() + QStringLiteral("/it's a folder; touch x");
    QDir().mkpath(folder);
    const ProcessResult r =
        runBash(otfinfoCommand(folder, QStringLiteral("-p"), QStringLiteral("-odd $(name).otf")));
    EXPECT_EQ(r.output, folder + QStringLiteral("\n[-p]\n[./-odd $(name).otf]\n"));
    // Nothing runs when the folder cannot be entered.
    const ProcessResult gone = runBash(otfinfoCommand(env.root() + QStringLiteral("/gone"), QStringLiteral("-p"),
                                                      QStringLiteral("a.otf")));
    EXPECT_NE(gone.exitCode, 0);
    EXPECT_TRUE(gone.output.isEmpty());
}

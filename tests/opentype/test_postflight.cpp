#include "opentype/common/Postflight.h"

#include "platform/Process.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QRegularExpression>

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

TEST(Postflight, TheTextEncodingGoesLastInFontenc)
{
    struct Case {
        QStringList encodings;
        QString text;
        QStringList order;
    };
    const QList<Case> cases{
        {{"t1", "ts1"}, "T1", {"TS1", "T1"}},
        {{"ts1", "t1"}, "T1", {"TS1", "T1"}},
        {{"ly1", "ot1", "t1"}, "OT1", {"LY1", "T1", "OT1"}},
        {{"ly1", "ot1", "t1"}, "LY1", {"OT1", "T1", "LY1"}},
        // The chosen encoding has no fonts: T1 before LY1 before OT1, never TS1.
        {{"t1", "ts1"}, "LY1", {"TS1", "T1"}},
        {{"ot1", "ly1"}, "T1", {"OT1", "LY1"}},
        {{"ts1", "oml"}, "", {"TS1", "OML"}},
        {{"ts1"}, "T1", {"TS1"}},
        {{}, "T1", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fontencOrder(c.encodings, c.text), c.order) << c.encodings.join(',').toStdString();
    EXPECT_EQ(textEncodingOf(false, true, false), QStringLiteral("T1"));
    EXPECT_EQ(textEncodingOf(true, true, true), QStringLiteral("OT1"));
    EXPECT_EQ(textEncodingOf(false, false, true), QStringLiteral("LY1"));
    EXPECT_EQ(textEncodingOf(false, false, false), QStringLiteral("OT1"));
}

TEST(Postflight, OptionsAreThoseThePackageDeclares)
{
    // As autoinst writes them, for a family with and without oldstyle figures.
    const QString withOsf = "\\RequirePackage{xkeyval}\n"
                            "\\DeclareOptionX{scale}{\\renewcommand*{\\X@scale}{#1}}\n"
                            "\\DeclareOptionX{scaled}{\\renewcommand*{\\X@scale}{#1}}\n"
                            "\\DeclareOptionX{lining}{\\edef\\X@figurestyle{LF}}\n"
                            "\\DeclareOptionX{oldstyle}{\\edef\\X@figurestyle{OsF}}\n"
                            "\\DeclareOptionX{mainfont}{\n    \\renewcommand{\\familydefault}{\\rmdefault}\n}\n"
                            "\\ExecuteOptionsX{oldstyle,proportional}\n\\ProcessOptionsX\\relax\n";
    EXPECT_EQ(styOptions(withOsf), (QStringList{"scale", "scaled", "lining", "oldstyle (default)", "mainfont"}));
    const QString liningOnly = "\\DeclareOptionX{lining}{}\\DeclareOptionX{tabular}{}\n"
                               "\\ExecuteOptionsX{ lining , tabular}\n";
    EXPECT_EQ(styOptions(liningOnly), (QStringList{"lining (default)", "tabular (default)"}));
    EXPECT_EQ(styOptions("\\define@key{abc.sty}{scaled}[1.0]{}\\define@key{abc.sty}{rm}[]{}\\DeclareOption{draft}{}"),
              (QStringList{"scaled", "rm", "draft"}));
    EXPECT_TRUE(styOptions("\\ProvidesPackage{x}\n").isEmpty());
    EXPECT_FALSE(otfinstOptions(false).join(' ').contains("oldstyle"));
    EXPECT_TRUE(otfinstOptions(true).contains("oldstyle (default)"));

    UsageFacts otf;
    otf.encodings = {"t1", "ts1"};
    otf.textEncoding = "T1";
    otf.shortname = "abc";
    otf.options = otfinstOptions(true);
    otf.otfinstPackage = true;
    const QStringList block = usageBlock(otf);
    ASSERT_EQ(block.size(), 6);
    EXPECT_EQ(block.at(0), QStringLiteral("%Available encodings: t1,ts1"));
    EXPECT_EQ(block.at(1), QStringLiteral("%Available options: scaled, lining, oldstyle (default), rm(default), sf, tt"));
    EXPECT_TRUE(block.at(2).startsWith("%Available text styles from nfssext-cfr: "));
    EXPECT_EQ(block.at(3), QStringLiteral("\\usepackage[rm]{abc}"));
    EXPECT_EQ(block.at(4), QStringLiteral("\\usepackage[TS1,T1]{fontenc}%change so last entry is default encoding"));
    EXPECT_EQ(block.at(5), QStringLiteral("%Copy last 5 lines to your 'Latex font choices' file"));

    UsageFacts autoinst = otf;
    autoinst.shortname = "Abc";
    autoinst.options = styOptions(liningOnly);
    autoinst.otfinstPackage = false;
    EXPECT_EQ(usageBlock(autoinst),
              (QStringList{"%Available encodings: t1,ts1", "%Available options: lining (default), tabular (default)",
                           "\\usepackage{Abc}", "\\usepackage[TS1,T1]{fontenc}%change so last entry is default encoding",
                           "%Copy last 4 lines to your 'Latex font choices' file"}));
    autoinst.options.clear();
    autoinst.encodings.clear();
    EXPECT_EQ(usageBlock(autoinst).value(2), QStringLiteral("\\usepackage[]{fontenc}%change so last entry is default encoding"));
}

TEST(Postflight, TfmFolders)
{
    texmfHome = "/h/texmf";
    texmfLocal = "/l/texmf";
    EXPECT_EQ(postflightTfmFolder(0, "v", "abc"), QStringLiteral("/h/texmf/fonts/tfm/v/abc/"));
    EXPECT_EQ(postflightTfmFolder(1, "v", "abc"), QStringLiteral("/l/texmf/fonts/tfm/v/abc/"));
    EXPECT_EQ(postflightTfmFolder(2, "v", "abc"), QStringLiteral("/l/texmf/fonts/tfm/v/abc/"));
    EXPECT_EQ(postflightTfmFolder(5, "v", "abc"), QStringLiteral("/fonts/tfm/v/abc/"));
}

// What postflight leaves in the run log after an otfinst package's updmap
// step: the options line as otfinst packages have always printed it, with
// and without oldstyle figures, and no line about a removal that no longer
// happens.
TEST(Postflight, RunLogLinesOfAnOtfinstPackage)
{
    struct Row {
        const char* name;
        QStringList tfms;
        QString text;
        bool present;
    };
    const QString removing = "Removing fonts folder from ";
    const QList<Row> rows{
        {"oldstyle figures", {"t1-abc-regular-osf.tfm", "t1-abc-regular-lf.tfm"},
         "%Available options: scaled, lining, oldstyle (default), rm(default), sf, tt\n", true},
        {"lining figures only", {"t1-abc-regular-lf.tfm"}, "%Available options: scaled, lining (default), rm(default), sf, tt\n",
         true},
        {"no removal named", {"t1-abc-regular-lf.tfm"}, removing, false},
    };
    const QStringList trees{texmfHome, texmfLocal, texmfVar};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEnv env;
        texmfHome = env.texmfHome();
        texmfLocal = env.texmfLocal();
        texmfVar = env.texmfVar();
        const QString tfmFolder = postflightTfmFolder(0, "qlkvendor", "abc");
        for (const QString& tfm : row.tfms)
            env.writeFile(QDir(env.root()).relativeFilePath(tfmFolder + tfm), "tfm");
        openLog(env.home());
        const QString log = logPath();
        postflight("abc", tfmFolder, false, "T1");
        closeLog();
        const QString text = QString::fromUtf8(test::readBytes(log));
        ASSERT_TRUE(text.contains("%Available encodings: t1\n")) << text.toStdString();
        EXPECT_EQ(text.contains(row.text), row.present) << text.toStdString();
        EXPECT_TRUE(env.dialogs.transcript.isEmpty());
    }
    texmfHome = trees.at(0);
    texmfLocal = trees.at(1);
    texmfVar = trees.at(2);
}

// Debian's TeX Live has no ly1enc.def: an LY1 in the fontenc line stops
// every document at "Encoding file `ly1enc.def' not found". The usage
// lines name it only where LaTeX can load it, and Run says so first.
TEST(Postflight, AnEncodingLaTeXLacksStaysOutOfTheFontencLine)
{
    struct Case {
        const char* what;
        bool ly1Installed;
        QString fontenc;
        QStringList notices;
    };
    const QString notice = "Encoding LY1 is not installed here (no ly1enc.def): the fonts are made, but LaTeX cannot "
                           "select them until it is installed, and the usage lines leave it out of the fontenc line.";
    const QList<Case> cases{
        {"no ly1enc.def", false, "\\usepackage[TS1,T1]{fontenc}%change so last entry is default encoding", {notice}},
        {"ly1enc.def in TEXMFHOME", true, "\\usepackage[T1,TS1,LY1]{fontenc}%change so last entry is default encoding",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestEnv env;
        texmfHome = env.texmfHome();
        texmfLocal = env.texmfLocal();
        if (c.ly1Installed)
            env.writeFile("home/texmf/tex/latex/enc/ly1enc.def", "\\ProvidesFile{ly1enc.def}\n");
        else
            ASSERT_TRUE(runBash("kpsewhich ly1enc.def").output.trimmed().isEmpty()) << "ly1enc.def is installed here";
        openLog(env.home());
        noteMissingEncodings({"TS1", "T1", "LY1"});
        EXPECT_EQ(env.dialogs.messages, c.notices);

        const QString tfm = env.root() + "/tfm";
        for (const char* name : {"Abc-Regular-lf-t1.tfm", "Abc-Regular-lf-ts1.tfm", "Abc-Regular-lf-ly1.tfm"})
            env.writeFile(QString("tfm/") + name, "");
        postflight("Abc", tfm, true, "LY1");
        closeLog();
        const QStringList log = readTextFile(env.home() + "/QLKlogfile.txt").split('\n');
        const qsizetype at = log.indexOf(QRegularExpression("^%Available encodings: .*"));
        ASSERT_GE(at, 0);
        EXPECT_EQ(log.value(at + 2), c.fontenc);
        EXPECT_EQ(log.contains("Encoding LY1 is left out of the fontenc line: ly1enc.def is not installed here."),
                  !c.ly1Installed);
    }
}

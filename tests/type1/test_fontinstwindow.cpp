#include "FontinstFixture.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/FontNames.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "texenv/FinishInstall.h"
#include "type1/FontinstDrivers.h"
#include "type1/FontinstProcess.h"

#include <functional>

using namespace qlk;
using namespace qlk::test;

namespace {
using FontinstWindowTest = FontinstFixture;
}

TEST_F(FontinstWindowTest, MenuOpensWindowWithLocationFromMethod)
{
    struct Case {
        int method;
        bool localOn, localEnabled, homeOn, homeEnabled;
    };
    for (const Case& c : {Case{0, false, false, true, true}, Case{1, true, true, false, false},
                          Case{2, false, true, false, true}}) {
        SCOPED_TRACE(c.method);
        setpref("method", c.method);
        open();
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowTitle(), "Fontinst Helper");
        EXPECT_EQ(w->RadioButton2[0]->isChecked(), c.localOn);
        EXPECT_EQ(w->RadioButton2[0]->isEnabled(), c.localEnabled);
        EXPECT_EQ(w->RadioButton2[1]->isChecked(), c.homeOn);
        EXPECT_EQ(w->RadioButton2[1]->isEnabled(), c.homeEnabled);
        EXPECT_EQ(w->RadioButton2[1]->toolTip(), texmfHome);
        EXPECT_EQ(w->RadioButton2[0]->toolTip(), texmfLocal);
        EXPECT_FALSE(w->PushButton3->isEnabled());
        EXPECT_FALSE(w->PushButton4->isEnabled());
        EXPECT_FALSE(w->PushButton2->isEnabled());
        EXPECT_TRUE(w->PushButton5->isEnabled());
        w->close();
        QApplication::processEvents();
        EXPECT_FALSE(w);
    }
    // The explanation comes in one message box.
    open();
    w->PushButton1->click();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Drop a folder of afm and pfb.pfa files"));
}

TEST_F(FontinstWindowTest, DropProcessAndRealFontinstRuns)
{
    setpref("method", 0);
    open();
    const QString folder = vendorFolder();
    w->Listbox1_DropObject({folder});
    const QStringList expectedRows{"p052003l.afm", "p052004l.afm", "p052023l.afm", "p052024l.afm",
                                   "p052003l.pfb", "p052004l.pfb", "p052023l.pfb", "p052024l.pfb"};
    EXPECT_EQ(rows(), expectedRows);
    EXPECT_EQ(w->TextField3->text(), "upl");
    EXPECT_EQ(w->TextField1[0]->text(), supplierName("u"));
    EXPECT_EQ(w->TextField1[0]->text(), "urw");
    EXPECT_EQ(w->TextField1[1]->text(), "URWPalladioL");
    EXPECT_TRUE(w->PushButton3->isEnabled());
    EXPECT_FALSE(w->PushButton4->isEnabled());
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(rows(), expectedRows);
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());

    TermRecorder term;
    QStringList atFirstRun;
    setBundleScriptRunner([&](const QString& script, const QStringList& args) {
        if (term.commands.isEmpty())
            atFirstRun = files(tdsFolder);
        term.commands << script + ": " + args.value(0);
        const ProcessResult r = runBash(args.value(0), 120000);
        return ScriptResult{r.exitCode, r.output};
    });
    w->PushButton3->click();
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();

    const QStringList work = workFolders();
    ASSERT_EQ(work.size(), 1);
    const QString W = documentsFolder() + "/" + work.first();
    EXPECT_EQ(tdsFolder, W);
    EXPECT_EQ(w->job.tmpfname, work.first());
    EXPECT_EQ(atFirstRun, (QStringList{"QLKlogfile.txt", "upl-drv.tex", "upl.tex", "uplb8a.afm", "uplb8a.pfb",
                                       "uplbi8a.afm", "uplbi8a.pfb", "uplr8a.afm", "uplr8a.pfb", "uplri8a.afm",
                                       "uplri8a.pfb"}));
    EXPECT_EQ(readBytes(W + "/upl-drv.tex"),
              "\\input fontinst.sty\n\\needsfontinstversion{1.933}\n\\recordtransforms{upl.rec}\n"
              "\\latinfamily{upl}{}\n\\endrecordtransforms\n\\bye\n");
    EXPECT_EQ(readBytes(W + "/upl.tex"), utilityDriverText("upl").toUtf8());
    EXPECT_EQ(readBytes(W + "/uplr8a.pfb"), readBytes(folder + "/p052003l.pfb"));
    // Family run first; the utility run after it has ended.
    const QString cd = "sudoterm.sh: cd " + shellQuote(W) + " && " + shellQuote(texProgram("tex")) + " ";
    EXPECT_EQ(term.commands, (QStringList{cd + "upl-drv.tex", cd + "upl.tex"}));
    for (const char* made : {"upl.rec", "uplmap.tex", "pltotf-script.tex", "t1upl.fd"})
        EXPECT_TRUE(QFileInfo::exists(W + "/" + made)) << made;
    EXPECT_EQ(w->TextField2->text(), "Created " + work.first() + " for fontinst...prep done...");
    EXPECT_TRUE(w->PushButton4->isEnabled());
    EXPECT_FALSE(w->PushButton2->isEnabled());
    EXPECT_EQ(w->TextField1[1]->text(), "URWPalladioL");
    EXPECT_EQ(w->job.FontFamilyFull, "URW Palladio L");
    EXPECT_EQ(w->job.berryname, "upl");
    EXPECT_EQ(w->job.bblist, (QStringList{"uplr8a", "uplb8a", "uplri8a", "uplbi8a"}));
}

// Each stop shows its message, leaves Make as it was and hands nothing to
// tex; a refusal writes nothing into Documents.
TEST_F(FontinstWindowTest, ProcessStopsOnBadInput)
{
    struct Case {
        const char* name;
        std::function<QStringList(FontinstFixture&)> drop; // paths to drop
        QString prefix;                                    // typed before Process
        QString message;
    };
    auto pair = [](FontinstFixture& f, const QString& berry, const QString& dir) {
        f.copyTexFile(berry + ".afm", dir + "/" + berry + ".afm");
        f.copyTexFile(berry + ".pfb", dir + "/" + berry + ".pfb");
        return f.env.root() + "/" + dir;
    };
    auto withTfm = [](FontinstFixture& f) {
        f.copyTexFile("uplr8a.pfb", "t/uplr8a.pfb");
        f.env.writeFile("t/uplr8a.tfm", "tfm");
        return QStringList{f.env.root() + "/t"};
    };
    const QString letters = QString::fromLatin1(kPrefixLettersMessage);
    const Case cases[] = {
        {"only AFMs",
         [](FontinstFixture& f) { return QStringList{f.copyTexFile("uplr8a.afm", "a/uplr8a.afm")}; }, "",
         "No font files provided---bailing out."},
        {"unknown name",
         [](FontinstFixture& f) { return QStringList{f.env.writeFile("u/qqzzyy.pfb", "x")}; }, "",
         "The name 'qqzzyy' is not recognized as either a Berry name or a known file name.\nMust bail out!"},
        {"AFM without FontName",
         [&pair](FontinstFixture& f) {
             const QString dir = pair(f, "uplr8a", "n");
             QByteArray afm = readBytes(dir + "/uplr8a.afm");
             afm.replace("FontName URWPalladioL-Roma\n", "");
             f.env.writeFile("n/uplr8a.afm", afm);
             return QStringList{dir};
         },
         "", "Unable to find a FontName entry in uplr8a.afm"},
        {"PostScript name that breaks a map line",
         [&pair](FontinstFixture& f) {
             const QString dir = pair(f, "uplr8a", "q");
             QByteArray afm = readBytes(dir + "/uplr8a.afm");
             afm.replace("FontName URWPalladioL-Roma\n", "FontName q(z)\n");
             f.env.writeFile("q/uplr8a.afm", afm);
             return QStringList{dir};
         },
         "",
         "The PostScript name q(z) in uplr8a.afm cannot go into a map file (blanks, ( ) < > [ ] { } / % \" \\ or "
         "characters outside ASCII)."},
        {"two prefixes",
         [&pair](FontinstFixture& f) { return QStringList{pair(f, "uplr8a", "p"), pair(f, "utmr8a", "p")}; }, "",
         "The first 3 letters in the AFM filenames are not consistent---cannot use \\latinfamily"},
        {"four letters", withTfm, "uplx", kPrefixLengthMessage},
        {"path in prefix", withTfm, "../", letters},
        {"blank in prefix", withTfm, "a b", letters},
        {"shell in prefix", withTfm, "x;y", letters},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FontinstFixture::TearDown();
        env.dialogs.transcript.clear();
        env.dialogs.messages.clear();
        QDir(documentsFolder()).removeRecursively();
        closeLog();
        FontinstFixture::SetUp();
        TermRecorder term;
        open();
        w->Listbox1_DropObject(c.drop(*this));
        if (!c.prefix.isEmpty())
            w->TextField3->setText(c.prefix);
        EXPECT_FALSE(w->process());
        EXPECT_EQ(env.dialogs.messages, QStringList{c.message});
        EXPECT_TRUE(term.commands.isEmpty());
        EXPECT_FALSE(w->PushButton4->isEnabled());
        EXPECT_EQ(QDir(documentsFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{});
        EXPECT_EQ(w->TextField2->text(), "");
    }
}

TEST_F(FontinstWindowTest, FailedTexRunKeepsMakeDisabled)
{
    open();
    copyTexFile("uplr8a.afm", "f/uplr8a.afm");
    copyTexFile("uplr8a.pfb", "f/uplr8a.pfb");
    w->Listbox1_DropObject({env.root() + "/f"});
    TermRecorder term;
    term.status = 1;
    EXPECT_FALSE(w->process());
    ASSERT_EQ(term.commands.size(), 1);
    EXPECT_TRUE(term.commands.first().endsWith(" upl-drv.tex"));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith(
        "The fontinst run of the family driver upl-drv.tex failed (exit status 1)"));
    EXPECT_FALSE(w->PushButton4->isEnabled());
    EXPECT_FALSE(w->TextField2->text().endsWith("...prep done..."));

    // Runs that report success but leave nothing behind are no success either.
    env.dialogs.messages.clear();
    term.commands.clear();
    term.status = 0;
    EXPECT_FALSE(w->process());
    EXPECT_EQ(term.commands.size(), 2);
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith(
        "The fontinst runs did not make upl.rec, uplmap.tex, pltotf-script.tex in "));
    EXPECT_FALSE(w->PushButton4->isEnabled());
    EXPECT_EQ(workFolders().size(), 2);
}

TEST_F(FontinstWindowTest, WorkFolderThatCannotBeMadeStops)
{
    open();
    w->Listbox1_DropObject({copyTexFile("uplr8a.pfb", "h/uplr8a.pfb"), copyTexFile("uplr8a.afm", "h/uplr8a.afm")});
    const QString documents = documentsFolder();
    QDir(documents).removeRecursively();
    env.writeFile(QDir(env.root()).relativeFilePath(documents), "a file, not a folder");
    tdsFolder = "/earlier/job";
    TermRecorder term;
    EXPECT_FALSE(w->process());
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Unable to create a work folder in "));
    EXPECT_EQ(tdsFolder, "/earlier/job");
    EXPECT_TRUE(term.commands.isEmpty());
    EXPECT_FALSE(w->PushButton4->isEnabled());
}

// The first AFM names the family; each later one that differs warns, and a
// trailing "Expert" is no difference.
TEST_F(FontinstWindowTest, FamilyNamesFromTheAfmFiles)
{
    open();
    const char* families[] = {"Alpha", "Beta Expert", "Beta"};
    int i = 0;
    for (const char* berry : {"uplb8a", "uplr8a", "uplri8a"}) {
        copyTexFile(QString(berry) + ".pfb", QString("k/") + berry + ".pfb");
        QByteArray afm = readBytes(texFile(QString(berry) + ".afm"));
        afm.replace("FamilyName URW Palladio L", QByteArray("FamilyName ") + families[i++]);
        env.writeFile(QString("k/") + berry + ".afm", afm);
    }
    w->Listbox1_DropObject({env.root() + "/k"});
    TermRecorder term;
    term.status = 0;
    w->process();
    EXPECT_EQ(env.dialogs.messages.count("Warning: FamilyNames in the AFMs are not consistent"), 2);
    EXPECT_EQ(w->job.FontFamilyFull, "Alpha");
    EXPECT_EQ(w->TextField1[1]->text(), "Alpha");
}

// An outline font dropped without metrics takes the AFM found in the TeX
// trees in the same run.
TEST_F(FontinstWindowTest, MetricsFoundInTheTreesAreUsedAtOnce)
{
    open();
    w->Listbox1_DropObject({copyTexFile("uplri8a.pfb", "g/uplri8a.pfb")});
    TermRecorder term;
    term.status = 0;
    w->process();
    EXPECT_EQ(w->job.ylist, QStringList{"uplri8a"});
    EXPECT_EQ(w->job.yylist, QStringList{"uplri8a"});
    ASSERT_EQ(workFolders().size(), 1);
    const QString W = documentsFolder() + "/" + workFolders().first();
    EXPECT_EQ(readBytes(W + "/uplri8a.afm"), readBytes(texFile("uplri8a.afm")));
    EXPECT_EQ(w->TextField3->text(), "upl");
    EXPECT_EQ(w->job.FontFamilyFull, "URW Palladio L");
    EXPECT_EQ(term.commands.size(), 2);
}

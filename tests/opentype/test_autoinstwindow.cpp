#include "opentype/autoinst/autoinstWindow.h"

#include "OtfFixture.h"
#include "SfntCopy.h"
#include "opentype/otfinst/otfinstWindow.h"
#include "services/RunLog.h"
#include "fontinfo/ExamineList.h"
#include "maps/MapsFixture.h"
#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Process.h"
#include "platform/QuitPath.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "support/MenuFixture.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

using namespace qlk;
using namespace qlk::test;

namespace {

class AutoinstWindowTest : public OtfFixture {
protected:
    void SetUp() override
    {
        OtfFixture::SetUp();
        ASSERT_TRUE(makeFontDB(env));
        setpref("sudo", qint32(0));
        setpref("method", qint32(0));
        isAdmin = false;
        personalInstall = true;
        setDesktopRecorder([](const QString&, const QString&) {});
        // Terminal hand-overs run at once (or are only recorded).
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            handed << args.value(0);
            if (!runHandOvers)
                return ScriptResult{0, QString()};
            const ProcessResult r = runBash(args.value(0), 300000);
            return ScriptResult{r.exitCode, r.output};
        });
        w = autoinstWindow::instance();
        w->show();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        OtfFixture::TearDown();
    }
    QString pagella() { return fontFolder({"texgyrepagella-regular.otf"}, "pagella"); }
    QString dejavu()
    {
        const QString folder = env.root() + "/dejavu";
        QDir().mkpath(folder);
        for (const char* f : {"DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"})
            QFile::copy(QString("/usr/share/fonts/truetype/dejavu/") + f, folder + "/" + f);
        return folder;
    }
    QStringList handed;
    bool runHandOvers = true;
    QPointer<autoinstWindow> w;
};

} // namespace

TEST_F(AutoinstWindowTest, OpensFromTheMenuLaidOutAndEmpty)
{
    w->close();
    QApplication::processEvents();
    ASSERT_TRUE(chooseMenuItem("Fileautoinst"));
    w = autoinstWindow::instance();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("autoinst Window"));
    for (QPushButton* b : {w->PushButton1, w->PushButton2, w->PushButton3, w->PushButton6})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_FALSE(w->RadioButton1->isChecked() || w->RadioButton2->isChecked() || w->RadioButton3->isChecked());
    EXPECT_EQ(w->PopupMenu1->currentText(), QStringLiteral("regular"));
    EXPECT_EQ(w->PopupMenu2->currentText(), QStringLiteral("bold"));
    EXPECT_TRUE(w->CheckBox1[1]->isChecked());
    EXPECT_TRUE(w->isotf);
    EXPECT_EQ(autoinstWindow::instance(), w.data());
}

TEST_F(AutoinstWindowTest, DropsFillFamilyVendorAndFlavour)
{
    w->Listbox1_DropObject({pagella()});
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join('\n').toStdString();
    EXPECT_EQ(w->TextField2->text(), QStringLiteral("TeX Gyre Pagella"));
    EXPECT_EQ(w->TextField5->text(), QStringLiteral("public"));
    EXPECT_TRUE(w->RadioButton1->isChecked());
    EXPECT_TRUE(w->CheckBox2->isChecked());
    EXPECT_TRUE(w->PushButton1->isEnabled());
    for (QPushButton* b : {w->PushButton2, w->PushButton3, w->PushButton6})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run autoinst"));
    EXPECT_TRUE(readText(env.root() + "/pagella/QLKlogfile.txt").contains("%%Looking for .otf and .ttf files---\n"
                                                                        "texgyrepagella-regular.otf\n"));

    w->RadioButton3->setChecked(true);
    w->Listbox1_DropObject({dejavu()});
    EXPECT_TRUE(env.dialogs.questions.isEmpty()) << "OS/2 version 1 embeds";
    EXPECT_EQ(w->fontfilename, (QStringList{"DejaVuSerif-Bold.ttf", "DejaVuSerif.ttf"}));
    EXPECT_FALSE(w->isotf);
    EXPECT_FALSE(w->CheckBox2->isChecked());
    EXPECT_EQ(w->TextField5->text(), QStringLiteral("sourceforge"));
    EXPECT_TRUE(w->RadioButton1->isChecked());
    // OS/2 version 1 holds no x-height.
    EXPECT_EQ(w->Computesf(1), QStringLiteral("1.0"));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains("version 1")) << env.dialogs.messages.first().toStdString();

    const QString empty = env.root() + "/empty";
    QDir().mkpath(empty);
    env.dialogs.messages.clear();
    w->Listbox1_DropObject({empty});
    EXPECT_EQ(env.dialogs.messages, QStringList{"There are no .otf or .ttf files in the folder you dropped."});
}

TEST_F(AutoinstWindowTest, BadEntriesStopBeforeAnythingRuns)
{
    const QString folder = pagella();
    w->Listbox1_DropObject({folder});
    env.writeFile("pagella/texmf/keep.txt", "x");
    struct Case {
        const char* vendor;
        const char* family;
        const char* sty;
        const char* message;
    };
    const QList<Case> cases{
        {"  ", "TeX Gyre Pagella", "", "Empty vendor name. Bailing out."},
        {"public", " ", "", "Empty fontfamily name. Bailing out."},
        {"pub'lic", "TeX Gyre Pagella", "", "The vendor name may hold only"},
        {"public", "TeX/Gyre", "", "The family name may hold only"},
        {"public", "TeX Gyre Pagella", "/no/such.sty", "The replacement sty file /no/such.sty does not exist."},
    };
    for (const Case& c : cases) {
        env.dialogs.messages.clear();
        w->TextField5->setText(c.vendor);
        w->TextField2->setText(c.family);
        w->TextField7->setText(c.sty);
        w->PushButton6->setEnabled(true);
        w->PushButton1_Action();
        ASSERT_EQ(env.dialogs.messages.size(), 1) << c.message;
        EXPECT_TRUE(env.dialogs.messages.first().startsWith(c.message)) << env.dialogs.messages.first().toStdString();
        EXPECT_FALSE(w->PushButton6->isEnabled());
        EXPECT_TRUE(handed.isEmpty());
        EXPECT_TRUE(QFileInfo::exists(folder + "/texmf/keep.txt"));
    }
}

TEST_F(AutoinstWindowTest, CommandLinesAndAFailingRun)
{
    runHandOvers = false;
    w->Listbox1_DropObject({dejavu()});
    w->RadioButton2->setChecked(true);
    w->PushButton1_Action();
    ASSERT_EQ(handed.size(), 1);
    EXPECT_TRUE(handed.first().startsWith("cd " + shellQuote(env.root() + "/dejavu") + " && "));
    EXPECT_TRUE(handed.first().endsWith(
        " --noswash --notitling --noornaments --target=./texmf --encoding=TS1,T1 --vendor=sourceforge "
        "--typeface=DejaVuSerif --sanserif -- *.ttf"))
        << handed.first().toStdString();
    EXPECT_EQ(w->TextField2->text(), QStringLiteral("DejaVuSerif"));
    EXPECT_EQ(env.dialogs.messages, QStringList{"Bailing out! No support files found in dejavu/texmf/tex/latex"});
    EXPECT_FALSE(w->PushButton2->isEnabled() || w->PushButton3->isEnabled());
    EXPECT_FALSE(w->PushButton6->isEnabled());
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("The autoinst run failed"));

    // autoinst refusing an option: its exit status and its log are named.
    setBundleScriptRunner([](const QString&, const QStringList&) { return ScriptResult{255, QString()}; });
    env.writeFile("dejavu/dejavuserif.log", "Unknown option");
    env.dialogs.messages.clear();
    w->PushButton1_Action();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"autoinst failed (exit status 255). See its log file " + env.root() + "/dejavu/dejavuserif.log"});
}

// The road on TeX Gyre Pagella: autoinst with a scale and an encoding
// prefix, Install into TEXMFHOME, updmap-user, Test and its clean-up.
TEST_F(AutoinstWindowTest, PagellaRoad)
{
    const QString folder = pagella();
    w->Listbox1_DropObject({folder});
    w->TextField1->setText("0.9");
    w->TextField6->setText("xy");
    w->PushButton1_Action();
    ASSERT_EQ(handed.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Test' or 'Install'"));
    for (QPushButton* b : {w->PushButton2, w->PushButton3, w->PushButton6})
        EXPECT_TRUE(b->isEnabled());
    const QString texmf = folder + "/texmf/";
    EXPECT_TRUE(readText(texmf + "tex/latex/TeXGyrePagella/TeXGyrePagella.sty")
                    .contains("\\newcommand*{\\TeXGyrePagella@scale}{0.9}"));
    const QStringList encs = QDir(texmf + "fonts/enc/dvips/TeXGyrePagella").entryList({"*.enc"});
    ASSERT_FALSE(encs.isEmpty());
    for (const QString& e : encs)
        EXPECT_TRUE(e.startsWith("xy_")) << e.toStdString();
    const QString map = readText(texmf + "fonts/map/dvips/TeXGyrePagella/TeXGyrePagella.map");
    EXPECT_TRUE(map.contains("<[xy_"));
    EXPECT_FALSE(map.contains("<[a_"));

    // Install with the encodings named after the family; the prefix "xy" has
    // left no a_ file, so the map stays as it is.
    w->install();
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'updmap'"));
    EXPECT_TRUE(w->PushButton3->isEnabled());
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/tex/latex/TeXGyrePagella/TeXGyrePagella.sty"));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/map/dvips/TeXGyrePagella/TeXGyrePagella.map"));

    // A second run without the prefix: Install gives the encodings the
    // family's prefix.
    w->TextField6->clear();
    w->PushButton1_Action();
    w->install();
    const QStringList installed = QDir(folder + "/texmf/fonts/enc/dvips/TeXGyrePagella").entryList({"*.enc"});
    ASSERT_FALSE(installed.isEmpty());
    for (const QString& e : installed)
        EXPECT_TRUE(e.startsWith("texgyrepagella_")) << e.toStdString();
    const QString installedMap = readText(texmfHome + "/fonts/map/dvips/TeXGyrePagella/TeXGyrePagella.map");
    EXPECT_TRUE(installedMap.contains("<[texgyrepagella_"));
    EXPECT_FALSE(installedMap.contains("<[a_"));

    w->PushButton3_Action();
    EXPECT_EQ(tdsMaps, QStringList{"TeXGyrePagella"});
    EXPECT_TRUE(readBytes(texmfConfig + "/web2c/updmap.cfg").contains("Map TeXGyrePagella.map"));
    const QString log = readText(folder + "/QLKlogfile.txt");
    EXPECT_TRUE(log.contains("%Available encodings: t1,ts1\n") || log.contains("%Available encodings: ts1,t1\n"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("\\usepackage{TeXGyrePagella}\n\\usepackage[T"));
    // The options are the .sty's own; the block, copied as written, sets the text in T1.
    const QStringList block = log.mid(log.lastIndexOf("%Available encodings: ")).split('\n').mid(0, 5);
    EXPECT_EQ(block.value(1), QStringLiteral("%Available options: scale, scaled, lining, oldstyle (default), tabular, "
                                             "proportional (default), mainfont, regular"));
    EXPECT_EQ(block.value(3), QStringLiteral("\\usepackage[TS1,T1]{fontenc}%change so last entry is default encoding"));
    EXPECT_EQ(block.value(4), QStringLiteral("%Copy last 4 lines to your 'Latex font choices' file"));
    env.writeFile("copied/c.tex", ("\\documentclass{article}\n" + block.join('\n') +
                                   "\n\\begin{document}Quillmark sets these words\\end{document}\n")
                                      .toUtf8());
    const ProcessResult copied = runBash("cd " + shellQuote(env.root() + "/copied") +
                                         " && pdflatex -interaction=nonstopmode c && pdftotext c.pdf -");
    ASSERT_EQ(copied.exitCode, 0) << copied.output.toStdString();
    EXPECT_TRUE(copied.output.contains("Quillmark sets these words")) << copied.output.toStdString();

    // A document with the package at 10pt gets the font at 0.9 of it.
    env.writeFile("doc/t.tex", "\\documentclass{article}\\usepackage[T1]{fontenc}\\usepackage{TeXGyrePagella}"
                               "\\begin{document}x\\typeout{FONT:\\fontname\\font}\\end{document}\n");
    const ProcessResult tex = runBash("cd " + shellQuote(env.root() + "/doc") + " && pdflatex -interaction=nonstopmode t");
    ASSERT_EQ(tex.exitCode, 0) << tex.output.toStdString();
    EXPECT_TRUE(tex.output.contains("FONT:TeXGyrePagella-Regular-osf-t1 at 8.99994pt")) << tex.output.toStdString();

    // Test typesets the package where autoinst wrote it: nothing is copied
    // into TEXMFVAR, and the trees are the real ones again afterwards.
    const QString other = env.writeFile("home/.texlive2022/texmf-var/fonts/tfm/other/keep.tfm", "x");
    const QString home = texmfHome;
    w->PushButton6_Action();
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    ASSERT_FALSE(w->lastTestFolder.isEmpty());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    const ProcessResult fonts = runBash("pdffonts " + shellQuote(w->lastTestFolder + "/test.pdf"));
    EXPECT_TRUE(fonts.output.contains(QRegularExpression("TeXGyrePagella-Regular +Type 1 +\\S+ +yes")))
        << fonts.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/tex/latex/TeXGyrePagella"));
    EXPECT_EQ(texmfHome, home);
    EXPECT_EQ(qEnvironmentVariable("TEXMFHOME"), home);
    w->close();
    QApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/tex/latex/TeXGyrePagella"));
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/fonts/tfm/public"));
    EXPECT_TRUE(QFileInfo::exists(other));
}

// Test after a second run over the installed package: the personal
// pdftex.map names the installed fonts with the encodings Install renamed,
// which the new run's output does not have; Test typesets the new package
// alone all the same.
TEST_F(AutoinstWindowTest, TestAfterARerunOverTheInstalledPackage)
{
    const QString folder = pagella();
    w->Listbox1_DropObject({folder});
    w->PushButton1_Action();
    w->install();
    w->PushButton3_Action();
    ASSERT_TRUE(typesets("TeXGyrePagella", "TeXGyrePagella-Regular"));
    ASSERT_TRUE(readText(texmfVar + "/fonts/map/pdftex/updmap/pdftex.map").contains("<[texgyrepagella_"));

    w->PushButton1_Action();
    ASSERT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Test' or 'Install'"));
    ASSERT_FALSE(QDir(folder + "/texmf/fonts/enc/dvips/TeXGyrePagella").entryList({"a_*.enc"}).isEmpty());
    const QString var = texmfVar;
    w->PushButton6_Action();
    ASSERT_FALSE(w->lastTestFolder.isEmpty());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    const ProcessResult fonts = runBash("pdffonts " + shellQuote(w->lastTestFolder + "/test.pdf"));
    EXPECT_TRUE(fonts.output.contains(QRegularExpression("TeXGyrePagella-Regular +Type 1 +\\S+ +yes")))
        << fonts.output.toStdString();
    EXPECT_EQ(texmfVar, var);
    EXPECT_EQ(qEnvironmentVariable("TEXMFVAR"), var);
    EXPECT_TRUE(typesets("TeXGyrePagella", "TeXGyrePagella-Regular"));
}

// A run that bails out over no installed package says nothing of one, and
// the status line says the run failed.
TEST_F(AutoinstWindowTest, ABailOutOnAFirstInstallSaysSo)
{
    w->Listbox1_DropObject({pagella()});
    setBundleScriptRunner([&](const QString&, const QStringList&) {
        // .fd and .sty files without the fonts they name.
        const QString latex = "pagella/texmf/tex/latex/TeXGyrePagella/";
        env.writeFile(latex + "TeXGyrePagella.sty", "\\ProvidesPackage{TeXGyrePagella}\n");
        env.writeFile(latex + "T1TeXGyrePagella-LF.fd",
                      "\\DeclareFontFamily{T1}{TeXGyrePagella-LF}{}\n"
                      "\\DeclareFontShape{T1}{TeXGyrePagella-LF}{m}{n}{<-> TeXGyrePagella-Regular-lf-t1}{}\n");
        return ScriptResult{0, QString()};
    });
    w->PushButton1_Action();
    ASSERT_FALSE(env.dialogs.messages.isEmpty());
    EXPECT_EQ(env.dialogs.messages.last(), QStringLiteral("Bailing out! The new package is not complete.\n"
                                                          "No metric TeXGyrePagella-Regular-lf-t1.tfm for "
                                                          "T1TeXGyrePagella-LF.fd"));
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("The autoinst run failed"));
    for (QPushButton* b : {w->PushButton2, w->PushButton3, w->PushButton6})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(AutoinstWindowTest, TrueTypeMapAndEncodingsGoToThePdftexBranch)
{
    const QString folder = dejavu();
    w->Listbox1_DropObject({folder});
    w->CheckBox1[1]->setChecked(false);
    w->CheckBox1[2]->setChecked(true);
    w->PushButton1_Action();
    ASSERT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Test' or 'Install'"))
        << env.dialogs.messages.join('\n').toStdString();
    // Debian's TeX Live has no ly1enc.def: Run says so before it runs.
    if (runBash("kpsewhich ly1enc.def").output.trimmed().isEmpty())
        EXPECT_EQ(env.dialogs.messages.value(0).left(55),
                  QStringLiteral("Encoding LY1 is not installed here (no ly1enc.def): the"));
    w->install();
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/map/pdftex/dejavuserif/DejaVuSerif.map"));
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/map/dvips/DejaVuSerif"));
    const QStringList encs = QDir(texmfHome + "/fonts/enc/pdftex/dejavuserif").entryList({"*.enc"});
    ASSERT_FALSE(encs.isEmpty());
    for (const QString& e : encs)
        EXPECT_TRUE(e.startsWith("dejavuserif_")) << e.toStdString();
    EXPECT_TRUE(readText(texmfHome + "/fonts/map/pdftex/dejavuserif/DejaVuSerif.map").contains("<[dejavuserif_"));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/truetype/sourceforge/DejaVuSerif/DejaVuSerif.ttf"));
}

// pdfTeX here reads OS/2 tables up to version 3: a family with a newer one
// is named before anything runs. "No" (the default) runs nothing.
TEST_F(AutoinstWindowTest, AFamilyPdftexCannotEmbedIsAskedAboutFirst)
{
    const QString folder = env.root() + "/newer";
    QDir().mkpath(folder);
    const QString dejavu = "/usr/share/fonts/truetype/dejavu/";
    ASSERT_TRUE(copyWithOs2Version(dejavu + "DejaVuSerif.ttf", folder + "/DejaVuSerif.ttf", 4));
    QFile::copy(dejavu + "DejaVuSerif-Bold.ttf", folder + "/DejaVuSerif-Bold.ttf");
    w->Listbox1_DropObject({folder});
    ASSERT_EQ(env.dialogs.questions.size(), 1);
    const QString question = env.dialogs.questions.first();
    EXPECT_TRUE(question.startsWith("pdfTeX 3.") && question.contains(" up to version 3, ")) << question.toStdString();
    EXPECT_TRUE(question.contains("\nDejaVuSerif.ttf (OS/2 version 4)\n"));
    EXPECT_FALSE(question.contains("Bold"));
    EXPECT_TRUE(w->fontfolder.isEmpty());
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_FALSE(w->PushButton1->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(folder + "/QLKlogfile.txt"));

    // "Yes": the drop goes on as any other.
    env.dialogs.answers = {true};
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(w->fontfilename, (QStringList{"DejaVuSerif-Bold.ttf", "DejaVuSerif.ttf"}));
    EXPECT_TRUE(w->PushButton1->isEnabled());
}

// One program run, the log open in the home folder as the start-up scan
// leaves it: each window's label names the file its lines went to.
TEST_F(AutoinstWindowTest, LogLabelsNameTheFileTheLinesWentTo)
{
    openLog(env.home());
    const QString home = env.home() + "/QLKlogfile.txt";
    logLine("Starting");
    QFile::copy(QStringLiteral(QLK_APP_DIR "/otfinst.py"), appFolder() + "/otfinst.py");
    QPointer<otfinstWindow> o = otfinstWindow::instance();
    o->show();
    o->Listbox1_DropObject({fontFolder({"texgyrepagella-regular.otf"}, "otf family")});
    EXPECT_EQ(o->StaticText10->text(), home);
    o->PushButton4_Action();
    ASSERT_FALSE(o->srcfolder.isEmpty()) << env.dialogs.transcript.join('\n').toStdString();
    const QString work = o->srcfolder + "/QLKlogfile.txt";
    EXPECT_EQ(o->StaticText10->text(), work);
    EXPECT_FALSE(QFileInfo::exists(home));
    EXPECT_TRUE(readText(work).startsWith("Starting\n"));
    EXPECT_TRUE(readText(work).contains("Creating otfinst0\n"));

    // autoinst writes into no work folder of otfinst: the log goes home, and
    // both labels say so.
    const QString folder = pagella();
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(w->StaticText10->text(), home);
    EXPECT_EQ(o->StaticText10->text(), home);
    EXPECT_FALSE(QFileInfo::exists(work));
    const QString log = readText(home);
    EXPECT_TRUE(log.contains("Creating otfinst0\n"));
    EXPECT_TRUE(log.endsWith("Dropped font folder " + folder + "\n%%Looking for .otf and .ttf files---\n"
                             "texgyrepagella-regular.otf\n%% end of font list\n"))
        << log.toStdString();

    // otfinst's next step takes it along; autoinst's next lines go home again.
    o->PushButton4_Action();
    const QString work2 = o->srcfolder + "/QLKlogfile.txt";
    EXPECT_EQ(o->StaticText10->text(), work2);
    EXPECT_TRUE(readText(work2).contains("Dropped font folder " + folder + "\n"));
    runHandOvers = false;
    w->PushButton1_Action();
    EXPECT_EQ(w->StaticText10->text(), home);
    EXPECT_EQ(o->StaticText10->text(), home);
    EXPECT_TRUE(readText(home).endsWith("Fonts and support files being written to " + folder + "/texmf\n"));
    EXPECT_FALSE(QFileInfo::exists(work2));
    o->close();
    EXPECT_EQ(logPath(), home);
    closeLog();
}

// Quit through the program's own quit path closes the window first, with
// its close-time work: nothing of a Test is left in TEXMFVAR, where a later
// install with another scale would typeset from a stale copy.
TEST_F(AutoinstWindowTest, QuitRemovesTheTestCopy)
{
    w->Listbox1_DropObject({pagella()});
    w->PushButton1_Action();
    ASSERT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Test' or 'Install'"));
    w->PushButton6_Action();

    test::expectRealExit();
    std::unique_ptr<App> app(createAppObject());
    requestQuit();
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(!w || !w->isVisible());
    EXPECT_FALSE(QFileInfo::exists(texmfVar + "/tex/latex/TeXGyrePagella"));
    EXPECT_TRUE(QDir(texmfVar + "/fonts/tfm").entryList({"*"}, QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// Over an installed Pagella package: Install stopped at each step of its
// replacement, then runs of autoinst that fail, end with 0 after otftotfm
// failed (.fd and .sty files without metrics), or are killed midway. After
// each the installed package typesets, nothing says finished, and nothing
// can be installed.
TEST_F(AutoinstWindowTest, RerunsAndInterruptionsKeepTheInstalledPackage)
{
    const QString folder = pagella();
    w->Listbox1_DropObject({folder});
    w->PushButton1_Action();
    w->install();
    w->PushButton3_Action();
    ASSERT_TRUE(typesets("TeXGyrePagella", "TeXGyrePagella-Regular"));
    stopInstallAtEachStep([&] { w->install(); }, w->PushButton3, w->StaticText9, [&] {
        EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Install failed"));
        EXPECT_TRUE(typesets("TeXGyrePagella", "TeXGyrePagella-Regular"));
    });

    // What the stand-ins leave: the package's .fd and .sty files, without
    // the fonts they name.
    const QString latex = "pagella/texmf/tex/latex/TeXGyrePagella/";
    const auto styAndFd = [&] {
        env.writeFile(latex + "TeXGyrePagella.sty", "\\ProvidesPackage{TeXGyrePagella}\n");
        env.writeFile(latex + "T1TeXGyrePagella-LF.fd",
                      "\\DeclareFontFamily{T1}{TeXGyrePagella-LF}{}\n"
                      "\\DeclareFontShape{T1}{TeXGyrePagella-LF}{m}{n}{<-> TeXGyrePagella-Regular-lf-t1}{}\n");
    };
    struct Case {
        const char* what;
        int status;
        QString message;
    };
    const QList<Case> cases{
        {"fails", 1, "autoinst failed (exit status 1)."},
        {"otftotfm failed", 0, "Bailing out! The new package is not complete"},
        {"killed", 137, "autoinst failed (exit status 137)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setBundleScriptRunner([&](const QString&, const QStringList&) {
            styAndFd();
            return ScriptResult{c.status, QString()};
        });
        env.dialogs.messages.clear();
        w->PushButton1_Action();
        expectRefusedRun(c.message, {w->PushButton2, w->PushButton3, w->PushButton6}, w->StaticText9);
        EXPECT_EQ(w->StaticText9->text(), QStringLiteral("The autoinst run failed"));
        if (c.status == 0)
            EXPECT_TRUE(env.dialogs.messages.last().startsWith(
                "Bailing out! The new package is not complete; the installed one is left as it is.\n"));
        EXPECT_TRUE(typesets("TeXGyrePagella", "TeXGyrePagella-Regular"));
    }
}

#include "opentype/otfinst/otfinstWindow.h"

#include "OtfFixture.h"
#include "SfntCopy.h"
#include "fontinfo/ExamineList.h"
#include "opentype/common/OtfTemplate.h"
#include "opentype/otfinst/OtherOptions.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "support/MenuFixture.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QPointer>

using namespace qlk;
using namespace qlk::test;

namespace {

class OtfinstWindowTest : public OtfFixture {
protected:
    void TearDown() override
    {
        if (w)
            w->close();
        OtfFixture::TearDown();
    }
    otfinstWindow* open()
    {
        w = otfinstWindow::instance();
        w->show();
        return w;
    }
    // The work folders Prepare made, oldest first.
    QStringList workFolders() const
    {
        QStringList out;
        for (const QString& name : QDir(documentsFolder()).entryList({"otfinst-*"}, QDir::Dirs, QDir::Time | QDir::Reversed))
            out << documentsFolder() + '/' + name;
        return out;
    }
    QPointer<otfinstWindow> w;
};

QString templateText()
{
    return readText(QStringLiteral(QLK_APP_DIR) + QStringLiteral("/otfinst.py"));
}

} // namespace

TEST_F(OtfinstWindowTest, OpensFromTheMenuLaidOutAndEmpty)
{
    ASSERT_TRUE(chooseMenuItem("FileOtfinst"));
    w = otfinstWindow::instance();
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("oftinst Window"));
    for (QPushButton* b : {w->PushButton1, w->PushButton2, w->PushButton3, w->PushButton4, w->PushButton6})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_FALSE(w->PushButton5->isVisible());
    EXPECT_FALSE(w->PushButton5->isEnabled());
    EXPECT_TRUE(w->CheckBox1[1]->isChecked());
    EXPECT_FALSE(w->CheckBox1[0]->isChecked());
    EXPECT_TRUE(w->StaticText9->text().isEmpty());
    EXPECT_TRUE(w->StaticText1->text().startsWith(QStringLiteral("• This window provides")));
    EXPECT_EQ(w->breakpts, otfinstMarkers());

    // Only the first activation ticks the box; the accessor gives the same window.
    w->CheckBox1[1]->setChecked(false);
    w->Event_Activate();
    EXPECT_FALSE(w->CheckBox1[1]->isChecked());
    EXPECT_EQ(otfinstWindow::instance(), w.data());
    // Resizing keeps the step buttons at the bottom right.
    w->resize(876, 545);
    EXPECT_EQ(w->PushButton4->geometry().topLeft(), QPoint(765, 437));
    EXPECT_EQ(w->Listbox1->width(), 870);

    EXPECT_EQ(OtherOptions::instance(), OtherOptions::instance());
    OtherOptions::instance()->close();
}

TEST_F(OtfinstWindowTest, MissingTemplateClosesTheWindow)
{
    setAppFolderForTesting(env.root());
    open();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"The file otfinst.py was not found in the same file as this application. Cannot continue."});
    EXPECT_TRUE(w.isNull());
}

TEST_F(OtfinstWindowTest, PagellaDropFillsTheFields)
{
    const QString folder = fontFolder({"texgyrepagella-regular.otf", "texgyrepagella-bold.otf"});
    env.writeFile("my fonts/readme.txt", "not a font");
    open()->Listbox1_DropObject({folder});
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join('\n').toStdString();
    EXPECT_EQ(w->fontfilename, (QStringList{"texgyrepagella-bold.otf", "texgyrepagella-regular.otf"}));
    EXPECT_EQ(w->Listbox1->rowCount(), 2);
    EXPECT_EQ(w->TextField2->text(), QStringLiteral("TeX Gyre Pagella"));
    EXPECT_EQ(w->TextField3->text(), QStringLiteral("qpl"));
    EXPECT_EQ(w->TextField1->text(), QStringLiteral("1.0"));
    EXPECT_EQ(w->TextField4->text(), QStringLiteral("/tex/latex/texgyrepagella/"));
    EXPECT_EQ(w->TextField5->text(), QString());
    EXPECT_TRUE(w->CheckBox2->isChecked());
    EXPECT_TRUE(w->PushButton4->isEnabled());
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Prepare'"));
    // No log was open: it opened in Documents, and the label names that file.
    EXPECT_EQ(w->StaticText10->text(), documentsFolder() + "/QLKlogfile.txt");

    const QStringList log = readText(documentsFolder() + "/QLKlogfile.txt").split('\n');
    const int start = int(log.indexOf("%%%%%% new program run %%%"));
    ASSERT_GE(start, 0);
    EXPECT_EQ(log.mid(start + 2, 5), (QStringList{"Dropped font folder " + folder, "%%Looking for .otf files---",
                                                  "texgyrepagella-bold.otf", "texgyrepagella-regular.otf",
                                                  "%% end of font list"}));

    // The context menu reports on the clicked font.
    w->Listbox1_CellClick(1);
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(1));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.last().contains("TeXGyrePagella-Regular"));
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(2));
    EXPECT_TRUE(env.dialogs.messages.last().contains("onum"));
}

// The Berry code typed after any number of drops is the one the script's
// table holds for the family, once.
TEST_F(OtfinstWindowTest, TypedBerryCodeWinsAfterASecondDrop)
{
    const QString folder = fontFolder({"texgyrepagella-regular.otf"});
    open()->Listbox1_DropObject({folder});
    w->Listbox1_DropObject({folder});
    w->TextField3->setText("zpl");
    w->PushButton4_Action();
    ASSERT_FALSE(w->srcfolder.isEmpty());
    const QString script = readText(w->srcfolder + "/otfinst0");
    EXPECT_EQ(script.count("'TeX Gyre Pagella' :"), 2) << script.toStdString(); // Berry and scale tables
    EXPECT_TRUE(script.contains("'TeX Gyre Pagella' : 'zpl',"));
    EXPECT_FALSE(script.contains("'qpl'"));
}

TEST_F(OtfinstWindowTest, RefusedDropsWriteNothing)
{
    const QString folder = fontFolder({"texgyrepagella-regular.otf"});
    const QString file = folder + "/texgyrepagella-regular.otf";
    const QString empty = env.root() + "/empty";
    QDir().mkpath(empty);
    env.writeFile("empty/a.ttf", "x");
    open();
    struct Case {
        QStringList paths;
        QStringList messages;
    };
    const QList<Case> cases{
        {{file}, {"You cannot drop individual files---just a single folder"}},
        {{empty}, {"There are no .otf files in the folder you dropped."}},
        {{empty, folder},
         {"There are no .otf files in the folder you dropped.", "You are permitted to drop only a single folder"}},
    };
    for (const Case& c : cases) {
        env.dialogs.messages.clear();
        w->Listbox1_DropObject(c.paths);
        EXPECT_EQ(env.dialogs.messages, c.messages);
        EXPECT_TRUE(w->fontfolder.isEmpty());
    }
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_FALSE(w->PushButton4->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(documentsFolder() + "/QLKlogfile.txt"));

    // After a good drop, a refused one keeps the rows, and their menu still
    // reports on the fonts of the folder they came from.
    w->Listbox1_DropObject({folder});
    w->Listbox1_DropObject({file});
    EXPECT_TRUE(w->fontfolder.isEmpty());
    env.dialogs.messages.clear();
    w->Listbox1_CellClick(0);
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(1));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains("TeX Gyre Pagella"));
    // A row beyond the list does nothing.
    w->Listbox1_CellClick(5);
    EXPECT_FALSE(w->Listbox1_ContextualMenuAction(1));
}

TEST_F(OtfinstWindowTest, MalformedTemplateClosesTheWindow)
{
    QString text = templateText();
    text.replace("###endscaledmarker", "###scaledmarker");
    const QString app = env.root() + "/app";
    QDir().mkpath(app);
    env.writeFile("app/otfinst.py", text.toUtf8());
    setAppFolderForTesting(app);
    open()->Listbox1_DropObject({fontFolder({"texgyrepagella-regular.otf"})});
    EXPECT_EQ(env.dialogs.messages, QStringList{"Error locating unique ###scaledmarker in otfinst.py"});
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

// Installed outlines of the same names belong to a working package: the
// drop leaves them (the scripts run without the personal trees, so that
// otftotfm writes its own).
TEST_F(OtfinstWindowTest, InstalledPfbFilesStayAtTheDrop)
{
    const QString home = env.writeFile("home/texmf/fonts/type1/old/texgyrepagella-regular.pfb", "x");
    const QString local = env.writeFile("texmf-local/fonts/type1/old/texgyrepagella-regularLCDFj.pfb", "x");
    makeLsR(texmfLocal);
    QStringList rootCommands;
    setBundleScriptRunner([&](const QString&, const QStringList& args) {
        rootCommands << args.value(0);
        return ScriptResult{0, QString()};
    });
    env.dialogs.answers = {true};
    open()->Listbox1_DropObject({fontFolder({"texgyrepagella-regular.otf"})});
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    EXPECT_TRUE(rootCommands.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(home) && QFileInfo::exists(local));
    EXPECT_TRUE(w->PushButton4->isEnabled());
}

TEST_F(OtfinstWindowTest, VendorMapInItsVendorFolderIsFound)
{
    const QString map = env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/maker/maker.map",
                                      "% maintained by otftotfm\nt1-libra-regular-lf--base Libra <libra.pfb\n");
    env.dialogs.answers = {true, false};
    open();
    w->vendor = "maker"; // kept from an earlier font that named its vendor
    w->Listbox1_DropObject({fontFolder({"texgyrepagella-regular.otf"})});
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("There is an existing map file in " + map));
    EXPECT_EQ(env.dialogs.questions.size(), 2);
    EXPECT_TRUE(env.dialogs.questions.first().endsWith("Save its contents as libra.map?"));
    EXPECT_EQ(readBytes(texmfVar + "/fonts/map/dvips/maker/libra.map"), readBytes(map));
}

TEST_F(OtfinstWindowTest, PrepareWritesOneScriptPerEncoding)
{
    open()->Listbox1_DropObject({fontFolder({"texgyrepagella-regular.otf", "texgyrepagella-bold.otf"})});
    w->PushButton6->setEnabled(true);
    w->PushButton4_Action();
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_FALSE(w->PushButton6->isEnabled());
    // Nothing to install before a run; the personal tree is not touched.
    EXPECT_TRUE(w->PushButton1->isEnabled());
    EXPECT_FALSE(w->PushButton2->isEnabled());
    EXPECT_FALSE(w->PushButton3->isEnabled());
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Run otfinst'"));
    EXPECT_EQ(w->encbnd, 1);
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/tex/latex/texgyrepagella"));

    ASSERT_EQ(workFolders().size(), 1);
    const QString work = workFolders().first();
    EXPECT_EQ(w->srcfolder, work);
    EXPECT_TRUE(QFileInfo(work).fileName().startsWith("otfinst-qpl-"));
    EXPECT_EQ(w->StaticText10->text(), work + "/QLKlogfile.txt");
    // The log moved into the work folder, with the lines of the step.
    EXPECT_FALSE(QFileInfo::exists(documentsFolder() + "/QLKlogfile.txt"));
    const QString log = readText(work + "/QLKlogfile.txt");
    for (const char* line : {"Dropped font folder ", "Using Berry name=qpl\n", "Using vendor name: \n",
                             "Using family name: TeX Gyre Pagella\n", "Using encodings=TS1,T1\n",
                             "Creating otfinst0\nCreating otfinst1\nMaking otfinst* files executable.\n"})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;

    const TemplateCut original = cutTemplate(templateText(), otfinstMarkers());
    const QStringList encodings{"TS1", "T1"};
    for (int j = 0; j < 2; ++j) {
        const QString path = work + "/otfinst" + QString::number(j);
        EXPECT_EQ(QFile::permissions(path) & 0x7077, QFileDevice::Permissions(0x7055)) << j; // 755
        const TemplateCut cut = cutTemplate(readText(path), otfinstMarkers());
        ASSERT_TRUE(cut.ok());
        for (int piece : {0, 2, 4, 6, 8})
            EXPECT_EQ(cut.pieces.at(piece), original.pieces.at(piece)) << piece;
        EXPECT_EQ(cut.pieces.at(1), "\nencoding = '" + encodings.at(j) + "'\notftotfmpath = '" +
                                        texProgram("otftotfm") + "'\n");
        EXPECT_EQ(cut.pieces.at(3), QStringLiteral("\nlocalfontsdir = '/tex/latex/texgyrepagella/'\n"));
        EXPECT_TRUE(cut.pieces.at(5).startsWith("\nberryname = { 'TeX Gyre Pagella' : 'qpl',\n          'TeX Gyre Termes'"));
        EXPECT_TRUE(cut.pieces.at(5).endsWith("          }\n"));
        EXPECT_EQ(cut.pieces.at(7), QStringLiteral("\nscaled = { 'TeX Gyre Pagella' : 1.0,\n       }\n"));
    }

    // A second press makes a second work folder, and the log follows it.
    w->TextField1->setText("-1");
    w->TextField5->setText("gyre");
    w->PushButton4_Action();
    EXPECT_EQ(w->TextField1->text(), QStringLiteral(".919"));
    ASSERT_EQ(workFolders().size(), 2);
    const QString second = w->srcfolder;
    EXPECT_NE(second, work);
    EXPECT_TRUE(QFileInfo::exists(second + "/QLKlogfile.txt"));
    EXPECT_FALSE(QFileInfo::exists(work + "/QLKlogfile.txt"));
    const QString script = readText(second + "/otfinst1");
    EXPECT_TRUE(script.contains("scaled = { 'TeX Gyre Pagella' : .919,\n"));
    EXPECT_TRUE(script.contains("          }\nthevendor = 'gyre'\n###endberrynamemarker"));
    // The family keeps its one entry in the Berry table.
    EXPECT_EQ(script.count("'TeX Gyre Pagella' : 'qpl'"), 1);

    // Closing the window moves the log back to where the first Prepare took
    // it from, the lines of both steps in it.
    w->close();
    EXPECT_EQ(logPath(), documentsFolder() + "/QLKlogfile.txt");
    logLine("after the window");
    const QString back = readText(documentsFolder() + "/QLKlogfile.txt");
    EXPECT_TRUE(back.contains("Dropped font folder ") && back.contains("Using vendor name: gyre\n") &&
                back.endsWith("after the window\n"));
    EXPECT_FALSE(QFileInfo::exists(second + "/QLKlogfile.txt"));
}

// A TrueType-flavoured .otf that pdfTeX cannot embed: the question comes
// before anything runs, and "No" leaves nothing behind.
TEST_F(OtfinstWindowTest, AFontPdftexCannotEmbedIsAskedAboutFirst)
{
    const QString folder = env.root() + "/tt";
    QDir().mkpath(folder);
    ASSERT_TRUE(copyWithOs2Version("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", folder + "/Serif.otf", 4));
    open()->Listbox1_DropObject({folder});
    ASSERT_EQ(env.dialogs.questions.size(), 1);
    EXPECT_TRUE(env.dialogs.questions.first().contains("\nSerif.otf (OS/2 version 4)\n"))
        << env.dialogs.questions.first().toStdString();
    EXPECT_TRUE(w->fontfolder.isEmpty());
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_FALSE(w->PushButton4->isEnabled());
    EXPECT_TRUE(w->StaticText10->text().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(documentsFolder() + "/QLKlogfile.txt"));
}

TEST_F(OtfinstWindowTest, PrepareRefusalsCreateNothing)
{
    open()->Listbox1_DropObject({fontFolder({"texgyretermes-regular.otf"})});
    const QString dest = texmfHome + "/tex/latex/texgyretermes";
    struct Case {
        const char* berry;
        const char* family;
        const char* folder;
        const char* scale;
        bool noEncoding;
        const char* messageStart;
    };
    const QList<Case> cases{
        {"qt", "TeX Gyre Termes", "/tex/latex/texgyretermes/", "", false, "You must provide the 3 character Berry"},
        {"qtm", "TeX Gyre Termes", "/tex/latex/texgyretermes/", "", true, "You must select at least one encoding"},
        {"qtm", "TeX Gyre 'Termes", "/tex/latex/texgyretermes/", "", false, "The family name must not"},
        {"qtm", "TeX Gyre Termes", "/tex/../../etc/", "", false, "The folder for fd and sty files"},
        {"q'm", "TeX Gyre Termes", "/tex/latex/texgyretermes/", "", false, "The Berry name must be"},
        {"qtm", "TeX Gyre Termes", "/tex/latex/texgyretermes/", "1.0'", false, "The scale factor must be"},
    };
    for (const Case& c : cases) {
        env.dialogs.messages.clear();
        w->TextField3->setText(c.berry);
        w->TextField2->setText(c.family);
        w->TextField4->setText(c.folder);
        w->TextField1->setText(c.scale);
        w->CheckBox1[1]->setChecked(!c.noEncoding);
        w->PushButton4_Action();
        ASSERT_EQ(env.dialogs.messages.size(), 1) << c.messageStart;
        EXPECT_TRUE(env.dialogs.messages.first().startsWith(QLatin1String(c.messageStart)))
            << env.dialogs.messages.first().toStdString();
        EXPECT_FALSE(QFileInfo::exists(dest));
        EXPECT_TRUE(workFolders().isEmpty());
        EXPECT_FALSE(w->PushButton1->isEnabled());
    }

    // A file where the folder should be: Prepare writes only its work
    // folder, so the personal tree stays as it is.
    env.writeFile("home/texmf/tex", "a file");
    w->TextField3->setText("qtm");
    w->TextField2->setText("TeX Gyre Termes");
    w->TextField4->setText("tex/latex/texgyretermes/");
    w->TextField1->setText("");
    w->CheckBox1[1]->setChecked(true);
    env.dialogs.messages.clear();
    w->PushButton4_Action();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(QFileInfo(texmfHome + "/tex").isFile());
    QFile::remove(texmfHome + "/tex");

    // "-2" on Termes, whose x-height is Times Roman's.
    w->TextField1->setText("-2");
    env.dialogs.messages.clear();
    w->PushButton4_Action();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(w->TextField1->text(), QStringLiteral("1.0"));
    EXPECT_TRUE(readText(w->srcfolder + "/otfinst0").contains("scaled = { 'TeX Gyre Termes' : 1.0,\n"));
}

// "Yes" means the new package replaces the folder whole, at Install; until
// then the installed files stay.
TEST_F(OtfinstWindowTest, ExistingFilesInThePackageFolderStayUntilInstall)
{
    const QString dest = texmfHome + "/tex/latex/texgyrepagella";
    env.writeFile("home/texmf/tex/latex/texgyrepagella/old.fd", "x");
    env.writeFile("home/texmf/tex/latex/texgyrepagella/-r", "x");
    env.writeFile("home/texmf/tex/latex/texgyrepagella/keep/inner.fd", "x");
    env.writeFile("home/texmf/tex/latex/texgyrepagella/.hidden", "x");
    open()->Listbox1_DropObject({fontFolder({"texgyrepagella-regular.otf"})});
    env.dialogs.answers = {true};
    w->PushButton4_Action();
    ASSERT_EQ(env.dialogs.questions.size(), 1);
    // The question is what it decides: whether Install carries the files over.
    EXPECT_EQ(env.dialogs.questions.first(),
              "There are already files in " + dest + "/\nShould Install remove those the new package does not "
              "replace? (No carries them over into the new package's folder.)");
    EXPECT_EQ(QDir(dest).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"-r", ".hidden", "keep", "old.fd"}));
    EXPECT_TRUE(QFileInfo::exists(dest + "/keep/inner.fd"));
}

// The whole road of one script: otftotfm's output in TEXMFVAR, the .fd and
// .sty files in TEXMFHOME, and a document that typesets with them.
TEST_F(OtfinstWindowTest, GeneratedScriptInstallsAUsableFamily)
{
    const QString folder = fontFolder({"texgyrepagella-regular.otf"});
    open()->Listbox1_DropObject({folder});
    w->TextField1->setText("0.95");
    w->PushButton4_Action();
    ASSERT_EQ(w->encbnd, 1);
    const ProcessResult run = runBash("cd " + shellQuote(w->srcfolder) + " && ./otfinst1 " + shellQuote(folder), 120000);
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
    EXPECT_TRUE(run.output.contains("otftotfm")) << run.output.toStdString();

    const QString pkg = texmfHome + "/tex/latex/texgyrepagella/";
    for (const char* name : {"t1qplx.fd", "t1qplj.fd", "texgyrepagella.sty"})
        EXPECT_TRUE(QFileInfo::exists(pkg + name)) << name;
    EXPECT_TRUE(readText(pkg + "t1qplx.fd").contains("s*[0.95]"));
    const QString vendorMap = texmfVar + "/fonts/map/dvips/lcdftools/lcdftools.map";
    EXPECT_TRUE(QFileInfo::exists(vendorMap));
    for (const char* kind : {"tfm", "vf", "type1"})
        EXPECT_TRUE(QFileInfo(texmfVar + "/fonts/" + kind + "/lcdftools/texgyrepagella").isDir()) << kind;
    EXPECT_FALSE(QDir(texmfVar + "/fonts/enc/dvips/lcdftools").entryList({"*.enc"}).isEmpty());

    const QString doc = env.root() + "/doc";
    QDir().mkpath(doc);
    env.writeFile("doc/t.tex", "\\documentclass{article}\\usepackage[T1]{fontenc}\\usepackage{texgyrepagella}"
                               "\\pdfmapfile{+lcdftools.map}\\begin{document}Hello 1234 \\textbf{bold}"
                               "\\end{document}\n");
    const ProcessResult tex = runBash("cd " + shellQuote(doc) + " && pdflatex -interaction=nonstopmode t && pdffonts t.pdf",
                                      120000);
    ASSERT_EQ(tex.exitCode, 0) << tex.output.toStdString();
    EXPECT_TRUE(tex.output.contains(QRegularExpression("TeXGyrePagella-Regular +Type 1 +\\S+ +yes"))) << tex.output.toStdString();

    // A script whose family has no Berry code stops, naming it.
    QString broken = readText(w->srcfolder + "/otfinst1");
    broken.replace("scaled = { 'TeX Gyre Pagella'", "scaled = { 'Unknown Family'");
    env.writeFile("broken.py", broken.toUtf8());
    const ProcessResult bad = runBash("python3 " + shellQuote(env.root() + "/broken.py") + " " + shellQuote(folder));
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.errorOutput.contains("Unknown Family"));
}

#include "opentype/otfinst/otfinstWindow.h"

#include "OtfFixture.h"
#include "maps/MapsFixture.h"
#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"

#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

using namespace qlk;
using namespace qlk::test;

namespace {

// Terminal hand-overs: a user's command runs at once with runBash (unless
// `runUser` is off); a root command (one with sudo, or any the
// administrator's script gets, runAsRoot having taken sudo out) is recorded
// and answered with `rootStatus`, an unzip of a successful answer run for
// real.
struct HandOvers {
    QStringList user;
    QStringList root;
    bool runUser = true;
    int rootStatus = 0;
    HandOvers()
    {
        setBundleScriptRunner([this](const QString& script, const QStringList& args) {
            const QString text = args.value(0);
            if (script == QLatin1String("sudocmd.sh") || text.contains(QLatin1String("sudo"))) {
                root << text;
                if (rootStatus == 0 && text.contains(QLatin1String("unzip")))
                    runRootCommands(text);
                return ScriptResult{rootStatus, QString()};
            }
            user << text;
            if (!runUser)
                return ScriptResult{0, QString()};
            const ProcessResult r = runBash(text, 300000);
            return ScriptResult{r.exitCode, r.output};
        });
    }
};

class OtfinstRunTest : public OtfFixture {
protected:
    void SetUp() override
    {
        OtfFixture::SetUp();
        // The rescan after updmap needs a font database beside the program.
        ASSERT_TRUE(makeFontDB(env));
        QFile::copy(QStringLiteral(QLK_APP_DIR) + "/otfinst.py", appFolder() + "/otfinst.py");
        setpref("sudo", qint32(0));
        setpref("method", qint32(0));
        isAdmin = false;
        personalInstall = true;
        setDesktopRecorder([this](const QString& action, const QString& path) { opened << action + " " + path; });
        w = otfinstWindow::instance();
        w->show();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        OtfFixture::TearDown();
    }
    // The window as after a Prepare for the package abc, without scripts.
    void prepared(const QString& shortname = "abc")
    {
        w->shortname = shortname;
        w->srcfolder = env.root() + "/work";
        QDir().mkpath(w->srcfolder);
        w->fontfolder = env.root();
        w->encbnd = -1;
        w->TextField3->setText(shortname.left(3));
        w->TextField4->setText("/tex/latex/" + shortname + "/");
    }
    // otftotfm's output as a fixture: one font's files under `vendor`.
    void otftotfmOutput(const QString& vendor)
    {
        const QString v = "work/stage/var/fonts/";
        env.writeFile(v + "tfm/" + vendor + "/abc/t1-abc-regular-lf.tfm", "tfm");
        env.writeFile(v + "vf/" + vendor + "/abc/t1-abc-regular-lf.vf", "vf");
        env.writeFile(v + "type1/" + vendor + "/abc/Abc-Regular.pfb", "pfb");
        env.writeFile(v + "enc/dvips/" + vendor + "/a_xyz.enc", "enc");
        env.writeFile(v + "map/dvips/" + vendor + "/" + vendor + ".map", "t1-abc-regular-lf Abc <[a_xyz.enc <Abc-Regular.pfb\n");
        env.writeFile("work/stage/home/tex/latex/abc/abc.sty", "sty");
        env.writeFile("work/stage/home/tex/latex/abc/t1abcx.fd", "fd");
    }
    HandOvers terminal;
    QStringList opened;
    QPointer<otfinstWindow> w;
};

} // namespace

TEST_F(OtfinstRunTest, ScriptsAreHandedOverInOrderThenTheOutputIsJudged)
{
    terminal.runUser = false;
    prepared();
    w->fontfolder = env.root() + "/my fonts";
    w->encbnd = 2;
    w->PushButton1_Action();
    const QString work = shellQuote(w->srcfolder);
    const QString trees = " && TEXMFHOME=" + shellQuote(w->srcfolder + "/stage/home") +
                          " TEXMFVAR=" + shellQuote(w->srcfolder + "/stage/var");
    EXPECT_EQ(terminal.user, (QStringList{"cd " + work + trees + " ./otfinst0 '" + env.root() + "/my fonts'",
                                          "cd " + work + trees + " ./otfinst1 '" + env.root() + "/my fonts'",
                                          "cd " + work + trees + " ./otfinst2 '" + env.root() + "/my fonts'"}));
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Bailing out! No support files found in " + w->srcfolder + "/stage/home/tex/latex/abc/"});

    // Each case's files made by a stand-in script, in the stage it is given.
    terminal.runUser = true;
    w->encbnd = 0;
    struct Case {
        QStringList files;
        const char* message; // empty: success
    };
    const QList<Case> cases{
        {{"t1abc.fd", "t1abcx.fd", "abc.sty"},
         "Bailing out! There is a problem with your otf files. It appears that some have correct lnum tables and "
         "some do not."},
        {{"t1abcx.fd", "other.sty"}, "Bailing out! Did not find expected support file abc.sty"},
        {{"abc.sty", "sub/t1abcx.fd"}, "Bailing out! No .fd files produced."},
        {{"ts1abc.fd", "ts1abcx.fd", "abc.sty"}, ""},
        {{"ABC.STY", "T1abcX.fd"}, ""},
    };
    for (const Case& c : cases) {
        QString body = "d=\"$TEXMFHOME/tex/latex/abc\"\n";
        for (const QString& f : c.files)
            body += "mkdir -p \"$(dirname \"$d/" + f + "\")\" && echo x > \"$d/" + f + "\"\n";
        env.writeScript("work/otfinst0", body);
        for (QPushButton* b : {w->PushButton2, w->PushButton3, w->PushButton4, w->PushButton6})
            b->setEnabled(false);
        env.dialogs.messages.clear();
        w->PushButton1_Action();
        const bool ok = QString(c.message).isEmpty();
        EXPECT_EQ(env.dialogs.messages, ok ? QStringList() : QStringList{c.message}) << c.files.join(' ').toStdString();
        EXPECT_EQ(w->PushButton6->isEnabled(), ok);
        EXPECT_EQ(w->PushButton4->isEnabled(), ok);
        EXPECT_EQ(w->StaticText9->text(), ok ? "Ready to run 'Test' or 'Install'" : "The otfinst run failed");
    }

    // A script that fails is named, and its output is not judged.
    terminal.runUser = true;
    env.writeScript("work/otfinst0", "exit 4\n");
    w->encbnd = 0;
    w->PushButton6->setEnabled(false);
    env.dialogs.messages.clear();
    w->PushButton1_Action();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"otfinst0 failed (exit status 4). See its output in the terminal window."});
    EXPECT_FALSE(w->PushButton6->isEnabled());
}

TEST_F(OtfinstRunTest, TypedVendorRenamesOtftotfmsFolders)
{
    prepared();
    otftotfmOutput("lcdftools");
    w->TextField5->setText("gyre");
    w->install();
    EXPECT_TRUE(env.dialogs.messages.value(0).startsWith("A TDS zip file abc.zip")) << env.dialogs.messages.join('\n').toStdString();
    const QString fonts = w->srcfolder + "/stage/var/fonts/";
    for (const char* kind : {"tfm/", "vf/", "type1/", "enc/dvips/", "map/dvips/"}) {
        EXPECT_TRUE(QFileInfo(fonts + kind + "gyre").isDir()) << kind;
        EXPECT_FALSE(QFileInfo::exists(fonts + kind + "lcdftools")) << kind;
    }
    EXPECT_TRUE(QFileInfo::exists(fonts + "map/dvips/gyre/gyre.map"));
    const QString scratch = documentsFolder() + "/" + QDir(documentsFolder()).entryList({"tmp*"}, QDir::Dirs).value(0);
    EXPECT_EQ(filesUnder(scratch),
              (QStringList{"abc.zip", "fonts/enc/dvips/gyre/abc/a_xyz.enc", "fonts/map/dvips/gyre/abc.map",
                           "fonts/tfm/gyre/abc/t1-abc-regular-lf.tfm", "fonts/type1/gyre/abc/Abc-Regular.pfb",
                           "fonts/vf/gyre/abc/t1-abc-regular-lf.vf", "tex/latex/abc/abc.sty",
                           "tex/latex/abc/t1abcx.fd"}));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/map/dvips/gyre/abc.map"));
    EXPECT_TRUE(w->PushButton3->isEnabled());
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'updmap'"));
}

TEST_F(OtfinstRunTest, BadOutputInstallsAndRemovesNothing)
{
    prepared();
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString vendor;
        QString message;
    };
    const QString dvips = w->srcfolder + "/stage/var/fonts/map/dvips";
    const QList<Case> cases{
        {"no fonts folder", [] {}, "gyre", "Bailing out---cannot locate " + dvips},
        {"two map folders",
         [&] {
             otftotfmOutput("lcdftools");
             env.writeFile("work/stage/var/fonts/map/dvips/other/other.map", "x");
         },
         "gyre", "Bailing out---more than one map file in " + dvips},
        {"map without its folder",
         [&] { env.writeFile("work/stage/var/fonts/map/dvips/loose.map", "x"); }, "",
         "Bailing out---no folder named " + dvips + "/loose"},
        {"rename into an existing folder",
         [&] {
             otftotfmOutput("lcdftools");
             env.writeFile("work/stage/var/fonts/tfm/gyre/keep.tfm", "x");
         },
         "gyre", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(texmfVar).removeRecursively();
        QDir(texmfHome).removeRecursively();
        QDir(w->srcfolder + "/stage").removeRecursively();
        c.arrange();
        const auto before = snapshot(env.root());
        env.dialogs.messages.clear();
        w->PushButton3->setEnabled(false);
        w->TextField5->setText(c.vendor);
        w->install();
        ASSERT_EQ(env.dialogs.messages.size(), 1);
        if (c.message.isEmpty())
            EXPECT_TRUE(env.dialogs.messages.first().startsWith("Bailing out---cannot rename ")) << env.dialogs.messages.first().toStdString();
        else
            EXPECT_EQ(env.dialogs.messages.first(), c.message);
        EXPECT_EQ(snapshot(env.root()), before);
        EXPECT_TRUE(QDir(documentsFolder()).entryList({"tmp*"}, QDir::Dirs).isEmpty());
        EXPECT_FALSE(w->PushButton3->isEnabled());
    }
}

TEST_F(OtfinstRunTest, DuplicatesAreReported)
{
    prepared();
    otftotfmOutput("lcdftools");
    env.writeFile("texmf-local/tex/latex/abc/abc.sty", "older");
    env.writeFile("texmf-local/tex/latex/old/t1abc.fd", "older");
    env.writeFile("work/stage/home/tex/latex/abc/abcx.sty", "x");
    w->install();
    EXPECT_TRUE(env.dialogs.messages.contains(
        "One or more copies of abc.sty were found in areas searched by LaTeX. See log."));
    // The message names the log the lines went to.
    const QString seeLog = ", there are existing .fd files for abc. See " + w->srcfolder + "/QLKlogfile.txt.";
    EXPECT_TRUE(env.dialogs.messages.contains("In the folder " + texmfLocal + seeLog))
        << env.dialogs.messages.join('\n').toStdString();
    // The package's own .fd files in TEXMFHOME do not count.
    EXPECT_FALSE(env.dialogs.messages.contains("In the folder " + texmfHome + seeLog));
    // The log went on in the work folder.
    EXPECT_TRUE(readText(w->srcfolder + "/QLKlogfile.txt").contains("Zip file contents:"));

    // A package folder with .sty files of other names only.
    QFile::remove(w->srcfolder + "/stage/home/tex/latex/abc/abc.sty");
    env.dialogs.messages.clear();
    w->install();
    EXPECT_EQ(env.dialogs.messages.mid(0, 2),
              (QStringList{"Expected sty file not found: abc.sty",
                           "There are sty files with unexpected names:\nabcx.sty"}));
}

TEST_F(OtfinstRunTest, SystemTreeInstallWaitsForTheRootUnzip)
{
    prepared();
    otftotfmOutput("lcdftools");
    setpref("method", qint32(1));
    terminal.rootStatus = 1;
    w->install();
    ASSERT_EQ(terminal.root.size(), 1);
    EXPECT_TRUE(terminal.root.first().contains(" && cd " + shellQuote(texmfLocal) + " && /usr/bin/sudo "));
    EXPECT_TRUE(env.dialogs.messages.last().startsWith("The unzip into " + texmfLocal + " failed or was cancelled"));
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/tex/latex/abc/abc.sty"));
    EXPECT_FALSE(w->PushButton3->isEnabled());

    terminal.root.clear();
    terminal.rootStatus = 0;
    w->install();
    ASSERT_EQ(terminal.root.size(), 2);
    EXPECT_TRUE(terminal.root.at(0).contains("unzip -o"));
    EXPECT_TRUE(terminal.root.at(1).startsWith("/usr/bin/sudo ") && terminal.root.at(1).endsWith("mktexlsr"));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/tex/latex/abc/abc.sty"));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/fonts/map/dvips/lcdftools/abc.map"));
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/tex/latex/abc/abc.sty"));
    EXPECT_TRUE(w->PushButton3->isEnabled());
}

TEST_F(OtfinstRunTest, TestPicksTheMapByWhatIsInstalled)
{
    prepared();
    env.writeFile("home/texmf/tex/latex/abc/t1abcx.fd",
                  "\\DeclareFontFamily{T1}{abcx}{}\\DeclareFontShape{T1}{abcx}{m}{n}{<-> cmr10}{}\n");
    w->CheckBox1[1]->setChecked(true);
    // updmap-user's own maps are not the package's.
    env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/updmap/psfonts.map", "x");
    struct Case {
        const char* what;
        QStringList maps;
        QString vendor;
        QString expected; // the test document's map and package lines
    };
    const QString v = "home/.texlive2022/texmf-var/fonts/map/dvips/";
    const QList<Case> cases{
        {"none, vendor typed", {}, "gyre", "\\usepackage{abc}\n\\pdfmapfile{+gyre.map}"},
        {"none, no vendor", {}, "", "\\pdfmapfile{+abc.map}"},
        {"one", {"lcdftools/lcdftools.map"}, "", "\\usepackage{abc}\n\\pdfmapfile{+lcdftools.map}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& m : c.maps)
            env.writeFile(v + m, "x");
        w->TextField5->setText(c.vendor);
        w->lastTestFolder.clear();
        w->PushButton6_Action();
        ASSERT_FALSE(w->lastTestFolder.isEmpty());
        const QString tex = readText(w->lastTestFolder + "/test.tex");
        EXPECT_TRUE(tex.contains(c.expected + "\n\\usepackage[T1]{fontenc}")) << tex.toStdString();
    }
    env.writeFile(v + "other/other.map", "x");
    env.dialogs.messages.clear();
    w->PushButton6_Action();
    EXPECT_EQ(env.dialogs.messages, QStringList{"Bailing out---there is more than one map file in texmfvar. Clean "
                                                "out texmfvar and start over."});
    // Once updmap has run, no map is loaded.
    w->installed = true;
    w->PushButton6_Action();
    EXPECT_FALSE(readText(w->lastTestFolder + "/test.tex").contains("pdfmapfile"));
}

// The whole road on TeX Gyre Pagella: scripts, Install into TEXMFHOME,
// updmap-user, and a test document with the font embedded.
TEST_F(OtfinstRunTest, PagellaRoadEndsInAnEmbeddedFont)
{
    const QString folder = fontFolder({"texgyrepagella-regular.otf"});
    w->Listbox1_DropObject({folder});
    w->PushButton4_Action();
    ASSERT_EQ(w->encbnd, 1);
    w->PushButton1_Action();
    ASSERT_EQ(terminal.user.size(), 2);
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Ready to run 'Test' or 'Install'"));
    for (QPushButton* b : {w->PushButton2, w->PushButton3, w->PushButton4, w->PushButton6})
        EXPECT_TRUE(b->isEnabled());

    w->install();
    ASSERT_EQ(env.dialogs.messages.size(), 1) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_TRUE(env.dialogs.messages.first().startsWith(
        "A TDS zip file texgyrepagella.zip including all font support files has been constructed in the temporary "
        "folder \n" + documentsFolder() + "/tmp"));
    const QString scratch = env.dialogs.messages.first().section('\n', 1);
    EXPECT_EQ(QFileInfo(scratch).fileName().size(), 10);
    const QStringList tree = filesUnder(scratch);
    for (const char* f : {"texgyrepagella.zip", "tex/latex/texgyrepagella/texgyrepagella.sty",
                          "tex/latex/texgyrepagella/t1qplx.fd", "fonts/map/dvips/lcdftools/texgyrepagella.map",
                          "fonts/tfm/lcdftools/texgyrepagella/t1-texgyrepagella-regular-lf.tfm",
                          "fonts/type1/lcdftools/texgyrepagella/TeXGyrePagella-Regular.pfb"})
        EXPECT_TRUE(tree.contains(f)) << f;
    EXPECT_FALSE(QDir(scratch + "/fonts/enc/dvips/lcdftools/texgyrepagella").entryList({"*.enc"}).isEmpty());
    EXPECT_TRUE(readText(w->srcfolder + "/QLKlogfile.txt").contains("tex/latex/texgyrepagella/texgyrepagella.sty"));

    env.dialogs.messages.clear();
    w->PushButton3_Action();
    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Finished 'updmap'"));
    EXPECT_TRUE(w->installed);
    EXPECT_EQ(tdsMaps, QStringList{"texgyrepagella"});
    EXPECT_TRUE(readBytes(texmfConfig + "/web2c/updmap.cfg").contains("Map texgyrepagella.map"));
    // Only updmap-user's maps are left in TEXMFVAR.
    const QStringList left = filesUnder(texmfVar + "/fonts");
    EXPECT_FALSE(left.isEmpty());
    for (const QString& f : left)
        EXPECT_TRUE(f.startsWith("map/") && f.contains("/updmap/")) << f.toStdString();
    for (const char* name : {"texgyrepagella.sty", "t1-texgyrepagella-regular-lf.tfm", "texgyrepagella.map"}) {
        const QString found = runBash(QString("kpsewhich ") + name).output.trimmed();
        EXPECT_TRUE(found.startsWith(texmfHome + "/")) << name << " " << found.toStdString();
    }
    const QString log = readText(w->srcfolder + "/QLKlogfile.txt");
    EXPECT_TRUE(log.contains("%Available encodings: t1,ts1\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("\\usepackage[rm]{texgyrepagella}\n\\usepackage[TS1,T1]{fontenc}%change so last entry"));

    w->PushButton6_Action();
    ASSERT_FALSE(w->lastTestFolder.isEmpty());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    const ProcessResult fonts = runBash("pdffonts " + shellQuote(w->lastTestFolder + "/test.pdf"));
    EXPECT_TRUE(fonts.output.contains(QRegularExpression("TeXGyrePagella-Regular +Type 1 +\\S+ +yes")))
        << fonts.output.toStdString();
    EXPECT_EQ(opened, QStringList{"open " + w->lastTestFolder + "/test.pdf"});
}

// Over an installed Pagella package: Install stopped at each step of its
// replacement, then runs whose otftotfm fails, writes nothing or is killed
// with its script. After each the installed package typesets, nothing says
// finished, and nothing can be installed.
TEST_F(OtfinstRunTest, RerunsAndInterruptionsKeepTheInstalledPackage)
{
    const QString folder = fontFolder({"texgyrepagella-regular.otf"});
    w->Listbox1_DropObject({folder});
    // One script (OT1) per run keeps the test short.
    w->CheckBox1[1]->setChecked(false);
    w->CheckBox1[0]->setChecked(true);
    w->PushButton4_Action();
    w->PushButton1_Action();
    w->install();
    w->PushButton3_Action();
    ASSERT_TRUE(typesets("texgyrepagella", "TeXGyrePagella-Regular", "OT1"));
    stopInstallAtEachStep([&] { w->install(); }, w->PushButton3, w->StaticText9, [&] {
        EXPECT_EQ(w->StaticText9->text(), QStringLiteral("Install failed"));
        EXPECT_TRUE(typesets("texgyrepagella", "TeXGyrePagella-Regular", "OT1"));
    });

    // A repeated run over the installed package: otftotfm, not seeing the
    // installed outline, makes it again, and the zip holds it.
    env.dialogs.answers = {true};
    w->PushButton4_Action();
    w->PushButton1_Action();
    env.dialogs.messages.clear();
    w->install();
    ASSERT_TRUE(env.dialogs.messages.value(0).startsWith("A TDS zip file texgyrepagella.zip"))
        << env.dialogs.messages.join('\n').toStdString();
    const QString zip = env.dialogs.messages.first().section('\n', 1) + "/texgyrepagella.zip";
    EXPECT_TRUE(runBash("unzip -l " + shellQuote(zip)).output.contains(
        "fonts/type1/lcdftools/texgyrepagella/TeXGyrePagella-Regular.pfb"));
    w->PushButton3_Action();
    ASSERT_TRUE(typesets("texgyrepagella", "TeXGyrePagella-Regular", "OT1"));

    struct Case {
        const char* what;
        const char* otftotfm; // the stand-in's body
        const char* message;  // how the first message begins
    };
    const QList<Case> cases{
        {"fails", "exit 1\n", "otfinst0 failed (exit status 1)"},
        {"writes nothing", "exit 0\n", "Bailing out! The new package is not complete"},
        {"killed with its script", "kill -9 $PPID\nsleep 5\n", "otfinst0 failed (exit status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setpref("otftotfm", env.writeScript("bin/otftotfm", c.otftotfm));
        env.dialogs.messages.clear();
        env.dialogs.answers = {true};
        w->PushButton4_Action();
        EXPECT_FALSE(w->PushButton2->isEnabled());
        w->PushButton1_Action();
        expectRefusedRun(c.message, {w->PushButton2, w->PushButton3, w->PushButton6}, w->StaticText9);
        EXPECT_EQ(w->StaticText9->text(), QStringLiteral("The otfinst run failed"));
        if (QString(c.message).startsWith("Bailing out"))
            EXPECT_TRUE(env.dialogs.messages.last().startsWith(
                "Bailing out! The new package is not complete; the installed one is left as it is.\n"));
        EXPECT_TRUE(typesets("texgyrepagella", "TeXGyrePagella-Regular", "OT1"));
        // The failed run wrote nothing into TEXMFVAR: only updmap's maps.
        for (const QString& f : filesUnder(texmfVar + "/fonts"))
            EXPECT_TRUE(f.contains("/updmap/")) << f.toStdString();
    }
}

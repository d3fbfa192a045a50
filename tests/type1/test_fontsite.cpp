#include "MinionFixture.h"

#include "platform/Desktop.h"
#include "services/FileHelpers.h"
#include "support/MenuFixture.h"
#include "texenv/TexEnv.h"
#include "mainwindow/TdsInstall.h"
#include "type1/GrabFSFont.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QString section(const QString& name, const QString& properties, const QString& more = {})
{
    return "File: fs500tex.info,  Node: " + name + ",  Up: Families\n\n" + name + "\n" +
           QString(name.size(), '=') + "\n\n" + properties + "\n" + more;
}

// Every file below `root` with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, QCryptographicHash::hash(test::readBytes(path), QCryptographicHash::Sha1));
    }
    return files;
}

// The user's copy of the CD ("Type 1" with one folder per family, outline
// names in capitals) and the fs500tex support files, with metrics made
// from URW Palladio and Dingbats, in the test's HOME.
struct FontSiteWorld : test::DownloadWorld {
    QString cd, support;
    QStringList opened;
    explicit FontSiteWorld(bool withSupport = true)
    {
        isAdmin = false; // texmf-home and texmf-var offered
        setDesktopRecorder([this](const QString& action, const QString& path) { opened << action + " " + path; });
        const QString home = env.home();
        cd = home + "/Fonts/FontSite CD";
        support = home + "/tex/fs500tex";
        env.writeFile("home/Fonts/FontSite CD/FontSite 500 CD.pdf", "%PDF-1.4 catalogue");
        if (!withSupport)
            return;
        const QString info1 = "This is fs500tex.info.\n\n* Walbaum::  The Walbaum family\n\n" +
                              section("Arnold Bocklin", "Package:   {arnold}  5ab") +
                              section("Palladio", "Package:   {fspal}  5pl", "Use \\usepackage[osf,rm]{fspal}\n\n") +
                              section("Arrows Y", "Symbols:   {arrowsy} \\Pisymbol{5ay}", "Load pifont.\n");
        const QString info2 = section("Arnold Bocklin", "Package:   {arnold}  5ab") +
                              section("OCR", "Package:   {fsocr}  5oc") + section("Walbaum", "Package:   {wal}  5wb") +
                              "* Menu:\n";
        env.writeFile("home/tex/fs500tex/doc/fs500tex.info-1", info1.toUtf8());
        env.writeFile("home/tex/fs500tex/doc/fs500tex.info-2", info2.toUtf8());
        env.writeFile("home/tex/fs500tex/tex/latex/fontsite/fspal.sty",
                      "\\ProvidesPackage{fspal}\n\\DeclareOption{rm}{}\n\\DeclareOption*{}\n\\ProcessOptions\n"
                      "\\renewcommand{\\rmdefault}{5pl}\n");
        env.writeFile("home/tex/fs500tex/tex/latex/fontsite/t15pl.fd",
                      "\\ProvidesFile{t15pl.fd}\n\\DeclareFontFamily{T1}{5pl}{}\n"
                      "\\DeclareFontShape{T1}{5pl}{m}{n}{<-> 5plr8t}{}\n"
                      "\\DeclareFontShape{T1}{5pl}{m}{it}{<-> ssub * 5pl/m/n}{}\n");
        env.writeFile("home/tex/fs500tex/tex/latex/fontsite/u5ay.fd",
                      "\\ProvidesFile{u5ay.fd}\n\\DeclareFontFamily{U}{5ay}{}\n"
                      "\\DeclareFontShape{U}{5ay}{m}{n}{<-> 5ayr}{}\n");
        env.writeFile("home/tex/fs500tex/dvips/config/fs500tex.map",
                      "% fs500tex\n5ayr Dingbats <uzdr.pfb\n"
                      "5plr8r URWPalladioL-Roma \"TeXBase1Encoding ReEncodeFont\" <8r.enc <uplr8a.pfb\n"
                      "5ocr8r URWPalladioL-Bold \"TeXBase1Encoding ReEncodeFont\" <8r.enc <ocrb.pfb\n");
        const QString q = shellQuote(support);
        test::mustRun(
            "set -e; cd " + q + " && cp " + shellQuote(test::texFile("8r.enc")) + " dvips/ && " +
            "mkdir -p fonts/tfm/fontsite/fspal fonts/vf/fontsite/fspal fonts/tfm/fontsite/arrowsy "
            "fonts/tfm/fontsite/fsocr fonts/vf/fontsite/fsocr && cd fonts/tfm/fontsite/fspal && "
            "afm2tfm " + shellQuote(test::texFile("uplr8a.afm")) + " -p 8r.enc -t ec.enc -v 5plr8t 5plr8r >/dev/null && "
            "vptovf 5plr8t.vpl ../../../vf/fontsite/fspal/5plr8t.vf 5plr8t.tfm >/dev/null && rm 5plr8t.vpl && "
            "cp 5plr8r.tfm ../fsocr/5ocr8r.tfm && cp ../../../vf/fontsite/fspal/5plr8t.vf ../../../vf/fontsite/fsocr/ && "
            "cd ../arrowsy && afm2tfm " + shellQuote(test::texFile("uzdr.afm")) + " 5ayr >/dev/null && cd " +
            shellQuote(cd) + " && mkdir -p 'Type 1/Palladio' 'Type 1/Arrows' 'Type 1/OCR B' 'Type 1/OCR A' && "
            "cp " + shellQuote(test::texFile("uplr8a.pfb")) + " 'Type 1/Palladio/UPLR8A.PFB' && "
            "cp " + shellQuote(test::texFile("uzdr.pfb")) + " 'Type 1/Arrows/UZDR.PFB' && "
            "cp " + shellQuote(test::texFile("uplb8a.pfb")) + " 'Type 1/OCR B/OCRB.PFB' && "
            "cp " + shellQuote(test::texFile("uplri8a.pfb")) + " 'Type 1/OCR A/OCRA.PFB'");
        env.writeFile("home/tex/fs500tex/tex/latex/fontsite/fsocr.sty", "\\ProvidesPackage{fsocr}\n");
    }
    QPointer<GrabFSFont> window;
    ~FontSiteWorld() { delete window.data(); }
    // Opens the window through the menu; nullptr when none stayed.
    GrabFSFont* open()
    {
        if (!test::chooseMenuItem("FileGrabFSFontFamily"))
            return nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* w = qobject_cast<GrabFSFont*>(top))
                window = w;
        }
        return window;
    }
    void choose(GrabFSFont* w, const QString& family, int target)
    {
        w->PopupMenu1->setCurrentIndex(w->PopupMenu1->findText(family));
        w->RadioButton1[target]->setChecked(true);
    }
};

const QString kFailed = "Installation failed, no test file prepared.";

} // namespace

TEST(GrabFSFont, ListsTheCatalogueAndOffersTheUsersTrees)
{
    FontSiteWorld world;
    GrabFSFont* w = world.open();
    ASSERT_NE(w, nullptr) << world.env.dialogs.transcript.join("\n").toStdString();
    EXPECT_TRUE(w->isVisible());
    QStringList rows;
    for (int i = 0; i < w->PopupMenu1->count(); ++i)
        rows << w->PopupMenu1->itemText(i);
    EXPECT_EQ(rows, (QStringList{"Palladio", "Arrows Y", "Arnold Bocklin", "OCR"}));
    EXPECT_EQ(w->PopupMenu1->currentIndex(), 0);
    EXPECT_EQ(w->TextArea1->toPlainText(), "Package:   {fspal}  5pl\nUse \\usepackage[osf,rm]{fspal}");
    EXPECT_EQ(w->srcT, world.support);
    EXPECT_EQ(w->srcF, world.cd + "/Type 1");
    // Not an administrator: home and var, var preselected; a second
    // choice of the menu brings the same window without a new search.
    EXPECT_TRUE(w->RadioButton1[0]->isHidden());
    EXPECT_FALSE(w->RadioButton1[1]->isHidden());
    EXPECT_TRUE(w->RadioButton1[2]->isChecked());
    w->RadioButton1[1]->setChecked(true);
    EXPECT_EQ(world.open(), w);
    EXPECT_TRUE(w->RadioButton1[1]->isChecked());
    EXPECT_TRUE(world.env.dialogs.transcript.isEmpty()) << world.env.dialogs.transcript.join("\n").toStdString();

    // The Latin Modern sample lies beside the program and opens.
    w->PushButton3->click();
    EXPECT_EQ(world.opened, QStringList{"open " + appFolder() + "/lmodernzuv.pdf"});
    EXPECT_TRUE(QFileInfo(appFolder() + "/lmodernzuv.pdf").size() > 1000);
}

TEST(GrabFSFont, MissingSourcesLeaveNoWindow)
{
    const QString ask = "Cannot find file fs500tex.info-1 that should be part of the fontsite support folder. "
                        "Search manually?";
    const QString download = "Perhaps you need to download the files---see documentation.";
    {
        FontSiteWorld world(false);
        EXPECT_EQ(world.open(), nullptr);
        EXPECT_EQ(world.env.dialogs.questions, QStringList{ask});
        EXPECT_EQ(world.env.dialogs.messages, QStringList{download});
    }
    {
        // Yes, then a cancelled chooser counts as No.
        FontSiteWorld world(false);
        world.env.dialogs.answers = {true};
        EXPECT_EQ(world.open(), nullptr);
        EXPECT_EQ(world.env.dialogs.messages, QStringList{download});
    }
    {
        // The CD's catalogue without its "Type 1" folder.
        FontSiteWorld world;
        QDir(world.cd + "/Type 1").removeRecursively();
        EXPECT_EQ(world.open(), nullptr);
        EXPECT_EQ(world.env.dialogs.messages,
                  QStringList{"Unable to find Fontsite 500 CD. Please copy the CD to your hard drive and start again."});
    }
}

// Catalogue files that list no family: the window says which files it read
// and does not stay.
TEST(GrabFSFont, ACatalogueWithoutFamiliesLeavesNoWindow)
{
    const struct {
        QByteArray info1, info2;
    } cases[] = {
        {"", ""},
        {"This is fs500tex.info.\n\n* Walbaum::  The Walbaum family\n\nNo families here.\n",
         "File: fs500tex.info,  Node: Index,  Up: Top\n\n* Menu:\n"},
        // Every section too short to name a family.
        {"* Walbaum::  x\nFile: a\n\nPalladio\nFile: b\n", "File: c\n* Menu:\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info1.toStdString());
        FontSiteWorld world;
        const QString doc = world.support + "/doc/";
        world.env.writeFile("home/tex/fs500tex/doc/fs500tex.info-1", c.info1);
        world.env.writeFile("home/tex/fs500tex/doc/fs500tex.info-2", c.info2);
        EXPECT_EQ(world.open(), nullptr);
        EXPECT_EQ(world.env.dialogs.messages,
                  QStringList{"No font family found in " + doc + "fs500tex.info-1 or in " + doc +
                              "fs500tex.info-2: they hold no family section. Please check that they are the "
                              "fs500tex support files' documentation."});
    }
}

// The text family into the personal tree: outlines in lower case, the
// family's map lines, the map enabled, and a test page in the font.
TEST(GrabFSFont, TextFamilyIntoThePersonalTreeWithItsTestPage)
{
    FontSiteWorld world;
    GrabFSFont* w = world.open();
    ASSERT_NE(w, nullptr);
    world.choose(w, "Palladio", 1);
    w->PushButton1->click();
    EXPECT_TRUE(world.reports.isEmpty()) << world.reports.join("\n").toStdString();
    EXPECT_EQ(w->StaticText5->text(), "Installation finished, test file prepared.");
    EXPECT_TRUE(w->StaticText5->isVisible());
    EXPECT_TRUE(w->PushButton2->isVisible());

    const QString home = world.env.texmfHome();
    EXPECT_EQ(QDir(home + "/fonts/type1/fontsite/fspal").entryList(QDir::Files), QStringList{"uplr8a.pfb"});
    EXPECT_EQ(readTextFile(home + "/fonts/map/dvips/fontsite/fspal.map"),
              "5plr8r URWPalladioL-Roma \"TeXBase1Encoding ReEncodeFont\" <8r.enc <uplr8a.pfb\n");
    for (const char* rel : {"fonts/tfm/fontsite/fspal/5plr8r.tfm", "fonts/vf/fontsite/fspal/5plr8t.vf",
                            "tex/latex/fontsite/fspal/fspal.sty", "tex/latex/fontsite/fspal/t15pl.fd",
                            "fonts/enc/dvips/fontsite/8r.enc"})
        EXPECT_TRUE(QFileInfo(home + "/" + rel).isFile()) << rel;
    EXPECT_TRUE(readTextFile(world.env.texmfConfig() + "/web2c/updmap.cfg").contains("Map fspal.map"));
    EXPECT_EQ(world.status(), "Install finished.");
    const QString test = readTextFile(w->tmpfolder + "/test.tex");
    EXPECT_TRUE(test.contains("\\usepackage[rm]{fspal}\n")) << test.toStdString();
    EXPECT_TRUE(test.contains("tfm name {\\tt 5plr8t.tfm}"));

    w->PushButton2->click();
    EXPECT_TRUE(world.reports.isEmpty()) << world.reports.join("\n").toStdString();
    EXPECT_EQ(world.opened.value(0), "open " + w->tmpfolder + "/test.pdf");
    const ProcessResult fonts = runBash("pdffonts " + shellQuote(w->tmpfolder + "/test.pdf"));
    bool embedded = false;
    for (const QString& line : fonts.output.split('\n'))
        embedded = embedded || (line.contains("URWPalladioL-Roma") && line.contains(" yes "));
    EXPECT_TRUE(embedded) << fonts.output.toStdString();

    // Another family hides the outcome of this one.
    w->PopupMenu1->setCurrentIndex(1);
    EXPECT_FALSE(w->PushButton2->isVisible());
    EXPECT_FALSE(w->StaticText5->isVisible());
}

TEST(GrabFSFont, SymbolFamilyAndTheTwoOcrFolders)
{
    FontSiteWorld world;
    GrabFSFont* w = world.open();
    ASSERT_NE(w, nullptr);
    world.choose(w, "Arrows Y", 1);
    w->PushButton1->click();
    const QString home = world.env.texmfHome();
    EXPECT_EQ(QDir(home + "/fonts/type1/fontsite/arrowsy").entryList(QDir::Files), QStringList{"uzdr.pfb"});
    EXPECT_EQ(readTextFile(home + "/fonts/map/dvips/fontsite/arrowsy.map"), "5ayr Dingbats <uzdr.pfb\n");
    EXPECT_TRUE(QFileInfo(home + "/tex/latex/fontsite/arrowsy/u5ay.fd").isFile());
    EXPECT_EQ(readTextFile(w->tmpfolder + "/test.tex"), fsSymbolTest("Arrows", "ay", "5ayr"));
    EXPECT_EQ(w->StaticText5->text(), "Installation finished, test file prepared.");

    // OCR into texmf-var, and No to emptying it: the work tree holds both
    // CD folders' outlines, TEXMFVAR is untouched, nothing is installed.
    world.env.writeFile(QDir(world.env.root()).relativeFilePath(world.env.texmfVar()) + "/keep/file.txt", "kept");
    const auto before = snapshot(world.env.texmfVar());
    world.choose(w, "OCR", 2);
    world.env.dialogs.answers = {false};
    w->PushButton1->click();
    EXPECT_EQ(world.env.dialogs.questions.last(), "Delete folder contents: " + texmfVar + "?");
    EXPECT_EQ(QDir(w->tmpfolder + "/fonts/type1/fontsite/fsocr").entryList(QDir::Files),
              (QStringList{"ocra.pfb", "ocrb.pfb"}));
    EXPECT_EQ(snapshot(world.env.texmfVar()), before);
    EXPECT_FALSE(QFileInfo::exists(home + "/fonts/type1/fontsite/fsocr"));
    EXPECT_FALSE(w->StaticText5->isVisible());
}

// A family whose outlines are not on the CD ends before anything is
// installed or enabled.
TEST(GrabFSFont, MissingOutlinesEndWithoutInstalling)
{
    FontSiteWorld world;
    QDir(world.cd + "/Type 1/Palladio").removeRecursively();
    GrabFSFont* w = world.open();
    ASSERT_NE(w, nullptr);
    world.choose(w, "Palladio", 1);
    w->PushButton1->click();
    EXPECT_EQ(w->StaticText5->text(), kFailed);
    EXPECT_FALSE(w->PushButton2->isVisible());
    EXPECT_FALSE(QFileInfo::exists(world.env.texmfHome() + "/fonts/map/dvips/fontsite/fspal.map"));
    EXPECT_FALSE(readTextFile(world.env.texmfConfig() + "/web2c/updmap.cfg").contains("fspal"));
    EXPECT_NE(world.status(), "Install finished.");
}

// An administrator's texmf-local: the unpack is a root command; when it
// fails, no map is enabled and the run reads as failed.
TEST(GrabFSFont, LocalTreeThroughTheRootRoute)
{
    for (int status : {0, 3}) {
        SCOPED_TRACE(status);
        FontSiteWorld world;
        isAdmin = true;
        // The system method: no personal enabling of a map that the
        // recorded unpack never put anywhere.
        personalInstall = false;
        setpref("sudo", qint32(1));
        world.rootStatus = status;
        GrabFSFont* w = world.open();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->RadioButton1[1]->isHidden());
        world.choose(w, "Palladio", 0);
        w->PushButton1->click();
        ASSERT_FALSE(world.rootTexts.isEmpty());
        EXPECT_EQ(world.rootTexts.first(), unzipTreeCommand(w->tmpfolder, texmfLocal, true));
        if (status == 0) {
            ASSERT_EQ(world.rootTexts.size(), 2);
            EXPECT_TRUE(world.rootTexts.at(1).contains("--enable Map=fspal.map"));
            EXPECT_EQ(w->StaticText5->text(), "Installation finished, test file prepared.");
        } else {
            EXPECT_EQ(world.rootTexts.size(), 1);
            EXPECT_EQ(w->StaticText5->text(), kFailed);
            EXPECT_NE(world.status(), "Install finished.");
        }
    }
}

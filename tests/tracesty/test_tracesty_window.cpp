#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"
#include "texenv/Init.h"
#include "texenv/TexEnv.h"
#include "textview/TextWindow.h"
#include "tracesty/CustomInput.h"
#include "tracesty/TraceSty.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <gtest/gtest.h>

#include <ostream>

using namespace qlk;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

class TraceStyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setAppFolderForTesting(QLK_APP_DIR);
        init();
        ASSERT_EQ(env.takeQuits(), 0);
        setDesktopRecorder([this](const QString& action, const QString& path) { desktop << action + " " + path; });
        problemFiles.clear();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        setDesktopRecorder(nullptr);
    }
    void open()
    {
        ASSERT_TRUE(test::chooseMenuItem("ViewTraceSty"));
        w = TraceSty::instance();
    }
    // Runs a trace of `commands` with the popup at `row`.
    void trace(const QString& commands, int row = 0)
    {
        w->TextArea2->setPlainText(commands);
        w->PopupMenu1->setCurrentIndex(row);
        w->PushButton1->click();
    }
    QString report() const { return w->TextArea1->toPlainText(); }
    // Writes a file below TEXMFHOME, the home folder or Documents.
    QString writeBelow(const QString& folder, const QString& relative, const QByteArray& contents)
    {
        return env.writeFile(QDir(env.root()).relativeFilePath(folder + "/" + relative), contents);
    }
    QString temp() const { return documentsFolder() + "/0000temp"; }

    test::TestEnv env{false};
    QStringList desktop;
    QPointer<TraceSty> w;
};

} // namespace

TEST_F(TraceStyTest, OpensFilledFromThePreferencesOrTheDefaults)
{
    open();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Trace .sty");
    EXPECT_EQ(w->TextArea2->toPlainText(), "\\usepackage[sc,slantedGreek]{mathpazo}");
    EXPECT_EQ(w->TextField2->text(), "0000temp");
    EXPECT_TRUE(w->RadioButton1[0]->isChecked());
    EXPECT_EQ(w->PopupMenu1->count(), 7);
    EXPECT_EQ(w->PopupMenu1->itemText(6), "\\mathscr");
    EXPECT_EQ(w->PopupMenu1->currentIndex(), 0);
    EXPECT_FALSE(w->PushButton2->isVisibleTo(w));
    EXPECT_FALSE(w->PushButton3->isEnabled());

    // A second showing keeps the user's edits.
    w->TextArea2->setPlainText("\\usepackage{mathptmx}");
    w->TextField2->setText("other");
    w->RadioButton1[2]->setChecked(true);
    w->PopupMenu1->setCurrentIndex(3);
    w->hide();
    w->show();
    EXPECT_EQ(w->TextArea2->toPlainText(), "\\usepackage{mathptmx}");
    EXPECT_EQ(w->TextField2->text(), "other");
    EXPECT_TRUE(w->RadioButton1[2]->isChecked());
    EXPECT_EQ(w->PopupMenu1->currentIndex(), 3);

    // A new window reads the stored preferences: two lines show as two lines.
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    setpref("fontsty", QString("\\usepackage{mathptmx}\n\\usepackage{helvet}"));
    setpref("temp", QString(""));
    open();
    EXPECT_EQ(w->TextArea2->toPlainText(), "\\usepackage{mathptmx}\n\\usepackage{helvet}");
    EXPECT_EQ(w->TextField2->text(), "");
}

TEST_F(TraceStyTest, DefaultCommandsTraceMathpazoAndTheSampleUsesItsFamily)
{
    open();
    w->PushButton1_Action();
    for (int i = 0; i <= 3; ++i)
        EXPECT_TRUE(QFileInfo(temp() + QString("/min%1.tex").arg(i)).isFile()) << i;
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();
    const QString r = report();
    EXPECT_TRUE(r.startsWith("Your font commands load pplx as default Roman font,\n"
                             "  cmss as default Sans Serif font, and cmtt as default Typewriter font.\n"
                             "  Default encoding is OT1\n  Font definition file ot1pplx.fd was found\n"
                             "  Characters in OT1/pplx resolve to glyphs from the font file(s): \n    uplr8a.pfb\n"))
        << r.toStdString();
    EXPECT_FALSE(r.contains("Checking for encoding: OT1"));
    EXPECT_TRUE(r.contains("Checking for encoding: T1\n  Font is available in encoding T1 (File t1pplx.fd)"));
    // This TeX Live has no LY1 encoding: one line, no error, nothing to search for.
    EXPECT_TRUE(r.endsWith("\nEncoding LY1 is not installed here (no ly1enc.def): its check is skipped."))
        << r.toStdString();
    EXPECT_FALSE(r.contains("Fatal error"));
    EXPECT_FALSE(w->PushButton2->isVisibleTo(w));
    EXPECT_FALSE(QFileInfo::exists(temp() + "/min3.log"));
    EXPECT_EQ(w->MainRmDefault, "pplx");
    EXPECT_EQ(w->MainEncDefault, "OT1");
    EXPECT_EQ(prefText("fontsty"), "\\usepackage[sc,slantedGreek]{mathpazo}");
    EXPECT_TRUE(w->PushButton3->isEnabled());

    // Sample: the ppl family in OT1, with the traced commands.
    w->PushButton3->click();
    ASSERT_EQ(desktop.size(), 1) << env.dialogs.transcript.join("\n").toStdString();
    ASSERT_TRUE(desktop.first().startsWith("open ") && desktop.first().endsWith("/test.pdf"));
    const QString tex = QString::fromUtf8(test::readBytes(QFileInfo(desktop.first().mid(5)).path() + "/test.tex"));
    EXPECT_TRUE(tex.contains("\\usepackage[sc,slantedGreek]{mathpazo}"));
    EXPECT_TRUE(tex.contains("ppl")) << tex.toStdString();
    EXPECT_FALSE(tex.contains("fontenc"));

    // Editing the commands disables it again.
    w->TextArea2->appendPlainText("%");
    EXPECT_FALSE(w->PushButton3->isEnabled());
}

// With an LY1 encoding in the personal tree the LY1 pass runs as the others do.
TEST_F(TraceStyTest, AnInstalledLy1EncodingIsChecked)
{
    writeBelow(env.texmfHome(), "tex/latex/qlkenc/ly1enc.def",
               "\\ProvidesFile{ly1enc.def}\n\\DeclareFontEncoding{LY1}{}{}\n"
               "\\DeclareFontSubstitution{LY1}{cmr}{m}{n}\n"
               "\\DeclareFontFamily{LY1}{cmr}{}\\DeclareFontShape{LY1}{cmr}{m}{n}{<-> cmr10}{}\n");
    open();
    trace("\\usepackage{mathpazo}");
    const QString r = report();
    EXPECT_TRUE(QFileInfo(temp() + "/min3.log").isFile());
    EXPECT_TRUE(r.contains("Checking for encoding: LY1\n  Font is not available in encoding LY1")) << r.toStdString();
    EXPECT_FALSE(r.contains("not installed here"));
    EXPECT_FALSE(r.contains("Fatal error"));
}

TEST_F(TraceStyTest, MathAlphabetsAndTheCustomObject)
{
    open();
    trace("\\usepackage{mathrsfs}", 6);
    EXPECT_TRUE(QFileInfo(temp() + "/min4.tex").isFile());
    EXPECT_TRUE(report().contains("Tracing \\mathscr:\n  TFM file rsfs10\n  Glyphs are taken from the file(s):\n"
                                  "    rsfs10.pfb\n"))
        << report().toStdString();

    trace("\\usepackage{mathrsfs}", 2);
    EXPECT_TRUE(report().contains("Tracing \\mathbb:\n  Command unknown: \\mathbb")) << report().toStdString();

    QStringList asked;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* input = qobject_cast<CustomInput*>(d);
        EXPECT_NE(input, nullptr);
        asked << input->TextField1->text();
        input->TextField1->setText("  \\mathcal{R} ");
        input->PushButton1->click();
        return 1;
    };
    trace("\\usepackage{mathrsfs}", 1);
    EXPECT_EQ(w->custom, "\\mathcal{R}");
    EXPECT_TRUE(test::readBytes(temp() + "/min4.tex").contains("\n$\\mathcal{R}$\n"));
    EXPECT_TRUE(report().contains("Tracing custom object: \\mathcal{R}\n")) << report().toStdString();

    // "Cancel" leaves no custom object: four passes.
    QFile::remove(temp() + "/min4.tex");
    env.dialogs.onModal = [&](QDialog* d) {
        auto* input = qobject_cast<CustomInput*>(d);
        asked << input->TextField1->text();
        input->PushButton2->click();
        return 0;
    };
    trace("\\usepackage{mathrsfs}", 1);
    EXPECT_EQ(w->custom, "");
    EXPECT_FALSE(QFileInfo::exists(temp() + "/min4.tex"));
    EXPECT_EQ(asked, QStringList({"", ""})) << "each question starts empty";
}

TEST_F(TraceStyTest, AMissingMetricFileStopsAfterPassZero)
{
    writeBelow(env.texmfHome(), "tex/latex/qlkstop/qlkstop.sty",
                  "\\ProvidesPackage{qlkstop}\n\\renewcommand{\\rmdefault}{zqq}\n");
    writeBelow(env.texmfHome(), "tex/latex/qlkstop/ot1zqq.fd",
                  "\\ProvidesFile{ot1zqq.fd}\n\\DeclareFontFamily{OT1}{zqq}{}\n"
                  "\\DeclareFontShape{OT1}{zqq}{m}{n}{<-> zqqmissing}{}\n");
    open();
    trace("\\usepackage{qlkstop}");
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_EQ(report(), "With no encoding specified, a serious error occurred while the sty file was being processed.\n"
                        "Most likely, a tfm file was not found.\n"
                        "Metric (TFM) file not found: OT1/zqq/m/n/10");
    EXPECT_FALSE(QFileInfo::exists(temp() + "/min1.tex"));
    EXPECT_TRUE(w->PushButton2->isVisibleTo(w));
    EXPECT_TRUE(w->PushButton3->isEnabled());
    EXPECT_TRUE(w->MainRmDefault.isEmpty());
    EXPECT_EQ(problemFiles, "zqqmissing.tfm");
    w->PushButton3->click();
    EXPECT_EQ(env.dialogs.messages.value(0), "Cannot process sample--- unknown encoding or rmdeault");
}

TEST_F(TraceStyTest, AMissingOutlineIsNamedAndFoundOnDisk)
{
    const QByteArray tfm = test::readBytes(test::texFile("cmr10.tfm"));
    ASSERT_FALSE(tfm.isEmpty());
    writeBelow(env.texmfHome(), "fonts/tfm/qlk/qlkfake.tfm", tfm);
    writeBelow(env.texmfHome(), "tex/latex/qlkfake/qlkfake.sty",
                  "\\ProvidesPackage{qlkfake}\n\\pdfmapline{+qlkfake QlkFake <nosuchfont.pfb}\n"
                  "\\renewcommand{\\rmdefault}{qlk}\n");
    writeBelow(env.texmfHome(), "tex/latex/qlkfake/ot1qlk.fd",
                  "\\ProvidesFile{ot1qlk.fd}\n\\DeclareFontFamily{OT1}{qlk}{}\n"
                  "\\DeclareFontShape{OT1}{qlk}{m}{n}{<-> qlkfake}{}\n");
    const QString stash = writeBelow(env.home(), "stash/nosuchfont.pfb", "not a font");
    open();
    trace("\\usepackage{qlkfake}");
    const QString r = report();
    EXPECT_TRUE(r.contains("Fatal error! Message returned:\n")) << r.toStdString();
    EXPECT_TRUE(r.contains("cannot open Type 1 font file for reading"));
    EXPECT_TRUE(r.contains("  Problem file: nosuchfont.pfb"));
    EXPECT_EQ(problemFiles, "nosuchfont.pfb");
    ASSERT_TRUE(w->PushButton2->isVisibleTo(w));

    w->PushButton2->click();
    TextWindow* viewer = TextWindow::instance();
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), "Search results for nosuchfont.pfb");
    EXPECT_EQ(viewer->TextArea1->toPlainText().trimmed(), stash);
    viewer->close();

    // Nothing found: the message names the files.
    problemFiles = "nowhere.pfb\tnothere.tfm";
    w->PushButton2->click();
    EXPECT_EQ(env.dialogs.messages.value(0), "No files found: nowhere.pfb, nothere.tfm");
}

TEST_F(TraceStyTest, GoRefusesBadInputAndRunsNothing)
{
    writeBelow(env.texmfHome(), "tex/latex/quill/QuillTest.sty", "\\ProvidesPackage{QuillTest}\n");
    writeBelow(documentsFolder(), "afile", "x");
    writeBelow(env.home(), "elsewhere/qlkaway.sty", "\\ProvidesPackage{qlkaway}\n");
    struct Case {
        QString commands, tempName, message;
        QString area; // the report area afterwards
    } cases[] = {
        {"", "0000temp", "At minimum, a \\usepackage{<font sty file>} must be entered before pressing 'Go'", ""},
        {"\\usepackage", "0000temp", "Missing left brace after \\usepackage", ""},
        {"\\usepackage{foo", "0000temp", "Missing right brace after sty file", ""},
        {"\\usepackage{}", "0000temp", "Empty sty file argument", ""},
        {"\\usepackage{mathpazo}", "afile",
         "The file afile in your Documents folder should be a folder, not a file. Please delete it or enter a new "
         "temp folder name.",
         ""},
        {"\\usepackage{mathpazo}", "../out",
         "The temp folder name ../out must name a folder directly inside your Documents folder.", ""},
        {"\\usepackage{quilltest}", "0000temp",
         "The sty name search is case sensitive. The following might be what you are seeking.\nQuillTest", ""},
        {"\\usepackage{qlkaway}\n\\usepackage{qlknone}", "0000temp",
         "The .sty file qlkaway.sty was not found in an area accessible to LaTeX.\nOther copies were found on your "
         "disk---you may need to install them.",
         env.home() + "/elsewhere/qlkaway.sty"},
        {"\\usepackage{a$(touch pwned)`touch pwned2`}", "0000temp",
         "The .sty file a$(touch pwned)`touch pwned2`.sty was not found in an area accessible to LaTeX.", ""},
        // A name that looks like an option of kpsewhich is still a file name.
        {"\\usepackage{-expand-braces=qlknone}", "0000temp",
         "The .sty file -expand-braces=qlknone.sty was not found in an area accessible to LaTeX.", ""},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands.toStdString());
        env.dialogs.messages.clear();
        w->TextField2->setText(c.tempName);
        trace(c.commands);
        EXPECT_EQ(env.dialogs.messages, QStringList({c.message}));
        EXPECT_EQ(report(), c.area);
        EXPECT_FALSE(QFileInfo::exists(temp() + "/min0.tex"));
        EXPECT_FALSE(w->PushButton3->isEnabled());
    }
    for (const QString& dir : {env.home(), temp(), QDir::currentPath()}) {
        EXPECT_FALSE(QFileInfo::exists(dir + "/pwned"));
        EXPECT_FALSE(QFileInfo::exists(dir + "/pwned2"));
    }
    EXPECT_FALSE(QFileInfo::exists(documentsFolder() + "/../out"));
}

TEST_F(TraceStyTest, ALogLeftByAnEarlierTraceIsNeverRead)
{
    // A pdflatex that writes nothing, beside the real kpsewhich.
    const QString bin = env.root() + "/bin";
    QDir().mkpath(bin);
    ASSERT_TRUE(QFile::link(texProgram("kpsewhich"), bin + "/kpsewhich"));
    env.writeScript("bin/pdflatex", "exit 1\n");
    // An LY1 encoding, so that all four passes run.
    writeBelow(env.texmfHome(), "tex/latex/qlkenc/ly1enc.def", "\\ProvidesFile{ly1enc.def}\n");
    QDir().mkpath(temp());
    QFile::copy(QStringLiteral(QLK_TEST_DATA_DIR "/mathpazo-pass0.log"), temp() + "/min0.log");
    setTexbinForTesting(bin);
    open();
    w->PushButton1_Action();
    setTexbinForTesting(QString());
    EXPECT_EQ(env.dialogs.messages, QStringList({"Unable to find min0.log", "Unable to find min1.log",
                                                 "Unable to find min2.log", "Unable to find min3.log"}));
    EXPECT_FALSE(report().contains("pplx"));
    EXPECT_FALSE(QFileInfo::exists(temp() + "/min0.log"));
}

#include "MtKit.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/FdReaders.h"
#include "mathtime/MathtimeWin.h"
#include "mathtime/MtProject.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QString s(const char* t) { return QString::fromUtf8(t); }

QStringList tfmRows(MathtimeWin* w)
{
    QStringList rows;
    for (int r = 0; r < w->Listbox2->rowCount(); ++r)
        rows << w->Listbox2->cell(r, 0);
    return rows;
}

QStringList linesOf(const QString& path)
{
    QString text = QString::fromUtf8(test::readBytes(path));
    if (text.endsWith('\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split('\n');
}

MathtimeWin* openWindow()
{
    EXPECT_TRUE(test::chooseMenuItem("FileFontinstMath"));
    return MathtimeWin::instance();
}

void closeWindow(MathtimeWin* w)
{
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(MathtimeWin, OpeningChecksCloseTheWindowWithTheirMessage)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    const QString noImg = env.root() + "/bare";
    QDir().mkpath(noImg);
    const struct {
        QString app;
        bool kitSty;
        const char* message;
    } cases[] = {
        {noImg, true, "Unable to locate folder 'img' in same folder as Quillmark2013."},
        {test::builtAppFolder(), false, "Unable to locate mtpro2.sty in your TeX trees. Cannot continue."},
        {test::builtAppFolder(), true,
         "The required tfm files: mt2mitx.tfm, mt2mbt.tfm are not installed. Cannot continue."},
    };
    for (const auto& c : cases) {
        setAppFolderForTesting(c.app);
        QFile::remove(env.texmfHome() + "/tex/latex/mtpro2/mtpro2.sty");
        if (c.kitSty)
            env.writeFile("home/texmf/tex/latex/mtpro2/mtpro2.sty", "\\ProvidesPackage{mtpro2}\n");
        env.dialogs.messages.clear();
        EXPECT_TRUE(test::chooseMenuItem("FileFontinstMath"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(env.dialogs.messages, QStringList{s(c.message)});
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(qobject_cast<MathtimeWin*>(w) && w->isVisible());
    }
}

TEST(MathtimeWin, OkFindsTheTextFonts)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    ASSERT_TRUE(test::installStandInKit(env));
    // A family with only a TS1 file, and one with only an OT1 file.
    env.writeFile("home/texmf/tex/latex/qlk/ts1qlz.fd",
                  "\\DeclareFontShape{TS1}{qlz}{m}{n}{<-> qlzr8c}{}\n");
    env.writeFile("home/texmf/tex/latex/qlk/ot1qly.fd",
                  "\\DeclareFontShape{OT1}{qly}{m}{n}{<-> qlyr7t}{}\n"
                  "\\DeclareFontShape{OT1}{qly}{m}{it}{<-> qlyri7t}{}\n");
    MathtimeWin* w = openWindow();
    ASSERT_TRUE(w->isVisible());
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();

    // The OK button follows the trimmed length of the name.
    for (const auto& [text, enabled] : {std::make_pair(" ptm ", true), std::make_pair("pt", false),
                                        std::make_pair("ptmx", false), std::make_pair("ppl", true)}) {
        w->TextField1->setText(s(text));
        EXPECT_EQ(w->PushButton4->isEnabled(), enabled) << text;
    }

    const QString pplx = test::texFile("t1pplx.fd");
    ASSERT_FALSE(pplx.isEmpty());
    const struct {
        const char* name;
        QStringList rows;
        QStringList messages;
    } cases[] = {
        {"ptm", {s("ptmri8t"), s("ptmr8t"), s("ptmb8t")}, {}},
        // The x file wins over t1ppl.fd and t1pplj.fd.
        {"ppl",
         {fdBoldFonts(pplx, "m", "it").value(0), fdBoldFonts(pplx, "m", "n").value(0),
          fdBoldFonts(pplx, "b", "n").value(0)},
         {}},
        {"pt", {}, {s("The Berry name must have exactly 3 characters.")}},
        {"qqq", {}, {s("No .fd files installed for qqq")}},
        {"qlz", {}, {s("No suitable .fd file located in any encoding.")}},
        {"qly", {s("qlyri7t"), s("qlyr7t"), s("")}, {s("No fd entry found for b/n, sb/n or bx/n ")}},
    };
    for (const auto& c : cases) {
        w->TextField1->setText(s(c.name));
        env.dialogs.messages.clear();
        env.dialogs.answers = {true};
        w->pressOK();
        EXPECT_EQ(env.dialogs.messages, c.messages) << c.name;
        if (!c.rows.isEmpty()) {
            EXPECT_EQ(tfmRows(w), c.rows) << c.name;
        }
    }
    closeWindow(w);
}

TEST(MathtimeWin, ProcessOnAnEmptyMasterFolderBuildsUsableFonts)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    ASSERT_TRUE(test::installStandInKit(env));
    const QString master = env.root() + "/my master";
    QDir().mkpath(master);

    MathtimeWin* w = openWindow();
    ASSERT_TRUE(w->isVisible());
    w->dropItems({master});
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    EXPECT_TRUE(w->PushButton1->isEnabled());
    EXPECT_FALSE(w->PushButton8->isEnabled());
    EXPECT_TRUE(w->project().needMetrics);
    EXPECT_TRUE(w->project().needGlyphs);
    EXPECT_EQ(w->TextField2->text(), master);

    w->TextField1->setText("ptm");
    env.dialogs.answers = {true};
    w->pressOK();
    ASSERT_EQ(tfmRows(w), (QStringList{s("ptmri8t"), s("ptmr8t"), s("ptmb8t")}));
    w->TextField3->setText("50");
    w->TextField5->setText("50");
    w->Listbox1->item(0, 1)->setText("12");
    w->Listbox1->item(52, 4)->setText("30");

    w->PushButton1->click();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(w->status(), s("Running process fontinst---Finished"));
    for (QPushButton* b : {w->PushButton3, w->PushButton6, w->PushButton7, w->PushButton8})
        EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(w->dirty, 0);
    EXPECT_FALSE(w->project().needMetrics);
    EXPECT_FALSE(w->project().needGlyphs);

    // The master folder: settings, adjustments, metrics and pictures.
    const QStringList settings = linesOf(master + "/settings");
    ASSERT_EQ(settings.size(), 12);
    EXPECT_EQ(settings.at(2), s("letterspacing=50,50"));
    EXPECT_EQ(settings.at(3), s("textfamily=ptm"));
    EXPECT_TRUE(settings.at(8).endsWith("/ptmri8t.tfm"));
    const QStringList adjustments = linesOf(master + "/adjustments");
    ASSERT_EQ(adjustments.size(), 106);
    EXPECT_EQ(adjustments.at(0), s("A:12:::"));
    EXPECT_EQ(adjustments.at(52), s("dotlessi::::30"));
    // The first of the two builds wrote the same grid.
    EXPECT_EQ(linesOf(master + "/adjustments-old"), adjustments);
    const QStringList metrics = linesOf(master + "/metrics");
    ASSERT_EQ(metrics.size(), 106);
    // Measured unadjusted: Times italic A is about 611 units wide.
    const QStringList a = metrics.at(0).split(' ');
    ASSERT_EQ(a.size(), 4);
    EXPECT_NEAR(a.at(0).toInt(), 560, 120);
    EXPECT_GT(a.at(2).toInt(), 500); // the width in the property list
    for (int n = 1; n <= 106; ++n)
        EXPECT_TRUE(QFileInfo::exists(master + "/imgs/gl" + QString::number(n) + ".png")) << n;

    // The newest scratch folder holds the fonts, the package and the metric files.
    const QString tmp = w->project().tmpfolder;
    EXPECT_EQ(QFileInfo(tmp).path(), documentsFolder());
    for (const char* f : {"zptmmtmit.tfm", "zptmmtmit.vf", "zptmmtmbt.tfm", "zptmmtmbt.vf", "zptmmt.sty",
                          "adjustmentsI.mtx", "adjustmentsB.mtx", "zmt2ptm-drv.tex"})
        EXPECT_TRUE(QFileInfo::exists(tmp + '/' + f)) << f;
    const QString italicMtx = QString::fromUtf8(test::readBytes(tmp + "/adjustmentsI.mtx"));
    EXPECT_TRUE(italicMtx.contains("\\shiftglyph{A}{62}{50}{0}\n"));
    EXPECT_TRUE(italicMtx.contains("\n\\skewkern{dotlessi}{30}\n\\endmetrics"));
    const QString driver = QString::fromUtf8(test::readBytes(tmp + "/zmt2ptm-drv.tex"));
    EXPECT_TRUE(driver.contains(" kernon,adjustmentsI}\n"));
    const QString sty = QString::fromUtf8(test::readBytes(tmp + "/zptmmt.sty"));
    EXPECT_TRUE(sty.contains("\\ProvidesPackage{zptmmt}\n"));
    EXPECT_TRUE(sty.contains("{<-> zptmmtmit}{}\n\\DeclareFontShape{LMP1}{mtt}{b}{it}{<-> s * ["));

    // The package typesets with latex and pdflatex; the Times italic
    // outline is embedded, and the math font's own glyphs (the alpha) too.
    const QString doc = env.root() + "/doc";
    QDir().mkpath(doc);
    env.writeFile("doc/test.tex", "\\documentclass{article}\n\\usepackage[lite]{zptmmt}\n"
                                  "\\begin{document}\n$a+b=xyz^A_B\\alpha$\n\\end{document}\n");
    const QString inputs = "TEXINPUTS=" + shellQuote(tmp + "//:") + " TFMFONTS=" + shellQuote(tmp + ":") +
                          " VFFONTS=" + shellQuote(tmp + ":") + ' ';
    QString out;
    EXPECT_TRUE(test::runIn(doc, inputs + "latex test.tex", &out)) << out.toStdString();
    EXPECT_TRUE(test::runIn(doc, inputs + "pdflatex test.tex", &out)) << out.toStdString();
    EXPECT_TRUE(test::runIn(doc, "pdffonts test.pdf", &out));
    EXPECT_TRUE(out.contains("NimbusRomNo9L-ReguItal")) << out.toStdString();
    EXPECT_TRUE(out.contains("CMMI10")) << out.toStdString();

    // Closing remembers the master folder; the next window reopens it.
    closeWindow(w);
    resetPrefsForTesting();
    w = openWindow();
    EXPECT_EQ(w->TextField2->text(), master);
    EXPECT_EQ(tfmRows(w), (QStringList{s("ptmri8t"), s("ptmr8t"), s("ptmb8t")}));
    EXPECT_EQ(w->Listbox1->item(0, 1)->text(), s("12"));
    EXPECT_EQ(w->TextField3->text(), s("50"));
    EXPECT_FALSE(w->project().needMetrics);
    EXPECT_FALSE(w->project().needGlyphs);
    EXPECT_EQ(w->project().measured.gw[0], a.at(0).toInt());
    // Choosing another text font row asks for new measurements and pictures.
    w->Listbox2->selectRow(1);
    EXPECT_TRUE(w->project().needMetrics);
    EXPECT_TRUE(w->project().needGlyphs);

    // Failed checks leave settings and adjustments as they were.
    const QByteArray savedSettings = test::readBytes(master + "/settings");
    const QByteArray savedAdjustments = test::readBytes(master + "/adjustments");
    env.dialogs.messages.clear();
    w->Listbox2->setCell(2, 0, "qlknosuchfont");
    w->process();
    w->Listbox2->setCell(2, 0, "ptmb8t,x");
    w->process();
    w->TextField1->setText("p}m");
    w->Listbox2->setCell(2, 0, "ptmb8t");
    w->process();
    EXPECT_EQ(env.dialogs.messages,
              (QStringList{s("One or more of the tfm names was not found in TeX trees. Cannot proceed."),
                           s("The tfm name \"ptmb8t,x\" may hold only letters, digits, \"-\", \"_\" and \".\". "
                             "Cannot proceed."),
                           s("The Berry name must have exactly 3 characters, letters or digits. Cannot proceed.")}));
    EXPECT_EQ(test::readBytes(master + "/settings"), savedSettings);
    EXPECT_EQ(test::readBytes(master + "/adjustments"), savedAdjustments);
    EXPECT_FALSE(w->PushButton3->isEnabled());
    closeWindow(w);
}

TEST(MathtimeWin, MasterFolderFilesOfEveryShape)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    ASSERT_TRUE(test::installStandInKit(env));
    const QString tif = test::texFile("ptmri8t.tfm");
    const QString trf = test::texFile("ptmr8t.tfm");
    env.writeFile("m/settings", ("-v\n+w\nletterspacing=40,60\ntextfamily=ptm\nscale=1.05\nti=ptmri8t\ntr=ptmr8t\n"
                                 "b=ptmb8t\ntif=" + tif + "\ntrf=" + trf + "\nbf=/gone/ptmb8t.tfm\n").toUtf8());
    env.writeFile("m/adjustments", "A:0:0:0:0\nA-B:3:::\ndotlessj:1:::\nz::2::\nb :::4:\n[:9:::\n");
    env.writeFile("m/metrics", "1 2 3 4\n5 6\n");
    env.writeFile("m/imgs/readme", "");
    // Reference data in the per-user folder, its metrics cut short.
    const QString ref = QDir(env.root()).relativeFilePath(mt::referenceFolder());
    env.writeFile(ref + "/mt2vitals.txt", "610 55 720 30\n");
    env.writeFile(ref + "/img/mtp1.png", "");
    env.writeFile(ref + "/img/mtp106.png", "");
    env.writeFile(ref + "/mt2test.pdf", "%PDF");
    MathtimeWin* w = openWindow();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"The reference metrics file is incomplete; the missing values read as 0: " +
                          mt::referenceFolder() + "/mt2vitals.txt"});
    EXPECT_EQ(w->project().reference.gw[0], 610);
    EXPECT_EQ(w->project().reference.ic[0], 30);
    env.dialogs.messages.clear();
    env.dialogs.answers = {false}; // do not regenerate the tfm list
    w->dropItems({env.root() + "/m"});
    EXPECT_EQ(env.dialogs.questions,
              QStringList{s("The tfm list should have 3 rows. Regenerate from the Berry name?")});
    EXPECT_EQ(env.dialogs.messages,
              (QStringList{s("The metrics file of the master folder is incomplete; Process will measure the "
                             "glyphs again."),
                           s("Some lines of the adjustments file name no glyph; they were skipped.")}));
    EXPECT_EQ(tfmRows(w).size(), 2);
    EXPECT_TRUE(w->CheckBox1[0]->isChecked());
    EXPECT_FALSE(w->CheckBox1[1]->isChecked());
    EXPECT_EQ(w->TextField3->text(), s("40"));
    EXPECT_EQ(w->TextField5->text(), s("60"));
    EXPECT_EQ(w->TextField4->text(), s("1.05"));
    EXPECT_TRUE(w->project().needGlyphs);
    EXPECT_TRUE(w->project().needMetrics);
    EXPECT_EQ(w->project().measured.leftside[1], 6);
    EXPECT_TRUE(w->Listbox1->item(0, 1)->text().isEmpty());
    EXPECT_EQ(w->Listbox1->item(54, 1)->text(), s("3"));
    EXPECT_EQ(w->Listbox1->item(53, 1)->text(), s("1"));
    EXPECT_EQ(w->Listbox1->item(51, 2)->text(), s("2"));
    EXPECT_EQ(w->Listbox1->item(27, 3)->text(), s("4"));
    EXPECT_TRUE(w->PushButton8->isEnabled());

    // A second drop asks first; several items, a file and a "settings"
    // folder are refused.
    env.writeFile("bad/settings/x", "");
    env.writeFile("afile", "");
    const struct {
        QStringList drop;
        const char* message;
    } drops[] = {
        {{env.root() + "/m", env.root() + "/bad"}, "You may drop only a single folder. Please start over."},
        {{env.root() + "/afile"}, "You may drop only a single folder, not a file. Please start over."},
        {{env.root() + "/bad"},
         "A folder named 'settings' interferes with saving the settings file. Please delete it and start over"},
    };
    for (const auto& d : drops) {
        env.dialogs.messages.clear();
        env.dialogs.questions.clear();
        env.dialogs.answers = {true};
        w->dropItems({env.root() + "/m"});
        env.dialogs.messages.clear();
        env.dialogs.answers = {true, false};
        w->dropItems(d.drop);
        EXPECT_TRUE(env.dialogs.questions.contains(s("Replace with new data?")));
        EXPECT_EQ(env.dialogs.messages.value(0), s(d.message));
        EXPECT_TRUE(w->project().master.isEmpty());
        EXPECT_FALSE(w->PushButton1->isEnabled());
    }

    // A master folder that has become a file: the build stops with a message.
    const QString gone = env.root() + "/gone";
    QDir().mkpath(gone);
    env.dialogs.answers = {true};
    w->dropItems({gone});
    for (const char* name : {"ptmri8t", "ptmr8t", "ptmb8t"})
        w->Listbox2->addRow({s(name)});
    w->TextField1->setText("ptm");
    QDir(gone).removeRecursively();
    env.writeFile("gone", "");
    env.dialogs.messages.clear();
    w->process();
    EXPECT_EQ(env.dialogs.messages, QStringList{"Unable to write the settings file in the master folder: " + gone});
    EXPECT_FALSE(w->PushButton3->isEnabled());
    closeWindow(w);
}

TEST(MathtimeWin, MissingSupportFilesAreNamed)
{
    // Without the TDS folder in TEXMFHOME TeX finds none of the project's
    // support files; each tool names the one it lacks instead of failing in TeX.
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    mt::MtProject p;
    p.master = env.root() + "/m";
    p.tmpfolder = env.root() + "/scratch";
    p.berry = "ptm";
    QDir().mkpath(p.master);
    QDir().mkpath(p.tmpfolder);
    EXPECT_FALSE(p.makeGlyphs());
    EXPECT_FALSE(p.makeMetrics());
    EXPECT_FALSE(p.test());
    const QString tail = " is not in your TeX trees; the installer puts it into TEXMFHOME. Cannot proceed.";
    EXPECT_EQ(env.dialogs.messages,
              (QStringList{"The support file genzmtglyphs.tex" + tail, "The support file genzmtglyphsB.tex" + tail,
                           "The support file mt2testfile.tex" + tail}));
    EXPECT_FALSE(QFileInfo::exists(p.tmpfolder + "/gl.tex"));
}

#include "MathAlphaFixture.h"

#include "platform/BundleScripts.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"

#include <QGroupBox>
#include <QTemporaryDir>

using namespace qlk;
using namespace qlk::test;

TEST_F(MathAlphaTest, OpensFromTheMenuInItsFirstState)
{
    ASSERT_TRUE(openFromMenu());
    EXPECT_EQ(w->windowTitle(), "Add Math Alphabet");
    EXPECT_EQ(w->Listbox1->rowCount(), 26);
    EXPECT_EQ(w->Listbox1->cell(25, 0), "Z");
    EXPECT_TRUE(w->RadioButton1[0]->isChecked());
    EXPECT_TRUE(w->RadioButton2[0]->isChecked());
    EXPECT_EQ(w->TextField4->text(), "50");
    for (QPushButton* b : {w->PushButton1, w->PushButton2, w->PushButton3, w->PushButton4})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(w->PushButton5->isEnabled());
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join('\n').toStdString();
    // latex did not find the test document's second half, so it now lies
    // in the personal tree.
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/tex/latex/mt2testfileMA.tex"));
    EXPECT_EQ(texFile("mt2testfileMA.tex"), texmfHome + "/tex/latex/mt2testfileMA.tex");

    // Typing before a master folder is read changes nothing.
    w->TextField1->setText("cmr10");
    EXPECT_FALSE(w->PushButton4->isEnabled());
    EXPECT_TRUE(w->ttfmn.isEmpty());
}

TEST_F(MathAlphaTest, WithoutImgTheWindowSaysSoAndCloses)
{
    QTemporaryDir bare;
    setAppFolderForTesting(bare.path());
    ASSERT_TRUE(openFromMenu());
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull() || !w->isVisible());
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_EQ(env.dialogs.messages[0],
              "Unable to locate folder 'img' in same folder as Quillmark2013 (" + bare.path() + ").");
}

TEST_F(MathAlphaTest, MasterFoldersLoadByTheirFiles)
{
    const QByteArray six = "srctfmname=uzcmi8r\nsrctfmpath=/x/fonts/tfm/urw35vf/zapfchan/uzcmi8r.tfm\n"
                           "newtfm=zapfchanmscr\nnewsty=my-scr\nkind=1\nspacing=12.9\n";
    struct Case {
        const char* what;
        QMap<QString, QByteArray> files;
        bool processEnabled;
        bool needMetrics;
        bool spacingActive;
        QString message;
    } cases[] = {
        {"empty", {}, true, true, true, ""},
        {"six settings lines", {{"settings", six}}, true, true, true, ""},
        {"six settings lines and adjustments", {{"settings", six}, {"adjustments", "b:0:12::-3\n"}}, true, true,
         false, ""},
        {"51 metrics lines", {{"metrics", metricsFile(51)}}, false, false, true,
         "Bailing out---this does not contain all metrics. Please select a new base tfm."},
        {"a width no letter has", {{"metrics", "2147483647 0 0 0\n" + metricsFile(51)}}, false, false, true,
         "Bailing out---this does not contain all metrics. Please select a new base tfm."},
        {"52 metrics lines and full settings",
         {{"metrics", metricsFile(52)},
          {"settings", six + "spacingmethod=2\nspacingactive=0\n"},
          {"adjustments", "A:0:20:0:50\nf:-10:0:0:0\n"}},
         true, false, false, ""},
    };
    ASSERT_TRUE(openFromMenu());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.dialogs.messages.clear();
        w->masterfolder.clear();
        const QString master = makeMaster(QString("m-%1").arg(QString(c.what).replace(' ', '_')), c.files);
        w->Listbox2_DropObject({master});
        EXPECT_EQ(w->PushButton1->isEnabled(), c.processEnabled);
        EXPECT_EQ(w->ready, c.processEnabled);
        EXPECT_EQ(w->needMetrics, c.needMetrics);
        EXPECT_EQ(w->TextField4->isEnabled(), c.spacingActive);
        EXPECT_EQ(w->Listbox2->cell(0, 0), master);
        EXPECT_EQ(w->Listbox1->rowCount(), 52);
        EXPECT_EQ(env.dialogs.messages.join('|'), c.message);
    }
    // The last one: settings, adjustments and metrics in the window.
    EXPECT_EQ(w->TextField1->text(), "uzcmi8r");
    EXPECT_EQ(w->ttfm, "/x/fonts/tfm/urw35vf/zapfchan/uzcmi8r.tfm");
    EXPECT_EQ(w->family, "zapfchan");
    EXPECT_EQ(w->vendor, "urw35vf");
    EXPECT_TRUE(w->RadioButton1[1]->isChecked());
    EXPECT_EQ(w->TextField2->text(), "zapfchanmscr");
    EXPECT_EQ(w->TextField3->text(), "my-scr");
    EXPECT_EQ(w->TextField4->text(), "12");
    EXPECT_TRUE(w->RadioButton2[2]->isChecked());
    EXPECT_EQ(w->Listbox1->cell(0, 2), "20");
    EXPECT_EQ(w->Listbox1->cell(0, 4), "50");
    EXPECT_EQ(w->Listbox1->cell(0, 1), "");
    EXPECT_EQ(w->Listbox1->cell(31, 1), "-10");
    EXPECT_EQ(w->metrics.gw[51], 451);
    EXPECT_EQ(w->metrics.ic[0], 30);
    EXPECT_EQ(w->dirty, 0);
}

TEST_F(MathAlphaTest, DropsThatAreRefusedOrDeclined)
{
    ASSERT_TRUE(openFromMenu());
    const QString a = makeMaster("a");
    const QString b = makeMaster("b");
    const QString file = env.writeFile("home/file.txt", "x");

    w->Listbox2_DropObject({a, b});
    EXPECT_TRUE(w->masterfolder.isEmpty());
    EXPECT_FALSE(w->PushButton1->isEnabled());
    w->Listbox2_DropObject({file});
    EXPECT_TRUE(w->masterfolder.isEmpty());
    EXPECT_EQ(env.dialogs.messages,
              QStringList({"You may drop only a single folder. Please start over.",
                           "You may drop only a single folder, not a file. Please start over."}));

    w->Listbox2_DropObject({a});
    ASSERT_EQ(w->masterfolder, a);
    env.dialogs.answers = {false};
    w->Listbox2_DropObject({b});
    EXPECT_EQ(env.dialogs.questions.last(), "Replace with new master folder?");
    EXPECT_EQ(w->masterfolder, a);
    EXPECT_TRUE(w->ready);
    // A settings folder stands where the file should be.
    const QString blocked = makeMaster("blocked");
    QDir().mkpath(blocked + "/settings");
    env.dialogs.answers = {true};
    w->Listbox2_DropObject({blocked});
    EXPECT_EQ(env.dialogs.messages.last(),
              "A folder named 'settings' interferes with saving the settings file. Please delete it and start over");
    EXPECT_TRUE(w->masterfolder.isEmpty());
    EXPECT_FALSE(w->ready);
}

TEST_F(MathAlphaTest, TheMasterFolderIsRememberedAcrossOpenings)
{
    ASSERT_TRUE(openFromMenu());
    const QString master = makeMaster("kept", {{"adjustments", "C:4:0:0:0\n"}});
    w->Listbox2_DropObject({master});
    closeWindow();
    EXPECT_EQ(prefText("masterMA"), master);

    ASSERT_TRUE(openFromMenu());
    EXPECT_EQ(w->masterfolder, master);
    EXPECT_TRUE(w->ready);
    EXPECT_EQ(w->Listbox1->cell(2, 1), "4");
    closeWindow();

    // A remembered folder that is gone is forgotten without a word.
    QDir(master).removeRecursively();
    ASSERT_TRUE(openFromMenu());
    EXPECT_TRUE(w->masterfolder.isEmpty());
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
}

TEST_F(MathAlphaTest, BaseFontFieldAndOkProposeNames)
{
    ASSERT_TRUE(openFromMenu());
    w->Listbox2_DropObject({makeMaster("m")});
    w->RadioButton1[2]->setChecked(true);
    w->TextField1->setText(" cmr10.TFM ");
    EXPECT_EQ(w->ttfmn, "cmr10");
    EXPECT_TRUE(w->PushButton4->isEnabled());
    w->PushButton4->click();
    EXPECT_TRUE(w->ttfm.endsWith("/fonts/tfm/public/cm/cmr10.tfm")) << w->ttfm.toStdString();
    EXPECT_EQ(w->TextField2->text(), "cmmbb");
    EXPECT_EQ(w->TextField3->text(), "cmmbb");
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    // The same name again leaves OK off; another name turns it on.
    w->TextField1->setText("CMR10");
    EXPECT_FALSE(w->PushButton4->isEnabled());
    w->TextField1->setText(".tfm");
    EXPECT_TRUE(w->PushButton4->isEnabled());
    // Another kind proposes its suffix.
    w->RadioButton1[3]->setChecked(true);
    EXPECT_EQ(w->TextField3->text(), "cmmfrak");
    // A name kpsewhich does not find.
    w->TextField1->setText("nosuchfont");
    w->PushButton4->click();
    EXPECT_EQ(env.dialogs.messages.last(), "You have entered an invalid tfm name");
    EXPECT_TRUE(w->ttfm.isEmpty());
    EXPECT_EQ(w->TextField3->text(), "cmmfrak");
    // Names filled in: the question comes, and No keeps them.
    w->TextField1->setText("cmr10");
    env.dialogs.answers = {false};
    w->TextField3->setText("mine");
    w->PushButton4->click();
    EXPECT_EQ(env.dialogs.questions.last(),
              "You have changed the source tfm.\nAllow program to change new font and sty names?");
    EXPECT_EQ(w->TextField3->text(), "mine");
}

TEST_F(MathAlphaTest, ProcessRefusesBadNamesAndMissingBaseFont)
{
    ASSERT_TRUE(openFromMenu());
    const QString master = makeMaster("m");
    w->Listbox2_DropObject({master});
    w->PushButton1->click();
    EXPECT_EQ(env.dialogs.messages.last(), "No tfm name supplied---bailing out.");
    w->TextField1->setText("uzcmi8r");
    w->PushButton1->click();
    EXPECT_EQ(env.dialogs.messages.last(), "Either invalid tfm, or you did not press OK.");
    w->PushButton4->click();
    struct Case {
        QString font, sty, message;
    } cases[] = {
        {"zapfchanmcal", "", "Bailing out---empty sty name"},
        {"zapfchanmcal", "my cal",
         "Bailing out---the sty name must contain only =, -, _, numbers, upper and lower case letters only: <space> "
         "is invalid"},
        {"zapf;rm -rf x", "zc",
         "Bailing out---the font name must contain only =, -, _, numbers, upper and lower case letters only: ; is "
         "invalid"},
        {"", "zc", "Bailing out---empty font name"},
    };
    for (const Case& c : cases) {
        w->TextField2->setText(c.font);
        w->TextField3->setText(c.sty);
        w->PushButton1->click();
        EXPECT_EQ(env.dialogs.messages.last(), c.message);
        EXPECT_EQ(w->TextArea1->toPlainText(), "Running process fontinst");
    }
    EXPECT_FALSE(QFileInfo::exists(master + "/settings"));
    EXPECT_FALSE(QFileInfo::exists(documents + "/newesttmp.txt"));
}

TEST_F(MathAlphaTest, ProcessMeasuresAndBuildsZapfChanceryFromAnEmptyMasterFolder)
{
    ASSERT_TRUE(openFromMenu());
    const QString master = makeMaster("chancery");
    loadAndChoose(master, "uzcmi8r");
    EXPECT_EQ(w->TextField2->text(), "zapfchanmcal");
    EXPECT_EQ(w->TextField3->text(), "zapfchanmcal");
    ASSERT_TRUE(w->needMetrics && w->needglyphs);
    w->PushButton1->click();
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(w->TextArea1->toPlainText(), "Running process fontinst ---Finished");
    EXPECT_TRUE(w->PushButton2->isEnabled());
    EXPECT_TRUE(w->PushButton3->isEnabled());
    EXPECT_FALSE(w->needMetrics);
    EXPECT_FALSE(w->needglyphs);

    // Two builds: the first without adjustments, measured and pictured.
    const QStringList scratches = QDir(documents).entryList({"tmp*"}, QDir::Dirs);
    ASSERT_EQ(scratches.size(), 2);
    const QString s = newestScratch();
    EXPECT_EQ(s, w->tmpfolder);
    EXPECT_TRUE(QFileInfo(s).fileName().contains(QRegularExpression("^tmp[1-9][0-9]{6}$")));
    const QString first = documents + "/" + (scratches[0] == QFileInfo(s).fileName() ? scratches[1] : scratches[0]);
    EXPECT_TRUE(text(first + "/uzapfchanmcal-drv.tex").contains("  kernon,%\n}\n"));
    EXPECT_TRUE(QFileInfo::exists(first + "/glt.tex"));
    EXPECT_TRUE(QFileInfo::exists(first + "/gl.tex"));
    EXPECT_TRUE(text(s + "/uzapfchanmcal-drv.tex").contains("  kernon,%\n  adjustments%\n}\n"));
    EXPECT_EQ(linesOf(master + "/tmp/lst.txt").size(), 104);
    EXPECT_EQ(linesOf(master + "/metrics").size(), 52);
    for (int n = 1; n <= 52; ++n)
        EXPECT_TRUE(QFileInfo::exists(master + QString("/imgs/gl%1.png").arg(n))) << n;
    EXPECT_FALSE(QFileInfo::exists(master + "/imgs/gl53.png"));

    // A's line from its two pictures and the property list.
    const QImage alone(master + "/tmp/glt1.png");
    const QImage ruled(master + "/tmp/glt2.png");
    ASSERT_FALSE(alone.isNull());
    const QString vpl = text(first + "/zapfchanmcal.vpl");
    const QString a = vpl.section("(CHARACTER D 65 ", 1, 1).section("(CHARACTER D 66", 0, 0);
    const double wd = a.section("(CHARWD R ", 1, 1).section(')', 0, 0).toDouble();
    const double italic = a.section("(CHARIC R ", 1, 1).section(')', 0, 0).toDouble();
    const QString expectA = QString("%1 %2 %3 %4")
                                .arg(qRound(alone.width() * 1.004))
                                .arg(ruled.width() - 600 - alone.width())
                                .arg(qRound(wd * 1000))
                                .arg(qRound(italic * 1000));
    EXPECT_EQ(linesOf(master + "/metrics")[0], expectA);
    EXPECT_EQ(w->metrics.subpos[0], qRound(wd * 1000));

    for (const char* f : {"uzapfchanmcal-drv.tex", "zapfchanmcal.tfm", "zapfchanmcal.vf", "zapfchanmcal.sty",
                          "uzapfchanmcal.fd", "uzcmi8r.pl", "adjustments.mtx",
                          "TDS/fonts/tfm/urw35vf/zapfchan/zapfchanmcal.tfm",
                          "TDS/fonts/vf/urw35vf/zapfchan/zapfchanmcal.vf",
                          "TDS/tex/latex/urw35vf/zapfchan/zapfchanmcal.sty",
                          "TDS/tex/latex/urw35vf/zapfchan/uzapfchanmcal.fd"})
        EXPECT_TRUE(QFileInfo::exists(s + "/" + f)) << f;
    EXPECT_TRUE(text(s + "/uzcmi8r.pl").contains("(CODINGSCHEME TEX TEXT)"));
    EXPECT_TRUE(text(s + "/uzapfchanmcal.fd").contains("<-> \\zapfchanmcal@@scale  zapfchanmcal"));
    EXPECT_EQ(linesOf(master + "/settings").size(), 8);
    EXPECT_EQ(linesOf(master + "/settings")[1], "srctfmpath=" + w->ttfm);
    EXPECT_TRUE(QFileInfo::exists(master + "/adjustments"));

    // The property list of the new font: hyphen, the letters and seven parameters.
    QList<int> codes;
    QRegularExpressionMatchIterator it = QRegularExpression("\\(CHARACTER D (\\d+)").globalMatch(vpl);
    while (it.hasNext())
        codes << it.next().captured(1).toInt();
    QList<int> expected{45};
    for (int c = 65; c <= 90; ++c)
        expected << c;
    for (int c = 97; c <= 122; ++c)
        expected << c;
    EXPECT_EQ(codes, expected);
    for (int p = 1; p <= 7; ++p)
        EXPECT_TRUE(vpl.contains(QString("(PARAMETER D %1 R").arg(p))) << p;
    EXPECT_FALSE(vpl.contains("(PARAMETER D 8 "));

    // Measured once: the next press builds once, in another scratch folder.
    w->PushButton1->click();
    EXPECT_EQ(QDir(documents).entryList({"tmp*"}, QDir::Dirs).size(), 3);
    EXPECT_NE(newestScratch(), s);
    EXPECT_TRUE(QFileInfo::exists(newestScratch() + "/zapfchanmcal.vf"));
    EXPECT_FALSE(QFileInfo::exists(newestScratch() + "/glt.tex"));

    // Min VR after measuring raises only right adjustments, to the gap asked for.
    w->ClearListbox1();
    w->RadioButton2[0]->setChecked(true);
    w->TextField4->setText("50");
    ASSERT_TRUE(w->process());
    const mathalpha::Metrics& m = w->metrics;
    for (int k = 0; k < 52; ++k) {
        const int gap = m.subpos[k] + m.ic[k] - m.gw[k] - m.leftside[k];
        EXPECT_EQ(w->Listbox1->cell(k, 2), QString::number(gap < 50 ? 50 - gap : 0)) << k;
        EXPECT_EQ(w->Listbox1->cell(k, 1), "0") << k;
        EXPECT_EQ(w->Listbox1->cell(k, 3), "0") << k;
    }
}

TEST_F(MathAlphaTest, AVirtualBaseFontGoesThroughVftovp)
{
    ASSERT_TRUE(openFromMenu());
    loadAndChoose(makeMaster("virtual"), "uzcmi8t");
    w->TextField2->setText("ZapfT");
    w->TextField3->setText("zapft");
    ASSERT_TRUE(w->process()) << failures.join('\n').toStdString() << env.dialogs.messages.join('\n').toStdString();
    const QString s = w->tmpfolder;
    EXPECT_TRUE(QFileInfo::exists(s + "/uzcmi8t.pl"));
    EXPECT_TRUE(text(s + "/uzcmi8t.pl").contains("(MAPFONT"));
    EXPECT_TRUE(QFileInfo::exists(s + "/ZapfT.vf"));
    EXPECT_TRUE(QFileInfo::exists(s + "/uzapft.fd"));
    EXPECT_TRUE(text(s + "/zapft.sty").contains("\\DeclareMathAlphabet{\\mathcal}{U}{ZapfT}{m}{n}"));
}

TEST_F(MathAlphaTest, GridAdjustmentsReachTheFontWhenMetricsExist)
{
    ASSERT_TRUE(openFromMenu());
    const QString master =
        makeMaster("adjusted", {{"metrics", metricsFile()},
                                {"settings", "srctfmname=cmr10\nsrctfmpath=/x/cmr10.tfm\nnewtfm=zc\nnewsty=zc\nkind=0\n"
                                             "spacing=50\nspacingmethod=0\nspacingactive=0\n"}});
    loadAndChoose(master, "uzcmi8r");
    env.dialogs.answers = {true};
    w->TextField2->setText("zc");
    w->TextField3->setText("zc");
    w->spacingenable(0);
    w->Listbox1->setCell(0, 2, "20");
    w->Listbox1->setCell(0, 4, "50");
    w->Listbox1->setCell(31, 1, "-10");
    w->Listbox1->setCell(3, 3, "abc");
    ASSERT_TRUE(w->process()) << failures.join('\n').toStdString();
    EXPECT_EQ(text(master + "/adjustments"), "A:0:20:0:50\nf:-10:0:0:0\n");
    const QString s = w->tmpfolder;
    EXPECT_TRUE(text(s + "/adjustments.mtx")
                    .endsWith("\\setcommand\\skewkern#1#2{\\resetkern{#1}{hyphen}{#2}}\n\n"
                              "\\shiftglyph{A}{0}{20}{0}\n\\shiftglyph{f}{-10}{0}{0}\n\n\\skewkern{A}{50}\n\\endmetrics"));
    EXPECT_TRUE(text(s + "/uzc-drv.tex").contains("  kernon,%\n  adjustments%\n}\n"));
    const QString vpl = text(s + "/zc.vpl");
    EXPECT_TRUE(vpl.contains("(LABEL D 65) (COMMENT A)\n   (KRN D 45 R 0.050)"));
    const QString f = vpl.section("(CHARACTER D 102 ", 1, 1).section("(CHARACTER D 103", 0, 0);
    EXPECT_TRUE(f.contains("(CHARWD R 0.31)")) << f.toStdString();
    EXPECT_TRUE(f.contains("(MOVERIGHT R -0.01)"));
    const QString a = vpl.section("(CHARACTER D 65 ", 1, 1).section("(CHARACTER D 66", 0, 0);
    EXPECT_TRUE(a.contains("(CHARIC R 0.086)")) << a.toStdString(); // 0.066 + 0.020
    // adjustments-old keeps the previous build's file.
    ASSERT_TRUE(w->process());
    EXPECT_EQ(text(master + "/adjustments-old"), "A:0:20:0:50\nf:-10:0:0:0\n");
}

TEST_F(MathAlphaTest, SpacingRunsOnceAndAsksBeforeDiscardingAdjustments)
{
    ASSERT_TRUE(openFromMenu());
    const QString master = makeMaster("spaced", {{"metrics", metricsFile()}});
    loadAndChoose(master, "uzcmi8r");
    w->RadioButton2[1]->setChecked(true);
    w->TextField4->setText("25");
    w->Listbox1->setCell(2, 1, "7");
    env.dialogs.answers = {true};
    ASSERT_TRUE(w->process());
    EXPECT_EQ(env.dialogs.questions, QStringList({"Discard adjustments and apply spacing?"}));
    EXPECT_EQ(w->Listbox1->cell(2, 1), "12");
    EXPECT_EQ(w->Listbox1->cell(2, 2), "13");
    EXPECT_FALSE(w->TextField4->isEnabled());
    EXPECT_FALSE(w->GroupBox2->isEnabled());
    EXPECT_EQ(linesOf(master + "/settings").at(7), "spacingactive=1");
    // The next build leaves the grid as it is.
    ASSERT_TRUE(w->process());
    EXPECT_EQ(w->Listbox1->cell(2, 1), "12");
    EXPECT_EQ(env.dialogs.questions.size(), 1);
    EXPECT_EQ(linesOf(master + "/settings").at(7), "spacingactive=0");
}

TEST_F(MathAlphaTest, TestTypesetsTheSampleWithTheBaseFontEmbedded)
{
    ASSERT_TRUE(openFromMenu());
    loadAndChoose(makeMaster("t"), "uzcmi8r");
    w->RadioButton1[3]->setChecked(true);
    env.dialogs.answers = {true};
    ASSERT_TRUE(w->process());
    w->PushButton2->click();
    const QString s = w->tmpfolder;
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_EQ(text(s + "/glyphtest.tex"),
              "\\def\\xxxxxx{zapfchanmfrak}\n\\def\\mtype#1{\\mathfrak{#1}}\n\\input mt2testfileMA.tex\n");
    ASSERT_TRUE(QFileInfo::exists(s + "/glyphtest.pdf"));
    EXPECT_EQ(opened, QStringList({"open " + s + "/glyphtest.pdf"}));
    const ProcessResult fonts = runProgram("/usr/bin/pdffonts", {s + "/glyphtest.pdf"});
    EXPECT_TRUE(fonts.output.contains("URWChanceryL-MediItal")) << fonts.output.toStdString()
                                                                 << fonts.errorOutput.toStdString();
}

TEST_F(MathAlphaTest, TestStopsWhenItsDocumentCannotBeWritten)
{
    ASSERT_TRUE(openFromMenu());
    // The document leads to /dev/full, which refuses the text when it is
    // flushed: no typesetting, no viewer, a message naming the file.
    const QString s = env.root() + "/full";
    QDir().mkpath(s);
    ASSERT_TRUE(QFile::link("/dev/full", s + "/glyphtest.tex"));
    w->tmpfolder = s;
    env.dialogs.messages.clear();
    w->PushButton2_Action();
    EXPECT_EQ(env.dialogs.messages, QStringList{"Unable to write " + s + "/glyphtest.tex"});
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(MathAlphaTest, InstallIntoTheHomeTreeServesOtherDocuments)
{
    ASSERT_TRUE(openFromMenu());
    loadAndChoose(makeMaster("i"), "uzcmi8r");
    ASSERT_TRUE(w->process());
    QDir(texmfHome).removeRecursively(); // install makes it again
    w->PushButton3->click();
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/vf/urw35vf/zapfchan/zapfchanmcal.vf"));
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/tex/latex/urw35vf/zapfchan/uzapfchanmcal.fd"));

    const QString doc = env.writeFile("elsewhere/use.tex",
                                      "\\documentclass{article}\n\\usepackage[scaled=1.2]{zapfchanmcal}\n"
                                      "\\begin{document}\n$\\mathcal{A}$\n\\typeout{QUAD=\\the\\fontdimen6\\textfont4}\n"
                                      "\\end{document}\n");
    const ProcessResult run = runBash("cd " + shellQuote(QFileInfo(doc).absolutePath()) +
                                      " && pdflatex -interaction=nonstopmode use.tex");
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    // The scale hook loads the font at 12pt.
    EXPECT_TRUE(run.output.contains("QUAD=11.99997pt")) << run.output.toStdString();
    const ProcessResult fonts = runProgram("/usr/bin/pdffonts", {QFileInfo(doc).absolutePath() + "/use.pdf"});
    EXPECT_TRUE(fonts.output.contains("URWChanceryL-MediItal")) << fonts.output.toStdString();
}

TEST_F(MathAlphaTest, InstallIntoTheLocalTreeGoesThroughTheRootRoute)
{
    QStringList recorded;
    setBundleScriptRunner([&](const QString& script, const QStringList& args) {
        recorded << script + ": " + args.join('|');
        return ScriptResult{};
    });
    setpref("sudo", 0);
    ASSERT_TRUE(openFromMenu());
    loadAndChoose(makeMaster("r"), "uzcmi8r");
    ASSERT_TRUE(w->process());
    for (int method : {1, 2}) {
        recorded.clear();
        setpref("method", method);
        w->PushButton3->click();
        ASSERT_EQ(recorded.size(), 2) << method;
        EXPECT_EQ(recorded[0], "sudocmd.sh: /bin/cp -rpf " + w->tmpfolder + "/TDS/* " + texmfLocal);
        EXPECT_TRUE(recorded[1].startsWith("sudocmd.sh: ") && recorded[1].endsWith("mktexlsr"));
    }
    // A failed copy: no mktexlsr, and the user hears of it.
    setBundleScriptRunner([&](const QString& script, const QStringList& args) {
        recorded << script + ": " + args.join('|');
        return ScriptResult{1, QString()};
    });
    recorded.clear();
    w->PushButton3->click();
    EXPECT_EQ(recorded.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.last().startsWith("The installation into " + texmfLocal + " failed"));

    // A scratch folder without its TDS tree.
    QDir(w->tmpfolder + "/TDS").removeRecursively();
    w->PushButton3->click();
    EXPECT_EQ(env.dialogs.messages.last(),
              "No TDS found in " + QFileInfo(w->tmpfolder).fileName() + " -cannot perform the installation.");
}

TEST_F(MathAlphaTest, ValueCellsAreEditableAndEditsMarkTheGridChanged)
{
    ASSERT_TRUE(openFromMenu());
    w->Listbox2_DropObject({makeMaster("edits")});
    ASSERT_EQ(w->dirty, 0);
    QTreeWidgetItem* row = w->Listbox1->topLevelItem(4);
    for (int column = 0; column <= 4; ++column) {
        w->Listbox1->openPersistentEditor(row, column);
        const bool hasEditor = !w->Listbox1->viewport()->findChildren<QLineEdit*>().isEmpty();
        EXPECT_EQ(hasEditor, column > 0) << column;
        w->Listbox1->closePersistentEditor(row, column);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    w->Listbox1->setCell(4, 3, "12");
    EXPECT_EQ(w->dirty, 1);
    w->dirty = 0;
    w->Listbox1->selectRow(9);
    EXPECT_EQ(w->dirty, 1);
    // Before a master folder is read, edits do not count.
    w->ready = false;
    w->dirty = 0;
    w->Listbox1->setCell(5, 3, "1");
    EXPECT_EQ(w->dirty, 0);
}

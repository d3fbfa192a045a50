#include "MtKit.h"

#include "fontinfo/ExamineList.h"
#include "mathtime/MathtimeWin.h"
#include "mathtime/MtModel.h"
#include "mathtime/MtProject.h"
#include "mathtime/OtherSubs.h"
#include "mathtime/glyphwindow.h"
#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QString s(const char* t) { return QString::fromUtf8(t); }

QStringList linesOf(const QString& path)
{
    QString text = QString::fromUtf8(test::readBytes(path));
    if (text.endsWith('\n'))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split('\n');
}

void closeWindow(QWidget* w)
{
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The window with `master` loaded, Times chosen and one "Process" done.
MathtimeWin* builtWindow(test::TestEnv& env, const QString& master)
{
    QDir().mkpath(master);
    EXPECT_TRUE(test::chooseMenuItem("FileFontinstMath"));
    MathtimeWin* w = MathtimeWin::instance();
    w->dropItems({master});
    w->TextField1->setText("ptm");
    env.dialogs.answers = {true};
    w->pressOK();
    w->PushButton1->click();
    EXPECT_TRUE(w->status().endsWith("---Finished")) << w->status().toStdString();
    return w;
}

void mouse(QWidget* canvas, QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(x, y), canvas->mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &e);
}

void drag(QWidget* canvas, int x, int y, int to)
{
    mouse(canvas, QEvent::MouseButtonPress, x, y);
    mouse(canvas, QEvent::MouseMove, (x + to) / 2, y);
    mouse(canvas, QEvent::MouseButtonRelease, to, y);
}

bool key(QWidget* w, int k)
{
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted();
}

} // namespace

TEST(MathtimeTools, ModelOfImitationAndSubstitutionFile)
{
    mt::GlyphMetrics measured, reference;
    auto cells = mt::imitationCells(measured, reference);
    ASSERT_EQ(cells.size(), 106);
    for (const auto& c : cells)
        EXPECT_EQ(c, (std::array<QString, 3>{s("0"), s("0"), s("0")}));
    measured.leftside[7] = 40;
    reference.leftside[7] = 55;
    measured.gw[7] = 600;
    reference.gw[7] = 610;
    measured.sub[7] = 700;
    reference.sub[7] = 720;
    measured.ic[7] = 20;
    reference.ic[7] = 30;
    cells = mt::imitationCells(measured, reference);
    EXPECT_EQ(cells.at(7), (std::array<QString, 3>{s("15"), s("5"), s("-5")}));
    EXPECT_FALSE(mt::hasMeasurements(mt::GlyphMetrics()));
    EXPECT_TRUE(mt::hasMeasurements(measured));

    QStringList rows(106);
    EXPECT_EQ(mt::subsText(rows), s("\n"));
    rows[5] = s(" P ");
    rows[30] = s("Q");
    rows[60] = s("P");
    rows[61] = s("   ");
    const QString text = mt::subsText(rows);
    EXPECT_EQ(text, s("P Q\n0 5 60\n1 30\n"));
    // What is written reads back as it was meant.
    const mt::SubsFile back = mt::parseSubs(text);
    EXPECT_EQ(back.names, (QStringList{s("P"), s("Q")}));
    EXPECT_EQ(back.types, (QList<int>{0, 0}));
    EXPECT_EQ(back.unset.at(0), s("\\unsetglyph{F} \\unsetglyph{G}"));
}

TEST(MathtimeTools, ReferenceDataTestTableInstallAndImitate)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    ASSERT_TRUE(test::installStandInKit(env));
    QStringList opened;
    setDesktopRecorder([&](const QString& action, const QString& path) { opened << action + ' ' + path; });
    QStringList root;
    int rootStatus = 0;
    setBundleScriptRunner([&](const QString& script, const QStringList& args) {
        root << script + ' ' + args.join('|');
        return ScriptResult{rootStatus, QString()};
    });

    MathtimeWin* w = builtWindow(env, env.root() + "/master");
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();

    // Nothing beside the program: the reference data were made from the kit.
    const QString ref = mt::referenceFolder();
    EXPECT_EQ(ref, configFolder() + "/Quillmark2013/mathtime");
    EXPECT_EQ(linesOf(ref + "/mt2vitals.txt").size(), 106);
    for (int n = 1; n <= 106; ++n)
        EXPECT_TRUE(QFileInfo::exists(ref + "/img/mtp" + QString::number(n) + ".png")) << n;
    // Computer Modern italic A stands in for mtpro2's.
    EXPECT_GT(w->project().reference.gw[0], 500);
    w->PushButton5->click();
    EXPECT_EQ(opened, QStringList{"open " + ref + "/mt2test.pdf"});
    EXPECT_TRUE(QFileInfo(ref + "/mt2test.pdf").size() > 1000);

    // Test: glyphtest.pdf in the scratch folder, handed to the default program.
    const QString tmp = w->project().tmpfolder;
    opened.clear();
    w->PushButton3->click();
    EXPECT_EQ(opened, QStringList{"open " + tmp + "/glyphtest.pdf"});
    EXPECT_TRUE(QFileInfo(tmp + "/glyphtest.pdf").size() > 1000);
    // Table: both font tables.
    opened.clear();
    w->PushButton6->click();
    EXPECT_EQ(opened, QStringList{"open " + tmp + "/testtable.pdf"});
    QString info;
    EXPECT_TRUE(test::runIn(tmp, "pdfinfo testtable.pdf", &info));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +2\n"))) << info.toStdString();

    // Install into TEXMFHOME for "useadmin" absent, 0 and 2.
    const QString pctex = env.texmfHome();
    for (const QVariant& useadmin : {QVariant(), QVariant(0), QVariant(2)}) {
        if (useadmin.isValid())
            setpref("useadmin", useadmin);
        // Nothing of an earlier round may stand in for this one's work.
        for (const char* d : {"/fonts/tfm/pctex", "/fonts/vf/pctex", "/tex/latex/pctex"})
            QDir(env.texmfHome() + d).removeRecursively();
        w->TextArea1->clear();
        w->PushButton7->click();
        EXPECT_EQ(w->status(), s("Math font package zptmmt has been installed. Options are same as mtpro2 [lite]."));
        for (const char* f : {"fonts/tfm/pctex/zptmmt/zptmmtmit.tfm", "fonts/tfm/pctex/zptmmt/zptmmtmbt.tfm",
                              "fonts/vf/pctex/zptmmt/zptmmtmit.vf", "fonts/vf/pctex/zptmmt/zptmmtmbt.vf",
                              "tex/latex/pctex/zptmmt/zptmmt.sty"})
            EXPECT_TRUE(QFileInfo::exists(pctex + '/' + f)) << f;
    }
    EXPECT_TRUE(root.isEmpty());
    // A document in a folder of its own finds the installed package.
    env.writeFile("elsewhere/doc.tex", "\\documentclass{article}\n\\usepackage[lite]{zptmmt}\n"
                                       "\\begin{document}\n$a+b=x_i^2$\n\\end{document}\n");
    QString out;
    EXPECT_TRUE(test::runIn(env.root() + "/elsewhere", "pdflatex doc.tex", &out)) << out.toStdString();
    EXPECT_TRUE(test::runIn(env.root() + "/elsewhere", "pdffonts doc.pdf", &out));
    EXPECT_TRUE(out.contains("NimbusRomNo9L-ReguItal")) << out.toStdString();

    // A file missing from the build: a message, no success.
    QFile::rename(tmp + "/zptmmtmbt.vf", tmp + "/gone.vf");
    env.dialogs.messages.clear();
    w->TextArea1->clear();
    w->PushButton7->click();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{s("Math font package zptmmt was not installed: a file of the build is missing.")});
    EXPECT_TRUE(w->status().isEmpty());
    QFile::rename(tmp + "/gone.vf", tmp + "/zptmmtmbt.vf");

    // "useadmin" 1: the copies and mktexlsr go to the root route, quoted.
    setpref("useadmin", 1);
    setpref("sudo", 0);
    w->PushButton7->click();
    ASSERT_EQ(root.size(), 2);
    EXPECT_TRUE(root.at(0).startsWith("sudocmd.sh "));
    EXPECT_TRUE(root.at(0).contains("/bin/cp -pf " + tmp + "/TDS/fonts/vf/pctex/zptmmt/zptmmtmbt.vf " +
                                    env.texmfLocal() + "/fonts/vf/pctex/zptmmt/"))
        << root.at(0).toStdString();
    EXPECT_TRUE(root.at(1).contains("mktexlsr"));
    EXPECT_TRUE(w->status().contains("has been installed"));
    rootStatus = 1;
    root.clear();
    env.dialogs.messages.clear();
    w->TextArea1->clear();
    w->PushButton7->click();
    EXPECT_EQ(root.size(), 1);
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Copying into " + env.texmfLocal() +
                          " ended with exit status 1; math font package zptmmt was not installed."});
    EXPECT_TRUE(w->status().isEmpty());

    // Imitate: its question, the differences in every row, a rebuild.
    env.dialogs.questions.clear();
    env.dialogs.messages.clear();
    env.dialogs.answers = {true};
    w->PushButton8->click();
    EXPECT_EQ(env.dialogs.questions, QStringList{s("Overwrite all existing adjustments?")});
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();
    const auto expected = mt::imitationCells(w->project().measured, w->project().reference);
    int nonZero = 0;
    for (int g = 0; g < 106; ++g) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(w->Listbox1->item(g, k + 1)->text(), expected.at(g)[k]) << g << ' ' << k;
            nonZero += expected.at(g)[k] != s("0");
        }
        EXPECT_TRUE(w->Listbox1->item(g, 4)->text().isEmpty());
    }
    EXPECT_GT(nonZero, 100);
    EXPECT_TRUE(w->TextField3->text().isEmpty());
    EXPECT_TRUE(w->imitated);
    EXPECT_EQ(w->dirty, 0);
    EXPECT_EQ(linesOf(env.root() + "/master/adjustments").at(0),
              "A:" + expected.at(0)[0] + ':' + expected.at(0)[1] + ':' + expected.at(0)[2] + ':');
    // Declined: nothing changes. Again after an imitation, and after "OK".
    env.dialogs.questions.clear();
    env.dialogs.answers = {false};
    w->PushButton8->click();
    env.dialogs.answers = {true, false};
    w->pressOK();
    w->PushButton8->click();
    EXPECT_EQ(env.dialogs.questions, (QStringList{s("Redo the existing imitation of mtpro2?"),
                                                  s("Regenerate text font list?"),
                                                  s("Overwrite all existing adjustments?")}));
    EXPECT_EQ(w->Listbox1->item(0, 1)->text(), expected.at(0)[0]);

    // Without reference data the grid is cleared, as confirmed, and left empty.
    w->project().reference = mt::GlyphMetrics();
    env.dialogs.messages.clear();
    env.dialogs.answers = {true};
    w->PushButton8->click();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{s("There are no reference metrics of mtpro2 (mt2vitals.txt), so its spacing cannot be "
                            "imitated. The adjustments stay empty.")});
    EXPECT_TRUE(w->Listbox1->item(0, 1)->text().isEmpty());
    // No text fonts: the question, then the refusal.
    w->Listbox2->deleteAllRows();
    env.dialogs.messages.clear();
    env.dialogs.answers = {true};
    w->PushButton8->click();
    EXPECT_EQ(env.dialogs.messages, QStringList{s("Bailing out---no text fonts selected.")});
    closeWindow(w);
}

TEST(MathtimeTools, SubstitutesAreSavedAndBuilt)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    ASSERT_TRUE(test::installStandInKit(env));
    setDesktopRecorder([](const QString&, const QString&) {});
    ASSERT_TRUE(test::chooseMenuItem("FileFontinstMath"));
    MathtimeWin* w = MathtimeWin::instance();
    // No master folder: no substitution table.
    EXPECT_FALSE(w->PushButton9->isEnabled());
    const QString master = env.root() + "/master";
    closeWindow(w);
    w = builtWindow(env, master);
    ASSERT_TRUE(w->PushButton9->isEnabled());

    w->PushButton9->click();
    OtherSubs* subs = OtherSubs::instance();
    ASSERT_TRUE(subs->isVisible());
    ASSERT_EQ(subs->Listbox1->rowCount(), 106);
    EXPECT_EQ(subs->Listbox1->item(54, 0)->text(), s("A-BoldRoman"));
    EXPECT_TRUE(subs->Listbox1->item(21, 1)->text().isEmpty());
    EXPECT_EQ(subs->dirty, 0);

    // A name with a blank is refused before anything is written.
    subs->Listbox1->item(3, 1)->setText("ppl ri8t");
    env.dialogs.messages.clear();
    subs->PushButton2->click();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{s("The substitute for D-Italic, \"ppl ri8t\", may hold only letters, digits, \"-\", \"_\" "
                            "and \".\".")});
    EXPECT_FALSE(QFileInfo::exists(master + "/subs"));
    EXPECT_TRUE(subs->isVisible());
    subs->Listbox1->item(3, 1)->setText("");

    // The last name is typed into an open editor and Done pressed at once.
    subs->Listbox1->item(83, 1)->setText(" pplri8t ");
    subs->Listbox1->setCurrentCell(21, 1);
    subs->Listbox1->editItem(subs->Listbox1->item(21, 1));
    QLineEdit* editor = subs->Listbox1->viewport()->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    editor->setText("pplri8t");
    env.dialogs.messages.clear();
    subs->PushButton2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(QString::fromUtf8(test::readBytes(master + "/subs")), s("pplri8t\n0 21 83\n"));
    EXPECT_TRUE(w->status().endsWith("---Finished")) << w->status().toStdString();

    // The build's driver takes V (and bold d, in the italic list: the font's
    // first glyph decides) from Palatino, scaled to the Times x-height.
    const QString driver = QString::fromUtf8(test::readBytes(w->project().tmpfolder + "/zmt2ptm-drv.tex"));
    const QRegularExpression sub(s("\\\\metrics \\\\unsetglyph\\{V\\} \\\\unsetglyph\\{d\\},%\n"
                                   "pplri8t encoding t1 scaled (\\d+),%\n kernon,adjustmentsI\\}"));
    const auto m = sub.match(driver);
    ASSERT_TRUE(m.hasMatch()) << driver.toStdString();
    EXPECT_LT(m.captured(1).toInt(), 995);
    ASSERT_EQ(w->project().subs.size(), 1);
    EXPECT_EQ(m.captured(1).toInt(),
              mt::baseScale(1.0, w->project().xh[0], w->project().subs.at(0).xheight));

    // Reopening shows the saved names; a hand-made bad line is reported once.
    w->PushButton9->click();
    subs = OtherSubs::instance();
    EXPECT_EQ(subs->Listbox1->item(21, 1)->text(), s("pplri8t"));
    EXPECT_EQ(subs->Listbox1->item(83, 1)->text(), s("pplri8t"));
    closeWindow(subs);
    env.writeFile("master/subs", "pplri8t\n0 21 200\n7 5\n");
    env.dialogs.messages.clear();
    w->PushButton9->click();
    subs = OtherSubs::instance();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{s("Some entries of the file \"subs\" name no substitute font or no glyph from 0 to 105; "
                            "they were skipped.")});
    EXPECT_EQ(subs->Listbox1->item(21, 1)->text(), s("pplri8t"));
    EXPECT_TRUE(subs->Listbox1->item(5, 1)->text().isEmpty());
    // Done without a change writes nothing.
    subs->PushButton2->click();
    EXPECT_EQ(QString::fromUtf8(test::readBytes(master + "/subs")), s("pplri8t\n0 21 200\n7 5\n"));

    // A substitute that is not installed stops the build before fontinst:
    // no property list is made and the tools stay off.
    env.writeFile("master/subs", "qlknosuch\n0 5\n");
    env.dialogs.messages.clear();
    w->process();
    EXPECT_EQ(env.dialogs.messages, (QStringList{s("No tfm or vf found for qlknosuch"),
                                                 s("Unable to find the x-height of qlknosuch. Cannot proceed.")}));
    EXPECT_TRUE(QDir(w->project().tmpfolder).entryList({"*.pl"}, QDir::Files).isEmpty());
    EXPECT_FALSE(w->PushButton3->isEnabled());
    closeWindow(w);
}

TEST(MathtimeTools, GlyphEditorGuidesStepsAndWriteBack)
{
    test::TestEnv env(false);
    test::MtTrees trees(env);
    setAppFolderForTesting(test::builtAppFolder());
    ASSERT_TRUE(test::installStandInKit(env));
    // A master folder with hand-made pictures and metrics.
    const QString master = env.root() + "/m";
    QDir().mkpath(master + "/imgs");
    QImage pic(100, 120, QImage::Format_ARGB32);
    pic.fill(Qt::black);
    for (int n : {1, 53, 54, 106})
        ASSERT_TRUE(pic.save(master + "/imgs/gl" + QString::number(n) + ".png"));
    QString metrics;
    for (int g = 0; g < 106; ++g)
        metrics += "500 20 600 30\n";
    env.writeFile("m/metrics", metrics.toUtf8());
    ASSERT_TRUE(test::chooseMenuItem("FileFontinstMath"));
    MathtimeWin* w = MathtimeWin::instance();
    w->dropItems({master});
    ASSERT_FALSE(w->project().needGlyphs);

    QList<std::function<void(glyphwindow*)>> script;
    QStringList names;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* g = qobject_cast<glyphwindow*>(d);
        EXPECT_TRUE(g);
        if (!g)
            return 0;
        g->show();
        for (const auto& act : script)
            act(g);
        g->hide();
        return g->result();
    };

    // Glyph 52 shows dotlessi and its own picture; Next wraps 105 -> 0,
    // Prev 0 -> 105.
    w->Listbox1->item(105, 1)->setText("007");
    script = {[&](glyphwindow* g) {
                  names << g->Label3->text();
                  EXPECT_EQ(g->pic1.size(), QSize(100, 120));
                  g->target = 105;
                  g->Drawpics();
                  g->PushButton3->click();
                  names << g->Label3->text();
                  g->PushButton4->click();
                  names << g->Label3->text();
                  g->PushButton2->click();
              }};
    w->mrow = 52;
    w->glyphwin();
    EXPECT_EQ(names, (QStringList{s("dotlessi"), s("A-Italic"), s("z-Bold")}));
    // Next without a move rewrote glyph 105's cells as numbers.
    EXPECT_EQ(w->Listbox1->item(105, 1)->text(), s("7"));
    EXPECT_EQ(w->Listbox1->item(105, 2)->text(), s("0"));

    // Left guide 3 px left, then Done: left + 15, the rest unchanged, and the
    // window's build runs after the editor has closed.
    w->Listbox1->item(0, 1)->setText("10");
    w->Listbox1->item(0, 4)->setText("2.5");
    bool closedBeforeBuild = false;
    script = {[&](glyphwindow* g) {
                  const int x = g->guides.leftGuideX();
                  const int y = g->guides.guideTop() + 60;
                  drag(g->Canvas1, x + 1, y, x - 2);
                  EXPECT_EQ(g->guides.highlight, int(GuideLeft));
                  EXPECT_EQ(g->guides.dl, -3);
                  env.dialogs.messages.clear();
                  g->PushButton1->click();
                  closedBeforeBuild = !g->isVisible();
              }};
    w->mrow = 0;
    w->glyphwin();
    EXPECT_TRUE(closedBeforeBuild);
    EXPECT_EQ(w->Listbox1->item(0, 1)->text(), s("25"));
    EXPECT_EQ(w->Listbox1->item(0, 4)->text(), s("2.5"));
    EXPECT_EQ(env.dialogs.messages,
              QStringList{s("You need to have 3 tfm names (sans .tfm)---italic, roman and bold roman")});

    // Right guide 2 px right and Next: right + 10 on the glyph left behind.
    // The hat moved 1 px right writes 2.5 + 5; with the left arrow it comes back.
    script = {[&](glyphwindow* g) {
                  const int rx = g->guides.rightGuideX();
                  drag(g->Canvas1, rx, g->guides.guideTop() + 40, rx + 2);
                  EXPECT_EQ(g->guides.highlight, int(GuideRight));
                  const int hx = g->guides.hatLeft() + 31;
                  mouse(g->Canvas1, QEvent::MouseButtonPress, hx, g->guides.guideTop() + 10);
                  mouse(g->Canvas1, QEvent::MouseButtonRelease, hx + 1, g->guides.guideTop() + 10);
                  EXPECT_EQ(g->guides.highlight, int(GuideHat));
                  EXPECT_TRUE(key(g, Qt::Key_Right));
                  EXPECT_TRUE(key(g, Qt::Key_Left));
                  EXPECT_EQ(g->guides.da, 1);
                  // Also while the default button has the focus.
                  key(g->PushButton1, Qt::Key_Right);
                  key(g->PushButton1, Qt::Key_Left);
                  EXPECT_EQ(g->guides.da, 1);
                  key(g->PushButton1, Qt::Key_Left);
                  EXPECT_EQ(g->guides.da, 0);
                  key(g->PushButton1, Qt::Key_Right);
                  g->PushButton3->click();
                  names << g->Label3->text();
                  // Far from every mark: nothing selected, the arrows pass on.
                  mouse(g->Canvas1, QEvent::MouseButtonPress, 2, 2);
                  mouse(g->Canvas1, QEvent::MouseButtonRelease, 2, 2);
                  EXPECT_EQ(g->guides.highlight, int(GuideNone));
                  EXPECT_FALSE(key(g, Qt::Key_Left));
                  // A right click selects nothing.
                  const int lx = g->guides.leftGuideX();
                  mouse(g->Canvas1, QEvent::MouseButtonPress, lx, g->guides.guideTop() + 60, Qt::RightButton);
                  EXPECT_EQ(g->guides.highlight, int(GuideNone));
                  // Cancel drops only the moves of the glyph on show.
                  drag(g->Canvas1, lx, g->guides.guideTop() + 60, lx - 4);
                  g->PushButton2->click();
              }};
    names.clear();
    w->glyphwin();
    EXPECT_EQ(names, QStringList{s("B-Italic")});
    EXPECT_EQ(w->Listbox1->item(0, 2)->text(), s("10"));
    EXPECT_EQ(w->Listbox1->item(0, 4)->text(), s("7.5"));
    EXPECT_EQ(w->Listbox1->item(1, 1)->text(), s(""));

    // Glyph 1 has no picture, and nothing is beside the program for the
    // reference: both canvases stay empty and painting does not fail.
    script = {[&](glyphwindow* g) {
                  EXPECT_TRUE(g->pic1.isNull());
                  const QImage shot = g->Canvas1->grab().toImage();
                  EXPECT_FALSE(shot.isNull());
                  g->Canvas2->grab();
                  g->PushButton2->click();
              }};
    w->mrow = 1;
    w->glyphwin();
    closeWindow(w);
}

#include "MathAlphaFixture.h"

#include "mathalpha/MathAlph2.h"
#include "mathalpha/glyphwindowMA.h"
#include "platform/Quote.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>

using namespace qlk;
using namespace qlk::test;

namespace {

void mouse(QWidget* target, QEvent::Type type, QPoint at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void drag(QWidget* target, QPoint from, int dx)
{
    mouse(target, QEvent::MouseButtonPress, from);
    for (int i = 1; i <= qAbs(dx); ++i)
        mouse(target, QEvent::MouseMove, from + QPoint(dx < 0 ? -i : i, 0));
    mouse(target, QEvent::MouseButtonRelease, from + QPoint(dx, 0));
}

bool key(QWidget* target, int k)
{
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
    return e.isAccepted();
}

} // namespace

// A master folder processed once: measured, pictured and built.
class GlyphEditorTest : public MathAlphaTest {
protected:
    void SetUp() override
    {
        MathAlphaTest::SetUp();
        ASSERT_TRUE(openFromMenu());
        master = makeMaster("editing");
        loadAndChoose(master, "uzcmi8r");
        w->spacingenable(0);
        w->PushButton1->click();
        ASSERT_EQ(w->TextArea1->toPlainText(), "Running process fontinst ---Finished")
            << env.dialogs.messages.join('\n').toStdString() << failures.join('\n').toStdString();
        ASSERT_FALSE(w->needglyphs);
    }
    void doubleClickLetter(int row)
    {
        QTreeWidgetItem* item = w->Listbox1->topLevelItem(row);
        w->Listbox1->scrollToItem(item);
        const QPoint at = w->Listbox1->visualItemRect(item).topLeft() + QPoint(5, 3);
        QWidget* vp = w->Listbox1->viewport();
        mouse(vp, QEvent::MouseButtonPress, at);
        mouse(vp, QEvent::MouseButtonRelease, at);
        mouse(vp, QEvent::MouseButtonDblClick, at);
        mouse(vp, QEvent::MouseButtonRelease, at);
    }
    QString master;
};

TEST_F(GlyphEditorTest, DraggingTheLeftLineAndDoneLowersLeftAndRebuilds)
{
    const QString before = newestScratch();
    int shown = -1;
    QSize picture;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* e = qobject_cast<glyphwindowMA*>(d);
        if (!e)
            return 0;
        e->show();
        shown = e->target;
        picture = e->pic1.size();
        const GlyphGuides& g = e->guides;
        EXPECT_EQ(e->windowTitle(), "Glyph adjustments");
        EXPECT_FALSE(e->hat.isNull());
        EXPECT_EQ(g.ph1, e->pic1.height() + 7);
        drag(e->Canvas1, QPoint(g.leftGuideX(), g.py + 60), 2);
        EXPECT_EQ(g.highlight, GuideLeft);
        EXPECT_EQ(g.dl, 2);
        e->PushButton1->click();
        return 1;
    };
    doubleClickLetter(0);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(picture, QImage(master + "/imgs/gl1.png").size());
    EXPECT_FALSE(picture.isEmpty());
    EXPECT_EQ(w->Listbox1->cell(0, 1), "-10");
    EXPECT_EQ(w->Listbox1->cell(0, 2), "0");
    EXPECT_EQ(w->xx[0][0], -10);
    EXPECT_NE(newestScratch(), before);
    EXPECT_EQ(text(master + "/adjustments"), "A:-10:0:0:0\n");
    EXPECT_TRUE(text(newestScratch() + "/adjustments.mtx").contains("\\shiftglyph{A}{-10}{0}{0}"));

    // A double click in a value column never opens the editor.
    shown = -1;
    w->Listbox1_CellClick(0, 2);
    w->Listbox1_DoubleClick();
    EXPECT_EQ(shown, -1);
}

TEST_F(GlyphEditorTest, NextPrevWrapArrowKeysMoveAndCancelKeepsWhatNextSaved)
{
    const QString before = newestScratch();
    QList<int> targets;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* e = qobject_cast<glyphwindowMA*>(d);
        e->show();
        targets << e->target;
        // Nothing selected: the arrows are passed on.
        EXPECT_FALSE(e->Event_KeyDown(Qt::Key_Right));
        const GlyphGuides& g = e->guides;
        mouse(e->Canvas1, QEvent::MouseButtonPress, QPoint(g.subscriptX() + 1, g.guideBottom() + 5));
        mouse(e->Canvas1, QEvent::MouseButtonRelease, QPoint(g.subscriptX() + 1, g.guideBottom() + 5));
        EXPECT_EQ(g.highlight, GuideSubscript);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(key(e, Qt::Key_Right));
        EXPECT_TRUE(key(e, Qt::Key_Left));
        EXPECT_TRUE(key(e, Qt::Key_Right));
        EXPECT_EQ(g.ds, 3);
        e->PushButton3->click(); // Next: z -> A
        targets << e->target;
        EXPECT_EQ(g.highlight, GuideNone);
        EXPECT_EQ(e->pic1.size(), QImage(master + "/imgs/gl1.png").size());
        e->PushButton4->click(); // Prev: A -> z
        targets << e->target;
        e->PushButton3->click(); // and back to A
        e->PushButton4->click();
        targets << e->target;
        drag(e->Canvas1, QPoint(g.rightGuideX(), g.py + 5), 5); // not saved: Cancel
        e->PushButton2->click();
        return 0;
    };
    w->Listbox1->selectRow(51);
    w->dirty = 0;
    w->Listbox1_CellClick(51, 0);
    w->Listbox1_DoubleClick();
    EXPECT_EQ(targets, QList<int>({51, 0, 51, 51}));
    EXPECT_EQ(w->Listbox1->cell(51, 3), "15");
    EXPECT_EQ(w->Listbox1->cell(51, 2), "0");
    EXPECT_EQ(w->xx[51][2], 15);
    EXPECT_EQ(w->Listbox1->cell(0, 1), "0"); // A was saved without moves
    EXPECT_EQ(newestScratch(), before);       // Cancel runs no build
}

TEST_F(GlyphEditorTest, TheMetricEditorRendersAppliesAndRefreshes)
{
    // No row selected: nothing opens.
    w->Listbox1->clearSelection();
    w->Listbox1->setCurrentItem(nullptr);
    w->Listbox1_ContextualMenuAction(1);
    int editors = 0;
    for (QWidget* t : QApplication::topLevelWidgets())
        editors += qobject_cast<MathAlph2*>(t) && t->isVisible() ? 1 : 0;
    EXPECT_EQ(editors, 0);
    QMenu* menu = w->Listbox1_ConstructContextualMenu();
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Show glyph with background");
    delete menu;

    w->Listbox1->selectRow(3);
    w->Listbox1->setCell(3, 1, "10");
    w->Listbox1_ContextualMenuAction(1);
    QPointer<MathAlph2> e = MathAlph2::instance();
    ASSERT_TRUE(e->isVisible());
    EXPECT_EQ(e->glyphnum, 3);
    const QString s = newestScratch();
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(text(s + "/tmp.tex").split('\n').size(), 18);
    EXPECT_TRUE(text(s + "/tmp.tex").contains("\\hat{\\mathcal{D}}"));
    ASSERT_FALSE(e->pic.isNull());
    EXPECT_LE(e->pic.width(), 589);
    EXPECT_LE(e->pic.height(), 586);
    EXPECT_EQ(e->tx, (589 - e->pic.width()) / 2);
    EXPECT_EQ(e->ty, (586 - e->pic.height()) / 2);

    // The arrows step by 2 and switch Refresh.
    EXPECT_FALSE(e->PushButton5->isEnabled());
    e->PushButton2[0]->click();
    EXPECT_EQ(e->TextField1[0]->text(), "2");
    EXPECT_TRUE(e->PushButton5->isEnabled());
    e->PushButton1[0]->click();
    EXPECT_EQ(e->TextField1[0]->text(), "0");
    EXPECT_FALSE(e->PushButton5->isEnabled());
    e->TextField1[2]->setText("abc");
    e->PushButton2[2]->click();
    EXPECT_EQ(e->TextField1[2]->text(), "2");
    e->TextField1[2]->clear();

    // Refresh applies, empties the fields, rebuilds and renders again.
    e->TextField1[1]->setText("2.6");
    e->PushButton5->click();
    EXPECT_EQ(w->Listbox1->cell(3, 2), "3");
    EXPECT_TRUE(e->TextField1[1]->text().isEmpty());
    EXPECT_FALSE(e->PushButton5->isEnabled());
    const QString refreshed = newestScratch();
    EXPECT_NE(refreshed, s);
    EXPECT_TRUE(QFileInfo::exists(refreshed + "/tmp.png"));

    // Done with Left 2 and Accent -4.
    e->PushButton2[0]->click();
    e->PushButton1[3]->click();
    e->PushButton1[3]->click();
    e->PushButton4->click();
    EXPECT_FALSE(e && e->isVisible());
    EXPECT_EQ(w->Listbox1->cell(3, 1), "12");
    EXPECT_EQ(w->Listbox1->cell(3, 4), "-4");
    EXPECT_EQ(w->Listbox1->cell(3, 2), "3");
    EXPECT_NE(newestScratch(), refreshed);
    EXPECT_TRUE(text(master + "/adjustments").contains("D:12:3:0:-4"));
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The grid takes only what the font can hold, so the font always says what
// the grid says: a refused sum changes no cell and runs no build.
TEST_F(GlyphEditorTest, TheMetricEditorRefusesWhatTheFontCannotHold)
{
    w->Listbox1->selectRow(3);
    w->Listbox1->setCell(3, 2, "15000");
    w->Listbox1_ContextualMenuAction(1);
    QPointer<MathAlph2> e = MathAlph2::instance();
    ASSERT_TRUE(e->isVisible());
    const QString built = newestScratch();
    const QString left = w->Listbox1->cell(3, 1);
    const QString range = ", more than the font can hold: adjustments lie between -15999 and 15999 (thousandths "
                          "of the design size). Nothing was changed.";
    const struct {
        int field;
        const char* text;
        const char* message;
    } refused[] = {
        {0, "99999999999999", "The left adjustment of D would be 99999999999999"},
        {3, "-16000", "The accent adjustment of D would be -16000"},
        {1, "1000", "The right adjustment of D would be 16000"}, // added to the cell's 15000
        {2, "15999.5", "The subscript adjustment of D would be 16000"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.text);
        env.dialogs.messages.clear();
        e->TextField1[0]->setText("2"); // would fit, but goes with the rest
        e->TextField1[c.field]->setText(c.text);
        for (QPushButton* press : {e->PushButton5, e->PushButton4}) {
            press->click();
            EXPECT_EQ(env.dialogs.messages.value(env.dialogs.messages.size() - 1), c.message + range);
        }
        EXPECT_EQ(env.dialogs.messages.size(), 2);
        EXPECT_TRUE(e && e->isVisible());
        EXPECT_EQ(e->TextField1[c.field]->text(), c.text);
        EXPECT_EQ(w->Listbox1->cell(3, 1), left);
        EXPECT_EQ(w->Listbox1->cell(3, 2), "15000");
        for (QLineEdit* f : e->TextField1)
            f->clear();
    }
    EXPECT_EQ(newestScratch(), built);

    // The largest moves the font holds are taken and reach it as they are.
    w->Listbox1->setCell(3, 1, "");
    w->Listbox1->setCell(3, 2, "");
    e->TextField1[0]->setText("-15999");
    e->TextField1[3]->setText("15999");
    e->PushButton4->click();
    EXPECT_FALSE(e && e->isVisible());
    EXPECT_EQ(w->Listbox1->cell(3, 1), "-15999");
    EXPECT_EQ(w->Listbox1->cell(3, 4), "15999");
    EXPECT_TRUE(text(master + "/adjustments").contains("D:-15999:0:0:15999"));
    const QString s = newestScratch();
    ASSERT_NE(s, built);
    EXPECT_TRUE(w->PushButton3->isEnabled()) << env.dialogs.messages.join('\n').toStdString();
    const ProcessResult vp = runBash("cd " + shellQuote(s) + " && vftovp " + w->TextField2->text() + ".vf " +
                                     w->TextField2->text() + ".tfm");
    const QString d = vp.output.section("(CHARACTER C D", 1, 1).section("(CHARACTER", 0, 0);
    EXPECT_TRUE(d.contains("(MOVERIGHT R -15.999)")) << d.toStdString();
    EXPECT_TRUE(vp.output.contains("(KRN O 55 R 15.999)")) << vp.output.toStdString();

    // A sum that fits alone but not with the glyph's own width: vptovf
    // would write 0, so the build stops and Install stays off.
    env.dialogs.messages.clear();
    w->Listbox1->setCell(3, 1, "");
    w->Listbox1->setCell(3, 3, "15999");
    EXPECT_FALSE(w->process());
    EXPECT_TRUE(env.dialogs.messages.value(0).startsWith("vptovf could not make " + w->TextField2->text() +
                                                         ".tfm as adjusted: The relative dimension "))
        << env.dialogs.messages.join('\n').toStdString();
    EXPECT_FALSE(w->PushButton3->isEnabled());

    // A number typed into the grid itself is refused before anything is
    // written into the master folder.
    const QByteArray adjustments = readBytes(master + "/adjustments");
    env.dialogs.messages.clear();
    w->Listbox1->setCell(3, 3, "");
    w->Listbox1->setCell(0, 2, "99999999999999");
    EXPECT_FALSE(w->process());
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"The right adjustment of A would be 99999999999999, more than the font can hold: "
                          "adjustments lie between -15999 and 15999 (thousandths of the design size). The font "
                          "was not built."});
    EXPECT_EQ(readBytes(master + "/adjustments"), adjustments);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(GlyphEditorTest, MetricEditorFailuresGiveTheirMessages)
{
    w->Listbox1->selectRow(0);
    w->Listbox1_ContextualMenuAction(1);
    MathAlph2* e = MathAlph2::instance();
    ASSERT_FALSE(e->pic.isNull());
    const QImage before = e->pic;
    env.dialogs.messages.clear();

    // A LaTeX error: a package that is not there.
    const QString s = newestScratch();
    w->TextField3->setText("nosuchpackage");
    e->Makeglyphpic();
    EXPECT_EQ(env.dialogs.messages.value(0), "Failed to process tmp.tex. See tmp.log in " + s);
    EXPECT_EQ(e->pic, before);
    // The folder newesttmp.txt names is gone.
    env.writeFile(QDir(env.root()).relativeFilePath(documents + "/newesttmp.txt"), "  tmp1234567 \n");
    e->Makeglyphpic();
    EXPECT_EQ(env.dialogs.messages.value(1), "Bailing out! Cannot locate folder tmp1234567 containing fontinst data.");
    // No newesttmp.txt at all.
    QFile::remove(documents + "/newesttmp.txt");
    e->Makeglyphpic();
    EXPECT_EQ(env.dialogs.messages.value(2),
              "Bailing out! Cannot locate file newesttmp.txt which points to most recent fontinst data.");

    // With the math-alphabet window gone, Done only closes.
    QPointer<MathAlph2> editor = e;
    e->TextField1[0]->setText("4");
    closeWindow();
    ASSERT_TRUE(editor);
    editor->PushButton4->click();
    EXPECT_FALSE(editor && editor->isVisible());
}

// No TeX here: hand-made metrics and one small picture.
TEST_F(MathAlphaTest, MissingPicturesGiveAnEmptyViewAndMissingImagesAMessage)
{
    ASSERT_TRUE(openFromMenu());
    const QString master = makeMaster("pictures", {{"metrics", metricsFile()}});
    QDir().mkpath(master + "/imgs");
    QImage a(40, 60, QImage::Format_RGB32);
    a.fill(Qt::black);
    ASSERT_TRUE(a.save(master + "/imgs/gl1.png"));
    w->Listbox2_DropObject({master});
    ASSERT_FALSE(w->needglyphs);
    w->mtpimgs = env.root() + "/no-img"; // the hats are missing too

    QList<bool> drawn;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* e = qobject_cast<glyphwindowMA*>(d);
        e->show();
        EXPECT_TRUE(e->hat.isNull());
        drawn << !e->pic1.isNull();
        e->Canvas1->grab(); // paints without a picture
        e->PushButton3->click();
        drawn << !e->pic1.isNull();
        e->Canvas1->grab();
        mouse(e->Canvas1, QEvent::MouseButtonPress, QPoint(10, 10));
        e->PushButton4->click();
        drawn << !e->pic1.isNull();
        e->Canvas1->grab();
        e->PushButton2->click();
        return 0;
    };
    w->Listbox1_CellClick(0, 0);
    w->dirty = 0;
    w->Listbox1_DoubleClick();
    EXPECT_EQ(drawn, QList<bool>({true, false, true}));

    // Pictures that must be made first and cannot be: no scratch folder yet.
    QFile::remove(master + "/imgs/gl1.png");
    env.dialogs.answers = {true}; // replace the master folder
    w->Listbox2_DropObject({master});
    ASSERT_TRUE(w->needglyphs);
    drawn.clear();
    w->Listbox1_CellClick(4, 0);
    w->dirty = 0;
    w->Listbox1_DoubleClick();
    EXPECT_TRUE(drawn.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_EQ(env.dialogs.messages.value(0), "Error making glyph images");

    // "Clear all adjustments" touches the grid alone.
    w->Listbox1->setCell(3, 2, "9");
    w->spacingenable(0);
    w->TextField2->setText("keep");
    w->PushButton5->click();
    EXPECT_EQ(w->Listbox1->rowCount(), 52);
    EXPECT_EQ(w->Listbox1->cell(26, 0), "a");
    EXPECT_EQ(w->Listbox1->cell(51, 0), "z");
    EXPECT_EQ(w->Listbox1->cell(3, 2), "");
    EXPECT_TRUE(w->TextField4->isEnabled());
    EXPECT_TRUE(w->GroupBox2->isEnabled());
    EXPECT_EQ(w->TextField2->text(), "keep");
    EXPECT_EQ(w->metrics.gw[0], 400);
    EXPECT_EQ(w->masterfolder, master);
}

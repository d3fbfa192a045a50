#include "SearchFixture.h"

#include "app/App.h"
#include "app/MenuBar1.h"
#include "platform/Process.h"
#include "search/TreeSearch.h"
#include "search/kpsewhichwin.h"
#include "search/searchmapwindow.h"
#include "support/TestEnv.h"
#include "support/WidgetInput.h"
#include "textview/TextWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace qlk;
using test::deleteClosedWindows;
using test::pressReturn;
using test::SearchTrees;
using test::TestEnv;
using test::writeAt;

namespace {

QString realDist()
{
    return runProgram(QStringLiteral("/usr/bin/kpsewhich"), {QStringLiteral("-var-value=TEXMFDIST")})
        .output.trimmed();
}

class SearchWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = createAppObject();
        test::recordQuits();
        if (QPointer<TextWindow> viewer = TextWindow::instance())
            viewer->close();
        deleteClosedWindows();
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        deleteClosedWindows();
        delete app;
    }
    QAction* item(const char* name) { return app->menuBar()->item(QString::fromLatin1(name)); }

    TestEnv env;
    App* app = nullptr;
};

} // namespace

TEST_F(SearchWindows, SearchTeXTreesListsTheRealPalatinoFiles)
{
    SearchTrees trees(env, realDist());
    const QString afm = test::texFile(QStringLiteral("uplr8a.afm"));
    const QString pfb = test::texFile(QStringLiteral("uplr8a.pfb"));
    ASSERT_FALSE(afm.isEmpty()) << "texlive-fonts-recommended is missing";

    ASSERT_TRUE(item("ViewSearchTeXTrees")->isEnabled());
    item("ViewSearchTeXTrees")->trigger();
    QPointer<kpsewhichwin> win = kpsewhichwin::instance();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Search TeX Trees"));
    win->TextField1->setText(QStringLiteral("  uplr8a*  "));
    pressReturn(win->TextField1);
    deleteClosedWindows();
    EXPECT_TRUE(win.isNull());

    TextWindow* viewer = TextWindow::instance();
    EXPECT_TRUE(viewer->isVisible());
    const QStringList lines = viewer->text().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(afm)) << viewer->text().toStdString();
    EXPECT_TRUE(lines.contains(pfb));
}

TEST_F(SearchWindows, SearchTeXTreesBlankTermOnlyClosesAndAnOpenViewerKeepsItsMode)
{
    SearchTrees trees(env);
    kpsewhichwin::instance()->TextField1->setText(QStringLiteral("   "));
    QPointer<kpsewhichwin> win = kpsewhichwin::instance();
    win->PushButton2->click();
    deleteClosedWindows();
    EXPECT_TRUE(win.isNull());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TextWindow*>(w) && w->isVisible());

    const QString sty = writeAt(texmfHome + QStringLiteral("/tex/latex/qlk/qlk.sty"), "x");
    TextWindow* viewer = TextWindow::instance();
    viewer->saveable = 1;
    showResults(QStringLiteral("earlier"));
    kpsewhichwin::instance()->TextField1->setText(QStringLiteral("qlk.sty"));
    kpsewhichwin::instance()->PushButton2->click();
    EXPECT_EQ(viewer->text(), sty + QLatin1Char('\n'));
    EXPECT_EQ(viewer->saveable, 1);
}

TEST_F(SearchWindows, SearchMapsDialogDefaultsBlankStartAndSearch)
{
    SearchTrees trees(env);
    writeAt(masterMapPath(), "qlkfont Master <m.pfb\n");
    const QString docMap = writeAt(env.home() + QStringLiteral("/Documents/doc.map"), "qlkdoc Doc <d.pfb\n");

    int opened = 0;
    env.dialogs.onModal = [&](QDialog* dialog) {
        auto* w = qobject_cast<searchmapwindow*>(dialog);
        EXPECT_TRUE(w);
        if (!w)
            return 0;
        ++opened;
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Search fonts maps"));
        EXPECT_TRUE(w->RadioButton1[0]->isChecked());
        EXPECT_FALSE(w->RadioButton1[1]->isChecked());
        EXPECT_FALSE(w->CheckBox1->isChecked());
        EXPECT_TRUE(w->TextField1->text().isEmpty());
        EXPECT_TRUE(w->StaticText3->text().isEmpty());
        if (opened == 1) {
            // Nothing happens for a blank text.
            w->TextField1->setText(QStringLiteral("  "));
            w->PushButton1->click();
            EXPECT_TRUE(w->StaticText3->text().isEmpty());
            // Whole home folder, case ignored; Return in the field starts it.
            w->RadioButton1[1]->setChecked(true);
            w->TextField1->setText(QStringLiteral("  QLKDOC "));
            pressReturn(w->TextField1);
            EXPECT_EQ(w->StaticText3->text(), QStringLiteral("Searching ..."));
        } else {
            w->PushButton2->click();
        }
        return 0;
    };
    ASSERT_TRUE(item("ViewSearchmaps")->isEnabled());
    item("ViewSearchmaps")->trigger();
    deleteClosedWindows();
    TextWindow* viewer = TextWindow::instance();
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Finished search in maps for \"QLKDOC\""));
    EXPECT_TRUE(viewer->text().contains(docMap + QStringLiteral(":\n  qlkdoc Doc <d.pfb"))) << viewer->text().toStdString();
    EXPECT_TRUE(viewer->text().startsWith(QStringLiteral("Nothing found in master pdftex.map:\n")));

    // Each opening is a fresh dialog with the defaults; Cancel closes it.
    item("ViewSearchmaps")->trigger();
    EXPECT_EQ(opened, 2);
    deleteClosedWindows();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<searchmapwindow*>(w));
}

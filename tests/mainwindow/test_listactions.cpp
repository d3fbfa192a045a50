#include "InstallFixture.h"
#include "WindowFixture.h"

#include "mainwindow/Window1.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/Runners.h"
#include "texenv/Init.h"
#include "textview/TextWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QStringList menuOf(const std::function<void(QMenu*)>& build)
{
    QMenu menu;
    build(&menu);
    QStringList items;
    for (QAction* a : menu.actions())
        items << QString("%1:%2").arg(a->data().toInt()).arg(a->text());
    return items;
}

// Reveals and editor runs are recorded, nothing is started.
struct Desk {
    QStringList revealed;
    QStringList opened;
    Desk()
    {
        setDesktopRecorder([this](const QString& action, const QString& path) {
            (action == QLatin1String("open") ? opened : revealed) << path;
        });
        setpref("editor", QStringLiteral("true"));
    }
};

} // namespace

TEST(ListActions, ClicksDoubleClicksAndMenus)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    Desk desk;
    Window1* w = test::freshWindow();
    const QString mapA = env.writeFile("texmf-local/fonts/map/dvips/a/a.map", "a A <a.pfb\n");
    const QString mapB = env.writeFile("texmf-local/fonts/map/dvips/b/b.map", "b B <b.pfb\n");
    w->Listbox4->addRow(mapA);
    w->Listbox4->addRow(mapB);
    w->Listbox2->addRow(texmfHome);
    for (const QString& folder : {texmfHome, texmfSysVar + "/fonts/map", texmfVar + "/fonts/map"})
        QDir().mkpath(folder);
    for (const QString& root : {texmfSysVar + "/fonts/map/", texmfVar + "/fonts/map/"}) {
        const int row = w->Listbox1[0]->rowCount();
        w->Listbox1[0]->addRow(QString("[M%1]").arg(row));
        w->Listbox1[0]->setCell(row, 1, root);
    }

    // A press on a row (either button) names the row for every list.
    emit w->Listbox4->itemPressed(w->Listbox4->topLevelItem(1), 0);
    EXPECT_EQ(w->mrow, 1);
    w->List_DoubleClick(w->Listbox4);
    EXPECT_EQ(desk.revealed, QStringList{mapB});
    // Row 1 of a list with one row: nothing happens.
    w->List_DoubleClick(w->Listbox2);
    EXPECT_EQ(desk.revealed.size(), 1);
    w->List_CellClick(0);
    w->List_DoubleClick(w->Listbox2);
    w->List_DoubleClick(w->Listbox1[0]); // column 1 of Listbox1
    EXPECT_EQ(desk.revealed, (QStringList{mapB, texmfHome, texmfSysVar + "/fonts/map/"}));
    EXPECT_TRUE(w->Listbox2_HeaderPressed(0));

    const QStringList four{"1:Show folder", "2:Contents of pdftex.map", "3:Contents of psfonts.map",
                           "4:Contents of dvipdfm.map"};
    EXPECT_EQ(menuOf([&](QMenu* m) { w->Listbox1_ConstructContextualMenu(0, m); }), four);
    w->List_CellClick(1);
    EXPECT_EQ(menuOf([&](QMenu* m) { w->Listbox1_ConstructContextualMenu(0, m); }),
              four + QStringList{"100:Delete file"});
    EXPECT_EQ(menuOf([&](QMenu* m) { w->Listbox1_ConstructContextualMenu(1, m); }),
              (QStringList{"100:Delete file", "101:Show contents"}));
    EXPECT_EQ(menuOf([&](QMenu* m) { w->Listbox1_ConstructContextualMenu(2, m); }), QStringList{"101:Show contents"});
    EXPECT_EQ(menuOf([&](QMenu* m) { w->MapList_ConstructContextualMenu(m); }), QStringList{"1:Show contents"});

    // "Show contents" of a font map: the file, view only.
    w->List_CellClick(0);
    w->MapList_ContextualMenuAction(w->Listbox4, 1);
    TextWindow* viewer = TextWindow::instance();
    EXPECT_EQ(viewer->text(), "a A <a.pfb\n");
    EXPECT_EQ(viewer->saveable, 0);
    viewer->close();

    // "Contents of psfonts.map": the output map in the editor; a missing
    // folder is reported.
    w->List_CellClick(1);
    env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/updmap/psfonts.map", "x");
    w->Listbox1_ContextualMenuAction(0, 3);
    EXPECT_EQ(desk.opened, QStringList{texmfVar + "/fonts/map/dvips/updmap/psfonts.map"});
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
    w->Listbox1_ContextualMenuAction(0, 4);
    EXPECT_EQ(env.dialogs.messages, QStringList{"Unable to locate that file"});
    w->Listbox1_ContextualMenuAction(0, 1);
    EXPECT_EQ(desk.revealed.last(), texmfVar + "/fonts/map/");

    // A system copy is never cleaned, whatever the tag says; "No" changes nothing.
    w->List_CellClick(0);
    w->Listbox1_ContextualMenuAction(0, 100);
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    w->List_CellClick(1);
    w->Listbox1_ContextualMenuAction(0, 100);
    EXPECT_EQ(env.dialogs.questions, QStringList{"Delete all updmap files in this personal texmf tree?"});
    EXPECT_TRUE(QFileInfo::exists(texmfVar + "/fonts/map/dvips/updmap/psfonts.map"));
    EXPECT_EQ(w->Listbox1[0]->rowCount(), 2);
    // Past the end of a list: nothing.
    w->List_CellClick(7);
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(0, 1));
    EXPECT_TRUE(w->MapList_ContextualMenuAction(w->Listbox4, 1));
    EXPECT_EQ(desk.revealed.size(), 4);
}

TEST(ListActions, DeletionsRebuildTheDisplay)
{
    test::TestEnv env(false);
    Desk desk;
    setAppFolderForTesting(QLK_APP_DIR);
    setpref("method", qint32(0));
    // A personal updmap.cfg and personal output maps.
    const QString cfg = env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg", "Map upl.map\n");
    const QString out = env.writeFile("home/.texlive2022/texmf-var/fonts/map/pdftex/updmap/pdftex.map", "x\n");
    const QString kept = env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/k/k.map", "k K <k.pfb\n");
    Window1* w = test::freshWindow();
    init();
    ASSERT_EQ(env.takeQuits(), 0);
    ASSERT_EQ(w->Listbox1[1]->rowCount(), 1);
    EXPECT_EQ(w->Listbox1[1]->cell(0, 1), cfg);
    int personal = -1;
    for (int i = 0; i < w->Listbox1[0]->rowCount(); ++i) {
        if (w->Listbox1[0]->cell(i, 1).startsWith(env.texmfVar()))
            personal = i;
    }
    ASSERT_GE(personal, 0);

    w->List_CellClick(personal);
    env.dialogs.answers = {true};
    w->Listbox1_ContextualMenuAction(0, 100);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(QFileInfo::exists(kept));
    for (int i = 0; i < w->Listbox1[0]->rowCount(); ++i)
        EXPECT_FALSE(w->Listbox1[0]->cell(i, 1).startsWith(env.texmfVar()));

    // A personal updmap.cfg goes at once, without a question.
    env.dialogs.questions.clear();
    w->List_CellClick(0);
    w->Listbox1_ContextualMenuAction(1, 100);
    EXPECT_FALSE(QFileInfo::exists(cfg));
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    EXPECT_EQ(w->Listbox1[1]->rowCount(), 0);
    EXPECT_GT(w->Listbox2->rowCount(), 0); // filled once by the rescan
}

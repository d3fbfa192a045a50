#include "app/App.h"
#include "app/MenuBar1.h"
#include "maps/MapsFixture.h"
#include "mainwindow/Window1.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "support/TestEnv.h"
#include "texenv/Init.h"
#include "texenv/TexEnv.h"
#include "texenv/UpdmapWindow.h"
#include "texenv/updmapchoicesWin.h"
#include "ui/SingleWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
int setupRuns(const test::TestEnv& env)
{
    closeLog();
    return int(readTextFile(env.home() + "/QLKlogfile.txt").count("Finished Setupwin"));
}

// The scan run once in the test's world; the map window then reads it.
void scan(test::TestEnv& env)
{
    ASSERT_TRUE(test::makeFontDB(env));
    Window1::instance()->Clearitems();
    init();
    ASSERT_EQ(env.takeQuits(), 0) << env.dialogs.transcript.join("\n").toStdString();
}

int rowOf(UpdmapWindow* w, const QString& name)
{
    for (int r = 0; r < w->Listbox1->rowCount(); ++r) {
        if (w->Listbox1->cell(r, UpdmapWindow::MapColumn) == name)
            return r;
    }
    return -1;
}

// Windows closed by the test are deleted now, as the event loop would.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct RowState {
    QString enabled;
    bool change, mixed, kanji;
    bool operator==(const RowState& o) const
    {
        return enabled == o.enabled && change == o.change && mixed == o.mixed && kanji == o.kanji;
    }
};
RowState state(UpdmapWindow* w, int row)
{
    return {w->Listbox1->cell(row, UpdmapWindow::EnabledColumn), w->isTicked(row, UpdmapWindow::ChangeColumn),
            w->isTicked(row, UpdmapWindow::MixedColumn), w->isTicked(row, UpdmapWindow::KanjiColumn)};
}
} // namespace

TEST(UpdmapWindowTest, ListsEveryMapWithItsStateAndKind)
{
    test::TestEnv env(false);
    for (const char* name : {"qlkplain.map", "qlkmixed.map", "qlkkanji.map", "qlkoff.map", "QLKupper.map"})
        test::writePersonalMap(env, QLatin1String(name));
    // A system file (TEXMFLOCAL) and a personal one of higher priority.
    env.writeFile("texmf-local/web2c/updmap.cfg",
                  "#! MixedMap qlkmixed.map\nMap qlkoff.map\nMap qlkupper.map\n");
    env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg",
                  "MixedMap qlkmixed.map\nKanjiMap qlkkanji.map\n#! Map qlkoff.map\n");
    // kpsewhich looks into TEXMFLOCAL only through its ls-R.
    makeLsR(env.texmfLocal());
    env.dialogs.defaultAnswer = false;
    scan(env);
    setpref("method", qint32(0));
    UpdmapWindow* w = UpdmapWindow::instance();
    showWindow(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Updmap Window"));
    EXPECT_EQ(w->Listbox1->headerItem()->text(2), QStringLiteral("Change"));
    // Every map of the inventory, ordered without regard to case.
    ASSERT_EQ(w->Listbox1->rowCount(), mapDict.size());
    QStringList names;
    for (int r = 0; r < w->Listbox1->rowCount(); ++r)
        names << w->Listbox1->cell(r, 0);
    EXPECT_EQ(names, mapDict.keys());
    EXPECT_LT(names.indexOf("qlkoff.map"), names.indexOf("qlkplain.map"));
    EXPECT_LT(names.indexOf("qlkplain.map"), names.indexOf("QLKupper.map"));
    struct Case {
        const char* name;
        RowState row;
    };
    for (const Case& c : {Case{"qlkplain.map", {"", false, false, false}},
                          Case{"qlkmixed.map", {"X", false, true, false}},
                          Case{"qlkkanji.map", {"X", false, false, true}},
                          Case{"qlkoff.map", {"", false, false, false}},
                          Case{"QLKupper.map", {"X", false, false, false}}}) {
        SCOPED_TRACE(c.name);
        const int row = rowOf(w, QLatin1String(c.name));
        ASSERT_GE(row, 0);
        EXPECT_TRUE(state(w, row) == c.row) << state(w, row).enabled.toStdString();
    }
    QPointer<UpdmapWindow> guard(w);
    w->PushButton2->click();
    settle();
    EXPECT_TRUE(guard.isNull());
}

TEST(UpdmapWindowTest, UpdateWithoutATickedChangeBoxDoesNothing)
{
    test::TestEnv env(false);
    test::writePersonalMap(env, "qlkplain.map");
    scan(env);
    test::StandInTexbin bin(env, false);
    test::RootRoute root;
    for (int method : {0, 1}) {
        SCOPED_TRACE(method);
        setpref("method", qint32(method));
        const int runs = setupRuns(env);
        env.dialogs.transcript.clear();
        UpdmapWindow* w = UpdmapWindow::instance();
        showWindow(w);
        const int row = rowOf(w, "qlkplain.map");
        ASSERT_GE(row, 0);
        // Ticked and unticked again, and a type box ticked alone.
        w->setTicked(row, UpdmapWindow::ChangeColumn, true);
        w->setTicked(row, UpdmapWindow::ChangeColumn, false);
        w->setTicked(row, UpdmapWindow::MixedColumn, true);
        w->PushButton1->click();
        settle();
        EXPECT_TRUE(root.texts.isEmpty());
        EXPECT_TRUE(bin.calls().isEmpty());
        EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();
        EXPECT_EQ(setupRuns(env), runs);
        EXPECT_EQ(UpdmapWindow::instance(), w);
        EXPECT_TRUE(w->isVisible());
        w->close();
        settle();
    }
}

TEST(UpdmapWindowTest, SystemMethodHandsOneLineToTheRootRoute)
{
    test::TestEnv env(false);
    test::writePersonalMap(env, "qlkon.map");
    test::writePersonalMap(env, "qlkplain.map");
    env.writeFile("texmf-local/web2c/updmap.cfg", "Map qlkon.map\n");
    makeLsR(env.texmfLocal());
    scan(env);
    test::RootRoute root;
    setpref("method", qint32(1));
    setpref("sudo", qint32(1));
    for (int status : {0, 1}) {
        SCOPED_TRACE(status);
        root.status = status;
        root.texts.clear();
        env.dialogs.messages.clear();
        const int runs = setupRuns(env);
        UpdmapWindow* w = UpdmapWindow::instance();
        showWindow(w);
        QPointer<UpdmapWindow> guard(w);
        w->setTicked(rowOf(w, "qlkplain.map"), UpdmapWindow::ChangeColumn, true);
        w->setTicked(rowOf(w, "qlkon.map"), UpdmapWindow::ChangeColumn, true);
        w->PushButton1->click();
        settle();
        const QString bin = texbin();
        EXPECT_EQ(root.scripts.last(), QStringLiteral("sudoterm.sh"));
        EXPECT_EQ(root.texts,
                  QStringList{"/usr/bin/sudo " + bin + "/mktexlsr"
                              "&&/usr/bin/sudo -H " + bin + "/updmap-sys  --nohash --nomkmap --disable qlkon.map"
                              "&&/usr/bin/sudo -H " + bin + "/updmap-sys  --nohash --nomkmap --enable Map=qlkplain.map"
                              "&&/usr/bin/sudo -H " + bin + "/updmap-sys "});
        QStringList expected{"Commands are being sent to your Terminal window. Your password may be required."};
        if (status != 0)
            expected << "Updating the maps failed: mktexlsr or updmap-sys ended with exit status 1.";
        EXPECT_EQ(env.dialogs.messages, expected);
        // Rescanned (the scan ends with one refresh), then closed.
        EXPECT_EQ(setupRuns(env), runs + 1);
        EXPECT_TRUE(guard.isNull());
    }
}

// The whole road on this machine's TeX Live: a map of the test's own
// TEXMFHOME is enabled by updmap-user, run as the user.
TEST(UpdmapWindowTest, PersonalUpdateEnablesAMapForReal)
{
    test::TestEnv env(false);
    test::writePersonalMap(env, "qlktest.map");
    // Programs that record their arguments, then run the real ones.
    test::StandInTexbin bin(env, true);
    scan(env);
    test::RootRoute root;
    setpref("method", qint32(0));
    UpdmapWindow* w = UpdmapWindow::instance();
    showWindow(w);
    int row = rowOf(w, "qlktest.map");
    ASSERT_GE(row, 0);
    EXPECT_EQ(w->Listbox1->cell(row, UpdmapWindow::EnabledColumn), QString());
    QStringList reports;
    uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
    w->setTicked(row, UpdmapWindow::ChangeColumn, true);
    w->PushButton1->click();
    settle();
    EXPECT_TRUE(root.texts.isEmpty());
    // The rescan runs none of these programs: every call is the change's.
    EXPECT_EQ(bin.calls(), (QStringList{"updmap-user [--nohash] [--nomkmap] [--enable] [Map=qlktest.map]", "updmap-user"}));
    EXPECT_TRUE(reports.isEmpty()) << reports.join("\n").toStdString();

    // After the rescan the map reads as enabled, and the pdftex.map in use
    // is the personal one.
    UpdmapWindow* again = UpdmapWindow::instance();
    EXPECT_NE(again, nullptr);
    row = rowOf(again, "qlktest.map");
    ASSERT_GE(row, 0);
    EXPECT_EQ(again->Listbox1->cell(row, UpdmapWindow::EnabledColumn), QStringLiteral("X"));
    Window1* main = Window1::instance();
    ASSERT_GE(main->Listbox1[0]->rowCount(), 1);
    EXPECT_EQ(main->Listbox1[0]->cell(0, 0), QStringLiteral("[M0]"));
    EXPECT_EQ(main->Listbox1[0]->cell(0, 1), env.texmfVar() + "/fonts/map/");
    EXPECT_TRUE(readTextFile(env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map").contains("qlktestfont"));
    again->close();
    settle();
}

TEST(UpdmapWindowTest, RefusesMapNamesTheShellWouldRead)
{
    test::TestEnv env(false);
    test::writePersonalMap(env, "qlk$(touch x).map");
    scan(env);
    test::StandInTexbin bin(env, false);
    test::RootRoute root;
    setpref("method", qint32(0));
    UpdmapWindow* w = UpdmapWindow::instance();
    showWindow(w);
    const int row = rowOf(w, "qlk$(touch x).map");
    ASSERT_GE(row, 0);
    w->setTicked(row, UpdmapWindow::ChangeColumn, true);
    env.dialogs.messages.clear();
    w->PushButton1->click();
    settle();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"These map files cannot be changed here, as their names hold characters that cannot be "
                          "used in a command line: qlk$(touch x).map"});
    EXPECT_TRUE(bin.calls().isEmpty());
    EXPECT_TRUE(root.texts.isEmpty());
    EXPECT_TRUE(w->isVisible());
    w->close();
    settle();
}

TEST(UpdmapWindowTest, WarnsOnceOfAPersonalUpdmapCfgUnderTheSystemMethod)
{
    test::TestEnv env(false);
    env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg", "Map qlk.map\n");
    scan(env);
    ASSERT_TRUE(hasHomeUpdmap);
    for (int method : {0, 1}) {
        SCOPED_TRACE(method);
        setpref("method", qint32(method));
        env.dialogs.messages.clear();
        UpdmapWindow* w = UpdmapWindow::instance();
        showWindow(w);
        w->hide();
        showWindow(w);
        QStringList expected;
        if (method == 1)
            expected << "WARNING: You have a personal updmap.cfg but your preference is to update with sudo -H "
                        "updmap-sys.\nYour personal updmap.cfg will not be updated, but it will take precedence.\n"
                        "Suggest you Cancel, then remove your personal updmap.cfg.";
        EXPECT_EQ(env.dialogs.messages, expected);
        w->close();
        settle();
    }
}

TEST(UpdmapWindowTest, ContextMenuActsOnTheClickedRow)
{
    test::TestEnv env(false);
    test::writePersonalMap(env, "qlkplain.map");
    scan(env);
    QStringList desktop;
    setDesktopRecorder([&](const QString& action, const QString& path) { desktop << action + " " + path; });
    UpdmapWindow* w = UpdmapWindow::instance();
    const QStringList items = UpdmapWindow::contextMenuItems();
    ASSERT_EQ(items.size(), 2);
    // Before any click: the first row.
    w->Listbox1_ContextualMenuAction(items.at(0));
    const int row = rowOf(w, "qlkplain.map");
    w->Listbox1_CellClick(row);
    w->Listbox1_ContextualMenuAction(items.at(1));
    EXPECT_EQ(desktop, (QStringList{"reveal " + mapDict.value(w->Listbox1->cell(0, 0)),
                                    "open " + mapDict.value("qlkplain.map")}));
    w->close();
    settle();
}

TEST(UpdmapWindowTest, MenuItemsReachTheMapTools)
{
    test::TestEnv env(false);
    scan(env);
    App* app = createAppObject();
    test::recordQuits();
    openDefaultWindow();
    MenuBar1* bar = app->menuBar();
    for (const char* name :
         {"InfoEnabledisablemaps", "InfoOtherupdmapoptions", "FileDeleteHiddenFolder", "FileDeleteTexmfvar"}) {
        ASSERT_TRUE(bar->item(QLatin1String(name))) << name;
        EXPECT_TRUE(bar->item(QLatin1String(name))->isEnabled()) << name;
    }
    bar->item("InfoEnabledisablemaps")->trigger();
    EXPECT_TRUE(UpdmapWindow::instance()->isVisible());
    bar->item("InfoOtherupdmapoptions")->trigger();
    EXPECT_TRUE(updmapchoicesWin::instance()->isVisible());
    // Both TEXMFVAR commands ask first; "No" leaves the tree alone.
    env.dialogs.questions.clear();
    bar->item("FileDeleteTexmfvar")->trigger();
    bar->item("FileDeleteHiddenFolder")->trigger();
    EXPECT_EQ(env.dialogs.questions, (QStringList{"Delete folder contents: " + texmfVar + "?",
                                                  "Delete folder " + texmfVar + "?"}));
    EXPECT_TRUE(QFileInfo(texmfVar + "/fonts/map/dvips").isDir());
    UpdmapWindow::instance()->close();
    updmapchoicesWin::instance()->close();
    settle();
    delete app;
}

// Debian's updmap: a personal map whose file was removed is disabled by
// name when the map window updates, and updmap-user writes into the trees
// the scan found even when the environment (root's HOME, say) points
// elsewhere by then.
TEST(UpdmapWindowTest, PersonalUpdateDisablesAMissingMapInTheScannedTrees)
{
    test::TestEnv env(false);
    test::writePersonalMap(env, "qlktest.map");
    const QString gone = test::writePersonalMap(env, "qlkgone.map");
    const QString cfg = env.texmfConfig() + "/web2c/updmap.cfg";
    env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg", "Map qlkgone.map\n");
    ASSERT_TRUE(QFile::exists(cfg));
    QFile::remove(gone);
    scan(env);
    test::RootRoute root;
    setpref("method", qint32(0));
    const QString decoy = env.root() + "/decoy";
    qputenv("TEXMFCONFIG", (decoy + "/config").toLocal8Bit());
    qputenv("TEXMFVAR", (decoy + "/var").toLocal8Bit());
    UpdmapWindow* w = UpdmapWindow::instance();
    showWindow(w);
    const int row = rowOf(w, "qlktest.map");
    ASSERT_GE(row, 0);
    w->setTicked(row, UpdmapWindow::ChangeColumn, true);
    w->PushButton1->click();
    settle();
    const QString text = readTextFile(cfg);
    EXPECT_TRUE(text.contains("#! Map qlkgone.map")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nMap qlktest.map")) << text.toStdString();
    EXPECT_TRUE(readTextFile(env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map").contains("qlktestfont"));
    // The rescan after the update makes the decoy's folders; updmap wrote no file there.
    QStringList files;
    for (QDirIterator it(decoy, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    EXPECT_TRUE(files.isEmpty()) << files.join("\n").toStdString();
}

#include "InstallFixture.h"
#include "WindowFixture.h"

#include "mainwindow/Window1.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"

#include <QFile>
#include <QApplication>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

const char* const kAllOptions = "LW35 URWkb\ndvipsPreferOutline true\ndvipsDownloadBase35 true\n"
                                "pdftexDownloadBase14 true\ndvipdfmDownloadBase14 true\npxdviUse false\n"
                                "kanjiEmbed noEmbed\nkanjiVariant -04\n";

// A small installation: a distribution tree with its updmap.cfg, local and
// personal trees, the state the scan would have left.
void smallInstallation(test::TestEnv& env, const QByteArray& distCfg = kAllOptions)
{
    texYear = "2022";
    test::pointTreesAt(env);
    updmapSys = {env.writeFile("dist/web2c/updmap.cfg", distCfg)};
    updmapHome.clear();
    mapRoot = texmfSysVar + "/fonts/map/";
    newerMapCopy = false;
    isAdmin = false;
    mapsDisabled.clear();
    mapsAdded.clear();
}

} // namespace

TEST(Window1Design, TabsControlsAndInitialTexts)
{
    test::TestEnv env;
    Window1* w = Window1::instance();
    EXPECT_EQ(Window1::instance(), w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("LaTeX Quillmark"));
    // Minimise only: no close box, no zoom.
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    ASSERT_EQ(w->TabPanel1->count(), 5);
    const QStringList titles{"Current Setup", "Output Maps", "Configuration", "Font maps", "Install"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(w->TabPanel1->tabText(i), titles.at(i));

    EXPECT_EQ(w->StaticText9->text(), QStringLiteral("• Your current installation is TeX Live "));
    EXPECT_EQ(w->StaticText6->text(), QStringLiteral("Current TeX setup:"));
    EXPECT_TRUE(w->StaticText6->font().bold());
    EXPECT_EQ(w->Listbox2->headerItem()->text(0), QStringLiteral("Root folder"));
    EXPECT_EQ(w->Listbox2->headerItem()->text(1), QStringLiteral("AKA"));
    EXPECT_FALSE(w->Listbox2->isHeaderHidden());
    EXPECT_TRUE(w->Listbox1[0]->isHeaderHidden());
    EXPECT_TRUE(w->StaticText18->text().contains("updmap-sys,  concatenating"));
    EXPECT_EQ(w->StaticText22->text(), QStringLiteral("Deletions from original"));
    EXPECT_EQ(w->StaticText23->text(), QStringLiteral("Additions to original"));
    EXPECT_EQ(w->StaticText15->text(), QStringLiteral("Font maps found in impermanent personal tree---these "
                                                      "should be moved to a permanent location."));
    EXPECT_EQ(w->PushButton13->text(), QStringLiteral("Update"));
    EXPECT_EQ(w->GroupBox2->title(), QStringLiteral("Install location"));
    EXPECT_EQ(w->RadioButton2[2]->text(), QStringLiteral("Other (for checking)"));
    EXPECT_EQ(w->PushButton1->text(), QStringLiteral("Preferences"));
    EXPECT_EQ(w->PushButton2->text(), QStringLiteral("Quit"));
    EXPECT_EQ(w->toplevel.size(), 19);
    EXPECT_EQ(w->toplevel.at(9), QStringLiteral("mft"));
    EXPECT_EQ(w->toplevel.at(16), QStringLiteral("mft"));

    // Buttons of the install road start inactive; two controls start hidden.
    EXPECT_FALSE(w->PushButton8->isEnabled());
    EXPECT_FALSE(w->PushButton7->isEnabled());
    EXPECT_TRUE(w->PushButton11->isHidden());
    EXPECT_TRUE(w->CheckBox2->isHidden());
    EXPECT_TRUE(w->TextField2->isReadOnly());

    // No install location at first; picking one drops any other.
    for (QRadioButton* r : w->RadioButton2)
        EXPECT_FALSE(r->isChecked());
    w->RadioButton2[1]->click();
    w->RadioButton2[3]->click();
    EXPECT_FALSE(w->RadioButton2[1]->isChecked());
    EXPECT_TRUE(w->RadioButton2[3]->isChecked());
    for (QRadioButton* r : {w->RadioButton2[0], w->RadioButton2[2]})
        EXPECT_TRUE(r->toolTip().isEmpty());

    // Column widths follow the list's width.
    w->show();
    w->resize(1000, 700);
    QApplication::processEvents();
    const int width = w->Listbox2->viewport()->width();
    EXPECT_EQ(w->Listbox2->columnWidth(0), width * 80 / 100);
    EXPECT_EQ(w->Listbox2->columnWidth(0) + w->Listbox2->columnWidth(1), width);
}

TEST(Window1Design, QuitButtonRequestsTheQuit)
{
    test::TestEnv env;
    Window1::instance()->PushButton2->click();
    EXPECT_EQ(env.takeQuits(), 1);
}

TEST(Window1Design, CaptionFollowsAdministratorStatus)
{
    test::TestEnv env;
    Window1* w = Window1::instance();
    isAdmin = true;
    w->Setcaption();
    EXPECT_EQ(w->PushButton6->text(), QStringLiteral("From personal trees to system tree"));
    EXPECT_FALSE(w->CheckBox2->isHidden());
    isAdmin = false;
    w->Setcaption();
    EXPECT_EQ(w->PushButton6->text(), QStringLiteral("From impermanent to permanent personal tree"));
    EXPECT_TRUE(w->CheckBox2->isHidden());
}

TEST(Window1Display, ClearitemsEmptiesTheDisplayOnly)
{
    test::TestEnv env;
    Window1* w = Window1::instance();
    for (Window1List* l : {w->Listbox1[0], w->Listbox1[1], w->Listbox1[2], w->Listbox2, w->Listbox4, w->Listbox5,
                           w->Listbox6})
        l->addRow("row");
    w->StaticText8->setText("x");
    w->StaticText20->setText("y");
    w->TextArea1->setPlainText("a.map");
    w->TextArea2->setPlainText("b.map");
    w->TextField1[0]->setText("adobe");
    w->TextField2->setText("Install finished.");
    w->Listbox7->addItem("/tmp/font.pfb");
    w->RadioButton2[0]->setChecked(true);
    w->Clearitems();
    for (Window1List* l : {w->Listbox1[0], w->Listbox1[1], w->Listbox1[2], w->Listbox2, w->Listbox4, w->Listbox5,
                           w->Listbox6})
        EXPECT_EQ(l->rowCount(), 0);
    EXPECT_TRUE(w->StaticText8->text().isEmpty());
    EXPECT_TRUE(w->StaticText20->text().isEmpty());
    EXPECT_TRUE(w->TextArea1->toPlainText().isEmpty());
    EXPECT_TRUE(w->TextArea2->toPlainText().isEmpty());
    EXPECT_EQ(w->TextField1[0]->text(), QStringLiteral("adobe"));
    EXPECT_EQ(w->TextField2->text(), QStringLiteral("Install finished."));
    EXPECT_EQ(w->Listbox7->count(), 1);
    EXPECT_TRUE(w->RadioButton2[0]->isChecked());
    w->Listbox7->clear();
}

TEST(Window1Display, SetupwinSentencesAlertsAndSearchOrder)
{
    struct Case {
        const char* name;
        bool admin;
        bool personalRoot;
        bool newer;
        QStringList alerts;
    };
    const QString notOptimal = "• ALERT: Your font maps are not in the system areas, but you have administrative "
                               "access. This is not optimal. See documentation.";
    // The advice rebuilds the map in use; it never says to delete the personal one.
    const QString olderPersonal = "• ALERT: The active pdftex.map is not the most recent generated: updmap-sys "
                                  "(perhaps through tlmgr) has made a newer one since your personal map was made, "
                                  "and your personal map hides it. Run updmap-user to make your personal map again.";
    const QString olderSystem = "• ALERT: The active pdftex.map is not the most recent generated: a newer copy was "
                                "made after it. Run updmap-sys to make the active map again.";
    const QList<Case> cases = {
        {"user, system map", false, false, false, {}},
        {"user, personal map", false, true, false, {}},
        {"admin, system map", true, false, false, {}},
        {"admin, personal map, newer copy", true, true, true, {notOptimal, olderPersonal}},
        {"user, personal map, newer copy", false, true, true, {olderPersonal}},
        {"user, newer copy", false, false, true, {olderSystem}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        smallInstallation(env);
        openLog(env.home());
        isAdmin = c.admin;
        // A personal map root below TEXMFVAR, which on Linux holds the year
        // in its name: still a user tree.
        mapRoot = c.personalRoot ? env.texmfVar() + "/fonts/map/" : env.root() + "/sysvar/fonts/map/";
        newerMapCopy = c.newer;
        // A tree twice and a tree without a role name on the search path.
        texmfTrees = {texmfConfig, texmfVar, texmfHome, texmfLocal, texmfSysConfig, texmfSysVar,
                      env.root() + "/debian", texmfDist, texmfHome};
        mapsDisabled = {"a.map", "b.map"};
        Window1* w = test::freshWindow();
        w->Setupwin();
        EXPECT_EQ(env.takeQuits(), 0);
        QStringList messages = env.dialogs.messages;
        EXPECT_EQ(messages, c.alerts);
        EXPECT_EQ(w->StaticText8->text(),
                  c.personalRoot ? QStringLiteral("• The map file in use is within a user tree. It must have "
                                                  "been constructed using updmap.")
                                 : QStringLiteral("• The map file in use is within a system tree. It must have "
                                                  "been constructed using updmap-sys."));
        EXPECT_EQ(w->StaticText10->text(), QStringLiteral("2022"));
        if (!c.admin) {
            EXPECT_EQ(w->StaticText4->text(),
                      QStringLiteral("• You do NOT have administrator access to system areas."));
        }
        ASSERT_EQ(w->Listbox2->rowCount(), 9);
        const QStringList aka{"TEXMFCONFIG", "TEXMFVAR", "TEXMFHOME", "TEXMFLOCAL", "TEXMFSYSCONFIG",
                              "TEXMFSYSVAR", "", "TEXMFDIST", "TEXMFHOME"};
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(w->Listbox2->cell(i, 0), texmfTrees.at(i));
            EXPECT_EQ(w->Listbox2->cell(i, 1), aka.at(i));
        }
        EXPECT_EQ(w->TextArea1->toPlainText(), QStringLiteral("a.map\nb.map"));
        EXPECT_TRUE(w->TextArea2->toPlainText().isEmpty());
        EXPECT_EQ(w->RadioButton2[1]->toolTip(), env.texmfHome());
        closeLog();
        QFile log(env.home() + "/QLKlogfile.txt");
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_TRUE(log.readAll().endsWith("Finished Setupwin\n"));
    }
}

TEST(Window1Display, UpdmapCfgListsAndMapExplanations)
{
    test::TestEnv env;
    smallInstallation(env);
    setpref("ignoreupdmap", qint32(1));
    const QString home = env.writeFile("home/texmf/web2c/updmap.cfg", "");
    const QString config = env.writeFile("home/.texlive2022/texmf-config/web2c/updmap.cfg", "");
    updmapHome = {home, config};
    const QString local = env.writeFile("texmf-local/web2c/updmap.cfg", "");
    // A sibling whose name only begins with TEXMFLOCAL's.
    const QString sibling = env.writeFile("texmf-local2/web2c/updmap.cfg", "");
    const QString debian = env.writeFile("debian/web2c/updmap.cfg", "");
    texmfTrees = {texmfConfig, texmfVar, texmfHome, texmfLocal, texmfSysConfig, texmfSysVar,
                  env.root() + "/debian", texmfDist};
    updmapSys = {sibling, local, debian, updmapSys.first()};
    Window1* w = test::freshWindow();
    for (const QString& root : {env.texmfVar() + "/fonts/map/", texmfSysVar + "/fonts/map/",
                                texmfDist + "/fonts/map/"}) {
        w->Listbox1[0]->addRow(QString("[M%1]").arg(w->Listbox1[0]->rowCount()));
        w->Listbox1[0]->setCell(w->Listbox1[0]->rowCount() - 1, 1, root);
    }
    w->findupdmap();
    ASSERT_EQ(w->Listbox1[1]->rowCount(), 2);
    EXPECT_EQ(w->Listbox1[1]->cell(0, 0), QStringLiteral("[P0]"));
    EXPECT_EQ(w->Listbox1[1]->cell(0, 1), config);
    EXPECT_EQ(w->Listbox1[1]->cell(1, 0), QStringLiteral("[P1]"));
    EXPECT_EQ(w->Listbox1[1]->cell(1, 1), home);
    EXPECT_EQ(w->Listbox1[1]->cell(1, 2), QDate::currentDate().toString("yyyy-MM-dd"));
    ASSERT_EQ(w->Listbox1[2]->rowCount(), 3);
    EXPECT_EQ(w->Listbox1[2]->cell(0, 1), local);
    EXPECT_EQ(w->Listbox1[2]->cell(1, 1), debian);
    EXPECT_EQ(w->Listbox1[2]->cell(2, 0), QStringLiteral("[S2]"));
    EXPECT_EQ(w->Listbox1[2]->cell(2, 1), updmapSys.last());
    EXPECT_EQ(w->StaticText20->text(),
              QStringLiteral("• The personal master font map [M0] was generated from all updmap.cfg's using "
                             "updmap.\n• The system master font map [M1] was generated from system updmap.cfg's "
                             "using updmap-sys.\n• The system font map [M2] was most likely from the TeX Live "
                             "2022 distribution or an update thereof.\n"));
}

TEST(Window1Display, OptionCheckWarnsAndAsks)
{
    const QString lw35 = "message: WARNING: Your setting for LW35 in updmap.cfg may not be optimal. Usually "
                         "URWkb is preferred.";
    const QString booleans = "message: WARNING: At least one of the first four boolean options in updmap.cfg is "
                             "set to false. They should in most cases be set to true.\nYou may make changes by "
                             "pressing 'Other updmap settings' on the 'updmap diffs' tab.";
    const QString ask = "question: Press Yes to avoid checking the updmap.cfg options in future";
    struct Case {
        const char* name;
        QByteArray cfg;
        QStringList transcript;
    };
    const QByteArray good(kAllOptions);
    const QList<Case> cases = {
        {"recommended values", good, {}},
        {"LW35 otherwise", good + "LW35 ADOBE\n", {lw35, ask}},
        {"one boolean false", good + "pdftexDownloadBase14 false\n", {booleans, ask}},
        {"both", good + "LW35 URW\ndvipsPreferOutline false\n", {lw35, booleans, ask}},
        // Options no updmap.cfg sets take updmap's own defaults: no warning.
        {"nothing set", "Map a.map\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        smallInstallation(env, c.cfg);
        Window1* w = test::freshWindow();
        w->findupdmap();
        EXPECT_EQ(env.dialogs.transcript, c.transcript);
        EXPECT_EQ(w->opts.mid(0, 8), (QStringList{"LW35", "dvipsPreferOutline", "dvipsDownloadBase35",
                                                  "pdftexDownloadBase14", "dvipdfmDownloadBase14", "pxdviUse",
                                                  "kanjiEmbed", "kanjiVariant"}));
        EXPECT_FALSE(w->updmapcchanged);
        // Stored and saved with 0 (the check stays on after "No").
        resetPrefsForTesting();
        EXPECT_TRUE(haspref("ignoreupdmap"));
        EXPECT_EQ(prefInt("ignoreupdmap"), 0);
    }
}

TEST(Window1Display, YesStopsTheOptionCheck)
{
    test::TestEnv env;
    smallInstallation(env, QByteArray(kAllOptions) + "LW35 ADOBE\n");
    env.dialogs.answers = {true};
    Window1* w = test::freshWindow();
    w->findupdmap();
    EXPECT_EQ(prefInt("Ignoreupdmap"), 1);
    EXPECT_EQ(w->updmapc.at(0), QStringLiteral("ADOBE"));
    env.dialogs.transcript.clear();
    w->findupdmap();
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
}

TEST(Window1Display, FirstActivationShowsOutputMaps)
{
    test::TestEnv env;
    Window1* w = Window1::instance();
    w->activated = false;
    w->TabPanel1->setCurrentIndex(0);
    w->Event_Activate();
    EXPECT_EQ(w->TabPanel1->currentIndex(), 1);
    w->TabPanel1->setCurrentIndex(3);
    w->Event_Activate();
    EXPECT_EQ(w->TabPanel1->currentIndex(), 3);
}

#include "app/App.h"
#include "app/MenuBar1.h"
#include "afm2tfm/afm2tfmWin.h"
#include "opentype/autoinst/autoinstWindow.h"
#include "opentype/otfinst/OtherOptions.h"
#include "opentype/otfinst/otfinstWindow.h"
#include "type1/FontInstWindow.h"
#include "mainwindow/Window1.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTabWidget>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>

using namespace qlk;

namespace {
QStringList texts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->shortcut().isEmpty() ? QString() : QLatin1Char('|') + a->shortcut().toString()));
    return out;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = createAppObject();
        test::recordQuits();
        openDefaultWindow();
    }
    void TearDown() override
    {
        delete app;
    }
    test::TestEnv env;
    App* app = nullptr;
};
} // namespace

TEST_F(AppTest, MenuBarHoldsTheFourMenusWithTheirItems)
{
    MenuBar1* bar = app->menuBar();
    EXPECT_EQ(Window1::instance()->menuBar(), bar);
    EXPECT_EQ(bar->FileMenu->title(), QStringLiteral("&File"));
    EXPECT_EQ(bar->EditMenu->title(), QStringLiteral("&Edit"));
    EXPECT_EQ(bar->ViewMenu->title(), QStringLiteral("Info"));
    EXPECT_EQ(bar->WindowMenu->title(), QStringLiteral("Window"));
    EXPECT_EQ(texts(bar->FileMenu),
              (QStringList{"&Quit|Ctrl+Q", "Delete Impermanent Folder", "Delete TEXMFVAR files",
                           "Uninstall Font Family", "Grab FS Font Family", "Find All Duplicates",
                           "Convert names to Berry form", "Afm2tfm", "Add Math Alphabet", "Otfinst", "Autoinst",
                           "Fontinst Latinfamily", "Fontinst Mathtime", "Install MinionPro", "Install Minion2Pro",
                           "About"}));
    EXPECT_EQ(texts(bar->EditMenu), (QStringList{"&Undo|Ctrl+Z", "-", "Cu&t|Ctrl+X", "&Copy|Ctrl+C",
                                                 "&Paste|Ctrl+V", "&Delete", "-", "Select &All|Ctrl+A"}));
    EXPECT_EQ(texts(bar->ViewMenu),
              (QStringList{"Enable-disable maps", "Other updmap options", "Known fonts", "Trace .sty", "Search maps",
                           "Adobe AFMs", "Search TeX Trees", "TFM", "Get x-height", "Examine DVI",
                           "Catalogue fd files", "Otf Info"}));
    EXPECT_EQ(texts(bar->WindowMenu), QStringList{"Main Window"});
    // Items are found by name; a tool that is not built stays disabled.
    ASSERT_TRUE(bar->item(QStringLiteral("FileAbout")));
    EXPECT_TRUE(bar->item(QStringLiteral("FileAbout"))->isEnabled());
    for (const char* name : {"FileQuit", "ViewTFM", "EditCopy"})
        EXPECT_TRUE(bar->item(QString::fromLatin1(name))) << name;
    for (QAction* a : bar->FileMenu->actions() + bar->ViewMenu->actions()) {
        const QString name = a->objectName();
        if (name != QLatin1String("FileQuit")) {
            EXPECT_EQ(a->isEnabled(), app->hasHandler(name)) << name.toStdString();
        }
    }
}

// The help texts of the installer windows name menu items, buttons and
// programs as this program has them.
TEST_F(AppTest, InstallerHelpTextsNameWhatThisProgramHas)
{
    MenuBar1* bar = app->menuBar();
    QMap<QString, QStringList> items; // menu title -> item texts, "&" dropped
    for (QMenu* menu : {bar->FileMenu, bar->EditMenu, bar->ViewMenu, bar->WindowMenu}) {
        for (QAction* a : menu->actions())
            items[menu->title().remove('&')] << a->text().remove('&');
    }
    struct Help {
        const char* where;
        QString text;
    };
    const QList<Help> helps{
        {"Fontinst Helper", FontInstWindow::instance()->StaticText1->text()},
        {"Fontinst Explain", FontInstWindow::explanation()},
        {"otfinst", otfinstWindow::instance()->StaticText1->text()},
        {"autoinst", autoinstWindow::instance()->StaticText1->text()},
        {"Afm2tfm", afm2tfmWin::instance()->StaticText1->text()},
        {"Other otfinst options", OtherOptions::instance()->StaticText1->text()},
    };
    QStringList named;
    for (const Help& h : helps) {
        SCOPED_TRACE(h.where);
        // Every "Menu > Item" is an item of that menu.
        for (int at = int(h.text.indexOf(" > ")); at >= 0; at = int(h.text.indexOf(" > ", at + 3))) {
            const QString menu = h.text.left(at).section(' ', -1);
            const QString rest = h.text.mid(at + 3);
            const QStringList candidates = items.value(menu);
            const bool found = std::any_of(candidates.begin(), candidates.end(),
                                           [&](const QString& item) { return rest.startsWith(item); });
            EXPECT_TRUE(found) << h.text.mid(at - 12, 40).toStdString();
            named << menu + " > " + rest.left(10);
        }
        for (const char* stale : {"View->", "Terminal window", "Known Fonts menu", "updmap or", "or updmap,"})
            EXPECT_FALSE(h.text.contains(QLatin1String(stale))) << stale;
    }
    EXPECT_EQ(named, (QStringList{"Info > Adobe AFMs", "Info > Known font"}));
    // Personal installs run updmap-user, without sudo; the otfinst help's
    // button is on the main window's Install tab.
    EXPECT_TRUE(FontInstWindow::explanation().contains("updmap-user (as you, without sudo)"));
    Window1* main = Window1::instance();
    EXPECT_EQ(main->TabPanel1->tabText(4), QStringLiteral("Install"));
    EXPECT_TRUE(helps.at(2).text.contains("\"" + main->PushButton6->text() + "\" on the Install tab of the main window"));
    for (QWidget* w : std::initializer_list<QWidget*>{FontInstWindow::instance(), otfinstWindow::instance(),
                                                      autoinstWindow::instance(), afm2tfmWin::instance(),
                                                      OtherOptions::instance()})
        w->close();
}

TEST_F(AppTest, QuitClosesTheLogThenWritesThePreferences)
{
    // The real quit path, which createAppObject installs: its exit ends
    // the application's event loop with status 0.
    test::expectRealExit();
    delete app;
    app = createAppObject();
    openLog(env.home());
    logLine(QStringLiteral("a line"));
    setpref(QStringLiteral("editor"), QStringLiteral("kate"));
    ASSERT_TRUE(logStream);
    requestQuit();
    EXPECT_FALSE(logStream);
    EXPECT_TRUE(QFile::exists(prefsfile()));
    EXPECT_TRUE(QFile::exists(env.home() + QStringLiteral("/QLKlogfile.txt")));
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(AppTest, QuitBeforeAnyLogWritesOnlyThePreferences)
{
    test::expectRealExit();
    delete app;
    app = createAppObject();
    requestQuit();
    EXPECT_TRUE(QFile::exists(prefsfile()));
    EXPECT_FALSE(QFile::exists(env.home() + QStringLiteral("/QLKlogfile.txt")));
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(AppTest, MainWindowQuitButtonAndCloseBoxQuit)
{
    Window1::instance()->PushButton2->click();
    EXPECT_EQ(env.takeQuits(), 1);
    resetQuitState();
    Window1::instance()->close();
    EXPECT_EQ(env.takeQuits(), 1);
    EXPECT_TRUE(Window1::exists());
}

TEST_F(AppTest, WindowMenuFollowsTheOpenWindows)
{
    Window1* main = Window1::instance();
    main->Show();
    QWidget a, b;
    a.setWindowTitle(QStringLiteral("Tool A"));
    b.setWindowTitle(QStringLiteral("Tool B"));
    a.show();
    b.show();
    app->Event_EnableMenuItems();
    QStringList entries = texts(app->menuBar()->WindowMenu);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries.at(entries.indexOf(QStringLiteral("Main Window"))), QStringLiteral("Main Window"));
    EXPECT_TRUE(entries.contains(QStringLiteral("Tool A")));
    EXPECT_TRUE(entries.contains(QStringLiteral("Tool B")));
    a.close();
    app->Event_EnableMenuItems();
    EXPECT_EQ(texts(app->menuBar()->WindowMenu).size(), 2);

    // Choosing an entry brings that window forward; no window is created.
    const int before = int(QApplication::topLevelWidgets().size());
    const int index = int(texts(app->menuBar()->WindowMenu).indexOf(QStringLiteral("Tool B")));
    b.showMinimized();
    EXPECT_TRUE(app->_aWindow_Action(index));
    EXPECT_FALSE(b.isMinimized());
    EXPECT_EQ(int(QApplication::topLevelWidgets().size()), before);
}

// A window larger than the screen, or placed beyond it, is brought within
// the screen's available area as it is shown.
TEST_F(AppTest, WindowsAreShownWithinTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget tall;
    tall.setWindowTitle(QStringLiteral("Tall"));
    tall.resize(300, available.height() + 400);
    tall.move(available.left() + 100, available.top() + 200);
    tall.show();
    QApplication::processEvents();
    EXPECT_TRUE(available.contains(tall.frameGeometry())) << tall.frameGeometry().y() << " " << tall.height();
    QWidget far;
    far.resize(200, 100);
    far.move(available.right() + 50, available.bottom() + 50);
    far.show();
    QApplication::processEvents();
    EXPECT_TRUE(available.contains(far.frameGeometry()));
    EXPECT_EQ(far.size(), QSize(200, 100));
}

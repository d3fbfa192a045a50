#include "maps/MapsFixture.h"
#include "mainwindow/Window1.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"
#include "texenv/UpdmapCfg.h"
#include "texenv/updmapchoicesWin.h"
#include "ui/SingleWindow.h"

#include <QCoreApplication>
#include <QPointer>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
// The values a scan of a default installation gives (pxdviUse unset by any
// updmap.cfg in this example).
const QStringList kStart{"URWkb", "true", "true", "true", "true", "", "noEmbed", "v1"};

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The option window opened on the main window's values, as the menu does.
updmapchoicesWin* openOptions(const QStringList& values = kStart)
{
    Window1* main = Window1::instance();
    main->opts = updmapOptionNames();
    main->opts << QString(); // the ninth entry the main window keeps
    main->updmapc = values;
    main->updmapc << QString();
    main->updmapcchanged = false;
    updmapchoicesWin* w = updmapchoicesWin::instance();
    showWindow(w);
    return w;
}

struct OptionsWorld {
    test::TestEnv env;
    test::StandInTexbin bin{env, false};
    test::RootRoute root;
    OptionsWorld(bool admin, bool personal)
    {
        isAdmin = admin;
        personalInstall = personal;
        // The terminal route hands the batch over as it is.
        setpref("sudo", qint32(1));
    }
    QString user() const { return bin.folder + "/updmap-user"; }
    QString sys() const { return "/usr/bin/sudo -H " + bin.folder + "/updmap-sys"; }
};
} // namespace

TEST(UpdmapChoices, FillsFromTheMainWindowAndOkAtOnceRunsNothing)
{
    OptionsWorld world(true, true);
    updmapchoicesWin* w = openOptions();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Basic option choices for updmap.cfg"));
    EXPECT_TRUE(w->RadioButton1[1]->isChecked());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(w->CheckBox1[i]->isChecked()) << i;
    EXPECT_FALSE(w->CheckBox1[4]->isChecked());
    EXPECT_EQ(w->TextField1[0]->text(), QStringLiteral("noEmbed"));
    EXPECT_EQ(w->TextField1[1]->text(), QStringLiteral("v1"));
    EXPECT_FALSE(w->changed);
    EXPECT_EQ(Window1::instance()->oldupdmapc.mid(0, 8), kStart);
    QPointer<updmapchoicesWin> guard(w);
    w->PushButton2->click();
    settle();
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(world.bin.calls().isEmpty());
    EXPECT_TRUE(world.root.texts.isEmpty());
    // Nothing was changed, so the unset option keeps its empty value.
    EXPECT_EQ(Window1::instance()->updmapc.mid(0, 8), kStart);
    EXPECT_FALSE(Window1::instance()->updmapcchanged);

    // An LW35 value that is none of the four shows no button on.
    w = openOptions({"Other", "true", "true", "true", "true", "true", "", ""});
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(w->RadioButton1[i]->isChecked()) << i;
    w->PushButton1->click();
    settle();
}

// One change sets that option alone: the unset pxdviUse is not switched
// to false, and the other options are not rewritten.
TEST(UpdmapChoices, OnlyChangedOptionsReachSetoption)
{
    OptionsWorld world(true, true);
    updmapchoicesWin* w = openOptions();
    w->RadioButton1[0]->click(); // URW
    EXPECT_TRUE(w->changed);
    w->PushButton2->click();
    settle();
    EXPECT_EQ(world.bin.calls(), (QStringList{"updmap-user [--nohash] [--nomkmap] [--setoption] [LW35=URW]",
                                              "updmap-user"}));
    EXPECT_EQ(world.root.texts,
              QStringList{world.sys() + " --nohash --nomkmap --setoption LW35=URW\t" + world.sys()});
    QStringList expected = kStart;
    expected[0] = "URW";
    EXPECT_EQ(Window1::instance()->updmapc.mid(0, 8), expected);
    EXPECT_TRUE(Window1::instance()->updmapcchanged);
}

TEST(UpdmapChoices, TextsTakenBackChangesAndQuotedValues)
{
    {
        SCOPED_TRACE("box ticked and unticked: the plain runs alone");
        OptionsWorld world(true, true);
        updmapchoicesWin* w = openOptions();
        w->CheckBox1[0]->click();
        w->CheckBox1[0]->click();
        w->PushButton2->click();
        settle();
        EXPECT_EQ(world.bin.calls(), QStringList{"updmap-user"});
        EXPECT_EQ(world.root.texts, QStringList{world.sys()});
    }
    {
        SCOPED_TRACE("kanji texts: blanks inside stay one word, ends trimmed, cleared field");
        OptionsWorld world(false, true);
        updmapchoicesWin* w = openOptions();
        w->TextField1[0]->setText("  a b$c ");
        w->TextField1[1]->clear();
        w->CheckBox1[4]->click(); // pxdviUse, unset before: now true
        w->PushButton2->click();
        settle();
        EXPECT_EQ(world.bin.calls(),
                  (QStringList{"updmap-user [--nohash] [--nomkmap] [--setoption] [pxdviUse=true]",
                               "updmap-user [--nohash] [--nomkmap] [--setoption] [kanjiEmbed=a b$c]",
                               "updmap-user [--nohash] [--nomkmap] [--setoption] [kanjiVariant=]", "updmap-user"}));
        EXPECT_TRUE(world.root.texts.isEmpty());
    }
    {
        SCOPED_TRACE("a TAB in a kanji text is refused");
        OptionsWorld world(true, true);
        updmapchoicesWin* w = openOptions();
        w->TextField1[0]->setText("a\tb");
        w->PushButton2->click();
        settle();
        EXPECT_EQ(world.env.dialogs.messages,
                  QStringList{"The value for kanjiEmbed holds characters that cannot be used in a command line. "
                              "Nothing was changed."});
        EXPECT_TRUE(world.bin.calls().isEmpty());
        EXPECT_TRUE(world.root.texts.isEmpty());
        EXPECT_EQ(Window1::instance()->updmapc.mid(0, 8), kStart);
        EXPECT_TRUE(w->isVisible());
        w->PushButton1->click();
        settle();
    }
}

TEST(UpdmapChoices, BatchesByRightsAndMethodWithFailuresReported)
{
    struct Case {
        bool admin, personal;
        bool userRuns, rootRuns;
    };
    for (const Case c : {Case{true, true, true, true}, Case{true, false, false, true}, Case{false, true, true, false},
                         Case{false, false, false, false}}) {
        SCOPED_TRACE(QStringLiteral("admin %1 personal %2").arg(c.admin).arg(c.personal).toStdString());
        OptionsWorld world(c.admin, c.personal);
        world.bin.fail("updmap-user");
        world.root.status = 2;
        updmapchoicesWin* w = openOptions();
        w->CheckBox1[1]->click(); // dvipsDownloadBase35 off
        w->PushButton2->click();
        settle();
        EXPECT_EQ(!world.bin.calls().isEmpty(), c.userRuns);
        EXPECT_EQ(world.root.texts.size(), c.rootRuns ? 1 : 0);
        if (c.rootRuns) {
            EXPECT_EQ(world.root.texts.at(0),
                      world.sys() + " --nohash --nomkmap --setoption dvipsDownloadBase35=false\t" + world.sys());
        }
        QStringList failures;
        if (c.userRuns)
            failures << "Setting the options in your personal configuration failed at: " + world.user() +
                            " --nohash --nomkmap --setoption dvipsDownloadBase35=false";
        if (c.rootRuns)
            failures << "Setting the options in the system configuration failed: updmap-sys ended with exit status 2.";
        QStringList messages;
        for (const QString& m : world.env.dialogs.messages) {
            if (!m.startsWith("Commands are being sent"))
                messages << m;
        }
        EXPECT_EQ(messages, failures.isEmpty() ? QStringList() : QStringList{failures.join('\n')});
        // Stored in the main window whatever the outcome.
        EXPECT_EQ(Window1::instance()->updmapc.at(2), QStringLiteral("false"));
    }
}

TEST(UpdmapChoices, ReturningToTheWindowNeitherRefillsNorClearsChanged)
{
    OptionsWorld world(false, true);
    updmapchoicesWin* w = openOptions();
    w->CheckBox1[0]->click();
    Window1::instance()->updmapc[6] = "changed meanwhile";
    w->hide();
    showWindow(w);
    EXPECT_TRUE(w->changed);
    EXPECT_EQ(w->TextField1[0]->text(), QStringLiteral("noEmbed"));
    w->PushButton1->click(); // Cancel: nothing stored, nothing run
    settle();
    EXPECT_TRUE(world.bin.calls().isEmpty());
    EXPECT_EQ(Window1::instance()->updmapc.at(1), QStringLiteral("true"));
}

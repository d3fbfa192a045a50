#include "maps/MapsFixture.h"
#include "mainwindow/Window1.h"
#include "platform/Paths.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "support/TestEnv.h"
#include "texenv/FinishInstall.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
// What finishInstall reports to the install that called it.
QString statusLine()
{
    return lastInstallStatus;
}

int setupRuns(const test::TestEnv& env)
{
    closeLog();
    return int(readTextFile(env.home() + "/QLKlogfile.txt").count("Finished Setupwin"));
}

void setSummary(bool type1, bool mf, bool ttf, bool maps, const QStringList& names)
{
    hasType1 = type1;
    hasMF = mf;
    hasTTF = ttf;
    hasMaps = maps;
    tdsMaps = names;
}

// The messages of finishInstall itself, without the advice and alerts of
// the rescan's refresh.
QStringList ownMessages(const QStringList& messages)
{
    QStringList out;
    for (const QString& m : messages) {
        if (!m.startsWith("You have an updmap.cfg in ") && !m.startsWith("• ALERT"))
            out << m;
    }
    return out;
}

const QString kTerminal = "Commands are being sent to your Terminal window. Your password may be required.";
} // namespace

// The system list as the recording root route receives it, with this
// machine's TeX folder in place of /usr/texbin, then the status line and
// the rescan.
TEST(FinishInstall, SystemTreeAsAdministratorThenRescan)
{
    test::TestEnv env(false);
    ASSERT_TRUE(test::makeFontDB(env));
    test::RootRoute root;
    setpref("sudo", qint32(1));
    Window1::instance()->Clearitems();
    // Another window's install never writes the Install tab's status line.
    Window1::instance()->TextField2->setText("Starting dry run to check for overwritten items.");
    isAdmin = true;
    personalInstall = false;
    setSummary(true, true, false, true, {"foo.map", "bar"});
    EXPECT_TRUE(finishInstall(1));
    EXPECT_EQ(Window1::instance()->TextField2->text(), "Starting dry run to check for overwritten items.");
    const QString bin = texbin();
    ASSERT_EQ(root.texts.size(), 1);
    EXPECT_EQ(root.texts.at(0),
              "/usr/bin/sudo " + bin + "/mktexlsr\t"
              "/usr/bin/sudo -H " + bin + "/updmap-sys --nohash --nomkmap --enable MixedMap=foo.map\t"
              "/usr/bin/sudo -H " + bin + "/updmap-sys --nohash --nomkmap --enable MixedMap=bar.map\t"
              "/usr/bin/sudo -H " + bin + "/updmap-sys ");
    EXPECT_EQ(statusLine(), QStringLiteral("Install finished."));
    EXPECT_EQ(env.dialogs.messages.value(0), kTerminal);
    // The scan ran again and refreshed the window once: one row per tree.
    EXPECT_EQ(setupRuns(env), 1);
    EXPECT_EQ(Window1::instance()->Listbox2->rowCount(), texmfTrees.size());
    // The summary is left as it was.
    EXPECT_EQ(tdsMaps, (QStringList{"foo.map", "bar"}));

    // A failed root run: no "Install finished.", a message that says what failed.
    root.status = 1;
    isAdmin = true;
    personalInstall = false;
    env.dialogs.messages.clear();
    EXPECT_FALSE(finishInstall(1));
    const QString failure =
        "Enabling the maps in the system trees failed: mktexlsr or updmap-sys ended with exit status 1.";
    EXPECT_EQ(statusLine(), failure);
    EXPECT_TRUE(env.dialogs.messages.contains(failure)) << env.dialogs.messages.join("\n").toStdString();
}

// Who gets which list, and in which order; the personal list runs as the
// user (stand-in programs that record and then run the real ones).
TEST(FinishInstall, ListsByTargetRightsAndMethod)
{
    struct Case {
        const char* what;
        int target;
        bool admin, personal;
        QStringList order; // "root", or the personal program's calls
        QStringList messages;
    };
    const QString noAdmin = "You dont have admin status---cannot create output maps in system trees";
    const QList<Case> cases = {
        {"system target without rights", 1, false, true, {}, {noAdmin}},
        {"system target, administrator installing personally", 1, true, true,
         {"root", "updmap-user [--nohash] [--nomkmap] [--enable] [Map=a.map]", "updmap-user"}, {}},
        {"personal target, administrator", 0, true, true,
         {"root", "updmap-user [--nohash] [--nomkmap] [--enable] [Map=a.map]", "updmap-user"}, {}},
        {"personal target, user", 0, false, true,
         {"updmap-user [--nohash] [--nomkmap] [--enable] [Map=a.map]", "updmap-user"}, {}},
        {"other tree, administrator, system method", 2, true, false, {"root"}, {}},
        {"neither", 0, false, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestEnv env(false);
        ASSERT_TRUE(test::makeFontDB(env));
        test::StandInTexbin bin(env, true);
        // The root route writes into the same record, to show the order.
        QStringList rootTexts;
        setBundleScriptRunner([&](const QString&, const QStringList& args) {
            rootTexts << args.value(0);
            QFile f(bin.log);
            f.open(QIODevice::Append);
            f.write("root\n");
            return ScriptResult{0, QString()};
        });
        setpref("sudo", qint32(0));
        Window1::instance()->Clearitems();
        // The personal trees as the start-up scan would have found them.
        texmfHome = env.texmfHome();
        texmfVar = env.texmfVar();
        texmfConfig = env.texmfConfig();
        isAdmin = c.admin;
        personalInstall = c.personal;
        setSummary(true, false, false, true, {"a"});
        writePersonalMap(env, "a.map");
        EXPECT_TRUE(finishInstall(c.target));
        // The rescan runs none of these programs: every call is the install's.
        EXPECT_EQ(bin.calls(), c.order);
        if (c.order.contains("root")) {
            ASSERT_EQ(rootTexts.size(), 1);
            // sudo 0: the administrator route runs the list without sudo.
            EXPECT_EQ(rootTexts.at(0).split('\t').value(1),
                      bin.folder + "/updmap-sys --nohash --nomkmap --enable Map=a.map");
        }
        EXPECT_EQ(ownMessages(env.dialogs.messages), c.messages);
        EXPECT_EQ(statusLine(), QStringLiteral("Install finished."));
    }
}

TEST(FinishInstall, WarningsSkipTheMapsButStillFinish)
{
    test::TestEnv env(false);
    ASSERT_TRUE(test::makeFontDB(env));
    test::RootRoute root;
    setpref("sudo", qint32(0));
    Window1::instance()->Clearitems();
    isAdmin = true;
    personalInstall = false;
    setSummary(true, false, true, true, {"a.map"});
    EXPECT_TRUE(finishInstall(1));
    EXPECT_EQ(env.dialogs.messages.value(0), QStringLiteral("It is not a good idea to mix PostScript and TrueType "
                                                            "fonts in one package---they are used differently."));
    ASSERT_EQ(root.texts.size(), 1);
    // Skipped: mktexlsr only, as no enabled map has gone missing.
    EXPECT_EQ(root.texts.at(0).split('\t').size(), 1);
    EXPECT_EQ(statusLine(), QStringLiteral("Install finished."));
}

// A real personal installation's end: updmap-user enables the map in the
// test's own trees and the rescan finds the personal pdftex.map.
TEST(FinishInstall, PersonalMapsEnabledForReal)
{
    test::TestEnv env(false);
    ASSERT_TRUE(test::makeFontDB(env));
    test::RootRoute root;
    writePersonalMap(env, "qlkone.map");
    Window1::instance()->Clearitems();
    isAdmin = false;
    personalInstall = true;
    setSummary(true, false, false, true, {"qlkone"});
    EXPECT_TRUE(finishInstall(0)) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_TRUE(root.texts.isEmpty());
    EXPECT_EQ(statusLine(), QStringLiteral("Install finished."));
    EXPECT_TRUE(readTextFile(env.texmfConfig() + "/web2c/updmap.cfg").contains("Map qlkone.map"));
    const QString personalMap = env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map";
    EXPECT_TRUE(readTextFile(personalMap).contains("qlkonefont")) << personalMap.toStdString();
    Window1* w = Window1::instance();
    ASSERT_GE(w->Listbox1[0]->rowCount(), 1);
    EXPECT_EQ(w->Listbox1[0]->cell(0, 1), env.texmfVar() + "/fonts/map/");
}

// updmap-user that reports success but leaves the map out of pdftex.map, or
// whose rebuild fails: the map is named with the command that rebuilds the
// maps, and the install is not reported finished.
TEST(FinishInstall, AMapThatDidNotReachPdftexMapIsNamed)
{
    struct Case {
        const char* what;
        const char* plainRun; // what the stand-in does for the rebuild
        bool failedLine;      // the rebuild named as the line that failed
    };
    const Case cases[] = {
        {"rebuild leaves the map out", "exit 0", false},
        {"rebuild fails", "exit 3", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestEnv env(false);
        ASSERT_TRUE(test::makeFontDB(env));
        test::RootRoute root;
        QStringList reports;
        uiHooks().showCommandFailure = [&](const QString& r) { reports << r; };
        writePersonalMap(env, "qlkgone.map");
        // The enabling lines run the real updmap-user; the plain run does not.
        const QString bin = env.root() + "/bin";
        env.writeScript("bin/updmap-user", QString("[ $# -gt 0 ] && exec '%1/updmap-user' \"$@\"\n%2\n")
                                               .arg(texbin(), QLatin1String(c.plainRun)));
        for (const char* program : {"kpsewhich", "tex"})
            QFile::link(texbin() + "/" + program, bin + "/" + program);
        setTexbinForTesting(bin);
        texmfHome = env.texmfHome();
        texmfVar = env.texmfVar();
        texmfConfig = env.texmfConfig();
        Window1::instance()->Clearitems();
        isAdmin = false;
        personalInstall = true;
        setSummary(true, false, false, true, {"qlkgone"});
        EXPECT_FALSE(finishInstall(0));
        EXPECT_TRUE(readTextFile(env.texmfConfig() + "/web2c/updmap.cfg").contains("Map qlkgone.map"));
        const QString status = statusLine();
        EXPECT_FALSE(status.contains("Install finished.")) << status.toStdString();
        EXPECT_TRUE(status.contains("The fonts of the map qlkgone.map cannot be used yet: ")) << status.toStdString();
        EXPECT_TRUE(status.endsWith("Run updmap-user to rebuild your output maps.")) << status.toStdString();
        EXPECT_EQ(status.contains("Enabling the maps in the personal trees failed at: " + updmapUserProgram() + "\n"),
                  c.failedLine) << status.toStdString();
        EXPECT_EQ(reports.size(), c.failedLine ? 1 : 0);
        // The user is told, not only the status line.
        EXPECT_TRUE(env.dialogs.messages.contains(status)) << env.dialogs.messages.join("\n").toStdString();
        EXPECT_TRUE(root.texts.isEmpty());
    }
}

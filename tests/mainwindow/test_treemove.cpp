#include "InstallFixture.h"

#include "mainwindow/TreeMove.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

// An impermanent tree as updmap and the font tools leave it: fonts with a
// map, bitmap fonts, updmap's output maps, and an .fd folder.
void fillImpermanentTree(test::TestEnv& env)
{
    const QString var = "home/.texlive2022/texmf-var/";
    env.writeFile(var + "fonts/tfm/public/foo/foo.tfm", "tfm bytes");
    env.writeFile(var + "fonts/type1/public/foo/foo.pfb", "pfb bytes");
    env.writeFile(var + "fonts/map/dvips/foo/foo.map", "foo Foo <foo.pfb\n");
    env.writeFile(var + "fonts/map/dvips/bar/bar.map", "bar Bar <bar.ttf\n");
    env.writeFile(var + "fonts/pk/ljfour/public/foo/foo.600pk", "pk bytes");
    env.writeFile(var + "fonts/map/dvips/updmap/psfonts.map", "output");
    env.writeFile(var + "fonts/map/pdftex/updmap/pdftex.map", "output");
    env.writeFile(var + "fonts/map/dvipdfmx/updmap/kanjix.map", "output");
    env.writeFile(var + "tex/latex/foo/t1foo.fd", "fd");
    env.writeFile(var + "tex/latex/foo/foo.sty", "sty");
    env.writeFile(var + "tex/latex/top.fd", "not in a folder of its own");
}

const QStringList kMoved{"fonts/map/dvips/bar/bar.map", "fonts/map/dvips/foo/foo.map", "fonts/tfm/public/foo/foo.tfm",
                         "fonts/type1/public/foo/foo.pfb"};

} // namespace

TEST(TreeMove, PlanOfATree)
{
    test::TestEnv env;
    fillImpermanentTree(env);
    QStringList files = movableFontFiles(env.texmfVar());
    files.sort();
    EXPECT_EQ(files, kMoved);
    EXPECT_EQ(fdFolders(env.texmfVar()), QStringList{"tex/latex/foo"});
    EXPECT_TRUE(movableFontFiles(env.root() + "/none").isEmpty());
    EXPECT_TRUE(mapNamesTrueType(env.texmfVar() + "/fonts/map/dvips/bar/bar.map"));
    EXPECT_FALSE(mapNamesTrueType(env.texmfVar() + "/fonts/map/dvips/foo/foo.map"));
}

TEST(TreeMove, EnableCommands)
{
    test::TestEnv env;
    const QString updmapSys = "/usr/bin/sudo -H " + shellQuote(texProgram("updmap-sys"));
    const QStringList sys = moveEnableCommands({"a.map", "b b.map", "t.map"}, {false, false, true}, 1);
    EXPECT_EQ(sys, (QStringList{"/usr/bin/sudo " + shellQuote(texProgram("mktexlsr")),
                                updmapSys + " --nohash --nomkmap --enable Map=a.map",
                                updmapSys + " --nohash --nomkmap --enable 'Map=b b.map'", updmapSys}));
    const QString user = shellQuote(texProgram("updmap-user"));
    EXPECT_EQ(moveEnableCommands({}, {}, 0), QStringList{user});
    EXPECT_EQ(moveEnableCommands({"a.map"}, {false}, 0),
              (QStringList{user + " --nohash --nomkmap --enable Map=a.map", user}));
}

TEST(TreeMove, PersonalMoveKeepsBitmapsOutputMapsAndFdFolders)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    fillImpermanentTree(env);
    env.dialogs.answers = {true};
    int confirmations = 0;
    const MoveOutcome outcome = moveFonts({{env.texmfVar()}, env.texmfHome(), false, 0}, [&](const QStringList&) {
        ++confirmations;
        return true;
    });
    ASSERT_TRUE(outcome.done) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_EQ(env.dialogs.questions,
              QStringList{"Move the font files of " + env.texmfVar() + " to " + env.texmfHome() + "?"});
    EXPECT_EQ(confirmations, 0); // nothing in the way
    QStringList moved = outcome.moved;
    moved.sort();
    EXPECT_EQ(moved, kMoved);
    QStringList maps = outcome.maps;
    maps.sort();
    EXPECT_EQ(maps, (QStringList{"bar.map", "foo.map"}));
    for (const QString& rel : kMoved) {
        EXPECT_TRUE(QFileInfo::exists(env.texmfHome() + "/" + rel)) << rel.toStdString();
        EXPECT_FALSE(QFileInfo::exists(env.texmfVar() + "/" + rel)) << rel.toStdString();
    }
    EXPECT_EQ(test::readBytes(env.texmfHome() + "/fonts/tfm/public/foo/foo.tfm"), QByteArray("tfm bytes"));
    // Left in place: the bitmap fonts, updmap's output, the LaTeX files.
    for (const char* rel : {"fonts/pk/ljfour/public/foo/foo.600pk", "fonts/map/dvips/updmap/psfonts.map",
                            "fonts/map/pdftex/updmap/pdftex.map", "tex/latex/foo/t1foo.fd"})
        EXPECT_TRUE(QFileInfo::exists(env.texmfVar() + "/" + rel)) << rel;
    EXPECT_FALSE(QFileInfo::exists(env.texmfVar() + "/fonts/tfm"));
    // The .fd folder is copied (plain files), the output maps and bitmaps are not.
    EXPECT_EQ(test::readBytes(env.texmfHome() + "/tex/latex/foo/foo.sty"), QByteArray("sty"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/tex/latex/top.fd"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/fonts/pk"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/fonts/map/dvips/updmap"));
    // The move's own scratch folder keeps its copies.
    EXPECT_TRUE(QFileInfo::exists(outcome.scratch + "/fonts/tfm/public/foo/foo.tfm"));
}

TEST(TreeMove, FailuresLeaveEverySourceFileInPlace)
{
    struct Case {
        const char* name;
        std::function<void(test::TestEnv&)> spoil; // makes the copy into the target fail
        QList<bool> answers;
        bool confirm;
        QString message; // the beginning of the last message
    };
    const QList<Case> cases = {
        {"a dangling link where a folder must go",
         [](test::TestEnv& env) {
             QDir().mkpath(env.texmfHome() + "/fonts");
             QFile::link(env.root() + "/nowhere", env.texmfHome() + "/fonts/tfm");
         },
         {true}, true, "Copying the fonts to "},
        {"a file where a folder must go",
         [](test::TestEnv& env) { env.writeFile("home/texmf/fonts/type1", "a file"); },
         {true}, true, "The fonts were not moved."},
        {"the target is a file",
         [](test::TestEnv& env) {
             env.writeFile("home/texmf", "a file");
         },
         {true}, true, "Copying the fonts to "},
        {"overwrite list cancelled",
         [](test::TestEnv& env) { env.writeFile("home/texmf/fonts/tfm/public/foo/foo.tfm", "older"); },
         {true}, false, "No files were moved."},
        {"no to the question", [](test::TestEnv&) {}, {false}, true, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        QStringList revealed;
        setDesktopRecorder([&](const QString&, const QString& path) { revealed << path; });
        test::pointTreesAt(env);
        fillImpermanentTree(env);
        c.spoil(env);
        const auto before = test::snapshot(env.texmfVar());
        env.dialogs.answers = c.answers;
        QStringList shown;
        const MoveOutcome outcome =
            moveFonts({{env.texmfVar()}, env.texmfHome(), false, 0}, [&](const QStringList& files) {
                shown = files;
                return c.confirm;
            });
        EXPECT_FALSE(outcome.done);
        EXPECT_EQ(test::snapshot(env.texmfVar()), before);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(env.dialogs.messages.isEmpty());
            continue;
        }
        ASSERT_FALSE(env.dialogs.messages.isEmpty());
        const QString last = env.dialogs.messages.last();
        EXPECT_TRUE(last.startsWith(c.message)) << last.toStdString();
        EXPECT_TRUE(last.contains("Nothing was removed from " + env.texmfVar())) << last.toStdString();
        EXPECT_TRUE(last.contains("The copies gathered so far are in " + outcome.scratch)) << last.toStdString();
        if (!c.confirm) {
            EXPECT_EQ(shown, QStringList{env.texmfHome() + "/fonts/tfm/public/foo/foo.tfm"});
        }
    }
}

TEST(TreeMove, SystemMoveReplacesEarlierFilesAfterConfirmingAndEnablesMaps)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    fillImpermanentTree(env);
    // The permanent tree has its own copy of one file, and output maps.
    env.writeFile("home/texmf/fonts/tfm/public/foo/foo.tfm", "newer tfm");
    env.writeFile("home/texmf/fonts/map/dvips/updmap/psfonts.map", "home output");
    QDir().mkpath(env.texmfLocal());
    test::RootRecorder root;
    env.dialogs.answers = {true};
    QStringList shown;
    const MoveOutcome outcome = moveFonts({{env.texmfVar(), env.texmfHome()}, env.texmfLocal(), true, 0},
                                          [&](const QStringList& files) {
                                              shown = files;
                                              return true;
                                          });
    ASSERT_TRUE(outcome.done) << env.dialogs.transcript.join("\n").toStdString();
    // The impermanent file that the permanent one replaces was listed first.
    EXPECT_EQ(shown, QStringList{env.texmfVar() + "/fonts/tfm/public/foo/foo.tfm"});
    EXPECT_EQ(test::readBytes(env.texmfLocal() + "/fonts/tfm/public/foo/foo.tfm"), QByteArray("newer tfm"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/fonts/tfm/public/foo/foo.tfm"));
    // The permanent tree's output maps went into an archive in its root.
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/fonts/map/dvips/updmap"));
    EXPECT_TRUE(QFileInfo::exists(env.texmfHome() + "/dvipsupd.zip"));
    ASSERT_EQ(root.commands.size(), 2) << root.commands.join("\n").toStdString();
    // The administrator route (preference "sudo" 0) runs them without sudo.
    EXPECT_TRUE(root.commands.at(0).startsWith("/bin/cp -Rp -- ")) << root.commands.at(0).toStdString();
    // updmap-user for method 0; the TrueType map is not enabled.
    const QStringList enable = root.commands.at(1).split('\t');
    EXPECT_EQ(enable.filter("--enable").size(), 1);
    EXPECT_TRUE(enable.filter("--enable").value(0).endsWith("Map=foo.map"));
}

#include "platform/UiHooks.h"
#include "support/TestEnv.h"
#include "texenv/TexEnv.h"
#include "texenv/TexmfVar.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
// A TEXMFVAR with files at two depths and an empty folder.
void fillVar(const test::TestEnv& env, const QString& relative)
{
    env.writeFile(relative + "/web2c/updmap.log", "log");
    env.writeFile(relative + "/fonts/map/pdftex/updmap/pdftex.map", "map");
    QDir().mkpath(env.root() + "/" + relative + "/fonts/pk");
}

QStringList entries(const QString& folder, QDir::Filters filter)
{
    QStringList out;
    QDir root(folder);
    std::function<void(const QString&)> walk = [&](const QString& f) {
        for (const QFileInfo& i : QDir(f).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                                         QDir::Name)) {
            if ((filter & QDir::Files) && i.isFile())
                out << root.relativeFilePath(i.filePath());
            if (i.isDir()) {
                if (filter & QDir::Dirs)
                    out << root.relativeFilePath(i.filePath());
                walk(i.filePath());
            }
        }
    };
    walk(folder);
    return out;
}
} // namespace

TEST(TexmfVarCommands, ResetAsksThenLeavesAnEmptyFolder)
{
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        test::TestEnv env;
        // A blank in the path: the commands quote it.
        texmfVar = env.home() + "/.texlive 2022/texmf-var";
        fillVar(env, "home/.texlive 2022/texmf-var");
        env.dialogs.answers = {yes};
        resetTexmfVar();
        EXPECT_EQ(env.dialogs.questions, QStringList{"Delete folder " + texmfVar + "?"});
        EXPECT_TRUE(QFileInfo(texmfVar).isDir());
        EXPECT_EQ(entries(texmfVar, QDir::Files | QDir::Dirs).isEmpty(), yes);
        // Its parent and what lies beside it stay.
        EXPECT_TRUE(QFileInfo(env.home() + "/.texlive 2022").isDir());
    }
}

TEST(TexmfVarCommands, ResetRefusesAMissingFolderOrOneOutsideHome)
{
    test::TestEnv env;
    texmfVar = env.home() + "/.texlive2022/texmf-var";
    resetTexmfVar();
    EXPECT_EQ(env.dialogs.transcript, QStringList{"message: No folder at " + texmfVar});

    for (const QString& var : {env.root() + "/elsewhere/texmf-var", env.home(), env.home() + "/../home"}) {
        SCOPED_TRACE(var.toStdString());
        env.dialogs.transcript.clear();
        env.writeFile("elsewhere/texmf-var/web2c/updmap.log", "log");
        env.writeFile("home/keep.txt", "keep");
        texmfVar = var;
        env.dialogs.answers = {true};
        resetTexmfVar();
        EXPECT_EQ(env.dialogs.transcript,
                  QStringList{"message: TEXMFVAR (" + var + ") does not lie inside your home folder; it was not "
                              "deleted."});
        EXPECT_TRUE(QFileInfo::exists(env.root() + "/elsewhere/texmf-var/web2c/updmap.log"));
        EXPECT_TRUE(QFileInfo::exists(env.home() + "/keep.txt"));
    }

    // A link inside the home folder that leads outside it is refused too.
    QFile::link(env.root() + "/elsewhere/texmf-var", env.home() + "/linked-var");
    texmfVar = env.home() + "/linked-var";
    env.dialogs.transcript.clear();
    resetTexmfVar();
    EXPECT_EQ(env.dialogs.transcript,
              QStringList{"message: TEXMFVAR (" + texmfVar + ") does not lie inside your home folder; it was not "
                          "deleted."});
    EXPECT_TRUE(QFileInfo::exists(env.root() + "/elsewhere/texmf-var/web2c/updmap.log"));
}

TEST(TexmfVarCommands, ClearRemovesFilesAndKeepsFolders)
{
    struct Case {
        bool ask;
        QList<bool> answers;
        bool cleared;
        QStringList questions;
    };
    test::TestEnv probe;
    const QString var = probe.home() + "/.texlive2022/texmf-var";
    const QList<Case> cases = {
        {false, {}, true, {}},
        {true, {false}, false, {"Delete folder contents: " + var + "?"}},
        {true, {true}, true, {"Delete folder contents: " + var + "?"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        test::TestEnv env;
        texmfVar = env.home() + "/.texlive2022/texmf-var";
        fillVar(env, "home/.texlive2022/texmf-var");
        const QStringList folders = entries(texmfVar, QDir::Dirs);
        env.dialogs.answers = c.answers;
        // Only a No stops the caller.
        EXPECT_EQ(clearTexmfVar(c.ask), c.cleared);
        EXPECT_EQ(env.dialogs.questions, QStringList(c.questions).replaceInStrings(var, texmfVar));
        EXPECT_EQ(entries(texmfVar, QDir::Files).isEmpty(), c.cleared);
        EXPECT_EQ(entries(texmfVar, QDir::Dirs), folders);
    }
    test::TestEnv env;
    texmfVar = env.home() + "/nothing";
    EXPECT_TRUE(clearTexmfVar(true));
    EXPECT_EQ(env.dialogs.transcript, QStringList{"message: No folder to delete at " + texmfVar});
}

#include "opentype/common/PackageSwap.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace qlk;
using namespace qlk::test;

namespace {

// A virtual font whose one font definition names `base`.
QByteArray vfNaming(const QByteArray& base)
{
    QByteArray b;
    b += char(247);
    b += char(202);
    b += char(0);                    // no comment
    b += QByteArray(8, '\0');        // checksum, design size
    b += char(243);                  // fnt_def1
    b += char(0);                    // font 0
    b += QByteArray(12, '\0');       // checksum, scale, design size
    b += char(0);                    // no area
    b += char(base.size());
    b += base;
    b += char(248);
    return b;
}

// A package abc in `tree` as the roads lay it out: one virtual font over a
// raw font with its map line, outline and encoding.
void writePackage(TestEnv& env, const QString& tree, const QByteArray& version = "new")
{
    env.writeFile(tree + "/tex/latex/abc/abc.sty", version);
    env.writeFile(tree + "/tex/latex/abc/t1abc.fd",
                  "\\DeclareFontFamily{T1}{abc}{}\n"
                  "\\DeclareFontShape{T1}{abc}{m}{n}{<-> \\abc@@scale t1-abc-regular}{}\n"
                  "\\DeclareFontShape{T1}{abc}{bx}{n}{<-> ssub * abc/m/n}{}\n");
    env.writeFile(tree + "/fonts/tfm/v/abc/t1-abc-regular.tfm", version);
    env.writeFile(tree + "/fonts/vf/v/abc/t1-abc-regular.vf", vfNaming("t1-abc-regular--base"));
    env.writeFile(tree + "/fonts/tfm/v/abc/t1-abc-regular--base.tfm", version);
    env.writeFile(tree + "/fonts/type1/v/abc/Abc-Regular.pfb", version);
    env.writeFile(tree + "/fonts/enc/dvips/v/abc/a_xyz.enc", version);
    env.writeFile(tree + "/fonts/map/dvips/v/abc.map",
                  "t1-abc-regular--base Abc-Regular \"AutoEnc ReEncodeFont\" <[a_xyz.enc <Abc-Regular.pfb\n");
}

// The files below `root` that kpathsea sees (no hidden ones) and their
// contents.
QMap<QString, QByteArray> visible(const QString& root)
{
    QMap<QString, QByteArray> files;
    for (const QString& f : filesUnder(root))
        files.insert(f, readBytes(root + "/" + f));
    return files;
}

// Every file below `root`, hidden ones too.
int allFiles(const QString& root)
{
    int n = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

} // namespace

TEST(PackageSwap, CompletenessNamesWhatTheFdFilesLack)
{
    TestEnv env;
    struct Case {
        const char* what;
        const char* remove; // relative to the tree
        const char* problem;
    };
    const QList<Case> cases{
        {"whole", "", ""},
        {"metric", "fonts/tfm/v/abc/t1-abc-regular.tfm", "No metric t1-abc-regular.tfm for t1abc.fd"},
        {"raw metric", "fonts/tfm/v/abc/t1-abc-regular--base.tfm", "No metric t1-abc-regular--base.tfm for t1-abc-regular"},
        {"map line", "fonts/map/dvips/v/abc.map", "No map line for t1-abc-regular--base"},
        {"outline", "fonts/type1/v/abc/Abc-Regular.pfb", "No file Abc-Regular.pfb for t1-abc-regular--base"},
        {"encoding", "fonts/enc/dvips/v/abc/a_xyz.enc", "No file a_xyz.enc for t1-abc-regular--base"},
        {"fd files", "tex/latex/abc/t1abc.fd", "No .fd files in "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(env.root() + "/t").removeRecursively();
        writePackage(env, "t");
        if (*c.remove)
            QFile::remove(env.root() + "/t/" + c.remove);
        const QStringList problems = packageProblems(env.root() + "/t/tex/latex/abc", {env.root() + "/t/fonts"});
        if (!*c.problem)
            EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
        else
            EXPECT_TRUE(problems.value(0).startsWith(c.problem)) << problems.join('\n').toStdString();
    }

    // An outline the map names but otftotfm found installed elsewhere is
    // fetched into the package.
    QDir(env.root() + "/t").removeRecursively();
    writePackage(env, "t");
    QFile::remove(env.root() + "/t/fonts/type1/v/abc/Abc-Regular.pfb");
    env.writeFile(QDir(env.root()).relativeFilePath(env.texmfHome()) + "/fonts/type1/other/Abc-Regular.pfb",
                  "installed");
    EXPECT_EQ(gatherOutlines({env.root() + "/t/fonts"}, env.root() + "/t/fonts/type1/v/abc"), QStringList{"Abc-Regular.pfb"});
    EXPECT_EQ(readBytes(env.root() + "/t/fonts/type1/v/abc/Abc-Regular.pfb"), "installed");
    EXPECT_TRUE(packageProblems(env.root() + "/t/tex/latex/abc", {env.root() + "/t/fonts"}).isEmpty());
}

TEST(PackageSwap, ReplacementIsWholeOrNothing)
{
    TestEnv env;
    const QString target = env.root() + "/home";
    EXPECT_EQ(packageUnits(env.root() + "/new", {"abc"}), QStringList());
    writePackage(env, "new", "new");
    env.writeFile("new/abc.zip", "zip");
    EXPECT_EQ(packageUnits(env.root() + "/new", {"ABC"}),
              (QStringList{"fonts/enc/dvips/v/abc", "fonts/map/dvips/v/abc.map", "fonts/tfm/v/abc",
                           "fonts/type1/v/abc", "fonts/vf/v/abc", "tex/latex/abc"}));

    struct Case {
        const char* stopAfter; // "": not stopped
        bool keepOthers;
        bool expectNew;
    };
    const QList<Case> cases{
        {"staged", false, false},
        {"swapped", false, true},
        {"", false, true},
        {"", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stopAfter) + (c.keepOthers ? " keep" : ""));
        QDir(target).removeRecursively();
        writePackage(env, "home", "old");
        // Another package beside it, also in the shared vendor folders.
        env.writeFile("home/fonts/map/dvips/v/other.map", "other");
        env.writeFile("home/fonts/tfm/v/other/o.tfm", "other");
        env.writeFile("home/tex/latex/abc/extra.cfg", "mine");
        const auto old = visible(target);
        setSwapSeamForTesting([&](const QString& step) { return step != QLatin1String(c.stopAfter); });
        const QString result = replaceInstalled(env.root() + "/new", target, {"abc"}, c.keepOthers);
        setSwapSeamForTesting(nullptr);
        EXPECT_EQ(result.isEmpty(), !*c.stopAfter) << result.toStdString();
        const auto now = visible(target);
        if (!c.expectNew) {
            EXPECT_EQ(now, old);
            continue;
        }
        EXPECT_EQ(now.value("fonts/map/dvips/v/other.map"), "other");
        EXPECT_EQ(now.value("fonts/tfm/v/other/o.tfm"), "other");
        EXPECT_EQ(now.value("tex/latex/abc/abc.sty"), "new");
        EXPECT_EQ(now.value("fonts/type1/v/abc/Abc-Regular.pfb"), "new");
        EXPECT_EQ(now.contains("tex/latex/abc/extra.cfg"), c.keepOthers);
        EXPECT_FALSE(now.contains("abc.zip"));
        EXPECT_TRUE(packageProblems(target + "/tex/latex/abc", {target + "/fonts"}).isEmpty());
        if (!*c.stopAfter) {
            // No hidden copy is left behind.
            EXPECT_EQ(allFiles(target), now.size());
        }
    }
    // What an interrupted replacement left is cleared by the next one.
    EXPECT_TRUE(replaceInstalled(env.root() + "/new", target, {"abc"}).isEmpty());
    EXPECT_EQ(allFiles(target), visible(target).size());

    // A target that cannot take one of the copies (a file where its folder
    // belongs) keeps the installed package, and no copy is left.
    writePackage(env, "home", "old");
    env.writeFile("new/fonts/afm/v/abc/abc.afm", "new");
    env.writeFile("home/fonts/afm", "in the way");
    const auto old = visible(target);
    EXPECT_TRUE(replaceInstalled(env.root() + "/new", target, {"abc"}).startsWith("Cannot copy fonts/afm/v/abc"));
    EXPECT_EQ(visible(target), old);
    EXPECT_EQ(allFiles(target), old.size());

    // A file where the tree itself belongs is named as such, not taken for
    // another copy of the program at work there.
    const QString blocked = env.writeFile("blocked", "a file");
    EXPECT_EQ(replaceInstalled(env.root() + "/new", blocked, {"abc"}),
              "Cannot make the folder " + blocked + "; the installed package is unchanged.");
    EXPECT_EQ(readBytes(blocked), "a file");
}

// The bail-out says the installed package stays only where TeX finds one
// under the new package's exact .sty name.
TEST(PackageSwap, IncompletePackageTextNamesAnInstalledPackageOnlyWhenThereIsOne)
{
    TestEnv env;
    env.writeFile("home/texmf/tex/latex/Mine/Mine.sty", "installed");
    struct Case {
        const char* what;
        QStringList styles; // in the new package's folder
        bool installed;
    };
    const QList<Case> cases{
        {"first install", {"Fresh.sty"}, false},
        {"installed", {"Mine.sty"}, true},
        // kpathsea would take the distribution's graphicx.sty for it.
        {"another letter case only", {"Graphicx.sty"}, false},
        {"one of two installed", {"Fresh.sty", "Mine.sty"}, true},
        {"no .sty", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = env.root() + "/new/" + c.what;
        QDir().mkpath(folder);
        for (const QString& sty : c.styles)
            env.writeFile("new/" + QString(c.what) + "/" + sty, "new");
        const QString text = incompletePackageText({"No metric a.tfm for t1x.fd", "No map line for b"}, folder);
        EXPECT_EQ(text, QString("Bailing out! The new package is not complete") +
                            (c.installed ? "; the installed one is left as it is." : ".") +
                            "\nNo metric a.tfm for t1x.fd\nNo map line for b");
    }
}

// What a replacement stopped by a kill leaves is cleared without a new
// Install: an old copy set aside goes back where nothing took its place,
// everything else hidden by the replacement goes; nothing else is touched.
TEST(PackageSwap, LeftoversOfAnInterruptedReplacementAreCleared)
{
    TestEnv env;
    const QString target = env.root() + "/home";
    writePackage(env, "home", "installed");
    // Stopped after staging: new copies beside the installed ones.
    env.writeFile("home/tex/latex/.abc.qlk-new/abc.sty", "new");
    env.writeFile("home/fonts/map/dvips/v/.abc.map.qlk-new", "new map");
    // Stopped between the two renames of a unit: the installed copy aside.
    env.writeFile("home/fonts/tfm/v/.abc.qlk-old/t1-abc-regular.tfm", "installed");
    env.writeFile("home/fonts/tfm/v/.abc.qlk-old/t1-abc-regular--base.tfm", "installed");
    env.writeFile("home/fonts/tfm/v/.abc.qlk-new/t1-abc-regular.tfm", "new");
    QDir(target + "/fonts/tfm/v/abc").removeRecursively();
    // An old copy whose place is taken is only a leftover.
    env.writeFile("home/fonts/vf/v/.abc.qlk-old/x.vf", "older");
    // Not the replacement's: a hidden folder is not entered, names without
    // the tag stay.
    env.writeFile("home/.git/objects/.x.qlk-new", "git");
    env.writeFile("home/tex/latex/abc/.abc.qlk-newer", "mine");
    env.writeFile("home/tex/latex/abc.qlk-new/keep.sty", "mine");
    env.writeFile("home/tex/latex/.abc.qlk-new\n", "mine, the name ends in a line break");

    const QStringList report = clearInterruptedReplacements(target);
    EXPECT_EQ(report.size(), 5) << report.join('\n').toStdString();
    EXPECT_TRUE(report.contains("Put back " + target + "/fonts/tfm/v/abc, left aside by an interrupted install"))
        << report.join('\n').toStdString();
    EXPECT_EQ(readBytes(target + "/fonts/tfm/v/abc/t1-abc-regular.tfm"), "installed");
    EXPECT_TRUE(packageProblems(target + "/tex/latex/abc", {target + "/fonts"}).isEmpty());
    EXPECT_EQ(readBytes(target + "/tex/latex/abc/abc.sty"), "installed");
    QStringList hidden;
    for (QDirIterator it(target, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        it.next();
        if (it.fileName().contains(".qlk-"))
            hidden << QDir(target).relativeFilePath(it.filePath());
    }
    hidden.sort();
    EXPECT_EQ(hidden, (QStringList{".git/objects/.x.qlk-new", "tex/latex/.abc.qlk-new\n", "tex/latex/abc.qlk-new",
                                   "tex/latex/abc/.abc.qlk-newer"}));
    // Nothing left: nothing to say.
    EXPECT_TRUE(clearInterruptedReplacements(target).isEmpty());
    EXPECT_TRUE(clearInterruptedReplacements(env.root() + "/missing").isEmpty());

    // The next replacement, too, puts a copy set aside back before it
    // clears anything; here it then fails, and the package is as installed.
    ASSERT_TRUE(QDir().rename(target + "/tex/latex/abc", target + "/tex/latex/.abc.qlk-old"));
    writePackage(env, "new", "new");
    env.writeFile("new/fonts/afm/v/abc/abc.afm", "new");
    env.writeFile("home/fonts/afm", "in the way");
    EXPECT_TRUE(replaceInstalled(env.root() + "/new", target, {"abc"}).startsWith("Cannot copy fonts/afm/v/abc"));
    EXPECT_EQ(readBytes(target + "/tex/latex/abc/abc.sty"), "installed");
    EXPECT_FALSE(QFileInfo::exists(target + "/tex/latex/.abc.qlk-old"));
}

namespace {
// The hidden copies a replacement makes below `root`.
QStringList replacementCopies(const QString& root)
{
    QStringList found;
    for (QDirIterator it(root, {"*.qlk-new", "*.qlk-old"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        found << QDir(root).relativeFilePath(it.next());
    found.sort();
    return found;
}
} // namespace

// A second copy of the program, started while the first is in the middle of
// a replacement, neither clears the first one's copies nor starts its own
// replacement over them; once the first has been killed, they are leftovers.
TEST(PackageSwap, CopiesOfARunningReplacementAreLeftAlone)
{
    TestEnv env;
    const QString target = env.root() + "/home";
    writePackage(env, "home", "installed");
    writePackage(env, "new", "new");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t first = ::fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        // Held between staging and swapping until killed.
        setSwapSeamForTesting([&](const QString& step) {
            if (step == QLatin1String("staged")) {
                (void)!::write(ready[1], "s", 1);
                for (;;)
                    ::pause();
            }
            return true;
        });
        replaceInstalled(env.root() + "/new", target, {"abc"});
        ::_exit(0);
    }
    ::close(ready[1]);
    char c = 0;
    const bool staged = ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
    const QStringList copies = replacementCopies(target);
    const QString second = clearInterruptedReplacements(target).join('\n');
    const QString refused = replaceInstalled(env.root() + "/new", target, {"abc"});
    const QStringList copiesAfter = replacementCopies(target);
    ::kill(first, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(first, &status, 0), first);
    ASSERT_TRUE(staged);

    EXPECT_EQ(copies.size(), packageUnits(env.root() + "/new", {"abc"}).size()) << copies.join(' ').toStdString();
    EXPECT_EQ(second, "Left the hidden copies in " + target + " alone: a running copy of the program is installing there");
    EXPECT_EQ(refused, "Another copy of the program is installing into " + target +
                           "; the installed package is unchanged. Install again when it has finished.");
    EXPECT_EQ(copiesAfter, copies);
    EXPECT_EQ(readBytes(target + "/tex/latex/abc/abc.sty"), "installed");

    // Its program gone, the copies are what a kill left.
    EXPECT_EQ(clearInterruptedReplacements(target).size(), copies.size());
    EXPECT_TRUE(replacementCopies(target).isEmpty());
    EXPECT_EQ(replaceInstalled(env.root() + "/new", target, {"abc"}), QString());
    EXPECT_EQ(readBytes(target + "/tex/latex/abc/abc.sty"), "new");
}

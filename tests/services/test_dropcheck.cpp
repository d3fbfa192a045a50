#include "services/DropCheck.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qlk;

namespace {

// A reader that opened a FIFO would wait for a writer that never comes:
// the alarm ends such a test at once instead of at the suite's timeout.
struct HangGuard {
    HangGuard() { alarm(60); }
    ~HangGuard() { alarm(0); }
};

} // namespace

TEST(DropCheck, FileNamesSafeOnACommandLine)
{
    const struct {
        const char* name;
        bool safe;
    } cases[] = {
        {"texgyrepagella-regular.otf", true},
        {"Minion Pro Regular.otf", true},
        {"Caslon's (old).otf", true},
        {"x;y|z&.otf", true}, // harmless inside the quotes every road uses
        {"$(touch pwned).otf", false},
        {"`touch pwned`.otf", false},
        {"a\"b.otf", false},
        {"a\\b.otf", false},
        {"-rf.otf", false},
        {"--help.otf", false},
        {"line\nbreak.otf", false},
        {"tab\there.otf", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isSafeFileName(QString::fromUtf8(c.name)), c.safe) << c.name;
}

TEST(DropCheck, TexAndPostScriptNames)
{
    const struct {
        const char* name;
        bool tex;
        bool postScript;
    } cases[] = {
        {"uzcmi8a", true, true},
        {"URWChanceryL-MediItal", true, true},
        {"Times_Roman+1.0", true, true},
        {"q(z)", false, false},
        {"q{z}", false, false},
        {"a b", false, false},
        {"a%b", false, false},
        {"a/b", false, false},
        {"a\\b", false, false},
        {"a#b", false, true},
        {"a~b", false, true},
        {"-rf", false, true},
        {"caf\xc3\xa9", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isTexSafeName(QString::fromUtf8(c.name)), c.tex) << c.name;
        EXPECT_EQ(isSafePostScriptName(QString::fromUtf8(c.name)), c.postScript) << c.name;
    }
}

TEST(DropCheck, ItemsThatAreNoRegularFilesAreNamedWithoutBeingOpened)
{
    HangGuard guard;
    test::TestEnv env;
    const QString folder = env.root() + "/fonts";
    env.writeFile("fonts/good.otf", "OTTO");
    env.writeFile("fonts/readme.txt", "text");
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + "/pipe.otf").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", folder + "/zero.pfb"));
    ASSERT_TRUE(QFile::link(folder + "/missing.otf", folder + "/broken.otf"));
    QDir().mkpath(folder + "/sub");
    ASSERT_EQ(mkfifo(QFile::encodeName(folder + "/sub/deep.afm").constData(), 0600), 0);

    const QString top = dropProblem({folder}, DropRules{{".otf"}});
    EXPECT_TRUE(top.contains("fonts/pipe.otf\nfonts/zero.pfb\n")) << top.toStdString();
    EXPECT_FALSE(top.contains("broken.otf")) << "a broken link reads nothing";
    EXPECT_FALSE(top.contains("deep.afm")) << "subfolders only when the road walks them";
    EXPECT_FALSE(top.contains("good.otf"));

    const QString walked = dropProblem({folder}, DropRules{{}, false, true});
    EXPECT_TRUE(walked.contains("fonts/sub/deep.afm")) << walked.toStdString();

    // A dropped FIFO itself, and a clean folder.
    EXPECT_TRUE(dropProblem({folder + "/pipe.otf"}, DropRules{}).contains("pipe.otf"));
    const QString clean = env.root() + "/clean";
    env.writeFile("clean/good.otf", "OTTO");
    EXPECT_EQ(dropProblem({clean}, DropRules{{".otf"}, true, true}), QString());
}

TEST(DropCheck, UnsafeNamesOfTheRoadsFilesAreNamed)
{
    test::TestEnv env;
    const QString folder = env.root() + "/fonts";
    for (const char* name : {"$(touch pwned).otf", "`touch pwned`.OTF", "-rf.otf", "--help.otf", "ok.otf",
                             "q(z).afm", "$notes.txt"})
        env.writeFile(QString("fonts/") + name, "x");
    const QString problem = dropProblem({folder}, DropRules{{".otf"}});
    EXPECT_EQ(problem, "These file names cannot be handed safely to the TeX programs (a name may not begin with "
                       "\"-\" or hold $ ` \" \\ or a control character):\n"
                       "fonts/$(touch pwned).otf\nfonts/--help.otf\nfonts/-rf.otf\nfonts/`touch pwned`.OTF\n\n"
                       "Rename or remove them and drop again. Nothing was read or written.");
    // Where the names become TeX font names, the TeX rule applies.
    const QString tex = dropProblem({folder}, DropRules{{".afm"}, true});
    EXPECT_TRUE(tex.contains("fonts/q(z).afm")) << tex.toStdString();
    EXPECT_FALSE(tex.contains(".otf"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 7) << "nothing is removed or renamed";
    EXPECT_FALSE(QFileInfo::exists(folder + "/pwned"));
}

// Names that are not UTF-8: Qt's listings pass over them (a road would say
// the folder holds no fonts), and a dropped one arrives as a path that
// names nothing. Each is named, shown with U+FFFD for what is not UTF-8.
TEST(DropCheck, NamesThatAreNotUtf8AreNamed)
{
    test::TestEnv env;
    const QByteArray root = QFile::encodeName(env.root());
    const auto make = [&](const QByteArray& relative, bool folder) {
        const QByteArray path = root + "/" + relative;
        if (folder)
            return ::mkdir(path.constData(), 0700) == 0;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        return fd >= 0 && ::close(fd) == 0;
    };
    for (const char* folder : {"fonts", "fonts/sub\xe9", "fonts/deep", "caf\xe9", "clean"})
        ASSERT_TRUE(make(folder, true)) << folder;
    for (const char* file : {"fonts/good.otf", "fonts/x\xff.otf", "fonts/deep/y\xfe.afm", "clean/good.otf", "z\xff.zip"})
        ASSERT_TRUE(make(file, false)) << file;
    // A drop gives paths as Qt makes them from the dropped URLs.
    const auto dropped = [&](const char* relative) {
        return QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(QString::fromUtf8(root), "/") + "/" + relative)
            .toLocalFile();
    };
    const QString fonts = env.root() + "/fonts";
    const QString head = QString::fromUtf8("These names are not valid UTF-8 (\xef\xbf\xbd marks what is not), so the "
                                           "program can neither read these items nor hand them to the TeX programs:\n");
    const QString tail = "\n\nRename or remove them and drop again. Nothing was read or written.";
    const QString bad = QString(QChar::ReplacementCharacter);
    const struct {
        const char* what;
        QStringList paths;
        DropRules rules;
        QStringList named; // empty: the drop may go on
    } cases[] = {
        {"a folder holding such names", {fonts}, DropRules{{".otf"}}, {"fonts/sub" + bad, "fonts/x" + bad + ".otf"}},
        {"its subfolders walked", {fonts}, DropRules{{}, false, true},
         {"fonts/deep/y" + bad + ".afm", "fonts/sub" + bad, "fonts/x" + bad + ".otf"}},
        {"a dropped folder so named", {dropped("caf%E9")}, DropRules{{".otf"}}, {env.root() + "/caf" + bad}},
        {"a dropped archive so named", {dropped("z%FF.zip"), env.root() + "/clean"}, DropRules{},
         {env.root() + "/z" + bad + ".zip"}},
        {"a clean folder", {env.root() + "/clean"}, DropRules{{".otf"}, true, true}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString problem = dropProblem(c.paths, c.rules);
        EXPECT_EQ(problem, c.named.isEmpty() ? QString() : head + c.named.join('\n') + tail);
    }
}

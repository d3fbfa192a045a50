#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/FileTypes.h"
#include "services/Runners.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

using namespace qlk;

TEST(ReadLines, LineEndsAreUnifiedAndTrailingBlankLinesDropped)
{
    test::TestEnv env;
    const QStringList expected{QStringLiteral("one"), QString(), QStringLiteral(" two ")};
    for (const char* text : {"one\n\n two \n  \n\n", "one\r\r two \r", "one\r\n\r\n two \r\n\t\r\n"}) {
        readLines(env.writeFile(QStringLiteral("f.txt"), text));
        EXPECT_EQ(fileLines, expected) << text;
    }
    readLines(env.writeFile(QStringLiteral("blank.txt"), "\n \n\t\n"));
    EXPECT_TRUE(fileLines.isEmpty());
    readLines(env.root()); // a folder
    EXPECT_TRUE(fileLines.isEmpty());
    readLines(env.root() + QStringLiteral("/missing"));
    EXPECT_TRUE(fileLines.isEmpty());
}

TEST(FontHeaders, RealType1AndAfmFiles)
{
    test::TestEnv env;
    const QString pfb = test::texFile(QStringLiteral("utmr8a.pfb"));
    const QString afm = test::texFile(QStringLiteral("uplr8a.afm"));
    ASSERT_FALSE(pfb.isEmpty());
    ASSERT_FALSE(afm.isEmpty());
    EXPECT_EQ(psFontName(pfb, true), QStringLiteral("NimbusRomNo9L-Regu"));
    EXPECT_EQ(afmNames(afm), (QStringList{QStringLiteral("URWPalladioL-Roma"), QStringLiteral("URW Palladio L")}));

    // A .pfa made from the .pfb: the family name from its cleartext header.
    const QString pfa = env.root() + QStringLiteral("/utmr8a.pfa");
    ASSERT_EQ(runProgram(QStringLiteral("/usr/bin/t1ascii"), {pfb, pfa}).exitCode, 0);
    EXPECT_EQ(pfaFamilyName(pfa), QStringLiteral("Nimbus Roman No9 L"));
    EXPECT_EQ(psFontName(pfa, false), QStringLiteral("NimbusRomNo9L-Regu"));
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
}

TEST(FontHeaders, HandMadeHeaders)
{
    test::TestEnv env;
    // Binary bytes before and after the header must not disturb the reading.
    QByteArray pfb("\x80\x01\x10\x00\x00\x00", 6);
    pfb.append("%!PS-AdobeFont-1.0: X\n/FontName /Foo-Bar def\n");
    pfb.append("\xff\xfe\x80\x02", 4);
    EXPECT_EQ(psFontName(env.writeFile(QStringLiteral("a.pfb"), pfb), true), QStringLiteral("Foo-Bar"));

    QByteArray late;
    for (int i = 0; i < 51; ++i)
        late += "% filler\n";
    late += "/FontName /Late def\n";
    EXPECT_EQ(psFontName(env.writeFile(QStringLiteral("late.pfa"), late), true), QString());
    EXPECT_EQ(env.dialogs.messages, QStringList{QStringLiteral("FontName not found in late.pfa")});
    EXPECT_EQ(psFontName(env.writeFile(QStringLiteral("late2.pfa"), late), false), QString());
    EXPECT_EQ(env.dialogs.messages.size(), 1);

    // Family name forms; a short file simply ends the search.
    struct Case {
        const char* line;
        const char* family;
    } cases[] = {{"/FamilyName (Nimbus  Sans L) readonly def", "Nimbus  Sans L"},
                 {"/FamilyName   PlainName  ", "PlainName"},
                 {"/FamilyName (Unclosed readonly def", ""},
                 {"/Other (x) def", ""}};
    for (const Case& c : cases) {
        const QString f = env.writeFile(QStringLiteral("f.pfa"), QByteArray("%!\n") + c.line + "\n");
        EXPECT_EQ(pfaFamilyName(f), QString::fromLatin1(c.family)) << c.line;
    }
    EXPECT_EQ(afmNames(env.writeFile(QStringLiteral("s.afm"), "FamilyName  Fam \nFontName  Font-X  ")),
              (QStringList{QStringLiteral("Font-X"), QStringLiteral("Fam")}));
    EXPECT_EQ(afmNames(env.writeFile(QStringLiteral("e.afm"), "")), (QStringList{QString(), QString()}));
}

TEST(FolderWalks, HasFilesOfTypeAndIsTDSRoot)
{
    test::TestEnv env;
    env.writeFile(QStringLiteral("t/a/b/Font.OTF"), "x");
    env.writeFile(QStringLiteral("u/otf"), "x");
    env.writeFile(QStringLiteral("v/readme.txt"), "x");
    env.writeFile(QStringLiteral("tds1/fonts/x"), "x");
    env.writeFile(QStringLiteral("tds2/tex"), "a file, not a folder");
    EXPECT_TRUE(hasFilesOfType(env.root() + QStringLiteral("/t"), QStringLiteral("otf")));
    EXPECT_TRUE(hasFilesOfType(env.root() + QStringLiteral("/u"), QStringLiteral("otf")));
    EXPECT_FALSE(hasFilesOfType(env.root() + QStringLiteral("/v"), QStringLiteral("afm\tpfb\tpfa")));
    EXPECT_TRUE(isTDSRoot(env.root() + QStringLiteral("/tds1")));
    EXPECT_FALSE(isTDSRoot(env.root() + QStringLiteral("/tds2")));
}

TEST(FolderWalks, CollectFilesSkipsHiddenFilesAndNeverFollowsLinkedFolders)
{
    test::TestEnv env;
    const QString top = env.root() + QStringLiteral("/drop");
    env.writeFile(QStringLiteral("drop/b.pfb"), "x");
    env.writeFile(QStringLiteral("drop/.DS_Store"), "x");
    env.writeFile(QStringLiteral("drop/.hidden/c.afm"), "x");
    env.writeFile(QStringLiteral("drop/sub/a\\b.tfm"), "x");
    // A link back to the top would make the walk endless.
    ASSERT_TRUE(QFile::link(top, top + QStringLiteral("/sub/loop")));
    collectedNames.clear();
    collectedItems.clear();
    collectFiles(top);
    EXPECT_EQ(collectedNames, (QStringList{QStringLiteral("c.afm"), QStringLiteral("b.pfb"),
                                           QStringLiteral("ab.tfm")}));
    ASSERT_EQ(collectedItems.size(), 3);
    EXPECT_TRUE(collectedItems.at(2).endsWith(QStringLiteral("sub/a\\b.tfm")));
}

TEST(FolderWalks, CheckCopyTreeListsOverwritesAndStopsAtClashes)
{
    test::TestEnv env;
    setDesktopRecorder([](const QString&, const QString&) {});
    env.writeFile(QStringLiteral("src/fonts/afm/x.afm"), "x");
    env.writeFile(QStringLiteral("src/fonts/new/y.afm"), "x");
    env.writeFile(QStringLiteral("src/.hidden"), "x");
    env.writeFile(QStringLiteral("dst/fonts/afm/x.afm"), "old");
    overwriteFiles.clear();
    EXPECT_TRUE(checkCopyTree(env.root() + QStringLiteral("/src"), env.root() + QStringLiteral("/dst")));
    EXPECT_EQ(overwriteFiles, QStringList{env.root() + QStringLiteral("/dst/fonts/afm/x.afm")});

    env.writeFile(QStringLiteral("dst2/fonts"), "a file where a folder must go");
    EXPECT_FALSE(checkCopyTree(env.root() + QStringLiteral("/src"), env.root() + QStringLiteral("/dst2")));
    EXPECT_EQ(env.dialogs.messages.value(0),
              QStringLiteral("File named ") + env.root() +
                  QStringLiteral("/dst2/fonts has same name as a folder that must be copied. You must rename it."));

    QDir().mkpath(env.root() + QStringLiteral("/dst3/fonts/afm/x.afm"));
    EXPECT_FALSE(checkCopyTree(env.root() + QStringLiteral("/src"), env.root() + QStringLiteral("/dst3")));
    EXPECT_TRUE(env.dialogs.messages.value(1).startsWith(QStringLiteral("A folder named ")));
}

// A name made to break a shell line: it must reach every command as data.
TEST(HostileNames, PassThroughWalksLsRAndCommandsAsData)
{
    test::TestEnv env;
    const QString name = QStringLiteral("Ünï 'q\" $(touch PWNED); `touch PWNED2`.pfb");
    const QString folder = env.root() + QStringLiteral("/fonts $(touch PWNED3); it's");
    env.writeFile(QStringLiteral("fonts $(touch PWNED3); it's/") + name, "x");

    collectedNames.clear();
    collectedItems.clear();
    collectFiles(folder);
    EXPECT_EQ(collectedNames, QStringList{name});

    // The listing alone writes nothing.
    const QString listed = lsRListing(folder);
    EXPECT_TRUE(listed.startsWith(QStringLiteral("% ls-R - - Created by Quillmark\n./:\n"))) << listed.toStdString();
    EXPECT_TRUE(listed.contains(name));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/ls-R")));
    EXPECT_TRUE(lsRListing(env.root() + QStringLiteral("/does not exist")).isEmpty());

    makeLsR(folder);
    const QString lsR = readTextFile(folder + QStringLiteral("/ls-R"));
    EXPECT_TRUE(lsR.startsWith(QStringLiteral("% ls-R - - Created by Quillmark\n./:\n"))) << lsR.toStdString();
    EXPECT_TRUE(lsR.contains(name));

    const QString copy = env.root() + QStringLiteral("/copy of it");
    runShellQuiet(QStringLiteral("/bin/cp ") + shellQuote(collectedItems.at(0)) + QLatin1Char(' ') +
                  shellQuote(copy));
    EXPECT_EQ(lastShell.errorCode, 0);
    EXPECT_TRUE(QFile::exists(copy));

    for (const char* marker : {"PWNED", "PWNED2", "PWNED3"}) {
        EXPECT_TRUE(QDir(env.root()).entryList({QString::fromLatin1(marker)}).isEmpty());
        EXPECT_TRUE(QDir(folder).entryList({QString::fromLatin1(marker)}).isEmpty());
        EXPECT_TRUE(QDir::current().entryList({QString::fromLatin1(marker)}).isEmpty());
    }
}

TEST(MakeLsR, FolderThatCannotBeEnteredWritesNothingAnywhere)
{
    test::TestEnv env;
    QDir::setCurrent(env.root());
    makeLsR(env.root() + QStringLiteral("/does not exist"));
    EXPECT_FALSE(QFile::exists(env.root() + QStringLiteral("/ls-R")));
    EXPECT_NE(lastShell.errorCode, 0);
}

TEST(RevealInFinder, MissingItemIsReportedExistingOneShown)
{
    test::TestEnv env;
    QStringList shown;
    setDesktopRecorder([&](const QString& action, const QString& path) { shown << action + QLatin1Char(' ') + path; });
    revealInFinder(env.root() + QStringLiteral("/nothing"));
    EXPECT_EQ(env.dialogs.messages, QStringList{QStringLiteral("Item not found: ") + env.root() + QStringLiteral("/nothing")});
    revealInFinder(env.root());
    EXPECT_EQ(shown, QStringList{QStringLiteral("reveal ") + env.root()});
}

// Without a file manager, the reveal opens the item's folder with xdg-open;
// when that fails the user is told, as for any file that cannot be opened.
TEST(RevealInFinder, FailedOpenOfTheFolderIsReported)
{
    test::TestEnv env;
    // No session bus, so no file manager is asked first; the stand-in
    // xdg-open first on PATH. All put back at the end.
    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    };
    QList<Saved> saved;
    for (const char* v : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "DISPLAY", "PATH"})
        saved << Saved{v, qgetenv(v), qEnvironmentVariableIsSet(v)};
    struct Restore {
        QList<Saved>& s;
        ~Restore()
        {
            for (const Saved& v : s)
                v.set ? qputenv(v.name, v.value) : qunsetenv(v.name);
        }
    } restore{saved};
    for (const char* v : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "DISPLAY"})
        qunsetenv(v);
    qputenv("PATH", env.root().toLocal8Bit() + "/bin:" + qgetenv("PATH"));
    const QString folder = env.root() + QStringLiteral("/a b");
    const QString font = env.writeFile(QStringLiteral("a b/x.pfb"), "x");
    const QString seen = env.root() + QStringLiteral("/seen");
    auto waitFor = [&](auto done, int rounds = 500) {
        for (int i = 0; i < rounds && !done(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(10);
        }
    };
    const struct {
        int status;
        const char* message; // after "Could not open " and the folder
    } cases[] = {{3, ": a program that xdg-open needs is missing."},
                 {4, ": no program to open it was found, or it failed."},
                 {0, nullptr}};
    for (const auto& c : cases) {
        env.writeScript(QStringLiteral("bin/xdg-open"),
                        QStringLiteral("printf '%s\\n' \"$1\" > %1.part && mv %1.part %1; exit %2")
                            .arg(shellQuote(seen))
                            .arg(c.status));
        for (const QString& item : {font, folder}) {
            QFile::remove(seen);
            env.dialogs.messages.clear();
            revealInFinder(item);
            waitFor([&] { return QFile::exists(seen); });
            waitFor([&] { return !c.message || !env.dialogs.messages.isEmpty(); });
            EXPECT_EQ(test::readBytes(seen), folder.toUtf8() + '\n') << c.status;
            if (c.message) {
                EXPECT_EQ(env.dialogs.messages,
                          QStringList{QStringLiteral("Could not open ") + folder + QString::fromLatin1(c.message)});
            } else {
                // Give a late message the chance to come: none may.
                waitFor([] { return false; }, 20);
                EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();
            }
        }
    }
}

TEST(FileTypes, FontTypeOffersTheFiveExtensionsOnly)
{
    const FileType& font = fileTypeFont();
    EXPECT_EQ(&font, &fileTypeFont());
    EXPECT_EQ(font.chooserFilter(), QStringLiteral("Font (*.ttf *.pfb *.pfa *.tfm *.afm)"));
    for (const char* name : {"a.ttf", "b.PFB", "c.pfa", "d.tfm", "e.afm"})
        EXPECT_TRUE(font.accepts(QString::fromLatin1(name))) << name;
    for (const char* name : {"f.otf", "g.vf", "afm", "h.afm.txt"})
        EXPECT_FALSE(font.accepts(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(fileTypeAny().accepts(QStringLiteral("anything.at.all")));
}

// Only a regular file of a font's size is copied: a link to /dev/zero, a
// FIFO with no writer, a folder, a sparse giant and a file that reads on
// past the limit are refused at once (no wait on the FIFO) and leave no
// copy, not even of the file the target held before.
TEST(CopyRegularFile, OnlyRegularFilesOfAFontsSizeAreCopied)
{
    test::TestEnv env;
    const QString in = env.root() + "/in";
    env.writeFile("in/font.pfb", "outline bytes");
    QFile::link(in + "/font.pfb", in + "/linked.pfb");
    QFile::link("/dev/zero", in + "/zero.pfb");
    ASSERT_EQ(runBash("mkfifo " + shellQuote(in + "/fifo.pfb") + " && mkdir " + shellQuote(in + "/folder.pfb") +
                      " && truncate -s 300M " + shellQuote(in + "/giant.pfb"))
                  .exitCode,
              0);
    struct Case {
        const char* source; // in in/, or a full path
        qint64 limit;
        const char* problem; // the start of it; empty: copied
    } cases[] = {
        {"font.pfb", kMaxFontFileBytes, ""},
        {"linked.pfb", kMaxFontFileBytes, ""},
        {"zero.pfb", kMaxFontFileBytes, "it is not a regular file (a device)"},
        {"fifo.pfb", kMaxFontFileBytes, "it is not a regular file (a named pipe)"},
        {"folder.pfb", kMaxFontFileBytes, "it is not a regular file (a folder)"},
        {"giant.pfb", kMaxFontFileBytes, "it is larger (314572800 bytes) than a font file may be (268435456 bytes)"},
        {"missing.pfb", kMaxFontFileBytes, "it cannot be read: No such file or directory"},
        // Announced as empty, but reads on: counted as it is copied.
        {"/proc/self/maps", 16, "it grew beyond 16 bytes while it was copied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const QString target = env.writeFile("out/copy.pfb", "an older copy");
        const QString source = QString(c.source).startsWith('/') ? QString(c.source) : in + "/" + c.source;
        const QString problem = copyRegularFile(source, target, c.limit);
        EXPECT_TRUE(QString(c.problem).isEmpty() || problem.startsWith(c.problem)) << problem.toStdString();
        EXPECT_EQ(problem.isEmpty(), QString(c.problem).isEmpty()) << problem.toStdString();
        if (problem.isEmpty()) {
            EXPECT_EQ(test::readBytes(target), QByteArray("outline bytes"));
        } else {
            EXPECT_FALSE(QFileInfo::exists(target));
        }
    }
    // A target that cannot be written: said so, nothing made.
    env.writeFile("blocked", "a file where a folder should be");
    EXPECT_TRUE(copyRegularFile(in + "/font.pfb", env.root() + "/blocked/copy.pfb")
                    .startsWith("it cannot be written to " + env.root() + "/blocked/copy.pfb: "));
}

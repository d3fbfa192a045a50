#include "InstallFixture.h"

#include "mainwindow/ArchiveCheck.h"
#include "mainwindow/ListActions.h"
#include "mainwindow/TdsCheck.h"
#include "mainwindow/TdsInstall.h"
#include "mainwindow/TdsLayout.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "services/Runners.h"
#include "support/HostileArchives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QScopeGuard>

#include <cerrno>
#include <csignal>
#include <limits>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace qlk;

TEST(TdsLayout, TopLevelNames)
{
    test::TestEnv env;
    const QStringList names = tdsTopLevelNames();
    ASSERT_EQ(names.size(), 19);
    EXPECT_EQ(names.count("mft"), 2);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 18);
    for (const char* absent : {"xdvi", "makeindex", "pdftex"})
        EXPECT_FALSE(names.contains(absent)) << absent;
}

TEST(TdsLayout, FileKindsByExtensionAnyCase)
{
    test::TestEnv env;
    const QList<QPair<QString, FileKind>> cases = {
        {"a.afm", FileKind::Afm},      {"A.PFM", FileKind::Afm},         {"NAME.PFB", FileKind::Type1},
        {"x.pfa", FileKind::Type1},    {"x.TTF", FileKind::TrueType},    {"x.otf", FileKind::OpenType},
        {"x.enc", FileKind::Encoding}, {"x.tfm", FileKind::Tfm},         {"x.VF", FileKind::Vf},
        {"x.sty", FileKind::Latex},    {"t1x.FD", FileKind::Latex},      {"x.cfg", FileKind::Latex},
        {"x.def", FileKind::Latex},    {"FOO.MAP", FileKind::Map},       {"README", FileKind::None},
        {"name.", FileKind::None},     {"x.tar.gz", FileKind::None},     {"x.pfb.txt", FileKind::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileKindOf(c.first), c.second) << c.first.toStdString();
}

TEST(TdsLayout, PackageNamesAreTrimmedAndChecked)
{
    test::TestEnv env;
    const PackageNames n = packageNames("  Adobe ", " Minion Pro ");
    EXPECT_EQ(n.supplier, "Adobe");
    EXPECT_EQ(n.family, "MinionPro");
    EXPECT_TRUE(packageNamesProblem(n).isEmpty());

    const QString unspecified = "You may not leave foundry or family names unspecified";
    const QString leaves = "The foundry and family names may not contain \"/\" or \"..\"";
    const QList<QPair<PackageNames, QString>> cases = {
        {packageNames("", "Minion"), unspecified},
        {packageNames("adobe", "   "), unspecified},
        {packageNames("adobe/x", "Minion"), leaves},
        {packageNames("adobe", "../../etc"), leaves},
        {packageNames("..", "Minion"), leaves},
        // "." would flatten the package into fonts/type1/ itself.
        {packageNames(".", "Minion"), "The foundry and family names may not begin with \".\""},
        {packageNames("adobe", ".hidden"), "The foundry and family names may not begin with \".\""},
        {packageNames("adobe", "Min\nion"), "The foundry and family names may not contain line breaks, tabs or "
                                            "other control characters"},
        {packageNames("ado\tbe", "Minion"), "The foundry and family names may not contain line breaks, tabs or "
                                            "other control characters"},
        // Quotes and shell characters are only text: the command lines quote them.
        {packageNames("o'brien", "$(x);y"), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(packageNamesProblem(c.first), c.second) << c.first.supplier.toStdString();
}

TEST(TdsLayout, LooseFilesArePlacedByKind)
{
    test::TestEnv env;
    const PackageNames pkg{"urw", "Palatino"};
    struct Case {
        const char* name;
        QStringList files;
        QStringList folders; // the blocks' folders, in order
        QString problem;
    };
    const QString mix = "You should not make a package with a mix of fonts of different types. Bailing out!";
    const QList<Case> cases = {
        {"Type 1 with metrics and map",
         {"a.pfb", "a.afm", "a.map", "t1a.fd"},
         {"fonts/afm/urw/Palatino", "fonts/map/dvips/Palatino", "fonts/type1/urw/Palatino", "tex/latex/urw/Palatino"},
         {}},
        {"upper-case extensions alike", {"FOO.PFB", "FOO.MAP"}, {"fonts/map/dvips/Palatino", "fonts/type1/urw/Palatino"}, {}},
        {"TrueType map for pdfTeX", {"a.ttf", "a.map"}, {"fonts/map/pdftex/Palatino", "fonts/truetype/urw/Palatino"}, {}},
        {"OpenType map not placed", {"a.otf", "a.map", "a.afm"}, {"fonts/afm/urw/Palatino", "fonts/opentype/urw/Palatino"}, {}},
        {"metric-only package keeps its map",
         {"a.tfm", "a.vf", "a.map", "a.enc"},
         {"fonts/map/dvips/Palatino", "fonts/enc/dvips/Palatino", "fonts/tfm/urw/Palatino", "fonts/vf/urw/Palatino"},
         {}},
        {"other files left out", {"README", "name.", "x.tar.gz", "a.sty"}, {"tex/latex/urw/Palatino"}, {}},
        {"Type 1 and TrueType", {"a.pfb", "b.ttf"}, {}, mix},
        {"OpenType and Type 1", {"a.otf", "b.PFA"}, {}, mix},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList paths;
        for (const QString& f : c.files)
            paths << "/x/" + f;
        const LoosePlan plan = planLooseFiles(c.files, paths, pkg);
        EXPECT_EQ(plan.problem, c.problem);
        QStringList folders;
        for (const LooseBlock& b : plan.blocks)
            folders << b.folder;
        EXPECT_EQ(folders, c.folders);
        EXPECT_EQ(plan.mapNames, c.problem.isEmpty() ? c.files.filter(QRegularExpression("\\.map$",
                                                                                         QRegularExpression::CaseInsensitiveOption))
                                                     : QStringList());
    }
}

TEST(TdsLayout, BuildLineCopiesNamesAsTheyAreAndRunsNothing)
{
    test::TestEnv env;
    // A file name with both quotes, a ";" and a command substitution; a
    // supplier with a blank and a quote.
    const QString hostile = "it's \"x\";touch PWNED;$(touch PWNED2).pfb";
    const QString src = env.writeFile("drop/" + hostile, "outline");
    const QString afm = env.writeFile("drop/a b.afm", "metrics");
    const QString scratch = env.root() + "/tmp1234567";
    QDir().mkpath(scratch);
    const LoosePlan plan = planLooseFiles({hostile, "a b.afm"}, {src, afm}, PackageNames{"o'neil foundry", "Fam"});
    const QString line = looseBuildCommand(scratch, plan);
    EXPECT_TRUE(line.startsWith("cd " + shellQuote(scratch) + " && "));
    runShellQuiet("cd " + shellQuote(env.root()) + " && " + line);
    EXPECT_EQ(lastShell.errorCode, 0) << lastShell.errorOutput.toStdString();
    EXPECT_EQ(test::readBytes(scratch + "/fonts/type1/o'neil foundry/Fam/" + hostile), QByteArray("outline"));
    EXPECT_EQ(test::readBytes(scratch + "/fonts/afm/o'neil foundry/Fam/a b.afm"), QByteArray("metrics"));
    for (const QString& dir : {env.root(), scratch, env.root() + "/drop"}) {
        EXPECT_FALSE(QFileInfo::exists(dir + "/PWNED"));
        EXPECT_FALSE(QFileInfo::exists(dir + "/PWNED2"));
    }
    // A failing copy fails the whole line.
    QFile::remove(src);
    runShellQuiet(line);
    EXPECT_NE(lastShell.errorCode, 0);
}

TEST(TdsLayout, FontPackageTestAndMapFiles)
{
    test::TestEnv env;
    env.writeFile("doconly/doc/fonts/x/x.pdf", "%PDF");
    EXPECT_FALSE(hasFontPackageFiles(env.root() + "/doconly"));
    EXPECT_TRUE(mapFilesIn(env.root() + "/doconly").isEmpty());
    env.writeFile("sty/tex/latex/x/X.STY", "");
    EXPECT_TRUE(hasFontPackageFiles(env.root() + "/sty"));
    env.writeFile("maps/fonts/map/dvips/x/A.MAP", "");
    env.writeFile("maps/fonts/map/dvips/x/b.map", "");
    env.writeFile("maps/fonts/map/dvips/x/b.map.txt", "");
    EXPECT_EQ(mapFilesIn(env.root() + "/maps"),
              (QStringList{env.root() + "/maps/fonts/map/dvips/x/A.MAP", env.root() + "/maps/fonts/map/dvips/x/b.map"}));
}

TEST(TdsLayout, MapClashesByNameAnyCase)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    const QString dist = env.writeFile("dist/fonts/map/dvips/palatino/UPL.map", "x");
    const QString home = env.writeFile("home/texmf/fonts/map/pdftex/p/upl.map", "x");
    env.writeFile("home/texmf/fonts/map/dvips/updmap/upl.map", "output, not an installed map");
    env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/x/upl.map", "impermanent");
    env.writeFile("dist/fonts/map/dvips/other/xupl.map", "");
    EXPECT_EQ(installedMapsNamed("upl.map", installedMapRoots()), (QStringList{dist, home}));
    EXPECT_TRUE(installedMapsNamed("zzz.map", installedMapRoots()).isEmpty());
}

TEST(TdsLayout, ScratchFolderAndDisplay)
{
    test::TestEnv env;
    const QString a = makeTdsScratch();
    const QString b = makeTdsScratch();
    EXPECT_NE(a, b);
    for (const QString& s : {a, b}) {
        EXPECT_TRUE(QFileInfo(s).isDir());
        EXPECT_TRUE(QRegularExpression("^tmp[1-9][0-9]{6}$").match(QFileInfo(s).fileName()).hasMatch());
        EXPECT_EQ(QFileInfo(s).absolutePath(), env.home() + "/Documents");
        EXPECT_EQ(displayPath(s), "~/Documents/" + QFileInfo(s).fileName());
    }
}

TEST(TdsLayout, DropListTakesEachPathOnce)
{
    test::TestEnv env;
    QStringList listed;
    EXPECT_EQ(addDropped(listed, {"/a", "/b", "/a"}), (QStringList{"/a", "/b"}));
    EXPECT_EQ(addDropped(listed, {"/b", "/c", "/A"}), (QStringList{"/c", "/A"}));
    EXPECT_EQ(listed, (QStringList{"/a", "/b", "/c", "/A"}));
    EXPECT_TRUE(explainText().startsWith("If you drop a zip file that contains a TDS"));
    EXPECT_TRUE(explainText().contains(".afm, .vf, .tfm, .map,.pfa, .pfb and .ttf are copied"));
}

TEST(ArchiveCheck, KindsAndUnsafeEntries)
{
    test::TestEnv env;
    EXPECT_EQ(archiveKindOf("FONTS.ZIP"), ArchiveKind::Zip);
    EXPECT_EQ(archiveKindOf("x.tgz"), ArchiveKind::Tgz);
    EXPECT_EQ(archiveKindOf("X.TGZ"), ArchiveKind::Tgz);
    EXPECT_EQ(archiveKindOf("x.tar.gz"), ArchiveKind::None);

    const QList<ArchiveEntry> entries = {
        {"fonts/", 'd'},         {"fonts/a.pfb", '-'}, {"fonts/b.pfb", '?'},  {"../evil", '-'},
        {"fonts/../../x", '-'},  {"/etc/x", '-'},      {"fonts/link", 'l'},   {"hard", 'h'},
        {"dev", 'c'},            {"..\\win", '-'},     {"fonts/..x/ok", '-'}, {"fonts/x..", '-'},
        {"tex/a^Jb.sty", '-', 1, true},
    };
    EXPECT_EQ(unsafeEntries(entries),
              (QStringList{"../evil (leads out of the folder with \"..\")",
                           "fonts/../../x (leads out of the folder with \"..\")", "/etc/x (absolute path)",
                           "fonts/link (symbolic link)", "hard (hard link)", "dev (not a plain file or folder)",
                           "..\\win (leads out of the folder with \"..\")",
                           "tex/a^Jb.sty (its name holds a line break or another control character)"}));

    // Names as the listings show them: unzip writes control characters as
    // "^" and a letter, tar (in escape style) as a backslash escape.
    const struct {
        const char* listed;
        ArchiveKind kind;
        bool control;
    } names[] = {
        {"tex/a^Jb.sty", ArchiveKind::Zip, true},     {"a^?", ArchiveKind::Zip, true},
        {"a^[b", ArchiveKind::Zip, true},             {"a^b.sty", ArchiveKind::Zip, false},
        {"a^jb", ArchiveKind::Zip, false},            {"a\\nb", ArchiveKind::Zip, false},
        {"tex/a\\nb.sty", ArchiveKind::Tgz, true},    {"a\\tb", ArchiveKind::Tgz, true},
        {"a\\001b", ArchiveKind::Tgz, true},          {"a\\177", ArchiveKind::Tgz, true},
        {"caf\\303\\251.sty", ArchiveKind::Tgz, false}, {"a\\\\nb", ArchiveKind::Tgz, false},
        {"a^Jb", ArchiveKind::Tgz, false},            {"plain.sty", ArchiveKind::Tgz, false},
    };
    for (const auto& n : names)
        EXPECT_EQ(listedWithControlChar(n.listed, n.kind), n.control) << n.listed;

    // Sizes that differ but would read the same are given in bytes.
    const struct {
        qint64 first, second;
        const char* a;
        const char* b;
    } sizes[] = {
        {6718, 6700, "6718 bytes", "6700 bytes"},
        {50000000, 1000, "50.0 MB", "1.0 KB"},
        {1073741825, 1073741824, "1073741825 bytes", "1073741824 bytes"},
        {512, 500, "512 bytes", "500 bytes"},
        {6700, 6700, "6.7 KB", "6.7 KB"},
    };
    for (const auto& z : sizes)
        EXPECT_EQ(byteTexts(z.first, z.second), qMakePair(QString(z.a), QString(z.b))) << z.a;
    setMaxUnpackedBytesForTesting(1000000);
    EXPECT_EQ(spaceProblem(1000018, env.root()),
              "Unpacked it would take 1000018 bytes, more than the 1000000 bytes a font package may take.");
    setMaxUnpackedBytesForTesting(0);
}

TEST(ArchiveCheck, ListsRealArchives)
{
    test::TestEnv env;
    env.writeFile("w/in/fonts/type1/a b.pfb", "x");
    env.writeFile("w/evil.txt", "x");
    const QString in = shellQuote(env.root() + "/w/in");
    QFile::link("/etc/hostname", env.root() + "/w/in/fonts/link");
    ASSERT_EQ(runBash("cd " + in + " && zip -qr ../good.zip fonts/type1 && zip -q ../bad.zip fonts/type1/'a b.pfb' "
                      "../evil.txt && zip -qy ../link.zip fonts/link && tar -czf ../good.tgz fonts/type1 && "
                      "tar -czPf ../bad.tgz fonts/type1 ../evil.txt && tar -czf ../link.tgz fonts/link && "
                      "mkdir -p tex && printf x > tex/a$'\\n'b.sty && printf x > tex/caf$'\\xc3\\xa9'.sty && "
                      "zip -q ../newline.zip tex/* && tar -czf ../newline.tgz tex/*")
                  .exitCode,
              0);
    struct Case {
        const char* file;
        ArchiveKind kind;
        int entries;
        int unsafe;
    };
    for (const Case& c : {Case{"good.zip", ArchiveKind::Zip, 2, 0}, Case{"bad.zip", ArchiveKind::Zip, 2, 1},
                          Case{"link.zip", ArchiveKind::Zip, 1, 1}, Case{"good.tgz", ArchiveKind::Tgz, 2, 0},
                          Case{"bad.tgz", ArchiveKind::Tgz, 3, 1}, Case{"link.tgz", ArchiveKind::Tgz, 1, 1},
                          Case{"newline.zip", ArchiveKind::Zip, 2, 1}, Case{"newline.tgz", ArchiveKind::Tgz, 2, 1}}) {
        SCOPED_TRACE(c.file);
        const ArchiveListing listing = listArchive(env.root() + "/w/" + c.file, c.kind);
        ASSERT_TRUE(listing.ok) << listing.error.toStdString();
        EXPECT_EQ(listing.entries.size(), c.entries);
        EXPECT_EQ(unsafeEntries(listing.entries).size(), c.unsafe);
        if (QString(c.file).startsWith("good")) {
            EXPECT_EQ(unpackedSize(listing.entries), 1); // the one byte of "a b.pfb"
        }
        // The entry with a line break is named (unzip lists "a^Jb.sty" and
        // would write "ab.sty"); the one with an accent is no control.
        if (QString(c.file).startsWith("newline")) {
            EXPECT_TRUE(unsafeEntries(listing.entries).value(0).startsWith("tex/a"));
            EXPECT_TRUE(unsafeEntries(listing.entries).value(0).endsWith(
                "b.sty (its name holds a line break or another control character)"));
        }
    }
    // Not an archive at all: unreadable, with the tool's exit status.
    const ArchiveListing junk = listArchive(env.writeFile("junk.zip", "not a zip"), ArchiveKind::Zip);
    EXPECT_FALSE(junk.ok);
    EXPECT_FALSE(junk.error.isEmpty());
}

namespace {
// Every entry below `folder`, hidden ones included, relative to it.
QStringList entriesBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}
} // namespace

// Listed sizes are claims: added without overflow, a zip64 claim beyond
// what qint64 holds reads as the largest, and names that unpack to one
// file are found however they are spelled.
TEST(ArchiveCheck, ClaimedSizesAddUpSafelyAndRepeatedNamesAreFound)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    EXPECT_EQ(unpackedSize({{"a", '-', most - 1}, {"b", '-', 5}}), most);
    EXPECT_EQ(unpackedSize({{"a", '-', qint64(3) << 61}, {"b", '-', qint64(3) << 61}}), most);
    EXPECT_EQ(unpackedSize({{"a", '-', 7}, {"b", '-', -3}, {"c", '-', 5}}), 12);

    test::TestEnv env;
    const QString zip = env.root() + "/claims.zip";
    ASSERT_EQ(test::writeHostileZip(zip, {{"fonts/a.pfb", "text:x", qint64(6) << 60},
                                          {"fonts/b.pfb", "text:y", qint64(6) << 60},
                                          {"fonts/c.pfb", "text:z", -2}}),
              "");
    // The last claims 2^64 - 1, beyond what qint64 holds.
    ArchiveListing listing = listArchive(zip, ArchiveKind::Zip);
    ASSERT_TRUE(listing.ok) << listing.error.toStdString();
    ASSERT_EQ(listing.entries.size(), 3);
    EXPECT_EQ(listing.entries.at(0).size, qint64(6) << 60);
    EXPECT_EQ(listing.entries.at(2).size, most);
    EXPECT_EQ(unpackedSize(listing.entries), most);
    EXPECT_TRUE(spaceProblem(unpackedSize(listing.entries), env.root()).contains("more than the 1.1 GB"));

    EXPECT_EQ(duplicateEntries({{"fonts/", 'd'}, {"fonts/a.pfb", '-'}, {"./fonts/a.pfb", '-'}, {"fonts", 'd'},
                                {"fonts//b.pfb", '-'}, {"fonts/b.pfb", '-'}, {"fonts/b.pfb", '-'}, {"c", '-'}}),
              (QStringList{"fonts/a.pfb", "fonts/b.pfb"}));
    const QString twice = env.root() + "/twice.zip";
    ASSERT_EQ(test::writeHostileZip(twice, {{"fonts/a.pfb", "text:first", -1}, {"fonts/a.pfb", "text:second", -1}}),
              "");
    listing = listArchive(twice, ArchiveKind::Zip);
    ASSERT_TRUE(listing.ok) << listing.error.toStdString();
    EXPECT_EQ(duplicateEntries(listing.entries), QStringList{"fonts/a.pfb"});
}

// The bytes an archive really holds decide, counted before anything is
// written: a claim that lies, or a total beyond the limit, is refused
// with nothing left in the folder; a sound archive lands whole, and the
// hidden folder it was unpacked in is gone.
TEST(ArchiveCheck, UnpackCountsWhatTheEntriesReallyHold)
{
    test::TestEnv env;
    const QString w = env.root() + "/w";
    QDir().mkpath(w);
    // 50 MB of zeros pack into some 50 KB.
    ASSERT_EQ(test::writeHostileZip(w + "/lying.zip", {{"fonts/tfm/a.tfm", "zeros:50000000", 1000},
                                                       {"fonts/b.txt", "text:hello", -1}}),
              "");
    ASSERT_EQ(test::writeHostileZip(w + "/honest.zip", {{"fonts/tfm/a.tfm", "zeros:50000000", -1},
                                                        {"fonts/b.txt", "text:hello", -1}}),
              "");
    ASSERT_EQ(test::writeHostileZip(w + "/small.zip", {{"fonts/a.pfb", "text:outline", -1}}), "");
    ASSERT_EQ(test::writeHostileZip(w + "/short.zip", {{"fonts/tfm/a.tfm", "zeros:6718", 6700}}), "");
    ASSERT_EQ(runBash("cd " + shellQuote(w) + " && mkdir -p t/fonts && printf outline > t/fonts/a.pfb && "
                      "tar -czf small.tgz -C t fonts")
                  .exitCode,
              0);
    struct Case {
        const char* archive;
        qint64 limit;
        const char* refusal; // a piece of it; empty: unpacked
        QStringList files;   // what the folder then holds
    } cases[] = {
        {"lying.zip", qint64(1) << 20, "Unpacked it would take more than 1.0 MB, the most a font package may take.", {}},
        {"lying.zip", qint64(100) << 20, "Its entries hold 50.0 MB unpacked, but its list of entries gives 1.0 KB", {}},
        {"short.zip", 0, "Its entries hold 6718 bytes unpacked, but its list of entries gives 6700 bytes", {}},
        {"honest.zip", qint64(1) << 20, "Unpacked it would take more than 1.0 MB", {}},
        {"honest.zip", qint64(100) << 20, "", {"fonts", "fonts/b.txt", "fonts/tfm", "fonts/tfm/a.tfm"}},
        {"small.zip", 0, "", {"fonts", "fonts/a.pfb"}},
        {"small.tgz", 0, "", {"fonts", "fonts/a.pfb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1 within %2").arg(c.archive).arg(c.limit).toStdString());
        const QString folder = env.root() + "/into";
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        setMaxUnpackedBytesForTesting(c.limit);
        const QString archive = w + "/" + c.archive;
        const ArchiveKind kind = archiveKindOf(archive);
        const ArchiveListing listing = listArchive(archive, kind);
        ASSERT_TRUE(listing.ok);
        const UnpackResult r = unpackWithinLimits(archive, kind, folder, unpackedSize(listing.entries));
        setMaxUnpackedBytesForTesting(0);
        EXPECT_TRUE(r.refusal.contains(c.refusal)) << r.refusal.toStdString();
        EXPECT_EQ(r.ok, QString(c.refusal).isEmpty()) << r.failure.toStdString();
        EXPECT_EQ(entriesBelow(folder), c.files);
        if (r.ok) {
            EXPECT_EQ(test::readBytes(folder + "/" + c.files.last()).size(),
                      QString(c.archive) == "honest.zip" ? 50000000 : 7);
        }
    }
}

// An unpack that fails once begun (a damaged entry) or a file that grows
// past the limit as it is written: the hidden folder goes with what it
// held, and the folder keeps what it had.
TEST(ArchiveCheck, FailedUnpackLeavesTheFolderAsItWas)
{
    test::TestEnv env;
    const QString w = env.root() + "/w";
    QDir().mkpath(w);
    ASSERT_EQ(test::writeHostileZip(w + "/good.zip", {{"fonts/a.pfb", "text:DAMAGED-HERE and more", -1},
                                                      {"fonts/b.pfb", "text:fine", -1}}),
              "");
    // The first entry's checksum changed in both headers: it streams in
    // full, but unzip fails when it writes it.
    QByteArray bytes = test::readBytes(w + "/good.zip");
    bytes[14] = char(bytes.at(14) ^ 0x55);
    const int central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GT(central, 0);
    bytes[central + 16] = char(bytes.at(central + 16) ^ 0x55);
    env.writeFile("w/damaged.zip", bytes);
    const QString folder = env.writeFile("into/kept.txt", "kept").section('/', 0, -2);
    const ArchiveListing listing = listArchive(w + "/damaged.zip", ArchiveKind::Zip);
    ASSERT_TRUE(listing.ok);
    const UnpackResult r = unpackWithinLimits(w + "/damaged.zip", ArchiveKind::Zip, folder, unpackedSize(listing.entries));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.refusal.isEmpty()) << r.refusal.toStdString();
    EXPECT_EQ(r.failure, "2");
    EXPECT_EQ(entriesBelow(folder), QStringList{"kept.txt"});

    // The line that unpacks runs under a file-size limit.
    setMaxUnpackedBytesForTesting(4096);
    EXPECT_TRUE(unpackCommand("/a.zip", ArchiveKind::Zip, "/f").contains("prlimit"));
    EXPECT_TRUE(unpackCommand("/a.zip", ArchiveKind::Zip, "/f").contains(" --fsize=4096 "));
    setMaxUnpackedBytesForTesting(0);
}

namespace {
// The unzip that `caller` unpacks with (the process it started, which the
// shell, prlimit and unzip each took over), once it has stopped itself
// before its first write; 0 when none came within 60 seconds.
pid_t unpackerOf(pid_t caller)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat("/proc/" + pid + "/stat");
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            // "pid (comm) state ppid ..."
            const QByteArray line = stat.readAll();
            const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
            const QList<QByteArray> fields = line.mid(close + 2).split(' ');
            if (open < 0 || close < open || line.mid(open + 1, close - open - 1) != "unzip" ||
                fields.value(0) != "T" || fields.value(1).toInt() != caller)
                continue;
            QFile cmdline("/proc/" + pid + "/cmdline");
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(QByteArray("\0-qq\0", 5)))
                return pid.toInt();
        }
        ::usleep(10000);
    }
    return 0;
}

QStringList unpackFolders(const QString& folder)
{
    QStringList found;
    for (const QString& name : QDir(folder).entryList({".quillmark-unpack-*"}, QDir::Dirs | QDir::Hidden))
        found << folder + "/" + name;
    return found;
}
} // namespace

// A program killed in the middle of an unpack leaves no unzip running on,
// and nothing of the archive in place: only the hidden folder, which the
// next start removes. The folder of a copy of the program still unpacking
// is left alone until that copy has gone too.
TEST(ArchiveCheck, AKilledUnpackEndsWithItsProgramAndTheNextStartClearsItsFolder)
{
    test::TestEnv env;
    const QString docs = env.root() + "/Documents";
    const QString zip = env.root() + "/big.zip";
    ASSERT_EQ(test::writeHostileZip(zip, {{"fonts/type1/big.pfb", "zeros:1000000", -1}}), "");
    // The unpacking unzip stops itself before it begins, so that it is
    // caught there however fast the machine is; let on, it unpacks.
    env.writeScript("bin/unzip", "case \" $* \" in *' -qq '*) kill -STOP $$ ;; esac\n"
                                 "exec /usr/bin/unzip \"$@\"\n");
    const QByteArray path = (env.root() + "/bin:").toLocal8Bit() + qgetenv("PATH");
    const ArchiveListing listing = listArchive(zip, ArchiveKind::Zip);
    ASSERT_TRUE(listing.ok);
    // As the Install tab and MinionPro unpack: in a scratch folder, and in
    // a folder of one. A folder of that name elsewhere is not the program's.
    const QString killed = docs + "/tmp1000001";
    const QString running = docs + "/tmp1000002/TDS";
    const QString notOurs = docs + "/mine/.quillmark-unpack-mine";
    for (const QString& folder : {killed, running, notOurs})
        QDir().mkpath(folder);

    // What a killed process leaves running becomes this process's child.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    QList<pid_t> alive;
    const auto reap = [&](pid_t pid) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        alive.removeAll(pid);
        return status;
    };
    const auto cleanup = qScopeGuard([&] {
        for (const pid_t pid : QList<pid_t>(alive)) {
            ::kill(pid, SIGKILL);
            ::kill(pid, SIGCONT);
            reap(pid);
        }
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    });
    // A copy of the program unpacking into `folder`, its unzip stopped at
    // its start.
    const auto startUnpack = [&](const QString& folder, pid_t& program, pid_t& unzip) {
        program = ::fork();
        if (program == 0) {
            ::setenv("PATH", path.constData(), 1);
            const UnpackResult r = unpackWithinLimits(zip, ArchiveKind::Zip, folder, unpackedSize(listing.entries));
            ::_exit(r.ok ? 0 : 1);
        }
        alive << program;
        unzip = unpackerOf(program);
        if (unzip > 0)
            alive << unzip;
    };

    pid_t first = 0, firstUnzip = 0;
    startUnpack(killed, first, firstUnzip);
    ASSERT_GT(firstUnzip, 0) << "no unzip was caught unpacking";
    ::kill(first, SIGKILL);
    reap(first);
    // Were it still there, it would now finish the unpack.
    ::kill(firstUnzip, SIGCONT);
    const int status = reap(firstUnzip);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the unzip ran on: " << status;
    const QStringList left = unpackFolders(killed);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(QDir(killed).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList()) << "nothing in place";

    pid_t second = 0, secondUnzip = 0;
    startUnpack(running, second, secondUnzip);
    ASSERT_GT(secondUnzip, 0) << "no unzip was caught unpacking";
    const QStringList held = unpackFolders(running);
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(clearAbandonedUnpacks(docs),
              (QStringList{"Removed " + left.first() + ", left by an unpack that was stopped",
                           "Left " + held.first() + " alone: a running copy of the program is unpacking there"}));
    EXPECT_FALSE(QFileInfo::exists(left.first()));
    EXPECT_TRUE(QFileInfo::exists(held.first()));

    // That copy gone as well, its folder is a leftover too.
    ::kill(second, SIGKILL);
    reap(second);
    ::kill(secondUnzip, SIGCONT);
    reap(secondUnzip);
    EXPECT_EQ(clearAbandonedUnpacks(docs),
              QStringList{"Removed " + held.first() + ", left by an unpack that was stopped"});
    EXPECT_TRUE(clearAbandonedUnpacks(docs).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(notOurs));
}

TEST(TdsCheck, QuestionsInOrderAndTidying)
{
    struct Case {
        const char* name;
        QStringList files;       // made below the tree
        QList<bool> answers;     // Continue/Cancel, in order
        QStringList questions;   // expected
        bool result;
        QStringList gone;        // files that must be deleted
        QStringList kept;
    };
    const QString stray = strayFileQuestion();
    const QString noFonts = noFontsOrTexQuestion();
    const QList<Case> cases = {
        {"clean tree", {"fonts/a.pfb", "tex/latex/x.sty", "doc/r.txt"}, {}, {}, true, {}, {}},
        {"hidden files and ls-R go quietly",
         {".DS_Store", "ls-R", "fonts/ls-R", ".hidden/x"},
         {true},
         {folderNameQuestion(".hidden")},
         true,
         {".DS_Store", "ls-R"},
         {"fonts/ls-R", ".hidden/x"}},
        {"two stray files, one question", {"README", "ZZZ", "fonts/a.pfb"}, {true}, {stray}, true, {}, {"README"}},
        {"stray file, cancelled", {"README", "fonts/a.pfb"}, {false}, {stray}, false, {}, {}},
        {"wrapper folder", {"pkg/fonts/a.pfb"}, {true, true}, {noFonts, folderNameQuestion("pkg")}, true, {}, {}},
        {"wrapper folder, cancelled at its name", {"pkg/fonts/a.pfb"}, {true, false},
         {noFonts, folderNameQuestion("pkg")}, false, {}, {}},
        // TeX looks for "fonts", not "Fonts".
        {"upper-case folder name", {"Fonts/a.pfb"}, {true, true}, {noFonts, folderNameQuestion("Fonts")}, true, {}, {}},
        {"empty tree", {}, {true}, {noFonts}, true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        const QString tree = env.root() + "/tree";
        QDir().mkpath(tree);
        for (const QString& f : c.files)
            env.writeFile("tree/" + f, "x");
        QStringList asked;
        QList<bool> answers = c.answers;
        const bool result = checkTdsTree(tree, tdsTopLevelNames(), [&](const QString& q) {
            asked << q;
            return answers.isEmpty() ? false : answers.takeFirst();
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(asked, c.questions);
        for (const QString& f : c.gone)
            EXPECT_FALSE(QFileInfo::exists(tree + "/" + f)) << f.toStdString();
        for (const QString& f : c.kept)
            EXPECT_TRUE(QFileInfo::exists(tree + "/" + f)) << f.toStdString();
    }
}

TEST(TdsCheck, ChangesMadeBeforeContinueAreSeen)
{
    test::TestEnv env;
    const QString tree = env.root() + "/tree";
    env.writeFile("tree/pkg/fonts/a.pfb", "x");
    QStringList asked;
    // The user unwraps the tree while the first question is up.
    const bool result = checkTdsTree(tree, tdsTopLevelNames(), [&](const QString& q) {
        asked << q;
        QDir(tree).rename("pkg/fonts", "fonts");
        QDir(tree).rmdir("pkg");
        return true;
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(asked, QStringList{noFontsOrTexQuestion()});
}

TEST(TdsInstall, CommandLines)
{
    test::TestEnv env;
    const QString tree = env.root() + "/Documents/tmp1234567";
    env.writeFile("Documents/tmp1234567/fonts/map/dvips/updmap/psfonts.map", "x");
    env.writeFile("Documents/tmp1234567/fonts/map/dvipdfmx/updmap/kanjix.map", "x");
    env.writeFile("Documents/tmp1234567/fonts/map/dvips/a/a.map", "x");
    env.writeFile("Documents/tmp1234567/-x/odd name.txt", "x");
    for (const QString& line : updmapOutputRemovals(tree))
        runShellQuiet(line);
    EXPECT_FALSE(QFileInfo::exists(tree + "/fonts/map/dvips/updmap"));
    EXPECT_FALSE(QFileInfo::exists(tree + "/fonts/map/dvipdfmx/updmap"));
    EXPECT_TRUE(QFileInfo::exists(tree + "/fonts/map/dvips/a/a.map"));
    EXPECT_TRUE(updmapOutputRemovals(env.root()).isEmpty());

    runShell(zipTreeCommand(tree));
    ASSERT_EQ(lastShell.errorCode, 0) << lastShell.errorOutput.toStdString();
    EXPECT_EQ(treeArchive(tree), tree + "/tmp1234567.zip");
    // Zipping again replaces the archive, which never holds itself.
    runShell(zipTreeCommand(tree));
    ASSERT_EQ(lastShell.errorCode, 0);
    const QString target = env.root() + "/target dir";
    QDir().mkpath(target);
    runShellQuiet(unzipTreeCommand(tree, target, false));
    ASSERT_EQ(lastShell.errorCode, 0) << lastShell.errorOutput.toStdString();
    EXPECT_EQ(test::snapshot(target).keys(), (QStringList{"-x/odd name.txt", "fonts/map/dvips/a/a.map"}));
    EXPECT_TRUE(unzipTreeCommand(tree, target, true).startsWith("/usr/bin/sudo "));
    EXPECT_FALSE(QFileInfo::exists(installStagingFolder(target)));

    // An unzip that fails leaves the installed version whole and no staging folder.
    const auto installed = test::snapshot(target);
    QFile archive(treeArchive(tree));
    ASSERT_TRUE(archive.open(QIODevice::ReadWrite));
    archive.resize(archive.size() / 2);
    archive.close();
    runShellQuiet(unzipTreeCommand(tree, target, false));
    EXPECT_NE(lastShell.errorCode, 0);
    EXPECT_EQ(test::snapshot(target), installed);
    EXPECT_FALSE(QFileInfo::exists(installStagingFolder(target)));
    // An unzip into a missing folder fails, and says so.
    runShellQuiet(unzipTreeCommand(tree, env.root() + "/missing", false));
    EXPECT_NE(lastShell.errorCode, 0);
}

TEST(ListActions, MenusAndFiles)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    auto texts = [](const QList<MenuChoice>& items) {
        QStringList t;
        for (const MenuChoice& i : items)
            t << QString("%1:%2").arg(i.tag).arg(i.text);
        return t;
    };
    const QStringList four{"1:Show folder", "2:Contents of pdftex.map", "3:Contents of psfonts.map",
                           "4:Contents of dvipdfm.map"};
    EXPECT_EQ(texts(listbox1Menu(0, texmfSysVar + "/fonts/map/")), four);
    EXPECT_EQ(texts(listbox1Menu(0, texmfVar + "/fonts/map/")), four + QStringList{"100:Delete file"});
    EXPECT_EQ(texts(listbox1Menu(0, "  " + texmfHome + "/fonts/map/ ")), four + QStringList{"100:Delete file"});
    EXPECT_EQ(texts(listbox1Menu(0, env.root() + "/library/fonts/map/")), four);
    EXPECT_EQ(texts(listbox1Menu(0, QString())), four);
    EXPECT_EQ(texts(listbox1Menu(1, "x")), (QStringList{"100:Delete file", "101:Show contents"}));
    EXPECT_EQ(texts(listbox1Menu(2, "x")), QStringList{"101:Show contents"});
    EXPECT_EQ(texts(fontMapMenu()), QStringList{"1:Show contents"});

    const QString root = texmfVar + "/fonts/map/";
    env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/updmap/psfonts.map", "x");
    EXPECT_EQ(outputMapOf(root, 3), texmfVar + "/fonts/map/dvips/updmap/psfonts.map");
    EXPECT_TRUE(outputMapOf(root, 2).isEmpty());
    EXPECT_TRUE(outputMapOf(env.root() + "/nowhere/", 3).isEmpty());
    EXPECT_EQ(personalTreeOf(root), texmfVar);
    EXPECT_EQ(personalTreeOf(texmfHome + "/fonts/map/"), texmfHome);

    // Removing the output maps keeps everything else of the tree.
    env.writeFile("home/.texlive2022/texmf-var/fonts/map/pdftex/updmap/pdftex.map", "x");
    env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvipdfmx/updmap/kanjix.map", "x");
    const QString kept = env.writeFile("home/.texlive2022/texmf-var/fonts/map/dvips/a/a.map", "x");
    runShell(removeUpdmapOutputCommand(texmfVar));
    EXPECT_EQ(lastShell.errorCode, 0);
    EXPECT_EQ(test::snapshot(texmfVar + "/fonts").keys(), QStringList{"map/dvips/a/a.map"});
    EXPECT_TRUE(QFileInfo::exists(kept));
}

#include "afm2tfm/AfmDownload.h"
#include "afm2tfm/Afm2tfmBuild.h"
#include "fontinfo/BerryName.h"
#include "platform/HttpGet.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/HttpTestServer.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qlk;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {
QString tex(const char* name)
{
    return shellQuote(texProgram(QString::fromLatin1(name)));
}
} // namespace

TEST(Afm2tfmBuild, MetricAndRawNamesFollowTheEncoding)
{
    struct Case {
        QString base;
        int enc;
        bool raw;
        QString tfm, rawName;
    } cases[] = {
        {"uzcmi8a", EncDefault, false, "uzcmi8a", "uzcmi8a"},
        {"uzcmi8a", EncDefault, true, "uzcmi8a", "uzcmi7z"},
        {"uzcmi8a", EncLY1, true, "uzcmi8y", "uzcmi8a"},
        {"uzcmi8a", EncT1, false, "uzcmi8t", "uzcmi8a"},
        {"xyzr", EncT1, false, "xyzr8t", "xyzr"},
        {"xyzr", EncLY1, false, "xyzr8y", "xyzr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base.toStdString() + " " + std::to_string(c.enc));
        EXPECT_EQ(metricName(c.base, c.enc), c.tfm);
        EXPECT_EQ(rawFontName(c.base, c.enc, c.raw), c.rawName);
    }
}

TEST(Afm2tfmBuild, Afm2tfmCommandLines)
{
    const QString head = "cd /w/tmp1234567 && " + tex("afm2tfm") + " ";
    struct Case {
        QString options;
        int enc;
        bool raw;
        QString tail;
    } cases[] = {
        {"", EncDefault, false, "uzcmi8a -v uzcmi8a"},
        {"", EncLY1, false, "uzcmi8a -T texnansx.enc -v uzcmi8y"},
        {"", EncT1, false, "uzcmi8a -T ec.enc -v uzcmi8t"},
        {"  -s .167 ", EncDefault, false, "uzcmi8a -s .167 -v uzcmi8a"},
        {"-s .167", EncT1, false, "uzcmi8a -s .167 -T ec.enc -v uzcmi8t"},
        {"", EncDefault, true, "uzcmi8a -v uzcmi8a uzcmi7z"},
        {"", EncLY1, true, "uzcmi8a -T texnansx.enc -v uzcmi8y"},
        // Typed options are words, never shell code.
        {"-e 1.2 $(touch x)", EncDefault, false, "uzcmi8a -e 1.2 '$(touch' 'x)' -v uzcmi8a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail.toStdString());
        EXPECT_EQ(afm2tfmCommand("/w/tmp1234567", "uzcmi8a", c.options, c.enc, c.raw), head + c.tail);
    }
    EXPECT_EQ(afm2tfmCommand("/my docs/tmp1", "xyzr", "", EncT1, false),
              "cd '/my docs/tmp1' && " + tex("afm2tfm") + " xyzr -T ec.enc -v xyzr8t");
}

TEST(Afm2tfmBuild, DesignSizeCells)
{
    struct Case {
        QString cell;
        bool ok;
        QString ds;
    } cases[] = {
        {"", true, ""},        {"10", true, ""},       {" 0 ", true, ""},     {"12", true, "12.0"},
        {"12.", true, "12.0"}, {"12.0", true, "12.0"}, {"9.5", true, "9.5"},  {".5", true, ".5"},
        {"10.0", true, "10.0"}, {"abc", false, ""},    {"-3", false, ""},     {"12pt", false, ""},
        {"0.0", false, ""},    {"1 2", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell.toStdString());
        QString ds = "stale";
        EXPECT_EQ(designSizeOf(c.cell, &ds), c.ok);
        EXPECT_EQ(ds, c.ds);
    }
}

TEST(Afm2tfmBuild, DesignSizePatchReplacesTheFirstDesignSizeLineOnly)
{
    QStringList lines{"(FAMILY TeX-x)", "(DESIGNSIZE R 10.0)", "(COMMENT DESIGNSIZE (1 em) IS IN POINTS)"};
    EXPECT_TRUE(patchDesignSize(lines, "12.0"));
    EXPECT_EQ(lines, QStringList({"(FAMILY TeX-x)", "(DESIGNSIZE R 12.0)", "(COMMENT DESIGNSIZE (1 em) IS IN POINTS)"}));
    QStringList none{"(FAMILY TeX-x)", "   (DESIGNSIZE R 10.0)"};
    EXPECT_FALSE(patchDesignSize(none, "12.0"));
    EXPECT_EQ(none.at(1), "   (DESIGNSIZE R 10.0)");
}

// afm2tfm's virtual property list, made fit for pltotf, gives exactly the
// metric file vptovf makes of the original.
TEST(Afm2tfmBuild, StrippedVirtualListCompilesToVptovfsMetrics)
{
    test::TestEnv env;
    const QString afm = test::texFile("uzcmi8a.afm");
    ASSERT_FALSE(afm.isEmpty());
    const QString work = env.root() + "/work";
    QDir().mkpath(work);
    ASSERT_TRUE(QFile::copy(afm, work + "/uzcmi8a.afm"));
    ProcessResult r = runBash(afm2tfmCommand(work, "uzcmi8a", "", EncDefault, false));
    ASSERT_EQ(r.exitCode, 0) << r.errorOutput.toStdString();
    EXPECT_TRUE(r.output.startsWith("uzcmi8a URWChanceryL-MediItal"));

    const QString vpl = QString::fromLatin1(test::readBytes(work + "/uzcmi8a.vpl"));
    ASSERT_TRUE(vpl.contains("(MAPFONT"));
    const QString pl = stripVirtualGroups(vpl);
    EXPECT_FALSE(pl.contains("(VTITLE"));
    EXPECT_FALSE(pl.contains("(MAPFONT"));
    EXPECT_FALSE(pl.contains("(MAP"));
    EXPECT_TRUE(pl.contains("(DESIGNSIZE R 10.0)"));
    EXPECT_TRUE(pl.contains("(LIGTABLE"));
    QFile out(work + "/uzcmi8a.pl");
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(pl.toLatin1());
    out.close();
    r = runBash(pltotfCommand(work, "uzcmi8a.pl"));
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    r = runBash("cd " + shellQuote(work) + " && " + tex("vptovf") + " uzcmi8a.vpl v.vf v.tfm");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    EXPECT_EQ(test::readBytes(work + "/uzcmi8a.tfm"), test::readBytes(work + "/v.tfm"));
}

TEST(Afm2tfmBuild, CopyPlansByKind)
{
    const QStringList afmlist{"uzcmi8a", "xyzr8a"};
    const QList<bool> instpfb{true, false};
    const QString w = "/w";
    auto plan = [&](const char* name) {
        const DroppedCopy p = droppedCopy(w, name, afmlist, instpfb, "urw", "Old Style");
        return QStringList{p.copy, p.pfb};
    };
    EXPECT_EQ(plan("uzcmi8a.afm"), (QStringList{"/w/uzcmi8a.afm", ""}));
    // The installed PFB is not copied, nor is one without its AFM.
    EXPECT_EQ(plan("uzcmi8a.pfb"), (QStringList{"", ""}));
    EXPECT_EQ(plan("abc.pfb"), (QStringList{"", ""}));
    EXPECT_EQ(plan("xyzr8a.pfb"), (QStringList{"/w/TDS/fonts/type1/urw/Old Style/xyzr8a.pfb", ""}));
    EXPECT_EQ(plan("xyzr8a.pfa"), (QStringList{"/w/xyzr8a.pfa", "/w/TDS/fonts/type1/urw/Old Style/xyzr8a.pfb"}));
    EXPECT_EQ(plan("notes.txt"), (QStringList{"", ""}));
    EXPECT_EQ(t1binaryCommand("/w/a b.pfa", "/w/a b.pfb"), tex("t1binary") + " '/w/a b.pfa' '/w/a b.pfb'");
    EXPECT_EQ(skeletonCommand(w, "urw", "Old Style"),
              "cd /w && " + shellQuote(systemProgram("mkdir")) +
                  " -p 'TDS/fonts/afm/urw/Old Style' 'TDS/fonts/map/dvips/urw/Old Style' "
                  "'TDS/fonts/type1/urw/Old Style' 'TDS/fonts/tfm/urw/Old Style' 'TDS/tex/latex/urw/Old Style'");
}

// The copies the plans ask for: a PFB as it is, a PFA turned into a PFB
// from its copy; an outline linked to /dev/zero is refused by name at
// once and leaves no file.
TEST(Afm2tfmBuild, DroppedFilesAreCopiedOnlyWhenRegular)
{
    test::TestEnv env;
    const QString w = env.root() + "/w";
    const QString branch = w + "/TDS/fonts/type1/urw/Old Style";
    QDir().mkpath(branch);
    const QString in = env.root() + "/in";
    QDir().mkpath(in);
    const QString pfb = test::texFile("uplr8a.pfb");
    ASSERT_TRUE(QFile::copy(pfb, in + "/xyzr8a.pfb"));
    ASSERT_EQ(runBash("t1ascii " + shellQuote(pfb) + " " + shellQuote(in + "/xyzb8a.pfa")).exitCode, 0);
    ASSERT_TRUE(QFile::link("/dev/zero", in + "/xyzi8a.pfb"));
    const QStringList afmlist{"xyzr8a", "xyzb8a", "xyzi8a"};
    const QList<bool> instpfb{false, false, false};
    auto copy = [&](const char* name) {
        return copyDroppedFile(in + "/" + name, droppedCopy(w, name, afmlist, instpfb, "urw", "Old Style"));
    };
    EXPECT_EQ(copy("xyzr8a.pfb"), "");
    EXPECT_EQ(test::readBytes(branch + "/xyzr8a.pfb"), test::readBytes(pfb));
    EXPECT_EQ(copy("xyzb8a.pfa"), "");
    EXPECT_TRUE(test::readBytes(branch + "/xyzb8a.pfb").startsWith("\x80\x01"));
    EXPECT_TRUE(QFileInfo(w + "/xyzb8a.pfa").isFile());
    EXPECT_EQ(copy("xyzi8a.pfb"), in + "/xyzi8a.pfb: it is not a regular file (a device)");
    EXPECT_FALSE(QFileInfo::exists(branch + "/xyzi8a.pfb"));
}

TEST(Afm2tfmBuild, MapAndFdTexts)
{
    const QStringList maplines{"pzcmi8a ZapfChancery-MediumItalic <pzcmi8a.pfb"};
    EXPECT_EQ(mapFileText("2026-01-02 03:04:05", maplines),
              "% Created by Quillmark 2026-01-02 03:04:05\npzcmi8a ZapfChancery-MediumItalic <pzcmi8a.pfb\n");
    EXPECT_EQ(familyMapName("Old Style"), "OldStyle.map");
    EXPECT_EQ(fdFileText("2026-01-02 03:04:05", EncDefault, "pzc", "Old Style", {"m}{it"}, maplines),
              "% Created by Quillmark [2026-01-02 03:04:05]\n"
              "\\ProvidesFile{upzc.fd}\n"
              "[ Old Style (Unknown encoding)]\n"
              "\\DeclareFontFamily{U}{pzc}{}\n"
              "\\DeclareFontShape{U}{pzc}{m}{it}{<-> pzcmi8a}{}\n"
              "\\endinput\n");
    const QString ly1 = fdFileText("s", EncLY1, "abc", "Abc", {"m}{n", "b}{n"}, {"abcr8a A <abcr8a.pfb", "abcb8a B"});
    EXPECT_TRUE(ly1.contains("\\ProvidesFile{ly1abc.fd}\n[ Abc (LY1 encoding)]\n\\DeclareFontFamily{LY1}{abc}{}\n"));
    EXPECT_TRUE(ly1.contains("{LY1}{abc}{m}{n}{<-> abcr8a}{}\n\\DeclareFontShape{LY1}{abc}{b}{n}{<-> abcb8a}{}\n"));
    EXPECT_EQ(fdFileName(EncT1, "abc"), "t1abc.fd");
    EXPECT_TRUE(fdFileText("s", EncT1, "abc", "Abc", {}, {}).contains("[ Abc (T1 encoding)]\n"));
}

TEST(Afm2tfmBuild, MapLinesNameTheMetricThatCarriesLigatures)
{
    const QString ec = "URWGothicL-Book \" ECEncoding ReEncodeFont \" <ec.enc";
    struct Case {
        QString printed, base;
        int enc;
        QString line;
    } cases[] = {
        {"uagk8a " + ec, "uagk8a", EncT1, "uagk8t " + ec + " <uagk8a.pfb"},
        {"xyzr URWGothicL-Book \" TeXnANSIEncoding ReEncodeFont \" <texnansx.enc", "xyzr", EncLY1,
         "xyzr8y URWGothicL-Book \" TeXnANSIEncoding ReEncodeFont \" <texnansx.enc <xyzr.pfb"},
        // The default encoding keeps afm2tfm's name, a raw font's too.
        {"pzcmi8a ZapfChancery-MediumItalic", "pzcmi8a", EncDefault, "pzcmi8a ZapfChancery-MediumItalic <pzcmi8a.pfb"},
        {"pzcmi7z ZapfChancery-MediumItalic", "pzcmi8a", EncDefault, "pzcmi7z ZapfChancery-MediumItalic <pzcmi8a.pfb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(packageMapLine(c.printed, c.base, c.enc), c.line);
    EXPECT_EQ(outlineCopyPath("/w", "abc.pfa", "urw", "Old Style"), "/w/TDS/fonts/type1/urw/Old Style/abc.pfb");
    EXPECT_EQ(outlineCopyPath("/w", "abc.PFB", "urw", "Old Style"), "/w/TDS/fonts/type1/urw/Old Style/abc.PFB");
    EXPECT_EQ(outlineCopyPath("/w", "abc.afm", "urw", "Old Style"), "");
}

TEST(Afm2tfmBuild, WeightShapePairs)
{
    struct Case {
        const char* weight; // nullptr: key absent
        const char* variants;
        QString pair;
    } cases[] = {
        {"r", "", "m}{n"}, {"r", "i", "m}{it"}, {"r", "c", "m}{n"}, {"r", "o", "m}{n"},
        {"b", "i", "b}{it"}, {nullptr, nullptr, "m}{n"}, {"m", "i", "m}{it"},
    };
    for (const Case& c : cases) {
        BerryNameInfo info;
        if (c.weight)
            info.set("WeightCode", c.weight);
        if (c.variants)
            info.set("vlist", c.variants);
        EXPECT_EQ(weightShapePair(info), c.pair);
    }
    EXPECT_FALSE(hasRepeatedPairs({"m}{n", "m}{it"}));
    EXPECT_TRUE(hasRepeatedPairs({"m}{n", "b}{n", "M}{N"}));
}

TEST(Afm2tfmBuild, InstallCommandsQuoteTheFolders)
{
    const QString mkdir = shellQuote(systemProgram("mkdir"));
    const QString mv = shellQuote(systemProgram("mv"));
    const QString cp = shellQuote(systemProgram("cp"));
    EXPECT_EQ(installFoldersCommand("/w", "adobe", "Foo"),
              "cd /w && " + mkdir +
                  " -p TDS/fonts/afm/adobe/Foo TDS/fonts/tfm/adobe/Foo TDS/fonts/map/dvips/adobe/Foo "
                  "TDS/tex/latex/adobe/Foo");
    EXPECT_EQ(installMovesCommand("/w", "adobe", "Old Style"),
              "cd /w && " + mv + " -f -- *.afm 'TDS/fonts/afm/adobe/Old Style' && " + mv +
                  " -f -- *.tfm 'TDS/fonts/tfm/adobe/Old Style' && " + mv +
                  " -f -- *.map 'TDS/fonts/map/dvips/adobe/Old Style' && " + mv +
                  " -f -- *.fd 'TDS/tex/latex/adobe/Old Style'");
    EXPECT_EQ(installCopyCommand("/my w", "/usr/local/share/texmf", true),
              "/usr/bin/sudo " + mkdir + " -p /usr/local/share/texmf && /usr/bin/sudo " + cp +
                  " -rpf '/my w/TDS'/* /usr/local/share/texmf");
    EXPECT_EQ(installCopyCommand("/w", "/h/my texmf", false),
              mkdir + " -p '/h/my texmf' && " + cp + " -rpf /w/TDS/* '/h/my texmf'");
}

TEST(Afm2tfmBuild, ParsefdFindsTheFirstFontLoadedDirectly)
{
    test::TestEnv env;
    const QString subFirst = env.writeFile("a.fd", "\\ProvidesFile{a.fd}\n\\DeclareFontFamily{T1}{abc}{}\n"
                                                   "\\DeclareFontShape{T1}{abc}{m}{sl}{<-> ssub * abc/m/it}{}\n"
                                                   "\\DeclareFontShape{T1}{abc}{m}{it}{<-> s * [0.9] abcri8t}{}\n"
                                                   "\\DeclareFontShape{T1}{abc}{m}{n}{<-> abcr8t}{}\n\\endinput\n");
    const QString allSub = env.writeFile("b.fd", "\\DeclareFontShape{T1}{abc}{m}{sl}{<-> ssub * abc/m/it}{}\n");
    const QString none = env.writeFile("c.fd", "\\ProvidesFile{c.fd}\n\\endinput\n");
    EXPECT_EQ(parsefd(subFirst), "abcri8t");
    EXPECT_EQ(parsefd(allSub), "");
    EXPECT_EQ(parsefd(none), "");
    EXPECT_EQ(parsefd(env.root() + "/missing.fd"), "");
    EXPECT_EQ(parsefd(env.root()), "");
}

TEST(Afm2tfmBuild, FolderContentsAndPrefixes)
{
    test::TestEnv env;
    env.writeFile("f/ptmr8a.AFM", "x");
    env.writeFile("f/ptmr8a.PFB", "x");
    env.writeFile("f/ptmri8a.pfa", "x");
    env.writeFile("f/readme.txt", "x");
    env.writeFile("f/sub/ptmb8a.afm", "x");
    const FontFolderContents c = fontFolderContents(env.root() + "/f");
    EXPECT_EQ(c.fontfilename, QStringList({"ptmr8a.AFM", "ptmr8a.PFB", "ptmri8a.pfa"}));
    EXPECT_EQ(c.fontfilepath.value(0), env.root() + "/f/ptmr8a.AFM");
    EXPECT_EQ(c.afmlist, QStringList({"ptmr8a"}));
    EXPECT_EQ(c.pflist, QStringList({"ptmr8a", "ptmri8a"}));

    EXPECT_EQ(berryPrefixes({"ptmr8a", "phvr8a", "ptmb8a"}), QStringList({"ptm", "phv"}));
    EXPECT_EQ(berryPrefixes({"PTMr8a", "ptmb8a"}), QStringList({"PTM"}));
}

// Who else loads an installed outline, from pdftex.map as updmap-sys
// writes it on Debian (lines recorded from TeX Live 2022).
TEST(Afm2tfmBuild, OtherFontsThatLoadAnOutline)
{
    const QString map =
        "% /var/lib/texmf/fonts/map/pdftex/updmap/pdftex_dl14.map:\n"
        "% maintained by updmap[-sys] (multi).\n"
        "% ps2pk35.map\n"
        "pbkl8r URWBookmanL-Ligh \" TeXBase1Encoding ReEncodeFont \" <8r.enc <ubkl8a.pfb\n"
        "pbklo8r URWBookmanL-Ligh \" .167 SlantFont TeXBase1Encoding ReEncodeFont \" <8r.enc <ubkl8a.pfb\n"
        "% ubk.map\n"
        "ubkd8r URWBookmanL-DemiBold \" TeXBase1Encoding ReEncodeFont \" <8r.enc <ubkd8a.pfb\n"
        "ubkl8r URWBookmanL-Ligh \" TeXBase1Encoding ReEncodeFont \" <8r.enc <ubkl8a.pfb\n"
        "% qlkbook.map\n"
        "qlkl8r QlkBook \" TeXBase1Encoding ReEncodeFont \" <[8r.enc << UBKL8A.PFB\n"
        "% qlkenc.map\n"
        "qlke8r QlkEnc \" ubkl8aEncoding ReEncodeFont \" <[ubkl8a.pfb <qlke8a.pfb\n"
        "% comment <ubkl8a.pfb\n";
    struct Row {
        const char* name;
        QString file;
        QStringList ownMaps;
        QString users; // map:font, …
        QString line;
    };
    const QList<Row> rows{
        {"named by the own family's map, other names counted", "ubkl8a.pfb", {},
         "ps2pk35.map:pbkl8r ps2pk35.map:pbklo8r ubk.map:ubkl8r qlkbook.map:qlkl8r",
         "Other packages load it too, such as the font ubkl8r of ubk.map (fonts of 3 map files in all)."},
        {"the map this family installs is no other package", "ubkl8a.pfb", {"QLKBOOK.map", "ubk.map"},
         "ps2pk35.map:pbkl8r ps2pk35.map:pbklo8r",
         "Other packages load it too, such as the font pbkl8r of ps2pk35.map."},
        {"one font", "ubkd8a.pfb", {}, "ubk.map:ubkd8r", "Other packages load it too, such as the font ubkd8r of ubk.map."},
        {"no font loads it", "qlkz8a.pfb", {}, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QList<OutlineUser> users = outlineUsers(map, row.file, row.ownMaps);
        QStringList seen;
        for (const OutlineUser& u : users)
            seen << u.map + ":" + u.texFont;
        EXPECT_EQ(seen.join(' '), row.users);
        EXPECT_EQ(outlineUsersLine(users, row.file), row.line);
    }
    EXPECT_TRUE(outlineUsers(QString(), "ubkl8a.pfb", {}).isEmpty());
}

TEST(AfmDownload, NamesAndAddresses)
{
    EXPECT_EQ(afmFileName("awb~~~~~"), "awb_____.afm");
    EXPECT_EQ(afmFileName("a\\b~c\\"), "ab_c.afm");
    EXPECT_EQ(afmFileName(""), ".afm");
    struct Case {
        QString id, folder;
    } cases[] = {
        {"0.3", "/base17/0.3/"}, {"1", "/001-050/1/"},     {"50", "/001-050/50/"},     {"51", "/051-100/51/"},
        {"180", "/151-200/180/"}, {"899", "/851-900/899/"}, {"900", "/900-960/900/"}, {"1234", "/900-960/1234/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(afmAddress("http://h/afm", c.id, "x.afm"), "http://h/afm" + c.folder + "x.afm");
    EXPECT_TRUE(safeDownloadName("awb_____.afm"));
    EXPECT_FALSE(safeDownloadName("../x.afm"));
    EXPECT_FALSE(safeDownloadName("a/b.afm"));
}

TEST(HttpGet, OnlyASuccessfulAnswerWritesTheFile)
{
    test::TestEnv env;
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.serve("/ok.afm", "StartFontMetrics 2.0\n");
    server.answer("/gone.afm", 500, "oops");
    const QString target = env.home() + "/x.afm";
    QString why;
    EXPECT_TRUE(httpGet(server.baseUrl() + "/ok.afm", target, 30000, &why)) << why.toStdString();
    EXPECT_EQ(test::readBytes(target), QByteArray("StartFontMetrics 2.0\n"));

    // A failure keeps the file that was there and leaves nothing beside it.
    for (const QString& path : {QString("/missing.afm"), QString("/gone.afm")}) {
        EXPECT_FALSE(httpGet(server.baseUrl() + path, target, 30000, &why));
        EXPECT_FALSE(why.isEmpty());
        EXPECT_EQ(test::readBytes(target), QByteArray("StartFontMetrics 2.0\n"));
    }
    EXPECT_FALSE(httpGet(server.baseUrl() + "/missing.afm", env.home() + "/new.afm", 30000, &why));
    EXPECT_EQ(QDir(env.home()).entryList(QDir::Files | QDir::Hidden), QStringList({"x.afm"}));
    EXPECT_FALSE(httpGet("", env.home() + "/y.afm", 30000, &why));
}

namespace {
// A one-shot HTTP server that answers every request with `head` and
// `body` as they stand, and keeps the request it was sent.
class RawServer {
public:
    RawServer(QByteArray head, QByteArray body) : head_(std::move(head)), body_(std::move(body))
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0)
                return;
            char buf[4096];
            while (!request_.contains("\r\n\r\n")) {
                const ssize_t got = ::recv(c, buf, sizeof buf, 0);
                if (got <= 0)
                    break;
                request_.append(buf, int(got));
            }
            const QByteArray all = head_ + body_;
            for (qint64 done = 0; done < all.size();) {
                const ssize_t put = ::send(c, all.constData() + done, size_t(all.size() - done), MSG_NOSIGNAL);
                if (put <= 0)
                    break;
                done += put;
            }
            ::close(c);
        });
    }
    ~RawServer()
    {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        if (thread_.joinable())
            thread_.join();
    }
    QString url(const char* path) const { return QString("http://127.0.0.1:%1%2").arg(port_).arg(path); }
    // The request, once the server has answered and ended.
    QByteArray request()
    {
        ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        return request_;
    }

private:
    QByteArray head_, body_, request_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};
} // namespace

// The answer is asked for as it is, and one that comes gzip-encoded all
// the same is refused at its headers: Qt would inflate it where no limit
// counts. Nothing is left beside the target.
TEST(HttpGet, EncodedAnswersAreRefused)
{
    test::TestEnv env;
    // 64 MB of zeros gzip into some 64 KB.
    const ProcessResult packed = runBash("head -c 64000000 /dev/zero | gzip -c | base64 -w0");
    ASSERT_EQ(packed.exitCode, 0);
    const QByteArray gz = QByteArray::fromBase64(packed.output.toLatin1());
    const QString target = env.home() + "/x.afm";
    struct Case {
        const char* name;
        QByteArray head;
        const char* why; // empty: saved
    } cases[] = {
        {"gzip", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Encoding: gzip\r\n\r\n",
         "The server sent the answer encoded (Content-Encoding: gzip), not as the file itself"},
        {"gzip, length given",
         "HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + QByteArray::number(gz.size()) + "\r\n\r\n",
         "The server sent the answer encoded (Content-Encoding: gzip), not as the file itself"},
        {"identity", "HTTP/1.0 200 OK\r\nContent-Encoding: identity\r\n\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool plain = QString(c.why).isEmpty();
        RawServer server(c.head, plain ? QByteArray("StartFontMetrics 2.0\n") : gz);
        QString why;
        EXPECT_EQ(httpGet(server.url("/x.afm"), target, 30000, &why, kMaxAfmBytes), plain) << why.toStdString();
        EXPECT_EQ(why, plain ? QString() : QString(c.why));
        EXPECT_TRUE(server.request().toLower().contains("\r\naccept-encoding: identity\r\n"))
            << server.request().toStdString();
        EXPECT_EQ(QDir(env.home()).entryList(QDir::Files | QDir::Hidden),
                  plain ? QStringList{"x.afm"} : QStringList{});
        QFile::remove(target);
    }
}

namespace {
// The peak resident memory of this process in kB since the last reset.
qint64 peakRssKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
// Starts the peak over at the present use (Linux 4.0 and later).
void resetPeakRss()
{
    QFile refs("/proc/self/clear_refs");
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}
} // namespace

// Answers longer than the limit, announced or not, endless or not: refused,
// nothing kept beside the target, an existing file untouched, and memory
// flat while the bytes stream in.
TEST(HttpGet, LongAnswersStopAtTheLimitWithNothingKept)
{
    test::TestEnv env;
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    const qint64 limit = qint64(128) << 20;
    server.serveStream("/endless.afm", -1);
    server.serveStream("/huge.afm", qint64(2) << 30);
    server.serveStream("/unannounced.afm", qint64(2) << 30, false);
    server.serveStream("/fits.afm", limit);
    struct Case {
        const char* path;
        bool kept;
    } cases[] = {{"/endless.afm", false}, {"/huge.afm", false}, {"/unannounced.afm", false}, {"/fits.afm", true}};
    const QString target = env.home() + "/x.afm";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        env.writeFile("home/x.afm", "StartFontMetrics 2.0\n");
        resetPeakRss();
        const qint64 before = peakRssKb();
        QString why;
        EXPECT_EQ(httpGet(server.baseUrl() + c.path, target, 60000, &why, limit), c.kept) << why.toStdString();
        // A buffered answer would take the whole limit of memory.
        EXPECT_LT(peakRssKb() - before, 32 * 1024);
        EXPECT_EQ(QFileInfo(target).size(), c.kept ? limit : qint64(21));
        EXPECT_EQ(QDir(env.home()).entryList(QDir::Files | QDir::Hidden), QStringList({"x.afm"}));
        if (!c.kept) {
            EXPECT_EQ(why, QString("The answer is longer than %1 bytes").arg(limit));
        }
    }
}

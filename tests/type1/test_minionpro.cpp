#include "MinionFixture.h"

#include "app/App.h"
#include "services/FileHelpers.h"
#include "support/HostileArchives.h"
#include "support/MenuFixture.h"
#include "texenv/TexEnv.h"
#include "type1/MinionPro.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

const QString kPath = "/tex-archive/fonts/minionpro/";
const QString kAttachment = "/pipermail/minionpro-devel/attachments/20090814/4e956ea2/attachment.zip";
const QString kDownloading = "The program will begin downloading the appropriate metrics files from CTAN. "
                             "This may take some time.";

QString fontFile(const char* name)
{
    for (const char* dir : {"/usr/share/fonts/opentype/urw-base35/", "/usr/share/texmf/fonts/opentype/public/lm/",
                            "/usr/share/texmf/fonts/opentype/public/lm-math/", "/usr/share/fonts/truetype/dejavu/"}) {
        const QString path = QString::fromLatin1(dir) + QString::fromLatin1(name);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

// Stand-ins for CTAN's archives, TDS-rooted as the real ones: an encoding,
// base metrics made from the stand-in regular font (P052 under MinionPro
// names), small full and optical sets, and one archive that climbs out.
// Made once per run of the test program; tests only read them.
struct Archives {
    QTemporaryDir dir;
    QString fontName; // the stand-in regular's PostScript name
    Archives()
    {
        const QString d = dir.path();
        const QString enc = test::texFile("8r.enc");
        mustRunIn(d, "cp " + shellQuote(fontFile("P052-Roman.otf")) + " reg.otf && cfftot1 reg.otf reg.pfb && "
                     "t1rawafm reg.pfb reg.afm && cp " + shellQuote(enc) + " mnr8r.enc && "
                     "afm2tfm reg.afm -p mnr8r.enc MinionPro-Regular-8r");
        fontName = mustRunIn(d, "sed -n 's/^FontName //p' reg.afm").trimmed();
        write("MinionPro.map", "MinionPro-Regular-8r " + fontName +
                                   " \" TeXBase1Encoding ReEncodeFont \" <mnr8r.enc <MinionPro-Regular.pfb\n");
        write("MinionPro.sty", "\\ProvidesPackage{MinionPro}\n"
                               "\\DeclareFontFamily{OT1}{MinionPro}{}\n"
                               "\\DeclareFontShape{OT1}{MinionPro}{m}{n}{<-> MinionPro-Regular-8r}{}\n"
                               "\\renewcommand{\\rmdefault}{MinionPro}\n");
        write("full.txt", "full set\n");
        write("opticals.txt", "optical sizes\n");
        write("evil.txt", "outside\n");
        for (const char* e : {"enc-1.000.zip", "enc-1.001.zip", "enc-2.000.zip", "attachment.zip"})
            test::writeZip(d + "/" + e, {{"fonts/enc/dvips/MinionPro/mnr8r.enc", d + "/mnr8r.enc"}});
        test::writeZip(d + "/metrics-base.zip",
                       {{"fonts/map/dvips/MinionPro/MinionPro.map", d + "/MinionPro.map"},
                        {"fonts/tfm/adobe/MinionPro/MinionPro-Regular-8r.tfm", d + "/MinionPro-Regular-8r.tfm"},
                        {"tex/latex/MinionPro/MinionPro.sty", d + "/MinionPro.sty"}});
        test::writeZip(d + "/metrics-full.zip", {{"doc/fonts/MinionPro/full.txt", d + "/full.txt"}});
        test::writeZip(d + "/metrics-opticals.zip", {{"doc/fonts/MinionPro/opticals.txt", d + "/opticals.txt"}});
        test::writeZip(d + "/climbing.zip", {{"fonts/enc/dvips/MinionPro/mnr8r.enc", d + "/mnr8r.enc"},
                                             {"../evil.txt", d + "/evil.txt"}});
    }
    static QString mustRunIn(const QString& d, const QString& line)
    {
        return test::mustRun("cd " + shellQuote(d) + " && " + line);
    }
    void write(const QString& name, const QString& text) const
    {
        QFile f(dir.path() + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }
    QString path(const QString& name) const { return dir.path() + "/" + name; }
};

const Archives& archives()
{
    static Archives a;
    return a;
}

// A run of the installer in its own world.
struct MinionRun : test::DownloadWorld {
    QString fonts;
    explicit MinionRun(int method = 0) : DownloadWorld(method)
    {
        fonts = env.home() + "/Bought/Minion";
        for (const char* name : {"enc-1.000.zip", "enc-1.001.zip", "enc-2.000.zip", "metrics-base.zip",
                                 "metrics-full.zip", "metrics-opticals.zip"})
            server.serveFile(kPath + name, archives().path(name));
        server.serveFile(kAttachment, archives().path("attachment.zip"));
    }
    // Copies a public font into the stand-in folder under a MinionPro name.
    void font(const QString& as, const char* from)
    {
        const QString src = fontFile(from);
        ASSERT_FALSE(src.isEmpty()) << from;
        QDir().mkpath(fonts);
        ASSERT_TRUE(QFile::copy(src, fonts + "/" + as)) << as.toStdString();
    }
    void run(bool chooseFolder = true)
    {
        if (chooseFolder)
            env.dialogs.folders << fonts;
        installMinionPro();
    }
    QStringList log() const
    {
        QString text = readTextFile(scratch() + "/logfile.txt");
        if (text.endsWith('\n'))
            text.chop(1);
        return text.split('\n');
    }
    bool nothingInstalled() const
    {
        return QDir(texmfHome + "/fonts/type1/adobe/MinionPro").isEmpty() &&
               !QFileInfo::exists(texmfHome + "/tex/latex/MinionPro") && status() != "Install finished.";
    }
};

} // namespace

// The whole road into the personal tree with the stand-in family of a
// regular, an italic and a semibold: what is fetched, what the log says,
// what lands in TEXMFHOME, and a document set in it.
TEST(InstallMinionPro, PersonalTreeFromTheMenuAndADocumentInTheFont)
{
    MinionRun r(0);
    r.font("MinionPro-Regular.otf", "P052-Roman.otf");
    r.font("MinionPro-It.otf", "P052-Italic.otf");
    r.font("MinionPro-Semibold.otf", "P052-Bold.otf");
    // Not copied: another family, a folder with a font's name.
    r.font("Palladio-Bold.otf", "P052-BoldItalic.otf");
    QDir().mkpath(r.fonts + "/MinionPro-Folder.otf");
    r.env.dialogs.folders << r.fonts;
    ASSERT_TRUE(test::chooseMenuItem("FileInstallMinionPro"));

    EXPECT_EQ(r.server.requests(),
              (QStringList{kPath + "enc-2.000.zip", kPath + "metrics-base.zip", kPath + "metrics-full.zip"}));
    EXPECT_EQ(r.log(), (QStringList{"Search for existing MinionPro files in texmf trees...", "Nothing found",
                                    "Selected folder " + r.fonts,
                                    "No PostScript version in \"Version 1.00\"; taking the encoding files of version 2.000",
                                    "Created pfb files, removed otf files.", "Preparing to download metrics-full.zip",
                                    "Removing zip file downloads"}));
    EXPECT_EQ(r.env.dialogs.messages.value(0), kDownloading);
    EXPECT_TRUE(r.env.dialogs.questions.isEmpty());
    EXPECT_TRUE(r.reports.isEmpty()) << r.reports.join("\n").toStdString();
    EXPECT_EQ(r.status(), "Install finished.");

    const QString t1 = r.env.texmfHome() + "/fonts/type1/adobe/MinionPro";
    EXPECT_EQ(QDir(t1).entryList(QDir::Files, QDir::Name),
              (QStringList{"MinionPro-It.pfb", "MinionPro-ItLCDFJ.pfb", "MinionPro-Regular.pfb",
                           "MinionPro-RegularLCDFJ.pfb", "MinionPro-Semibold.pfb", "MinionPro-SemiboldLCDFJ.pfb"}));
    for (const char* rel : {"fonts/enc/dvips/MinionPro/mnr8r.enc", "fonts/map/dvips/MinionPro/MinionPro.map",
                            "fonts/tfm/adobe/MinionPro/MinionPro-Regular-8r.tfm", "tex/latex/MinionPro/MinionPro.sty",
                            "doc/fonts/MinionPro/full.txt"})
        EXPECT_TRUE(QFileInfo(r.env.texmfHome() + "/" + rel).isFile()) << rel;
    EXPECT_TRUE(QDir(r.env.texmfHome()).entryList({"*.zip"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(r.scratch()).entryList({"*.otf", "*.pfb"}, QDir::Files).isEmpty());

    // updmap-user enabled the map; pdflatex finds and embeds the font.
    EXPECT_TRUE(readTextFile(r.env.texmfConfig() + "/web2c/updmap.cfg").contains("Map MinionPro.map"));
    const QString doc = r.env.writeFile("doc/minion.tex", "\\documentclass{article}\n\\usepackage{MinionPro}\n"
                                                          "\\begin{document}\nMinion stands in.\n\\end{document}\n");
    const QString dir = QFileInfo(doc).path();
    const ProcessResult tex = runBash("cd " + shellQuote(dir) + " && pdflatex -interaction=nonstopmode minion.tex", 120000);
    ASSERT_EQ(tex.exitCode, 0) << tex.output.toStdString();
    // TeX breaks its log lines at 79 characters.
    const QString texLog = readTextFile(dir + "/minion.log").remove('\n');
    EXPECT_TRUE(texLog.contains(t1 + "/MinionPro-Regular.pfb")) << texLog.toStdString();
    const ProcessResult fonts = runBash("pdffonts " + shellQuote(dir + "/minion.pdf"));
    bool embedded = false;
    for (const QString& line : fonts.output.split('\n')) {
        if (line.contains(archives().fontName) && line.contains(" yes "))
            embedded = true;
    }
    EXPECT_TRUE(embedded) << fonts.output.toStdString();
}

// The glyph uni2113 in the italic sends the encoding request to the
// mailing-list archive; without it the version decides, quietly. Neither
// Latin Modern font has room for a dotless j of its own making.
TEST(InstallMinionPro, EncodingArchiveByGlyphOrVersion)
{
    struct Case {
        const char* italic;     // font copied as MinionPro-It.otf, or none
        QString encoding;       // the first request
        QString logged;         // a line the log must hold
    };
    const Case cases[] = {
        {"latinmodern-math.otf", kAttachment, "No dotless j font made for MinionPro-It"},
        {nullptr, kPath + "enc-2.000.zip", "No MinionPro-It.pfb to look for uni2113 in"},
    };
    for (const Case& c : cases) {
        MinionRun r(0);
        r.font("MinionPro-Regular.otf", "lmroman10-regular.otf");
        if (c.italic)
            r.font("MinionPro-It.otf", c.italic);
        r.run();
        EXPECT_EQ(r.server.requests(), (QStringList{c.encoding, kPath + "metrics-base.zip"}));
        EXPECT_TRUE(r.log().contains(c.logged)) << r.log().join('\n').toStdString();
        EXPECT_TRUE(r.log().contains("No dotless j font made for MinionPro-Regular"));
        EXPECT_TRUE(r.reports.isEmpty()) << r.reports.join("\n").toStdString();
        EXPECT_EQ(r.status(), "Install finished.");
        // The empty file t1dotlessj leaves is not installed.
        const QString t1 = r.env.texmfHome() + "/fonts/type1/adobe/MinionPro/";
        EXPECT_TRUE(QFileInfo(t1 + "MinionPro-Regular.pfb").size() > 0);
        EXPECT_FALSE(QFileInfo::exists(t1 + "MinionPro-RegularLCDFJ.pfb"));
    }
}

// "method" 1: the copy into TEXMFLOCAL and mktexlsr go to the root route
// as two calls, then the map is enabled system-wide.
TEST(InstallMinionPro, LocalTreeThroughTheRootRoute)
{
    MinionRun r(1);
    setpref("sudo", qint32(1));
    isAdmin = true;
    r.font("MinionPro-Regular.otf", "P052-Roman.otf");
    r.run();
    ASSERT_GE(r.rootTexts.size(), 3) << r.rootTexts.join("\n").toStdString();
    const QString tds = r.scratch() + "/TDS";
    EXPECT_EQ(r.rootTexts.at(0), "/usr/bin/sudo /bin/cp -rpf " + shellQuote(tds) + "/* " + shellQuote(texmfLocal));
    EXPECT_EQ(r.rootTexts.at(1), "/usr/bin/sudo " + shellQuote(texProgram("mktexlsr")));
    EXPECT_TRUE(r.rootTexts.at(2).contains("updmap-sys --nohash --nomkmap --enable Map=MinionPro.map"))
        << r.rootTexts.at(2).toStdString();
    EXPECT_EQ(r.status(), "Install finished.");
    EXPECT_FALSE(QFileInfo::exists(r.env.texmfHome() + "/fonts/type1/adobe/MinionPro"));
}

// Ends before anything is fetched: files already installed and "No", or
// no folder chosen.
TEST(InstallMinionPro, EndsEarlyOnAnswers)
{
    {
        MinionRun r(0);
        r.env.writeFile("home/texmf/tex/latex/old/minionpro.sty", "%\n");
        r.run(false);
        EXPECT_EQ(r.env.dialogs.questions,
                  QStringList{"There appear to be files installed already for at least parts of MinionPro. Continue?"});
        // The message names the work folder where it really is.
        EXPECT_EQ(r.env.dialogs.messages, QStringList{"The list of files is in " + r.scratch() + "/logfile.txt"});
        EXPECT_TRUE(QFileInfo(r.scratch() + "/logfile.txt").isFile());
        EXPECT_EQ(r.log().mid(0, 1), QStringList{"Search for existing MinionPro files in texmf trees..."});
        EXPECT_TRUE(r.log().join('\n').contains("/tex/latex/old/minionpro.sty"));
        EXPECT_TRUE(r.server.requests().isEmpty());
    }
    {
        MinionRun r(0);
        r.run(false);
        EXPECT_EQ(r.log(), (QStringList{"Search for existing MinionPro files in texmf trees...", "Nothing found",
                                        "No folder selected. Installation abandoned"}));
        EXPECT_TRUE(r.env.dialogs.transcript.filter("message:").isEmpty());
        EXPECT_TRUE(r.server.requests().isEmpty());
    }
}

// Each failure ends the run with its message and log line; nothing is
// installed and the status line is never the finished one.
TEST(InstallMinionPro, FailuresEndTheRunWithNothingInstalled)
{
    enum Fault { Missing404, Climbing, TrueType, CopyFails };
    struct Case {
        Fault fault;
        QString message; // the start of the last message
        QString logged;  // the start of the last log line
    };
    const Case cases[] = {
        {Missing404, "curl failure downloading metrics-base.zip", "curl failure downloading metrics-base.zip"},
        {Climbing, "The archive enc-2.000.zip was not unpacked", "The archive enc-2.000.zip was not unpacked"},
        {TrueType, "cfftot1 could not convert MinionPro-Bold.otf", "cfftot1 could not convert MinionPro-Bold.otf"},
        {CopyFails, "Copying the fonts into ", "Copying the fonts into "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        MinionRun r(0);
        r.font("MinionPro-Regular.otf", "P052-Roman.otf");
        if (c.fault == Missing404)
            r.server.answer(kPath + "metrics-base.zip", 404, "<html>Not here</html>");
        if (c.fault == Climbing)
            r.server.serveFile(kPath + "enc-2.000.zip", archives().path("climbing.zip"));
        if (c.fault == TrueType)
            r.font("MinionPro-Bold.otf", "DejaVuSans.ttf");
        if (c.fault == CopyFails) {
            // A file where the personal tree should be: nothing can go in.
            QDir(r.env.texmfHome()).removeRecursively();
            QFile f(r.env.texmfHome());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        r.run();
        EXPECT_TRUE(r.env.dialogs.messages.value(r.env.dialogs.messages.size() - 1).startsWith(c.message))
            << r.env.dialogs.messages.join("\n").toStdString();
        EXPECT_TRUE(r.log().last().startsWith(c.logged)) << r.log().join("\n").toStdString();
        EXPECT_TRUE(r.nothingInstalled());
        // The climbing archive was not unpacked at all.
        EXPECT_FALSE(QFileInfo::exists(r.scratch() + "/evil.txt"));
        if (c.fault == Climbing) {
            EXPECT_FALSE(QFileInfo::exists(r.scratch() + "/TDS/fonts/enc/dvips/MinionPro/mnr8r.enc"));
        }
        if (c.fault == TrueType) {
            EXPECT_TRUE(r.server.requests().isEmpty());
        }
    }
}

// Hostile answers to the downloads: each is refused before anything is
// unpacked, with the reason; the download and the half-made tree are gone
// and nothing was written outside the scratch folder.
TEST(InstallMinionPro, HostileAnswersAreRefusedAndLeaveNothing)
{
    enum Answer { Bomb, NoRoom, RedirectToHttp, PlainHttpHost, Huge, NotAZip, Lying, Twice };
    struct Case {
        Answer answer;
        QString message; // the start of the last message
    };
    const QString bombText = "The archive metrics-base.zip was not unpacked. Unpacked it would take " +
                             byteText(test::kBombBytes) + ", more than the " + byteText(kMaxUnpackedBytes) +
                             " a font package may take.";
    const Case cases[] = {
        {Bomb, bombText},
        {NoRoom, "The archive enc-2.000.zip was not unpacked. Unpacked it would take "},
        {RedirectToHttp, "curl failure downloading metrics-base.zip"},
        {PlainHttpHost, "curl failure downloading enc-2.000.zip"},
        {Huge, "curl failure downloading metrics-base.zip"},
        {NotAZip, "Zip file failure: metrics-base.zip could not be read. The answer was a web page (HTML), not a "
                  "zip archive (unzip: 9)."},
        {Lying, "The archive metrics-base.zip was not unpacked. Its entries hold 50.0 MB unpacked, but its list of "
                "entries gives 1.0 KB"},
        {Twice, "The archive metrics-base.zip was not unpacked: it holds more than one entry for each of these "
                "files, and only one copy could be kept: \nfonts/tfm/adobe/MinionPro/MinionPro-Regular-8r.tfm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        MinionRun r(0);
        r.font("MinionPro-Regular.otf", "P052-Roman.otf");
        // Another host, plain HTTP, holding good archives.
        test::HttpTestServer plain;
        for (const char* name : {"enc-2.000.zip", "metrics-base.zip"})
            plain.serveFile(kPath + name, archives().path(name));
        const QString metrics = kPath + "metrics-base.zip";
        if (c.answer == Bomb)
            r.server.serveFile(metrics, test::zipBomb());
        if (c.answer == NoRoom)
            setFreeBytesForTesting([](const QString&) { return qint64(1000); });
        if (c.answer == RedirectToHttp)
            r.server.answer(metrics, 302, {}, (plain.baseUrl() + metrics).toLatin1());
        if (c.answer == PlainHttpHost)
            setDownloadHostsForTesting(plain.baseUrl(), plain.baseUrl());
        if (c.answer == Huge)
            r.server.serveStream(metrics, qint64(2) << 30);
        if (c.answer == NotAZip)
            r.server.serve(metrics, "<html><body>Moved to our new site</body></html>\n");
        QTemporaryDir made;
        if (c.answer == Lying || c.answer == Twice) {
            const QString tfm = "fonts/tfm/adobe/MinionPro/MinionPro-Regular-8r.tfm";
            const QString zip = made.filePath("hostile.zip");
            ASSERT_EQ(test::writeHostileZip(zip, c.answer == Lying
                                                     ? QList<test::ZipEntrySpec>{{tfm, "zeros:50000000", 1000}}
                                                     : QList<test::ZipEntrySpec>{{tfm, "text:one", -1},
                                                                                 {tfm, "text:two", -1}}),
                      "");
            r.server.serveFile(metrics, zip);
        }
        const QStringList before = test::filesBelow(r.env.root());
        r.run();
        setFreeBytesForTesting({});

        EXPECT_TRUE(r.env.dialogs.messages.value(r.env.dialogs.messages.size() - 1).startsWith(c.message))
            << r.env.dialogs.messages.join("\n").toStdString();
        if (c.answer == NoRoom) {
            EXPECT_TRUE(r.env.dialogs.messages.last().endsWith(", but only 1.0 KB are free in " + r.scratch() + "/TDS."))
                << r.env.dialogs.messages.last().toStdString();
        }
        EXPECT_TRUE(r.nothingInstalled());
        EXPECT_TRUE(plain.requests().isEmpty()) << plain.requests().join(" ").toStdString();
        ASSERT_FALSE(r.scratch().isEmpty());
        const QStringList left = test::filesBelow(r.scratch());
        EXPECT_TRUE(left.filter(".zip").isEmpty() && left.filter("TDS/").isEmpty()) << left.join(" ").toStdString();
        EXPECT_EQ(test::filesBelow(r.env.root(), {QDir(r.env.root()).relativeFilePath(r.scratch())}), before);
    }
}

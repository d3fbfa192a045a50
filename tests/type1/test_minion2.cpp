#include "MinionFixture.h"

#include "services/FileHelpers.h"
#include "support/HostileArchives.h"
#include "support/MenuFixture.h"
#include "texenv/TexEnv.h"
#include "type1/Minion2.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

const QString kArchivePath = "/tex-archive/install/fonts/minion2newtx.tds.zip";

// A stand-in for CTAN's minion2newtx.tds.zip: zmn.map, the folder the fonts
// go into, a T1 metric and .fd for the regular. Made once per test program.
struct Minion2Archive {
    QTemporaryDir dir;
    Minion2Archive()
    {
        const QString d = dir.path();
        test::mustRun("cd " + shellQuote(d) + " && afm2tfm " + shellQuote(test::texFile("uplr8a.afm")) +
                      " -T ec.enc zmnr8t >/dev/null");
        write("zmn.map", "zmnr8t Minion2Pro-Regular \" ECEncoding ReEncodeFont \" <ec.enc <zmnr.pfb\n");
        write("t1zmn.fd", "\\ProvidesFile{t1zmn.fd}\n\\DeclareFontFamily{T1}{zmn}{}\n"
                          "\\DeclareFontShape{T1}{zmn}{m}{n}{<-> zmnr8t}{}\n");
        write("README", "Minion2Pro fonts go here.\n");
        test::writeZip(d + "/minion2newtx.tds.zip",
                       {{"fonts/map/dvips/minion2/zmn.map", d + "/zmn.map"},
                        {"fonts/type1/adobe/minion2/README", d + "/README"},
                        {"fonts/tfm/adobe/minion2/zmnr8t.tfm", d + "/zmnr8t.tfm"},
                        {"tex/latex/minion2/t1zmn.fd", d + "/t1zmn.fd"}});
        write("notazip.txt", "This is not a zip file.\n");
    }
    void write(const QString& name, const QString& text) const
    {
        QFile f(dir.path() + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }
    QString path(const QString& name) const { return dir.path() + "/" + name; }
};

const Minion2Archive& archive()
{
    static Minion2Archive a;
    return a;
}

// The user's folder: the four URW Palladio fonts as pfa files named and
// called MinionPro-*.
struct Minion2World : test::DownloadWorld {
    QString fonts;
    QPointer<Minion2> window;
    explicit Minion2World(int method = 0) : DownloadWorld(method)
    {
        fonts = env.home() + "/pfa fonts";
        QDir().mkpath(fonts);
        const char* const pairs[][2] = {{"uplr8a.pfb", "Regular"}, {"uplb8a.pfb", "Bold"},
                                         {"uplri8a.pfb", "It"}, {"uplbi8a.pfb", "BoldIt"}};
        for (const auto& p : pairs) {
            const QString name = QString("MinionPro-") + p[1];
            test::mustRun("cd " + shellQuote(fonts) + " && t1ascii " + shellQuote(test::texFile(p[0])) +
                          " | sed 's|^/FontName /[^ ]*|/FontName /" + name + "|' > " + name + ".pfa");
        }
        server.serveFile(kArchivePath, archive().path("minion2newtx.tds.zip"));
        if (test::chooseMenuItem("FileInstallMinion2Pro")) {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* w = qobject_cast<Minion2*>(top))
                    window = w;
            }
        }
    }
    ~Minion2World() { delete window.data(); }
    QStringList sources() const
    {
        return {"MinionPro-Bold.pfa", "MinionPro-BoldIt.pfa", "MinionPro-It.pfa", "MinionPro-Regular.pfa"};
    }
    bool nothingInstalled() const
    {
        return !QFileInfo::exists(env.texmfHome() + "/fonts/type1/adobe/minion2") && status() != "Install finished.";
    }
};

} // namespace

TEST(Minion2, PersonalTreeAndADocumentInMinion2Pro)
{
    Minion2World world(0);
    ASSERT_TRUE(world.window);
    EXPECT_TRUE(world.window->isVisible());
    world.window->Event_DropObject({world.fonts});
    EXPECT_TRUE(world.reports.isEmpty()) << world.reports.join("\n").toStdString();
    EXPECT_EQ(world.server.requests(), QStringList{kArchivePath});
    EXPECT_EQ(world.status(), "Install finished.");

    const QString home = world.env.texmfHome();
    const QString zmnr = home + "/fonts/type1/adobe/minion2/zmnr.pfb";
    ASSERT_TRUE(QFileInfo(zmnr).isFile());
    EXPECT_EQ(psFontName(zmnr, false), "Minion2Pro-Regular");
    for (const char* name : {"zmnb.pfb", "zmnri.pfb", "zmnbi.pfb"})
        EXPECT_TRUE(QFileInfo(home + "/fonts/type1/adobe/minion2/" + name).isFile()) << name;
    // The work folder is gone; the user's folder holds just the four fonts.
    EXPECT_TRUE(QDir(home).entryList({"*.zip"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(world.env.home() + "/Documents").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(test::filesBelow(world.fonts), world.sources());
    EXPECT_TRUE(readTextFile(world.env.texmfConfig() + "/web2c/updmap.cfg").contains("Map zmn.map"));

    const QString doc = world.env.writeFile("doc/zmn.tex", "\\documentclass{article}\n\\usepackage[T1]{fontenc}\n"
                                                           "\\renewcommand{\\rmdefault}{zmn}\n\\begin{document}\n"
                                                           "Minion stands in.\n\\end{document}\n");
    const QString dir = QFileInfo(doc).path();
    const ProcessResult tex = runBash("cd " + shellQuote(dir) + " && pdflatex -interaction=nonstopmode zmn.tex", 120000);
    ASSERT_EQ(tex.exitCode, 0) << tex.output.toStdString();
    const ProcessResult fonts = runBash("pdffonts " + shellQuote(dir + "/zmn.pdf"));
    bool embedded = false;
    for (const QString& line : fonts.output.split('\n'))
        embedded = embedded || (line.contains("Minion2Pro-Regular") && line.contains(" yes "));
    EXPECT_TRUE(embedded) << fonts.output.toStdString();
}

TEST(Minion2, LocalTreeThroughTheRootRoute)
{
    Minion2World world(1);
    isAdmin = true;
    setpref("sudo", qint32(1));
    ASSERT_TRUE(world.window);
    world.window->Event_DropObject({world.fonts});
    ASSERT_GE(world.rootTexts.size(), 3) << world.rootTexts.join("\n").toStdString();
    // The tree comes from the run's own work folder in Documents.
    const QString work = world.env.home() + "/Documents/" +
                         QRegularExpression("tmp\\d{7}").match(world.rootTexts.at(0)).captured(0);
    EXPECT_EQ(world.rootTexts.at(0),
              "/usr/bin/sudo /bin/cp -rpf " + shellQuote(work + "/texmf") + "/* " + shellQuote(texmfLocal));
    EXPECT_EQ(world.rootTexts.at(1), "/usr/bin/sudo " + shellQuote(texProgram("mktexlsr")));
    EXPECT_TRUE(world.rootTexts.at(2).contains("--enable Map=zmn.map"));
    EXPECT_EQ(world.status(), "Install finished.");
}

// Each refusal or failure ends with its message; nothing is installed.
TEST(Minion2, DropsAndDownloadsThatEndTheRun)
{
    enum Fault {
        OneFile, TwoFolders, MissingFont, NotFound, NotAZip, CopyFails, Bomb, RedirectToHttp, Huge, Lying, Twice,
        ZeroLink, JunkFonts, OneCutShort
    };
    const QString damaged = "Damaged outline fonts, which TeX could not use; nothing was downloaded or installed:\n";
    struct Case {
        Fault fault;
        QString message;
    };
    const Case cases[] = {
        {OneFile, "You cannot drop individual files---just a single folder"},
        {TwoFolders, "You are permitted to drop only a single folder"},
        {MissingFont, "Cannot find MinionPro-BoldIt.pfa in "},
        {NotFound, "curl failure downloading minion2newtx.tds.zip"},
        {NotAZip, "Zip file failureminion2newtx.tds.zip"},
        {CopyFails, "Copying the fonts into "},
        {Bomb, "The archive minion2newtx.tds.zip was not unpacked. Unpacked it would take " +
                   byteText(test::kBombBytes) + ", more than the " + byteText(kMaxUnpackedBytes) +
                   " a font package may take."},
        {RedirectToHttp, "curl failure downloading minion2newtx.tds.zip"},
        {Huge, "curl failure downloading minion2newtx.tds.zip"},
        {Lying, "The archive minion2newtx.tds.zip was not unpacked. Its entries hold 50.0 MB unpacked, but its list "
                "of entries gives 1.0 KB"},
        {Twice, "The archive minion2newtx.tds.zip was not unpacked: it holds more than one entry for each of these "
                "files, and only one copy could be kept: \nfonts/map/dvips/minion2/zmn.map"},
        {ZeroLink, "These items are not regular files (a FIFO, a device or a socket), which are never read:\n"
                   "pfa fonts/MinionPro-Regular.pfa"},
        // Every line of createzmn fails: "no binary blocks written!", and
        // t1binary leaves the header alone.
        {JunkFonts, damaged + "@/MinionPro-Regular.pfa (as zmnr.pfb): it has no encrypted part\n"
                              "@/MinionPro-Bold.pfa (as zmnb.pfb): it has no encrypted part\n"
                              "@/MinionPro-It.pfa (as zmnri.pfb): it has no encrypted part\n"
                              "@/MinionPro-BoldIt.pfa (as zmnbi.pfb): it has no encrypted part"},
        // Only an inner line fails, and the script's status is that of its
        // last line: the check of each font finds it.
        {OneCutShort, damaged + "@/MinionPro-Bold.pfa (as zmnb.pfb): its encrypted part is not followed by the "
                                "cleartext trailer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        Minion2World world(0);
        ASSERT_TRUE(world.window);
        QStringList drop{world.fonts};
        if (c.fault == OneFile)
            drop = {world.fonts + "/MinionPro-Regular.pfa", world.fonts};
        if (c.fault == TwoFolders)
            drop << world.env.home();
        if (c.fault == MissingFont)
            QFile::remove(world.fonts + "/MinionPro-BoldIt.pfa");
        if (c.fault == NotFound)
            world.server.answer(kArchivePath, 404, "<html>gone</html>");
        if (c.fault == NotAZip)
            world.server.serveFile(kArchivePath, archive().path("notazip.txt"));
        if (c.fault == CopyFails) {
            // A file where the personal tree should be: nothing can go in.
            QDir(world.env.texmfHome()).removeRecursively();
            QFile f(world.env.texmfHome());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        if (c.fault == Bomb)
            world.server.serveFile(kArchivePath, test::zipBomb());
        QTemporaryDir made;
        if (c.fault == Lying || c.fault == Twice) {
            const QString map = "fonts/map/dvips/minion2/zmn.map";
            const QString zip = made.filePath("hostile.zip");
            ASSERT_EQ(test::writeHostileZip(zip, c.fault == Lying
                                                     ? QList<test::ZipEntrySpec>{{map, "zeros:50000000", 1000}}
                                                     : QList<test::ZipEntrySpec>{{map, "text:one", -1},
                                                                                 {map, "text:two", -1}}),
                      "");
            world.server.serveFile(kArchivePath, zip);
        }
        if (c.fault == ZeroLink) {
            // A font that is a link to an endless device: refused at once.
            QFile::remove(world.fonts + "/MinionPro-Regular.pfa");
            ASSERT_TRUE(QFile::link("/dev/zero", world.fonts + "/MinionPro-Regular.pfa"));
        }
        // Another host, plain HTTP, holding the good archive.
        test::HttpTestServer plain;
        plain.serveFile(kArchivePath, archive().path("minion2newtx.tds.zip"));
        if (c.fault == RedirectToHttp)
            world.server.answer(kArchivePath, 302, {}, (plain.baseUrl() + kArchivePath).toLatin1());
        if (c.fault == Huge)
            world.server.serveStream(kArchivePath, qint64(2) << 30);
        if (c.fault == JunkFonts) {
            for (const QString& name : world.sources())
                world.env.writeFile(QDir(world.env.root()).relativeFilePath(world.fonts + "/" + name),
                                    "%!PS-AdobeFont-1.0: " + name.toUtf8() + "\n/FontName /" +
                                        name.section('.', 0, 0).toUtf8() + " def\njunk\n");
        }
        if (c.fault == OneCutShort) {
            QFile bold(world.fonts + "/MinionPro-Bold.pfa");
            ASSERT_TRUE(bold.open(QIODevice::ReadWrite));
            const QByteArray whole = bold.readAll();
            bold.resize(whole.indexOf("eexec") + (whole.size() - whole.indexOf("eexec")) / 2);
        }
        const QStringList fontsBefore = test::filesBelow(world.fonts);
        world.window->Event_DropObject(drop);
        EXPECT_TRUE(plain.requests().isEmpty());
        // Nothing left behind: no work folder, the user's folder as it was.
        EXPECT_TRUE(QDir(world.env.home() + "/Documents").entryList({"tmp*"}, QDir::Dirs).isEmpty());
        EXPECT_EQ(test::filesBelow(world.fonts), fontsBefore);
        ASSERT_FALSE(world.env.dialogs.messages.isEmpty());
        EXPECT_TRUE(world.env.dialogs.messages.last().startsWith(QString(c.message).replace("@", world.fonts)))
            << world.env.dialogs.messages.join("\n").toStdString();
        EXPECT_TRUE(world.nothingInstalled());
        if (c.fault == OneFile || c.fault == TwoFolders || c.fault == MissingFont || c.fault == ZeroLink ||
            c.fault == JunkFonts || c.fault == OneCutShort) {
            EXPECT_TRUE(world.server.requests().isEmpty());
        }
    }
}

// A run whose archive fails to unpack (a bad CRC after a stale style file
// was written) leaves nothing the next run could pick up; the next run,
// with the good archive, installs that archive and the fonts only. The
// user's own texmf/ folder and createzmn in the dropped folder stay theirs.
TEST(Minion2, EachRunInstallsOnlyWhatItsOwnArchiveHeld)
{
    Minion2World world(0);
    ASSERT_TRUE(world.window);
    const QString userSty = world.env.writeFile(
        QDir(world.env.root()).relativeFilePath(world.fonts + "/texmf/tex/latex/mine/mine.sty"), "% mine\n");
    const QString userScript =
        world.env.writeFile(QDir(world.env.root()).relativeFilePath(world.fonts + "/createzmn"), "# my own\n");

    // Stored entries: the last one's bytes are damaged after the listing.
    const QString d = archive().dir.path();
    QTemporaryDir bad;
    archive().write("stale.sty", "\\ProvidesPackage{stale}\n");
    archive().write("corrupt.tfm", "DAMAGED-HERE and more bytes of a metric\n");
    const QString damaged = bad.filePath("damaged.zip");
    test::writeZip(damaged, {{"fonts/map/dvips/minion2/zmn.map", d + "/zmn.map"},
                             {"tex/latex/minion2/stale.sty", d + "/stale.sty"},
                             {"fonts/tfm/adobe/minion2/zmnr8t.tfm", d + "/corrupt.tfm"}});
    QByteArray bytes = test::readBytes(damaged);
    ASSERT_EQ(bytes.count("DAMAGED-HERE"), 1);
    bytes.replace("DAMAGED-HERE", "DAMAGED-HERX");
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    world.server.serveFile(kArchivePath, damaged);
    world.window->Event_DropObject({world.fonts});
    EXPECT_TRUE(world.env.dialogs.messages.value(world.env.dialogs.messages.size() - 1)
                    .startsWith("Zip file failureminion2newtx.tds.zip"))
        << world.env.dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(world.nothingInstalled());

    world.server.serveFile(kArchivePath, archive().path("minion2newtx.tds.zip"));
    world.window->Event_DropObject({world.fonts});
    EXPECT_EQ(world.status(), "Install finished.");
    EXPECT_EQ(test::filesBelow(world.env.texmfHome()),
              (QStringList{"fonts/map/dvips/minion2/zmn.map", "fonts/tfm/adobe/minion2/zmnr8t.tfm",
                           "fonts/type1/adobe/minion2/README", "fonts/type1/adobe/minion2/zmnb.pfb",
                           "fonts/type1/adobe/minion2/zmnbi.pfb", "fonts/type1/adobe/minion2/zmnr.pfb",
                           "fonts/type1/adobe/minion2/zmnri.pfb", "tex/latex/minion2/t1zmn.fd"}));
    EXPECT_EQ(test::readBytes(world.env.texmfHome() + "/fonts/tfm/adobe/minion2/zmnr8t.tfm"),
              test::readBytes(archive().path("zmnr8t.tfm")));
    EXPECT_EQ(test::readBytes(userScript), QByteArray("# my own\n"));
    EXPECT_EQ(test::readBytes(userSty), QByteArray("% mine\n"));
    EXPECT_EQ(test::filesBelow(world.fonts),
              world.sources() + QStringList({"createzmn", "texmf/tex/latex/mine/mine.sty"}));
}

TEST(Minion2, HelpWindowShowsItsPicture)
{
    Minion2World world(0);
    ASSERT_TRUE(world.window);
    world.window->PushButton1->click();
    Minion2ShowMe* help = Minion2ShowMe::instance();
    EXPECT_TRUE(help->isVisible());
    ASSERT_FALSE(help->Canvas1->pixmap().isNull());
    EXPECT_GT(help->Canvas1->pixmap().width(), 100);
    help->PushButton1->click();
    QApplication::processEvents();
}

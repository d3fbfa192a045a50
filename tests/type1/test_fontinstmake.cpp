#include "FontinstFixture.h"

#include "mainwindow/TdsInstall.h"
#include "mainwindow/Window1.h"
#include "services/FileHelpers.h"
#include "services/RunLog.h"
#include "support/HostileFonts.h"
#include "support/Type1Fixtures.h"
#include "textview/TextWindow.h"
#include "type1/FontinstProcess.h"


using namespace qlk;
using namespace qlk::test;

namespace {

class FontinstMakeTest : public FontinstFixture {
public:
    // A work folder of the test's own as Process would leave it, set as
    // tdsFolder, with the window's fields filled.
    QString handWorkFolder(const QString& prefix = "pmn")
    {
        const QString work = documentsFolder() + "/tmp1234567";
        QDir().mkpath(work);
        tdsFolder = work;
        open();
        w->TextField3->setText(prefix);
        w->TextField1[0]->setText("adobe");
        w->TextField1[1]->setText("Minion");
        return work;
    }

    // The rows of one of the main window's map lists, as the last rescan left them.
    static QStringList mapRows(Window1List* list)
    {
        QStringList out;
        for (int i = 0; i < list->rowCount(); ++i)
            out << list->cell(i, 0);
        return out;
    }

    // A small package tree in W/TDS, as Make leaves it.
    QString handTree()
    {
        const QString work = handWorkFolder();
        for (const char* f : {"fonts/tfm/adobe/Minion/pmnr8t.tfm", "fonts/map/dvips/adobe/Minion/Minion.map",
                              "fonts/type1/adobe/Minion/pmnr8a.pfb", "tex/latex/adobe/Minion/t1pmn.fd",
                              "tex/latex/adobe/Minion/Minion.sty"})
            env.writeFile(QDir(env.root()).relativeFilePath(work + "/TDS/" + QLatin1String(f)), f);
        return work;
    }
};

} // namespace

// The stand-in family from drop to typeset document.
TEST_F(FontinstMakeTest, StandInFamilyMadeInstalledAndTypeset)
{
    setpref("method", 0);
    open();
    for (const auto& [berry, vendor] : urwPalatino()) {
        const QString pmn = "pmn" + berry.mid(3);
        copyTexFile(berry + ".afm", "minion/" + pmn + ".afm");
        copyTexFile(berry + ".pfb", "minion/" + pmn + ".pfb");
    }
    // The italic comes as a PFA, which Make converts.
    const QString m = env.root() + "/minion/";
    ASSERT_EQ(runBash("t1ascii " + shellQuote(m + "pmnri8a.pfb") + " " + shellQuote(m + "pmnri8a.pfa")).exitCode, 0);
    QFile::remove(m + "pmnri8a.pfb");
    w->Listbox1_DropObject({env.root() + "/minion"});
    EXPECT_TRUE(rows().contains("pmnri8a.pfa"));
    EXPECT_EQ(w->TextField3->text(), "pmn");
    EXPECT_EQ(w->TextField1[0]->text(), "adobe");
    {
        TermRecorder term;
        ASSERT_TRUE(w->process()) << env.dialogs.transcript.join("\n").toStdString();
    }
    const QString W = tdsFolder;
    w->TextField1[1]->setText("Minion");
    UnpackRecorder root;
    root.status = 0; // nothing may go the root route in this test

    w->PushButton4->click();
    ASSERT_EQ(env.dialogs.messages,
              QStringList{"A basic .sty file has been constructed in ~/Documents/" + QFileInfo(W).fileName() +
                          "\nYou may wish to edit it before pressing Install."});
    EXPECT_TRUE(w->PushButton2->isEnabled());
    EXPECT_TRUE(w->TextField2->text().endsWith("...prep done...fontinst utilities done..."));
    const QString T = W + "/TDS";
    const QStringList tree = filesUnder(T);
    for (const char* f : {"fonts/afm/adobe/Minion/pmnr8a.afm", "fonts/type1/adobe/Minion/pmnbi8a.pfb",
                          "fonts/type1/adobe/Minion/pmnri8a.pfb", "fonts/tfm/adobe/Minion/pmnr8r.tfm", "fonts/tfm/adobe/Minion/pmnr8t.tfm",
                          "fonts/vf/adobe/Minion/pmnr8t.vf", "fonts/map/dvips/adobe/Minion/Minion.map",
                          "tex/latex/adobe/Minion/t1pmn.fd", "tex/latex/adobe/Minion/Minion.sty"})
        EXPECT_TRUE(tree.contains(f)) << f;
    int fdFiles = 0;
    for (const QString& f : tree) {
        if (!f.endsWith(".fd"))
            continue;
        ++fdFiles;
        EXPECT_EQ(readTextFile(T + "/" + f).count("\\let\\pmn@@scale\\@empty"), 1) << f.toStdString();
    }
    EXPECT_EQ(fdFiles, 4);
    EXPECT_TRUE(readBytes(T + "/fonts/type1/adobe/Minion/pmnri8a.pfb").startsWith("\x80\x01")); // binary now
    const QString sty = readTextFile(T + "/tex/latex/adobe/Minion/Minion.sty");
    EXPECT_TRUE(sty.contains("\\ProvidesPackage{Minion}[" + QDate::currentDate().toString("yyyy/MM/dd") +
                             " v1 URW Palladio L]\n"));
    EXPECT_TRUE(sty.contains("\\renewcommand*{\\rmdefault}{pmn\\sty@suffix}\n"));

    // A second Make keeps one hook per .fd file (none are left in W) and
    // still finds its package complete.
    env.dialogs.messages.clear();
    w->PushButton4->click();
    EXPECT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_EQ(readTextFile(T + "/tex/latex/adobe/Minion/t1pmn.fd").count("\\let\\pmn@@scale\\@empty"), 1);

    // Install into the personal tree, which enables the package map.
    isAdmin = false;
    personalInstall = true;
    env.dialogs.messages.clear();
    w->PushButton2->click();
    EXPECT_EQ(w->TextField2->text(), "Done");
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    EXPECT_TRUE(root.commands.isEmpty());
    // The rescan ran: the main window lists the new personal map.
    const QString personalMap = env.texmfHome() + "/fonts/map/dvips/adobe/Minion/Minion.map";
    EXPECT_EQ(lastInstallStatus, "Install finished.");
    EXPECT_EQ(mapRows(Window1::instance()->Listbox5), QStringList{personalMap});
    EXPECT_EQ(mapDict.value("Minion.map"), personalMap);
    const QString installed = env.texmfHome() + "/tex/latex/adobe/Minion/Minion.sty";
    EXPECT_TRUE(QFileInfo::exists(installed));
    EXPECT_TRUE(QFileInfo::exists(env.texmfHome() + "/fonts/type1/adobe/Minion/pmnr8a.pfb"));
    EXPECT_TRUE(readTextFile(env.texmfConfig() + "/web2c/updmap.cfg").contains("Map Minion.map"));

    // A LaTeX document scales the family and embeds its fonts.
    env.writeFile("doc/doc.tex", "\\documentclass{article}\n\\usepackage[scaled=0.9]{Minion}\n"
                                 "\\begin{document}\nHello\\typeout{FONT:\\fontname\\font} \\textit{italic}\n"
                                 "\\end{document}\n");
    const ProcessResult tex = runBash("cd " + shellQuote(env.root() + "/doc") +
                                      " && pdflatex -interaction=nonstopmode doc.tex && pdffonts doc.pdf", 120000);
    ASSERT_EQ(tex.exitCode, 0) << tex.output.right(2000).toStdString();
    EXPECT_TRUE(tex.output.contains("FONT:pmnr8t at 8.99994pt"));
    EXPECT_TRUE(QRegularExpression("URWPalladioL-Roma\\s+Type 1\\s+Custom\\s+yes").match(tex.output).hasMatch())
        << tex.output.right(600).toStdString();
    EXPECT_TRUE(QRegularExpression("URWPalladioL-Ital\\s+Type 1\\s+Custom\\s+yes").match(tex.output).hasMatch());

    // Test names the package map: updmap's own maps below TEXMFVAR do not count.
    ASSERT_TRUE(QFileInfo::exists(env.texmfVar() + "/fonts/map/dvips/updmap/psfonts.map"));
    const QStringList before = workFolders();
    w->PushButton5->click();
    QStringList made = workFolders();
    for (const QString& f : before)
        made.removeAll(f);
    ASSERT_EQ(made.size(), 1) << env.dialogs.transcript.join("\n").toStdString();
    const QString testDir = documentsFolder() + "/" + made.first();
    EXPECT_TRUE(readTextFile(testDir + "/test.tex").contains("\\pdfmapfile{+Minion.map}"));
    EXPECT_TRUE(QFileInfo::exists(testDir + "/test.pdf"));
    EXPECT_TRUE(desktop.contains("open: " + testDir + "/test.pdf")) << desktop.join("\n").toStdString();

    // A second Install lists the files it would overwrite: Cancel leaves
    // the tree as it was, OK installs from a fresh archive.
    const auto home = snapshot(env.texmfHome());
    QStringList listed;
    bool ok = false;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* viewer = qobject_cast<TextWindow*>(d);
        if (!viewer)
            return 0;
        listed = viewer->text().split(QRegularExpression("[\r\n]"));
        (ok ? viewer->PushButton1 : viewer->PushButton2)->click();
        return viewer->result();
    };
    env.dialogs.messages.clear();
    w->PushButton2->click();
    EXPECT_TRUE(listed.contains(installed)) << listed.join("\n").toStdString();
    EXPECT_EQ(env.dialogs.messages, QStringList{"No files were copied"});
    EXPECT_EQ(w->TextField2->text(), "No files installed.");
    EXPECT_EQ(snapshot(env.texmfHome()), home);
    ok = true;
    QFile::remove(installed);
    w->PushButton2->click();
    EXPECT_EQ(w->TextField2->text(), "Done");
    EXPECT_TRUE(QFileInfo::exists(installed));
    const QStringList entries = runBash("zipinfo -1 " + shellQuote(T + "/TDS.zip")).output.split('\n');
    EXPECT_TRUE(entries.contains("tex/latex/adobe/Minion/Minion.sty"));
    for (const QString& e : entries)
        EXPECT_FALSE(e.endsWith("TDS.zip"));

    // Two package maps below TEXMFVAR: no test document.
    env.writeFile(QDir(env.root()).relativeFilePath(env.texmfVar() + "/fonts/map/dvips/a/a.map"), "x");
    env.writeFile(QDir(env.root()).relativeFilePath(env.texmfVar() + "/fonts/map/dvips/b/b.map"), "x");
    env.dialogs.messages.clear();
    const int folders = int(workFolders().size());
    w->PushButton5->click();
    EXPECT_EQ(env.dialogs.messages, QStringList{"Bailing out---there is more than one map file in texmfvar. "
                                                "Clean out texmfvar and start over."});
    EXPECT_EQ(workFolders().size(), folders);
}

// The names are checked in order before anything runs; both properties
// take the new inputs even when refused.
TEST_F(FontinstMakeTest, MakeRefusesBadNames)
{
    struct Case {
        QString prefix, foundry, family, message;
    };
    const QString letters = kPrefixLettersMessage;
    const Case cases[] = {
        {"pp", "adobe", "", kPrefixLengthMessage},
        {"pplx", "adobe", "Minion", kPrefixLengthMessage},
        {"pmn", "adobe", "  ", "You may not leave foundry or family names unspecified"},
        {"pmn", "", "Minion", "You may not leave foundry or family names unspecified"},
        {"pmn", "adobe", "a/b", "The foundry and family names may not contain \"/\" or \"..\""},
        {"pmn", "..", "Minion", "The foundry and family names may not contain \"/\" or \"..\""},
        {"p-l", "adobe", "Minion", letters},
        {"p_l", "adobe", "Minion", letters},
        {"p@l", "adobe", "Minion", letters},
        {"p\\l", "adobe", "Minion", letters},
    };
    const QString work = handWorkFolder();
    env.writeFile(QDir(env.root()).relativeFilePath(work + "/pmnmap.tex"), "map");
    const auto before = snapshot(env.root());
    UnpackRecorder root;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix.toStdString() + "|" + c.foundry.toStdString() + "|" + c.family.toStdString());
        env.dialogs.messages.clear();
        w->TextField3->setText(" " + c.prefix + " ");
        w->TextField1[0]->setText(c.foundry);
        w->TextField1[1]->setText(c.family);
        EXPECT_FALSE(w->Make());
        EXPECT_EQ(env.dialogs.messages, QStringList{c.message});
        EXPECT_EQ(w->job.berryname, c.prefix.toLower());
        EXPECT_EQ(w->job.family, QString(c.family).remove(' '));
        EXPECT_FALSE(w->PushButton2->isEnabled());
    }
    EXPECT_EQ(snapshot(env.root()), before);
    EXPECT_TRUE(root.commands.isEmpty());
}

TEST_F(FontinstMakeTest, MakeStopsOnBadFdOrIncompletePackage)
{
    const QString work = handWorkFolder(" PMN ");
    // No pltotf script, no fonts: Make goes on, but the tree is no package.
    EXPECT_FALSE(w->Make());
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith(
        "The package is incomplete, so it cannot be installed. Missing in ~/Documents/tmp1234567:\n"
        "TDS/fonts/tfm/adobe/Minion/*.tfm\nTDS/tex/latex/adobe/Minion/*.fd\n"));
    EXPECT_FALSE(w->PushButton2->isEnabled());
    EXPECT_EQ(w->job.berryname, "pmn");
    EXPECT_TRUE(QFileInfo(work + "/TDS/fonts/afm/adobe/Minion").isDir());

    // A .fd without \DeclareFontFamily stops Make before the tree; the
    // files before it in folder order are rewritten, it is not.
    env.dialogs.messages.clear();
    const QByteArray bad = "\\DeclareFontShape{T1}{pmn}{m}{n}{<-> pmnr8t}{}\n";
    env.writeFile("home/Documents/tmp1234567/a.fd", "\\DeclareFontFamily{T1}{pmn}{}\n");
    env.writeFile("home/Documents/tmp1234567/b.FD", bad);
    QDir(work + "/TDS").removeRecursively();
    EXPECT_FALSE(w->Make());
    EXPECT_EQ(env.dialogs.messages, QStringList{"No \\DeclareFontFamily found in b.FD"});
    EXPECT_EQ(readBytes(work + "/b.FD"), bad);
    EXPECT_TRUE(readTextFile(work + "/a.fd").contains("\\pmn@@scale"));
    EXPECT_FALSE(QFileInfo::exists(work + "/TDS"));
    EXPECT_FALSE(w->PushButton2->isEnabled());

    // A file where the tree should go: the folders cannot be made.
    env.dialogs.messages.clear();
    QFile::remove(work + "/b.FD");
    env.writeFile("home/Documents/tmp1234567/TDS", "in the way");
    EXPECT_FALSE(w->Make());
    EXPECT_EQ(env.dialogs.messages, QStringList{"Error creating TDS folder structure in " + work});
    EXPECT_FALSE(w->PushButton2->isEnabled());
}

// A conversion that fails stops Make: what the failed program left behind
// never reaches the tree, and Make does not report a finished package.
TEST_F(FontinstMakeTest, FailedConversionStopsMake)
{
    const QString work = handWorkFolder();
    const QString rel = QDir(env.root()).relativeFilePath(work) + "/";
    const QString tfmFolder = work + "/TDS/fonts/tfm/adobe/Minion/";
    const QString installedPfb = work + "/TDS/fonts/type1/adobe/Minion/pmnr8a.pfb";
    // Everything else a complete package needs.
    env.writeFile(rel + "pmnr8t.tfm", "tfm");
    env.writeFile(rel + "t1pmn.fd", "\\DeclareFontFamily{T1}{pmn}{}\n");
    w->job.bitem = QStringList{env.root() + "/minion/pmnr8a.pfa"};
    w->job.bblist = QStringList{"pmnr8a"};
    copyTexFile("uplr8a.pfb", "minion/pmnr8a.pfb");
    copyTexFile("uplr8r.tfm", "minion/uplr8r.tfm");
    ASSERT_EQ(runBash("tftopl " + shellQuote(env.root() + "/minion/uplr8r.tfm") + " " + shellQuote(work + "/pmnr8r.pl"))
                  .exitCode,
              0);

    struct Case {
        const char* name;
        QByteArray pfa;     // empty: a real PFA
        QByteArray pl;      // empty: a real property list
        QString message;    // empty: Make finishes
    };
    const QString home = "~/Documents/tmp1234567";
    const QList<Case> cases{
        {"PFA that is no font", "not a font\n", {},
         "t1binary could not convert pmnr8a.pfa in " + home + " to a .pfb font, so the package cannot be installed."},
        {"PFA whose encrypted part is binary", pfbWithoutSegmentHeaders(readBytes(env.root() + "/minion/pmnr8a.pfb")),
         {},
         "The outline font " + home +
             "/pmnr8a.pfb is damaged: its encrypted part is not followed by the cleartext trailer with "
             "\"cleartomark\" (a .pfa file whose encrypted part is binary gives such a font).\nTeX could not use "
             "it, so the package cannot be installed.\nMake converted it from the copy that Process made of " +
             env.root() +
             "/minion/pmnr8a.pfa. Make uses only those copies: after changing the dropped font, press Process "
             "again."},
        {"property list that is no font", {}, "garbage\n",
         "pltotf could not make the metrics listed in pltotf-script.tex in " + home +
             ", so the package cannot be installed."},
        {"both real", {}, {}, {}},
    };
    const QByteArray realPl = readBytes(work + "/pmnr8r.pl");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.dialogs.messages.clear();
        QDir(work + "/TDS").removeRecursively();
        QFile::remove(work + "/pmnr8r.tfm");
        QFile::remove(work + "/pmnr8a.pfb");
        env.writeFile(rel + "pmnmap.tex", "pmnr8r URWPalladioL-Roma <pmnr8a.pfb\n");
        env.writeFile(rel + "pltotf-script.tex", "pltotf pmnr8r.pl pmnr8r.tfm\n");
        env.writeFile(rel + "pmnr8r.pl", c.pl.isEmpty() ? realPl : c.pl);
        if (c.pfa.isEmpty()) {
            ASSERT_EQ(runBash("t1ascii " + shellQuote(env.root() + "/minion/pmnr8a.pfb") + " " +
                              shellQuote(work + "/pmnr8a.pfa"))
                          .exitCode,
                      0);
        } else {
            env.writeFile(rel + "pmnr8a.pfa", c.pfa);
        }
        const bool made = c.message.isEmpty();
        EXPECT_EQ(w->Make(), made);
        EXPECT_EQ(w->PushButton2->isEnabled(), made);
        if (made) {
            EXPECT_TRUE(readBytes(installedPfb).startsWith("\x80\x01"));
            EXPECT_TRUE(QFileInfo(tfmFolder + "pmnr8r.tfm").size() > 0);
        } else {
            EXPECT_EQ(env.dialogs.messages, QStringList{c.message});
            EXPECT_FALSE(QFileInfo::exists(work + "/pmnr8a.pfb"));
            EXPECT_FALSE(QFileInfo::exists(installedPfb));
            EXPECT_FALSE(QFileInfo::exists(tfmFolder + "pmnr8r.tfm"));
        }
    }
}

// Make checks Process's copy of a dropped outline, the file Install would
// copy, and names it: a dropped font repaired after Process is not what
// Make reads, and the message says that Process takes a changed font up.
TEST_F(FontinstMakeTest, DamagedCopyIsNamedNotTheDroppedFont)
{
    const QString work = handWorkFolder();
    const QString rel = QDir(env.root()).relativeFilePath(work) + "/";
    env.writeFile(rel + "pmnr8t.tfm", "tfm");
    env.writeFile(rel + "t1pmn.fd", "\\DeclareFontFamily{T1}{pmn}{}\n");
    env.writeFile(rel + "pmnmap.tex", "pmnr8r URWPalladioL-Roma <pmnr8a.pfb\n");
    const QString dropped = copyTexFile("uplr8a.pfb", "minion/pmnr8a.pfb");
    w->job.bitem = QStringList{dropped};
    w->job.bblist = QStringList{"pmnr8a"};
    // Process copied the font while it was damaged; it was repaired since.
    env.writeFile(rel + "pmnr8a.pfb", eexecCutInHalf(readBytes(dropped)));
    EXPECT_FALSE(w->Make());
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    const QString message = env.dialogs.messages.first();
    EXPECT_TRUE(message.startsWith("The outline font ~/Documents/tmp1234567/pmnr8a.pfb is damaged: "))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith("\nIt is the copy that Process made of " + dropped +
                                 ". Make uses only those copies: after changing the dropped font, press Process "
                                 "again."))
        << message.toStdString();
    EXPECT_FALSE(w->PushButton2->isEnabled());

    // What Process would copy now passes.
    env.dialogs.messages.clear();
    QFile::remove(work + "/pmnr8a.pfb");
    ASSERT_TRUE(QFile::copy(dropped, work + "/pmnr8a.pfb"));
    env.writeFile(rel + "pmnmap.tex", "pmnr8r URWPalladioL-Roma <pmnr8a.pfb\n");
    EXPECT_TRUE(w->Make()) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_TRUE(readBytes(work + "/TDS/fonts/type1/adobe/Minion/pmnr8a.pfb").startsWith("\x80\x01"));
}

TEST_F(FontinstMakeTest, SystemInstallGoesTheRootRoute)
{
    setpref("method", 1);
    setpref("sudo", 0);
    const QString W = handTree();
    QDir().mkpath(texmfLocal);
    ASSERT_TRUE(w->RadioButton2[0]->isChecked());
    isAdmin = true;
    personalInstall = false;
    UnpackRecorder root;
    env.dialogs.answers = {true};
    EXPECT_TRUE(w->install()) << env.dialogs.transcript.join("\n").toStdString();
    ASSERT_GE(root.commands.size(), 2);
    // "sudo" 0: the administrator route runs the unpack without sudo.
    EXPECT_EQ(root.commands.first(), stripSudo(unzipTreeCommand(W + "/TDS", texmfLocal, true)));
    EXPECT_TRUE(root.commands.at(1).contains("mktexlsr"));
    EXPECT_TRUE(root.commands.join("\n").contains("--enable Map=Minion.map"));
    EXPECT_EQ(env.dialogs.questions, QStringList{"Delete temporary TDS folder?"});
    EXPECT_TRUE(QFileInfo::exists(env.texmfLocal() + "/tex/latex/adobe/Minion/Minion.sty"));
    EXPECT_FALSE(QFileInfo::exists(W + "/TDS"));
    EXPECT_TRUE(QFileInfo(W).isDir());
    EXPECT_EQ(w->TextField2->text(), "Installation finished");
    // The rescan ran: the main window lists the map now in TEXMFLOCAL.
    const QString localMap = texmfLocal + "/fonts/map/dvips/adobe/Minion/Minion.map";
    EXPECT_EQ(lastInstallStatus, "Install finished.");
    EXPECT_TRUE(mapRows(Window1::instance()->Listbox4).contains(localMap));
    EXPECT_EQ(mapDict.value("Minion.map"), localMap);
    // The tree is gone: a second Install stops at once.
    env.dialogs.messages.clear();
    EXPECT_FALSE(w->install());
    EXPECT_EQ(env.dialogs.messages, QStringList{"~/Documents/tmp1234567/TDS: No such folder."});
}

TEST_F(FontinstMakeTest, FailedRootUnpackStopsBeforeQuestionAndMaps)
{
    setpref("method", 1);
    setpref("sudo", 0);
    const QString W = handTree();
    isAdmin = true;
    UnpackRecorder root;
    root.status = 1;
    env.dialogs.answers = {true};
    EXPECT_FALSE(w->install());
    EXPECT_EQ(root.commands.size(), 1);
    EXPECT_EQ(env.dialogs.messages, QStringList{"Error unzipping TDS. Errorcode=1"});
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    EXPECT_EQ(w->TextField2->text(), "Aborting due to unzipping error");
    EXPECT_TRUE(QFileInfo::exists(W + "/TDS/TDS.zip"));
}

TEST_F(FontinstMakeTest, InstallNeedsWorkFolderAndLocation)
{
    setpref("method", 2);
    handTree();
    UnpackRecorder root;
    EXPECT_FALSE(w->install());
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"Choose an install location first: System texmflocal or Home texmf."});
    tdsFolder.clear();
    env.dialogs.messages.clear();
    EXPECT_FALSE(w->install());
    EXPECT_EQ(env.dialogs.messages, QStringList{"There is no work folder: press Process and Make first."});
    EXPECT_TRUE(root.commands.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(env.texmfHome() + "/tex"));
}

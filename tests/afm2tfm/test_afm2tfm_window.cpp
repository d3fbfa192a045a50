#include "afm2tfm/AdobeAFMWin.h"
#include "afm2tfm/ChooseFontFamily.h"
#include "afm2tfm/afm2tfmWin.h"
#include "fontinfo/ExamineList.h"
#include "platform/BundleScripts.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "platform/UiHooks.h"
#include "prefs/PrefsStore.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "support/HostileFonts.h"
#include "support/HttpTestServer.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"
#include "support/Type1Fixtures.h"
#include "texenv/FinishInstall.h"
#include "texenv/Init.h"
#include "texenv/TexEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace qlk;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Root commands run at once in the test's shell, their text recorded;
// updmap-sys is only recorded.
struct RootRecorder {
    QStringList commands;
    RootRecorder()
    {
        setBundleScriptRunner([this](const QString&, const QStringList& args) {
            const QString text = args.value(0);
            commands << text;
            if (text.contains(QLatin1String("updmap")) || text.contains(QLatin1String("mktexlsr")))
                return ScriptResult{0, QString()};
            const ProcessResult r = test::runRootCommands(text);
            return ScriptResult{r.exitCode, r.output};
        });
    }
    ~RootRecorder() { test::refuseRootRoute(); }
};

class Afm2tfmWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setAppFolderForTesting(QLK_APP_DIR);
        setpref("method", qint32(0));
        init();
        ASSERT_EQ(env.takeQuits(), 0);
        uiHooks().showCommandFailure = [this](const QString& report) { failures << report; };
        w = afm2tfmWin::instance();
        w->show();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
        uiHooks().showCommandFailure = nullptr;
    }
    // A folder below the test's root holding copies of TeX Live's files,
    // each under its own name or a new one ("new=old").
    QString fontFolder(const QString& folder, const QStringList& files)
    {
        const QString dir = env.root() + "/" + folder;
        QDir().mkpath(dir);
        for (const QString& entry : files) {
            const QString to = entry.section('=', 0, 0);
            const QString from = entry.contains('=') ? entry.section('=', 1) : entry;
            const QString source = test::texFile(from);
            EXPECT_FALSE(source.isEmpty()) << from.toStdString();
            QFile::copy(source, dir + "/" + to);
        }
        return dir;
    }
    QStringList column(int col) const
    {
        QStringList out;
        for (int i = 0; i < w->Listbox1->rowCount(); ++i)
            out << w->Listbox1->cell(i, col);
        return out;
    }
    QString transcript() const { return env.dialogs.transcript.join("\n"); }
    // Closes the window and shows a fresh one.
    void reopen()
    {
        if (w)
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        w = afm2tfmWin::instance();
        w->show();
    }

    test::TestEnv env{false};
    RootRecorder root;
    QStringList failures;
    QPointer<afm2tfmWin> w;
};

} // namespace

TEST_F(Afm2tfmWindowTest, OpensFromTheMenuWithTheDestinationsOfTheUser)
{
    const bool wasAdmin = isAdmin;
    for (bool admin : {true, false}) {
        SCOPED_TRACE(admin);
        if (w)
            w->close();
        QApplication::processEvents();
        isAdmin = admin;
        ASSERT_TRUE(test::chooseMenuItem("FileAfm2tfm"));
        w = afm2tfmWin::instance();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->windowTitle(), "Add individual fonts");
        EXPECT_EQ(w->PushButton2->text(), "Prepare");
        EXPECT_EQ(w->PushButton3->text(), "Install");
        EXPECT_FALSE(w->PushButton2->isEnabled());
        EXPECT_FALSE(w->PushButton3->isEnabled());
        EXPECT_TRUE(w->RadioButton2[0]->isChecked());
        EXPECT_EQ(w->RadioButton3[0]->isChecked(), admin);
        EXPECT_EQ(w->RadioButton3[1]->isChecked(), !admin);
        EXPECT_EQ(w->RadioButton3[0]->isVisibleTo(w), admin);
        EXPECT_EQ(w->RadioButton3[1]->isVisibleTo(w), !admin);
        EXPECT_EQ(w->RadioButton3[2]->isVisibleTo(w), !admin);
        // A later activation keeps the user's choices.
        w->RadioButton2[2]->setChecked(true);
        w->hide();
        w->show();
        EXPECT_TRUE(w->RadioButton2[2]->isChecked());
    }
    isAdmin = wasAdmin;
    // The context menu of an empty list runs nothing.
    EXPECT_FALSE(w->Listbox1_ContextualMenuAction(1));
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
}

TEST_F(Afm2tfmWindowTest, CheckfieldsOnlyEverEnablesPrepare)
{
    struct Case {
        bool rows;
        QString supplier, family;
        bool enabled;
    } cases[] = {
        {false, "urw", "Foo", false}, {true, "", "Foo", false},   {true, "urw", "  ", false},
        {true, "  ", "Foo", false},   {true, " urw ", "Foo", true},
    };
    for (const Case& c : cases) {
        w->Listbox1->deleteAllRows();
        if (c.rows)
            w->Listbox1->addFileRow("x.afm");
        w->PushButton2->setEnabled(false);
        w->TextField1->setText(c.supplier);
        w->TextField2->setText(c.family);
        w->Checkfields();
        EXPECT_EQ(w->PushButton2->isEnabled(), c.enabled) << c.supplier.toStdString() << "/" << c.family.toStdString();
    }
    // Emptying a field afterwards leaves the button as it was.
    w->TextField2->clear();
    w->Checkfields();
    EXPECT_TRUE(w->PushButton2->isEnabled());
    EXPECT_FALSE(w->PushButton3->isEnabled());
}

TEST_F(Afm2tfmWindowTest, DropOfOneAfmFillsTheWindowAndTheLog)
{
    const QString folder = fontFolder("chancery", {"uzcmi8a.afm"});
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(column(0), QStringList({"uzcmi8a.afm"}));
    EXPECT_EQ(column(2), QStringList({"10"}));
    EXPECT_EQ(w->TextField1->text(), "urw");
    EXPECT_EQ(w->TextField2->text(), "URWChanceryL");
    EXPECT_EQ(w->prefix, "uzc");
    EXPECT_EQ(w->instpfb, QList<bool>({true}));
    EXPECT_EQ(w->psname, QStringList({"URWChanceryL-MediItal"}));
    EXPECT_TRUE(w->PushButton2->isEnabled());
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << transcript().toStdString();

    ASSERT_TRUE(logStream);
    EXPECT_EQ(w->StaticText10->text(), logStream->fileName());
    const QString log = QString::fromUtf8(test::readBytes(logStream->fileName()));
    const int start = log.lastIndexOf("%%%%%% new program run %%%\n");
    ASSERT_GE(start, 0);
    const QStringList lines = log.mid(start).split('\n');
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$").match(lines.value(1)).hasMatch());
    EXPECT_EQ(lines.mid(2, 4), QStringList({"Dropped font folder " + folder, "%%Looking for afm/pfb/pfa files---",
                                            "uzcmi8a.afm", "%% end of font list"}));

    // The folder is taken; another is refused and nothing changes.
    w->Listbox1_DropObject({fontFolder("other", {"ucrr8a.afm"})});
    EXPECT_EQ(env.dialogs.messages, QStringList({"You can't add new items to an existing list---the afm--pfb/a "
                                                 "pairs must be in a single folder"}));
    EXPECT_EQ(column(0), QStringList({"uzcmi8a.afm"}));
}

TEST_F(Afm2tfmWindowTest, RefusedDropsAndWhatTheyLeave)
{
    struct Case {
        const char* name;
        QStringList files; // "" entries make no file
        int paths;         // 2: the folder twice; -1: a file
        QStringList messages;
        bool folderKept;
    } cases[] = {
        {"lone pfb", {"xyz.pfb=uzcmi8a.pfb"}, 1, {"No afm corresponding to xyz.pf*"}, false},
        {"no outline", {"uagr8a.afm"}, 1,
         {"No pfb/pfa corresponding to uagr8a.afm either in current folder or installed."}, false},
        {"two prefixes", {"uagk8a.afm", "ubkl8a.afm"}, 1,
         {"You have used more than one Berry prefix: uag, ubk\nAll prefixes must be the same."}, false},
        {"nothing", {}, 1, {"There are no .afm, .pfb or .pfa files in the folder you dropped."}, false},
        {"subfolder only", {"sub/uzcmi8a.afm=uzcmi8a.afm"}, 1,
         {"There are no .afm, .pfb or .pfa files in the folder you dropped."}, false},
        {"two folders", {"uzcmi8a.afm"}, 2, {"You are permitted to drop only a single folder"}, true},
        {"a file", {"uzcmi8a.afm"}, -1, {"You cannot drop individual files---just a single folder"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reopen();
        env.dialogs.messages.clear();
        const QString dir = env.root() + "/" + c.name;
        QDir().mkpath(dir);
        for (const QString& f : c.files) {
            const QString to = dir + "/" + f.section('=', 0, 0);
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(test::texFile(f.contains('=') ? f.section('=', 1) : f), to);
        }
        QStringList paths{dir};
        if (c.paths == 2)
            paths << dir;
        if (c.paths == -1)
            paths = {dir + "/" + c.files.first()};
        w->Listbox1_DropObject(paths);
        EXPECT_EQ(env.dialogs.messages, c.messages);
        EXPECT_EQ(w->Listbox1->rowCount(), 0);
        EXPECT_FALSE(w->PushButton2->isEnabled());
        EXPECT_EQ(!w->fontfolder.isEmpty(), c.folderKept);
        // A refusal that forgets the folder takes a good one next.
        env.dialogs.messages.clear();
        w->Listbox1_DropObject({fontFolder("good", {"uzcmi8a.afm"})});
        EXPECT_EQ(w->Listbox1->rowCount(), c.folderKept ? 0 : 1);
    }
}

TEST_F(Afm2tfmWindowTest, AFileNameLikeAnOptionIsRefusedAtTheDrop)
{
    // kpsewhich would answer "uzcmi8a.pfb" to the option -expand-braces.
    const QString dir = env.root() + "/dashed";
    QDir().mkpath(dir);
    ASSERT_TRUE(QFile::copy(test::texFile("uzcmi8a.afm"), dir + "/-expand-braces=uzcmi8a.afm"));
    w->Listbox1_DropObject({dir});
    EXPECT_EQ(env.dialogs.messages,
              QStringList({"These file names cannot be handed safely to the TeX programs (only letters, digits and "
                           ". _ + - may name a TeX font, and no name may begin with \"-\"):\n"
                           "dashed/-expand-braces=uzcmi8a.afm\n\n"
                           "Rename or remove them and drop again. Nothing was read or written."}));
    EXPECT_TRUE(w->instpfb.isEmpty()) << "nothing was looked up";
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_TRUE(w->fontfolder.isEmpty());
}

TEST_F(Afm2tfmWindowTest, NamesThatBreakTexAreRefusedByNameAndAFailedStepStopsThePackage)
{
    // A parenthesis in the file name would become the .fd's family and
    // shape; one in the PostScript name would go into the map line.
    w->Listbox1_DropObject({fontFolder("paren", {"q(z).afm=uzcmi8a.afm", "q(z).pfb=uzcmi8a.pfb"})});
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains("\nparen/q(z).afm\nparen/q(z).pfb\n"))
        << transcript().toStdString();
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_FALSE(w->PushButton2->isEnabled());

    reopen();
    env.dialogs.messages.clear();
    const QString ps = fontFolder("psname", {"uzcmi8a.afm"});
    QByteArray afm = test::readBytes(ps + "/uzcmi8a.afm");
    ASSERT_TRUE(afm.contains("FontName URWChanceryL-MediItal\n"));
    afm.replace("FontName URWChanceryL-MediItal\n", "FontName q(z)\n");
    env.writeFile("psname/uzcmi8a.afm", afm);
    w->Listbox1_DropObject({ps});
    EXPECT_EQ(env.dialogs.messages,
              QStringList({"These fonts have PostScript names that a map file and TeX cannot take (blanks, ( ) < > "
                           "[ ] { } / % \" \\ or characters outside ASCII):\nuzcmi8a.afm: q(z)"}));
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_FALSE(w->PushButton2->isEnabled());

    // pltotf fails: no .fd and no map name the metric it did not make, and
    // Install stays off.
    reopen();
    env.dialogs.messages.clear();
    w->Listbox1_DropObject({fontFolder("chancery", {"uzcmi8a.afm"})});
    ASSERT_TRUE(w->PushButton2->isEnabled());
    const QString bin = env.root() + "/bin";
    QDir().mkpath(bin);
    for (const QFileInfo& program : QDir(texbin()).entryInfoList(QDir::Files | QDir::System)) {
        if (program.fileName() != "pltotf")
            QFile::link(program.absoluteFilePath(), bin + "/" + program.fileName());
    }
    env.writeScript("bin/pltotf", "echo 'Sorry, I cannot read that' >&2\nexit 1\n");
    setTexbinForTesting(bin);
    w->prepare();
    setTexbinForTesting(QString());
    ASSERT_FALSE(env.dialogs.messages.isEmpty());
    EXPECT_EQ(env.dialogs.messages.last(),
              "pltotf failed for uzcmi8a.afm. The package was not made and cannot be installed.");
    EXPECT_FALSE(failures.isEmpty()) << "the failed command is shown";
    EXPECT_FALSE(w->PushButton3->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(tdsFolder + "/uuzc.fd"));
    EXPECT_FALSE(QFileInfo::exists(tdsFolder + "/URWChanceryL.map"));
}

TEST_F(Afm2tfmWindowTest, TwoFamilyNamesAskTheChooser)
{
    const QString folder = fontFolder("courier", {"ucrr8a.afm"});
    QByteArray other = test::readBytes(test::texFile("ucrro8a.afm"));
    other.replace("FamilyName Nimbus Mono L", "FamilyName Courier Ten");
    ASSERT_TRUE(other.contains("FamilyName Courier Ten"));
    env.writeFile("courier/ucrro8a.afm", other);

    QStringList offered;
    env.dialogs.onModal = [&](QDialog* d) {
        auto* chooser = qobject_cast<ChooseFontFamily*>(d);
        EXPECT_NE(chooser, nullptr);
        for (int i = 0; i < chooser->PopupMenu1->count(); ++i)
            offered << chooser->PopupMenu1->itemText(i);
        EXPECT_EQ(chooser->PopupMenu1->currentIndex(), 0);
        chooser->PopupMenu1->setCurrentIndex(1);
        chooser->PushButton1->click();
        return 1;
    };
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(offered, QStringList({"NimbusMonoL", "CourierTen"}));
    EXPECT_EQ(w->TextField2->text(), "CourierTen");

    // Closed by its close box, the chooser writes nothing: Prepare refuses
    // the empty family instead of making ".map".
    reopen();
    env.dialogs.onModal = [](QDialog*) { return 0; };
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(w->TextField2->text(), "");
    EXPECT_TRUE(w->PushButton2->isEnabled());
    const QStringList before = QDir(documentsFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    w->prepare();
    EXPECT_EQ(env.dialogs.messages.value(0), "You may not leave foundry or family names unspecified");
    EXPECT_EQ(QDir(documentsFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), before);
    EXPECT_FALSE(w->PushButton3->isEnabled());
}

TEST_F(Afm2tfmWindowTest, PrepareAndInstallMakeAUsableFamily)
{
    w->Listbox1_DropObject({fontFolder("chancery", {"uzcmi8a.afm"})});
    ASSERT_TRUE(w->PushButton2->isEnabled());
    w->prepare();
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << transcript().toStdString();
    ASSERT_TRUE(w->PushButton3->isEnabled());
    const QString tds = tdsFolder;
    EXPECT_EQ(QFileInfo(tds).path(), documentsFolder());
    EXPECT_EQ(QFileInfo(tds).fileName(), w->tmpfname);

    EXPECT_EQ(w->maplines, QStringList({"uzcmi8a URWChanceryL-MediItal <uzcmi8a.pfb"}));
    const QStringList map = QString::fromLatin1(test::readBytes(tds + "/URWChanceryL.map")).split('\n');
    EXPECT_TRUE(map.value(0).startsWith("% Created by Quillmark 20"));
    EXPECT_EQ(map.mid(1), QStringList({"uzcmi8a URWChanceryL-MediItal <uzcmi8a.pfb", ""}));
    const QStringList fd = QString::fromLatin1(test::readBytes(tds + "/uuzc.fd")).split('\n');
    EXPECT_EQ(fd.value(0), "% Created by Quillmark [" + map.value(0).mid(23) + "]");
    EXPECT_EQ(fd.mid(1), QStringList({"\\ProvidesFile{uuzc.fd}", "[ URWChanceryL (Unknown encoding)]",
                                      "\\DeclareFontFamily{U}{uzc}{}",
                                      "\\DeclareFontShape{U}{uzc}{m}{it}{<-> uzcmi8a}{}", "\\endinput", ""}));
    EXPECT_TRUE(QFileInfo(tds + "/TDS/fonts/tfm/urw/URWChanceryL/uzcmi8a.tfm").isFile());
    // The installed PFB is not copied.
    EXPECT_TRUE(QDir(tds + "/TDS/fonts/type1/urw/URWChanceryL").isEmpty());

    // Installing into the personal tree enables the map there.
    w->install();
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    for (const char* branch : {"fonts/afm", "fonts/tfm", "fonts/map/dvips", "tex/latex"})
        EXPECT_TRUE(QDir(env.texmfHome() + "/" + branch + "/urw/URWChanceryL").exists()) << branch;
    EXPECT_TRUE(QFileInfo(env.texmfHome() + "/tex/latex/urw/URWChanceryL/uuzc.fd").isFile());
    EXPECT_EQ(tdsMaps, QStringList({"URWChanceryL"}));
    EXPECT_TRUE(QString::fromUtf8(test::readBytes(env.texmfConfig() + "/web2c/updmap.cfg"))
                    .contains("Map URWChanceryL.map"));

    // A document set in the new family embeds the font.
    const QString doc = env.root() + "/doc";
    QDir().mkpath(doc);
    env.writeFile("doc/t.tex", "\\documentclass{article}\\begin{document}\\usefont{U}{uzc}{m}{it}Quill mark"
                               "\\end{document}\n");
    ProcessResult r = runBash("cd " + shellQuote(doc) + " && " + shellQuote(texProgram("pdflatex")) +
                              " -interaction=nonstopmode t.tex");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    r = runBash("pdffonts " + shellQuote(doc + "/t.pdf"));
    ASSERT_EQ(r.exitCode, 0);
    const QString line = r.output.split('\n').filter("URWChanceryL-MediItal").value(0);
    EXPECT_FALSE(line.isEmpty()) << r.output.toStdString();
    EXPECT_TRUE(line.contains(" yes ")) << line.toStdString();

    // A second Install says so instead of failing on the moved files.
    env.dialogs.messages.clear();
    w->install();
    EXPECT_EQ(env.dialogs.messages, QStringList({"The package URWChanceryL is installed already."}));
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    EXPECT_FALSE(w->PushButton3->isEnabled());
}

TEST_F(Afm2tfmWindowTest, AMapNameInUseIsWarnedAtTheDropAndRefusedAtInstall)
{
    QByteArray afm = test::readBytes(test::texFile("uzcmi8a.afm"));
    afm.replace("FamilyName URW Chancery L", "FamilyName uzc");
    // Under a name of its own: TeX Live has a virtual font uzcmi8t.
    env.writeFile("uzc/uzcri8a.afm", afm);
    ASSERT_TRUE(QFile::copy(test::texFile("uzcmi8a.pfb"), env.root() + "/uzc/uzcri8a.pfb"));
    w->RadioButton2[2]->setChecked(true);
    w->Listbox1_DropObject({env.root() + "/uzc"});
    ASSERT_EQ(env.dialogs.messages.size(), 2) << transcript().toStdString();
    EXPECT_TRUE(env.dialogs.messages.at(0).startsWith("WARNING!! There is already a map file using that name:\n"));
    EXPECT_TRUE(env.dialogs.messages.at(0).contains("/uzc.map\nChange Font Family Name"));
    EXPECT_TRUE(env.dialogs.messages.at(1).startsWith(
        "WARNING!! There are existing .fd files that will be overwritten if you install:\n"));
    EXPECT_TRUE(env.dialogs.messages.at(1).contains("t1uzc.fd"));

    env.dialogs.messages.clear();
    w->prepare();
    ASSERT_TRUE(w->PushButton3->isEnabled()) << transcript().toStdString();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.at(0).startsWith("WARNING!!! There is already an fd file named t1uzc.fd at\n"));
    EXPECT_EQ(w->maplines.value(0).section(' ', 0, 0), "uzcri8t");
    EXPECT_TRUE(QFileInfo(tdsFolder + "/TDS/fonts/tfm/urw/uzc/uzcri8t.tfm").isFile());
    EXPECT_TRUE(QString::fromLatin1(test::readBytes(tdsFolder + "/t1uzc.fd")).contains("{T1}{uzc}{m}{it}{<-> uzcri8t}"));

    env.dialogs.messages.clear();
    const auto before = QDir(env.texmfHome()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    w->install();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.at(0).startsWith("There is already a map file by the same name at \n"));
    EXPECT_FALSE(w->PushButton3->isEnabled());
    EXPECT_EQ(QDir(env.texmfHome()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

TEST_F(Afm2tfmWindowTest, RawFontsDesignSizesPfaAndRepeatedShapes)
{
    // A PFA of a font TeX Live does not have is converted into the tree.
    const QString folder = fontFolder("courier", {"ucrr8a.afm", "ucrro8a.afm", "ucrr8a.pfb", "ucrbq8a.afm=ucrb8a.afm"});
    ProcessResult r = runBash("t1ascii " + shellQuote(test::texFile("ucrb8a.pfb")) + " " +
                              shellQuote(folder + "/ucrbq8a.pfa"));
    ASSERT_EQ(r.exitCode, 0);
    w->Listbox1_DropObject({folder});
    ASSERT_TRUE(env.dialogs.messages.isEmpty()) << transcript().toStdString();
    ASSERT_EQ(column(0), QStringList({"ucrbq8a.afm", "ucrbq8a.pfa", "ucrr8a.afm", "ucrr8a.pfb", "ucrro8a.afm"}));
    EXPECT_EQ(w->instpfb, QList<bool>({false, true, true}));

    // ucrbq8a: RAW and 12 pt; ucrr8a: a typing slip first.
    w->Listbox1->setChecked(0, true);
    w->Listbox1->setCell(0, 2, "12");
    w->Listbox1->setCell(2, 2, "1O");
    w->prepare();
    EXPECT_EQ(env.dialogs.messages, QStringList({"The design size of ucrr8a.afm must be a positive number of "
                                                 "points, not \"1O\"."}));
    EXPECT_FALSE(w->PushButton3->isEnabled());
    EXPECT_TRUE(QDir(documentsFolder()).entryList({"tmp*"}, QDir::Dirs).isEmpty());

    env.dialogs.messages.clear();
    w->Listbox1->setCell(2, 2, "10");
    w->Listbox1->setCell(2, 1, "-s .167");
    w->prepare();
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    ASSERT_TRUE(w->PushButton3->isEnabled());
    const QString tds = tdsFolder;
    EXPECT_TRUE(w->maplines.value(0).startsWith("ucrbq7z NimbusMonL-Bold"));
    EXPECT_TRUE(w->maplines.value(1).contains("SlantFont")) << w->maplines.value(1).toStdString();
    EXPECT_TRUE(test::readBytes(tds + "/ucrbq7z.pl").contains("(DESIGNSIZE R 12.0)"));
    EXPECT_TRUE(test::readBytes(tds + "/ucrbq8a.pl").contains("(DESIGNSIZE R 12.0)"));
    EXPECT_TRUE(test::readBytes(tds + "/ucrr8a.pl").contains("(DESIGNSIZE R 10.0)"));
    EXPECT_TRUE(QFileInfo(tds + "/ucrbq7z.tfm").isFile());
    const QByteArray pfb = test::readBytes(tds + "/TDS/fonts/type1/urw/NimbusMonoL/ucrbq8a.pfb");
    EXPECT_TRUE(pfb.startsWith("\x80\x01")) << "t1binary made no PFB";
    // ucrr8a.pfb is installed already: not copied.
    EXPECT_FALSE(QFileInfo::exists(tds + "/TDS/fonts/type1/urw/NimbusMonoL/ucrr8a.pfb"));

    // ucrr8a and its oblique are both m}{n.
    ASSERT_EQ(env.dialogs.messages.size(), 1) << transcript().toStdString();
    EXPECT_EQ(env.dialogs.messages.at(0), "WARNING!!! The file uucr.fd is faulty and must be corrected before "
                                          "installation.\nThere are repetions of some of the weight/shape pairs.");
    const QString fd = QString::fromLatin1(test::readBytes(tds + "/uucr.fd"));
    EXPECT_EQ(fd.count("{U}{ucr}{m}{n}"), 2);
    EXPECT_TRUE(fd.contains("{<-> ucrbq7z}{}"));

    // A second preparation makes a second work folder.
    w->prepare();
    EXPECT_NE(tdsFolder, tds);
    EXPECT_EQ(QDir(documentsFolder()).entryList({"tmp*"}, QDir::Dirs).size(), 2);
}

TEST_F(Afm2tfmWindowTest, ContextMenuShowsOtfinfosAnswerOrItsComplaint)
{
    w->Listbox1_DropObject({fontFolder("chancery", {"uzcmi8a.afm"})});
    env.dialogs.messages.clear();
    w->Listbox1_CellClick(0);
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(1));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_FALSE(env.dialogs.messages.at(0).isEmpty());
    EXPECT_TRUE(env.dialogs.messages.at(0).contains("not an OpenType font")) << env.dialogs.messages.at(0).toStdString();
    w->Listbox1_CellClick(5);
    EXPECT_FALSE(w->Listbox1_ContextualMenuAction(2));
    EXPECT_EQ(env.dialogs.messages.size(), 1);
}

namespace {

class AdobeAFMTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setAppFolderForTesting(QLK_APP_DIR);
        init();
        ASSERT_TRUE(server.ok());
        setpref("AdobeAFMLink", server.baseUrl() + "/afm");
        ASSERT_TRUE(test::chooseMenuItem("ViewAdobeAFMs"));
        w = AdobeAFMWin::instance();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
    }
    int rowOf(const QString& ps) const
    {
        for (int i = 0; i < w->Listbox1->rowCount(); ++i)
            if (w->Listbox1->cell(i, 1) == ps)
                return i;
        return -1;
    }
    test::TestEnv env{false};
    test::HttpTestServer server;
    QPointer<AdobeAFMWin> w;
};

} // namespace

TEST_F(AdobeAFMTest, ListsTheVendorsFontsAndFetchesOne)
{
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Adobe AFM Downloads");
    EXPECT_EQ(w->TextField1->text(), server.baseUrl() + "/afm");
    const int row = rowOf("ACaslon-Bold");
    ASSERT_GE(row, 0);
    EXPECT_EQ(w->Listbox1->cell(row, 0), "pacb8a");
    EXPECT_EQ(w->Listbox1->cell(row, 2), "awb_____.afm");
    EXPECT_EQ(w->rowTag(row), "180");
    EXPECT_EQ(w->rowTag(rowOf("Courier")), "0.1");

    server.serve("/afm/151-200/180/awb_____.afm", "StartFontMetrics 2.0\nFontName ACaslon-Bold\n");
    env.dialogs.answers = {false};
    w->Listbox1_CellClick(row);
    w->Listbox1_DoubleClick();
    EXPECT_EQ(server.requests(), QStringList({"/afm/151-200/180/awb_____.afm"}));
    EXPECT_EQ(env.dialogs.questions, QStringList({"Download succeeded---reveal file in the file manager?"}));
    EXPECT_TRUE(test::readBytes(env.home() + "/awb_____.afm").startsWith("StartFontMetrics"));

    // Not on the server: the failure message and no file.
    w->Listbox1_CellClick(rowOf("Courier"));
    w->Listbox1_DoubleClick();
    EXPECT_EQ(server.requests().value(1), "/afm/base17/0.1/com_____.afm");
    EXPECT_EQ(env.dialogs.messages, QStringList({"Download failed!!"}));
    EXPECT_FALSE(QFileInfo::exists(env.home() + "/com_____.afm"));

    // A record without a file name fetches nothing.
    const int pi = rowOf("ScienceTypeCustomPi-No1T");
    ASSERT_GE(pi, 0);
    w->Listbox1_CellClick(pi);
    w->Listbox1_DoubleClick();
    EXPECT_EQ(env.dialogs.messages.last(), "No AFM to retrieve");
    EXPECT_EQ(server.requests().size(), 2);
}

// A mirror that answers without end: the download stops at the AFM limit
// and leaves nothing in the home folder.
TEST_F(AdobeAFMTest, AnEndlessAnswerIsRefused)
{
    const int row = rowOf("ACaslon-Bold");
    ASSERT_GE(row, 0);
    server.serveStream("/afm/151-200/180/awb_____.afm", -1);
    w->Listbox1_CellClick(row);
    w->Listbox1_DoubleClick();
    EXPECT_EQ(env.dialogs.messages, QStringList({"Download failed!!"}));
    EXPECT_TRUE(env.dialogs.questions.isEmpty());
    EXPECT_TRUE(QDir(env.home()).entryList({"*.afm*"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(AdobeAFMTest, ClosingSavesTheTrimmedAddress)
{
    w->TextField1->setText("  http://mirror.example/afm  ");
    w->close();
    QApplication::processEvents();
    EXPECT_EQ(prefText("AdobeAFMLink"), "http://mirror.example/afm");
    resetPrefsForTesting();
    EXPECT_EQ(prefText("AdobeAFMLink"), "http://mirror.example/afm");
}

TEST_F(Afm2tfmWindowTest, InstallGoesWhereMethodAndDestinationSay)
{
    struct Case {
        const char* name;
        int method;
        int button;    // destination selected
        QString tree;  // where the fonts must land; empty: nowhere
        bool blocked;  // the tree is a file
    } cases[] = {
        {"system", 1, 0, env.texmfLocal(), false},
        {"texlive", 0, 2, env.texmfVar(), false},
        {"personal tree is a file", 0, 1, env.texmfHome(), true},
    };
    // Read before the installs put copies in front of it.
    const QByteArray distAfm = test::readBytes(test::texFile("uzcmi8a.afm"));
    const bool wasAdmin = isAdmin;
    isAdmin = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reopen();
        env.dialogs.messages.clear();
        root.commands.clear();
        if (c.blocked) {
            QDir(c.tree).removeRecursively();
            env.writeFile(QDir(env.root()).relativeFilePath(c.tree), "not a folder");
        }
        setpref("method", qint32(c.method));
        setpref("sudo", qint32(0));
        // A family of its own per case: the earlier cases' fonts stay installed.
        const QString family = QString("Chancery") + QString(c.name).remove(' ');
        QByteArray afm = distAfm;
        afm.replace("FamilyName URW Chancery L", "FamilyName " + family.toLatin1());
        env.writeFile(QString("in-") + c.name + "/uzcmi8a.afm", afm);
        w->Listbox1_DropObject({env.root() + "/in-" + c.name});
        w->prepare();
        ASSERT_TRUE(w->PushButton3->isEnabled()) << transcript().toStdString();
        w->RadioButton3[c.button]->setChecked(true);
        tdsMaps.clear();
        env.dialogs.messages.clear();
        w->install();
        const QString fd = c.tree + "/tex/latex/urw/" + family + "/uuzc.fd";
        if (c.blocked) {
            EXPECT_EQ(w->TextField2->text(), family) << transcript().toStdString();
            EXPECT_EQ(env.dialogs.messages, QStringList({"Copying the fonts into " + c.tree + " failed."}));
            EXPECT_TRUE(tdsMaps.isEmpty()) << "the installation went on";
            continue;
        }
        // The map enabling is finishInstall's; the copy must not complain.
        EXPECT_TRUE(env.dialogs.messages.filter("Copying").isEmpty()) << transcript().toStdString();
        EXPECT_TRUE(env.dialogs.messages.filter("mktexlsr failed").isEmpty()) << transcript().toStdString();
        EXPECT_TRUE(QFileInfo(fd).isFile());
        EXPECT_EQ(tdsMaps, QStringList({family}));
        const QString rootText = root.commands.join("\n");
        EXPECT_EQ(rootText.contains("cp -rpf"), c.method == 1) << rootText.toStdString();
        if (c.method == 1) {
            EXPECT_TRUE(rootText.contains("mktexlsr")) << rootText.toStdString();
        }
    }
    isAdmin = wasAdmin;
}

namespace {

// Typesets `body` with pdflatex in a folder of its own below the test's
// root and returns pdffonts' and pdftotext's answers, one after the other.
QString typeset(test::TestEnv& env, const QString& name, const QString& preamble, const QString& body,
                QString* log = nullptr)
{
    const QString doc = env.root() + "/" + name;
    QDir().mkpath(doc);
    env.writeFile(name + "/t.tex", ("\\documentclass{article}" + preamble + "\\begin{document}" + body +
                                    "\\end{document}\n")
                                       .toLatin1());
    const QString cd = "cd " + shellQuote(doc) + " && ";
    ProcessResult r = runBash(cd + shellQuote(texProgram("pdflatex")) + " -interaction=nonstopmode t.tex");
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    if (log)
        *log = QString::fromLatin1(test::readBytes(doc + "/t.log"));
    const ProcessResult fonts = runBash(cd + "pdffonts t.pdf");
    const ProcessResult text = runBash(cd + "pdftotext -enc UTF-8 t.pdf -");
    return fonts.output + "\n" + QString::fromUtf8(text.output.toUtf8());
}

} // namespace

// LY1 and T1 packages set dashes and the fi ligature as glyphs of their
// own and kern AV: the map line and the .fd name the metric that holds the
// AFM's ligatures and kerns.
TEST_F(Afm2tfmWindowTest, EncodedPackagesKeepLigaturesAndKerns)
{
    struct Case {
        int button;
        QString family, enc, metric;
        QString taken; // a virtual font of TeX Live's under the metric name
    } cases[] = {
        {1, "TimesLY", "LY1", "uxyr8y", ""},
        {2, "TimesEC", "T1", "uxyr8t", "utmr8t"},
    };
    const QByteArray distAfm = test::readBytes(test::texFile("utmr8a.afm"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enc.toStdString());
        reopen();
        env.dialogs.messages.clear();
        QByteArray afm = distAfm;
        afm.replace("FamilyName Nimbus Roman No9 L", "FamilyName " + c.family.toLatin1());
        ASSERT_TRUE(afm.contains(c.family.toLatin1()));
        env.writeFile(c.family + "/utmr8a.afm", afm);
        w->RadioButton2[c.button]->setChecked(true);
        w->Listbox1_DropObject({env.root() + "/" + c.family});
        w->prepare();
        if (c.taken.isEmpty()) {
            EXPECT_TRUE(w->PushButton3->isEnabled()) << transcript().toStdString();
        } else {
            ASSERT_FALSE(env.dialogs.messages.isEmpty());
            EXPECT_TRUE(env.dialogs.messages.last().startsWith(
                "TeX already finds a virtual font named like the metric " + c.taken + " that this encoding makes:\n"));
            EXPECT_FALSE(w->PushButton3->isEnabled());
        }

        // The same font under a name of its own.
        reopen();
        env.dialogs.messages.clear();
        env.writeFile(c.family + "2/uxyr8a.afm", afm);
        ASSERT_TRUE(QFile::copy(test::texFile("utmr8a.pfb"), env.root() + "/" + c.family + "2/uxyr8a.pfb"));
        w->RadioButton2[c.button]->setChecked(true);
        w->Listbox1_DropObject({env.root() + "/" + c.family + "2"});
        w->prepare();
        ASSERT_TRUE(w->PushButton3->isEnabled()) << transcript().toStdString();
        EXPECT_TRUE(w->maplines.value(0).startsWith(c.metric + " NimbusRomNo9L-Regu \"")) << w->maplines.value(0).toStdString();
        EXPECT_TRUE(w->maplines.value(0).endsWith(".enc <uxyr8a.pfb"));
        // The raw metric, named by no map line, stays out of the package.
        EXPECT_FALSE(QFileInfo::exists(tdsFolder + "/uxyr8a.tfm"));
        w->install();
        EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
        const QString tfm = env.texmfHome() + "/fonts/tfm/urw/" + c.family + "/" + c.metric + ".tfm";
        const QString fd = QString::fromLatin1(
            test::readBytes(env.texmfHome() + "/tex/latex/urw/" + c.family + "/" + c.enc.toLower() + "uxy.fd"));
        EXPECT_TRUE(fd.contains("{" + c.enc + "}{uxy}{m}{n}{<-> " + c.metric + "}")) << fd.toStdString();
        const ProcessResult pl = runBash("tftopl " + shellQuote(tfm));
        EXPECT_TRUE(pl.output.contains("(LIG ")) << "no ligatures";
        EXPECT_TRUE(pl.output.contains("(KRN ")) << "no kerns";

        QString log;
        const QString out = typeset(env, "doc" + c.enc,
                                    "\\DeclareFontEncoding{" + c.enc + "}{}{}\\DeclareFontSubstitution{" + c.enc +
                                        "}{uxy}{m}{n}",
                                    "\\fontencoding{" + c.enc + "}\\fontfamily{uxy}\\selectfont a--b---c fig AV"
                                    "\\setbox0\\hbox{AV}\\setbox2\\hbox{A{}V}\\setbox4\\hbox{fi}"
                                    "\\setbox6\\hbox{f{}i}\\typeout{WIDTHS \\the\\wd0 \\space\\the\\wd2 "
                                    "\\space\\the\\wd4 \\space\\the\\wd6 }",
                                    &log);
        EXPECT_TRUE(out.contains("NimbusRomNo9L-Regu")) << out.toStdString();
        // pdftotext gives the fi ligature back as two letters; the widths
        // below show that it was set.
        EXPECT_TRUE(out.contains(QString::fromUtf8("a\u2013b\u2014c fig AV"))) << out.toStdString();
        const QStringList widths = log.split('\n').filter(QRegularExpression("^WIDTHS ")).value(0).split(' ');
        ASSERT_EQ(widths.size(), 5) << log.toStdString();
        auto pt = [&widths](int i) { return widths.at(i).chopped(2).toDouble(); };
        EXPECT_LT(pt(1), pt(2)) << "AV is not kerned";
        EXPECT_NE(pt(3), pt(4)) << "fi is not a ligature";
    }
}

// A dropped outline whose name TeX finds installed asks which one the
// package uses; the document then embeds the chosen font.
TEST_F(Afm2tfmWindowTest, DroppedOutlineOfAnInstalledNameIsTheUsersChoice)
{
    struct Case {
        bool own;         // the answer: install the dropped outline
        QString family;
        QString embedded; // the font pdffonts names
    } cases[] = {
        {false, "ChanceryKept", "URWChanceryL-MediItal"},
        {true, "ChanceryOwn", "NimbusMonL-Regu"},
    };
    const QByteArray distAfm = test::readBytes(test::texFile("uzcmi8a.afm"));
    const QString installed = test::texFile("uzcmi8a.pfb");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family.toStdString());
        reopen();
        env.dialogs.transcript.clear();
        env.dialogs.questions.clear();
        // Another font's outline under the installed name tells the two apart.
        QByteArray afm = distAfm;
        afm.replace("FamilyName URW Chancery L", "FamilyName " + c.family.toLatin1());
        env.writeFile(c.family + "/uzcmi8a.afm", afm);
        ASSERT_TRUE(QFile::copy(test::texFile("ucrr8a.pfb"), env.root() + "/" + c.family + "/uzcmi8a.pfb"));
        env.dialogs.answers = {c.own};
        w->Listbox1_DropObject({env.root() + "/" + c.family});
        ASSERT_EQ(env.dialogs.questions.size(), 1) << transcript().toStdString();
        EXPECT_TRUE(env.dialogs.questions.first().contains("uzcmi8a.pfb: TeX finds " + installed + "\n"))
            << env.dialogs.questions.first().toStdString();
        w->prepare();
        ASSERT_TRUE(w->PushButton3->isEnabled()) << transcript().toStdString();
        EXPECT_EQ(QFileInfo::exists(tdsFolder + "/TDS/fonts/type1/urw/" + c.family + "/uzcmi8a.pfb"), c.own);
        env.dialogs.messages.clear();
        w->install();
        // Found first: no warning that TeX uses another file.
        EXPECT_TRUE(env.dialogs.messages.filter("TeX finds").isEmpty()) << transcript().toStdString();
        EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
        const QString out = typeset(env, "doc" + c.family, "", "\\usefont{U}{uzc}{m}{it}Quill mark");
        const QString line = out.split('\n').filter("+" + c.embedded + " ").value(0);
        EXPECT_TRUE(line.contains(" yes ")) << out.toStdString();
        // Both families have an .fd file of the same name.
        QDir(env.texmfHome() + "/tex/latex/urw/" + c.family).removeRecursively();
    }
}

// The outline question tells when other packages load the installed file
// of that name: with the dropped outline found first they would use it too.
TEST_F(Afm2tfmWindowTest, OutlineQuestionNamesOtherPackagesThatLoadTheInstalledFile)
{
    // An outline installed in the user's tree that no map line loads.
    env.writeFile("home/texmf/fonts/type1/public/qlkalone/qlkal8a.pfb", test::readBytes(test::texFile("ucrr8a.pfb")));
    struct Row {
        const char* name;
        QString base;       // the dropped pair's name
        QString users;      // the line about other packages; none: absent
        bool sharedInQuestion;
    };
    const QList<Row> rows{
        {"TeX Live's Chancery", "uzcmi8a", "    Other packages load it too, such as the font uzcmi8r of uzc.map", true},
        {"loaded by no map", "qlkal8a", "", false},
    };
    const QString shared = "and the other packages named above will use them too instead of the installed ones.";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        reopen();
        env.dialogs.questions.clear();
        const QString folder = fontFolder("shared-" + row.base, {row.base + ".afm=uzcmi8a.afm", row.base + ".pfb=ucrr8a.pfb"});
        const QString installed = runBash("kpsewhich " + row.base + ".pfb").output.trimmed();
        ASSERT_FALSE(installed.isEmpty());
        env.dialogs.answers = {false};
        w->Listbox1_DropObject({folder});
        ASSERT_EQ(env.dialogs.questions.size(), 1) << transcript().toStdString();
        const QStringList lines = env.dialogs.questions.first().split('\n');
        const int at = lines.indexOf(row.base + ".pfb: TeX finds " + installed);
        ASSERT_GE(at, 0) << env.dialogs.questions.first().toStdString();
        if (row.users.isEmpty())
            EXPECT_EQ(lines.value(at + 1), "") << env.dialogs.questions.first().toStdString();
        else
            EXPECT_TRUE(lines.value(at + 1).startsWith(row.users)) << env.dialogs.questions.first().toStdString();
        EXPECT_EQ(env.dialogs.questions.first().contains(shared), row.sharedInQuestion);
        EXPECT_TRUE(env.dialogs.questions.first().endsWith("No keeps the installed ones, which the new metrics will then use."));
    }
}

namespace {
// The font as a .pfa (t1ascii) whose hex part ends halfway, its trailer kept.
QByteArray pfaCutInHalf(const QByteArray& pfb)
{
    QTemporaryDir dir;
    QFile in(dir.filePath("in.pfb"));
    if (!in.open(QIODevice::WriteOnly) || in.write(pfb) != pfb.size())
        return {};
    in.close();
    if (runBash("cd " + shellQuote(dir.path()) + " && t1ascii in.pfb out.pfa").exitCode != 0)
        return {};
    const QByteArray pfa = test::readBytes(dir.filePath("out.pfa"));
    const int start = pfa.indexOf("eexec") + 6;
    const int end = pfa.indexOf("0000000000000000000000000000000000000000");
    return pfa.left(start + (end - start) / 2) + "\n" + pfa.mid(end);
}
} // namespace

// A damaged outline font stops Prepare with a message naming the dropped
// file; Install stays disabled, so nothing reaches a tree.
TEST_F(Afm2tfmWindowTest, DamagedOutlineFontsAreRefusedByName)
{
    const QByteArray pfb = test::readBytes(test::texFile("ucrb8a.pfb"));
    struct Case {
        const char* file;
        QByteArray data;
        QString problem;
    } cases[] = {
        {"ucrbq8a.pfa", test::pfbWithoutSegmentHeaders(pfb), "not followed by the cleartext trailer"},
        {"ucrbq8a.pfb", pfb.left(20000), "bytes more than the file holds"},
        {"ucrbq8a.pfb", test::eexecCutInHalf(pfb), "its encrypted part is cut short"},
        {"ucrbq8a.pfb", test::eexecScrambled(pfb), "its encrypted part is garbled"},
        // A .pfa whose hex part stops halfway: t1binary converts it, the check refuses it.
        {"ucrbq8a.pfa", pfaCutInHalf(pfb), "its encrypted part is cut short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        reopen();
        env.dialogs.messages.clear();
        const QString dir = env.root() + "/damaged-" + QString::number(&c - cases);
        QDir().mkpath(dir);
        ASSERT_TRUE(QFile::copy(test::texFile("ucrb8a.afm"), dir + "/ucrbq8a.afm"));
        env.writeFile(QDir(env.root()).relativeFilePath(dir) + "/" + c.file, c.data);
        w->Listbox1_DropObject({dir});
        ASSERT_TRUE(env.dialogs.messages.isEmpty()) << transcript().toStdString();
        w->prepare();
        ASSERT_EQ(env.dialogs.messages.size(), 1) << transcript().toStdString();
        const QString message = env.dialogs.messages.first();
        EXPECT_TRUE(message.startsWith("The outline font " + dir + "/" + c.file + " is damaged: ")) << message.toStdString();
        EXPECT_TRUE(message.contains(c.problem)) << message.toStdString();
        EXPECT_TRUE(message.endsWith("so the package cannot be installed."));
        EXPECT_FALSE(w->PushButton3->isEnabled());
    }
    EXPECT_EQ(test::filesUnder(env.texmfHome()).filter("ucrbq"), QStringList());
}

// An outline font that is a link to /dev/zero is refused at once by name:
// no copy of it fills the disk, and no work folder stays behind.
TEST_F(Afm2tfmWindowTest, AnOutlineLinkedToADeviceIsRefusedAtOnce)
{
    const QString dir = env.root() + "/zero";
    QDir().mkpath(dir);
    ASSERT_TRUE(QFile::copy(test::texFile("ucrb8a.afm"), dir + "/ucrbq8a.afm"));
    ASSERT_TRUE(QFile::link("/dev/zero", dir + "/ucrbq8a.pfb"));
    const QStringList documents = QDir(documentsFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    w->Listbox1_DropObject({dir});
    if (env.dialogs.messages.isEmpty())
        w->prepare();
    ASSERT_FALSE(env.dialogs.messages.isEmpty()) << transcript().toStdString();
    // The drop check names it relative to the dropped folder's parent.
    EXPECT_TRUE(env.dialogs.messages.join("\n").contains("zero/ucrbq8a.pfb")) << transcript().toStdString();
    EXPECT_FALSE(w->PushButton3->isEnabled());
    EXPECT_EQ(QDir(documentsFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), documents);
    for (const QString& file : test::filesUnder(env.root()))
        EXPECT_LT(QFileInfo(env.root() + "/" + file).size(), qint64(1) << 20) << file.toStdString();
}

// A TeX font name the package makes that an enabled map already defines is
// warned of at Prepare, with the map; Install is still offered. Installed,
// the clash is named instead of "finished": both maps are in the personal
// updmap.cfg, where updmap picks either definition anew on each run.
TEST_F(Afm2tfmWindowTest, AFontNameAnEnabledMapDefinesIsWarnedAtPrepareAndNamedAtInstall)
{
    env.writeFile("home/texmf/fonts/map/dvips/qlk/qlkold.map", "uzcmi8a QlkOld <uzcmi8a.pfb\n");
    env.writeFile(QDir(env.root()).relativeFilePath(env.texmfConfig()) + "/web2c/updmap.cfg", "Map qlkold.map\n");
    w->Listbox1_DropObject({fontFolder("chancery", {"uzcmi8a.afm"})});
    ASSERT_TRUE(w->PushButton2->isEnabled());
    env.dialogs.messages.clear();
    w->prepare();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"WARNING!!! TeX font names this package makes are already defined by enabled maps: uzcmi8a "
                          "by qlkold.map. updmap uses only one definition of a font name, so after Install documents "
                          "would get either font. Give the fonts other names, or disable qlkold.map first."});
    ASSERT_TRUE(w->PushButton3->isEnabled());

    env.dialogs.messages.clear();
    w->install();
    // As root the system route's hand-over and the rescan's alerts come too.
    const QStringList clash = env.dialogs.messages.filter(QRegularExpression("^In "));
    ASSERT_EQ(clash.size(), 1) << transcript().toStdString();
    EXPECT_TRUE(clash.first().startsWith("In URWChanceryL.map, uzcmi8a is also defined by qlkold.map; updmap takes "
                                         "one of the two definitions, choosing anew on each run (now "))
        << clash.first().toStdString();
    EXPECT_TRUE(clash.first().endsWith("'s); disable one of the two maps."));
    EXPECT_EQ(lastInstallStatus, clash.first());
}

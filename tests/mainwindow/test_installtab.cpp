#include "InstallFixture.h"

#include "mainwindow/ArchiveCheck.h"
#include "mainwindow/TDSwindow.h"
#include "mainwindow/TdsCheck.h"
#include "mainwindow/Window1.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "support/HostileArchives.h"
#include "texenv/FinishInstall.h"
#include "texenv/Init.h"
#include "textview/TextWindow.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qlk;

namespace {

const QString kClash = "There are map files in your texmf trees that are the same as one you are installing, "
                       "perhaps with different case. See log.";

// The main window with an empty Install tab, as after start-up.
Window1* freshTab()
{
    Window1* w = Window1::instance();
    w->Clearitems();
    w->dropped.clear();
    w->pathlist.clear();
    w->Listbox7->clear();
    w->PushButton8->setEnabled(false);
    w->PushButton7->setEnabled(false);
    w->PushButton11->hide();
    w->TextField2->clear();
    w->TextField1[0]->clear();
    w->TextField1[1]->clear();
    w->installLocation->setExclusive(false);
    for (QRadioButton* r : w->RadioButton2)
        r->setChecked(false);
    w->installLocation->setExclusive(true);
    w->NotFontTDS = false;
    w->TDSResult = 0;
    w->TextWindowReturn = 0;
    tdsFolder.clear();
    return w;
}

// The real trees of the machine with this test's personal and local ones,
// scanned as at start-up, installations going to the personal tree.
Window1* scannedTab()
{
    setAppFolderForTesting(QLK_APP_DIR);
    setpref("method", qint32(0));
    Window1* w = freshTab();
    init();
    return w;
}

// A small font package laid out as a TDS below env.root()/<folder>.
void writeTds(test::TestEnv& env, const QString& folder)
{
    env.writeFile(folder + "/fonts/type1/public/qlk/qlkx.pfb", "outline");
    env.writeFile(folder + "/fonts/tfm/public/qlk/qlkx.tfm", "metrics");
    env.writeFile(folder + "/fonts/map/dvips/qlk/qlkx.map", "qlkx QlkX <qlkx.pfb\n");
    env.writeFile(folder + "/tex/latex/qlk/qlk.sty", "\\ProvidesPackage{qlk}\n");
}

QStringList tdsFiles()
{
    return {"fonts/map/dvips/qlk/qlkx.map", "fonts/tfm/public/qlk/qlkx.tfm", "fonts/type1/public/qlk/qlkx.pfb",
            "tex/latex/qlk/qlk.sty"};
}

QString scratchName(const QString& folder)
{
    return QFileInfo(folder).fileName();
}

bool isScratch(const QString& folder)
{
    static const QRegularExpression name("^tmp[1-9][0-9]{6}$");
    return name.match(scratchName(folder)).hasMatch() && QFileInfo(folder).isDir();
}

// Answers each TDS Checker question with the next button, recording it.
struct CheckerAnswers {
    QStringList asked;
    QList<QPushButton* TDSwindow::*> buttons;
    explicit CheckerAnswers(test::TestEnv& env, QList<QPushButton* TDSwindow::*> presses) : buttons(presses)
    {
        env.dialogs.onModal = [this](QDialog* d) {
            auto* checker = qobject_cast<TDSwindow*>(d);
            if (!checker)
                return 0;
            asked << checker->StaticText1->text();
            if (buttons.isEmpty())
                return 0;
            (checker->*buttons.takeFirst())->click();
            return checker->result();
        };
    }
};

} // namespace

TEST(InstallTab, DropListTakesEachItemOnceTheQtWay)
{
    test::TestEnv env;
    Window1* w = freshTab();
    const QString a = env.writeFile("a.pfb", "x");
    const QString b = env.writeFile("dir/b.afm", "x");
    w->TextField2->setText("old status");
    w->Listbox7_DropObject({a, env.root() + "/dir", a});
    EXPECT_EQ(w->dropped, (QStringList{a, env.root() + "/dir"}));
    EXPECT_EQ(w->pathlist, w->dropped);
    ASSERT_EQ(w->Listbox7->count(), 2);
    EXPECT_EQ(w->Listbox7->item(1)->text(), env.root() + "/dir");
    EXPECT_TRUE(w->PushButton8->isEnabled());
    EXPECT_TRUE(w->TextField2->text().isEmpty());

    // A drop of file URLs on the list, as the file manager sends it; the
    // already listed item is skipped, the new one added.
    w->TextField2->setText("status");
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Listbox7->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Listbox7->viewport(), &drop);
    EXPECT_EQ(w->dropped, (QStringList{a, env.root() + "/dir", b}));
    EXPECT_TRUE(w->TextField2->text().isEmpty());

    // A drag of plain text is refused and changes nothing.
    auto* text = new QMimeData;
    text->setText("not a file");
    QDragEnterEvent textEnter(QPoint(5, 5), Qt::CopyAction, text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Listbox7->viewport(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    EXPECT_EQ(w->Listbox7->count(), 3);
    delete mime;
    delete text;

    w->PushButton4->click();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("If you drop a zip file that contains a TDS"));
    EXPECT_EQ(w->Listbox7->count(), 3);
}

TEST(InstallTab, PalatinoFromLooseFilesIntoThePersonalTree)
{
    test::TestEnv env(false);
    test::RootRecorder root;
    Window1* w = scannedTab();
    ASSERT_EQ(env.takeQuits(), 0) << env.dialogs.transcript.join("\n").toStdString();
    QStringList dropped;
    for (const char* name : {"uplr8a.afm", "uplr8a.pfb", "upl.map", "t1ppl.fd"}) {
        const QString src = test::texFile(name);
        ASSERT_FALSE(src.isEmpty()) << name;
        dropped << env.writeFile(QString("drop/") + name, test::readBytes(src));
    }
    w->Listbox7_DropObject(dropped);
    w->TextField1[0]->setText("urw");
    w->TextField1[1]->setText(" Palatino ");
    env.dialogs.transcript.clear();
    env.dialogs.messages.clear();
    openLog(env.home());
    w->PushButton8->click();

    const QString tree = tdsFolder;
    ASSERT_TRUE(isScratch(tree)) << tree.toStdString();
    EXPECT_EQ(QFileInfo(tree).absolutePath(), env.home() + "/Documents");
    EXPECT_EQ(test::snapshot(tree).keys(),
              (QStringList{"fonts/afm/urw/Palatino/uplr8a.afm", "fonts/map/dvips/Palatino/upl.map",
                           "fonts/type1/urw/Palatino/uplr8a.pfb", "tex/latex/urw/Palatino/t1ppl.fd"}));
    EXPECT_EQ(test::readBytes(tree + "/fonts/type1/urw/Palatino/uplr8a.pfb"), test::readBytes(test::texFile("uplr8a.pfb")));
    EXPECT_EQ(w->TextField2->text(), "Made TDS ~/Documents/" + scratchName(tree) + ". Ready to Install.");
    EXPECT_TRUE(w->PushButton7->isEnabled());
    EXPECT_FALSE(w->NotFontTDS);
    // upl.map is the distribution's too: one clash, logged with where it lies.
    EXPECT_EQ(env.dialogs.messages, QStringList{kClash});
    closeLog();
    const QString log = QString::fromUtf8(test::readBytes(env.home() + "/QLKlogfile.txt"));
    EXPECT_TRUE(log.contains("Matches to upl.map\n" + test::texFile("upl.map"))) << log.toStdString();

    w->RadioButton2[1]->setChecked(true);
    // The status line as each question comes: the install is not over yet.
    struct StatusAtQuestion : ScriptedDialogs {
        QStringList seen;
        bool question(const QString& text) override
        {
            seen << Window1::instance()->TextField2->text();
            return ScriptedDialogs::question(text);
        }
    } dialogs;
    dialogs.answers = {true}; // delete the scratch folder
    setDialogService(&dialogs);
    w->PushButton7->click();
    setDialogService(&env.dialogs);
    // The rescan may tell of the new personal updmap.cfg; the install asks one thing.
    EXPECT_EQ(dialogs.questions, QStringList{"Delete temporary TDS folder?"})
        << dialogs.transcript.join("\n").toStdString();
    EXPECT_EQ(dialogs.seen, QStringList{""});
    EXPECT_EQ(w->TextField2->text(), "Install finished.");
    EXPECT_EQ(w->Listbox7->count(), 0);
    EXPECT_TRUE(w->dropped.isEmpty());
    EXPECT_TRUE(w->pathlist.isEmpty());
    EXPECT_FALSE(w->PushButton8->isEnabled());
    EXPECT_FALSE(w->PushButton7->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(tree));
    for (const char* rel : {"fonts/afm/urw/Palatino/uplr8a.afm", "fonts/map/dvips/Palatino/upl.map",
                            "fonts/type1/urw/Palatino/uplr8a.pfb", "tex/latex/urw/Palatino/t1ppl.fd"})
        EXPECT_TRUE(QFileInfo(env.texmfHome() + "/" + rel).isFile()) << rel;
    // updmap-user enabled the map in the personal configuration and
    // rebuilt the personal output maps from it.
    EXPECT_TRUE(QString::fromUtf8(test::readBytes(env.texmfConfig() + "/web2c/updmap.cfg")).contains("Map upl.map"));
    EXPECT_TRUE(test::readBytes(env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map").contains("uplr8a"));
    EXPECT_EQ(runProgram(texProgram("kpsewhich"), {"uplr8a.pfb"}).output.trimmed(),
              env.texmfHome() + "/fonts/type1/urw/Palatino/uplr8a.pfb");
}

TEST(InstallTab, ZipAndTgzRoadsIntoAChosenFolder)
{
    struct Case {
        const char* name;
        const char* archive;
        const char* pack; // run in the tree's folder, writing ../<archive>
    };
    for (const Case& c : {Case{"zip, upper-case name", "PKG.ZIP", "zip -qr ../PKG.ZIP fonts tex"},
                          Case{"tgz", "pkg.tgz", "tar -czf ../pkg.tgz fonts tex"}}) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        test::pointTreesAt(env);
        writeTds(env, "src");
        ASSERT_EQ(runBash("cd " + shellQuote(env.root() + "/src") + " && " + c.pack).exitCode, 0);
        Window1* w = freshTab();
        w->Listbox7_DropObject({env.root() + "/" + c.archive});
        w->PushButton8_Action();
        const QString tree = tdsFolder;
        ASSERT_TRUE(isScratch(tree)) << env.dialogs.transcript.join("\n").toStdString();
        EXPECT_EQ(test::snapshot(tree).keys(), tdsFiles());
        EXPECT_TRUE(env.dialogs.transcript.isEmpty()) << env.dialogs.transcript.join("\n").toStdString();
        EXPECT_EQ(w->TextField2->text(), "Made TDS ~/Documents/" + scratchName(tree) + ". Ready to Install.");

        // "Other (for checking)": a folder of the user's choice, no map enabling.
        const QString target = env.root() + "/check";
        QDir().mkpath(target);
        w->RadioButton2[2]->setChecked(true);
        env.dialogs.folders = {target};
        env.dialogs.answers = {false}; // keep the scratch folder
        EXPECT_TRUE(w->install());
        EXPECT_EQ(w->TextField2->text(), "Done");
        EXPECT_EQ(test::snapshot(target).keys(), tdsFiles());
        EXPECT_EQ(test::readBytes(target + "/fonts/type1/public/qlk/qlkx.pfb"), QByteArray("outline"));
        EXPECT_TRUE(QFileInfo::exists(tree + "/" + scratchName(tree) + ".zip"));
        EXPECT_EQ(w->Listbox7->count(), 0);
        EXPECT_FALSE(w->PushButton7->isEnabled());
    }
}

TEST(InstallTab, WrapperFolderQuestionsInOrder)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    writeTds(env, "src/pkg");
    ASSERT_EQ(runBash("cd " + shellQuote(env.root() + "/src") + " && zip -qr ../wrapped.zip pkg").exitCode, 0);
    Window1* w = freshTab();
    w->Listbox7_DropObject({env.root() + "/wrapped.zip"});
    w->TextField2->setText("earlier");

    // Cancel at the first question: nothing made ready, the status stays.
    {
        CheckerAnswers answers(env, {&TDSwindow::PushButton1});
        w->PushButton8_Action();
        EXPECT_EQ(answers.asked, QStringList{noFontsOrTexQuestion()});
        EXPECT_FALSE(w->PushButton7->isEnabled());
        EXPECT_TRUE(tdsFolder.isEmpty());
        EXPECT_EQ(w->TextField2->text(), "earlier");
    }
    // Continue twice: the wrapper's name is questioned next, then the tree
    // is taken as it is.
    CheckerAnswers answers(env, {&TDSwindow::PushButton2, &TDSwindow::PushButton2});
    w->PushButton8_Action();
    EXPECT_EQ(answers.asked, (QStringList{noFontsOrTexQuestion(), folderNameQuestion("pkg")}));
    EXPECT_EQ(w->TDSResult, 0);
    ASSERT_TRUE(isScratch(tdsFolder));
    EXPECT_TRUE(QFileInfo(tdsFolder + "/pkg/fonts/type1/public/qlk/qlkx.pfb").isFile());
    EXPECT_TRUE(w->PushButton7->isEnabled());
}

TEST(InstallTab, TdsCheckerDialog)
{
    test::TestEnv env;
    QStringList revealed;
    setDesktopRecorder([&](const QString&, const QString& path) { revealed << path; });
    Window1* w = freshTab();
    TDSwindow* d = TDSwindow::instance();
    EXPECT_EQ(d->windowTitle(), "TDS Checker");
    EXPECT_FALSE(d->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(d->size(), QSize(544, 251));
    d->folder = env.root();
    d->show();
    d->PushButton3->click();
    d->PushButton3->click();
    EXPECT_EQ(revealed, (QStringList{env.root(), env.root()}));
    // Neither the close box nor Escape answers the question.
    d->close();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(d, &escape);
    EXPECT_TRUE(d->isVisible());
    w->TDSResult = 7;
    d->PushButton2->click();
    EXPECT_EQ(w->TDSResult, 1);
    EXPECT_FALSE(d->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TDSwindow* again = TDSwindow::instance();
    again->show();
    again->PushButton1->click();
    EXPECT_EQ(w->TDSResult, 0);
}

TEST(InstallTab, ArchivesLeadingOutsideAreRefused)
{
    struct Case {
        const char* name;
        const char* archive;
        const char* pack; // run in env.root()/w/in
    };
    for (const Case& c : {Case{"zip with ../", "bad.zip", "zip -q ../bad.zip fonts/a.pfb ../evil.txt"},
                          Case{"tgz with ../", "bad.tgz", "tar -czPf ../bad.tgz fonts ../evil.txt"},
                          Case{"zip with a link", "link.zip", "ln -s /etc fonts/etc && zip -qy ../link.zip fonts/etc"}}) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        env.writeFile("w/in/fonts/a.pfb", "x");
        env.writeFile("w/evil.txt", "evil");
        ASSERT_EQ(runBash("cd " + shellQuote(env.root() + "/w/in") + " && " + c.pack).exitCode, 0);
        Window1* w = freshTab();
        w->Listbox7_DropObject({env.root() + "/w/" + c.archive});
        const auto home = test::snapshot(env.home());
        w->PushButton8_Action();
        ASSERT_EQ(env.dialogs.messages.size(), 1);
        EXPECT_TRUE(env.dialogs.messages.first().contains("was not unpacked")) << env.dialogs.messages.first().toStdString();
        // Nothing was written, and the scratch folder went with the job.
        EXPECT_EQ(test::snapshot(env.home()), home);
        EXPECT_TRUE(QDir(env.home() + "/Documents").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
        EXPECT_FALSE(w->PushButton7->isEnabled());
        EXPECT_TRUE(tdsFolder.isEmpty());
    }
}

// Archives whose listing cannot be taken at its word: an entry that holds
// far more than it claims, claims that add up past 2^63, one file twice.
// Each is refused with its reason; nothing is left in Documents.
TEST(InstallTab, ArchivesThatLieAboutTheirEntriesAreRefused)
{
    struct Case {
        const char* name;
        QList<test::ZipEntrySpec> entries;
        qint64 limit;
        const char* message; // a piece of the one message
    } cases[] = {
        {"a size that lies",
         {{"fonts/tfm/public/x/a.tfm", "zeros:50000000", 1000}, {"tex/latex/x/x.sty", "text:%", -1}},
         qint64(1) << 20,
         "was not unpacked. Unpacked it would take more than 1.0 MB, the most a font package may take."},
        {"a size that lies, below the limit",
         {{"fonts/tfm/public/x/a.tfm", "zeros:50000000", 1000}, {"tex/latex/x/x.sty", "text:%", -1}},
         0,
         "was not unpacked. Its entries hold 50.0 MB unpacked, but its list of entries gives 1.0 KB"},
        {"a size 18 bytes short",
         {{"fonts/tfm/public/x/a.tfm", "zeros:6718", 6700}},
         0,
         "was not unpacked. Its entries hold 6718 bytes unpacked, but its list of entries gives 6700 bytes: the "
         "archive is damaged"},
        {"a name with a line break",
         {{"tex/latex/qlk/a\nb.sty", "text:%", -1}, {"tex/latex/qlk/qlk.sty", "text:%", -1}},
         0,
         "was not unpacked: these entries would land outside the folder it is unpacked in, or not as the files they "
         "are listed as:\ntex/latex/qlk/a^Jb.sty (its name holds a line break or another control character)"},
        {"sizes past 2^63",
         {{"fonts/type1/x/a.pfb", "text:a", qint64(6) << 60}, {"fonts/type1/x/b.pfb", "text:b", qint64(6) << 60}},
         0,
         "was not unpacked. Unpacked it would take 9223372036.9 GB, more than the 1.1 GB a font package may take."},
        {"one file twice",
         {{"fonts/type1/x/a.pfb", "text:first", -1}, {"fonts/type1/x/a.pfb", "text:second", -1}},
         0,
         "was not unpacked: it holds more than one entry for each of these files, and only one copy could be "
         "kept:\nfonts/type1/x/a.pfb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        test::pointTreesAt(env);
        const QString archive = env.root() + "/w/pkg.zip";
        QDir().mkpath(env.root() + "/w");
        ASSERT_EQ(test::writeHostileZip(archive, c.entries), "");
        setMaxUnpackedBytesForTesting(c.limit);
        Window1* w = freshTab();
        w->Listbox7_DropObject({archive});
        const auto home = test::snapshot(env.home());
        w->PushButton8_Action();
        setMaxUnpackedBytesForTesting(0);
        ASSERT_EQ(env.dialogs.messages.size(), 1) << env.dialogs.messages.join("\n").toStdString();
        EXPECT_TRUE(env.dialogs.messages.first().startsWith("The archive " + archive + " "));
        EXPECT_TRUE(env.dialogs.messages.first().contains(c.message)) << env.dialogs.messages.first().toStdString();
        EXPECT_EQ(test::snapshot(env.home()), home);
        EXPECT_TRUE(QDir(env.home() + "/Documents")
                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                        .isEmpty());
        EXPECT_FALSE(w->PushButton7->isEnabled());
        EXPECT_TRUE(tdsFolder.isEmpty());
    }
}

TEST(InstallTab, OverwriteConfirmationStartsFromCancel)
{
    struct Case {
        const char* name;
        int how; // 0 close box, 1 "Cancel", 2 "OK"
    };
    for (const Case& c : {Case{"closed by its close box", 0}, Case{"Cancel", 1}, Case{"OK", 2}}) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        test::pointTreesAt(env);
        writeTds(env, "src");
        const QString target = env.root() + "/check";
        env.writeFile("check/fonts/tfm/public/qlk/qlkx.tfm", "older metrics");
        env.writeFile("check/fonts/other.txt", "untouched");
        Window1* w = freshTab();
        w->Listbox7_DropObject({env.root() + "/src"});
        w->PushButton8_Action();
        ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
        const auto before = test::snapshot(target);
        QString title, listed;
        env.dialogs.onModal = [&](QDialog* d) {
            auto* viewer = qobject_cast<TextWindow*>(d);
            if (!viewer)
                return 0;
            title = viewer->windowTitle();
            listed = viewer->text();
            EXPECT_TRUE(viewer->PushButton2->isDefault());
            if (c.how == 1)
                viewer->PushButton2->click();
            else if (c.how == 2)
                viewer->PushButton1->click();
            else
                viewer->reject();
            return viewer->result();
        };
        w->RadioButton2[2]->setChecked(true);
        env.dialogs.folders = {target};
        env.dialogs.transcript.clear();
        env.dialogs.messages.clear();
        const bool done = w->install();
        EXPECT_EQ(title, "The following files will be overwritten");
        EXPECT_EQ(listed, target + "/fonts/tfm/public/qlk/qlkx.tfm");
        EXPECT_EQ(w->TextWindowReturn, 0);
        if (c.how == 2) {
            EXPECT_TRUE(done);
            EXPECT_EQ(test::readBytes(target + "/fonts/tfm/public/qlk/qlkx.tfm"), QByteArray("metrics"));
            continue;
        }
        EXPECT_FALSE(done);
        EXPECT_EQ(env.dialogs.messages, QStringList{"No files were copied"});
        EXPECT_EQ(w->TextField2->text(), "No files installed.");
        EXPECT_EQ(test::snapshot(target), before);
        EXPECT_EQ(w->Listbox7->count(), 1);
        EXPECT_TRUE(w->PushButton7->isEnabled());
    }
}

TEST(InstallTab, HostileFileNameIsInstalledAsItself)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    const QString hostile = "it's \"x\";touch PWNED;$(touch PWNED2)`touch PWNED3`.pfb";
    const QString font = env.writeFile("drop/" + hostile, "outline");
    const QString afm = env.writeFile("drop/x.afm", "metrics");
    Window1* w = freshTab();
    w->Listbox7_DropObject({font, afm});
    w->TextField1[0]->setText("o'brien $(touch PWNED4)");
    w->TextField1[1]->setText("Fam;ily");
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
    const QString target = env.root() + "/check";
    QDir().mkpath(target);
    w->RadioButton2[2]->setChecked(true);
    env.dialogs.folders = {target};
    EXPECT_TRUE(w->install());
    EXPECT_EQ(test::readBytes(target + "/fonts/type1/o'brien $(touch PWNED4)/Fam;ily/" + hostile), QByteArray("outline"));
    // Nothing ran: no stray file anywhere in the test's folders or here.
    EXPECT_EQ(runBash("find " + shellQuote(env.root()) + " -name 'PWNED*'").output, QString());
    EXPECT_EQ(runBash("find " + shellQuote(QDir::currentPath()) + " -maxdepth 1 -name 'PWNED*'").output, QString());
}

TEST(InstallTab, ItemsThatAreNoRegularFilesAndHostileMapNamesAreRefusedAtTheDrop)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    // A copy that opened the FIFO would wait for ever: the alarm ends the test.
    alarm(120);
    const QString font = env.writeFile("drop/x.pfb", "outline");
    const QString pipe = env.root() + "/drop/sub/pipe.pfb";
    QDir().mkpath(QFileInfo(pipe).path());
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString zero = env.root() + "/zero.tfm";
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString map = env.writeFile("maps/-rf.map", "x X <x.pfb\n");
    // Names that are not UTF-8: a zip dropped (its path as Qt makes it from
    // the dropped URL), and a file in a dropped folder.
    const QByteArray root = QFile::encodeName(env.root());
    QDir().mkpath(env.root() + "/odd");
    for (const QByteArray& raw : {root + "/caf\xe9.zip", root + "/odd/x\xff.pfb"})
        ASSERT_EQ(::close(::open(raw.constData(), O_WRONLY | O_CREAT, 0600)), 0);
    const QString zip = QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(env.root(), "/") + "/caf%E9.zip").toLocalFile();
    const QString bad(QChar::ReplacementCharacter);
    const struct {
        const char* name;
        QStringList paths;
        QString named;
    } cases[] = {
        {"FIFO in a folder", {env.root() + "/drop"}, "drop/sub/pipe.pfb"},
        {"device link", {font, zero}, "\nzero.tfm\n"},
        {"map name", {map}, "\n-rf.map\n"},
        {"zip named in another encoding", {zip}, "not valid UTF-8 (" + bad + " marks what is not)"},
        {"zip named in another encoding, named", {zip}, "\n" + env.root() + "/caf" + bad + ".zip\n"},
        {"a file in a folder named in another encoding", {env.root() + "/odd"}, "\nodd/x" + bad + ".pfb\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.dialogs.messages.clear();
        Window1* w = freshTab();
        w->Listbox7_DropObject(c.paths);
        ASSERT_EQ(env.dialogs.messages.size(), 1);
        EXPECT_TRUE(env.dialogs.messages.first().contains(c.named)) << env.dialogs.messages.first().toStdString();
        EXPECT_TRUE(w->dropped.isEmpty());
        EXPECT_EQ(w->Listbox7->count(), 0);
        EXPECT_FALSE(w->PushButton8->isEnabled());
    }

    // What arrives after the drop is refused by Make TDS before any copy.
    env.dialogs.messages.clear();
    Window1* w = freshTab();
    const QString later = env.writeFile("later/x.pfb", "outline");
    w->Listbox7_DropObject({env.root() + "/later"});
    ASSERT_TRUE(env.dialogs.messages.isEmpty());
    ASSERT_EQ(mkfifo(QFile::encodeName(env.root() + "/later/y.afm").constData(), 0600), 0);
    w->TextField1[0]->setText("public");
    w->TextField1[1]->setText("X");
    w->PushButton8_Action();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains("later/y.afm"));
    EXPECT_FALSE(w->PushButton7->isEnabled());
    EXPECT_TRUE(QDir(documentsFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    alarm(0);
}

TEST(InstallTab, InstallStopsWithoutATreeOrAFolder)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    Window1* w = freshTab();
    w->TextField2->setText("x");
    EXPECT_FALSE(w->install());
    EXPECT_EQ(env.dialogs.messages, QStringList{"There is no TDS folder to install"});
    EXPECT_TRUE(w->TextField2->text().isEmpty());

    // No location chosen: the folder chooser; cancelled, nothing happens.
    writeTds(env, "src");
    w->Listbox7_DropObject({env.root() + "/src"});
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled());
    env.dialogs.transcript.clear();
    EXPECT_FALSE(w->install());
    EXPECT_EQ(env.dialogs.transcript, QStringList{"folder: Select target folder for TDS"});
    EXPECT_EQ(w->TextField2->text(), "Starting dry run to check for overwritten items.");
    EXPECT_TRUE(w->PushButton7->isEnabled());
}

TEST(InstallTab, UnzipFailureIsReportedNotFinished)
{
    test::TestEnv env(false);
    test::RootRecorder root;
    Window1* w = scannedTab();
    writeTds(env, "src");
    w->Listbox7_DropObject({env.root() + "/src"});
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled());
    // The system tree cannot be written: it is a file.
    texmfLocal = env.writeFile("not-a-tree", "x");
    w->RadioButton2[0]->setChecked(true);
    env.dialogs.messages.clear();
    env.dialogs.questions.clear();
    EXPECT_FALSE(w->install());
    ASSERT_EQ(root.commands.size(), 1);
    EXPECT_TRUE(root.commands.first().contains("unzip -o -qq")) << root.commands.first().toStdString();
    ASSERT_FALSE(env.dialogs.messages.isEmpty());
    EXPECT_TRUE(env.dialogs.messages.last().startsWith("Error unzipping " + scratchName(tdsFolder) + ". Errorcode="));
    EXPECT_EQ(w->TextField2->text(), "Aborting due to unzipping error");
    EXPECT_TRUE(env.dialogs.questions.isEmpty()); // no offer to delete the tree
    EXPECT_TRUE(QFileInfo(tdsFolder).isDir());
    EXPECT_TRUE(w->PushButton7->isEnabled());
}

TEST(InstallTab, MoveKeepsItsScratchFolderToItself)
{
    test::TestEnv env(false);
    Window1* w = scannedTab();
    ASSERT_FALSE(isAdmin && prefInt("useadmin") == 1);
    env.writeFile("home/.texlive2022/texmf-var/fonts/tfm/public/mv/mv.tfm", "moved metrics");
    writeTds(env, "src");
    w->Listbox7_DropObject({env.root() + "/src"});
    w->PushButton8_Action();
    const QString made = tdsFolder;
    ASSERT_TRUE(isScratch(made));

    env.dialogs.answers = {true};
    env.dialogs.transcript.clear();
    w->PushButton6->click();
    EXPECT_EQ(env.dialogs.transcript.value(0),
              "question: Move the font files of " + env.texmfVar() + " to " + env.texmfHome() + "?");
    EXPECT_EQ(test::readBytes(env.texmfHome() + "/fonts/tfm/public/mv/mv.tfm"), QByteArray("moved metrics"));
    EXPECT_FALSE(QFileInfo::exists(env.texmfVar() + "/fonts/tfm/public/mv/mv.tfm"));
    // "Install" still installs the tree Make TDS built.
    EXPECT_EQ(tdsFolder, made);
    EXPECT_TRUE(w->PushButton7->isEnabled());
    const QString target = env.root() + "/check";
    QDir().mkpath(target);
    w->RadioButton2[2]->setChecked(true);
    env.dialogs.folders = {target};
    EXPECT_TRUE(w->install());
    EXPECT_EQ(test::snapshot(target).keys(), tdsFiles());
}

TEST(InstallTab, MoveRefusedForTheImpermanentLocationAndOnFailure)
{
    test::TestEnv env(false);
    Window1* w = scannedTab();
    const QString source = env.writeFile("home/.texlive2022/texmf-var/fonts/tfm/public/mv/mv.tfm", "moved metrics");
    w->RadioButton2[3]->setChecked(true);
    env.dialogs.transcript.clear();
    w->PushButton6_Action();
    EXPECT_EQ(env.dialogs.transcript, QStringList{"message: Cannot copy to impermanent personal folder---choose "
                                                  "another install location."});
    EXPECT_TRUE(QDir(env.home() + "/Documents").isEmpty());

    // A copy that fails (a dangling link where a folder must go) leaves the source whole.
    w->RadioButton2[1]->setChecked(true);
    QDir().mkpath(env.texmfHome() + "/fonts");
    QDir(env.texmfHome() + "/fonts").removeRecursively();
    QDir().mkpath(env.texmfHome() + "/fonts");
    QFile::link(env.root() + "/nowhere", env.texmfHome() + "/fonts/tfm");
    const auto before = test::snapshot(env.texmfVar());
    env.dialogs.answers = {true};
    env.dialogs.messages.clear();
    w->PushButton6_Action();
    EXPECT_EQ(test::snapshot(env.texmfVar()), before);
    EXPECT_EQ(test::readBytes(source), QByteArray("moved metrics"));
    ASSERT_FALSE(env.dialogs.messages.isEmpty());
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Copying the fonts to " + env.texmfHome() + " failed"));
}

TEST(InstallTab, UpperCaseExtensionsStillHaveTheirMapEnabled)
{
    test::TestEnv env(false);
    test::RootRecorder root;
    Window1* w = scannedTab();
    ASSERT_EQ(env.takeQuits(), 0);
    const QString pfb = env.writeFile("drop/FOO.PFB", test::readBytes(test::texFile("uplr8a.pfb")));
    const QString map = env.writeFile("drop/FOO.MAP", "uplr8a URWPalladioL-Roma <FOO.PFB\n");
    w->Listbox7_DropObject({pfb, map});
    w->TextField1[0]->setText("x");
    w->TextField1[1]->setText("Foo");
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
    EXPECT_TRUE(QFileInfo(tdsFolder + "/fonts/map/dvips/Foo/FOO.MAP").isFile());
    w->RadioButton2[1]->setChecked(true);
    env.dialogs.answers = {false};
    EXPECT_TRUE(w->install());
    EXPECT_EQ(w->TextField2->text(), "Install finished.");
    EXPECT_TRUE(QString::fromUtf8(test::readBytes(env.texmfConfig() + "/web2c/updmap.cfg")).contains("Map FOO.MAP"));
    EXPECT_TRUE(test::readBytes(env.texmfVar() + "/fonts/map/pdftex/updmap/pdftex.map").contains("<FOO.PFB"));
}

// The status line tells the end of an install only once its last question,
// about the temporary TDS folder, has been answered.
TEST(InstallTab, StatusComesAfterTheLastQuestion)
{
    struct Row {
        const char* name;
        int location;
        QString status;
    };
    const QList<Row> rows{
        {"Personal", 1, "Install finished."},
        {"Other (for checking)", 2, "Done"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TestEnv env(false);
        test::RootRecorder root;
        Window1* w = scannedTab();
        ASSERT_EQ(env.takeQuits(), 0);
        const QString pfb = env.writeFile("drop/qlkst8a.pfb", test::readBytes(test::texFile("uplr8a.pfb")));
        const QString map = env.writeFile("drop/qlkst.map", "qlkst8a URWPalladioL-Roma <qlkst8a.pfb\n");
        w->Listbox7_DropObject({pfb, map});
        w->TextField1[0]->setText("qlk");
        w->TextField1[1]->setText("QlkStatus");
        w->PushButton8_Action();
        ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
        w->RadioButton2[row.location]->setChecked(true);
        struct StatusAtQuestion : ScriptedDialogs {
            QStringList seen;
            bool question(const QString& text) override
            {
                seen << Window1::instance()->TextField2->text();
                return ScriptedDialogs::question(text);
            }
        } dialogs;
        dialogs.folders = {env.root() + "/check"};
        QDir().mkpath(dialogs.folders.first());
        dialogs.answers = {false}; // keep the scratch folder
        setDialogService(&dialogs);
        const bool installed = w->install();
        setDialogService(&env.dialogs);
        EXPECT_TRUE(installed) << dialogs.transcript.join("\n").toStdString();
        ASSERT_EQ(dialogs.questions, QStringList{"Delete temporary TDS folder?"})
            << dialogs.transcript.join("\n").toStdString();
        EXPECT_EQ(dialogs.seen, QStringList{""});
        EXPECT_EQ(w->TextField2->text(), row.status);
    }
}

TEST(InstallTab, FolderRoads)
{
    struct Case {
        const char* name;
        QStringList drop;      // below env.root()
        QString supplier, family;
        QList<bool> answers;
        QStringList questions;
        QStringList messages;
        QStringList tree;      // the files of the tree made; empty when none was made
    };
    const QString doubt = "Is this really a TDS?---I have some doubts.";
    const QList<Case> cases = {
        {"a TDS folder is copied whole, without a question", {"tds"}, {}, {}, {}, {}, {},
         {".hidden-kept/x", "fonts/type1/public/qlk/qlkx.pfb", "tex/latex/qlk/qlk.sty"}},
        {"a doubtful folder taken as a TDS", {"loose"}, {}, {}, {true}, {doubt}, {}, {}},
        {"a doubtful folder as loose files, names missing", {"loose"}, {}, {}, {false}, {doubt},
         {"You may not leave foundry or family names unspecified"}, {}},
        {"a doubtful folder as loose files", {"loose"}, "pub", "Fam", {false}, {doubt}, {},
         {"fonts/afm/pub/Fam/l.afm", "fonts/type1/pub/Fam/l.pfb"}},
        {"two TDS folders are loose files", {"tds", "loose"}, "pub", "Fam", {}, {}, {},
         {"fonts/afm/pub/Fam/l.afm", "fonts/type1/pub/Fam/l.pfb", "fonts/type1/pub/Fam/qlkx.pfb",
          "tex/latex/pub/Fam/qlk.sty"}},
        {"a name with a slash is refused", {"loose", "tds"}, "pub/../..", "Fam", {}, {},
         {"The foundry and family names may not contain \"/\" or \"..\""}, {}},
        {"a single x.tar.gz is a loose file that is not placed", {"x.tar.gz"}, "pub", "Fam", {}, {}, {}, {}},
        {"a broken zip", {"broken.zip"}, {}, {}, {}, {}, {"Error unzipping: 9"}, {}},
        {"a broken tgz", {"broken.tgz"}, {}, {}, {}, {}, {"Error expanding .tgz: 2"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestEnv env;
        test::pointTreesAt(env);
        env.writeFile("tds/fonts/type1/public/qlk/qlkx.pfb", "outline");
        env.writeFile("tds/tex/latex/qlk/qlk.sty", "sty");
        env.writeFile("tds/.hidden-kept/x", "x");
        env.writeFile("tds/.DS_Store", "x");
        env.writeFile("loose/l.pfb", "outline");
        env.writeFile("loose/sub/l.afm", "metrics");
        env.writeFile("loose/.hidden.pfb", "never collected");
        env.writeFile("x.tar.gz", "x");
        env.writeFile("broken.zip", "not a zip");
        env.writeFile("broken.tgz", "not a tgz");
        CheckerAnswers checker(env, {&TDSwindow::PushButton2, &TDSwindow::PushButton2, &TDSwindow::PushButton2});
        Window1* w = freshTab();
        QStringList drop;
        for (const QString& d : c.drop)
            drop << env.root() + "/" + d;
        w->Listbox7_DropObject(drop);
        w->TextField1[0]->setText(c.supplier);
        w->TextField1[1]->setText(c.family);
        env.dialogs.answers = c.answers;
        w->PushButton8_Action();
        EXPECT_EQ(env.dialogs.questions, c.questions);
        EXPECT_EQ(env.dialogs.messages, c.messages);
        if (!c.messages.isEmpty()) {
            EXPECT_FALSE(w->PushButton7->isEnabled());
            continue;
        }
        ASSERT_TRUE(w->PushButton7->isEnabled());
        if (QString(c.name).startsWith("a doubtful folder taken")) {
            // The checker questions the stray file, the missing "fonts" and the
            // folder name; the tree is then as dropped, without its hidden file.
            EXPECT_EQ(checker.asked, (QStringList{strayFileQuestion(), noFontsOrTexQuestion(), folderNameQuestion("sub")}));
            EXPECT_EQ(test::snapshot(tdsFolder).keys(), (QStringList{"l.pfb", "sub/l.afm"}));
            continue;
        }
        EXPECT_EQ(test::snapshot(tdsFolder).keys(), c.tree);
        EXPECT_EQ(w->NotFontTDS, c.tree.isEmpty());
    }
}

namespace {
QStringList documentsEntries(const test::TestEnv& env)
{
    return QDir(env.home() + "/Documents").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Puts `folder` first on the search path while it lives.
struct PathFirst {
    QByteArray old = qgetenv("PATH");
    explicit PathFirst(const QString& folder, bool only = false)
    {
        qputenv("PATH", only ? folder.toLocal8Bit() : folder.toLocal8Bit() + ":" + old);
    }
    ~PathFirst() { qputenv("PATH", old); }
};
} // namespace

// A link in a dropped folder could lead outside it or back up into it: the
// job is refused before anything is copied, on both roads.
TEST(InstallTab, DroppedFolderWithLinksIsRefusedBeforeAnyCopy)
{
    for (bool loose : {false, true}) {
        SCOPED_TRACE(loose ? "loose files" : "one TDS folder");
        test::TestEnv env;
        test::pointTreesAt(env);
        writeTds(env, "src");
        const QString src = env.root() + "/src";
        env.writeFile("outside/secret.pfb", "not yours");
        ASSERT_TRUE(QFile::link(env.root() + "/outside", src + "/fonts/out"));
        ASSERT_TRUE(QFile::link(src, src + "/fonts/type1/loop"));
        Window1* w = freshTab();
        w->TextField1[0]->setText("qlk");
        w->TextField1[1]->setText("Qlk");
        QStringList drop{src};
        if (loose)
            drop << env.writeFile("extra.afm", "metrics");
        w->Listbox7_DropObject(drop);
        const auto home = test::snapshot(env.home());
        w->PushButton8_Action();
        ASSERT_EQ(env.dialogs.messages.size(), 1) << env.dialogs.transcript.join("\n").toStdString();
        const QString message = env.dialogs.messages.first();
        EXPECT_TRUE(message.startsWith("The folder " + src + " holds links")) << message.toStdString();
        EXPECT_TRUE(message.contains(src + "/fonts/out"));
        EXPECT_TRUE(message.contains(src + "/fonts/type1/loop"));
        EXPECT_EQ(test::snapshot(env.home()), home);
        EXPECT_TRUE(documentsEntries(env).isEmpty());
        EXPECT_FALSE(w->PushButton7->isEnabled());
        EXPECT_TRUE(tdsFolder.isEmpty());
    }
}

// An unpack that fails or runs into the time-out takes its scratch folder
// with it and says which it was.
TEST(InstallTab, FailedOrTimedOutUnpackLeavesNoScratchFolder)
{
    struct Case {
        const char* what;
        const char* unpack; // what the stand-in unzip does when asked to unpack
        const char* message;
    };
    for (const Case& c : {Case{"fails", "mkdir -p fonts; echo x > fonts/a.pfb; exit 9", "Error unzipping: 9"},
                          Case{"times out", "mkdir -p fonts; echo x > fonts/a.pfb; sleep 20",
                               "Error unzipping: timed out"}}) {
        SCOPED_TRACE(c.what);
        test::TestEnv env;
        test::pointTreesAt(env);
        shellTimeoutMs = 1000;
        // Lists one small entry as unzip does, then unpacks as the case says.
        env.writeScript("bin/unzip", QString("case \"$1\" in\n"
                                             "-Z1) echo fonts/a.pfb ;;\n"
                                             "-p) echo x ;;\n"
                                             "-Z) printf 'Archive: x\\nZip file size: 1\\n"
                                             "-rw-r--r--  3.0 unx        2 tx stor 26-Dec-11 01:35 fonts/a.pfb\\n"
                                             "1 file\\n' ;;\n"
                                             "*) %1 ;;\n"
                                             "esac\n")
                                         .arg(c.unpack));
        const QString archive = env.writeFile("w/pkg.zip", "stand-in");
        PathFirst path(env.root() + "/bin");
        Window1* w = freshTab();
        w->Listbox7_DropObject({archive});
        w->PushButton8_Action();
        EXPECT_EQ(env.dialogs.messages, QStringList{c.message});
        EXPECT_TRUE(documentsEntries(env).isEmpty()) << documentsEntries(env).join(" ").toStdString();
        EXPECT_FALSE(w->PushButton7->isEnabled());
    }
}

// The uncompressed sizes are added up before anything is unpacked: beyond
// the limit, or beyond the free space, the archive is refused with the sizes.
TEST(InstallTab, ArchivesTooLargeForTheLimitOrTheFreeSpaceAreRefused)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    env.writeFile("w/in/fonts/a.pfb", "outline");
    const QString in = shellQuote(env.root() + "/w/in");
    // A sparse 2 GiB file packs into a few bytes.
    ASSERT_EQ(runBash("cd " + in + " && zip -qr ../small.zip fonts && truncate -s 2G fonts/big.pfb && "
                      "tar -cSzf ../big.tgz fonts")
                  .exitCode,
              0);
    Window1* w = freshTab();
    w->Listbox7_DropObject({env.root() + "/w/big.tgz"});
    w->PushButton8_Action();
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_EQ(env.dialogs.messages.first(), "The archive " + env.root() +
                                                "/w/big.tgz was not unpacked. Unpacked it would take 2.1 GB, more "
                                                "than the 1.1 GB a font package may take.");
    EXPECT_TRUE(documentsEntries(env).isEmpty());

    setFreeBytesForTesting([](const QString&) { return qint64(3); });
    env.dialogs.messages.clear();
    w = freshTab();
    w->Listbox7_DropObject({env.root() + "/w/small.zip"});
    w->PushButton8_Action();
    setFreeBytesForTesting({});
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains(" was not unpacked. Unpacked it would take 7 bytes, but only "
                                                      "3 bytes are free in "))
        << env.dialogs.messages.first().toStdString();
    EXPECT_TRUE(documentsEntries(env).isEmpty());
    EXPECT_FALSE(w->PushButton7->isEnabled());
}

// Install checks the room in the target before it unpacks there.
TEST(InstallTab, InstallNeedsRoomInTheTarget)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    writeTds(env, "src");
    const QString target = env.root() + "/check";
    env.writeFile("check/fonts/other.txt", "untouched");
    Window1* w = freshTab();
    w->Listbox7_DropObject({env.root() + "/src"});
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
    const auto before = test::snapshot(target);
    setFreeBytesForTesting([&](const QString& folder) { return folder == target ? qint64(10) : qint64(-1); });
    w->RadioButton2[2]->setChecked(true);
    env.dialogs.folders = {target};
    env.dialogs.messages.clear();
    EXPECT_FALSE(w->install());
    setFreeBytesForTesting({});
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith("Nothing was installed. Unpacked it would take "));
    EXPECT_TRUE(env.dialogs.messages.first().endsWith(" bytes, but only 10 bytes are free in " + target + "."))
        << env.dialogs.messages.first().toStdString();
    EXPECT_EQ(w->TextField2->text(), "No files installed.");
    EXPECT_EQ(test::snapshot(target), before);
}

// An archive whose name holds a line break is named as the problem.
TEST(InstallTab, ArchiveNameWithALineBreakIsNamed)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    const QString archive = env.writeFile("w/two\nlines.zip", "x");
    Window1* w = freshTab();
    w->Listbox7_DropObject({archive});
    w->PushButton8_Action();
    EXPECT_EQ(env.dialogs.messages,
              QStringList{"The name of " + archive +
                          " holds a line break or another control character. Rename it and drop it again."});
    EXPECT_TRUE(documentsEntries(env).isEmpty());
}

// Not root, and nothing on this machine can run a root command: the
// message says so, instead of an unzip error code, and nothing runs.
TEST(InstallTab, NoWayToRootIsSaidPlainly)
{
    test::TestEnv env;
    test::pointTreesAt(env);
    test::RootRecorder root;
    writeTds(env, "src");
    Window1* w = freshTab();
    w->Listbox7_DropObject({env.root() + "/src"});
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled());
    const auto before = test::snapshot(env.texmfLocal());
    w->RadioButton2[0]->setChecked(true);
    for (int sudo : {1, 0}) {
        SCOPED_TRACE(sudo);
        setpref("sudo", qint32(sudo));
        setEffectiveUidForTesting(1000);
        env.dialogs.messages.clear();
        {
            QDir().mkpath(env.root() + "/emptybin");
            PathFirst path(env.root() + "/emptybin", true);
            EXPECT_FALSE(w->install());
        }
        ASSERT_FALSE(env.dialogs.messages.isEmpty());
        EXPECT_TRUE(env.dialogs.messages.last().startsWith("Commands that need root cannot be run: "))
            << env.dialogs.messages.last().toStdString();
        EXPECT_TRUE(env.dialogs.messages.filter("Error unzipping").isEmpty());
        EXPECT_TRUE(root.commands.isEmpty());
        EXPECT_EQ(test::snapshot(env.texmfLocal()), before);
    }
}

// A TDS zip whose map loads an outline the zip does not hold, and no tree
// has: the map is enabled, but the install is not called finished; the
// file is named and the tab keeps the tree for another try.
TEST(InstallTab, TreeLackingItsOutlineIsNotCalledFinished)
{
    test::TestEnv env(false);
    test::RootRecorder root;
    Window1* w = scannedTab();
    ASSERT_EQ(env.takeQuits(), 0);
    env.writeFile("src/fonts/tfm/public/qlknopfb/qlknopfb8r.tfm", "metrics");
    env.writeFile("src/fonts/map/dvips/qlknopfb/qlknopfb.map", "qlknopfb8r QlkNoPfb <qlknopfb8a.pfb\n");
    env.writeFile("src/tex/latex/qlknopfb/qlknopfb.sty", "\\ProvidesPackage{qlknopfb}\n");
    ASSERT_EQ(runBash("cd " + shellQuote(env.root() + "/src") + " && zip -qr ../qlknopfb.zip fonts tex").exitCode, 0);
    w->Listbox7_DropObject({env.root() + "/qlknopfb.zip"});
    w->PushButton8_Action();
    ASSERT_TRUE(w->PushButton7->isEnabled()) << env.dialogs.transcript.join("\n").toStdString();
    w->RadioButton2[1]->setChecked(true);
    env.dialogs.messages.clear();
    EXPECT_FALSE(w->install());
    const QString missing =
        "The map qlknopfb.map loads qlknopfb8a.pfb, which is not installed: documents using these fonts will stop.";
    EXPECT_EQ(w->TextField2->text(), missing);
    EXPECT_TRUE(env.dialogs.messages.contains(missing)) << env.dialogs.messages.join("\n").toStdString();
    EXPECT_TRUE(QString::fromUtf8(test::readBytes(env.texmfConfig() + "/web2c/updmap.cfg")).contains("Map qlknopfb.map"));
    EXPECT_TRUE(w->PushButton7->isEnabled());
}

#include "SearchFixture.h"

#include "app/App.h"
#include "app/MenuBar1.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "search/CatalogfdWindow.h"
#include "search/DuplicatesWindow.h"
#include "search/FdCatalogue.h"
#include "search/FontDBWindow.h"
#include "search/SourceWindow.h"
#include "search/filechoose.h"
#include "texenv/PrefDefaults.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"
#include "support/WidgetInput.h"
#include "textview/TextWindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qlk;
using test::chooseMenuItem;
using test::machineVar;
using test::deleteClosedWindows;
using test::pressReturn;
using test::SearchTrees;
using test::TestEnv;
using test::writeAt;

namespace {

class CatalogueWindows : public ::testing::Test {
protected:
    void SetUp() override { resetPrefsForTesting(); }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        deleteClosedWindows();
        resetPrefsForTesting();
    }
    TestEnv env;
};

QStringList column(QTreeWidget* list, int c)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(c);
    return out;
}

} // namespace

TEST_F(CatalogueWindows, KnownFontsSearchesOnReturnAndAfterTheSourcesDialog)
{
    SearchTrees trees(env, machineVar("TEXMFDIST"));
    sourceMapFiles = defaultSourceMaps();
    ASSERT_TRUE(chooseMenuItem("ViewKnownfonts"));
    FontDBWindow* win = FontDBWindow::instance();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Known fonts"));
    EXPECT_TRUE(win->TextArea1->toPlainText().isEmpty()); // nothing searched on opening

    win->TextField1->setText(QStringLiteral("PlaytimeMT"));
    pressReturn(win->TextField1);
    EXPECT_EQ(win->TextField1->text(), QStringLiteral("PlaytimeMT"));
    EXPECT_EQ(win->TextArea1->toPlainText(),
              QStringLiteral("mpi319    PlaytimeMT                        MT  1346    play____\n"
                             "mpi319    PlaytimeMT                                    "));

    // Cancel after edits changes nothing, and still searches.
    const QByteArray before = test::readBytes(prefsfile());
    env.dialogs.onModal = [](QDialog* d) {
        auto* s = qobject_cast<SourceWindow*>(d);
        EXPECT_TRUE(s);
        EXPECT_EQ(s->TextArea1->toPlainText(), sourceMapFiles.join('\n'));
        EXPECT_TRUE(s->StaticText2->text().contains(texmfDist + "/fonts/map/fontname/adobe.map"));
        s->TextArea1->setPlainText(QStringLiteral("edited.map"));
        s->PushButton2->click();
        return 0;
    };
    win->TextField1->setText(QStringLiteral("nothing-like-this"));
    win->PushButton1->click();
    deleteClosedWindows();
    EXPECT_EQ(sourceMapFiles, defaultSourceMaps());
    EXPECT_EQ(test::readBytes(prefsfile()), before);
    EXPECT_TRUE(win->TextArea1->toPlainText().isEmpty());

    // OK with an emptied list stores an empty list that a new run keeps.
    env.dialogs.onModal = [](QDialog* d) {
        auto* s = qobject_cast<SourceWindow*>(d);
        s->TextArea1->setPlainText(QStringLiteral("\n  \n"));
        s->PushButton1->click();
        return 1;
    };
    win->TextField1->setText(QStringLiteral("PlaytimeMT"));
    win->PushButton1->click();
    deleteClosedWindows();
    EXPECT_TRUE(sourceMapFiles.isEmpty());
    EXPECT_TRUE(win->TextArea1->toPlainText().isEmpty());
    resetPrefsForTesting();
    EXPECT_TRUE(haspref(QStringLiteral("sourcemaps")));
    EXPECT_TRUE(prefText(QStringLiteral("sourcemaps")).isEmpty());
}

TEST_F(CatalogueWindows, CatalogueFdFilesReportsThenListsAndScansOnce)
{
    SearchTrees trees(env, machineVar("TEXMFDIST"));
    const QString debian = machineVar("TEXMFDEBIAN");
    texmfTrees << debian;
    const QString home =
        writeAt(env.texmfHome() + "/tex/latex/mine/t1ptm.fd", test::readBytes(test::texFile("t1ptm.fd")));
    fdPaths.clear();

    QSet<QString> names;
    for (const QString& root : {texmfDist, debian, env.texmfHome()}) {
        QDirIterator it(root + "/tex/latex", {"*.fd", "*.FD", "*.Fd", "*.fD"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names.insert(QFileInfo(it.next()).fileName().toLower());
    }

    QString report;
    env.dialogs.onModal = [&report](QDialog* d) {
        auto* viewer = qobject_cast<TextWindow*>(d);
        EXPECT_TRUE(viewer);
        report = viewer->text();
        EXPECT_EQ(viewer->saveable, 0);
        return 0;
    };
    ASSERT_TRUE(chooseMenuItem("InfoCataloguefdfiles"));
    const QString distCopy = texmfDist + "/tex/latex/psnfss/t1ptm.fd";
    EXPECT_TRUE(report.contains("Duplicate t1ptm.fd noted while scanning texmfhome\n  0: " + distCopy +
                                "  (dated " + fileDate(distCopy) + ")\n  1: " + home + "  (dated " +
                                fileDate(home) + ")"))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith("to learn which is currently read by LaTeX."));

    CatalogfdWindow* win = CatalogfdWindow::instance();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->TextField2->text().toInt(), names.size());
    EXPECT_EQ(win->Listbox1->topLevelItemCount(), names.size());
    const QStringList berries = column(win->Listbox1, 1);
    QStringList sorted = berries;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(berries, sorted);
    EXPECT_TRUE(column(win->Listbox1, 3).contains(home));
    EXPECT_FALSE(column(win->Listbox1, 3).contains(distCopy));

    // Filters: "ptm" in Berry, Path or Remarks; "%" all; a quote is data.
    win->TextField1->setText(QStringLiteral("  ptm "));
    win->PushButton1->click();
    ASSERT_GT(win->Listbox1->topLevelItemCount(), 0);
    for (int i = 0; i < win->Listbox1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = win->Listbox1->topLevelItem(i);
        EXPECT_TRUE(row->text(1).contains("ptm", Qt::CaseInsensitive) ||
                    row->text(3).contains("ptm", Qt::CaseInsensitive) ||
                    row->text(4).contains("ptm", Qt::CaseInsensitive));
    }
    win->TextField1->setText(QStringLiteral("%"));
    pressReturn(win->TextField1);
    EXPECT_EQ(win->Listbox1->topLevelItemCount(), names.size());
    win->TextField1->setText(QStringLiteral("'"));
    win->PushButton1->click();
    EXPECT_EQ(win->Listbox1->topLevelItemCount(), 0);
    EXPECT_EQ(win->TextField2->text().toInt(), names.size());

    // A double click reveals the row clicked last, and nothing before a click.
    QStringList revealed;
    setDesktopRecorder([&](const QString& action, const QString& path) { revealed << action + " " + path; });
    win->TextField1->clear();
    win->PushButton1->click();
    win->mrow = -1;
    win->Listbox1_DoubleClick();
    EXPECT_TRUE(revealed.isEmpty());
    const int homeRow = int(column(win->Listbox1, 3).indexOf(home));
    win->Listbox1_CellClick(homeRow);
    win->Listbox1_DoubleClick();
    EXPECT_EQ(revealed, QStringList{"reveal " + home});
    setDesktopRecorder(nullptr);

    // The second use of the menu item scans nothing and keeps the list.
    win->close();
    deleteClosedWindows();
    report.clear();
    QFile::remove(home);
    ASSERT_TRUE(chooseMenuItem("InfoCataloguefdfiles"));
    EXPECT_TRUE(report.isEmpty());
    EXPECT_TRUE(column(CatalogfdWindow::instance()->Listbox1, 3).contains(home));
    fdPaths.clear();
}

TEST_F(CatalogueWindows, GetXHeightMeasuresByNameAndByPath)
{
    SearchTrees trees(env, machineVar("TEXMFDIST"));
    mapRoot = QFileInfo(machineVar("TEXMFSYSVAR") + "/fonts/map/").absoluteFilePath();
    ASSERT_TRUE(QFileInfo::exists(mapRoot + "pdftex/updmap/pdftex.map"));
    ASSERT_TRUE(chooseMenuItem("InfoGetxheight"));
    filechoose* win = filechoose::instance();
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Specify Font (extension optional)"));

    struct Case {
        const char* typed;
        const char* result;
    } cases[] = {
        {"utmr8a", "x-height=450, Capheight=662"},
        {"cmr10.tfm", "x-height=431, Capheight=683"}, // the AFM wins
        {"ptmr8r", "x-height=450, Capheight=662"},    // the TFM route
    };
    for (const Case& c : cases) {
        win->TextField1->setPlainText(QString::fromUtf8(c.typed));
        pressReturn(win->TextField1);
        EXPECT_EQ(win->StaticText2->text(), QString::fromUtf8(c.result)) << c.typed;
        EXPECT_EQ(win->TextField1->toPlainText(), QString::fromUtf8(c.typed));
    }
    EXPECT_TRUE(env.dialogs.messages.isEmpty()) << env.dialogs.messages.join('|').toStdString();

    win->TextField1->setPlainText(env.root() + "/nowhere/abc.tfm");
    win->PushButton2->click();
    EXPECT_EQ(win->StaticText2->text(), QStringLiteral("x-height=-1, Capheight=-1"));
    EXPECT_EQ(env.dialogs.messages, (QStringList{"No tfm or vf found for abc", "No tfm or vf found for abc"}));

    // Browse remembers the folder; an empty field closes the window.
    const QString afm = test::texFile("cmr10.afm");
    env.dialogs.files << afm;
    win->PushButton3->click();
    EXPECT_EQ(win->TextField1->toPlainText(), afm);
    EXPECT_EQ(win->StaticText2->text(), QStringLiteral("x-height=431, Capheight=683"));
    EXPECT_EQ(prefText("PathToTFM"), QFileInfo(afm).absolutePath());
    EXPECT_EQ(tfmFolder, QFileInfo(afm).absolutePath());

    QPointer<filechoose> open = win;
    win->TextField1->setPlainText(QStringLiteral("   "));
    win->PushButton2->click();
    deleteClosedWindows();
    EXPECT_TRUE(open.isNull());
}

TEST_F(CatalogueWindows, FindAllDuplicatesReportsTheThreeCopiesAndShowsTheReport)
{
    SearchTrees trees(env, machineVar("TEXMFDIST"));
    const QByteArray t1ptm = test::readBytes(test::texFile("t1ptm.fd"));
    const QString var = writeAt(env.texmfVar() + "/tex/latex/psnfss/t1ptm.fd", t1ptm);
    const QString home = writeAt(env.texmfHome() + "/tex/latex/mine/t1ptm.fd", t1ptm);
    const QString tfm = writeAt(env.texmfHome() + "/fonts/tfm/adobe/times/ptmr8t.tfm",
                                test::readBytes(test::texFile("ptmr8t.tfm")));
    const QByteArray lsR = "% ls-R -- filename database for kpathsea; do not change this line.\n./:\n";
    writeAt(env.texmfHome() + "/ls-R", lsR);

    ASSERT_TRUE(chooseMenuItem("FileFindAllDuplicates"));
    DuplicatesWindow* win = DuplicatesWindow::instance();
    EXPECT_EQ(win->types.size(), 25);
    EXPECT_FALSE(win->PushButton3->isVisible());
    win->PushButton2->click();
    EXPECT_TRUE(win->PushButton3->isVisible());
    EXPECT_EQ(win->TextField1->text(), QStringLiteral("Finished checking for all duplicates. See the report."));
    EXPECT_EQ(win->StaticText2->text(), "Report will be saved in Documents/" + QFileInfo(win->dupsfile).fileName());
    EXPECT_EQ(QString::fromUtf8(test::readBytes(win->dupsfile)),
              "Possible duplicate files in the texmf trees\n\n" + var + "\n" + home + "\n" + texmfDist +
                  "/tex/latex/psnfss/t1ptm.fd\n\n" + tfm + "\n" + texmfDist + "/fonts/tfm/adobe/times/ptmr8t.tfm\n\n");
    EXPECT_EQ(test::readBytes(env.texmfHome() + "/ls-R"), lsR);

    win->PushButton3->click();
    TextWindow* viewer = TextWindow::instance();
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->saveable, 0);
    EXPECT_TRUE(viewer->AllowActiveLine);
    EXPECT_TRUE(viewer->text().contains(home));
}

#include "fontinfo/lcdftoolsWindow.h"

#include "Print.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "fontinfo/ExamineList.h"
#include "platform/UiHooks.h"
#include "services/RunLog.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>

#include <gtest/gtest.h>

using namespace qlk;

namespace {

QStringList column(const ExamineList* list, int col)
{
    QStringList out;
    for (int i = 0; i < list->rowCount(); ++i)
        out << list->cell(i, col);
    return out;
}

class OtfWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString lm = test::texFile(QStringLiteral("lmroman10-regular.otf"));
        ASSERT_FALSE(lm.isEmpty()) << "fonts-lmodern is needed";
        // A folder whose name needs quoting in a command line.
        folder = env.root() + QStringLiteral("/my fonts");
        QDir().mkpath(folder);
        otf = folder + QStringLiteral("/lmroman10-regular.otf");
        ASSERT_TRUE(QFile::copy(lm, otf));
        uiHooks().showCommandFailure = [this](const QString& report) { failures << report; };
        w = lcdftoolsWindow::instance();
        w->show();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
    }
    test::TestEnv env;
    QString folder;
    QString otf;
    QStringList failures;
    QPointer<lcdftoolsWindow> w;
};

} // namespace

TEST_F(OtfWindowTest, OpensFromTheMenuEmpty)
{
    w->close();
    QApplication::processEvents();
    ASSERT_TRUE(test::chooseMenuItem("InfoOtfInfo"));
    w = lcdftoolsWindow::instance();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("LCDFtools Window"));
    EXPECT_EQ(w->TabPanel1->currentIndex(), 0);
    EXPECT_FALSE(w->RadioButton1[0]->isChecked());
    EXPECT_FALSE(w->RadioButton1[1]->isChecked());
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    // The context menu before any drop does nothing.
    EXPECT_FALSE(w->Listbox1_ContextualMenuAction(1));
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
}

TEST_F(OtfWindowTest, DroppedOpenTypeFontFillsTheThreeTabs)
{
    w->Listbox1_DropObject({otf});
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(column(w->Listbox1, 0), QStringList{"lmroman10-regular.otf"});
    EXPECT_EQ(w->TextField1->text(), QStringLiteral("LMRoman10-Regular"));
    EXPECT_EQ(w->TextField2->text(), QStringLiteral("LM Roman 10"));
    EXPECT_TRUE(w->RadioButton1[0]->isChecked());
    EXPECT_FALSE(w->RadioButton1[1]->isChecked());

    const QStringList scripts = column(w->Listbox2, 0);
    EXPECT_TRUE(scripts.contains(QStringLiteral("DFLT")));
    EXPECT_TRUE(scripts.contains(QStringLiteral("cyrl")));
    ASSERT_GE(w->Listbox2->selectedRow(), 0);
    EXPECT_EQ(w->Listbox2->cell(w->Listbox2->selectedRow(), 0), QStringLiteral("latn"));
    EXPECT_EQ(w->Listbox2->cell(w->Listbox2->selectedRow(), 1), QStringLiteral("Latin"));

    const int cff = int(column(w->Listbox3, 1).indexOf(QStringLiteral("CFF")));
    ASSERT_GE(cff, 0);
    EXPECT_GT(w->Listbox3->cell(cff, 0).toInt(), 0);
    EXPECT_TRUE(column(w->Listbox3, 1).contains(QStringLiteral("GSUB")));

    const QStringList latnFeatures = column(w->Listbox4, 0);
    EXPECT_TRUE(latnFeatures.contains(QStringLiteral("kern")));
    EXPECT_TRUE(latnFeatures.contains(QStringLiteral("liga")) || latnFeatures.contains(QStringLiteral("dlig")));

    // Another script refills the feature list; no selection means "latn".
    w->Listbox2->selectRow(int(scripts.indexOf(QStringLiteral("cyrl"))));
    EXPECT_FALSE(w->Listbox4->rowCount() == 0);
    w->Listbox2->clearSelection();
    EXPECT_EQ(column(w->Listbox4, 0), latnFeatures);

    // The context menu's reports.
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(1));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().contains(QLatin1String("PostScript name:     LMRoman10-Regular")));
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(2));
    EXPECT_TRUE(env.dialogs.messages.last().contains(QLatin1String("kern")));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(OtfWindowTest, RefusedDropsKeepTheFontShown)
{
    w->Listbox1_DropObject({otf});
    const QStringList tables = column(w->Listbox3, 1);
    const QString ttf = env.writeFile(QStringLiteral("Minion.ttf"), "not really");
    const QString bak = env.writeFile(QStringLiteral("Minion.otf.bak"), "not really");
    struct Case {
        QStringList paths;
        const char* message;
    };
    const QList<Case> cases{
        {{ttf}, "The font file must be in .otf format"},
        {{bak}, "The font file must be in .otf format"},
        {{otf, otf}, "You are permitted to drop only a single otf file"},
        // A folder is taken as the item before it is refused; there is no font folder.
        {{folder}, "You cannot drop a folder---just a single file"},
        {{folder, otf}, "You cannot drop a folder---just a single file"},
    };
    for (const Case& c : cases) {
        env.dialogs.messages.clear();
        w->Listbox1_DropObject(c.paths);
        EXPECT_EQ(env.dialogs.messages, QStringList{QString::fromLatin1(c.message)});
        EXPECT_TRUE(w->fontfile.isEmpty() || (w->fontfile == folder && w->fontfolder.isEmpty()));
        EXPECT_EQ(w->TextField1->text(), QStringLiteral("LMRoman10-Regular"));
        EXPECT_EQ(column(w->Listbox3, 1), tables);
    }
    // The font still shown still answers a change of script.
    env.dialogs.messages.clear();
    w->Listbox2->selectRow(0);
    EXPECT_GT(w->Listbox4->rowCount(), 0);
    EXPECT_TRUE(w->Listbox1_ContextualMenuAction(1));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(OtfWindowTest, TrueTypeOutlinesAndASecondFont)
{
    const QString dejavu = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (!QFile::exists(dejavu))
        GTEST_SKIP() << "fonts-dejavu-core is needed";
    w->Listbox1_DropObject({otf});
    // An OpenType font with TrueType outlines.
    const QString tt = folder + QStringLiteral("/DejaVuSans.OTF");
    ASSERT_TRUE(QFile::copy(dejavu, tt));
    w->Listbox1_DropObject({tt});
    EXPECT_EQ(column(w->Listbox1, 0), QStringList{"DejaVuSans.OTF"});
    EXPECT_EQ(w->TextField1->text(), QStringLiteral("DejaVuSans"));
    EXPECT_TRUE(w->RadioButton1[1]->isChecked());
    EXPECT_FALSE(w->RadioButton1[0]->isChecked());
    EXPECT_FALSE(column(w->Listbox3, 1).contains(QStringLiteral("CFF")));
    EXPECT_TRUE(column(w->Listbox3, 1).contains(QStringLiteral("glyf")));
    ASSERT_GE(w->Listbox2->selectedRow(), 0);
    EXPECT_EQ(w->Listbox2->cell(w->Listbox2->selectedRow(), 0), QStringLiteral("latn"));
    EXPECT_EQ(column(w->Listbox2, 0).count(QStringLiteral("latn")), 1);
}

TEST_F(OtfWindowTest, ClosingLeavesTheRunLogOpen)
{
    openLog(env.home());
    ASSERT_TRUE(logStream);
    w->close();
    QApplication::processEvents();
    EXPECT_TRUE(logStream);
    logLine(QStringLiteral("still logging"));
    closeLog();
    QFile log(env.home() + QStringLiteral("/QLKlogfile.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("still logging"));
}

#include "fontinfo/ToBerryWin.h"

#include "Print.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "fontinfo/FontDB.h"
#include "fontinfo/ExamineList.h"
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

class BerryWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(connectFontDB(QStringLiteral(QLK_APP_DIR "/TeXFonts.db"), &error)) << error.toStdString();
        folder = env.root() + QStringLiteral("/vendor");
        QDir().mkpath(folder);
        for (const auto& [tex, name] : {std::pair{"utmr8a.pfb", "n021003l.pfb"}, std::pair{"utmr8a.afm", "n021003l.afm"},
                                        std::pair{"utmb8a.pfb", "n021004l.pfb"}}) {
            const QString src = test::texFile(QString::fromLatin1(tex));
            ASSERT_FALSE(src.isEmpty()) << tex;
            ASSERT_TRUE(QFile::copy(src, folder + QLatin1Char('/') + QLatin1String(name)));
        }
        ASSERT_TRUE(test::chooseMenuItem("FileConvertnamestoBerryform"));
        w = ToBerryWin::instance();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
        disconnectFontDB();
    }
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < w->Listbox1->rowCount(); ++i)
            out << w->Listbox1->cell(i, 0) + QLatin1Char('|') + w->Listbox1->cell(i, 1);
        return out;
    }
    QStringList files(const QString& dir) const { return QDir(dir).entryList(QDir::Files, QDir::Name); }

    test::TestEnv env;
    QString folder;
    QPointer<ToBerryWin> w;
};

} // namespace

TEST_F(BerryWindowTest, VendorNamedFontsAreRenamedToTheirBerryNames)
{
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Convert filenames to Berry form"));
    w->Listbox1_DropObject({folder});
    EXPECT_EQ(rows(), (QStringList{"n021003l|utmr8a", "n021004l|utmb8a"}));
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
    // Only the Berry column can be edited.
    EXPECT_TRUE(w->Listbox1->topLevelItem(0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(w->Listbox1->itemDelegateForColumn(1));
    EXPECT_TRUE(w->Listbox1->itemDelegateForColumn(0));

    // A file already named like the target stays; the others are renamed.
    QFile::copy(folder + QStringLiteral("/n021004l.pfb"), folder + QStringLiteral("/utmb8a.pfb"));
    w->PushButton1->click();
    EXPECT_EQ(files(folder), (QStringList{"n021004l.pfb", "utmb8a.pfb", "utmr8a.afm", "utmr8a.pfb"}));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_EQ(env.dialogs.messages.first(),
              QStringLiteral("These files were not renamed:\nn021004l.pfb: utmb8a.pfb exists already"));
    QApplication::processEvents();
    EXPECT_FALSE(w);
}

TEST_F(BerryWindowTest, EditedAndClearedNames)
{
    w->Listbox1_DropObject({folder});
    w->Listbox1->setCell(0, 1, QStringLiteral("ptmr8a"));
    w->Listbox1->setCell(1, 1, QStringLiteral("   "));
    w->PushButton1->click();
    EXPECT_EQ(files(folder), (QStringList{"n021004l.pfb", "ptmr8a.afm", "ptmr8a.pfb"}));
    EXPECT_TRUE(env.dialogs.messages.isEmpty());
}

TEST_F(BerryWindowTest, RefusedDropsQuestionAndCancel)
{
    const QString file = folder + QStringLiteral("/n021003l.pfb");
    w->Listbox1_DropObject({file});
    EXPECT_EQ(env.dialogs.messages, QStringList{"You may drop only a single folder, not a file. Please start over."});
    EXPECT_TRUE(w->masterfolder.isEmpty());
    w->Listbox1_DropObject({folder, file});
    EXPECT_EQ(env.dialogs.messages.last(), QStringLiteral("You may drop only a single folder. Please start over."));
    EXPECT_TRUE(env.dialogs.questions.isEmpty());

    w->Listbox1_DropObject({folder});
    const QString other = env.root() + QStringLiteral("/other");
    QDir().mkpath(other);
    QFile::copy(folder + QStringLiteral("/n021004l.pfb"), other + QStringLiteral("/n021004l.pfb"));
    env.dialogs.answers = {false};
    w->Listbox1_DropObject({other});
    EXPECT_EQ(env.dialogs.questions, QStringList{"Replace with new master folder?"});
    EXPECT_EQ(w->masterfolder, folder);
    EXPECT_EQ(rows().size(), 2);
    env.dialogs.answers = {true};
    w->Listbox1_DropObject({other});
    EXPECT_EQ(rows(), QStringList{"n021004l|utmb8a"});
    // "Cancel" renames nothing.
    w->PushButton2->click();
    QApplication::processEvents();
    EXPECT_FALSE(w);
    EXPECT_EQ(files(other), QStringList{"n021004l.pfb"});
    EXPECT_EQ(files(folder), (QStringList{"n021003l.afm", "n021003l.pfb", "n021004l.pfb"}));
}

TEST_F(BerryWindowTest, OkBeforeAnyDropClosesAndRenamesNothing)
{
    w->PushButton1->click();
    QApplication::processEvents();
    EXPECT_FALSE(w);
    EXPECT_EQ(files(folder), (QStringList{"n021003l.afm", "n021003l.pfb", "n021004l.pfb"}));
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
}

#include "fontinfo/DVIwindow.h"

#include "DviBytes.h"
#include "Print.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "fontinfo/ExamineList.h"
#include "platform/Process.h"
#include "platform/Quote.h"
#include "support/MenuFixture.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace qlk;
using qlk::test::DviBytes;

namespace {

QByteArray smallDvi()
{
    return DviBytes()
        .pre("comment")
        .bop()
        .op(141)
        .fntDef1(0, 1, 1, "cmr10")
        .op(171)
        .text("Hi")
        .op(143)
        .bytes({3})
        .text("you\n")
        .op(142)
        .op(140)
        .post()
        .fntDef1(0, 1, 1, "cmr10")
        .op(249)
        .data();
}

QStringList shownRows(const DVIwindow* w)
{
    QStringList out;
    for (int i = 0; i < w->Listbox1->rowCount(); ++i)
        out << w->Listbox1->cell(i, 0) + QLatin1Char('|') + w->Listbox1->cell(i, 1) + QLatin1Char('|') +
                   w->Listbox1->cell(i, 2);
    return out;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class DviWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dvi = env.writeFile(QStringLiteral("docs/paper.dvi"), smallDvi());
        w = DVIwindow::instance();
        w->show();
    }
    void TearDown() override
    {
        if (w)
            w->close();
        QApplication::processEvents();
    }
    test::TestEnv env;
    QString dvi;
    QPointer<DVIwindow> w;
};

const QStringList kFontRows{"247|pre|comment", "139|bop|", "243|fdef1(0)|cmr10*1000", "171|usefnt(0)|Hiyou^^J",
                            "140|eop|", "248|post|", "243|fdef1(0)|cmr10*1000", "249|post_post|"};
const QStringList kFullRows{"247|pre|comment",      "139|bop|",     "141|push|",
                            "243|fdef1(0)|cmr10*1000", "171|usefnt(0)|Hi", "143|mvrt|you^^J",
                            "142|pop|",             "140|eop|",     "248|post|",
                            "243|fdef1(0)|cmr10*1000", "249|post_post|"};

} // namespace

TEST_F(DviWindowTest, OpensFromTheMenuTickedAndEmpty)
{
    w->close();
    QApplication::processEvents();
    ASSERT_TRUE(test::chooseMenuItem("InfoExamineDVI"));
    w = DVIwindow::instance();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Drop DVI file on listbox"));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_EQ(w->Listbox1->headerItem()->text(2), QStringLiteral("Followed by text:"));
    // Nothing to list or save yet: the box and the button do nothing.
    w->CheckBox1->setChecked(false);
    w->PushButton1->click();
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
}

TEST_F(DviWindowTest, DropListsFontChangesAndTheBoxSwitchesToTheFullListing)
{
    // Dropped the way the file manager does it, through a drop event.
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(dvi)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Listbox1->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->Listbox1->viewport(), &drop);
    delete mime;
    EXPECT_EQ(w->dvif, dvi);
    EXPECT_EQ(shownRows(w), kFontRows);
    w->CheckBox1->setChecked(false);
    EXPECT_EQ(shownRows(w), kFullRows);
    // The list shows control characters escaped; the rows keep them as read.
    EXPECT_EQ(w->rows.at(5).text, QStringLiteral("you\n"));
    EXPECT_TRUE(env.dialogs.transcript.isEmpty());
}

TEST_F(DviWindowTest, SecondDropAsksAndRefusedDropsKeepTheRows)
{
    w->Listbox1_DropObject({dvi});
    const QString other = env.writeFile(QStringLiteral("other.dvi"), DviBytes().pre("x").data());

    env.dialogs.answers = {false};
    w->Listbox1_DropObject({other});
    EXPECT_EQ(env.dialogs.questions, QStringList{"Examine new dvi?"});
    EXPECT_EQ(w->dvif, dvi);
    EXPECT_EQ(shownRows(w), kFontRows);

    env.dialogs.answers = {true};
    w->Listbox1_DropObject({other, dvi});
    EXPECT_EQ(env.dialogs.messages, QStringList{"You may drop only a single file. Please start over."});
    EXPECT_TRUE(w->dvif.isEmpty());
    EXPECT_EQ(shownRows(w), kFontRows);
    // No file: neither the box nor "Save" does anything.
    w->CheckBox1->setChecked(false);
    EXPECT_EQ(shownRows(w), kFontRows);
    w->PushButton1->click();
    EXPECT_FALSE(QFile::exists(env.root() + QStringLiteral("/docs/paper.sav")));

    // No file held: no question before the folder is refused.
    w->Listbox1_DropObject({env.root() + QStringLiteral("/docs")});
    EXPECT_EQ(env.dialogs.questions.size(), 2);
    EXPECT_EQ(env.dialogs.messages.last(),
              QStringLiteral("You may drop only a single file, not a folder. Please start over."));
    EXPECT_TRUE(w->dvif.isEmpty());

    w->Listbox1_DropObject({other});
    EXPECT_EQ(shownRows(w), QStringList{"247|pre|x"});
}

TEST_F(DviWindowTest, SaveWritesTheRowsShownBesideTheFile)
{
    w->Listbox1_DropObject({dvi});
    w->PushButton1->click();
    const QString sav = env.root() + QStringLiteral("/docs/paper.sav");
    EXPECT_EQ(env.dialogs.messages, QStringList{"Saved as paper.sav"});
    EXPECT_EQ(readAll(sav), QByteArray("247\tpre\tcomment\n139\tbop\t\n243\tfdef1(0)\tcmr10*1000\n"
                                       "171\tusefnt(0)\tHiyou^^J\n140\teop\t\n248\tpost\t\n"
                                       "243\tfdef1(0)\tcmr10*1000\n249\tpost_post\t\n"));
    // Saving again replaces it, with the full listing now shown.
    w->CheckBox1->setChecked(false);
    w->Savetofile();
    EXPECT_EQ(QString::fromUtf8(readAll(sav)).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(),
              kFullRows.size());
    EXPECT_EQ(readAll(dvi), smallDvi());

    // A file without an extension gets ".sav" added.
    env.dialogs.answers = {true};
    const QString thesis = env.writeFile(QStringLiteral("docs/thesis"), smallDvi());
    w->Listbox1_DropObject({thesis});
    w->Savetofile();
    EXPECT_EQ(env.dialogs.messages.last(), QStringLiteral("Saved as thesis.sav"));
    EXPECT_TRUE(QFile::exists(env.root() + QStringLiteral("/docs/thesis.sav")));
}

TEST_F(DviWindowTest, WindowHoldingAListingGoesInEitherOrder)
{
    // A shown window whose list has the focus and a layout still pending
    // lays the list out again as it is torn down; its rows must not be read
    // once they are gone.
    for (const bool closeFirst : {false, true}) {
        SCOPED_TRACE(closeFirst ? "closed, then deleted" : "deleted while shown");
        w = DVIwindow::instance();
        w->show();
        w->Listbox1_DropObject({dvi});
        w->CheckBox1->setChecked(false);
        ASSERT_EQ(shownRows(w), kFullRows);
        w->activateWindow();
        w->Listbox1->setFocus();
        if (closeFirst)
            w->close();
        delete w.data();
        QApplication::processEvents();
        EXPECT_FALSE(w);
    }
    // A fresh window afterwards starts empty.
    w = DVIwindow::instance();
    EXPECT_EQ(w->Listbox1->rowCount(), 0);
}

TEST_F(DviWindowTest, DamagedFileShowsTheRowsReadAndAMessage)
{
    const QString cut = env.writeFile(QStringLiteral("cut.dvi"), smallDvi().left(40));
    w->Listbox1_DropObject({cut});
    EXPECT_EQ(shownRows(w), (QStringList{"247|pre|comment", "139|bop|"}));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.first().startsWith(QLatin1String("The DVI file ends early")));
}

TEST_F(DviWindowTest, UnwritableFolderAsksForAnotherOne)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "every folder is writable for root";
    w->Listbox1_DropObject({dvi});
    const QString folder = env.root() + QStringLiteral("/docs");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    env.dialogs.folders = {QString(), env.root()};
    w->Savetofile();
    EXPECT_EQ(env.dialogs.messages, QStringList{"Save aborted."});
    w->Savetofile();
    EXPECT_EQ(env.dialogs.messages.last(), QStringLiteral("Saved as paper.sav"));
    EXPECT_TRUE(QFile::exists(env.root() + QStringLiteral("/paper.sav")));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(DviWindowTex, RealDviIsListedAndSavedBesideIt)
{
    test::TestEnv env;
    const QString folder = env.root();
    QFile tex(folder + QStringLiteral("/tiny.tex"));
    ASSERT_TRUE(tex.open(QIODevice::WriteOnly));
    tex.write("Hello\\bye\n");
    tex.close();
    ASSERT_EQ(runBash(QStringLiteral("cd ") + shellQuote(folder) +
                      QStringLiteral(" && tex -interaction=batchmode tiny.tex")).exitCode,
              0);
    QPointer<DVIwindow> w = DVIwindow::instance();
    w->show();
    w->Listbox1_DropObject({folder + QStringLiteral("/tiny.dvi")});
    const QStringList rows = shownRows(w);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_TRUE(rows.first().startsWith(QLatin1String("247|pre| TeX output ")));
    EXPECT_TRUE(rows.contains(QStringLiteral("171|usefnt(0)|Hello1")));
    EXPECT_EQ(rows.last(), QStringLiteral("249|post_post|"));
    w->Savetofile();
    const QStringList saved = QString::fromUtf8(readAll(folder + QStringLiteral("/tiny.sav")))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(saved.size(), rows.size());
    EXPECT_EQ(saved.last(), QStringLiteral("249\tpost_post\t"));
    w->close();
}

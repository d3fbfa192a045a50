#include "mainwindow/Window1.h"

#include "services/FileHelpers.h"
#include "platform/Desktop.h"
#include "services/Runners.h"
#include "support/TestEnv.h"
#include "textview/TextWindow.h"
#include "ui/WidgetDialogs.h"

#include <QApplication>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
void closeViewer()
{
    if (QWidget* w = QApplication::activeModalWidget())
        w->close();
    TextWindow::instance()->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Viewer : public ::testing::Test {
protected:
    void TearDown() override { closeViewer(); }
    test::TestEnv env;
};
} // namespace

TEST_F(Viewer, ViewOnlyModeHasNoButtonsAndASecondTextReplacesTheFirst)
{
    showResults(QStringLiteral("first\rline"));
    TextWindow* v = TextWindow::instance();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Text Window"));
    EXPECT_FALSE(v->PushButton1->isVisible());
    EXPECT_FALSE(v->PushButton2->isVisible());
    EXPECT_EQ(v->text(), QStringLiteral("first\nline"));
    showResults(QStringLiteral("second"));
    EXPECT_EQ(TextWindow::instance(), v);
    EXPECT_EQ(v->text(), QStringLiteral("second"));
}

TEST_F(Viewer, SaveModeWritesLfLinesAndKeepsTheWindowWhenWritingFails)
{
    const QString file = env.writeFile(QStringLiteral("notes.txt"), "old");
    showFile(file, true, false);
    TextWindow* v = TextWindow::instance();
    EXPECT_TRUE(v->PushButton1->isVisible());
    EXPECT_EQ(v->PushButton1->text(), QStringLiteral("Save"));
    v->TextArea1->setPlainText(QStringLiteral("a\nb"));
    v->PushButton1->click();
    EXPECT_EQ(readTextFile(file), QStringLiteral("a\nb"));
    EXPECT_FALSE(v->isVisible());
    closeViewer();

    // A file that cannot be written: the message, and the text stays on screen.
    const QString blocked = env.root() + QStringLiteral("/no-such-folder/x.txt");
    const QString src = env.writeFile(QStringLiteral("src.txt"), "keep me");
    showFile(src, true, false);
    TextWindow* w = TextWindow::instance();
    w->f = blocked;
    w->PushButton1->click();
    EXPECT_EQ(env.dialogs.messages, QStringList{QStringLiteral("Unable to write to file ") + blocked});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->text(), QStringLiteral("keep me"));
}

TEST_F(Viewer, ConfirmModeAnswersThroughTextWindowReturn)
{
    Window1* main = Window1::instance();
    for (bool ok : {true, false}) {
        TextWindow* v = TextWindow::instance();
        v->saveable = 2;
        v->setText(QStringLiteral("/a\r/b"));
        env.dialogs.onModal = [ok](QDialog* d) {
            auto* tw = static_cast<TextWindow*>(d);
            d->show();
            EXPECT_EQ(tw->PushButton1->text(), QStringLiteral("OK"));
            (ok ? tw->PushButton1 : tw->PushButton2)->click();
            return d->result();
        };
        main->TextWindowReturn = 7;
        dialogs().runModal(v);
        EXPECT_EQ(main->TextWindowReturn, ok ? 2 : 0);
        closeViewer();
    }
}

TEST_F(Viewer, FailedCommandShowsItsReportInTheViewer)
{
    installGuiHooks();
    QString shown;
    env.dialogs.onModal = [&](QDialog* d) {
        shown = static_cast<TextWindow*>(d)->text();
        return 0;
    };
    EXPECT_EQ(runShell(QStringLiteral("echo partial; exit 5")), QString());
    EXPECT_EQ(shown, QStringLiteral("While trying to run command: echo partial; exit 5\n"
                                    "shell returned errorcode: 5\npartial\n"));
}

TEST_F(Viewer, PathContextMenuOnlyForPathSelections)
{
    const QString a = env.writeFile(QStringLiteral("fonts/a.map"), "x");
    const QString b = env.writeFile(QStringLiteral("fonts/b.map"), "y");
    const QString listing = env.writeFile(QStringLiteral("list.txt"),
                                          (QStringLiteral("Duplicates\n\n") + a + QLatin1Char('\n') + b).toUtf8());
    showFile(listing, false, true);
    TextWindow* v = TextWindow::instance();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Triple-click a line to select it, then right-click for menu"));

    QMenu menu;
    EXPECT_FALSE(v->TextArea1_ConstructContextualMenu(&menu)); // nothing selected
    QTextCursor c = v->TextArea1->textCursor();
    c.setPosition(0);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    v->TextArea1->setTextCursor(c); // "Duplicates": not a path
    EXPECT_TRUE(v->TextArea1_ConstructContextualMenu(&menu));
    EXPECT_TRUE(menu.isEmpty());

    // Select the line of a; Info lists the dates of the block's two lines.
    const int at = v->text().indexOf(a);
    c.setPosition(at);
    c.setPosition(at + int(a.size()), QTextCursor::KeepAnchor);
    v->TextArea1->setTextCursor(c);
    EXPECT_TRUE(v->TextArea1_ConstructContextualMenu(&menu));
    QStringList items;
    for (QAction* act : menu.actions())
        items << act->text();
    EXPECT_EQ(items, TextWindow::pathMenuItems());

    v->TextArea1_ContextualMenuAction(QStringLiteral("Info"));
    ASSERT_EQ(env.dialogs.messages.size(), 1);
    EXPECT_TRUE(env.dialogs.messages.at(0).startsWith(QStringLiteral("a.map: respective modification dates are:\n   ")));
    EXPECT_EQ(env.dialogs.messages.at(0).count(QStringLiteral("\n   ")), 2);

    // Delete asks first; "No" keeps file and text.
    env.dialogs.answers = {false};
    v->TextArea1_ContextualMenuAction(QStringLiteral("Delete this file"));
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_EQ(env.dialogs.questions, QStringList{QStringLiteral("Delete ") + a + QStringLiteral("?")});
    env.dialogs.answers = {true};
    v->TextArea1_ContextualMenuAction(QStringLiteral("Delete this file"));
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_FALSE(v->text().contains(a));
    EXPECT_TRUE(v->text().contains(b));

    QStringList revealed;
    setDesktopRecorder([&](const QString& act, const QString& p) { revealed << act + QLatin1Char(' ') + p; });
    const int bt = v->text().indexOf(b);
    c = v->TextArea1->textCursor();
    c.setPosition(bt);
    c.setPosition(bt + int(b.size()), QTextCursor::KeepAnchor);
    v->TextArea1->setTextCursor(c);
    v->TextArea1_ContextualMenuAction(QStringLiteral("Show file in file manager"));
    EXPECT_EQ(revealed, QStringList{QStringLiteral("reveal ") + b});
}

TEST(ViewerBlocks, BlockAroundASelectionLiesBetweenEmptyLines)
{
    const QString text = QStringLiteral("h\n\n/a\n/b\n\n/c");
    EXPECT_EQ(TextWindow::blockAround(text, 4), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
    EXPECT_EQ(TextWindow::blockAround(text, int(text.size()) - 1), QStringList{QStringLiteral("/c")});
    EXPECT_EQ(TextWindow::blockAround(QStringLiteral("/only"), 0), QStringList{QStringLiteral("/only")});
}

#include "app/App.h"
#include "app/MenuBar1.h"
#include "mainwindow/Window1.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace qlk;

namespace {
const char* const kEditItems[] = {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"};

QStringList warnings;
void keepWarnings(QtMsgType, const QMessageLogContext&, const QString& text)
{
    warnings << text;
}

class EditMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = createAppObject();
        test::recordQuits();
        openDefaultWindow();
        main = Window1::instance();
        main->Show();
        main->TabPanel1->setCurrentWidget(main->TextField1[0]->parentWidget());
        activate(main);
        QApplication::clipboard()->clear();
    }
    void TearDown() override { delete app; }

    static void activate(QWidget* window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    static void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), w);
    }
    // The items that would be enabled in the menu as it opens now.
    QStringList enabled() const
    {
        emit app->menuBar()->EditMenu->aboutToShow();
        QStringList on;
        for (const char* name : kEditItems) {
            if (app->menuBar()->item(QString::fromLatin1(name))->isEnabled())
                on << QString::fromLatin1(name);
        }
        return on;
    }
    // Chooses the item as a mouse click on the menu would.
    void choose(const char* name)
    {
        QAction* item = app->menuBar()->item(QString::fromLatin1(name));
        emit app->menuBar()->EditMenu->aboutToShow();
        ASSERT_TRUE(item->isEnabled()) << name;
        item->trigger();
    }

    test::TestEnv env;
    App* app = nullptr;
    Window1* main = nullptr;
};
} // namespace

// The items act on the main window's focused field through its own editing,
// and are offered only where they can act.
TEST_F(EditMenuTest, ItemsActOnTheFocusedFieldOfTheMainWindow)
{
    QLineEdit* supplier = main->TextField1[0];
    QLineEdit* family = main->TextField1[1];
    focus(supplier);
    QTest::keyClicks(supplier, QStringLiteral("Adobe"));
    EXPECT_EQ(enabled(), (QStringList{"EditUndo", "EditSelectAll"}));

    choose("EditSelectAll");
    EXPECT_EQ(supplier->selectedText(), QStringLiteral("Adobe"));
    EXPECT_EQ(enabled(), (QStringList{"EditUndo", "EditCut", "EditCopy", "EditClear", "EditSelectAll"}));
    choose("EditCopy");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Adobe"));
    EXPECT_EQ(supplier->text(), QStringLiteral("Adobe"));

    focus(family);
    QTest::keyClicks(family, QStringLiteral("Garamond "));
    EXPECT_TRUE(enabled().contains(QStringLiteral("EditPaste")));
    choose("EditPaste");
    EXPECT_EQ(family->text(), QStringLiteral("Garamond Adobe"));
    choose("EditUndo");
    EXPECT_EQ(family->text(), QStringLiteral("Garamond "));

    choose("EditSelectAll");
    choose("EditCut");
    EXPECT_EQ(family->text(), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Garamond "));
    QTest::keyClicks(family, QStringLiteral("xyz"));
    choose("EditSelectAll");
    choose("EditClear");
    EXPECT_EQ(family->text(), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Garamond ")); // Delete keeps the clipboard

    // A read-only field can be copied from, not changed.
    supplier->setReadOnly(true);
    focus(supplier);
    supplier->selectAll();
    EXPECT_EQ(enabled(), (QStringList{"EditCopy", "EditSelectAll"}));
    supplier->setReadOnly(false);

    // No text field in focus: nothing to act on.
    focus(main->PushButton4); // "Explain"
    EXPECT_EQ(enabled(), QStringList{});
    focus(supplier);
    EXPECT_FALSE(enabled().isEmpty());
    main->TabPanel1->setFocus();
    EXPECT_EQ(enabled(), QStringList{});
}

// The items' shortcuts work from every window, yet the keys stay with the
// fields of the window in front, and nothing clashes with their own handling.
TEST_F(EditMenuTest, ShortcutsInAnotherWindowActThere)
{
    QLineEdit* supplier = main->TextField1[0];
    supplier->setText(QStringLiteral("Adobe"));
    focus(supplier);

    QWidget other;
    other.setWindowTitle(QStringLiteral("Tool"));
    auto* field = new QLineEdit(QStringLiteral("other text"), &other);
    auto* area = new QPlainTextEdit(QStringLiteral("line one\nline two"), &other);
    area->setReadOnly(true);
    auto* layout = new QVBoxLayout(&other);
    layout->addWidget(field);
    layout->addWidget(area);
    other.show();
    activate(&other);
    focus(field);

    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    const QString selected = field->selectedText();
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    const QString pasted = field->text();
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    const QString undone = field->text();

    focus(area);
    QTest::keyClick(area, Qt::Key_A, Qt::ControlModifier);
    const QString areaSelected = area->textCursor().selectedText();
    QTest::keyClick(area, Qt::Key_C, Qt::ControlModifier);
    const QString areaCopied = QApplication::clipboard()->text();
    qInstallMessageHandler(previous);

    EXPECT_EQ(selected, QStringLiteral("other text"));
    EXPECT_EQ(copied, QStringLiteral("other text"));
    EXPECT_EQ(pasted, QStringLiteral("other textother text"));
    EXPECT_EQ(undone, QStringLiteral("other text"));
    EXPECT_EQ(areaSelected, QStringLiteral("line one") + QChar(QChar::ParagraphSeparator) + QStringLiteral("line two"));
    EXPECT_EQ(areaCopied, QStringLiteral("line one\nline two"));
    EXPECT_EQ(supplier->text(), QStringLiteral("Adobe"));
    EXPECT_FALSE(supplier->hasSelectedText());
    EXPECT_TRUE(warnings.filter(QStringLiteral("mbiguous")).isEmpty()) << warnings.join('\n').toStdString();
}

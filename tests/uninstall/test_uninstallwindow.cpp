#include "UninstallFixture.h"

#include "prefs/PrefsStore.h"
#include "support/MenuFixture.h"
#include "support/WidgetInput.h"
#include "texenv/TexEnv.h"
#include "uninstall/UninstallFontWin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace qlk;
using namespace qlk::test;

namespace {

struct CloseWindows {
    ~CloseWindows()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST(UninstallWindow, SearchesStepsThroughMatchesAndRemovesAfterConfirmation)
{
    UninstallWorld w;
    CloseWindows closer;
    for (const char* supplier : {"adobe", "urw35vf"})
        copyFromDist(QStringLiteral("fonts/tfm/%1/times").arg(QLatin1String(supplier)), texmfLocal);
    copyFromDist("fonts/tfm/urw35vf/times", texmfHome);
    const QString canary = writeAt(texmfHome + "/fonts/tfm/canary", "x");

    ASSERT_TRUE(chooseMenuItem("FileUninstallFontFamily"));
    UninstallFontWin* win = UninstallFontWin::instance();
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Font Uninstaller"));
    EXPECT_TRUE(win->CheckBox1->isChecked());
    EXPECT_FALSE(win->PushButton2->isEnabled());

    win->TextField1->setText(QStringLiteral(" times "));
    pressReturn(win->TextField1);
    EXPECT_EQ(win->TextField1->text(), QStringLiteral(" times "));
    EXPECT_TRUE(win->CheckBox2->isChecked());
    ASSERT_EQ(win->fnd.size(), 3);
    EXPECT_TRUE(win->TextArea1->toPlainText().startsWith("Found more than one match:\n" + texmfLocal));
    EXPECT_TRUE(win->PushButton3->isEnabled());

    const char* const shown[][2] = {{"TEXMFLOCAL", "adobe"}, {"TEXMFLOCAL", "urw35vf"}, {"TEXMFHOME", "urw35vf"},
                                    {"TEXMFLOCAL", "adobe"}};
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            win->PushButton3->click();
        EXPECT_EQ(win->TextField2->text(), QLatin1String(shown[i][0])) << i;
        EXPECT_EQ(win->TextField3->text(), QLatin1String(shown[i][1])) << i;
        EXPECT_EQ(win->TextField4->text(), QStringLiteral("times"));
        EXPECT_TRUE(win->PushButton2->isEnabled());
    }

    // The TEXMFHOME copy, after Yes to the confirmation, without the TDS copy.
    win->PushButton3->click();
    win->PushButton3->click();
    ASSERT_EQ(win->TextField2->text(), QStringLiteral("TEXMFHOME"));
    win->CheckBox1->setChecked(false);
    w.env.dialogs.answers << false;
    win->PushButton2->click(); // No: nothing happens
    EXPECT_TRUE(QFileInfo::exists(texmfHome + "/fonts/tfm/urw35vf/times"));
    ASSERT_EQ(w.env.dialogs.questions.size(), 1);
    EXPECT_TRUE(w.env.dialogs.questions[0].contains(texmfHome + "/fonts/tfm/urw35vf/times"));
    w.env.dialogs.answers << true;
    win->PushButton2->click();
    EXPECT_FALSE(QFileInfo::exists(texmfHome + "/fonts/tfm/urw35vf/times"));
    EXPECT_TRUE(QFileInfo::exists(canary));
    EXPECT_TRUE(QFileInfo::exists(texmfLocal + "/fonts/tfm/urw35vf/times"));
    EXPECT_TRUE(win->TextArea1->toPlainText().endsWith("\nUninstallation complete"));
    EXPECT_FALSE(win->PushButton2->isEnabled());

    // A new search empties what it does not set.
    win->TextField1->setText(QStringLiteral("qlknothing"));
    win->PushButton1->click();
    EXPECT_EQ(win->TextArea1->toPlainText(), QStringLiteral("No match in non-dist trees:"));
    EXPECT_TRUE(win->TextField2->text().isEmpty());
    EXPECT_TRUE(win->TextField3->text().isEmpty());
    EXPECT_TRUE(win->TextField4->text().isEmpty());
    EXPECT_FALSE(win->PushButton2->isEnabled());
    EXPECT_FALSE(win->PushButton3->isEnabled());
    win->PushButton3_Action(); // never acts on an empty list
}

TEST(UninstallWindow, AnEmptyMapIsOfferedAndDeletedAlone)
{
    UninstallWorld w;
    CloseWindows closer;
    const QString empty = writeAt(texmfHome + "/fonts/map/dvips/q/qlkempty.map", "% nothing here\n");
    const QString other = writeAt(texmfHome + "/fonts/map/dvips/q/other.map", "% nothing either\n");
    UninstallFontWin* win = UninstallFontWin::instance();
    win->show();
    w.env.dialogs.answers << true;
    win->TextField1->setText(QStringLiteral("qlkempty.map"));
    win->PushButton1->click();
    EXPECT_EQ(w.env.dialogs.questions, QStringList{"The map file contains no data. Delete it?"});
    EXPECT_FALSE(QFileInfo::exists(empty));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_FALSE(win->PushButton2->isEnabled());
    EXPECT_EQ(win->TextField2->text(), QStringLiteral("TEXMFHOME"));
}

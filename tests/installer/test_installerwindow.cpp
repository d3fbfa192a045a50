#include "installer/InstallerWindow.h"
#include "platform/QuitPath.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace qlk::installer {
namespace {

InstallSetup setupIn(const test::TestEnv& env)
{
    InstallSetup s;
    s.sourceFolder = env.root() + "/source";
    s.prefix = env.root() + "/opt/Quillmark2013";
    s.personalTree = env.texmfHome();
    return s;
}

TEST(InstallerWindow, ShowsTheInstructionsAndTheMenusOfTheInstaller)
{
    test::TestEnv env;
    auto* w = new Window1(setupIn(env));
    w->show();
    EXPECT_EQ(w->windowTitle(), "Quillmark Installer");
    EXPECT_EQ(w->centralWidget()->size(), QSize(712, 386));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()); // not resizable

    const QString p = env.root() + "/opt/Quillmark2013";
    const QString text = instructionsText(p, env.texmfHome());
    EXPECT_EQ(text,
              "This installer both updates an existing installation and creates a new installation of "
              "Quillmark2013, as needed.\r\rIt expects to find a folder named Quillmark2013 in " +
                  env.root() + "/opt holding the application and associated files, and creates them if they do "
                               "not exist. \r\rThe installer places items in " +
                  p + " and in your home texmf folder: " + env.texmfHome() +
                  ". \r\rAn installation log will be created in " + p +
                  " as QLKInstall.txt, and will be displayed at the end of the installation, if successful.");
    EXPECT_EQ(w->StaticText1->text(), QString(text).replace('\r', '\n'));
    EXPECT_EQ(w->PushButton1->text(), "Install");
    EXPECT_TRUE(w->PushButton1->isDefault());
    EXPECT_EQ(w->PushButton2->text(), "Cancel");

    MenuBar1* bar = installerMenuBar();
    EXPECT_EQ(w->menuBar(), bar);
    QStringList file, edit;
    for (QAction* a : bar->FileMenu->actions())
        file << a->text() + '|' + a->shortcut().toString();
    for (QAction* a : bar->EditMenu->actions())
        edit << (a->isSeparator() ? QString("-") : a->text() + '|' + a->shortcut().toString());
    EXPECT_EQ(file, QStringList{"&Quit|Ctrl+Q"});
    EXPECT_EQ(edit, (QStringList{"&Undo|Ctrl+Z", "-", "Cu&t|Ctrl+X", "&Copy|Ctrl+C", "&Paste|Ctrl+V", "&Delete|",
                                 "-", "Select &All|Ctrl+A"}));
    delete w;
}

TEST(InstallerWindow, CancelAndQuitEndWithNothingWrittenReturnRunsTheInstallation)
{
    test::TestEnv env;
    auto* w = new Window1(setupIn(env));
    w->show();
    w->PushButton2->click();
    EXPECT_EQ(env.takeQuits(), 1);
    resetQuitState();
    installerMenuBar()->item("FileQuit")->trigger();
    EXPECT_EQ(env.takeQuits(), 1);
    resetQuitState();
    EXPECT_FALSE(QFileInfo::exists(env.root() + "/opt"));
    EXPECT_TRUE(env.dialogs.messages.isEmpty());

    // Return presses Install: here the source folder is missing, so the run
    // stops at once after TeX is checked, and the installer quits.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &escape);
    EXPECT_EQ(env.takeQuits(), 0);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(w, &press);
    EXPECT_EQ(env.takeQuits(), 1);
    EXPECT_TRUE(QFileInfo::exists(env.root() + "/opt/Quillmark2013/QLKInstall.txt"));
    delete w;
}

} // namespace
} // namespace qlk::installer

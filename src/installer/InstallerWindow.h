#pragma once
#include "installer/Installation.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

class QAction;
class QLabel;
class QPushButton;

namespace qlk::installer {

// The installer's menu bar: File with Quit, Edit with the standard editing
// commands (the window holds no editable text, so they stay inert).
class MenuBar1 : public QMenuBar {
    Q_OBJECT
public:
    MenuBar1();
    QAction* item(const QString& name) const;
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;

private:
    void Untitled0();
    void Untitled1();
};

// The one module menu bar, shared by the application and the window.
MenuBar1* installerMenuBar();

// The instructions shown in the window, paragraphs separated by CR CR; they
// name the folders this installation uses.
QString instructionsText(const QString& prefix, const QString& personalTree);

// "Quillmark Installer": the instructions, "Install" (the default button)
// and "Cancel".
class Window1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Window1(const InstallSetup& setup);
    static Window1* instance(); // the open window; nullptr when none

    QLabel* StaticText1 = nullptr;
    QPushButton* PushButton1 = nullptr; // Install
    QPushButton* PushButton2 = nullptr; // Cancel

    void PushButton1_Action();
    void PushButton2_Action();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    InstallSetup setup_;
};

// The setup for a real run: the installer's own folder as the source, the
// default prefix, TEXMFHOME, the desktop's applications folder.
InstallSetup realSetup();

// Creates the window (and the shared menu bar) and installs the quit
// handler; the program's main routine.
int installerStartup(int argc, char** argv);

} // namespace qlk::installer

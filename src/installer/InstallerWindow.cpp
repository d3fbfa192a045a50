#include "installer/InstallerWindow.h"

#include "platform/Dialogs.h"
#include "platform/QuitPath.h"
#include "ui/WidgetDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QKeyEvent>

namespace qlk::installer {

namespace {
QPointer<Window1> openWindow;
// The window takes the bar as its own, so it may be gone before the module
// lets go of it.
QPointer<MenuBar1> sharedMenuBar;

QAction* addItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}
} // namespace

MenuBar1::MenuBar1()
{
    Untitled0();
    Untitled1();
}

void MenuBar1::Untitled0()
{
    FileMenu = addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    QAction* quit = addItem(FileMenu, "FileQuit", QStringLiteral("&Quit"), QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, [] { requestQuit(); });
}

void MenuBar1::Untitled1()
{
    EditMenu = addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    addItem(EditMenu, "EditUndo", QStringLiteral("&Undo"), QKeySequence(QStringLiteral("Ctrl+Z")));
    EditMenu->addSeparator()->setObjectName(QStringLiteral("UntitledMenu1"));
    addItem(EditMenu, "EditCut", QStringLiteral("Cu&t"), QKeySequence(QStringLiteral("Ctrl+X")));
    addItem(EditMenu, "EditCopy", QStringLiteral("&Copy"), QKeySequence(QStringLiteral("Ctrl+C")));
    addItem(EditMenu, "EditPaste", QStringLiteral("&Paste"), QKeySequence(QStringLiteral("Ctrl+V")));
    addItem(EditMenu, "EditClear", QStringLiteral("&Delete"));
    EditMenu->addSeparator()->setObjectName(QStringLiteral("UntitledMenu0"));
    addItem(EditMenu, "EditSelectAll", QStringLiteral("Select &All"), QKeySequence(QStringLiteral("Ctrl+A")));
}

QAction* MenuBar1::item(const QString& name) const
{
    for (QMenu* m : {FileMenu, EditMenu}) {
        for (QAction* a : m->actions()) {
            if (a->objectName() == name)
                return a;
        }
    }
    return nullptr;
}

MenuBar1* installerMenuBar()
{
    if (!sharedMenuBar)
        sharedMenuBar = new MenuBar1();
    return sharedMenuBar;
}

QString instructionsText(const QString& prefix, const QString& personalTree)
{
    const QString crcr = QStringLiteral("\r\r");
    const QString parent = QFileInfo(prefix).absolutePath();
    return QStringLiteral("This installer both updates an existing installation and creates a new installation "
                          "of Quillmark2013, as needed.") +
           crcr +
           QStringLiteral("It expects to find a folder named Quillmark2013 in %1 holding the application and "
                          "associated files, and creates them if they do not exist. ")
               .arg(parent) +
           crcr +
           QStringLiteral("The installer places items in %1 and in your home texmf folder: %2. ")
               .arg(prefix, personalTree) +
           crcr +
           QStringLiteral("An installation log will be created in %1 as QLKInstall.txt, and will be displayed at "
                          "the end of the installation, if successful.")
               .arg(prefix);
}

Window1::Window1(const InstallSetup& setup) : setup_(setup)
{
    openWindow = this;
    setWindowTitle(QStringLiteral("Quillmark Installer"));
    setMenuBar(installerMenuBar());
    auto* central = new QWidget(this);
    setCentralWidget(central);
    // The controls sit where the layout puts them; the window keeps its size.
    StaticText1 = new QLabel(central);
    StaticText1->setGeometry(25, 23, 667, 318);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setText(instructionsText(setup_.prefix, setup_.personalTree).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), central);
    PushButton2->setGeometry(510, 353, 80, 24);
    PushButton2->setAutoDefault(false);
    PushButton1 = new QPushButton(QStringLiteral("Install"), central);
    PushButton1->setGeometry(614, 353, 80, 24);
    PushButton1->setDefault(true);
    setTabOrder(PushButton1, PushButton2);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(712, 386 + menuHeight);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

void Window1::keyPressEvent(QKeyEvent* event)
{
    // A main window has no default button of its own: Return presses Install,
    // Escape presses nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        PushButton1->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

Window1* Window1::instance()
{
    return openWindow.data();
}

void Window1::PushButton1_Action()
{
    runInstallation(setup_);
    requestQuit();
}

void Window1::PushButton2_Action()
{
    requestQuit();
}

InstallSetup realSetup()
{
    InstallSetup s;
    s.sourceFolder = QCoreApplication::applicationDirPath();
    s.prefix = defaultPrefix();
    s.personalTree = defaultPersonalTree();
    s.texTrees = defaultTexTrees();
    s.applicationsFolder = defaultApplicationsFolder();
    return s;
}

int installerStartup(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QLKInstaller"));
    static WidgetDialogs widgetDialogs;
    setDialogService(&widgetDialogs);
    bool quitting = false;
    setQuitHandler([&quitting] {
        if (quitting)
            return;
        quitting = true;
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QPointer<Window1> window = new Window1(realSetup());
    window->show();
    const int status = app.exec();
    delete window.data();
    delete sharedMenuBar.data();
    return status;
}

} // namespace qlk::installer

#include "mainwindow/Window1.h"

#include "platform/QuitPath.h"
#include "ui/SingleWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>
#include <QHBoxLayout>
#include <QWidget>

namespace qlk {

namespace {
QPointer<Window1>& mainWindow()
{
    static QPointer<Window1> w;
    return w;
}
} // namespace

Window1* Window1::instance()
{
    if (!mainWindow())
        mainWindow() = new Window1();
    return mainWindow();
}

bool Window1::exists()
{
    return !mainWindow().isNull();
}

Window1::Window1()
{
    setWindowTitle(QStringLiteral("LaTeX Quillmark"));
    // No close box: the window can only be minimised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                   Qt::WindowMinimizeButtonHint);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    TabPanel1 = new QTabWidget(central);
    for (const char* title : {"Current Setup", "Output Maps", "Configuration", "Font maps", "Install"})
        TabPanel1->addTab(new QWidget(TabPanel1), QString::fromLatin1(title));
    layout->addWidget(TabPanel1);

    TextField2 = new QLineEdit(central);
    TextField2->setReadOnly(true);
    layout->addWidget(TextField2);

    auto* buttons = new QHBoxLayout;
    PushButton1 = new QPushButton(QStringLiteral("Preferences"), central);
    PushButton2 = new QPushButton(QStringLiteral("Quit"), central);
    buttons->addWidget(PushButton1);
    buttons->addStretch();
    buttons->addWidget(PushButton2);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(760, 560);

    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    Event_Open();
}

void Window1::Show()
{
    showWindow(this);
}

void Window1::Event_Open()
{
}

void Window1::Event_Activate()
{
    activated = true;
}

void Window1::Setcaption()
{
}

void Window1::Clearitems()
{
}

void Window1::Setupwin()
{
}

void Window1::showprefs()
{
}

void Window1::PushButton1_Action()
{
    showprefs();
}

void Window1::PushButton2_Action()
{
    requestQuit();
}

void Window1::closeEvent(QCloseEvent* event)
{
    // Closing the main window is quitting.
    event->ignore();
    requestQuit();
}

} // namespace qlk

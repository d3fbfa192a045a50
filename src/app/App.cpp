#include "app/App.h"

#include "afm2tfm/AdobeAFMWin.h"
#include "afm2tfm/afm2tfmWin.h"
#include "app/MenuBar1.h"
#include "fontinfo/DVIwindow.h"
#include "fontinfo/TFMWindow.h"
#include "fontinfo/ToBerryWin.h"
#include "fontinfo/lcdftoolsWindow.h"
#include "mainwindow/Window1.h"
#include "mathalpha/MathAlphabetWin.h"
#include "mathtime/MathtimeWin.h"
#include "opentype/autoinst/autoinstWindow.h"
#include "opentype/otfinst/otfinstWindow.h"
#include "platform/Dialogs.h"
#include "platform/QuitPath.h"
#include "prefs/PrefsStore.h"
#include "search/CatalogfdWindow.h"
#include "search/DuplicatesWindow.h"
#include "search/FdCatalogue.h"
#include "search/FontDBWindow.h"
#include "search/filechoose.h"
#include "search/kpsewhichwin.h"
#include "search/searchmapwindow.h"
#include "services/FileTypes.h"
#include "services/RunLog.h"
#include "texenv/Init.h"
#include "texenv/TexmfVar.h"
#include "texenv/UpdmapWindow.h"
#include "texenv/updmapchoicesWin.h"
#include "textview/TextWindow.h"
#include "tracesty/TraceSty.h"
#include "type1/FontInstWindow.h"
#include "type1/GrabFSFont.h"
#include "type1/Minion2.h"
#include "type1/MinionPro.h"
#include "ui/SingleWindow.h"
#include "ui/WidgetDialogs.h"
#include "uninstall/UninstallFontWin.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace qlk {

namespace {
App* registered = nullptr;

using Handler = bool (App::*)();

struct Binding {
    const char* item;
    Handler handler;
    bool available; // the tool is part of this build
};

// When a window was last shown, and how long the window manager may take
// to place it and frame it (it may frame it without moving it: the timers
// after the showing look again).
const char* const kShownAt = "qlkShownAt";
constexpr qint64 kSettleMs = 3000;

// In the order the handlers are bound.
const Binding kBindings[] = {
    {"ViewKnownfonts", &App::_ViewKnownfonts_Action, true},
    {"FileFontinst", &App::_FileFontinst_Action, true},
    {"FileOtfinst", &App::_FileOtfinst_Action, true},
    {"ViewTraceSty", &App::_ViewTraceSty_Action, true},
    {"ViewSearchmaps", &App::_ViewSearchmaps_Action, true},
    {"ViewAdobeAFMs", &App::_ViewAdobeAFMs_Action, true},
    {"FileDeleteHiddenFolder", &App::_FileDeleteHiddenFolder_Action, true},
    {"FileDeleteTexmfvar", &App::_FileDeleteTexmfvar_Action, true},
    {"ViewSearchTeXTrees", &App::_ViewSearchTeXTrees_Action, true},
    {"InfoGetxheight", &App::_InfoGetxheight_Action, true},
    {"InfoCataloguefdfiles", &App::_InfoCataloguefdfiles_Action, true},
    {"FileGrabFSFontFamily", &App::_FileGrabFSFontFamily_Action, true},
    {"FileFindAllDuplicates", &App::_FileFindAllDuplicates_Action, true},
    {"ViewTFM", &App::_ViewTFM_Action, true},
    {"FileFontinstMath", &App::_FileFontinstMath_Action, true},
    {"FileAddmathalphabet", &App::_FileAddmathalphabet_Action, true},
    {"FileInstallMinionPro", &App::_FileInstallMinionPro_Action, true},
    {"FileUninstallFontFamily", &App::_FileUninstallFontFamily_Action, true},
    {"InfoEnabledisablemaps", &App::_InfoEnabledisablemaps_Action, true},
    {"InfoExamineDVI", &App::_InfoExamineDVI_Action, true},
    {"FileAfm2tfm", &App::_FileAfm2tfm_Action, true},
    {"FileConvertnamestoBerryform", &App::_FileConvertnamestoBerryform_Action, true},
    {"FileAbout", &App::_FileAbout_Action, true},
    {"InfoOtfInfo", &App::_InfoOtfInfo_Action, true},
    {"InfoOtherupdmapoptions", &App::_InfoOtherupdmapoptions_Action, true},
    {"Fileautoinst", &App::_Fileautoinst_Action, true},
    {"FileInstallMinion2Pro", &App::_FileInstallMinion2Pro_Action, true},
};
} // namespace

void fitToScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen || window->isMaximized() || window->isFullScreen())
        return;
    const QRect available = screen->availableGeometry();
    // The frame (title bar, borders) counts too. The window manager says
    // how wide it is once it has framed the window; until then it is none.
    QMargins frame;
    if (const QWindow* handle = window->windowHandle())
        frame = handle->frameMargins();
    const QRect client = window->geometry();
    const QSize fits = QSize(qMin(client.width(), available.width() - frame.left() - frame.right()),
                             qMin(client.height(), available.height() - frame.top() - frame.bottom()))
                           .expandedTo(window->minimumSize());
    const int frameW = fits.width() + frame.left() + frame.right();
    const int frameH = fits.height() + frame.top() + frame.bottom();
    const int x = qBound(available.left(), client.left() - frame.left(),
                         qMax(available.left(), available.right() - frameW + 1));
    const int y = qBound(available.top(), client.top() - frame.top(),
                         qMax(available.top(), available.bottom() - frameH + 1));
    const QRect target(QPoint(x + frame.left(), y + frame.top()), fits);
    if (target.topLeft() != client.topLeft())
        window->setGeometry(target);
    else if (target.size() != client.size())
        window->resize(fits);
}

void closeToolWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !qobject_cast<Window1*>(w) && !qobject_cast<QMenu*>(w) &&
            w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup)
            windows << w;
    }
    for (const QPointer<QWidget>& w : windows) {
        if (w)
            w->close();
    }
}

App* appObject()
{
    return registered;
}

App::App() : menuBar_(new MenuBar1())
{
    qApp->installEventFilter(this);
    connect(menuBar_->WindowMenu, &QMenu::aboutToShow, this, [this] { Event_EnableMenuItems(); });
}

App::~App()
{
    if (registered == this)
        registered = nullptr;
    // The menu bar belongs to the main window once it has one.
    if (!menuBar_->parent())
        delete menuBar_;
}

void App::registerMenuHandlers()
{
    for (const Binding& b : kBindings) {
        QAction* action = menuBar_->item(QString::fromLatin1(b.item));
        if (!action)
            continue;
        action->setEnabled(b.available);
        if (!b.available)
            continue;
        bound_ << QString::fromLatin1(b.item);
        const Handler h = b.handler;
        connect(action, &QAction::triggered, this, [this, h] { (this->*h)(); });
    }
    bound_ << QStringLiteral("aWindow");
    QAction* quit = menuBar_->item(QStringLiteral("FileQuit"));
    connect(quit, &QAction::triggered, this, [] { requestQuit(); });
    QAction* first = menuBar_->windowMenuItem(0);
    connect(first, &QAction::triggered, this, [this] { _aWindow_Action(0); });
}

bool App::hasHandler(const QString& itemName) const
{
    return bound_.contains(itemName);
}

void App::Event_Open()
{
    init();
}

void App::Event_Close()
{
    closeLog();
    saveprefs();
}

bool App::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && !qobject_cast<QMenu*>(w) && w->windowType() != Qt::ToolTip &&
            w->windowType() != Qt::Popup) {
            bool known = false;
            for (const QPointer<QWidget>& p : windows_)
                known = known || p == w;
            if (!known)
                windows_ << w;
            fitToScreen(w);
            // The window manager places the window and puts its frame (title
            // bar, borders) around it only as it maps it: fit again each time
            // the window moves or grows in its first moments on screen.
            w->setProperty(kShownAt, QDateTime::currentMSecsSinceEpoch());
            for (int ms : {0, 150, 500, 1500})
                QTimer::singleShot(ms, w, [w] { fitToScreen(w); });
        }
    } else if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const QVariant shown = w->isWindow() ? w->property(kShownAt) : QVariant();
        if (shown.isValid() && QDateTime::currentMSecsSinceEpoch() - shown.toLongLong() < kSettleMs)
            QTimer::singleShot(0, w, [w] { fitToScreen(w); });
    }
    return QObject::eventFilter(watched, event);
}

QList<QWidget*> App::openWindows() const
{
    QList<QWidget*> list;
    for (const QPointer<QWidget>& p : windows_) {
        if (p && p->isVisible())
            list << p.data();
    }
    return list;
}

void App::Event_EnableMenuItems()
{
    const QList<QWidget*> windows = openWindows();
    const int n = int(windows.size());
    for (int i = CountWindowMenuItems - 1; i >= 1; --i)
        menuBar_->removeWindowMenuItem(i);
    for (int i = 1; i < n; ++i) {
        QAction* member = menuBar_->addWindowMenuItem();
        connect(member, &QAction::triggered, this, [this, i] { _aWindow_Action(i); });
    }
    CountWindowMenuItems = n;
    QAction* first = menuBar_->windowMenuItem(0);
    if (n == 0) {
        first->setVisible(false);
        first->setEnabled(false);
        return;
    }
    first->setVisible(true);
    for (int i = 0; i < n; ++i) {
        const QString title = windows.at(i)->windowTitle();
        QAction* member = menuBar_->windowMenuItem(i);
        member->setText(title == QLatin1String("LaTeX Quillmark") ? QStringLiteral("Main Window") : title);
        member->setEnabled(true);
    }
}

bool App::_aWindow_Action(int index)
{
    const QList<QWidget*> windows = openWindows();
    if (index >= 0 && index < windows.size())
        showWindow(windows.at(index));
    return true;
}

bool App::_FileAbout_Action()
{
    msgBox(QStringLiteral("Quillmark2013 %1.%2.%3\n\nInstalls, inspects and repairs fonts for TeX Live.")
               .arg(QLK_VERSION_MAJOR)
               .arg(QLK_VERSION_MINOR)
               .arg(QLK_VERSION_BUG));
    return true;
}

// Tools that later work brings; until then their items stay disabled.
bool App::_ViewKnownfonts_Action()
{
    showWindow(FontDBWindow::instance());
    return true;
}
bool App::_FileFontinst_Action()
{
    showWindow(FontInstWindow::instance());
    return true;
}
bool App::_FileOtfinst_Action()
{
    showWindow(otfinstWindow::instance());
    return true;
}
bool App::_ViewTraceSty_Action()
{
    showWindow(TraceSty::instance());
    return true;
}
bool App::_ViewSearchmaps_Action()
{
    dialogs().runModal(searchmapwindow::instance());
    return true;
}
bool App::_ViewAdobeAFMs_Action()
{
    showWindow(AdobeAFMWin::instance());
    return true;
}
bool App::_FileDeleteHiddenFolder_Action()
{
    resetTexmfVar();
    return true;
}
bool App::_FileDeleteTexmfvar_Action()
{
    clearTexmfVar(true);
    return true;
}
bool App::_ViewSearchTeXTrees_Action()
{
    showWindow(kpsewhichwin::instance());
    return true;
}
bool App::_InfoGetxheight_Action()
{
    filechoose* window = filechoose::instance();
    window->setWindowTitle(QStringLiteral("Specify Font (extension optional)"));
    showWindow(window);
    return true;
}
bool App::_InfoCataloguefdfiles_Action()
{
    if (fdPaths.isEmpty()) {
        const QStringList report = catalogueFD();
        if (!report.isEmpty()) {
            TextWindow* viewer = TextWindow::instance();
            viewer->setText(report.join(QLatin1Char('\n')));
            dialogs().runModal(viewer);
        }
    }
    showWindow(CatalogfdWindow::instance());
    return true;
}
bool App::_FileGrabFSFontFamily_Action()
{
    // A window whose sources are missing is gone before it is shown.
    if (GrabFSFont* window = GrabFSFont::instance())
        showWindow(window);
    return true;
}
bool App::_FileFindAllDuplicates_Action()
{
    showWindow(DuplicatesWindow::instance());
    return true;
}
bool App::_ViewTFM_Action()
{
    showWindow(TFMWindow::instance());
    return true;
}
bool App::_FileFontinstMath_Action()
{
    MathtimeWin::openFromMenu();
    return true;
}
bool App::_FileAddmathalphabet_Action()
{
    showWindow(MathAlphabetWin::instance());
    return true;
}
bool App::_FileInstallMinionPro_Action()
{
    installMinionPro();
    return true;
}
bool App::_FileUninstallFontFamily_Action()
{
    showWindow(UninstallFontWin::instance());
    return true;
}
bool App::_InfoEnabledisablemaps_Action()
{
    showWindow(UpdmapWindow::instance());
    return true;
}
bool App::_InfoExamineDVI_Action()
{
    showWindow(DVIwindow::instance());
    return true;
}
bool App::_FileAfm2tfm_Action()
{
    showWindow(afm2tfmWin::instance());
    return true;
}
bool App::_FileConvertnamestoBerryform_Action()
{
    showWindow(ToBerryWin::instance());
    return true;
}
bool App::_InfoOtfInfo_Action()
{
    showWindow(lcdftoolsWindow::instance());
    return true;
}
bool App::_InfoOtherupdmapoptions_Action()
{
    showWindow(updmapchoicesWin::instance());
    return true;
}
bool App::_Fileautoinst_Action()
{
    showWindow(autoinstWindow::instance());
    return true;
}
bool App::_FileInstallMinion2Pro_Action()
{
    showWindow(Minion2::instance());
    return true;
}

App* createAppObject()
{
    auto* app = new App();
    registered = app;
    app->registerMenuHandlers();
    setQuitHandler([] {
        // Every window does its close-time work first (an Autoinst test
        // copy goes, a window's log goes back home); the log and the
        // preferences close last.
        closeToolWindows();
        if (App* a = appObject())
            a->Event_Close();
        // exit(), not quit(): Qt 6's quit() first asks every window to close,
        // and the main window turns a close into this very request. Queued,
        // so that a quit asked for before the loop runs still ends it.
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    return app;
}

void openDefaultWindow()
{
    Window1* main = Window1::instance();
    if (App* app = appObject()) {
        if (main->menuBar() != app->menuBar())
            main->setMenuBar(app->menuBar());
    }
}

int appStartup(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark2013"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(QLK_VERSION_MAJOR).arg(QLK_VERSION_MINOR).arg(QLK_VERSION_BUG));
    static WidgetDialogs widgetDialogs;
    setDialogService(&widgetDialogs);
    installGuiHooks();
    initFileTypes();
    App* app = createAppObject();
    openDefaultWindow();
    QTimer::singleShot(0, app, [app] {
        if (!quitRequested())
            app->Event_Open();
    });
    const int status = qtApp.exec();
    delete app;
    return status;
}

} // namespace qlk

#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace qlk {

class MenuBar1;

// The application object: its menu bar, the menu handlers, the Window menu
// and the three events of the run (open, close, enable menu items).
class App : public QObject {
    Q_OBJECT
public:
    App();
    ~App() override;

    int CountWindowMenuItems = 0;
    MenuBar1* menuBar() const { return menuBar_; }

    // Runs the start-up scan.
    void Event_Open();
    // Closes the run log, then rewrites the preferences file.
    void Event_Close();
    // Rebuilds the Window menu from the open windows.
    void Event_EnableMenuItems();

    // Binds every handler to its item name; items whose tool is not in this
    // build stay disabled.
    void registerMenuHandlers();
    // Whether the item of that name has a handler in this build.
    bool hasHandler(const QString& itemName) const;

    // The open windows in the order they were first shown (the Window menu's order).
    QList<QWidget*> openWindows() const;

    bool _ViewKnownfonts_Action();
    bool _FileFontinst_Action();
    bool _FileOtfinst_Action();
    bool _ViewTraceSty_Action();
    bool _ViewSearchmaps_Action();
    bool _ViewAdobeAFMs_Action();
    bool _FileDeleteHiddenFolder_Action();
    bool _FileDeleteTexmfvar_Action();
    bool _ViewSearchTeXTrees_Action();
    bool _InfoGetxheight_Action();
    bool _InfoCataloguefdfiles_Action();
    bool _FileGrabFSFontFamily_Action();
    bool _FileFindAllDuplicates_Action();
    bool _ViewTFM_Action();
    bool _FileFontinstMath_Action();
    bool _FileAddmathalphabet_Action();
    bool _FileInstallMinionPro_Action();
    bool _FileUninstallFontFamily_Action();
    bool _InfoEnabledisablemaps_Action();
    bool _InfoExamineDVI_Action();
    bool _FileAfm2tfm_Action();
    bool _FileConvertnamestoBerryform_Action();
    bool _FileAbout_Action();
    bool _aWindow_Action(int index);
    bool _InfoOtfInfo_Action();
    bool _InfoOtherupdmapoptions_Action();
    bool _Fileautoinst_Action();
    bool _FileInstallMinion2Pro_Action();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MenuBar1* menuBar_;
    QList<QPointer<QWidget>> windows_;
    QStringList bound_;
};

// Moves and if need be shrinks a window so that it lies within the
// available area of its screen (every window, as it is shown).
void fitToScreen(QWidget* window);

// Closes every shown window but the main window, each with its close-time
// work; the quit path runs it before the application's close event.
void closeToolWindows();

// The registered application object.
App* appObject();

// Creates the application object with its menu bar and handlers, registers
// it, and installs the quit path (close event, then leave the event loop).
App* createAppObject();
// Creates the main window (through its accessor) and gives it the menu bar.
void openDefaultWindow();
// The process entry: start-up, the event loop, the exit status.
int appStartup(int argc, char** argv);

} // namespace qlk

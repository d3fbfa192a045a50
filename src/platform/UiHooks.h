#pragma once
#include <QString>

#include <functional>

namespace qlk {

// What the services need of the windows, without depending on them: the
// window layer fills these in at start-up, tests with recorders.
struct UiHooks {
    // Shows the error report of a failed command (modal text viewer, confirm mode).
    std::function<void(const QString& report)> showCommandFailure;
    // Wait cursor on the main window while root commands run; false restores
    // the pointer and redraws the window.
    std::function<void(bool busy)> setMainWindowBusy;
    // Brings the program forward after a drop from another program: the
    // window the user works in (the one the drop went to), not the main
    // window over it.
    std::function<void()> bringAppToFront;
};

UiHooks& uiHooks();

} // namespace qlk

#pragma once
#include <functional>

namespace qlk {

// The one way the program ends: the menu's Quit, the main window's Quit
// button and the fatal checks of the start-up scan all come here. The
// application installs a handler that runs its close event (close the log,
// save the preferences) and then leaves the event loop; tests install one
// that only records. Callers that request a quit stop what they are doing.
void requestQuit();
bool quitRequested();
void setQuitHandler(std::function<void()> handler);
// Forgets an earlier request (tests, between cases).
void resetQuitState();

} // namespace qlk

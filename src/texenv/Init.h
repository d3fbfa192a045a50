#pragma once

namespace qlk {

// The start-up scan of the TeX installation; runs at start-up and after
// every change to the installation or the map configuration. A caller that
// rescans runs the main window's Clearitems first; the scan ends with the
// main window's Setupwin. On a fatal check it asks the program to quit and
// returns.
void init();

} // namespace qlk

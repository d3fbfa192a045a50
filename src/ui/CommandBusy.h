#pragma once

class QWidget;

namespace qlk {

// While a command runs the windows keep painting, the pointer is the busy
// one and a line at the foot of the window the user works in says what
// runs. Clicks and keys wait until the command has ended; a window closed
// meanwhile closes then, and a drop meanwhile is refused, so that no second
// action starts inside the first.
void installCommandBusy();

// The line that says what runs, while one does (nothing otherwise).
QWidget* commandBusyLine();

} // namespace qlk

#pragma once
#include <functional>

class QWidget;

namespace qlk {

// While a command runs the windows keep painting, the pointer is the busy
// one and a line at the foot of the window the user works in says what
// runs. Clicks and keys wait until the command has ended; a window closed
// meanwhile closes then, and a drop meanwhile is refused, so that no second
// action starts inside the first. A command that may be stopped (a map
// chain, a root script) gets a Stop button on that line after a few
// seconds; from then on only that button takes clicks, and closing a
// window for which `closingQuits` holds (or Ctrl+Q) asks whether to stop
// the command and quit once what follows the stop has been said.
void installCommandBusy(std::function<bool(QWidget*)> closingQuits = {});

// The line that says what runs, while one does (nothing otherwise).
QWidget* commandBusyLine();

} // namespace qlk

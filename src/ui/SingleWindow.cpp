#include "ui/SingleWindow.h"

namespace qlk {

void showWindow(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

} // namespace qlk

#pragma once
#include "mainwindow/Window1.h"

namespace qlk::test {

// The main window with its lists emptied, as a rescan finds it.
inline Window1* freshWindow()
{
    Window1* w = Window1::instance();
    w->Clearitems();
    return w;
}

} // namespace qlk::test

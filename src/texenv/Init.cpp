#include "texenv/Init.h"

#include "mainwindow/Window1.h"

namespace qlk {

void init()
{
    Window1* main = Window1::instance();
    main->Show();
    main->Setupwin();
}

} // namespace qlk

#include "mainwindow/OverwriteConfirm.h"

#include "mainwindow/Window1.h"
#include "platform/Dialogs.h"
#include "texenv/TexEnv.h"
#include "textview/TextWindow.h"

namespace qlk {

bool confirmOverwrite(const QStringList& files)
{
    // The viewer answers through the main window's TextWindowReturn.
    Window1* main = Window1::instance();
    TextWindow* viewer = TextWindow::instance();
    viewer->saveable = 2;
    viewer->setWindowTitle(QStringLiteral("The following files will be overwritten"));
    viewer->PushButton1->setText(QStringLiteral("OK"));
    viewer->PushButton1->show();
    viewer->PushButton2->show();
    // Return answers "Cancel"; only a press of "OK" goes on.
    viewer->PushButton1->setDefault(false);
    viewer->PushButton2->setDefault(true);
    viewer->setText(files.join(cr));
    main->TextWindowReturn = 0;
    dialogs().runModal(viewer);
    const bool ok = main->TextWindowReturn == 2;
    main->TextWindowReturn = 0;
    return ok;
}

} // namespace qlk

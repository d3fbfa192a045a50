// The start-up of the main program up to "Finished Setupwin": the
// application object, the main window and the start-up scan, on the
// offscreen platform. Questions are answered No and messages only counted,
// so that nothing waits for a person.
#include "app/App.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "services/FileTypes.h"
#include "ui/WidgetDialogs.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qlk::setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    static qlk::ScriptedDialogs dialogs;
    qlk::setDialogService(&dialogs);
    qlk::installGuiHooks();
    qlk::initFileTypes();
    qlk::App* a = qlk::createAppObject();
    qlk::openDefaultWindow();
    a->Event_Open();
    const bool ok = !qlk::quitRequested();
    if (!ok)
        std::fprintf(stderr, "bench_startup: the scan ended early: %s\n",
                     qPrintable(dialogs.transcript.join(QLatin1Char('\n'))));
    return ok ? 0 : 1;
}

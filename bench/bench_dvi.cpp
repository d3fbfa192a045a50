// "Examine DVI" on one file: the full listing shown in the window and saved
// beside the file, on the offscreen platform: bench_dvi <file.dvi>.
#include "fontinfo/DVIwindow.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_dvi <file.dvi>\n");
        return 2;
    }
    static qlk::ScriptedDialogs dialogs;
    qlk::setDialogService(&dialogs);
    qlk::DVIwindow* w = qlk::DVIwindow::instance();
    w->show();
    w->CheckBox1->setChecked(false); // the full listing, not font changes only
    w->Listbox1_DropObject({QFileInfo(args.at(1)).absoluteFilePath()});
    w->Savetofile();
    // The one message of a good run is "Saved as ...".
    if (dialogs.messages.size() != 1 || !dialogs.messages.first().startsWith(QLatin1String("Saved as "))) {
        std::fprintf(stderr, "bench_dvi: %s\n", qPrintable(dialogs.messages.join(QLatin1Char('\n'))));
        return 1;
    }
    return 0;
}

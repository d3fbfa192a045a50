// Opens windows of the program on a real display for the display tests:
//   frames: the map window and the Text Window with a long overwrite list;
//   busy:   a window whose "Start" runs a 3 s command, a "Second" button and a
//           counter of paints; it prints when the command ended, when
//           "Second" acted and how many paints came during the command.
#include "app/App.h"
#include "mainwindow/OverwriteConfirm.h"
#include "mainwindow/Window1.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "texenv/Init.h"
#include "texenv/UpdmapWindow.h"
#include "ui/CommandBusy.h"
#include "ui/SingleWindow.h"
#include "ui/WidgetDialogs.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

using namespace qlk;

namespace {

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Counter : public QWidget {
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        QPainter(this).drawText(rect(), Qt::AlignCenter, QString::number(paints));
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    // The support files lie beside the program in the build, not beside this probe.
    setAppFolderForTesting(QStringLiteral(QLK_APP_DIR));
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    static WidgetDialogs widgetDialogs;
    setDialogService(&widgetDialogs);
    installGuiHooks();
    App* app = createAppObject();
    openDefaultWindow();

    if (mode == QLatin1String("frames")) {
        // The start-up scan, as the program runs it, fills what the map window reads.
        init();
        QTimer::singleShot(200, [] {
            showWindow(UpdmapWindow::instance());
            QStringList files;
            for (int i = 0; i < 400; ++i)
                files << QStringLiteral("/usr/local/share/texmf/fonts/tfm/public/family/file%1.tfm").arg(i);
            QTimer::singleShot(200, [] { say(QStringLiteral("ready")); });
            confirmOverwrite(files);
        });
    } else if (mode == QLatin1String("busy")) {
        auto* window = new QWidget;
        window->setWindowTitle(QStringLiteral("Busy probe"));
        window->setFixedSize(400, 200);
        auto* start = new QPushButton(QStringLiteral("Start"), window);
        start->setGeometry(10, 10, 120, 40);
        auto* second = new QPushButton(QStringLiteral("Second"), window);
        second->setGeometry(200, 10, 120, 40);
        auto* counter = new Counter(window);
        counter->setGeometry(10, 80, 380, 60);
        auto* ticker = new QTimer(window);
        static bool sawBusy = false; // the busy line and pointer, seen while the command ran
        QObject::connect(ticker, &QTimer::timeout, counter, [counter] {
            counter->update();
            if (commandBusyLine() && QApplication::overrideCursor() &&
                QApplication::overrideCursor()->shape() == Qt::WaitCursor)
                sawBusy = true;
        });
        ticker->start(30);
        QObject::connect(start, &QPushButton::clicked, [counter] {
            say(QStringLiteral("started %1").arg(now()));
            const int before = counter->paints;
            const ProcessResult r = runBash(QStringLiteral("sleep 3; exit 6"), 0);
            say(QStringLiteral("ended %1 status %2 paints %3 busy %4")
                    .arg(now())
                    .arg(r.exitCode)
                    .arg(counter->paints - before)
                    .arg(sawBusy ? 1 : 0));
        });
        QObject::connect(second, &QPushButton::clicked, [] { say(QStringLiteral("second %1").arg(now())); });
        window->show();
        QTimer::singleShot(300, [] { say(QStringLiteral("ready")); });
    } else {
        say(QStringLiteral("usage: display_probe frames|busy"));
        return 2;
    }
    const int status = qtApp.exec();
    delete app;
    return status;
}

#include "platform/Dialogs.h"
#include "platform/Process.h"
#include "platform/QuitPath.h"
#include "support/TestEnv.h"
#include "ui/CommandBusy.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QShortcutEvent>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace qlk;

namespace {
// A window to work in, the busy line installed with a short offer, and a
// look every few milliseconds at the line's Stop button while a command
// runs, noting when it was first seen offered.
class CommandBusyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(400, 200);
        window.show();
        installCommandBusy();
        offerBefore = commandStopOfferMs;
        commandStopOfferMs = 300;
        setDialogService(&dialogs);
        QObject::connect(&looker, &QTimer::timeout, [this] {
            auto* stop = commandBusyLine() ? commandBusyLine()->findChild<QPushButton*>("commandStopButton")
                                           : nullptr;
            if (stop && stop->isVisible() && firstOfferedAt < 0)
                firstOfferedAt = clock.elapsed();
            if (stop && stop->isVisible() && stop->isEnabled() && onStop)
                onStop(stop);
        });
        clock.start();
        looker.start(20);
    }
    void TearDown() override
    {
        looker.stop();
        setCommandWaitHooks({});
        commandStopOfferMs = offerBefore;
        setDialogService(nullptr);
    }
    // Lets the event loop run, as the program's does between actions.
    static void idle(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    test::TestEnv env;
    QWidget window;
    ScriptedDialogs dialogs;
    QTimer looker;
    QElapsedTimer clock;
    qint64 firstOfferedAt = -1;
    std::function<void(QPushButton*)> onStop;
    int offerBefore = 0;
};
} // namespace

// The Stop button comes only after the offer; pressing it ends the command.
TEST_F(CommandBusyTest, StopButtonEndsTheCommand)
{
    onStop = [](QPushButton* stop) { stop->click(); };
    clock.restart();
    const ProcessResult r = runBashDetached(QStringLiteral("sleep 60"));
    EXPECT_TRUE(r.stopped);
    EXPECT_GE(firstOfferedAt, commandStopOfferMs);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(commandBusyLine(), nullptr);
    // A command run without the offer has no button to press.
    onStop = nullptr;
    EXPECT_FALSE(runBashDetached(QStringLiteral("sleep 0.1")).stopped);
}

// Quitting while such a command runs asks first: No lets it run on; Yes
// stops it, and the quit comes once the program is idle again.
TEST_F(CommandBusyTest, QuitAsksThenStopsAndQuitsWhenIdle)
{
    int asked = 0;
    onStop = [&](QPushButton*) {
        if (asked++ == 0) {
            QShortcutEvent quit(QKeySequence(QKeySequence::Quit), 0);
            QCoreApplication::sendEvent(&window, &quit);
        }
    };
    dialogs.answers = {false};
    const ProcessResult ranOn = runBashDetached(QStringLiteral("sleep 1; echo done"));
    EXPECT_FALSE(ranOn.stopped);
    EXPECT_EQ(ranOn.output, QStringLiteral("done\n"));
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.at(0).startsWith("This command is still running:\nRunning: sleep 1; echo done\n"));
    idle(300);
    EXPECT_EQ(test::takeQuits(), 0);

    asked = 0;
    dialogs.answers = {true};
    const ProcessResult stopped = runBashDetached(QStringLiteral("sleep 60"));
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(test::takeQuits(), 0); // not before what the stop left undone has been said
    int quits = 0;
    for (int i = 0; i < 100 && quits == 0; ++i) {
        idle(50);
        quits += test::takeQuits();
    }
    idle(200);
    EXPECT_EQ(quits + test::takeQuits(), 1);
    resetQuitState();
}

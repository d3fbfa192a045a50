#include "ui/CommandBusy.h"

#include "platform/Dialogs.h"
#include "platform/Process.h"
#include "platform/QuitPath.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcutEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace qlk {

namespace {

std::function<bool(QWidget*)> closingQuits;
QPointer<QPushButton> stopButton;

bool isQuitKey(QEvent* event)
{
    if (event->type() == QEvent::Shortcut)
        return static_cast<QShortcutEvent*>(event)->key() == QKeySequence(QKeySequence::Quit);
    return static_cast<QKeyEvent*>(event)->matches(QKeySequence::Quit);
}

// The widget a window's event is for: the window's own widget.
QWidget* widgetOf(QObject* watched)
{
    if (auto* window = qobject_cast<QWindow*>(watched)) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowHandle() == window)
                return w;
        }
        return nullptr;
    }
    return qobject_cast<QWidget*>(watched);
}

// Holds back what the user does while a command runs.
class InputGate : public QObject {
public:
    QList<QPointer<QWidget>> closeLater;
    bool stoppable = false;   // the Stop button is offered
    bool quitAsked = false;   // a close or Ctrl+Q that means quitting, not yet asked about
    bool passThrough = false; // the question about quitting is open

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (passThrough)
            return false;
        if (stoppable) {
            // Once user input is taken, no shortcut may start an action.
            switch (event->type()) {
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
                if (isQuitKey(event))
                    quitAsked = true;
                return true;
            default:
                break;
            }
        }
        if (!event->spontaneous())
            return false;
        switch (event->type()) {
        case QEvent::Close: {
            // The window manager's close button: the window closes when
            // the command has ended, with its close-time work; closing the
            // window that quits asks first once the command may be stopped.
            QWidget* widget = widgetOf(watched);
            if (widget && widget->isWindow()) {
                if (stoppable && closingQuits && closingQuits(widget))
                    quitAsked = true;
                else if (!closeLater.contains(widget))
                    closeLater << widget;
            }
            event->ignore();
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return !(stoppable && onStopButton(watched, event));
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            // Harmless without the press: lets the Stop button's click end.
            return !stoppable;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            // Held back by the event pump already; anything that comes by
            // another way is dropped rather than acted on now.
            return true;
        default:
            return false;
        }
    }

private:
    static bool onStopButton(QObject* watched, QEvent* event)
    {
        if (!stopButton || !stopButton->isVisible())
            return false;
        if (watched == stopButton)
            return true;
        if (qobject_cast<QWindow*>(watched)) {
            const QPointF at = static_cast<QMouseEvent*>(event)->globalPosition();
            return QApplication::widgetAt(at.toPoint()) == stopButton;
        }
        return false;
    }
};

InputGate* gate = nullptr;
QPointer<QWidget> line;
QString running;          // what the line says runs
bool quitAfterCommand = false;

QWidget* workingWindow()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
            return w;
    }
    return nullptr;
}

void placeLine()
{
    QWidget* window = line ? line->parentWidget() : nullptr;
    if (!window)
        return;
    const int h = line->sizeHint().height();
    line->setGeometry(0, window->height() - h, window->width(), h);
}

void begin(const QString& what)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    gate = new InputGate;
    running = what;
    qApp->installEventFilter(gate);
    if (QWidget* window = workingWindow()) {
        auto* frame = new QFrame(window);
        frame->setObjectName(QStringLiteral("commandBusyLine"));
        frame->setAutoFillBackground(true);
        frame->setFrameShape(QFrame::StyledPanel);
        auto* layout = new QHBoxLayout(frame);
        layout->setContentsMargins(3, 3, 3, 3);
        auto* text = new QLabel(what, frame);
        text->setTextFormat(Qt::PlainText);
        layout->addWidget(text, 1);
        stopButton = new QPushButton(QStringLiteral("Stop"), frame);
        stopButton->setObjectName(QStringLiteral("commandStopButton"));
        stopButton->setCursor(Qt::ArrowCursor);
        stopButton->hide();
        QObject::connect(stopButton, &QPushButton::clicked, stopButton, [] {
            stopButton->setEnabled(false);
            requestCommandStop();
        });
        layout->addWidget(stopButton);
        line = frame;
        placeLine();
        line->show();
        line->raise();
    }
}

void offerStop()
{
    if (!gate)
        return;
    gate->stoppable = true;
    // A close of the quitting window held so far is asked about now.
    for (qsizetype i = gate->closeLater.size() - 1; i >= 0; --i) {
        QWidget* w = gate->closeLater.at(i);
        if (w && closingQuits && closingQuits(w)) {
            gate->closeLater.removeAt(i);
            gate->quitAsked = true;
        }
    }
    if (stopButton) {
        stopButton->show();
        placeLine();
    }
}

// Quitting waits until the stop has been reported: no command runs and no
// message is open.
void quitWhenIdle()
{
    QTimer::singleShot(100, qApp, [] {
        if (gate || QApplication::activeModalWidget())
            quitWhenIdle();
        else
            requestQuit();
    });
}

void pump()
{
    QCoreApplication::processEvents(gate && gate->stoppable ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
    if (gate && gate->quitAsked && !gate->passThrough) {
        gate->quitAsked = false;
        gate->passThrough = true;
        QApplication::restoreOverrideCursor();
        const bool quit = askYesNo(QStringLiteral("This command is still running:") + QLatin1Char('\n') + running +
                                   QLatin1Char('\n') +
                                   QStringLiteral("Quitting stops it and everything it started; you are then told "
                                                  "what it left undone. Stop it and quit?"));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        gate->passThrough = false;
        if (quit) {
            quitAfterCommand = true;
            if (stopButton)
                stopButton->setEnabled(false);
            requestCommandStop();
        }
    }
}

void end()
{
    delete line;
    qApp->removeEventFilter(gate);
    const QList<QPointer<QWidget>> closing = gate->closeLater;
    delete gate;
    gate = nullptr;
    QApplication::restoreOverrideCursor();
    for (const QPointer<QWidget>& w : closing) {
        QTimer::singleShot(0, qApp, [w] {
            if (w)
                w->close();
        });
    }
    if (quitAfterCommand) {
        quitAfterCommand = false;
        quitWhenIdle();
    }
}

} // namespace

void installCommandBusy(std::function<bool(QWidget*)> quits)
{
    closingQuits = std::move(quits);
    setCommandWaitHooks(CommandWaitHooks{begin, pump, end, offerStop});
}

QWidget* commandBusyLine()
{
    return line;
}

} // namespace qlk

#include "ui/CommandBusy.h"

#include "platform/Process.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace qlk {

namespace {

// Holds back what the user does while a command runs.
class InputGate : public QObject {
public:
    QList<QPointer<QWidget>> closeLater;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!event->spontaneous())
            return false;
        switch (event->type()) {
        case QEvent::Close:
            // The window manager's close button: the window closes when
            // the command has ended, with its close-time work.
            if (auto* window = qobject_cast<QWindow*>(watched)) {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (w->windowHandle() == window && !closeLater.contains(w))
                        closeLater << w;
                }
            } else if (auto* widget = qobject_cast<QWidget*>(watched)) {
                if (widget->isWindow() && !closeLater.contains(widget))
                    closeLater << widget;
            }
            event->ignore();
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
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
};

InputGate* gate = nullptr;
QPointer<QLabel> line;

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

void begin(const QString& what)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    gate = new InputGate;
    qApp->installEventFilter(gate);
    if (QWidget* window = workingWindow()) {
        line = new QLabel(window);
        line->setObjectName(QStringLiteral("commandBusyLine"));
        line->setText(what);
        line->setAutoFillBackground(true);
        line->setFrameShape(QFrame::StyledPanel);
        line->setMargin(3);
        line->setTextFormat(Qt::PlainText);
        const int h = line->sizeHint().height();
        line->setGeometry(0, window->height() - h, window->width(), h);
        line->show();
        line->raise();
    }
}

void pump()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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
}

} // namespace

void installCommandBusy()
{
    setCommandWaitHooks(CommandWaitHooks{begin, pump, end});
}

QWidget* commandBusyLine()
{
    return line;
}

} // namespace qlk

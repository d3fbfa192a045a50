#pragma once
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace qlk::test {

// Return pressed in a field, as the keyboard sends it.
inline void pressReturn(QWidget* field)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(field, &press);
}

// Deletes the windows that closed (and their deleteLater) now.
inline void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace qlk::test

#pragma once
#include <QPointer>
#include <QWidget>

namespace qlk {

// Every window class has at most one instance: its accessor returns the open
// one or creates it. Windows delete themselves when closed, so the next call
// after a close creates a fresh one.
template <class T>
T* singleWindow()
{
    static QPointer<T> instance;
    if (!instance) {
        instance = new T();
        instance->setAttribute(Qt::WA_DeleteOnClose);
    }
    return instance;
}


// Makes a window visible and brings it to the front.
void showWindow(QWidget* window);

} // namespace qlk

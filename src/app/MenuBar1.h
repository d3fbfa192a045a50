#pragma once
#include "ui/TextEditing.h"

#include <QList>
#include <QMenuBar>
#include <QPointer>

class QAction;
class QMenu;

namespace qlk {

// The menu bar: File, Edit, Info and Window. Every item is a QAction whose
// object name is the item's name; handlers are bound by that name. The Edit
// items act on the text field or text area that has the keyboard focus, and
// are enabled only while they can act there.
class MenuBar1 : public QMenuBar {
    Q_OBJECT
public:
    explicit MenuBar1(QWidget* parent = nullptr);

    QMenu* FileMenu;
    QMenu* EditMenu;
    QMenu* ViewMenu;   // "Info"
    QMenu* WindowMenu;
    // The Window menu's item set: member i names window i.
    QList<QAction*> aWindow;

    // The item of that name anywhere in the bar, or nullptr.
    QAction* item(const QString& name) const;
    // The member of the Window menu's set with that index, or nullptr.
    QAction* windowMenuItem(int index) const;
    // Appends a new member to the Window menu's set.
    QAction* addWindowMenuItem();
    void removeWindowMenuItem(int index);

private:
    void Untitled0();
    void Untitled1();
    void Untitled2();
    void Untitled3();
    QAction* addItem(QMenu* menu, const char* name, const QString& text, const char* shortcut = nullptr);
    void followFocus(QWidget* focus);
    void refreshEditItems();

    QList<QPair<QAction*, EditCommand>> editItems_;
    QPointer<QWidget> editTarget_;
    QList<QMetaObject::Connection> targetWatch_;
};

} // namespace qlk

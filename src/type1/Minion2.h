#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

namespace qlk {

// "Install Minion2Pro": a folder holding pfa versions of the user's four
// MinionPro fonts is dropped on the window; the fonts become zmnr, zmnb,
// zmnri and zmnbi (FontName Minion2Pro-*) and are installed with CTAN's
// minion2newtx support package.
class Minion2 : public QWidget {
    Q_OBJECT
public:
    static Minion2* instance();

    Minion2();

    QString f; // the folder dropped last, where the installation works

    QLabel* Label1;
    QPushButton* PushButton1; // "Show me how to make the pfa files"

    // The items of one drop, in order.
    void Event_DropObject(const QStringList& paths);
    void PushButton1_Action();
    void InstallMinion2Pro();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The help on making the pfa files, with a picture.
class Minion2ShowMe : public QWidget {
    Q_OBJECT
public:
    static Minion2ShowMe* instance();

    Minion2ShowMe();

    QLabel* Label1;
    QLabel* Canvas1;
    QPushButton* PushButton1; // "Done"
};

} // namespace qlk

#pragma once
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>

namespace qlk {

// The main window: the current TeX set-up on five tabs, the install road,
// and the Preferences and Quit buttons. It is never closed; the user leaves
// it only by quitting.
class Window1 : public QMainWindow {
    Q_OBJECT
public:
    // The accessor: the main window, created at the first call.
    static Window1* instance();
    // Whether the main window exists yet (without creating it).
    static bool exists();

    Window1();

    bool activated = false;
    int mrow = 0;
    int TDSResult = 0;
    int TextWindowReturn = 0;
    QStringList updmapc{QStringList(9, QString())};
    bool updmapcchanged = false;
    QStringList oldupdmapc{QStringList(9, QString())};
    QStringList opts{QStringList(9, QString())};

    QTabWidget* TabPanel1;
    QPushButton* PushButton1; // "Preferences"
    QPushButton* PushButton2; // "Quit"
    QLineEdit* TextField2;    // the status line of installations

    void Show();
    void Setcaption();
    void Clearitems();
    void Setupwin();
    void showprefs();
    void PushButton1_Action();
    void PushButton2_Action();
    void Event_Open();
    void Event_Activate();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace qlk

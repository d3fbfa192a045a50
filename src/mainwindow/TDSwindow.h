#pragma once
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace qlk {

// "TDS Checker": one question about a tree the user dropped, answered with
// "Cancel" or "Continue" through the main window's TDSResult; "Show Folder"
// shows the tree in the file manager so that the user can change it first.
// Only the two answers close it.
class TDSwindow : public QDialog {
    Q_OBJECT
public:
    // The accessor: the open dialog, or a new one.
    static TDSwindow* instance();

    TDSwindow();

    QString folder; // the tree "Show Folder" reveals

    QLabel* StaticText1;
    QPushButton* PushButton1; // "Cancel"
    QPushButton* PushButton2; // "Continue"
    QPushButton* PushButton3; // "Show Folder"

    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool answered_ = false;
};

} // namespace qlk

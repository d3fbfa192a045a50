#pragma once
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qlk {

// The list of fontname map files "Known fonts" searches, one a line.
// "OK" stores it; "Cancel" or closing the window changes nothing.
class SourceWindow : public QDialog {
    Q_OBJECT
public:
    static SourceWindow* instance();
    SourceWindow();

    QLabel* StaticText1;
    QPlainTextEdit* TextArea1;
    QLabel* StaticText2;
    QPushButton* PushButton2; // "Cancel"
    QPushButton* PushButton1; // "OK"

    void Event_Open();
    void load();
    void save();
    void PushButton1_Action();
    void PushButton2_Action();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace qlk

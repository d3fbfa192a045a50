#pragma once
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qlk {

// Asks for the math command the trace's fifth pass typesets.
class CustomInput : public QDialog {
    Q_OBJECT
public:
    static CustomInput* instance();
    CustomInput();

    QLabel* StaticText1;
    QLineEdit* TextField1;
    QPushButton* PushButton2; // "Cancel"
    QPushButton* PushButton1; // "Go"

    void PushButton1_Action();
    void PushButton2_Action();
};

} // namespace qlk

#pragma once
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace qlk {

// Asks which of the family names of a dropped folder's AFM files to use;
// "OK" writes the choice into the family field of "Add individual fonts".
class ChooseFontFamily : public QDialog {
    Q_OBJECT
public:
    static ChooseFontFamily* instance();
    ChooseFontFamily();

    QLabel* Label1;
    QComboBox* PopupMenu1;
    QPushButton* PushButton1; // "OK"

    void PushButton1_Action();
};

} // namespace qlk

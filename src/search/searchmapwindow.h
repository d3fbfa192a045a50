#pragma once
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qlk {

// "Search fonts maps": the text to look for in the font map files, how far
// the search reaches and whether case matters. Shown modally; the search
// closes it when it has finished.
class searchmapwindow : public QDialog {
    Q_OBJECT
public:
    static searchmapwindow* instance();

    searchmapwindow();

    QLabel* StaticText1;
    QLabel* StaticText2;
    QLineEdit* TextField1;
    QPushButton* PushButton1; // "Start"
    QPushButton* PushButton2; // "Cancel"
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1[2]; // "texmf trees only", "texmf trees plus home directory"
    QLabel* StaticText3;           // status line
    QCheckBox* CheckBox1;          // "Case-sensitive search"

    bool TextField1_KeyDown(const QString& key);
    void PushButton1_Action();
    void PushButton2_Action();
    void RadioButton1_Open(int index);
    void CheckBox1_Open();
    void go();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace qlk

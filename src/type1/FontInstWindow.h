#pragma once
#include "type1/FontinstJob.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace qlk {

class ExamineList;

// "Fontinst Helper": gathers a dropped Type 1 family, proposes its Berry
// prefix, supplier and family name, and leads through Process, Make,
// Install and Test, each behind its own button.
class FontInstWindow : public QWidget {
    Q_OBJECT
public:
    static FontInstWindow* instance();

    FontInstWindow();

    FontinstJob job;        // the gathered files and what the steps settled
    bool activated = false; // set at the first activation

    QLabel* StaticText1;        // instructions
    QPushButton* PushButton1;   // "Explain"
    QLineEdit* TextField1[2];   // (0) supplier or foundry, (1) font family name
    QLabel* StaticText2;
    QPushButton* PushButton2;   // "Install"
    QPushButton* PushButton3;   // "Process"
    QLabel* StaticText3;
    QLineEdit* TextField2;      // status line
    QGroupBox* GroupBox1;       // "Install Location"
    QRadioButton* RadioButton2[2]; // (0) "System texmflocal", (1) "Home texmf"
    QLabel* StaticText4;
    QLineEdit* TextField3;      // Berry family prefix
    ExamineList* Listbox1;      // the family's files; the drop target
    QPushButton* PushButton4;   // "Make"
    QCheckBox* CheckBox2;       // "Monowidth"
    QPushButton* PushButton5;   // "Test"

    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void PushButton4_Action();
    void PushButton5_Action();
    void Listbox1_DropObject(const QStringList& paths);
    void Event_Activate();

    bool process();
    bool Make();
    bool install();
    void Test();
    void initwin();

    static QString explanation();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace qlk

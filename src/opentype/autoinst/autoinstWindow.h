#pragma once
#include "opentype/common/OpenTypeWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace qlk {

// "Autoinst": a folder of OpenType or TrueType fonts dropped on the list
// becomes a LaTeX package through TeX Live's autoinst, is installed and
// tested.
class autoinstWindow : public OpenTypeWindow {
    Q_OBJECT
public:
    static autoinstWindow* instance();
    autoinstWindow();

    bool isotf = true;    // the fonts are .otf, not .ttf
    bool hasvar = false;  // Test copied the support files into TEXMFVAR

    QLabel* StaticText1;
    QPushButton* PushButton1; // "Run autoinst"
    QPushButton* PushButton2; // "Install"
    QPushButton* PushButton3; // "updmap"
    QLabel* StaticText2;
    std::array<QCheckBox*, 3> CheckBox1; // "OT1", "T1+TS1", "LY1"
    QLabel* StaticText3;
    QLineEdit* TextField1; // scale factor
    QLabel* StaticText4;
    QLineEdit* TextField2; // family name
    QLabel* StaticText7;
    QLineEdit* TextField5; // vendor
    QLabel* StaticText8;
    QCheckBox* CheckBox2;  // "PostScript flavored"
    QLabel* StaticText9;   // status line
    QLabel* StaticText10;  // where the run log goes
    QPushButton* PushButton6; // "Test"
    QGroupBox* GroupBox1;     // "Usage"
    QRadioButton* RadioButton1; // "Roman text"
    QRadioButton* RadioButton2; // "Sans serif"
    QRadioButton* RadioButton3; // "Typewriter"
    QComboBox* PopupMenu1;      // "Regular means:"
    QComboBox* PopupMenu2;      // "Bold means:"
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* TextField6; // prefix for the encoding files
    QLabel* Label4;
    QLineEdit* TextField7; // a replacement .sty

    void Listbox1_DropObject(const QStringList& paths);
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void PushButton6_Action();
    void Event_Activate() override;
    void Event_Close() override;

    bool ImportPieces() override;
    void install();
    void postflight();
    void wipetexmf();

private:
    void setStatus(const QString& text);
    // The files Test put into TEXMFVAR, removed when the window closes.
    QStringList testCopy_;
};

} // namespace qlk

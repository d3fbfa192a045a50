#pragma once
#include "opentype/common/OpenTypeWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>

namespace qlk {

// "Otfinst": a folder of OpenType fonts dropped on the list becomes one
// edited copy of otfinst.py per encoding (Prepare), run in a terminal, then
// installed as a package.
class otfinstWindow : public OpenTypeWindow {
    Q_OBJECT
public:
    static otfinstWindow* instance();
    otfinstWindow();

    QLabel* StaticText1;
    QPushButton* PushButton1; // "Run otfinst"
    QPushButton* PushButton2; // "Install"
    QPushButton* PushButton3; // "updmap"
    QLabel* StaticText2;
    std::array<QCheckBox*, 3> CheckBox1; // "OT1", "T1+TS1", "LY1"
    QLabel* StaticText3;
    QLineEdit* TextField1; // scale factor
    QLabel* StaticText4;
    QLineEdit* TextField2; // family name
    QLabel* StaticText5;
    QLineEdit* TextField3; // Berry name
    QLabel* StaticText6;
    QLineEdit* TextField4; // folder for fd and sty files below TEXMFHOME
    QLabel* StaticText7;
    QLineEdit* TextField5; // vendor
    QLabel* StaticText8;
    QPushButton* PushButton4; // "Prepare"
    QCheckBox* CheckBox2;     // "PostScript flavored"
    QLabel* StaticText9;      // status line
    QLabel* StaticText10;     // where the run log goes
    QPushButton* PushButton5; // "Other options"
    QPushButton* PushButton6; // "Test"

    void Listbox1_DropObject(const QStringList& paths);
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void PushButton4_Action();
    void PushButton5_Action();
    void PushButton6_Action();
    void Event_Activate() override;
    void Event_Close() override;

    bool ImportPieces() override;
    // Reads the template into pypieces and its tables; false (after the
    // message, the window closing) when its markers are wrong.
    bool parsepy();
    void install();
    void postflight();

private:
    void setStatus(const QString& text);
    void checkVendorMap();
    // The vendor the last Install filed the package under.
    QString installVendor_;
    // The installed fd/sty folder's other files go into the new one.
    bool keepOthers_ = true;
};

} // namespace qlk

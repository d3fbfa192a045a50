#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace qlk {

// The eight updmap.cfg options the main window reads (LW35, five true/false
// switches, two kanji texts). OK applies the options the user changed with
// --setoption runs of updmap-user (method 0, as the user) and of updmap-sys
// (administrators, through the root route), each batch ending in a plain run.
class updmapchoicesWin : public QDialog {
    Q_OBJECT
public:
    // The accessor: the open window, or a new one.
    static updmapchoicesWin* instance();

    updmapchoicesWin();

    bool activated = false;
    bool changed = false;
    // Which options the user changed since the fill, in option order.
    std::array<bool, 8> touched{};

    std::array<QCheckBox*, 5> CheckBox1;       // options 1 to 5
    QGroupBox* GroupBox1;
    std::array<QRadioButton*, 4> RadioButton1; // LW35: URW, URWkb, ADOBE, ADOBEkb
    QButtonGroup* lw35Group;
    QLabel* Label1;
    std::array<QLineEdit*, 2> TextField1;      // kanjiEmbed, kanjiVariant
    QLabel* Label2;
    QPushButton* PushButton1; // "Cancel"
    QPushButton* PushButton2; // "OK"

    void RadioButton1_Action(int member);
    void CheckBox1_Action(int member);
    void TextField1_TextChange(int member);
    void PushButton1_Action();
    void PushButton2_Action();
    void Event_Activate();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

} // namespace qlk

#pragma once
#include <QImage>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qlk {

// "Edit Glyph Metrics": one letter of the newest build, typeset twenty
// times enlarged on a grid; the user changes its four adjustments in steps
// of 2, and Done or Refresh add them to the math-alphabet window's grid and
// rebuild.
class MathAlph2 : public QWidget {
    Q_OBJECT
public:
    static MathAlph2* instance();
    MathAlph2();

    QWidget* Canvas1;
    std::array<QLabel*, 4> Labels;
    std::array<QPushButton*, 4> PushButton1; // "<-"
    std::array<QPushButton*, 4> PushButton2; // "->"
    std::array<QLineEdit*, 4> TextField1;
    QLabel* Label5;
    QPushButton* PushButton3; // "Cancel"
    QPushButton* PushButton4; // "Done"
    QPushButton* PushButton5; // "Refresh"

    bool activated = false;
    int glyphnum = 0;
    QImage pic;
    int tx = 0;
    int ty = 0;

    void PushButton1_Action(int index);
    void PushButton2_Action(int index);
    void TextField1_TextChange();
    void PushButton3_Action();
    void PushButton4_Action();
    void PushButton5_Action();
    void Event_Activate();
    void Makeglyphpic();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Adds the fields to the grid row. A sum the font cannot hold is
    // refused with a message, and then no cell and no field changes.
    enum class Applied { Unchanged, Changed, Refused };
    Applied applyFields(bool emptyFields);
};

} // namespace qlk

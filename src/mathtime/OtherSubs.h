#pragma once
#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qlk {

// "Other substitutions": for each of the 106 letters the TFM font to take
// it from instead of the text family. "Done" writes the file "subs" of the
// MathTime master folder and rebuilds.
class OtherSubs : public QWidget {
    Q_OBJECT
public:
    OtherSubs();
    static OtherSubs* instance();

    QLabel* Label1 = nullptr;
    QTableWidget* Listbox1 = nullptr;
    QPushButton* PushButton1 = nullptr; // Cancel
    QPushButton* PushButton2 = nullptr; // Done

    int dirty = 0;

    // Fills the table from "subs" (first activation).
    void fill();
    // "Done": writes "subs" when the table changed, then rebuilds. False
    // when a name was refused and the window stays open.
    bool finish();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void commitEdit();
    bool activated_ = false;
};

} // namespace qlk

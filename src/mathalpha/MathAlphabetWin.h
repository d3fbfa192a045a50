#pragma once
#include "mathalpha/MathAlphabet.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace qlk {

class ExamineList;

// "Add Math Alphabet": makes a virtual math-alphabet font (\mathcal,
// \mathscr, \mathbb, \mathfrak) from an installed text font with fontinst.
// Settings and per-glyph adjustments live in a master folder the user drops
// on the window; each Process builds afresh in a new scratch folder in
// Documents; Test typesets a sample and Install copies the TDS tree.
class MathAlphabetWin : public QWidget {
    Q_OBJECT
public:
    static MathAlphabetWin* instance();
    // The open window, or none (the editors must not make a fresh one).
    static MathAlphabetWin* existing();

    MathAlphabetWin();

    QLabel* Label1;
    ExamineList* Listbox1;      // the glyph grid
    QLabel* Label2;
    ExamineList* Listbox2;      // the master-folder box
    QLabel* Label3;
    QPushButton* PushButton1;   // "Process"
    QPushButton* PushButton2;   // "Test"
    QPushButton* PushButton3;   // "Install"
    QLabel* Label4;
    QLineEdit* TextField1;      // base font
    QGroupBox* GroupBox1;       // "Install as:"
    std::array<QRadioButton*, 4> RadioButton1;
    QLabel* Label5;
    QLineEdit* TextField2;      // name for new font
    QLabel* Label6;
    QLineEdit* TextField3;      // name for new sty
    QPushButton* PushButton4;   // "OK"
    QPushButton* PushButton5;   // "Clear all adjustments"
    QLineEdit* TextField4;      // spacing value
    QGroupBox* GroupBox2;       // "Spacing method"
    std::array<QRadioButton*, 3> RadioButton2;
    QTextEdit* TextArea1;       // status

    // Working state.
    bool activated = false;
    QString masterfolder;       // empty: none
    QString setfile, adjfile, oldadjfile, metricsfile, glyphsfolder, mf;
    QString tmpfolder;          // scratch folder of the last build
    QString ttfm, ttfmn, vendor, family;
    std::array<QString, 4> suffs;
    mathalpha::Adjustments xx{};
    mathalpha::Metrics metrics;
    bool needglyphs = false;
    bool needMetrics = false;
    QString mtpimgs;
    int mrow = 0;
    int mcol = 0;
    bool ready = false;
    int dirty = 0;
    bool hasLBentries = false;

    // Event handlers.
    void Listbox1_CellClick(int row, int column);
    void Listbox1_DoubleClick();
    void Listbox1_CellTextChange();
    void Listbox1_Change();
    QMenu* Listbox1_ConstructContextualMenu();
    void Listbox1_ContextualMenuAction(int tag);
    void Listbox2_DropObject(const QStringList& paths);
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void TextField1_TextChange();
    void RadioButton1_Action();
    void PushButton4_Action();
    void PushButton5_Action();
    void Event_Activate();
    void Event_Close();

    // Work.
    bool process();
    void initwin();
    void processmaster();
    void Clearall();
    void SetFields(bool hasAdjustments);
    void Resettfm();
    void fromTFMname();
    void install();
    bool Makeglyphs();
    bool MakeMetrics();
    void pressProcess();
    void glyphwin();
    void ClearListbox1();
    void spacingenable(int state);

    int kindIndex() const;     // first selected "Install as", else 0
    int spacingMethod() const; // first selected "Spacing method", else 0

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fillGridRows(int count);
};

} // namespace qlk

#pragma once
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QWidget>

#include <array>

class QMenu;

namespace qlk {

class ExamineList;

// "Otf Info": what otfinfo reports about one dropped OpenType font: its
// flavour, names, scripts, tables and the features of a chosen script.
class lcdftoolsWindow : public QWidget {
    Q_OBJECT
public:
    static lcdftoolsWindow* instance();

    lcdftoolsWindow();

    QString fontfile;     // the dropped item; empty when none
    QString fontfilename; // its name
    QString fontfolder;   // the folder every otfinfo command runs in
    int mrow = 0;         // the drop list's row clicked last

    QLabel* StaticText1;
    ExamineList* Listbox1; // the drop list
    QTabWidget* TabPanel1;
    QLabel* Label1;
    QGroupBox* GroupBox1;
    std::array<QRadioButton*, 2> RadioButton1; // 0 "PostScript", 1 "TrueType"
    QLabel* Label2;
    QLineEdit* TextField1; // PostScript name
    QLabel* Label6;
    QLineEdit* TextField2; // family name
    QLabel* Label3;
    ExamineList* Listbox2; // scripts
    QLabel* Label4;
    ExamineList* Listbox3; // tables
    QLabel* Label5;
    ExamineList* Listbox4; // features

    void Listbox1_DropObject(const QStringList& paths);
    bool Listbox1_CellClick(int row);
    bool Listbox1_ConstructContextualMenu(QMenu* base);
    bool Listbox1_ContextualMenuAction(int tag);
    void Listbox2_Change();
    void Features();

private:
    void setFlavour(bool postScript);
    bool filling_ = false;
    // The font the lists show. A refused drop empties fontfolder but leaves
    // the lists as they were, and a script chosen afterwards still belongs
    // to this font.
    QString shownFolder_;
    QString shownName_;
};

} // namespace qlk

#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>

#include <array>

class QMenu;

namespace qlk {

// A list of the main window: rows of one or more columns whose widths are
// percentages of the list's width, striped rows, one row selected at a time.
class Window1List : public QTreeWidget {
    Q_OBJECT
public:
    Window1List(const QList<int>& percentWidths, bool heading, QWidget* parent = nullptr);

    int index = -1; // the member's index in an indexed set (Listbox1)

    // Adds a row whose first cell holds `text`.
    void addRow(const QString& text);
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;
    int rowCount() const { return topLevelItemCount(); }
    void deleteAllRows() { clear(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyWidths();
    QList<int> percent_;
};

// The main window: the current TeX set-up on five tabs, the install road,
// and the Preferences and Quit buttons. It is never closed; the user leaves
// it only by quitting.
class Window1 : public QMainWindow {
    Q_OBJECT
public:
    // The accessor: the main window, created at the first call.
    static Window1* instance();
    // Whether the main window exists yet (without creating it).
    static bool exists();

    Window1();

    bool activated = false;
    int mrow = 0;
    QStringList dropped;   // paths of the items dropped on Listbox7
    QStringList toplevel;  // folder names allowed at the top of a TDS tree
    int TDSResult = 0;
    int TextWindowReturn = 0;
    QStringList pathlist;
    bool NotFontTDS = false;
    QStringList updmapc{QStringList(9, QString())};
    bool updmapcchanged = false;
    QStringList oldupdmapc{QStringList(9, QString())};
    QStringList opts{QStringList(9, QString())};

    QTabWidget* TabPanel1;

    // "Current Setup"
    QLabel* StaticText4;  // the administrator line
    QLabel* StaticText5;
    QLabel* StaticText6;
    QLabel* StaticText9;
    QLabel* StaticText10; // the TeX Live year
    QLabel* StaticText17;
    Window1List* Listbox2; // the TEXMF search order
    QLabel* StaticText32;

    // "Output Maps"
    QLabel* StaticText18;
    std::array<Window1List*, 3> Listbox1; // 0 pdftex.map copies, 1 personal and 2 system updmap.cfg
    QLabel* StaticText8;  // the map file in use
    QLabel* StaticText3;
    QLabel* StaticText19;
    QLabel* StaticText1;
    QLabel* StaticText20; // what each pdftex.map copy is

    // "Configuration"
    QLabel* StaticText21;
    QLabel* StaticText22;
    QLabel* StaticText23;
    QTextEdit* TextArea1; // maps the local files disable
    QTextEdit* TextArea2; // maps they add

    // "Font maps"
    QLabel* StaticText13;
    Window1List* Listbox4; // maps in TEXMFLOCAL
    QLabel* StaticText14;
    Window1List* Listbox5; // maps in TEXMFHOME
    QLabel* StaticText15;
    Window1List* Listbox6; // maps in TEXMFVAR
    QPushButton* PushButton13; // "Update"

    // "Install"
    QLabel* StaticText24;
    QListWidget* Listbox7;
    QLineEdit* TextField2;    // the status line of installations
    QLabel* StaticText25;
    std::array<QLineEdit*, 2> TextField1; // 0 supplier or foundry, 1 family name
    QPushButton* PushButton8; // "Make TDS"
    QPushButton* PushButton7; // "Install"
    QLabel* StaticText26;
    QGroupBox* GroupBox2;
    std::array<QRadioButton*, 4> RadioButton2; // System, Personal, Other, texlive
    QButtonGroup* installLocation;
    QPushButton* PushButton4;  // "Explain"
    QPushButton* PushButton11; // "Test installation"
    QFrame* Line1;
    QLabel* StaticText27;
    QPushButton* PushButton6;  // moves fonts between trees
    QCheckBox* CheckBox2;      // "Impermanent only"

    QPushButton* PushButton1; // "Preferences"
    QPushButton* PushButton2; // "Quit"

    void Show();
    void Setcaption();
    void Clearitems();
    void Setupwin();
    // A rescan after a change: Clearitems, then the scan, which ends with Setupwin.
    void refresh();
    void findupdmap();
    void UpdmapOpts(bool unused = false);
    void showprefs();
    void PushButton1_Action();
    void PushButton2_Action();
    void Event_Open();
    void Event_Activate();

    // The display lists: a cell click remembers its row in mrow for all
    // seven lists; a double click reveals that row's file or folder (column
    // 1 of Listbox1, else column 0); the context menus of the font map lists
    // (Listbox4 to Listbox6) and of Listbox1(index) carry integer tags.
    void List_CellClick(int row);
    void List_DoubleClick(Window1List* list);
    bool Listbox2_HeaderPressed(int column);
    bool MapList_ConstructContextualMenu(QMenu* base);
    bool MapList_ContextualMenuAction(Window1List* list, int tag);
    bool Listbox1_ConstructContextualMenu(int index, QMenu* base);
    bool Listbox1_ContextualMenuAction(int index, int tag);

    // The Install tab: drops, "Explain", "Make TDS", "Install" and the move
    // between trees.
    void Listbox7_DropObject(const QStringList& paths);
    void PushButton4_Action();
    void PushButton8_Action();
    void PushButton7_Action();
    void PushButton6_Action();
    bool checkTDS(const QString& name);
    bool install();
    // Shows the files in the text viewer in confirm mode; true only after "OK".
    bool confirmOverwrite(const QStringList& files);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCurrentSetup(QWidget* tab);
    void buildOutputMaps(QWidget* tab);
    void buildConfiguration(QWidget* tab);
    void buildFontMaps(QWidget* tab);
    void buildInstall(QWidget* tab);
    void setTreeHelpTags();
    void wireLists();
    void wireInstallTab();
    // The tab after a successful install: nothing listed, both buttons off.
    void resetInstallTab();
};

} // namespace qlk

#pragma once
#include "fontinfo/TfmCatalogue.h"
#include "fontinfo/TfmTrace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <memory>

namespace qlk {

class ExamineList;

// "Examine TFM": the TFM files of the four main trees by name, filtered
// with a simple wildcard; the chosen one traced through its virtual fonts
// to the base fonts and the files the master map gives them, its property
// list shown and its font table typeset.
class TFMWindow : public QWidget {
    Q_OBJECT
public:
    static TFMWindow* instance();

    TFMWindow();
    ~TFMWindow() override;

    TfmCatalogue tfmdb;
    QString tmpf;                       // the scratch folder
    std::array<QString, 4> trees;       // TEXMFDIST, TEXMFLOCAL, TEXMFHOME, TEXMFVAR
    std::array<bool, 4> treeexists{};   // the tree takes part in the catalogue
    QList<bool> vflist;                 // parallel to the popup: a virtual font
    QStringList tfmbase;
    QStringList vfbase;
    bool nomapflag = false;
    QList<TfmMapRow> listing;           // the rows of Listbox1

    QLabel* Label1;
    QComboBox* PopupMenu1;
    QLabel* Label2;
    QLineEdit* TextField1;
    QPushButton* PushButton2; // "Refresh"
    QCheckBox* CheckBox1;     // "Virtual font"
    QPushButton* PushButton3; // "Show the PL" / "Show the VPL"
    QLabel* Label3;
    ExamineList* Listbox1;
    QPushButton* PushButton1; // "Show font table"

    void Event_Open();
    void Event_Close();
    void Refreshlist();
    void PopupMenu1_Change();
    void PushButton3_Action();
    void PushButton1_Action();
    void PrepareTest();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool closed_ = false;
};

// The font-table document for the TFM `name`.
QString tfmFontTableDocument(const QString& name);

} // namespace qlk

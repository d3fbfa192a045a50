#pragma once
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace qlk {

// Lists map files that lie in the deprecated top-level dvips folders, where
// TeX Live no longer looks. Shown modally by the start-up scan; it moves
// nothing itself.
class DeprecatedWin : public QDialog {
    Q_OBJECT
public:
    // The accessor: the open window, or a new one.
    static DeprecatedWin* instance();

    DeprecatedWin();

    int mrow = 0;

    QLabel* StaticText11;
    QLabel* StaticText12;
    QListWidget* Listbox3;
    QPushButton* PushButton1; // "OK"

    void addRow(const QString& path);
    void Listbox3_CellClick(int row);
    void Listbox3_DoubleClick();
};

} // namespace qlk

#pragma once
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

namespace qlk {

class ExamineList;

// "Convert names to Berry form": the AFM, PFB and PFA files of a dropped
// folder are listed by base name with a proposed Berry name, which the user
// may edit or clear; "OK" renames them.
class ToBerryWin : public QDialog {
    Q_OBJECT
public:
    static ToBerryWin* instance();

    ToBerryWin();

    QString masterfolder; // the dropped folder; empty when none
    QStringList fn;       // the files collected from it
    QStringList slst;     // their base names, one a row

    QLabel* Label1;
    ExamineList* Listbox1;
    QPushButton* PushButton1; // "OK"
    QPushButton* PushButton2; // "Cancel"

    void Listbox1_DropObject(const QStringList& paths);
    void PushButton1_Action();
    void PushButton2_Action();
};

} // namespace qlk

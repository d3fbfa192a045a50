#pragma once
#include "fontinfo/DviList.h"
#include "fontinfo/DviListing.h"

#include <QCheckBox>
#include <QPushButton>
#include <QWidget>

namespace qlk {

// "Examine DVI": a DVI file dropped on the list is listed instruction by
// instruction, in full or as font changes only, and the listing can be
// saved beside it as tab-separated text.
class DVIwindow : public QWidget {
    Q_OBJECT
public:
    static DVIwindow* instance();

    DVIwindow();
    ~DVIwindow() override;

    QString dvif;           // the DVI file being examined; empty when none
    bool activated = false; // set at the first activation
    DviRows rows;           // the listing shown, as read

    DviList* Listbox1;
    QCheckBox* CheckBox1;   // "Show only font changes"
    QPushButton* PushButton1; // "Save"

    void Listbox1_DropObject(const QStringList& paths);
    void CheckBox1_Action();
    void PushButton1_Action();
    void Event_Activate();
    void processdvi();
    void Savetofile();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

} // namespace qlk

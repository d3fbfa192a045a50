#pragma once
#include "texenv/TexEnv.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

namespace qlk {

class Window1List;

// Lists every font map of the map inventory with the state the updmap.cfg
// files give it, and turns the ticked maps' enabled state over with one
// chained updmap-user (method 0) or sudo updmap-sys (method 1) line, then
// rescans. It has no close box: "Update" or "Cancel" ends it.
class UpdmapWindow : public QDialog {
    Q_OBJECT
public:
    // The accessor: the open window, or a new one with its list filled.
    static UpdmapWindow* instance();

    UpdmapWindow();

    // Columns of Listbox1.
    enum Column { MapColumn = 0, EnabledColumn, ChangeColumn, MixedColumn, KanjiColumn };

    QStringList maplist;     // the names of mapDict, sorted
    NoCaseDict<int> maptype; // name -> state code (type in the low bits, +4 not enabled)
    int mrow = 0;            // the row of the most recent click
    bool activated = false;

    QLabel* Label1;
    Window1List* Listbox1;
    QPushButton* PushButton1; // "Update"
    QPushButton* PushButton2; // "Cancel"

    void Listbox1_Open();
    void parsemaps(bool personal);
    void Listbox1_CellClick(int row);
    // The context menu's items, and what each does on row mrow.
    static QStringList contextMenuItems();
    void Listbox1_ContextualMenuAction(const QString& item);
    void PushButton1_Action();
    void PushButton2_Action();
    void Event_Open();
    void Event_Activate();

    // Row helpers (tests tick boxes through them too).
    bool isTicked(int row, int column) const;
    void setTicked(int row, int column, bool ticked);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showContextMenu(const QPoint& pos);
    bool opened_ = false;
};

} // namespace qlk

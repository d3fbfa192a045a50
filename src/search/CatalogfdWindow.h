#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qlk {

// "Existing fd files": the rows of the .fd catalogue, filtered on request;
// a double click shows the file in the file manager.
class CatalogfdWindow : public QWidget {
    Q_OBJECT
public:
    static CatalogfdWindow* instance();
    CatalogfdWindow();

    bool activated = false;
    int mrow = -1;

    QTreeWidget* Listbox1;
    QLabel* StaticText2;
    QLineEdit* TextField1;
    QPushButton* PushButton1; // "Go"
    QLabel* StaticText1;
    QLineEdit* TextField2;    // the number of rows of the catalogue

    void getfds(const QString& filter);
    void Event_Open();
    void Event_Activate();
    bool TextField1_KeyDown(const QString& key);
    void PushButton1_Action();
    void Listbox1_CellClick(int row);
    void Listbox1_DoubleClick();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace qlk

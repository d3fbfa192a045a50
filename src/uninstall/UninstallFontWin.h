#pragma once
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qlk {

// "Font Uninstaller": finds an installed font package, style file or map
// file outside the distribution, tells its tree, supplier and package, and
// removes the package on request.
class UninstallFontWin : public QWidget {
    Q_OBJECT
public:
    static UninstallFontWin* instance();
    UninstallFontWin();

    bool activated = false;
    QStringList suppliers;
    QString s4;
    QStringList fnd;
    int theindex = 0;
    QStringList trees;

    QLabel* Label1;
    QComboBox* PopupMenu1;   // supplier choices
    QLabel* Label2;
    QComboBox* PopupMenu2;   // package choices
    QLabel* Label3;
    QLabel* Label5;
    QPlainTextEdit* TextArea1;
    QCheckBox* CheckBox1;    // "Save uninstalled files to a TDS"
    QLineEdit* TextField1;   // the name to search for
    QLabel* Label6;
    QComboBox* PopupMenu4;   // family choices: kept hidden, nothing fills it
    QPushButton* PushButton1; // "Go"
    QPushButton* PushButton2; // "Remove This Package"
    QPushButton* PushButton3; // "Next"
    QLineEdit* TextField2;   // Tree
    QLineEdit* TextField3;   // Supplier
    QLineEdit* TextField4;   // Package Name
    QLabel* Label7;
    QCheckBox* CheckBox2;    // "Exists in TEXMFDIST"

    void Event_Activate();
    bool TextField1_KeyDown(const QString& key);
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void PopupMenu4_Change();
    void Filloutfamilies(const QString& supplier);
    void go();
    void nextindex();
    void Doit();
    // Fills `suppliers` and the supplier popup from TEXMFLOCAL (0) or the
    // personal trees (1).
    void Fillout(int i);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace qlk

#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qlk {

// "Search TeX Trees": a file-name pattern with "*" as wildcard; the matching
// files of every TeX tree go to the text viewer and the window closes.
class kpsewhichwin : public QWidget {
    Q_OBJECT
public:
    static kpsewhichwin* instance();

    kpsewhichwin();

    QLabel* StaticText1;
    QLabel* StaticText2;
    QLineEdit* TextField1;
    QPushButton* PushButton1; // "Cancel"
    QPushButton* PushButton2; // "OK"

    bool TextField1_KeyDown(const QString& key);
    void PushButton1_Action();
    void PushButton2_Action();
    void go();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qlk

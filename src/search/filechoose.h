#pragma once
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qlk {

// "Get x-height": a font file named or browsed for, measured on OK.
class filechoose : public QWidget {
    Q_OBJECT
public:
    static filechoose* instance();
    filechoose();

    QLabel* StaticText1;
    QPlainTextEdit* TextField1;
    QPushButton* PushButton3; // "Browse"
    QPushButton* PushButton1; // "Cancel"
    QPushButton* PushButton2; // "OK"
    QLabel* StaticText2;      // the result line

    void go();
    bool TextField1_KeyDown(const QString& key);
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qlk

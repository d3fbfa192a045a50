#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qlk {

// "Known fonts": the lines of the fontname maps that hold a text.
class FontDBWindow : public QWidget {
    Q_OBJECT
public:
    static FontDBWindow* instance();
    FontDBWindow();

    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QPlainTextEdit* TextArea1;
    QLabel* StaticText5;
    QLineEdit* TextField1;
    QPushButton* PushButton2; // "Refresh"
    QPushButton* PushButton1; // "Specify sources"

    void refresh();
    bool TextField1_KeyDown(const QString& key);
    void PushButton1_Action();
    void PushButton2_Action();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace qlk

#pragma once
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qlk {

// "Find All Duplicate File Names": the search of the trees for names that
// stand twice, with its report in Documents.
class DuplicatesWindow : public QWidget {
    Q_OBJECT
public:
    static DuplicatesWindow* instance();
    DuplicatesWindow();

    QStringList types;
    QString dupsfile;

    QLabel* StaticText1;
    QPlainTextEdit* TextArea1;
    QLineEdit* TextField1;    // the status line
    QLabel* StaticText2;      // the report's name
    QPushButton* PushButton3; // "Show report"
    QPushButton* PushButton1; // "Cancel"
    QPushButton* PushButton2; // "Go"

    void Event_Open();
    void init();
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qlk

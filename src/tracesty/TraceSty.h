#pragma once
#include "tracesty/TraceCore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace qlk {

// "Trace .sty": typesets small trial documents with the user's font
// commands and reports, from their logs, which fonts, .fd files and glyph
// files those commands make LaTeX load, and why a run failed.
class TraceSty : public QWidget {
    Q_OBJECT
public:
    static TraceSty* instance();
    TraceSty();

    bool activated = false;
    QString tempname;
    QString tempf; // the temp folder
    QString rmdefault, sfdefault, ttdefault, encdefault;
    QStringList mathalpha;
    QString custom;
    QString MainRmDefault, MainEncDefault;

    QLabel* StaticText3;
    QPlainTextEdit* TextArea2; // the font commands
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1[3];
    QCheckBox* CheckBox1;
    QPushButton* PushButton3; // "Sample"
    QLabel* StaticText1;
    QComboBox* PopupMenu1;
    QPlainTextEdit* TextArea1; // the report
    QPushButton* PushButton2; // "Search for problem file"
    QLabel* StaticText2;
    QLineEdit* TextField2; // temp folder name
    QPushButton* PushButton1; // "Go"

    void Event_Open();
    void Event_Activate();
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void go();
    void parsesty(const QStringList& names);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The trace's end: the report shown, the buttons set.
    void finish(const TraceState& st);
};

} // namespace qlk

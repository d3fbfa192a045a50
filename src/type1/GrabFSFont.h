#pragma once
#include "type1/FontSite.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace qlk {

// "Grab FS Font Family": installs one family of the FontSite 500 CD from
// the user's copy of the CD and the fs500tex support files, then offers a
// test page of it.
class GrabFSFont : public QWidget {
    Q_OBJECT
public:
    // The open window, or a new one that has found both sources and read
    // the catalogue; nullptr when a source is missing (the window is gone).
    static GrabFSFont* instance();

    GrabFSFont();

    bool activated = false;
    FsCatalogue catalogue;   // fontb, fontfa, fontsh, fontrm, fontPi
    bool started = false;
    QString tmpfolder;       // work folder of the last installation
    QString srcF;            // the CD's "Type 1" folder
    QString srcT;            // the root of the support files
    QString fontshort;       // short name of the last installation

    QLabel* StaticText1;
    QComboBox* PopupMenu1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1[3]; // texmf-local, texmf-home, texmf-var
    QTextEdit* TextArea1;
    QLabel* StaticText4;
    QPushButton* PushButton1; // "Go"
    QPushButton* PushButton2; // "Show test"
    QLabel* StaticText5;      // status of the last installation
    QPushButton* PushButton3; // "Show text sample in Latin Modern"

    // Finds the sources and reads the catalogue; false (after telling the
    // user why) when a source is missing.
    bool initFS();
    void PopupMenu1_Change(int index);
    void RadioButton1_Action();
    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void go();
    bool preparetest(const QString& title);
    void processtest();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Event_Activate();
    void finish(bool prepared);
};

} // namespace qlk

#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace qlk {

// The Preferences dialog: shows six preferences and stores them on "Save".
// Every opening is a fresh instance that reads the current preferences.
class PrefsWindow : public QDialog {
    Q_OBJECT
public:
    // The accessor: the open dialog, or a new one.
    static PrefsWindow* instance();
    // Shows the dialog modally through the dialog service; its result code.
    static int showModal();

    PrefsWindow();

    QCheckBox* CheckBox3;                    // "ignoreupdmap"
    QGroupBox* GroupBox1;
    std::array<QRadioButton*, 2> RadioButton1; // "method" 0 and 1
    QLabel* StaticText5;                     // explains the methods
    QLabel* Label2;
    QLineEdit* TextField1;                   // "editor"
    QGroupBox* GroupBox2;
    std::array<QRadioButton*, 2> RadioButton2; // "sudo" 0 and 1
    QCheckBox* CheckBox2;                    // "useFontsite"
    QLabel* Label1;
    QLineEdit* TextField3;                   // "otftotfm"
    QPushButton* PushButton2;                // "Cancel"
    QPushButton* PushButton1;                // "Save"

    // A method button was pressed; the choice counts only on "Save".
    void RadioButton1_Action(int index);
    void PushButton1_Action();
    void PushButton2_Action();
    void Event_Open();
    // Fills the controls from the preferences.
    void load();
    // Stores the controls' values and rewrites the preferences file.
    void save();
};

} // namespace qlk

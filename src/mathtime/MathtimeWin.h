#pragma once
#include "mathtime/MtProject.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTextEdit;

namespace qlk {

class ExamineList;

// "Mathtime fontinst": builds a math italic and a bold font over mtpro2
// whose letters come from an installed text family. The work lives in
// mt::MtProject; the window keeps the controls and the flags that tie them
// together.
class MathtimeWin : public QWidget {
    Q_OBJECT
public:
    MathtimeWin();
    ~MathtimeWin() override;

    // The one window, built when none is open. When the start-up checks
    // fail it has shown why and `openFailed` is true; the caller closes it.
    static MathtimeWin* instance();
    // The menu's road: build (or take) the window and show it, or close it
    // again after a failed check.
    static void openFromMenu();
    bool openFailed() const { return openFailed_; }

    mt::MtProject& project() { return project_; }

    // Controls, named by their role.
    QTableWidget* Listbox1 = nullptr;   // glyph grid
    ExamineList* Listbox2 = nullptr;    // tfm list, master-folder drop target
    QPushButton* PushButton1 = nullptr; // Process
    QCheckBox* CheckBox1[2] = {nullptr, nullptr};
    QLineEdit* TextField4 = nullptr;    // scale factor
    QPushButton* PushButton3 = nullptr; // Test
    QPushButton* PushButton4 = nullptr; // OK
    QLineEdit* TextField2 = nullptr;    // master folder path
    QLineEdit* TextField1 = nullptr;    // Berry name
    QLineEdit* TextField3 = nullptr;    // spacing left
    QPushButton* PushButton5 = nullptr; // Show mt2
    QPushButton* PushButton6 = nullptr; // Table
    QPushButton* PushButton7 = nullptr; // Install
    QPushButton* PushButton8 = nullptr; // Imitate mtpro2 spacing
    QLineEdit* TextField5 = nullptr;    // spacing right
    QCheckBox* CheckBox2 = nullptr;     // keep the numerals
    QTextEdit* TextArea1 = nullptr;     // status
    QPushButton* PushButton9 = nullptr; // Other substitutions

    // State shared with the build and the tools.
    bool ready = false;
    int dirty = 0;
    bool imitated = false;
    int mrow = -1;
    int mcol = -1;
    QString mtpimgs;

    // A drop of files or folders on the tfm list.
    void dropItems(const QStringList& paths);
    // The handlers, callable as the controls call them.
    void pressOK();
    void doubleClickGlyph(int row, int column);
    void toggleLetterBox();
    void imitate();
    void test();
    void table();
    void install();
    void showMt2();
    void otherSubstitutions();

    // Work methods.
    void gettfms();
    void process();
    void pressprocess();
    bool Makeglyphs();
    bool MakeMetrics();
    void Clearall();
    void processmaster();
    void glyphwin();

    // What the build reads of the controls.
    mt::BuildControls controls() const;
    QString status() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    bool eventOpen();
    void setFields(const QStringList& lines);
    void clearListbox1();
    void afterBuild(bool ok);
    void tfmListChanged();
    void masterChanged();
    void setStatus(const QString& text, bool append);

    mt::MtProject project_;
    bool openFailed_ = false;
};

} // namespace qlk

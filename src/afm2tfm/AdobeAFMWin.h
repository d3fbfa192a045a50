#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace qlk {

class ExamineList;

// "Adobe AFM Downloads": the vendor's fonts the font-name database knows; a
// double-click fetches a font's AFM file from the mirror into the home folder.
class AdobeAFMWin : public QWidget {
    Q_OBJECT
public:
    static AdobeAFMWin* instance();
    AdobeAFMWin();

    bool activated = false;
    int mrow = 0;

    QLabel* StaticText1;
    ExamineList* Listbox1;
    QLabel* StaticText2;
    QLineEdit* TextField1; // the mirror's base address

    void Event_Activate();
    void load();
    void Listbox1_CellClick(int row);
    void Listbox1_DoubleClick();
    // The row's id on the mirror.
    QString rowTag(int row) const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool fetching_ = false; // a GET is running
};

} // namespace qlk

#pragma once
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

#include <functional>

namespace qlk {

// The font list of the window: four columns, files and folders dropped on it
// handed to `onDrop`.
class FontDropTable : public QTableWidget {
    Q_OBJECT
public:
    explicit FontDropTable(QWidget* parent = nullptr);
    std::function<void(const QStringList& paths)> onDrop;

    int rowCount() const { return QTableWidget::rowCount(); }
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    bool checked(int row) const;
    void setChecked(int row, bool on);
    // A new row with the file name and an unticked RAW box.
    int addFileRow(const QString& name);
    void deleteAllRows() { setRowCount(0); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// "Add individual fonts": a few Type 1 text fonts of one dropped folder made
// into a small LaTeX family with afm2tfm, then installed.
class afm2tfmWin : public QWidget {
    Q_OBJECT
public:
    static afm2tfmWin* instance();
    afm2tfmWin();

    // Working state; a fresh window starts empty.
    int mrow = 0;
    QString docf;
    bool activated = false;
    QString fontfolder; // the dropped item; empty when none
    QStringList fontfilename;
    QStringList afmlist;
    QStringList pflist;
    QString tmpfname;
    QString prefix;
    QStringList encvar;
    QStringList fdpath;
    QStringList psname;
    QStringList fontfilepath;
    QStringList fontfamily;
    QStringList fontfamilies;
    // Per afmlist entry: true when the package uses the outline TeX finds
    // installed already, and the path kpsewhich gave for it ("" when none).
    QList<bool> instpfb;
    QStringList installedOutlines;
    // AFM base names whose dropped outline the user chose over an installed
    // one of the same name.
    QStringList ownOutlines;
    QStringList maplines;
    // The work folder whose package Install put in place.
    QString installedFolder;

    QLabel* StaticText1;
    FontDropTable* Listbox1;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QLineEdit* TextField1; // supplier
    QLineEdit* TextField2; // family
    QPushButton* PushButton2; // "Prepare"
    QPushButton* PushButton3; // "Install"
    QLabel* StaticText10;
    QLabel* StaticText11;
    QLineEdit* TextField4;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton2[3]; // encoding
    QGroupBox* GroupBox3;
    QRadioButton* RadioButton3[3]; // destination

    void Event_Activate();
    void Listbox1_DropObject(const QStringList& paths);
    void Listbox1_CellClick(int row);
    bool Listbox1_ContextualMenuAction(int tag);
    bool ImportPieces();
    void Checkfields();
    void prepare();
    // Ends a prepare whose `step` failed for the font `base`: Install stays
    // off, since the .fd and map files would name a metric that is missing.
    void stopPrepare(const QString& step, const QString& base);
    void install();
    // The encoding button selected (Afm2tfmEncoding).
    int encoding() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Empties the list and forgets the folder after a refusal.
    void refuseFolder();
    // Asks whether dropped outlines whose names TeX finds installed go into
    // the package; marks the ones that do.
    void chooseOutlines();
    // Checks every outline font the work folder's TDS got; false after a
    // message naming the first damaged one.
    bool outlinesSound(const QString& supplier, const QString& family);
    // After an installation: tells the user when TeX still finds another
    // file before an outline the package brought along.
    void checkOwnOutlinesFound(const QString& tree);
};

} // namespace qlk

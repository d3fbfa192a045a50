#pragma once
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

class QMenu;
class QPushButton;

namespace qlk {

class ExamineList;

// What the otfinst and autoinst windows share: the family's state, the font
// list with its events (click, context menu with otfinfo's reports, stripes)
// and the keeping of controls at their window edges when resized.
class OpenTypeWindow : public QWidget {
    Q_OBJECT
public:
    // The family's state, held for the window's life.
    QString fontfolder;       // the dropped folder; empty when a drop was refused
    bool activated = false;   // the first activation has happened
    QStringList fontfilename; // the font files of the folder, by name
    QStringList psname;       // kept for the layout of the state; unused
    QString vendor;           // the vendor word of the fonts' URL
    QString shortname;        // shortform of the family: package, .sty and .map name
    QString fontfamily;
    QString origpy;           // the template otfinst.py
    QStringList fontlist;     // the template's Berry table ...
    QStringList berrylist;
    QStringList pypieces;     // the template's nine pieces
    QStringList scalefont;    // the template's scale table ...
    QStringList scalefactor;
    bool isPS = false;        // CFF outlines
    QStringList breakpts;     // the template's markers
    int encbnd = -1;          // the last script number
    QString srcfolder;        // the work folder
    QString docf;             // the Documents folder
    int mrow = 0;             // the font list's row clicked last
    bool installed = false;   // installed and the map enabled

    ExamineList* Listbox1 = nullptr;

    // The folder of the last test document.
    QString lastTestFolder;

    bool Listbox1_CellClick(int row);
    bool Listbox1_ConstructContextualMenu(QMenu* base);
    // Shows otfinfo's --info (1) or --features (2) answer for row mrow.
    bool Listbox1_ContextualMenuAction(int tag);

    void Event_Open();
    // Once, at the window's first activation.
    virtual void Event_Activate() = 0;
    virtual void Event_Close() = 0;
    // Whether the dropped fontfolder holds fonts the tool takes (after the
    // message when not).
    virtual bool ImportPieces() = 0;
    QString Computesf(int kind);

protected:
    explicit OpenTypeWindow(QWidget* parent = nullptr);
    // Offscreen and without a window manager a window may never be
    // activated; the first showing counts as the first activation.
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Takes the single folder of a drop as fontfolder, the window brought
    // forward; false (after the message) when the drop is refused, also when
    // the folder holds what no font reader may open or fonts (by `endings`)
    // whose names are unsafe on a command line.
    bool takeDroppedFolder(const QStringList& paths, const QStringList& endings);
    // The fonts of fontfolder with one of the given endings, by name, into
    // fontfilename, the log and the list.
    void listFontFiles(const QStringList& endings);
    // Whether the fonts of fontfolder with one of the given endings may go
    // on: those pdfTeX here cannot embed are named in a question, whose
    // default is No.
    bool acceptOs2Tables(const QStringList& endings);
    // The family and vendor otfinfo reads from the first font, and the
    // shortform of the family.
    void readFamilyNames();
    // The font list at its place in the layout, events bound.
    void makeFontList(const QRect& geometry, const QString& helpTag);
    // Replaces the list's rows; they belong to `folder` from now on.
    void setFontRows(const QString& folder, const QStringList& names);

    enum Edge { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    // Places a control and keeps its distance to the given edges.
    void place(QWidget* w, int x, int y, int width, int height, int edges);
    // A placed push button, disabled until its step can be taken.
    QPushButton* addButton(const char* caption, int x, int y, int width, int height, int edges);
    void resizeEvent(QResizeEvent* event) override;
    // The size the layout is given in.
    QSize designSize;

    // The folder the list's rows came from: a refused drop empties
    // fontfolder but the rows still name these fonts.
    QString rowsFolder_;

private:
    struct Anchored {
        QWidget* widget;
        QRect rect;
        int edges;
    };
    QList<Anchored> anchored_;
};

} // namespace qlk

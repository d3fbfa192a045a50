#pragma once
#include "ui/GlyphGuides.h"

#include <QDialog>
#include <QImage>

#include <array>

class QLabel;
class QPushButton;

namespace qlk {

class MathtimeWin;

// "Glyph adjustments": a glyph of the companion font beside the mtpro2
// glyph, with the left, right, accent and subscript guides that the user
// moves by mouse or arrow keys. Each pixel is 5 units of the glyph's row in
// the MathTime window's grid.
class glyphwindow : public QDialog {
    Q_OBJECT
public:
    explicit glyphwindow(MathtimeWin* owner);

    // The glyph number to show first; set before the window is shown.
    int target = 0;
    QString charName;

    QWidget* Canvas1 = nullptr;     // the glyph and its guides
    QPushButton* PushButton1 = nullptr; // Done
    QPushButton* PushButton2 = nullptr; // Cancel
    QWidget* Canvas2 = nullptr;     // the reference glyph
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;       // the glyph's name
    QPushButton* PushButton3 = nullptr; // Next
    QPushButton* PushButton4 = nullptr; // Prev

    GlyphGuides guides{kMathTimeGuides};
    QImage pic1, pic2, hat, redhat;

    // The name the editor shows for a glyph number ("A-Italic", "z-Bold").
    static QString glyphName(int glyph);

    void Drawpics();
    void Save();
    void next();
    void prev();
    void done();

    // Painting, as the canvases call it.
    void paintGlyph(class QPainter& g) const;
    void paintReference(class QPainter& g) const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<double, 4> rowCells() const;
    // Left and right move the selected guide by a pixel; false when no
    // guide is selected or another key was pressed.
    bool arrowKey(class QKeyEvent* event);

    MathtimeWin* owner_;
    bool activated_ = false;
    int cw_ = 0, ch_ = 0;
};

} // namespace qlk

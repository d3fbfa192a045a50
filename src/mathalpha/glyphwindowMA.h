#pragma once
#include "ui/GlyphGuides.h"

#include <QDialog>
#include <QImage>

class QPushButton;

namespace qlk {

class GlyphCanvas;

// "Glyph adjustments": one glyph's picture with its left and right side
// lines, subscript line and accent hat, which the user drags sideways or
// nudges with the arrow keys. Leaving a glyph writes the moves, 5 font units
// a pixel, into the math-alphabet window's grid; Done rebuilds the font.
class glyphwindowMA : public QDialog {
    Q_OBJECT
public:
    static glyphwindowMA* instance();
    glyphwindowMA();

    GlyphCanvas* Canvas1;
    QPushButton* PushButton1; // "Done"
    QPushButton* PushButton2; // "Cancel"
    QPushButton* PushButton3; // "Next"
    QPushButton* PushButton4; // "Prev"

    int target = 0;
    QChar chr;
    bool activated = false;
    QString masterf;
    QString mtpimgs;
    QImage pic1, hat, redhat;
    int cw = 0;
    int ch = 0;
    GlyphGuides guides{kMathAlphabetGuides};

    void PushButton1_Action();
    void PushButton2_Action();
    void PushButton3_Action();
    void PushButton4_Action();
    void Event_Open();
    void Event_Activate();
    bool Event_KeyDown(int key);
    void getchar();
    void Drawpics();
    void Save();

    void paintCanvas(class QPainter& p);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The drawing area of the glyph editor; paints and passes the mouse on.
class GlyphCanvas : public QWidget {
    Q_OBJECT
public:
    explicit GlyphCanvas(glyphwindowMA* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    glyphwindowMA* owner_;
};

} // namespace qlk

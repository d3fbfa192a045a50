#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

namespace qlk {

// The guide model shared by the two glyph editors (math alphabets and
// MathTime): a glyph picture inside a "glyph box", with four guides the user
// moves sideways. One picture pixel stands for 5 font units. The editors
// differ only in the constants of GuideStyle.
struct GuideStyle {
    // Pixels between the top of the glyph box and the top of the picture;
    // the box is this much taller than the picture.
    int pictureOffset;
    // A press selects the hat only when it lies less than this many pixels
    // below the top of the glyph box.
    int hatZoneDepth;
    // True: the right guide and the subscript guide are kept as distances
    // from the picture's left edge, and the box is centred with the left side
    // added. False: both are kept as distances from the left guide.
    bool fromPictureEdge;
};

// The math-alphabet editor: box = picture + 7, hat zone b < 40, guides from
// the picture's edge.
extern const GuideStyle kMathAlphabetGuides;
// The MathTime editor: box = picture + 8, hat zone b <= 35, guides from the
// left guide.
extern const GuideStyle kMathTimeGuides;

// The metrics of one glyph and its four adjustments, in font units.
struct GlyphMetrics {
    int leftside = 0;  // origin to the left edge of the ink
    int subpos = 0;    // advance width
    int ic = 0;        // italic correction
};
struct GlyphAdjustments {
    int left = 0;
    int right = 0;
    int subscript = 0;
    int accent = 0;
};

enum GuideId { GuideNone = 0, GuideLeft = 1, GuideRight = 2, GuideHat = 3, GuideSubscript = 4 };

class GlyphGuides {
public:
    explicit GlyphGuides(const GuideStyle& style) : style_(style) {}

    // Lays out a glyph whose picture has `picture` size on a canvas of
    // `canvas` size; clears the moves and the selection.
    void load(const GlyphMetrics& metrics, const GlyphAdjustments& adjust, QSize picture,
              QSize canvas);

    // Mouse and keys. press() returns the guide it selected (GuideNone when
    // it missed them all); drag() and release() add the sideways distance
    // to the selected guide's move; nudge() moves it by `step` pixels and
    // tells whether a guide was selected.
    int press(int x, int y);
    void drag(int x);
    void release(int x);
    bool nudge(int step);

    // The four cells of the glyph's row after the moves: left lowered by 5
    // per pixel moved right, the others raised by 5 per pixel.
    std::array<double, 4> saved(const std::array<double, 4>& cells) const;

    // Geometry for painting, in canvas pixels.
    QPoint pictureTopLeft() const { return {pu, py + style_.pictureOffset}; }
    QRect coverRect() const { return {px + 2, py, tw - 4, 35}; } // hides the accent of the picture
    int leftGuideX() const { return px + dl; }
    int rightGuideX() const { return guideBase() + tw + dr; }
    int guideTop() const { return py; }
    int guideBottom() const { return py + ph1; }
    int hatLeft() const; // the hat picture's left edge; its centre line is 31 px right of it
    int subscriptX() const { return guideBase() + sp + ds - 1; }
    int subscriptTop() const { return py + ph1 - 30; }
    int subscriptBottom() const { return py + ph1 + 15; }
    bool moved() const { return dl != 0 || dr != 0 || ds != 0 || da != 0; }

    // The stored layout of the glyph on show (changed only by load) ...
    int ls = 0;   // left guide to the picture's left edge
    int tw = 0;   // to the right guide (from the picture's edge or the left guide, see GuideStyle)
    int sp = 0;   // to the subscript guide (same base as tw)
    int ac = 0;   // accent shift of the hat
    int px = 0;   // x of the left guide as stored
    int pu = 0;   // x of the picture's left edge
    int py = 0;   // y of the top of the glyph box
    int ph1 = 0;  // height of the glyph box
    // ... and what the user did to it since.
    int dl = 0, dr = 0, ds = 0, da = 0;
    int highlight = GuideNone;
    int xc = 0;   // x of the last press or drag step

private:
    int guideBase() const { return style_.fromPictureEdge ? pu : px; }
    double hatCentre() const;
    void addMove(int d);

    GuideStyle style_;
};

} // namespace qlk

#include "ui/GlyphGuides.h"

#include <cmath>
#include <cstdlib>

namespace qlk {

const GuideStyle kMathAlphabetGuides{7, 40, true};
// b <= 35 in whole pixels.
const GuideStyle kMathTimeGuides{8, 36, false};

namespace {
// Nearest whole number, halves away from zero.
int nearest(double v)
{
    return int(std::lround(v));
}
} // namespace

void GlyphGuides::load(const GlyphMetrics& m, const GlyphAdjustments& a, QSize picture,
                       QSize canvas)
{
    highlight = GuideNone;
    dl = dr = ds = da = 0;
    ph1 = picture.height() + style_.pictureOffset;
    ls = nearest((m.leftside + a.left) / 5.0);
    ac = nearest(a.accent / 5.0);
    int boxWidth = 0;
    if (style_.fromPictureEdge) {
        sp = nearest((m.subpos - m.leftside + a.subscript) / 5.0);
        tw = nearest((m.subpos - m.leftside + m.ic + a.right) / 5.0);
        boxWidth = tw + ls;
    } else {
        sp = nearest((m.subpos + a.left + a.subscript) / 5.0);
        tw = nearest((m.subpos + m.ic + a.left + a.right) / 5.0);
        boxWidth = tw;
    }
    // Integer division truncates toward zero, as the layout wants.
    px = (canvas.width() - boxWidth) / 2;
    pu = px + ls;
    py = (canvas.height() - ph1) / 2;
}

double GlyphGuides::hatCentre() const
{
    // Midway between the two side guides as painted, shifted by the accent.
    const double leftGuide = px + dl;
    const double rightGuide = rightGuideX();
    return (leftGuide + rightGuide) / 2.0 + ac + da;
}

int GlyphGuides::hatLeft() const
{
    return int(std::trunc(hatCentre() - 31));
}

int GlyphGuides::press(int x, int y)
{
    xc = x;
    const int b = y - py;
    const int r = int(std::trunc(x - hatCentre()));
    if (std::abs(x - px - dl) < 4)
        highlight = GuideLeft;
    else if (b < ph1 - 15 && std::abs(x - guideBase() - tw - dr) < 4)
        highlight = GuideRight;
    else if (b < style_.hatZoneDepth && std::abs(r) < 40)
        highlight = GuideHat;
    else if (b > ph1 - 34 && std::abs(x - guideBase() - sp - ds) < 4)
        highlight = GuideSubscript;
    else
        highlight = GuideNone;
    return highlight;
}

void GlyphGuides::addMove(int d)
{
    switch (highlight) {
    case GuideLeft: dl += d; break;
    case GuideRight: dr += d; break;
    case GuideHat: da += d; break;
    case GuideSubscript: ds += d; break;
    default: break;
    }
}

void GlyphGuides::drag(int x)
{
    addMove(x - xc);
    xc = x;
}

void GlyphGuides::release(int x)
{
    addMove(x - xc);
}

bool GlyphGuides::nudge(int step)
{
    if (highlight == GuideNone)
        return false;
    addMove(step);
    return true;
}

std::array<double, 4> GlyphGuides::saved(const std::array<double, 4>& cells) const
{
    return {cells[0] - 5.0 * dl, cells[1] + 5.0 * dr, cells[2] + 5.0 * ds, cells[3] + 5.0 * da};
}

} // namespace qlk

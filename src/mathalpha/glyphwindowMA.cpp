#include "mathalpha/glyphwindowMA.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/FontMeasure.h"
#include "mathalpha/MathAlphabetWin.h"
#include "ui/SingleWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <cmath>

namespace qlk {

using namespace mathalpha;

glyphwindowMA* glyphwindowMA::instance()
{
    return singleWindow<glyphwindowMA>();
}

glyphwindowMA::glyphwindowMA()
{
    setWindowTitle(QStringLiteral("Glyph adjustments"));
    resize(450, 400);
    setMinimumSize(64, 64);
    setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    Canvas1 = new GlyphCanvas(this);
    Canvas1->setGeometry(9, 23, 433, 325);
    PushButton4 = new QPushButton(QStringLiteral("Prev"), this);
    PushButton4->setGeometry(55, 370, 80, 20);
    PushButton3 = new QPushButton(QStringLiteral("Next"), this);
    PushButton3->setGeometry(147, 370, 80, 20);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setGeometry(239, 370, 80, 20);
    PushButton1 = new QPushButton(QStringLiteral("Done"), this);
    PushButton1->setGeometry(331, 370, 80, 20);
    PushButton1->setDefault(true);
    setTabOrder(Canvas1, PushButton1);
    setTabOrder(PushButton1, PushButton2);
    setTabOrder(PushButton2, PushButton3);
    setTabOrder(PushButton3, PushButton4);
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Action(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Action(); });
    Event_Open();
}

void glyphwindowMA::Event_Open()
{
    if (MathAlphabetWin* w = MathAlphabetWin::existing()) {
        masterf = w->masterfolder;
        mtpimgs = w->mtpimgs;
    }
    // A missing picture leaves an empty image: nothing is drawn for it.
    hat = QImage(mtpimgs + QStringLiteral("/LMhat.png"));
    redhat = QImage(mtpimgs + QStringLiteral("/LMredhat.png"));
}

void glyphwindowMA::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Event_Activate();
}

void glyphwindowMA::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    cw = Canvas1->width();
    ch = Canvas1->height();
    Drawpics();
}

void glyphwindowMA::getchar()
{
    chr = glyphLetter(target);
}

void glyphwindowMA::Drawpics()
{
    getchar();
    pic1 = QImage(masterf + QStringLiteral("/imgs/gl%1.png").arg(target + 1));
    GlyphMetrics m;
    GlyphAdjustments a;
    if (MathAlphabetWin* w = MathAlphabetWin::existing(); w && target >= 0 && target < kGlyphs) {
        m = {w->metrics.leftside[target], w->metrics.subpos[target], w->metrics.ic[target]};
        a = {w->xx[target][0], w->xx[target][1], w->xx[target][2], w->xx[target][3]};
    }
    guides.load(m, a, pic1.size(), QSize(cw, ch));
    update();
}

void glyphwindowMA::Save()
{
    MathAlphabetWin* w = MathAlphabetWin::existing();
    if (!w || target < 0 || target >= w->Listbox1->rowCount())
        return;
    std::array<double, 4> cells{};
    for (int k = 0; k < 4; ++k)
        cells[k] = leadingNumber(w->Listbox1->cell(target, k + 1));
    const std::array<double, 4> saved = guides.saved(cells);
    for (int k = 0; k < 4; ++k)
        w->Listbox1->setCell(target, k + 1, QString::number(saved[k]));
    for (int k = 0; k < 4; ++k)
        w->xx[target][k] = int(std::trunc(leadingNumber(w->Listbox1->cell(target, k + 1))));
}

void glyphwindowMA::PushButton1_Action()
{
    Save();
    accept();
    close();
    if (MathAlphabetWin* w = MathAlphabetWin::existing())
        w->process();
}

void glyphwindowMA::PushButton2_Action()
{
    reject();
    close();
}

void glyphwindowMA::PushButton3_Action()
{
    Save();
    target = target >= kGlyphs - 1 ? 0 : target + 1;
    Drawpics();
}

void glyphwindowMA::PushButton4_Action()
{
    Save();
    target = target <= 0 ? kGlyphs - 1 : target - 1;
    Drawpics();
}

bool glyphwindowMA::Event_KeyDown(int key)
{
    int step = 0;
    if (key == Qt::Key_Left)
        step = -1;
    else if (key == Qt::Key_Right)
        step = 1;
    if (step == 0 || !guides.nudge(step))
        return false;
    Canvas1->update();
    return true;
}

void glyphwindowMA::keyPressEvent(QKeyEvent* event)
{
    if (Event_KeyDown(event->key()))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void glyphwindowMA::paintCanvas(QPainter& p)
{
    if (pic1.isNull())
        return;
    const GlyphGuides& g = guides;
    p.drawImage(g.pictureTopLeft(), pic1);
    p.fillRect(g.coverRect(), Qt::white);
    auto colour = [&g](int which) { return g.highlight == which ? QColor(255, 0, 0) : QColor(Qt::black); };
    p.setPen(QPen(colour(GuideLeft), 1));
    p.drawLine(g.leftGuideX(), g.guideTop(), g.leftGuideX(), g.guideBottom());
    p.setPen(QPen(colour(GuideRight), 1));
    p.drawLine(g.rightGuideX(), g.guideTop(), g.rightGuideX(), g.guideBottom());
    const QImage& h = g.highlight == GuideHat ? redhat : hat;
    if (!h.isNull())
        p.drawImage(QPoint(g.hatLeft(), g.py), h);
    p.setPen(QPen(colour(GuideSubscript), 3));
    p.drawLine(g.subscriptX(), g.subscriptBottom(), g.subscriptX(), g.subscriptTop());
}

GlyphCanvas::GlyphCanvas(glyphwindowMA* owner) : QWidget(owner), owner_(owner)
{
    setFocusPolicy(Qt::NoFocus);
}

void GlyphCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    owner_->paintCanvas(p);
}

void GlyphCanvas::mousePressEvent(QMouseEvent* event)
{
    // A context click is left to the toolkit.
    if (event->button() != Qt::LeftButton || (event->modifiers() & Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    owner_->guides.press(at.x(), at.y());
    owner_->update();
    update();
}

void GlyphCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    owner_->guides.drag(event->position().toPoint().x());
    update();
}

void GlyphCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    owner_->guides.release(event->position().toPoint().x());
    update();
}

} // namespace qlk

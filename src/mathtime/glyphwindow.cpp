#include "mathtime/glyphwindow.h"

#include "mathtime/MathtimeWin.h"
#include "mathtime/MtModel.h"
#include "mathtime/MtProject.h"
#include "platform/Paths.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>

namespace qlk {

namespace {

// A plain drawing surface; the window paints it.
class Canvas : public QWidget {
public:
    Canvas(QWidget* parent, std::function<void(QPainter&)> paint) : QWidget(parent), paint_(std::move(paint))
    {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter g(this);
        paint_(g);
    }

private:
    std::function<void(QPainter&)> paint_;
};

QPushButton* button(QWidget* parent, const QString& text, int x, int y)
{
    auto* b = new QPushButton(text, parent);
    b->setGeometry(x, y, 80, 20);
    b->setAutoDefault(false);
    return b;
}

} // namespace

glyphwindow::glyphwindow(MathtimeWin* owner) : QDialog(owner), owner_(owner)
{
    setWindowTitle(QStringLiteral("Glyph adjustments"));
    resize(658, 399);
    setMinimumSize(64, 64);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Canvas1 = new Canvas(this, [this](QPainter& g) { paintGlyph(g); });
    Canvas1->setGeometry(6, 40, 314, 303);
    Canvas1->installEventFilter(this);
    PushButton1 = button(this, QStringLiteral("Done"), 569, 370);
    PushButton1->setDefault(true);
    PushButton2 = button(this, QStringLiteral("Cancel"), 477, 370);
    Canvas2 = new Canvas(this, [this](QPainter& g) { paintReference(g); });
    Canvas2->setGeometry(332, 40, 320, 303);
    Label1 = new QLabel(QStringLiteral("Mtpro2"), this);
    Label1->setGeometry(416, 8, 78, 20);
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(QStringLiteral("Current font"), this);
    Label2->setGeometry(85, 8, 117, 20);
    Label2->setAlignment(Qt::AlignCenter);
    Label3 = new QLabel(QStringLiteral("Untitled"), this);
    Label3->setGeometry(6, 345, 196, 20);
    PushButton3 = button(this, QStringLiteral("Next"), 385, 370);
    PushButton4 = button(this, QStringLiteral("Prev"), 293, 370);
    setTabOrder(PushButton1, PushButton2);
    setTabOrder(PushButton2, PushButton3);
    setTabOrder(PushButton3, PushButton4);

    // The arrow keys move the selected guide even while a button has the
    // focus; buttons would otherwise take them to move the focus.
    for (QPushButton* b : {PushButton1, PushButton2, PushButton3, PushButton4})
        b->installEventFilter(this);

    connect(PushButton1, &QPushButton::clicked, this, [this] { done(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { reject(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { next(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { prev(); });

    const QString img = owner_->mtpimgs;
    hat.load(img + QStringLiteral("/mtpro2hat.png"));
    redhat.load(img + QStringLiteral("/mtpro2redhat.png"));
}

QString glyphwindow::glyphName(int glyph)
{
    if (glyph < 0 || glyph >= mt::kGlyphCount)
        return QString();
    if (glyph >= mt::kFirstBold)
        return mt::glyphLabel(glyph).section(QLatin1Char('-'), 0, 0) + QStringLiteral("-Bold");
    return mt::glyphLabel(glyph);
}

std::array<double, 4> glyphwindow::rowCells() const
{
    std::array<double, 4> cells{};
    for (int k = 0; k < 4; ++k) {
        const QTableWidgetItem* item = owner_->Listbox1->item(target, k + 1);
        cells[k] = item ? mt::numericValue(item->text()) : 0.0;
    }
    return cells;
}

void glyphwindow::Drawpics()
{
    if (target < 0 || target >= mt::kGlyphCount)
        return;
    const QString name = glyphName(target);
    if (!name.isEmpty())
        charName = name;
    Label3->setText(charName);
    const QString n = QString::number(target + 1);
    // A picture that is missing leaves its canvas empty.
    pic1 = QImage(owner_->project().masterEntry(QStringLiteral("imgs/gl") + n + QStringLiteral(".png")));
    const QString refs = mt::referencePictureFolder();
    pic2 = refs.isEmpty() ? QImage() : QImage(refs + QStringLiteral("/mtp") + n + QStringLiteral(".png"));

    const std::array<double, 4> cells = rowCells();
    GlyphAdjustments a;
    a.left = int(cells[0]);
    a.right = int(cells[1]);
    a.subscript = int(cells[2]);
    a.accent = int(cells[3]);
    GlyphMetrics m;
    const mt::GlyphMetrics& measured = owner_->project().measured;
    m.leftside = measured.leftside[target];
    m.subpos = measured.sub[target];
    m.ic = measured.ic[target];
    guides.load(m, a, pic1.isNull() ? QSize(0, 0) : pic1.size(), QSize(cw_, ch_));
    Canvas1->update();
    Canvas2->update();
    update();
}

void glyphwindow::Save()
{
    const std::array<double, 4> values = guides.saved(rowCells());
    for (int k = 0; k < 4; ++k) {
        QTableWidgetItem* item = owner_->Listbox1->item(target, k + 1);
        if (!item) {
            item = new QTableWidgetItem();
            owner_->Listbox1->setItem(target, k + 1, item);
        }
        item->setText(mt::plainNumber(values[k]));
    }
}

void glyphwindow::next()
{
    Save();
    target = target >= mt::kGlyphCount - 1 ? 0 : target + 1;
    Drawpics();
}

void glyphwindow::prev()
{
    Save();
    target = target <= 0 ? mt::kGlyphCount - 1 : target - 1;
    Drawpics();
}

void glyphwindow::done()
{
    Save();
    accept();
    owner_->process();
}

void glyphwindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    cw_ = Canvas1->width();
    ch_ = Canvas1->height();
    Drawpics();
}

void glyphwindow::keyPressEvent(QKeyEvent* event)
{
    if (!arrowKey(event))
        QDialog::keyPressEvent(event);
}

bool glyphwindow::arrowKey(QKeyEvent* event)
{
    int step = 0;
    if (event->key() == Qt::Key_Left)
        step = -1;
    else if (event->key() == Qt::Key_Right)
        step = 1;
    if (step == 0 || !guides.nudge(step))
        return false;
    Canvas1->update();
    return true;
}

bool glyphwindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Canvas1) {
        if (event->type() == QEvent::KeyPress && qobject_cast<QPushButton*>(watched))
            return arrowKey(static_cast<QKeyEvent*>(event));
        return QDialog::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false; // a context click changes nothing
        const QPoint p = e->position().toPoint();
        guides.press(p.x(), p.y());
        update();
        Canvas1->update();
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (!(e->buttons() & Qt::LeftButton))
            return false;
        guides.drag(e->position().toPoint().x());
        Canvas1->update();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        guides.release(e->position().toPoint().x());
        Canvas1->update();
        return true;
    }
    default:
        return false;
    }
}

void glyphwindow::paintGlyph(QPainter& g) const
{
    if (pic1.isNull())
        return;
    g.drawImage(guides.pictureTopLeft(), pic1);
    g.fillRect(guides.coverRect(), Qt::white);
    auto colour = [&](int guide) { return guides.highlight == guide ? QColor(255, 0, 0) : QColor(0, 0, 0); };
    g.setPen(QPen(colour(GuideLeft), 1));
    g.drawLine(guides.leftGuideX(), guides.guideTop(), guides.leftGuideX(), guides.guideBottom());
    g.setPen(QPen(colour(GuideRight), 1));
    g.drawLine(guides.rightGuideX(), guides.guideTop(), guides.rightGuideX(), guides.guideBottom());
    const QImage& h = guides.highlight == GuideHat ? redhat : hat;
    if (!h.isNull())
        g.drawImage(QPoint(guides.hatLeft(), guides.guideTop()), h);
    g.setPen(QPen(colour(GuideSubscript), 3));
    g.drawLine(guides.subscriptX(), guides.subscriptBottom(), guides.subscriptX(), guides.subscriptTop());
}

void glyphwindow::paintReference(QPainter& g) const
{
    if (pic2.isNull())
        return;
    // Centred by the glyph canvas's size, so the two glyphs stand alike.
    g.drawImage(QPoint((cw_ - pic2.width()) / 2, (ch_ - pic2.height()) / 2), pic2);
}

} // namespace qlk

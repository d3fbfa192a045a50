// Build-time tool: turns dvipng's tight picture of the circumflex (black on
// white) into the editor's two hat pictures, 62 pixels wide with the accent
// centred on x = 31, on a transparent ground: one black, one pure red.
#include <QColor>
#include <QImage>
#include <QPainter>

#include <cstdio>

static bool writeHat(const QImage& ink, const QColor& colour, const char* path)
{
    const int width = 62;
    QImage out(width, ink.height(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const int left = (width - ink.width()) / 2;
    for (int y = 0; y < ink.height(); ++y) {
        for (int x = 0; x < ink.width(); ++x) {
            const int alpha = 255 - qGray(ink.pixel(x, y));
            if (alpha > 0 && x + left >= 0 && x + left < width)
                out.setPixelColor(x + left, y,
                                  QColor(colour.red(), colour.green(), colour.blue(), alpha));
        }
    }
    return out.save(QString::fromLocal8Bit(path), "PNG");
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_hats tight.png LMhat.png LMredhat.png\n");
        return 2;
    }
    QImage ink(QString::fromLocal8Bit(argv[1]));
    if (ink.isNull()) {
        std::fprintf(stderr, "make_hats: cannot read %s\n", argv[1]);
        return 1;
    }
    ink = ink.convertToFormat(QImage::Format_RGB32);
    if (!writeHat(ink, Qt::black, argv[2]) || !writeHat(ink, QColor(255, 0, 0), argv[3])) {
        std::fprintf(stderr, "make_hats: cannot write the pictures\n");
        return 1;
    }
    return 0;
}

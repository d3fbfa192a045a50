#include "fontinfo/FontMeasure.h"

#include "fontinfo/ScratchFolder.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <optional>

namespace qlk {

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    const int start = i;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    while (i < n && text.at(i).isDigit())
        ++i;
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && text.at(i).isDigit())
            ++i;
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok ? v : 0.0;
}

namespace {

// The last blank-separated word of the piece's text before its first ";":
// for "; N B ; B 17 0 641 662 ;" the top of the bounding box, 662.
std::optional<int> boxTop(const QString& piece)
{
    const int semi = piece.indexOf(QLatin1Char(';'));
    if (semi < 0)
        return std::nullopt;
    const QString last = piece.left(semi).trimmed().split(QLatin1Char(' ')).last();
    return static_cast<int>(std::lround(leadingNumber(last)));
}

// The top of a glyph's box, read after its "; N <glyph> ;" marker when the
// glyph occurs exactly once. The glyph name keeps its letter case, so that
// B and b (or X and x) are never taken for each other.
std::optional<int> glyphTop(const QString& afm, const QString& glyph)
{
    const QStringList parts = afm.split(QStringLiteral("; N ") + glyph + QStringLiteral(" ;"));
    if (parts.size() != 2)
        return std::nullopt;
    return boxTop(parts.at(1));
}

} // namespace

void afmHeights(const QString& afmPath, int& xHeight, int& capHeight)
{
    QFile f(afmPath);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QString afm = QString::fromLatin1(f.readAll());
    if (const auto cap = glyphTop(afm, QStringLiteral("B")))
        capHeight = *cap;
    if (const auto x = glyphTop(afm, QStringLiteral("x")))
        xHeight = *x;
}

QString measureFont(const QString& ext, const QString& path)
{
    const QString folder = makeScratchFolder(documentsFolder());
    if (folder.isEmpty())
        return QString();
    runShell(shellQuote(systemProgram(QStringLiteral("cp"))) + QLatin1Char(' ') + shellQuote(path) + QLatin1Char(' ') +
             shellQuote(folder));
    if (lastShell.errorCode != 0) {
        // Nothing was copied: take the empty folder away again.
        QDir().rmdir(folder);
        return QString();
    }
    const QString fileName = path.section(QLatin1Char('/'), -1);
    const QString e = ext.toLower();
    QString metric = folder + QStringLiteral("/tmp.afm");
    QString converter;
    if (e == QLatin1String(".pfb") || e == QLatin1String(".pfa"))
        converter = shellQuote(texProgram(QStringLiteral("t1rawafm")));
    else if (e == QLatin1String(".ttf"))
        converter = shellQuote(texProgram(QStringLiteral("ttf2afm")));
    else if (e == QLatin1String(".afm"))
        metric = folder + QLatin1Char('/') + fileName;
    if (!converter.isEmpty())
        runShell(QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") + converter +
                 QStringLiteral(" -o tmp.afm ") + shellQuote(fileName));

    QString result;
    if (QFileInfo(metric).isFile()) {
        int xHeight = 0, capHeight = 0;
        afmHeights(metric, xHeight, capHeight);
        result = QStringLiteral("x-height=") + QString::number(xHeight) + QStringLiteral(", Capheight=") +
                 QString::number(capHeight);
    }
    removeScratchFolder(folder);
    return result;
}

} // namespace qlk

#include "mathalpha/GlyphMeasure.h"

#include "fontinfo/FontMeasure.h"
#include "platform/Paths.h"
#include "platform/Quote.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace qlk::mathalpha {

namespace {

QString preamble(const QString& sty, const QString& alphabet)
{
    return QStringLiteral("\\documentclass{article}\n\\usepackage{%1}\n\\def\\mtype#1{\\math%2{#1}}\n"
                          "\\usepackage{multido}\n\\pagestyle{empty}\n\\begin{document}\n")
        .arg(sty, alphabet);
}

QString tex(const char* name)
{
    return shellQuote(texProgram(QString::fromLatin1(name)));
}

QString sys(const char* name)
{
    return shellQuote(systemProgram(QString::fromLatin1(name)));
}

} // namespace

QString measuringDocument(const QString& sty, const QString& alphabet)
{
    return preamble(sty, alphabet) +
           QStringLiteral("\\multido{\\i=65+1}{26}{$\\mtype{\\char\\i}$\\newpage\n"
                          "\\vrule width.025bp\\hspace{5.975bp}$\\mtype{\\char\\i}$\\newpage}\n"
                          "\\multido{\\i=97+1}{26}{$\\mtype{\\char\\i}$\\newpage\n"
                          "\\vrule width.025bp\\hspace{5.975bp}$\\mtype{\\char\\i}$\\newpage}\n"
                          "\\end{document}\n");
}

QString pictureDocument(const QString& sty, const QString& alphabet)
{
    return preamble(sty, alphabet) +
           QStringLiteral("\\multido{\\i=65+1}{26}{$\\dot{\\mtype{\\char\\i}}$\\newpage}\n"
                          "\\multido{\\i=97+1}{26}{$\\dot{\\mtype{\\char\\i}}$\\newpage}\n"
                          "\\end{document}\n");
}

namespace {
QString incompleteWidths(int found)
{
    return QStringLiteral("The measuring pictures are incomplete: %1 of %2 page widths were found in lst.txt.")
        .arg(found)
        .arg(kMeasurePages);
}

bool saneWidth(int w)
{
    return w >= 0 && w <= kMetricLimit;
}
} // namespace

bool parsePageWidths(const QStringList& lines, QVector<int>& widths, QString* error)
{
    widths = QVector<int>(kMeasurePages, 0);
    QVector<bool> seen(kMeasurePages, false);
    int found = 0;
    const int n = int(qMin<qsizetype>(lines.size(), kMeasurePages));
    for (int i = 0; i < n; ++i) {
        const QString& line = lines.at(i);
        if (line.trimmed().isEmpty())
            continue;
        const QString shortened = line.mid(3); // "glt"
        bool ok = false;
        const int page = shortened.section(QLatin1Char('.'), 0, 0).toInt(&ok);
        const int x = shortened.indexOf(QStringLiteral(" x "));
        if (!ok || page < 1 || page > kMeasurePages || x < 0 || seen[page - 1])
            continue;
        const QStringList words = shortened.left(x).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int w = words.isEmpty() ? 0 : words.last().toInt(&ok);
        if (!ok || !saneWidth(w))
            continue;
        widths[page - 1] = w;
        seen[page - 1] = true;
        ++found;
    }
    if (found < kMeasurePages) {
        if (error)
            *error = incompleteWidths(found);
        return false;
    }
    return true;
}

namespace {
// The number after `key` up to the next ")", times 1000, rounded.
bool thousandths(const QString& piece, const QString& key, int from, int* value, int* end)
{
    const int at = piece.indexOf(key, from);
    if (at < 0)
        return false;
    const int start = at + int(key.size());
    const int close = piece.indexOf(QLatin1Char(')'), start);
    bool ok = false;
    const double v = piece.mid(start, close < 0 ? -1 : close - start).trimmed().toDouble(&ok);
    if (!ok)
        return false;
    *value = int(std::lround(v * 1000.0));
    if (end)
        *end = start;
    return true;
}
} // namespace

bool parseVplLetters(const QString& vpl, const QString& fontName, std::array<int, kGlyphs>& subpos,
                     std::array<int, kGlyphs>& ic, QString* error)
{
    const QStringList halves = vpl.split(QStringLiteral("(CHARACTER D 65 "));
    if (halves.size() != 2) {
        if (error)
            *error = QStringLiteral("Error searching ") + fontName + QStringLiteral(".vpl for (CHARACTER D 65");
        return false;
    }
    QStringList pieces = halves.at(1).split(QStringLiteral("(CHARACTER D "));
    pieces[0] = QStringLiteral("65 ") + pieces.at(0);
    std::array<int, kGlyphs> wd{};
    std::array<int, kGlyphs> italic{};
    std::array<bool, kGlyphs> have{};
    for (const QString& raw : pieces) {
        const QString piece = raw.trimmed();
        const int code = piece.section(QLatin1Char(' '), 0, 0).toInt();
        if (code > 122)
            break;
        int index = -1;
        if (code >= 65 && code <= 90)
            index = code - 65;
        else if (code >= 97 && code <= 122)
            index = code - 71;
        if (index < 0)
            continue;
        int end = 0;
        if (!thousandths(piece, QStringLiteral("CHARWD R "), 0, &wd[index], &end))
            continue;
        if (!thousandths(piece, QStringLiteral("CHARIC R "), end, &italic[index], nullptr))
            italic[index] = 0;
        have[index] = true;
    }
    for (int k = 0; k < kGlyphs; ++k) {
        if (!have[k]) {
            if (error)
                *error = QStringLiteral("The property list ") + fontName +
                         QStringLiteral(".vpl gives no width for the letter ") + glyphLetter(k);
            return false;
        }
    }
    subpos = wd;
    ic = italic;
    return true;
}

bool metricsFromWidths(const QVector<int>& widths, Metrics& m, QList<int>* protruding, QString* error)
{
    const int found = int(std::count_if(widths.begin(), widths.end(), saneWidth));
    if (widths.size() != kMeasurePages || found < kMeasurePages) {
        if (error)
            *error = incompleteWidths(qMin(found, kMeasurePages));
        return false;
    }
    for (int k = 0; k < kGlyphs; ++k) {
        const int alone = widths.value(2 * k);
        m.leftside[k] = widths.value(2 * k + 1) - kRuleOffset - alone;
        if (m.leftside[k] < -599 && protruding)
            protruding->append(k);
        // dvipng's tight crop loses a little; 1.004 makes up for it.
        m.gw[k] = int(std::lround(alone * 1.004));
    }
    return true;
}

QString protrusionMessage(int glyph)
{
    return QStringLiteral("Character ") + glyphLetter(glyph) +
           QStringLiteral(" protrudes 6pt or more to the left of its nominal left edge and cannot be handled "
                          "correctly. See manual.");
}

QString measuringCommand(const QString& scratch, const QString& tmpFolder)
{
    return QStringLiteral("cd ") + shellQuote(scratch) + QStringLiteral(" && ") + tex("latex") +
           QStringLiteral(" glt && ") + tex("dvipng") + QStringLiteral(" -T tight -D 7200 glt && ") + sys("mv") +
           QStringLiteral(" glt*.png ") + shellQuote(tmpFolder) + QStringLiteral(" && cd ") + shellQuote(tmpFolder) +
           QStringLiteral(" && ") + sys("file") + QStringLiteral(" glt*.png >lst.txt");
}

QString pictureCommand(const QString& scratch, const QString& imgsFolder)
{
    return QStringLiteral("cd ") + shellQuote(scratch) + QStringLiteral(" && ") + tex("latex") +
           QStringLiteral(" gl && ") + tex("dvipng") + QStringLiteral(" -T tight -D 1440 gl && ") + sys("mv") +
           QStringLiteral(" gl*.png ") + shellQuote(imgsFolder);
}

QString glyphPictureDocument(const QString& sty, const QString& alphabet, int glyph)
{
    const QString g = QStringLiteral("\\math") + alphabet + QLatin1Char('{') + glyphLetter(glyph) + QLatin1Char('}');
    QStringList l;
    l << QStringLiteral("\\documentclass[dvips]{article}") << QStringLiteral("\\usepackage[parfill]{parskip}")
      << QStringLiteral("\\usepackage[margin=.75in]{geometry}") << QStringLiteral("\\usepackage{%1}").arg(sty)
      << QStringLiteral("\\def\\sb{\\mathstrut\\vrule width .1pt}")
      << QStringLiteral("\\usepackage[dvipsnames]{pstricks}") << QStringLiteral("\\usepackage{pst-node}")
      << QStringLiteral("\\pagestyle{empty}") << QStringLiteral("\\begin{document}")
      << QStringLiteral("\\psset{unit=20pt,gridcolor=Mahogany,subgridcolor=Apricot}%")
      << QStringLiteral("\\begin{pspicture}(0,-5)(16,11)") << QStringLiteral("\\psgrid")
      << QStringLiteral("\\psframe[linecolor=black!1](-.7,-5.7)(16.8,11.6)")
      << QStringLiteral("\\rput[Bl](0,0){\\psscalebox{20}{$\\hat{%1}\\pnode{P}$}}").arg(g)
      << QStringLiteral("\\rput[Bl](0,0){\\psscalebox{20}{$%1_{\\sb}$}}").arg(g)
      << QStringLiteral("\\psline[linecolor=red,arrowscale=2]{<->}(P | 0,-5)(P | 0,11)\\end{pspicture}")
      << QStringLiteral("\\end{document}");
    return l.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString glyphPictureCommand(const QString& scratch, const QString& appFolder)
{
    // ps2eps: TeX Live's own when texbin has it, else the one on the path.
    const QString texPs2eps = texProgram(QStringLiteral("ps2eps"));
    const QString ps2eps = QFileInfo(texPs2eps).isExecutable() ? texPs2eps : systemProgram(QStringLiteral("ps2eps"));
    return QStringLiteral("cd ") + shellQuote(scratch) + QStringLiteral(" && ") + tex("latex") +
           QStringLiteral(" tmp && ") + tex("dvips") + QStringLiteral(" -R0 -Ppdf -otmp.ps tmp.dvi && ") +
           shellQuote(ps2eps) + QStringLiteral(" -l -f -g -B -r=3600 tmp.ps && ") +
           shellQuote(appFolder + QStringLiteral("/eps2png")) + QStringLiteral(" -png -resolution 120 tmp.eps");
}

} // namespace qlk::mathalpha

#include "mathtime/MtModel.h"

#include "fontinfo/FontMeasure.h"

#include <QRegularExpression>

#include <cmath>

namespace qlk::mt {

namespace {

const QChar kLf(10);

// The value between the first and second "=" of a name=value line; no value
// when the line has no "=".
std::optional<QString> settingValue(const QString& line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const int next = line.indexOf(QLatin1Char('='), eq + 1);
    return next < 0 ? line.mid(eq + 1) : line.mid(eq + 1, next - eq - 1);
}

int roundToInt(double v) { return int(std::lround(v)); }

} // namespace

QString glyphLabel(int glyph)
{
    if (glyph < 0 || glyph >= kGlyphCount)
        return QString();
    if (glyph < 26)
        return QChar(65 + glyph) + QStringLiteral("-Italic");
    if (glyph < 52)
        return QChar(71 + glyph) + QStringLiteral("-Italic");
    if (glyph == 52)
        return QStringLiteral("dotlessi");
    if (glyph == 53)
        return QStringLiteral("dotlessj");
    if (glyph < 80)
        return QChar(11 + glyph) + QStringLiteral("-BoldRoman");
    return QChar(17 + glyph) + QStringLiteral("-BoldRoman");
}

QString adjustmentKey(const QString& label)
{
    if (label.startsWith(QStringLiteral("dotless")))
        return label;
    if (label.contains(QStringLiteral("-BoldRoman")))
        return label.left(3);
    return label.left(1);
}

QString fontinstGlyph(const QString& label)
{
    if (label.startsWith(QStringLiteral("dotless")))
        return label;
    return label.left(1);
}

QString glyphName(int glyph)
{
    return fontinstGlyph(glyphLabel(glyph));
}

int rowForKey(const QString& rawKey)
{
    const QString key = rawKey;
    if (key.isEmpty())
        return -1;
    const int code = key.at(0).unicode();
    int row = -1;
    if (key.size() == 3)
        row = code <= 96 ? 54 + (code - 65) : 80 + (code - 97);
    else if (key.size() > 3)
        row = key.endsWith(QLatin1Char('i')) ? 52 : 53;
    else
        row = code <= 96 ? code - 65 : 26 + (code - 97);
    // A key must land inside its own block: "[" would reach into the small
    // letters, "{" past the bold ones.
    bool fits = false;
    if (key.size() > 3)
        fits = true;
    else if (key.size() == 3)
        fits = (row >= 54 && row <= 79 && code >= 65 && code <= 90) ||
               (row >= 80 && row <= 105 && code >= 97 && code <= 122);
    else
        fits = (code >= 65 && code <= 90) || (code >= 97 && code <= 122);
    return fits ? row : -1;
}

double numericValue(const QString& text)
{
    return leadingNumber(text);
}

int wholeValue(const QString& text)
{
    const double v = numericValue(text);
    if (!std::isfinite(v) || std::fabs(v) > 1e9)
        return 0;
    return int(std::trunc(v));
}

QString plainNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    QString s = QString::number(value, 'f', 6);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

bool isSafeFontName(const QString& name)
{
    static const QRegularExpression ok(QStringLiteral("^[A-Za-z0-9._-]+$"));
    return ok.match(name).hasMatch();
}

bool isBerryName(const QString& name)
{
    static const QRegularExpression ok(QStringLiteral("^[A-Za-z0-9]{3}$"));
    return ok.match(name).hasMatch();
}

// ---- settings ---------------------------------------------------------

QString settingsText(const Settings& s)
{
    QStringList lines;
    lines << (s.noV ? QStringLiteral("-v") : QStringLiteral("+v"));
    lines << (s.noW ? QStringLiteral("-w") : QStringLiteral("+w"));
    lines << QStringLiteral("letterspacing=") + plainNumber(numericValue(s.leftText)) + ',' +
                 plainNumber(numericValue(s.rightText));
    lines << QStringLiteral("textfamily=") + s.family.trimmed();
    lines << QStringLiteral("scale=") + s.scale.trimmed();
    lines << QStringLiteral("ti=") + s.italic;
    lines << QStringLiteral("tr=") + s.roman;
    lines << QStringLiteral("b=") + s.bold;
    lines << QStringLiteral("tif=") + s.italicPath;
    lines << QStringLiteral("trf=") + s.romanPath;
    lines << QStringLiteral("bf=") + s.boldPath;
    lines << QStringLiteral("num=") + (s.numbersKept ? QStringLiteral("-n") : QStringLiteral("+n"));
    return lines.join(kLf) + kLf;
}

RestoredSettings readSettings(const QStringList& lines)
{
    RestoredSettings r;
    if (lines.size() < 11)
        r.complete = false;
    auto line = [&](int i) -> std::optional<QString> {
        if (i >= lines.size())
            return std::nullopt;
        return lines.at(i);
    };
    // A name=value line without "=" counts as damaged and is skipped.
    auto value = [&](int i) -> std::optional<QString> {
        const auto l = line(i);
        if (!l)
            return std::nullopt;
        const auto v = settingValue(*l);
        if (!v)
            r.complete = false;
        return v;
    };
    if (const auto l = line(0)) {
        r.hasV = true;
        r.noV = l->compare(QStringLiteral("-v"), Qt::CaseInsensitive) == 0;
    }
    if (const auto l = line(1)) {
        r.hasW = true;
        r.noW = l->compare(QStringLiteral("-w"), Qt::CaseInsensitive) == 0;
    }
    if (const auto v = value(2)) {
        r.hasSpacing = true;
        const QStringList parts = v->split(QLatin1Char(','));
        if (parts.size() == 2) {
            r.left = wholeValue(parts.at(0));
            r.right = wholeValue(parts.at(1));
        } else {
            r.left = r.right = wholeValue(parts.value(0)) / 2;
        }
    }
    if (const auto v = value(3)) {
        r.hasFamily = true;
        r.family = *v;
    }
    if (const auto v = value(4)) {
        r.hasScale = true;
        r.scale = *v;
    }
    r.italic = value(5).value_or(QString());
    r.roman = value(6).value_or(QString());
    r.bold = value(7).value_or(QString());
    r.italicPath = value(8).value_or(QString());
    r.romanPath = value(9).value_or(QString());
    r.boldPath = value(10).value_or(QString());
    if (lines.size() >= 12) {
        if (const auto v = value(11)) {
            r.hasNumbers = true;
            r.numbersKept = v->startsWith(QLatin1Char('-'));
        }
    }
    return r;
}

// ---- adjustments ------------------------------------------------------

QList<GridRow> emptyGrid()
{
    QList<GridRow> grid;
    for (int g = 0; g < kGlyphCount; ++g)
        grid.append(GridRow{glyphLabel(g), {}});
    return grid;
}

ReadAdjustments readAdjustments(const QStringList& lines)
{
    ReadAdjustments r;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char(':'));
        const int row = rowForKey(fields.at(0));
        if (row < 0 || fields.size() < 2) {
            ++r.badLines;
            continue;
        }
        for (int c = 1; c <= 4 && c < fields.size(); ++c) {
            const QString& f = fields.at(c);
            if (f.trimmed().isEmpty() || numericValue(f) == 0)
                continue;
            r.cells.append(AdjustmentCell{row, c, f});
        }
    }
    return r;
}

AdjustmentLines adjustmentLines(const QList<GridRow>& grid, int leftSpacing, int rightSpacing)
{
    AdjustmentLines out;
    for (int r = 0; r < grid.size() && r < kGlyphCount; ++r) {
        const GridRow& row = grid.at(r);
        std::array<QString, 4> f;
        for (int c = 0; c < 4; ++c)
            f[c] = row.cells[c].trimmed();
        const QString key = adjustmentKey(row.label);
        out.fileText += key + ':' + f[0] + ':' + f[1] + ':' + f[2] + ':' + f[3] + kLf;
        const QString g = fontinstGlyph(row.label);
        const double left = numericValue(f[0]), right = numericValue(f[1]);
        const double sub = numericValue(f[2]), accent = numericValue(f[3]);
        const QString shift = QStringLiteral("\\shiftglyph{") + g + QStringLiteral("}{") +
                              plainNumber(leftSpacing + left) + QStringLiteral("}{") +
                              plainNumber(rightSpacing + right) + QStringLiteral("}{") +
                              plainNumber(sub) + '}';
        const bool bold = r >= kFirstBold;
        (bold ? out.boldShift : out.italicShift).append(shift);
        if (!f[3].isEmpty()) {
            const QString skew = QStringLiteral("\\skewkern{") + g + QStringLiteral("}{") +
                                 plainNumber(accent) + '}';
            (bold ? out.boldSkew : out.italicSkew).append(skew);
        }
    }
    return out;
}

QString adjustmentMetricFile(const QString& header, bool bold, const QStringList& shift,
                             const QStringList& skew)
{
    QString t = header;
    t += QStringLiteral("\\setcommand\\skewkern#1#2{\\resetkern{#1}{") +
         (bold ? QStringLiteral("space") : QStringLiteral("hyphen")) + QStringLiteral("}{#2}}") +
         kLf + kLf;
    for (const QString& l : shift)
        t += l + kLf;
    t += kLf;
    for (const QString& l : skew)
        t += l + kLf;
    t += QStringLiteral("\\endmetrics");
    return t;
}

// ---- metrics ----------------------------------------------------------

GlyphMetrics readMetrics(const QStringList& lines, bool* complete)
{
    GlyphMetrics m;
    bool whole = lines.size() >= kGlyphCount;
    for (int i = 0; i < kGlyphCount && i < lines.size(); ++i) {
        const QStringList f = lines.at(i).split(QLatin1Char(' '));
        if (f.size() < 4)
            whole = false;
        m.gw[i] = wholeValue(f.value(0));
        m.leftside[i] = wholeValue(f.value(1));
        m.sub[i] = wholeValue(f.value(2));
        m.ic[i] = wholeValue(f.value(3));
    }
    if (complete)
        *complete = whole;
    return m;
}

QString metricsText(const GlyphMetrics& m)
{
    QString t;
    for (int i = 0; i < kGlyphCount; ++i)
        t += QString::number(m.gw[i]) + ' ' + QString::number(m.leftside[i]) + ' ' +
             QString::number(m.sub[i]) + ' ' + QString::number(m.ic[i]) + kLf;
    return t;
}

QVector<int> pictureWidths(const QStringList& lines, int* badLines)
{
    QVector<int> widths(2 * kGlyphCount, 0);
    int bad = 0;
    for (const QString& raw : lines) {
        if (raw.trimmed().isEmpty())
            continue;
        const QString line = raw.mid(3); // drop "glt"
        const int n = wholeValue(line.section(QLatin1Char('.'), 0, 0));
        const int x = line.indexOf(QStringLiteral(" x "));
        if (n < 1 || n > widths.size() || x < 0) {
            ++bad;
            continue;
        }
        const QStringList words = line.left(x).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int w = words.isEmpty() ? 0 : wholeValue(words.last());
        // No picture is wider than this; a larger or negative number is a
        // damaged line, and the metrics arithmetic would overflow on it.
        if (w < 0 || w > 1000000) {
            ++bad;
            continue;
        }
        widths[n - 1] = w;
    }
    if (badLines)
        *badLines = bad;
    return widths;
}

void metricsFromWidths(const QVector<int>& widths, GlyphMetrics& m)
{
    for (int i = 0; i < kGlyphCount; ++i) {
        const int alone = widths.value(2 * i);
        const int marked = widths.value(2 * i + 1);
        m.leftside[i] = marked - 300 - alone;
        m.gw[i] = roundToInt(alone * 1.004);
    }
}

bool scanVpl(const QString& vpl, bool bold, GlyphMetrics& m)
{
    const QStringList halves = vpl.split(QStringLiteral("(CHARACTER D 65 "));
    if (halves.size() != 2)
        return false;
    QStringList pieces = halves.at(1).split(QStringLiteral("(CHARACTER D "));
    pieces[0] = QStringLiteral("65 ") + pieces[0];
    for (const QString& raw : pieces) {
        const QString piece = raw.trimmed();
        const int code = wholeValue(piece.section(QLatin1Char(' '), 0, 0));
        int g = -1;
        if (code >= 65 && code <= 90)
            g = bold ? code - 11 : code - 65;
        else if (code >= 91 && code <= 96)
            continue;
        else if (code >= 97 && code <= 122)
            g = bold ? code - 17 : code - 71;
        else if (!bold && (code == 123 || code == 124))
            g = code - 71;
        else if (code < 65)
            continue; // out of order; never index below the table
        else
            break;
        const int wd = piece.indexOf(QStringLiteral("CHARWD R "));
        if (wd < 0)
            continue;
        const QString rest = piece.mid(wd + 9);
        m.sub[g] = roundToInt(numericValue(rest.section(QLatin1Char(')'), 0, 0)) * 1000);
        const int icAt = rest.indexOf(QStringLiteral("CHARIC R "));
        m.ic[g] = icAt < 0 ? 0
                           : roundToInt(numericValue(rest.mid(icAt + 9).section(QLatin1Char(')'), 0, 0)) *
                                        1000);
    }
    return true;
}

// ---- build values -----------------------------------------------------

double scaleFactor(const QString& text)
{
    const double v = numericValue(text);
    return (v < 0.1 || !std::isfinite(v)) ? 1.0 : v;
}

int baseScale(double sf, int xheight, int reference)
{
    return roundToInt(sf * double(xheight) * 1000.0 / double(reference));
}

QString substituteScaleClause(double sf, int textXheight, int substituteXheight)
{
    if (substituteXheight <= 0)
        return QString();
    const double n = sf * double(textXheight) * 1000.0 / double(substituteXheight);
    if (std::fabs(n - 1000.0) > 5.0)
        return QStringLiteral(" scaled ") + QString::number(roundToInt(n));
    return QString();
}

QString fixAutoencCodingScheme(const QString& pl)
{
    const int at = pl.indexOf(QStringLiteral("(CODINGSCHEME AUTOENC"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return pl;
    const int close = pl.indexOf(QLatin1Char(')'), at);
    const int end = close < 0 ? pl.size() : close + 1;
    return pl.left(at) + QStringLiteral("(CODINGSCHEME TEX TEXT)") + pl.mid(end);
}

const char* const kItalicScheme = "QUILLMARK-MT2-ITALIC";
const char* const kBoldScheme = "QUILLMARK-MT2-BOLD";

QString withCodingScheme(const QString& pl, const QString& scheme)
{
    const QString line = QStringLiteral("(CODINGSCHEME ") + scheme + ')';
    const int at = pl.indexOf(QStringLiteral("(CODINGSCHEME "));
    if (at >= 0) {
        const int close = pl.indexOf(QLatin1Char(')'), at);
        return pl.left(at) + line + pl.mid(close < 0 ? pl.size() : close + 1);
    }
    // tftopl writes the scheme near the top; a list without one gets it first.
    return line + kLf + pl;
}

QString fontinstRc()
{
    return QStringLiteral("\\declareencoding{") + QLatin1String(kItalicScheme) +
           QStringLiteral("}{mt2mi}\n\\declareencoding{") + QLatin1String(kBoldScheme) +
           QStringLiteral("}{mt2mb}\n");
}

QString packageName(const QString& berry) { return QStringLiteral("z") + berry + QStringLiteral("mt"); }
QString driverFileName(const QString& berry) { return QStringLiteral("zmt2") + berry + QStringLiteral("-drv.tex"); }

QString unsetSuffix(bool noV, bool noW)
{
    if (noV && noW)
        return QStringLiteral("novw");
    if (noV)
        return QStringLiteral("nov");
    if (noW)
        return QStringLiteral("now");
    return QString();
}

QString driverText(const DriverInputs& in)
{
    const QString p = packageName(in.berry);
    const QString u = unsetSuffix(in.noV, in.noW);
    std::array<QString, 3> t;
    for (int i = 0; i < 3; ++i) {
        t[i] = in.textFonts[i] + in.clauses[i];
        if (std::fabs(in.sf - 1.0) > 0.001)
            t[i] += QStringLiteral(" scaled ") + QString::number(roundToInt(in.sf * 1000.0));
    }
    const QString lf = QString(kLf);
    QString d;
    d += QStringLiteral("% driver file created by Quillmark") + lf;
    d += QStringLiteral("\\input fontinst.sty") + lf + lf;
    d += QStringLiteral("\\needsfontinstversion{1.933}") + lf + lf;
    d += QStringLiteral("\\installfonts") + lf;
    d += QStringLiteral("\\installfamily{LMP1}{") + p + QStringLiteral("}{\\skewchar\\font=45}") + lf;
    d += QStringLiteral("\\installfamily{U}{") + p + QStringLiteral("}{\\skewchar\\font=32}") + lf;
    d += QStringLiteral("\\installfont{") + p + QStringLiteral("mit}") + lf;
    d += QStringLiteral("   {mt2mitx scaled ") + QString::number(in.italicScale) +
         QStringLiteral(",unsetalf") + u + QStringLiteral(",kernoff,%") + lf;
    d += QStringLiteral("  ") + t[0] + QStringLiteral(",%") + lf;
    if (!in.numbersKept)
        d += QStringLiteral("  unsetnum,% ") + lf + QStringLiteral("  ") + t[1] + QStringLiteral(",%") + lf;
    auto subsOf = [&](int type) {
        for (const SubstituteFont& s : in.subs)
            if (s.type == type && !s.unset.isEmpty())
                d += QStringLiteral("\\metrics ") + s.unset + QStringLiteral(",%") + lf + s.tfm + s.clause +
                     QStringLiteral(",%") + lf;
    };
    subsOf(0);
    d += QStringLiteral(" kernon");
    if (!in.needMetrics)
        d += QStringLiteral(",adjustmentsI");
    d += QStringLiteral("}") + lf;
    d += QStringLiteral("  {mt2mi}{LMP1}{") + p + QStringLiteral("}{m}{it}{}") + lf;
    d += QStringLiteral("\\installfont{") + p + QStringLiteral("mbt}") + lf;
    d += QStringLiteral("  {mt2mbt scaled ") + QString::number(in.boldScale) + QStringLiteral(",unsetalf,%") + lf;
    if (!in.numbersKept)
        d += QStringLiteral("unsetnum,%") + lf;
    d += QStringLiteral(" kernoff,%") + lf;
    d += QStringLiteral("  ") + t[2] + QStringLiteral(",%") + lf;
    subsOf(1);
    d += QStringLiteral(" kernon");
    if (!in.needMetrics)
        d += QStringLiteral(",adjustmentsB");
    d += QStringLiteral("}") + lf;
    d += QStringLiteral("  {mt2mb}{U}{") + p + QStringLiteral("}{b}{n}{}") + lf;
    d += QStringLiteral("\\endinstallfonts") + lf + lf;
    d += QStringLiteral("\\bye") + lf;
    return d;
}

QString scaleDecimal(int italicScale)
{
    QString s = QString::number(italicScale / 1000.0, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

std::optional<QString> packageText(const QStringList& lines, const QString& p, bool boldOutline,
                                   int italicScale, QString* error)
{
    auto find = [&](const QString& text) {
        for (int i = 0; i < lines.size(); ++i)
            if (lines.at(i).contains(text))
                return i;
        return -1;
    };
    const int h = find(QStringLiteral("%% This is file"));
    const int id = find(QStringLiteral("\\ProvidesPackage{"));
    const int l = find(QStringLiteral("\\DeclareFontShape{LMP1}{mtt}{m}{it}"));
    const int k = find(QStringLiteral("\\DeclareFontShape{U}{mtt}{b}{n}"));
    const int imath = find(QStringLiteral("\\imath"));
    const int symbol = find(QStringLiteral("\\SetSymbolFont"));
    QStringList missing;
    if (id < 0)
        missing << QStringLiteral("\\ProvidesPackage{");
    if (l < 0)
        missing << QStringLiteral("\\DeclareFontShape{LMP1}{mtt}{m}{it}");
    if (k < 0)
        missing << QStringLiteral("\\DeclareFontShape{U}{mtt}{b}{n}");
    if (!missing.isEmpty()) {
        if (error)
            *error = missing.join(QStringLiteral(", "));
        return std::nullopt;
    }
    // A line is moved below the two that follow it; a missing marker, one
    // on the first line or one too near the end moves nothing.
    const int last = int(lines.size()) - 1;
    const int m1 = (imath > 0 && imath + 1 <= last) ? imath - 1 : -1;
    const int m2 = (symbol > 0 && symbol + 1 <= last) ? symbol - 1 : -1;
    const QString lf = QString(kLf);
    QString out;
    for (int n = 0; n <= last; ++n) {
        if (n == h) {
            out += QStringLiteral("%% This is file '") + p + QStringLiteral(".sty', a modified version of mtpro2.sty") + lf;
            out += QStringLiteral("%% produced by Quillmark. The original mtpro2.sty was") + lf;
        } else if (n == id) {
            out += QStringLiteral("\\ProvidesPackage{") + p + '}' + lf;
        } else if (n == l) {
            out += QStringLiteral("\\DeclareFontShape{LMP1}{mtt}{m}{it}{<-> ") + p + QStringLiteral("mit}{}") + lf;
            if (!boldOutline) {
                out += QStringLiteral("\\DeclareFontShape{LMP1}{mtt}{b}{it}{<-> s * [") + scaleDecimal(italicScale) +
                       QStringLiteral("] wtmmb}{}") + lf;
                ++n;
            }
        } else if (n == k) {
            out += QStringLiteral("\\DeclareFontShape{U}{mtt}{b}{n}{<-> ") + p + QStringLiteral("mbt}{}") + lf;
        } else if (n == m1 || n == m2) {
            out += lines.at(n + 1) + lf + lines.at(n + 2) + lf + lines.at(n) + lf;
            n += 2;
        } else {
            out += lines.at(n) + lf;
        }
    }
    return out;
}

// ---- text family discovery --------------------------------------------

std::array<QString, 3> fdSlots(const QStringList& paths, const QString& family)
{
    struct Entry {
        QString base, folder;
    };
    QList<Entry> t1, ly1, ot1;
    for (const QString& path : paths) {
        if (path.trimmed().isEmpty())
            continue;
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        const QString file = path.mid(slash + 1);
        const QString folder = slash < 0 ? QString() : path.left(slash);
        const QString base = file.section(QLatin1Char('.'), 0, 0);
        const QString prefix = base.left(2).toLower();
        if (prefix == QStringLiteral("t1"))
            t1.append({base, folder});
        else if (prefix == QStringLiteral("ly"))
            ly1.append({base, folder});
        else if (prefix == QStringLiteral("ot"))
            ot1.append({base, folder});
    }
    auto fill = [&](const QList<Entry>& cls, int variantAt) {
        std::array<QString, 3> fds;
        bool any = false;
        for (const Entry& e : cls) {
            // The family must stand right after the prefix.
            if (e.base.mid(variantAt - 3, 3).compare(family, Qt::CaseInsensitive) != 0)
                continue;
            const QString variant = e.base.mid(variantAt).toLower();
            int slot = -1;
            if (variant.isEmpty())
                slot = 1;
            else if (variant == QStringLiteral("x"))
                slot = 0;
            else if (variant == QStringLiteral("j"))
                slot = 2;
            if (slot < 0)
                continue;
            fds[slot] = e.folder + '/' + e.base + QStringLiteral(".fd");
            any = true;
        }
        return std::make_pair(any, fds);
    };
    for (const auto& [cls, at] : {std::make_pair(t1, 5), std::make_pair(ly1, 6), std::make_pair(ot1, 6)}) {
        const auto [any, fds] = fill(cls, at);
        if (any)
            return fds;
    }
    return {};
}

ChosenFonts chooseFonts(const std::array<QString, 3>& fds,
                        const std::function<QStringList(const QString&, const QString&, const QString&)>& fdFonts)
{
    ChosenFonts c;
    const std::array<std::pair<const char*, const char*>, 3> wanted = {
        std::make_pair("m", "it"), std::make_pair("m", "n"), std::make_pair("b", "n")};
    std::array<bool, 3> found = {false, false, false};
    for (const QString& fd : fds) {
        if (fd.isEmpty())
            continue;
        for (int f = 0; f < 3; ++f) {
            if (found[f])
                continue;
            const QStringList names = fdFonts(fd, QLatin1String(wanted[f].first), QLatin1String(wanted[f].second));
            if (names.isEmpty())
                continue;
            c.names[f] = names.first();
            found[f] = true;
            if (names.size() > 1)
                c.several = true;
        }
        if (found[0] && found[1] && found[2])
            break;
    }
    return c;
}

// ---- substitutes ------------------------------------------------------

SubsFile parseSubs(const QString& whole)
{
    SubsFile s;
    const QString text = whole.trimmed();
    if (text.isEmpty())
        return s;
    const QStringList lines = text.split(kLf);
    if (lines.size() < 2)
        return s;
    s.names = lines.at(0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < s.names.size(); ++i) {
        s.types.append(0);
        s.unset.append(QString());
    }
    for (int li = 1; li < lines.size(); ++li) {
        const QStringList fields = lines.at(li).trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        bool isNumber = false;
        const int t = fields.at(0).toInt(&isNumber);
        if (!isNumber || t < 0 || t >= s.names.size()) {
            ++s.badEntries;
            continue;
        }
        QStringList items;
        bool first = true;
        for (int fi = 1; fi < fields.size(); ++fi) {
            bool ok = false;
            const int g = fields.at(fi).toInt(&ok);
            if (!ok || g < 0 || g >= kGlyphCount) {
                ++s.badEntries;
                continue;
            }
            s.glyphFont.append(qMakePair(g, t));
            if (first) {
                s.types[t] = g > 53 ? 1 : 0;
                first = false;
            }
            items << QStringLiteral("\\unsetglyph{") + glyphName(g) + '}';
        }
        s.unset[t] = items.join(QLatin1Char(' '));
    }
    return s;
}

// ---- imitation of mtpro2 spacing -------------------------------------

QList<std::array<QString, 3>> imitationCells(const GlyphMetrics& m, const GlyphMetrics& r)
{
    QList<std::array<QString, 3>> cells;
    for (int i = 0; i < kGlyphCount; ++i) {
        const int dl = r.leftside[i] - m.leftside[i];
        const int dg = r.gw[i] - m.gw[i];
        const int ds = r.sub[i] - m.sub[i];
        const int di = r.ic[i] - m.ic[i];
        cells.append({QString::number(dl), QString::number(ds + di - dl - dg), QString::number(ds - dl - dg)});
    }
    return cells;
}

bool hasMeasurements(const GlyphMetrics& m)
{
    for (int i = 0; i < kGlyphCount; ++i)
        if (m.gw[i] != 0 || m.sub[i] != 0)
            return true;
    return false;
}

// ---- substitution table ---------------------------------------------

QString subsText(const QStringList& rowNames)
{
    QStringList names;
    QList<QStringList> glyphs;
    for (int r = 0; r < rowNames.size() && r < kGlyphCount; ++r) {
        const QString name = rowNames.at(r).trimmed();
        if (name.isEmpty())
            continue;
        int at = int(names.indexOf(name));
        if (at < 0) {
            names << name;
            glyphs << QStringList();
            at = int(names.size()) - 1;
        }
        glyphs[at] << QString::number(r);
    }
    QString text = names.join(QLatin1Char(' ')) + kLf;
    for (int i = 0; i < names.size(); ++i)
        text += QString::number(i) + ' ' + glyphs.at(i).join(QLatin1Char(' ')) + kLf;
    return text;
}

} // namespace qlk::mt

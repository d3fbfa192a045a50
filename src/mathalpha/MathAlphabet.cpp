#include "mathalpha/MathAlphabet.h"

#include "fontinfo/FontMeasure.h"
#include "platform/Paths.h"
#include "platform/Quote.h"

#include <algorithm>
#include <cmath>

namespace qlk::mathalpha {

const char* const kSuffixes[4] = {"mcal", "mscr", "mbb", "mfrak"};

QChar glyphLetter(int k)
{
    return QChar(k < 26 ? 65 + k : 71 + k);
}

int glyphOfLetter(QChar c)
{
    const ushort u = c.unicode();
    if (u >= 'A' && u <= 'Z')
        return u - 65;
    if (u >= 'a' && u <= 'z')
        return u - 71;
    return -1;
}

QString suffix(int kind)
{
    return QString::fromLatin1(kSuffixes[kind >= 0 && kind < 4 ? kind : 0]);
}

QString alphabetCommand(int kind)
{
    return suffix(kind).mid(1);
}

int cellNumber(const QString& text)
{
    // Kept from wrapping into a small number that would pass every check.
    constexpr double most = 2147483647.0;
    return int(std::clamp(std::round(leadingNumber(text)), -most, most));
}

bool adjustmentFits(double value)
{
    return std::abs(std::round(value)) <= kAdjustmentLimit;
}

QString adjustmentRangeMessage(int k, int column, double value)
{
    static const char* const names[4] = {"left", "right", "subscript", "accent"};
    return QStringLiteral("The %1 adjustment of %2 would be %3, more than the font can hold: adjustments lie "
                          "between -%4 and %4 (thousandths of the design size).")
        .arg(QLatin1String(names[qBound(1, column, 4) - 1]), QString(glyphLetter(k)),
             QString::number(value, 'g', 15))
        .arg(kAdjustmentLimit);
}

int wholeNumber(const QString& text)
{
    return int(std::trunc(leadingNumber(text)));
}

// --- names -----------------------------------------------------------------

QString checkName(const QString& name, const QString& what)
{
    if (name.isEmpty())
        return QStringLiteral("Bailing out---empty %1 name").arg(what);
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool ok = u == '-' || u == '=' || u == '_' || (u >= '0' && u <= '9') ||
                        (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
        if (!ok) {
            const QString shown = c == QLatin1Char(' ') ? QStringLiteral("<space>") : QString(c);
            return QStringLiteral("Bailing out---the %1 name must contain only =, -, _, numbers, upper and "
                                  "lower case letters only: %2 is invalid")
                .arg(what, shown);
        }
    }
    return QString();
}

QString commandForm(const QString& styName)
{
    static const char* const words[] = {"zero", "one", "two", "three", "four",
                                        "five", "six", "seven", "eight", "nine"};
    QString out;
    for (const QChar c : styName) {
        if (c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('='))
            continue;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            out += QLatin1String(words[c.unicode() - '0']);
        else
            out += c;
    }
    return out;
}

TfmPath splitTfmPath(const QString& ttfm)
{
    QStringList parts = ttfm.split(QLatin1Char('/'));
    TfmPath p;
    p.file = parts.takeLast();
    if (!parts.isEmpty())
        p.family = parts.takeLast();
    if (!parts.isEmpty())
        p.vendor = parts.takeLast();
    p.tree = parts.join(QLatin1Char('/'));
    p.base = p.file.section(QLatin1Char('.'), 0, 0);
    return p;
}

// --- master folder files ---------------------------------------------------

QString settingsText(const Settings& s)
{
    QString t;
    t += QStringLiteral("srctfmname=") + s.srctfmname + QLatin1Char('\n');
    t += QStringLiteral("srctfmpath=") + s.srctfmpath + QLatin1Char('\n');
    t += QStringLiteral("newtfm=") + s.newtfm + QLatin1Char('\n');
    t += QStringLiteral("newsty=") + s.newsty + QLatin1Char('\n');
    t += QStringLiteral("kind=") + QString::number(s.kind) + QLatin1Char('\n');
    t += QStringLiteral("spacing=") + s.spacing + QLatin1Char('\n');
    t += QStringLiteral("spacingmethod=") + QString::number(s.spacingmethod) + QLatin1Char('\n');
    t += QStringLiteral("spacingactive=") + QString::number(s.spacingactive) + QLatin1Char('\n');
    return t;
}

namespace {
// The value of a settings line: between its first "=" and the next one.
QString lineValue(const QString& line)
{
    return line.section(QLatin1Char('='), 1, 1);
}
} // namespace

bool parseSettings(const QStringList& lines, bool hasAdjustments, Settings& out, QString* error)
{
    const int n = int(lines.size());
    if (n < 6) {
        if (error)
            *error = QStringLiteral("The settings file of the master folder has only %1 lines; its "
                                    "settings were not loaded.")
                         .arg(n);
        return false;
    }
    out.srctfmname = lineValue(lines.at(0));
    out.srctfmpath = lineValue(lines.at(1));
    out.newtfm = lineValue(lines.at(2));
    out.newsty = lineValue(lines.at(3));
    out.kind = wholeNumber(lineValue(lines.at(4)));
    if (out.kind < 0 || out.kind > 3)
        out.kind = 0;
    const int spacing = wholeNumber(lineValue(lines.at(5)));
    out.spacing = spacing != 0 ? QString::number(spacing) : QString();
    out.spacingmethod = 0;
    if (n >= 7 && lines.at(6).contains(QLatin1Char('='))) {
        out.spacingmethod = wholeNumber(lineValue(lines.at(6)));
        if (out.spacingmethod < 0 || out.spacingmethod > 2)
            out.spacingmethod = 0;
    }
    if (n >= 8 && lines.at(7).contains(QLatin1Char('='))) {
        out.spacingactive = wholeNumber(lineValue(lines.at(7)));
        if (out.spacingactive < 0 || out.spacingactive > 1)
            out.spacingactive = 0;
    } else {
        out.spacingactive = hasAdjustments ? 0 : 1;
    }
    return true;
}

QList<AdjustmentCell> parseAdjustments(const QStringList& lines, int* skipped)
{
    QList<AdjustmentCell> cells;
    int bad = 0;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char(':'));
        const int row = glyphOfLetter(f.at(0).isEmpty() ? QChar() : f.at(0).at(0));
        if (row < 0 || f.size() < 5) {
            ++bad;
            continue;
        }
        for (int c = 1; c <= 4; ++c) {
            const QString& text = f.at(c);
            if (text.trimmed().isEmpty() || leadingNumber(text) == 0)
                continue;
            cells.append({row, c, text});
        }
    }
    if (skipped)
        *skipped = bad;
    return cells;
}

QString adjustmentsText(const Adjustments& xx)
{
    QString t;
    for (int k = 0; k < kGlyphs; ++k) {
        const auto& v = xx[k];
        if (v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0)
            continue;
        t += glyphLetter(k);
        for (int c = 0; c < 4; ++c)
            t += QLatin1Char(':') + QString::number(v[c]);
        t += QLatin1Char('\n');
    }
    return t;
}

bool parseMetrics(const QStringList& lines, Metrics& out)
{
    if (lines.size() < kGlyphs)
        return false;
    Metrics read;
    for (int k = 0; k < kGlyphs; ++k) {
        const QStringList f = lines.at(k).split(QLatin1Char(' '));
        for (int i = 0; i < qMin<qsizetype>(f.size(), 4); ++i) {
            if (!saneMetric(leadingNumber(f.at(i))))
                return false;
        }
        auto field = [&f](int i) { return i < f.size() ? wholeNumber(f.at(i)) : 0; };
        read.gw[k] = field(0);
        read.leftside[k] = field(1);
        read.subpos[k] = field(2);
        read.ic[k] = field(3);
    }
    out = read;
    return true;
}

QString metricsLine(int gw, int leftside, int subpos, int ic)
{
    return QStringLiteral("%1 %2 %3 %4\n").arg(gw).arg(leftside).arg(subpos).arg(ic);
}

QString metricsText(const Metrics& m)
{
    QString t;
    for (int k = 0; k < kGlyphs; ++k)
        t += metricsLine(m.gw[k], m.leftside[k], m.subpos[k], m.ic[k]);
    return t;
}

// --- the build ---------------------------------------------------------------

bool applySpacing(int method, int s, const Metrics& m, Adjustments& xx)
{
    bool sane = saneMetric(s);
    for (int k = 0; k < kGlyphs; ++k) {
        for (int v : {m.gw[k], m.leftside[k], m.subpos[k], m.ic[k], xx[k][0], xx[k][1]})
            sane = sane && saneMetric(v);
    }
    if (!sane)
        return false;
    Adjustments spaced = xx;
    if (method == 0) {
        for (int k = 0; k < kGlyphs; ++k) {
            // Room from the right edge of the ink to the advance width plus
            // italic correction, the right adjustment included.
            const int gap = m.subpos[k] + m.ic[k] + spaced[k][1] - m.gw[k] - m.leftside[k];
            if (gap < s)
                spaced[k][1] += s - gap;
        }
    } else if (method == 1) {
        const int h = s / 2; // truncates toward zero
        for (int k = 0; k < kGlyphs; ++k) {
            spaced[k][0] += h;
            spaced[k][1] += s - h;
        }
    }
    for (const auto& row : spaced) {
        for (int v : row) {
            if (!adjustmentFits(v))
                return false;
        }
    }
    xx = spaced;
    return true;
}

QString adjustmentsMtxTail(const Adjustments& xx)
{
    QString shifts;
    QString skews;
    for (int k = 0; k < kGlyphs; ++k) {
        const auto& v = xx[k];
        const QString L = glyphLetter(k);
        if (v[0] != 0 || v[1] != 0 || v[2] != 0)
            shifts += QStringLiteral("\\shiftglyph{%1}{%2}{%3}{%4}\n").arg(L).arg(v[0]).arg(v[1]).arg(v[2]);
        if (v[3] != 0)
            skews += QStringLiteral("\\skewkern{%1}{%2}\n").arg(L).arg(v[3]);
    }
    return QStringLiteral("\\setcommand\\skewkern#1#2{\\resetkern{#1}{hyphen}{#2}}\n\n") + shifts +
           QLatin1Char('\n') + skews + QStringLiteral("\\endmetrics");
}

QString driverText(const QString& font, const QString& sourceTfm, bool withAdjustments)
{
    QStringList l;
    l << QStringLiteral("% driver file created by Quillmark") << QStringLiteral("\\input fontinst.sty")
      << QString() << QStringLiteral("\\needsfontinstversion{1.933}") << QString()
      << QStringLiteral("\\installfonts")
      << QStringLiteral("\\installfamily{U}{%1}{\\skewchar\\font=45}").arg(font)
      << QStringLiteral("\\installfont{%1}").arg(font) << QStringLiteral("   {kernoff,%")
      << QStringLiteral("  %1,setxh,%").arg(sourceTfm) << QStringLiteral("  cmr10,%")
      << QStringLiteral("  kernon,%");
    if (withAdjustments)
        l << QStringLiteral("  adjustments%");
    l << QStringLiteral("}") << QStringLiteral("  {mathalf}{U}{%1}{m}{n}{}").arg(font)
      << QStringLiteral("\\endinstallfonts") << QString() << QStringLiteral("\\bye");
    return l.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString styText(const QString& sty, const QString& font, int kind, const QDate& date)
{
    QStringList l;
    l << QStringLiteral("\\NeedsTeXFormat{LaTeX2e}")
      << QStringLiteral("\\ProvidesPackage{%1}[%2 v1 U/%3]")
             .arg(sty, date.toString(QStringLiteral("yyyy/MM/dd")), font)
      << QStringLiteral("\\RequirePackage{xkeyval}%")
      << QStringLiteral("\\define@key{%1.sty}{scaled}[1.0]{%").arg(sty)
      << QStringLiteral("\\expandafter\\def\\csname %1@scale\\endcsname {#1}}%").arg(sty)
      << QStringLiteral("\\ExecuteOptionsX<%1.sty>{scaled}%").arg(sty)
      << QStringLiteral("\\ProcessOptionsX<%1.sty>\\relax%").arg(sty)
      << QStringLiteral("\\DeclareMathAlphabet{\\math%1}{U}{%2}{m}{n}").arg(alphabetCommand(kind), font)
      << QStringLiteral("\\endinput");
    return l.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString patchFd(const QString& fdText, const QString& sty, const QString& fdName, QString* error)
{
    const QString marker = QStringLiteral("\\DeclareFontFamily");
    const QStringList parts = fdText.split(marker);
    if (parts.size() < 2) {
        if (error)
            *error = QStringLiteral("No \\DeclareFontFamily found in ") + fdName;
        return QString();
    }
    if (parts.size() > 2) {
        if (error)
            *error = QStringLiteral("More than one \\DeclareFontFamily in ") + fdName;
        return QString();
    }
    const QString cmd = commandForm(sty);
    QStringList pieces = parts.at(1).split(QLatin1Char('>'));
    for (int i = 1; i < pieces.size(); ++i) {
        // What follows a size specification up to the next ">": a font name,
        // or a substitution (ssub * F/m/n) that keeps its form.
        if (!pieces.at(i).contains(QLatin1Char('/')))
            pieces[i] = QStringLiteral(" \\") + cmd + QStringLiteral("@@scale ") + pieces.at(i);
    }
    return parts.at(0) + QLatin1Char('\n') +
           QStringLiteral("\\expandafter\\ifx\\csname %1@scale\\endcsname\\relax").arg(sty) +
           QLatin1Char('\n') +
           QStringLiteral("\\let\\%1@@scale\\@empty\\else\\edef\\%1@@scale{s*[\\csname %2@scale\\endcsname]}\\fi")
               .arg(cmd, sty) +
           QLatin1Char('\n') + marker + pieces.join(QLatin1Char('>')) + QLatin1Char('\n');
}

QString rewriteCodingScheme(const QString& pl)
{
    const QString key = QStringLiteral("(CODINGSCHEME ");
    const int at = pl.indexOf(key);
    if (at < 0)
        return pl;
    const int close = pl.indexOf(QLatin1Char(')'), at);
    if (close < 0)
        return pl;
    return pl.left(at) + QStringLiteral("(CODINGSCHEME TEX TEXT)") + pl.mid(close + 1);
}

// --- other command lines and texts -----------------------------------------

QString glyphTestText(const QString& sty, int kind)
{
    return QStringLiteral("\\def\\xxxxxx{%1}\n\\def\\mtype#1{\\math%2{#1}}\n\\input mt2testfileMA.tex\n")
        .arg(sty.trimmed(), alphabetCommand(kind));
}

QString glyphTestCommand(const QString& folder)
{
    return QStringLiteral("cd ") + shellQuote(folder) + QStringLiteral(" && ") +
           shellQuote(texProgram(QStringLiteral("latex"))) + QStringLiteral(" glyphtest && ") +
           shellQuote(texProgram(QStringLiteral("dvips"))) +
           QStringLiteral(" -R0 -Ppdf -oglyphtest.ps glyphtest.dvi && ") +
           shellQuote(systemProgram(QStringLiteral("ps2pdf"))) + QStringLiteral(" glyphtest.ps");
}

} // namespace qlk::mathalpha

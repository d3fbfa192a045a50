#include "opentype/otfinst/OtfinstScript.h"

#include "opentype/common/OtfTemplate.h"
#include "texenv/TexEnv.h"

#include <QRegularExpression>

namespace qlk {

QStringList otfinstEncodings(bool ot1, bool t1ts1, bool ly1)
{
    QStringList list;
    if (ot1)
        list << QStringLiteral("OT1");
    if (t1ts1)
        list << QStringLiteral("TS1") << QStringLiteral("T1");
    if (ly1)
        list << QStringLiteral("LY1");
    return list;
}

QString packageFolderText(const QString& field)
{
    QString text = field.trimmed();
    if (!text.startsWith(QLatin1Char('/')))
        text.prepend(QLatin1Char('/'));
    while (text.size() > 1 && text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

QString localFontsDirText(const QString& field)
{
    const QString text = packageFolderText(field);
    return text.endsWith(QLatin1Char('/')) ? text : text + QLatin1Char('/');
}

QString scaleText(const QString& trimmedField)
{
    if (trimmedField.isEmpty() || trimmedField == QLatin1String("1") || trimmedField == QLatin1String("1.0") ||
        trimmedField == QLatin1String("1."))
        return QStringLiteral("1.0");
    return trimmedField;
}

namespace {
bool hasUnsafeChars(const QString& text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('\\') || c.unicode() < 32 ||
            c.unicode() == 127)
            return true;
    }
    return false;
}
} // namespace

QString checkScriptTexts(const QString& berry, const QString& vendor, const QString& family,
                         const QString& fdFolder, const QString& otftotfm,
                         const QString& scale)
{
    static const QRegularExpression berryForm(QStringLiteral("^[A-Za-z0-9]{3}$"));
    static const QRegularExpression vendorForm(QStringLiteral("^[A-Za-z0-9_-]*$"));
    static const QRegularExpression scaleForm(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!berryForm.match(berry).hasMatch())
        return QStringLiteral("The Berry name must be three letters or digits.");
    if (!vendorForm.match(vendor).hasMatch())
        return QStringLiteral("The vendor name may hold only letters, digits, \"-\" and \"_\".");
    if (family.isEmpty() || hasUnsafeChars(family))
        return QStringLiteral("The family name must not be empty or hold quotes, backslashes or control characters.");
    if (hasUnsafeChars(fdFolder) || fdFolder.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return QStringLiteral("The folder for fd and sty files must not hold quotes, backslashes, control characters "
                              "or \"..\".");
    if (otftotfm.isEmpty() || hasUnsafeChars(otftotfm))
        return QStringLiteral("The path of otftotfm (Preferences) must not be empty or hold quotes, backslashes or "
                              "control characters.");
    if (!scaleForm.match(scale).hasMatch() || scale.toDouble() <= 0.0)
        return QStringLiteral("The scale factor must be a positive decimal number, or -1 or -2.");
    return QString();
}

QString buildOtfinstScript(const QStringList& pieces, const QStringList& markers, const ScriptFields& f)
{
    const QString q(squote);
    const QString n(lf);
    QString s;
    s += pieces.value(0);
    s += markers.value(0) + n;
    s += QStringLiteral("encoding = ") + q + f.encoding + q + n;
    s += QStringLiteral("otftotfmpath = ") + q + f.otftotfm + q + n;
    s += markers.value(1);
    s += pieces.value(2);
    s += markers.value(2) + n;
    s += QStringLiteral("localfontsdir = ") + q + f.localFontsDir + q + n;
    s += markers.value(3);
    s += pieces.value(4);
    s += markers.value(4) + n;
    const QString blanks(10, QLatin1Char(' '));
    for (int k = 0; k < f.fontlist.size(); ++k) {
        s += k == 0 ? QStringLiteral("berryname = { ") : blanks;
        s += q + f.fontlist.at(k) + QStringLiteral("' : '") + f.berrylist.value(k) + q + QLatin1Char(',') + n;
    }
    if (f.fontlist.isEmpty())
        s += QStringLiteral("berryname = {") + n;
    s += blanks + QLatin1Char('}') + n;
    if (!f.vendor.isEmpty())
        s += QStringLiteral("thevendor = ") + q + f.vendor + q + n;
    s += markers.value(5);
    s += pieces.value(6);
    s += markers.value(6) + n;
    s += QStringLiteral("scaled = { '") + f.family + QStringLiteral("' : ") + f.scale + QLatin1Char(',') + n;
    s += QStringLiteral("       }") + n;
    s += markers.value(7);
    s += pieces.value(8);
    return s;
}

QStringList mapFamilyNames(const QString& mapText)
{
    QStringList lines = mapText.split(QLatin1Char('\n'));
    if (!lines.isEmpty()) {
        const int pct = int(lines.first().indexOf(QLatin1Char('%')));
        lines.first() = pct < 0 ? QString() : lines.first().left(pct + 1);
    }
    QStringList names;
    for (const QString& line : lines) {
        const int first = int(line.indexOf(QLatin1Char('-')));
        if (first < 0)
            continue;
        const int second = int(line.indexOf(QLatin1Char('-'), first + 1));
        if (second < 0)
            continue;
        const QString name = line.mid(first + 1, second - first - 1);
        if (indexNoCase(names, name) < 0)
            names << name;
    }
    return names;
}

} // namespace qlk

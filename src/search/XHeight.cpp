#include "search/XHeight.h"

#include "fontinfo/FontMeasure.h"
#include "fontinfo/FontMetric.h"
#include "platform/Dialogs.h"
#include "platform/Quote.h"
#include "services/Runners.h"

#include <QStringList>

namespace qlk {

XHeightName parseXHeightName(const QString& text)
{
    XHeightName result;
    QString name = text;
    if (name.startsWith(QLatin1Char('/'))) {
        const int slash = name.lastIndexOf(QLatin1Char('/'));
        result.folder = name.left(slash);
        name = name.mid(slash + 1);
    }
    const QStringList pieces = name.split(QLatin1Char('.'));
    if (pieces.size() >= 3) {
        result.error = QStringLiteral("Can't have two periods in a tex filename");
        return result;
    }
    result.name = pieces.at(0);
    if (pieces.size() == 2)
        result.ext = QLatin1Char('.') + pieces.at(1);
    return result;
}

QString locateFontFile(const QString& name, QString& ext)
{
    static const char* const order[] = {".afm", ".tfm", ".pfa", ".pfb", ".ttf"};
    for (const char* candidate : order) {
        const QString found =
            kpsewhichQuery(QStringLiteral("-- ") + shellQuote(name + QLatin1String(candidate)));
        if (!found.isEmpty() && lastShell.errorCode == 0) {
            ext = QLatin1String(candidate);
            return found.section(QLatin1Char('\n'), 0, 0);
        }
    }
    return QString();
}

QString xHeightResult(const QString& text)
{
    XHeightName parsed = parseXHeightName(text);
    if (!parsed.error.isEmpty()) {
        msgBox(parsed.error);
        return QString();
    }
    QString path;
    if (parsed.folder.isEmpty()) {
        path = locateFontFile(parsed.name, parsed.ext);
        if (path.isEmpty()) {
            const QString& n = parsed.name;
            msgBox(QStringLiteral("Unable to find ") + n + QStringLiteral(".tfm, ") + n + QStringLiteral(".afm,") +
                   n + QStringLiteral(".ttf, ") + n + QStringLiteral(".pfb or ") + n + QStringLiteral(".pfa"));
            return QString();
        }
    } else {
        path = parsed.folder + QLatin1Char('/') + parsed.name + parsed.ext;
    }

    const QString ext = parsed.ext.toLower();
    if (ext == QLatin1String(".afm") || ext == QLatin1String(".pfb") || ext == QLatin1String(".pfa") ||
        ext == QLatin1String(".ttf"))
        return measureFont(parsed.ext, path);
    if (ext == QLatin1String(".tfm")) {
        // A TeX font is measured by its name in the trees, wherever the
        // typed path pointed.
        const int x = fontMetric(QStringLiteral("x"), parsed.name).value_or(-1);
        const int c = fontMetric(QStringLiteral("B"), parsed.name).value_or(-1);
        return QStringLiteral("x-height=%1, Capheight=%2").arg(x).arg(c);
    }
    return QString();
}

} // namespace qlk

#include "type1/FontinstDrivers.h"

namespace qlk {

namespace {
QString lines(const QStringList& list)
{
    QString text;
    for (const QString& line : list)
        text += line + QLatin1Char('\n');
    return text;
}
} // namespace

QString fontinstHeader()
{
    return lines({QStringLiteral("\\input fontinst.sty"), QStringLiteral("\\needsfontinstversion{1.933}")});
}

int raiseExpertLevel(int level, const QStringList& berryNames)
{
    for (const QString& name : berryNames) {
        if (name.contains(QLatin1String("8x"), Qt::CaseInsensitive))
            level = qMax(level, 1);
        if (name.contains(QLatin1String("c8a"), Qt::CaseInsensitive) ||
            name.contains(QLatin1String("cj8a"), Qt::CaseInsensitive))
            level = 2;
    }
    return level;
}

QString familyDriverName(const QString& prefix)
{
    return prefix + QStringLiteral("-drv.tex");
}

QString familyDriverText(const QString& prefix, bool monowidth, int expertLevel)
{
    QStringList out;
    out << QStringLiteral("\\recordtransforms{") + prefix + QStringLiteral(".rec}");
    if (monowidth)
        out << QStringLiteral("\\setint{monowidth}{1}");
    if (expertLevel != 0)
        out << QStringLiteral("\\latinfamily{") + prefix + QStringLiteral("x}{}");
    if (expertLevel == 2)
        out << QStringLiteral("\\latinfamily{") + prefix + QStringLiteral("j}{}");
    if (expertLevel == 0) {
        // A monospaced family must not be hyphenated.
        out << QStringLiteral("\\latinfamily{") + prefix + QStringLiteral("}{") +
                   (monowidth ? QStringLiteral("\\hyphenchar\\font=-1") : QString()) + QStringLiteral("}");
    }
    out << QStringLiteral("\\endrecordtransforms") << QStringLiteral("\\bye");
    return fontinstHeader() + lines(out);
}

QString utilityDriverName(const QString& prefix)
{
    return prefix + QStringLiteral(".tex");
}

QString utilityDriverText(const QString& prefix)
{
    return lines({QStringLiteral("\\input finstmsc.sty"),
                  QStringLiteral("\\resetstr{PSfontsuffix}{.pfb}"),
                  QStringLiteral("\\adddriver{dvips}{") + prefix.left(3) + QStringLiteral("map}"),
                  QStringLiteral("\\adddriver{pltotf}{pltotf-script}"),
                  QStringLiteral("\\adddriver{debug}{mapdump.txt}"),
                  QStringLiteral("\\input ") + prefix + QStringLiteral(".rec"),
                  QStringLiteral("\\donedrivers"),
                  QStringLiteral("\\bye")});
}

} // namespace qlk

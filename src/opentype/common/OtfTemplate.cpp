#include "opentype/common/OtfTemplate.h"

namespace qlk {

QStringList otfinstMarkers()
{
    return {QStringLiteral("###encodingmarker"),     QStringLiteral("###endencodingmarker"),
            QStringLiteral("###localfontsdirmarker"), QStringLiteral("###endlocalfontsdirmarker"),
            QStringLiteral("###berrynamemarker"),    QStringLiteral("###endberrynamemarker"),
            QStringLiteral("###scaledmarker"),       QStringLiteral("###endscaledmarker")};
}

TemplateCut cutTemplate(const QString& text, const QStringList& markers)
{
    TemplateCut cut;
    QString rest = text;
    for (const QString& marker : markers) {
        // Each marker is looked for only after the previous one, and must
        // stand there exactly once.
        const int at = int(rest.indexOf(marker, 0, Qt::CaseInsensitive));
        if (at < 0 || rest.indexOf(marker, at + marker.size(), Qt::CaseInsensitive) >= 0) {
            cut.badMarker = marker;
            return cut;
        }
        cut.pieces << rest.left(at);
        rest = rest.mid(at + marker.size());
    }
    cut.pieces << rest;
    return cut;
}

void readTemplateTable(const QString& piece, bool quotedValues, QStringList& keys, QStringList& values)
{
    const int open = int(piece.indexOf(QLatin1Char('{')));
    const int close = int(piece.indexOf(QLatin1Char('}')));
    if (open < 0 || close <= open)
        return;
    QString table = piece.mid(open + 1, close - open - 1);
    table.remove(QLatin1Char('\n'));
    for (const QString& entry : table.split(QLatin1Char(','))) {
        const QStringList fields = entry.split(QLatin1Char(':'));
        if (fields.size() < 2)
            continue;
        const QString key = fields.at(0).trimmed();
        QString value = fields.at(1).trimmed();
        if (quotedValues)
            value = value.mid(1, value.size() - 2);
        keys << key.mid(1, key.size() - 2);
        values << value;
    }
}

QString parseurl(const QString& url)
{
    QString s = url;
    const int slashes = int(s.indexOf(QLatin1String("//")));
    if (slashes >= 0)
        s = s.mid(slashes + 2);
    const int slash = int(s.indexOf(QLatin1Char('/')));
    if (slash >= 0)
        s = s.left(slash);
    const QStringList labels = s.split(QLatin1Char('.'));
    int h = int(labels.size()) - 1;
    if (h >= 0 && labels.at(h).size() == 2)
        --h;
    if (h >= 0) {
        const QString label = labels.at(h).toLower();
        if (label == QLatin1String("com") || label == QLatin1String("net") || label == QLatin1String("edu") ||
            label == QLatin1String("org"))
            --h;
    }
    // A host that leaves no label (a bare country code, "com.au") names no vendor.
    return h >= 0 ? labels.at(h) : QString();
}

QString shortform(const QString& family)
{
    QString s = family;
    if (s.endsWith(QLatin1String(" Pro"), Qt::CaseInsensitive))
        s.chop(4);
    if (s.endsWith(QLatin1String(" Std"), Qt::CaseInsensitive))
        s.chop(4);
    s.remove(QLatin1Char(' '));
    return s.toLower();
}

int indexNoCase(const QStringList& list, const QString& text)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace qlk

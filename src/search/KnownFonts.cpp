#include "search/KnownFonts.h"

#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/TexEnv.h"

#include <QFileInfo>

namespace qlk {

QString resolveSourceEntry(const QString& entry, const QMap<QString, QString>& treesByName)
{
    if (!entry.startsWith(QLatin1Char('{')))
        return entry;
    const int close = entry.indexOf(QLatin1Char('}'));
    if (close < 0)
        return QString();
    const QString name = entry.mid(1, close - 1);
    const QString rest = entry.mid(close + 1);
    for (auto it = treesByName.constBegin(); it != treesByName.constEnd(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value() + rest;
    }
    return rest;
}

QStringList matchingMapLines(const QString& fileText, const QString& searchText)
{
    QStringList found;
    const QStringList lines = fileText.split(lf);
    for (const QString& line : lines) {
        const int at = line.indexOf(QLatin1Char('@'));
        const int match = line.indexOf(searchText, 0, Qt::CaseInsensitive);
        if (match < 0)
            continue;
        if (at < 0)
            found << line;
        else if (match < at)
            found << line.left(at);
    }
    // A file ending in LF leaves one empty piece behind; it is no line.
    if (!found.isEmpty() && found.last().isEmpty() && fileText.endsWith(lf))
        found.removeLast();
    return found;
}

QStringList knownFontLines(const QString& searchText, const QStringList& entries)
{
    const QString text = trimWhite(searchText);
    QStringList found;
    for (const QString& entry : entries) {
        const QString path = resolveSourceEntry(entry, texmfByName);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        found += matchingMapLines(readTextFile(path), text);
    }
    return found;
}

QStringList sourceListFromText(const QString& text)
{
    QString list = text;
    list.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    list.replace(cr, lf);
    list = trimWhite(list);
    while (list.endsWith(lf))
        list.chop(1);
    if (list.isEmpty())
        return {};
    return list.split(lf);
}

void saveSourceList(const QStringList& entries)
{
    setpref(QStringLiteral("sourcemaps"), entries.join(tab));
    saveprefs();
    sourceMapFiles = entries;
}

QString sourcesHelpText()
{
    const QString dist = texmfDist.isEmpty() ? QStringLiteral("/usr/share/texlive/texmf-dist") : texmfDist;
    return QStringLiteral(
               "You may enter a full path name, but it is better to use paths that start with {TEXMFDIST}, "
               "{TEXMFLOCAL} and so on, so that the year does not require changes. Eg,\n\n"
               "{TEXMFDIST}/fonts/map/fontname/adobe.map\n\nwill expand (in %1) to\n\n%2")
        .arg(texYear.isEmpty() ? QStringLiteral("this installation") : texYear,
             dist + QStringLiteral("/fonts/map/fontname/adobe.map"));
}

} // namespace qlk

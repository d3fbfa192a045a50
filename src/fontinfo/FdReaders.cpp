#include "fontinfo/FdReaders.h"

#include "services/FileHelpers.h"

#include <QFile>

namespace qlk {

namespace {

bool inSet(const QString& value, std::initializer_list<const char*> set)
{
    const QString v = value.trimmed();
    for (const char* s : set) {
        if (v.compare(QLatin1String(s), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isRegularSeries(const QString& s)
{
    return inSet(s, {"m", "k", "r", "l"});
}

bool isBoldSeries(const QString& s)
{
    return inSet(s, {"b", "sb", "bx"});
}

} // namespace

QList<FdShapeEntry> fdShapeEntries(const QString& fdText)
{
    QString t = fdText;
    t.remove(QStringLiteral("\\endinput"), Qt::CaseInsensitive);
    t.remove(QLatin1Char('\n'));
    t.remove(QLatin1Char('{'));
    t.replace(QLatin1Char('>'), QStringLiteral("> "));
    const QStringList pieces = t.split(QStringLiteral("\\DeclareFontShape"), Qt::KeepEmptyParts,
                                       Qt::CaseInsensitive);
    QList<FdShapeEntry> entries;
    for (int i = 1; i < pieces.size(); ++i)
        entries << pieces.at(i).split(QLatin1Char('}'));
    return entries;
}

QString fdEntryTfmName(const FdShapeEntry& entry)
{
    if (entry.size() < 5)
        return QString();
    const QString name = entry.at(4).trimmed().split(QLatin1Char(' ')).last();
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    return name;
}

QString fdRegularFont(const QString& fdPath)
{
    for (const FdShapeEntry& e : fdShapeEntries(readTextFile(fdPath))) {
        if (e.size() < 5 || !inSet(e.at(3), {"n"}) || !isRegularSeries(e.at(2)))
            continue;
        const QString name = fdEntryTfmName(e);
        if (!name.isEmpty())
            return name;
    }
    return QString();
}

QStringList fdBoldFonts(const QString& fdPath, const QString& series, const QString& shape)
{
    bool (*wanted)(const QString&) = nullptr;
    if (series.compare(QLatin1String("m"), Qt::CaseInsensitive) == 0)
        wanted = isRegularSeries;
    else if (series.compare(QLatin1String("b"), Qt::CaseInsensitive) == 0)
        wanted = isBoldSeries;
    else
        return {};
    QStringList names;
    for (const FdShapeEntry& e : fdShapeEntries(readTextFile(fdPath))) {
        if (e.size() < 5 || e.at(3).trimmed().compare(shape, Qt::CaseInsensitive) != 0 || !wanted(e.at(2)))
            continue;
        const QString name = fdEntryTfmName(e);
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

QStringList plFontNames(const QString& path)
{
    const QString text = readTextFile(path);
    if (text.isEmpty())
        return {};
    const QStringList pieces =
        text.split(QStringLiteral("(FONTNAME "), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    QStringList names;
    for (int i = 1; i < pieces.size(); ++i) {
        // A damaged entry without ")" gives the rest of the file, cut to its first line.
        QString p = pieces.at(i);
        const int close = p.indexOf(QLatin1Char(')'));
        if (close >= 0)
            p.truncate(close);
        else
            p = p.section(QLatin1Char('\n'), 0, 0);
        names << p.remove(QLatin1Char('\n')).trimmed();
    }
    return names;
}

} // namespace qlk

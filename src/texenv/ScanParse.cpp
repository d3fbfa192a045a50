#include "texenv/ScanParse.h"

#include "services/Runners.h"

#include <QRegularExpression>

namespace qlk {

QString yearFromRoot(const QString& selfAutoParent)
{
    QString root = trimWhite(selfAutoParent);
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    const QString last = root.section(QLatin1Char('/'), -1);
    static const QRegularExpression fourDigits(QStringLiteral("^\\d{4}$"));
    return fourDigits.match(last).hasMatch() ? last : QString();
}

QString yearFromTexVersion(const QString& versionText)
{
    const QString first = versionText.section(QLatin1Char('\n'), 0, 0);
    static const QRegularExpression year(QStringLiteral("TeX Live (\\d{4})"));
    const QRegularExpressionMatch m = year.match(first);
    return m.hasMatch() ? m.captured(1) : QString();
}

int yearValue(const QString& year)
{
    int value = 0;
    for (QChar c : year) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
        if (value > 100000)
            break;
    }
    return value;
}

bool adminFromGroups(const QString& idOutput)
{
    const QStringList words = idOutput.split(QRegularExpression(QStringLiteral("\\s+")),
                                             Qt::SkipEmptyParts);
    for (const QString& w : words) {
        if (w == QLatin1String("admin") || w == QLatin1String("sudo") || w == QLatin1String("wheel"))
            return true;
    }
    return false;
}

namespace {
QString withoutMarkers(QString text)
{
    text.remove(QStringLiteral("!!"));
    text.remove(QLatin1Char('{'));
    text.remove(QLatin1Char('}'));
    return text;
}

QString withoutFinalSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}
} // namespace

QStringList parseTexmfPath(const QString& answer)
{
    QStringList trees;
    for (const QString& entry : withoutMarkers(trimWhite(answer)).split(QLatin1Char(','))) {
        const QString tree = withoutFinalSlash(trimWhite(entry));
        if (!tree.isEmpty())
            trees << tree;
    }
    return trees;
}

const QStringList& treeVariableNames()
{
    static const QStringList names{
        QStringLiteral("TEXMFCONFIG"),    QStringLiteral("TEXMFVAR"),
        QStringLiteral("TEXMFHOME"),      QStringLiteral("TEXMFSYSCONFIG"),
        QStringLiteral("TEXMFSYSVAR"),    QStringLiteral("TEXMFLOCAL"),
        QStringLiteral("TEXMFDIST")};
    return names;
}

QString treeQueryTemplate()
{
    QStringList vars;
    for (const QString& name : treeVariableNames())
        vars << QLatin1Char('$') + name;
    return vars.join(QLatin1Char('\n'));
}

QMap<QString, QString> parseTreeAnswer(const QString& answer)
{
    QMap<QString, QString> trees;
    const QStringList lines = answer.split(QLatin1Char('\n'));
    const QStringList& names = treeVariableNames();
    for (int i = 0; i < names.size(); ++i) {
        QString value = i < lines.size() ? trimWhite(lines.at(i)) : QString();
        // kpsewhich leaves a variable it does not know as it stands.
        if (value.startsWith(QLatin1Char('$')))
            value.clear();
        value = withoutMarkers(value);
        // A tree given as a list of folders: its first folder.
        value = withoutFinalSlash(trimWhite(value.section(QLatin1Char(','), 0, 0)));
        trees.insert(names.at(i), value);
    }
    return trees;
}

QString installationQueryTemplate()
{
    return QStringLiteral("$SELFAUTOPARENT\n$TEXMF\n") + treeQueryTemplate();
}

InstallationAnswer splitInstallationAnswer(const QString& answer)
{
    const QStringList lines = answer.split(QLatin1Char('\n'));
    auto value = [&](int i) {
        const QString line = i < lines.size() ? trimWhite(lines.at(i)) : QString();
        return line.startsWith(QLatin1Char('$')) ? QString() : line;
    };
    const int expanded = 2 + int(treeVariableNames().size());
    InstallationAnswer a;
    a.selfAutoParent = value(0);
    a.texmf = value(1);
    a.trees = lines.mid(2, expanded - 2).join(QLatin1Char('\n'));
    a.listing = lines.mid(expanded).join(QLatin1Char('\n'));
    // The answer ends in a line feed: the last expanded line has one after it.
    a.complete = lines.size() > expanded;
    return a;
}

QStringList filesNamed(const QString& answer, const QString& name)
{
    QStringList files;
    for (const QString& line : answer.split(QLatin1Char('\n'))) {
        const QString path = trimWhite(line);
        if (path.section(QLatin1Char('/'), -1).compare(name, Qt::CaseInsensitive) == 0)
            files << path;
    }
    return files;
}

MapLine parseMapLine(const QString& line)
{
    MapLine result;
    // "# " at the very start marks a comment; the test is on the untrimmed line.
    if (line.startsWith(QLatin1String("# ")))
        return result;
    const QString trimmed = trimWhite(line);
    if (!trimmed.endsWith(QLatin1String(".map"), Qt::CaseInsensitive))
        return result;
    // Words are separated by single blanks only: "Map\tx.map" is one word.
    const QStringList words = trimmed.split(QLatin1Char(' '));
    result.isMap = true;
    result.name = words.last();
    result.disabled = words.first() == QLatin1String("#!");
    return result;
}

void collectMapStates(const QString& text, NoCaseDict<int>& states)
{
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const MapLine m = parseMapLine(line);
        if (m.isMap)
            states.insert(m.name, m.disabled ? 1 : 0);
    }
}

void compareMapStates(const NoCaseDict<int>& dist, const NoCaseDict<int>& local,
                      QStringList& disabled, QStringList& added)
{
    disabled.clear();
    added.clear();
    for (const QString& key : dist.keys()) {
        if (local.contains(key) && local.value(key) == 1)
            disabled << key;
    }
    for (const QString& key : local.keys()) {
        if (!dist.contains(key) && local.value(key) == 0)
            added << key;
    }
    disabled.sort();
    added.sort();
}

void appendCfgText(QString& combined, const QString& text)
{
    if (text.isEmpty())
        return;
    if (!combined.isEmpty() && !combined.endsWith(QLatin1Char('\n')))
        combined += QLatin1Char('\n');
    combined += text;
}

QString optionValue(const QString& combinedText, const QString& name)
{
    if (name.isEmpty())
        return QString();
    // A line feed in front so that an option on the text's first line counts too.
    const QString text = QLatin1Char('\n') + combinedText;
    const QString marker = QLatin1Char('\n') + name;
    const int at = int(text.lastIndexOf(marker));
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + marker.size());
    return trimWhite(rest.section(QLatin1Char('\n'), 0, 0));
}

QMap<QString, QString> parseShowOptions(const QString& output)
{
    QMap<QString, QString> values;
    static const QRegularExpression line(QStringLiteral("^([A-Za-z0-9]+)=(.*) \\(([^()]*)\\)\\s*$"));
    for (const QString& l : output.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(l);
        if (!m.hasMatch())
            continue;
        QString value = m.captured(2);
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        values.insert(m.captured(1), value);
    }
    return values;
}

QString pdftexMapRoot(const QString& mapPath)
{
    const QString path = trimWhite(mapPath);
    const int at = int(path.indexOf(QLatin1String("pdftex/")));
    if (at >= 0)
        return path.left(at);
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    return slash >= 0 ? path.left(slash + 1) : QString();
}

bool isMapCommentLine(const QString& line)
{
    const QString text = line.trimmed();
    return text.isEmpty() || QStringLiteral("%#*;").contains(text.at(0));
}

QList<MapLoad> mapLineLoads(const QString& line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<MapLoad> loads;
    if (isMapCommentLine(line))
        return loads;
    const QString text = line.trimmed();
    // pdfTeX allows a blank after the "<", "<<" or "<[".
    bool pending = false;  // a lone "<" or "<<" stood before this field
    bool encoding = false; // … or a lone "<["
    // A quoted part holds PostScript code, never a file name.
    QString unquoted = text;
    bool quoted = false;
    for (QChar& c : unquoted) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (quoted || c == QLatin1Char('"'))
            c = QLatin1Char(' ');
    }
    for (QString field : unquoted.split(blanks, Qt::SkipEmptyParts)) {
        if (!pending && !encoding && !field.startsWith(QLatin1Char('<')))
            continue;
        bool isEncoding = encoding;
        pending = encoding = false;
        while (field.startsWith(QLatin1Char('<')))
            field.remove(0, 1);
        if (field.startsWith(QLatin1Char('['))) {
            field.remove(0, 1);
            isEncoding = true;
            if (field.isEmpty()) {
                encoding = true;
                continue;
            }
        }
        if (field.isEmpty()) {
            pending = true;
            continue;
        }
        loads << MapLoad{field, isEncoding};
    }
    return loads;
}

bool isLoadedFontFile(const QString& fileName)
{
    static const QStringList suffixes{QStringLiteral("pfb"), QStringLiteral("pfa"), QStringLiteral("otf"),
                                      QStringLiteral("ttf"), QStringLiteral("enc")};
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && suffixes.contains(fileName.mid(dot + 1), Qt::CaseInsensitive);
}

QString mapSectionHeading(const QString& line)
{
    static const QRegularExpression heading(QStringLiteral("^%\\s+(\\S+\\.map)\\s*$"));
    const QRegularExpressionMatch m = heading.match(line.trimmed());
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace qlk

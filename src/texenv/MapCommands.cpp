#include "texenv/MapCommands.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/ScanSteps.h"
#include "texenv/UpdmapCfg.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace qlk {

namespace {
const QLatin1String kSudo("/usr/bin/sudo ");
const QLatin1String kSudoH("/usr/bin/sudo -H ");
const QLatin1String kNoHash(" --nohash --nomkmap");

// "Map=name" as one quoted word.
QString mapArgument(const QString& kind, const QString& name)
{
    return shellQuote(kind + QLatin1Char('=') + name);
}
} // namespace

bool safeMapName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('-')))
        return false;
    for (QChar c : name) {
        if (c.unicode() > 127)
            return false;
        if (c.isLetterOrNumber())
            continue;
        switch (c.toLatin1()) {
        case '_': case '@': case '%': case '+': case '.': case '-':
            continue;
        default:
            return false;
        }
    }
    return true;
}

QString mapFileName(const QString& entry)
{
    return entry.endsWith(QLatin1String(".map"), Qt::CaseInsensitive) ? entry
                                                                        : entry + QStringLiteral(".map");
}

NoCaseDict<int> parseMapTypes(const QStringList& maplist, const QString& cfgText)
{
    NoCaseDict<int> types;
    for (const QString& name : maplist)
        types.insert(name, 4);
    for (const QString& line : cfgText.split(lf)) {
        const MapLine m = parseMapLine(line);
        if (!m.isMap || !types.contains(m.name))
            continue;
        const QString trimmed = trimWhite(line);
        int code = 0;
        if (trimmed.contains(QLatin1String("KanjiMap")))
            code = 2;
        else if (trimmed.contains(QLatin1String("MixedMap")))
            code = 1;
        if (m.disabled)
            code += 4;
        types.insert(m.name, code);
    }
    return types;
}

NoCaseDict<int> parsemaps(const QStringList& maplist, bool personal)
{
    return parseMapTypes(maplist, readupdmap(personal));
}

namespace {
// "NAME='tree' " for each tree known, to put before a program.
QString treeSettings(std::initializer_list<std::pair<const char*, const QString*>> trees)
{
    QString line;
    for (const auto& [name, tree] : trees) {
        if (!tree->isEmpty())
            line += QLatin1String(name) + QLatin1Char('=') + shellQuote(*tree) + QLatin1Char(' ');
    }
    return line;
}

// The trees updmap-user is given, or those updmap-sys works in (it puts
// TEXMFSYSVAR and TEXMFSYSCONFIG in place of the personal ones).
QString updmapTrees(bool system)
{
    if (system)
        return treeSettings({{"TEXMFVAR", &texmfSysVar}, {"TEXMFCONFIG", &texmfSysConfig}});
    return treeSettings({{"TEXMFHOME", &texmfHome}, {"TEXMFVAR", &texmfVar}, {"TEXMFCONFIG", &texmfConfig}});
}
} // namespace

QString updmapUserProgram()
{
    return updmapTrees(false) + texCommand(QStringLiteral("updmap-user"));
}

QStringList missingEnabledMaps(bool personal)
{
    NoCaseDict<int> states;
    collectMapStates(distCfgText, states);
    collectMapStates(localCfgText, states);
    if (personal)
        collectMapStates(homeCfgText, states);
    QStringList enabled;
    for (const QString& name : states.keys()) {
        if (states.value(name) == 0 && safeMapName(name))
            enabled << name;
    }
    if (enabled.isEmpty())
        return {};
    QStringList arguments{QStringLiteral("-format=map")};
    for (const QString& name : enabled)
        arguments << shellQuote(name);
    // kpsewhich names every file it finds; its exit status counts the
    // missing ones. When it cannot answer at all, no map is taken for missing.
    if (!QFileInfo(texProgram(QStringLiteral("kpsewhich"))).isExecutable())
        return {};
    const QString answer = kpsewhichQuery(arguments.join(QLatin1Char(' ')));
    if (lastShell.timedOut || lastShell.errorCode < 0 || lastShell.errorCode > enabled.size())
        return {};
    QSet<QString> found;
    for (const QString& path : answer.split(lf, Qt::SkipEmptyParts))
        found.insert(trimWhite(path).section(QLatin1Char('/'), -1).toLower());
    QStringList missing;
    for (const QString& name : enabled) {
        if (!found.contains(name.toLower()))
            missing << name;
    }
    return missing;
}

QString syncWithTreesCommand(const QString& updmap, bool personal)
{
    const QStringList missing = missingEnabledMaps(personal);
    if (missing.isEmpty())
        return QString();
    QString line = updmap + kNoHash;
    for (const QString& name : missing)
        line += QStringLiteral(" --disable ") + shellQuote(name);
    return line;
}

namespace {
// One "--enable" run of `updmap` for each map whose name may enter a command line.
void appendEnableRuns(QStringList& lines, const QString& updmap, const QString& kind, const QStringList& maps)
{
    for (const QString& entry : maps) {
        const QString name = mapFileName(entry);
        if (safeMapName(name))
            lines << updmap + QStringLiteral(" --nohash --nomkmap --enable ") + mapArgument(kind, name);
    }
}
} // namespace

QStringList systemEnableCommands(const QString& kind, bool skip, const QStringList& maps)
{
    const QString updmapSys = kSudoH + texCommand(QStringLiteral("updmap-sys"));
    QStringList lines{kSudo + texCommand(QStringLiteral("mktexlsr"))};
    const QString sync = syncWithTreesCommand(updmapSys, false);
    if (!sync.isEmpty())
        lines << sync;
    if (skip || maps.isEmpty())
        return lines;
    appendEnableRuns(lines, updmapSys, kind, maps);
    lines << updmapSys + QStringLiteral(" ");
    return lines;
}

QStringList userEnableCommands(const QString& kind, bool skip, const QStringList& maps)
{
    const QString updmapUser = updmapUserProgram();
    QStringList lines;
    const QString sync = syncWithTreesCommand(updmapUser, true);
    if (!sync.isEmpty())
        lines << sync;
    if (skip || maps.isEmpty())
        return lines;
    appendEnableRuns(lines, updmapUser, kind, maps);
    lines << updmapUser;
    return lines;
}

QString mapUpdateCommand(int method, const QList<MapChange>& changes)
{
    return mapUpdateLines(method, changes).join(QStringLiteral("&&"));
}

QStringList mapUpdateLines(int method, const QList<MapChange>& changes)
{
    QStringList commands;
    QString head;
    if (method == 1) {
        head = kSudoH + texCommand(QStringLiteral("updmap-sys")) + QStringLiteral(" ");
        commands << kSudo + texCommand(QStringLiteral("mktexlsr"));
    } else {
        head = updmapUserProgram();
    }
    const QString sync = syncWithTreesCommand(head, method != 1);
    if (!sync.isEmpty())
        commands << sync;
    for (const MapChange& c : changes) {
        if (c.enabled) {
            commands << head + kNoHash + QStringLiteral(" --disable ") + shellQuote(c.name);
            continue;
        }
        // A row with only its KanjiMap box ticked is enabled as a KanjiMap,
        // the type the list read for it.
        const QString kind = c.mixed  ? QStringLiteral("MixedMap")
                             : c.kanji ? QStringLiteral("KanjiMap")
                                       : QStringLiteral("Map");
        commands << head + kNoHash + QStringLiteral(" --enable ") + mapArgument(kind, c.name);
    }
    commands << head;
    return commands;
}

QStringList optionCommands(bool system, const QStringList& names, const QStringList& values,
                           const QStringList& oldValues)
{
    const QString program = system ? kSudoH + texCommand(QStringLiteral("updmap-sys"))
                                   : updmapUserProgram();
    QStringList lines;
    for (int j = 0; j < names.size(); ++j) {
        if (values.value(j) == oldValues.value(j))
            continue;
        lines << program + QStringLiteral(" --nohash --nomkmap --setoption ") +
                     shellQuote(names.at(j) + QLatin1Char('=') + values.value(j));
    }
    lines << program;
    return lines;
}

bool safeOptionValue(const QString& value)
{
    for (QChar c : value) {
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    return true;
}

QString runUserCommands(const QStringList& lines)
{
    return runShellChain(lines);
}

namespace {
// A map line as updmap may rewrite it: blanks simplified, and none beside
// a quote (updmap turns "T1 ReEncodeFont" into " T1 ReEncodeFont ").
QString normalMapLine(const QString& line)
{
    static const QRegularExpression quote(QStringLiteral("\\s*\"\\s*"));
    QString text = line.simplified();
    if (text.contains(QLatin1Char('"')))
        text.replace(quote, QStringLiteral("\""));
    return text;
}
} // namespace

QString firstFontLine(const QString& mapText)
{
    for (const QString& line : mapText.split(lf)) {
        const QString text = line.simplified();
        if (text.isEmpty() || text.startsWith(QLatin1Char('%')) || text.startsWith(QLatin1Char('#')))
            continue;
        return text;
    }
    return QString();
}

bool pdftexMapHolds(const QString& pdftexText, const QString& fontLine)
{
    const QString wanted = normalMapLine(fontLine);
    // Only lines that name the same font are worth normalising.
    const QString name = wanted.section(QLatin1Char(' '), 0, 0);
    for (const QString& line : pdftexText.split(lf)) {
        if (line.contains(name) && normalMapLine(line) == wanted)
            return true;
    }
    return false;
}

namespace {
// Where kpsewhich, given the trees updmap worked in, finds `file` among the
// font maps; the empty text when it finds none.
QString findMapFile(const QString& file, bool system)
{
    const QString path = runShellQuiet(updmapTrees(system) + texCommand(QStringLiteral("kpsewhich")) +
                                       QStringLiteral(" -format=map ") + shellQuote(file));
    return path.section(lf, 0, 0);
}
} // namespace

PdftexMapCheck checkMapsInUse(const QStringList& maps, bool system)
{
    PdftexMapCheck check;
    check.pdftexMap = findMapFile(QStringLiteral("pdftex.map"), system);
    const QString pdftexText = check.pdftexMap.isEmpty() ? QString() : readTextFile(check.pdftexMap);
    for (const QString& entry : maps) {
        const QString name = mapFileName(entry);
        if (!safeMapName(name))
            continue; // never enabled; said so already
        const QString path = findMapFile(name, system);
        if (path.isEmpty()) {
            check.missing << name;
            continue;
        }
        // A map without a font line adds nothing that could be missing.
        const QString line = firstFontLine(readTextFile(path));
        if (!line.isEmpty() && !pdftexMapHolds(pdftexText, line))
            check.missing << name;
    }
    return check;
}

QString mapsNotInUseText(const PdftexMapCheck& check, bool system)
{
    if (check.missing.isEmpty())
        return QString();
    const bool one = check.missing.size() == 1;
    const QString where = check.pdftexMap.isEmpty() ? QStringLiteral("no pdftex.map is found")
                                                    : QStringLiteral("the pdftex.map in use (") + check.pdftexMap +
                                                          QStringLiteral(") does not hold them");
    return (one ? QStringLiteral("The fonts of the map ") : QStringLiteral("The fonts of the maps ")) +
           check.missing.join(QStringLiteral(", ")) + QStringLiteral(" cannot be used yet: ") + where +
           QStringLiteral(". Run ") + (system ? QStringLiteral("updmap-sys") : QStringLiteral("updmap-user")) +
           (system ? QStringLiteral(" to rebuild the output maps.") : QStringLiteral(" to rebuild your output maps."));
}

} // namespace qlk

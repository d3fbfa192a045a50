#include "texenv/MapCommands.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/ScanSteps.h"
#include "texenv/UpdmapCfg.h"

#include <QFileInfo>
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

QString updmapUserProgram()
{
    QString line;
    const std::pair<const char*, const QString*> trees[] = {
        {"TEXMFHOME", &texmfHome}, {"TEXMFVAR", &texmfVar}, {"TEXMFCONFIG", &texmfConfig}};
    for (const auto& [name, tree] : trees) {
        if (!tree->isEmpty())
            line += QLatin1String(name) + QLatin1Char('=') + shellQuote(*tree) + QLatin1Char(' ');
    }
    return line + texCommand(QStringLiteral("updmap-user"));
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
    return commands.join(QStringLiteral("&&"));
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
    for (const QString& line : lines) {
        runShell(line);
        if (lastShell.errorCode != 0)
            return line;
    }
    return QString();
}

} // namespace qlk

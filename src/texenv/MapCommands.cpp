#include "texenv/MapCommands.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/ScanParse.h"
#include "texenv/ScanSteps.h"
#include "texenv/UpdmapCfg.h"

#include <QFileInfo>
#include <QHash>
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

QList<MapFontLine> mapFontLines(const QString& mapText)
{
    QList<MapFontLine> lines;
    for (const QString& raw : mapText.split(lf)) {
        if (isMapCommentLine(raw))
            continue;
        const QString text = raw.simplified();
        MapFontLine entry;
        entry.line = text;
        entry.font = text.section(QLatin1Char(' '), 0, 0);
        for (const MapLoad& load : mapLineLoads(text)) {
            if (isLoadedFontFile(load.file) && !entry.files.contains(load.file))
                entry.files << load.file;
        }
        lines << entry;
    }
    return lines;
}

NoCaseDict<int> updmapReadRanks(const QStringList& cfgTexts)
{
    // As updmap reads its files: per file the last line for a map counts;
    // across files the highest-priority file decides a map's state, and a
    // map belongs to the lowest-priority file that names it.
    static const QRegularExpression skipped(QStringLiteral("^\\s*(#$|#[^!]|##)|^#![^ ]"));
    static const QRegularExpression trailingComment(QStringLiteral("^([^#].*?)#.*$"));
    static const QStringList kinds{QStringLiteral("Map"), QStringLiteral("MixedMap"), QStringLiteral("KanjiMap")};
    NoCaseDict<int> state; // 0 enabled for pdftex.map, 1 disabled, 2 KanjiMap
    NoCaseDict<int> rank;
    for (int i = 0; i < cfgTexts.size(); ++i) {
        NoCaseDict<int> own;
        for (QString line : cfgTexts.at(i).split(lf)) {
            line.remove(cr);
            if (line.trimmed().isEmpty() || skipped.match(line).hasMatch())
                continue;
            line.replace(trailingComment, QStringLiteral("\\1"));
            const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            if (words.size() >= 3 && words.at(0) == QLatin1String("#!") && kinds.contains(words.at(1)))
                own.insert(words.at(2), 1);
            else if (words.size() >= 2 && kinds.contains(words.at(0)))
                own.insert(words.at(1), words.at(0) == QLatin1String("KanjiMap") ? 2 : 0);
        }
        for (const QString& name : own.keys()) {
            if (!state.contains(name))
                state.insert(name, own.value(name));
            rank.insert(name, i);
        }
    }
    NoCaseDict<int> enabled;
    for (const QString& name : state.keys()) {
        if (state.value(name) == 0)
            enabled.insert(name, rank.value(name));
    }
    return enabled;
}

namespace {
// Where kpsewhich, in the trees updmap works in, finds each of `names`:
// lower-case file name -> path. Many names go to one call; kpsewhich names
// only what it finds. `answered` is false when it could not answer at all.
QHash<QString, QString> findMany(const QStringList& names, const QString& format, bool system, bool* answered)
{
    QHash<QString, QString> found;
    *answered = true;
    const int batch = 200; // kpsewhich's exit status counts the missing ones, up to 255
    for (int from = 0; from < names.size(); from += batch) {
        QString command = updmapTrees(system) + texCommand(QStringLiteral("kpsewhich"));
        if (!format.isEmpty())
            command += QStringLiteral(" -format=") + shellQuote(format);
        command += QStringLiteral(" --");
        const QStringList part = names.mid(from, batch);
        for (const QString& name : part)
            command += QLatin1Char(' ') + shellQuote(name);
        runShellQuiet(command);
        if (lastShell.timedOut || lastShell.errorCode < 0 || lastShell.errorCode > part.size()) {
            *answered = false;
            return {};
        }
        for (const QString& path : lastShell.output.split(lf, Qt::SkipEmptyParts)) {
            const QString file = trimWhite(path);
            const QString key = file.section(QLatin1Char('/'), -1).toLower();
            if (!found.contains(key))
                found.insert(key, file);
        }
    }
    return found;
}

// The maps updmap reads into pdftex.map, with their read ranks and font lines.
struct EnabledMaps {
    NoCaseDict<int> ranks;
    NoCaseDict<QList<MapFontLine>> lines;
};
EnabledMaps readEnabledMaps(bool system)
{
    EnabledMaps maps;
    runShellQuiet(updmapTrees(system) + texCommand(QStringLiteral("kpsewhich")) +
                  QStringLiteral(" -all updmap.cfg"));
    QStringList texts;
    for (const QString& path : lastShell.output.split(lf, Qt::SkipEmptyParts))
        texts << readTextFile(trimWhite(path));
    maps.ranks = updmapReadRanks(texts);
    QStringList names;
    for (const QString& name : maps.ranks.keys()) {
        if (safeMapName(name))
            names << name;
    }
    bool answered = false;
    const QHash<QString, QString> paths = findMany(names, QStringLiteral("map"), system, &answered);
    for (const QString& name : names) {
        const QString path = paths.value(name.toLower());
        if (!path.isEmpty())
            maps.lines.insert(name, mapFontLines(readTextFile(path)));
    }
    return maps;
}

// The first line of `lines` that defines `font`, or none.
const MapFontLine* lineOf(const QList<MapFontLine>& lines, const QString& font)
{
    for (const MapFontLine& line : lines) {
        if (line.font == font)
            return &line;
    }
    return nullptr;
}

// "a", "a and b", "a, b and c"; a long list ends "… and N more".
QString nameList(const QStringList& names)
{
    const int shown = 8;
    QStringList list = names.mid(0, shown);
    if (names.size() > shown)
        list << QStringLiteral("%1 more").arg(names.size() - shown);
    if (list.size() == 1)
        return list.first();
    const QString last = list.takeLast();
    return list.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}
} // namespace

QStringList filesNotFound(const QStringList& names, bool system)
{
    // Each kind under pdfTeX's own search format, which also finds "X.PFB".
    static const QList<QPair<QString, QString>> formats{
        {QStringLiteral("pfb"), QStringLiteral("type1 fonts")},   {QStringLiteral("pfa"), QStringLiteral("type1 fonts")},
        {QStringLiteral("enc"), QStringLiteral("enc files")},     {QStringLiteral("otf"), QStringLiteral("opentype fonts")},
        {QStringLiteral("ttf"), QStringLiteral("truetype fonts")}};
    QMap<QString, QStringList> byFormat;
    for (const QString& name : names) {
        const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
        for (const auto& [ending, format] : formats) {
            if (suffix == ending && !byFormat[format].contains(name))
                byFormat[format] << name;
        }
    }
    QStringList missing;
    for (auto it = byFormat.constBegin(); it != byFormat.constEnd(); ++it) {
        bool answered = false;
        const QHash<QString, QString> found = findMany(it.value(), it.key(), system, &answered);
        if (!answered)
            continue;
        for (const QString& name : it.value()) {
            if (!found.contains(name.toLower()))
                missing << name;
        }
    }
    return missing;
}

PdftexMapCheck checkMapsInUse(const QStringList& maps, bool system)
{
    PdftexMapCheck check;
    check.pdftexMap = findMapFile(QStringLiteral("pdftex.map"), system);
    const QString pdftexText = check.pdftexMap.isEmpty() ? QString() : readTextFile(check.pdftexMap);
    struct Enabled {
        QString name;
        QList<MapFontLine> lines;
    };
    QList<Enabled> enabled;
    QStringList loads;
    for (const QString& entry : maps) {
        const QString name = mapFileName(entry);
        if (!safeMapName(name))
            continue; // never enabled; said so already
        const QString path = findMapFile(name, system);
        if (path.isEmpty()) {
            check.missing << name;
            continue;
        }
        enabled << Enabled{name, mapFontLines(readTextFile(path))};
        for (const MapFontLine& line : enabled.last().lines)
            loads << line.files;
    }
    if (enabled.isEmpty())
        return check;

    // Outline and encoding files the maps load: a document using the font
    // stops when pdfTeX cannot find one.
    const QStringList notFound = filesNotFound(loads, system);
    for (const Enabled& map : enabled) {
        MissingLoads missing{map.name, {}};
        for (const MapFontLine& line : map.lines) {
            for (const QString& file : line.files) {
                if (notFound.contains(file) && !missing.files.contains(file))
                    missing.files << file;
            }
        }
        if (!missing.files.isEmpty())
            check.missingFiles << missing;
    }

    // A font another map defines too: updmap keeps one definition, which
    // no rebuild changes.
    const EnabledMaps others = readEnabledMaps(system);
    for (int i = 0; i < enabled.size(); ++i) {
        const Enabled& map = enabled.at(i);
        QSet<QString> clashing;
        for (const QString& other : others.lines.keys()) {
            if (other.compare(map.name, Qt::CaseInsensitive) == 0)
                continue;
            bool reported = false; // from the other side, when both were just enabled
            for (int j = 0; j < i; ++j)
                reported = reported || enabled.at(j).name.compare(other, Qt::CaseInsensitive) == 0;
            if (reported)
                continue;
            const QList<MapFontLine> otherLines = others.lines.value(other);
            MapClash clash{map.name, other, {}, {}, {}};
            for (const MapFontLine& line : map.lines) {
                const MapFontLine* theirs = lineOf(otherLines, line.font);
                if (!theirs || clash.fonts.contains(line.font) || normalMapLine(theirs->line) == normalMapLine(line.line))
                    continue;
                clash.fonts << line.font;
                if (clash.usedNow.isEmpty()) {
                    if (pdftexMapHolds(pdftexText, line.line))
                        clash.usedNow = map.name;
                    else if (pdftexMapHolds(pdftexText, theirs->line))
                        clash.usedNow = other;
                }
            }
            if (clash.fonts.isEmpty())
                continue;
            for (const QString& font : clash.fonts)
                clashing.insert(font);
            // A map whose enabling failed is read by no updmap run.
            const int mine = others.ranks.value(map.name, -1);
            const int theirs = others.ranks.value(other);
            if (mine < 0 || theirs < mine)
                clash.winner = other;
            else if (mine < theirs)
                clash.winner = map.name;
            check.clashes << clash;
        }
        // The clash says what became of those fonts; the map's other fonts
        // must have reached pdftex.map.
        for (const MapFontLine& line : map.lines) {
            if (clashing.contains(line.font))
                continue;
            if (!pdftexMapHolds(pdftexText, line.line))
                check.missing << map.name;
            break;
        }
    }
    return check;
}

QString mapsNotInUseText(const PdftexMapCheck& check, bool system)
{
    QStringList texts;
    if (!check.missing.isEmpty()) {
        const bool one = check.missing.size() == 1;
        const QString where = check.pdftexMap.isEmpty() ? QStringLiteral("no pdftex.map is found")
                                                        : QStringLiteral("the pdftex.map in use (") + check.pdftexMap +
                                                              QStringLiteral(") does not hold them");
        texts << (one ? QStringLiteral("The fonts of the map ") : QStringLiteral("The fonts of the maps ")) +
                     check.missing.join(QStringLiteral(", ")) + QStringLiteral(" cannot be used yet: ") + where +
                     QStringLiteral(". Run ") +
                     (system ? QStringLiteral("updmap-sys") : QStringLiteral("updmap-user")) +
                     (system ? QStringLiteral(" to rebuild the output maps.")
                             : QStringLiteral(" to rebuild your output maps."));
    }
    for (const MissingLoads& m : check.missingFiles)
        texts << QStringLiteral("The map ") + m.map + QStringLiteral(" loads ") + nameList(m.files) +
                     (m.files.size() == 1 ? QStringLiteral(", which is not installed")
                                          : QStringLiteral(", which are not installed")) +
                     QStringLiteral(": documents using these fonts will stop.");
    for (const MapClash& c : check.clashes) {
        QString text = QStringLiteral("In ") + c.map + QStringLiteral(", ") + nameList(c.fonts) +
                       (c.fonts.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are")) +
                       QStringLiteral(" also defined by ") + c.other;
        if (c.winner == c.other)
            text += QStringLiteral(", which updmap uses");
        else if (!c.winner.isEmpty())
            text += QStringLiteral(", whose definition updmap leaves unused");
        else
            text += QStringLiteral("; updmap takes one of the two definitions, choosing anew on each run") +
                    (c.usedNow.isEmpty() ? QString() : QStringLiteral(" (now ") + c.usedNow + QStringLiteral("'s)"));
        texts << text + QStringLiteral("; disable one of the two maps.");
    }
    return texts.join(lf);
}

QMap<QString, QString> fontsDefinedByEnabledMaps(const QStringList& fonts, bool system)
{
    QMap<QString, QString> defined;
    if (fonts.isEmpty())
        return defined;
    const EnabledMaps maps = readEnabledMaps(system);
    for (const QString& map : maps.lines.keys()) {
        const int rank = maps.ranks.value(map);
        for (const MapFontLine& line : maps.lines.value(map)) {
            if (!fonts.contains(line.font))
                continue;
            // The definition updmap takes: the lowest rank.
            const QString known = defined.value(line.font);
            if (known.isEmpty() || rank < maps.ranks.value(known))
                defined.insert(line.font, map);
        }
    }
    return defined;
}

QString fontsAlreadyDefinedText(const QMap<QString, QString>& defined)
{
    if (defined.isEmpty())
        return QString();
    QStringList pairs;
    QStringList maps;
    for (auto it = defined.constBegin(); it != defined.constEnd(); ++it) {
        pairs << it.key() + QStringLiteral(" by ") + it.value();
        if (!maps.contains(it.value()))
            maps << it.value();
    }
    return QStringLiteral("WARNING!!! TeX font names this package makes are already defined by enabled maps: ") +
           nameList(pairs) +
           QStringLiteral(". updmap uses only one definition of a font name, so after Install documents would get "
                          "either font. Give the fonts other names, or disable ") +
           nameList(maps) + QStringLiteral(" first.");
}

} // namespace qlk

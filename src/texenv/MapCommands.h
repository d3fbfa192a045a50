#pragma once
#include "texenv/TexEnv.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace qlk {

// The updmap command lines that enable and disable font maps and set updmap
// options, and the readers of map states behind them. Personal commands run
// updmap-user as the user; system commands run updmap-sys through the root
// route.

// Whether a map name may enter a command line: letters, digits and
// "_ @ % + . -", not beginning with "-". Anything else (blanks, quotes,
// "$", ";", "/" ...) is refused rather than trusted to quoting alone.
bool safeMapName(const QString& name);
// A map entry as updmap wants it: ".map" added unless the name already ends
// in it (any letter case).
QString mapFileName(const QString& entry);

// The state of each map of `maplist` that the updmap.cfg text gives it: the
// type in the two low bits (0 Map, 1 MixedMap, 2 KanjiMap), plus 4 when the
// map is not enabled. A map that no line names keeps 4; the last line that
// names a map decides.
NoCaseDict<int> parseMapTypes(const QStringList& maplist, const QString& cfgText);
// The same from the updmap.cfg files themselves (readupdmap).
NoCaseDict<int> parsemaps(const QStringList& maplist, bool personal);

// updmap-user, quoted, with TEXMFHOME, TEXMFVAR and TEXMFCONFIG set to the
// trees the start-up scan found: run as root, updmap resets HOME to root's
// home and would otherwise write there.
QString updmapUserProgram(); // (a tree not yet known is left to updmap)

// The maps that the loaded updmap.cfg texts enable (the distribution's and
// the other system ones, and with `personal` the personal ones too) but
// whose files kpsewhich no longer finds; names fit for a command line only.
QStringList missingEnabledMaps(bool personal);
// The step that brings updmap.cfg in line with the trees: `updmap` with one
// "--disable" per missing map, or the empty text when none is missing.
// Debian's updmap asks y/N before --syncwithtrees and, reading no answer,
// changes nothing, so the missing maps are disabled by name instead.
QString syncWithTreesCommand(const QString& updmap, bool personal);

// The command lists of an installation's end. The system list: mktexlsr,
// the synchronising updmap-sys run, and unless `skip` or no maps, one
// enabling run per map and the plain run. The personal list: the same with
// updmap-user, without mktexlsr. Maps with refused names are left out.
QStringList systemEnableCommands(const QString& kind, bool skip, const QStringList& maps);
QStringList userEnableCommands(const QString& kind, bool skip, const QStringList& maps);

// One ticked row of the map window.
struct MapChange {
    QString name;
    bool enabled = false; // the row shows "X"
    bool mixed = false;   // its MixedMap box
    bool kanji = false;   // its KanjiMap box
};
// The one "&&"-chained line of the map window's Update: method 0 runs
// updmap-user, method 1 mktexlsr and updmap-sys with sudo.
QString mapUpdateCommand(int method, const QList<MapChange>& changes);
// The same lines before they are chained.
QStringList mapUpdateLines(int method, const QList<MapChange>& changes);

// The --setoption lines for every option whose value differs from its old
// one (values compared as texts), then the plain run. `system` chooses
// updmap-sys with sudo over updmap-user.
QStringList optionCommands(bool system, const QStringList& names, const QStringList& values,
                           const QStringList& oldValues);
// Whether an option value may enter a command line: no control characters
// (a TAB would split the batch, a line end the shell line).
bool safeOptionValue(const QString& value);

// Runs personal command lines as the user, as one "&&" chain that finishes
// even when the program is ended meanwhile (runShellChain, which reports a
// failure); the first that fails stops the rest and is returned, the empty
// text when all succeeded.
QString runUserCommands(const QStringList& lines);

// Whether enabled maps took effect. updmap can report success and still
// leave a map out of pdftex.map (or have been stopped before its rebuild),
// and LaTeX then stops with "font not found".
//
// A map file's first font line: its first line that is neither empty nor
// a comment ("%" or "#" first), blanks simplified; empty when it has none.
QString firstFontLine(const QString& mapText);
// Whether a pdftex.map text holds `fontLine` as updmap copies it there
// (blanks simplified, none beside a quote).
bool pdftexMapHolds(const QString& pdftexText, const QString& fontLine);

// One font line of a map file: the TeX font name (its first word), the
// line with blanks simplified, and the files it loads ("<x.pfb", "<<x.pfa",
// "<[x.enc", "< x.otf" ...) that are outline or encoding files (.pfb, .pfa,
// .otf, .ttf, .enc).
struct MapFontLine {
    QString font;
    QString line;
    QStringList files;
};
// Every font line of a map text, in order (comment and empty lines skipped).
QList<MapFontLine> mapFontLines(const QString& mapText);

// The maps updmap reads into pdftex.map, from the updmap.cfg texts in
// updmap's order (highest priority first), with updmap's own reading of
// them: the highest-priority line decides whether a map is enabled;
// KanjiMap maps are left out. Each enabled map's value is its read rank:
// updmap reads the maps of the lowest-priority file first (a map counts
// where it is named first from that end), and a font that two maps define
// comes from the map read last. A lower rank wins; maps of equal rank
// (named by the same file) are read in an order that changes from run to run.
NoCaseDict<int> updmapReadRanks(const QStringList& cfgTexts);

// Another enabled map that defines fonts of a map just enabled, with
// another line.
struct MapClash {
    QString map;        // the map just enabled
    QString other;      // the other enabled map
    QStringList fonts;  // the TeX font names both define
    QString winner;     // the map whose lines updmap takes; empty when its choice changes from run to run
    QString usedNow;    // with no fixed winner: the map whose lines pdftex.map holds now, if known
};
struct MissingLoads {
    QString map;        // a map just enabled
    QStringList files;  // files its font lines load that kpsewhich cannot find
};
struct PdftexMapCheck {
    QString pdftexMap;   // the pdftex.map in use; empty when none is found
    QStringList missing; // map files whose first font line it does not hold
    QList<MissingLoads> missingFiles;
    QList<MapClash> clashes;
};
// Looks up pdftex.map and each map of `maps` (tdsMaps entries) with kpsewhich
// in the trees updmap worked in: updmap-user's, or with `system`
// updmap-sys's (TEXMFSYSVAR and TEXMFSYSCONFIG). A map kpsewhich cannot find
// is missing; one without font lines is not. Each map's loaded files are
// looked up too, and its fonts against every other map updmap reads; a font
// another map defines is a clash rather than a missing map. Refused names
// are skipped.
PdftexMapCheck checkMapsInUse(const QStringList& maps, bool system);
// The message naming the missing maps and the command that rebuilds the
// maps, the files that are not installed and the clashes, one a line; the
// empty text when all is well.
QString mapsNotInUseText(const PdftexMapCheck& check, bool system);

// Which files of `names` kpsewhich cannot find in the trees updmap works
// in (or, with `system`, updmap-sys), asking for many names at a time.
// When kpsewhich cannot answer at all, none is taken for missing.
QStringList filesNotFound(const QStringList& names, bool system);

// The fonts of `fonts` that a map updmap reads already defines, font ->
// that map (the first in updmap's order of reading that defines it).
// TeX font names keep their letter case.
QMap<QString, QString> fontsDefinedByEnabledMaps(const QStringList& fonts, bool system);
// The warning that a package will make TeX font names enabled maps define;
// the empty text when there are none.
QString fontsAlreadyDefinedText(const QMap<QString, QString>& defined);

} // namespace qlk

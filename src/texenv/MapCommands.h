#pragma once
#include "texenv/TexEnv.h"

#include <QList>
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
struct PdftexMapCheck {
    QString pdftexMap;   // the pdftex.map in use; empty when none is found
    QStringList missing; // map files whose first font line it does not hold
};
// Looks up pdftex.map and each map of `maps` (tdsMaps entries) with kpsewhich
// in the trees updmap worked in: updmap-user's, or with `system`
// updmap-sys's (TEXMFSYSVAR and TEXMFSYSCONFIG). A map kpsewhich cannot find
// is missing; one without font lines is not. Refused names are skipped.
PdftexMapCheck checkMapsInUse(const QStringList& maps, bool system);
// The message naming the missing maps and the command that rebuilds the
// maps; the empty text when none is missing.
QString mapsNotInUseText(const PdftexMapCheck& check, bool system);

} // namespace qlk

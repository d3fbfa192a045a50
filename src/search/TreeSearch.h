#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// Searches of the TeX trees by file name and of the font map files by
// content. Search texts reach find and grep as quoted data, never as shell
// code or options; the trees come from the TeX environment the start-up scan
// filled.

// Every file or folder in the TeX trees whose name matches `pattern` ("*"
// for any run of characters, case ignored): one path a line, LF-separated,
// empty when nothing matched. A tree that is missing or partly unreadable
// leaves the others' answers intact.
QString findInTrees(const QString& pattern);

// The metric file of the font `name` (file name without extension): its
// AFM when there is one, else its TFM; the empty text when neither is found.
// The path is not checked for existence beyond what the search saw.
QString findMetricFile(const QString& name);

// Where searchMaps shows its progress. The window layer fills it with the
// text viewer and the search dialog; tests record. Missing members are
// skipped.
struct MapSearchView {
    std::function<void(const QString& report)> showResults; // report lines end with CR
    std::function<void(const QString& title)> setTitle;     // the viewer's title
    std::function<void()> closeDialog;                      // the search is over
};

// The "Search maps" report: searches the master pdftex.map, its copies, the
// dvips maps of TEXMFVAR, of TEXMFDIST and TEXMFLOCAL, and of TEXMFHOME (or
// of the whole home folder with `plusHome`), and shows the growing report
// through `view` three times. Returns the final report.
QString searchMaps(const QString& text, bool plusHome, bool caseSensitive,
                   const MapSearchView& view = {});

// Raw grep lines ("path:line", LF-separated, trimmed) over the dvips maps of
// TEXMFDIST and TEXMFLOCAL; case ignored when `ignoreCase` is 1. `pattern`
// is a basic regular expression.
QString grepSystemMaps(const QString& pattern, int ignoreCase);
// The same over the dvips maps of TEXMFHOME; the path stands in front of a
// line only when there is more than one map file.
QString grepPersonalMaps(const QString& pattern, int ignoreCase);
// The system lines, then the personal lines, one result a line.
QString grepAllMaps(const QString& pattern, int ignoreCase);

// The lines of the master pdftex.map whose first field is `font`.
QStringList grepMasterMap(const QString& font);

// The master map: mapRoot + "pdftex/updmap/pdftex.map".
QString masterMapPath();

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Searches of the TeX trees by file name and of the font map files by
// content. Every search text reaches find and grep as data, never as shell
// code; the trees come from the TeX environment the start-up scan filled.

// Every file or folder in the TeX trees whose name matches `pattern` ("*"
// for any run of characters, case ignored): one path a line, LF-separated,
// empty when nothing matched.
QString findInTrees(const QString& pattern);

// The metric file of the font `name` (file name without extension): its
// AFM when there is one, else its TFM; the empty text when neither is found.
QString findMetricFile(const QString& name);

// The "Search maps" report: searches the master pdftex.map, its copies, the
// dvips maps of TEXMFVAR, of the system trees and of TEXMFHOME (or of the
// whole home folder with `plusHome`), and shows what it found in the text
// viewer as it goes.
void searchMaps(const QString& text, bool plusHome, bool caseSensitive);

// Raw grep lines ("path:line", LF-separated, trimmed) over the dvips maps of
// TEXMFDIST and TEXMFLOCAL; case ignored when `ignoreCase` is 1.
QString grepSystemMaps(const QString& pattern, int ignoreCase);
// The same over the dvips maps of TEXMFHOME.
QString grepPersonalMaps(const QString& pattern, int ignoreCase);
// The system lines, then the personal lines, one result a line.
QString grepAllMaps(const QString& pattern, int ignoreCase);

// The lines of the master pdftex.map whose first field is `font`.
QStringList grepMasterMap(const QString& font);

} // namespace qlk

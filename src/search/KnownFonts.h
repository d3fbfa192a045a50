#pragma once
#include <QMap>
#include <QString>
#include <QStringList>

namespace qlk {

// "Known fonts": a look-up in the fontname map files the user lists as
// sources. An entry is a path, or "{VAR}" and the rest of a path, VAR being
// a TEXMF role name (any letter case) so that stored entries survive a new
// TeX Live year.

// The path an entry stands for: "{VAR}rest" becomes the tree of VAR followed
// by rest (rest alone when VAR is no known role name); an entry that opens a
// brace it never closes gives the empty text; any other entry is its own path.
QString resolveSourceEntry(const QString& entry, const QMap<QString, QString>& treesByName);

// The lines of a map file's text (split at LF only; a CR before the LF
// stays) that hold `searchText`, letter case ignored, before their first
// "@"; such lines are cut there, blanks before the "@" kept. Whatever
// follows the "@" never counts. An empty search text matches every line
// that does not begin with "@".
QStringList matchingMapLines(const QString& fileText, const QString& searchText);

// The whole search: `searchText` trimmed, every entry resolved against
// texmfByName and read afresh, the matches in entry order. Entries that
// resolve to nothing readable are skipped.
QStringList knownFontLines(const QString& searchText, const QStringList& entries);

// The source list the dialog's text stands for: trimmed, trailing line ends
// dropped, one entry a line (inner blank lines stay as empty entries). An
// empty text gives an empty list.
QStringList sourceListFromText(const QString& text);
// Stores the list: "sourcemaps" (TAB-joined), the preferences file rewritten
// at once, then sourceMapFiles replaced.
void saveSourceList(const QStringList& entries);

// The sources dialog's explanation, its example expanded with this
// installation's distribution tree.
QString sourcesHelpText();

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Finding an installed font package, style file or map file in the trees the
// uninstaller may remove from, and explaining a match: its tree, supplier
// and package.

// The three trees by number: 0 TEXMFLOCAL, 1 TEXMFHOME, 2 TEXMFVAR.
QStringList uninstallTrees();
QString uninstallTreeName(int tree);
// The number of the tree that holds `path` (whole path components), -1 for
// none of the three.
int uninstallTreeOf(const QString& path, const QStringList& trees);

// The folders named exactly `name` below `root`, at any depth, in the order
// a recursive listing gives them, each as its path followed by ":".
QStringList folderLinesNamed(const QString& root, const QString& name);
// Six listings: 0-2 the folders named `name` below tex/latex of trees 0-2,
// 3-5 those below fonts/tfm; lines joined with LF.
QStringList getpkgs(const QString& name, const QStringList& trees);

// Whether a distribution tree (TEXMFDIST and Debian's unnamed ones) holds
// a file whose name begins with `name` (file search) or a folder named
// exactly `name` (package search), read from their ls-R.
bool existsInDistribution(const QString& name, bool file);

// Files whose name equals `name`, case ignored, below `folders` in order.
QStringList filesNamedNoCase(const QStringList& folders, const QString& name);

// The outcome of one search.
struct PackageSearchResult {
    QString s4;             // ".sty", ".map" (file search) or empty (package search)
    QStringList fnd;        // the matches
    QString message;        // the text of the message area
    bool distHas = false;   // "Exists in TEXMFDIST"
    bool found = false;     // at least one match: classify fnd[0]
    bool several = false;   // more than one match: "Next" is useful
};
// The search for a typed name (trimmed here). File matches are kept only
// inside the three trees.
PackageSearchResult searchPackage(const QString& typed, const QStringList& trees);

// What one match says.
struct MatchInfo {
    QString tree;            // "TEXMFLOCAL", "TEXMFHOME", "TEXMFVAR"; empty outside them
    QString supplier;        // empty when not decided
    QString package;         // empty when not decided
    QString message;         // replaces the message area when not empty
    QStringList supplierChoices; // shown in the supplier popup when not empty
    QStringList packageChoices;  // shown in the package popup when not empty
    bool offerMapDeletion = false; // the map file holds no font line
    // Tree, supplier and package are all known and nothing is left to choose.
    bool removable() const
    {
        return !tree.isEmpty() && !supplier.isEmpty() && !package.isEmpty() && supplierChoices.isEmpty() &&
               packageChoices.isEmpty() && !offerMapDeletion;
    }
};
// Classifies fnd[index] of a search of kind `s4`; `searched` is the package
// name a package search was made for.
MatchInfo classifyMatch(const QString& s4, const QString& path, const QString& searched,
                        const QStringList& trees);

// A map file's text holds no font line: only blank lines and "%" comments.
bool mapHoldsNoFonts(const QString& text);
// The font of a map's first font line (its first word), empty when none.
QString firstMapFont(const QString& text);

// Deletes an empty map file: as the user in a personal tree, through the
// root route in TEXMFLOCAL. False (after a message) when it failed.
bool deleteEmptyMap(const QString& path, const QStringList& trees);

} // namespace qlk

#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// Moving font files out of the impermanent personal tree (and, on the
// system move, the permanent one) into a permanent tree. Nothing is removed
// from a source tree before its files are copied into the target and the
// copies are checked byte for byte: the files are gathered in a scratch
// folder of the move's own, checked, copied into the target, checked again,
// and only then removed from the sources. The bitmap fonts (fonts/pk) and
// updmap's output maps stay where they are; the folders of .fd files below
// tex/latex are copied, not moved.

struct MoveRequest {
    QStringList sources; // trees, in order; a later tree's file replaces an earlier one's
    QString target;
    bool systemMove = false; // the target needs root, and the moved maps are enabled
    int method = 0;          // preference "method": 1 updmap-sys, 0 updmap-user
};

struct MoveOutcome {
    bool done = false;       // the files are in the target and gone from the sources
    bool started = false;    // the user agreed and something was gathered
    QString scratch;         // the move's own scratch folder
    QStringList moved;       // the moved files, relative to their tree ("fonts/...")
    QStringList maps;        // names of the moved map files
};

// What the move needs of the window: the overwrite confirmation, which
// returns true only for "OK".
using ConfirmOverwrite = std::function<bool(const QStringList& files)>;

MoveOutcome moveFonts(const MoveRequest& request, const ConfirmOverwrite& confirmOverwrite);

// The files below <tree>/fonts that a move takes (relative to the tree),
// leaving out fonts/pk and the updmap output folders.
QStringList movableFontFiles(const QString& tree);
// The folders below tex/latex (never tex/latex itself) that hold a .fd file,
// relative to the tree.
QStringList fdFolders(const QString& tree);
// Whether a map file names TrueType fonts (".ttf" in its text, case ignored).
bool mapNamesTrueType(const QString& mapFile);
// The commands that enable the moved maps in a system tree, to be joined
// with TAB: with method 1 through mktexlsr and updmap-sys, else updmap-user;
// maps flagged TrueType are left out.
QStringList moveEnableCommands(const QStringList& maps, const QList<bool>& trueType, int method);
// The line that archives and then removes updmap's output maps of one
// driver in a tree ("<driver>upd.zip" in the tree's root).
QString archiveUpdmapOutputCommand(const QString& tree, const QString& driver);

} // namespace qlk

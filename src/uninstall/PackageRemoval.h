#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace qlk {

// Removing one installed font package from one tree: its folders are found
// as exact paths (<tree>/<kind>/<supplier>/<package>, LaTeX files also in
// tex/latex/<package>, encodings and maps in <tree>/fonts/enc|map/<driver>/
// <package>), optionally copied into a TDS folder, then deleted.

struct RemovalFolder {
    QString kind;     // "latex", "enc", "map", "tfm", "vf", "type1", "truetype", "opentype"
    QString path;     // the folder in the tree
    bool ask = false; // one of several candidates of its kind: the user decides
    QString sharedWith; // enc/map folders: the other supplier's package that still uses them
};

struct RemovalPlan {
    QString error;       // why nothing may be removed; empty when the plan stands
    int tree = -1;
    QString treePath;
    QString supplier;
    QString package;
    QList<RemovalFolder> folders; // to remove, in removal order
    QList<RemovalFolder> kept;    // shared encodings and maps, left in place
    bool hasType1() const;
    // The map files (names) inside the map folders to remove, as they stood
    // when the plan was made.
    QStringList mapNames() const;
    QStringList maps;
    // Leaves folders[i] in place (the user kept it).
    void keepFolder(int i);
};

// Whether a name may stand for one supplier or package folder: not empty,
// not "." or "..", no "/", and not the name of a kind or driver folder.
bool validPackageFolderName(const QString& name);

// The plan for removing `package` of `supplier` from tree number `tree`
// (0 TEXMFLOCAL, 1 TEXMFHOME, 2 TEXMFVAR) of `trees`.
RemovalPlan planRemoval(int tree, const QStringList& trees, const QString& supplier, const QString& package);

// The question asked before a removal: every folder that goes, and those
// kept as shared.
QString removalQuestion(const RemovalPlan& plan);

// Where a folder's copy goes below the TDS folder.
QString tdsTarget(const RemovalPlan& plan, const RemovalFolder& folder);
// Refuses a TDS folder inside the tree or inside a folder to be removed
// (the message), else the empty text.
QString tdsFolderProblem(const RemovalPlan& plan, const QString& tds);
// Copies every folder (hidden files too, permissions and dates kept) into
// `tds`, in the copy order; stops at the first failure and returns its
// description, the empty text when all copies were made.
QString copyToTds(const RemovalPlan& plan, const QString& tds);

// Deletes the folders: as the user in a personal tree, through the root
// route in TEXMFLOCAL. Returns one line per folder that could not be removed.
QStringList removeFolders(const RemovalPlan& plan);
// After the removal: ls-R of TEXMFLOCAL refreshed, the removed maps that no
// tree holds any more disabled by name, the output maps rebuilt. Returns one
// line per step that failed.
QStringList updateAfterRemoval(const RemovalPlan& plan);

// The whole removal after the user confirmed it: the TDS step when
// `saveToTds` (folder chooser and its checks), the deletions, the updates.
// Returns the line for the message area; empty when the run stopped before
// anything was removed (a message said why).
QString performRemoval(const RemovalPlan& plan, bool saveToTds);

} // namespace qlk

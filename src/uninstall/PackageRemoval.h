#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace qlk {

// Removing one installed font package from one tree: its folders are found
// as exact paths (<tree>/<kind>/<supplier>/<package>, LaTeX files and
// documentation also in tex/latex/<package> and doc/fonts/<package>), its
// encodings and maps below fonts/enc and fonts/map at any depth (a folder
// named like the package, and a map file <package>.map in a driver or vendor
// folder), optionally copied into a TDS folder, then deleted.

struct RemovalFolder {
    QString kind;     // "latex", "enc", "map", "tfm", "vf", "type1", "truetype", "opentype", "afm", "doc"
    QString path;     // the folder (or map file) in the tree
    bool ask = false; // one of several candidates of its kind: the user decides
    QString sharedWith; // enc/map folders: the other supplier's package that still uses them
    bool file = false;  // a single map file, not a folder
};

// A font or encoding file of the removal that a map of another package
// loads, and that TeX finds nowhere else: removing it breaks that package.
struct LoadedFile {
    QString path;    // the file in the tree
    QString map;     // the map that loads it
    QString package; // the package that map belongs to: the folder of the
                     // loading font's .tfm, else the map's name
};

struct RemovalPlan {
    QString error;       // why nothing may be removed; empty when the plan stands
    int tree = -1;
    QString treePath;
    QString supplier;
    QString package;
    QList<RemovalFolder> folders; // to remove, in removal order
    QList<RemovalFolder> kept;    // shared encodings and maps, left in place
    // The supplier and vendor folders that hold what is removed; those the
    // removal leaves empty go too.
    QStringList parents;
    bool hasType1() const;
    // The map files (names) inside the map folders to remove, as they stood
    // when the plan was made.
    QStringList mapNames() const;
    QStringList maps;
    // Files other maps load; they stay unless `removeLoaded`.
    QList<LoadedFile> loaded;
    bool removeLoaded = false;
    // Math alphabets made from the package's fonts that lie in its folders
    // and go with them ("\mathscr (qlkscr.sty, font qlkscr)").
    QStringList mathAlphabets;
    // Leaves folders[i] in place (the user kept it).
    void keepFolder(int i);
    // Whether `path` is one of the loaded files that stay.
    bool keeps(const QString& path) const;
};

// Whether a name may stand for one supplier or package folder: not empty,
// not "." or "..", no "/", and not the name of a kind or driver folder.
bool validPackageFolderName(const QString& name);

// The plan for removing `package` of `supplier` from tree number `tree`
// (0 TEXMFLOCAL, 1 TEXMFHOME, 2 TEXMFVAR) of `trees`.
RemovalPlan planRemoval(int tree, const QStringList& trees, const QString& supplier, const QString& package);

// The files of the removal that enabled maps of other packages, or the
// pdftex.map in use, load (.pfb, .pfa, .otf, .ttf, .enc) and that no other
// tree holds, one entry for each map that loads one.
QList<LoadedFile> filesLoadedElsewhere(const RemovalPlan& plan);
// The math alphabets (style files declaring one in the U encoding, whose
// font lies in the removal) of the removal's LaTeX folders.
QStringList mathAlphabetsIn(const RemovalPlan& plan);

// The question asked when other maps load files of the removal: which map
// loads which file; Yes removes them anyway. Empty when there are none.
QString loadedFilesQuestion(const RemovalPlan& plan);
// The question asked before a removal: every folder that goes, those kept
// as shared, the files kept for other maps (or removed although they load
// them) and the math alphabets that go too.
QString removalQuestion(const RemovalPlan& plan);
// All the questions before a removal: each folder of several candidates,
// the files other maps load, then the removal itself. False when nothing
// is to be removed.
bool confirmRemoval(RemovalPlan& plan);

// Where a folder's copy goes below the TDS folder: its own place in the
// tree, so that no two removed files share one.
QString tdsTarget(const RemovalPlan& plan, const RemovalFolder& folder);
// Refuses a TDS folder inside the tree or inside a folder to be removed
// (the message), else the empty text. Links are resolved, the chosen
// folder's too when the TDS folder does not exist yet.
QString tdsFolderProblem(const RemovalPlan& plan, const QString& tds);
// The folder below `chosen` the copy goes into: "TDS", or the first free
// "TDS-2", "TDS-3", … when an earlier copy is there (it is never erased).
QString freeTdsName(const QString& chosen);
// Copies every folder (hidden files too, permissions and dates kept) into
// `tds`, in the copy order; stops at the first failure and returns its
// description, the empty text when all copies were made.
QString copyToTds(const RemovalPlan& plan, const QString& tds);

// Deletes the folders (around the loaded files the plan keeps): as the user
// in a personal tree, through the root route in TEXMFLOCAL; then the
// supplier and vendor folders left empty.
// A folder counts as removed only when it is gone. Returns one line per
// folder that could not be removed.
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

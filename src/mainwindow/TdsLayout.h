#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace qlk {

// The shape of a TDS tree as the install road builds and expects it.

// The folder names that may stand at the top of a tree, in the main
// window's order ("mft" stands twice). TeX looks for them in lower case.
QStringList tdsTopLevelNames();

// What a loose file is, by its extension (the text after the last ".",
// letter case ignored).
enum class FileKind { None, Afm, Type1, TrueType, OpenType, Encoding, Tfm, Vf, Latex, Map };
FileKind fileKindOf(const QString& fileName);

// The supplier and family typed on the Install tab: the supplier trimmed,
// the family trimmed and without spaces.
struct PackageNames {
    QString supplier;
    QString family;
};
PackageNames packageNames(const QString& supplierText, const QString& familyText);
// The message that refuses the names, or the empty text when they can be
// used: both must be given, neither may leave its folder ("/", ".."),
// begin with "." or hold a control character.
QString packageNamesProblem(const PackageNames& names);
// Whether the text holds a control character (line break, TAB, DEL ...).
bool hasControlCharacter(const QString& text);

// Loose files sorted into the folders of a new tree. Each block is one
// folder below the tree root and the files copied into it, in the order
// the table of kinds gives; files of no kind are left out.
struct LooseBlock {
    QString folder;      // e.g. "fonts/afm/urw/Palatino"
    QStringList files;   // full paths, in collection order
};
struct LoosePlan {
    QList<LooseBlock> blocks;
    QStringList mapNames; // names of the map files collected, placed or not
    QString problem;      // the refusal, when there is one
};
// names[i] is the file name of paths[i].
LoosePlan planLooseFiles(const QStringList& names, const QStringList& paths, const PackageNames& pkg);
// The one command line that makes the blocks' folders in `scratch` and
// copies the files into them; steps joined with "&&" so the first failure
// ends it.
QString looseBuildCommand(const QString& scratch, const LoosePlan& plan);

// Every file below `folder` whose name ends in ".map" (case ignored), as
// full paths in a stable order.
QStringList mapFilesIn(const QString& folder);
// Whether a file below `folder` is a metric, outline, .fd or .sty file
// (*.tfm, *.fd, *.pfb, *.vf, *.sty, case ignored): a tree with none of these
// and no map file is not a font package.
bool hasFontPackageFiles(const QString& folder);

// Map clash test: the installed map files (in fonts/map of the distribution,
// TEXMFLOCAL, TEXMFHOME and the unnamed trees of the search path, output
// folders "updmap" left out) whose name equals `mapName`, case ignored.
QStringList installedMapsNamed(const QString& mapName, const QStringList& roots);
// The trees installedMapsNamed searches, from the scan's state.
QStringList installedMapRoots();

// The scratch folder of a new tree: "tmp" and seven digits in the
// documents folder; the empty text when it cannot be made.
QString makeTdsScratch();
// How the status line names a scratch folder: "~/Documents/tmpNNNNNNN" when
// it lies in the documents folder below home.
QString displayPath(const QString& folder);

// Drop list: appends to `listed` the paths it does not already hold
// (exactly the same text), in order; returns those appended.
QStringList addDropped(QStringList& listed, const QStringList& paths);

// The text of the "Explain" button.
QString explainText();

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The Type 1 font files of one folder, gathered for renaming to Berry names.
struct BerryFolderScan {
    QStringList fn;        // file names taken (one ".", extension afm, pfb or pfa), in folder order
    QStringList slst;      // their distinct base names, ascending (letter case ignored)
    QStringList proposals; // the proposed new base name for each entry of slst, empty when none
};

// Collects the .afm, .pfb and .pfa files directly in `folder` (no
// subfolders; a name must hold exactly one ".") and proposes a name for
// each base name: the Berry name the font database gives the base name,
// else the one it gives the font's PostScript name (read from its AFM, or
// else its PFB or PFA), else that PostScript name itself.
BerryFolderScan scanFontFolder(const QString& folder);

// The proposal for one base name, as scanFontFolder makes it.
QString proposeBerryName(const QString& folder, const QString& base, const QStringList& fn);

// Renames every file of `fn` whose base name has a non-blank entry in
// `newNames` (parallel to `slst`) to that name with the file's extension in
// lower case. A name holding "/" and a target that already exists are
// refused; returns one line for each file that was not renamed.
QStringList renameToBerry(const QString& folder, const QStringList& fn, const QStringList& slst,
                          const QStringList& newNames);

} // namespace qlk

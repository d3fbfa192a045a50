#pragma once
#include <QSet>
#include <QString>
#include <QStringList>

namespace qlk {

// The working state of the Fontinst Helper: the files gathered from drops
// and what the Process and Make steps settle for them. The name list and
// the item list of one kind run in parallel (entry k of each is one file);
// every reordering and removal moves them together.
struct FontinstJob {
    QStringList ylist, yitem;       // .afm: base names and paths
    QStringList blist, bitem;       // .pfb and .pfa
    QList<bool> bIspfa;             // true for a .pfa
    QStringList tlist, titem;       // .tfm
    QStringList xlist, xitem;       // .txt: kept, never used
    QStringList pathlist;           // every file met, whatever its kind
    QString FirstPF;                // the first outline file ever taken

    QString tmpfname;               // the work folder's name ("tmp" + 7 digits)
    QString FontFamilyFull;         // FamilyName of the first AFM, blanks kept
    QString berryname;              // the family prefix
    QStringList bblist, yylist, ttlist; // Berry names settled by Process
    int hasexpert = 0;              // 0, 1 (8x) or 2 (c8a/cj8a); only raised
    QString family;                 // the package name
};

// Sorts one dropped file or folder into the job's lists. Folders are walked
// depth first, by name, links followed; a folder met again (a link loop) is
// not walked again, and items that cannot be read are skipped. A file whose
// path was met before is skipped; hidden files are noted but not taken.
void YFolder(FontinstJob& job, const QString& path);

// Sorts each kind by base name (letter case ignored), moving its parallel
// lists along.
void sortJobLists(FontinstJob& job);

// The list's rows: .afm files, then .pfb/.pfa, then .tfm.
QStringList jobRows(const FontinstJob& job);

// Names proposed for the fields from the first outline font (sorted order)
// and from FirstPF's /FamilyName. `ok` is false when the first font's name is
// neither a Berry name nor known to the font database.
struct NameProposal {
    bool ok = false;
    QString prefix, supplier, family;
};
NameProposal proposeNames(const FontinstJob& job);

// The supplier's short name for the supplier letter of a Berry prefix.
QString Foundry(const QString& prefix);

// A FamilyName with a trailing "Expert" removed, trimmed.
QString dropExpert(const QString& familyName);

} // namespace qlk

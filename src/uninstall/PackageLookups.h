#pragma once
#include "texenv/TexEnv.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qlk {

// Lookups of a tree's metric, LaTeX and map folders.

// The visible folders of <root>/fonts/tfm: the suppliers of the tree.
QStringList getsuppliers(const QString& root);
// The visible folders of <root>/fonts/tfm/<supplier>; nothing for no supplier.
QStringList getfamilies(const QString& root, const QString& supplier);
// `which` 0: the suppliers of TEXMFLOCAL; 1: those of TEXMFVAR followed by
// those of TEXMFHOME (a name in both comes twice). A missing tree leaves
// `suppliers` as it was. The result is sorted.
QStringList filloutSuppliers(int which, const QStringList& suppliers);

// Tree number (0 TEXMFLOCAL, 1 TEXMFHOME, 2 TEXMFVAR) -> path; empty for others.
QString lookupTreePath(int tree);

// The metric folders of a tree: folder name -> path below fonts/tfm, for
// every folder whose first entry is a .tfm file (a later folder of one
// name replaces an earlier one).
NoCaseDict<QString> gettfm(int tree);
// The folders below tex/latex of a tree, at any depth: name -> path below
// tex/latex.
NoCaseDict<QString> getfd(int tree);
// {""} when the tree does not exist; no value otherwise.
std::optional<QStringList> getsty(int tree, const QString& first, const QString& second);

// Three sorted lists made from the keys of three dictionaries.
class pmenu {
public:
    explicit pmenu(const QList<NoCaseDict<QString>>& d);
    QStringList lst0, lst1, lst2;
    // The list by number (the object's own); nullptr for any other number.
    QStringList* lst(int type);
};

} // namespace qlk

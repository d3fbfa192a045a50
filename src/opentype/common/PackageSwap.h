#pragma once
#include <QString>
#include <QList>
#include <QStringList>

#include <functional>

namespace qlk {

// A font package is built in a tree of its own and checked there; only a
// whole package replaces the installed one, and then in one quick step, so
// that a failure or a kill at any moment leaves the installed package (and
// every other font) working.

// Why the package whose .fd files lie below `fdFolder` cannot typeset, or
// an empty list: every font an .fd file names needs its .tfm below one of
// `fontRoots`; a virtual font's base fonts, and every font without a .vf,
// need a .tfm too and, when a map line names them, the outline and
// encoding files of that line. `fontRoots` also hold the map files (every
// *.map below them is read).
QStringList packageProblems(const QString& fdFolder, const QStringList& fontRoots);

// The bail-out message for a new package with these problems (the first
// twelve named). It says the installed package is left as it is only when
// TeX finds one: a .sty of the new package in `styFolder` under its exact
// name in the trees.
QString incompletePackageText(const QStringList& problems, const QString& styFolder);

// Copies into `targetFolder` the outlines the map files below `fontRoots`
// name but no root holds, from wherever kpsewhich finds them (otftotfm
// writes none when it finds an installed one). Returns the copied names;
// an outline found nowhere is left to packageProblems.
QStringList gatherOutlines(const QStringList& fontRoots, const QString& targetFolder);

// The places of a package in `tree`, relative to it: every folder named like
// the package (one of `names`, letter case ignored) that holds files, and
// every file below a folder that lies outside such folders (a map in a
// vendor's shared folder); files directly in the tree (its zip) are not
// part of it.
QStringList packageUnits(const QString& tree, const QStringList& names);

// Stops the replacement after a named step ("staged", "swapped") when it
// returns false, as a kill would; for tests.
using SwapSeam = std::function<bool(const QString& step)>;
void setSwapSeamForTesting(SwapSeam seam);

// Puts the package's units (packageUnits) from `tree` into `target`: each is first copied
// beside its place under a hidden name (kpathsea passes over those) and
// checked; only when all are there is each installed one swapped with its
// new copy, one rename per unit, and the old copies removed. With
// `keepOthers` the files of an installed folder that the new one lacks are
// carried over. Leftovers of an interrupted replacement are removed first.
// While it runs it holds `target` (FolderLock); when another copy of the
// program holds it, nothing is done. The empty text on success, else what
// went wrong (the installed package then is as it was).
QString replaceInstalled(const QString& tree, const QString& target, const QStringList& names, bool keepOthers = false);

// Clears below `target` what interrupted replacements left: the hidden
// ".<name>.qlk-new" and ".<name>.qlk-old" copies. An old copy whose
// installed place is empty goes back there (the replacement was stopped
// between its two renames); every other leftover is removed. Hidden
// folders are not entered. While a replacement of another copy of the
// program holds `target` its copies are left alone. Returns one line per
// leftover, saying what became of it (one line when all were left alone).
QStringList clearInterruptedReplacements(const QString& target);

// While it lives, TeX programs and the program's searches see `home` as
// TEXMFHOME and `var` as TEXMFVAR (an empty text keeps that tree): a new
// package is tested where it was built, before it replaces anything.
class StagedTrees {
public:
    StagedTrees(const QString& home, const QString& var);
    ~StagedTrees();
    StagedTrees(const StagedTrees&) = delete;
    StagedTrees& operator=(const StagedTrees&) = delete;

private:
    struct Saved {
        const char* name;
        QString* global;
        QString value;
        bool wasSet;
        QByteArray env;
    };
    QList<Saved> saved_;
};

} // namespace qlk

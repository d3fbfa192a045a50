#pragma once
#include <QList>
#include <QString>

namespace qlk {

// One .fd file found for a package test.
struct FdListingEntry {
    QString path;   // as the search found it
    QString folder; // the path without its last component
    QString suffix; // the base name without encoding and family ("x", "-LF", "")
};

// The listing of the .fd files in `found` (one path a line), with each
// file's suffix: its base name less the first len(encoding)+len(family)
// characters.
QList<FdListingEntry> fdListing(const QString& found, const QString& encoding, const QString& family);

// The suffix of the family variant a package test shows first: "-TLF",
// "-LF", "-TOsF" or "-OsF" for autoinst packages, "x" or "j" for the others,
// the first of these found in the listing; else the empty suffix. The
// suffix is given as the listing writes it.
QString defaultSuffix(const QList<FdListingEntry>& listing, bool autoinstStyle);

// The package a block of preamble lines (CR-separated) loads last, leaving
// fontenc aside; options in brackets are passed over.
QString packageNameOfBlock(const QString& block);

// Shows what a font package offers: finds the .fd files of `family` in
// encoding `enc` (0 OT1, 1 T1, 2 LY1) in the TeX trees, writes test.tex into
// a new folder "tmp<number>" in Documents, typesets it with pdflatex and
// opens test.pdf. `pkg` is the package to load (empty: none, and `extra`
// names it; beginning with ".": the preamble lines that follow, separated
// by CR); `extra` is the map file to load (".map" added when missing; empty
// for none); `autoinstStyle` chooses the figure-style suffixes of autoinst.
// Returns the folder it made, or the empty text when it made none.
QString testPackage(const QString& family, const QString& pkg, const QString& extra, int enc,
                    bool autoinstStyle);

} // namespace qlk

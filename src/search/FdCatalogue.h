#pragma once
#include "texenv/TexEnv.h"

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace qlk {

// The catalogue of the LaTeX font definition files (*.fd below tex/latex)
// of the trees, built once a run and browsed by "Catalogue fd files".

// An .fd base name split the Berry way: the encoding prefix and the rest.
struct FdClass {
    QString enc;
    QString berry;
    QString remarks; // "Berry scheme not followed" when no prefix was found
};
// `base` is the file name before its first "."; `path` the full path;
// `parent` the name of the folder that holds it.
FdClass classifyFdName(const QString& base, const QString& path, const QString& parent);

// .fd file name (case ignored) -> path of the copy the catalogue keeps.
extern NoCaseDict<QString> fdPaths;
// The in-memory database holding the table fdfiles; null before the first build.
extern sqlite3* fdDB;

// One tree's search output for the catalogue: the paths it listed and how a
// name met before is handled.
struct FdScanStep {
    QStringList paths;
    QString header;        // ends the "Duplicate <name>" line of the report
    bool laterWins = true; // the new copy replaces the kept one
};

// The four searches in their order: the distribution's trees (TEXMFDIST and
// the unnamed ones Debian adds), TEXMFLOCAL, TEXMFHOME (these three by
// name, case ignored) and TEXMFVAR (find, case kept), each below tex/latex.
QList<FdScanStep> scanFdTrees();

// Builds fdPaths, fdDB and its table from the steps. Returns the duplicate
// report's lines (with the closing advice), empty when no name came twice.
// A database failure is shown as a message; the table then stays as far as
// it got.
QStringList buildFdCatalogue(const QList<FdScanStep>& steps);

// scanFdTrees and buildFdCatalogue.
QStringList catalogueFD();

// One row of fdfiles as the window lists it.
struct FdRow {
    QString enc, berry, parent, path, remarks;
};
// The rows sorted by Berry; with a filter only those whose Berry, Path or
// Remarks are LIKE %filter% ("%" and "_" keep their wildcard meaning). A
// failing statement (no table) gives no rows.
QList<FdRow> fdRows(const QString& filter);
// The number of rows of the table; the empty text when it cannot be read.
QString fdCount();

// The trees of the search path that have no role name and are not
// personal: Debian's /usr/share/texmf, part of the distribution.
QStringList unnamedDistTrees();

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The pdftex.map in use (mapRoot) and the other copies with their dates
// (mapList*, otherPdftexMaps, newerMapCopy) from kpsewhich's listing of
// the copies, one a line, the one in use first. Quits when it lists none.
void getmaps(const QString& listing);
// Replaces mapDict by the font maps of the distribution's trees: TEXMFDIST
// and the trees of the search path that have no role name (Debian's
// /usr/share/texmf).
void distMaps();

// The files named *.map below the folders that exist among `folders`; a
// missing folder does not hide what the others hold. With `skipUpdmap`
// paths with a folder "updmap" in them (any letter case) are left out.
QStringList findMapFiles(const QStringList& folders, bool skipUpdmap);

// Map files in the deprecated top-level dvips folders of TEXMFHOME,
// TEXMFLOCAL and TEXMFVAR.
QStringList deprecatedMapFiles();

// Adds each path to `list` and to mapDict under its file name; a name
// mapDict holds already raises the competing-maps alert (logged and shown).
void registerMaps(const QStringList& paths, QStringList& list);

// The three map lists of the "Font maps" tab (TEXMFLOCAL, TEXMFHOME,
// TEXMFVAR), each path registered in mapDict.
void scanFontMaps();

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Reads the updmap.cfg files of updmapSys (and of updmapHome when
// `personal`) into distCfgText, localCfgText and homeCfgText and returns
// them joined, lowest priority first. With no system updmap.cfg it logs and
// shows the reason and quits (the empty text).
QString readupdmap(bool personal);
// distMapState, localMapState, mapsDisabled and mapsAdded from the texts
// readupdmap read last.
void parsecfgstr();

// Sorts kpsewhich's list of updmap.cfg files into system and personal ones
// (by the tree each lies in), keeping kpsewhich's order.
void sortUpdmapFiles(const QStringList& found, QStringList& system, QStringList& personal);

// The command that appends TEXMFLOCAL's obsolete updmap-local.cfg to its
// updmap.cfg as root and removes it only when the append worked.
QString updmapLocalMergeCommand(const QString& localTree);

// The scan's updmap.cfg steps: the updmap-local.cfg merge and its question,
// the list of updmap.cfg files with its log lines and the symbolic-link
// advice, readupdmap and parsecfgstr, hasHomeUpdmap, and getmaps. False
// when the scan must stop.
bool scanUpdmapFiles();

} // namespace qlk

namespace qlk {

// The eight updmap.cfg options the main window reads and checks, in order.
const QStringList& updmapOptionNames();
// The value of each option in `names`: the last line of `combinedText` that
// sets it, or, where no updmap.cfg sets it, updmap's built-in default, so
// that a default installation reads as such.
QStringList updmapOptionValues(const QString& combinedText, const QStringList& names);

} // namespace qlk

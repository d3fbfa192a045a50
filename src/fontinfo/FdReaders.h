#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Readers of LaTeX font definition (.fd) files and virtual property lists.
// None shows a message; nothing found gives the empty text or list.

// One \DeclareFontShape entry split at "}": 0 encoding, 1 family, 2 series,
// 3 shape, 4 size specification, then options and whatever follows.
using FdShapeEntry = QStringList;

// The shape entries of an .fd file's text, in file order: "\endinput", line
// ends and "{" removed, ">" followed by a blank, split at
// "\DeclareFontShape". Comments stay, so a commented-out entry counts.
QList<FdShapeEntry> fdShapeEntries(const QString& fdText);
// The TFM name an entry declares: the last word of its size specification
// ("<-> s * [0.9] ptmr8t" -> "ptmr8t"); empty for a substitution
// ("<-> ssub * ptm/m/n") or an entry with fewer than five fields.
QString fdEntryTfmName(const FdShapeEntry& entry);

// The TFM name of the first upright ("n") entry in a regular series (m, k,
// r, l) of the .fd file at `fdPath`.
QString fdRegularFont(const QString& fdPath);
// The TFM names of every entry with shape `shape` in the regular series
// (`series` "m") or the bold series b, sb, bx (`series` "b"), in file order.
QStringList fdBoldFonts(const QString& fdPath, const QString& series, const QString& shape);
// The font names of the MAPFONT entries of a VPL file, in file order.
QStringList plFontNames(const QString& path);

} // namespace qlk

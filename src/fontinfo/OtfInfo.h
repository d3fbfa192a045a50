#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace qlk {

// Readers of what otfinfo prints, and its command lines, for the Otf Info
// window. Each reader takes the whole output and gives the rows of one list
// (two cells a row); a line that does not split into two fields adds none.

// otfinfo -s: "tag TAB [TAB] full name" -> {tag, full name (the last field)}.
QList<QStringList> otfScriptRows(const QString& output);
// otfinfo -qt: "size blank tag" -> {size, tag}.
QList<QStringList> otfTableRows(const QString& output);
// otfinfo -f: "tag TAB explanation" -> {tag, explanation}.
QList<QStringList> otfFeatureRows(const QString& output);
// Whether the table list names a CFF table: PostScript outlines.
bool otfHasCff(const QString& tablesOutput);
// Whether a file name's extension (after its last ".", the whole name when
// there is none) is "otf" in any letter case.
bool isOtfName(const QString& fileName);

// The command that runs otfinfo with `options` on `fileName` inside `folder`.
QString otfinfoCommand(const QString& folder, const QString& options, const QString& fileName);

} // namespace qlk

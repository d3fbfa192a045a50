#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The end of both installers' updmap step: other copies of the package's
// .sty file are reported, and the lines a user copies into a preamble are
// written to the run log.

// The encodings of a package's tfm files, each once (letter case ignored,
// the first spelling kept). otfinst names them "<enc>-<short>-<style>-...":
// the text before the first "-". autoinst names them
// "<Family>-<Style>-<figures>[-sc]-<enc>": the field that names an encoding.
QStringList tfmEncodings(const QStringList& tfmNames, bool autoinstNames);

// The six lines of the usage block. The fontenc line has the encodings in
// upper case: LaTeX knows no encoding "t1". `rmOption`: the package takes
// the option rm (autoinst's packages refuse it).
QStringList usageBlock(const QStringList& encodings, const QString& shortname, bool rmOption);

// The folder of the package's tfm files in the tree "method" installs into:
// TEXMFHOME for 0, TEXMFLOCAL for 1 and 2.
QString postflightTfmFolder(int method, const QString& vendor, const QString& shortname);

// Logs the search for copies of <shortname>.sty in TEXMFLOCAL and TEXMFHOME
// (a message when there are two or more) and the usage block, with the
// encodings of the tfm files in `tfmFolder`.
void postflight(const QString& shortname, const QString& tfmFolder, bool autoinstStyle);

} // namespace qlk

#pragma once
#include "texenv/TexEnv.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace qlk {

// Readers of what kpsewhich, tex, id and updmap answer, and of updmap.cfg
// text. Pure functions over text; the start-up scan feeds them.

// The TeX Live year from SELFAUTOPARENT: its last path component when that
// is four digits (/usr/local/texlive/2022), else the empty text (Debian's "/").
QString yearFromRoot(const QString& selfAutoParent);
// The year in the first line of `tex --version`
// ("TeX 3.141592653 (TeX Live 2022/Debian)"), or the empty text.
QString yearFromTexVersion(const QString& versionText);
// The numeric value of a year text; a text that does not begin with a
// digit counts as 0.
int yearValue(const QString& year);

// Whether the words of `id -Gn` name an administrators' group.
bool adminFromGroups(const QString& idOutput);

// The TEXMF search path as kpsewhich -var-value=TEXMF gives it: markers
// "!!" and braces removed, split at commas, empty entries dropped.
QStringList parseTexmfPath(const QString& answer);

// The seven trees the program knows by name, in the order of texmfVarNames.
const QStringList& treeVariableNames();
// The argument for one `kpsewhich -expand-var` call that answers every
// named tree, one a line (not yet quoted for the shell).
QString treeQueryTemplate();
// Name -> tree from that answer; a variable kpsewhich does not know (left
// as "$NAME") or an empty line gives the empty text.
QMap<QString, QString> parseTreeAnswer(const QString& answer);

// The argument of -expand-var for the start-up scan's kpsewhich run:
// SELFAUTOPARENT, TEXMF, then the lines of treeQueryTemplate.
QString installationQueryTemplate();
// That run's answer taken apart: the expanded lines first, one for each
// line of the template, then what its file look-ups list. A variable
// kpsewhich does not know gives the empty text, as -var-value would.
struct InstallationAnswer {
    QString selfAutoParent; // as -var-value=SELFAUTOPARENT gives it
    QString texmf;          // as -var-value=TEXMF gives it
    QString trees;          // the answer parseTreeAnswer reads
    QString listing;        // the lines after the expanded ones
    bool complete = false;  // every line of the template was answered
};
InstallationAnswer splitInstallationAnswer(const QString& answer);

// The lines of a `kpsewhich -all` answer for several file names that name
// a file called `name` (letter case ignored), trimmed, in kpsewhich's
// order: every line ends in its file's name.
QStringList filesNamed(const QString& answer, const QString& name);

// One line of updmap.cfg as the map readers see it.
struct MapLine {
    bool isMap = false;    // a line naming a font map
    bool disabled = false; // its first word is exactly "#!"
    QString name;          // the map file's name (the last word)
};
MapLine parseMapLine(const QString& line);
// Map name -> 1 (disabled) or 0 (enabled) over every line of `text`; a
// later line for a name wins.
void collectMapStates(const QString& text, NoCaseDict<int>& states);
// mapsDisabled and mapsAdded from the two state tables, sorted.
void compareMapStates(const NoCaseDict<int>& dist, const NoCaseDict<int>& local,
                      QStringList& disabled, QStringList& added);

// Appends one updmap.cfg text to `combined`, putting a line feed between
// them when `combined` does not end with one, so that a file without a
// final line feed does not run into the next file's first line.
void appendCfgText(QString& combined, const QString& text);

// The value an updmap.cfg text gives the option `name`: the rest of the
// last line that begins with the name, trimmed; the empty text when no
// line does.
QString optionValue(const QString& combinedText, const QString& name);
// Name -> value from `updmap --showoption A --showoption B` ("A=value (origin)").
QMap<QString, QString> parseShowOptions(const QString& output);

// The root of a pdftex.map copy: the text before its first "pdftex/"; for a
// copy elsewhere, its folder with a final "/".
QString pdftexMapRoot(const QString& mapPath);

// Whether a line of a map holds no font: empty, or a comment ("%", "#",
// "*" or ";" first).
bool isMapCommentLine(const QString& line);
// A file that a font line of a map loads.
struct MapLoad {
    QString file;
    bool encoding = false; // named after "<[", which reads any file as an encoding
};
// The files a font line loads ("<file", "<<file", "<[file"), in the line's
// order; none for a comment or an empty line.
QList<MapLoad> mapLineLoads(const QString& line);
// Whether a file a map loads is one a document needs to use the font: an
// outline (.pfb, .pfa, .otf, .ttf) or an encoding (.enc).
bool isLoadedFontFile(const QString& fileName);
// The map a heading line of pdftex.map names ("% utm.map": updmap puts one
// before the lines of each map it merges); empty for any other line.
QString mapSectionHeading(const QString& line);

} // namespace qlk

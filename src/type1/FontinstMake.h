#pragma once
#include "type1/FontinstJob.h"

#include <functional>

namespace qlk {

// Every command line of the Make step. Each changes into the work folder
// first and stops when it cannot; names typed in the window reach the shell
// only quoted.
class MakeCommands {
public:
    MakeCommands(const QString& work, const QString& foundry, const QString& family);

    // "/" + foundry + "/" + family: the last levels of every TDS folder.
    QString tdsSuffix() const;
    // The TDS folders, relative to the work folder, in the order made.
    QStringList tdsFolders() const;

    // The "pltotf X Y" lines of fontinst's pltotf script as one chain of
    // texbin's pltotf; any other line is left out. Empty when none is left.
    QString pltotf(const QStringList& scriptLines) const;
    QString vptovf() const;
    // fontinst's prefix + "map.tex" becomes family + ".map".
    QString renameMap(const QString& prefix) const;
    QString makeTdsFolders() const;
    QString t1binary(const QString& pfaName) const;
    QString moveIntoTree() const;

private:
    QString inWork(const QString& body) const;
    QString work_, foundry_, family_;
};

// What Make reads from the window: the three fields as typed.
struct MakeInput {
    QString foundry;
    QString family;
    QString prefix;
};

// Where Make shows its progress.
struct MakeView {
    std::function<void(const QString& text)> appendStatus;
};

// The Make step in the work folder `work` that Process filled: metrics,
// virtual fonts, the map file, the style file, the scaled .fd files and the
// TDS tree with everything moved into it. Sets job.family and
// job.berryname first. True when the tree holds a complete package (then
// Install may go on); false after a message.
bool makeFamily(FontinstJob& job, const MakeInput& input, const QString& work, const MakeView& view);

// The files of the package tree that Install needs, or the names of what
// is missing.
QStringList missingPackageFiles(const QString& work, const MakeCommands& commands, const QString& family);

// The map file Test loads: the one package map below
// `texmfVar`/fonts/map/dvips (updmap's own output left out), or family +
// ".map" when there is none. With more than one, the empty text and
// `several` set.
QString testMapName(const QString& texmfVar, const QString& family, bool* several);

} // namespace qlk

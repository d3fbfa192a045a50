#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The command lines of "Install": the tree in its scratch folder is zipped
// where it lies and unzipped in the target tree.

// The lines that remove updmap's output folders (fonts/map/<driver>/updmap
// for dvipdfm, dvips and pdftex) from the tree, so that they never reach a
// target; none when the tree has no fonts/map folder.
QStringList updmapOutputRemovals(const QString& tree);
// Makes <tree>/<name>.zip of the tree's top-level items, removing an older
// one first.
QString zipTreeCommand(const QString& tree);
// The archive zipTreeCommand makes.
QString treeArchive(const QString& tree);
// Unzips the tree's archive into a staging folder in `target`, then puts
// its files into place, replacing older ones, and removes the staging
// folder; one command line, with `asRoot` a root command.
QString unzipTreeCommand(const QString& tree, const QString& target, bool asRoot);
// The staging folder that command uses.
QString installStagingFolder(const QString& target);

} // namespace qlk

#pragma once
#include <QString>

namespace qlk {

// The opening lines of every document that shows font tables with the
// fonttable package, each ended by LF.
QString fontTablePreamble();

// Writes testtable.tex into `folder` (replacing one that is there), showing
// the font tables of `package` + "mit" and `package` + "mbt" through the
// package, typesets it with pdflatex and opens testtable.pdf when that
// succeeded. A pdflatex failure is reported by the shell runner.
void fontTable(const QString& folder, const QString& package);

// The encoding modifier a fontinst \installfont file list needs after the
// TFM name `name` (" encoding t1", " encoding 8r", " encoding ly1"), or the
// empty text.
QString encodingClause(const QString& name);

} // namespace qlk

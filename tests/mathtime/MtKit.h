#pragma once
#include "support/TestEnv.h"
#include "support/TexGlobals.h"

#include <QString>
#include <QStringList>

namespace qlk::test {

// Points the TeX tree globals at the test's trees (the distribution stays
// the machine's) and puts them back when it goes.
class MtTrees {
public:
    explicit MtTrees(const TestEnv& env);

private:
    SavedTexGlobals saved_;
};

// The commercial mtpro2 kit stood in for by Computer Modern, installed into
// the test's TEXMFHOME: mt2mitx.tfm (cmmi10), mt2mbt.tfm (cmbx10), a map
// enabled with updmap-user, a loadable mtpro2.sty with the "lite" option
// and the lines the modified package rewrites, and the program's TDS folder
// as the installer merges it. False when a step failed.
bool installStandInKit(const TestEnv& env);

// The program's folder in the build tree, with its support files.
QString builtAppFolder();

// Runs a command in `folder`; true on exit status 0.
bool runIn(const QString& folder, const QString& command, QString* output = nullptr);

} // namespace qlk::test

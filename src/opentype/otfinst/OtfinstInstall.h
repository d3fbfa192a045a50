#pragma once
#include "opentype/common/SupportFiles.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// "Run otfinst" and "Install" of the otfinst window, without the window.

// The trees the scripts write into, inside the work folder: <stage>/home
// stands for TEXMFHOME (the .fd and .sty files), <stage>/var for TEXMFVAR
// (otftotfm's output). The installed package is not touched before Install.
QString otfinstStage(const QString& workFolder);
// Empties the stage and makes its two trees; false when it cannot.
bool freshOtfinstStage(const QString& workFolder);

// The command that runs script number j in the work folder on the fonts,
// with the stage's trees as TEXMFHOME and TEXMFVAR.
QString otfinstCommand(const QString& workFolder, int j, const QString& fontFolder);

// Why the staged output cannot be installed (its .fd files name fonts the
// stage lacks), after outlines otftotfm found installed elsewhere were
// copied in; the empty text when it is whole.
QString stagedOutputProblem(const QString& workFolder, const QString& packageField);

// The package folder below TEXMFHOME split as Install uses it:
// "/tex/latex/abc/" -> parent "/tex/latex", leaf "abc".
void splitPackageFolder(const QString& field, QString& parent, QString& leaf);

// One Install: phases 1 to 5, with the messages and log lines of each.
struct OtfinstInstallJob {
    // in
    QString vendorField;   // the typed vendor, trimmed; empty: the one otftotfm used
    QString packageField;  // the fd/sty folder as typed
    QString berryField;    // the Berry name as typed
    QString shortname;
    QString workFolder;    // where the log is reopened; holds the stage
    bool keepOthers = false; // the installed fd/sty folder's other files stay
    int method = 0;        // 0 TEXMFHOME, else TEXMFLOCAL
    std::function<void(const QString&)> status; // the window's status line
    // out
    QString vendor;        // the vendor the package was filed under
    QString scratch;       // the scratch folder with the tree and the zip
};
// True when the package was installed (updmap may follow).
bool installOtfinstOutput(OtfinstInstallJob& job);

} // namespace qlk

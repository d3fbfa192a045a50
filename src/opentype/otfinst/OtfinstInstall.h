#pragma once
#include "opentype/common/SupportFiles.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// "Run otfinst" and "Install" of the otfinst window, without the window.

// The command that runs script number j in the work folder on the fonts.
QString otfinstCommand(const QString& workFolder, int j, const QString& fontFolder);

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
    QString workFolder;    // where the log is reopened
    int method = 0;        // 0 TEXMFHOME, else TEXMFLOCAL
    std::function<void(const QString&)> status; // the window's status line
    // out
    QString vendor;        // the vendor the package was filed under
    QString scratch;       // the scratch folder with the tree and the zip
};
// True when the package was installed (updmap may follow).
bool installOtfinstOutput(OtfinstInstallJob& job);

} // namespace qlk

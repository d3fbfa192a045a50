#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// What an installed package holds, set by scanTDS or by an installer that
// knows what it made, and read by finishInstall. finishInstall never resets
// it: an installer that does not call scanTDS sets all of it itself.
extern bool hasType1;        // Type 1 font files (.pfb, .pfa, .pfm)
extern bool hasMF;           // Metafont sources
extern bool hasTTF;          // TrueType fonts
extern bool hasMaps;         // map files
extern bool stylesLoadMaps;  // a .sty file loads map entries (\pdfmapfile, \pdfmapline): TrueType maps are left to it
extern QStringList tdsMaps;  // map files to enable, bare names, ".map" optional
extern QString tdsFolder;    // the TDS tree of the current job

// Fills the summary from the files below tdsFolder and empties
// overwriteFiles. A tree that cannot be entered counts nothing.
void scanTDS();

// Ends an installation: enables the new maps (updmap-sys for the system
// trees, updmap-user for the personal ones) and rescans. target 1: the fonts
// went into TEXMFLOCAL. Returns false when a command failed. It writes no
// window's status line: lastInstallStatus says "Install finished." or what
// failed, for the caller to show once its whole install has ended.
bool finishInstall(int target);
extern QString lastInstallStatus;

// The command lists of finishInstall. kind is "Map" or "MixedMap"; skip
// leaves out the enabling and the rebuilding runs. Each returns true when
// its commands succeeded; otherwise lastEnableFailure says what failed.
bool enableMapsSystem(const QString& kind, bool skip);
bool enableMapsUser(const QString& kind, bool skip);
extern QString lastEnableFailure;

// What finishInstall makes of the summary: the map kind, whether enabling
// is skipped, and the warnings to show, in order. `noMapsEnabled` is set
// when a warning says no map files will be enabled.
struct InstallPlan {
    QString kind = QStringLiteral("Map");
    bool skip = false;
    bool noMapsEnabled = false;
    QStringList warnings;
};
InstallPlan planInstall();

} // namespace qlk

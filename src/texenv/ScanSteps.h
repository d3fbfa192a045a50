#pragma once
#include "services/Runners.h"
#include "texenv/ScanParse.h"

#include <QString>

#include <functional>

namespace qlk {

// The steps of the start-up scan that need no window, in the order init
// runs them. Each returns false when it has asked the program to quit; the
// scan then goes no further.

// Runs `body`; an index out of range inside it shows "Out of Bounds error
// in <routine>!" and quits. False when it quit.
bool guardBounds(const char* routine, const std::function<void()>& body);

// A TeX program or a system program as the first word of a command line
// (quoted: the TeX folder may be anywhere).
QString texCommand(const QString& name);
QString systemCommand(const QString& name);

// A fatal check: shows and/or logs `text`, then asks the program to quit.
void bailOut(const QString& text, bool show, bool log);
// Shows the failure of a finished command as runShell does.
void reportFailure(const LastShell& run);

// kpsewhich's listing of the updmap.cfg files and the pdftex.map copies
// (the output of a `kpsewhich -all updmap.cfg pdftex.map`), made with
// the installation query of findInstallation.
extern LastShell scanListing;

// Who the user is, which TeX Live the shell reaches and its year (refusing
// one older than 2013), the trees by name, and scanListing.
bool findInstallation();
// The administrator test alone (id -Gn).
void findAdminStatus();
// The year of the installation from kpsewhich's answer (SELFAUTOPARENT)
// or from `tex --version`; the refusal when it is below 2013.
bool checkTexYear(const InstallationAnswer& answer);
// The TEXMF search path and the seven named trees from kpsewhich's answer;
// a named tree kpsewhich does not report stops the scan.
bool findTrees(const InstallationAnswer& answer);
// Opens the run log in the home folder and writes an empty line and
// "Starting Quillmark2013 at " with the date and time.
void logStart();
// The refusal for an old or unknown TeX Live.
extern const char* const kOldTexLiveMessage;

} // namespace qlk

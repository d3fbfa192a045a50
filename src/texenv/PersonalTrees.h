#pragma once
#include <QString>

#include <functional>

namespace qlk {

// The scan's care of the two personal trees. False when the scan must stop.

// TEXMFVAR (and TEXMFCONFIG beside it): created when missing, its
// permissions repaired on request.
bool checkImpermanentTree();
// TEXMFHOME: created with its skeleton when missing, its permissions
// repaired on request, a stray ls-R removed on request.
bool checkPermanentTree();

// The folder whose ownership and permissions a repair of TEXMFVAR resets:
// the per-release folder that holds texmf-var and texmf-config
// (~/.texlive2022), or TEXMFVAR itself when that folder is not one of the
// user's own below the home folder.
QString impermanentRepairFolder();
// The root line that gives `folder`, with everything in it, back to the
// user who runs the program.
QString ownershipRepairCommand(const QString& folder);

// Tests decide what counts as writable (a test running as root can write
// everywhere); an empty function restores the real check.
void setWritableCheckForTesting(std::function<bool(const QString&)> check);

} // namespace qlk

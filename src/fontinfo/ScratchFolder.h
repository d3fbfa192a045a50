#pragma once
#include <QString>

namespace qlk {

// Makes a new folder "tmp" + a random number from 1000000 to 9999999 in
// `parent` (drawing again while that name is taken) and returns its path;
// the empty text when it cannot be made.
QString makeScratchFolder(const QString& parent);

// Removes the folder and everything in it through the shell, as the work
// folders of font questions are removed. False when rm failed.
bool removeScratchFolder(const QString& folder);

} // namespace qlk

#pragma once
#include <QStringList>

namespace qlk {

// Shows the files an installation would overwrite in the text viewer in
// confirm mode; true only after "OK". Every installer asks through it.
bool confirmOverwrite(const QStringList& files);

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The pieces of "Install Minion2Pro" that need no window: the script that
// makes the zmn fonts out of the user's MinionPro pfa files, and where the
// support package comes from.

// The fonts the user brings, and the fonts made of them, pair by pair.
QStringList minion2Sources();  // MinionPro-Regular.pfa, -Bold, -It, -BoldIt
QStringList minion2Targets();  // zmnr, zmnb, zmnri, zmnbi

// The script "createzmn": four seds that rename the fonts to Minion2Pro-*,
// four t1binary runs that make the .pfb files.
QString createzmnScript();

// The support package and its URL on CTAN.
extern const char* const kMinion2Archive;
QString minion2ArchiveUrl();

} // namespace qlk

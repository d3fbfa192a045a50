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

// Why the fonts createzmn made in `work` cannot be installed, one line for
// each bad one, named by its source in the user's folder `sources`; the
// empty text when all four are sound Type 1 fonts.
QString minion2FontProblems(const QString& work, const QString& sources);

// The support package and its URL on CTAN.
extern const char* const kMinion2Archive;
QString minion2ArchiveUrl();

} // namespace qlk

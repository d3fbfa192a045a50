#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// Gives every preference the program cannot do without a value when the
// preferences have none, keeps "method" at 0 or 1, copies "method",
// "sourcemaps" and "PathToTFM" into personalInstall, sourceMapFiles and
// tfmFolder, and rewrites the preferences file. Reads isAdmin and the trees.
void setPrefDefaults();

// The defaults that name no tree.
extern const char* const kDefaultAdobeAFMLink;
// The eight fontname map files the Known fonts window searches; "{TEXMFDIST}"
// stands for the distribution tree.
const QStringList& defaultSourceMaps();

} // namespace qlk

#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The one helper through which every path or typed text enters a command
// line. A text made only of characters the shell never interprets goes in
// as it is; anything else is wrapped in single quotes, each embedded quote
// written as '\'' and each TAB as $'\t' (so
// that no literal TAB is left for the root scripts to split at). The empty
// text becomes ''.
QString shellQuote(const QString& text);

// Quotes each entry and joins them with single blanks.
QString shellJoin(const QStringList& words);

} // namespace qlk

#pragma once
#include "type1/FontinstJob.h"

#include <functional>

namespace qlk {

// Where the Process step shows its progress: the status line and the three
// name fields, which it rewrites from the AFM files as it reads them.
struct ProcessView {
    std::function<void(const QString& status)> setStatus;
    std::function<void(const QString& prefix, const QString& supplier, const QString& family)> setFields;
};

// The Process step: settles a Berry name for every gathered file, checks
// the metrics and the AFM files, and only then copies the fonts under their
// Berry names (lower case) into a new work folder in Documents, which becomes
// tdsFolder, writes the two fontinst drivers and runs them with tex in a
// terminal window, one after the other. `prefixField` is the "Berry family
// prefix" field as the user left it. True when both runs succeeded and left
// what the Make step needs; otherwise false after a message.
bool processFamily(FontinstJob& job, const QString& prefixField, bool monowidth, const ProcessView& view);

// Whether a family prefix is made only of ASCII letters and digits: it
// becomes part of file names, command lines and TeX control words.
bool isPlainPrefix(const QString& prefix);

extern const char* const kPrefixLengthMessage;
extern const char* const kPrefixLettersMessage;

} // namespace qlk

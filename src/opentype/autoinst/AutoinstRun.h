#pragma once
#include "opentype/common/SupportFiles.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// "Run autoinst", "Install" and the test copy of the autoinst window,
// without the window.

// Whether a vendor or family name may become a folder name and an autoinst
// argument: letters, digits, "-" and "_".
bool isAutoinstName(const QString& name);

// The endings of the fonts autoinst is given (its "*.otf" or "*.ttf").
QStringList autoinstEndings();

// What the window's fields ask of autoinst.
struct AutoinstChoices {
    QStringList encodings;          // "OT1", "TS1", "T1", "LY1"
    QString vendor;                 // without blanks
    QString family;                 // without blanks
    int usage = 0;                  // 0 roman, 1 sans serif, 2 typewriter
    QString regularWeight = QStringLiteral("regular");
    QString boldWeight = QStringLiteral("bold");
    bool isotf = true;              // *.otf, else *.ttf
};
// The autoinst command line (TeX Live 2022's option names), run in the
// font folder. The fonts follow "--", so that no font is read as an option;
// their names must still be safe ones (autoinst hands each to a shell in
// double quotes), which the drop makes sure of.
QString autoinstCommandLine(const AutoinstChoices& c);

// Puts the scale factor into the package's .sty text. TeX Live 2022's
// autoinst writes "\newcommand*{\<Family>@scale}{1}": the default becomes
// the factor. Older ones wrote options "\renewcommand*{\m}{##1}" after
// \RequirePackage{xkeyval}: those are made to multiply by the factor.
// `changed` is false when the text has neither form.
QString scaleStyText(const QString& text, const QString& family, const QString& factor, bool* changed);

// Gives every .enc file of `encFolder` the prefix (its first letter
// replaced: a_abc.enc -> xy_abc.enc) and makes the map's "<[a_"
// references follow. Nothing is renamed unless every new name is free and
// the map can be read; the empty text on success, else what went wrong.
QString prefixEncodingFiles(const QString& encFolder, const QString& mapFile, const QString& prefix);

// Why autoinst's texmf tree cannot be installed (its .fd files name fonts
// it lacks), after outlines otftotfm found installed were copied in; the
// empty text when it is whole.
QString autoinstOutputProblem(const QString& texmf, const QString& family, const QString& vendor);

// One Install of autoinst's texmf tree.
struct AutoinstInstallJob {
    QString fontFolder;
    QString family;   // as autoinst got it
    QString vendor;
    bool isotf = true;
    int method = 0;   // 0 TEXMFHOME, else TEXMFLOCAL
    std::function<void(const QString&)> status;
};
bool installAutoinstOutput(const AutoinstInstallJob& job);

// Copies the texmf tree into TEXMFVAR for a test; `files` gets the files it
// puts there (relative to TEXMFVAR), also after a failed copy, so that what
// did arrive can be removed. False after a failure (with its message).
bool copyForTest(const QString& texmfFolder, QStringList& files);
// Removes those files again, and the folders they leave empty below
// TEXMFVAR's fonts and tex.
void removeTestCopy(const QStringList& files);

} // namespace qlk

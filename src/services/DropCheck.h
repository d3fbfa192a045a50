#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// What every drop is checked for before anything is read or written.
// Only regular files are read: opening a FIFO blocks until a writer comes,
// and a device such as /dev/zero never ends. And the names of the files
// that go to TeX programs and their scripts must be safe there: autoinst
// puts them in double quotes for a shell, and every program reads a name
// that begins with "-" as an option.

// Whether a file name can be handed to the TeX programs and their scripts:
// no leading "-", no control character and none of $ ` " \.
bool isSafeFileName(const QString& name);

// Whether a name can stand as a TeX font name in .fd, .map and fontinst
// files: letters, digits and . _ + - only (TeX and the map readers give
// braces, parentheses, blanks, "%" and the like their own meaning).
bool isTexSafeName(const QString& name);

// Whether a PostScript font name can go into a map line and a font's
// header: printable ASCII without blanks, the PostScript delimiters
// ( ) < > [ ] { } / % and the characters " and \.
bool isSafePostScriptName(const QString& name);

// What a drop target takes from what it is given.
struct DropRules {
    // The files whose names go to TeX programs, by ending (".otf"; letter
    // case ignored). Their names must be safe file names.
    QStringList endings;
    // Their names without the ending must also be TeX font names.
    bool texNames = false;
    // Folders below a dropped folder are looked into as well.
    bool subfolders = false;
};

// The message that refuses a drop of `paths` (files and folders), naming
// every item whose name is not valid UTF-8 (the program's file listings
// pass over such names, and a dropped one names nothing), every item that
// is neither a regular file nor a folder (a link counts as what it leads
// to; a broken link is passed over) and every file among `rules.endings`
// whose name breaks the rules; the empty text when the drop may go on.
// Only folders are opened, to list them.
QString dropProblem(const QStringList& paths, const DropRules& rules);

} // namespace qlk

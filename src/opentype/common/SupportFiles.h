#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

// The .fd and .sty files an installer script left in its package folder,
// as both windows examine them.

// The figure suffix of an .fd base name: what follows the encoding (two
// characters when the name begins with "t", three otherwise) and the
// three-letter family code ("t1abcx" -> "x", "ts1abcx" -> "cx").
QString fdFigureSuffix(const QString& baseName);

// What lies directly in the package folder.
struct SupportFiles {
    bool folderHasItems = false;
    QStringList styNames;
    QStringList fdBases;
    QStringList suffixes;
};
SupportFiles readSupportFolder(const QString& folder);

// The "Bailing out!" message for the output in the order of the rules
// (mixed lnum tables, the missing .sty, no .fd), or the empty text when it
// may be installed. `fontKind` names the fonts in the first message ("otf",
// "font"). An empty folder is the caller's message.
QString judgeSupportFiles(const SupportFiles& files, const QString& shortname, const QString& fontKind);

// The entry of `folder` named `name` without regard to letter case (autoinst
// keeps the capitals of --typeface), or the empty text.
QString entryNoCase(const QString& folder, const QString& name);

} // namespace qlk

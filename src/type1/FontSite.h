#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace qlk {

// The FontSite 500 CD families and the fs500tex support files: reading the
// family catalogue out of the support files' documentation, the commands
// that assemble one family's TDS tree, and its test document.

// The families, as five parallel lists: element i of each describes row i
// of the window's family list.
struct FsCatalogue {
    QStringList fontfa;  // the family's name as listed
    QStringList fontb;   // its two-letter typeface code (after the supplier digit "5")
    QStringList fontsh;  // its short name: folders and package in the support files
    QStringList fontrm;  // its properties text, lines joined with CR
    QList<bool> fontPi;  // a symbol (Pi) family
    int size() const { return int(fontfa.size()); }
};

// Reads the texts of fs500tex.info-1 and fs500tex.info-2: the sections of
// info-1 after its "* Walbaum::" menu line (those naming "Arnold" left
// out), then the sections of info-2 before its "* Menu:" (the last one left
// out; the whole text when there is no menu). A section gives a family when
// it has at least six lines and its short name and code are letters and
// digits only, as both become folder names.
FsCatalogue readFsCatalogue(const QString& info1, const QString& info2);

// Where a family's outlines lie on the CD and the short name its tree uses,
// for the families whose CD folder or folder name differ from the catalogue.
struct FsFamily {
    QString cdFolder;   // the CD folder; "\&" for the test's title where the name has an ampersand
    QString shortName;
};
FsFamily fsFamily(const QString& name, const QString& catalogueShortName);
// The CD folder as the file system names it ("Deanna Script & Swash").
QString fsCdFolderOnDisk(const QString& cdFolder);

// The copy commands that fill the work tree `work` from the support files
// (`support`) and the CD's "Type 1" folder (`cd`), in order.
QStringList fsCopyCommands(const QString& work, const QString& support, const QString& cd, const QString& shortName,
                           const QString& catalogueShortName, const QString& code, bool symbol,
                           const QString& cdFolder);

// The lines of fs500tex.map (its text) that belong to the family with
// `code`: those beginning "5" + code; each ended by LF.
QString fsFamilyMap(const QString& masterMap, const QString& code);

// "[rm]" when the properties text loads a package with the option rm,
// else the empty text.
QString fsRmOption(const QString& properties);
// Whether the properties text calls for pifont.
bool fsIsSymbolFamily(const QString& properties);

// The sample texts test.tex typesets (\morezuvtext, \capzuvtext,
// \zuvnames), each defined with \providecommand; the same definitions
// make lmodernzuv.pdf.
QString fsSampleTextDefinitions();

// test.tex for a symbol family (a font table and a pifont example) or a
// text family (a font table and the sample texts), `title` the family's
// CD folder, `code` its typeface code, `tfm` the regular font.
QString fsSymbolTest(const QString& title, const QString& code, const QString& tfm);
QString fsTextTest(const QString& title, const QString& code, const QString& tfm, const QString& shortName,
                   const QString& option);

// "cd <work> && latex test && dvips -u +<S>.map test && ps2pdf test.ps".
QString fsTestCommand(const QString& work, const QString& shortName);

} // namespace qlk

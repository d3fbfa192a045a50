#include "platform/Paths.h"
#include "type1/FontSite.h"
#include "type1/Minion2Pro.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace qlk;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// fs500tex's documentation in the shape the catalogue reader relies on:
// a "File:" header, the family's name on line 2 and its properties line
// on line 5 ("Package:   {short}  5xx", or "... \Pisymbol{5xx}" for a
// symbol family).
QString section(const QString& name, const QString& properties, const QString& more = {})
{
    return "File: fs500tex.info,  Node: " + name + ",  Up: Families\n\n" + name + "\n" +
           QString(name.size(), '=') + "\n\n" + properties + "\n" + more;
}

const QString kInfo1 = "This is fs500tex.info.\r\n\r\n* Menu:\n\n* Walbaum::  The Walbaum family\n\n" +
                       section("Arnold Bocklin", "Package:   {arnold}  5ab") +
                       section("Palladio", "Package:   {fspal}  5pl",
                               "Use \\usepackage[osf, rm]{fspal}\n\nItalic and bold.\n\n\n") +
                       section("Arrows Y", "Symbols:   {arrowsy} \\Pisymbol{5ay}", "Needs pifont.\n") +
                       section("Bad Name", "Package:   {../x}  5bd") + "File: short\n\nShort\n" +
                       section("Bad Code", "Package:   {badcode}  5$x") +
                       section("Plain", "Package:   plainname  5pn");
const QString kInfo2 = section("Arnold Bocklin", "Package:   {arnold}  5ab") + section("OCR", "Package:   {fsocr}  5oc") +
                       section("Walbaum", "Package:   {walbaum}  5wb") + "* Menu:\n\n* Index::\n";

} // namespace

TEST(FontSiteCatalogue, FamiliesInOrderWithTheirOmissions)
{
    const FsCatalogue cat = readFsCatalogue(kInfo1, kInfo2);
    // info-1's Arnold, the climbing short name, the bad code and the short
    // section are left out; info-2's Arnold is listed, its last section not.
    EXPECT_EQ(cat.fontfa, (QStringList{"Palladio", "Arrows Y", "Plain", "Arnold Bocklin", "OCR"}));
    EXPECT_EQ(cat.fontb, (QStringList{"pl", "ay", "pn", "ab", "oc"}));
    // Without a brace the short name loses its last letter with the brace it
    // would have had.
    EXPECT_EQ(cat.fontsh, (QStringList{"fspal", "arrowsy", "plainnam", "arnold", "fsocr"}));
    EXPECT_EQ(cat.fontPi, (QList<bool>{false, true, false, false, false}));
    ASSERT_EQ(cat.fontrm.size(), 5);
    // The properties line as written, inner blank lines kept, trailing ones gone.
    EXPECT_EQ(cat.fontrm.at(0), "Package:   {fspal}  5pl\rUse \\usepackage[osf, rm]{fspal}\r\rItalic and bold.");
    EXPECT_EQ(cat.fontrm.at(1), "Symbols:   {arrowsy} \\Pisymbol{5ay}\rNeeds pifont.");

    // An info-2 without a menu is read whole.
    const FsCatalogue whole = readFsCatalogue({}, section("OCR", "Package:   {fsocr}  5oc") +
                                                      section("Walbaum", "Package:   {walbaum}  5wb"));
    EXPECT_EQ(whole.fontfa, (QStringList{"OCR", "Walbaum"}));
}

TEST(FontSiteCatalogue, FamilyTableAndOptions)
{
    struct Case {
        const char* name;
        const char* folder;
        const char* shortName;
    };
    const Case cases[] = {
        {"Arrows Y", "Arrows", "arrowsy"},   {"Arrows", "Arrows", "arrows"},
        {"Linedraw Fixed", "Line Draw", "linedraw"}, {"Road Signs", "Road Signs", "roadsign"},
        {"Deanna Script", "Deanna Script \\& Swash", "cat"}, {"OCR", "OCR B", "cat"},
        {"Delphian", "Delphian Open Titling", "cat"}, {"Palladio", "Palladio", "cat"},
    };
    for (const Case& c : cases) {
        const FsFamily f = fsFamily(c.name, "cat");
        EXPECT_EQ(f.cdFolder, QString(c.folder)) << c.name;
        EXPECT_EQ(f.shortName, QString(c.shortName)) << c.name;
    }
    EXPECT_EQ(fsCdFolderOnDisk("Deanna Script \\& Swash"), "Deanna Script & Swash");

    EXPECT_EQ(fsRmOption("x\r\\usepackage[osf, rm]{x}"), "[rm]");
    EXPECT_EQ(fsRmOption("\\usepackage[osf]{x}"), "");
    EXPECT_EQ(fsRmOption("\\usepackage{x} [rm]"), "");
    EXPECT_TRUE(fsIsSymbolFamily("with pifont"));
    EXPECT_FALSE(fsIsSymbolFamily("\\Pisymbol{5ay}"));

    EXPECT_EQ(fsFamilyMap("5plr8r A <a.pfb\r\n5ayr B <b.pfb\n5PLb8r C <c.pfb\n% 5pl\n", "pl"),
              "5plr8r A <a.pfb\n5PLb8r C <c.pfb\n");
}

TEST(FontSiteTest, DocumentsForSymbolAndTextFamilies)
{
    EXPECT_EQ(fsSymbolTest("Arrows", "ay", "5ayr"),
              "\\documentclass{article}\n\\usepackage{lmodern}\n\\usepackage{fonttable}\n\\pagestyle{empty}\n"
              "\\parindent0pt\n\\usepackage{pifont}\n\\begin{document}\n"
              "Font table for Arrows (family {\\tt 5ay}), tfm name {\\tt 5ayr.tfm}\n\\fonttable{5ayr}\n\\par\n"
              "Symbols may be accessed using, eg,  \\verb|\\Pisymbol{5ay}{65}|, which yields \\Pisymbol{5ay}{65}."
              "\\end{document}\n");

    const QString text = fsTextTest("Deanna Script \\& Swash", "dn", "5dnr8t", "deanna", "[rm]");
    const QStringList lines = text.split('\n');
    EXPECT_EQ(lines.at(5), "\\usepackage[rm]{deanna}");
    EXPECT_EQ(lines.at(6), "\\usepackage[TS1,T1]{fontenc}");
    // The sample texts are defined before the document begins.
    const int begin = text.indexOf("\\begin{document}");
    for (const char* macro : {"\\providecommand{\\morezuvtext}", "\\providecommand{\\capzuvtext}",
                              "\\providecommand{\\zuvnames}"}) {
        const int at = text.indexOf(macro);
        EXPECT_TRUE(at > 0 && at < begin) << macro;
    }
    EXPECT_TRUE(text.contains("Font table and font sample for Deanna Script \\& Swash (family {\\tt 5dn}), tfm name "
                              "{\\tt 5dnr8t.tfm}\n\\fonttable{5dnr8t}\n\\newpage\n\\morezuvtext\n\n\\capzuvtext\n\n"
                              "\\zuvnames\n\n\\par\\vspace{30pt}"));
    EXPECT_TRUE(text.endsWith("\\emph{\\morezuvtext}\n\n\\emph{\\capzuvtext}\n\n\\emph{\\zuvnames}\n\n\\end{document}\n"));
}

TEST(Minion2Pro, CreatezmnScript)
{
    const QStringList lines = createzmnScript().split('\n');
    ASSERT_EQ(lines.size(), 10); // nine lines, each ended by LF
    EXPECT_EQ(lines.at(0), "#!/bin/sh");
    EXPECT_EQ(lines.at(1), "/bin/sed  's/\\/FontName \\/Minion/\\/FontName \\/Minion2/' MinionPro-Regular.pfa >zmnr.pfa");
    EXPECT_EQ(lines.at(4), "/bin/sed  's/\\/FontName \\/Minion/\\/FontName \\/Minion2/' MinionPro-BoldIt.pfa >zmnbi.pfa");
    EXPECT_EQ(lines.at(5), texProgram("t1binary") + " zmnr.pfa zmnr.pfb");
    EXPECT_EQ(lines.at(8), texProgram("t1binary") + " zmnbi.pfa zmnbi.pfb");
    EXPECT_EQ(lines.at(9), "");
}

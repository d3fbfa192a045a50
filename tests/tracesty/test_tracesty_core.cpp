#include "support/TestEnv.h"
#include "tracesty/TraceCore.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

using namespace qlk;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {
QString recorded(const char* name)
{
    QFile f(QStringLiteral(QLK_TEST_DATA_DIR "/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(f.readAll());
}

const FdLookup noFd = [](const QString&) { return false; };

// One pass of passes 0 to 3 through scan, diagnosis and report.
bool runPass(TraceState& st, int pass, const QString& log, int exitStatus, const FdLookup& fd = noFd,
             bool shapes = false)
{
    beginPass(st);
    scanLogLines(st, log);
    if (!diagnosePass(st, pass, log, exitStatus, fd))
        return false;
    reportPass(st, pass, shapes);
    return true;
}
} // namespace

TEST(TraceChecks, PackageNamesAndRefusals)
{
    struct Case {
        QString commands;
        QStringList names;
        QString message;
    } cases[] = {
        {"\\usepackage[T1]{fontenc}", {"fontenc"}, ""},
        {"\\usepackage[sc,slantedGreek]{mathpazo}", {"mathpazo"}, ""},
        {"\\usepackage{mathpazo} % palatino\n% \\usepackage{foo}", {"mathpazo"}, ""},
        {"\\usepackage{foo\\%bar}", {"foo\\%bar"}, ""},
        {"   \\UsePackage{foo}\r\\usepackage{foo}", {"foo", "foo"}, ""},
        {"\\usepackage{amsmath,amssymb}", {"amsmath,amssymb"}, ""},
        {"\\usepackage[opt={x}]{foo}", {"x"}, ""},
        {"\\renewcommand{\\rmdefault}{ptm}", {}, ""},
        {"   ", {}, ""},
        {"", {}, "At minimum, a \\usepackage{<font sty file>} must be entered before pressing 'Go'"},
        {"\\usepackage", {}, "Missing left brace after \\usepackage"},
        {"\\usepackage{foo", {}, "Missing right brace after sty file"},
        {"\\usepackage{}", {}, "Empty sty file argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands.toStdString());
        QStringList names{"stale"};
        EXPECT_EQ(packageNames(c.commands, &names), c.message);
        if (c.message.isEmpty()) {
            EXPECT_EQ(names, c.names);
        }
    }
    EXPECT_EQ(withoutComment("  \\usepackage{x}\\"), "\\usepackage{x}\\");
    EXPECT_EQ(withoutComment("  "), "  ");
    for (const QString& bad : {QString("a/b"), QString("."), QString(".."), QString("/tmp")})
        EXPECT_FALSE(tempNameProblem(bad).isEmpty()) << bad.toStdString();
    EXPECT_TRUE(tempNameProblem("0000temp").isEmpty());
    EXPECT_TRUE(tempNameProblem("my temp..x").isEmpty());
}

TEST(TraceDocuments, TrialDocumentsByPassAndChoice)
{
    TrialChoices c;
    c.commands = "\\usepackage{mathpazo}\r% note";
    EXPECT_EQ(trialDocument(0, c), "\\documentclass{minimal}\n\\usepackage[debugshow]{tracefnt}\n"
                                   "\\usepackage{mathpazo}\n% note\n\n\\begin{document}\nA\n\\message{^^J}\n"
                                   "\\message{xxxxxxxx--rmdefault=\\rmdefault ^^J}\n"
                                   "\\message{xxxxxxxx--sfdefault=\\sfdefault ^^J}\n"
                                   "\\message{xxxxxxxx--ttdefault=\\ttdefault ^^J}\n"
                                   "\\message{xxxxxxxx--encodingdefault=\\encodingdefault ^^J}\n\\end{document}\n");
    c.mainFamily = 1;
    c.trackShapes = true;
    const QString t1 = trialDocument(2, c);
    EXPECT_TRUE(t1.contains("% note\n\\usepackage[T1]{fontenc}\n\\let\\rmdefault\\sfdefault\n\\begin{document}\n"));
    EXPECT_TRUE(t1.contains("encodingdefault ^^J}\n\\message{xxxxxxxx--seriesdefault=\\seriesdefault ^^J}\n"));
    EXPECT_TRUE(t1.contains("\\message{xxxxxxxx--shapedefault=\\shapedefault ^^J}\n\\end{document}\n"));
    c.mainFamily = 2;
    c.mathObject = "\\mathbb{A}";
    EXPECT_EQ(trialDocument(4, c), "\\documentclass{minimal}\n\\usepackage[debugshow]{tracefnt}\n"
                                   "\\usepackage{mathpazo}\n% note\n\\let\\rmdefault\\ttdefault\n"
                                   "\\begin{document}\n$\\mathbb{A}$\n\\end{document}\n");

    struct Skip {
        int pass;
        QString main;
        bool skipped;
    } skips[] = {{1, "OT1", true}, {2, "OT1", false}, {2, "t1", true}, {3, "LY1", true},
                 {1, "T2A", false}, {2, "", false}, {4, "T1", false}};
    for (const Skip& s : skips)
        EXPECT_EQ(skipsPass(s.pass, s.main), s.skipped) << s.pass << " " << s.main.toStdString();
}

// Recorded logs of Debian's TeX Live: mathpazo's default pass, its T1 pass
// and its LY1 pass, which fails because ly1enc.def is not installed.
TEST(TraceReport, MathpazoPassesFromRecordedLogs)
{
    TraceState st;
    ASSERT_TRUE(runPass(st, 0, recorded("mathpazo-pass0.log"), 0));
    EXPECT_EQ(st.mainEncoding, "OT1");
    EXPECT_EQ(st.mainRmDefault, "pplx");
    EXPECT_TRUE(st.fdlist.contains("ot1pplx"));
    EXPECT_FALSE(skipsPass(2, st.mainEncoding));
    EXPECT_TRUE(skipsPass(1, st.mainEncoding));
    ASSERT_TRUE(runPass(st, 2, recorded("mathpazo-t1.log"), 0));
    ASSERT_TRUE(runPass(st, 3, recorded("mathpazo-ly1.log"), 1));
    EXPECT_EQ(st.report, QStringList({
                             "Your font commands load pplx as default Roman font,",
                             "  cmss as default Sans Serif font, and cmtt as default Typewriter font.",
                             "  Default encoding is OT1",
                             "  Font definition file ot1pplx.fd was found",
                             "  Characters in OT1/pplx resolve to glyphs from the font file(s): ",
                             "    uplr8a.pfb",
                             "",
                             "Checking for encoding: T1",
                             "  Font is available in encoding T1 (File t1pplx.fd)",
                             "  Characters in T1/pplx resolve to glyphs from the font file(s): ",
                             "    uplr8a.pfb",
                             "",
                             "Checking for encoding: ",
                             "  Font is not available in encoding  (No file .fd)",
                             "  Fatal error! Package fontenc Error: Encoding file `ly1enc.def' not found.",
                             "",
                         }));
    EXPECT_TRUE(st.problem);
    EXPECT_TRUE(st.problemList.isEmpty());
}

TEST(TraceReport, MathObjectsFromRecordedLogs)
{
    TraceState st;
    beginPass(st);
    scanMathObject(st, recorded("mathscr.log"), "\\mathscr");
    EXPECT_EQ(st.mathfont, "U/rsfs");
    EXPECT_EQ(st.report, QStringList({"  TFM file rsfs10", "  Glyphs are taken from the file(s):", "    rsfs10.pfb"}));

    TraceState bb;
    beginPass(bb);
    const QString log = recorded("mathbb.log");
    scanMathObject(bb, log, "\\mathbb");
    scanLogLines(bb, log);
    EXPECT_EQ(bb.report, QStringList({"  Command unknown: \\mathbb"}));
    // The line scan still runs after it.
    EXPECT_TRUE(bb.fdlist.contains("ursfs"));
}

TEST(TraceReport, LineScanEdgeCases)
{
    TraceState st;
    st.bfdefault = "bx";
    scanLogLines(st, "File:abc.fd 2020\nfile: t1xyz.fd\nFile: nothing here\n"
                     "xxxxxxxx--rmdefault=ptm rest\nxxxxxxxx--encodingdeQQQQQQT1 x\nxxxx-other=1\n"
                     "xxxxxxxx--sfdefault=\nxxxxxxxx--rmdefault=phv\n");
    EXPECT_EQ(st.fdlist, QStringList({"bc", "t1xyz"}));
    EXPECT_EQ(st.rmdefault, "phv");
    EXPECT_EQ(st.encdefault, "T1");
    EXPECT_EQ(st.sfdefault, "");
    EXPECT_EQ(st.bfdefault, "bx") << "shape defaults carry over";
}

TEST(TraceReport, MathObjectScanEdgeCases)
{
    struct Case {
        const char* name;
        QString log;
        QString command;
        QStringList report;
    } cases[] = {
        {"command 59 after", "Undefined control sequence" + QString(33, '.') + "\\mathbb", "\\mathbb",
         {"  Command unknown: \\mathbb"}},
        {"command 60 after", "Undefined control sequence" + QString(34, '.') + "\\mathbb", "\\mathbb",
         {"  No mathgroup found for this object", ""}},
        {"custom row", "! Undefined control sequence.\n", "Custom", {"  Command unknown: Custom"}},
        {"broken path and lone <", "stack positions out of 1\n<a/b/c.pfb><x.pf\nb>< d/e", "\\mathit",
         {"  No mathgroup found for this object", "  Glyphs are taken from the file(s):", "    c.pfb", "    x.pfb"}},
        {"pdfTeX error", "stack positions out of 1\n!pdfTeX error: pdflatex: cannot open\n x ==> Fatal", "\\mathit",
         {"  No mathgroup found for this object", "pdflatex: cannot open x "}},
        {"group 40 is not 4",
         "Using \\mathgroup (4) \\x\nLaTeX Font Info:    mathgroup (40) a  :=\n(Font)              U/a/m/n 10\n",
         "\\mathit", {""}},
        {"two-part font",
         "Using \\mathgroup (4) \\x\nLaTeX Font Info:    mathgroup (4) a  :=\n(Font)              U/rsfs 10\n",
         "\\mathit", {""}},
        {"undefined font",
         "Using \\mathgroup (4) \\x\nmathgroup (4) a  :=\n(Font)              U/zz/m/n 10\nFont shape `U/zz/m/n' "
         "undefined\n",
         "\\mathit", {"  Package calls for undefined font U/zz/m/n--default substituted.", ""}},
        {"no external font",
         "Using \\mathgroup (4) \\x\nmathgroup (4) a  :=\n(Font)              U/zz/m/n 10\n", "\\mathit",
         {"  TFM file not found", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceState st;
        beginPass(st);
        scanMathObject(st, c.log, c.command);
        EXPECT_EQ(st.report, c.report);
    }
}

TEST(TraceReport, DiagnosisOfFailures)
{
    // Pass 0 without an encoding: the stop, naming the last "! Font" and
    // keeping the metric file's name for the search; TeX wrapped the message.
    const QString stopLog = "! Font OT1/aaa/m/n/10=aaar7t at 10pt not loadable: x\n"
                            "! Font OT1/zzz/m/n/10=zzzmissing at 10.0pt not loadable: Metric (TFM) file not \nfound.\n"
                            "!  ==> Fatal error occurred, no output PDF file produced!\n";
    TraceState st;
    EXPECT_FALSE(runPass(st, 0, stopLog, 1));
    EXPECT_TRUE(st.stop);
    EXPECT_EQ(st.report.mid(2), QStringList({"Metric (TFM) file not found: OT1/zzz/m/n/10"}));
    EXPECT_EQ(st.problemList, QStringList({"zzzmissing.tfm"}));
    EXPECT_TRUE(st.mainRmDefault.isEmpty());

    // A fatal metric error in a later pass.
    TraceState m;
    m.mainEncoding = "OT1";
    ASSERT_TRUE(runPass(m, 2, "xxxxxxxx--encodingdefault=T1 \n! Font T1/zzz/m/n/10=zzzr8t at 10.0pt not loadab\n"
                              "le: Metric (TFM) file not found.\n==> Fatal error occurred\n", 1));
    EXPECT_TRUE(m.report.contains("  Fatal error! TFM file not found: zzzr8t.tfm"));
    EXPECT_EQ(m.problemList, QStringList({"zzzr8t.tfm"}));

    // pdfTeX's complaints, with and without a file, twice in different case.
    struct Case {
        QString message;
        QString entry, problemFile;
    } cases[] = {
        {"pdflatex (file nosuchfont.pfb): cannot open Type 1 font file for reading",
         "Fatal error! Message returned:\npdflatex (file nosuchfont.pfb): cannot open Type 1 font file for reading",
         "nosuchfont.pfb"},
        {"pdflatex (file NOSUCHFONT.PFB): cannot open encoding file for reading",
         "Fatal error! Message returned:\npdflatex (file NOSUCHFONT.PFB): cannot open encoding file for reading",
         "NOSUCHFONT.PFB"},
        {"pdflatex: font qq not found",
         "Fatal error! Message returned:\npdflatex: font qq not found\nThere is either a missing .vf, or no font entry "
         "in pdftex.map.",
         ""},
        {"pdflatex: something else", "Fatal error! Message returned:\n", ""},
    };
    TraceState p;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        const QString log = "xxxxxxxx--encodingdefault=OT1 \n!pdfTeX error: " + c.message + "\n ==> Fatal error";
        p.report.clear();
        ASSERT_TRUE(runPass(p, 1, log, 1));
        EXPECT_EQ(p.report.value(2), c.entry);
        EXPECT_EQ(p.report.value(3), c.problemFile.isEmpty() ? "" : "  Problem file: " + c.problemFile);
    }
    EXPECT_EQ(p.problemList, QStringList({"nosuchfont.pfb"}));

    // A failed run without a fatal error: no entry, no glyphs.
    TraceState f;
    ASSERT_TRUE(runPass(f, 0, "xxxxxxxx--encodingdefault=OT1 \nxxxxxxxx--rmdefault=cmr \nstack positions out of "
                              "<a.pfb>",
                        1, [](const QString& name) { return name == "ot1cmr"; }));
    EXPECT_FALSE(f.problem);
    EXPECT_EQ(f.report.value(3), "  Font definition file ot1cmr.fd was found");
    EXPECT_EQ(f.report.mid(4), QStringList({"  Characters in OT1/cmr resolve to glyphs from the font file(s): ", ""}));
}

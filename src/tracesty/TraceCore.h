#pragma once
#include <QString>
#include <QStringList>

#include <functional>

namespace qlk {

// The package trace without its window: the checks of the font commands,
// the trial documents, the scan of their logs and the report made of them.

// The names of the files that the last trace which diagnosed a failure
// blamed, TAB-separated.
extern QString problemFiles;

// The popup's rows: no math alphabet, "Custom", then the alphabet commands.
QStringList mathAlphaRows();

// A line of font commands without its comment: trimmed, cut at the first
// "%" not preceded by a backslash, trimmed again. A blank line stays as it is.
QString withoutComment(const QString& line);

// The package names of the \usepackage lines of `commands` (lines separated
// by CR or LF), in line order. The empty text when they can be used,
// otherwise the message that refuses them (an empty text of commands, a
// missing brace, an empty name).
QString packageNames(const QString& commands, QStringList* names);

// The message that refuses a temp folder name, or the empty text: the name
// must stay one folder inside Documents.
QString tempNameProblem(const QString& name);

// What the window's choices put into a trial document.
struct TrialChoices {
    QString commands;      // the font commands as typed (CR or LF line ends)
    int mainFamily = 0;    // 0 Roman, 1 Sans Serif, 2 Typewriter
    bool trackShapes = false;
    QString mathObject;    // pass 4: what goes between the dollars
};
// min<pass>.tex: pass 0 plain, 1 to 3 with OT1, T1, LY1, 4 the math object.
QString trialDocument(int pass, const TrialChoices& choices);
// The fontenc line of a pass (the empty text for passes 0 and 4).
QString fontencLine(int pass);
// Whether pass 1 to 3 is left out because pass 0 found its encoding.
bool skipsPass(int pass, const QString& mainEncoding);

// Everything a trace finds, pass by pass.
struct TraceState {
    // The whole trace.
    QStringList report;
    QStringList problemList;
    bool problem = false;
    QString mainEncoding;
    QString mainRmDefault, mainEncDefault;
    QString seriesdefault, bfdefault, itdefault, scdefault, sldefault, shapedefault;
    QString mathfont;
    bool found = false;
    // One pass; beginPass empties them.
    QString rmdefault, sfdefault, ttdefault, encdefault;
    QStringList fdlist;
    QStringList glyphfiles;
    QString pdftexerror;
    bool stop = false;
    bool fatal = false;
    QString fatalEntry;
    QString problemFile;
    QString fdName;
};

void beginPass(TraceState& st);

// Pass 4: what served the math object `command` (the popup row's text),
// appended to the report.
void scanMathObject(TraceState& st, const QString& logtext, const QString& command);
// Every pass: the .fd files read and the defaults the document printed.
void scanLogLines(TraceState& st, const QString& logtext);

// Whether an .fd file of that name (without ".fd") is installed.
using FdLookup = std::function<bool(const QString& name)>;

// The diagnosis of a pass from its log and pdflatex's exit status; false
// when the trace stops here (pass 0 found no encoding).
bool diagnosePass(TraceState& st, int pass, const QString& logtext, int exitStatus, const FdLookup& fdInstalled);
// The pass's report lines, after its diagnosis.
void reportPass(TraceState& st, int pass, bool trackShapes);

// The TFM file a "! Font <nfss>=<name> at ..." line asks for: name + ".tfm";
// the empty text when the line names none.
QString tfmOfFontLine(const QString& text);

} // namespace qlk

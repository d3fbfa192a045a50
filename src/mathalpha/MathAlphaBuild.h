#pragma once
#include "mathalpha/MathAlphabet.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace qlk::mathalpha {

// What the font build needs once the grid has been read: the second half of
// the math-alphabet window's Process, from the scratch folder on.
struct BuildRequest {
    QString documents;      // the scratch folder and newesttmp.txt go here
    QString supportFolder;  // holds qlkheader.mtx, mathalf.etx, setxh.mtx, cmr10.pl
    QString ttfm;           // the base font's .tfm as kpsewhich found it
    QString ttfmn;          // its name without .tfm
    QString font;           // the new font's name
    QString sty;            // the package's name
    int kind = 0;           // 0 \mathcal, 1 \mathscr, 2 \mathbb, 3 \mathfrak
    bool withAdjustments = true;
    QString mtxTail;        // adjustmentsMtxTail of the grid
    QDate date;             // for \ProvidesPackage
};

struct BuildOutcome {
    bool finished = false;  // every step went well
    QString scratch;        // the scratch folder; empty when none was made
    TfmPath source;         // vendor and family of the base font
};

// The support files copied into every scratch folder, where tex finds them.
extern const char* const kSupportFiles[4];

// Makes the scratch folder, names it in newesttmp.txt, makes the base
// font's property list, adjustments.mtx and the driver, runs tex and vptovf,
// writes the .sty, hooks the .fd and assembles TDS/. A failed step has been
// reported (message or command report) when `finished` is false.
BuildOutcome buildFont(const BuildRequest& request);

// The file in the Documents folder that names the newest scratch folder.
QString newestTmpFile(const QString& documents);

// The install command lines. Into TEXMFHOME: one line, run by the program.
QString installHomeCommand(const QString& scratch, const QString& texmfHome);
// Into TEXMFLOCAL: the copy and mktexlsr, each for the root route.
QStringList installRootCommands(const QString& scratch, const QString& texmfLocal);

} // namespace qlk::mathalpha

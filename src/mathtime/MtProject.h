#pragma once
#include "mathtime/MtModel.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace qlk::mt {

// What the window's controls hold when a build starts.
struct BuildControls {
    QStringList tfms;           // the rows of the tfm list
    QList<GridRow> grid;        // the 106 rows of the glyph grid
    bool noV = false, noW = false, numbersKept = false;
    QString family;             // Berry name field
    QString scale;              // scale factor field
    QString left, right;        // additional spacing fields
};

// The reference data of the commercial fonts: mt2vitals.txt beside the
// program, else in the per-user reference folder.
QString referenceFolder();
QString vitalsFile();

// The reference data of the commercial fonts, made from the installed kit
// when nothing is beside the program: mt2vitals.txt, img/mtp1-106.png and
// mt2test.pdf in referenceFolder(). The picture folder and the sample, each
// where it was found; empty when missing.
QString referencePictureFolder();
QString sampleFile();
bool hasReferenceData();
// Makes what is missing of them. `status` shows progress. False (with a
// message) when a step failed.
bool makeReferenceData(const std::function<void(const QString&, bool)>& status);

// One companion-font project: the master folder, the newest build and the
// metrics. The window owns one and feeds it its controls; tests drive it
// directly. Problems are reported through the dialog service.
class MtProject {
public:
    QString master;        // the master folder; empty when none is loaded
    QString tmpfolder;     // scratch folder of the newest build
    QString berry;         // Berry name of the last build or load
    QString styFile;       // the installed mtpro2.sty
    bool needMetrics = true;
    bool needGlyphs = true;
    GlyphMetrics measured;
    GlyphMetrics reference;
    QList<SubstituteFont> subs;       // from "subs", read once per build
    QList<QPair<int, int>> subGlyphs; // (glyph, font index) of "subs"
    std::array<int, 3> xh = {0, 0, 0};
    double sf = 1.0;
    int italicScale = 1000;
    int boldScale = 1000;

    // The status line the window shows; set and appended to by the build.
    std::function<void(const QString& text, bool append)> onStatus;

    QString masterEntry(const QString& name) const { return master + '/' + name; }

    // Reads the master folder's metrics into `measured` and sets the need
    // flags from what the folder holds. False (with a message) when the
    // metrics file is short or damaged; the missing values read 0.
    bool loadMasterState();
    // Reads mt2vitals.txt into `reference`; zeros when there is none.
    void loadReference();

    // The four stages of one build. True when the package was written.
    bool process(const BuildControls& c);
    // Makes missing metrics and pictures around the build.
    bool pressprocess(const BuildControls& c);

    // Pictures of the newest build's glyphs into imgs/.
    bool makeGlyphs();
    // Measures the newest build's glyphs into `measured` and "metrics".
    bool makeMetrics();

    // Reads "subs" of the master folder into `subs`; skipped entries are
    // reported in one message.
    void readSubs();

    // The tools of a finished build. Each needs `tmpfolder`.
    // Typesets glyphtest.tex (mt2testfile.tex with the new package) into a
    // PDF and opens it; false after a failed step.
    bool test();
    // The font tables of the two new fonts.
    void table();
    // Copies the two .tfm, the two .vf and the .sty into the pctex folders
    // of TEXMFHOME, or of TEXMFLOCAL through the root route when `useAdmin`.
    // Returns the status text on success; reports the failed step and
    // returns the empty text otherwise.
    QString install(bool useAdmin);

private:
    void status(const QString& text, bool append = false);

    struct Stage1 {
        QStringList paths;
        AdjustmentLines lines;
    };
    bool stage1(const BuildControls& c, Stage1& out);
    bool stage2(const BuildControls& c, Stage1& s1);
    bool stage3(const BuildControls& c);
    bool stage4();
};

} // namespace qlk::mt

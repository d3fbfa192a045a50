#pragma once
#include <QString>
#include <QStringList>

namespace qlk {

class TfmCatalogue;

// One row of the "Real font listing": a base TFM with the PostScript name
// and the font file that the master map gives it. "????" marks what the map
// cannot resolve.
struct TfmMapRow {
    QString tfm;
    QString psName;
    QString fontFile;
    bool unresolved = false; // a "????" in the font-file column
    bool operator==(const TfmMapRow& o) const
    {
        return tfm == o.tfm && psName == o.psName && fontFile == o.fontFile && unresolved == o.unresolved;
    }
};

// The row for `tfm` from the master-map lines that begin with it (the first
// line counts): no line gives "????" twice; a line that names no file an
// empty font file; one whose only files are encodings "????" as font file.
TfmMapRow tfmMapRow(const QString& tfm, const QStringList& mapLines);

// Follows a TFM through its virtual fonts to the base TFMs behind it,
// working in a scratch folder that collects copies of the .tfm and .vf files
// it looks at and the .vpl files vftovp makes of them.
class TfmTracer {
public:
    TfmTracer(const TfmCatalogue& catalogue, const QString& scratchFolder);

    QStringList tfmbase; // the base TFMs, in the order first met, each once
    QStringList vfbase;  // the fonts the selected virtual font maps to directly

    // Traces the selected entry; `isVirtual` is its flag in the popup. False
    // (nothing changed) when kpsewhich cannot find its TFM.
    bool trace(const QString& name, bool isVirtual);
    // Adds the base TFMs behind `name`. `path` holds the virtual fonts being
    // descended through, so one that leads back to itself stops there.
    void getsourcetfms(const QString& name, QStringList& path);

private:
    // Copies the file kpsewhich finds for `fileName` into the scratch folder;
    // false when it finds none.
    bool fetch(const QString& fileName);
    // vftovp in the scratch folder; the FONTNAME entries of the .vpl made.
    QStringList expand(const QString& name);

    const TfmCatalogue& catalogue_;
    QString folder_;
};

// A font name as a command-line word that no program takes for an option.
QString fontArg(const QString& name);

} // namespace qlk

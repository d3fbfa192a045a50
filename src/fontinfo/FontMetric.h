#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qlk {

// The height of one character of an installed TeX font, in thousandths of
// the font's size: "x" gives the x-height, "X" or "B" the capital height.
// The font is followed through its virtual fonts (scaling on the way) down
// to the base font that the master pdftex.map names with its outline file,
// which t1rawafm or ttf2afm turn into an AFM. No value when the trace
// fails; the failures that need explaining show a message. The work is done
// in a scratch folder in the temporary folder, removed afterwards.
std::optional<int> fontMetric(const QString& character, const QString& fontName);

// One level of the trace: the unscaled height of `character` in the base
// font reached from `fontName`; `scale` is multiplied by the factor of each
// virtual level passed. `chain` holds the fonts traced so far, so that a
// virtual font leading back to one of them stops the trace.
std::optional<int> traceFont(const QString& fontName, const QString& character, double& scale,
                             const QString& folder, QStringList& chain);
// The top of the character's bounding box in the AFM made from the outline
// file (.pfb, .pfa or .ttf) that kpsewhich finds under `outlineFile`.
std::optional<int> afmMetric(const QString& outlineFile, const QString& character, const QString& folder);

// Readers of what the trace reads, on text.
struct VplFontList {
    QStringList names;     // MAPFONT entries in order: font number k is position k
    QList<double> factors; // their FONTAT factors, 1.0 where there is none
};
VplFontList vplFontList(const QString& vpl);
// The font number the VPL's entry for `character` selects (0 when it
// selects none); no value when the VPL has no entry for it.
std::optional<int> vplCharacterFont(const QString& vpl, const QString& character);
// The outline file a master-map line names: the first name after a "<"
// that is not an encoding file (.enc); empty when there is none.
QString mapLineOutlineFile(const QString& mapLine);
// The top of the bounding box on the AFM line of `character` ("C " and its
// code); no value unless that line occurs exactly once and is complete.
std::optional<int> afmCharacterTop(const QString& afm, const QString& character);

} // namespace qlk

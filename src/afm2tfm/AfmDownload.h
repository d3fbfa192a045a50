#pragma once
#include <QList>
#include <QString>

namespace qlk {

// The vendor AFM list: the fonts of supplier "p" in the font-name database
// and where each AFM file lies on the mirror named by "AdobeAFMLink".

struct AfmRow {
    QString berry;   // FilBerryName
    QString psName;  // FilPSName
    QString afmName; // the AFM file name made from FilFName
    QString id;      // FilID: the folder of the file on the mirror
};
// The rows in PostScript-name order; none when the database cannot answer.
QList<AfmRow> adobeAfmRows();

// FilFName made a file name: backslashes removed, ".afm" appended, every
// "~" made "_".
QString afmFileName(const QString& filFName);

// The address of an AFM file under the base address `site`: ids beginning
// "0." lie in /base17/, ids up to 899 in blocks of fifty (/001-050/ ...
// /851-900/), higher ids in /900-960/.
QString afmAddress(const QString& site, const QString& id, const QString& name);

// The longest answer taken for an AFM file: the largest are a few MB.
extern const qint64 kMaxAfmBytes;

// Whether a name may be saved in the home folder as it stands.
bool safeDownloadName(const QString& name);

} // namespace qlk

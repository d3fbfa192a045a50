#include "opentype/common/Postflight.h"

#include "opentype/common/OtfTemplate.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "prefs/PrefsStore.h"
#include "services/RunLog.h"
#include "texenv/TexEnv.h"

#include <QDir>

namespace qlk {

namespace {
bool isEncodingName(const QString& field)
{
    static const QStringList known{"OT1", "T1", "TS1", "LY1", "OT2", "T2A", "T2B", "T2C", "TS3", "T3", "LGR", "OML", "OMS", "OMX", "QX", "T5", "L7X"};
    return indexNoCase(known, field) >= 0;
}
} // namespace

QStringList tfmEncodings(const QStringList& tfmNames, bool autoinstNames)
{
    QStringList encodings;
    for (QString name : tfmNames) {
        if (name.endsWith(QLatin1String(".tfm"), Qt::CaseInsensitive))
            name.chop(4);
        QString encoding;
        if (!autoinstNames) {
            encoding = name.section(QLatin1Char('-'), 0, 0);
        } else {
            for (const QString& field : name.split(QLatin1Char('-'))) {
                if (isEncodingName(field))
                    encoding = field;
            }
        }
        if (!encoding.isEmpty() && indexNoCase(encodings, encoding) < 0)
            encodings << encoding;
    }
    return encodings;
}

QStringList usageBlock(const QStringList& encodings, const QString& shortname, bool rmOption)
{
    const QString joined = encodings.join(QLatin1Char(','));
    return {QStringLiteral("%Available encodings: ") + joined,
            QStringLiteral("%Available options: scaled, lining, oldstyle (default), rm(default), sf, tt"),
            QStringLiteral("%Available text styles from nfssext-cfr: \\textln (lining style), \\textos (oldstyle "
                           "figures), \\textsw (italic swash), \\textsu (superior figures), \\textsi (inferior figures)"),
            (rmOption ? QStringLiteral("\\usepackage[rm]{") : QStringLiteral("\\usepackage{")) + shortname +
                QStringLiteral("}"),
            QStringLiteral("\\usepackage[") + joined.toUpper() +
                QStringLiteral("]{fontenc}%change so last entry is default encoding"),
            QStringLiteral("%Copy last 5 lines to your 'Latex font choices' file")};
}

QString postflightTfmFolder(int method, const QString& vendor, const QString& shortname)
{
    const QString tail = QStringLiteral("/fonts/tfm/") + vendor + QLatin1Char('/') + shortname + QLatin1Char('/');
    if (method == 0)
        return texmfHome + tail;
    if (method == 1 || method == 2)
        return texmfLocal + tail;
    return tail;
}

void postflight(const QString& shortname, const QString& tfmFolder, bool autoinstStyle)
{
    logLine(QStringLiteral("Removing fonts folder from ") + texmfVar);
    const QString sty = shortname + QStringLiteral(".sty");
    logLine(QStringLiteral("Checking for other copies of ") + sty);
    QStringList copies;
    for (const QString& tree : {texmfLocal, texmfHome}) {
        logLine(QStringLiteral("Searching ") + tree + QStringLiteral(" for files named ") + sty);
        copies += findFilesByName({tree}, sty);
    }
    if (copies.size() >= 2) {
        logLine(QStringLiteral("Other copies of ") + sty + QStringLiteral(":"));
        logLine(copies.join(QChar(lf)));
        const QString text = QStringLiteral("One or more other copies of ") + sty +
                             QStringLiteral(" were found in areas searched by LaTeX. See log.");
        logLine(text);
        msgBox(text);
    }
    const QStringList tfms = QDir(tfmFolder).entryList({QStringLiteral("*.tfm")}, QDir::Files, QDir::Name);
    for (const QString& line : usageBlock(tfmEncodings(tfms, autoinstStyle), shortname, !autoinstStyle))
        logLine(line);
}

} // namespace qlk

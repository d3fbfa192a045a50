#include "texenv/PrefDefaults.h"

#include "platform/Paths.h"
#include "prefs/PrefsStore.h"
#include "texenv/TexEnv.h"

#include <QFileInfo>

namespace qlk {

const char* const kDefaultAdobeAFMLink =
    "http://ftp.funet.fi/pub/mirrors/ftp.adobe.com/pub/adobe/type/win/all/afmfiles";

const QStringList& defaultSourceMaps()
{
    static const QStringList maps{
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/adobe.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/monotype.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/apple.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/bitstrea.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/urw.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/yandy.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/special.map"),
        QStringLiteral("{TEXMFDIST}/fonts/map/fontname/typeface.map")};
    return maps;
}

void setPrefDefaults()
{
    const QString method = QStringLiteral("method");
    if (!haspref(method))
        setpref(method, qint32(isAdmin ? 1 : 0));
    if (prefInt(method) > 1)
        setpref(method, qint32(1));
    // A stored value below 0 reads as 0, as every other reader of "method" takes it.
    personalInstall = prefMethod() == 0;

    if (!haspref(QStringLiteral("sudo")))
        setpref(QStringLiteral("sudo"), qint32(1));
    if (!haspref(QStringLiteral("AdobeAFMLink")))
        setpref(QStringLiteral("AdobeAFMLink"), QString::fromLatin1(kDefaultAdobeAFMLink));
    if (!haspref(QStringLiteral("useFontsite")))
        setpref(QStringLiteral("useFontsite"), qint32(1));
    if (!haspref(QStringLiteral("otftotfm")))
        setpref(QStringLiteral("otftotfm"), texProgram(QStringLiteral("otftotfm")));

    if (haspref(QStringLiteral("sourcemaps"))) {
        sourceMapFiles = prefText(QStringLiteral("sourcemaps")).split(tab);
    } else {
        sourceMapFiles = defaultSourceMaps();
        setpref(QStringLiteral("sourcemaps"), sourceMapFiles.join(tab));
    }

    if (!haspref(QStringLiteral("PathToTFM")))
        setpref(QStringLiteral("PathToTFM"), texmfLocal + QStringLiteral("/fonts/tfm"));
    const QString tfm = prefText(QStringLiteral("PathToTFM"));
    tfmFolder = !tfm.isEmpty() && QFileInfo::exists(tfm) ? tfm : documentsFolder();

    if (!haspref(QStringLiteral("editor")))
        setpref(QStringLiteral("editor"), QStringLiteral("TextEdit"));

    saveprefs();
}

} // namespace qlk

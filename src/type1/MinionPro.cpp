#include "type1/MinionPro.h"

#include "type1/Downloads.h"

#include <QFileInfo>

namespace qlk {

const char* const kMinionProPath = "/tex-archive/fonts/minionpro/";
const char* const kMinionProAttachmentPath = "/pipermail/minionpro-devel/attachments/20090814/4e956ea2/";

int minionMetricsLevel(const QStringList& fileNames)
{
    int level = 0;
    for (const QString& name : fileNames) {
        if (name.contains(QLatin1String("semibold"), Qt::CaseInsensitive))
            level = qMax(level, 1);
        else if (name.contains(QLatin1String("Capt"), Qt::CaseInsensitive))
            level = qMax(level, 2);
    }
    return level;
}

QStringList minionMetricArchives(int level)
{
    QStringList archives{QStringLiteral("metrics-base.zip")};
    if (level >= 1)
        archives << QStringLiteral("metrics-full.zip");
    if (level >= 2)
        archives << QStringLiteral("metrics-opticals.zip");
    return archives;
}

QString minionPsVersion(const QString& otfinfoVersion)
{
    const QStringList fields = otfinfoVersion.trimmed().split(QLatin1Char(';'));
    if (fields.size() < 2)
        return {};
    const QStringList words = fields.at(1).split(QLatin1Char(' '));
    return words.size() < 2 ? QString() : words.at(1).trimmed();
}

QString minionCtanUrl(const QString& file)
{
    return ctanHost() + QLatin1String(kMinionProPath) + file;
}

MinionDownload minionEncodingArchive(bool italicHasUni2113, const QString& psVersion)
{
    if (italicHasUni2113) {
        const QString file = QStringLiteral("attachment.zip");
        return {file, mailingListHost() + QLatin1String(kMinionProAttachmentPath) + file};
    }
    QString file = QStringLiteral("enc-2.000.zip");
    if (psVersion == QLatin1String("001.000"))
        file = QStringLiteral("enc-1.000.zip");
    else if (psVersion == QLatin1String("001.001"))
        file = QStringLiteral("enc-1.001.zip");
    return {file, minionCtanUrl(file)};
}

QString minionStartFolder(const QStringList& hits, const QString& fallback)
{
    for (const QString& hit : hits) {
        if (hit.trimmed().isEmpty() || hit.contains(QLatin1String("/fonts/"), Qt::CaseInsensitive) ||
            hit.contains(QLatin1String("/usr/"), Qt::CaseInsensitive))
            continue;
        return QFileInfo(hit).path();
    }
    return fallback;
}

bool isMinionProFont(const QString& fileName)
{
    return fileName.startsWith(QLatin1String("MinionPro"), Qt::CaseInsensitive) &&
           fileName.endsWith(QLatin1String(".otf"), Qt::CaseInsensitive);
}

} // namespace qlk

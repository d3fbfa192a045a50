#include "afm2tfm/AfmDownload.h"

#include "fontinfo/FontDB.h"
#include "fontinfo/SqlStatement.h"

#include <QRegularExpression>

#include <cmath>

namespace qlk {

QList<AfmRow> adobeAfmRows()
{
    QList<AfmRow> rows;
    SqlStatement st(fontDB, "Select FilBerryName, FilPSName, FilID, FilFName from FontFiles "
                            "where FilSupplier='p' ORDER by FilPSName");
    if (!st.ok())
        return rows;
    while (st.next())
        rows << AfmRow{st.text(0), st.text(1), afmFileName(st.text(3)), st.text(2)};
    return rows;
}

QString afmFileName(const QString& filFName)
{
    QString name = filFName;
    name.remove(QLatin1Char('\\'));
    name += QStringLiteral(".afm");
    name.replace(QLatin1Char('~'), QLatin1Char('_'));
    return name;
}

QString afmAddress(const QString& site, const QString& id, const QString& name)
{
    if (id.startsWith(QLatin1String("0.")))
        return site + QStringLiteral("/base17/") + id + QLatin1Char('/') + name;
    // The leading number of the id, 0 when it has none.
    static const QRegularExpression lead(QStringLiteral("^\\d+"));
    const QRegularExpressionMatch m = lead.match(id);
    const long long n = m.hasMatch() ? m.captured(0).left(12).toLongLong() : 0;
    if (n > 899)
        return site + QStringLiteral("/900-960/") + id + QLatin1Char('/') + name;
    const long long first = static_cast<long long>(std::floor((n - 1) / 50.0) * 50 + 1);
    const QString from = QString::number(first + 1000).right(3);
    const QString to = QString::number(first + 1049).right(3);
    return site + QLatin1Char('/') + from + QLatin1Char('-') + to + QLatin1Char('/') + id + QLatin1Char('/') + name;
}

const qint64 kMaxAfmBytes = qint64(8) << 20;

bool safeDownloadName(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1String(".."));
}

} // namespace qlk

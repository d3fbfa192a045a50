#include "type1/FontinstJob.h"

#include "fontinfo/BerryName.h"
#include "fontinfo/FontNames.h"
#include "services/FileHelpers.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <numeric>

namespace qlk {

namespace {

void takeFile(FontinstJob& job, const QFileInfo& info)
{
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    if (job.pathlist.contains(path))
        return;
    job.pathlist << path;
    const QString name = info.fileName();
    if (name.startsWith(QLatin1Char('.')))
        return;
    const QString ext = name.right(4).toLower();
    const QString base = name.left(name.size() - 4);
    if (ext == QLatin1String(".tfm")) {
        job.tlist << base;
        job.titem << path;
    } else if (ext == QLatin1String(".afm")) {
        job.ylist << base;
        job.yitem << path;
    } else if (ext == QLatin1String(".pfb") || ext == QLatin1String(".pfa")) {
        job.blist << base;
        job.bitem << path;
        job.bIspfa << (ext == QLatin1String(".pfa"));
        if (job.bitem.size() == 1)
            job.FirstPF = path;
    } else if (ext == QLatin1String(".txt")) {
        job.xlist << base;
        job.xitem << path;
    }
}

void walk(FontinstJob& job, const QString& path, QSet<QString>& walked)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        // Links can lead back to a folder already walked.
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty() || walked.contains(canonical))
            return;
        walked.insert(canonical);
        const QDir dir(path);
        const QStringList items =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& item : items)
            walk(job, dir.filePath(item), walked);
        return;
    }
    // A broken link or an item that is no file is passed over.
    if (!info.exists() || !info.isFile())
        return;
    takeFile(job, info);
}

// The order that sorts `names` without regard to case, ties kept in place.
QList<int> sortedOrder(const QStringList& names)
{
    QList<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&names](int a, int b) {
        return names.at(a).compare(names.at(b), Qt::CaseInsensitive) < 0;
    });
    return order;
}

template <class List>
List reordered(const List& list, const QList<int>& order)
{
    List out;
    for (int i : order)
        out << list.at(i);
    return out;
}

} // namespace

void YFolder(FontinstJob& job, const QString& path)
{
    QSet<QString> walked;
    walk(job, path, walked);
}

void sortJobLists(FontinstJob& job)
{
    QList<int> order = sortedOrder(job.blist);
    job.blist = reordered(job.blist, order);
    job.bitem = reordered(job.bitem, order);
    job.bIspfa = reordered(job.bIspfa, order);
    order = sortedOrder(job.ylist);
    job.ylist = reordered(job.ylist, order);
    job.yitem = reordered(job.yitem, order);
    order = sortedOrder(job.tlist);
    job.tlist = reordered(job.tlist, order);
    job.titem = reordered(job.titem, order);
}

QStringList jobRows(const FontinstJob& job)
{
    QStringList rows;
    for (const QString& name : job.ylist)
        rows << name + QStringLiteral(".afm");
    for (int i = 0; i < job.blist.size(); ++i)
        rows << job.blist.at(i) + (job.bIspfa.value(i) ? QStringLiteral(".pfa") : QStringLiteral(".pfb"));
    for (const QString& name : job.tlist)
        rows << name + QStringLiteral(".tfm");
    return rows;
}

QString dropExpert(const QString& familyName)
{
    QString fam = familyName.trimmed();
    if (fam.endsWith(QLatin1String("Expert"), Qt::CaseInsensitive))
        fam = fam.left(fam.size() - 6).trimmed();
    return fam;
}

NameProposal proposeNames(const FontinstJob& job)
{
    NameProposal p;
    if (job.blist.isEmpty() || job.FirstPF.isEmpty())
        return p;
    const QString name = job.blist.first();
    BerryNameInfo info;
    parseBerryName(name, info);
    const QString source = info.text(QStringLiteral("OK")) == QLatin1String("Y") ? name : berryNameFor(name);
    if (source.isEmpty())
        return p;
    p.ok = true;
    p.prefix = source.left(3);
    p.supplier = Foundry(p.prefix);
    p.family = dropExpert(pfaFamilyName(job.FirstPF)).remove(QLatin1Char(' '));
    return p;
}

QString Foundry(const QString& prefix)
{
    return supplierName(prefix.left(1));
}

} // namespace qlk

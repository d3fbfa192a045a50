#include "uninstall/PackageLookups.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace qlk {

namespace {

QStringList visibleFolders(const QString& folder)
{
    QStringList names;
    if (!QFileInfo(folder).isDir())
        return names;
    // The folder's own order, as a listing gives it.
    const QFileInfoList items = QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& item : items)
        names << item.fileName();
    return names;
}

// Folders below `root` in the order of a recursive listing: each folder's
// path relative to root and its sorted entries.
void walk(const QString& root, const QString& relative, QList<QPair<QString, QFileInfoList>>& out)
{
    const QString path = relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
    const QFileInfoList items = QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    out << qMakePair(relative, items);
    for (const QFileInfo& item : items) {
        if (item.isDir() && !item.isSymLink())
            walk(root, relative.isEmpty() ? item.fileName() : relative + QLatin1Char('/') + item.fileName(), out);
    }
}

} // namespace

QStringList getsuppliers(const QString& root)
{
    return visibleFolders(root + QStringLiteral("/fonts/tfm"));
}

QStringList getfamilies(const QString& root, const QString& supplier)
{
    if (supplier.isEmpty())
        return {};
    return visibleFolders(root + QStringLiteral("/fonts/tfm/") + supplier);
}

QStringList filloutSuppliers(int which, const QStringList& suppliers)
{
    QStringList result = suppliers;
    if (which == 0) {
        if (QFileInfo(texmfLocal).isDir())
            result = getsuppliers(texmfLocal);
    } else if (which == 1) {
        if (QFileInfo(texmfVar).isDir())
            result = getsuppliers(texmfVar);
        if (QFileInfo(texmfHome).isDir())
            result += getsuppliers(texmfHome);
    }
    std::sort(result.begin(), result.end());
    return result;
}

QString lookupTreePath(int tree)
{
    switch (tree) {
    case 0: return texmfLocal;
    case 1: return texmfHome;
    case 2: return texmfVar;
    default: return QString();
    }
}

NoCaseDict<QString> gettfm(int tree)
{
    NoCaseDict<QString> pkg;
    const QString base = lookupTreePath(tree);
    if (base.isEmpty() || !QFileInfo(base + QStringLiteral("/fonts/tfm")).isDir())
        return pkg;
    QList<QPair<QString, QFileInfoList>> folders;
    walk(base + QStringLiteral("/fonts/tfm"), QString(), folders);
    for (const auto& [relative, items] : folders) {
        if (relative.isEmpty() || items.isEmpty())
            continue;
        if (items.first().fileName().endsWith(QLatin1String(".tfm"), Qt::CaseInsensitive))
            pkg.insert(relative.section(QLatin1Char('/'), -1), relative);
    }
    return pkg;
}

NoCaseDict<QString> getfd(int tree)
{
    NoCaseDict<QString> fd;
    const QString base = lookupTreePath(tree);
    if (base.isEmpty() || !QFileInfo(base + QStringLiteral("/tex/latex")).isDir())
        return fd;
    QList<QPair<QString, QFileInfoList>> folders;
    walk(base + QStringLiteral("/tex/latex"), QString(), folders);
    for (const auto& entry : folders) {
        if (!entry.first.isEmpty())
            fd.insert(entry.first.section(QLatin1Char('/'), -1), entry.first);
    }
    return fd;
}

std::optional<QStringList> getsty(int tree, const QString& first, const QString& second)
{
    Q_UNUSED(first);
    Q_UNUSED(second);
    const QString path = lookupTreePath(tree);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return QStringList{QString()};
    return std::nullopt;
}

pmenu::pmenu(const QList<NoCaseDict<QString>>& d)
{
    QStringList* lists[] = {&lst0, &lst1, &lst2};
    for (int t = 0; t < 3 && t < d.size(); ++t) {
        *lists[t] = d.at(t).keys();
        std::sort(lists[t]->begin(), lists[t]->end());
    }
}

QStringList* pmenu::lst(int type)
{
    switch (type) {
    case 0: return &lst0;
    case 1: return &lst1;
    case 2: return &lst2;
    default: return nullptr;
    }
}

} // namespace qlk

#include "mainwindow/TdsInstall.h"

#include "platform/Paths.h"
#include "platform/Quote.h"

#include <QDir>
#include <QFileInfo>

namespace qlk {

QStringList updmapOutputRemovals(const QString& tree)
{
    const QString map = QDir(tree).filePath(QStringLiteral("fonts/map"));
    if (!QFileInfo(map).isDir() || !QFileInfo(QDir(tree).filePath(QStringLiteral("fonts"))).isDir())
        return {};
    QStringList lines;
    const QString rm = shellQuote(systemProgram(QStringLiteral("rm")));
    for (const char* driver : {"dvipdfmx", "dvips", "pdftex"})
        lines << rm + QStringLiteral(" -Rf ") +
                     shellQuote(map + QLatin1Char('/') + QLatin1String(driver) + QStringLiteral("/updmap"));
    return lines;
}

QString treeArchive(const QString& tree)
{
    const QString clean = QDir::cleanPath(tree);
    return clean + QLatin1Char('/') + QFileInfo(clean).fileName() + QStringLiteral(".zip");
}

QString zipTreeCommand(const QString& tree)
{
    const QString name = QFileInfo(treeArchive(tree)).fileName();
    // "./*": the top-level items, never read as options; the archive is
    // removed before the pattern is expanded, so it never packs itself.
    return QStringLiteral("cd ") + shellQuote(QDir::cleanPath(tree)) + QStringLiteral(" && ") +
           shellQuote(systemProgram(QStringLiteral("rm"))) + QStringLiteral(" -f ") + shellQuote(name) +
           QStringLiteral(" && ") + shellQuote(systemProgram(QStringLiteral("zip"))) + QStringLiteral(" -rq ") +
           shellQuote(name) + QStringLiteral(" ./*");
}

QString unzipTreeCommand(const QString& tree, const QString& target, bool asRoot)
{
    return QStringLiteral("cd ") + shellQuote(target) + QStringLiteral(" && ") +
           (asRoot ? QStringLiteral("/usr/bin/sudo ") : QString()) +
           shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -o -qq ") +
           shellQuote(treeArchive(tree));
}

} // namespace qlk

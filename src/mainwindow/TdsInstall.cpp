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

QString installStagingFolder(const QString& target)
{
    return QDir::cleanPath(target) + QStringLiteral("/.quillmark-install");
}

QString unzipTreeCommand(const QString& tree, const QString& target, bool asRoot)
{
    // Unpacked beside the files it replaces, then linked into place in one
    // quick step: an unzip that fails or is stopped leaves the old version
    // whole. A plain copy stands in where links cannot be made.
    const QString t = shellQuote(QDir::cleanPath(target));
    const QString stage = shellQuote(installStagingFolder(target));
    const QString rm = shellQuote(systemProgram(QStringLiteral("rm")));
    const QString cp = shellQuote(systemProgram(QStringLiteral("cp")));
    const QString script =
        QStringLiteral("cd ") + t + QStringLiteral(" && ") + rm + QStringLiteral(" -rf ") + stage +
        QStringLiteral(" && ") + shellQuote(systemProgram(QStringLiteral("mkdir"))) + QLatin1Char(' ') + stage +
        QStringLiteral(" && cd ") + stage + QStringLiteral(" && ") +
        shellQuote(systemProgram(QStringLiteral("unzip"))) + QStringLiteral(" -o -qq ") +
        shellQuote(treeArchive(tree)) + QStringLiteral(" && { ") + cp +
        QStringLiteral(" -Rl --remove-destination ./. ") + t + QStringLiteral("/ 2>/dev/null || ") + cp +
        QStringLiteral(" -R --remove-destination ./. ") + t + QStringLiteral("/; }; s=$?; cd / && ") + rm +
        QStringLiteral(" -rf ") + stage + QStringLiteral("; exit $s");
    return (asRoot ? QStringLiteral("/usr/bin/sudo ") : QString()) +
           shellQuote(systemProgram(QStringLiteral("bash"))) + QStringLiteral(" -c ") + shellQuote(script);
}

} // namespace qlk

#include "mainwindow/ListActions.h"

#include "platform/Paths.h"
#include "platform/Quote.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>

namespace qlk {

QList<MenuChoice> fontMapMenu()
{
    return {{QStringLiteral("Show contents"), 1}};
}

QList<MenuChoice> listbox1Menu(int index, const QString& rowPath)
{
    QList<MenuChoice> items;
    if (index == 0) {
        items << MenuChoice{QStringLiteral("Show folder"), 1} << MenuChoice{QStringLiteral("Contents of pdftex.map"), 2}
              << MenuChoice{QStringLiteral("Contents of psfonts.map"), 3}
              << MenuChoice{QStringLiteral("Contents of dvipdfm.map"), 4};
    }
    // Only updmap's output in a personal tree is the user's to delete.
    if (index == 1 || (index == 0 && !rowPath.trimmed().isEmpty() && isPersonalPath(rowPath.trimmed())))
        items << MenuChoice{QStringLiteral("Delete file"), 100};
    if (index == 1 || index == 2)
        items << MenuChoice{QStringLiteral("Show contents"), 101};
    return items;
}

QString outputMapOf(const QString& root, int tag)
{
    QString folder, file;
    switch (tag) {
    case 2: folder = file = QStringLiteral("pdftex"); break;
    case 3: folder = QStringLiteral("dvips"); file = QStringLiteral("psfonts"); break;
    case 4: folder = file = QStringLiteral("dvipdfm"); break;
    default: return QString();
    }
    const QString updmap = QDir(root).filePath(folder + QStringLiteral("/updmap"));
    if (root.isEmpty() || !QFileInfo(updmap).isDir())
        return QString();
    return QDir::cleanPath(updmap + QLatin1Char('/') + file + QStringLiteral(".map"));
}

QString personalTreeOf(const QString& root)
{
    return pathInTree(root, texmfVar) ? texmfVar : texmfHome;
}

QString removeUpdmapOutputCommand(const QString& tree)
{
    // The patterns stay outside the quotes so that the shell expands them.
    return QStringLiteral("cd ") + shellQuote(tree) + QStringLiteral(" && ") +
           shellQuote(systemProgram(QStringLiteral("rm"))) +
           QStringLiteral(" -f fonts/map/dvips/updmap/* fonts/map/dvipdfmx/updmap/* fonts/map/pdftex/updmap/*");
}

} // namespace qlk

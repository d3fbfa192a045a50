#include "texenv/TexmfVar.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Quote.h"
#include "services/Runners.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>

namespace qlk {

namespace {
bool folderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// Whether `path` lies below the home folder (not the home folder itself),
// compared as clean absolute paths and again with links resolved.
bool insideHome(const QString& path)
{
    const QString home = homeFolder();
    if (home.isEmpty() || path.isEmpty())
        return false;
    auto below = [](const QString& p, const QString& h) {
        const QString cp = QDir::cleanPath(p);
        const QString ch = QDir::cleanPath(h);
        return ch != QLatin1String("/") && cp.startsWith(ch + QLatin1Char('/')) && cp.size() > ch.size() + 1;
    };
    if (!below(QFileInfo(path).absoluteFilePath(), QFileInfo(home).absoluteFilePath()))
        return false;
    const QString realPath = QFileInfo(path).canonicalFilePath();
    const QString realHome = QFileInfo(home).canonicalFilePath();
    return realPath.isEmpty() || realHome.isEmpty() || below(realPath, realHome);
}
} // namespace

void resetTexmfVar()
{
    if (!folderExists(texmfVar)) {
        msgBox(QStringLiteral("No folder at ") + texmfVar);
        return;
    }
    if (!insideHome(texmfVar)) {
        msgBox(QStringLiteral("TEXMFVAR (") + texmfVar +
               QStringLiteral(") does not lie inside your home folder; it was not deleted."));
        return;
    }
    if (!askYesNo(QStringLiteral("Delete folder ") + texmfVar + QStringLiteral("?")))
        return;
    // Two runs, so that the folder is made again even when the removal
    // failed part way; runShell reports either failure.
    runShell(systemCommand(QStringLiteral("rm")) + QStringLiteral(" -Rf ") + shellQuote(texmfVar));
    runShell(systemCommand(QStringLiteral("mkdir")) + QStringLiteral(" -p ") + shellQuote(texmfVar));
}

bool clearTexmfVar(bool ask)
{
    if (!folderExists(texmfVar)) {
        msgBox(QStringLiteral("No folder to delete at ") + texmfVar);
        return true;
    }
    if (ask && !askYesNo(QStringLiteral("Delete folder contents: ") + texmfVar + QStringLiteral("?")))
        return false;
    runShell(systemCommand(QStringLiteral("find")) + QLatin1Char(' ') + shellQuote(texmfVar) +
             QStringLiteral(" -type f -exec ") + systemCommand(QStringLiteral("rm")) +
             QStringLiteral(" -f {} \\;"));
    return true;
}

} // namespace qlk

#include "texenv/PersonalTrees.h"

#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "platform/Quote.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace qlk {

namespace {
std::function<bool(const QString&)>& writableOverride()
{
    static std::function<bool(const QString&)> check;
    return check;
}

bool isWritable(const QString& path)
{
    if (writableOverride())
        return writableOverride()(path);
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// chmod first; when that is refused the folder belongs to someone else
// (root, after updmap was run with sudo): give it back, then chmod again.
void repairPermissions(const QString& folder)
{
    const QString chmod = QStringLiteral("/bin/chmod -R 755 ") + shellQuote(folder);
    runShellQuiet(chmod);
    if (lastShell.errorCode == 0)
        return;
    runAsRoot(ownershipRepairCommand(folder));
    runShell(chmod);
}

// Makes `folder` (and its parents) when missing.
bool makeFolder(const QString& folder)
{
    return QFileInfo(folder).isDir() || QDir().mkpath(folder);
}
} // namespace

void setWritableCheckForTesting(std::function<bool(const QString&)> check)
{
    writableOverride() = std::move(check);
}

QString impermanentRepairFolder()
{
    const QString parent = QFileInfo(texmfVar).absolutePath();
    // Never the home folder itself, nor a folder outside it.
    if (pathInTree(parent, homeFolder()) && QDir::cleanPath(parent) != QDir::cleanPath(homeFolder()))
        return parent;
    return texmfVar;
}

QString ownershipRepairCommand(const QString& folder)
{
    return QStringLiteral("/usr/bin/sudo /bin/chown -R ") + shellQuote(currentUserName()) +
           QLatin1Char(' ') + shellQuote(folder);
}

bool checkImpermanentTree()
{
    const QString yearFolder = QFileInfo(texmfVar).absolutePath();
    // The folders above TEXMFVAR first, then TEXMFVAR itself; a failure is
    // logged only.
    if (!makeFolder(yearFolder)) {
        bailOut(QStringLiteral("Unable to create folder ") + yearFolder + QStringLiteral(". Must quit."),
                false, true);
        return false;
    }
    const QFileInfo var(texmfVar);
    if (!var.exists() && !QDir().mkdir(texmfVar)) {
        bailOut(QStringLiteral("Unable to create folder ") + var.fileName() + QStringLiteral(" in ") +
                    yearFolder + QStringLiteral(". Must quit."),
                false, true);
        return false;
    }
    const QFileInfo now(texmfVar);
    if (now.exists()) {
        if (now.isDir() && isWritable(texmfVar)) {
            QDir().mkpath(texmfConfig + QStringLiteral("/web2c"));
            QDir().mkpath(texmfVar + QStringLiteral("/fonts"));
        } else if (now.isDir()) {
            const QString folder = impermanentRepairFolder();
            logLine(QStringLiteral("Need to correct texmfvar permissions."));
            if (!askYesNo(QStringLiteral("The impermanent folder ") + folder +
                          QStringLiteral(" is not writeable. ") + QString(lf) +
                          QStringLiteral("Most likely you issued at some point the incorrect command "
                                         "'sudo updmap' instead of 'sudo [-H] updmap-sys.") +
                          QString(lf) + QStringLiteral("Press OK to have program correct this."))) {
                requestQuit();
                return false;
            }
            repairPermissions(folder);
        } else {
            bailOut(QStringLiteral("The name '") + texmfVar +
                        QStringLiteral("' is in use by a file. You should check its contents and "
                                       "rename it before continuing."),
                    true, false);
            return false;
        }
    }
    return true;
}

bool checkPermanentTree()
{
    const QFileInfo home(texmfHome);
    if (home.exists() && !home.isDir()) {
        bailOut(QStringLiteral("Bailing out! You have a file named ") + home.fileName() +
                    QStringLiteral(" in ") + home.absolutePath() +
                    QStringLiteral(" that blocks creating of TEXMFHOME. Move it."),
                true, true);
        return false;
    }
    if (home.exists() && !isWritable(texmfHome)) {
        const QString text = QStringLiteral("Your folder ") + texmfHome +
                             QStringLiteral(" (TEXMFHOME) is not writable. ");
        logLine(text);
        if (!askYesNo(text + QStringLiteral("Correct?"))) {
            requestQuit();
            return false;
        }
        repairPermissions(texmfHome);
    }
    if (!home.exists()) {
        QDir().mkpath(texmfHome);
        QDir root(texmfHome);
        for (const char* sub : {"tex", "fonts", "web2c", "pdftex", "doc", "tex/latex", "tex/generic",
                                "fonts/enc", "fonts/dvips", "fonts/map", "fonts/type1",
                                "fonts/truetype", "fonts/tfm", "fonts/afm", "fonts/vf"})
            root.mkpath(QLatin1String(sub));
    }
    const QString lsR = texmfHome + QStringLiteral("/ls-R");
    if (QFileInfo::exists(lsR) &&
        askYesNo(QStringLiteral("You have an inappropriate ls-R in your permanent personal tree. Remove?"))) {
        runShell(QStringLiteral("/bin/rm -f ") + shellQuote(lsR));
        if (lastShell.errorCode != 0)
            runAsRoot(QStringLiteral("/usr/bin/sudo /bin/rm -f ") + shellQuote(lsR));
    }
    return true;
}

} // namespace qlk

#include "texenv/FinishInstall.h"

#include "platform/BundleScripts.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/MapCommands.h"
#include "texenv/TexEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace qlk {

bool hasType1 = false;
bool hasMF = false;
bool hasTTF = false;
bool hasMaps = false;
bool stylesLoadMaps = false;
QStringList tdsMaps;
QString tdsFolder;
QString lastEnableFailure;

namespace {
// The file names below `folder` in the order a recursive listing gives
// them: a folder's own files first, then each subfolder in name order.
// Hidden names and folders reached through links are passed over, as a
// listing does; a folder that cannot be read adds nothing.
void listNames(const QString& folder, QStringList& names, QStringList& styles)
{
    QDir dir(folder);
    if (!dir.isReadable())
        return;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    QStringList subfolders;
    for (const QFileInfo& e : entries) {
        if (e.isDir() && !e.isSymLink())
            subfolders << e.filePath();
        else if (!e.isDir()) {
            names << e.fileName();
            if (e.suffix().compare(QLatin1String("sty"), Qt::CaseInsensitive) == 0)
                styles << e.filePath();
        }
    }
    for (const QString& sub : subfolders)
        listNames(sub, names, styles);
}

// Whether a style file loads map entries itself: \pdfmapfile or
// \pdfmapline outside a comment.
bool loadsMap(const QString& path)
{
    static const QRegularExpression command(QStringLiteral("^(?:[^%\\\\]|\\\\.)*\\\\pdfmap(?:file|line)\\b"),
                                            QRegularExpression::MultilineOption);
    return command.match(readTextFile(path)).hasMatch();
}

bool anyContains(const QStringList& names, const char* part)
{
    for (const QString& name : names) {
        if (name.contains(QLatin1String(part), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The refusal of map entries whose names cannot enter a command line; the
// empty text when there is none (or nothing is to be enabled).
QString refusedMapsText(bool skip)
{
    QStringList refused;
    if (!skip) {
        for (const QString& entry : tdsMaps) {
            if (!safeMapName(mapFileName(entry)))
                refused << entry;
        }
    }
    if (refused.isEmpty())
        return QString();
    return QStringLiteral("These map files were not enabled, as their names hold characters that "
                          "cannot be used in a command line: ") +
           refused.join(QStringLiteral(", "));
}

void addFailure(const QString& text)
{
    logLine(text);
    if (!lastEnableFailure.isEmpty())
        lastEnableFailure += lf;
    lastEnableFailure += text;
}

// After the commands ran, whether or not they reported success: the maps
// they were to enable must have reached the pdftex.map in use.
void checkEnabledMaps(bool skip, bool system)
{
    if (skip || tdsMaps.isEmpty())
        return;
    const QString missing = mapsNotInUseText(checkMapsInUse(tdsMaps, system), system);
    if (!missing.isEmpty())
        addFailure(missing);
}
} // namespace

void scanTDS()
{
    overwriteFiles.clear();
    hasType1 = hasMF = hasTTF = hasMaps = stylesLoadMaps = false;
    tdsMaps.clear();
    QStringList names, styles;
    if (!tdsFolder.isEmpty() && QFileInfo(tdsFolder).isDir())
        listNames(tdsFolder, names, styles);
    for (const QString& sty : styles)
        stylesLoadMaps = stylesLoadMaps || loadsMap(sty);
    hasType1 = anyContains(names, ".pf");
    hasMF = anyContains(names, ".mf");
    hasTTF = anyContains(names, ".ttf");
    hasMaps = anyContains(names, ".map");
    // Only real map files are enabled; "x.map.bak" would become a map
    // "x.map.bak.map" that does not exist.
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".map"), Qt::CaseInsensitive))
            tdsMaps << name;
    }
}

InstallPlan planInstall()
{
    InstallPlan plan;
    if (hasType1) {
        if (!hasMaps) {
            plan.warnings << QStringLiteral(
                "Your TDS is incomplete---there are PostScript fonts but no map files");
            plan.noMapsEnabled = true;
        } else if (hasMF) {
            plan.kind = QStringLiteral("MixedMap");
        }
        if (hasTTF) {
            plan.warnings << QStringLiteral("It is not a good idea to mix PostScript and TrueType fonts in "
                                            "one package---they are used differently.");
            plan.noMapsEnabled = true;
            plan.skip = true;
        }
    } else if (hasTTF && hasMaps && stylesLoadMaps) {
        plan.warnings << QStringLiteral("You have no PostScript fonts---the map files for ttf fonts should "
                                        "be enabled within the sty file using \\pdfmapfile{}");
        plan.noMapsEnabled = true;
        plan.skip = true;
    }
    return plan;
}

bool enableMapsSystem(const QString& kind, bool skip)
{
    lastEnableFailure.clear();
    const QString refused = refusedMapsText(skip);
    if (!refused.isEmpty())
        addFailure(refused);
    const int status = runAsRoot(systemEnableCommands(kind, skip, tdsMaps).join(tab));
    if (status == kNoRootRoute)
        addFailure(QStringLiteral("The maps in the system trees were not enabled: no way to run commands as root."));
    else if (status == kRootCommandsStopped)
        addFailure(QStringLiteral("Enabling the maps in the system trees was stopped."));
    else if (status != 0)
        addFailure(QStringLiteral("Enabling the maps in the system trees failed: mktexlsr or updmap-sys "
                                  "ended with exit status %1.")
                       .arg(status));
    if (status != kNoRootRoute && bundleScriptsRunCommands())
        checkEnabledMaps(skip, true);
    return lastEnableFailure.isEmpty();
}

bool enableMapsUser(const QString& kind, bool skip)
{
    lastEnableFailure.clear();
    const QString refused = refusedMapsText(skip);
    if (!refused.isEmpty())
        addFailure(refused);
    // Personal maps are the user's own: updmap-user runs as the user, so
    // that no file in the personal trees ends up owned by root.
    const QString failed = runUserCommands(userEnableCommands(kind, skip, tdsMaps));
    if (!failed.isEmpty() && lastShell.stopped)
        addFailure(QStringLiteral("Enabling the maps in the personal trees was stopped. Left undone: ") +
                   lastShell.leftUndone);
    else if (!failed.isEmpty())
        addFailure(QStringLiteral("Enabling the maps in the personal trees failed at: ") + failed);
    checkEnabledMaps(skip, false);
    return lastEnableFailure.isEmpty();
}

} // namespace qlk

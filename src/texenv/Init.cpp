#include "texenv/Init.h"

#include "fontinfo/FontDB.h"
#include "mainwindow/ArchiveCheck.h"
#include "mainwindow/Window1.h"
#include "opentype/common/PackageSwap.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "services/RunLog.h"
#include "texenv/DeprecatedWin.h"
#include "texenv/MapInventory.h"
#include "texenv/PersonalTrees.h"
#include "texenv/PrefDefaults.h"
#include "texenv/ScanSteps.h"
#include "texenv/TexEnv.h"
#include "texenv/UpdmapCfg.h"

#include <QFileInfo>
#include <QPointer>

namespace qlk {

namespace {
void emptyScanLists()
{
    updmapSys.clear();
    updmapHome.clear();
    mapListTags.clear();
    mapListPaths.clear();
    mapListDates.clear();
    otherPdftexMaps.clear();
    localMapFiles.clear();
    personalMapFiles.clear();
    impermanentMapFiles.clear();
}

void showDeprecatedMaps()
{
    const QStringList found = deprecatedMapFiles();
    if (found.isEmpty())
        return;
    DeprecatedWin* window = DeprecatedWin::instance();
    for (const QString& path : found)
        window->addRow(path);
    QPointer<DeprecatedWin> guard(window);
    dialogs().runModal(window);
    // A fresh window at the next scan, not one that still lists these rows
    // (a modal run may have deleted it already).
    if (guard)
        guard->close();
}

bool connectDatabase()
{
    const QString path = fontDBPath();
    if (!QFileInfo(path).isFile()) {
        bailOut(QStringLiteral("Database file 'TeXFonts.db' not available.") + QString(lf) +
                    QStringLiteral("File may have been moved from application folder."),
                true, true);
        return false;
    }
    if (!connectFontDB(path)) {
        bailOut(QStringLiteral("Cannot connect to 'TeXFonts.db'. Must quit."), true, true);
        return false;
    }
    encodingLetters = QStringLiteral("cenopqrtuvwxy");
    variantLetters = QStringList{QStringLiteral("01234abcdefghijklmnopqrstuvwxyz"),
                                 QStringLiteral("aistwz"),
                                 QStringLiteral("abcdgikmstwxyz"),
                                 QStringLiteral("acdfkmtvyz"),
                                 QStringLiteral("234acefgimnqrtuvwxyz"),
                                 QStringLiteral("cdeiostuxz")};
    return true;
}

void fillMainWindow()
{
    Window1* main = Window1::instance();
    for (const QString& path : localMapFiles)
        main->Listbox4->addRow(path);
    for (const QString& path : personalMapFiles)
        main->Listbox5->addRow(path);
    for (const QString& path : impermanentMapFiles)
        main->Listbox6->addRow(path);
    Window1List* copies = main->Listbox1[0];
    const int first = copies->rowCount();
    for (int i = 0; i < mapListTags.size(); ++i) {
        copies->addRow(checkedAt(mapListTags, i));
        copies->setCell(first + i, 1, checkedAt(mapListPaths, i));
        copies->setCell(first + i, 2, checkedAt(mapListDates, i));
    }
}

void runScan()
{
    emptyScanLists();
    // The trees come before the preference defaults, which name a folder in
    // TEXMFLOCAL; a refusal here leaves no start line in the log.
    if (!findInstallation())
        return;
    setPrefDefaults();
    logStart();
    if (!scanUpdmapFiles())
        return;
    if (!checkImpermanentTree())
        return;
    distMaps();
    logLine(QStringLiteral("Found all distribution map files"));
    if (!checkPermanentTree())
        return;
    // A replacement stopped by a kill leaves hidden copies beside the
    // package; they are cleared here, not only at the next Install of it.
    for (const QString& line : clearInterruptedReplacements(texmfHome))
        logLine(line);
    // So does an unpack stopped by a kill, in its scratch folder.
    for (const QString& line : clearAbandonedUnpacks(documentsFolder()))
        logLine(line);
    showDeprecatedMaps();
    scanFontMaps();
    if (quitRequested() || !connectDatabase())
        return;
    fillMainWindow();
    Window1* main = Window1::instance();
    // A rescan after an installation leaves the window the user works in
    // in front; the main window comes forward only when it is not shown.
    if (!main->isVisible() || main->isMinimized())
        main->Show();
    main->Setupwin();
}
} // namespace

void init()
{
    guardBounds("init", runScan);
}

} // namespace qlk

// The Install tab of the main window: the drop list, "Make TDS", the TDS
// check, "Install" and the move between trees.
#include "mainwindow/Window1.h"

#include "fontinfo/ScratchFolder.h"
#include "mainwindow/ArchiveCheck.h"
#include "mainwindow/MakeTds.h"
#include "mainwindow/OverwriteConfirm.h"
#include "mainwindow/TDSwindow.h"
#include "mainwindow/TdsCheck.h"
#include "mainwindow/TdsInstall.h"
#include "mainwindow/TdsLayout.h"
#include "mainwindow/TreeMove.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/QuitPath.h"
#include "prefs/PrefsStore.h"
#include "services/DropCheck.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/RunLog.h"
#include "services/Runners.h"
#include "texenv/FinishInstall.h"
#include "texenv/TexEnv.h"
#include "textview/TextWindow.h"
#include "ui/FileDrop.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace qlk {

namespace {
DropRules mainDropRules()
{
    return DropRules{{QStringLiteral(".map")}, false, true};
}
} // namespace

void Window1::wireInstallTab()
{
    Listbox7->setAcceptDrops(true);
    Listbox7->viewport()->setAcceptDrops(true);
    Listbox7->setDragDropMode(QAbstractItemView::DropOnly);
    Listbox7->viewport()->installEventFilter(this);
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Action(); });
    connect(PushButton8, &QPushButton::clicked, this, [this] { PushButton8_Action(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Action(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Action(); });
}

bool Window1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Listbox7->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (droppedPaths(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = droppedPaths(drop->mimeData());
            if (!paths.isEmpty()) {
                drop->acceptProposedAction();
                Listbox7_DropObject(paths);
            }
            return true;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Window1::Listbox7_DropObject(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // Map names go to updmap; nothing else of the drop is read before Make
    // TDS, which copies it whole.
    if (const QString problem = dropProblem(paths, mainDropRules()); !problem.isEmpty()) {
        msgBox(problem);
        return;
    }
    QStringList absolute;
    for (const QString& path : paths)
        absolute << QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& path : addDropped(pathlist, absolute)) {
        dropped << path;
        Listbox7->addItem(path);
    }
    PushButton8->setEnabled(true);
    bringAppToFront();
    TextField2->clear();
    update();
}

void Window1::PushButton4_Action()
{
    msgBox(explainText());
}

void Window1::PushButton8_Action()
{
    // What was dropped may have changed since.
    if (const QString problem = dropProblem(dropped, mainDropRules()); !problem.isEmpty()) {
        msgBox(problem);
        return;
    }
    const MakeTdsRequest request{dropped, TextField1[0]->text(), TextField1[1]->text()};
    const MakeTdsOutcome outcome =
        makeTDS(request, [this](const QString& folder) { return checkTDS(QFileInfo(folder).fileName()); });
    // A press that ends early leaves "Install" with the tree it had, so
    // the half-made folder can never be installed.
    if (!outcome.ok)
        return;
    tdsFolder = outcome.folder;
    NotFontTDS = outcome.notFontTDS;
    PushButton7->setEnabled(true);
    TextField2->setText(outcome.status);
}

bool Window1::checkTDS(const QString& name)
{
    const QString folder = QDir(documentsFolder()).filePath(name);
    return checkTdsTree(folder, toplevel, [this, folder](const QString& question) {
        TDSwindow* dialog = TDSwindow::instance();
        dialog->folder = folder;
        dialog->StaticText1->setText(question);
        TDSResult = 0;
        dialogs().runModal(dialog);
        const bool go = TDSResult != 0;
        TDSResult = 0;
        return go;
    });
}

bool Window1::confirmOverwrite(const QStringList& files)
{
    return qlk::confirmOverwrite(files);
}

void Window1::PushButton7_Action()
{
    install();
}

bool Window1::install()
{
    TextField2->clear();
    if (tdsFolder.isEmpty() || !QFileInfo(tdsFolder).isDir()) {
        msgBox(QStringLiteral("There is no TDS folder to install"));
        return false;
    }
    for (const QString& line : updmapOutputRemovals(tdsFolder))
        runShellQuiet(line);
    TextField2->setText(QStringLiteral("Starting dry run to check for overwritten items."));

    const int place = installLocation->checkedId(); // 0 System, 1 Personal, 2 Other, 3 texlive, -1 none
    QString target;
    bool asRoot = false;
    int finishTarget = -1; // no map enabling for a folder picked by hand
    if (place == 0) {
        asRoot = true;
        finishTarget = 1;
        target = texmfLocal;
        if (NotFontTDS && askYesNo(QStringLiteral("Your TDS does not seem to be font-related. Install in TEXMFDIST "
                                                  "rather than TEXMFLOCAL?")))
            target = texmfDist;
    } else if (place == 1 || place == 3) {
        finishTarget = 0;
        target = place == 1 ? texmfHome : texmfVar;
    } else {
        target = dialogs().chooseFolder(QStringLiteral("Select target folder for TDS"), documentsFolder());
        if (target.isEmpty())
            return false;
    }
    if (!asRoot)
        QDir().mkpath(target); // the user's own tree may not have been made yet

    scanTDS();
    if (!checkCopyTree(tdsFolder, target)) {
        TextField2->setText(QStringLiteral("Dry run failed"));
        return false;
    }
    logLine(QStringLiteral("Map files found:") + lf + tdsMaps.join(lf));
    if (overwriteFiles.isEmpty()) {
        TextField2->setText(QStringLiteral("No files will be overwritten"));
    } else if (!confirmOverwrite(overwriteFiles)) {
        msgBox(QStringLiteral("No files were copied"));
        TextField2->setText(QStringLiteral("No files installed."));
        return false;
    }

    // The archive is made beside the tree and unpacked in the target: both
    // must have room for it.
    const qint64 bytes = folderBytes(tdsFolder);
    for (const QString& folder : {tdsFolder, target}) {
        const QString space = spaceProblem(bytes, folder);
        if (!space.isEmpty()) {
            msgBox(QStringLiteral("Nothing was installed. ") + space);
            TextField2->setText(QStringLiteral("No files installed."));
            return false;
        }
    }
    runShell(zipTreeCommand(tdsFolder));
    if (lastShell.errorCode != 0) {
        msgBox(QStringLiteral("Error zipping ") + tdsFolder + QStringLiteral(". Errorcode=") +
               QString::number(lastShell.errorCode));
        return false;
    }
    const QString name = QFileInfo(tdsFolder).fileName();
    int status = 0;
    if (asRoot) {
        TextField2->setText(QStringLiteral("Sending copy commands to shell"));
        status = runAsRoot(unzipTreeCommand(tdsFolder, target, true));
        TextField2->clear();
    } else {
        runShellQuiet(unzipTreeCommand(tdsFolder, target, false));
        status = lastShell.errorCode;
    }
    if (status == kNoRootRoute) { // runAsRoot has said why
        TextField2->setText(QStringLiteral("No files installed."));
        return false;
    }
    if (status != 0) {
        msgBox(QStringLiteral("Error unzipping ") + name + QStringLiteral(". Errorcode=") +
               (asRoot || !lastShell.timedOut ? QString::number(status) : QStringLiteral("timed out")));
        TextField2->setText(QStringLiteral("Aborting due to unzipping error"));
        return false;
    }
    // The status waits for the end of the install; an earlier step's text
    // would be stale by now.
    TextField2->clear();
    // The maps are enabled before the tree may go: a failure there leaves
    // the tree, and the tab, for another try.
    if (finishTarget >= 0 && !finishInstall(finishTarget)) {
        TextField2->setText(lastInstallStatus);
        return false;
    }
    if (quitRequested()) // the rescan met a fatal check
        return true;
    if (askYesNo(QStringLiteral("Delete temporary TDS folder?")))
        removeScratchFolder(tdsFolder);
    PushButton11->setVisible(place == 3 && hasMaps);
    resetInstallTab();
    // Only now, after the last question, has this install ended.
    TextField2->setText(finishTarget >= 0 ? lastInstallStatus : QStringLiteral("Done"));
    return true;
}

void Window1::resetInstallTab()
{
    pathlist.clear();
    dropped.clear();
    Listbox7->clear();
    PushButton8->setEnabled(false);
    PushButton7->setEnabled(false);
}

void Window1::PushButton6_Action()
{
    const bool systemMove = isAdmin && prefInt(QStringLiteral("useadmin")) == 1;
    MoveRequest request;
    request.sources << texmfVar;
    if (systemMove && !(!CheckBox2->isHidden() && CheckBox2->isChecked()))
        request.sources << texmfHome;
    if (RadioButton2[3]->isChecked()) {
        msgBox(QStringLiteral("Cannot copy to impermanent personal folder---choose another install location."));
        return;
    }
    request.target = systemMove ? texmfLocal : texmfHome;
    request.systemMove = systemMove;
    request.method = prefMethod();
    // The move keeps its scratch folder to itself: "Install" still names
    // the tree Make TDS built, if any.
    const MoveOutcome outcome = moveFonts(request, [this](const QStringList& files) { return confirmOverwrite(files); });
    if (outcome.started)
        refresh();
}

} // namespace qlk

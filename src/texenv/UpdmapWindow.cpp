#include "texenv/UpdmapWindow.h"

#include "mainwindow/Window1.h"
#include "platform/BundleScripts.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/QuitPath.h"
#include "prefs/PrefsStore.h"
#include "services/FileHelpers.h"
#include "services/Privileged.h"
#include "services/Runners.h"
#include "texenv/Init.h"
#include "texenv/MapCommands.h"
#include "ui/SingleWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace qlk {

UpdmapWindow* UpdmapWindow::instance()
{
    return singleWindow<UpdmapWindow>();
}

UpdmapWindow::UpdmapWindow()
{
    setWindowTitle(QStringLiteral("Updmap Window"));
    // No close box: the window ends through "Update" or "Cancel".
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                   Qt::WindowMinimizeButtonHint);
    setMinimumSize(64, 64);
    resize(697, 497);

    Label1 = new QLabel(
        QStringLiteral("The list below shows all installed font map files in your texmf trees, along with "
                       "their current status. Right click on a line to view the map file. Click Change to "
                       "change the Enabled status.  Changes will take effect only after you press "
                       "'Update'."),
        this);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    Listbox1 = new Window1List({52, 12, 12, 12, 12}, true, this);
    Listbox1->setHeaderLabels({QStringLiteral("Map file"), QStringLiteral("Enabled"), QStringLiteral("Change"),
                               QStringLiteral("MixedMap"), QStringLiteral("KanjiMap")});
    for (int c = EnabledColumn; c <= KanjiColumn; ++c)
        Listbox1->headerItem()->setTextAlignment(c, Qt::AlignCenter);
    Listbox1->setContextMenuPolicy(Qt::CustomContextMenu);
    PushButton1 = new QPushButton(QStringLiteral("Update"), this);
    PushButton1->setDefault(true);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    PushButton2->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Listbox1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(PushButton2);
    buttons->addWidget(PushButton1);
    layout->addLayout(buttons);

    connect(Listbox1, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item)); });
    connect(Listbox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showContextMenu(pos); });
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Action(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Action(); });

    Listbox1_Open();
}

void UpdmapWindow::Listbox1_Open()
{
    maplist = mapDict.keys(); // ordered without regard to letter case
    parsemaps(true);
    for (int i = 0; i < maplist.size(); ++i) {
        const QString& name = maplist.at(i);
        const int code = maptype.value(name, 4);
        auto* item = new QTreeWidgetItem(Listbox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setText(MapColumn, name);
        item->setText(EnabledColumn, code < 4 ? QStringLiteral("X") : QString());
        item->setTextAlignment(EnabledColumn, Qt::AlignCenter);
        item->setCheckState(ChangeColumn, Qt::Unchecked);
        item->setCheckState(MixedColumn, (code & 3) == 1 ? Qt::Checked : Qt::Unchecked);
        item->setCheckState(KanjiColumn, (code & 3) == 2 ? Qt::Checked : Qt::Unchecked);
    }
}

void UpdmapWindow::parsemaps(bool personal)
{
    maptype = qlk::parsemaps(maplist, personal);
}

void UpdmapWindow::Listbox1_CellClick(int row)
{
    mrow = row;
}

bool UpdmapWindow::isTicked(int row, int column) const
{
    const QTreeWidgetItem* item = Listbox1->topLevelItem(row);
    return item && item->checkState(column) == Qt::Checked;
}

void UpdmapWindow::setTicked(int row, int column, bool ticked)
{
    if (QTreeWidgetItem* item = Listbox1->topLevelItem(row))
        item->setCheckState(column, ticked ? Qt::Checked : Qt::Unchecked);
}

QStringList UpdmapWindow::contextMenuItems()
{
    return {QStringLiteral("Show file in file manager"), QStringLiteral("Open with default program")};
}

void UpdmapWindow::showContextMenu(const QPoint& pos)
{
    // The menu acts on the row under the pointer.
    if (QTreeWidgetItem* item = Listbox1->itemAt(pos))
        Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item));
    QMenu menu(this);
    for (const QString& text : contextMenuItems())
        menu.addAction(text);
    if (QAction* chosen = menu.exec(Listbox1->viewport()->mapToGlobal(pos)))
        Listbox1_ContextualMenuAction(chosen->text());
}

void UpdmapWindow::Listbox1_ContextualMenuAction(const QString& item)
{
    // The inventory may have been rebuilt while the window was open.
    if (mrow < 0 || mrow >= Listbox1->rowCount())
        return;
    const QString name = Listbox1->cell(mrow, MapColumn);
    if (!mapDict.contains(name))
        return;
    const QString path = mapDict.value(name);
    const QStringList items = contextMenuItems();
    if (item == items.at(0))
        revealInFinder(path);
    else if (item == items.at(1))
        openWithDefault(path);
}

void UpdmapWindow::PushButton1_Action()
{
    QList<MapChange> changes;
    QStringList refused;
    const int rows = Listbox1->rowCount();
    for (int row = 0; row < rows; ++row) {
        if (!isTicked(row, ChangeColumn))
            continue;
        MapChange c;
        c.name = Listbox1->cell(row, MapColumn);
        c.enabled = Listbox1->cell(row, EnabledColumn) == QLatin1String("X");
        c.mixed = isTicked(row, MixedColumn);
        c.kanji = isTicked(row, KanjiColumn);
        if (!safeMapName(c.name))
            refused << c.name;
        changes << c;
    }
    if (changes.isEmpty())
        return;
    if (!refused.isEmpty()) {
        msgBox(QStringLiteral("These map files cannot be changed here, as their names hold characters that "
                              "cannot be used in a command line: ") +
               refused.join(QStringLiteral(", ")));
        return;
    }

    const int method = prefMethod();
    bool ran = true;
    if (method == 1) {
        const int status = runAsRoot(mapUpdateCommand(method, changes));
        if (status != 0 && status != kNoRootRoute && status != kRootCommandsStopped) // those have said why
            msgBox(QStringLiteral("Updating the maps failed: mktexlsr or updmap-sys ended with exit status %1.")
                       .arg(status));
        ran = status != kNoRootRoute && bundleScriptsRunCommands();
    } else {
        // The personal maps are the user's own: updmap-user runs as the
        // user, all lines as one chain that a kill cannot split. A failure
        // is reported by the runner.
        runUserCommands(mapUpdateLines(method, changes));
    }
    // The maps just enabled must have reached the pdftex.map in use.
    QStringList enabled;
    for (const MapChange& c : changes) {
        if (!c.enabled)
            enabled << c.name;
    }
    if (ran && !enabled.isEmpty()) {
        const QString missing = mapsNotInUseText(checkMapsInUse(enabled, method == 1), method == 1);
        if (!missing.isEmpty())
            msgBox(missing);
    }

    QPointer<UpdmapWindow> self(this);
    Window1::instance()->refresh();
    if (self)
        self->close();
}

void UpdmapWindow::PushButton2_Action()
{
    close();
}

void UpdmapWindow::Event_Open()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int height = screen->availableGeometry().height() - 60;
        if (height >= minimumHeight())
            resize(width(), height);
    }
}

void UpdmapWindow::Event_Activate()
{
    if (activated)
        return;
    activated = true;
    if (prefMethod() == 1 && hasHomeUpdmap)
        msgBox(QStringLiteral("WARNING: You have a personal updmap.cfg but your preference is to update with "
                              "sudo -H updmap-sys.") +
               QString(lf) +
               QStringLiteral("Your personal updmap.cfg will not be updated, but it will take precedence.") +
               QString(lf) + QStringLiteral("Suggest you Cancel, then remove your personal updmap.cfg."));
}

void UpdmapWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!opened_) {
        opened_ = true;
        Event_Open();
    }
    // Offscreen and some window managers never activate a window; its
    // first showing counts as its first activation.
    Event_Activate();
}

void UpdmapWindow::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Event_Activate();
}

} // namespace qlk

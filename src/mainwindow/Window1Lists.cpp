// The actions of the main window's display lists.
#include "mainwindow/Window1.h"

#include "mainwindow/ListActions.h"
#include "platform/Dialogs.h"
#include "services/FileHelpers.h"
#include "services/Runners.h"
#include "texenv/Init.h"
#include "texenv/TexEnv.h"
#include "textview/TextWindow.h"

#include <QFile>
#include <QHeaderView>
#include <QMenu>

namespace qlk {

namespace {
void addChoices(QMenu* base, const QList<MenuChoice>& choices)
{
    for (const MenuChoice& choice : choices)
        base->addAction(choice.text)->setData(choice.tag);
}

bool rowExists(const Window1List* list, int row)
{
    return row >= 0 && row < list->rowCount();
}
} // namespace

void Window1::wireLists()
{
    QList<Window1List*> lists{Listbox1[0], Listbox1[1], Listbox1[2], Listbox2, Listbox4, Listbox5, Listbox6};
    for (Window1List* list : lists) {
        // A press of either button, so that a contextual click names its row first.
        connect(list, &QTreeWidget::itemPressed, this,
                [this, list](QTreeWidgetItem* item, int) { List_CellClick(list->indexOfTopLevelItem(item)); });
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this, list] { List_DoubleClick(list); });
        if (list == Listbox2)
            continue;
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
            QMenu menu(list);
            if (list->index >= 0)
                Listbox1_ConstructContextualMenu(list->index, &menu);
            else
                MapList_ConstructContextualMenu(&menu);
            QAction* chosen = menu.exec(list->viewport()->mapToGlobal(pos));
            if (!chosen)
                return;
            if (list->index >= 0)
                Listbox1_ContextualMenuAction(list->index, chosen->data().toInt());
            else
                MapList_ContextualMenuAction(list, chosen->data().toInt());
        });
    }
    connect(Listbox2->header(), &QHeaderView::sectionPressed, this, [this](int c) { Listbox2_HeaderPressed(c); });
}

void Window1::refresh()
{
    Clearitems();
    init();
}

void Window1::List_CellClick(int row)
{
    mrow = row;
}

void Window1::List_DoubleClick(Window1List* list)
{
    if (!rowExists(list, mrow))
        return;
    revealInFinder(list->cell(mrow, list->index >= 0 ? 1 : 0));
}

bool Window1::Listbox2_HeaderPressed(int)
{
    // The search order is the list's meaning: it is never re-sorted.
    return true;
}

bool Window1::MapList_ConstructContextualMenu(QMenu* base)
{
    addChoices(base, fontMapMenu());
    return true;
}

bool Window1::MapList_ContextualMenuAction(Window1List* list, int tag)
{
    if (tag == 1 && rowExists(list, mrow))
        showFile(list->cell(mrow, 0), false, false);
    return true;
}

bool Window1::Listbox1_ConstructContextualMenu(int index, QMenu* base)
{
    const QString rowPath = rowExists(Listbox1[0], mrow) ? Listbox1[0]->cell(mrow, 1) : QString();
    addChoices(base, listbox1Menu(index, rowPath));
    return true;
}

bool Window1::Listbox1_ContextualMenuAction(int index, int tag)
{
    if (index < 0 || index > 2 || !rowExists(Listbox1[index], mrow))
        return true;
    const QString path = Listbox1[index]->cell(mrow, 1).trimmed();
    switch (tag) {
    case 1:
        revealInFinder(path);
        break;
    case 2:
    case 3:
    case 4: {
        const QString map = outputMapOf(path, tag);
        if (map.isEmpty())
            msgBox(QStringLiteral("Unable to locate that file"));
        else
            openInEditor(map);
        break;
    }
    case 100:
        // Only what lies in a personal tree is deleted, whatever the row says.
        if (!isPersonalPath(path))
            break;
        if (index == 0) {
            if (!askYesNo(QStringLiteral("Delete all updmap files in this personal texmf tree?")))
                break;
            runShell(removeUpdmapOutputCommand(personalTreeOf(path)));
            refresh();
        } else if (index == 1) {
            QFile::remove(path);
            refresh();
        }
        break;
    case 101:
        openInEditor(path);
        break;
    default:
        break;
    }
    return true;
}

} // namespace qlk

#include "opentype/common/OpenTypeWindow.h"

#include "fontinfo/ExamineList.h"
#include "fontinfo/OtfInfo.h"
#include "platform/Dialogs.h"
#include "services/Runners.h"

#include <QMenu>
#include <QResizeEvent>

namespace qlk {

OpenTypeWindow::OpenTypeWindow(QWidget* parent) : QWidget(parent) {}

void OpenTypeWindow::makeFontList(const QRect& geometry, const QString& helpTag)
{
    Listbox1 = new ExamineList({}, {100}, this);
    Listbox1->setHeaderHidden(true);
    Listbox1->setToolTip(helpTag);
    place(Listbox1, geometry.x(), geometry.y(), geometry.width(), geometry.height(), Left | Top | Right | Bottom);
    Listbox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Listbox1, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { Listbox1_CellClick(Listbox1->indexOfTopLevelItem(item)); });
    connect(Listbox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        if (!Listbox1_ConstructContextualMenu(&menu))
            return;
        if (QAction* chosen = menu.exec(Listbox1->viewport()->mapToGlobal(pos)))
            Listbox1_ContextualMenuAction(chosen->data().toInt());
    });
}

void OpenTypeWindow::setFontRows(const QString& folder, const QStringList& names)
{
    Listbox1->deleteAllRows();
    for (const QString& name : names)
        Listbox1->addRow({name});
    rowsFolder_ = folder;
}

bool OpenTypeWindow::Listbox1_CellClick(int row)
{
    mrow = row;
    return false;
}

bool OpenTypeWindow::Listbox1_ConstructContextualMenu(QMenu* base)
{
    base->addAction(QStringLiteral("Font info"))->setData(1);
    base->addAction(QStringLiteral("Font features"))->setData(2);
    return true;
}

bool OpenTypeWindow::Listbox1_ContextualMenuAction(int tag)
{
    if (mrow < 0 || mrow > Listbox1->rowCount() - 1)
        return false;
    const QString name = Listbox1->cell(mrow, 0).trimmed();
    if (name.isEmpty() || rowsFolder_.isEmpty())
        return false;
    if (tag == 1 || tag == 2) {
        const QString option = tag == 1 ? QStringLiteral("--info") : QStringLiteral("--features");
        msgBox(runShellQuiet(otfinfoCommand(rowsFolder_, option, name)));
    }
    return true;
}

void OpenTypeWindow::place(QWidget* w, int x, int y, int width, int height, int edges)
{
    w->setGeometry(x, y, width, height);
    anchored_ << Anchored{w, QRect(x, y, width, height), edges};
}

void OpenTypeWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (designSize.isEmpty())
        return;
    const int dw = width() - designSize.width();
    const int dh = height() - designSize.height();
    for (const Anchored& a : anchored_) {
        QRect r = a.rect;
        if ((a.edges & Right) && (a.edges & Left))
            r.setWidth(r.width() + dw);
        else if (a.edges & Right)
            r.moveLeft(r.left() + dw);
        if ((a.edges & Bottom) && (a.edges & Top))
            r.setHeight(r.height() + dh);
        else if (a.edges & Bottom)
            r.moveTop(r.top() + dh);
        a.widget->setGeometry(r);
    }
}

} // namespace qlk

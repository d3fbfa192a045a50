#include "fontinfo/ExamineList.h"

#include "ui/FileDrop.h"
#include "ui/Stripes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace qlk {

namespace {
// Columns that are not to be edited get no editor.
class ReadOnlyDelegate : public StripedItemDelegate {
public:
    using StripedItemDelegate::StripedItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return nullptr;
    }
};
} // namespace

ExamineList::ExamineList(const QStringList& headings, const QList<int>& percentWidths, QWidget* parent)
    : QTreeWidget(parent), percent_(percentWidths)
{
    setColumnCount(int(qMax(headings.size(), percentWidths.size())));
    setHeaderLabels(headings);
    setHeaderHidden(headings.isEmpty());
    setRootIsDecorated(false);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setItemDelegate(new StripedItemDelegate(this));
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    applyWidths();
}

void ExamineList::setEditableColumn(int column)
{
    editableColumn_ = column;
    for (int i = 0; i < columnCount(); ++i) {
        if (i != column)
            setItemDelegateForColumn(i, new ReadOnlyDelegate(this));
    }
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
}

int ExamineList::addRow(const QStringList& cells)
{
    auto* item = new QTreeWidgetItem(this);
    if (editableColumn_ >= 0)
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    for (int i = 0; i < cells.size(); ++i)
        item->setText(i, cells.at(i));
    return topLevelItemCount() - 1;
}

void ExamineList::setCell(int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

QString ExamineList::cell(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

int ExamineList::selectedRow() const
{
    const QList<QTreeWidgetItem*> sel = selectedItems();
    return sel.isEmpty() ? -1 : indexOfTopLevelItem(sel.first());
}

void ExamineList::selectRow(int row)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        setCurrentItem(item);
    else
        clearSelection();
}

void ExamineList::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    applyWidths();
}

void ExamineList::applyWidths()
{
    const int width = viewport()->width();
    for (int i = 0; i < percent_.size(); ++i)
        setColumnWidth(i, width * percent_.at(i) / 100);
}

void ExamineList::dragEnterEvent(QDragEnterEvent* event)
{
    offerFileDrag(event, onDrop);
}

void ExamineList::dragMoveEvent(QDragMoveEvent* event)
{
    offerFileDrag(event, onDrop);
}

void ExamineList::dropEvent(QDropEvent* event)
{
    takeFileDrop(event, onDrop);
}

} // namespace qlk

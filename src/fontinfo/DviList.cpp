#include "fontinfo/DviList.h"

#include "ui/FileDrop.h"
#include "ui/Stripes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>

namespace qlk {

DviRowsModel::DviRowsModel(const QStringList& headings, QObject* parent)
    : QAbstractTableModel(parent), headings_(headings)
{
}

void DviRowsModel::setRows(const DviRows* rows)
{
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

int DviRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !rows_ ? 0 : int(rows_->size());
}

int DviRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(headings_.size());
}

QString DviRowsModel::cell(int row, int column) const
{
    if (!rows_ || row < 0 || row >= rows_->size())
        return QString();
    switch (column) {
    case 0: return QString::number(rows_->opcode(row));
    case 1: return rows_->label(row);
    case 2: return escapeControls(rows_->text(row));
    default: return QString();
    }
}

QVariant DviRowsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return cell(index.row(), index.column());
}

QVariant DviRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    return headings_.value(section);
}

DviList::DviList(const QStringList& headings, const QList<int>& percentWidths, QWidget* parent)
    : QTreeView(parent), model_(new DviRowsModel(headings, this)), percent_(percentWidths),
      headerItem_(std::make_unique<QTreeWidgetItem>(headings))
{
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
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

void DviList::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    applyWidths();
}

void DviList::applyWidths()
{
    const int width = viewport()->width();
    for (int i = 0; i < percent_.size(); ++i)
        setColumnWidth(i, width * percent_.at(i) / 100);
}

void DviList::dragEnterEvent(QDragEnterEvent* event)
{
    offerFileDrag(event, onDrop);
}

void DviList::dragMoveEvent(QDragMoveEvent* event)
{
    offerFileDrag(event, onDrop);
}

void DviList::dropEvent(QDropEvent* event)
{
    takeFileDrop(event, onDrop);
}

} // namespace qlk

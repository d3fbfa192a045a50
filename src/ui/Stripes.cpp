#include "ui/Stripes.h"

#include <QPainter>

namespace qlk {

QColor stripeColor(int row)
{
    return row % 2 == 0 ? QColor(0xEA, 0xEA, 0xFF) : QColor(0xFF, 0xFF, 0xFF);
}

void stripeRow(QPainter& g, const QRect& cell, int row)
{
    g.fillRect(cell, stripeColor(row));
}

void StripedItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    stripeRow(*painter, option.rect, index.row());
    QStyledItemDelegate::paint(painter, option, index);
}

} // namespace qlk

#pragma once
#include <QColor>
#include <QStyledItemDelegate>

class QPainter;
class QRect;

namespace qlk {

// The background of striped list rows: &hEAEAFF for even rows, white for odd.
QColor stripeColor(int row);
// Paints one cell's background in its row's colour.
void stripeRow(QPainter& g, const QRect& cell, int row);

// Paints each cell on its row's stripe first and leaves text and selection
// to the view.
class StripedItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace qlk

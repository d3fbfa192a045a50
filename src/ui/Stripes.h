#pragma once
#include <QColor>

class QPainter;
class QRect;

namespace qlk {

// The background of striped list rows: &hEAEAFF for even rows, white for odd.
QColor stripeColor(int row);
// Paints one cell's background in its row's colour.
void stripeRow(QPainter& g, const QRect& cell, int row);

} // namespace qlk

#pragma once
#include <QStringList>

#include <functional>

class QDragMoveEvent;
class QDropEvent;
class QMimeData;

namespace qlk {

// The local paths a drag carries (files and folders), in order.
QStringList droppedPaths(const QMimeData* mime);

// What the list widgets that take files and folders do with a drag: it is
// accepted while it carries local paths and the list has a handler for them.
// (A drag-enter event is a drag-move event too.)
void offerFileDrag(QDragMoveEvent* event, const std::function<void(const QStringList&)>& onDrop);
// Hands the dropped paths to onDrop; a drop without them is refused.
void takeFileDrop(QDropEvent* event, const std::function<void(const QStringList&)>& onDrop);

} // namespace qlk

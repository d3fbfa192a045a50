#include "ui/FileDrop.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace qlk {

QStringList droppedPaths(const QMimeData* mime)
{
    QStringList paths;
    if (!mime)
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

void offerFileDrag(QDragMoveEvent* event, const std::function<void(const QStringList&)>& onDrop)
{
    if (onDrop && !droppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void takeFileDrop(QDropEvent* event, const std::function<void(const QStringList&)>& onDrop)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (!onDrop || paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    onDrop(paths);
}

} // namespace qlk

#include "ui/KeyDown.h"

#include <QKeyEvent>

namespace qlk {

bool forwardKeyDown(QObject* watched, QEvent* event, const QObject* field,
                    const std::function<bool(const QString& key)>& keyDown)
{
    if (watched != field || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    return keyDown(enter ? QString(QChar(13)) : key->text());
}

bool isReturnKey(const QString& key)
{
    return !key.isEmpty() && key.at(0).unicode() == 13;
}

} // namespace qlk

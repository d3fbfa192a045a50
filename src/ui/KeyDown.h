#pragma once
#include <QString>

#include <functional>

class QEvent;
class QObject;

namespace qlk {

// Hands a key pressed in `field` to the window's KeyDown handler as text, a
// carriage return for Return and Enter. True when the handler took the key,
// so that the field does not see it.
bool forwardKeyDown(QObject* watched, QEvent* event, const QObject* field,
                    const std::function<bool(const QString& key)>& keyDown);
// True when a KeyDown text is Return or Enter.
bool isReturnKey(const QString& key);

} // namespace qlk

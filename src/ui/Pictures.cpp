#include "ui/Pictures.h"

#include "platform/Paths.h"

namespace qlk {

QPixmap screenshot_52()
{
    static QPixmap cache;
    if (cache.isNull())
        cache.load(resourcesFolder() + QStringLiteral("/screenshot_52.png"));
    return cache;
}

} // namespace qlk

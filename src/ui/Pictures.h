#pragma once
#include <QPixmap>

namespace qlk {

// The picture "screenshot_52.png" of the Resources folder, loaded once; a
// null pixmap while it is missing (tried again at the next call).
QPixmap screenshot_52();

} // namespace qlk

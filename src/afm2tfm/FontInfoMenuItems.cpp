#include "afm2tfm/FontInfoMenu.h"

#include <QAction>
#include <QMenu>

namespace qlk {

void addFontInfoItems(QMenu* menu)
{
    menu->addAction(QStringLiteral("Font info"))->setData(int(FontInfoItem));
    menu->addAction(QStringLiteral("Font features"))->setData(int(FontFeaturesItem));
}

} // namespace qlk
